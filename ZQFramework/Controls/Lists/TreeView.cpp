#include "ZQFramework/Controls/Lists/TreeView.h"

#include "ZQFramework/Controls/Buttons/Button.h"
#include "ZQFramework/Controls/ControlPattern.h"
#include "ZQFramework/Controls/Lists/TreeViewItem.h"
#include "ZQFramework/Notification/IndexedDataWithValueParam.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationNames.h"

#include <algorithm>

namespace ZQ
{
LTreeView::LTreeView(CreateKey key, const RCPtr<LControl>& parent, const WString& name)
    : LCheckedListBox(key, parent, name)
{
    UseRecordStore(mRows);
}

LTreeView::~LTreeView() = default;

// --- Records ---

uint32_t LTreeView::GetItemCount() const
{
    return mRows.GetCount();
}

TreeRow& LTreeView::GetTreeRow(int32_t row)
{
    return mRows.Get(row);
}

ItemRecord& LTreeView::GetItemRecord(int32_t index)
{
    return GetTreeRow(index);
}

CheckedItemRecord& LTreeView::GetCheckedItemRecord(int32_t index)
{
    return GetTreeRow(index);
}

void LTreeView::InsertItemRecord(int32_t index)
{
    mRows.InsertRow(index);
}

void LTreeView::RemoveItemRecord(int32_t index)
{
    mRows.RemoveRow(index);
}

ZQRESULT LTreeView::SwapItems(int32_t a, int32_t b)
{
    mRows.SwapRows(a, b);
    return 0;
}

void LTreeView::RecountCheckedItems()
{
    // The checked list box counts its own records, which a tree leaves empty; each checked row is counted
    // again through the counting setter.
    LCheckedListBox::RecountCheckedItems();
    for (auto i = static_cast<int32_t>(mRows.GetCount()) - 1; i >= 0; --i)
    {
        if (GetTreeRow(i).checked)
        {
            GetTreeRow(i).checked = false;
            SetItemChecked(i, true);
        }
    }
}

// --- Tree structure ---

int32_t LTreeView::GetItemParent(int32_t row)
{
    return mRows.GetParent(row);
}

int32_t LTreeView::GetItemDepth(int32_t row)
{
    return mRows.GetDepth(row);
}

int32_t LTreeView::GetDescendantCount(int32_t row)
{
    return mRows.GetDescendantCount(row);
}

bool LTreeView::IsAncestor(int32_t ancestor, int32_t row)
{
    return mRows.IsAncestor(ancestor, row);
}

void LTreeView::UpdateSubtreeVisibility(int32_t row)
{
    for (int32_t i = row + 1; InRange(i) && IsAncestor(row, i); ++i)
    {
        SetItemHidden(i, !mRows.AncestorsChecked(i));
    }
}

int32_t LTreeView::SetItemParent(int32_t row, int32_t parent)
{
    const int32_t p0 = std::max(parent, -1);
    if (!InRange(row) || row == 0 || row == p0 || (p0 >= 0 && !InRange(p0)) || IsAncestor(row, p0) ||
        GetTreeRow(row).parent == p0)
    {
        return row;
    }
    int32_t p = p0;
    const int32_t first = row - 1;
    int32_t i = row;
    // Down to the parent's index: the rows passed, the parent last, move up by one.
    while (i < p)
    {
        SwapItems(i, i + 1);
        if (i + 1 == p)
        {
            p = i;
        }
        ++i;
    }
    int32_t refresh = first;
    if (p != i - 1 && GetTreeRow(i - 1).parent != p)
    {
        // Up until the row above belongs to the parent's subtree, and never past the parent itself.
        while (i - 1 > p && !IsAncestor(p, i - 1))
        {
            SwapItems(i, i - 1);
            --i;
        }
        refresh = std::max(i - 1, 0);
    }
    GetTreeRow(i).parent = p;
    if (p >= 0)
    {
        if (GetDescendantCount(p) != 0)
        {
            ExpandRow(p);
        }
        UpdateSubtreeVisibility(p);
    }
    UpdateItemControlsFrom(refresh);
    return i;
}

void LTreeView::ExpandRow(int32_t row)
{
    if (!InRange(row))
    {
        return;
    }
    const int32_t slot = GetItemControlSlot(row);
    const RCPtr<LTreeViewItem> item = slot >= 0 ? GetTreeItemControl(slot) : nullptr;
    if (item != nullptr && item->GetCheckBox() != nullptr && mAutoValue && !GetTreeRow(row).checked)
    {
        // The box's value notification checks, counts and shows the subtree, as a click would.
        item->GetCheckBox()->SetValue(1.0);
        return;
    }
    SetItemChecked(row, true);
    UpdateSubtreeVisibility(row);
}

RCPtr<LTreeViewItem> LTreeView::GetTreeItemControl(int32_t slot) const
{
    return RCPtr<LTreeViewItem>(GetItemControl(slot));
}

// --- List box operations ---

int32_t LTreeView::RemoveItem(int32_t index)
{
    if (!InRange(index))
    {
        return E_INVALIDARG;
    }
    // The list box's removal deselects one row and moves the caret and anchor by one: the subtree goes
    // row by row, its last row first (a row without children), and the row itself last.
    int32_t result = 0;
    for (int32_t i = index + GetDescendantCount(index); i >= index; --i)
    {
        SetItemChecked(i, false);
        result = LListBox::RemoveItem(i);
        if (result < 0)
        {
            break;
        }
    }
    return result;
}

bool LTreeView::SortItems()
{
    return false;
}

void LTreeView::BindCheckBox(const RCPtr<LNotificationDistributor>& box)
{
    if (mAutoValue)
    {
        mTreeHandler->AddCallback(&LTreeView::OnItemCheckBoxValueChanged, box, kNidValueChange);
    }
    else
    {
        mTreeHandler->AddCallback(&LTreeView::OnItemCheckBoxClicked, box, kNidLeftClick);
    }
}

ZQRESULT LTreeView::CreateItemControl()
{
    // The list box's own: the checked list box's bindings are not made, the tree binds its own.
    const ZQRESULT result = LListBox::CreateItemControl();
    const RCPtr<LTreeViewItem> item = GetTreeItemControl(static_cast<int32_t>(GetItemControlCount()) - 1);
    const RCPtr<LButton> box = item != nullptr ? item->GetCheckBox() : nullptr;
    if (result < 0 || box == nullptr || mTreeHandler == nullptr)
    {
        return result;
    }
    box->SetPassive(AreCheckBoxesPassive());
    box->SetAutoValueSet(mAutoValue);
    BindCheckBox(RCPtr<LNotificationDistributor>(box));
    return result;
}

void LTreeView::SetCheckBoxAutoValue(bool autoValue)
{
    if (autoValue == mAutoValue)
    {
        return;
    }
    mAutoValue = autoValue;
    for (uint32_t slot = 0; slot < GetItemControlCount(); ++slot)
    {
        const RCPtr<LTreeViewItem> item = GetTreeItemControl(static_cast<int32_t>(slot));
        const RCPtr<LButton> box = item != nullptr ? item->GetCheckBox() : nullptr;
        if (box == nullptr || mTreeHandler == nullptr)
        {
            continue;
        }
        box->SetAutoValueSet(autoValue);
        const RCPtr<LNotificationDistributor> source(box);
        const char16_t* dropped = autoValue ? kNidLeftClick : kNidValueChange;
        UnregisterFromDistributor(source, dropped);
        mTreeHandler->RemoveCallback(source.Get(), dropped);
        BindCheckBox(source);
    }
}

ZQRESULT LTreeView::UpdateItemControl(int32_t index, int32_t& slot)
{
    mUpdatingItem = true;
    const ZQRESULT result = LCheckedListBox::UpdateItemControl(index, slot);
    if (result >= 0 && slot >= 0)
    {
        const RCPtr<LTreeViewItem> item = GetTreeItemControl(slot);
        if (item != nullptr && item->GetCheckBox() != nullptr)
        {
            item->GetCheckBox()->SetEnabled(GetDescendantCount(index) != 0);
            item->SetIndentLevel(GetItemDepth(index));
        }
    }
    mUpdatingItem = false;
    return result;
}

// --- Handlers ---

ZQRESULT LTreeView::HandleCheckBox(const RCPtr<LNotificationDistributor>& source, bool count,
                                   const char16_t* name)
{
    const RCPtr<LControl> box(source);
    if (box == nullptr || mUpdatingItem)
    {
        return 1;
    }
    const int32_t row = GetItemIndexOfControl(box->GetParent().Get());
    if (!InRange(row))
    {
        return 1;
    }
    const RCPtr<LControl> self = KeepControlAlive(this);
    const double value = box->GetValue();
    const RCPtr<LIndexedDataWithValueParam> param = LIndexedDataWithValueParam::Create(nullptr, row, value);
    const bool checked = value >= 0.5;
    if (count)
    {
        // The counting setter; the box shows the value already.
        mUpdatingItem = true;
        SetItemChecked(row, checked);
        mUpdatingItem = false;
    }
    else
    {
        GetTreeRow(row).checked = checked;
    }
    UpdateSubtreeVisibility(row);
    UpdateItemControlsFrom(row);
    UpdateItemWidths();
    SelectRange(row, row, true);
    Notify(LNotification::Create(name, ConstRCPtr<LRefCountedObject>(RCPtr<LRefCountedObject>(param))));
    return 1;
}

ZQRESULT LTreeView::OnItemCheckBoxValueChanged(const RCPtr<LNotificationDistributor>& source,
                                               const RCPtr<LNotification>& /*notification*/)
{
    return HandleCheckBox(source, true, kNidItemCheckChange);
}

ZQRESULT LTreeView::OnItemCheckBoxClicked(const RCPtr<LNotificationDistributor>& source,
                                          const RCPtr<LNotification>& /*notification*/)
{
    return HandleCheckBox(source, false, kNidItemCheckboxClicked);
}

// --- Creation ---

void LTreeView::OnIdle()
{
    ReleaseIdle();
}

ZQRESULT LTreeView::Initialize()
{
    // Made first, so that row controls created while the list initializes are bound as well.
    mTreeHandler = LNotificationHandler<LTreeView>::Create(this);
    return LCheckedListBox::Initialize();
}

ZQRESULT LTreeView::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                        const RCPtr<LNotification>& notification)
{
    if (IsCreated() && mTreeHandler != nullptr)
    {
        const ZQRESULT handled = mTreeHandler->Dispatch(source, notification);
        if (handled != 0)
        {
            return handled;
        }
    }
    return LCheckedListBox::ReceiveNotification(source, notification);
}

ZQRESULT LTreeView::RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                               NotificationID id)
{
    if (mTreeHandler != nullptr)
    {
        mTreeHandler->RemoveCallback(source.Get(), id);
    }
    return LCheckedListBox::RemoveNotificationCallback(source, id);
}
} // namespace ZQ
