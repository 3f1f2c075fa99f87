#include "Platform/Clock/Clock.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace Platform
{
namespace
{
std::atomic<const IClock*> gClock{nullptr};
}

TimePoint Now()
{
    if (const IClock* clock = gClock.load(std::memory_order_acquire))
        return clock->Now();
    return std::chrono::time_point_cast<Duration>(std::chrono::steady_clock::now());
}

uint32_t GetTickCount()
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Now().time_since_epoch());
    return static_cast<uint32_t>(ms.count());
}

void SetClock(const IClock* clock)
{
    gClock.store(clock, std::memory_order_release);
}

void SleepFor(Duration duration)
{
    if (const IClock* clock = gClock.load(std::memory_order_acquire))
        clock->SleepUntil(clock->Now() + duration);
    else
        std::this_thread::sleep_for(duration);
}

void IClock::SleepUntil(TimePoint deadline) const
{
    constexpr Duration kSlice = std::chrono::milliseconds(1);
    for (TimePoint now = Now(); now < deadline; now = Now())
        std::this_thread::sleep_for(std::min<Duration>(deadline - now, kSlice));
}

void ManualClock::SleepUntil(TimePoint deadline) const
{
    std::unique_lock<std::mutex> lock(mLock);
    ++mSleepers;
    mStepped.wait(lock, [&] { return Now() >= deadline; });
    --mSleepers;
}

void ManualClock::Advance(Duration step)
{
    {
        const std::lock_guard<std::mutex> lock(mLock);
        mNow += step.count();
    }
    mStepped.notify_all();
}
} // namespace Platform
