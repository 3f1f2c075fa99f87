#pragma once

#include "ZQFramework/Controls/Lists/ListBox.h"
#include "ZQFramework/Notification/NotificationHandler.h"
#include "ZQFramework/Utilities/Graphics/Bitmap.h"

#include <cstdint>
#include <vector>

namespace ZQ
{
class LCheckedListBoxItem;

// A list box whose items also carry a check mark and an icon, both shown by the button "checkBox" of each
// row (LCheckedListBoxItem) ("Framework.CheckedListBox", "Framework.ListBoxWithIcons"). The base of the
// popup menu and the tree view; the checked combo box uses one as its drop-down.
//
// By default a click on a check box toggles it; the list turns that into the item's check mark, selects
// the item alone and sends "NID_ITEM_CHECK_CHANGE" (LIndexedDataWithValueParam: index and the box's value).
// With the auto value off the list sends "NID_ITEM_CHECKBOX_CLICKED" instead and leaves the count alone.
// Showing an item in a row never counts as a check. A plain checked list box whose skin gives a fourth look
// takes the pictures of that look's parts as an icon list, item i showing icon i modulo their number, and
// its check boxes become passive icon holders. UI thread only.
class LCheckedListBox : public LListBox
{
public:
    // Made by the control base's creation sequence, the only holder of a CreateKey.
    LCheckedListBox(CreateKey key, const RCPtr<LControl>& parent, const WString& name);
    ~LCheckedListBox() override;

    // --- Operations appended after the list box's, in slot order ---

    virtual void SetCheckBoxAutoValue(bool autoValue);
    virtual void RecountCheckedItems();
    // The record itself; the index is not tested.
    [[nodiscard]] virtual CheckedItemRecord& GetCheckedItemRecord(int32_t index);

    // --- Own operations ---

    [[nodiscard]] bool IsItemChecked(int32_t index);
    // Silent; the count follows. Nothing past the end or when unchanged.
    void SetItemChecked(int32_t index, bool checked);
    [[nodiscard]] ConstRCPtr<LBitmap> GetItemIcon(int32_t index);
    void SetCheckBoxesPassive(bool passive);
    [[nodiscard]] RCPtr<LCheckedListBoxItem> GetCheckedItemControl(int32_t slot) const;
    [[nodiscard]] int32_t GetCheckedCount() const { return mCheckedCount; }
    [[nodiscard]] bool AreCheckBoxesPassive() const { return mCheckBoxesPassive; }
    [[nodiscard]] uint32_t GetIconCount() const { return static_cast<uint32_t>(mIcons.size()); }

    // --- List box operations ---

    [[nodiscard]] uint32_t GetItemCount() const override;
    int32_t SetItemCount(int32_t n) override;
    // The check count follows the removed items.
    int32_t RemoveItem(int32_t index) override;
    ZQRESULT RemoveAllItems() override;
    ZQRESULT CreateItemControl() override;
    ZQRESULT UpdateItemControl(int32_t index, int32_t& slot) override;
    ZQRESULT SwapItems(int32_t a, int32_t b) override;
    [[nodiscard]] ItemRecord& GetItemRecord(int32_t index) override;
    void InsertItemRecord(int32_t index) override;
    void RemoveItemRecord(int32_t index) override;

    // --- Control base operations ---

    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification) override;
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                        NotificationID id) override;
    // The list box's Initialize; a plain checked list box then reads its icon list. The list box's result.
    ZQRESULT Initialize() override;

private:
    ZQRESULT OnItemCheckBoxValueChanged(const RCPtr<LNotificationDistributor>& source,
                                        const RCPtr<LNotification>& notification);
    ZQRESULT OnItemCheckBoxClicked(const RCPtr<LNotificationDistributor>& source,
                                   const RCPtr<LNotification>& notification);
    // The shared steps of both handlers; 1 (handled) either way.
    ZQRESULT HandleCheckBox(const RCPtr<LNotificationDistributor>& source, bool count, const char16_t* name);
    void ReadIconList();

    RCPtr<LNotificationHandler<LCheckedListBox>> mCheckedHandler;
    LItemRecordStore<CheckedItemRecord> mCheckedItems;
    bool mCheckBoxesPassive = false;
    bool mCheckBoxAutoValue = true;
    int32_t mCheckedCount = 0;
    std::vector<ConstRCPtr<LBitmap>> mIcons;
};
} // namespace ZQ
