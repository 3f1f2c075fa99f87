#pragma once

#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"

namespace ZQ
{
// Makes an object of class T itself counted: the wrapper is a T with a counted base, so that several
// owners can share, say, a traffic light through smart pointers.
template <class T, class Base = LRefCountedObject>
class LWrapper : public T, public virtual Base
{
public:
    LWrapper() = default;

    [[nodiscard]] static RCPtr<LWrapper> Create() { return RCPtr<LWrapper>(new LWrapper()); }
};
} // namespace ZQ
