#pragma once

#include "ZQFramework/ObjectBase/RefCountedObject.h"

#include <cstdint>

namespace ZQ
{
// A client's choice of captured MIDI messages. The MIDI object stores and hands out copies, so a filter
// must implement CreateCopy. Accept runs on the delivery thread under the MIDI object's filter lock: it
// must be quick and must not change the filter table.
class LIMidiFilter : public virtual LRefCountedObject
{
public:
    // True when the client wants the message of count bytes.
    [[nodiscard]] virtual bool Accept(const signed char* bytes, int32_t count) const = 0;
};
} // namespace ZQ
