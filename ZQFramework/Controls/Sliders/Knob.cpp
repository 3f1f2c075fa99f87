#include "ZQFramework/Controls/Sliders/Knob.h"

#include "ZQFramework/ControlBase/Control/Look.h"
#include "ZQFramework/ControlBase/Control/VisualPart.h"
#include "ZQFramework/ControlBase/Windows/ControlApplication.h"
#include "ZQFramework/Controls/ControlPattern.h"
#include "ZQFramework/Notification/ConditionsParam.h"
#include "ZQFramework/Notification/KeyCode.h"
#include "ZQFramework/Notification/KeyParam.h"
#include "ZQFramework/Notification/MouseWheelParam.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationNames.h"
#include "ZQFramework/Notification/PointWithModifiersParam.h"
#include "ZQFramework/ObjectBase/Holder.h"
#include "ZQFramework/Utilities/Graphics/Bitmap.h"
#include "ZQFramework/Utilities/Storage/WideCRT.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>

namespace ZQ
{
namespace
{
constexpr int32_t kLinear = 0;
constexpr double kScaledMaximum = 127;
constexpr double kDefaultFineMultiplier = 0.25;
// The frames of the default full range add up to about 128 pixels.
constexpr double kDefaultFullRange = 128;
// The linear step divides by the full range less one.
constexpr int32_t kMinimumFullRange = 2;
constexpr auto kControlKey = static_cast<uint32_t>(VKey::Control);
constexpr KeyCode kLeftPressed{Pressed(VKey::Left), 0, 0};
constexpr KeyCode kUpPressed{Pressed(VKey::Up), 0, 0};
constexpr KeyCode kRightPressed{Pressed(VKey::Right), 0, 0};
constexpr KeyCode kDownPressed{Pressed(VKey::Down), 0, 0};

// Degrees in [0, 360); an angle that is not a number or infinite counts as 0.
double NormalizeAngle(double degrees)
{
    if (!std::isfinite(degrees))
    {
        return 0;
    }
    double angle = std::fmod(degrees, 360.0);
    if (angle < 0)
    {
        angle += 360.0;
    }
    return angle >= 360.0 ? 0.0 : angle;
}

bool TurnedOn(uint32_t previous, uint32_t current, uint32_t bit)
{
    return (previous & bit) == 0 && (current & bit) != 0;
}

bool TurnedOff(uint32_t previous, uint32_t current, uint32_t bit)
{
    return TurnedOn(current, previous, bit);
}

bool IsControlKeyDown()
{
    const IControlApplication* application = IControlApplication::GetCurrent();
    bool down = false;
    bool toggled = false;
    return application != nullptr && application->GetKeyState(kControlKey, down, toggled) == 0 && down;
}

// The narrow text of a create parameter, read as atoi or atof would read it; false when absent.
bool ReadNarrowParam(const LControl& control, const char16_t* key, AString& text)
{
    WString wide;
    if (!FindCreateParam(control, key, wide))
    {
        return false;
    }
    text = wide.ToNarrow();
    return true;
}
} // namespace

LKnob::LKnob(CreateKey /*key*/, const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name)
{
}

LKnob::~LKnob() = default;

// --- Control base operations ---

double LKnob::SetValue(double value)
{
    if (IsDragging(MouseButton::Left))
    {
        mPendingValue = value;
        return GetValue();
    }
    return LControl::SetValue(value);
}

void LKnob::OnValueChanged()
{
    if (mFrameCount > 0)
    {
        SelectLook(RoundToInt((mFrameCount - 1) * GetValue()));
    }
}

void LKnob::OnConditionsChanged(const RCPtr<LConditionsParam>& conditions)
{
    if (conditions == nullptr)
    {
        return;
    }
    const uint32_t previous = conditions->mPrevious;
    const uint32_t current = conditions->mCurrent;
    if (TurnedOn(previous, current, kConditionLeftDrag))
    {
        // The press point is kept in the parent's coordinates.
        mLastPoint = {RoundToInt(conditions->mPressX - GetRect().x),
                      RoundToInt(conditions->mPressY - GetRect().y)};
        mPreviousPoint = mLastPoint;
        if (mRadial)
        {
            RadialStep(mLastPoint);
        }
        mPendingValue = -1;
        SendCapture(true);
    }
    else if (TurnedOff(previous, current, kConditionLeftDrag))
    {
        if (mPendingValue >= 0 && mPendingValue <= 1)
        {
            LControl::SetValue(mPendingValue);
        }
        mPendingValue = -1;
        SendCapture(false);
    }
    else if (TurnedOff(previous, current, kConditionFocused) && mKeyChanging)
    {
        mKeyChanging = false;
        SendNotification(kNidValueChangeKeyUp, nullptr);
    }
    if (((previous ^ current) & kConditionFocused) != 0 && mFocusLook >= 0)
    {
        OverlayFrames(mFocusLook, (current & kConditionFocused) != 0);
    }
    if (((previous ^ current) & kConditionEnabled) != 0 && mDisabledLook >= 0)
    {
        OverlayFrames(mDisabledLook, (current & kConditionEnabled) == 0);
    }
}

void LKnob::OnMouseMoved(const RCPtr<LPointWithModifiersParam>& param)
{
    if (!IsDragging(MouseButton::Left) || param == nullptr)
    {
        return;
    }
    const PointT<int32_t> point{param->mX, param->mY};
    if (mRadial)
    {
        RadialStep(point);
    }
    else
    {
        LinearStep(point);
    }
}

ZQRESULT LKnob::OnMouseWheel(const RCPtr<LMouseWheelParam>& param)
{
    if (param == nullptr)
    {
        return 1;
    }
    StepUnits(param->mDirection == 1 ? 1 : -1);
    return 0;
}

ZQRESULT LKnob::OnMouseHWheel(const RCPtr<LMouseWheelParam>& param)
{
    if (param == nullptr)
    {
        return 1;
    }
    StepUnits(param->mDirection == 3 ? 1 : -1);
    return 0;
}

ZQRESULT LKnob::HandleKeyPress(const RCPtr<LKeyParam>& param)
{
    if (param == nullptr)
    {
        return 1;
    }
    const KeyCode& key = param->mKeyCode;
    const VKey virtualKey = key.GetVKey();
    const bool arrow = virtualKey >= VKey::Left && virtualKey <= VKey::Down;
    if (arrow && (key.GetCode() & (KeyCode::kKeyDown | KeyCode::kNoBinding)) == 0)
    {
        mKeyChanging = false;
        SendNotification(kNidValueChangeKeyUp, RCPtr<LRefCountedObject>(param));
        return 0;
    }
    int32_t units = 0;
    if (key == kRightPressed || key == kUpPressed)
    {
        units = 1;
    }
    else if (key == kLeftPressed || key == kDownPressed)
    {
        units = -1;
    }
    else
    {
        return 1;
    }
    if (!mKeyChanging)
    {
        mKeyChanging = true;
        SendNotification(kNidValueChangeKeyDown, RCPtr<LRefCountedObject>(param));
    }
    StepUnits(units);
    return 0;
}

ZQRESULT LKnob::Initialize()
{
    const ZQRESULT result = LControl::Initialize();
    if (result < 0)
    {
        return result;
    }
    ReadCreateParams();
    mRadial = mRadialStartAngle != 0 || mRadialEndAngle != 0;
    mRadialStartAngle = NormalizeAngle(mRadialStartAngle);
    mRadialEndAngle = NormalizeAngle(mRadialEndAngle);
    if (mFineAdjustMultiplier == 0)
    {
        mFineAdjustMultiplier = kDefaultFineMultiplier;
    }
    SetRange(0, kScaledMaximum, kLinear);
    return result;
}

ZQRESULT LKnob::OnCreated()
{
    mFrameCount = 0;
    while (static_cast<uint32_t>(mFrameCount) < mLooks.GetCount() && mLooks.GetAt(mFrameCount) != nullptr)
    {
        ++mFrameCount;
    }
    const auto lookExists = [this](int32_t index)
    { return static_cast<uint32_t>(index) < mLooks.GetCount() && mLooks.GetAt(index) != nullptr; };
    mFocusLook = lookExists(mFrameCount + 1) ? mFrameCount + 1 : -1;
    mDisabledLook = lookExists(mFrameCount + 2) ? mFrameCount + 2 : -1;
    if (IsFocused() && mFocusLook >= 0)
    {
        OverlayFrames(mFocusLook, true);
    }
    if (!IsEnabled(true) && mDisabledLook >= 0)
    {
        OverlayFrames(mDisabledLook, true);
    }
    if (!mRadial && mLinearFullRange == 0 && mFrameCount > 0)
    {
        mLinearFullRange = RoundToInt(kDefaultFullRange / mFrameCount) * mFrameCount;
    }
    // A knob of more than 256 frames, or a skin's range of one pixel, would leave no step to divide by.
    if (!mRadial && mLinearFullRange < kMinimumFullRange)
    {
        mLinearFullRange = kMinimumFullRange;
    }
    const RectT<double> look = GetLookRect(GetFirstVisibleLookIndex());
    mCenter = {static_cast<int32_t>(look.x + look.width / 2), static_cast<int32_t>(look.y + look.height / 2)};
    // A value set before the frames were counted ("INITIAL_VALUE") shows its frame now.
    OnValueChanged();
    return 0;
}

// --- Helpers ---

void LKnob::ReadCreateParams()
{
    AString text;
    if (ReadNarrowParam(*this, u"LINEAR_GESTURE_FULL_RANGE", text))
    {
        mLinearFullRange = CRT::ParseInt(text.GetBuffer());
    }
    if (ReadNarrowParam(*this, u"RADIAL_GESTURE_START_ANGLE", text))
    {
        mRadialStartAngle = CRT::ParseDouble(text.GetBuffer());
    }
    if (ReadNarrowParam(*this, u"RADIAL_GESTURE_END_ANGLE", text))
    {
        mRadialEndAngle = CRT::ParseDouble(text.GetBuffer());
    }
    if (ReadNarrowParam(*this, u"FINE_ADJUST_MULTIPLIER", text))
    {
        mFineAdjustMultiplier = CRT::ParseDouble(text.GetBuffer());
    }
    // Angles that are no finite number count as 0, as text that does not parse.
    if (!std::isfinite(mRadialStartAngle))
    {
        mRadialStartAngle = 0;
    }
    if (!std::isfinite(mRadialEndAngle))
    {
        mRadialEndAngle = 0;
    }
}

void LKnob::RadialStep(const PointT<int32_t>& point)
{
    const double dx = static_cast<double>(point.x) - mCenter.x;
    const double dy = static_cast<double>(point.y) - mCenter.y;
    if (dx == 0 && dy == 0)
    {
        return;
    }
    double angle = NormalizeAngle((std::atan2(dy, dx) + std::numbers::pi / 2) * 180 / std::numbers::pi);
    const double start = mRadialStartAngle;
    double end = mRadialEndAngle;
    if (end <= start)
    {
        end += 360;
    }
    if (angle <= start)
    {
        angle += 360;
    }
    double value = 0;
    if (angle >= start && angle <= end)
    {
        value = (angle - start) / (end - start);
        if (!(value >= 0 && value <= 1))
        {
            return;
        }
    }
    else
    {
        // The dead zone between end and start snaps to the nearer end.
        value = angle <= end + (start + 360 - end) / 2 ? 1.0 : 0.0;
    }
    LControl::SetValue(value);
}

void LKnob::LinearStep(const PointT<int32_t>& point)
{
    const bool fine = IsControlKeyDown();
    int32_t dx = point.x - mLastPoint.x;
    int32_t dy = point.y - mLastPoint.y;
    const int32_t px = point.x - mPreviousPoint.x;
    const int32_t py = point.y - mPreviousPoint.y;
    const int32_t d = px - py;
    // A diagonal move counts along the axis the pointer has been following.
    if (dx > 0 && dy > 0)
    {
        if (d > 0 && dy > dx)
        {
            dy = 0;
        }
        else if (d < 0 && dx > dy)
        {
            dx = 0;
        }
    }
    else if (dx < 0 && dy < 0)
    {
        if (d > 0 && dy > dx)
        {
            dx = 0;
        }
        else if (d < 0 && dx > dy)
        {
            dy = 0;
        }
    }
    const double fullRange = std::max(mLinearFullRange, kMinimumFullRange);
    double step = (static_cast<double>(dx) - dy) / (fullRange - 1);
    if (fine)
    {
        step *= mFineAdjustMultiplier;
    }
    const double value = std::clamp(GetValue() + step, 0.0, 1.0);
    // At least one step, whatever the multiplier makes of the full range.
    const double steps = std::max(fine ? fullRange / mFineAdjustMultiplier - 1 : fullRange - 1, 1.0);
    LControl::SetValue(std::round(steps * value) / steps);
    mPreviousPoint = mLastPoint;
    mLastPoint = point;
}

void LKnob::StepUnits(int32_t units)
{
    SetValue(UnscaleValue(ScaleValue(GetValue()) + units));
}

void LKnob::OverlayFrames(int32_t imageLook, bool on)
{
    ConstRCPtr<LBitmap> image;
    int32_t resizeType = 0;
    if (on)
    {
        const RCPtr<LLook> look = GetLook(imageLook);
        const ConstRCPtr<LVisualPart>& part =
            look != nullptr ? look->GetClientPart() : ConstRCPtr<LVisualPart>();
        if (part != nullptr)
        {
            image = part->GetPicture();
            resizeType = part->GetResizeType();
        }
    }
    for (int32_t frame = 0; frame < mFrameCount; ++frame)
    {
        SetLookBitmap(frame, image, resizeType);
    }
}

void LKnob::SendCapture(bool captured)
{
    SendNotification(kNidValueChangeCapture, RCPtr<LRefCountedObject>(LHolder<bool>::Create(captured)));
}

void LKnob::SendNotification(const char16_t* name, const RCPtr<LRefCountedObject>& param)
{
    Notify(LNotification::Create(name, ConstRCPtr<LRefCountedObject>(param)));
}
} // namespace ZQ
