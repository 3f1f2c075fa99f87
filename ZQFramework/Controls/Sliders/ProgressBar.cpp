#include "ZQFramework/Controls/Sliders/ProgressBar.h"

#include "ZQFramework/ControlBase/Skin/ControlFactory.h"
#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/ControlBase/Skin/StringTable.h"
#include "ZQFramework/ControlBase/Windows/ControlApplication.h"
#include "ZQFramework/Controls/ControlPattern.h"

#include <climits>
#include <cmath>

namespace ZQ
{
namespace
{
constexpr int32_t kLinear = 0;
constexpr const char16_t* kWordKeys[] = {u"HOURS_SINGULAR", u"HOURS_PLURAL",     u"MINUTES_SINGULAR",
                                         u"MINUTES_PLURAL", u"SECONDS_SINGULAR", u"SECONDS_PLURAL",
                                         u"REMAINING"};
// The reference point of the estimate moves on at most once a second.
constexpr double kReferenceInterval = 1.0;

} // namespace

LProgressBar::LProgressBar(CreateKey /*key*/, const RCPtr<LControl>& parent, const WString& name)
    : LControl(parent, name)
{
}

LProgressBar::~LProgressBar() = default;

double LProgressBar::Now()
{
    const IControlApplication* application = IControlApplication::GetCurrent();
    return application != nullptr ? application->GetElapsedSeconds() : 0.0;
}

// --- Own operations ---

ZQRESULT LProgressBar::SetTimeRemaining(int32_t seconds)
{
    WString text;
    if (seconds == 0)
    {
        text = WString(u"0 ") + mWords[kSecondsPlural] + WString(u" ") + mWords[kRemaining];
    }
    else
    {
        const int32_t hours = seconds / 3600;
        const int32_t minutes = seconds % 3600 / 60;
        const int32_t rest = seconds % 3600 % 60;
        if (hours > 0)
        {
            text = text + WString::Format(u"%d ", hours) +
                   mWords[hours == 1 ? kHoursSingular : kHoursPlural] + WString(u" ");
        }
        if (minutes > 0 || hours > 0)
        {
            text = text + WString::Format(u"%d ", minutes) +
                   mWords[minutes == 1 ? kMinutesSingular : kMinutesPlural] + WString(u" ");
        }
        text = text + WString::Format(u"%d ", rest) + mWords[rest == 1 ? kSecondsSingular : kSecondsPlural] +
               WString(u" ") + mWords[kRemaining];
    }
    if (mTimeRemainingLabel != nullptr)
    {
        mTimeRemainingLabel->SetLabel(text);
        mTimeRemainingLabel->SetVisible(true);
    }
    return 0;
}

ZQRESULT LProgressBar::SetAutoEstimate(bool on)
{
    if (on == mEstimating)
    {
        return 0;
    }
    mEstimating = on;
    if (on)
    {
        mStartTime = mLastTime = Now();
        mStartValue = mLastValue = GetValue();
    }
    return 0;
}

// --- Control base operations ---

ZQRESULT LProgressBar::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                           const RCPtr<LNotification>& notification)
{
    return DispatchClassFirst(*this, mProgressHandler, source, notification);
}

ZQRESULT LProgressBar::RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                                  NotificationID id)
{
    return RemoveClassCallback(*this, mProgressHandler, source, id);
}

ZQRESULT LProgressBar::Initialize()
{
    const ZQRESULT result = LControl::Initialize();
    if (result < 0)
    {
        return result;
    }
    mProgressHandler = LNotificationHandler<LProgressBar>::Create(this);
    mActiveOverlay = FindTypedChild<LPanel>(*this, u"activeOverlay");
    mTimeRemainingLabel = FindTypedChild<LLabel>(*this, u"timeRemainingLabel");
    mPercentCompleteLabel = FindTypedChild<LLabel>(*this, u"percentCompleteLabel");
    if (mTimeRemainingLabel != nullptr)
    {
        mTimeRemainingLabel->SetVisible(false);
    }
    FetchWords();
    SetValue(0.0);
    SetRange(0, 100, kLinear);
    return result;
}

ZQRESULT LProgressBar::OnCreated()
{
    SetNotFocusable(true);
    OnValueChanged();
    return 0;
}

void LProgressBar::OnValueChanged()
{
    const double percent = GetValue() * 100;
    SizeOverlay(percent);
    if (mPercentCompleteLabel != nullptr)
    {
        mPercentCompleteLabel->SetLabel(WString::FromDouble(percent, 0));
    }
    EstimationStep();
}

// --- Helpers ---

void LProgressBar::FetchWords()
{
    const IControlApplication* application = IControlApplication::GetCurrent();
    const RCPtr<LControlFactory> factory =
        application != nullptr ? application->GetControlFactory() : nullptr;
    const RCPtr<LStringTable> table = factory != nullptr ? factory->GetFrameworkStringTable() : nullptr;
    for (int32_t i = 0; i < kWordCount; ++i)
    {
        mWords[i] = WString();
        if (table != nullptr)
        {
            table->GetString(kWordKeys[i], mWords[i]);
        }
    }
}

void LProgressBar::SizeOverlay(double percent)
{
    if (mActiveOverlay == nullptr)
    {
        return;
    }
    const int32_t width = RoundToInt(GetRect().width * percent / 100);
    if (width < 1)
    {
        mActiveOverlay->SetVisible(false);
        return;
    }
    mActiveOverlay->SetVisible(true);
    const RCPtr<LLayoutDescriptor>& layout = mActiveOverlay->GetLayout();
    if (layout == nullptr)
    {
        return;
    }
    LLayoutDescriptor::AxisPosition position;
    LLayoutDescriptor::AxisSize size;
    layout->GetAxis(0, position, size);
    size.ToControl = LLayoutDescriptor::kSizeSelf;
    size.ReferenceName = WString();
    size.Abs = width;
    mActiveOverlay->SetAxisPlacement(0, position, size);
}

void LProgressBar::EstimationStep()
{
    if (!mEstimating)
    {
        return;
    }
    const double now = Now();
    const double value = GetValue();
    if (value - mLastValue > 0 && now - mLastTime > 0)
    {
        const double rate = (value - mStartValue) / (now - mStartTime);
        if (now - mLastTime > kReferenceInterval)
        {
            mLastValue = value;
            mLastTime = now;
        }
        SetTimeRemaining(RoundToInt((1 - value) / rate));
    }
    if (value >= 1)
    {
        mEstimating = false;
    }
}
} // namespace ZQ
