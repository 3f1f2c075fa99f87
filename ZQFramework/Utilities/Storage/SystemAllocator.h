#pragma once

#include "ZQFramework/Utilities/Storage/Allocator.h"

#include <cstdlib>

namespace ZQ
{
// The process allocator: the C runtime's heap. There is one, reached through GetSystemAllocator; it
// is never destroyed, so buffers may use it while global objects are being destroyed. Its calls are
// inline, so that the buffers' calls through GetSystemAllocator go straight to the heap.
class SystemAllocator final : public IAllocator
{
public:
    constexpr SystemAllocator() = default;

    [[nodiscard]] void* Allocate(uint32_t size) override { return std::malloc(size); }
    [[nodiscard]] void* AllocateZeroed(uint32_t count, uint32_t size) override;
    [[nodiscard]] void* Reallocate(void* block, uint32_t size) override
    {
        if (size == 0)
        {
            std::free(block);
            return nullptr;
        }
        return std::realloc(block, size);
    }
    void Free(void* block) override { std::free(block); }
};

namespace SystemAllocatorDetail
{
// Constant-initialised and trivially destructible: usable from the first global constructor to the
// last global destructor, and from any thread, without a first-use race.
extern constinit SystemAllocator gSystemAllocator;
} // namespace SystemAllocatorDetail

// The one allocator of the process; every buffer template takes it as its allocator argument.
[[nodiscard]] inline IAllocator* GetSystemAllocator()
{
    return &SystemAllocatorDetail::gSystemAllocator;
}
} // namespace ZQ
