#include "ZQFramework/Controls/Lists/CheckedListBox.h"

#include "ZQFramework/ControlBase/Control/Look.h"
#include "ZQFramework/ControlBase/Control/VisualPart.h"
#include "ZQFramework/Controls/Buttons/Button.h"
#include "ZQFramework/Controls/ControlPattern.h"
#include "ZQFramework/Controls/Lists/CheckedListBoxItem.h"
#include "ZQFramework/Notification/AutoNotificationDisabler.h"
#include "ZQFramework/Notification/IndexedDataWithValueParam.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationNames.h"
#include "ZQFramework/Utilities/Graphics/Bitmap.h"

#include <algorithm>
#include <typeinfo>

namespace ZQ
{
namespace
{
constexpr int32_t kIconLook = 3;
} // namespace

LCheckedListBox::LCheckedListBox(CreateKey key, const RCPtr<LControl>& parent, const WString& name)
    : LListBox(key, parent, name)
{
    UseRecordStore(mCheckedItems);
}

LCheckedListBox::~LCheckedListBox() = default;

// --- Records ---

uint32_t LCheckedListBox::GetItemCount() const
{
    return mCheckedItems.GetCount();
}

ItemRecord& LCheckedListBox::GetItemRecord(int32_t index)
{
    return mCheckedItems.Get(index);
}

CheckedItemRecord& LCheckedListBox::GetCheckedItemRecord(int32_t index)
{
    return mCheckedItems.Get(index);
}

void LCheckedListBox::InsertItemRecord(int32_t index)
{
    mCheckedItems.Insert(index);
}

void LCheckedListBox::RemoveItemRecord(int32_t index)
{
    mCheckedItems.Remove(index);
}

ZQRESULT LCheckedListBox::SwapItems(int32_t a, int32_t b)
{
    mCheckedItems.Swap(a, b);
    return 0;
}

// --- Check marks ---

int32_t LCheckedListBox::SetItemCount(int32_t n)
{
    const int32_t result = LListBox::SetItemCount(n);
    RecountCheckedItems();
    return result;
}

int32_t LCheckedListBox::RemoveItem(int32_t index)
{
    const bool checked = IsItemChecked(index);
    const int32_t result = LListBox::RemoveItem(index);
    if (result >= 0 && checked)
    {
        --mCheckedCount;
    }
    return result;
}

ZQRESULT LCheckedListBox::RemoveAllItems()
{
    const ZQRESULT result = LListBox::RemoveAllItems();
    RecountCheckedItems();
    return result;
}

void LCheckedListBox::RecountCheckedItems()
{
    mCheckedCount = static_cast<int32_t>(std::count_if(mCheckedItems.begin(), mCheckedItems.end(),
                                                       [](const CheckedItemRecord& r) { return r.checked; }));
}

bool LCheckedListBox::IsItemChecked(int32_t index)
{
    return index >= 0 && static_cast<uint32_t>(index) < GetItemCount() && GetCheckedItemRecord(index).checked;
}

void LCheckedListBox::SetItemChecked(int32_t index, bool checked)
{
    if (index < 0 || static_cast<uint32_t>(index) >= GetItemCount() ||
        GetCheckedItemRecord(index).checked == checked)
    {
        return;
    }
    GetCheckedItemRecord(index).checked = checked;
    mCheckedCount += checked ? 1 : -1;
    int32_t slot = -1;
    UpdateItemControl(index, slot);
}

ConstRCPtr<LBitmap> LCheckedListBox::GetItemIcon(int32_t index)
{
    if (index < 0 || static_cast<uint32_t>(index) >= GetItemCount())
    {
        return nullptr;
    }
    if (!mIcons.empty())
    {
        return mIcons[static_cast<size_t>(index) % mIcons.size()];
    }
    return GetCheckedItemRecord(index).icon;
}

// --- Rows ---

RCPtr<LCheckedListBoxItem> LCheckedListBox::GetCheckedItemControl(int32_t slot) const
{
    return RCPtr<LCheckedListBoxItem>(GetItemControl(slot));
}

void LCheckedListBox::SetCheckBoxesPassive(bool passive)
{
    mCheckBoxesPassive = passive;
    for (uint32_t slot = 0; slot < GetItemControlCount(); ++slot)
    {
        const RCPtr<LCheckedListBoxItem> row = GetCheckedItemControl(static_cast<int32_t>(slot));
        if (row != nullptr && row->GetCheckBox() != nullptr)
        {
            row->GetCheckBox()->SetPassive(passive);
        }
    }
}

void LCheckedListBox::SetCheckBoxAutoValue(bool autoValue)
{
    if (autoValue == mCheckBoxAutoValue)
    {
        return;
    }
    mCheckBoxAutoValue = autoValue;
    for (uint32_t slot = 0; slot < GetItemControlCount(); ++slot)
    {
        const RCPtr<LCheckedListBoxItem> row = GetCheckedItemControl(static_cast<int32_t>(slot));
        const RCPtr<LButton> box = row != nullptr ? row->GetCheckBox() : nullptr;
        if (box == nullptr)
        {
            continue;
        }
        box->SetAutoValueSet(autoValue);
        const RCPtr<LNotificationDistributor> source(box);
        const char16_t* dropped = autoValue ? kNidLeftClick : kNidValueChange;
        UnregisterFromDistributor(source, LNotification::GetIDFromName(dropped));
        if (mCheckedHandler != nullptr)
        {
            mCheckedHandler->RemoveCallback(source.Get(), dropped);
            if (autoValue)
            {
                mCheckedHandler->AddCallback(&LCheckedListBox::OnItemCheckBoxValueChanged, source,
                                             kNidValueChange);
            }
            else
            {
                mCheckedHandler->AddCallback(&LCheckedListBox::OnItemCheckBoxClicked, source, kNidLeftClick);
            }
        }
    }
}

ZQRESULT LCheckedListBox::CreateItemControl()
{
    const ZQRESULT result = LListBox::CreateItemControl();
    if (result < 0)
    {
        return result;
    }
    const RCPtr<LCheckedListBoxItem> row =
        GetCheckedItemControl(static_cast<int32_t>(GetItemControlCount()) - 1);
    const RCPtr<LButton> box = row != nullptr ? row->GetCheckBox() : nullptr;
    if (box == nullptr)
    {
        return result;
    }
    box->SetPassive(mCheckBoxesPassive);
    box->SetAutoValueSet(mCheckBoxAutoValue);
    if (mCheckedHandler != nullptr)
    {
        const RCPtr<LNotificationDistributor> source(box);
        if (mCheckBoxAutoValue)
        {
            mCheckedHandler->AddCallback(&LCheckedListBox::OnItemCheckBoxValueChanged, source,
                                         kNidValueChange);
        }
        else
        {
            mCheckedHandler->AddCallback(&LCheckedListBox::OnItemCheckBoxClicked, source, kNidLeftClick);
        }
    }
    return result;
}

ZQRESULT LCheckedListBox::UpdateItemControl(int32_t index, int32_t& slot)
{
    const ZQRESULT result = LListBox::UpdateItemControl(index, slot);
    if (result < 0 || slot < 0)
    {
        return result;
    }
    const RCPtr<LCheckedListBoxItem> row = GetCheckedItemControl(slot);
    if (row == nullptr)
    {
        return result;
    }
    const bool inRange = index >= 0 && static_cast<uint32_t>(index) < GetItemCount();
    const bool checked = inRange && GetCheckedItemRecord(index).checked;
    const RCPtr<LButton>& box = row->GetCheckBox();
    const RCPtr<LNotificationDistributor> source(box);
    if (box != nullptr && mCheckBoxAutoValue && mCheckedHandler != nullptr &&
        mCheckedHandler->HasCallback(source.Get(), kNidValueChange))
    {
        // Showing an item is not a user's check: the binding is away while the box takes the value.
        const CAutoNotificationDisabler<LCheckedListBox> suspended(mCheckedHandler, source, kNidValueChange);
        row->SetCheckBoxValue(checked);
    }
    else
    {
        row->SetCheckBoxValue(checked);
    }
    row->SetCheckBoxBitmap(inRange ? GetItemIcon(index) : nullptr);
    row->SetCheckBoxVisible(inRange);
    return result;
}

// --- Handlers ---

ZQRESULT LCheckedListBox::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                              const RCPtr<LNotification>& notification)
{
    if (IsCreated() && mCheckedHandler != nullptr)
    {
        const ZQRESULT handled = mCheckedHandler->Dispatch(source, notification);
        if (handled != 0)
        {
            return handled;
        }
    }
    return LListBox::ReceiveNotification(source, notification);
}

ZQRESULT LCheckedListBox::RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                                     NotificationID id)
{
    if (mCheckedHandler != nullptr)
    {
        mCheckedHandler->RemoveCallback(source.Get(), id);
    }
    return LListBox::RemoveNotificationCallback(source, id);
}

ZQRESULT LCheckedListBox::HandleCheckBox(const RCPtr<LNotificationDistributor>& source, bool count,
                                         const char16_t* name)
{
    const RCPtr<LControl> box(source);
    const int32_t index = box != nullptr ? GetItemIndexOfControl(box->GetParent().Get()) : -1;
    if (index < 0 || static_cast<uint32_t>(index) >= GetItemCount())
    {
        return 1;
    }
    const RCPtr<LControl> self = KeepControlAlive(this);
    const double value = box->GetValue();
    const RCPtr<LIndexedDataWithValueParam> param = LIndexedDataWithValueParam::Create(nullptr, index, value);
    CheckedItemRecord& record = GetCheckedItemRecord(index);
    const bool checked = value >= 0.5;
    if (count && record.checked != checked)
    {
        mCheckedCount += checked ? 1 : -1;
    }
    record.checked = checked;
    SelectRange(index, index, true);
    Notify(LNotification::Create(name, ConstRCPtr<LRefCountedObject>(RCPtr<LRefCountedObject>(param))));
    return 1;
}

ZQRESULT LCheckedListBox::OnItemCheckBoxValueChanged(const RCPtr<LNotificationDistributor>& source,
                                                     const RCPtr<LNotification>& /*notification*/)
{
    return HandleCheckBox(source, true, kNidItemCheckChange);
}

ZQRESULT LCheckedListBox::OnItemCheckBoxClicked(const RCPtr<LNotificationDistributor>& source,
                                                const RCPtr<LNotification>& /*notification*/)
{
    return HandleCheckBox(source, false, kNidItemCheckboxClicked);
}

// --- Creation ---

ZQRESULT LCheckedListBox::Initialize()
{
    mCheckedHandler = LNotificationHandler<LCheckedListBox>::Create(this);
    const ZQRESULT result = LListBox::Initialize();
    // Only a plain checked list box takes the icon list: the menus and trees derived from it never do.
    if (typeid(*this) == typeid(LCheckedListBox))
    {
        ReadIconList();
    }
    return result;
}

void LCheckedListBox::ReadIconList()
{
    if (mLooks.GetCount() <= static_cast<uint32_t>(kIconLook) || mLooks.GetAt(kIconLook) == nullptr)
    {
        return;
    }
    const ConstRCPtrArray<LVisualPart, 1, 0>& parts = mLooks.GetAt(kIconLook)->GetNonClientParts();
    for (uint32_t i = 0; i < parts.GetCount(); ++i)
    {
        const ConstRCPtr<LVisualPart>& part = parts.GetAt(i);
        if (part != nullptr && part->GetPicture() != nullptr)
        {
            mIcons.push_back(part->GetPicture());
        }
    }
    SetCheckBoxesPassive(true);
}
} // namespace ZQ
