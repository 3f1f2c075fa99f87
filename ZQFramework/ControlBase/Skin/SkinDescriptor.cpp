#include "ZQFramework/ControlBase/Skin/SkinDescriptor.h"

#include "ZQFramework/ControlBase/Skin/LookDescriptor.h"

namespace ZQ
{
RCPtr<LSkinDescriptor> LSkinDescriptor::Create(const WString& name)
{
    return RCPtr<LSkinDescriptor>(new LSkinDescriptor(name));
}

RCPtr<LLookList> LSkinDescriptor::CreateLookList(uint32_t count)
{
    return RCPtr<LLookList>(new LLookList(count, count));
}

LSkinDescriptor::~LSkinDescriptor() = default;
} // namespace ZQ
