#include "ZQFramework/System/ThreadPool.h"

#include "ZQFramework/System/Sync/MutexLocker.h"
#include "ZQFramework/Utilities/Storage/ReuseAllocator.h"

#include <algorithm>

namespace ZQ
{
void* LThreadPool::LWorkerParams::operator new(std::size_t size)
{
    return GlobalReuseAllocator<LWorkerParams, 1, true>().Allocate(size);
}

void LThreadPool::LWorkerParams::operator delete(void* pointer)
{
    GlobalReuseAllocator<LWorkerParams, 1, true>().Free(pointer);
}

RCPtr<LThreadPool> LThreadPool::Create(int32_t workerCount, int32_t queuePriority)
{
    return RCPtr<LThreadPool>(new LThreadPool(workerCount, queuePriority));
}

LThreadPool::LThreadPool(int32_t workerCount, int32_t queuePriority)
    : mWorkerCount(std::max(workerCount, 0)), mEvents(std::max(workerCount, 0)),
      mQueueThreader(WString(u"LThreadPool::mQueueThreader")), mQueueEvent(LEvent::Create(true)),
      mQueuePriority(queuePriority)
{
    for (int32_t i = 0; i < mWorkerCount.load(); ++i)
        mWorkers.push_back(std::make_unique<RetriggerableThreader>());
    // The first item finds the queue thread idle.
    mQueueEvent->Set();
}

LThreadPool::~LThreadPool()
{
    Stop();
}

int32_t LThreadPool::TryRunOnIdleWorker(const RCPtr<LThreadWorker>& worker,
                                        const RCPtr<LRefCountedObject>& parameters, int32_t priority)
{
    if (mWorkerCount.load() <= 0)
        return -1;
    for (int32_t j = 0; j < static_cast<int32_t>(mWorkers.size()); ++j)
    {
        MutexLocker guard(mLock);
        // With one worker a new item must not overtake the queued ones.
        if (!mQueue.empty() && mWorkerCount.load() == 1)
            return -1;
        if (mWorkerCount.load() <= 0)
            return -1;
        RetriggerableThreader& threader = *mWorkers[static_cast<size_t>(j)];
        if (threader.IsBusy())
            continue;
        threader.SetName(worker ? worker->ToString() : WString());
        if (threader.Trigger(worker, parameters, mEvents.GetEvent(j), priority) == S_OK)
            return j;
    }
    return -1;
}

void LThreadPool::QueueWorkItem(const RCPtr<LThreadWorker>& worker,
                                const RCPtr<LRefCountedObject>& parameters, int32_t priority)
{
    if (TryRunOnIdleWorker(worker, parameters, priority) >= 0)
        return;
    if (mWorkerCount.load() <= 0)
        return;
    const RCPtr<LWorkerParams> item(new LWorkerParams(worker, parameters, priority));

    MutexLocker guard(mLock);
    if (mWorkerCount.load() <= 0)
        return; // stopped meanwhile
    InsertByPriority(item);
    if (!mQueueThreadRunning)
        StartQueueThread();
}

void LThreadPool::InsertByPriority(const RCPtr<LWorkerParams>& item)
{
    // Ascending, the new item in front of older ones of equal priority: the queue thread takes from the
    // back, so it finds the highest priority and, among equals, the oldest item.
    const auto position = std::find_if(mQueue.begin(), mQueue.end(),
                                       [&](const RCPtr<LWorkerParams>& queued)
                                       { return queued->mPriority >= item->mPriority; });
    mQueue.insert(position, item);
}

void LThreadPool::StartQueueThread()
{
    // The previous run has said it is done (under the lock), so its completion follows without the lock.
    (void)mQueueEvent->Wait(kInfinite);
    if (TriggerQueueThread() == S_OK)
    {
        mQueueThreadRunning = true;
        return;
    }
    // Give the run's token back, so that the next item tries again instead of waiting forever, and hand
    // out now what idle workers can take; the rest waits for the next item's try.
    mQueueEvent->Set();
    HandQueuedItemsToIdleWorkers();
}

ZQRESULT LThreadPool::TriggerQueueThread()
{
    const RCPtr<LThreadPool> self(this);
    return mQueueThreader.Trigger(self, self, mQueueEvent, mQueuePriority);
}

bool LThreadPool::HasIdleWorker()
{
    MutexLocker guard(mLock);
    return std::any_of(mWorkers.begin(), mWorkers.end(),
                       [](const std::unique_ptr<RetriggerableThreader>& worker)
                       { return !worker->IsBusy(); });
}

void LThreadPool::HandQueuedItemsToIdleWorkers()
{
    for (int32_t j = 0; j < static_cast<int32_t>(mWorkers.size()) && !mQueue.empty(); ++j)
    {
        if (mWorkers[static_cast<size_t>(j)]->IsBusy())
            continue;
        RCPtr<LWorkerParams> item = std::move(mQueue.back());
        mQueue.pop_back();
        (void)HandOver(j, item);
    }
}

ZQRESULT LThreadPool::DoWork(RCPtr<LRefCountedObject>&)
{
    for (;;)
    {
        const int32_t index = mEvents.WaitForAny(kInfinite);
        MutexLocker guard(mLock);
        if (mQueue.empty() || index < 0 || mWorkerCount.load() <= 0)
        {
            mQueueThreadRunning = false;
            return S_OK;
        }
        if (mWorkers[static_cast<size_t>(index)]->IsBusy())
            continue;
        RCPtr<LWorkerParams> item = std::move(mQueue.back());
        mQueue.pop_back();
        HandOver(index, item);
        if (mQueue.empty())
        {
            mQueueThreadRunning = false;
            return S_OK;
        }
    }
}

bool LThreadPool::HandOver(int32_t workerIndex, const RCPtr<LWorkerParams>& item)
{
    RetriggerableThreader& threader = *mWorkers[static_cast<size_t>(workerIndex)];
    threader.SetName(item->mWorker ? item->mWorker->ToString() : WString());
    if (threader.Trigger(item->mWorker, item->mParameters, mEvents.GetEvent(workerIndex), item->mPriority) ==
        S_OK)
        return true;
    // The worker turned the item down: it stays the oldest of its priority, for the next idle worker.
    if (mWorkerCount.load() <= 0)
        return false;
    const auto position =
        std::find_if(mQueue.begin(), mQueue.end(),
                     [&](const RCPtr<LWorkerParams>& queued) { return queued->mPriority > item->mPriority; });
    mQueue.insert(position, item);
    return false;
}

void LThreadPool::Stop()
{
    mWorkerCount = 0;
    std::vector<RCPtr<LWorkerParams>> dropped;
    {
        MutexLocker guard(mLock);
        dropped.swap(mQueue);
    }
    dropped.clear();
    // A queue thread waiting for a worker finds the queue empty and ends its run.
    if (mEvents.GetCount() > 0)
        mEvents.GetEvent(0)->Set();
    mQueueThreader.Stop(Thread::kEndTimeout);
    for (auto worker = mWorkers.rbegin(); worker != mWorkers.rend(); ++worker)
        (*worker)->Stop(Thread::kEndTimeout);
}

WString LThreadPool::ToString() const
{
    if (mName.IsEmpty())
        return WString(u"Unnamed ThreadPool");
    return mName;
}
} // namespace ZQ
