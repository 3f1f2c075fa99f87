#pragma once

#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/ObjectBase/Result.h"

namespace ZQ
{
// Work that runs on a framework thread: a retriggerable worker or a thread pool calls DoWork with the
// parameter object given along with the work (possibly null).
class LThreadWorker : public virtual LRefCountedObject
{
public:
    virtual ZQRESULT DoWork(RCPtr<LRefCountedObject>& parameters) = 0;
};
} // namespace ZQ
