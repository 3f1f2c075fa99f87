#include "ZQFramework/Notification/IndexedDataWithValueParam.h"

#include "ZQFramework/Utilities/Storage/String.h"

namespace ZQ
{
RCPtr<LIndexedDataWithValueParam> LIndexedDataWithValueParam::Create(const RCPtr<LRefCountedObject>& data,
                                                                     int32_t index, double value)
{
    return RCPtr<LIndexedDataWithValueParam>(new LIndexedDataWithValueParam(data, index, value));
}

WString LIndexedDataWithValueParam::ToString() const
{
    return LIndexedDataParam::ToString() + WString(u" Value = ") + WString::Format(u"%lf", mValue);
}
} // namespace ZQ
