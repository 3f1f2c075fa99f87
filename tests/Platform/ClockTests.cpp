#include "Platform/Clock/Clock.h"

#include <gtest/gtest.h>

namespace
{
TEST(Clock, ManualClockReplacesTheSteadyClockUntilRemoved)
{
    Platform::ManualClock manual;
    Platform::SetClock(&manual);
    const uint32_t start = Platform::GetTickCount();
    manual.Advance(std::chrono::milliseconds(1500));
    EXPECT_EQ(Platform::GetTickCount() - start, 1500u);
    Platform::SetClock(nullptr);

    const auto before = Platform::Now();
    EXPECT_GE(Platform::Now(), before);
}
} // namespace
