#include "ZQFramework/Controls/Lists/TreeRowStore.h"

namespace ZQ
{
void LTreeRowStore::InsertRow(int32_t index)
{
    for (TreeRow& row : *this)
    {
        if (row.parent >= index)
        {
            ++row.parent;
        }
    }
    Insert(index);
}

void LTreeRowStore::RemoveRow(int32_t index)
{
    if (!InRange(index))
    {
        return;
    }
    Remove(index);
    for (auto i = static_cast<int32_t>(GetCount()) - 1; i >= index; --i)
    {
        if (!InRange(i))
        {
            continue; // a recursive removal shortened the rows
        }
        if (Get(i).parent == index)
        {
            RemoveRow(i);
        }
        else if (Get(i).parent > index)
        {
            --Get(i).parent;
        }
    }
}

void LTreeRowStore::SwapRows(int32_t a, int32_t b)
{
    Swap(a, b);
    for (TreeRow& row : *this)
    {
        if (row.parent == a)
        {
            row.parent = b;
        }
        else if (row.parent == b)
        {
            row.parent = a;
        }
    }
}

int32_t LTreeRowStore::GetParent(int32_t row) const
{
    return InRange(row) ? Get(row).parent : -1;
}

int32_t LTreeRowStore::GetDepth(int32_t row) const
{
    int32_t depth = 0;
    for (int32_t p = GetParent(row); p >= 0 && static_cast<uint32_t>(depth) < GetCount(); p = GetParent(p))
    {
        ++depth;
    }
    return depth;
}

int32_t LTreeRowStore::GetDescendantCount(int32_t row) const
{
    if (!InRange(row + 1))
    {
        return 0;
    }
    const int32_t depth = GetDepth(row);
    int32_t i = row + 1;
    while (InRange(i) && GetDepth(i) > depth)
    {
        ++i;
    }
    return i - row - 1;
}

bool LTreeRowStore::IsAncestor(int32_t ancestor, int32_t row) const
{
    if (!InRange(ancestor) || !InRange(row))
    {
        return false;
    }
    uint32_t steps = 0;
    for (int32_t p = GetParent(row); p >= 0 && steps < GetCount(); p = GetParent(p), ++steps)
    {
        if (p == ancestor)
        {
            return true;
        }
    }
    return false;
}

bool LTreeRowStore::AncestorsChecked(int32_t row) const
{
    uint32_t steps = 0;
    for (int32_t p = GetParent(row); p >= 0 && steps < GetCount(); p = GetParent(p), ++steps)
    {
        if (!Get(p).checked)
        {
            return false;
        }
    }
    return true;
}
} // namespace ZQ
