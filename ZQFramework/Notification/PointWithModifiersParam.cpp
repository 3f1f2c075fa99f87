#include "ZQFramework/Notification/PointWithModifiersParam.h"

#include "ZQFramework/Utilities/Storage/ReuseAllocator.h"
#include "ZQFramework/Utilities/Storage/String.h"

namespace ZQ
{
RCPtr<LPointWithModifiersParam> LPointWithModifiersParam::Create(int32_t x, int32_t y, uint32_t modifiers,
                                                                 int32_t pointerIndex)
{
    return RCPtr<LPointWithModifiersParam>(new LPointWithModifiersParam(x, y, modifiers, pointerIndex));
}

WString LPointWithModifiersParam::ToString() const
{
    return LPointParam::ToString() + WString::Format(u"  modifiers: 0x%08x", mModifiers);
}

void* LPointWithModifiersParam::operator new(std::size_t size)
{
    return GlobalReuseAllocator<LPointWithModifiersParam, 32, true>().Allocate(size);
}

void LPointWithModifiersParam::operator delete(void* block)
{
    GlobalReuseAllocator<LPointWithModifiersParam, 32, true>().Free(block);
}
} // namespace ZQ
