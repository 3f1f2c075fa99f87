#include "ZQFramework/Controls/Lists/MultiColumnListBox.h"

#include "ZQFramework/ControlBase/Skin/ControlDescriptor.h"
#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/Controls/Buttons/Button.h"
#include "ZQFramework/Controls/ControlPattern.h"
#include "ZQFramework/Controls/Lists/ListBox.h"
#include "ZQFramework/Controls/Lists/ListBoxItem.h"
#include "ZQFramework/Notification/AutoNotificationDisabler.h"
#include "ZQFramework/Notification/ItemConditionsParam.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationNames.h"
#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/ObjectBase/Result.h"
#include "ZQFramework/Utilities/Storage/WideCRT.h"

#include <algorithm>
#include <string>
#include <vector>

namespace ZQ
{
namespace
{
constexpr int kUnbindLine = 725;
constexpr int kRebindLine = 768;

void SendPlain(LControl& control, const char16_t* name)
{
    control.Notify(LNotification::Create(name, ConstRCPtr<LRefCountedObject>()));
}
} // namespace

LMultiColumnListBox::LMultiColumnListBox(CreateKey key, const RCPtr<LControl>& parent, const WString& name)
    : LPanel(key, parent, name)
{
}

LMultiColumnListBox::~LMultiColumnListBox() = default;

// --- Table ---

uint32_t LMultiColumnListBox::GetRowCount() const
{
    return mColumns.GetCount() == 0 ? 0 : mColumns.GetAt(0)->GetItemCount();
}

RCPtr<LListBox> LMultiColumnListBox::GetColumn(int32_t column) const
{
    if (column < 0 || static_cast<uint32_t>(column) >= mColumns.GetCount())
    {
        return nullptr;
    }
    return mColumns.GetAt(static_cast<uint32_t>(column));
}

bool LMultiColumnListBox::IsNextSortAscending(int32_t column) const
{
    return column >= 0 && static_cast<uint32_t>(column) < mSortAscending.GetCount() &&
           mSortAscending.GetAt(static_cast<uint32_t>(column));
}

WString LMultiColumnListBox::GetCellText(int32_t column, int32_t row) const
{
    const RCPtr<LListBox> list = GetColumn(column);
    if (list == nullptr || row < 0 || static_cast<uint32_t>(row) >= GetRowCount())
    {
        return WString();
    }
    return list->GetItemText(row);
}

int32_t LMultiColumnListBox::FindColumn(const LNotificationDistributor* source) const
{
    for (int32_t i = static_cast<int32_t>(mColumns.GetCount()) - 1; i >= 0; --i)
    {
        const RCPtr<LNotificationDistributor> column(mColumns.GetAt(static_cast<uint32_t>(i)));
        if (column.Get() == source)
        {
            return i;
        }
    }
    return -1;
}

// --- Sorting ---

void LMultiColumnListBox::SetSelectionBindings(bool bind, int line)
{
    for (int32_t c = static_cast<int32_t>(mColumns.GetCount()) - 1; c >= 0; --c)
    {
        const RCPtr<LNotificationDistributor> source(mColumns.GetAt(static_cast<uint32_t>(c)));
        ZQRESULT result = 0;
        if (bind)
        {
            result = mColumnsHandler->AddCallback(&LMultiColumnListBox::OnColumnSelectionChange, source,
                                                  kNidSelectionChange);
        }
        else
        {
            UnregisterFromDistributor(source, kNidSelectionChange);
            result = mColumnsHandler->RemoveCallback(source.Get(), kNidSelectionChange) ? 0 : E_FAIL;
        }
        if (result < 0)
        {
            ThrowFailedResult(result,
                              "ZQ::LMultiColumnListBox::PerformSort : Controls\\MultiColumnListBox : Line " +
                                  std::to_string(line));
        }
    }
}

std::vector<int32_t> LMultiColumnListBox::SortedOrder(const std::vector<SortRow>& records, bool ascending)
{
    struct Key
    {
        const char16_t* text;
        int32_t index;
    };
    std::vector<Key> keys;
    keys.reserve(records.size());
    for (const SortRow& record : records)
    {
        keys.push_back({record.text.GetBuffer(), record.index});
    }
    // The order of rows with equal texts is not defined.
    std::sort(keys.begin(), keys.end(),
              [ascending](const Key& a, const Key& b)
              {
                  const int order = CRT::CompareNoCase(a.text, b.text);
                  return ascending ? order < 0 : order > 0;
              });
    std::vector<int32_t> order;
    order.reserve(keys.size());
    for (const Key& key : keys)
    {
        order.push_back(key.index);
    }
    return order;
}

void LMultiColumnListBox::MoveItems(LListBox& list, const std::vector<int32_t>& order)
{
    // The records take their items directly and the shown rows and the widest width are brought up to
    // date once: item by item, every write could measure the whole column again.
    const auto n = static_cast<int32_t>(order.size());
    const int32_t own = std::min(n, static_cast<int32_t>(list.GetItemCount()));
    std::vector<RCPtr<LTaggableObject>> items(static_cast<size_t>(own));
    for (int32_t r = own - 1; r >= 0; --r)
    {
        items[static_cast<size_t>(r)] = std::move(list.GetItemRecord(r).data);
    }
    for (int32_t r = own - 1; r >= 0; --r)
    {
        // A row of the first column past this column's end brings no item.
        const auto before = static_cast<size_t>(order[static_cast<size_t>(r)]);
        list.GetItemRecord(r).data = before < items.size() ? std::move(items[before]) : nullptr;
    }
    for (uint32_t slot = 0; slot < list.GetItemControlCount(); ++slot)
    {
        const int32_t index =
            list.GetItemIndexOfControl(list.GetItemControl(static_cast<int32_t>(slot)).Get());
        if (index >= 0 && index < own)
        {
            list.RefreshItemText(index);
        }
    }
    list.UpdateMaxItemWidth();
}

void LMultiColumnListBox::PerformSort(int32_t column)
{
    if (column < 0 || static_cast<uint32_t>(column) >= mColumns.GetCount() || mColumnsHandler == nullptr)
    {
        return;
    }
    const auto n = static_cast<int32_t>(GetRowCount());
    std::vector<SortRow> records;
    records.reserve(static_cast<size_t>(n));
    for (int32_t r = 0; r < n; ++r)
    {
        records.push_back(SortRow{r, GetCellText(column, r)});
    }
    const RCPtr<LListBox>& first = mColumns.GetAt(0);
    std::vector<bool> altLooks(static_cast<size_t>(n));
    for (int32_t r = 0; r < n; ++r)
    {
        altLooks[static_cast<size_t>(r)] = first->GetItemAltLook(r);
    }
    std::vector<bool> wasSelected(static_cast<size_t>(n));
    for (const uint32_t r : mColumns.GetAt(static_cast<uint32_t>(column))->GetSelectedIndexes())
    {
        if (r < static_cast<uint32_t>(n))
        {
            wasSelected[r] = true;
        }
    }

    SetSelectionBindings(false, kUnbindLine);
    const auto last = static_cast<int32_t>(mColumns.GetCount()) - 1;
    for (int32_t c = last; c >= 0; --c)
    {
        mColumns.GetAt(static_cast<uint32_t>(c))->DeselectAll();
    }

    const bool ascending = mSortAscending.GetAt(static_cast<uint32_t>(column));
    const std::vector<int32_t> order = SortedOrder(records, ascending);
    records.clear();
    mSortAscending.GetAt(static_cast<uint32_t>(column)) = !ascending;

    for (int32_t c = last; c >= 0; --c)
    {
        MoveItems(*mColumns.GetAt(static_cast<uint32_t>(c)), order);
    }

    for (int32_t r = n - 1; r >= 0; --r)
    {
        const auto before = static_cast<size_t>(order[static_cast<size_t>(r)]);
        for (int32_t c = last; c >= 0; --c)
        {
            mColumns.GetAt(static_cast<uint32_t>(c))->SetItemAltLook(r, altLooks[before]);
        }
        if (!wasSelected[before])
        {
            continue;
        }
        for (int32_t c = last; c >= 0; --c)
        {
            if (mColumns.GetAt(static_cast<uint32_t>(c))->SelectRange(r, r, false) < 0)
            {
                break;
            }
        }
    }
    SetSelectionBindings(true, kRebindLine);
}

// --- Handlers ---

ZQRESULT LMultiColumnListBox::OnColumnItemHoverChange(const RCPtr<LNotificationDistributor>& source,
                                                      const RCPtr<LNotification>& notification)
{
    const int32_t i = FindColumn(source.Get());
    const RCPtr<LItemConditionsParam> param(notification->GetParam());
    if (i < 0 || param == nullptr)
    {
        return 1;
    }
    const uint32_t was = param->mPrevious & kConditionHoverOrHighlight;
    const uint32_t now = param->mCurrent & kConditionHoverOrHighlight;
    const int32_t row = param->mItemIndex;
    for (uint32_t c = 0; c < mColumns.GetCount(); ++c)
    {
        if (static_cast<int32_t>(c) == i)
        {
            continue;
        }
        const RCPtr<LListBox>& other = mColumns.GetAt(c);
        if (now != 0 && was == 0)
        {
            // Only the item under the pointer spreads its highlight; the echoes stop here.
            if (param->mItemFlag != 0)
            {
                other->SetItemHighlight(row, true);
            }
        }
        else if (now == 0 && was != 0)
        {
            other->SetItemHighlight(row, false);
        }
        else
        {
            other->SelectItemControlLook(row, static_cast<int32_t>(param->mItemValue));
        }
    }
    return 1;
}

ZQRESULT LMultiColumnListBox::OnColumnSelectionChange(const RCPtr<LNotificationDistributor>& source,
                                                      const RCPtr<LNotification>& /*notification*/)
{
    const RCPtr<LControl> self = KeepControlAlive(this);
    const int32_t i = FindColumn(source.Get());
    if (i >= 0)
    {
        const RCPtr<LListBox>& from = mColumns.GetAt(static_cast<uint32_t>(i));
        for (int32_t n = static_cast<int32_t>(GetRowCount()) - 1; n >= 0; --n)
        {
            const bool selected = from->IsItemSelected(n);
            for (int32_t e = static_cast<int32_t>(mColumns.GetCount()) - 1; e >= 0; --e)
            {
                const RCPtr<LListBox>& other = mColumns.GetAt(static_cast<uint32_t>(e));
                if (e == i || other->IsItemSelected(n) == selected)
                {
                    continue;
                }
                const CAutoNotificationDisabler<LMultiColumnListBox> suspended(
                    mColumnsHandler, RCPtr<LNotificationDistributor>(other), kNidSelectionChange);
                if (selected)
                {
                    other->SelectRange(n, n, true);
                }
                else
                {
                    other->DeselectItem(n);
                }
            }
        }
    }
    SendPlain(*this, kNidSelectionChange);
    return 1;
}

ZQRESULT LMultiColumnListBox::OnColumnItemActivated(const RCPtr<LNotificationDistributor>& /*source*/,
                                                    const RCPtr<LNotification>& /*notification*/)
{
    SendPlain(*this, kNidItemActivated);
    return 1;
}

ZQRESULT LMultiColumnListBox::OnColumnItemDoubleClicked(const RCPtr<LNotificationDistributor>& /*source*/,
                                                        const RCPtr<LNotification>& /*notification*/)
{
    SendPlain(*this, kNidItemDoubleClicked);
    return 1;
}

ZQRESULT LMultiColumnListBox::OnColumnItemRightClick(const RCPtr<LNotificationDistributor>& /*source*/,
                                                     const RCPtr<LNotification>& /*notification*/)
{
    SendPlain(*this, kNidItemRightClick);
    return 1;
}

ZQRESULT
LMultiColumnListBox::OnFirstColumnScrollOffsetChange(const RCPtr<LNotificationDistributor>& /*source*/,
                                                     const RCPtr<LNotification>& /*notification*/)
{
    if (mColumns.GetCount() > 0)
    {
        SetScrollOffset(mColumns.GetAt(0)->GetScrollOffset());
    }
    return 1;
}

ZQRESULT
LMultiColumnListBox::OnFirstColumnClientExtentChange(const RCPtr<LNotificationDistributor>& /*source*/,
                                                     const RCPtr<LNotification>& /*notification*/)
{
    if (mColumns.GetCount() > 0)
    {
        // A list box scrolls by whole rows: its line unit is its row height.
        mLineUnit[1] = mColumns.GetAt(0)->GetRowHeight();
        UpdateScrollBarRanges();
        UpdateClientExtentFromColumns();
    }
    return 1;
}

ZQRESULT LMultiColumnListBox::OnHeaderClick(const RCPtr<LNotificationDistributor>& source,
                                            const RCPtr<LNotification>& /*notification*/)
{
    // Only the header buttons there are: a skin may give fewer than there are columns.
    for (int32_t i = static_cast<int32_t>(mHeaderButtons.GetCount()) - 1; i >= 0; --i)
    {
        const RCPtr<LNotificationDistributor> button(mHeaderButtons.GetAt(static_cast<uint32_t>(i)));
        if (button.Get() == source.Get())
        {
            PerformSort(i);
            break;
        }
    }
    return 1;
}

// --- Scroll view ---

void LMultiColumnListBox::UpdateClientExtentFromColumns()
{
    if (mColumns.GetCount() == 0)
    {
        return;
    }
    const RectT<double>& lastRect = mColumns.GetAt(mColumns.GetCount() - 1)->GetRect();
    SetClientExtent(lastRect.x + lastRect.width, mColumns.GetAt(0)->GetClientExtent().y);
}

ZQRESULT LMultiColumnListBox::GetClientRect(RectT<double>& rect) const
{
    if (mColumns.GetCount() == 0)
    {
        rect = {};
        return 0;
    }
    const RCPtr<LListBox>& first = mColumns.GetAt(0);
    rect = {first->GetRect().x, first->GetRect().y, GetLookRect(-1).width - GetScrollBarThickness().x,
            first->GetLookRect(-1).height};
    return 0;
}

void LMultiColumnListBox::ScrollBufferedContent(const PointT<double>& oldOffset,
                                                const PointT<double>& newOffset)
{
    if (mColumns.GetCount() > 0 && mColumnsHandler != nullptr &&
        mColumnsHandler->HasCallback(RCPtr<LNotificationDistributor>(mColumns.GetAt(0)).Get(),
                                     kNidScrollOffsetChange))
    {
        const CAutoNotificationDisabler<LMultiColumnListBox> suspended(
            mColumnsHandler, RCPtr<LNotificationDistributor>(mColumns.GetAt(0)), kNidScrollOffsetChange);
        for (uint32_t c = 0; c < mColumns.GetCount(); ++c)
        {
            const RCPtr<LListBox>& column = mColumns.GetAt(c);
            column->SetScrollOffset({column->GetScrollOffset().x, newOffset.y});
        }
    }
    LPanel::ScrollBufferedContent(oldOffset, newOffset);
}

void LMultiColumnListBox::InvalidateBufferedChild(const RCPtr<LControl>& child)
{
    if (child != nullptr && child->GetName() == WString::Format(u"listboxNoScroll%d", mColumns.GetCount()))
    {
        UpdateClientExtentFromColumns();
    }
}

// --- Creation ---

void LMultiColumnListBox::DockOnY(LControl& control)
{
    const RCPtr<LLayoutDescriptor>& layout = control.GetLayout();
    if (layout == nullptr)
    {
        return;
    }
    LLayoutDescriptor::AxisPosition position = layout->mYPosition;
    const LLayoutDescriptor::AxisSize size = layout->mYSize;
    position.Docked = true;
    control.SetAxisPlacement(1, position, size);
}

void LMultiColumnListBox::BindColumn(const RCPtr<LListBox>& column, bool first)
{
    const RCPtr<LNotificationDistributor> source(column);
    mColumnsHandler->AddCallback(&LMultiColumnListBox::OnColumnItemHoverChange, source,
                                 kNidItemHoverConditionChange);
    mColumnsHandler->AddCallback(&LMultiColumnListBox::OnColumnSelectionChange, source, kNidSelectionChange);
    mColumnsHandler->AddCallback(&LMultiColumnListBox::OnColumnItemActivated, source, kNidItemActivated);
    mColumnsHandler->AddCallback(&LMultiColumnListBox::OnColumnItemDoubleClicked, source,
                                 kNidItemDoubleClicked);
    mColumnsHandler->AddCallback(&LMultiColumnListBox::OnColumnItemRightClick, source, kNidItemRightClick);
    if (first)
    {
        mColumnsHandler->AddCallback(&LMultiColumnListBox::OnFirstColumnScrollOffsetChange, source,
                                     kNidScrollOffsetChange);
        mColumnsHandler->AddCallback(&LMultiColumnListBox::OnFirstColumnClientExtentChange, source,
                                     kNidClientExtentChange);
    }
}

ZQRESULT LMultiColumnListBox::Initialize()
{
    LPanel::Initialize();
    mColumnsHandler = LNotificationHandler<LMultiColumnListBox>::Create(this);
    for (int32_t n = 1;; ++n)
    {
        const RCPtr<LListBox> column =
            FindTypedChild<LListBox>(*this, WString::Format(u"listboxNoScroll%d", n));
        if (column == nullptr)
        {
            break;
        }
        mColumns.InsertAt(mColumns.GetCount(), column);
        BindColumn(column, n == 1);
        DockOnY(*column);
    }
    for (int32_t n = 1;; ++n)
    {
        const RCPtr<LButton> button =
            FindTypedChild<LButton>(*this, WString::Format(u"buttonColumnHeader%d", n));
        if (button == nullptr)
        {
            break;
        }
        mHeaderButtons.InsertAt(mHeaderButtons.GetCount(), button);
        mColumnsHandler->AddCallback(&LMultiColumnListBox::OnHeaderClick,
                                     RCPtr<LNotificationDistributor>(button), kNidLeftClick);
        DockOnY(*button);
    }
    mSortAscending.SetCount(mColumns.GetCount());
    for (uint32_t c = 0; c < mSortAscending.GetCount(); ++c)
    {
        mSortAscending.GetAt(c) = true;
    }
    SetAutoClientExtent(0, 0, 0);
    mLineMode[1] = 1;
    return 0;
}

void LMultiColumnListBox::ApplyColumnSizeDefaults()
{
    for (int32_t c = static_cast<int32_t>(mColumns.GetCount()) - 1; c >= 0; --c)
    {
        const RCPtr<LListBox>& column = mColumns.GetAt(static_cast<uint32_t>(c));
        const RCPtr<LControlDescriptor>& descriptor = column->GetDescriptor();
        const RCPtr<LLayoutDescriptor>& own = column->GetLayout();
        if (descriptor == nullptr || descriptor->mLayout == nullptr || own == nullptr)
        {
            continue;
        }
        const LLayoutDescriptor& skin = *descriptor->mLayout;
        if (skin.mXMaximum.Abs == 0)
        {
            LLayoutDescriptor::AxisLimit maximum = own->mXMaximum;
            maximum.Rel = 0;
            maximum.Abs = 0;
            column->SetAxisLimits(0, own->mXMinimum, maximum);
        }
        if (skin.mYMinimum.Abs == 0 || skin.mYMaximum.Abs == 0)
        {
            LLayoutDescriptor::AxisLimit minimum = own->mYMinimum;
            LLayoutDescriptor::AxisLimit maximum = own->mYMaximum;
            if (skin.mYMinimum.Abs == 0)
            {
                minimum.Rel = 0;
                minimum.Abs = column->GetRowHeight();
            }
            if (skin.mYMaximum.Abs == 0)
            {
                maximum.Rel = 0;
                maximum.Abs = 0;
            }
            column->SetAxisLimits(1, minimum, maximum);
        }
    }
}

ZQRESULT LMultiColumnListBox::OnCreated()
{
    for (uint32_t c = 1; c < mColumns.GetCount(); ++c)
    {
        mColumns.GetAt(c)->SetNotFocusable(true);
    }
    if (mColumns.GetCount() > 0)
    {
        mLineUnit[1] = mColumns.GetAt(0)->GetRowHeight();
    }
    UpdateScrollBarRanges();
    ApplyColumnSizeDefaults();
    UpdateClientExtentFromColumns();
    return 0;
}

ZQRESULT LMultiColumnListBox::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                                  const RCPtr<LNotification>& notification)
{
    if (IsCreated() && mColumnsHandler != nullptr)
    {
        const ZQRESULT handled = mColumnsHandler->Dispatch(source, notification);
        if (handled != 0)
        {
            return handled;
        }
    }
    return LPanel::ReceiveNotification(source, notification);
}

ZQRESULT LMultiColumnListBox::RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                                         NotificationID id)
{
    if (mColumnsHandler != nullptr)
    {
        mColumnsHandler->RemoveCallback(source.Get(), id);
    }
    return LPanel::RemoveNotificationCallback(source, id);
}
} // namespace ZQ
