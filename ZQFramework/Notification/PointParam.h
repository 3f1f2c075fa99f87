#pragma once

#include "ZQFramework/Notification/Forward.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"

#include <cstdint>

namespace ZQ
{
// A point in the receiving control's coordinates; the base of the mouse records.
class LPointParam : public virtual LRefCountedObject
{
public:
    LPointParam(int32_t x, int32_t y) : mX(x), mY(y) {}

    // "point(x, y)".
    [[nodiscard]] StringT<char16_t, char> ToString() const override;

    int32_t mX;
    int32_t mY;
};
} // namespace ZQ
