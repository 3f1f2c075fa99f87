#pragma once

#include "ZQFramework/Notification/PointWithModifiersParam.h"

#include <cstddef>
#include <cstdint>

namespace ZQ
{
// A wheel step: direction 0 and 1 vertical (towards and away from the user), 2 and 3 horizontal. Pooled.
class LMouseWheelParam : public LPointWithModifiersParam
{
public:
    [[nodiscard]] static RCPtr<LMouseWheelParam> Create(int32_t x, int32_t y, uint32_t modifiers,
                                                        uint32_t direction);

    LMouseWheelParam(int32_t x, int32_t y, uint32_t modifiers, uint32_t direction)
        : LPointWithModifiersParam(x, y, modifiers, 0), mDirection(direction)
    {
    }

    // The point-with-modifiers text, then "  direction: up" (any direction but 0) or "  direction: down".
    [[nodiscard]] StringT<char16_t, char> ToString() const override;

    static void* operator new(std::size_t size);
    static void operator delete(void* block);

    uint32_t mDirection;
};
} // namespace ZQ
