#pragma once

#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/Notification/NotificationHandler.h"

namespace ZQ
{
// The push button, check box and radio button of the library ("Framework.Button"). The value is the
// control base's normalised value; the button is on (checked) at 0.5 and above. Besides clicks it offers
// an auto-repeat while the left button holds it down (owners set it: scroll-bar arrows, up-down buttons)
// and a simulated click (Enter, "NID_SIMULATE_CLICK") that shows the pressed look for a moment first.
//
// Looks, by index: 0 normal, 1 hover, 2 pressed, 3 to 5 the same with the focus, 6 disabled; 7 to 13
// the same states when on. Radio buttons with the same parent form one group.
//
// Timing runs at the idle passes of the window on the application's elapsed seconds; the button holds
// one idle request while a simulated click is pending or an auto-repeat runs. UI thread only.
class LButton : public LControl
{
public:
    // Made by the control base's creation sequence, the only holder of a CreateKey.
    LButton(CreateKey key, const RCPtr<LControl>& parent, const WString& name);
    ~LButton() override;

    // --- Operations appended after the control base's, in slot order ---

    // Store the flag. 0.
    virtual ZQRESULT SetAutoValueSet(bool autoValueSet);
    virtual ZQRESULT SetRadio(bool radio);
    // Value 1 or 0; whether the button is now on.
    virtual bool SetChecked(bool checked);
    // Selects the look of the current state (nothing for a passive button or during a simulated click). 0.
    virtual ZQRESULT UpdateLook();
    // Shows the pressed look, takes the focus and clicks at the first idle pass 0.15 s later; a click
    // still pending is completed at once first. 0.
    virtual ZQRESULT SimulateClick();

    // --- Settings that owners set directly ---

    void SetAutoRepeat(bool autoRepeat) { mAutoRepeat = autoRepeat; }
    // A passive button is never hit and never chooses its own look.
    void SetPassive(bool passive) { mPassive = passive; }
    // Keeps the pressed look while the button is dragged with the pointer off it.
    void SetKeepPressedLook(bool keep) { mKeepPressedLook = keep; }
    [[nodiscard]] bool IsAutoValueSet() const { return mAutoValueSet; }
    [[nodiscard]] bool IsRadio() const { return mIsRadio; }
    [[nodiscard]] bool IsAutoRepeat() const { return mAutoRepeat; }
    [[nodiscard]] bool IsPassive() const { return mPassive; }
    [[nodiscard]] bool IsRepeating() const { return mRepeating; }
    [[nodiscard]] bool IsSimulatedClickPending() const { return mSimulatedClickPending; }
    [[nodiscard]] bool IsChecked() const { return GetValue() >= 0.5; }

    // --- Control base operations ---

    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification) override;
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                        NotificationID id) override;
    // Binds "NID_SIMULATE_CLICK" (sent straight to the button) and reads "AUTO_VALUE_SET" and "IS_RADIO".
    // Throws the "Failed Result" error when the binding fails. 0, or the base's negative result.
    ZQRESULT Initialize() override;
    // Switches the other radio buttons of the group off when this one comes on, then updates the look.
    void OnValueChanged() override;
    // Starts and stops the auto-repeat, then updates the look.
    void OnConditionsChanged(const RCPtr<LConditionsParam>& conditions) override;
    ZQRESULT SetEnabled(bool enabled) override;
    // With auto value set: toggles, or switches a radio button on.
    void OnLeftClicked(const RCPtr<LMouseButtonParam>& param) override;
    [[nodiscard]] bool ContainsPoint(const PointT<int32_t>& point) const override;
    // Enter (no modifier) simulates a click: 0; any other key 1.
    ZQRESULT HandleKeyPress(const RCPtr<LKeyParam>& param) override;
    // Finishes a simulated click that has shown long enough and steps the auto-repeat.
    void OnIdle() override;
    [[nodiscard]] WString GetToolTipText() const override;

private:
    // "NID_SIMULATE_CLICK": a click is simulated only when the button and its ancestors are enabled. 1.
    ZQRESULT OnSimulateClickNotification(const RCPtr<LNotificationDistributor>& source,
                                         const RCPtr<LNotification>& notification);
    [[nodiscard]] bool HoldsIdle() const { return mSimulatedClickPending || mRepeating; }
    // Takes or gives back the one idle request after a change of HoldsIdle (held before: heldBefore).
    void FollowIdleNeed(bool heldBefore);
    // The auto-repeat's part of a condition change from previous to current.
    void TrackRepeat(uint32_t previous, uint32_t current);
    // One countdown step at idle; sends the repeat whose time has come.
    void StepRepeat(double now);
    void SendAutoRepeat();
    // The left click of a simulated click, at (0, 0) with the window's mouse buttons.
    void PerformClick();
    [[nodiscard]] static double Now();

    RCPtr<LNotificationHandler<LButton>> mButtonHandler;
    bool mAutoValueSet = false;
    bool mIsRadio = false;
    bool mAutoRepeat = false;
    bool mPassive = false;
    bool mRepeating = false;
    bool mKeepPressedLook = false;
    double mRepeatInterval = 0.1;
    double mRepeatDelay = 0.3;
    double mRepeatLastTime = 0;
    double mRepeatRemaining = 0;
    double mSimulatedPressTime = 0.15;
    double mSimulatedPressStart = 0;
    bool mSimulatedClickPending = false;
};
} // namespace ZQ
