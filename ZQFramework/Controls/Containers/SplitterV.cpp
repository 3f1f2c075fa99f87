#include "ZQFramework/Controls/Containers/SplitterV.h"

namespace ZQ
{
LSplitterV::LSplitterV(CreateKey /*key*/, const RCPtr<LControl>& parent, const WString& name)
    : LSplitterBase(parent, name, 1)
{
}

LSplitterV::~LSplitterV() = default;
} // namespace ZQ
