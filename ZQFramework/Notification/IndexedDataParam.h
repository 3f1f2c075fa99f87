#pragma once

#include "ZQFramework/Notification/Forward.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"

#include <cstdint>

namespace ZQ
{
// An index with an optional data object; the base of the checked-list records.
class LIndexedDataParam : public virtual LRefCountedObject
{
public:
    LIndexedDataParam(const RCPtr<LRefCountedObject>& data, int32_t index) : mData(data), mIndex(index) {}
    ~LIndexedDataParam() override;

    // "LIndexedDataParam: Index = %d, Data = " and the data's own text ("null" without data).
    [[nodiscard]] StringT<char16_t, char> ToString() const override;

    RCPtr<LRefCountedObject> mData;
    int32_t mIndex;
};
} // namespace ZQ
