#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

// The one monotonic clock of the program. Everything that measures time-outs, pauses or timestamps asks
// this clock, so that tests can put a manual clock in its place.
//
// Waits that block a thread on a condition stay on the steady clock: the bounded waits of events (Wait and
// wait-for-any in ZQFramework/System/Sync) and the stand-ins' own reply and close limits (Platform/Driver,
// Platform/Midi). A manual clock moves only when a test advances it, and nothing wakes a sleeping waiter
// when it does, so a wait timed on it could never time out. Where a test must decide when a wait gives up,
// the waiter measures the time-out on this clock and waits in short real-time slices (Thread::Wait).
namespace Platform
{
using Duration = std::chrono::nanoseconds;
using TimePoint = std::chrono::time_point<std::chrono::steady_clock, Duration>;

class IClock
{
public:
    virtual ~IClock() = default;
    [[nodiscard]] virtual TimePoint Now() const = 0;
};

// The current time of the installed clock (the steady clock unless a test installed another).
[[nodiscard]] TimePoint Now();

// Milliseconds since an arbitrary start, wrapping at 2^32, like the original tick counter.
[[nodiscard]] uint32_t GetTickCount();

// Installs a replacement clock; nullptr restores the steady clock. The caller keeps the clock alive
// until it is replaced again.
void SetClock(const IClock* clock);

// A clock that moves only when told to; for tests.
class ManualClock final : public IClock
{
public:
    explicit ManualClock(TimePoint start = TimePoint{}) : mNow(start.time_since_epoch().count()) {}

    [[nodiscard]] TimePoint Now() const override { return TimePoint{Duration{mNow.load()}}; }
    void Advance(Duration step) { mNow += step.count(); }

private:
    std::atomic<int64_t> mNow;
};
} // namespace Platform
