#pragma once

#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"

namespace ZQ
{
// A counted object that its owner can attach any other object to (a control's or a list item's
// user data). The tag is held by one counted reference and released with the object.
class LTaggableObject : public virtual LRefCountedObject
{
public:
    LTaggableObject() = default;
    ~LTaggableObject() override;

    [[nodiscard]] const ConstRCPtr<LRefCountedObject>& GetTag() const noexcept { return mTag; }
    void SetTag(const ConstRCPtr<LRefCountedObject>& tag) { mTag = tag; }

private:
    ConstRCPtr<LRefCountedObject> mTag;
};
} // namespace ZQ
