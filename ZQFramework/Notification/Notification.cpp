#include "ZQFramework/Notification/Notification.h"

#include "ZQFramework/System/Sync/Mutex.h"
#include "ZQFramework/System/Sync/MutexLocker.h"
#include "ZQFramework/Utilities/Storage/String.h"
#include "ZQFramework/Utilities/Storage/StringArray.h"

#include <algorithm>
#include <iterator>
#include <mutex>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace ZQ
{
namespace
{
// The lock of the name table. Never destroyed, so notifications released while the
// program's statics go away still find it.
Mutex& RegistryLock()
{
    static Mutex* const lock = new Mutex;
    return *lock;
}

// A hashed index over the name table, so that interning costs one lookup however many names there are:
// the identifiers themselves, and each name's text (viewing the table's own characters, which stay in
// place while the entry exists, and entries are never removed). Guarded by RegistryLock; never destroyed.
struct NameIndex
{
    std::unordered_set<NotificationID> ids;
    std::unordered_map<std::u16string_view, NotificationID> byText; // the first entry of a text wins
    uint32_t indexed = 0;                                           // table entries seen so far

    // Catches up with the entries appended to the table since the last call.
    void Sync(const WStringArray& table)
    {
        for (; indexed < table.GetCount(); ++indexed)
        {
            const NotificationID id = table.GetAt(indexed).GetBuffer();
            ids.insert(id);
            byText.emplace(std::u16string_view(id), id);
        }
    }
};

NameIndex& Index()
{
    static auto* const index = new NameIndex;
    return *index;
}

std::atomic<bool> gPoolingEnabled{false};

// Identifiers this thread has seen recognised or handed out, by a hash of their address. Table entries
// are never removed, so a pointer once found to be an identifier stays one and is recognised here
// without the registry lock.
class KnownIDs
{
public:
    static bool Contains(NotificationID id) { return sSlots[SlotOf(id)] == id; }
    static void Remember(NotificationID id) { sSlots[SlotOf(id)] = id; }

private:
    static constexpr size_t kSlots = 16;
    static size_t SlotOf(NotificationID id) { return (reinterpret_cast<uintptr_t>(id) >> 4) % kSlots; }
    static inline thread_local NotificationID sSlots[kSlots] = {};
};

// The pool of released notifications, used as a stack: each thread keeps the ones it released last on a
// shelf of its own and takes them again first, so that making and releasing notifications takes no
// shared lock; shelves trade with a process-wide stack in batches. Every entry holds one reference.
using Pooled = std::vector<RCPtr<LNotification>>;

class Shelf;

// The process-wide part of the pool. Lock order: its lock before a shelf's. Never destroyed.
struct SharedPool
{
    std::mutex lock;
    Pooled entries;              // guarded by lock
    std::vector<Shelf*> shelves; // guarded by lock: the shelves of the living threads
};

SharedPool& Shared()
{
    static auto* const pool = new SharedPool;
    return *pool;
}

// Starts fetching the notification that the next Take will hand out: it was most likely released on
// another thread, and Create writes it at once.
void PrefetchForWrite(const LNotification* notification)
{
    __builtin_prefetch(notification, 1);
}

// Moves up to count entries from the top of from onto the top of to, keeping their order.
void MoveTop(Pooled& from, Pooled& to, size_t count)
{
    const auto first = from.end() - static_cast<std::ptrdiff_t>(std::min(count, from.size()));
    to.insert(to.end(), std::make_move_iterator(first), std::make_move_iterator(from.end()));
    from.erase(first, from.end());
}

// One thread's part of the pool. Only its thread takes and puts; its lock lets other threads count and
// empty it. It never holds its lock while taking the shared pool's.
class Shelf
{
public:
    Shelf()
    {
        SharedPool& shared = Shared();
        const std::lock_guard<std::mutex> lock(shared.lock);
        shared.shelves.push_back(this);
    }

    // The thread ends: its entries go to the shared pool, or are let go when pooling is off.
    ~Shelf()
    {
        Pooled leaving;
        {
            SharedPool& shared = Shared();
            const std::lock_guard<std::mutex> lock(shared.lock);
            std::erase(shared.shelves, this);
            const std::lock_guard<std::mutex> own(mLock);
            Pooled& to = gPoolingEnabled.load(std::memory_order_acquire) ? shared.entries : leaving;
            MoveTop(mEntries, to, mEntries.size());
        }
        sGone = true;
    }

    Shelf(const Shelf&) = delete;
    Shelf& operator=(const Shelf&) = delete;

    // The calling thread's shelf; null while the thread is ending.
    static Shelf* OfThisThread()
    {
        if (sGone)
            return nullptr;
        static thread_local Shelf shelf;
        return &shelf;
    }

    // The latest entry, refilled from the shared pool when the shelf is empty; null when both are.
    RCPtr<LNotification> Take()
    {
        RCPtr<LNotification> taken = TakeOwn();
        if (!taken.IsNull())
            return taken;
        Pooled batch;
        {
            SharedPool& shared = Shared();
            const std::lock_guard<std::mutex> lock(shared.lock);
            MoveTop(shared.entries, batch, kBatch);
        }
        if (batch.empty())
            return nullptr;
        taken = std::move(batch.back());
        batch.pop_back();
        const std::lock_guard<std::mutex> own(mLock);
        MoveTop(batch, mEntries, batch.size());
        return taken;
    }

    // Adds notification; a full shelf hands its older half to the shared pool.
    void Put(LNotification* notification)
    {
        Pooled spill;
        {
            const std::lock_guard<std::mutex> own(mLock);
            mEntries.emplace_back(notification);
            if (mEntries.size() <= kLimit)
                return;
            spill.assign(std::make_move_iterator(mEntries.begin()),
                         std::make_move_iterator(mEntries.begin() + kBatch));
            mEntries.erase(mEntries.begin(), mEntries.begin() + kBatch);
        }
        PutShared(spill);
    }

    // Called under the shared pool's lock.
    [[nodiscard]] size_t CountLocked()
    {
        const std::lock_guard<std::mutex> own(mLock);
        return mEntries.size();
    }
    void EmptyLocked(Pooled& into)
    {
        const std::lock_guard<std::mutex> own(mLock);
        MoveTop(mEntries, into, mEntries.size());
    }

    // Adds entries to the shared pool; with pooling off they stay in entries, for the caller to let go.
    static void PutShared(Pooled& entries)
    {
        SharedPool& shared = Shared();
        const std::lock_guard<std::mutex> lock(shared.lock);
        if (gPoolingEnabled.load(std::memory_order_acquire))
            MoveTop(entries, shared.entries, entries.size());
    }

private:
    static constexpr size_t kLimit = 256;
    static constexpr size_t kBatch = kLimit / 2;

    RCPtr<LNotification> TakeOwn()
    {
        const std::lock_guard<std::mutex> own(mLock);
        if (mEntries.empty())
            return nullptr;
        RCPtr<LNotification> taken = std::move(mEntries.back());
        mEntries.pop_back();
        if (!mEntries.empty())
            PrefetchForWrite(mEntries.back().Get());
        return taken;
    }

    std::mutex mLock;
    Pooled mEntries; // guarded by mLock; the latest at the back
    static inline thread_local bool sGone = false;
};

// The identifier of name, looked up or appended under the name table's lock.
NotificationID InternLocked(const char16_t* name)
{
    const MutexLocker lock(RegistryLock());
    WStringArray& table = GetNIDNameTable();
    NameIndex& index = Index();
    index.Sync(table);
    // An identifier is the table's own character storage; it is recognised without reading characters.
    if (index.ids.count(name) != 0)
        return name;
    const auto found = index.byText.find(std::u16string_view(name));
    if (found != index.byText.end())
        return found->second;
    (void)table.Add(WString(name));
    index.Sync(table);
    return table.GetAt(table.GetCount() - 1).GetBuffer();
}

} // namespace

LNotification::LNotification(NotificationID id, const ConstRCPtr<LRefCountedObject>& param)
    : mID(id), mParam(param), mQueued(false), mRecycling(false)
{
}

LNotification::~LNotification() = default;

NotificationID LNotification::GetIDFromName(const char16_t* name)
{
    if (name == nullptr || name[0] == 0)
        return nullptr;
    if (KnownIDs::Contains(name))
        return name;
    const NotificationID id = InternLocked(name);
    KnownIDs::Remember(id);
    return id;
}

RCPtr<LNotification> LNotification::CreateNew(const char16_t* name,
                                              const ConstRCPtr<LRefCountedObject>& param)
{
    const NotificationID id = GetIDFromName(name);
    if (id == nullptr)
        return nullptr;
    return RCPtr<LNotification>(new LNotification(id, param));
}

RCPtr<LNotification> LNotification::Create(const char16_t* name, const ConstRCPtr<LRefCountedObject>& param)
{
    const NotificationID id = GetIDFromName(name);
    // Without an identifier nothing is made, pooled or not.
    if (id == nullptr)
        return nullptr;
    RCPtr<LNotification> notification;
    if (gPoolingEnabled.load(std::memory_order_acquire))
        notification = TakeFromPool();
    if (notification.IsNull())
        return RCPtr<LNotification>(new LNotification(id, param));
    notification->mID = id;
    notification->mParam = param;
    return notification;
}

RCPtr<LNotification> LNotification::TakeFromPool()
{
    if (Shelf* shelf = Shelf::OfThisThread())
        return shelf->Take();
    SharedPool& shared = Shared();
    const std::lock_guard<std::mutex> lock(shared.lock);
    if (shared.entries.empty())
        return nullptr;
    RCPtr<LNotification> taken = std::move(shared.entries.back());
    shared.entries.pop_back();
    return taken;
}

void LNotification::SetPoolingEnabled(bool enabled)
{
    gPoolingEnabled.store(enabled, std::memory_order_release);
    if (!enabled)
    {
        Pooled pooled;
        {
            SharedPool& shared = Shared();
            const std::lock_guard<std::mutex> lock(shared.lock);
            pooled.swap(shared.entries);
            for (Shelf* shelf : shared.shelves)
                shelf->EmptyLocked(pooled);
        }
        // Each pooled notification is deleted by its release, pooling being off now.
    }
}

bool LNotification::IsPoolingEnabled()
{
    return gPoolingEnabled.load(std::memory_order_acquire);
}

uint32_t LNotification::GetPoolCount()
{
    SharedPool& shared = Shared();
    const std::lock_guard<std::mutex> lock(shared.lock);
    size_t count = shared.entries.size();
    for (Shelf* shelf : shared.shelves)
        count += shelf->CountLocked();
    return static_cast<uint32_t>(count);
}

int32_t LNotification::Release()
{
    if (!mRecycling.load(std::memory_order_acquire) && GetRefCount() == 1)
    {
        mRecycling.store(true, std::memory_order_release);
        HandBackToPool();
        mRecycling.store(false, std::memory_order_release);
    }
    return LRefCountedObject::Release();
}

void LNotification::HandBackToPool()
{
    // Nobody else holds the notification now, so its state is cleared without a race; the next Create
    // sets a name and a parameter of its own. The parameter's own release may run any code; the
    // notification holds nothing by then.
    mQueued.store(false, std::memory_order_release);
    mID = nullptr;
    const RCPtr<LRefCountedObject> param = std::exchange(mParam, nullptr);
    if (!gPoolingEnabled.load(std::memory_order_acquire))
        return;
    if (Shelf* shelf = Shelf::OfThisThread())
    {
        shelf->Put(this);
        return;
    }
    Pooled entry;
    entry.emplace_back(this);
    Shelf::PutShared(entry);
}
} // namespace ZQ
