#pragma once

#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/Controls/Buttons/Label.h"
#include "ZQFramework/Controls/Containers/Panel.h"
#include "ZQFramework/Notification/NotificationHandler.h"

#include <cstdint>

namespace ZQ
{
// A progress bar ("Framework.ProgressBar"): the normalised value as a filled overlay (the child
// "activeOverlay", which must be a panel, "Framework.Panel"; any other class is never found and the bar stays
// empty; sized to the value's share of the bar's width), the percentage as a bare number (the label
// "percentCompleteLabel"; a skin shows the sign in a label of its own, which the bar leaves alone) and a text
// of the time remaining (the label "timeRemainingLabel", hidden until the first time is set). The owner
// either sets the time itself (SetTimeRemaining) or lets the bar estimate it from the average rate of
// progress since estimation began (SetAutoEstimate). The words of the time text come from the framework
// string table. The range is 0..100, linear. UI thread only.
class LProgressBar : public LControl
{
public:
    // Made by the control base's creation sequence, the only holder of a CreateKey.
    LProgressBar(CreateKey key, const RCPtr<LControl>& parent, const WString& name);
    ~LProgressBar() override;

    // --- Operations appended after the control base's, in slot order ---

    // Shows the time-remaining label with seconds as hours, minutes and seconds, e.g.
    // "1 Minute 1 Second Remaining". 0.
    virtual ZQRESULT SetTimeRemaining(int32_t seconds);
    // Switching on takes the current value and time as the points the estimate is measured from. 0.
    virtual ZQRESULT SetAutoEstimate(bool on);

    [[nodiscard]] bool IsEstimating() const { return mEstimating; }

    // --- Control base operations ---

    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification) override;
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                        NotificationID id) override;
    // Finds the children, hides the time, fetches the words, value 0, range 0..100. The base's result.
    ZQRESULT Initialize() override;
    // Not focusable; the children show the starting value. 0.
    ZQRESULT OnCreated() override;
    // Sizes the overlay, shows the percentage and runs one estimation step.
    void OnValueChanged() override;

private:
    // The words of the time text, by their keys in the framework string table.
    enum Word
    {
        kHoursSingular,
        kHoursPlural,
        kMinutesSingular,
        kMinutesPlural,
        kSecondsSingular,
        kSecondsPlural,
        kRemaining,
        kWordCount
    };

    void FetchWords();
    // The overlay as wide as percent of the bar, hidden below one pixel.
    void SizeOverlay(double percent);
    void EstimationStep();
    [[nodiscard]] static double Now();

    RCPtr<LNotificationHandler<LProgressBar>> mProgressHandler;
    RCPtr<LPanel> mActiveOverlay;
    RCPtr<LLabel> mTimeRemainingLabel;
    RCPtr<LLabel> mPercentCompleteLabel;
    WString mWords[kWordCount];
    bool mEstimating = false;
    double mStartTime = 0;
    double mStartValue = 0;
    double mLastTime = 0;
    double mLastValue = 0;
};
} // namespace ZQ
