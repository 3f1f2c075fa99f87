#include "ZQFramework/Notification/ItemConditionsParam.h"

namespace ZQ
{
RCPtr<LItemConditionsParam> LItemConditionsParam::Create(int32_t itemIndex, uint32_t itemValue,
                                                         uint32_t itemFlag, uint32_t previous,
                                                         uint32_t current, double pressX, double pressY)
{
    return RCPtr<LItemConditionsParam>(
        new LItemConditionsParam(itemIndex, itemValue, itemFlag, previous, current, pressX, pressY));
}
} // namespace ZQ
