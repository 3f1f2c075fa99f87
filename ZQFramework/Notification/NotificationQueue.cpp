#include "ZQFramework/Notification/NotificationQueue.h"

#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationDistributor.h"
#include "ZQFramework/Notification/NotificationNames.h"
#include "ZQFramework/System/Sync/MutexLocker.h"

#include <stdexcept>
#include <utility>

namespace ZQ
{
namespace
{
// How many entries ahead of the one being delivered a drain starts fetching.
constexpr size_t kPrefetchAhead = 2;

// Clears a dequeued notification's queued mark when its delivery ends, also when a receiver throws, so
// that it can be posted again.
class QueuedMarkClearer
{
public:
    explicit QueuedMarkClearer(const RCPtr<LNotification>& notification) : mNotification(notification) {}
    ~QueuedMarkClearer() { mNotification->SetQueued(false); }
    QueuedMarkClearer(const QueuedMarkClearer&) = delete;
    QueuedMarkClearer& operator=(const QueuedMarkClearer&) = delete;

private:
    const RCPtr<LNotification>& mNotification;
};

// Names the calling thread as the drainer while a drain runs, and ends the drain on every way out.
class BusyFlag
{
public:
    BusyFlag(std::atomic<bool>& busy, std::atomic<std::thread::id>& drainer) : mBusy(busy), mDrainer(drainer)
    {
        mDrainer.store(std::this_thread::get_id(), std::memory_order_release);
    }
    ~BusyFlag()
    {
        mDrainer.store(std::thread::id(), std::memory_order_release);
        mBusy.store(false, std::memory_order_release);
    }
    BusyFlag(const BusyFlag&) = delete;
    BusyFlag& operator=(const BusyFlag&) = delete;

private:
    std::atomic<bool>& mBusy;
    std::atomic<std::thread::id>& mDrainer;
};
} // namespace

// ----------------------------------------------------------------------------------------------------
// Posting receiver

LNotificationQueue::LPostingReceiver::LPostingReceiver(LNotificationQueue* queue) : mQueue(queue)
{
    // The receiver is part of its queue: its reference is one of the queue's internal references.
    AdjustInternalRefCount(queue, 1);
}

LNotificationQueue::LPostingReceiver::~LPostingReceiver() = default;

RCPtr<LNotificationQueue> LNotificationQueue::LPostingReceiver::GetQueue() const
{
    const MutexLocker lock(mLock);
    return mQueue;
}

void LNotificationQueue::LPostingReceiver::Disconnect()
{
    RCPtr<LNotificationQueue> queue;
    {
        const MutexLocker lock(mLock);
        queue = std::move(mQueue);
    }
    if (!queue.IsNull())
        AdjustInternalRefCount(queue.Get(), -1);
}

ZQRESULT LNotificationQueue::LPostingReceiver::ReceiveNotification(const RCPtr<LNotificationDistributor>&,
                                                                   const RCPtr<LNotification>& notification)
{
    const RCPtr<LNotificationQueue> queue = GetQueue();
    if (queue.IsNull())
        return S_OK;
    if (notification.IsNull())
        return E_INVALIDARG;
    // A copy, so the notification received can still be delivered on or posted elsewhere.
    const RCPtr<LNotification> copy = LNotification::Create(notification->GetID(), notification->GetParam());
    return queue->PostNotification(copy);
}

ZQRESULT
LNotificationQueue::LPostingReceiver::RemoveNotificationCallback(
    const RCPtr<LNotificationDistributor>& source, NotificationID id)
{
    // A posting receiver keeps no bindings, but its registration must still go: the distributor asking is
    // letting go of everyone, and a registration left behind would keep it, and this receiver, alive.
    if (source.IsNull())
        return E_INVALIDARG;
    return source->UnregisterClient(this, id);
}

// ----------------------------------------------------------------------------------------------------
// Queue

Mutex& LNotificationQueue::GetQueueMutex()
{
    static Mutex* const mutex = new Mutex; // never destroyed: queues may outlive the program's statics
    return *mutex;
}

LNotificationQueue::LNotificationQueue()
    : mRing(&GetQueueMutex(), kInitialSlots), mIdleNotification(LNotification::Create(kNidIdle))
{
    mPostingReceiver = RCPtr<LPostingReceiver>(new LPostingReceiver(this));
}

LNotificationQueue::~LNotificationQueue()
{
    Flush();
    const RCPtr<LPostingReceiver> receiver = std::move(mPostingReceiver);
    if (!receiver.IsNull())
        receiver->Disconnect();
}

ZQRESULT LNotificationQueue::PostNotification(const RCPtr<LNotification>& notification)
{
    if (notification.IsNull() || !notification->MarkQueued())
        return E_INVALIDARG; // null, or queued already (perhaps by another thread meanwhile)
    // A plain post takes the ring's lock once, with the queue's reference already taken; the target is
    // held only when a latest notification may have to be recorded with it.
    RCPtr<LNotification> queued(notification);
    RCPtr<LNotificationDistributor> target;
    const bool plain = mRing.EnqueueIf(std::move(queued),
                                       [&]
                                       {
                                           if (!mTarget.IsNull() && !mTarget->MayHaveLatestOnlyClients())
                                               return true;
                                           target = mTarget;
                                           return false;
                                       });
    if (plain)
        return S_OK;
    if (target.IsNull())
    {
        notification->SetQueued(false);
        return E_FAIL;
    }
    const RCPtr<LNotificationDistributor::LNotificationClientPool> pool =
        target->GetClientPool(notification->GetID());
    if (!pool.IsNull() && (pool->GetCombinedFlags() & LNotificationDistributor::kLatestOnly) != 0)
        pool->RecordLatest(notification, [&] { mRing.Enqueue(std::move(queued)); });
    else
        mRing.Enqueue(std::move(queued));
    return S_OK;
}

bool LNotificationQueue::ProcessNotifications(bool sendIdle)
{
    DeliverQueued();
    if (sendIdle)
        SendIdle();
    return GetCount() > 0;
}

void LNotificationQueue::DeliverQueued()
{
    if (mRing.GetCount() == 0 || mBusy.exchange(true, std::memory_order_acq_rel))
        return; // nothing waits, or a drain of this queue is running further up this thread's stack
    const BusyFlag busy(mBusy, mDrainer);
    // Only what is queued now: entries posted during the drain wait for the next one.
    RCPtr<LNotificationDistributor> target;
    const uint32_t flushes = TakeBatch(target);
    if (mBatch.empty())
        return;
    for (size_t i = 0; i < kPrefetchAhead && i < mBatch.size(); ++i)
        __builtin_prefetch(mBatch[i].Get(), 1);
    try
    {
        // A Flush on this thread (from a receiver) empties the batch itself; one on another thread is
        // seen here before the next delivery.
        while (mNext < mBatch.size())
        {
            if (mFlushes.load(std::memory_order_acquire) != flushes)
            {
                DropBatch();
                break;
            }
            // The entries were written by their posters; fetching the ones after this meanwhile hides
            // that latency behind this delivery.
            if (mNext + kPrefetchAhead < mBatch.size())
                __builtin_prefetch(mBatch[mNext + kPrefetchAhead].Get(), 1);
            const RCPtr<LNotification> notification = std::move(mBatch[mNext++]);
            mUndelivered.store(static_cast<uint32_t>(mBatch.size() - mNext), std::memory_order_relaxed);
            const QueuedMarkClearer clearer(notification);
            if (!target.IsNull())
                target->Notify(notification);
        }
    }
    catch (...)
    {
        ReturnBatch(flushes);
        throw;
    }
    mBatch.clear();
    mNext = 0;
}

uint32_t LNotificationQueue::TakeBatch(RCPtr<LNotificationDistributor>& target)
{
    const MutexLocker lock(GetQueueMutex());
    target = mTarget;
    mRing.DequeueAll(mBatch);
    mNext = 0;
    mUndelivered.store(static_cast<uint32_t>(mBatch.size()), std::memory_order_relaxed);
    return mFlushes.load(std::memory_order_relaxed);
}

void LNotificationQueue::DropBatch()
{
    // Moved out first: a parameter's release may run any code, even another Flush.
    std::vector<RCPtr<LNotification>> dropped = std::move(mBatch);
    mBatch.clear();
    for (size_t i = mNext; i < dropped.size(); ++i)
        dropped[i]->SetQueued(false);
    mNext = 0;
    mUndelivered.store(0, std::memory_order_relaxed);
}

void LNotificationQueue::ReturnBatch(uint32_t flushes)
{
    {
        const MutexLocker lock(GetQueueMutex());
        if (mFlushes.load(std::memory_order_relaxed) == flushes)
        {
            mRing.RequeueFront(mBatch, mNext);
            mBatch.clear();
            mNext = 0;
            mUndelivered.store(0, std::memory_order_relaxed);
            return;
        }
    }
    DropBatch();
}

bool LNotificationQueue::TakeOldest(RCPtr<LNotification>& notification)
{
    // Another party may have emptied the ring since it was counted; the ring reports that by throwing.
    try
    {
        notification = mRing.Dequeue();
        return true;
    }
    catch (const std::runtime_error&)
    {
        return false;
    }
}

void LNotificationQueue::SendIdle()
{
    const RCPtr<LNotificationDistributor> target = GetTarget();
    if (!target.IsNull() && !mIdleNotification.IsNull())
        target->Notify(mIdleNotification);
}

ZQRESULT LNotificationQueue::SetTarget(const RCPtr<LNotificationDistributor>& target)
{
    const MutexLocker lock(mLock);
    if (!mTarget.IsNull() || mPostingReceiver.IsNull())
        return E_FAIL;
    if (!target.IsNull())
    {
        const MutexLocker ringLock(GetQueueMutex());
        mTarget = target;
    }
    return S_OK;
}

RCPtr<LNotificationDistributor> LNotificationQueue::GetTarget() const
{
    const MutexLocker lock(mLock);
    return mTarget;
}

RCPtr<LNotificationQueue::LPostingReceiver> LNotificationQueue::GetPostingReceiver() const
{
    const MutexLocker lock(mLock);
    return mPostingReceiver;
}

bool LNotificationQueue::Flush()
{
    {
        const MutexLocker lock(GetQueueMutex());
        mFlushes.fetch_add(1, std::memory_order_release);
    }
    if (mDrainer.load(std::memory_order_acquire) == std::this_thread::get_id())
        DropBatch();
    for (uint32_t n = mRing.GetCount(); n > 0; --n)
    {
        RCPtr<LNotification> notification;
        if (!TakeOldest(notification))
            break;
        notification->SetQueued(false);
    }
    return mRing.GetCount() > 0;
}

void LNotificationQueue::Shutdown()
{
    Flush();
    RCPtr<LNotificationDistributor> target;
    RCPtr<LPostingReceiver> receiver;
    {
        const MutexLocker lock(mLock);
        {
            const MutexLocker ringLock(GetQueueMutex());
            target = std::move(mTarget);
        }
        receiver = std::move(mPostingReceiver);
    }
    if (!receiver.IsNull())
        receiver->Disconnect();
}

uint32_t LNotificationQueue::GetCount() const
{
    return mRing.GetCount() + mUndelivered.load(std::memory_order_relaxed);
}

uint32_t LNotificationQueue::GetRingSize() const
{
    return mRing.GetRingSize();
}

ZQRESULT LNotificationQueue::ReleaseInternalReferences()
{
    Shutdown();
    return LRefCountedObject::ReleaseInternalReferences();
}
} // namespace ZQ
