#include "ZQFramework/Notification/ConditionsParam.h"

#include "ZQFramework/Utilities/Storage/ReuseAllocator.h"
#include "ZQFramework/Utilities/Storage/String.h"

namespace ZQ
{
RCPtr<LConditionsParam> LConditionsParam::Create(uint32_t previous, uint32_t current, double pressX,
                                                 double pressY)
{
    return RCPtr<LConditionsParam>(new LConditionsParam(previous, current, pressX, pressY));
}

WString LConditionsParam::ToString() const
{
    return WString::Format(u"(%g, %g)", mPressX, mPressY);
}

// Derived records are larger than the pool's blocks: the pool serves and takes them back through the
// general heap.
void* LConditionsParam::operator new(std::size_t size)
{
    return GlobalReuseAllocator<LConditionsParam, 4, true>().Allocate(size);
}

void LConditionsParam::operator delete(void* block)
{
    GlobalReuseAllocator<LConditionsParam, 4, true>().Free(block);
}
} // namespace ZQ
