#pragma once

#include "ZQFramework/Notification/PointWithModifiersParam.h"

#include <cstddef>
#include <cstdint>

namespace ZQ
{
// A mouse button, as one bit of a mask of held buttons.
enum class MouseButton : uint32_t
{
    Left = 1,
    Middle = 2,
    Right = 4,
};

// The bit of button in a mask of held buttons.
[[nodiscard]] constexpr uint32_t ButtonBit(MouseButton button)
{
    return static_cast<uint32_t>(button);
}

// Whether bits names exactly one known button.
[[nodiscard]] constexpr bool IsMouseButton(uint32_t bits)
{
    return bits == ButtonBit(MouseButton::Left) || bits == ButtonBit(MouseButton::Middle) ||
           bits == ButtonBit(MouseButton::Right);
}

// What a mouse button did.
enum class MouseAction : int32_t
{
    Down = 0,
    Up = 1,
    DoubleClick = 2,
};

// A mouse button pressed or released: button (1 left, 2 middle, 4 right), whether the press was a double
// click, and the buttons still held after the event. Pooled.
class LMouseButtonParam : public LPointWithModifiersParam
{
public:
    [[nodiscard]] static RCPtr<LMouseButtonParam> Create(uint32_t button, int32_t x, int32_t y,
                                                         uint32_t modifiers, uint8_t doubleClick,
                                                         uint32_t heldButtons, int32_t pointerIndex);

    LMouseButtonParam(uint32_t button, int32_t x, int32_t y, uint32_t modifiers, uint8_t doubleClick,
                      uint32_t heldButtons, int32_t pointerIndex)
        : LPointWithModifiersParam(x, y, modifiers, pointerIndex), mButton(button), mDoubleClick(doubleClick),
          mHeldButtons(heldButtons)
    {
    }

    [[nodiscard]] bool Is(MouseButton button) const { return mButton == ButtonBit(button); }

    static void* operator new(std::size_t size);
    static void operator delete(void* block);

    uint32_t mButton;
    uint8_t mDoubleClick;
    uint32_t mHeldButtons;
};
} // namespace ZQ
