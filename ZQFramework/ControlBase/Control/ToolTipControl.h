#pragma once

#include "ZQFramework/ObjectBase/Result.h"

namespace ZQ
{
// What a control asks of the tool tip it made from the skin's "toolTip" descriptor: start it (it appears
// after its delay) and hide it (it removes itself from its parent later). The control library's tool tip
// implements it. UI thread only.
class IToolTip
{
public:
    virtual ~IToolTip() = default;
    virtual ZQRESULT Show() = 0;
    virtual ZQRESULT Hide() = 0;
};
} // namespace ZQ
