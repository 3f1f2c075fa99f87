#include "ZQFramework/Utilities/Storage/SystemAllocator.h"

#include <cstdlib>

namespace ZQ
{
void* SystemAllocator::Allocate(uint32_t size)
{
    return std::malloc(size);
}

void* SystemAllocator::AllocateZeroed(uint32_t count, uint32_t size)
{
    return std::calloc(count, size);
}

void* SystemAllocator::Reallocate(void* block, uint32_t size)
{
    if (size == 0)
    {
        std::free(block);
        return nullptr;
    }
    return std::realloc(block, size);
}

void SystemAllocator::Free(void* block)
{
    std::free(block);
}

namespace
{
// Constant-initialised and trivially destructible: usable from the first global constructor to the
// last global destructor, and from any thread, without a first-use race.
constinit SystemAllocator gSystemAllocator;
} // namespace

IAllocator* GetSystemAllocator()
{
    return &gSystemAllocator;
}
} // namespace ZQ
