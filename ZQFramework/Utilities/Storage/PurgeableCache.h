#pragma once

#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/Utilities/Storage/HashedList.h"

#include <cstdint>
#include <memory>
#include <utility>

namespace ZQ
{
// One slot of a purgeable cache: the key it is indexed under, the cached object (null while none is
// built), the cache clock at its last use and its number of uses (saturating).
template <class O, class Id>
class PurgableCacheEntry
{
public:
    PurgableCacheEntry() = default;
    PurgableCacheEntry(const PurgableCacheEntry&) = delete;
    PurgableCacheEntry& operator=(const PurgableCacheEntry&) = delete;
    virtual ~PurgableCacheEntry() = default;

    [[nodiscard]] virtual bool IsEmpty() const { return object.IsNull(); }

    // Back to a fresh slot (the id stays); the old object is released after the slot is cleared.
    void Reset()
    {
        uses = 0;
        stamp = 0;
        const RCPtr<O> old = std::move(object);
        object = nullptr;
    }

    Id id{};
    RCPtr<O> object;
    uint32_t stamp = 0;
    uint32_t uses = 0;
};

// A bounded set of expensive objects keyed by what they were built from. A lookup returns the slot of
// the key; the caller builds the object into an empty slot. When full, a new key takes the entry used
// longest ago (ties: fewer uses); Purge drops the objects not used since a mark and keeps their keys.
// Owned by one renderer and used on its thread only; no locks.
template <class O, class Key, class Id, Id (*GetId)(const Key&), uint32_t Bits,
          uint32_t (*GetBitsOf)(const Id&)>
class PurgableObjectCache
{
public:
    using Entry = PurgableCacheEntry<O, Id>;

    // capacity: the number of entries, at least 1 (a smaller number is taken as 1).
    explicit PurgableObjectCache(int32_t capacity)
        : mCapacity(capacity < 1 ? 1 : capacity),
          mEntries(std::make_unique<Entry[]>(static_cast<size_t>(mCapacity)))
    {
    }
    PurgableObjectCache(const PurgableObjectCache&) = delete;
    PurgableObjectCache& operator=(const PurgableObjectCache&) = delete;

    virtual ~PurgableObjectCache()
    {
        // Entries first (each releases its object and its id), then the index.
        mEntries.reset();
        mIndex.RemoveAll();
    }

    // The object slot of key's entry, taking an entry for a new key. rebuild drops an object already
    // held for the key, so that the caller builds it anew.
    RCPtr<O>& GetEntry(const Key& key, bool rebuild)
    {
        const Id id = GetId(key);
        Entry* const found = mIndex.Find(id, nullptr);
        Entry* entry = found;
        if (entry != nullptr)
        {
            if (rebuild)
                entry->Reset();
        }
        else if (mIndex.GetCount() != mCapacity)
        {
            entry = &mEntries[static_cast<size_t>(mIndex.GetCount())];
            entry->Reset();
            entry->id = id;
            mIndex.Add(entry);
        }
        else
        {
            entry = &mEntries[static_cast<size_t>(ChooseVictim())];
            Reassign(*entry, id);
        }
        if (entry->uses < UINT32_MAX)
            ++entry->uses;
        entry->stamp = ++mClock;
        return entry->object;
    }

    // Drops the object of every entry last used before `since` (as a signed difference of clock
    // values); the entries keep their keys. Gives the number of entries that matched, empty ones too.
    int32_t Purge(int32_t since)
    {
        int32_t purged = 0;
        for (int32_t i = 0; i < mCapacity; ++i)
        {
            Entry& entry = mEntries[static_cast<size_t>(i)];
            if (static_cast<int32_t>(entry.stamp - static_cast<uint32_t>(since)) < 0)
            {
                entry.Reset();
                ++purged;
            }
        }
        return purged;
    }

    [[nodiscard]] int32_t GetCapacity() const { return mCapacity; }
    [[nodiscard]] uint32_t GetClock() const { return mClock; }
    // The clock value of the previous purge; the owner purges with Purge(GetMark()) and then
    // SetMark(GetClock()).
    [[nodiscard]] int32_t GetMark() const { return mMark; }
    void SetMark(int32_t mark) { mMark = mark; }
    [[nodiscard]] const Entry& GetEntryAt(int32_t index) const
    {
        return mEntries[static_cast<size_t>(index)];
    }
    [[nodiscard]] int32_t GetIndexedCount() const { return mIndex.GetCount(); }

protected:
    [[nodiscard]] static Id GetEntryID(Entry* const& entry) { return entry->id; }

    // For tests of the clock's wrap.
    void SetClock(uint32_t clock) { mClock = clock; }

private:
    // In a full cache: the first empty entry, else the one used longest ago (ties: fewer uses; among
    // equals the earliest).
    int32_t ChooseVictim() const
    {
        uint32_t bestAge = 0;
        uint32_t bestUses = UINT32_MAX;
        int32_t candidate = 0;
        for (int32_t i = 0; i < mCapacity; ++i)
        {
            const Entry& entry = mEntries[static_cast<size_t>(i)];
            if (entry.IsEmpty())
                return i;
            const uint32_t age = mClock - entry.stamp;
            if (age > bestAge || (age == bestAge && entry.uses < bestUses))
            {
                bestAge = age;
                bestUses = entry.uses;
                candidate = i;
            }
        }
        return candidate;
    }

    // Moves an entry to a new key; the old id is released only once the entry is indexed anew.
    void Reassign(Entry& entry, const Id& id)
    {
        const Id oldId = entry.id;
        mIndex.Remove(oldId);
        entry.Reset();
        entry.id = id;
        mIndex.Add(&entry);
    }

    using Index = HashedList<Entry*, Id, &PurgableObjectCache::GetEntryID, Bits, GetBitsOf>;

    int32_t mCapacity;
    uint32_t mClock = 0;
    int32_t mMark = 0;
    std::unique_ptr<Entry[]> mEntries;
    Index mIndex;
};
} // namespace ZQ
