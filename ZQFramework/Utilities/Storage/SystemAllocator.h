#pragma once

#include "ZQFramework/Utilities/Storage/Allocator.h"

namespace ZQ
{
// The process allocator: the C runtime's heap. There is one, reached through GetSystemAllocator; it
// is never destroyed, so buffers may use it while global objects are being destroyed.
class SystemAllocator final : public IAllocator
{
public:
    constexpr SystemAllocator() = default;

    [[nodiscard]] void* Allocate(uint32_t size) override;
    [[nodiscard]] void* AllocateZeroed(uint32_t count, uint32_t size) override;
    [[nodiscard]] void* Reallocate(void* block, uint32_t size) override;
    void Free(void* block) override;
};

// The one allocator of the process; every buffer template takes it as its allocator argument.
[[nodiscard]] IAllocator* GetSystemAllocator();
} // namespace ZQ
