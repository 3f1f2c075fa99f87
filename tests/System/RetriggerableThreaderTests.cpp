#include "System/TestWorkers.h"

#include "ZQFramework/System/RetriggerableThreader.h"
#include "ZQFramework/System/Sync/LEvent.h"

#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

using SystemTestSupport::MakeRecordingWorker;
using SystemTestSupport::RecordingWorker;
using TestSupport::WaitFor;

namespace
{
TEST(RetriggerableThreaderConcurrency, RunsOneTaskAtATimeAndSignalsItsCompletion)
{
    ZQ::RetriggerableThreader threader(ZQ::WString(u"engine worker"));
    EXPECT_TRUE(threader.ToString() == u"engine worker");
    auto worker = MakeRecordingWorker();
    auto completion = ZQ::LEvent::Create(true);

    ASSERT_EQ(threader.Trigger(worker, RecordingWorker::Task(-1), completion, 0), S_OK);
    EXPECT_TRUE(threader.IsBusy());
    EXPECT_EQ(threader.Trigger(worker, RecordingWorker::Task(2), completion, 0), E_FAIL);

    worker->OpenGate();
    ASSERT_EQ(completion->Wait(10000), ZQ::kWaitSignalled);
    // Busy is cleared before the completion is set, so the waiter can trigger again at once.
    EXPECT_FALSE(threader.IsBusy());
    ASSERT_EQ(threader.Trigger(worker, RecordingWorker::Task(3), completion, 0), S_OK);
    ASSERT_EQ(completion->Wait(10000), ZQ::kWaitSignalled);
    EXPECT_EQ(worker->Order(), (std::vector<int>{-1, 3}));
    // The finished task's worker and parameters are let go.
    EXPECT_EQ(worker->GetRefCount(), 1);
}

TEST(RetriggerableThreaderConcurrency, DestructionLetsTheRunningTaskFinish)
{
    auto worker = MakeRecordingWorker();
    auto completion = ZQ::LEvent::Create(true);
    auto threader = std::make_unique<ZQ::RetriggerableThreader>();
    ASSERT_EQ(threader->Trigger(worker, RecordingWorker::Task(-1), completion, 0), S_OK);
    ASSERT_TRUE(WaitFor([&] { return worker->Started() == 1; }));

    std::atomic<size_t> finishedWhenDestroyed{99};
    std::thread destroyer(
        [&]
        {
            threader.reset();
            finishedWhenDestroyed = worker->Order().size();
        });
    worker->OpenGate();
    destroyer.join();
    EXPECT_EQ(finishedWhenDestroyed, 1u);
    EXPECT_EQ(completion->Wait(0), ZQ::kWaitSignalled);
}

TEST(RetriggerableThreaderConcurrency, StoppedThreaderRefusesWork)
{
    ZQ::RetriggerableThreader threader;
    EXPECT_TRUE(threader.Stop(10000));
    auto completion = ZQ::LEvent::Create(true);
    EXPECT_EQ(threader.Trigger(MakeRecordingWorker(), nullptr, completion, 0), E_FAIL);
}

TEST(RetriggerableThreaderConcurrency, TaskHandedOverBeforeAStopStillRuns)
{
    // The stop may reach the thread before it has woken for the task; the task was accepted all the same.
    for (int round = 0; round < 20; ++round)
    {
        auto worker = MakeRecordingWorker();
        auto completion = ZQ::LEvent::Create(true);
        ZQ::RetriggerableThreader threader;
        ASSERT_EQ(threader.Trigger(worker, RecordingWorker::Task(round), completion, 0), S_OK);
        ASSERT_TRUE(threader.Stop(10000));
        EXPECT_EQ(worker->Order(), std::vector<int>{round});
        EXPECT_EQ(completion->Wait(0), ZQ::kWaitSignalled);
    }
}

TEST(RetriggerableThreaderConcurrency, AbandonedTaskKeepsItsWorkerAndCompletionAlive)
{
    auto worker = MakeRecordingWorker();
    auto completion = ZQ::LEvent::Create(true);
    auto threader = std::make_unique<ZQ::RetriggerableThreader>();
    ASSERT_EQ(threader->Trigger(worker, RecordingWorker::Task(-1), completion, 0), S_OK);
    ASSERT_TRUE(WaitFor([&] { return worker->Started() == 1; }));

    // Both end waits run out on the replaced clock, so the destructor gives the thread up.
    ASSERT_TRUE(SystemTestSupport::DestroyGivingUpOnTheClock([&] { threader.reset(); }));

    // The task still runs on its worker and, with the test's references gone, sets a completion that
    // only the abandoned thread holds; then it lets its worker go.
    EXPECT_GT(worker->GetRefCount(), 1);
    completion = nullptr;
    worker->OpenGate();
    EXPECT_TRUE(WaitFor([&] { return worker->GetRefCount() == 1; }));
    EXPECT_EQ(worker->Order(), std::vector<int>{-1});
}

// A task that destroys the threader it runs on; the threader must not wait for its own thread.
class SelfDestroyingWorker : public ZQ::LThreadWorker
{
public:
    std::unique_ptr<ZQ::RetriggerableThreader> mThreader;

    ZQRESULT DoWork(ZQ::RCPtr<ZQ::LRefCountedObject>&) override
    {
        mThreader.reset();
        return S_OK;
    }
};

TEST(RetriggerableThreaderConcurrency, ThreaderDestroyedByItsOwnTaskDoesNotWaitForItself)
{
    ZQ::RCPtr<SelfDestroyingWorker> worker(new SelfDestroyingWorker());
    worker->mThreader = std::make_unique<ZQ::RetriggerableThreader>();
    auto completion = ZQ::LEvent::Create(true);
    ASSERT_EQ(worker->mThreader->Trigger(worker, nullptr, completion, 0), S_OK);
    EXPECT_EQ(completion->Wait(10000), ZQ::kWaitSignalled);
    EXPECT_TRUE(WaitFor([&] { return worker->GetRefCount() == 1; }));
}
} // namespace
