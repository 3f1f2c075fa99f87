#include "ZQFramework/Controls/Lists/ItemRecordStore.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace ZQ
{
namespace
{
using Store = LItemRecordStore<ItemRecord>;

// A store of count records whose data tags them with their first index, and the hidden flags given.
void Fill(Store& store, int32_t count, const std::vector<int32_t>& hidden)
{
    for (int32_t i = 0; i < count; ++i)
    {
        store.Insert(i);
        store.Get(i).selection = i;
    }
    for (const int32_t i : hidden)
    {
        EXPECT_TRUE(store.SetHidden(i, true)) << i;
    }
}

// Every step checked against a plain walk over the hidden flags.
void ExpectStepsMatchTheFlags(const Store& store, const std::string& what)
{
    const auto count = static_cast<int32_t>(store.GetCount());
    std::vector<int32_t> shown;
    for (int32_t i = 0; i < count; ++i)
    {
        if (!store.Get(i).hidden)
        {
            shown.push_back(i);
        }
    }
    const auto shownCount = static_cast<int32_t>(shown.size());
    EXPECT_EQ(store.GetShownCount(), shownCount) << what;
    EXPECT_EQ(store.GetHiddenCount(), count - shownCount) << what;
    for (int32_t i = 0, row = 0; i <= count + 1; ++i)
    {
        EXPECT_EQ(store.RowOfItem(i), row) << what << ", row of " << i;
        row += i < count && !store.Get(i).hidden ? 1 : 0;
    }
    for (int32_t row = 0; row < shownCount; ++row)
    {
        EXPECT_EQ(store.ShownItemAtRow(row), shown[static_cast<size_t>(row)]) << what << ", row " << row;
    }
    for (int32_t i = -1; i < count; ++i)
    {
        int32_t next = i + 1;
        while (next < count && store.Get(next).hidden)
        {
            ++next;
        }
        EXPECT_EQ(store.NextShownItem(i), next) << what << ", after " << i;
        const int32_t from = i + 1;
        EXPECT_EQ(store.FirstShownItemFrom(from), from < count && store.Get(from).hidden ? next : from)
            << what << ", from " << from;
    }
    for (int32_t i = 0; i < count; ++i)
    {
        int32_t nearest = i;
        while (nearest > 0 && store.Get(nearest).hidden)
        {
            --nearest;
        }
        while (nearest < count - 1 && store.Get(nearest).hidden)
        {
            ++nearest;
        }
        EXPECT_EQ(store.NearestShownItem(i), nearest) << what << ", near " << i;
    }
    for (int32_t row = -2; row <= shownCount + 1; ++row)
    {
        int32_t top = 0;
        if (row < 0)
        {
            top = row + (count > 0 && store.Get(0).hidden ? 1 : 0);
        }
        else if (shownCount > 0)
        {
            top = shown[static_cast<size_t>(std::min(row, shownCount - 1))];
        }
        EXPECT_EQ(store.ItemAtScrollRow(row), top) << what << ", scroll row " << row;
    }
}

TEST(ItemRecordStoreTest, StepsBetweenItemsAndRowsFollowTheHiddenFlags)
{
    struct Case
    {
        const char* what;
        int32_t count;
        std::vector<int32_t> hidden;
    };
    const std::vector<Case> cases{
        {"empty", 0, {}},
        {"none hidden", 7, {}},
        {"all hidden", 5, {0, 1, 2, 3, 4}},
        {"the first hidden", 6, {0}},
        {"the last hidden", 6, {5}},
        {"every third hidden", 40, {0, 3, 6, 9, 12, 15, 18, 21, 24, 27, 30, 33, 36, 39}},
        {"runs at both ends", 17, {0, 1, 2, 14, 15, 16}},
        {"all but one hidden", 9, {0, 1, 2, 3, 5, 6, 7, 8}},
    };
    for (const Case& c : cases)
    {
        Store store;
        Fill(store, c.count, c.hidden);
        ExpectStepsMatchTheFlags(store, c.what);
    }
}

TEST(ItemRecordStoreTest, TheStepsFollowRecordsThatMoveAndFlagsThatChange)
{
    Store store;
    Fill(store, 30, {2, 3, 11, 29});
    const struct
    {
        const char* what;
        void (*change)(Store& store);
    } steps[] = {
        {"a hidden record removed", [](Store& s) { s.Remove(3); }},
        {"a shown record removed", [](Store& s) { s.Remove(0); }},
        {"records inserted before and after hidden ones",
         [](Store& s)
         {
             s.Insert(0);
             s.Insert(12);
             s.Insert(static_cast<int32_t>(s.GetCount()));
         }},
        {"a hidden and a shown record swapped", [](Store& s) { s.Swap(2, 20); }},
        {"flags changed after the moves",
         [](Store& s)
         {
             EXPECT_TRUE(s.SetHidden(5, true));
             EXPECT_TRUE(s.SetHidden(20, false));
             EXPECT_FALSE(s.SetHidden(5, true));
         }},
        {"every flag cleared, then records moved",
         [](Store& s)
         {
             for (int32_t i = 0; i < static_cast<int32_t>(s.GetCount()); ++i)
             {
                 (void)s.SetHidden(i, false);
             }
             s.Swap(0, 1);
             s.Remove(4);
         }},
        {"hidden again after a clear",
         [](Store& s)
         {
             s.Clear();
             Fill(s, 4, {3});
         }},
    };
    for (const auto& step : steps)
    {
        step.change(store);
        ExpectStepsMatchTheFlags(store, step.what);
    }
}

TEST(ItemRecordStoreTest, RecordsAreInsertedEmptyAndSwappedWhole)
{
    LItemRecordStore<CheckedItemRecord> store;
    store.Insert(0);
    store.Insert(1);
    store.Get(0).checked = true;
    store.Get(0).altLook = true;
    store.Insert(0);
    EXPECT_EQ(store.GetCount(), 3u);
    EXPECT_FALSE(store.Get(0).checked);
    EXPECT_EQ(store.Get(0).data, nullptr);
    store.Swap(1, 2);
    EXPECT_TRUE(store.Get(2).checked);
    EXPECT_TRUE(store.GetItemRecord(2).altLook) << "the list box's part moves with the rest";
    EXPECT_FALSE(store.IsHidden(-1));
    EXPECT_FALSE(store.IsHidden(3));
}

TEST(ItemRecordStoreTest, ReorderBySwapsPutsEachRecordInItsPlaceWithFewerSwapsThanRecords)
{
    struct Case
    {
        const char* what;
        int32_t first;
        std::vector<int32_t> sources;
    };
    const std::vector<Case> cases{
        {"in order", 0, {0, 1, 2, 3}},
        {"reversed", 0, {3, 2, 1, 0}},
        {"one cycle", 0, {1, 2, 3, 4, 0}},
        {"two cycles", 0, {1, 0, 3, 4, 2}},
        {"a range inside the records", 2, {5, 2, 4, 3}},
        {"one record", 3, {3}},
    };
    for (const Case& c : cases)
    {
        std::vector<int32_t> records(10);
        for (int32_t i = 0; i < 10; ++i)
        {
            records[static_cast<size_t>(i)] = i;
        }
        size_t swaps = 0;
        ReorderBySwaps(c.first, c.sources,
                       [&](int32_t a, int32_t b)
                       {
                           std::swap(records[static_cast<size_t>(a)], records[static_cast<size_t>(b)]);
                           ++swaps;
                           return 0;
                       });
        for (size_t p = 0; p < c.sources.size(); ++p)
        {
            EXPECT_EQ(records[static_cast<size_t>(c.first) + p], c.sources[p]) << c.what << ", place " << p;
        }
        EXPECT_LT(swaps, std::max<size_t>(c.sources.size(), 1)) << c.what;
    }
}
} // namespace
} // namespace ZQ
