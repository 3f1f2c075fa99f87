#include "ZQFramework/Controls/Lists/ItemRecordStore.h"

#include "ZQFramework/ObjectBase/Assert.h"

#include <algorithm>

namespace ZQ
{
// --- Hidden items ---

void LItemRecordStoreBase::OnRecordsMoved()
{
    if (mHiddenCount > 0)
    {
        mHiddenTreeStale = true;
    }
}

void LItemRecordStoreBase::RefreshHiddenIndex() const
{
    if (!mHiddenTreeStale)
    {
        return;
    }
    mHiddenTreeStale = false;
    const size_t count = GetCount();
    mHiddenTree.assign(count + 1, 0);
    mHiddenCount = 0;
    for (size_t i = 0; i < count; ++i)
    {
        if (GetItemRecord(static_cast<int32_t>(i)).hidden)
        {
            mHiddenTree[i + 1] = 1;
            ++mHiddenCount;
        }
    }
    if (mHiddenCount == 0)
    {
        mHiddenTree.clear();
        return;
    }
    // Each entry adds its range's count to the entry whose range includes it.
    for (size_t i = 1; i <= count; ++i)
    {
        const size_t parent = i + (i & (~i + 1));
        if (parent <= count)
        {
            mHiddenTree[parent] += mHiddenTree[i];
        }
    }
}

bool LItemRecordStoreBase::IsHidden(int32_t index) const
{
    return index >= 0 && static_cast<uint32_t>(index) < GetCount() && GetItemRecord(index).hidden;
}

bool LItemRecordStoreBase::SetHidden(int32_t index, bool hidden)
{
    ItemRecord& record = GetItemRecord(index);
    if (record.hidden == hidden)
    {
        return false;
    }
    // Brought up to date before the flag changes, so that the change is counted once.
    RefreshHiddenIndex();
    record.hidden = hidden;
    if (mHiddenCount == 0)
    {
        mHiddenTree.assign(static_cast<size_t>(GetCount()) + 1, 0);
    }
    mHiddenCount += hidden ? 1 : -1;
    if (mHiddenCount == 0)
    {
        mHiddenTree.clear();
        return true;
    }
    const int32_t delta = hidden ? 1 : -1;
    for (auto i = static_cast<size_t>(index) + 1; i < mHiddenTree.size(); i += i & (~i + 1))
    {
        mHiddenTree[i] += delta;
    }
    return true;
}

int32_t LItemRecordStoreBase::GetHiddenCount() const
{
    RefreshHiddenIndex();
    return mHiddenCount;
}

int32_t LItemRecordStoreBase::GetShownCount() const
{
    return static_cast<int32_t>(GetCount()) - GetHiddenCount();
}

int32_t LItemRecordStoreBase::HiddenBefore(int32_t index) const
{
    if (GetHiddenCount() == 0)
    {
        return 0;
    }
    // A stale tree is rebuilt by GetHiddenCount, so it spans every record here.
    ZQ_ASSERT(mHiddenTree.size() == static_cast<size_t>(GetCount()) + 1);
    int32_t hidden = 0;
    for (auto i = static_cast<size_t>(index); i > 0; i &= i - 1)
    {
        hidden += mHiddenTree[i];
    }
    return hidden;
}

// --- Steps between items and rows ---

int32_t LItemRecordStoreBase::RowOfItem(int32_t index) const
{
    const int32_t end = std::min(index, static_cast<int32_t>(GetCount()));
    return end > 0 ? end - HiddenBefore(end) : 0;
}

int32_t LItemRecordStoreBase::ShownItemAtRow(int32_t row) const
{
    ZQ_ASSERT(row >= 0 && row < GetShownCount());
    if (GetHiddenCount() == 0)
    {
        return row;
    }
    // Descends to the last index before which at most row items are shown: that item is the shown one.
    const size_t count = mHiddenTree.size() - 1;
    size_t step = 1;
    while (step * 2 <= count)
    {
        step *= 2;
    }
    size_t index = 0;
    int64_t left = row;
    for (; step > 0; step /= 2)
    {
        const size_t next = index + step;
        if (next > count)
        {
            continue;
        }
        const int64_t shown = static_cast<int64_t>(step) - mHiddenTree[next];
        if (shown <= left)
        {
            index = next;
            left -= shown;
        }
    }
    ZQ_ASSERT(static_cast<int32_t>(index) - HiddenBefore(static_cast<int32_t>(index)) == row);
    return static_cast<int32_t>(index);
}

int32_t LItemRecordStoreBase::NextShownItem(int32_t index) const
{
    const auto count = static_cast<int32_t>(GetCount());
    const int32_t next = index + 1;
    if (next >= count || GetHiddenCount() == 0)
    {
        return next;
    }
    const int32_t row = RowOfItem(next);
    return row < GetShownCount() ? ShownItemAtRow(row) : count;
}

int32_t LItemRecordStoreBase::FirstShownItemFrom(int32_t index) const
{
    return IsHidden(index) ? NextShownItem(index) : index;
}

int32_t LItemRecordStoreBase::NearestShownItem(int32_t index) const
{
    if (!IsHidden(index))
    {
        return index;
    }
    const int32_t before = RowOfItem(index);
    if (before > 0)
    {
        return ShownItemAtRow(before - 1);
    }
    return GetShownCount() > 0 ? ShownItemAtRow(0) : static_cast<int32_t>(GetCount()) - 1;
}

int32_t LItemRecordStoreBase::ItemAtScrollRow(int32_t row) const
{
    if (row < 0)
    {
        return row + (IsHidden(0) ? 1 : 0);
    }
    const int32_t shown = GetShownCount();
    if (row < shown)
    {
        return ShownItemAtRow(row);
    }
    return shown > 0 ? ShownItemAtRow(shown - 1) : 0;
}
} // namespace ZQ
