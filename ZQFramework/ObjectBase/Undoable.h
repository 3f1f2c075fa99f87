#pragma once

#include "ZQFramework/ObjectBase/Stringable.h"

namespace ZQ
{
// A stringable object that can be asked to undo its last change.
class IUndoable : public IStringable
{
public:
    virtual void Undo() = 0;
};
} // namespace ZQ
