#include "ZQFramework/Controls/Sliders/Slider.h"

#include "ZQFramework/ControlBase/Skin/ControlDescriptor.h"
#include "ZQFramework/ControlBase/Skin/ControlFactory.h"
#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/ControlBase/Windows/ControlApplication.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Controls/ControlPattern.h"
#include "ZQFramework/Notification/ConditionsParam.h"
#include "ZQFramework/Notification/KeyCode.h"
#include "ZQFramework/Notification/KeyParam.h"
#include "ZQFramework/Notification/MouseButtonParam.h"
#include "ZQFramework/Notification/MouseWheelParam.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationNames.h"
#include "ZQFramework/Notification/PointWithModifiersParam.h"
#include "ZQFramework/Notification/ValueParam.h"
#include "ZQFramework/ObjectBase/Holder.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace ZQ
{
namespace
{
constexpr int32_t kLinear = 0;
constexpr double kScaledMaximum = 100;
constexpr double kTrackRepeatDelay = 0.3;
constexpr double kTrackRepeatInterval = 0.1;
constexpr int32_t kNormalLook = 0;
constexpr int32_t kFocusedLook = 1;
constexpr int32_t kDisabledLook = 2;
constexpr KeyCode kLeftPressed{Pressed(VKey::Left), 0, 0};
constexpr KeyCode kUpPressed{Pressed(VKey::Up), 0, 0};
constexpr KeyCode kRightPressed{Pressed(VKey::Right), 0, 0};
constexpr KeyCode kDownPressed{Pressed(VKey::Down), 0, 0};

// Truncated towards zero, held inside the 32-bit range.
int32_t TruncateToInt(double value)
{
    return RoundToInt(std::trunc(value));
}

PointT<int32_t> RoundedPosition(const LControl& control)
{
    return {RoundToInt(control.GetRect().x), RoundToInt(control.GetRect().y)};
}

double Distance(double dx, double dy)
{
    return std::hypot(dx, dy);
}

bool TurnedOn(uint32_t previous, uint32_t current, uint32_t bit)
{
    return (previous & bit) == 0 && (current & bit) != 0;
}

double Now()
{
    const IControlApplication* application = IControlApplication::GetCurrent();
    return application != nullptr ? application->GetElapsedSeconds() : 0.0;
}
} // namespace

LSlider::LSlider(CreateKey key, const RCPtr<LControl>& parent, const WString& name)
    : LPanel(key, parent, name)
{
}

LSlider::~LSlider() = default;

// --- Own operations ---

double LSlider::ApplyValue(double value)
{
    LControl::SetValue(value);
    UpdateThumbPosition();
    return GetValue();
}

void LSlider::UpdateValueFromThumb()
{
    if (mThumb == nullptr)
    {
        return;
    }
    const PointT<int32_t> thumb = ThumbPosition();
    ApplyValue(ValueFromPoint(thumb.x, thumb.y));
}

void LSlider::UpdateThumbPosition()
{
    if (mDragging || !HasTrack())
    {
        return;
    }
    const double value = GetValue();
    const PointT<int32_t> start = RoundedPosition(*mThumbStart);
    const PointT<int32_t> end = RoundedPosition(*mThumbEnd);
    const PointT<int32_t> target{start.x + RoundToInt((end.x - start.x) * value),
                                 start.y + RoundToInt((end.y - start.y) * value)};
    if (target != ThumbPosition())
    {
        PlaceThumb(target);
    }
}

PointT<int32_t> LSlider::ProjectPointOnTrack(int32_t x, int32_t y)
{
    if (!HasTrack())
    {
        return ThumbPosition();
    }
    const int32_t a = x - mGrabOffset.x;
    const int32_t b = y - mGrabOffset.y;
    const PointT<int32_t> start = RoundedPosition(*mThumbStart);
    const PointT<int32_t> end = RoundedPosition(*mThumbEnd);
    PointT<int32_t> result;
    if (end.x == start.x)
    {
        result = {TruncateToInt(mThumb->GetRect().x), b};
    }
    else if (end.y == start.y)
    {
        result = {a, TruncateToInt(mThumb->GetRect().y)};
    }
    else
    {
        // The foot of the perpendicular from (a, b) onto the line through the markers, in single
        // precision.
        const float h = static_cast<float>(end.y - start.y) / static_cast<float>(end.x - start.x);
        const float l = static_cast<float>(start.y) - static_cast<float>(start.x) * h;
        const float px = (static_cast<float>(b) - (static_cast<float>(a) * (-1.0f / h)) - l) / (h + 1.0f / h);
        const int32_t roundedX = RoundToInt(px);
        result = {roundedX, RoundToInt(static_cast<float>(roundedX) * h + l)};
    }
    result.x = std::clamp(result.x, std::min(start.x, end.x), std::max(start.x, end.x));
    result.y = std::clamp(result.y, std::min(start.y, end.y), std::max(start.y, end.y));
    return result;
}

double LSlider::ValueFromPoint(double x, double y)
{
    if (mThumbStart == nullptr || mThumbEnd == nullptr)
    {
        return 0;
    }
    const RectT<double>& start = mThumbStart->GetRect();
    const RectT<double>& end = mThumbEnd->GetRect();
    const double length = Distance(end.x - start.x, end.y - start.y);
    // Markers at one place leave no track to measure along: every point is at its start.
    if (!(length > 0))
    {
        return 0;
    }
    return Distance(x - start.x, y - start.y) / length;
}

double LSlider::GetValue() const
{
    return LControl::GetValue();
}

void LSlider::MoveThumbTowards(const PointT<int32_t>& point)
{
    if (!HasTrack())
    {
        return;
    }
    const PointT<int32_t> client = ToClient(point);
    const PointT<int32_t> target{client.x - mThumbHotOffset.x, client.y - mThumbHotOffset.y};
    const double targetValue = ValueFromPoint(target.x, target.y);
    const PointT<int32_t> start = RoundedPosition(*mThumbStart);
    const PointT<int32_t> thumb = ThumbPosition();
    const double toTarget = Distance(target.x - start.x, target.y - start.y);
    const double toThumb = Distance(thumb.x - start.x, thumb.y - start.y);
    const double value = toThumb > toTarget ? std::max(targetValue, GetValue() - mTrackStep)
                                            : std::min(targetValue, GetValue() + mTrackStep);
    ApplyValue(value);
}

// --- Control base operations ---

ZQRESULT LSlider::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                      const RCPtr<LNotification>& notification)
{
    if (IsCreated() && mSliderHandler != nullptr)
    {
        const ZQRESULT handled = mSliderHandler->Dispatch(source, notification);
        if (handled != 0)
        {
            return handled;
        }
    }
    return LPanel::ReceiveNotification(source, notification);
}

ZQRESULT LSlider::RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source, NotificationID id)
{
    if (mSliderHandler != nullptr)
    {
        mSliderHandler->RemoveCallback(source.Get(), id);
    }
    return LPanel::RemoveNotificationCallback(source, id);
}

double LSlider::SetValue(double value)
{
    if (mDragging)
    {
        mPendingValue = value;
        return GetValue();
    }
    ApplyValue(value);
    return GetValue();
}

void LSlider::EndUpdate()
{
    LPanel::EndUpdate();
    if (mThumb == nullptr)
    {
        mThumb = FindTypedChild<LButton>(*this, u"thumb");
    }
    if (mThumb != nullptr)
    {
        UpdateThumbPosition();
    }
}

void LSlider::OnConditionsChanged(const RCPtr<LConditionsParam>& conditions)
{
    if (conditions == nullptr)
    {
        return;
    }
    const uint32_t previous = conditions->mPrevious;
    const uint32_t current = conditions->mCurrent;
    if (TurnedOn(previous, current, kConditionLeftDrag))
    {
        if (IsEnabled(true))
        {
            mTrackPressActive = true;
            RequestIdle();
            mLastTrackTick = Now();
            mTrackCountdown = kTrackRepeatDelay;
        }
    }
    else if (TurnedOn(current, previous, kConditionLeftDrag))
    {
        if (mTrackPressActive)
        {
            mTrackPressActive = false;
            ReleaseIdle();
        }
    }
    else if (TurnedOn(current, previous, kConditionContainsFocus))
    {
        if (mKeyStepping)
        {
            mKeyStepping = false;
            SendNotification(kNidValueChangeKeyUp, nullptr);
        }
        SelectLook(IsEnabled(true) ? kNormalLook : kDisabledLook);
    }
    else if (TurnedOn(previous, current, kConditionContainsFocus))
    {
        SelectLook(kFocusedLook);
    }
    else if (((previous ^ current) & kConditionEnabled) != 0)
    {
        SelectStateLook((current & kConditionContainsFocus) != 0);
    }
    LPanel::OnConditionsChanged(conditions);
}

ZQRESULT LSlider::OnMouseWheel(const RCPtr<LMouseWheelParam>& param)
{
    if (param == nullptr || !HasTrack())
    {
        return 1;
    }
    StepScaledValue(param->mDirection == 1 ? 1 : -1);
    return 0;
}

ZQRESULT LSlider::OnMouseHWheel(const RCPtr<LMouseWheelParam>& param)
{
    if (param == nullptr || !HasTrack())
    {
        return 1;
    }
    StepScaledValue(param->mDirection == 3 ? 1 : -1);
    return 0;
}

void LSlider::OnLeftClicked(const RCPtr<LMouseButtonParam>& param)
{
    LPanel::OnLeftClicked(param);
    if (param != nullptr)
    {
        MoveThumbTowards({param->mX, param->mY});
    }
}

ZQRESULT LSlider::ProcessHotKey(const RCPtr<LKeyParam>& param)
{
    if (param == nullptr || !HasTrack())
    {
        return LPanel::ProcessHotKey(param);
    }
    const KeyCode& key = param->mKeyCode;
    const VKey virtualKey = key.GetVKey();
    const bool arrow = virtualKey >= VKey::Left && virtualKey <= VKey::Down;
    if (arrow && (key.GetCode() & (KeyCode::kKeyDown | KeyCode::kNoBinding)) == 0)
    {
        mKeyStepping = false;
        SendNotification(kNidValueChangeKeyUp, RCPtr<LRefCountedObject>(param));
        return 0;
    }
    double units = 0;
    if (key == kUpPressed || key == kRightPressed)
    {
        units = 1;
    }
    else if (key == kLeftPressed || key == kDownPressed)
    {
        units = -1;
    }
    else
    {
        return LPanel::ProcessHotKey(param);
    }
    if (!mKeyStepping)
    {
        mKeyStepping = true;
        SendNotification(kNidValueChangeKeyDown, RCPtr<LRefCountedObject>(param));
    }
    StepScaledValue(units);
    return 0;
}

void LSlider::OnIdle()
{
    LPanel::OnIdle();
    if (!mTrackPressActive || (GetConditions() & kConditionHoverOrHighlight) == 0 || !IsEnabled(true))
    {
        return;
    }
    const double now = Now();
    mTrackCountdown -= now - mLastTrackTick;
    mLastTrackTick = now;
    if (mTrackCountdown > 0)
    {
        return;
    }
    mTrackCountdown = kTrackRepeatInterval;
    const RCPtr<LRootWindow> window = GetRootWindow();
    if (window == nullptr)
    {
        return;
    }
    const PointT<int32_t> pointer = window->GetCursorPos();
    const RectT<double> rect = GetRectInWindow();
    MoveThumbTowards({RoundToInt(pointer.x - rect.x), RoundToInt(pointer.y - rect.y)});
}

ZQRESULT LSlider::Initialize()
{
    if (LPanel::Initialize() < 0)
    {
        return E_FAIL;
    }
    mSliderHandler = LNotificationHandler<LSlider>::Create(this);
    mThumbEnd = FindChild(u"thumbEnd");
    mThumbStart = FindChild(u"thumbStart");
    // Without both ends there is no track for a thumb to travel.
    const IControlApplication* application = IControlApplication::GetCurrent();
    const RCPtr<LControlFactory> factory =
        application != nullptr ? application->GetControlFactory() : RCPtr<LControlFactory>();
    const RCPtr<LControlDescriptor> thumbDescriptor = MakeThumbDescriptor();
    if (mThumbEnd != nullptr && thumbDescriptor != nullptr && factory != nullptr)
    {
        mThumb = RCPtr<LButton>(factory->CreateControl(thumbDescriptor, RCPtr<LControl>(this)));
        if (mThumb != nullptr)
        {
            mThumb->SetVisible(true);
            const RCPtr<LNotificationDistributor> thumb(mThumb);
            mSliderHandler->AddCallback(&LSlider::OnThumbMouseMove, thumb, kNidMouseMove);
            mSliderHandler->AddCallback(&LSlider::OnThumbLeftClick, thumb, kNidLeftClick);
            mSliderHandler->AddCallback(&LSlider::OnThumbLeftDrag, thumb, kNidLeftDragConditionChange);
            mThumb->SetKeepPressedLook(true);
        }
    }
    EndUpdate();
    SetRange(0, kScaledMaximum, kLinear);
    SetDragThreshold(0);
    return 0;
}

ZQRESULT LSlider::AddChildControl(const RCPtr<LControl>& control, const RCPtr<LControlDescriptor>& descriptor)
{
    if (control == nullptr || descriptor != nullptr || control->GetName() != u"thumb")
    {
        return LPanel::AddChildControl(control, descriptor);
    }
    const RCPtr<LControlDescriptor> thumbDescriptor = MakeThumbDescriptor();
    const ZQRESULT result = LPanel::AddChildControl(control, thumbDescriptor);
    control->SetVisible(true);
    return result;
}

ZQRESULT LSlider::OnCreated()
{
    if (mThumbEnd != nullptr)
    {
        mThumbEnd->SetVisible(false);
    }
    if (mThumbStart != nullptr)
    {
        mThumbStart->SetVisible(false);
        const RectT<double>& start = mThumbStart->GetRect();
        mThumbHotOffset = {RoundToInt(start.width / 2), RoundToInt(start.height / 2)};
        if (const RCPtr<LLayoutDescriptor>& layout = mThumbStart->GetLayout(); layout != nullptr)
        {
            if (layout->mXPosition.Anchor != 0)
            {
                mThumbHotOffset.x = RoundToInt(layout->mXPosition.Anchor * start.width);
            }
            if (layout->mYPosition.Anchor != 0)
            {
                mThumbHotOffset.y = RoundToInt(layout->mYPosition.Anchor * start.height);
            }
        }
    }
    // A skin applied again takes out the children it does not name, the run-time thumb among them.
    if (mThumb != nullptr && mThumb->GetParent().Get() != this)
    {
        AddChildControl(RCPtr<LControl>(mThumb), nullptr);
    }
    EndUpdate();
    return 0;
}

// --- Thumb notifications ---

ZQRESULT LSlider::OnThumbLeftDrag(const RCPtr<LNotificationDistributor>& /*source*/,
                                  const RCPtr<LNotification>& notification)
{
    const RCPtr<LConditionsParam> conditions(notification->GetParam());
    if (conditions == nullptr || mThumb == nullptr)
    {
        return 0;
    }
    const RCPtr<LControl> self = KeepControlAlive(this);
    if (TurnedOn(conditions->mPrevious, conditions->mCurrent, kConditionLeftDrag))
    {
        mDragging = true;
        // The press point is in the slider's client area, where the thumb's position is.
        const RectT<double>& thumb = mThumb->GetRect();
        mGrabOffset = {RoundToInt(conditions->mPressX - thumb.x), RoundToInt(conditions->mPressY - thumb.y)};
        mPendingValue = -1;
        SendNotification(kNidValueChangeCapture, RCPtr<LRefCountedObject>(LHolder<bool>::Create(true)));
    }
    else if (TurnedOn(conditions->mCurrent, conditions->mPrevious, kConditionLeftDrag))
    {
        mDragging = false;
        if (mApplyPendingOnDrop && mPendingValue >= 0 && mPendingValue <= 1)
        {
            ApplyValue(mPendingValue);
        }
        mPendingValue = -1;
        SendNotification(kNidValueChangeCapture, RCPtr<LRefCountedObject>(LHolder<bool>::Create(false)));
        if (mNotifyValueOnRelease)
        {
            const double value = GetValue();
            SendNotification(kNidValueChange,
                             RCPtr<LRefCountedObject>(LValueParam::Create(value, ScaleValue(value))));
        }
    }
    return 0;
}

ZQRESULT LSlider::OnThumbMouseMove(const RCPtr<LNotificationDistributor>& /*source*/,
                                   const RCPtr<LNotification>& notification)
{
    const RCPtr<LPointWithModifiersParam> point(notification->GetParam());
    if (!mDragging || point == nullptr || !HasTrack())
    {
        return 0;
    }
    const RCPtr<LControl> self = KeepControlAlive(this);
    // From the thumb's coordinates into the slider's client area, where the markers are.
    const PointT<int32_t> thumb = ThumbPosition();
    const PointT<int32_t> projected = ProjectPointOnTrack(point->mX + thumb.x, point->mY + thumb.y);
    if (projected != thumb)
    {
        PlaceThumb(projected);
        UpdateValueFromThumb();
    }
    return 0;
}

ZQRESULT LSlider::OnThumbLeftClick(const RCPtr<LNotificationDistributor>& /*source*/,
                                   const RCPtr<LNotification>& /*notification*/)
{
    return 0;
}

// --- Helpers ---

RCPtr<LControlDescriptor> LSlider::MakeThumbDescriptor() const
{
    const IControlApplication* application = IControlApplication::GetCurrent();
    const RCPtr<LControlFactory> factory =
        application != nullptr ? application->GetControlFactory() : RCPtr<LControlFactory>();
    if (factory == nullptr || mThumbStart == nullptr || mThumbStart->GetLayout() == nullptr)
    {
        return {};
    }
    RCPtr<LLayoutDescriptor> layout;
    mThumbStart->GetLayout()->CopyTo(layout);
    // Placed by its absolute position alone, so that the slider moves it by that.
    layout->mTabStop = 0;
    layout->mXDocked = false;
    layout->mYDocked = false;
    for (LLayoutDescriptor::AxisPosition* position : {&layout->mXPosition, &layout->mYPosition})
    {
        position->Docked = false;
        position->Anchor = 0;
        position->Rel = 0;
    }
    return factory->CopyDescriptor(ConstRCPtr<LControlDescriptor>(mThumbStart->GetDescriptor()), layout,
                                   u"thumb");
}

bool LSlider::HasTrack() const
{
    return mThumb != nullptr && mThumbStart != nullptr && mThumbEnd != nullptr;
}

void LSlider::PlaceThumb(const PointT<int32_t>& point)
{
    const RCPtr<LLayoutDescriptor>& layout = mThumb->GetLayout();
    if (layout == nullptr)
    {
        return;
    }
    LLayoutDescriptor::AxisPosition xPosition;
    LLayoutDescriptor::AxisSize xSize;
    LLayoutDescriptor::AxisPosition yPosition;
    LLayoutDescriptor::AxisSize ySize;
    layout->GetAxis(0, xPosition, xSize);
    layout->GetAxis(1, yPosition, ySize);
    xPosition.Abs = point.x;
    yPosition.Abs = point.y;
    mThumb->SetAxisPlacement(xPosition, xSize, yPosition, ySize);
}

PointT<int32_t> LSlider::ThumbPosition() const
{
    return mThumb != nullptr ? RoundedPosition(*mThumb) : PointT<int32_t>{};
}

PointT<int32_t> LSlider::ToClient(const PointT<int32_t>& point) const
{
    const RectT<double> look = GetLookRect(-1);
    const PointT<double>& offset = GetScrollOffset();
    return {RoundToInt(point.x - look.x + offset.x), RoundToInt(point.y - look.y + offset.y)};
}

void LSlider::StepScaledValue(double units)
{
    SetValue(UnscaleValue(ScaleValue(GetValue()) + units));
}

void LSlider::SendNotification(const char16_t* name, const RCPtr<LRefCountedObject>& param)
{
    Notify(LNotification::Create(name, ConstRCPtr<LRefCountedObject>(param)));
}

void LSlider::SelectStateLook(bool containsFocus)
{
    if (!IsEnabled(true))
    {
        SelectLook(kDisabledLook);
        return;
    }
    SelectLook(containsFocus ? kFocusedLook : kNormalLook);
}
} // namespace ZQ
