#pragma once

#include "ZQFramework/Notification/Forward.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"

#include <cstddef>

namespace ZQ
{
// A control's value, normalised (0 to 1) and in the control's range. Pooled.
class LValueParam : public virtual LRefCountedObject
{
public:
    [[nodiscard]] static RCPtr<LValueParam> Create(double normalized, double scaled);

    LValueParam(double normalized, double scaled) : mNormalized(normalized), mScaled(scaled) {}

    // "ValueParam = %lf" with the normalised value.
    [[nodiscard]] StringT<char16_t, char> ToString() const override;

    static void* operator new(std::size_t size);
    static void operator delete(void* block);

    double mNormalized;
    double mScaled;
};
} // namespace ZQ
