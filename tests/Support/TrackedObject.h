#pragma once

#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"

#include <string>
#include <vector>

namespace TestSupport
{

// A counted object that records its destruction in a shared log, for tests of containers that hold
// counted pointers. CreateCopy gives a copy whose name ends in "'" so a detachment is visible.
class TrackedObject : public ZQ::LRefCountedObject
{
public:
    TrackedObject(std::string name, std::vector<std::string>* log) : mName(std::move(name)), mLog(log) {}
    ~TrackedObject() override
    {
        if (mLog != nullptr)
        {
            mLog->push_back(mName);
        }
    }

    [[nodiscard]] ZQ::ConstRCPtr<ZQ::LRefCountedObject> CreateCopy() const override
    {
        return ZQ::ConstRCPtr<ZQ::LRefCountedObject>(new TrackedObject(mName + "'", mLog));
    }

    [[nodiscard]] const std::string& Name() const { return mName; }

private:
    std::string mName;
    std::vector<std::string>* mLog;
};

} // namespace TestSupport
