#pragma once

#include "ZQFramework/Notification/PointWithModifiersParam.h"

#include <cstddef>
#include <cstdint>

namespace ZQ
{
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

    static void* operator new(std::size_t size);
    static void operator delete(void* block);

    uint32_t mButton;
    uint8_t mDoubleClick;
    uint32_t mHeldButtons;
};
} // namespace ZQ
