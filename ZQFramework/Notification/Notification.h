#pragma once

#include "ZQFramework/Notification/Forward.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"

#include <atomic>
#include <cstdint>

namespace ZQ
{
// A named notification: an identifier and an optional parameter object. Notifications are recycled
// through a process-wide pool (a stack, the latest returned first out; each thread keeps the ones it
// released last at hand) once pooling is switched on: the release that drops the last reference hands
// the object back, cleared of its identifier, parameter and queued mark, instead of deleting it; Create
// gives it a name and parameter of its own. The name table and the pool have locks of their own;
// identifiers are recognised without a lock once the calling thread has met them.
//
// The queued mark is set while the notification waits in a notification queue.
//
// A notification fills a cache line of its own: it passes between threads (made on a poster, released
// on the draining thread, pooled and made again), and neighbours in memory are in different threads'
// hands at once.
class alignas(64) LNotification : public virtual LRefCountedObject
{
public:
    ~LNotification() override;

    // The identifier of a name: the name table's copy of the text, appended on first use. An identifier
    // passed in is returned unchanged; a null or empty text gives null. Names are case-sensitive.
    [[nodiscard]] static NotificationID GetIDFromName(const char16_t* name);

    // A notification from the pool (when pooling is on and the pool holds one) or a new one. Null when
    // the name gives no identifier; the pool is then left untouched.
    [[nodiscard]] static RCPtr<LNotification> Create(const char16_t* name,
                                                     const ConstRCPtr<LRefCountedObject>& param = nullptr);

    // Always a new notification; null for a null or empty name.
    [[nodiscard]] static RCPtr<LNotification> CreateNew(const char16_t* name,
                                                        const ConstRCPtr<LRefCountedObject>& param = nullptr);

    // Switching pooling off empties the pool, deleting every pooled notification.
    static void SetPoolingEnabled(bool enabled);
    [[nodiscard]] static bool IsPoolingEnabled();
    // The number of notifications waiting in the pool, for diagnostics.
    [[nodiscard]] static uint32_t GetPoolCount();

    // The last release hands the notification back to the pool (or lets it go when pooling is off).
    int32_t Release() override;

    [[nodiscard]] NotificationID GetID() const { return mID; }
    // The parameter as the sender made it; receivers cast it to the record they expect.
    [[nodiscard]] const RCPtr<LRefCountedObject>& GetParam() const { return mParam; }

    // Set and cleared by the notification queue that holds the notification.
    [[nodiscard]] bool IsQueued() const { return mQueued.load(std::memory_order_acquire); }
    void SetQueued(bool queued) { mQueued.store(queued, std::memory_order_release); }
    // Sets the queued mark; false when it was set already (the notification is in a queue).
    [[nodiscard]] bool MarkQueued() { return !mQueued.exchange(true, std::memory_order_acq_rel); }

private:
    LNotification(NotificationID id, const ConstRCPtr<LRefCountedObject>& param);

    void HandBackToPool();
    // The latest notification handed back, or null when the pool is empty.
    static RCPtr<LNotification> TakeFromPool();

    // Written by Create and by the hand-back to the pool, when nobody else holds the notification;
    // otherwise fixed while the notification is shared.
    NotificationID mID;
    RCPtr<LRefCountedObject> mParam;
    std::atomic<bool> mQueued;    // written by the posting and the draining thread of its queue
    std::atomic<bool> mRecycling; // set while the last release hands the object back
};
} // namespace ZQ
