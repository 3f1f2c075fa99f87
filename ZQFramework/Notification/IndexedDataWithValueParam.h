#pragma once

#include "ZQFramework/Notification/IndexedDataParam.h"

namespace ZQ
{
// An indexed data record with a value.
class LIndexedDataWithValueParam : public LIndexedDataParam
{
public:
    [[nodiscard]] static RCPtr<LIndexedDataWithValueParam> Create(const RCPtr<LRefCountedObject>& data,
                                                                  int32_t index, double value);

    LIndexedDataWithValueParam(const RCPtr<LRefCountedObject>& data, int32_t index, double value)
        : LIndexedDataParam(data, index), mValue(value)
    {
    }

    // The indexed-data text, " Value = " and the value as "%lf".
    [[nodiscard]] StringT<char16_t, char> ToString() const override;

    double mValue;
};
} // namespace ZQ
