#include "System/TestWorkers.h"

#include "ZQFramework/System/Sync/Event.h"
#include "ZQFramework/System/Thread.h"

#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

using TestSupport::WaitFor;

namespace
{
// What a test thread does: counts its runs and, when asked, waits for the gate before it ends.
struct Job
{
    std::atomic<int> runs{0};
    bool holdAtGate = false;
    ZQ::Event gate{false};

    static uint32_t Run(void* data)
    {
        auto* job = static_cast<Job*>(data);
        ++job->runs;
        if (job->holdAtGate)
            (void)job->gate.Wait(ZQ::kInfinite);
        return 0;
    }
};

TEST(Thread, NeverStartedThreadRunsOnceWhenDestroyed)
{
    Job job;
    {
        ZQ::Thread thread(&Job::Run, &job);
        EXPECT_FALSE(thread.HasFinished());
    }
    EXPECT_EQ(job.runs, 1);
}

TEST(Thread, StartResumesOnlyOnce)
{
    Job job;
    ZQ::Thread thread(&Job::Run, &job);
    EXPECT_TRUE(thread.Start());
    EXPECT_FALSE(thread.Start());
    EXPECT_TRUE(thread.Wait(ZQ::kInfinite));
    EXPECT_TRUE(thread.HasFinished());
    EXPECT_FALSE(thread.Start());
    EXPECT_EQ(job.runs, 1);
}

TEST(Thread, WaitResumesAHeldBackThreadAndReportsItsEnd)
{
    Job job;
    job.holdAtGate = true;
    ZQ::Thread thread(&Job::Run, &job);
    EXPECT_TRUE(thread.SetPriority(-1));
    EXPECT_FALSE(thread.Wait(10));
    EXPECT_EQ(job.runs, 1);
    EXPECT_FALSE(thread.HasFinished());
    job.gate.Set();
    EXPECT_TRUE(thread.Wait(ZQ::kInfinite));
    EXPECT_TRUE(thread.HasFinished());
    EXPECT_FALSE(thread.Start());
}

// A thread whose callback destroys its own Thread object must not wait for itself.
struct SelfDestroyingJob
{
    std::unique_ptr<ZQ::Thread> thread;
    std::atomic<bool> destroyed{false};

    static uint32_t Run(void* data)
    {
        auto* job = static_cast<SelfDestroyingJob*>(data);
        job->thread.reset();
        job->destroyed = true;
        return 0;
    }
};

TEST(ThreadConcurrency, ThreadDestroyedByItsOwnCallbackDoesNotWaitForItself)
{
    SelfDestroyingJob job;
    job.thread = std::make_unique<ZQ::Thread>(&SelfDestroyingJob::Run, &job);
    job.thread->Start();
    EXPECT_TRUE(WaitFor([&] { return job.destroyed.load(); }));
}

TEST(ThreadConcurrency, ThreadThatOutlivesTheEndTimeoutIsAbandonedSafely)
{
    auto job = std::make_shared<Job>();
    job->holdAtGate = true;
    std::weak_ptr<Job> watch = job;
    auto thread = std::make_unique<ZQ::Thread>(&Job::Run, job.get(), job);
    thread->Start();
    job.reset();

    ASSERT_TRUE(SystemTestSupport::DestroyGivingUpOnTheClock([&] { thread.reset(); }));

    // The abandoned thread still runs on what it was given, and lets go of it when it ends.
    auto stillRunning = watch.lock();
    ASSERT_TRUE(stillRunning);
    stillRunning->gate.Set();
    stillRunning.reset();
    EXPECT_TRUE(WaitFor([&] { return watch.expired(); }));
}
} // namespace
