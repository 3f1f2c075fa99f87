#include "System/TestWorkers.h"

#include "ZQFramework/System/ThreadPool.h"

#include <gtest/gtest.h>
#include <thread>

using SystemTestSupport::MakeRecordingWorker;
using SystemTestSupport::RecordingWorker;
using TestSupport::WaitFor;

namespace
{
TEST(ThreadPool, UnnamedPoolDescribesItself)
{
    auto pool = ZQ::LThreadPool::Create(1, 2);
    EXPECT_TRUE(pool->ToString() == u"Unnamed ThreadPool");
}

TEST(ThreadPoolConcurrency, OneWorkerRunsQueuedItemsByPriorityThenArrival)
{
    struct Case
    {
        std::vector<int> priorities; // item k carries the number k + 1
        std::vector<int> expected;
    };
    const Case cases[] = {
        {{0, 0, 0}, {1, 2, 3}},
        {{0, 2, 1}, {2, 3, 1}},
        {{1, 0, 1, 0, 2}, {5, 1, 3, 2, 4}},
    };
    for (const Case& c : cases)
    {
        auto pool = ZQ::LThreadPool::Create(1, 2);
        auto worker = MakeRecordingWorker();
        pool->QueueWorkItem(worker, RecordingWorker::Task(-1), 0);
        ASSERT_TRUE(WaitFor([&] { return worker->Started() == 1; }));
        for (size_t k = 0; k < c.priorities.size(); ++k)
            pool->QueueWorkItem(worker, RecordingWorker::Task(static_cast<int>(k) + 1), c.priorities[k]);
        worker->OpenGate();
        ASSERT_TRUE(worker->WaitForFinished(c.priorities.size() + 1));
        std::vector<int> expected{-1};
        expected.insert(expected.end(), c.expected.begin(), c.expected.end());
        EXPECT_EQ(worker->Order(), expected);
    }
}

TEST(ThreadPoolConcurrency, OneWorkerKeepsArrivalOrderUnderManyPosters)
{
    auto pool = ZQ::LThreadPool::Create(1, 2);
    auto worker = MakeRecordingWorker();
    constexpr int kPerPoster = 200;
    std::vector<std::thread> posters;
    for (int p = 0; p < 3; ++p)
        posters.emplace_back(
            [&, p]
            {
                for (int i = 0; i < kPerPoster; ++i)
                    pool->QueueWorkItem(worker, RecordingWorker::Task(p * 1000 + i), 0);
            });
    for (auto& poster : posters)
        poster.join();
    ASSERT_TRUE(worker->WaitForFinished(3 * kPerPoster));
    std::vector<int> last(3, -1);
    for (int value : worker->Order())
    {
        const int poster = value / 1000;
        EXPECT_GT(value, last[static_cast<size_t>(poster)]);
        last[static_cast<size_t>(poster)] = value;
    }
}

// Each task waits until the other one has started too, so both can only end if they run at once.
class RendezvousWorker : public ZQ::LThreadWorker
{
public:
    std::atomic<int> mArrived{0};
    std::atomic<int> mMet{0};

    ZQRESULT DoWork(ZQ::RCPtr<ZQ::LRefCountedObject>&) override
    {
        ++mArrived;
        if (WaitFor([&] { return mArrived.load() == 2; }))
            ++mMet;
        return S_OK;
    }
};

TEST(ThreadPoolConcurrency, TwoWorkersRunTwoItemsAtTheSameTime)
{
    auto pool = ZQ::LThreadPool::Create(2, 2);
    ZQ::RCPtr<RendezvousWorker> worker(new RendezvousWorker());
    pool->QueueWorkItem(worker, nullptr, 0);
    pool->QueueWorkItem(worker, nullptr, 0);
    EXPECT_TRUE(WaitFor([&] { return worker->mMet.load() == 2; }));
}

TEST(ThreadPoolConcurrency, StopFinishesTheRunningItemAndDropsQueuedOnes)
{
    auto pool = ZQ::LThreadPool::Create(1, 2);
    auto worker = MakeRecordingWorker();
    auto queued = RecordingWorker::Task(7);
    pool->QueueWorkItem(worker, RecordingWorker::Task(-1), 0);
    ASSERT_TRUE(WaitFor([&] { return worker->Started() == 1; }));
    pool->QueueWorkItem(worker, queued, 0);
    EXPECT_EQ(queued->GetRefCount(), 2);

    std::thread stopper([&] { pool->Stop(); });
    // The queued item is let go as soon as Stop has emptied the queue; Stop then waits for the running one.
    EXPECT_TRUE(WaitFor([&] { return queued->GetRefCount() == 1; }));
    worker->OpenGate();
    stopper.join();
    EXPECT_EQ(worker->Order(), (std::vector<int>{-1}));

    auto late = RecordingWorker::Task(8);
    pool->QueueWorkItem(worker, late, 0);
    EXPECT_EQ(late->GetRefCount(), 1);
    EXPECT_EQ(worker->Started(), 1);
}

TEST(ThreadPoolConcurrency, StopRunsTheItemAlreadyHandedToAWorker)
{
    // QueueWorkItem gave the item straight to the idle worker; a stop that follows at once must not drop it.
    for (int round = 0; round < 20; ++round)
    {
        auto pool = ZQ::LThreadPool::Create(1, 2);
        auto worker = MakeRecordingWorker();
        pool->QueueWorkItem(worker, RecordingWorker::Task(round), 0);
        pool->Stop();
        EXPECT_EQ(worker->Order(), std::vector<int>{round});
    }
}

TEST(ThreadPoolConcurrency, PoolGivingUpANeverEndingItemLeavesItWhatItTouches)
{
    auto worker = MakeRecordingWorker();
    auto pool = ZQ::LThreadPool::Create(1, 2);
    pool->QueueWorkItem(worker, RecordingWorker::Task(-1), 0);
    ASSERT_TRUE(WaitFor([&] { return worker->Started() == 1; }));
    ASSERT_TRUE(SystemTestSupport::DestroyGivingUpOnTheClock([&] { pool = nullptr; }));

    // The item ends after its pool has gone, and signals a completion that only its thread still holds.
    worker->OpenGate();
    EXPECT_TRUE(WaitFor([&] { return worker->GetRefCount() == 1; }));
    EXPECT_EQ(worker->Order(), std::vector<int>{-1});
}

// A pool whose queue thread refuses to start a given number of times.
class RefusingQueueThreadPool : public ZQ::LThreadPool
{
public:
    explicit RefusingQueueThreadPool(int refusals) : LThreadPool(1, 2), mRefusals(refusals) {}

    std::atomic<int> mRefusals;

    // A worker that has finished its task still counts as busy until its thread has let the task go.
    bool WorkerIsIdle() { return HasIdleWorker(); }

protected:
    ZQRESULT TriggerQueueThread() override
    {
        if (mRefusals.load() > 0)
        {
            --mRefusals;
            return E_FAIL;
        }
        return LThreadPool::TriggerQueueThread();
    }
};

TEST(ThreadPoolConcurrency, RefusedQueueThreadStrandsNothingAndBlocksNoLaterPost)
{
    ZQ::RCPtr<RefusingQueueThreadPool> pool(new RefusingQueueThreadPool(2));
    auto worker = MakeRecordingWorker();
    pool->QueueWorkItem(worker, RecordingWorker::Task(-1), 0);
    ASSERT_TRUE(WaitFor([&] { return worker->Started() == 1; }));

    // The worker is busy and the queue thread refuses: item 1 waits in the queue.
    pool->QueueWorkItem(worker, RecordingWorker::Task(1), 0);
    EXPECT_EQ(pool->mRefusals.load(), 1);
    worker->OpenGate();
    ASSERT_TRUE(worker->WaitForFinished(1));
    ASSERT_TRUE(WaitFor([&] { return pool->WorkerIsIdle(); }));

    // The next post finds the queue thread refusing again, and hands the waiting item to the idle worker.
    pool->QueueWorkItem(worker, RecordingWorker::Task(2), 0);
    EXPECT_EQ(pool->mRefusals.load(), 0);
    ASSERT_TRUE(worker->WaitForFinished(2));

    // Then the queue thread starts again and nothing is left behind.
    pool->QueueWorkItem(worker, RecordingWorker::Task(3), 0);
    ASSERT_TRUE(worker->WaitForFinished(4));
    EXPECT_EQ(worker->Order(), (std::vector<int>{-1, 1, 2, 3}));
}

class WatchedPool : public ZQ::LThreadPool
{
public:
    explicit WatchedPool(std::atomic<bool>& destroyed) : LThreadPool(1, 2), mDestroyed(destroyed) {}
    ~WatchedPool() override { mDestroyed = true; }

private:
    std::atomic<bool>& mDestroyed;
};

TEST(ThreadPoolConcurrency, PoolReleasedOnItsOwnThreadsRunsWhatItTookAndDoesNotWaitForItself)
{
    std::atomic<bool> destroyed{false};
    auto worker = MakeRecordingWorker();
    {
        ZQ::RCPtr<WatchedPool> pool(new WatchedPool(destroyed));
        pool->QueueWorkItem(worker, RecordingWorker::Task(-1), 0);
        ASSERT_TRUE(WaitFor([&] { return worker->Started() == 1; }));
        // Queued items keep the queue thread, and through it the pool, alive; the last item's worker
        // holds the pool too, so the pool goes on one of its own threads.
        pool->QueueWorkItem(worker, RecordingWorker::Task(1), 0);
        pool->QueueWorkItem(worker, ZQ::RCPtr<ZQ::LRefCountedObject>(pool), 0);
    }
    worker->OpenGate();
    EXPECT_TRUE(WaitFor([&] { return destroyed.load(); }));
    EXPECT_EQ(worker->Order(), (std::vector<int>{-1, 1, 0}));
}

TEST(ThreadPoolConcurrency, PoolReleasedOnItsQueueThreadDoesNotWaitForItself)
{
    std::atomic<bool> destroyed{false};
    auto worker = MakeRecordingWorker();
    {
        ZQ::RCPtr<WatchedPool> pool(new WatchedPool(destroyed));
        pool->QueueWorkItem(worker, RecordingWorker::Task(-1), 0);
        ASSERT_TRUE(WaitFor([&] { return worker->Started() == 1; }));
        // The queued items hold nothing of the pool: the queue thread's run holds the last reference.
        pool->QueueWorkItem(worker, RecordingWorker::Task(1), 0);
        pool->QueueWorkItem(worker, RecordingWorker::Task(2), 0);
    }
    EXPECT_FALSE(destroyed.load());
    worker->OpenGate();
    EXPECT_TRUE(WaitFor([&] { return destroyed.load(); }));
    // The queue thread lets the pool go once it has handed out the last item, which may still be running.
    ASSERT_TRUE(worker->WaitForFinished(3));
    EXPECT_EQ(worker->Order(), (std::vector<int>{-1, 1, 2}));
}
} // namespace
