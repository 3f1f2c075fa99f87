#pragma once

#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/Controls/Forward.h"
#include "ZQFramework/Notification/NotificationHandler.h"

#include <cstdint>

namespace ZQ
{
// The skinnable scroll bar ("Framework.ScrollBar"). Its value (the control base's normalised value) is the
// position of the visible window over a longer content; a scroll view owns the bars and drives their
// range, page size and value, and the bar reports the user's changes through "NID_VALUE_CHANGE".
//
// The skin gives the parts as named children: "dec" and "inc", step buttons towards the start and the
// end (optional: without them the bar has no step buttons and stays vertical); "channel", a panel, the
// track, whose looks 0 (normal) and 1 (paging highlight) are shown; and "thumb", a button inside the
// channel, placed absolutely along the bar's axis. The thumb's place is derived from the value:
// round((channelEnd - channelStart - thumbLength) x value + channelStart).
//
// A press on the channel pages once at once, again 0.4 s later and then every 0.2 s while the pointer
// stays on the channel between the thumb and the end it pages towards; the countdown waits while the
// pointer is elsewhere and paging ends with the press. The repeat runs at the window's idle passes on the
// application's elapsed seconds; the bar holds one idle request while paging. UI thread only.
class LScrollbar : public LControl
{
public:
    // Made by the control base's creation sequence, the only holder of a CreateKey.
    LScrollbar(CreateKey key, const RCPtr<LControl>& parent, const WString& name);
    ~LScrollbar() override;

    // --- Own operations ---

    // Which navigation keys the bar answers, one bit each: Up 0x01, Down 0x02, Left 0x04, Right 0x08, Page
    // Up 0x10, Page Down 0x20, Home 0x40, End 0x80. The first non-zero mask makes the bar listen for the
    // keys its parent offers ("NID_SIBLING_KEY") and for those handed to itself. 0; E_INVALIDARG when the
    // mask does not fit in 8 bits (the low 8 bits are kept all the same).
    ZQRESULT SetSiblingKeys(uint32_t mask);
    // The thumb's length from the channel and the thumb proportion, at least the minimum length and at
    // most the channel's length; then the thumb's place.
    void UpdateThumbLength();
    // The thumb's place from the value (nothing while it is dragged).
    void UpdateThumbPosition();

    void SetThumbProportion(double proportion) { mThumbProportion = proportion; }
    void SetLineStep(double step) { mLineStep = step; }
    void SetPageStep(double step) { mPageStep = step; }
    [[nodiscard]] double GetThumbProportion() const { return mThumbProportion; }
    [[nodiscard]] double GetLineStep() const { return mLineStep; }
    [[nodiscard]] double GetPageStep() const { return mPageStep; }
    [[nodiscard]] bool IsVertical() const { return mVertical; }
    [[nodiscard]] bool IsDragging() const { return mDragging; }
    // 0 none, 1 paging towards the start, 2 towards the end.
    [[nodiscard]] int32_t GetPagingMode() const { return mPagingMode; }
    [[nodiscard]] double GetMinThumbLength() const { return mMinThumbLength; }
    [[nodiscard]] double GetThumbLength() const { return mThumbLength; }
    // The thumb's travel along the axis in the channel's client coordinates.
    [[nodiscard]] double GetChannelStart() const { return mChannelStart; }
    [[nodiscard]] double GetChannelEnd() const { return mChannelEnd; }
    [[nodiscard]] uint32_t GetSiblingKeys() const { return mSiblingKeyMask; }
    [[nodiscard]] const RCPtr<LButton>& GetThumb() const { return mThumb; }

    // --- Control base operations ---

    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification) override;
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                        NotificationID id) override;
    // While the thumb is dragged the value is kept for the drop and the current value returned. Otherwise
    // the control base's SetValue, then the thumb follows.
    double SetValue(double value) override;
    // Keeps the scaled value across the change (clamped into the new range). 0, or E_INVALIDARG with the
    // range unchanged for a taper other than 0, or 1 with a bound not above 0.
    ZQRESULT SetRange(double minimum, double maximum, int32_t taper) override;
    // Recomputes the channel's geometry, the thumb's length and its place.
    void EndUpdate() override;
    // The paging repeat.
    void OnIdle() override;
    // Finds the parts and listens to them, sets the step buttons repeating, decides the orientation and
    // answers every navigation key. 0, or E_FAIL when the control base's Initialize failed.
    ZQRESULT Initialize() override;
    // No part of the bar takes the focus; the shortest thumb is square. 0.
    ZQRESULT OnCreated() override;

private:
    // Axis 1 for a vertical bar, 0 for a horizontal one.
    [[nodiscard]] int32_t Axis() const { return mVertical ? 1 : 0; }
    // The thumb's coordinate and length along the axis, in the channel's client coordinates.
    [[nodiscard]] double ThumbPosition() const;
    [[nodiscard]] double ThumbSize() const;
    // Writes the thumb's absolute position along the axis into its layout.
    void PlaceThumb(double position);
    // The value from the thumb's place, through the control base's SetValue (not deferred by a drag).
    void UpdateValueFromThumb();
    // 1 before the thumb, 2 after it, 0 on it or outside the travel; point in the channel's client
    // coordinates.
    [[nodiscard]] int32_t HitTestChannel(const PointT<double>& point) const;
    // The zone of the window's pointer in the channel, 0 when the channel is not hovered.
    [[nodiscard]] int32_t PointerZone() const;
    void UpdatePagingHighlight();
    void ClearPagingHighlight();
    // One page towards the start (mode 1) or the end (mode 2).
    void Page(int32_t mode);
    void EndPaging();
    [[nodiscard]] static double Now();

    // Notification handlers; each returns 0, so the control base's handler may see the notification too.
    ZQRESULT OnChannelLeftDrag(const RCPtr<LNotificationDistributor>& source,
                               const RCPtr<LNotification>& notification);
    ZQRESULT OnChannelHover(const RCPtr<LNotificationDistributor>& source,
                            const RCPtr<LNotification>& notification);
    ZQRESULT OnThumbLeftDrag(const RCPtr<LNotificationDistributor>& source,
                             const RCPtr<LNotification>& notification);
    ZQRESULT OnThumbMouseMove(const RCPtr<LNotificationDistributor>& source,
                              const RCPtr<LNotification>& notification);
    ZQRESULT OnStepButtonRepeat(const RCPtr<LNotificationDistributor>& source,
                                const RCPtr<LNotification>& notification);
    ZQRESULT OnSiblingKeyNotification(const RCPtr<LNotificationDistributor>& source,
                                      const RCPtr<LNotification>& notification);

    RCPtr<LNotificationHandler<LScrollbar>> mBarHandler;
    bool mVertical = true;
    RCPtr<LButton> mThumb;
    RCPtr<LControl> mChannel;
    double mLineStep = 0.02;
    double mPageStep = 0.2;
    double mThumbProportion = 0.1;
    double mMinThumbLength = 10.0;
    double mThumbLength = 0;
    double mChannelStart = 0;
    double mChannelEnd = 0;
    double mChannelOrigin = 0;
    bool mDragging = false;
    PointT<int32_t> mGrabOffset{};
    int32_t mPagingMode = 0;
    double mPageRepeatInterval = 0.2;
    double mPageRepeatDelay = 0.4;
    double mLastPageTick = 0;
    double mPageCountdown = 0;
    double mPendingValue = -1.0;
    bool mApplyPendingOnDrop = true;
    uint32_t mSiblingKeyMask = 0;
};
} // namespace ZQ
