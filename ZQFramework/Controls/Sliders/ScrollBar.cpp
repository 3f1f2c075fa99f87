#include "ZQFramework/Controls/Sliders/ScrollBar.h"

#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/ControlBase/Windows/ControlApplication.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Controls/Buttons/Button.h"
#include "ZQFramework/Controls/ControlPattern.h"
#include "ZQFramework/Notification/ConditionsParam.h"
#include "ZQFramework/Notification/KeyCode.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationNames.h"
#include "ZQFramework/Notification/PointWithModifiersParam.h"
#include "ZQFramework/Notification/SiblingKeyParam.h"
#include "ZQFramework/Utilities/Graphics/Region.h"

#include <algorithm>
#include <cmath>

namespace ZQ
{
namespace
{
constexpr int32_t kLinear = 0;
constexpr int32_t kLogarithmic = 1;

bool NewlySet(uint32_t previous, uint32_t current, uint32_t bit)
{
    return (previous & bit) == 0 && (current & bit) != 0;
}

// Whole pixels, halves away from zero.
double Round(double value)
{
    return std::round(value);
}

// The navigation keys the bar answers: the plain press code, the mask bit, the orientation it applies to
// (-1 either) and the value it leads to.
enum class KeyTarget
{
    LineBack,
    LineOn,
    PageBack,
    PageOn,
    Start,
    End
};
struct NavigationKey
{
    uint32_t Code;
    uint32_t Bit;
    int32_t Vertical;
    KeyTarget Target;
};
constexpr NavigationKey kNavigationKeys[] = {
    {Pressed(VKey::Up), 0x01, 1, KeyTarget::LineBack},
    {Pressed(VKey::Down), 0x02, 1, KeyTarget::LineOn},
    {Pressed(VKey::Left), 0x04, 0, KeyTarget::LineBack},
    {Pressed(VKey::Right), 0x08, 0, KeyTarget::LineOn},
    {Pressed(VKey::PageUp), 0x10, 1, KeyTarget::PageBack},
    {Pressed(VKey::PageDown), 0x20, 1, KeyTarget::PageOn},
    {Pressed(VKey::Home), 0x40, -1, KeyTarget::Start},
    {Pressed(VKey::End), 0x80, -1, KeyTarget::End},
};
} // namespace

LScrollbar::LScrollbar(CreateKey /*key*/, const RCPtr<LControl>& parent, const WString& name)
    : LControl(parent, name)
{
    LControl::SetRange(0, 100, kLinear);
}

LScrollbar::~LScrollbar() = default;

double LScrollbar::Now()
{
    const IControlApplication* application = IControlApplication::GetCurrent();
    return application != nullptr ? application->GetElapsedSeconds() : 0.0;
}

// --- Own operations ---

ZQRESULT LScrollbar::SetSiblingKeys(uint32_t mask)
{
    if (mask != 0 && mSiblingKeyMask == 0 && mParent != nullptr && mBarHandler != nullptr)
    {
        mBarHandler->AddCallback(&LScrollbar::OnSiblingKeyNotification,
                                 RCPtr<LNotificationDistributor>(mParent), kNidSiblingKey);
        mBarHandler->AddDirectCallback(&LScrollbar::OnSiblingKeyNotification, kNidSiblingKey);
    }
    mSiblingKeyMask = mask & 0xFFu;
    return mask > 0xFFu ? E_INVALIDARG : 0;
}

void LScrollbar::UpdateThumbLength()
{
    if (mThumb == nullptr || mThumb->GetLayout() == nullptr)
    {
        return;
    }
    const double channelLength = std::max(0.0, mChannelEnd - mChannelStart);
    const double length = std::trunc(std::max(mMinThumbLength, channelLength * mThumbProportion) + 0.5);
    // A minimum longer than a short channel would put the thumb before the channel's start.
    mThumbLength = std::min(length, std::trunc(channelLength));
    LLayoutDescriptor::AxisPosition position;
    LLayoutDescriptor::AxisSize size;
    mThumb->GetLayout()->GetAxis(Axis(), position, size);
    size.ToControl = LLayoutDescriptor::kSizeSelf;
    size.ReferenceName = WString();
    size.Rel = 0;
    size.Abs = mThumbLength;
    mThumb->SetAxisPlacement(Axis(), position, size);
    UpdateThumbPosition();
}

void LScrollbar::UpdateThumbPosition()
{
    if (mDragging || mThumb == nullptr)
    {
        return;
    }
    const double position = Round((mChannelEnd - mChannelStart - mThumbLength) * GetValue() + mChannelStart);
    if (position != ThumbPosition())
    {
        PlaceThumb(position);
    }
}

// --- Control base operations ---

ZQRESULT LScrollbar::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                         const RCPtr<LNotification>& notification)
{
    return DispatchClassFirst(*this, mBarHandler, source, notification);
}

ZQRESULT LScrollbar::RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                                NotificationID id)
{
    return RemoveClassCallback(*this, mBarHandler, source, id);
}

double LScrollbar::SetValue(double value)
{
    if (mDragging)
    {
        mPendingValue = value;
        return GetValue();
    }
    const double result = LControl::SetValue(std::isnan(value) ? value : std::clamp(value, 0.0, 1.0));
    UpdateThumbPosition();
    return result;
}

ZQRESULT LScrollbar::SetRange(double minimum, double maximum, int32_t taper)
{
    const double scaled = ScaleValue(GetValue());
    const bool valid = taper == kLinear || (taper == kLogarithmic && minimum > 0 && maximum > 0);
    const ZQRESULT result = valid ? LControl::SetRange(minimum, maximum, taper) : E_INVALIDARG;
    SetValue(UnscaleValue(scaled));
    UpdateThumbPosition();
    return result < 0 ? E_INVALIDARG : 0;
}

void LScrollbar::EndUpdate()
{
    mChannel = FindChild(u"channel");
    if (mThumb == nullptr || mChannel == nullptr)
    {
        return;
    }
    const RectT<double> look = mChannel->GetLookRect(-1);
    const RectT<double>& channel = mChannel->GetRect();
    mChannelOrigin = mVertical ? channel.y + look.y : channel.x + look.x;
    mChannelStart = 0;
    mChannelEnd = mVertical ? look.height : look.width;
    UpdateThumbLength();
}

void LScrollbar::OnIdle()
{
    if (mPagingMode == 0 || PointerZone() != mPagingMode)
    {
        return; // off the paging zone the countdown waits
    }
    const RCPtr<LControl> self = KeepControlAlive(this);
    const double now = Now();
    mPageCountdown -= now - mLastPageTick;
    mLastPageTick = now;
    if (mPageCountdown <= 0)
    {
        mPageCountdown = mPageRepeatInterval;
        Page(mPagingMode);
        UpdatePagingHighlight();
    }
}

ZQRESULT LScrollbar::Initialize()
{
    if (LControl::Initialize() < 0)
    {
        return E_FAIL;
    }
    mBarHandler = LNotificationHandler<LScrollbar>::Create(this);
    mChannel = FindChild(u"channel");
    if (mChannel != nullptr)
    {
        const RCPtr<LNotificationDistributor> channel(mChannel);
        mBarHandler->AddCallback(&LScrollbar::OnChannelLeftDrag, channel, kNidLeftDragConditionChange);
        mBarHandler->AddCallback(&LScrollbar::OnChannelHover, channel, kNidHoverConditionChange);
        mThumb = FindTypedChild<LButton>(*mChannel, u"thumb");
    }
    if (mThumb != nullptr)
    {
        const RCPtr<LNotificationDistributor> thumb(mThumb);
        mBarHandler->AddCallback(&LScrollbar::OnThumbMouseMove, thumb, kNidMouseMove);
        mBarHandler->AddCallback(&LScrollbar::OnThumbLeftDrag, thumb, kNidLeftDragConditionChange);
        mThumb->SetKeepPressedLook(true);
    }
    const RCPtr<LButton> dec = FindTypedChild<LButton>(*this, u"dec");
    const RCPtr<LButton> inc = FindTypedChild<LButton>(*this, u"inc");
    for (const RCPtr<LButton>& step : {dec, inc})
    {
        if (step != nullptr)
        {
            mBarHandler->AddCallback(&LScrollbar::OnStepButtonRepeat, RCPtr<LNotificationDistributor>(step),
                                     kNidButtonAutorepeat);
            step->SetAutoRepeat(true);
        }
    }
    if (dec != nullptr && inc != nullptr)
    {
        // A tie is vertical.
        const RectT<double>& d = dec->GetRect();
        const RectT<double>& i = inc->GetRect();
        mVertical = !(i.x - d.x > i.y - d.y);
    }
    EndUpdate();
    SetSiblingKeys(0xFF);
    return 0;
}

ZQRESULT LScrollbar::OnCreated()
{
    SetNotFocusable(true);
    for (const char16_t* part : {u"dec", u"inc", u"channel"})
    {
        if (const RCPtr<LControl> child = FindChild(part); child != nullptr)
        {
            child->SetNotFocusable(true);
        }
    }
    if (mThumb != nullptr)
    {
        mThumb->SetNotFocusable(true);
        // The shortest thumb is square.
        mMinThumbLength = mVertical ? mThumb->GetRect().width : mThumb->GetRect().height;
    }
    EndUpdate();
    return 0;
}

// --- Helpers ---

double LScrollbar::ThumbPosition() const
{
    return mVertical ? mThumb->GetRect().y : mThumb->GetRect().x;
}

double LScrollbar::ThumbSize() const
{
    return mVertical ? mThumb->GetRect().height : mThumb->GetRect().width;
}

void LScrollbar::PlaceThumb(double position)
{
    if (mThumb->GetLayout() == nullptr)
    {
        return;
    }
    LLayoutDescriptor::AxisPosition placement;
    LLayoutDescriptor::AxisSize size;
    mThumb->GetLayout()->GetAxis(Axis(), placement, size);
    placement.Abs = position;
    mThumb->SetAxisPlacement(Axis(), placement, size);
}

void LScrollbar::UpdateValueFromThumb()
{
    const double travel = mChannelEnd - mChannelStart - mThumbLength;
    if (travel <= 0)
    {
        return; // a thumb as long as the channel cannot move the value
    }
    LControl::SetValue(std::clamp((ThumbPosition() - mChannelStart) / travel, 0.0, 1.0));
}

int32_t LScrollbar::HitTestChannel(const PointT<double>& point) const
{
    if (mThumb == nullptr)
    {
        return 0;
    }
    const double along = point.OnAxis(Axis());
    const double thumb = ThumbPosition();
    if (mChannelStart <= along && along <= thumb)
    {
        return 1;
    }
    if (thumb + ThumbSize() <= along && along <= mChannelEnd)
    {
        return 2;
    }
    return 0;
}

int32_t LScrollbar::PointerZone() const
{
    if (mChannel == nullptr || (mChannel->GetConditions() & kConditionHover) == 0)
    {
        return 0;
    }
    const RCPtr<LRootWindow> window = GetRootWindow();
    if (window == nullptr)
    {
        return 0;
    }
    const PointT<int32_t> pointer = window->GetCursorPos();
    const PointT<double> origin = mChannel->GetWindowOrigin();
    const RectT<double> look = mChannel->GetLookRect(-1);
    return HitTestChannel({pointer.x - origin.x - look.x, pointer.y - origin.y - look.y});
}

void LScrollbar::UpdatePagingHighlight()
{
    if (mChannel == nullptr || mThumb == nullptr)
    {
        return;
    }
    if (mPagingMode == 0 || PointerZone() != mPagingMode)
    {
        ClearPagingHighlight();
        return;
    }
    mChannel->SetLookOpacity(1, 1.0f, false);
    mChannel->ClearLookRegion(1);
    const RectT<double> look0 = mChannel->GetLookRect(0);
    const RectT<double>& channel = mChannel->GetRect();
    const auto right = static_cast<int32_t>(std::trunc(channel.width + 0.5));
    const auto bottom = static_cast<int32_t>(std::trunc(channel.height + 0.5));
    const double leading = ThumbPosition() + (mVertical ? look0.y : look0.x);
    const double trailing = leading + ThumbSize();
    Region region;
    if (mPagingMode == 1)
    {
        const auto edge = static_cast<int32_t>(std::trunc(leading + 0.5));
        region.AddRect(0, 0, mVertical ? right : edge, mVertical ? edge : bottom);
    }
    else
    {
        const auto edge = static_cast<int32_t>(std::trunc(trailing));
        region.AddRect(mVertical ? 0 : edge, mVertical ? edge : 0, right, bottom);
    }
    region.Optimize();
    mChannel->SetLookRegion(1, region);
    mChannel->SetLookRegionExcluding(0, 1);
}

void LScrollbar::ClearPagingHighlight()
{
    if (mChannel == nullptr)
    {
        return;
    }
    mChannel->ClearLookRegions();
    mChannel->SelectLook(0);
}

void LScrollbar::Page(int32_t mode)
{
    SetValue(GetValue() + (mode == 1 ? -mPageStep : mPageStep));
}

void LScrollbar::EndPaging()
{
    mPagingMode = 0;
    ClearPagingHighlight();
    ReleaseIdle();
}

// --- Notification handlers ---

ZQRESULT LScrollbar::OnChannelLeftDrag(const RCPtr<LNotificationDistributor>& /*source*/,
                                       const RCPtr<LNotification>& notification)
{
    const RCPtr<LConditionsParam> conditions(notification->GetParam());
    if (conditions == nullptr || mChannel == nullptr)
    {
        return 0;
    }
    const RCPtr<LControl> self = KeepControlAlive(this);
    if (NewlySet(conditions->mPrevious, conditions->mCurrent, kConditionLeftDown))
    {
        // The press point is in the bar's coordinates; the hit test wants the channel's client area.
        const RectT<double> look = mChannel->GetLookRect(-1);
        const RectT<double>& channel = mChannel->GetRect();
        const PointT<double> point{Round(conditions->mPressX) - Round(channel.x + look.x),
                                   Round(conditions->mPressY) - Round(channel.y + look.y)};
        mPagingMode = HitTestChannel(point);
        if (mPagingMode != 0)
        {
            Page(mPagingMode);
            UpdatePagingHighlight();
            mLastPageTick = Now();
            mPageCountdown = mPageRepeatDelay;
            RequestIdle();
        }
    }
    else if (NewlySet(conditions->mCurrent, conditions->mPrevious, kConditionCapture) && mPagingMode != 0)
    {
        EndPaging();
    }
    if (mPagingMode != 0)
    {
        UpdatePagingHighlight();
    }
    return 0;
}

ZQRESULT LScrollbar::OnChannelHover(const RCPtr<LNotificationDistributor>& /*source*/,
                                    const RCPtr<LNotification>& notification)
{
    const RCPtr<LConditionsParam> conditions(notification->GetParam());
    if (conditions == nullptr)
    {
        return 0;
    }
    // Time spent off the channel does not count towards the next page.
    if (NewlySet(conditions->mPrevious, conditions->mCurrent, kConditionHoverOrHighlight))
    {
        mLastPageTick = Now();
    }
    if (mPagingMode != 0)
    {
        UpdatePagingHighlight();
    }
    return 0;
}

ZQRESULT LScrollbar::OnThumbLeftDrag(const RCPtr<LNotificationDistributor>& /*source*/,
                                     const RCPtr<LNotification>& notification)
{
    const RCPtr<LConditionsParam> conditions(notification->GetParam());
    if (conditions == nullptr || mThumb == nullptr)
    {
        return 0;
    }
    if (NewlySet(conditions->mPrevious, conditions->mCurrent, kConditionLeftDrag))
    {
        mDragging = true;
        const RectT<double>& thumb = mThumb->GetRect();
        mGrabOffset = {static_cast<int32_t>(Round(conditions->mPressX - thumb.x)),
                       static_cast<int32_t>(Round(conditions->mPressY - thumb.y))};
        mPendingValue = -1;
    }
    else if (NewlySet(conditions->mCurrent, conditions->mPrevious, kConditionLeftDrag))
    {
        const RCPtr<LControl> self = KeepControlAlive(this);
        mDragging = false;
        if (mApplyPendingOnDrop && mPendingValue >= 0 && mPendingValue <= 1)
        {
            LControl::SetValue(mPendingValue);
            UpdateThumbPosition();
        }
        mPendingValue = -1;
    }
    return 0;
}

ZQRESULT LScrollbar::OnThumbMouseMove(const RCPtr<LNotificationDistributor>& /*source*/,
                                      const RCPtr<LNotification>& notification)
{
    const RCPtr<LPointWithModifiersParam> point(notification->GetParam());
    if (!mDragging || point == nullptr || mThumb == nullptr || mChannel == nullptr)
    {
        return 0;
    }
    const RCPtr<LControl> self = KeepControlAlive(this);
    const int32_t axis = Axis();
    // From the thumb's coordinates into the bar's.
    const double thumbOrigin = Round(mThumb->GetOriginInParentClient().OnAxis(axis));
    const double channelOrigin = Round(mChannel->GetOriginInParentClient().OnAxis(axis));
    const double inBar = (axis == 0 ? point->mX : point->mY) + thumbOrigin + channelOrigin;
    const RectT<double> barLook = GetLookRect(-1);
    const double barLookOrigin = axis == 0 ? barLook.x : barLook.y;
    double position = inBar - Round(mChannelOrigin) - Round(barLookOrigin) - mGrabOffset.OnAxis(axis);
    const double last = std::trunc(mChannelEnd - mThumbLength);
    if (position < mChannelStart)
    {
        position = mChannelStart;
    }
    else if (position > last)
    {
        position = last;
    }
    if (position != ThumbPosition())
    {
        PlaceThumb(position);
        UpdateValueFromThumb();
    }
    return 0;
}

ZQRESULT LScrollbar::OnStepButtonRepeat(const RCPtr<LNotificationDistributor>& source,
                                        const RCPtr<LNotification>& /*notification*/)
{
    const RCPtr<LControl> button(source);
    if (button == nullptr)
    {
        return 0;
    }
    if (button->GetName() == u"dec")
    {
        SetValue(GetValue() - mLineStep);
    }
    else if (button->GetName() == u"inc")
    {
        SetValue(GetValue() + mLineStep);
    }
    return 0;
}

ZQRESULT LScrollbar::OnSiblingKeyNotification(const RCPtr<LNotificationDistributor>& /*source*/,
                                              const RCPtr<LNotification>& notification)
{
    const RCPtr<LSiblingKeyParam> sibling(notification->GetParam());
    if (sibling == nullptr || !IsVisible(false))
    {
        return 0;
    }
    const uint32_t code = sibling->mKeyCode.GetCode();
    for (const NavigationKey& key : kNavigationKeys)
    {
        if (key.Code != code || (mSiblingKeyMask & key.Bit) == 0 ||
            (key.Vertical >= 0 && key.Vertical != (mVertical ? 1 : 0)))
        {
            continue;
        }
        const double value = GetValue();
        switch (key.Target)
        {
        case KeyTarget::LineBack:
            SetValue(value - mLineStep);
            break;
        case KeyTarget::LineOn:
            SetValue(value + mLineStep);
            break;
        case KeyTarget::PageBack:
            SetValue(value - mPageStep);
            break;
        case KeyTarget::PageOn:
            SetValue(value + mPageStep);
            break;
        case KeyTarget::Start:
            SetValue(0);
            break;
        case KeyTarget::End:
            SetValue(1);
            break;
        }
        sibling->mPending = 0;
        break;
    }
    return 0;
}
} // namespace ZQ
