#include "ZQFramework/Notification/MouseButtonParam.h"

#include "ZQFramework/Utilities/Storage/ReuseAllocator.h"

namespace ZQ
{
RCPtr<LMouseButtonParam> LMouseButtonParam::Create(uint32_t button, int32_t x, int32_t y, uint32_t modifiers,
                                                   uint8_t doubleClick, uint32_t heldButtons,
                                                   int32_t pointerIndex)
{
    return RCPtr<LMouseButtonParam>(
        new LMouseButtonParam(button, x, y, modifiers, doubleClick, heldButtons, pointerIndex));
}

void* LMouseButtonParam::operator new(std::size_t size)
{
    return GlobalReuseAllocator<LMouseButtonParam, 32, true>().Allocate(size);
}

void LMouseButtonParam::operator delete(void* block)
{
    GlobalReuseAllocator<LMouseButtonParam, 32, true>().Free(block);
}
} // namespace ZQ
