#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

// The one monotonic clock of the program. Everything that measures time-outs, pauses or timestamps asks
// this clock, so that tests can put a manual clock in its place.
//
// Waits that block a thread on a condition stay on the steady clock: the bounded waits of events (Wait and
// wait-for-any in ZQFramework/System/Sync) and the stand-ins' own reply and close limits (Platform/Driver,
// Platform/Midi). A manual clock moves only when a test advances it, and nothing wakes a sleeping waiter
// when it does, so a wait timed on it could never time out. Where a test must decide when a wait gives up,
// the waiter measures the time-out on this clock and waits in short real-time slices (Thread::Wait).
//
// Pauses (a pace between sent pieces, a pause between probes) are different: nothing else ends them, so
// they sleep on the installed clock through SleepFor, and a manual clock releases them when a test
// advances it past their end.
namespace Platform
{
using Duration = std::chrono::nanoseconds;
using TimePoint = std::chrono::time_point<std::chrono::steady_clock, Duration>;

class IClock
{
public:
    virtual ~IClock() = default;
    [[nodiscard]] virtual TimePoint Now() const = 0;

    // Blocks the calling thread until Now() reaches the deadline. This one looks at Now() in short
    // real-time slices, which suits a clock that runs on by itself.
    virtual void SleepUntil(TimePoint deadline) const;
};

// The current time of the installed clock (the steady clock unless a test installed another).
[[nodiscard]] TimePoint Now();

// Milliseconds since an arbitrary start, wrapping at 2^32, like the original tick counter.
[[nodiscard]] uint32_t GetTickCount();

// Installs a replacement clock; nullptr restores the steady clock. The caller keeps the clock alive
// until it is replaced again.
void SetClock(const IClock* clock);

// Pauses the calling thread for a duration of the installed clock: a plain sleep on the steady clock.
void SleepFor(Duration duration);

// A clock that moves only when told to; for tests. A thread sleeping on it stays asleep until another
// thread advances the clock past the sleeper's deadline.
class ManualClock final : public IClock
{
public:
    explicit ManualClock(TimePoint start = TimePoint{}) : mNow(start.time_since_epoch().count()) {}

    [[nodiscard]] TimePoint Now() const override { return TimePoint{Duration{mNow.load()}}; }
    void SleepUntil(TimePoint deadline) const override;
    void Advance(Duration step);

    // How many threads sleep on this clock now; a test waits for a sleeper before it steps the clock.
    [[nodiscard]] int32_t Sleepers() const { return mSleepers.load(); }

private:
    std::atomic<int64_t> mNow; // changed under mLock, so that no sleeper misses a step
    mutable std::atomic<int32_t> mSleepers{0};
    mutable std::mutex mLock;
    mutable std::condition_variable mStepped;
};
} // namespace Platform
