#include "Platform/Clock/Clock.h"

#include <atomic>

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
} // namespace Platform
