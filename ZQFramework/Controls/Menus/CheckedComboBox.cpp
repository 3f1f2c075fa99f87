#include "ZQFramework/Controls/Menus/CheckedComboBox.h"

#include "ZQFramework/Controls/Buttons/Button.h"
#include "ZQFramework/Controls/ControlPattern.h"
#include "ZQFramework/Controls/Lists/CheckedListBox.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationNames.h"

namespace ZQ
{
LCheckedComboBox::LCheckedComboBox(CreateKey key, const RCPtr<LControl>& parent, const WString& name)
    : LComboBox(key, parent, name)
{
}

LCheckedComboBox::~LCheckedComboBox() = default;

RCPtr<LButton> LCheckedComboBox::GetCheckBox() const
{
    return FindTypedChild<LButton>(*this, u"checkBox");
}

void LCheckedComboBox::SetCheckBoxPassive(bool passive)
{
    mCheckBoxPassive = passive;
    if (const RCPtr<LButton> checkBox = GetCheckBox(); checkBox != nullptr)
    {
        checkBox->SetPassive(passive);
    }
}

void LCheckedComboBox::SetCheckBoxBitmap(const ConstRCPtr<LBitmap>& bitmap)
{
    const RCPtr<LButton> checkBox = GetCheckBox();
    if (checkBox == nullptr)
    {
        return;
    }
    // Every look the check box has, last first; an empty slot refuses the bitmap.
    for (uint32_t index = checkBox->GetLookCount(); index-- > 0;)
    {
        checkBox->SetLookBitmap(static_cast<int32_t>(index), bitmap);
    }
}

// --- Combo box operations ---

int32_t LCheckedComboBox::SetItemCount(int32_t count)
{
    const int32_t result = LComboBox::SetItemCount(count);
    UpdateLook();
    return result;
}

int32_t LCheckedComboBox::SetSelectedIndex(int32_t index)
{
    if (const RCPtr<LButton> checkBox = GetCheckBox(); checkBox != nullptr)
    {
        ConstRCPtr<LBitmap> bitmap;
        if (mCheckedListBox != nullptr && index >= 0 &&
            static_cast<uint32_t>(index) < mCheckedListBox->GetItemCount())
        {
            checkBox->SetValue(mCheckedListBox->IsItemChecked(index) ? 1.0 : 0.0);
            bitmap = mCheckedListBox->GetItemIcon(index);
        }
        SetCheckBoxBitmap(bitmap);
    }
    return LComboBox::SetSelectedIndex(index);
}

ZQRESULT LCheckedComboBox::UpdateLook()
{
    const bool anyChecked = mCheckedListBox != nullptr && mCheckedListBox->GetCheckedCount() > 0;
    SelectLook(StateLookIndex() + (anyChecked ? 7 : 0));
    return 0;
}

// --- Control base operations ---

ZQRESULT LCheckedComboBox::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                               const RCPtr<LNotification>& notification)
{
    if (IsCreated() && mCheckedComboHandler != nullptr)
    {
        const ZQRESULT handled = mCheckedComboHandler->Dispatch(source, notification);
        if (handled != 0)
        {
            return handled;
        }
    }
    return LComboBox::ReceiveNotification(source, notification);
}

ZQRESULT LCheckedComboBox::RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                                      NotificationID id)
{
    if (mCheckedComboHandler != nullptr)
    {
        mCheckedComboHandler->RemoveCallback(source.Get(), id);
    }
    return LComboBox::RemoveNotificationCallback(source, id);
}

ZQRESULT LCheckedComboBox::Initialize()
{
    mCheckedListBox = FindTypedChild<LCheckedListBox>(*this, u"listBox");
    if (LComboBox::Initialize() < 0 || mCheckedListBox == nullptr)
    {
        return E_FAIL;
    }
    if (const RCPtr<LButton> checkBox = GetCheckBox(); checkBox != nullptr)
    {
        checkBox->SetUseParentToolTip(true);
    }
    mCheckedListBox->SetDropDownMode(true);
    if (mCheckedListBox->GetIconCount() > 0)
    {
        SetCheckBoxPassive(true);
    }
    if (mCheckedComboHandler == nullptr)
    {
        mCheckedComboHandler = LNotificationHandler<LCheckedComboBox>::Create(this);
    }
    if (mCheckedComboHandler != nullptr)
    {
        mCheckedComboHandler->AddCallback(&LCheckedComboBox::OnItemCheckChange,
                                          RCPtr<LNotificationDistributor>(mCheckedListBox),
                                          kNidItemCheckChange);
    }
    return 0;
}

ZQRESULT LCheckedComboBox::OnCreated()
{
    const int32_t selected = GetSelectedIndex();
    ConstRCPtr<LBitmap> bitmap;
    if (selected >= 0 && mCheckedListBox != nullptr)
    {
        bitmap = mCheckedListBox->GetItemIcon(selected);
    }
    SetCheckBoxBitmap(bitmap);
    return LComboBox::OnCreated();
}

ZQRESULT LCheckedComboBox::OnItemCheckChange(const RCPtr<LNotificationDistributor>& /*source*/,
                                             const RCPtr<LNotification>& notification)
{
    const RCPtr<LControl> self = KeepControlAlive(this);
    if (mCheckedListBox != nullptr)
    {
        const int32_t count = mCheckedListBox->GetCheckedCount();
        if (count == 0 || count == 1)
        {
            UpdateLook();
        }
        // The face shows the selected item's check state, also when the user checks it in the list.
        const int32_t selected = GetSelectedIndex();
        const RCPtr<LButton> checkBox = GetCheckBox();
        if (checkBox != nullptr && selected >= 0 &&
            static_cast<uint32_t>(selected) < mCheckedListBox->GetItemCount())
        {
            checkBox->SetValue(mCheckedListBox->IsItemChecked(selected) ? 1.0 : 0.0);
        }
    }
    const ConstRCPtr<LRefCountedObject> param(notification != nullptr ? notification->GetParam()
                                                                      : RCPtr<LRefCountedObject>());
    Notify(LNotification::Create(kNidItemCheckChange, param));
    return 1;
}
} // namespace ZQ
