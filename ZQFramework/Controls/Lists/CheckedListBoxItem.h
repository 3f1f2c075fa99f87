#pragma once

#include "ZQFramework/Controls/Lists/ListBoxItem.h"
#include "ZQFramework/Notification/NotificationHandler.h"
#include "ZQFramework/Utilities/Graphics/Forward.h"

#include <cstdint>

namespace ZQ
{
class LButton;

// The row of a checked list box ("Framework.CheckedListBoxItem"): a list-box row that owns a button child
// "checkBox" showing the item's check mark and icon. The row shows its hover look while the pointer is on
// the check box; the check box shows the row's tool tip and never takes the focus. The checked list box
// sets the check box's value, picture and visibility as it shows items. UI thread only.
class LCheckedListBoxItem : public LListBoxItem
{
public:
    // Made by the control base's creation sequence, the only holder of a CreateKey.
    LCheckedListBoxItem(CreateKey key, const RCPtr<LControl>& parent, const WString& name);
    ~LCheckedListBoxItem() override;

    // --- Operations appended after the list-box row's, in slot order ---

    // Makes look fully opaque and every other look transparent; whether that succeeded (flag unused).
    virtual bool ShowLook(int32_t look, bool flag);

    // --- Own operations ---

    // The check box's look once the row is created; 1 before.
    ZQRESULT SelectCheckBoxLook(int32_t look, bool flag);
    void SetCheckBoxValue(bool checked);
    void SetCheckBoxVisible(bool visible);
    // The picture over every look of the check box (null removes it). 0.
    ZQRESULT SetCheckBoxBitmap(const ConstRCPtr<LBitmap>& bitmap);
    [[nodiscard]] const RCPtr<LButton>& GetCheckBox() const { return mCheckBox; }

    // --- Control base operations ---

    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification) override;
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                        NotificationID id) override;
    // The control base's Initialize (its result, negative too); then binds the check box's hover and
    // makes it show the row's tool tip and never take the focus.
    ZQRESULT Initialize() override;

private:
    // The row highlights while the check box is newly hovered. 0.
    ZQRESULT OnCheckBoxHoverChanged(const RCPtr<LNotificationDistributor>& source,
                                    const RCPtr<LNotification>& notification);

    RCPtr<LNotificationHandler<LCheckedListBoxItem>> mItemHandler;
    RCPtr<LButton> mCheckBox;
};
} // namespace ZQ
