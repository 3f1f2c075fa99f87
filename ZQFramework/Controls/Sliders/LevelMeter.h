#pragma once

#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/Controls/Forward.h"
#include "ZQFramework/Notification/NotificationHandler.h"

#include <cstdint>

namespace ZQ
{
// A level meter ("Framework.LevelMeter"): a signal level as a filled bar (the panel "activeOverlay"), an
// optional peak marker (the panel "peakLo", which moves toward the place of the hidden child "peakHi") and
// a clip light (the child "clipButton", lit at a value of 0.5 and above) that can latch until the user
// clicks it. The meter is vertical when it is taller than wide at creation, else horizontal. The owner
// feeds it a level, a peak and a clip counter that changes whenever the signal clipped. Held by its
// parent; UI thread only (owners on other threads post their levels).
//
// The overlay of a horizontal meter grows from its placed position with the level; that of a vertical
// meter covers the unlit part from the top (1 - level).
class LLevelMeter : public LControl
{
public:
    // Made by the control base's creation sequence, the only holder of a CreateKey.
    LLevelMeter(CreateKey key, const RCPtr<LControl>& parent, const WString& name);
    ~LLevelMeter() override;

    // --- Operations appended after the control base's, in slot order ---

    // SetLevelsAndClip with the clip counter unchanged. 0.
    virtual ZQRESULT SetLevels(double level, double peak);
    // A clip counter that differs from the last one lights the clip light; an equal one puts it out unless
    // the light latches. Then the bar and the peak marker follow level and peak (both 0..1). 0.
    virtual ZQRESULT SetLevelsAndClip(double level, double peak, int32_t clipState);
    // Puts the clip light out; latching on makes a click on the light put it out and send
    // "NID_CLIPLIGHT_UNLATCHED". E_FAIL without a clip light, else 0.
    virtual ZQRESULT SetClipLatching(bool on);
    [[nodiscard]] virtual bool IsClipLit();
    [[nodiscard]] virtual int32_t GetClipState();
    // Stores the counter without any other effect.
    virtual void SetClipState(int32_t clipState);

    [[nodiscard]] bool IsClipLatching() const { return mClipLatching; }
    // 1 vertical, 0 horizontal.
    [[nodiscard]] int32_t GetAxis() const { return mAxis; }

    // --- Control base operations ---

    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification) override;
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                        NotificationID id) override;
    // Finds the children; the overlay and the peak marker show the meter's tool tip. The base's result.
    ZQRESULT Initialize() override;
    // Fixes the axis, hides the marks and the overlay, makes everything not focusable and shows the value.
    // 0.
    ZQRESULT OnCreated() override;
    // A value set from outside ("INITIAL_VALUE", SetValue) is shown as a level with peak 0.
    void OnValueChanged() override;

private:
    // The clip light's "NID_LEFT_CLICK" while latching: a lit light goes out and the meter reports it. 1.
    ZQRESULT OnClipButtonClick(const RCPtr<LNotificationDistributor>& source,
                               const RCPtr<LNotification>& notification);
    void UpdateClipLight(int32_t clipState);
    void SizeOverlay(double level);
    void PlacePeakMarker(double peak);
    // The child's position on the meter's axis.
    [[nodiscard]] double OnAxis(const PointT<double>& point) const { return mAxis == 0 ? point.x : point.y; }

    RCPtr<LNotificationHandler<LLevelMeter>> mLevelHandler;
    int32_t mClipState = 0;
    bool mClipLatching = false;
    PointT<double> mPeakLoPosition;
    PointT<double> mPeakHiPosition;
    // Panels; a child of another class counts as missing.
    RCPtr<LPanel> mPeakLo;
    RCPtr<LPanel> mActiveOverlay;
    RCPtr<LControl> mClipButton;
    bool mInSetLevel = false;
    // Set once Initialize has looked the children up: a value set earlier (the base's "INITIAL_VALUE")
    // waits for OnCreated.
    bool mChildrenFound = false;
    int32_t mAxis = 0;
};
} // namespace ZQ
