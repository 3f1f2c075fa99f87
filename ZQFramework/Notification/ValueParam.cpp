#include "ZQFramework/Notification/ValueParam.h"

#include "ZQFramework/Utilities/Storage/ReuseAllocator.h"
#include "ZQFramework/Utilities/Storage/String.h"

namespace ZQ
{
RCPtr<LValueParam> LValueParam::Create(double normalized, double scaled)
{
    return RCPtr<LValueParam>(new LValueParam(normalized, scaled));
}

WString LValueParam::ToString() const
{
    return WString::Format(u"ValueParam = %lf", mNormalized);
}

void* LValueParam::operator new(std::size_t size)
{
    return GlobalReuseAllocator<LValueParam, 4, true>().Allocate(size);
}

void LValueParam::operator delete(void* block)
{
    GlobalReuseAllocator<LValueParam, 4, true>().Free(block);
}
} // namespace ZQ
