#include "ZQFramework/Notification/IndexedDataParam.h"

#include "ZQFramework/Utilities/Storage/String.h"

namespace ZQ
{
LIndexedDataParam::~LIndexedDataParam() = default;

WString LIndexedDataParam::ToString() const
{
    const WString head = WString::Format(u"LIndexedDataParam: Index = %d, Data = ", mIndex);
    return head + (mData.IsNull() ? WString(u"null") : mData->ToString());
}
} // namespace ZQ
