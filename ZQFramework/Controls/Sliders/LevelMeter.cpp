#include "ZQFramework/Controls/Sliders/LevelMeter.h"

#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/Controls/Containers/Panel.h"
#include "ZQFramework/Controls/ControlPattern.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationNames.h"

#include <climits>
#include <cmath>

namespace ZQ
{
namespace
{
constexpr double kLitThreshold = 0.5;

// Hidden, not focusable and placed where the skin put it.
PointT<double> HideMark(LControl& mark)
{
    mark.SetVisible(false);
    mark.SetNotFocusable(true);
    return {mark.GetRect().x, mark.GetRect().y};
}
} // namespace

LLevelMeter::LLevelMeter(CreateKey /*key*/, const RCPtr<LControl>& parent, const WString& name)
    : LControl(parent, name)
{
}

LLevelMeter::~LLevelMeter() = default;

// --- Own operations ---

ZQRESULT LLevelMeter::SetLevels(double level, double peak)
{
    return SetLevelsAndClip(level, peak, mClipState);
}

ZQRESULT LLevelMeter::SetLevelsAndClip(double level, double peak, int32_t clipState)
{
    UpdateClipLight(clipState);
    mClipState = clipState;
    mInSetLevel = true;
    SetValue(level);
    mInSetLevel = false;
    SizeOverlay(level);
    PlacePeakMarker(peak);
    return 0;
}

ZQRESULT LLevelMeter::SetClipLatching(bool on)
{
    if (mClipButton == nullptr)
    {
        return E_FAIL;
    }
    mClipButton->SetValue(0.0);
    if (on == mClipLatching)
    {
        return 0;
    }
    mClipLatching = on;
    const RCPtr<LNotificationDistributor> source(mClipButton);
    if (on)
    {
        mLevelHandler->AddCallback(&LLevelMeter::OnClipButtonClick, source, kNidLeftClick, 0);
    }
    else
    {
        UnregisterFromDistributor(source, kNidLeftClick);
        mLevelHandler->RemoveCallback(source.Get(), kNidLeftClick);
    }
    return 0;
}

bool LLevelMeter::IsClipLit()
{
    return mClipButton != nullptr && mClipButton->GetValue() >= kLitThreshold;
}

int32_t LLevelMeter::GetClipState()
{
    return mClipState;
}

void LLevelMeter::SetClipState(int32_t clipState)
{
    mClipState = clipState;
}

// --- Control base operations ---

ZQRESULT LLevelMeter::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                          const RCPtr<LNotification>& notification)
{
    return DispatchClassFirst(*this, mLevelHandler, source, notification);
}

ZQRESULT LLevelMeter::RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                                 NotificationID id)
{
    return RemoveClassCallback(*this, mLevelHandler, source, id);
}

ZQRESULT LLevelMeter::Initialize()
{
    const ZQRESULT result = LControl::Initialize();
    if (result < 0)
    {
        return result;
    }
    mLevelHandler = LNotificationHandler<LLevelMeter>::Create(this);
    mPeakLo = FindTypedChild<LPanel>(*this, u"peakLo");
    if (mPeakLo != nullptr)
    {
        mPeakLo->SetUseParentToolTip(true);
    }
    mActiveOverlay = FindTypedChild<LPanel>(*this, u"activeOverlay");
    if (mActiveOverlay != nullptr)
    {
        mActiveOverlay->SetUseParentToolTip(true);
    }
    mClipButton = FindChild(u"clipButton");
    mChildrenFound = true;
    return result;
}

ZQRESULT LLevelMeter::OnCreated()
{
    mAxis = GetRect().height > GetRect().width ? 1 : 0;
    if (mPeakLo != nullptr)
    {
        mPeakLoPosition = HideMark(*mPeakLo);
        if (const RCPtr<LControl> peakHi = FindChild(u"peakHi"); peakHi != nullptr)
        {
            mPeakHiPosition = HideMark(*peakHi);
        }
        else
        {
            mPeakLo = nullptr;
        }
    }
    if (mActiveOverlay != nullptr)
    {
        mActiveOverlay->SetVisible(false);
        mActiveOverlay->SetNotFocusable(true);
    }
    if (mClipButton != nullptr)
    {
        mClipButton->SetNotFocusable(true);
    }
    SetNotFocusable(true);
    OnValueChanged();
    return 0;
}

void LLevelMeter::OnValueChanged()
{
    if (!mInSetLevel && mChildrenFound)
    {
        SetLevelsAndClip(GetValue(), 0, mClipState);
    }
}

// --- Helpers ---

ZQRESULT LLevelMeter::OnClipButtonClick(const RCPtr<LNotificationDistributor>& /*source*/,
                                        const RCPtr<LNotification>& /*notification*/)
{
    if (IsClipLit())
    {
        mClipButton->SetValue(0.0);
        Notify(LNotification::Create(kNidCliplightUnlatched));
    }
    return 1;
}

void LLevelMeter::UpdateClipLight(int32_t clipState)
{
    if (mClipButton == nullptr)
    {
        return;
    }
    if (clipState != mClipState)
    {
        mClipButton->SetValue(1.0);
    }
    else if (!mClipLatching)
    {
        mClipButton->SetValue(0.0);
    }
}

void LLevelMeter::SizeOverlay(double level)
{
    if (mActiveOverlay == nullptr)
    {
        return;
    }
    const double fraction = mAxis == 1 ? 1 - level : level;
    const int32_t length = RoundToInt(fraction * (mAxis == 1 ? GetRect().height : GetRect().width));
    if (length < 1)
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
    layout->GetAxis(mAxis, position, size);
    size.ToControl = LLayoutDescriptor::kSizeSelf;
    size.ReferenceName = WString();
    size.Abs = length;
    mActiveOverlay->SetAxisPlacement(mAxis, position, size);
}

void LLevelMeter::PlacePeakMarker(double peak)
{
    if (mPeakLo == nullptr)
    {
        return;
    }
    const int32_t offset = RoundToInt((OnAxis(mPeakHiPosition) - OnAxis(mPeakLoPosition)) * peak);
    if (offset == 0)
    {
        mPeakLo->SetVisible(false);
        return;
    }
    mPeakLo->SetVisible(true);
    const RCPtr<LLayoutDescriptor>& layout = mPeakLo->GetLayout();
    if (layout == nullptr)
    {
        return;
    }
    LLayoutDescriptor::AxisPosition position;
    LLayoutDescriptor::AxisSize size;
    layout->GetAxis(mAxis, position, size);
    position.Abs = offset;
    mPeakLo->SetAxisPlacement(mAxis, position, size);
}
} // namespace ZQ
