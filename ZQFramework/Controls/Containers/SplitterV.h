#pragma once

#include "ZQFramework/Controls/Containers/SplitterBase.h"

namespace ZQ
{
// The splitter whose bar moves along X: it lies between panes side by side ("Framework.SplitterV"). All
// behaviour is LSplitterBase's. Held by its parent; UI thread only.
class LSplitterV : public LSplitterBase
{
public:
    // Made by the control base's creation sequence, the only holder of a CreateKey.
    LSplitterV(CreateKey key, const RCPtr<LControl>& parent, const WString& name);
    ~LSplitterV() override;
};
} // namespace ZQ
