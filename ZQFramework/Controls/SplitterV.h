#pragma once

#include "ZQFramework/Controls/SplitterBase.h"

namespace ZQ
{
// The splitter whose bar moves along X: it lies between panes side by side ("Framework.SplitterV"). All
// behaviour is LSplitterBase's. Held by its parent; UI thread only.
class LSplitterV : public LSplitterBase
{
public:
    ~LSplitterV() override;

protected:
    // The control base's creation sequence constructs it.
    friend class LControl;
    LSplitterV(const RCPtr<LControl>& parent, const WString& name);
};
} // namespace ZQ
