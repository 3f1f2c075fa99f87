#include "Platform/Window/Mouse.h"

#include <cstdlib>

namespace Platform::Window
{
bool DoubleClickDetector::Press(unsigned button, Point at)
{
    const TimePoint now = Platform::Now();
    const bool isDouble = mLastTime && button == mLastButton && now - *mLastTime <= kDoubleClickTime &&
                          std::abs(at.x - mLastAt.x) <= kDoubleClickDistance &&
                          std::abs(at.y - mLastAt.y) <= kDoubleClickDistance;
    if (isDouble)
        mLastTime.reset();
    else
        mLastTime = now;
    mLastButton = button;
    mLastAt = at;
    return isDouble;
}

std::optional<WheelStep> WheelStepForButton(unsigned button)
{
    switch (button)
    {
    case 4:
        return WheelStep{false, kWheelDelta};
    case 5:
        return WheelStep{false, -kWheelDelta};
    case 6:
        return WheelStep{true, -kWheelDelta};
    case 7:
        return WheelStep{true, kWheelDelta};
    default:
        return std::nullopt;
    }
}

uint32_t ButtonMessage(unsigned button, ButtonAction action)
{
    uint32_t first = 0;
    switch (button)
    {
    case kButtonLeft:
        first = kWmLButtonDown;
        break;
    case kButtonMiddle:
        first = kWmMButtonDown;
        break;
    case kButtonRight:
        first = kWmRButtonDown;
        break;
    default:
        return 0;
    }
    return first + static_cast<uint32_t>(action);
}

uint32_t ButtonKeyBit(unsigned button)
{
    switch (button)
    {
    case kButtonLeft:
        return kMkLButton;
    case kButtonMiddle:
        return kMkMButton;
    case kButtonRight:
        return kMkRButton;
    default:
        return 0;
    }
}
} // namespace Platform::Window
