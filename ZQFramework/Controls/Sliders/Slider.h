#pragma once

#include "ZQFramework/Controls/Buttons/Button.h"
#include "ZQFramework/Controls/Containers/Panel.h"
#include "ZQFramework/Notification/NotificationHandler.h"

#include <cstdint>

namespace ZQ
{
// A linear value control whose thumb travels along a straight segment of any direction: horizontal,
// vertical or slanted ("Framework.Slider"). The skin marks the two ends of the travel with the children
// "thumbStart" and "thumbEnd", which are hidden once the slider is created; the thumb is a button named
// "thumb" that the slider makes at run time from the skin description of "thumbStart". The value is the
// control base's normalised value with the range 0..100 (linear), so the scaled value is a percentage
// unless the owner sets another range.
//
// The thumb is dragged along the track (values set meanwhile wait for the drop); a press on the track
// moves the value at most one step of 0.1 towards the pointer, again after 0.3 s and then every 0.1 s
// while the track is held and hovered; the arrow keys and the wheel change the scaled value by 1.
// Sends "NID_VALUE_CHANGE", "NID_VALUE_CHANGE_CAPTURE" (a bool holder: true when a thumb drag starts,
// false when it ends) and "NID_VALUE_CHANGE_KEY_DOWN" / "NID_VALUE_CHANGE_KEY_UP" around a run of arrow
// presses. Looks: 0 normal, 1 focused, 2 disabled.
//
// Positions of the markers and of the thumb are their control positions in the slider's client area;
// pointer positions are carried into the same frame. A slider without both markers has no thumb: the
// pointer, the track and the keys change nothing, SetValue still stores. Held by its parent; UI thread only.
class LSlider : public LPanel
{
public:
    // Made by the control base's creation sequence, the only holder of a CreateKey.
    LSlider(CreateKey key, const RCPtr<LControl>& parent, const WString& name);
    ~LSlider() override;

    // --- Operations appended after the panel's, in slot order ---

    // The control base's SetValue (clamping, "NID_VALUE_CHANGE"), then the thumb follows. The value held.
    virtual double ApplyValue(double value);
    // The value from where the thumb stands.
    virtual void UpdateValueFromThumb();
    // The thumb to the value's place on the track; nothing while the thumb is dragged.
    virtual void UpdateThumbPosition();
    // The whole-pixel point of the track nearest to (x, y) less the grab offset, within the markers' box.
    [[nodiscard]] virtual PointT<int32_t> ProjectPointOnTrack(int32_t x, int32_t y);
    // The distance from (x, y) to "thumbStart" over the track's length (no sign, no clamping); 0 when the
    // markers are at one place.
    [[nodiscard]] virtual double ValueFromPoint(double x, double y);
    [[nodiscard]] virtual double GetValue() const;

    // --- Own operations ---

    // One step of at most the track step from the value towards the value of point (the slider's
    // coordinates), never past it.
    void MoveThumbTowards(const PointT<int32_t>& point);

    // Settings for owners: whether a value set during a drag is applied at the drop (default on), and
    // whether the drop sends "NID_VALUE_CHANGE" once more (default off).
    void SetApplyPendingOnDrop(bool apply) { mApplyPendingOnDrop = apply; }
    void SetNotifyValueOnRelease(bool notify) { mNotifyValueOnRelease = notify; }
    [[nodiscard]] const RCPtr<LButton>& GetThumb() const { return mThumb; }
    [[nodiscard]] const RCPtr<LControl>& GetThumbStart() const { return mThumbStart; }
    [[nodiscard]] const RCPtr<LControl>& GetThumbEnd() const { return mThumbEnd; }
    [[nodiscard]] bool IsDragging() const { return mDragging; }
    [[nodiscard]] const PointT<int32_t>& GetThumbHotOffset() const { return mThumbHotOffset; }

    // --- Control base operations ---

    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification) override;
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                        NotificationID id) override;
    // While the thumb is dragged the value waits for the drop (the value held is returned); otherwise
    // ApplyValue.
    double SetValue(double value) override;
    // After a re-layout the thumb follows the value again.
    void EndUpdate() override;
    // The track hold starts with the slider's own left drag (at the press) and ends with it; focus and
    // enabled changes choose the look, and losing the focus ends a run of arrow presses.
    void OnConditionsChanged(const RCPtr<LConditionsParam>& conditions) override;
    // Away from the user (vertical) or right (horizontal) raises the scaled value by 1, else lowers it. 0.
    ZQRESULT OnMouseWheel(const RCPtr<LMouseWheelParam>& param) override;
    ZQRESULT OnMouseHWheel(const RCPtr<LMouseWheelParam>& param) override;
    // A click on the track moves one step towards it.
    void OnLeftClicked(const RCPtr<LMouseButtonParam>& param) override;
    // Up and Right raise the scaled value by 1, Left and Down lower it (0); their release ends the run
    // (0); other keys go to the panel.
    ZQRESULT ProcessHotKey(const RCPtr<LKeyParam>& param) override;
    // The held track's repeat.
    void OnIdle() override;
    // Finds the markers, makes the thumb from "thumbStart", sets the range 0..100 and a drag threshold of
    // 0. The panel's failure gives E_FAIL, else 0.
    ZQRESULT Initialize() override;
    // A "thumb" given without a descriptor gets a fresh copy of the run-time thumb's; every other child
    // the panel's way.
    ZQRESULT AddChildControl(const RCPtr<LControl>& control,
                             const RCPtr<LControlDescriptor>& descriptor) override;
    // Hides the markers, fixes the thumb's hot point and places the thumb. 0.
    ZQRESULT OnCreated() override;

private:
    // The thumb's "NID_LEFT_DRAG_CONDITION_CHANGE": a drag starts or ends. 0.
    ZQRESULT OnThumbLeftDrag(const RCPtr<LNotificationDistributor>& source,
                             const RCPtr<LNotification>& notification);
    // The thumb's "NID_MOUSE_MOVE" during a drag: the thumb follows the pointer along the track. 0.
    ZQRESULT OnThumbMouseMove(const RCPtr<LNotificationDistributor>& source,
                              const RCPtr<LNotification>& notification);
    // The thumb's "NID_LEFT_CLICK": nothing. 0.
    ZQRESULT OnThumbLeftClick(const RCPtr<LNotificationDistributor>& source,
                              const RCPtr<LNotification>& notification);
    // "thumbStart"'s descriptor under the name "thumb", with a layout that places it by absolute values
    // only; null without "thumbStart" or a factory.
    [[nodiscard]] RCPtr<LControlDescriptor> MakeThumbDescriptor() const;
    // Whether the slider has both markers and a thumb, so that the track can be used.
    [[nodiscard]] bool HasTrack() const;
    // Places the thumb's top-left corner at point (whole pixels, the slider's client area).
    void PlaceThumb(const PointT<int32_t>& point);
    [[nodiscard]] PointT<int32_t> ThumbPosition() const;
    // A point of the slider's own coordinates in its client area, where the markers are.
    [[nodiscard]] PointT<int32_t> ToClient(const PointT<int32_t>& point) const;
    void StepScaledValue(double units);
    void SendNotification(const char16_t* name, const RCPtr<LRefCountedObject>& param);
    void SelectStateLook(bool containsFocus);

    RCPtr<LNotificationHandler<LSlider>> mSliderHandler;
    RCPtr<LButton> mThumb;
    RCPtr<LControl> mThumbStart;
    RCPtr<LControl> mThumbEnd;
    bool mDragging = false;
    PointT<int32_t> mGrabOffset{};
    double mTrackStep = 0.1;
    bool mTrackPressActive = false;
    double mLastTrackTick = 0;   // application seconds
    double mTrackCountdown = 0;  // seconds
    double mPendingValue = -1.0; // -1: none
    bool mApplyPendingOnDrop = true;
    bool mNotifyValueOnRelease = false;
    bool mKeyStepping = false;
    PointT<int32_t> mThumbHotOffset{};
};
} // namespace ZQ
