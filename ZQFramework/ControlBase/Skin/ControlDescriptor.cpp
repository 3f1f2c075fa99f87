#include "ZQFramework/ControlBase/Skin/ControlDescriptor.h"

#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/ControlBase/Skin/SkinDescriptor.h"
#include "ZQFramework/ControlBase/Skin/StringTable.h"

namespace ZQ
{
RCPtr<LControlDescriptor> LControlDescriptor::Create(const WString& className, const WString& name,
                                                     const ConstRCPtr<LControlDescriptor>& parent)
{
    return RCPtr<LControlDescriptor>(new LControlDescriptor(className, name, parent));
}

LControlDescriptor::LControlDescriptor(const WString& className, const WString& name,
                                       const ConstRCPtr<LControlDescriptor>& parent)
    : mClass(className), mName(name), mParent(parent)
{
}

LControlDescriptor::~LControlDescriptor() = default;

void LControlDescriptor::AddChild(const RCPtr<LControlDescriptor>& child)
{
    mChildren.Add(child);
}

RCPtr<LControlDescriptor> LControlDescriptor::Clone(const WString& newName) const
{
    RCPtr<LControlDescriptor> copy = Create(mClass, newName.IsEmpty() ? mName : newName, mParent);
    for (uint32_t i = 0; i < mChildren.GetCount(); ++i)
        copy->AddChild(mChildren.GetAt(i));
    copy->mSkin = mSkin;
    copy->mLayout = mLayout;
    copy->mCreateParams = mCreateParams;
    copy->mCreateFunction = mCreateFunction;
    return copy;
}

void LControlDescriptor::DetachChildren()
{
    for (uint32_t i = 0; i < mChildren.GetCount(); ++i)
    {
        LControlDescriptor* child = mChildren.GetAt(i).Get();
        if (child == nullptr)
            continue;
        child->mParent = nullptr;
        child->DetachChildren();
    }
}
} // namespace ZQ
