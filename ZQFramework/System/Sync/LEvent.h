#pragma once

#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/System/Sync/EventCore.h"

#include <cstdint>
#include <memory>

namespace ZQ
{
// A counted auto-reset event, shared through smart pointers (for example a completion signal that a
// worker thread sets and its owner waits for). Created not signalled. Kept inline so the lock library
// needs nothing of the object library at link time.
class LEvent : public LRefCountedObject
{
public:
    // The flag is kept for the callers' sake; the event is auto-reset either way.
    [[nodiscard]] static RCPtr<LEvent> Create(bool autoReset = true)
    {
        (void)autoReset;
        return RCPtr<LEvent>(new LEvent());
    }

    bool Set() { return mHolder->Set(); }
    bool Reset() { return mHolder->Reset(); }

    // kWaitSignalled when signalled within the time (kInfinite: no limit), else kWaitTimeout.
    [[nodiscard]] uint32_t Wait(uint32_t milliseconds) { return mHolder->Wait(milliseconds); }

    // Wait(0) reported as a bool; a true answer consumes the signal.
    [[nodiscard]] bool IsSignalled() { return mHolder->IsSignalled(); }

    [[nodiscard]] EventHandle GetHandle() const { return mHolder.get(); }

protected:
    LEvent() : mHolder(std::make_unique<EventCore>(true)) {}

private:
    std::unique_ptr<EventCore> mHolder;
};
} // namespace ZQ
