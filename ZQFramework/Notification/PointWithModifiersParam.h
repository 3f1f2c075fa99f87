#pragma once

#include "ZQFramework/Notification/PointParam.h"

#include <cstddef>
#include <cstdint>

namespace ZQ
{
// A mouse position with the modifier-key bits the window gave and the pointer it belongs to. Pooled.
class LPointWithModifiersParam : public LPointParam
{
public:
    [[nodiscard]] static RCPtr<LPointWithModifiersParam> Create(int32_t x, int32_t y, uint32_t modifiers,
                                                                int32_t pointerIndex);

    LPointWithModifiersParam(int32_t x, int32_t y, uint32_t modifiers, int32_t pointerIndex)
        : LPointParam(x, y), mModifiers(modifiers), mPointerIndex(pointerIndex)
    {
    }

    // The point text, then "  modifiers: 0x%08x".
    [[nodiscard]] StringT<char16_t, char> ToString() const override;

    static void* operator new(std::size_t size);
    static void operator delete(void* block);

    uint32_t mModifiers;
    int32_t mPointerIndex;
};
} // namespace ZQ
