#pragma once

#include "ZQFramework/System/Sync/EventCore.h"

#include <cstdint>
#include <memory>

namespace ZQ
{
// A signal that threads wait on: auto-reset (Set releases one waiter and clears itself) or manual-reset
// (Set releases every waiter until Reset). Created not signalled. Owned by value by its user.
class Event
{
public:
    explicit Event(bool autoReset);
    virtual ~Event();

    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    bool Set();
    bool Reset();

    // kWaitSignalled when signalled within the time (kInfinite: no limit), else kWaitTimeout.
    [[nodiscard]] uint32_t Wait(uint32_t milliseconds);

    // Wait(0) reported as a bool; on an auto-reset event a true answer consumes the signal.
    [[nodiscard]] bool IsSignalled();

    [[nodiscard]] EventHandle GetHandle() const { return mHolder.get(); }

private:
    std::unique_ptr<EventCore> mHolder;
};
} // namespace ZQ
