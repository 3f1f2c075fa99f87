#pragma once

#include "ZQFramework/Controls/Sliders/Slider.h"
#include "ZQFramework/Notification/NotificationHandler.h"

namespace ZQ
{
// A slider that also shows the stretch between a fixed point of the track and the thumb, for a value
// centred on zero such as a balance or a pitch ("Framework.CenteredSlider"). The skin gives it the
// children "lowRangeBounds" and "highRangeBounds" (panels of class "Framework.CenteredSliderBounds", each
// holding a child "fill"); the slider keeps one edge of both on the centre of the thumb, and their skin
// layout decides where their other edges lie and which one shows the filled stretch on each side. Only a
// horizontal or vertical track moves them. The bounds and their fills let the pointer through to the
// slider and its thumb. Held by its parent; UI thread only.
class LCenteredSlider : public LSlider
{
public:
    // Made by the control base's creation sequence, the only holder of a CreateKey.
    LCenteredSlider(CreateKey key, const RCPtr<LControl>& parent, const WString& name);
    ~LCenteredSlider() override;

    // --- Operation appended after the slider's ---

    // The bounds' position on the track's axis to the thumb's centre, taken from the thumb's layout.
    // Throws the runtime error "Null Pointer : Thumb Child was not created." without a thumb.
    virtual void SetBoundsPosFromThumbPos();

    [[nodiscard]] const RCPtr<LControl>& GetLowRangeBounds() const { return mLowRangeBounds; }
    [[nodiscard]] const RCPtr<LControl>& GetHighRangeBounds() const { return mHighRangeBounds; }

    // --- Slider and control base operations ---

    // The slider's, then the bounds follow the thumb.
    double ApplyValue(double value) override;
    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification) override;
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                        NotificationID id) override;
    // The slider's Initialize (its failure gives E_FAIL), then finds the bounds, lets the pointer through
    // them and places them. 0; throws without a thumb.
    ZQRESULT Initialize() override;

private:
    // The thumb's "NID_MOUSE_MOVE": the bounds follow. 0, so that the slider's own drag step runs too.
    ZQRESULT OnThumbMouseMove(const RCPtr<LNotificationDistributor>& source,
                              const RCPtr<LNotification>& notification);
    // The position record of bounds on axis gets center as its absolute value; its size stays.
    static void PlaceBounds(const RCPtr<LControl>& bounds, int32_t axis, double center);

    RCPtr<LNotificationHandler<LCenteredSlider>> mCenteredHandler;
    RCPtr<LControl> mLowRangeBounds;
    RCPtr<LControl> mHighRangeBounds;
};
} // namespace ZQ
