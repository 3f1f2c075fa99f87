#include "ZQFramework/Notification/NotificationDistributor.h"

#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationReceiver.h"
#include "ZQFramework/System/Sync/MutexLocker.h"

#include <utility>

namespace ZQ
{
namespace
{
// The distributors that hold registrations. Each one's reference counts as an internal reference of it.
// Distributors register from several threads, so the list has a lock of its own. Never destroyed.
struct ActiveList
{
    Mutex lock;
    RCPtrArray<LNotificationDistributor, 1, 0> distributors; // guarded by lock
};

ActiveList& Active()
{
    static auto* const list = new ActiveList;
    return *list;
}
} // namespace

using RegisteredClientInfo = LNotificationDistributor::LNotificationRegisteredClientInfo;
using ClientPool = LNotificationDistributor::LNotificationClientPool;

// ----------------------------------------------------------------------------------------------------
// Registration entries

RegisteredClientInfo::LNotificationRegisteredClientInfo(LNotificationReceiver* client, uint32_t flags)
    : mClient(client), mFlags(flags)
{
}

RegisteredClientInfo::~LNotificationRegisteredClientInfo() = default;

// ----------------------------------------------------------------------------------------------------
// Client pools

// Keeps a delivery's cursor on the pool's list while it is linked, and takes it off on every way out of
// the delivery, exceptions included. Linking and unlinking happen under the pool's lock, the same lock
// under which the cursor's boundary was read, so no removal falls between reading it and tracking it.
class ClientPool::CursorLink
{
public:
    CursorLink(ClientPool& pool, Cursor& cursor) : mPool(pool), mCursor(cursor) {}
    ~CursorLink()
    {
        if (!mLinked)
            return;
        const MutexLocker lock(mPool.mLock);
        UnlinkLocked();
    }
    CursorLink(const CursorLink&) = delete;
    CursorLink& operator=(const CursorLink&) = delete;

    [[nodiscard]] bool IsLinked() const { return mLinked; }

    void LinkLocked()
    {
        mCursor.next = mPool.mCursors;
        mPool.mCursors = &mCursor;
        mLinked = true;
    }

    void UnlinkLocked()
    {
        for (Cursor** link = &mPool.mCursors; *link != nullptr; link = &(*link)->next)
        {
            if (*link == &mCursor)
            {
                *link = mCursor.next;
                break;
            }
        }
        mLinked = false;
    }

private:
    ClientPool& mPool;
    Cursor& mCursor;
    bool mLinked = false;
};

ClientPool::LNotificationClientPool(NotificationID id) : mID(id)
{
}

ClientPool::~LNotificationClientPool() = default;

uint32_t ClientPool::GetCombinedFlags() const
{
    const MutexLocker lock(mLock);
    return mCombinedFlags;
}

uint32_t ClientPool::GetCount() const
{
    const MutexLocker lock(mLock);
    return mEntries.GetCount();
}

RegisteredClientInfo* ClientPool::TakeForDelivery(int32_t index, const RCPtr<LNotification>& notification)
{
    RegisteredClientInfo* entry = mEntries.GetAt(static_cast<uint32_t>(index)).Get();
    if ((entry->mFlags & kLatestOnly) != 0)
    {
        // A latest-only receiver gets only what the queue recorded as its latest, and that only once.
        if (entry->mLatest.Get() != notification.Get())
            return nullptr;
        entry->mLatest = nullptr;
    }
    return entry;
}

RCPtr<LNotificationReceiver> ClientPool::TakeNextLocked(Cursor& cursor,
                                                        const RCPtr<LNotification>& notification)
{
    while (cursor.boundary > 0)
    {
        const RegisteredClientInfo* entry = TakeForDelivery(--cursor.boundary, notification);
        if (entry != nullptr)
            return entry->mClient;
    }
    return nullptr;
}

ZQRESULT ClientPool::Deliver(const RCPtr<LNotificationDistributor>& source,
                             const RCPtr<LNotification>& notification)
{
    // The cursor stays on the pool's list only while entries below it remain to be served: removals can
    // move nothing once it has reached the bottom, so the last receiver is called without it.
    Cursor cursor;
    CursorLink link(*this, cursor);
    RCPtr<LNotificationReceiver> receiver;
    {
        const MutexLocker lock(mLock);
        cursor.boundary = static_cast<int32_t>(mEntries.GetCount());
        if (cursor.boundary == 0)
            return S_FALSE;
        receiver = TakeNextLocked(cursor, notification);
        if (!receiver.IsNull() && cursor.boundary > 0)
            link.LinkLocked();
    }
    while (!receiver.IsNull())
    {
        receiver->ReceiveNotification(source, notification);
        const RCPtr<LNotificationReceiver> served = std::move(receiver); // released without the lock
        if (!link.IsLinked())
            break;
        const MutexLocker lock(mLock);
        receiver = TakeNextLocked(cursor, notification);
        if (receiver.IsNull() || cursor.boundary == 0)
            link.UnlinkLocked();
    }
    return S_OK;
}

int32_t ClientPool::NotifyClientAt(const RCPtr<LNotificationDistributor>& source, int32_t index,
                                   const RCPtr<LNotification>& notification)
{
    Cursor cursor;
    CursorLink link(*this, cursor);
    RCPtr<LNotificationReceiver> receiver;
    {
        const MutexLocker lock(mLock);
        const auto count = static_cast<int32_t>(mEntries.GetCount());
        if (index < 0 || index >= count)
            return count;
        const RegisteredClientInfo* entry = TakeForDelivery(index, notification);
        if (entry == nullptr)
            return index;
        receiver = entry->mClient;
        cursor.boundary = index;
        link.LinkLocked();
    }
    receiver->ReceiveNotification(source, notification);
    const MutexLocker lock(mLock);
    const int32_t next = cursor.boundary;
    link.UnlinkLocked();
    return next;
}

ZQRESULT ClientPool::AddClient(LNotificationReceiver* client, uint32_t flags)
{
    if (client == nullptr)
        return E_INVALIDARG;
    const MutexLocker lock(mLock);
    uint32_t combined = 0;
    bool found = false;
    for (uint32_t i = mEntries.GetCount(); i-- > 0;)
    {
        RegisteredClientInfo* entry = mEntries.GetAt(i).Get();
        if (entry->mClient.Get() == client)
        {
            if (entry->mFlags == flags)
                return S_OK;
            entry->mFlags = flags;
            found = true;
        }
        combined |= entry->mFlags;
    }
    if (found)
    {
        mCombinedFlags = combined;
        return S_OK;
    }
    mEntries.Add(RCPtr<RegisteredClientInfo>(new RegisteredClientInfo(client, flags)));
    mCombinedFlags |= flags;
    return S_OK;
}

int32_t ClientPool::FindClient(const LNotificationReceiver* client) const
{
    const MutexLocker lock(mLock);
    for (uint32_t i = mEntries.GetCount(); i-- > 0;)
        if (mEntries.GetAt(i)->mClient.Get() == client)
            return static_cast<int32_t>(i);
    return -1;
}

ZQRESULT ClientPool::RemoveClient(const LNotificationReceiver* client)
{
    RCPtr<RegisteredClientInfo> removed; // released after the pool's lock
    const MutexLocker lock(mLock);
    for (uint32_t i = mEntries.GetCount(); i-- > 0;)
    {
        if (mEntries.GetAt(i)->mClient.Get() != client)
            continue;
        mEntries.RemoveItem(i, removed);
        // Every delivery in progress that has yet to serve entries at or above i moves down with them.
        for (Cursor* cursor = mCursors; cursor != nullptr; cursor = cursor->next)
            if (static_cast<int32_t>(i) < cursor->boundary)
                --cursor->boundary;
        return S_OK;
    }
    return S_FALSE;
}

RCPtr<LNotificationReceiver> ClientPool::GetClientAt(uint32_t index) const
{
    const MutexLocker lock(mLock);
    if (index >= mEntries.GetCount())
        return nullptr;
    return mEntries.GetAt(index)->mClient;
}

bool ClientPool::GetClientFlags(const LNotificationReceiver* client, uint32_t& flags) const
{
    const MutexLocker lock(mLock);
    for (uint32_t i = mEntries.GetCount(); i-- > 0;)
    {
        const RegisteredClientInfo* entry = mEntries.GetAt(i).Get();
        if (entry->mClient.Get() == client)
        {
            flags = entry->mFlags;
            return true;
        }
    }
    return false;
}

void ClientPool::RecordLatestLocked(const RCPtr<LNotification>& notification)
{
    for (uint32_t i = mEntries.GetCount(); i-- > 0;)
    {
        RegisteredClientInfo* entry = mEntries.GetAt(i).Get();
        if ((entry->mFlags & kLatestOnly) != 0)
            entry->mLatest = notification;
    }
}

// ----------------------------------------------------------------------------------------------------
// Distributor

LNotificationDistributor::LNotificationDistributor() = default;

LNotificationDistributor::~LNotificationDistributor() = default;

void LNotificationDistributor::AdjustOwnInternalReferences(int32_t n)
{
    const MutexLocker lock(mLock);
    AdjustInternalRefCount(this, n);
}

ClientPool* LNotificationDistributor::FindPoolLocked(NotificationID id) const
{
    for (uint32_t i = 0; i < mPools.GetCount(); ++i)
        if (mPools.GetAt(i)->GetID() == id)
            return mPools.GetAt(i).Get();
    return nullptr;
}

RCPtr<ClientPool> LNotificationDistributor::GetClientPool(NotificationID id) const
{
    const MutexLocker lock(mLock);
    return FindPoolLocked(id);
}

int32_t LNotificationDistributor::GetRegistrationCount() const
{
    const MutexLocker lock(mLock);
    return mRegistrationCount;
}

ZQRESULT LNotificationDistributor::RegisterClient(LNotificationReceiver* client, const char16_t* name,
                                                  uint32_t flags)
{
    if (client == nullptr)
        return E_INVALIDARG;
    const NotificationID id = LNotification::GetIDFromName(name);
    if (id == nullptr)
        return S_FALSE;

    const RCPtr<LNotificationDistributor> keepAlive(this); // outlives the lock below
    const MutexLocker lock(mLock);
    RCPtr<ClientPool> pool = FindPoolLocked(id);
    const bool already = !pool.IsNull() && pool->FindClient(client) >= 0;
    if (!already)
    {
        // The registration's reference on the distributor counts as internal: taken first, then counted.
        AddRef();
        AdjustInternalRefCount(this, 1);
        if (++mRegistrationCount == 1)
        {
            ActiveList& active = Active();
            const MutexLocker activeLock(active.lock);
            active.distributors.Add(keepAlive);
            AdjustInternalRefCount(this, 1);
        }
    }
    if (pool.IsNull())
    {
        pool = RCPtr<ClientPool>(new ClientPool(id));
        mPools.Add(pool);
    }
    if ((flags & kLatestOnly) != 0)
        mHadLatestOnly.store(true, std::memory_order_release);
    pool->AddClient(client, flags);
    return already ? S_FALSE : S_OK;
}

ZQRESULT LNotificationDistributor::UnregisterClient(LNotificationReceiver* client, const char16_t* name)
{
    const NotificationID id = LNotification::GetIDFromName(name);
    if (client == nullptr || id == nullptr)
        return E_INVALIDARG;
    const RCPtr<LNotificationDistributor> keepAlive(this);
    const MutexLocker lock(mLock);
    return UnregisterClientLocked(client, id);
}

ZQRESULT LNotificationDistributor::UnregisterClientLocked(LNotificationReceiver* client, NotificationID id)
{
    const RCPtr<ClientPool> pool = FindPoolLocked(id);
    if (pool.IsNull())
        return S_FALSE;
    const ZQRESULT result = pool->RemoveClient(client);
    if (result != S_OK)
        return result;
    if (--mRegistrationCount == 0)
    {
        RCPtr<LNotificationDistributor> listed;
        {
            ActiveList& active = Active();
            const MutexLocker activeLock(active.lock);
            for (uint32_t i = active.distributors.GetCount(); i-- > 0;)
            {
                if (active.distributors.GetAt(i).Get() == this)
                {
                    active.distributors.RemoveItem(i, listed);
                    break;
                }
            }
        }
        // Uncounted before it is released, so this release never looks like the last outside one.
        AdjustInternalRefCount(this, -1);
        listed = nullptr;
    }
    AdjustInternalRefCount(this, -1);
    Release(); // the registration's reference; callers hold one of their own
    return S_OK;
}

int32_t LNotificationDistributor::UnregisterClientFromAll(LNotificationReceiver* client)
{
    if (client == nullptr)
        return E_INVALIDARG;
    const RCPtr<LNotificationDistributor> keepAlive(this);
    const MutexLocker lock(mLock);
    int32_t removed = 0;
    for (uint32_t i = mPools.GetCount(); i-- > 0;)
        if (UnregisterClientLocked(client, mPools.GetAt(i)->GetID()) == S_OK)
            ++removed;
    return removed;
}

ZQRESULT LNotificationDistributor::UnregisterAllClients()
{
    const RCPtr<LNotificationDistributor> self(this);
    const MutexLocker lock(mLock);
    for (uint32_t p = mPools.GetCount(); p-- > 0;)
    {
        const RCPtr<ClientPool> pool = mPools.GetAt(p);
        // Each receiver removes the entry being visited; walking down keeps the rest where they are.
        for (uint32_t e = pool->GetCount(); e-- > 0;)
        {
            const RCPtr<LNotificationReceiver> receiver = pool->GetClientAt(e);
            if (!receiver.IsNull())
                receiver->RemoveNotificationCallback(self, pool->GetID());
        }
    }
    return S_OK;
}

bool LNotificationDistributor::IsClientRegistered(const LNotificationReceiver* client) const
{
    const MutexLocker lock(mLock);
    for (uint32_t i = 0; i < mPools.GetCount(); ++i)
        if (mPools.GetAt(i)->FindClient(client) >= 0)
            return true;
    return false;
}

ZQRESULT LNotificationDistributor::GetClientFlags(const LNotificationReceiver* client, const char16_t* name,
                                                  uint32_t& flags) const
{
    const NotificationID id = LNotification::GetIDFromName(name);
    if (id == nullptr)
        return E_FAIL;
    const MutexLocker lock(mLock);
    const RCPtr<ClientPool> pool = FindPoolLocked(id);
    if (pool.IsNull() || !pool->GetClientFlags(client, flags))
        return E_FAIL;
    return S_OK;
}

ZQRESULT LNotificationDistributor::Notify(const RCPtr<LNotification>& notification)
{
    if (notification.IsNull())
        return E_INVALIDARG;
    const RCPtr<LNotificationDistributor> source(this);
    // Pools are never removed, so the one found lives as long as this distributor, which source keeps.
    ClientPool* pool = nullptr;
    {
        const MutexLocker lock(mLock);
        pool = FindPoolLocked(notification->GetID());
    }
    if (pool == nullptr)
        return S_FALSE;
    return pool->Deliver(source, notification);
}

ZQRESULT LNotificationDistributor::ReleaseInternalReferences()
{
    UnregisterAllClients();
    return LRefCountedObject::ReleaseInternalReferences();
}

uint32_t LNotificationDistributor::GetActiveDistributorCount()
{
    ActiveList& active = Active();
    const MutexLocker lock(active.lock);
    return active.distributors.GetCount();
}
} // namespace ZQ
