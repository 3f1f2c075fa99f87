#pragma once

#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"

namespace ZQ
{
// Keeps one value of type T on the heap inside a counted object, so that it can travel as a notification
// parameter or be handed to a worker thread. The holder owns the value; its users read and write it
// through mValue.
template <class T>
class LHolder : public virtual LRefCountedObject
{
public:
    LHolder() : mValue(new T()) {}
    explicit LHolder(const T& value) : mValue(new T(value)) {}
    LHolder(const LHolder&) = delete;
    LHolder& operator=(const LHolder&) = delete;
    ~LHolder() override { delete mValue; }

    [[nodiscard]] static RCPtr<LHolder> Create() { return RCPtr<LHolder>(new LHolder()); }
    [[nodiscard]] static RCPtr<LHolder> Create(const T& value) { return RCPtr<LHolder>(new LHolder(value)); }

    T* const mValue;
};
} // namespace ZQ
