#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace Platform
{
// A manual-reset event that the driver stand-in can signal by its handle: the handle is registered with
// RegisterDriverSignal for the event's lifetime, so a wake-event request may carry it. Its handle values
// do not fit in 32 bits on a 64-bit build. Owned by whoever waits on it.
class DriverEvent
{
public:
    DriverEvent();
    ~DriverEvent();
    DriverEvent(const DriverEvent&) = delete;
    DriverEvent& operator=(const DriverEvent&) = delete;

    [[nodiscard]] intptr_t Handle() const { return mHandle; }
    void Set();
    void Reset();
    // True when signalled within the time-out.
    bool Wait(uint32_t milliseconds);
    [[nodiscard]] bool IsSet();

private:
    const intptr_t mHandle;
    std::mutex mLock; // guards mSet
    std::condition_variable mChanged;
    bool mSet = false;
};
} // namespace Platform
