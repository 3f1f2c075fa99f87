#include "ZQFramework/Utilities/Storage/PurgeableCache.h"

#include <gtest/gtest.h>

namespace
{
class Texture : public ZQ::LRefCountedObject
{
public:
    explicit Texture(int32_t key) : key(key) {}
    int32_t key;
};

using Cache =
    ZQ::PurgableObjectCache<Texture, int32_t, int32_t, &ZQ::GetSelf<int32_t>, 8, &ZQ::GetBits<8, 4, int32_t>>;

// Exposes the clock so that its wrap can be tested.
class TestCache : public Cache
{
public:
    using Cache::Cache;
    using Cache::SetClock;
};

// Looks key up and builds its object when the slot is empty, as the renderers do.
ZQ::RCPtr<Texture>& Use(Cache& cache, int32_t key, bool rebuild = false)
{
    ZQ::RCPtr<Texture>& slot = cache.GetEntry(key, rebuild);
    if (slot.IsNull())
        slot = ZQ::RCPtr<Texture>(new Texture(key));
    return slot;
}

// Which key each entry holds now.
std::vector<int32_t> Keys(const Cache& cache)
{
    std::vector<int32_t> keys;
    for (int32_t i = 0; i < cache.GetCapacity(); ++i)
        keys.push_back(cache.GetEntryAt(i).id);
    return keys;
}

TEST(PurgeableCache, FillsEntriesInOrderAndCountsUses)
{
    Cache cache(4);
    for (int32_t key : {0x100, 0x200, 0x300, 0x400})
        Use(cache, key);
    EXPECT_EQ(Keys(cache), (std::vector<int32_t>{0x100, 0x200, 0x300, 0x400}));
    EXPECT_EQ(cache.GetClock(), 4u);

    Texture* const built = cache.GetEntry(0x200, false).Get();
    ZQ::RCPtr<Texture>& slot = cache.GetEntry(0x200, false);
    EXPECT_EQ(slot.Get(), built);
    EXPECT_EQ(&slot, &cache.GetEntry(0x200, false));
    EXPECT_EQ(cache.GetEntryAt(1).uses, 4u);
    EXPECT_EQ(cache.GetEntryAt(1).stamp, cache.GetClock());

    ZQ::RCPtr<Texture>& rebuilt = cache.GetEntry(0x200, true);
    EXPECT_EQ(&rebuilt, &slot);
    EXPECT_TRUE(rebuilt.IsNull());
    EXPECT_EQ(cache.GetEntryAt(1).uses, 1u);
}

TEST(PurgeableCache, AFullCacheTakesAnEmptyEntryFirstThenTheLeastRecentlyUsed)
{
    Cache cache(4);
    for (int32_t key : {1, 2, 3, 4})
        Use(cache, key);
    Use(cache, 1);
    Use(cache, 3);
    cache.GetEntry(4, true); // entry 3 left empty, as when building the object failed
    Use(cache, 5);
    EXPECT_EQ(Keys(cache), (std::vector<int32_t>{1, 2, 3, 5}));

    // Entry 1 (key 2) is now the least recently used; its object is released with the eviction.
    const ZQ::RCPtr<Texture> evicted = cache.GetEntry(2, false);
    EXPECT_EQ(evicted->GetRefCount(), 2);
    for (int32_t key : {1, 3, 5})
        Use(cache, key);
    Use(cache, 6);
    EXPECT_EQ(Keys(cache), (std::vector<int32_t>{1, 6, 3, 5}));
    EXPECT_EQ(evicted->GetRefCount(), 1);

    // The evicted key is a miss now and takes another entry.
    Use(cache, 2);
    EXPECT_EQ(Keys(cache), (std::vector<int32_t>{2, 6, 3, 5}));
    EXPECT_EQ(cache.GetIndexedCount(), 4);
}

TEST(PurgeableCache, EvictsTheOldestAcrossAClockWrap)
{
    TestCache cache(3);
    cache.SetClock(0xFFFFFFFE);
    for (int32_t key : {7, 8, 9}) // stamps 0xFFFFFFFF, 0, 1
        Use(cache, key);
    EXPECT_EQ(cache.GetClock(), 1u);
    Use(cache, 10);
    EXPECT_EQ(Keys(cache), (std::vector<int32_t>{10, 8, 9}));
}

TEST(PurgeableCache, PurgeDropsObjectsUnusedSinceTheMarkAndKeepsTheirKeys)
{
    Cache cache(3);
    Use(cache, 1);                                             // stamp 1
    Use(cache, 2);                                             // stamp 2
    Use(cache, 3);                                             // stamp 3
    const ZQ::RCPtr<Texture> first = cache.GetEntry(1, false); // now stamp 4
    Use(cache, 2);                                             // stamp 5

    // Entry of key 3 (stamp 3) is older than 4; key 1 with stamp exactly 4 stays.
    EXPECT_EQ(cache.Purge(4), 1);
    EXPECT_FALSE(cache.GetEntryAt(0).IsEmpty());
    EXPECT_TRUE(cache.GetEntryAt(2).IsEmpty());
    EXPECT_EQ(cache.GetEntryAt(2).uses, 0u);
    EXPECT_EQ(cache.GetEntryAt(2).stamp, 0u);

    // The purged key is still indexed: a hit on the same, empty, entry.
    ZQ::RCPtr<Texture>& slot = cache.GetEntry(3, false);
    EXPECT_TRUE(slot.IsNull());
    EXPECT_EQ(&slot, &cache.GetEntryAt(2).object);
    EXPECT_EQ(cache.GetIndexedCount(), 3);

    // Purge with the mark: everything not used since the previous purge goes.
    cache.SetMark(static_cast<int32_t>(cache.GetClock()));
    Use(cache, 2);
    EXPECT_EQ(cache.Purge(cache.GetMark()), 1);
    EXPECT_TRUE(cache.GetEntryAt(0).IsEmpty());
    EXPECT_EQ(first->GetRefCount(), 1);
    EXPECT_FALSE(cache.GetEntryAt(1).IsEmpty());
}
} // namespace
