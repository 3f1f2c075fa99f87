#pragma once

#include "ZQFramework/Notification/ConditionsParam.h"

#include <cstdint>

namespace ZQ
{
// A condition change of one item of a list: its index, value and a byte of its flags.
class LItemConditionsParam : public LConditionsParam
{
public:
    [[nodiscard]] static RCPtr<LItemConditionsParam> Create(int32_t itemIndex, uint32_t itemValue,
                                                            uint32_t itemFlag, uint32_t previous,
                                                            uint32_t current, double pressX, double pressY);

    LItemConditionsParam(int32_t itemIndex, uint32_t itemValue, uint32_t itemFlag, uint32_t previous,
                         uint32_t current, double pressX, double pressY)
        : LConditionsParam(previous, current, pressX, pressY), mItemIndex(itemIndex), mItemValue(itemValue),
          mItemFlag(itemFlag)
    {
    }

    int32_t mItemIndex;
    uint32_t mItemValue;
    uint32_t mItemFlag;
};
} // namespace ZQ
