#include "ZQFramework/Notification/Notification.h"

#include "ZQFramework/System/Sync/Mutex.h"
#include "ZQFramework/System/Sync/MutexLocker.h"
#include "ZQFramework/Utilities/Storage/RCPtrArray.h"
#include "ZQFramework/Utilities/Storage/String.h"
#include "ZQFramework/Utilities/Storage/StringArray.h"

#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace ZQ
{
namespace
{
// The lock of the name table and the pool. Never destroyed, so notifications released while the
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

// The pool of released notifications, used as a stack. Guarded by RegistryLock; never destroyed.
RCPtrArray<LNotification, 1, 0>& Pool()
{
    static auto* const pool = new RCPtrArray<LNotification, 1, 0>;
    return *pool;
}

std::atomic<bool> gPoolingEnabled{false};
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
    if (!gPoolingEnabled.load(std::memory_order_acquire))
        return CreateNew(name, param);

    const MutexLocker lock(RegistryLock());
    const NotificationID id = GetIDFromName(name);
    // Without an identifier nothing is made, pooled or not: a reused object would carry a stale one.
    if (id == nullptr)
        return nullptr;
    auto& pool = Pool();
    if (pool.GetCount() == 0)
        return CreateNew(id, param);

    RCPtr<LNotification> notification;
    pool.RemoveLastItem(notification);
    notification->mID = id;
    notification->mParam = param;
    return notification;
}

void LNotification::SetPoolingEnabled(bool enabled)
{
    gPoolingEnabled.store(enabled, std::memory_order_release);
    if (!enabled)
    {
        const MutexLocker lock(RegistryLock());
        // Each pooled notification is deleted by its release, pooling being off now.
        Pool().SetCount(0);
    }
}

bool LNotification::IsPoolingEnabled()
{
    return gPoolingEnabled.load(std::memory_order_acquire);
}

uint32_t LNotification::GetPoolCount()
{
    const MutexLocker lock(RegistryLock());
    return Pool().GetCount();
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
    if (gPoolingEnabled.load(std::memory_order_acquire))
    {
        const MutexLocker lock(RegistryLock());
        Pool().Add(RCPtr<LNotification>(this));
    }
}
} // namespace ZQ
