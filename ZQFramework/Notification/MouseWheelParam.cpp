#include "ZQFramework/Notification/MouseWheelParam.h"

#include "ZQFramework/Utilities/Storage/ReuseAllocator.h"
#include "ZQFramework/Utilities/Storage/String.h"

namespace ZQ
{
RCPtr<LMouseWheelParam> LMouseWheelParam::Create(int32_t x, int32_t y, uint32_t modifiers, uint32_t direction)
{
    return RCPtr<LMouseWheelParam>(new LMouseWheelParam(x, y, modifiers, direction));
}

WString LMouseWheelParam::ToString() const
{
    return LPointWithModifiersParam::ToString() +
           WString::Format(u"  direction: %s", mDirection != 0 ? u"up" : u"down");
}

void* LMouseWheelParam::operator new(std::size_t size)
{
    return GlobalReuseAllocator<LMouseWheelParam, 4, true>().Allocate(size);
}

void LMouseWheelParam::operator delete(void* block)
{
    GlobalReuseAllocator<LMouseWheelParam, 4, true>().Free(block);
}
} // namespace ZQ
