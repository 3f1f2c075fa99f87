#pragma once

#include "ZQFramework/ObjectBase/Forward.h"

namespace ZQ
{
// Anything that can describe itself as text (for debug output and diagnostics). Overriders include
// the object's String.h header to build the result.
class IStringable
{
public:
    virtual ~IStringable() = default;

    [[nodiscard]] virtual StringT<char16_t, char> ToString() const = 0;
};
} // namespace ZQ
