#pragma once

#include "Support/WaitFor.h"

#include "Platform/Clock/Clock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace TestSupport
{
// Installs a manual clock, started at the current time, for its lifetime.
class ManualClockScope
{
public:
    ManualClockScope() { Platform::SetClock(&mClock); }
    ~ManualClockScope() { Platform::SetClock(nullptr); }
    ManualClockScope(const ManualClockScope&) = delete;
    ManualClockScope& operator=(const ManualClockScope&) = delete;

    // Waits (with a generous real deadline) until a thread sleeps on the clock.
    [[nodiscard]] bool WaitForSleeper() const
    {
        return WaitFor([this] { return mClock.Sleepers() > 0; });
    }
    void Advance(Platform::Duration step) { mClock.Advance(step); }
    // Moves the clock on by a step whenever a thread sleeps on it, until done() holds (or a generous real
    // deadline passes); for code that pauses on the clock more often than a test cares to count.
    template <typename Pred>
    [[nodiscard]] bool StepUntil(Pred&& done, Platform::Duration step)
    {
        return WaitFor(
            [&]
            {
                if (mClock.Sleepers() > 0)
                    mClock.Advance(step);
                return done();
            });
    }

private:
    Platform::ManualClock mClock{Platform::Now()};
};

// Installs a manual clock for its lifetime and steps it on behalf of code that pauses on it: whenever a
// thread sleeps on the clock, the stepper advances it by one step and waits for the sleeper to wake. The
// clock's time then counts the pauses taken, without any real waiting.
class ClockStepper
{
public:
    explicit ClockStepper(Platform::Duration step) : mStep(step)
    {
        Platform::SetClock(&mClock);
        mStepper = std::thread([this] { Run(); });
    }
    ~ClockStepper()
    {
        mStop = true;
        mStepper.join();
        Platform::SetClock(nullptr);
    }
    ClockStepper(const ClockStepper&) = delete;
    ClockStepper& operator=(const ClockStepper&) = delete;

    // The clock time that passed since the stepper was made.
    [[nodiscard]] Platform::Duration Elapsed() const { return mClock.Now() - mStart; }

private:
    void Run()
    {
        while (!mStop)
        {
            if (mClock.Sleepers() == 0)
            {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            mClock.Advance(mStep);
            (void)WaitFor([this] { return mStop || mClock.Sleepers() == 0; });
        }
    }

    Platform::ManualClock mClock;
    const Platform::TimePoint mStart = mClock.Now();
    const Platform::Duration mStep;
    std::atomic<bool> mStop{false};
    std::thread mStepper;
};
} // namespace TestSupport
