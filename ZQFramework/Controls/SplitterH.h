#pragma once

#include "ZQFramework/Controls/SplitterBase.h"

namespace ZQ
{
// The splitter whose bar moves along Y: it lies between panes stacked top to bottom ("Framework.SplitterH").
// All behaviour is LSplitterBase's. Held by its parent; UI thread only.
class LSplitterH : public LSplitterBase
{
public:
    ~LSplitterH() override;

protected:
    // The control base's creation sequence constructs it.
    friend class LControl;
    LSplitterH(const RCPtr<LControl>& parent, const WString& name);
};
} // namespace ZQ
