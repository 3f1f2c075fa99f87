#include "ZQFramework/Controls/Containers/SplitterH.h"

namespace ZQ
{
LSplitterH::LSplitterH(CreateKey /*key*/, const RCPtr<LControl>& parent, const WString& name)
    : LSplitterBase(parent, name, 0)
{
}

LSplitterH::~LSplitterH() = default;
} // namespace ZQ
