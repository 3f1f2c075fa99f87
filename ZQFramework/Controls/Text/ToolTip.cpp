#include "ZQFramework/Controls/Text/ToolTip.h"

#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/ControlBase/Windows/ControlApplication.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Controls/ControlPattern.h"

#include <cmath>

namespace ZQ
{
uint32_t LToolTip::sLastHideTime = 0;

namespace
{
int32_t WholePixels(double value)
{
    return static_cast<int32_t>(std::lround(value));
}

// The position on one axis that keeps size inside limit, never before 0.
int32_t KeepInside(int32_t position, int32_t size, int32_t limit)
{
    if (position + size > limit)
    {
        position = limit - size;
    }
    return position < 0 ? 0 : position;
}
} // namespace

LToolTip::LToolTip(CreateKey /*key*/, const RCPtr<LControl>& parent, const WString& name)
    : LControl(parent, name)
{
}

LToolTip::~LToolTip() = default;

uint32_t LToolTip::Now()
{
    return IControlApplication::CurrentMilliseconds();
}

ZQRESULT LToolTip::Show()
{
    LimitWidth();
    const uint32_t now = Now();
    const bool wasIdle = mState == kIdle;
    mStateTime = now;
    if (now - sLastHideTime < kQuickShowWindow)
    {
        ShowNow(now);
    }
    else
    {
        mState = kWaiting;
    }
    // One idle request for the whole time the tool tip waits or shows.
    if (wasIdle)
    {
        RequestIdle();
    }
    return 0;
}

ZQRESULT LToolTip::Hide()
{
    const RCPtr<LControl> self = KeepControlAlive(this);
    if (mState != kIdle)
    {
        mState = kIdle;
        ReleaseIdle();
    }
    const bool showing = mLayout != nullptr && mLayout->mVisible && mRect.width > 0 && mRect.height > 0;
    if (showing)
    {
        sLastHideTime = Now();
    }
    if (mParent == nullptr)
    {
        return E_FAIL;
    }
    const RCPtr<LControl> parent = mParent;
    parent->RemoveChildLater(self);
    return 0;
}

ZQRESULT LToolTip::ProcessCreateParams()
{
    SetNotFocusable(true);
    return 0;
}

ZQRESULT LToolTip::OnCreated()
{
    SetVisible(false);
    return 0;
}

void LToolTip::OnIdle()
{
    const uint32_t now = Now();
    if (mState == kWaiting && now - mStateTime > kShowDelay)
    {
        ShowNow(now);
    }
    else if (mState == kShowing && now - mStateTime > kDisplayTime)
    {
        Hide();
    }
}

bool LToolTip::IsTransparentAtPoint(const PointT<int32_t>& /*point*/) const
{
    return false;
}

void LToolTip::LimitWidth()
{
    const RCPtr<LRootWindow> window = GetRootWindow();
    if (window == nullptr || mLayout == nullptr)
    {
        return;
    }
    LLayoutDescriptor::AxisLimit minimum;
    LLayoutDescriptor::AxisLimit maximum;
    mLayout->GetAxisLimits(0, minimum, maximum);
    maximum = LLayoutDescriptor::AxisLimit{};
    maximum.Abs = window->GetScreenRect().width - kWindowMargin;
    SetAxisLimits(0, minimum, maximum);
}

void LToolTip::ShowNow(uint32_t now)
{
    mState = kShowing;
    mStateTime = now;
    Place();
    SetVisible(true);
}

void LToolTip::Place()
{
    const RCPtr<LRootWindow> window = GetRootWindow();
    const RCPtr<LControl> parent = mParent;
    if (window == nullptr || parent == nullptr || mLayout == nullptr)
    {
        return;
    }
    const PointT<int32_t> cursor = window->GetCursorPos();
    const RectT<double> parentRect = parent->GetRectInWindow();
    const PointT<double>& scroll = parent->GetScrollOffset();
    const int32_t origin[2] = {WholePixels(parentRect.x) - WholePixels(scroll.x),
                               WholePixels(parentRect.y) - WholePixels(scroll.y)};
    const RectT<int32_t> client = window->GetScreenRect();
    const int32_t limit[2] = {client.width, client.height};
    const int32_t size[2] = {WholePixels(mRect.width), WholePixels(mRect.height)};
    const int32_t wanted[2] = {cursor.x, cursor.y + kPointerOffset};
    for (int32_t axis = 0; axis < 2; ++axis)
    {
        LLayoutDescriptor::AxisPosition position;
        LLayoutDescriptor::AxisSize axisSize;
        mLayout->GetAxis(axis, position, axisSize);
        position.ToControl = LLayoutDescriptor::kPositionParent;
        position.ReferenceName = WString();
        position.Rel = 0;
        position.Abs = KeepInside(wanted[axis], size[axis], limit[axis]) - origin[axis];
        SetAxisPlacement(axis, position, axisSize);
    }
}
} // namespace ZQ
