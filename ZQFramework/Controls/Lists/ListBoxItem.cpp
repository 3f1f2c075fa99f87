#include "ZQFramework/Controls/Lists/ListBoxItem.h"

#include "ZQFramework/Controls/ControlPattern.h"

#include <cmath>

namespace ZQ
{
namespace
{
constexpr int32_t kBlankLook = 13;
constexpr int32_t kDisabledLook = 6;
constexpr int32_t kSelectedOffset = 7;
constexpr int32_t kAltOffset = 3;
} // namespace

LListBoxItem::LListBoxItem(CreateKey /*key*/, const RCPtr<LControl>& parent, const WString& name)
    : LControl(parent, name)
{
}

LListBoxItem::~LListBoxItem() = default;

int32_t LListBoxItem::ComputeLookIndex() const
{
    const bool selected = GetValue() >= 0.5;
    if (mBlank)
    {
        return kBlankLook;
    }
    if (!IsEnabled(true))
    {
        return selected ? kBlankLook : kDisabledLook;
    }
    const bool hover = IsHover() || IsHighlighted();
    // Pressed needs the capture in its left-drag state with the pointer over the row; a capture that has
    // not passed the drag threshold shows the idle look.
    int32_t state = 0;
    if (HasCapture() && IsDragging(MouseButton::Left))
    {
        state = hover ? 2 : 1;
    }
    else if (!HasCapture() && hover)
    {
        state = 1;
    }
    return (selected ? kSelectedOffset : 0) + (mAltLook ? kAltOffset : 0) + state;
}

void LListBoxItem::RefreshLook()
{
    // A look index beyond the skin's list selects nothing visible.
    SelectLook(ComputeLookIndex());
    Invalidate({0, 0, mRect.width, mRect.height}, IsClippedToParent());
}

void LListBoxItem::SetBlank(bool blank)
{
    if (blank == mBlank)
    {
        return;
    }
    mBlank = blank;
    if (blank)
    {
        SetLabel(WString());
    }
    RefreshLook();
}

void LListBoxItem::OnValueChanged()
{
    RefreshLook();
}

void LListBoxItem::OnConditionsChanged(const RCPtr<LConditionsParam>& /*conditions*/)
{
    RefreshLook();
}

ZQRESULT LListBoxItem::OnCreated()
{
    SetNotFocusable(true);
    return 0;
}

WString LListBoxItem::GetToolTipText() const
{
    return LabelOrToolTipText(*this);
}

ZQRESULT LListBoxItem::BeginMouseCapture(int32_t button, int32_t x, int32_t y)
{
    if (mSkipNextCapture)
    {
        mSkipNextCapture = false;
        return 1;
    }
    if (mForwardCapture && GetParent() != nullptr)
    {
        return GetParent()->BeginMouseCapture(button, x + static_cast<int32_t>(std::round(mRect.x)),
                                              y + static_cast<int32_t>(std::round(mRect.y)));
    }
    return LControl::BeginMouseCapture(button, x, y);
}
} // namespace ZQ
