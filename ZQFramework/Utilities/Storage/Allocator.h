#pragma once

#include <cstdint>

namespace ZQ
{
// Where the framework's buffers take their memory from. Blocks are 8-aligned (at least).
class IAllocator
{
public:
    // A new block of size bytes, or null.
    [[nodiscard]] virtual void* Allocate(uint32_t size) = 0;
    // A new block of count * size bytes, all zero, or null.
    [[nodiscard]] virtual void* AllocateZeroed(uint32_t count, uint32_t size) = 0;
    // A block of size bytes holding the old block's bytes up to the smaller size; the old block is given
    // up. Size 0 releases the block and returns null. On failure (null for size > 0) the old block stays.
    [[nodiscard]] virtual void* Reallocate(void* block, uint32_t size) = 0;
    // Releases a block; null is allowed.
    virtual void Free(void* block) = 0;

protected:
    constexpr IAllocator() = default;
    ~IAllocator() = default;
};
} // namespace ZQ
