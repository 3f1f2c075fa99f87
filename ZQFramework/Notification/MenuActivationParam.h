#pragma once

#include "ZQFramework/Notification/Forward.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"

#include <cstddef>
#include <cstdint>

namespace ZQ
{
// An activated menu item: the menu and the item's index (-1 when the selection is out of range). The
// menu is held as a counted object; the typed accessors need LMenuDescriptor complete where they are used.
// Pooled.
class LMenuActivationParam : public virtual LRefCountedObject
{
public:
    template <class M = LMenuDescriptor>
    [[nodiscard]] static RCPtr<LMenuActivationParam> Create(M* menu, int32_t itemIndex)
    {
        return RCPtr<LMenuActivationParam>(
            new LMenuActivationParam(RCPtr<LRefCountedObject>(menu), itemIndex));
    }

    LMenuActivationParam(const RCPtr<LRefCountedObject>& menu, int32_t itemIndex);
    ~LMenuActivationParam() override;

    template <class M = LMenuDescriptor>
    [[nodiscard]] RCPtr<M> GetMenu() const
    {
        return RCPtr<M>(mMenu);
    }

    static void* operator new(std::size_t size);
    static void operator delete(void* block);

    RCPtr<LRefCountedObject> mMenu;
    int32_t mItemIndex;
};
} // namespace ZQ
