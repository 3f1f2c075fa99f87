#include "ZQFramework/Controls/Buttons/Button.h"

#include "ZQFramework/ControlBase/Windows/ControlApplication.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Controls/ControlPattern.h"
#include "ZQFramework/Notification/ConditionsParam.h"
#include "ZQFramework/Notification/KeyCode.h"
#include "ZQFramework/Notification/KeyParam.h"
#include "ZQFramework/Notification/MouseButtonParam.h"
#include "ZQFramework/Notification/NotificationNames.h"
#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/ObjectBase/Result.h"

#include <stdexcept>

namespace ZQ
{
namespace
{
constexpr int32_t kPressedLook = 2;
constexpr int32_t kPressedOnLook = 9;

bool NewlySet(uint32_t previous, uint32_t current, uint32_t bit)
{
    return (previous & bit) == 0 && (current & bit) != 0;
}
} // namespace

LButton::LButton(CreateKey /*key*/, const RCPtr<LControl>& parent, const WString& name)
    : LControl(parent, name)
{
}

LButton::~LButton() = default;

double LButton::Now()
{
    const IControlApplication* application = IControlApplication::GetCurrent();
    return application != nullptr ? application->GetElapsedSeconds() : 0.0;
}

// --- Own operations ---

ZQRESULT LButton::SetAutoValueSet(bool autoValueSet)
{
    mAutoValueSet = autoValueSet;
    return 0;
}

ZQRESULT LButton::SetRadio(bool radio)
{
    mIsRadio = radio;
    return 0;
}

bool LButton::SetChecked(bool checked)
{
    return SetValue(checked ? 1.0 : 0.0) >= 0.5;
}

ZQRESULT LButton::UpdateLook()
{
    if (mPassive || mSimulatedClickPending)
    {
        return 0;
    }
    const bool on = IsChecked();
    if (!IsEnabled(true))
    {
        SelectLook(on ? 13 : 6);
        return 0;
    }
    const bool pressed = HasCapture() && (IsButtonDown(MouseButton::Left) || IsDragging(MouseButton::Left));
    int32_t look = on ? 7 : 0;
    if (pressed && (IsHover() || mKeepPressedLook))
    {
        look += 2;
    }
    else if (pressed || (IsHover() && !HasCapture()))
    {
        look += 1;
    }
    if (IsFocused())
    {
        look += 3;
    }
    SelectLook(look);
    return 0;
}

ZQRESULT LButton::SimulateClick()
{
    const RCPtr<LControl> self = KeepControlAlive(this);
    const bool heldBefore = HoldsIdle();
    if (mSimulatedClickPending)
    {
        // A second click before the first has shown its pressed look long enough: the first happens now.
        if (mAutoRepeat)
        {
            SendAutoRepeat();
        }
        PerformClick();
    }
    mSimulatedClickPending = true;
    SetFocus(true);
    FollowIdleNeed(heldBefore);
    mSimulatedPressStart = Now();
    SelectLook(IsChecked() ? kPressedOnLook : kPressedLook);
    InvalidateWhole();
    return 0;
}

// --- Control base operations ---

ZQRESULT LButton::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                      const RCPtr<LNotification>& notification)
{
    return DispatchClassFirst(*this, mButtonHandler, source, notification);
}

ZQRESULT LButton::RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source, NotificationID id)
{
    return RemoveClassCallback(*this, mButtonHandler, source, id);
}

ZQRESULT LButton::Initialize()
{
    const ZQRESULT result = LControl::Initialize();
    if (result < 0)
    {
        return result;
    }
    mButtonHandler = LNotificationHandler<LButton>::Create(this);
    try
    {
        const ZQRESULT bound =
            mButtonHandler->AddDirectCallback(&LButton::OnSimulateClickNotification, kNidSimulateClick);
        if (bound < 0)
        {
            ThrowFailedResult(bound, "ZQ::LButton::Initialize : Controls\\Button : Line 50");
        }
        bool flag = false;
        if (ReadFlagParam(*this, u"AUTO_VALUE_SET", flag))
        {
            SetAutoValueSet(flag);
        }
        if (ReadFlagParam(*this, u"IS_RADIO", flag))
        {
            SetRadio(flag);
        }
    }
    catch (const std::runtime_error&)
    {
        return result;
    }
    return 0;
}

void LButton::OnValueChanged()
{
    if (mIsRadio && IsChecked() && mParent != nullptr)
    {
        const RCPtr<LControl> parent = mParent;
        ChildControlList& siblings = parent->GetChildren();
        for (uint32_t i = siblings.GetCount(); i-- > 0;)
        {
            const RCPtr<LButton> sibling(siblings.GetAt(i, ChildControlList::kStorageOrder));
            if (sibling != nullptr && sibling.Get() != this && sibling->mIsRadio)
            {
                sibling->SetValue(0.0);
            }
        }
    }
    UpdateLook();
}

void LButton::OnConditionsChanged(const RCPtr<LConditionsParam>& conditions)
{
    if (mAutoRepeat && conditions != nullptr)
    {
        TrackRepeat(conditions->mPrevious, conditions->mCurrent);
    }
    UpdateLook();
}

ZQRESULT LButton::SetEnabled(bool enabled)
{
    const ZQRESULT result = LControl::SetEnabled(enabled);
    UpdateLook();
    return result;
}

void LButton::OnLeftClicked(const RCPtr<LMouseButtonParam>& /*param*/)
{
    if (!mAutoValueSet)
    {
        return;
    }
    // A radio button cannot be switched off by clicking it.
    SetValue(!mIsRadio && IsChecked() ? 0.0 : 1.0);
}

bool LButton::ContainsPoint(const PointT<int32_t>& point) const
{
    return !mPassive && LControl::ContainsPoint(point);
}

ZQRESULT LButton::HandleKeyPress(const RCPtr<LKeyParam>& param)
{
    if (param != nullptr && param->mKeyCode.GetCode() == Pressed(VKey::Return))
    {
        SimulateClick();
        return 0;
    }
    return 1;
}

void LButton::OnIdle()
{
    const RCPtr<LControl> self = KeepControlAlive(this);
    const double now = Now();
    if (mSimulatedClickPending && now - mSimulatedPressStart >= mSimulatedPressTime)
    {
        const bool heldBefore = HoldsIdle();
        mSimulatedClickPending = false;
        FollowIdleNeed(heldBefore);
        mSimulatedPressStart = 0;
        UpdateLook();
        if (mAutoRepeat)
        {
            SendAutoRepeat();
        }
        PerformClick();
    }
    if (mRepeating && IsHover() && IsEnabled(true))
    {
        StepRepeat(now);
    }
}

WString LButton::GetToolTipText() const
{
    return LabelOrToolTipText(*this);
}

// --- Helpers ---

ZQRESULT LButton::OnSimulateClickNotification(const RCPtr<LNotificationDistributor>& /*source*/,
                                              const RCPtr<LNotification>& /*notification*/)
{
    if (IsEnabled(true))
    {
        SimulateClick();
    }
    return 1;
}

void LButton::FollowIdleNeed(bool heldBefore)
{
    if (HoldsIdle() && !heldBefore)
    {
        RequestIdle();
    }
    else if (!HoldsIdle() && heldBefore)
    {
        ReleaseIdle();
    }
}

void LButton::TrackRepeat(uint32_t previous, uint32_t current)
{
    // Time spent with the pointer off the button does not count toward the next repeat.
    if (NewlySet(previous, current, kConditionHoverOrHighlight))
    {
        mRepeatLastTime = Now();
        return;
    }
    if (NewlySet(previous, current, kConditionLeftDown))
    {
        if (IsEnabled(true) && !mRepeating)
        {
            const bool heldBefore = HoldsIdle();
            mRepeating = true;
            FollowIdleNeed(heldBefore);
            mRepeatLastTime = Now();
            mRepeatRemaining = mRepeatDelay;
            SendAutoRepeat(); // the press itself is the first repeat
        }
        return;
    }
    if (NewlySet(current, previous, kConditionCapture) && mRepeating)
    {
        const bool heldBefore = HoldsIdle();
        mRepeating = false;
        FollowIdleNeed(heldBefore);
    }
}

void LButton::StepRepeat(double now)
{
    mRepeatRemaining -= now - mRepeatLastTime;
    mRepeatLastTime = now;
    if (mRepeatRemaining <= 0)
    {
        mRepeatRemaining = mRepeatInterval;
        SendAutoRepeat();
    }
}

void LButton::SendAutoRepeat()
{
    Notify(LNotification::Create(kNidButtonAutorepeat));
}

void LButton::PerformClick()
{
    const RCPtr<LRootWindow> window = GetRootWindow();
    const uint32_t buttons = window != nullptr ? window->GetMouseButtons() : 0;
    OnLeftClick(LMouseButtonParam::Create(1, 0, 0, 0, 0, buttons, 0));
}
} // namespace ZQ
