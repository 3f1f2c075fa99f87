#pragma once

#include "ZQFramework/ObjectBase/TaggableObject.h"
#include "ZQFramework/Utilities/Graphics/Bitmap.h"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace ZQ
{
// One item of a list box: the object whose text is the row text (null: empty text), the selection value
// (>= 0.5 selected) and three flags.
struct ItemRecord
{
    RCPtr<LTaggableObject> data;
    double selection = 0.0;
    bool altLook = false;
    bool blank = false;
    bool hidden = false;
};

// An item of a checked list box: the list box's record, its check mark and its own icon (used when the
// list has no icon list).
struct CheckedItemRecord : ItemRecord
{
    bool checked = false;
    ConstRCPtr<LBitmap> icon;
};

// What the list controls ask of their item records whatever their type: the count, the list box's part of
// each record, and the steps over the hidden flags that turn items into rows and back (a row is the place
// of a shown item among the shown items). The hidden flags are written only through SetHidden, which
// keeps the count of hidden items; the steps then take logarithmic time at any position.
//
// Indexes are those of the records, 0 first; "past the end" is an index at or after the count. Owned by
// the control that keeps the records; UI thread only.
class LItemRecordStoreBase
{
public:
    LItemRecordStoreBase() = default;
    LItemRecordStoreBase(const LItemRecordStoreBase&) = delete;
    LItemRecordStoreBase& operator=(const LItemRecordStoreBase&) = delete;
    virtual ~LItemRecordStoreBase() = default;

    [[nodiscard]] virtual uint32_t GetCount() const = 0;
    // The list box's part of a record; the index is not tested.
    [[nodiscard]] virtual ItemRecord& GetItemRecord(int32_t index) = 0;
    [[nodiscard]] virtual const ItemRecord& GetItemRecord(int32_t index) const = 0;

    // --- Hidden items ---

    // False outside the records.
    [[nodiscard]] bool IsHidden(int32_t index) const;
    // Sets the flag of a record (the index is not tested); false when it was so already.
    bool SetHidden(int32_t index, bool hidden);
    [[nodiscard]] int32_t GetHiddenCount() const;
    [[nodiscard]] int32_t GetShownCount() const;
    // The number of hidden items before index (0 <= index <= count).
    [[nodiscard]] int32_t HiddenBefore(int32_t index) const;

    // --- Steps between items and rows ---

    // The number of shown items before index; an index past the end counts every shown item.
    [[nodiscard]] int32_t RowOfItem(int32_t index) const;
    // The shown item at a row, 0 <= row < the number of shown items.
    [[nodiscard]] int32_t ShownItemAtRow(int32_t row) const;
    // The index after index that is shown or past the end.
    [[nodiscard]] int32_t NextShownItem(int32_t index) const;
    // index itself when shown or outside the records, else the next index that is shown or past the end.
    [[nodiscard]] int32_t FirstShownItemFrom(int32_t index) const;
    // index itself when shown; else the nearest shown item before it, else the first shown item after it;
    // the last index when no item is shown (for an index inside the records).
    [[nodiscard]] int32_t NearestShownItem(int32_t index) const;
    // The top item for a scroll to a row: the shown item at that row; above the first row no item (a row
    // below 0, counted one up when item 0 is hidden); below the last row the last shown item (item 0 when
    // none is shown).
    [[nodiscard]] int32_t ItemAtScrollRow(int32_t row) const;

protected:
    // Every operation that inserts, removes or exchanges records calls it: the hidden flags are then read
    // again from the records when next needed.
    void OnRecordsMoved();

private:
    // Reads the hidden flags from the records again after they moved.
    void RefreshHiddenIndex() const;

    // The hidden items, counted over index ranges (a Fenwick tree, entry i covering the lowest set bit of i
    // indexes ending at i - 1), so that the row of an item and the item of a row take logarithmic time
    // and a scroll costs the same at any position. Kept with every change of a hidden flag; empty while
    // no item is hidden; stale after records moved while some were hidden, and then built again from the
    // records when next read.
    mutable std::vector<int32_t> mHiddenTree;
    mutable int32_t mHiddenCount = 0;
    mutable bool mHiddenTreeStale = false;
};

// The records of one list control, of the record type it keeps (the list box's, the checked list box's
// or the tree view's), in a vector, index 0 first. A new record is a value-initialized Record. The
// operations test no index: their callers pass valid ones (Insert: 0..count).
template <typename Record>
class LItemRecordStore : public LItemRecordStoreBase
{
public:
    [[nodiscard]] uint32_t GetCount() const override { return static_cast<uint32_t>(mRecords.size()); }
    [[nodiscard]] ItemRecord& GetItemRecord(int32_t index) override { return Get(index); }
    [[nodiscard]] const ItemRecord& GetItemRecord(int32_t index) const override { return Get(index); }

    [[nodiscard]] Record& Get(int32_t index) { return mRecords[static_cast<size_t>(index)]; }
    [[nodiscard]] const Record& Get(int32_t index) const { return mRecords[static_cast<size_t>(index)]; }
    // A new record before index (at the end for index = count).
    void Insert(int32_t index)
    {
        mRecords.insert(mRecords.begin() + index, Record{});
        OnRecordsMoved();
    }
    void Remove(int32_t index)
    {
        mRecords.erase(mRecords.begin() + index);
        OnRecordsMoved();
    }
    // Exchanges the two records whole.
    void Swap(int32_t a, int32_t b)
    {
        std::swap(Get(a), Get(b));
        OnRecordsMoved();
    }
    void Clear()
    {
        mRecords.clear();
        OnRecordsMoved();
    }

    [[nodiscard]] auto begin() { return mRecords.begin(); }
    [[nodiscard]] auto end() { return mRecords.end(); }
    [[nodiscard]] auto begin() const { return mRecords.begin(); }
    [[nodiscard]] auto end() const { return mRecords.end(); }

private:
    std::vector<Record> mRecords;
};

// Puts a range of records into a new order by exchanges: sources[p] is the index whose record goes to
// first + p (each index of the range once). Calls exchange(a, b) once for each record not yet in place, never
// more than sources.size() - 1 times, in linear time. A swap that refuses (a result below 0) is passed
// over: the order is then the one the accepted swaps make.
template <typename SwapFunction>
void ReorderBySwaps(int32_t first, std::vector<int32_t> sources, SwapFunction&& exchange)
{
    const auto count = static_cast<int32_t>(sources.size());
    // positionOf finds the later position whose record a swap moved, so the whole reorder stays linear.
    std::vector<int32_t> positionOf(sources.size());
    for (int32_t p = 0; p < count; ++p)
    {
        positionOf[static_cast<size_t>(sources[static_cast<size_t>(p)] - first)] = p;
    }
    for (int32_t p = 0; p < count; ++p)
    {
        const int32_t source = sources[static_cast<size_t>(p)];
        if (source == first + p)
        {
            continue;
        }
        exchange(first + p, source);
        const int32_t later = positionOf[static_cast<size_t>(p)];
        sources[static_cast<size_t>(later)] = source;
        positionOf[static_cast<size_t>(source - first)] = later;
    }
}
} // namespace ZQ
