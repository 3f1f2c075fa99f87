#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace ZQ
{
// Wait results and the unlimited time-out, with the values the framework's callers compare against.
inline constexpr uint32_t kInfinite = 0xFFFFFFFFu;
inline constexpr uint32_t kWaitSignalled = 0;
inline constexpr uint32_t kWaitTimeout = 258;
inline constexpr uint32_t kWaitFailed = 0xFFFFFFFFu;

// The kernel-event stand-in behind Event, LEvent and EventPool: a signalled flag that is auto- or
// manual-reset, with timed waits on one event and waits for the first of several. Owned by exactly one
// of those classes; its address is the event's handle.
class EventCore
{
public:
    explicit EventCore(bool autoReset);
    ~EventCore();

    EventCore(const EventCore&) = delete;
    EventCore& operator=(const EventCore&) = delete;

    bool Set();
    bool Reset();

    // kWaitSignalled or kWaitTimeout; an auto-reset event that reports a signal has consumed it.
    [[nodiscard]] uint32_t Wait(uint32_t milliseconds);

    // Wait(0) as a bool: true only for a signal (consumed on an auto-reset event), never for a time-out
    // or a failed wait.
    [[nodiscard]] bool IsSignalled() { return Wait(0) == kWaitSignalled; }

    // Waits until one of the events is signalled and returns kWaitSignalled + its index (the lowest index
    // when several are); kWaitTimeout when the time ran out; kWaitFailed for a null event or no events.
    [[nodiscard]] static uint32_t WaitForAny(EventCore* const* events, size_t count, uint32_t milliseconds);

private:
    struct MultiWaiter;

    bool TryConsume();
    void AddWaiter(MultiWaiter* waiter);
    void RemoveWaiter(MultiWaiter* waiter);

    const bool mAutoReset;
    std::mutex mLock;
    std::condition_variable mChanged;
    bool mSignalled = false;                 // guarded by mLock
    std::vector<MultiWaiter*> mMultiWaiters; // guarded by mLock
};

using EventHandle = EventCore*;
} // namespace ZQ
