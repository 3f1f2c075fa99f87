#include "ZQFramework/Notification/MenuActivationParam.h"

#include "ZQFramework/Utilities/Storage/ReuseAllocator.h"

namespace ZQ
{
LMenuActivationParam::LMenuActivationParam(const RCPtr<LRefCountedObject>& menu, int32_t itemIndex)
    : mMenu(menu), mItemIndex(itemIndex)
{
}

LMenuActivationParam::~LMenuActivationParam() = default;

void* LMenuActivationParam::operator new(std::size_t size)
{
    return GlobalReuseAllocator<LMenuActivationParam, 4, true>().Allocate(size);
}

void LMenuActivationParam::operator delete(void* block)
{
    GlobalReuseAllocator<LMenuActivationParam, 4, true>().Free(block);
}
} // namespace ZQ
