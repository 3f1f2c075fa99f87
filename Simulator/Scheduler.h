#pragma once

#include "Platform/Clock/Clock.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

namespace Simulator
{
// Runs tasks at given times on one thread of its own, in the order of their times (equal times in the
// order posted). Time is Platform::Now(), so a test's manual clock moves it; the thread looks at the
// clock at least every few milliseconds. Owned by the part of the simulator that posts to it.
class Scheduler
{
public:
    Scheduler();
    ~Scheduler(); // drops the tasks not yet due and joins the thread
    Scheduler(const Scheduler&) = delete;
    Scheduler& operator=(const Scheduler&) = delete;

    // Ends the thread after the task in progress; tasks not yet run are dropped, later posts never run.
    void Stop();

    void Post(Platform::TimePoint due, std::function<void()> task);
    void PostAfter(Platform::Duration delay, std::function<void()> task);
    // True on the scheduler's own thread.
    [[nodiscard]] bool IsOwnThread() const;
    // Waits until every task due by now has run (for callers that need its effects before going on).
    void Drain();

private:
    void Run();

    std::mutex mLock; // guards mTasks, mNextSeq, mStopping, mRunning
    std::condition_variable mChanged;
    std::map<std::pair<Platform::TimePoint, uint64_t>, std::function<void()>> mTasks;
    uint64_t mNextSeq = 0;
    bool mStopping = false;
    bool mRunning = false;
    std::thread mThread;
};
} // namespace Simulator
