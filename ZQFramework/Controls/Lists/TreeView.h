#pragma once

#include "ZQFramework/Controls/Lists/CheckedListBox.h"
#include "ZQFramework/Controls/Lists/TreeRowStore.h"
#include "ZQFramework/Notification/NotificationHandler.h"

#include <cstdint>
#include <vector>

namespace ZQ
{
class LTreeViewItem;

// A checked list box whose rows form a tree ("Framework.TreeView", rows "Framework.TreeViewItem"). The
// rows stay a flat list in depth-first order, a row's descendants following it; each row names its
// parent, its row control is indented by its depth, and its check box is its expand switch: a row is
// shown only while all its ancestors are checked, and only a row with descendants has an enabled box.
// Parent links follow the rows when rows move, are inserted or are removed. Removing a row removes its
// subtree. A tree is never sorted. Every row control must be an LTreeViewItem with a "checkBox".
//
// Sent with an LIndexedDataWithValueParam (row, the box's value): "NID_ITEM_CHECK_CHANGE" for a check
// box toggled by a click, or "NID_ITEM_CHECKBOX_CLICKED" for a click with the auto value off. UI thread
// only.
class LTreeView : public LCheckedListBox
{
public:
    // Made by the control base's creation sequence, the only holder of a CreateKey.
    LTreeView(CreateKey key, const RCPtr<LControl>& parent, const WString& name);
    ~LTreeView() override;

    // --- Operations appended after the checked list box's, in slot order ---

    // Moves row under parent, just below the parent or its last row that already belongs to it, and
    // expands the parent; the row's new index. Nothing for row 0, a row or parent outside the rows, an
    // unchanged parent, or a parent inside the row's own subtree.
    virtual int32_t SetItemParent(int32_t row, int32_t parent);
    // -1 outside the rows.
    [[nodiscard]] virtual int32_t GetItemParent(int32_t row);
    // The number of ancestors; 0 outside the rows.
    [[nodiscard]] virtual int32_t GetItemDepth(int32_t row);
    // The consecutive rows after row that are deeper than it.
    [[nodiscard]] virtual int32_t GetDescendantCount(int32_t row);
    // The record itself; the index is not tested.
    [[nodiscard]] virtual TreeRow& GetTreeRow(int32_t row);
    // Hides or shows the descendants of row by whether all their ancestors are checked.
    virtual void UpdateSubtreeVisibility(int32_t row);

    // --- Own operations ---

    // Whether ancestor lies on row's chain of parents (a row is not its own ancestor).
    [[nodiscard]] bool IsAncestor(int32_t ancestor, int32_t row);
    [[nodiscard]] RCPtr<LTreeViewItem> GetTreeItemControl(int32_t slot) const;
    // Checks the row and shows the descendants that this uncovers. A row shown by a control with the auto
    // value on is checked through its check box, as a click would.
    void ExpandRow(int32_t row);

    // --- Checked list box and list box operations ---

    void SetCheckBoxAutoValue(bool autoValue) override;
    void RecountCheckedItems() override;
    [[nodiscard]] CheckedItemRecord& GetCheckedItemRecord(int32_t index) override;
    [[nodiscard]] uint32_t GetItemCount() const override;
    // Removes the row with its subtree; the selection, caret and anchor follow every removed row. The new
    // count, or E_INVALIDARG past the end.
    int32_t RemoveItem(int32_t index) override;
    // False: a tree is never sorted.
    bool SortItems() override;
    ZQRESULT CreateItemControl() override;
    ZQRESULT UpdateItemControl(int32_t index, int32_t& slot) override;
    // Exchanges the two rows; every parent link follows them.
    ZQRESULT SwapItems(int32_t a, int32_t b) override;
    [[nodiscard]] ItemRecord& GetItemRecord(int32_t index) override;
    // A new top-level row; the links to rows at or after it follow them.
    void InsertItemRecord(int32_t index) override;
    // Erases the row and, through the parent links, its subtree; later links are lowered.
    void RemoveItemRecord(int32_t index) override;

    // --- Control base operations ---

    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification) override;
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                        NotificationID id) override;
    // Releases the idle request; nothing else.
    void OnIdle() override;
    // The checked list box's Initialize, whose result it returns.
    ZQRESULT Initialize() override;

private:
    ZQRESULT OnItemCheckBoxValueChanged(const RCPtr<LNotificationDistributor>& source,
                                        const RCPtr<LNotification>& notification);
    ZQRESULT OnItemCheckBoxClicked(const RCPtr<LNotificationDistributor>& source,
                                   const RCPtr<LNotification>& notification);
    // The shared steps of both handlers; 1 (handled) either way.
    ZQRESULT HandleCheckBox(const RCPtr<LNotificationDistributor>& source, bool count, const char16_t* name);
    void BindCheckBox(const RCPtr<LNotificationDistributor>& box);
    [[nodiscard]] bool InRange(int32_t row) const { return mRows.InRange(row); }

    RCPtr<LNotificationHandler<LTreeView>> mTreeHandler;
    LTreeRowStore mRows;
    bool mUpdatingItem = false;
    // The check boxes' auto value as the tree binds them.
    bool mAutoValue = true;
};
} // namespace ZQ
