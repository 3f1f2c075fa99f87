#include "ZQFramework/Utilities/Storage/SystemAllocator.h"

namespace ZQ
{
void* SystemAllocator::AllocateZeroed(uint32_t count, uint32_t size)
{
    return std::calloc(count, size);
}

namespace SystemAllocatorDetail
{
constinit SystemAllocator gSystemAllocator;
} // namespace SystemAllocatorDetail
} // namespace ZQ
