#pragma once

#include "ZQFramework/Controls/Menus/ComboBox.h"
#include "ZQFramework/Notification/NotificationHandler.h"

namespace ZQ
{
class LButton;
class LCheckedListBox;

// A combo box whose list is a checked list box: every item carries a check mark and may carry an icon
// ("Framework.CheckedComboBox", "Framework.ComboBoxWithIcons"). The face's optional button "checkBox"
// shows the selected item's check state and icon, and the looks 7 to 13 repeat the combo box's 0 to 6
// while at least one item is checked. Checking is the list's business; this class follows it and
// re-sends the list's "NID_ITEM_CHECK_CHANGE". Held by its parent; UI thread only.
class LCheckedComboBox : public LComboBox
{
public:
    // Made by the control base's creation sequence, the only holder of a CreateKey.
    LCheckedComboBox(CreateKey key, const RCPtr<LControl>& parent, const WString& name);
    ~LCheckedComboBox() override;

    [[nodiscard]] RCPtr<LButton> GetCheckBox() const;
    [[nodiscard]] const RCPtr<LCheckedListBox>& GetCheckedListBox() const { return mCheckedListBox; }
    // A passive check box is never hit by the pointer.
    void SetCheckBoxPassive(bool passive);
    [[nodiscard]] bool IsCheckBoxPassive() const { return mCheckBoxPassive; }

    // --- Combo box operations ---

    // The combo box's SetItemCount, then the look.
    int32_t SetItemCount(int32_t count) override;
    // The check box first shows the item's check state and icon (an index past the end clears the icons
    // and leaves the state), then the combo box selects it.
    int32_t SetSelectedIndex(int32_t index) override;
    // The combo box's look index, plus 7 while some item is checked. 0.
    ZQRESULT UpdateLook() override;

    // --- Control base operations ---

    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification) override;
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                        NotificationID id) override;
    // The combo box's Initialize; E_FAIL when that fails or the list is not a checked list box. The check
    // box takes the face's tool tip and, when the list shows an icon list, becomes passive. 0.
    ZQRESULT Initialize() override;
    // The check box shows the selected item's icon, then the combo box's OnCreated.
    ZQRESULT OnCreated() override;

private:
    // The list's check change: the look when the count reached 0 or 1, the check box for the selected
    // item, then re-sent. 1.
    ZQRESULT OnItemCheckChange(const RCPtr<LNotificationDistributor>& source,
                               const RCPtr<LNotification>& notification);
    // Every existing look of the check box, highest first, gets bitmap.
    void SetCheckBoxBitmap(const ConstRCPtr<LBitmap>& bitmap);

    RCPtr<LNotificationHandler<LCheckedComboBox>> mCheckedComboHandler;
    RCPtr<LCheckedListBox> mCheckedListBox;
    bool mCheckBoxPassive = false;
};
} // namespace ZQ
