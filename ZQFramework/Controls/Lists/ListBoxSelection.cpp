// The list box's selection, its keyboard and pointer input, the drop-down mode and the notifications the
// list box sends.
#include "ZQFramework/ControlBase/Control/Look.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/ControlBase/Windows/WindowOSServices.h"
#include "ZQFramework/Controls/ControlPattern.h"
#include "ZQFramework/Controls/Lists/ListBox.h"
#include "ZQFramework/Controls/Lists/ListBoxItem.h"
#include "ZQFramework/Controls/Sliders/ScrollBar.h"
#include "ZQFramework/Notification/ConditionsParam.h"
#include "ZQFramework/Notification/ItemConditionsParam.h"
#include "ZQFramework/Notification/KeyCode.h"
#include "ZQFramework/Notification/KeyParam.h"
#include "ZQFramework/Notification/MouseButtonParam.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationNames.h"
#include "ZQFramework/ObjectBase/Holder.h"

#include <algorithm>
#include <cmath>

namespace ZQ
{
namespace
{
constexpr uint32_t kKeyUp = Pressed(VKey::Up), kKeyShiftUp = Pressed(VKey::Up, KeyCode::kShift);
constexpr uint32_t kKeyDown = Pressed(VKey::Down), kKeyShiftDown = Pressed(VKey::Down, KeyCode::kShift);
constexpr uint32_t kKeyLeft = Pressed(VKey::Left), kKeyRight = Pressed(VKey::Right);
constexpr uint32_t kKeyPageUp = Pressed(VKey::PageUp), kKeyPageDown = Pressed(VKey::PageDown);
constexpr uint32_t kKeyHome = Pressed(VKey::Home), kKeyEnd = Pressed(VKey::End);
constexpr uint32_t kKeyEnter = Pressed(VKey::Return);

void SendNotification(LControl& control, const char16_t* name,
                      const RCPtr<LRefCountedObject>& param = nullptr)
{
    control.Notify(LNotification::Create(name, ConstRCPtr<LRefCountedObject>(param)));
}

void PassKey(const RCPtr<LScrollbar>& bar, const RCPtr<LKeyParam>& param)
{
    if (bar != nullptr)
    {
        bar->OnKeyPress(param);
    }
}
} // namespace

// --- Selection ---

bool LListBox::IsItemSelected(int32_t index)
{
    return GetItemOrEmpty(index).selection >= 0.5;
}

double LListBox::GetItemSelectionValue(int32_t index)
{
    return GetItemOrEmpty(index).selection;
}

ZQRESULT LListBox::SetItemSelectionValue(int32_t index, double value)
{
    if (index < 0 || static_cast<uint32_t>(index) >= GetItemCount())
    {
        return 0;
    }
    ItemRecord& record = GetItemRecord(index);
    const bool was = record.selection >= 0.5;
    const bool now = value >= 0.5;
    if (was != now)
    {
        mSelectedCount += now ? 1 : -1;
    }
    record.selection = value;
    int32_t slot = -1;
    UpdateItemControl(index, slot);
    return 0;
}

int32_t LListBox::SelectRange(int32_t first, int32_t last, bool replace)
{
    const auto count = static_cast<int32_t>(GetItemCount());
    if (first < 0 || first >= count)
    {
        return E_INVALIDARG;
    }
    if (last < 0)
    {
        last = first;
    }
    // A range past the end ends at the last item: the caret must name an item.
    last = std::min(last, count - 1);
    if (first == last && IsItemSelected(first) && (!replace || mSelectedCount == 1))
    {
        EnsureVisible(first);
        return first;
    }
    mAnchorIndex = first;
    mCaretIndex = last;
    bool changed = false;
    const int32_t low = std::min(first, last);
    const int32_t high = std::max(first, last);
    if (replace)
    {
        for (int32_t i = count - 1; i >= 0; --i)
        {
            const bool inside = i >= low && i <= high;
            if (inside != IsItemSelected(i))
            {
                SetItemSelectionValue(i, inside ? 1.0 : 0.0);
                changed = true;
            }
        }
    }
    else
    {
        const int32_t step = last >= first ? 1 : -1;
        for (mCaretIndex = first;; mCaretIndex += step)
        {
            if (!IsItemSelected(mCaretIndex))
            {
                SetItemSelectionValue(mCaretIndex, 1.0);
                changed = true;
            }
            if (mCaretIndex == last)
            {
                break;
            }
        }
    }
    EnsureVisible(mCaretIndex);
    if (changed)
    {
        NotifySelectionChanged();
    }
    return first;
}

ZQRESULT LListBox::DeselectItem(int32_t index)
{
    const auto count = static_cast<int32_t>(GetItemCount());
    if (index < 0 || index >= count || !IsItemSelected(index))
    {
        return 1;
    }
    SetItemSelectionValue(index, 0);
    if (mSelectedCount == 0)
    {
        mAnchorIndex = -1;
        mCaretIndex = -1;
    }
    else if (index == mCaretIndex)
    {
        const int32_t oldCaret = mCaretIndex;
        const auto moveTo = [&](int32_t target)
        {
            mCaretIndex = target;
            if (mAnchorIndex == oldCaret)
            {
                mAnchorIndex = target;
            }
        };
        if (index + 1 < count && IsItemSelected(index + 1))
        {
            moveTo(index + 1);
        }
        else if (index >= 1 && IsItemSelected(index - 1))
        {
            moveTo(index - 1);
        }
        else if (mAnchorIndex < count && mAnchorIndex != index)
        {
            mCaretIndex = mAnchorIndex;
        }
        else
        {
            const std::vector<uint32_t>& selected = GetSelectedIndexes();
            if (selected.empty())
            {
                mAnchorIndex = -1;
                mCaretIndex = -1;
                mSelectedCount = 0;
            }
            else
            {
                mCaretIndex = static_cast<int32_t>(selected.back());
                mAnchorIndex = mCaretIndex;
            }
        }
    }
    else if (index == mAnchorIndex)
    {
        if (index + 1 < count && IsItemSelected(index + 1))
        {
            mAnchorIndex = index + 1;
        }
        else if (index >= 1 && IsItemSelected(index - 1))
        {
            mAnchorIndex = index - 1;
        }
        else
        {
            mAnchorIndex = -1;
        }
    }
    NotifySelectionChanged();
    return 0;
}

void LListBox::DeselectAll()
{
    bool changed = false;
    for (auto i = static_cast<int32_t>(GetItemCount()) - 1; i >= 0; --i)
    {
        if (IsItemSelected(i))
        {
            SetItemSelectionValue(i, 0);
            changed = true;
        }
    }
    mAnchorIndex = -1;
    mCaretIndex = -1;
    if (changed)
    {
        OnSelectionChanged();
        if (!mDropDownMode)
        {
            SendNotification(*this, kNidSelectionChange);
        }
    }
}

const std::vector<uint32_t>& LListBox::GetSelectedIndexes()
{
    mSelectedIndexes.clear();
    const uint32_t count = GetItemCount();
    for (uint32_t i = 0; i < count; ++i)
    {
        if (GetItemRecord(static_cast<int32_t>(i)).selection >= 0.5)
        {
            mSelectedIndexes.push_back(i);
        }
    }
    return mSelectedIndexes;
}

void LListBox::NotifySelectionChanged()
{
    OnSelectionChanged();
    if (!mDropDownMode)
    {
        SendNotification(*this, kNidSelectionChange);
    }
}

void LListBox::ActivateItem(int32_t index)
{
    if (index < 0 || static_cast<uint32_t>(index) >= GetItemCount() || !IsItemSelectable(index))
    {
        return;
    }
    const RCPtr<LControl> self = KeepControlAlive(this);
    OnItemActivated();
    if (mDropDownMode)
    {
        SetVisible(false);
    }
    if (GetParent() != nullptr)
    {
        SendNotification(*this, kNidItemActivated);
    }
}

// --- Rows ---

ZQRESULT LListBox::SetItemHighlight(int32_t index, bool highlight)
{
    const RCPtr<LListBoxItem> control = GetItemControl(GetItemControlSlot(index));
    if (control == nullptr)
    {
        return 1;
    }
    control->SetHighlight(highlight);
    return 0;
}

ZQRESULT LListBox::SelectItemControlLook(int32_t index, int32_t look)
{
    const RCPtr<LListBoxItem> control = GetItemControl(GetItemControlSlot(index));
    if (control == nullptr || look < 0)
    {
        return 1;
    }
    // A look the row does not have selects nothing.
    const ZQRESULT result = control->SelectLook(look);
    return result < 0 ? 1 : result;
}

RectT<double> LListBox::GetItemRect(int32_t index)
{
    const RCPtr<LListBoxItem> control = GetItemControl(GetItemControlSlot(index));
    if (control == nullptr || index < 0 || static_cast<uint32_t>(index) >= GetItemCount())
    {
        return {0, 0, 0, 0};
    }
    return control->GetRect();
}

int32_t LListBox::HitTestItem(const PointT<int32_t>& point)
{
    const PointT<int32_t> offset{static_cast<int32_t>(std::round(mScrollOffset.x)),
                                 static_cast<int32_t>(std::round(mScrollOffset.y))};
    const RectT<double> client = GetLookRect(-1);
    const int32_t x = point.x - offset.x;
    const int32_t y = point.y - offset.y;
    if (x < 0 || y < 0 || x >= client.width || y >= client.height)
    {
        return -1;
    }
    for (auto slot = static_cast<int32_t>(mItemControls.size()) - 1; slot >= 0; --slot)
    {
        const RCPtr<LListBoxItem> control = GetItemControl(slot);
        if (control == nullptr)
        {
            continue;
        }
        const RectT<double>& r = control->GetRect();
        if (r.x <= point.x && point.x < r.x + r.width && r.y <= point.y && point.y < r.y + r.height)
        {
            const int32_t index = GetItemIndexOfControl(control.Get());
            return index >= 0 && static_cast<uint32_t>(index) < GetItemCount() ? index : -1;
        }
    }
    return -1;
}

ZQRESULT LListBox::SetDropDownMode(bool dropDown)
{
    for (size_t slot = 0; slot < mItemControls.size(); ++slot)
    {
        if (const RCPtr<LListBoxItem> control = GetItemControl(static_cast<int32_t>(slot)))
        {
            control->SetForwardCapture(dropDown);
        }
    }
    mDropDownMode = dropDown;
    return 0;
}

// --- Handlers of the rows' notifications ---

ZQRESULT LListBox::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                       const RCPtr<LNotification>& notification)
{
    if (IsCreated() && mListHandler != nullptr)
    {
        const ZQRESULT handled = mListHandler->Dispatch(source, notification);
        if (handled != 0)
        {
            return handled;
        }
    }
    return LScrollView::ReceiveNotification(source, notification);
}

ZQRESULT LListBox::RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                              NotificationID id)
{
    if (mListHandler != nullptr)
    {
        mListHandler->RemoveCallback(source.Get(), id);
    }
    return LScrollView::RemoveNotificationCallback(source, id);
}

PointT<int32_t> LListBox::OriginInParentClient() const
{
    const PointT<double> origin = GetOriginInParentClient();
    return {static_cast<int32_t>(std::round(origin.x)), static_cast<int32_t>(std::round(origin.y))};
}

ZQRESULT LListBox::OnItemMouseDown(const RCPtr<LNotificationDistributor>& source,
                                   const RCPtr<LNotification>& notification)
{
    const RCPtr<LListBoxItem> item(source);
    const RCPtr<LMouseButtonParam> param(notification->GetParam());
    if (item == nullptr || param == nullptr || mDropDownMode)
    {
        return 0;
    }
    const RCPtr<LControl> self = KeepControlAlive(this);
    // The point in the list box's coordinates: the row's origin in the client area is added.
    const PointT<double> itemOrigin = item->GetOriginInParentClient();
    const PointT<int32_t> origin{static_cast<int32_t>(std::round(itemOrigin.x)),
                                 static_cast<int32_t>(std::round(itemOrigin.y))};
    const RCPtr<LMouseButtonParam> moved = LMouseButtonParam::Create(
        param->mButton, param->mX + origin.x, param->mY + origin.y, param->mModifiers, param->mDoubleClick,
        param->mHeldButtons, param->mPointerIndex);
    if (param->Is(MouseButton::Left))
    {
        HandleItemClick(item, moved);
    }
    else if (param->Is(MouseButton::Right))
    {
        HandleItemRightClick(item, moved);
    }
    return 0;
}

ZQRESULT LListBox::OnItemMouseUp(const RCPtr<LNotificationDistributor>& /*source*/,
                                 const RCPtr<LNotification>& /*notification*/)
{
    return 0;
}

void LListBox::HandleItemClick(const RCPtr<LListBoxItem>& item, const RCPtr<LMouseButtonParam>& param)
{
    const int32_t index = GetItemIndexOfControl(item.Get());
    if (index < 0 || param == nullptr)
    {
        return;
    }
    SelectRange(index, index, true);
    MovePressToRow(item, index, {param->mX, param->mY}, static_cast<int32_t>(MouseButton::Left));
    if (param->mDoubleClick != 0)
    {
        SendNotification(*this, kNidItemDoubleClicked);
    }
}

void LListBox::HandleItemRightClick(const RCPtr<LListBoxItem>& item, const RCPtr<LMouseButtonParam>& param)
{
    const int32_t index = GetItemIndexOfControl(item.Get());
    if (index < 0)
    {
        return;
    }
    if (param != nullptr && param->mDoubleClick == 0)
    {
        SendNotification(*this, kNidItemRightClick, RCPtr<LRefCountedObject>(LHolder<int>::Create(index)));
    }
    if (param != nullptr)
    {
        MovePressToRow(item, index, {param->mX, param->mY}, static_cast<int32_t>(MouseButton::Right));
    }
}

void LListBox::MovePressToRow(const RCPtr<LListBoxItem>& pressed, int32_t index, const PointT<int32_t>& point,
                              int32_t button)
{
    const RCPtr<LListBoxItem> row = GetItemControl(GetItemControlSlot(index));
    if (row == nullptr || row == pressed)
    {
        return;
    }
    const PointT<double> inPressed =
        pressed->ConvertPointFromControl({static_cast<double>(point.x), static_cast<double>(point.y)}, *this);
    const PointT<int32_t> p{static_cast<int32_t>(std::round(inPressed.x)),
                            static_cast<int32_t>(std::round(inPressed.y))};
    // The pressed row would take the capture once this notification returns (unless it holds one already,
    // for another button): it is the new row's now.
    if ((pressed->GetConditions() & kConditionCapture) == 0)
    {
        pressed->SkipNextCapture();
    }
    row->BeginMouseCapture(button, p.x, p.y);
    const RCPtr<LRootWindow> window = GetRootWindow();
    if (window == nullptr)
    {
        return;
    }
    const PointT<double> inRoot =
        GetRootControl()->ConvertPointFromControl({static_cast<double>(p.x), static_cast<double>(p.y)}, *row);
    PointT<int32_t> screen{};
    if (IWindowOSServices* services = window->GetServices(); services != nullptr)
    {
        services->ClientToScreen(
            screen, {static_cast<int32_t>(std::round(inRoot.x)), static_cast<int32_t>(std::round(inRoot.y))});
        if (const CursorPositioner positioner = InstalledCursorPositioner(); positioner != nullptr)
        {
            positioner(screen.x, screen.y);
        }
    }
    window->OnControlFocused(RCPtr<LControl>(row));
}

void LListBox::SendItemConditions(const RCPtr<LListBoxItem>& item, const RCPtr<LNotification>& notification,
                                  const char16_t* name)
{
    const RCPtr<LConditionsParam> conditions(notification->GetParam());
    if (conditions == nullptr)
    {
        return;
    }
    const RCPtr<LItemConditionsParam> param = LItemConditionsParam::Create(
        GetItemIndexOfControl(item.Get()), static_cast<uint32_t>(item->GetFirstVisibleLookIndex()),
        item->GetConditions() & kConditionHover ? 1u : 0u, conditions->mPrevious, conditions->mCurrent,
        conditions->mPressX, conditions->mPressY);
    SendNotification(*this, name, RCPtr<LRefCountedObject>(param));
}

ZQRESULT LListBox::OnItemHoverChanged(const RCPtr<LNotificationDistributor>& source,
                                      const RCPtr<LNotification>& notification)
{
    const RCPtr<LListBoxItem> item(source);
    const RCPtr<LConditionsParam> conditions(notification->GetParam());
    if (item == nullptr || conditions == nullptr || !item->IsEnabled(true))
    {
        return 0;
    }
    const RCPtr<LControl> self = KeepControlAlive(this);
    if (mDropDownMode && (conditions->mCurrent & kConditionHoverOrHighlight) != 0 &&
        (conditions->mPrevious & kConditionHoverOrHighlight) == 0)
    {
        if (const int32_t index = GetItemIndexOfControl(item.Get()); index >= 0)
        {
            SelectRange(index, -1, true);
        }
    }
    SendItemConditions(item, notification, kNidItemHoverConditionChange);
    return 0;
}

ZQRESULT LListBox::OnItemLeftDragChanged(const RCPtr<LNotificationDistributor>& source,
                                         const RCPtr<LNotification>& notification)
{
    const RCPtr<LListBoxItem> item(source);
    if (item == nullptr || !item->IsEnabled(true))
    {
        return 0;
    }
    SendItemConditions(item, notification, kNidItemLeftDragConditionChange);
    return 0;
}

// --- Own input ---

void LListBox::OnMouseMoved(const RCPtr<LPointWithModifiersParam>& param)
{
    LScrollView::OnMouseMoved(param);
    if (!mDropDownMode || param == nullptr || !HasCapture() || !IsDragging(MouseButton::Left))
    {
        return;
    }
    const int32_t index = HitTestItem({param->mX, param->mY});
    if (index < 0)
    {
        DeselectAll();
    }
    else if (IsItemSelectable(index))
    {
        SelectRange(index, -1, true);
    }
}

void LListBox::OnLeftButtonUp(const RCPtr<LMouseButtonParam>& param)
{
    LScrollView::OnLeftButtonUp(param);
    if (!mDropDownMode || param == nullptr)
    {
        return;
    }
    const RCPtr<LControl> self = KeepControlAlive(this);
    const int32_t index = HitTestItem({param->mX, param->mY});
    const RCPtr<LControl> parent = GetParent();
    if (index >= 0 && parent != nullptr)
    {
        ActivateItem(index);
        return;
    }
    if (parent == nullptr)
    {
        return;
    }
    const auto& tests = DropDownOwnerTestList();
    const bool owned =
        std::any_of(tests.begin(), tests.end(), [&](DropDownOwnerTest test) { return test(*parent); });
    if (!owned)
    {
        return;
    }
    const PointT<int32_t> origin = OriginInParentClient();
    const int32_t x = param->mX + origin.x;
    const int32_t y = param->mY + origin.y;
    const RectT<double>& area = parent->GetRect();
    if (x < 0 || y < 0 || x >= area.width || y >= area.height)
    {
        SetVisible(false);
    }
}

ZQRESULT LListBox::HandleKeyPress(const RCPtr<LKeyParam>& param)
{
    if (param == nullptr)
    {
        return 1;
    }
    const auto count = static_cast<int32_t>(GetItemCount());
    switch (param->mKeyCode.GetCode())
    {
    case kKeyUp:
    case kKeyShiftUp:
        for (int32_t i = mCaretIndex - 1; i >= 0 && i < count; --i)
        {
            if (IsItemSelectable(i))
            {
                SelectRange(i, -1, true);
                break;
            }
        }
        return 0;
    case kKeyDown:
    case kKeyShiftDown:
        for (int32_t i = mCaretIndex + 1; i < count; ++i)
        {
            if (IsItemSelectable(i))
            {
                SelectRange(i, -1, true);
                break;
            }
        }
        return 0;
    case kKeyLeft:
    case kKeyRight:
        PassKey(GetHorizontalBar(), param);
        return 0;
    case kKeyPageUp:
    case kKeyPageDown:
        PassKey(GetVerticalBar(), param);
        return 0;
    case kKeyHome:
    case kKeyEnd:
        PassKey(GetHorizontalBar(), param);
        PassKey(GetVerticalBar(), param);
        return 0;
    case kKeyEnter:
        if (mCaretIndex >= 0)
        {
            ActivateItem(mCaretIndex);
        }
        return 0;
    default:
        return 1;
    }
}

void LListBox::SelectOwnLook()
{
    int32_t look = !IsEnabled(true) ? 1 : (IsFocused() ? 2 : 0);
    if (GetLook(look) == nullptr || look >= static_cast<int32_t>(mLooks.GetCount()))
    {
        look = 0;
    }
    SelectLook(look);
}

void LListBox::OnConditionsChanged(const RCPtr<LConditionsParam>& conditions)
{
    LScrollView::OnConditionsChanged(conditions);
    if (conditions != nullptr &&
        ((conditions->mPrevious ^ conditions->mCurrent) & (kConditionEnabled | kConditionFocused)) != 0)
    {
        SelectOwnLook();
    }
}
} // namespace ZQ
