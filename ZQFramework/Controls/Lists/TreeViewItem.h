#pragma once

#include "ZQFramework/Controls/Lists/CheckedListBoxItem.h"

#include <cstdint>

namespace ZQ
{
// The row of a tree view ("Framework.TreeViewItem"): a checked list-box row whose check box is the
// expand switch of the row it shows, and which the tree indents by the row's depth. UI thread only.
class LTreeViewItem : public LCheckedListBoxItem
{
public:
    // Made by the control base's creation sequence, the only holder of a CreateKey.
    LTreeViewItem(CreateKey key, const RCPtr<LControl>& parent, const WString& name);
    ~LTreeViewItem() override;

    // Moves the row right by level widths of its check box, from the position its layout gives.
    void SetIndentLevel(int32_t level);
};
} // namespace ZQ
