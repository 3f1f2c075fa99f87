#pragma once

#include "ZQFramework/Controls/CheckedListBoxItem.h"

#include <cstdint>

namespace ZQ
{
// The row of a tree view ("Framework.TreeViewItem"): a checked list-box row whose check box is the
// expand switch of the row it shows, and which the tree indents by the row's depth. UI thread only.
class LTreeViewItem : public LCheckedListBoxItem
{
public:
    ~LTreeViewItem() override;

    // Moves the row right by level widths of its check box, from the position its layout gives.
    void SetIndentLevel(int32_t level);

protected:
    // The control base's creation sequence constructs it.
    friend class LControl;
    LTreeViewItem(const RCPtr<LControl>& parent, const WString& name);
};
} // namespace ZQ
