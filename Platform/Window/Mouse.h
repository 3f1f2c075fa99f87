#pragma once

#include "Platform/Clock/Clock.h"
#include "Platform/Window/Messages.h"

#include <chrono>
#include <optional>

// Mouse input as the original saw it: double clicks made from the system's double-click time and
// distance, wheel buttons as wheel deltas, X buttons as the original's button messages. Pure pieces that
// the display feeds; they read time from Platform::Now, so tests step a manual clock.
namespace Platform::Window
{
inline constexpr std::chrono::milliseconds kDoubleClickTime{500};
// Pixels a second press may lie from the first in either direction.
inline constexpr int32_t kDoubleClickDistance = 4;

// X buttons.
inline constexpr unsigned kButtonLeft = 1;
inline constexpr unsigned kButtonMiddle = 2;
inline constexpr unsigned kButtonRight = 3;

// Tells whether a button press completes a double click: the same button pressed again within the time
// and distance of the previous press. The press after a double click starts anew.
class DoubleClickDetector
{
public:
    [[nodiscard]] bool Press(unsigned button, Point at);

private:
    std::optional<TimePoint> mLastTime;
    unsigned mLastButton = 0;
    Point mLastAt;
};

// A wheel step from X buttons 4 to 7: 4 away from the user (+120), 5 towards (-120), 6 left (-120),
// 7 right (+120); nothing for other buttons.
struct WheelStep
{
    bool horizontal = false;
    int32_t delta = 0;
    friend bool operator==(const WheelStep&, const WheelStep&) = default;
};
[[nodiscard]] std::optional<WheelStep> WheelStepForButton(unsigned button);

enum class ButtonAction
{
    Down,
    Up,
    DoubleClick,
};

// WM_LBUTTONDOWN and its kin for X buttons 1 to 3; 0 for other buttons.
[[nodiscard]] uint32_t ButtonMessage(unsigned button, ButtonAction action);

// The MK_ button bit of X buttons 1 to 3; 0 for others.
[[nodiscard]] uint32_t ButtonKeyBit(unsigned button);
} // namespace Platform::Window
