#include "ZQFramework/ControlBase/Skin/LookDescriptor.h"

#include "ZQFramework/ControlBase/Control/DockedPart.h"
#include "ZQFramework/ControlBase/Skin/VisualPartDescriptor.h"

namespace ZQ
{
RCPtr<LLookDescriptor> LLookDescriptor::Create(const WString& name)
{
    return RCPtr<LLookDescriptor>(new LLookDescriptor(name));
}

LLookDescriptor::~LLookDescriptor() = default;

ZQRESULT LLookDescriptor::SetClientPart(const ConstRCPtr<LDockedPart>& part)
{
    mClientPart = part;
    return S_OK;
}

void LLookDescriptor::AddNonClientPart(const RCPtr<LDockedPart>& part)
{
    mNonClientParts.Add(part);
}

ZQRESULT LLookDescriptor::SetTextProperties(const TextProperties& text,
                                            const ConstRCPtr<LVisualPartDescriptor>& foreground)
{
    mText = text;
    mTextForegroundPart = foreground;
    mHasTextProperties = true;
    return S_OK;
}
} // namespace ZQ
