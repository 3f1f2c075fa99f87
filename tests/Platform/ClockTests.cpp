#include "Support/WaitFor.h"

#include "Platform/Clock/Clock.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace
{
using namespace std::chrono_literals;

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

TEST(Clock, ASleepOnTheManualClockEndsOnlyWhenTheClockPassesItsEnd)
{
    Platform::ManualClock manual;
    Platform::SetClock(&manual);
    std::atomic<bool> awake{false};
    std::thread sleeper(
        [&]
        {
            Platform::SleepFor(500ms);
            awake = true;
        });
    ASSERT_TRUE(TestSupport::WaitFor([&] { return manual.Sleepers() == 1; }));

    manual.Advance(499ms);
    std::this_thread::sleep_for(20ms); // a sleeper released too early has time to show it
    EXPECT_FALSE(awake);
    EXPECT_EQ(manual.Sleepers(), 1);

    manual.Advance(1ms);
    EXPECT_TRUE(TestSupport::WaitFor([&] { return awake.load(); }));
    sleeper.join();
    EXPECT_EQ(manual.Sleepers(), 0);
    Platform::SetClock(nullptr);
}

// A clock that runs on by itself, ahead of the steady clock by what a test adds.
class OffsetClock final : public Platform::IClock
{
public:
    [[nodiscard]] Platform::TimePoint Now() const override
    {
        return std::chrono::steady_clock::now() + Platform::Duration(mOffset.load());
    }
    void Advance(Platform::Duration step) { mOffset += step.count(); }

private:
    std::atomic<int64_t> mOffset{0};
};

TEST(Clock, ASleepOnAClockThatRunsByItselfEndsWhenThatClockSaysSo)
{
    // An hour's sleep ends as soon as the clock is moved on past it.
    OffsetClock clock;
    Platform::SetClock(&clock);
    std::atomic<bool> awake{false};
    std::thread sleeper(
        [&]
        {
            Platform::SleepFor(1h);
            awake = true;
        });
    EXPECT_TRUE(TestSupport::WaitFor(
        [&]
        {
            clock.Advance(2h);
            return awake.load();
        }));
    sleeper.join();
    Platform::SetClock(nullptr);

    // With no clock installed, a sleep lasts at least its real duration.
    const auto before = std::chrono::steady_clock::now();
    Platform::SleepFor(20ms);
    EXPECT_GE(std::chrono::steady_clock::now() - before, 20ms);
}
} // namespace
