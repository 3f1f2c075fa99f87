#pragma once

#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"

#include <atomic>
#include <vector>

// Small counted classes shared by the object-base tests.
namespace ObjectBaseTests
{
// Counts its destructions in a counter the test owns.
class Tracked : public virtual ZQ::LRefCountedObject
{
public:
    explicit Tracked(std::atomic<int>* destroyed = nullptr) : mDestroyed(destroyed) {}
    ~Tracked() override
    {
        if (mDestroyed != nullptr)
            ++*mDestroyed;
    }

private:
    std::atomic<int>* mDestroyed;
};

class OtherTracked : public virtual ZQ::LRefCountedObject
{
};

// An object whose own parts hold references to it, the way a notification client's registrations do.
// ReleaseInternalReferences drops as many of them as it is told to.
class SelfHolder : public Tracked
{
public:
    SelfHolder(std::atomic<int>* destroyed, std::atomic<int>* breakCalls)
        : Tracked(destroyed), mBreakCalls(breakCalls)
    {
    }

    void AddInternalReference()
    {
        mParts.emplace_back(this);
        AdjustInternalRefCount(this, 1);
    }

    ZQRESULT ReleaseInternalReferences() override
    {
        ++*mBreakCalls;
        for (int i = 0; i < mDropOnBreak && !mParts.empty(); ++i)
        {
            AdjustInternalRefCount(this, -1);
            mParts.pop_back();
        }
        return LRefCountedObject::ReleaseInternalReferences();
    }

    // How many internal references a break drops; all of them unless a test says otherwise.
    int mDropOnBreak = 1 << 30;

private:
    std::atomic<int>* mBreakCalls;
    std::vector<ZQ::RCPtr<SelfHolder>> mParts;
};
} // namespace ObjectBaseTests
