#pragma once

#include "ZQFramework/Notification/Forward.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/System/Sync/Mutex.h"
#include "ZQFramework/System/Sync/MutexLocker.h"
#include "ZQFramework/Utilities/Storage/RCPtrArray.h"

#include <atomic>
#include <cstdint>

namespace ZQ
{
// The sending side of the notification system. Receivers register per identifier; the registrations of
// one identifier form a client pool. Notify calls every receiver of the notification's identifier at once,
// on the calling thread, from the most recently registered to the oldest, with no lock held.
//
// Each registration holds a reference on the distributor counted as internal, and so does the process-wide
// list of distributors that hold registrations. When the last outside reference goes, the distributor asks
// every receiver to let go (UnregisterAllClients), which breaks those cycles.
//
// Lock order: the distributor's lock before a pool's lock. Both are recursive.
class LNotificationDistributor : public virtual LRefCountedObject
{
public:
    // Registration flag: the receiver gets a queued notification only when it is the latest one posted
    // with its identifier.
    static constexpr uint32_t kLatestOnly = 0x1;

    class LNotificationClientPool;

    // One registration: a receiver, its flags and, for a latest-only receiver, the latest notification
    // posted for it and not yet delivered.
    class LNotificationRegisteredClientInfo : public LRefCountedObject
    {
    public:
        LNotificationRegisteredClientInfo(LNotificationReceiver* client, uint32_t flags);
        ~LNotificationRegisteredClientInfo() override;

        [[nodiscard]] const RCPtr<LNotificationReceiver>& GetClient() const { return mClient; }
        // Read and written under the owning pool's lock.
        [[nodiscard]] uint32_t GetFlags() const { return mFlags; }

    private:
        friend class LNotificationClientPool;

        RCPtr<LNotificationReceiver> mClient;
        RCPtr<LNotification> mLatest; // guarded by the owning pool's lock
        uint32_t mFlags;              // guarded by the owning pool's lock
    };

    // The registrations of one identifier, in order of registration.
    class LNotificationClientPool : public LRefCountedObject
    {
    public:
        explicit LNotificationClientPool(NotificationID id);
        ~LNotificationClientPool() override;

        [[nodiscard]] NotificationID GetID() const { return mID; }
        [[nodiscard]] uint32_t GetCombinedFlags() const;
        [[nodiscard]] uint32_t GetCount() const;

        // Delivers to every entry from the last to the first. 1 for an empty pool, else 0.
        ZQRESULT Deliver(const RCPtr<LNotificationDistributor>& source,
                         const RCPtr<LNotification>& notification);

        // Delivers to the one entry at index. Returns the index from which a caller walking downward goes
        // on: the count when index is past the end, index itself when a latest-only entry is skipped, else
        // index lowered by one for each entry below it removed during the call.
        int32_t NotifyClientAt(const RCPtr<LNotificationDistributor>& source, int32_t index,
                               const RCPtr<LNotification>& notification);

        ZQRESULT AddClient(LNotificationReceiver* client, uint32_t flags);
        [[nodiscard]] int32_t FindClient(const LNotificationReceiver* client) const;
        // 0 removed, 1 not found.
        ZQRESULT RemoveClient(const LNotificationReceiver* client);
        // The receiver of the entry at index (the entry NotifyClientAt would serve); null past the end.
        [[nodiscard]] RCPtr<LNotificationReceiver> GetClientAt(uint32_t index) const;
        // The flags of client's entry; false when it has none.
        bool GetClientFlags(const LNotificationReceiver* client, uint32_t& flags) const;

        // Makes notification the latest of every latest-only entry (the queue's post does this).
        void RecordLatest(const RCPtr<LNotification>& notification)
        {
            RecordLatest(notification, [] {});
        }
        // The same, then append() under the same lock: a queue appends the notification to its ring
        // there, so that of two posts of this identifier racing on several threads the one recorded as
        // latest is also the one queued last.
        template <class Append>
        void RecordLatest(const RCPtr<LNotification>& notification, Append&& append)
        {
            const MutexLocker lock(mLock);
            RecordLatestLocked(notification);
            append();
        }

    private:
        // The position of one delivery in progress. Every delivery keeps its own, so deliveries on
        // several threads, or nested in a receiver, never move each other; removals lower the
        // positions above the removed entry.
        // A cursor holds a boundary: the entries below it are still to be served.
        struct Cursor
        {
            int32_t boundary = 0;
            Cursor* next = nullptr;
        };
        class CursorLink;

        void RecordLatestLocked(const RCPtr<LNotification>& notification);
        // Takes the entry at index for delivery; null when a latest-only entry is to be skipped.
        // Called under mLock; the entry stays valid while it is held.
        LNotificationRegisteredClientInfo* TakeForDelivery(int32_t index,
                                                           const RCPtr<LNotification>& notification);
        // Moves cursor down to the next entry to serve and returns its receiver; null when none is left.
        // Called under mLock.
        RCPtr<LNotificationReceiver> TakeNextLocked(Cursor& cursor, const RCPtr<LNotification>& notification);

        mutable Mutex mLock;
        uint32_t mCombinedFlags = 0; // guarded by mLock; OR of flags as added, not recomputed on removal
        const NotificationID mID;
        RCPtrArray<LNotificationRegisteredClientInfo, 1, 0> mEntries; // guarded by mLock
        Cursor* mCursors = nullptr;                                   // guarded by mLock
    };

    LNotificationDistributor();
    ~LNotificationDistributor() override;

    // 0 for a new registration; 1 when client was registered for the identifier already (its flags are
    // replaced) or name gives no identifier; E_INVALIDARG for a null client.
    // The plain-pointer forms let an object register itself while nobody holds it yet (in its constructor).
    ZQRESULT RegisterClient(LNotificationReceiver* client, const char16_t* name, uint32_t flags);
    ZQRESULT RegisterClient(const RCPtr<LNotificationReceiver>& client, const char16_t* name, uint32_t flags)
    {
        return RegisterClient(client.Get(), name, flags);
    }
    // 0 removed; 1 not registered; E_INVALIDARG for a null client or a name without identifier.
    ZQRESULT UnregisterClient(LNotificationReceiver* client, const char16_t* name);
    ZQRESULT UnregisterClient(const RCPtr<LNotificationReceiver>& client, const char16_t* name)
    {
        return UnregisterClient(client.Get(), name);
    }
    // The number of registrations of client removed; E_INVALIDARG for a null client.
    int32_t UnregisterClientFromAll(LNotificationReceiver* client);
    int32_t UnregisterClientFromAll(const RCPtr<LNotificationReceiver>& client)
    {
        return UnregisterClientFromAll(client.Get());
    }
    // Asks every registered receiver to drop its registrations here. 0.
    ZQRESULT UnregisterAllClients();

    [[nodiscard]] bool IsClientRegistered(const LNotificationReceiver* client) const;
    // 0 and the flags; E_FAIL when name gives no identifier or client is not registered for it.
    ZQRESULT GetClientFlags(const LNotificationReceiver* client, const char16_t* name, uint32_t& flags) const;
    [[nodiscard]] RCPtr<LNotificationClientPool> GetClientPool(NotificationID id) const;
    // False while no receiver has ever registered here as latest-only: a queue posting to this
    // distributor then has no latest notification to record.
    [[nodiscard]] bool MayHaveLatestOnlyClients() const
    {
        return mHadLatestOnly.load(std::memory_order_acquire);
    }
    // The number of (receiver, identifier) registrations held.
    [[nodiscard]] int32_t GetRegistrationCount() const;

    // Delivers at once. E_INVALIDARG for null; 1 when nobody is registered for the identifier; else 0.
    ZQRESULT Notify(const RCPtr<LNotification>& notification);

    // Breaks the registrations' cycles when the last outside reference goes; owners that hold more
    // internal references override this and call it.
    ZQRESULT ReleaseInternalReferences() override;

    // The number of distributors that hold registrations, for diagnostics.
    [[nodiscard]] static uint32_t GetActiveDistributorCount();

protected:
    // Adds n to this distributor's internal references; internal references of a distributor are
    // counted under its lock.
    void AdjustOwnInternalReferences(int32_t n);

private:
    // The pool of id, or null. Pools are never removed: one found lives as long as the distributor.
    LNotificationClientPool* FindPoolLocked(NotificationID id) const;
    ZQRESULT UnregisterClientLocked(LNotificationReceiver* client, NotificationID id);

    mutable Mutex mLock;
    RCPtrArray<LNotificationClientPool, 1, 0> mPools; // guarded by mLock; never shrinks
    int32_t mRegistrationCount = 0;                   // guarded by mLock
    std::atomic<bool> mHadLatestOnly{false};          // set under mLock, never cleared; read without it
};
} // namespace ZQ
