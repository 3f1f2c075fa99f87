#pragma once

#include "ZQFramework/ControlBase/Forward.h"
#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/ControlBase/Skin/SkinDescriptor.h"
#include "ZQFramework/ControlBase/Skin/StringTable.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/Utilities/Storage/RCPtrArray.h"
#include "ZQFramework/Utilities/Storage/String.h"

namespace ZQ
{
// One control of a skin, as the skin reader builds it for a "SubControl" element, or the root of one
// top-level "Skin" (Class "Application", no Parent, no Layout), whose Children are the top-level controls.
// The control factory owns the roots, each descriptor its Children; controls share descriptors and read
// them. Parent and Children are counted references both ways: the factory breaks that cycle when it goes
// (DetachChildren), so descriptors live as long as the factory or whatever still holds them.
class LControlDescriptor : public LRefCountedObject
{
public:
    // Makes the control for a descriptor under parent (empty for a top control).
    using CreateFunction = RCPtr<LControl> (*)(const RCPtr<LControl>& parent,
                                               const RCPtr<LControlDescriptor>& descriptor);

    [[nodiscard]] static RCPtr<LControlDescriptor> Create(const WString& className, const WString& name,
                                                          const ConstRCPtr<LControlDescriptor>& parent);

    LControlDescriptor(const WString& className, const WString& name,
                       const ConstRCPtr<LControlDescriptor>& parent);
    ~LControlDescriptor() override;

    void AddChild(const RCPtr<LControlDescriptor>& child);

    // A new descriptor with the Name newName (this one's when newName is empty), the same Parent, its own
    // Children array holding the same child descriptors, and the same Skin, Layout, CreateParams and
    // CreateFunction objects.
    [[nodiscard]] RCPtr<LControlDescriptor> Clone(const WString& newName) const;

    // Drops the Parent link of every descriptor below this one, which lets the tree go with its last
    // outside reference.
    void DetachChildren();

    WString mClass;
    WString mName;
    ConstRCPtr<LControlDescriptor> mParent;
    RCPtrArray<LControlDescriptor, 1, 0> mChildren;
    // Writable, because the factory completes skin and layout while it reads the document and sets a top
    // control's Visible when it creates it.
    RCPtr<LSkinDescriptor> mSkin;
    RCPtr<LLayoutDescriptor> mLayout;
    ConstRCPtr<LStringTable> mCreateParams;
    CreateFunction mCreateFunction = nullptr; // filled on the first creation
};
} // namespace ZQ
