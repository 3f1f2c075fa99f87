#pragma once

#include "ZQFramework/Notification/Forward.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"

#include <cstddef>
#include <cstdint>

namespace ZQ
{
// A change of a control's condition bits with the press point. Pooled; blocks of other sizes (derived
// records) come from and go back to the general heap through the same pool.
class LConditionsParam : public virtual LRefCountedObject
{
public:
    [[nodiscard]] static RCPtr<LConditionsParam> Create(uint32_t previous, uint32_t current, double pressX,
                                                        double pressY);

    LConditionsParam(uint32_t previous, uint32_t current, double pressX, double pressY)
        : mPrevious(previous), mCurrent(current), mPressX(pressX), mPressY(pressY)
    {
    }

    // "(%g, %g)" with the press point.
    [[nodiscard]] StringT<char16_t, char> ToString() const override;

    static void* operator new(std::size_t size);
    static void operator delete(void* block);

    uint32_t mPrevious;
    uint32_t mCurrent;
    double mPressX;
    double mPressY;
};
} // namespace ZQ
