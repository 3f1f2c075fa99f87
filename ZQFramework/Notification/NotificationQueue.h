#pragma once

#include "ZQFramework/Notification/Forward.h"
#include "ZQFramework/Notification/NotificationReceiver.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/System/Sync/Mutex.h"
#include "ZQFramework/Utilities/Storage/RCPtrQueue.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>
#include <vector>

namespace ZQ
{
// A queue of notifications posted from any thread and delivered through a target distributor when the
// owning thread drains it (ProcessNotifications, usually at idle). Every notification queue's ring shares
// one process-wide mutex, held only to append or remove and to read or change the target; no other lock
// is taken while it is held. A drain takes the entries waiting when it starts out of the ring under one
// lock and delivers them from its own batch; a Flush meanwhile, on any thread, ends that batch's
// delivery as it would have emptied the ring.
class LNotificationQueue : public virtual LRefCountedObject
{
public:
    // A receiver that turns direct delivery into posting: it posts a copy of each notification it gets
    // (same identifier, same parameter) to its queue. After the queue's Shutdown it drops them.
    class LPostingReceiver : public LNotificationReceiver
    {
    public:
        explicit LPostingReceiver(LNotificationQueue* queue);
        ~LPostingReceiver() override;

        ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                     const RCPtr<LNotification>& notification) override;
        // Unregisters from source for id (it keeps no bindings); the distributor's answer.
        ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                            NotificationID id) override;

    private:
        friend class LNotificationQueue;
        // Drops the reference on the queue; later deliveries are dropped.
        void Disconnect();
        [[nodiscard]] RCPtr<LNotificationQueue> GetQueue() const;

        mutable Mutex mLock;
        RCPtr<LNotificationQueue> mQueue; // guarded by mLock; an internal reference of the queue
    };

    // The ring's starting size.
    static constexpr uint32_t kInitialSlots = 256;

    LNotificationQueue();
    ~LNotificationQueue() override;

    // Any thread. 0; E_INVALIDARG for null or a notification already queued; E_FAIL without a target.
    ZQRESULT PostNotification(const RCPtr<LNotification>& notification);

    // Delivers the entries queued when it starts, in order (unless a drain is already running on this
    // queue), then "NID_IDLE" when sendIdle. True when entries remain afterwards.
    bool ProcessNotifications(bool sendIdle);

    // E_FAIL when a target is set already or the queue was shut down; otherwise 0 (null sets nothing).
    ZQRESULT SetTarget(const RCPtr<LNotificationDistributor>& target);
    [[nodiscard]] RCPtr<LNotificationDistributor> GetTarget() const;
    // Null after Shutdown.
    [[nodiscard]] RCPtr<LPostingReceiver> GetPostingReceiver() const;

    // Removes every entry without delivering it, clearing the queued marks. True when entries remain
    // (posted meanwhile by another thread).
    bool Flush();
    // Flush, drop the target, disconnect and drop the posting receiver. Owners call it when their last
    // outside reference goes.
    void Shutdown();

    // The number of entries waiting.
    [[nodiscard]] uint32_t GetCount() const;
    [[nodiscard]] uint32_t GetRingSize() const;

    // Shuts the queue down when its last outside reference goes (the posting receiver holds one).
    ZQRESULT ReleaseInternalReferences() override;

    // The one mutex every notification queue's ring uses.
    [[nodiscard]] static Mutex& GetQueueMutex();

protected:
    // Step 1 of a drain: delivers the entries queued now unless a drain is already running.
    void DeliverQueued();
    // Step 2 of a drain: "NID_IDLE" through the target.
    void SendIdle();

private:
    // Removes the oldest entry into notification; false when the ring turned out empty.
    bool TakeOldest(RCPtr<LNotification>& notification);
    // Moves the waiting entries into mBatch and reads the target they go to, under the queue mutex alone
    // (the queue's own lock sits beside the ring, which posters are writing); returns the Flush count
    // they were taken at.
    uint32_t TakeBatch(RCPtr<LNotificationDistributor>& target);
    // Clears the queued marks of the batch's undelivered entries and lets them go.
    void DropBatch();
    // After a receiver threw: the undelivered entries go back to the front of the ring (unless a Flush
    // came meanwhile), to be delivered by the next drain.
    void ReturnBatch(uint32_t flushes);

    std::atomic<bool> mBusy{false}; // set while DeliverQueued runs; only the draining thread writes it
    std::atomic<std::thread::id> mDrainer{}; // the thread that set mBusy, while it is set
    // The entries the running drain took out of the ring, and the next to deliver: touched only by the
    // draining thread.
    std::vector<RCPtr<LNotification>> mBatch;
    size_t mNext = 0;
    std::atomic<uint32_t> mFlushes{0}; // Flush calls so far; raised under the queue mutex
    // Entries of the batch still to deliver, for GetCount; on a cache line of its own, as the draining
    // thread writes it for every entry while posters work on the ring.
    alignas(64) std::atomic<uint32_t> mUndelivered{0};
    // The ring starts half a cache line in, so that what a post reads and writes under the queue mutex
    // (the slot array's pointer and size, the counts, the write position and the mutex pointer) lies on
    // one line instead of straddling two that every poster and the draining thread pull back and forth.
    [[maybe_unused]] alignas(64) std::byte mRingLead[32] = {};
    RCPtrQueue<LNotification, kInitialSlots, Mutex> mRing;
    // Apart from the ring, which posters write while the owner reads the target.
    alignas(64) mutable Mutex mLock; // guards mTarget and mPostingReceiver
    // Guarded by mLock, and written only while the queue mutex is held too, so that a post reads it under
    // the queue mutex alone.
    RCPtr<LNotificationDistributor> mTarget;
    RCPtr<LPostingReceiver> mPostingReceiver; // guarded by mLock
    const RCPtr<LNotification> mIdleNotification;
};
} // namespace ZQ
