#pragma once

#include "ZQFramework/Notification/Forward.h"
#include "ZQFramework/Notification/KeyCode.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"

#include <cstdint>

namespace ZQ
{
// A key one control offers its siblings. A listener that takes the key sets mPending to 0. The source is
// held as a counted object; the typed accessors need LControl complete where they are used.
class LSiblingKeyParam : public virtual LRefCountedObject
{
public:
    template <class C = LControl>
    [[nodiscard]] static RCPtr<LSiblingKeyParam> Create(const KeyCode& keyCode, C* source)
    {
        return RCPtr<LSiblingKeyParam>(new LSiblingKeyParam(keyCode, RCPtr<LRefCountedObject>(source)));
    }

    LSiblingKeyParam(const KeyCode& keyCode, const RCPtr<LRefCountedObject>& source);
    ~LSiblingKeyParam() override;

    template <class C = LControl>
    [[nodiscard]] RCPtr<C> GetSource() const
    {
        return RCPtr<C>(mSource);
    }

    KeyCode mKeyCode;
    RCPtr<LRefCountedObject> mSource;
    int32_t mPending = -1;
};
} // namespace ZQ
