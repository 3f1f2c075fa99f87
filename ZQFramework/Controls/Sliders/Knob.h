#pragma once

#include "ZQFramework/ControlBase/Control/Control.h"

#include <cstdint>

namespace ZQ
{
// A rotary control drawn as a film strip ("Framework.Knob"): looks 0..n-1 are its n frames and the frame
// shown follows the value. Look n is empty; look n + 1, when present, is the focus image and n + 2 the
// disabled image, which are laid over every frame while the knob has the focus or is disabled.
//
// It turns by dragging, linearly (right or up raises the value; the whole range takes
// "LINEAR_GESTURE_FULL_RANGE" pixels, a quarter of it with Ctrl held) or radially (the value follows the
// pointer's angle around the centre between "RADIAL_GESTURE_START_ANGLE" and "RADIAL_GESTURE_END_ANGLE",
// degrees clockwise from 12 o'clock), by the arrow keys and by the wheel, one unit of 0..127 a step.
// While it is dragged, values set from outside are held back and applied at the drop. Sends
// "NID_VALUE_CHANGE_CAPTURE" (a bool holder) at the start and end of a drag and "NID_VALUE_CHANGE_KEY_DOWN"
// / "NID_VALUE_CHANGE_KEY_UP" around a run of arrow presses. Held by its parent; UI thread only.
class LKnob : public LControl
{
public:
    // Made by the control base's creation sequence, the only holder of a CreateKey.
    LKnob(CreateKey key, const RCPtr<LControl>& parent, const WString& name);
    ~LKnob() override;

    [[nodiscard]] bool IsRadial() const { return mRadial; }
    [[nodiscard]] int32_t GetLinearFullRange() const { return mLinearFullRange; }
    [[nodiscard]] double GetRadialStartAngle() const { return mRadialStartAngle; }
    [[nodiscard]] double GetRadialEndAngle() const { return mRadialEndAngle; }
    [[nodiscard]] double GetFineAdjustMultiplier() const { return mFineAdjustMultiplier; }
    [[nodiscard]] int32_t GetFrameCount() const { return mFrameCount; }
    [[nodiscard]] const PointT<int32_t>& GetCenter() const { return mCenter; }

    // --- Control base operations ---

    // During a drag the value is held back (and the current one returned); otherwise the base's.
    double SetValue(double value) override;
    // Shows the value's frame.
    void OnValueChanged() override;
    // Drag start and end, focus loss during an arrow run, focus and disabled images.
    void OnConditionsChanged(const RCPtr<LConditionsParam>& conditions) override;
    // One drag step while the left drag lasts.
    void OnMouseMoved(const RCPtr<LPointWithModifiersParam>& param) override;
    // Away from the user (vertical) or right (horizontal) raises the value by one unit, else lowers it. 0.
    ZQRESULT OnMouseWheel(const RCPtr<LMouseWheelParam>& param) override;
    ZQRESULT OnMouseHWheel(const RCPtr<LMouseWheelParam>& param) override;
    // Arrow presses step the value (0); their release ends the run (0); other keys 1.
    ZQRESULT HandleKeyPress(const RCPtr<LKeyParam>& param) override;
    // Reads the gesture parameters; range 0..127, linear. The base's result.
    ZQRESULT Initialize() override;
    // Counts the frames, finds the images, fixes the full range and the centre, shows the value. 0.
    ZQRESULT OnCreated() override;

private:
    void ReadCreateParams();
    // The value from the pointer's angle around the centre.
    void RadialStep(const PointT<int32_t>& point);
    // The value from the pointer's travel since the last step.
    void LinearStep(const PointT<int32_t>& point);
    // One unit of the 0..127 range up (+1) or down (-1), held back during a drag like any value.
    void StepUnits(int32_t units);
    // The image of look index over every frame (null takes the images out again).
    void OverlayFrames(int32_t imageLook, bool on);
    void SendCapture(bool captured);
    void SendNotification(const char16_t* name, const RCPtr<LRefCountedObject>& param);

    bool mRadial = false;
    int32_t mLinearFullRange = 0;
    double mRadialStartAngle = 0;
    double mRadialEndAngle = 0;
    double mFineAdjustMultiplier = 0;
    int32_t mFrameCount = 0;
    PointT<int32_t> mLastPoint;
    PointT<int32_t> mPreviousPoint;
    PointT<int32_t> mCenter;
    double mPendingValue = -1;
    bool mKeyChanging = false;
    int32_t mFocusLook = -1;
    int32_t mDisabledLook = -1;
};
} // namespace ZQ
