#pragma once

#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/System/RetriggerableThreader.h"
#include "ZQFramework/System/Sync/EventPool.h"
#include "ZQFramework/System/Sync/LEvent.h"
#include "ZQFramework/System/Sync/Mutex.h"
#include "ZQFramework/System/ThreadWorker.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace ZQ
{
// Runs work items (a worker, its parameters and a thread priority) on a fixed number of worker threads.
// An item goes straight to an idle worker; otherwise it waits in a queue ordered by priority, from
// which the pool's queue thread hands items to workers as they become idle: the highest priority first,
// and among equal priorities the oldest first. With one worker the items run in the order given.
class LThreadPool : public LThreadWorker
{
public:
    // One queued work item; made from a process-wide reuse pool.
    class LWorkerParams : public LRefCountedObject
    {
    public:
        LWorkerParams(const RCPtr<LThreadWorker>& worker, const RCPtr<LRefCountedObject>& parameters,
                      int32_t priority)
            : mWorker(worker), mParameters(parameters), mPriority(priority)
        {
        }

        static void* operator new(std::size_t size);
        static void operator delete(void* pointer);

        RCPtr<LThreadWorker> mWorker;
        RCPtr<LRefCountedObject> mParameters;
        int32_t mPriority;
    };

    [[nodiscard]] static RCPtr<LThreadPool> Create(int32_t workerCount, int32_t queuePriority);

    LThreadPool(int32_t workerCount, int32_t queuePriority);
    ~LThreadPool() override;

    // Runs or queues one item; an item given to a stopped pool is dropped. Callable from any thread.
    void QueueWorkItem(const RCPtr<LThreadWorker>& worker, const RCPtr<LRefCountedObject>& parameters,
                       int32_t priority);

    // The queue thread's dispatch loop; run by the pool's own queue thread only.
    ZQRESULT DoWork(RCPtr<LRefCountedObject>& parameters) override;

    // Stops accepting work, drops queued items and stops every thread; items already handed to a worker
    // run to their end first (up to the threads' end time-out).
    void Stop();

    [[nodiscard]] WString ToString() const override;

protected:
    // Starts a run of the queue thread (called under the lock, with the previous run ended); S_OK when
    // the run was handed over.
    virtual ZQRESULT TriggerQueueThread();
    // Whether some worker thread is free to take an item now.
    [[nodiscard]] bool HasIdleWorker();

private:
    int32_t TryRunOnIdleWorker(const RCPtr<LThreadWorker>& worker, const RCPtr<LRefCountedObject>& parameters,
                               int32_t priority);
    void InsertByPriority(const RCPtr<LWorkerParams>& item);
    void StartQueueThread();
    void HandQueuedItemsToIdleWorkers();
    // Triggers the worker with the item; an item the worker turns down goes back into the queue.
    bool HandOver(int32_t workerIndex, const RCPtr<LWorkerParams>& item);

    std::atomic<int32_t> mWorkerCount;
    std::vector<std::unique_ptr<RetriggerableThreader>> mWorkers;
    EventPool mEvents; // event i completes every task given to worker i
    WString mName;
    RetriggerableThreader mQueueThreader;
    RCPtr<LEvent> mQueueEvent; // set when the queue thread's run has ended
    int32_t mQueuePriority;

    Mutex mLock;
    std::vector<RCPtr<LWorkerParams>>
        mQueue;                       // guarded by mLock; ascending priority, newest first among equals
    bool mQueueThreadRunning = false; // guarded by mLock
};
} // namespace ZQ
