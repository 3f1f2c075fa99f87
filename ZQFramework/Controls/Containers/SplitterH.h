#pragma once

#include "ZQFramework/Controls/Containers/SplitterBase.h"

namespace ZQ
{
// The splitter whose bar moves along Y: it lies between panes stacked top to bottom ("Framework.SplitterH").
// All behaviour is LSplitterBase's. Held by its parent; UI thread only.
class LSplitterH : public LSplitterBase
{
public:
    // Made by the control base's creation sequence, the only holder of a CreateKey.
    LSplitterH(CreateKey key, const RCPtr<LControl>& parent, const WString& name);
    ~LSplitterH() override;
};
} // namespace ZQ
