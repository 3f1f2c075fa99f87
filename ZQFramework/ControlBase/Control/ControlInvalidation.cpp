// Invalidation of a control's areas up to its root window, and the update hooks.
#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/ControlBase/Skin/ControlDescriptor.h"
#include "ZQFramework/ControlBase/Skin/StringTable.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace ZQ
{
namespace
{
// Below this a width or height counts as nothing left to paint.
constexpr double kEmptyExtent = 2.2e-16;

RectT<double> Intersect(const RectT<double>& a, const RectT<double>& b)
{
    const double left = std::max(a.x, b.x);
    const double top = std::max(a.y, b.y);
    const double right = std::min(a.x + a.width, b.x + b.width);
    const double bottom = std::min(a.y + a.height, b.y + b.height);
    return {left, top, right - left, bottom - top};
}

bool IsEmpty(const RectT<double>& rect)
{
    // Written so that a NaN extent counts as empty too.
    return !(rect.width > kEmptyExtent && rect.height > kEmptyExtent);
}

RectT<double> Offset(const RectT<double>& rect, const PointT<double>& by)
{
    return {rect.x + by.x, rect.y + by.y, rect.width, rect.height};
}

// Adds 0.5 and truncates, held inside the integer range.
int32_t RoundHalfUp(double value)
{
    const double rounded = std::trunc(value + 0.5);
    if (!(rounded > INT_MIN))
    {
        return INT_MIN;
    }
    return rounded < INT_MAX ? static_cast<int32_t>(rounded) : INT_MAX;
}

RectT<int32_t> RoundHalfUp(const RectT<double>& rect)
{
    return {RoundHalfUp(rect.x), RoundHalfUp(rect.y), RoundHalfUp(rect.width), RoundHalfUp(rect.height)};
}
} // namespace

void LControl::BeginUpdate()
{
}

void LControl::EndUpdate()
{
}

void LControl::ScrollBufferedContent(const PointT<double>& /*oldOffset*/, const PointT<double>& /*newOffset*/)
{
}

void LControl::InvalidateBufferedChild(const RCPtr<LControl>& /*child*/)
{
}

ZQRESULT LControl::Invalidate(const RectT<double>& rect, bool clip)
{
    return InvalidateRect(Offset(rect, GetWindowOrigin()), clip, rect);
}

ZQRESULT LControl::InvalidateRect(const RectT<double>& windowRect, bool clip,
                                  const RectT<double>& visiblePart)
{
    if (mLayout == nullptr || !mLayout->mVisible || !(mRect.width > 0) || !(mRect.height > 0))
    {
        return 1;
    }
    RectT<double> visible = visiblePart;
    if (clip && IsClippedToParent())
    {
        if (mParent != nullptr)
        {
            const PointT<double> origin = GetOriginInParentClient();
            const RectT<double>& parentRect = mParent->GetRect();
            visible = Intersect(visible, {-origin.x, -origin.y, parentRect.width, parentRect.height});
        }
        else if (const RCPtr<LRootWindow> window = GetRootWindow(); window != nullptr)
        {
            const RectT<int32_t> screen = window->GetScreenRect();
            visible = Intersect(visible, {-mRect.x, -mRect.y, static_cast<double>(screen.width),
                                          static_cast<double>(screen.height)});
        }
        if (IsEmpty(visible))
        {
            return 1;
        }
    }
    else
    {
        clip = false;
    }
    if (mParent == nullptr)
    {
        return InvalidateInRootWindow(windowRect, clip, visible);
    }
    const RCPtr<LControl> parent = mParent;
    return parent->InvalidateRect(windowRect, clip, Offset(visible, GetOriginInParentClient()));
}

ZQRESULT LControl::InvalidateInRootWindow(const RectT<double>& windowRect, bool clip,
                                          const RectT<double>& visiblePart)
{
    const RCPtr<LRootWindow> window = GetRootWindow();
    if (window == nullptr)
    {
        return 0;
    }
    RectT<double> dirty = windowRect;
    if (clip)
    {
        // The top control's own coordinates are the window's, moved by its position.
        dirty = Intersect(dirty, Offset(visiblePart, {mRect.x, mRect.y}));
    }
    // The root window ignores what lies outside its client area, a negative extent included.
    window->InvalidateRect(RoundHalfUp(dirty));
    return 0;
}

void LControl::InvalidateWholeIfFloating()
{
    if (!IsClippedToParent())
    {
        Invalidate({0, 0, mRect.width, mRect.height}, false);
    }
}

ZQRESULT LControl::InvalidateWhole()
{
    return Invalidate({0, 0, mRect.width, mRect.height}, IsClippedToParent());
}

void LControl::InvalidateFloating()
{
    // A floating control is invalidated whole also when its subtree floats further: it may itself lie
    // outside its parent.
    InvalidateWholeIfFloating();
    if (mUnclippedCount == 0)
    {
        return;
    }
    RCPtrArray<LControl, 1, 0> descendants;
    GetAllDescendants(descendants);
    for (uint32_t i = 0; i < descendants.GetCount(); ++i)
    {
        descendants.GetAt(i)->InvalidateWholeIfFloating();
    }
}

bool LControl::IsDeferredCreate() const
{
    if (mDescriptor == nullptr || mDescriptor->mCreateParams == nullptr)
    {
        return false;
    }
    WString value;
    if (!mDescriptor->mCreateParams->GetString(u"DEFER_CREATE", value))
    {
        return false;
    }
    return value.Trim().ToLower() == WString(u"true");
}
} // namespace ZQ
