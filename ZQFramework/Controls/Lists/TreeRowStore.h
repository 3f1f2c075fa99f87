#pragma once

#include "ZQFramework/Controls/Lists/ItemRecordStore.h"

#include <cstdint>

namespace ZQ
{
// One row of a tree view: the checked list box's record and the index of the parent row (-1: top level).
struct TreeRow : CheckedItemRecord
{
    int32_t parent = -1;
};

// The rows of a tree view, a flat list in depth-first order, and the steps over their parent links. The
// row operations keep every link on its row: inserting renumbers the links at or after the new row,
// removing takes the row's subtree with it and lowers the later links, and exchanging two rows exchanges
// the links to them. The walks up the links stop after as many steps as there are rows, so that a broken
// link never loops. Owned by the tree view; UI thread only.
class LTreeRowStore : public LItemRecordStore<TreeRow>
{
public:
    [[nodiscard]] bool InRange(int32_t row) const
    {
        return row >= 0 && static_cast<uint32_t>(row) < GetCount();
    }

    // A new top-level row before index (0..count).
    void InsertRow(int32_t index);
    // Erases the row and, through the links, its subtree; nothing outside the rows.
    void RemoveRow(int32_t index);
    // Exchanges the two rows; every link follows them. The indexes are not tested.
    void SwapRows(int32_t a, int32_t b);

    // -1 outside the rows.
    [[nodiscard]] int32_t GetParent(int32_t row) const;
    // The number of ancestors; 0 outside the rows.
    [[nodiscard]] int32_t GetDepth(int32_t row) const;
    // The consecutive rows after row that are deeper than it.
    [[nodiscard]] int32_t GetDescendantCount(int32_t row) const;
    // Whether ancestor lies on row's chain of parents (a row is not its own ancestor); false outside.
    [[nodiscard]] bool IsAncestor(int32_t ancestor, int32_t row) const;
    // Whether every ancestor of row is checked.
    [[nodiscard]] bool AncestorsChecked(int32_t row) const;
};
} // namespace ZQ
