// The control's conditions, its state setters (value, visibility, enabled state, scroll offset,
// highlight, cursor, font) and its idle requests.
#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/ControlBase/Control/LayoutEngine.h"
#include "ZQFramework/ControlBase/Control/Look.h"
#include "ZQFramework/ControlBase/Windows/ControlApplication.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Notification/ConditionsParam.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationHandler.h"
#include "ZQFramework/Notification/NotificationNames.h"
#include "ZQFramework/Notification/ValueParam.h"
#include "ZQFramework/Renderer/Font.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace ZQ
{
namespace
{
constexpr int32_t kLinearTaper = 0;
constexpr int32_t kLogarithmicTaper = 1;

// The notification of each group of condition bits, in the order they are sent after
// "NID_CONDITION_CHANGE".
struct ConditionGroup
{
    uint32_t Bits;
    const char16_t* Name;
};
constexpr ConditionGroup kConditionGroups[] = {
    {LControl::kConditionFocused, kNidHasFocusConditionChange},
    {LControl::kConditionContainsFocus, kNidContainsFocusConditionChange},
    {LControl::kConditionHoverOrHighlight, kNidHoverConditionChange},
    {LControl::kConditionCapture, kNidCaptureConditionChange},
    {LControl::kConditionLeftDown | LControl::kConditionLeftDrag, kNidLeftDragConditionChange},
    {LControl::kConditionMiddleDown | LControl::kConditionMiddleDrag, kNidMiddleDragConditionChange},
    {LControl::kConditionRightDown | LControl::kConditionRightDrag, kNidRightDragConditionChange},
    {LControl::kConditionEnabled, kNidEnabledConditionChange},
    {LControl::kConditionVisible, kNidVisibilityConditionChange},
};

bool TurnedOn(uint32_t previous, uint32_t current, uint32_t bit)
{
    return (previous & bit) == 0 && (current & bit) != 0;
}

bool TurnedOff(uint32_t previous, uint32_t current, uint32_t bit)
{
    return (previous & bit) != 0 && (current & bit) == 0;
}

// A reference that keeps the control alive while notifications run; none while it is still being
// constructed (nobody holds it yet, and dropping the only reference would delete it).
RCPtr<LControl> KeepAlive(LControl* control)
{
    return control->GetRefCount() > 0 ? RCPtr<LControl>(control) : RCPtr<LControl>();
}

// Whether the control may take the keyboard focus itself, or pass it on to a descendant, now.
bool CanTakeFocusNow(const LControl& control)
{
    return (!control.IsNotFocusable() || control.HasFocusableDescendant()) && control.IsVisible(true) &&
           control.IsEnabled(true);
}

bool ParentHasFocus(const LControl& control)
{
    return control.GetParent() != nullptr && control.GetParent()->IsFocused();
}

struct FontSpec
{
    WString Name;
    float Size = 0;
    int32_t Style = 0;
};
} // namespace

// --- Conditions ---

uint32_t LControl::GetConditions() const
{
    const std::pair<bool, uint32_t> flags[] = {
        {mConditionFlags.Focused, kConditionFocused},
        {mConditionFlags.ContainsFocus, kConditionContainsFocus},
        {mConditionFlags.Hover, kConditionHover},
        {mConditionFlags.Capture, kConditionCapture},
        {mConditionFlags.LeftButtonDown, kConditionLeftDown},
        {mConditionFlags.MiddleButtonDown, kConditionMiddleDown},
        {mConditionFlags.RightButtonDown, kConditionRightDown},
        {mConditionFlags.LeftDrag, kConditionLeftDrag},
        {mConditionFlags.MiddleDrag, kConditionMiddleDrag},
        {mConditionFlags.RightDrag, kConditionRightDrag},
        {IsEnabled(true), kConditionEnabled},
        {IsVisible(true), kConditionVisible},
        {mConditionFlags.Hover || mConditionFlags.Highlight, kConditionHoverOrHighlight},
    };
    uint32_t mask = 0;
    for (const auto& [set, bit] : flags)
    {
        if (set)
        {
            mask |= bit;
        }
    }
    return mask;
}

void LControl::UpdateConditions()
{
    const uint32_t current = GetConditions();
    if (current == mConditionsParam->mCurrent)
    {
        return;
    }
    const RCPtr<LControl> self = KeepAlive(this);
    const uint32_t previous = mConditionsParam->mCurrent;
    mConditionsParam->mPrevious = previous;
    mConditionsParam->mCurrent = current;
    mConditionsParam->mPressX = mDrag.GetPressPoint().x;
    mConditionsParam->mPressY = mDrag.GetPressPoint().y;

    UpdateHoverCursor(previous, current);
    if (mDrag.HasMode() && TurnedOff(previous, current, kConditionLeftDrag))
    {
        EndDrag();
    }
    OnConditionsChanged(mConditionsParam);
    SendConditionNotifications(previous, current);
    if (mDrag.HasMode() && TurnedOn(previous, current, kConditionLeftDrag))
    {
        BeginDrag();
    }

    const uint32_t changed = previous ^ current;
    const bool hoverOn = (current & kConditionHover) != 0;
    const bool captured = (current & kConditionCapture) != 0;
    const bool hiddenUnderPointer = hoverOn && !captured && TurnedOff(previous, current, kConditionVisible);
    const bool releasedAway = !hoverOn && TurnedOff(previous, current, kConditionCapture);
    if (hiddenUnderPointer || releasedAway)
    {
        RehitPointer();
    }

    if ((changed & (kConditionEnabled | kConditionVisible)) != 0)
    {
        for (uint32_t i = mChildren.GetCount(); i-- > 0;)
        {
            const RCPtr<LControl> child = mChildren.GetAt(i, ChildControlList::kStorageOrder);
            child->UpdateConditions();
        }
    }
}

void LControl::UpdateHoverCursor(uint32_t previous, uint32_t current)
{
    if (mCursor == 0)
    {
        return;
    }
    const RCPtr<LRootWindow> window = GetRootWindow();
    if (window == nullptr)
    {
        return;
    }
    const bool hover = (current & kConditionHover) != 0;
    const bool captured = (current & kConditionCapture) != 0;
    if (TurnedOn(previous, current, kConditionHover) && !captured)
    {
        mReplacedCursor = window->SetCursor(mCursor);
    }
    else if ((TurnedOff(previous, current, kConditionHover) && !captured) ||
             (TurnedOff(previous, current, kConditionCapture) && !hover))
    {
        window->SetCursor(mReplacedCursor);
    }
}

void LControl::SendConditionNotifications(uint32_t previous, uint32_t current)
{
    const ConstRCPtr<LRefCountedObject> record(mConditionsParam);
    Notify(LNotification::Create(kNidConditionChange, record));
    const uint32_t changed = previous ^ current;
    for (const ConditionGroup& group : kConditionGroups)
    {
        if ((changed & group.Bits) != 0)
        {
            Notify(LNotification::Create(group.Name, record));
        }
    }
}

void LControl::RehitPointer()
{
    const RCPtr<LRootWindow> window = GetRootWindow();
    if (window == nullptr)
    {
        return;
    }
    PointT<int32_t> local{};
    window->GetControlAtPoint(window->GetCursorPos(), local, true);
}

void LControl::OnConditionsChanged(const RCPtr<LConditionsParam>& /*conditions*/)
{
}

// --- Value and range ---

double LControl::SetValue(double value)
{
    if (std::isnan(value))
    {
        return mValue;
    }
    const double clamped = std::clamp(value, 0.0, 1.0);
    if (clamped == mValue)
    {
        return mValue;
    }
    const RCPtr<LControl> self = KeepAlive(this);
    mValue = clamped;
    OnValueChanged();
    Notify(LNotification::Create(kNidValueChange, LValueParam::Create(mValue, ScaleValue(mValue))));
    return mValue;
}

void LControl::OnValueChanged()
{
}

ZQRESULT LControl::SetRange(double minimum, double maximum, int32_t taper)
{
    if (!std::isfinite(minimum) || !std::isfinite(maximum))
    {
        return E_INVALIDARG;
    }
    const bool linear = taper == kLinearTaper;
    const bool logarithmic = taper == kLogarithmicTaper && minimum > 0 && maximum > 0;
    if (!linear && !logarithmic)
    {
        return E_INVALIDARG;
    }
    mRangeMin = minimum;
    mRangeMax = maximum;
    mTaper = taper;
    return 0;
}

double LControl::ScaleValue(double value) const
{
    if (mTaper == kLogarithmicTaper)
    {
        return mRangeMin * std::pow(mRangeMax / mRangeMin, value);
    }
    return mRangeMin + (mRangeMax - mRangeMin) * value;
}

double LControl::UnscaleValue(double value) const
{
    if (mRangeMin == mRangeMax)
    {
        return 0;
    }
    const double x = std::clamp(value, std::min(mRangeMin, mRangeMax), std::max(mRangeMin, mRangeMax));
    if (mTaper == kLogarithmicTaper)
    {
        return std::log(x / mRangeMin) / std::log(mRangeMax / mRangeMin);
    }
    return (x - mRangeMin) / (mRangeMax - mRangeMin);
}

// --- Visibility, enabled state, scroll offset, highlight and cursor ---

bool LControl::SetVisible(bool visible)
{
    if (mLayout == nullptr || mLayout->mVisible == visible)
    {
        return IsVisible(true);
    }
    const RCPtr<LControl> self = KeepAlive(this);
    if (!visible)
    {
        // Once hidden the control adds nothing to the dirty region: its area goes first.
        InvalidateWhole();
        InvalidateFloating();
    }
    mLayout->mVisible = visible;
    if (visible)
    {
        if (ParentHasFocus(*this) && CanTakeFocusNow(*this))
        {
            SetFocus(true);
        }
        InvalidateWhole();
        InvalidateFloating();
    }
    else if ((mConditionFlags.Focused || mConditionFlags.ContainsFocus) && mParent != nullptr)
    {
        const RCPtr<LControl> parent = mParent;
        parent->SetFocus(true);
    }
    UpdateConditions();
    return IsVisible(true);
}

ZQRESULT LControl::SetEnabled(bool enabled)
{
    if (mLayout == nullptr || mLayout->mEnabled == enabled)
    {
        return 1;
    }
    const RCPtr<LControl> self = KeepAlive(this);
    mLayout->mEnabled = enabled;
    if (!enabled && (mConditionFlags.Focused || mConditionFlags.ContainsFocus) && mParent != nullptr)
    {
        const RCPtr<LControl> parent = mParent;
        parent->SetFocus(true);
    }
    if (ParentHasFocus(*this) && CanTakeFocusNow(*this))
    {
        SetFocus(true);
    }
    UpdateConditions();
    // Not clipped to its parent, a floating control is invalidated whole.
    InvalidateWhole();
    return 0;
}

ZQRESULT LControl::SetScrollOffset(const PointT<double>& offset)
{
    if (!std::isfinite(offset.x) || !std::isfinite(offset.y))
    {
        return E_INVALIDARG;
    }
    const PointT<double> rounded{RoundLayoutValue(offset.x), RoundLayoutValue(offset.y)};
    if (rounded.x == mScrollOffset.x && rounded.y == mScrollOffset.y)
    {
        return 1;
    }
    const RCPtr<LControl> self = KeepAlive(this);
    InvalidateFloating();
    const PointT<double> old = mScrollOffset;
    mScrollOffset = rounded;
    const uint32_t count = mChildren.GetCount();
    for (uint32_t i = 0; i < count; ++i)
    {
        const RCPtr<LControl> child = mChildren.GetAt(i, ChildControlList::kStorageOrder);
        child->OnScrollOffsetChanged();
    }
    InvalidateWhole();
    ScrollBufferedContent(old, mScrollOffset);
    Notify(LNotification::Create(kNidScrollOffsetChange));

    // The content moved under a resting pointer: the hover follows it.
    const RCPtr<LRootWindow> window = GetRootWindow();
    if (window == nullptr || window->GetHoverControl() == nullptr)
    {
        return 0;
    }
    const PointT<int32_t> pointer = window->GetCursorPos();
    const PointT<double> origin = GetWindowOrigin();
    const double x = RoundLayoutValue(pointer.x - origin.x);
    const double y = RoundLayoutValue(pointer.y - origin.y);
    if (x >= 0 && x < mRect.width && y >= 0 && y < mRect.height)
    {
        RehitPointer();
    }
    return 0;
}

void LControl::SetHighlight(bool highlight)
{
    if (highlight == mConditionFlags.Highlight)
    {
        return;
    }
    mConditionFlags.Highlight = highlight;
    UpdateConditions();
}

void LControl::SetCursor(intptr_t cursor)
{
    if (cursor == mCursor)
    {
        return;
    }
    const bool hadCursor = mCursor != 0;
    mCursor = cursor;
    if (!mConditionFlags.Hover)
    {
        return;
    }
    const RCPtr<LRootWindow> window = GetRootWindow();
    if (window == nullptr)
    {
        return;
    }
    const intptr_t previous = window->SetCursor(cursor);
    if (!hadCursor)
    {
        mReplacedCursor = previous;
    }
}

// --- Fonts ---

ZQRESULT LControl::SetFont(const RCPtr<LFont>& font)
{
    if (font == nullptr)
    {
        return E_INVALIDARG;
    }
    for (uint32_t i = mLooks.GetCount(); i-- > 0;)
    {
        if (const RCPtr<LLook> look = mLooks.GetAt(i); look != nullptr)
        {
            look->SetFont(font);
        }
    }
    if (font == mFont)
    {
        return 1;
    }
    const RCPtr<LControl> self = KeepAlive(this);
    mFont = font;
    mFontNameInherited = false;
    mFontSizeInherited = false;
    mFontStyleInherited = false;
    mFontRelativeSize = false;
    mFontRelativeSizeFactor = 1.0f;
    OnFontChanged();
    const uint32_t count = mChildren.GetCount();
    for (uint32_t i = 0; i < count; ++i)
    {
        const RCPtr<LControl> child = mChildren.GetAt(i, ChildControlList::kStorageOrder);
        child->UpdateFont();
    }
    UpdateLayout();
    InvalidateWhole();
    return 0;
}

ZQRESULT LControl::SetFontSpec(const WString& name, float size, int32_t style, bool relative)
{
    ConstRCPtr<LFont> baseFont;
    FontSpec base;
    bool hasBase = false;
    if (mFontInherited && mParent != nullptr && mParent->mFont != nullptr)
    {
        baseFont = mParent->mFont;
        base = {baseFont->GetName(), baseFont->GetSize(), baseFont->GetStyle()};
        hasBase = true;
    }
    else if (IControlApplication* application = IControlApplication::GetCurrent(); application != nullptr)
    {
        hasBase = application->GetDefaultFont(base.Name, base.Size, base.Style) == 0;
    }

    const bool nameInherited = name.IsEmpty();
    // A relative size is a factor of the base size, whether the flag was stored beforehand or comes now.
    const bool sizeInherited = size <= 0 || mFontRelativeSize || relative;
    const bool styleInherited = style == -1;
    if (!hasBase && (nameInherited || sizeInherited || styleInherited))
    {
        return E_FAIL;
    }
    FontSpec spec{nameInherited ? base.Name : name, size, styleInherited ? base.Style : style};
    float factor = 1.0f;
    if (sizeInherited)
    {
        spec.Size = base.Size;
        if (relative && size > 0)
        {
            spec.Size *= size;
            factor = size;
        }
    }
    if (spec.Name.IsEmpty() || !std::isfinite(spec.Size) || spec.Size <= 0)
    {
        return E_FAIL;
    }

    ConstRCPtr<LFont> font = baseFont;
    if (font == nullptr || font->GetName() != spec.Name || font->GetSize() != spec.Size ||
        font->GetStyle() != spec.Style)
    {
        font = LFont::GetFont(spec.Name, spec.Size, spec.Style);
    }
    if (font == nullptr)
    {
        return E_FAIL;
    }
    const ZQRESULT result = SetFont(RCPtr<LFont>(font));
    if (result >= 0)
    {
        mFontNameInherited = nameInherited;
        mFontSizeInherited = sizeInherited;
        mFontStyleInherited = styleInherited;
        mFontRelativeSize = relative;
        mFontRelativeSizeFactor = factor;
    }
    return result;
}

ZQRESULT LControl::UpdateFont()
{
    if (!mFontInherited || mFont == nullptr ||
        !(mFontNameInherited || mFontSizeInherited || mFontStyleInherited))
    {
        return 1;
    }
    const WString name = mFontNameInherited ? WString() : mFont->GetName();
    float size = mFont->GetSize();
    if (mFontRelativeSize)
    {
        size = mFontRelativeSizeFactor;
    }
    else if (mFontSizeInherited)
    {
        size = 0;
    }
    const int32_t style = mFontStyleInherited ? -1 : mFont->GetStyle();
    return SetFontSpec(name, size, style, mFontRelativeSize);
}

void LControl::OnFontChanged()
{
}

// --- Idle requests ---

void LControl::OnIdle()
{
}

ZQRESULT LControl::RequestIdle()
{
    ++mIdleRequests;
    if (mIdleRequests == 1 && GetRootWindowObject() != nullptr && RegisterForIdle() != S_OK)
    {
        mIdleRequests = 0;
    }
    return 0;
}

ZQRESULT LControl::ReleaseIdle()
{
    // A release without a request out must not take the count below 0, or the next request would not
    // register.
    if (mIdleRequests <= 0)
    {
        return 0;
    }
    if (--mIdleRequests > 0)
    {
        return 0;
    }
    return UnregisterFromIdle();
}

ZQRESULT LControl::UnregisterFromIdle()
{
    const RCPtr<LNotificationDistributor> window(GetRootWindowObject());
    if (window == nullptr)
    {
        return 0;
    }
    const bool removed = mHandler != nullptr && mHandler->RemoveCallback(window.Get(), kNidIdle);
    const ZQRESULT unregistered = UnregisterFromDistributor(window, kNidIdle);
    return removed ? unregistered : E_FAIL;
}

ZQRESULT LControl::RegisterForIdle()
{
    const RCPtr<LNotificationDistributor> window(GetRootWindowObject());
    if (window == nullptr)
    {
        return E_FAIL;
    }
    if (mHandler == nullptr)
    {
        mHandler = LNotificationHandler<LControl>::Create(this);
    }
    return mHandler->AddCallback(&LControl::OnIdleNotification, window, kNidIdle);
}

ZQRESULT LControl::OnIdleNotification(const RCPtr<LNotificationDistributor>& /*source*/,
                                      const RCPtr<LNotification>& /*notification*/)
{
    const RCPtr<LControl> self = KeepAlive(this);
    AdvanceAutoScroll();
    ProcessPendingRemovals();
    OnIdle();
    return 0;
}
} // namespace ZQ
