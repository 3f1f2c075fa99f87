#include "ZQFramework/Controls/Menus/PopupMenu.h"

#include "ZQFramework/ControlBase/Control/Look.h"
#include "ZQFramework/ControlBase/Services/GlobalHotKeyManager.h"
#include "ZQFramework/ControlBase/Skin/ControlDescriptor.h"
#include "ZQFramework/ControlBase/Skin/ControlFactory.h"
#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/ControlBase/Skin/StringTable.h"
#include "ZQFramework/ControlBase/Windows/ControlApplication.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Controls/Buttons/Button.h"
#include "ZQFramework/Controls/ControlPattern.h"
#include "ZQFramework/Controls/Lists/CheckedListBoxItem.h"
#include "ZQFramework/Controls/Menus/DropDownControl.h"
#include "ZQFramework/Controls/Menus/MainMenu.h"
#include "ZQFramework/Controls/Sliders/ScrollBar.h"
#include "ZQFramework/Notification/ConditionsParam.h"
#include "ZQFramework/Notification/KeyCode.h"
#include "ZQFramework/Notification/KeyParam.h"
#include "ZQFramework/Notification/MenuActivationParam.h"
#include "ZQFramework/Notification/MouseButtonParam.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationNames.h"
#include "ZQFramework/Notification/PointWithModifiersParam.h"
#include "ZQFramework/Renderer/Font.h"
#include "ZQFramework/Renderer/MeasurementRenderer.h"

#include <cmath>

namespace ZQ
{
namespace
{
constexpr uint32_t kKeyLeft = Pressed(VKey::Left), kKeyRight = Pressed(VKey::Right),
                   kKeyEscape = Pressed(VKey::Escape);
constexpr uint32_t kCheckedLook = 7, kCheckedHoverLook = 8;

void SendPlain(LControl& control, const char16_t* name)
{
    control.Notify(LNotification::Create(name));
}

// The first table that binds command: its display text; empty when none does.
WString KeyTextFrom(const KeyBindingTable* table, const WString& command)
{
    if (table == nullptr || !table->HasBinding(command))
    {
        return {};
    }
    return table->GetFirstKeyForAction(command).ToDisplayString();
}

const KeyBindingTable* TableOf(const RCPtr<LGlobalHotKeyManager>& hotKeys)
{
    return hotKeys != nullptr ? &hotKeys->GetKeyBindings() : nullptr;
}

RCPtr<LGlobalHotKeyManager> ApplicationHotKeys()
{
    const IControlApplication* application = IControlApplication::GetCurrent();
    return application != nullptr ? application->GetHotKeyManager() : RCPtr<LGlobalHotKeyManager>();
}

uint32_t Now()
{
    return IControlApplication::CurrentMilliseconds();
}
} // namespace

LPopupMenu::LPopupMenu(CreateKey key, const RCPtr<LControl>& parent, const WString& name)
    : LCheckedListBox(key, parent, name)
{
}

LPopupMenu::~LPopupMenu() = default;

LPopupMenu::StatusTextSink& LPopupMenu::InstalledStatusTextSink()
{
    static StatusTextSink sink = nullptr;
    return sink;
}

LPopupMenu::StatusTextSink LPopupMenu::SetStatusTextSink(StatusTextSink sink)
{
    const StatusTextSink previous = InstalledStatusTextSink();
    InstalledStatusTextSink() = sink;
    return previous;
}

// --- Notifications ---

ZQRESULT LPopupMenu::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                         const RCPtr<LNotification>& notification)
{
    if (IsCreated() && mPopupHandler != nullptr)
    {
        const ZQRESULT handled = mPopupHandler->Dispatch(source, notification);
        if (handled != 0)
        {
            return handled;
        }
    }
    return LCheckedListBox::ReceiveNotification(source, notification);
}

ZQRESULT LPopupMenu::RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                                NotificationID id)
{
    if (mPopupHandler != nullptr)
    {
        mPopupHandler->RemoveCallback(source.Get(), id);
    }
    return LCheckedListBox::RemoveNotificationCallback(source, id);
}

// --- Creation ---

ZQRESULT LPopupMenu::Initialize()
{
    if (LCheckedListBox::Initialize() < 0)
    {
        return E_FAIL;
    }
    mPopupHandler = LNotificationHandler<LPopupMenu>::Create(this);
    ApplyDefaultSizeLimits();
    SetNotFocusable(true);
    SetDropDownMode(true);
    SetCheckBoxesPassive(true);
    // A popup written in a skin may carry its menu as create parameters, numbered without prefix.
    const RCPtr<LControlDescriptor>& descriptor = GetDescriptor();
    if (descriptor == nullptr || descriptor->mCreateParams == nullptr)
    {
        return 1;
    }
    LStringTable::PairArray pairs;
    descriptor->mCreateParams->GetPairsWithPrefix(u"", pairs);
    return SetMenuDescriptor(LMenuDescriptor::CreateFromKeyValuePairs(pairs));
}

ZQRESULT LPopupMenu::OnCreated()
{
    SetClipToParent(false);
    SetVisible(false);
    ApplyDefaultSizeLimits();
    return 0;
}

void LPopupMenu::ApplyDefaultSizeLimits()
{
    const RCPtr<LControlDescriptor>& descriptor = GetDescriptor();
    if (mLayout != nullptr && descriptor != nullptr && descriptor->mLayout != nullptr)
    {
        for (int32_t axis = 0; axis < 2; ++axis)
        {
            LLayoutDescriptor::AxisLimit skinMin, skinMax, minimum, maximum;
            descriptor->mLayout->GetAxisLimits(axis, skinMin, skinMax);
            if (skinMin.Abs != 0 && skinMax.Abs != 0)
            {
                continue;
            }
            mLayout->GetAxisLimits(axis, minimum, maximum);
            if (skinMin.Abs == 0)
            {
                if (axis == 0)
                {
                    minimum.Abs = std::trunc(GetRect().width);
                }
                else
                {
                    minimum.Rel = 0;
                    minimum.Abs = GetRowHeight();
                }
            }
            SetAxisLimits(axis, minimum, maximum);
        }
    }
    mPadding = -1;
}

ZQRESULT LPopupMenu::ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor)
{
    const ZQRESULT result = LCheckedListBox::ApplyDescriptor(descriptor);
    if (result >= 0 && mMenuDescriptor != nullptr)
    {
        DeselectAll();
        RebuildItems();
    }
    return result;
}

// --- Menu ---

ZQRESULT LPopupMenu::SetMenuDescriptor(const RCPtr<LMenuDescriptor>& menu)
{
    if (menu == nullptr)
    {
        return E_INVALIDARG;
    }
    CloseSubmenu();
    mMenuDescriptor = menu->Clone();
    FillHotKeyTexts(mMenuDescriptor);
    return RebuildItems();
}

ZQRESULT LPopupMenu::SetContextMenuTree(const RCPtr<LRefCountedObject>& menu)
{
    const RCPtr<LMenuDescriptor> tree(menu);
    return tree == nullptr ? E_INVALIDARG : SetMenuDescriptor(tree);
}

void LPopupMenu::LetOwnerPrepare(LControl& owner)
{
    const RCPtr<LControl> control(&owner);
    if (mOwner == nullptr)
    {
        SetOwner(control);
    }
    owner.PrepareContextMenu(RCPtr<LPopupMenu>(this));
}

ZQRESULT LPopupMenu::SetOwner(const RCPtr<LControl>& owner)
{
    return SetOwner(RCPtr<LNotificationReceiver>(owner));
}

ZQRESULT LPopupMenu::SetOwner(const RCPtr<LNotificationReceiver>& owner)
{
    if (owner == nullptr)
    {
        return E_INVALIDARG;
    }
    if (mOwner != nullptr)
    {
        return E_FAIL;
    }
    mOwner = owner;
    if (mMenuDescriptor != nullptr)
    {
        FillHotKeyTexts(mMenuDescriptor);
        RebuildItems();
    }
    return 0;
}

RCPtr<LNotificationReceiver> LPopupMenu::GetOwner() const
{
    if (mOwner != nullptr)
    {
        return mOwner;
    }
    const LControl* top = this;
    while (top->GetParent() != nullptr)
    {
        top = top->GetParent().Get();
    }
    return RCPtr<LNotificationReceiver>(RCPtr<LControl>(const_cast<LControl*>(top)));
}

RCPtr<LMenuItemUpdater> LPopupMenu::GetMenuItemUpdaterOfOwner()
{
    if (mItemUpdater == nullptr)
    {
        const RCPtr<LControl> control(GetOwner());
        if (control != nullptr)
        {
            mItemUpdater = control->GetMenuItemUpdater();
        }
    }
    return mItemUpdater;
}

ZQRESULT LPopupMenu::FillHotKeyTexts(const RCPtr<LMenuDescriptor>& node)
{
    const RCPtr<LNotificationReceiver> owner = GetOwner();
    const RCPtr<LRootWindow> window = GetRootWindow();
    if (node == nullptr || owner == nullptr || (mOwner != nullptr && window == nullptr))
    {
        return E_FAIL;
    }
    const KeyBindingTable* tables[2] = {nullptr, TableOf(ApplicationHotKeys())};
    const RCPtr<LControl> ownerControl(owner);
    const bool rootWindowOwner =
        mOwner != nullptr && window != nullptr &&
        (ownerControl == window->GetRootControl() ||
         mOwner.Get() == static_cast<LNotificationReceiver*>(window->GetPostingReceiver().Get()));
    if (window != nullptr && (mOwner == nullptr || rootWindowOwner || ownerControl != nullptr))
    {
        tables[0] = TableOf(window->GetHotKeyManager());
    }
    // A control owner (the right-clicked control of a context menu, or the topmost ancestor) is asked
    // first: its own bindings are the ones its commands answer to.
    const LControl* own = ownerControl != nullptr && !rootWindowOwner ? ownerControl.Get() : nullptr;
    const auto keyText = [&](const WString& command)
    {
        if (own != nullptr)
        {
            const KeyCode key = own->GetKeyForAction(command);
            if ((key.GetCode() & KeyCode::kNoBinding) == 0)
            {
                return key.ToDisplayString();
            }
        }
        for (const KeyBindingTable* table : tables)
        {
            if (WString text = KeyTextFrom(table, command); !text.IsEmpty())
            {
                return text;
            }
        }
        return WString();
    };
    for (uint32_t i = 0; i < node->GetItemCount(); ++i)
    {
        const RCPtr<LMenuItemDescriptor>& item = node->GetItemAt(i);
        if (item == nullptr)
        {
            continue;
        }
        if (item->HasSubmenu())
        {
            FillHotKeyTexts(RCPtr<LMenuDescriptor>(item));
            continue;
        }
        if (item->mHotKeyText.IsEmpty() && !item->mCommand.IsEmpty())
        {
            item->mHotKeyText = keyText(item->mCommand);
        }
    }
    return 0;
}

// --- Rows ---

RCPtr<LMenuItemDescriptor> LPopupMenu::GetItem(int32_t row) const
{
    if (mMenuDescriptor == nullptr || row < 0 ||
        static_cast<uint32_t>(row) >= mMenuDescriptor->GetItemCount())
    {
        return nullptr;
    }
    return mMenuDescriptor->GetItemAt(static_cast<uint32_t>(row));
}

int32_t LPopupMenu::GetCaretRow() const
{
    const int32_t caret = GetCaretIndex();
    return caret >= 0 && static_cast<uint32_t>(caret) < GetItemCount() ? caret : -1;
}

ZQRESULT LPopupMenu::RebuildItems()
{
    if (mMenuDescriptor == nullptr)
    {
        return 0;
    }
    const auto count = static_cast<int32_t>(mMenuDescriptor->GetItemCount());
    SetItemCount(count);
    if (GetItemControlCount() == 0)
    {
        return 1;
    }
    const RCPtr<LCheckedListBoxItem> row =
        GetCheckedItemControl(static_cast<int32_t>(GetItemControlCount()) - 1);
    if (row == nullptr)
    {
        return 1;
    }
    if (mPadding < 0)
    {
        const RCPtr<LButton>& box = row->GetCheckBox();
        const RCPtr<LControl> hotKey = row->FindChild(u"hotKeyLabel");
        const double left = box != nullptr ? std::trunc(box->GetRect().x + box->GetRect().width) : 0;
        const double right =
            hotKey != nullptr
                ? std::trunc(row->GetRect().width - (hotKey->GetRect().x + hotKey->GetRect().width))
                : 0;
        mPadding = static_cast<int32_t>(left + right) + 20;
    }
    row->SetBlank(true);
    row->SetLabel(WString());
    row->UpdateLayout();
    mSeparatorHeight = static_cast<int32_t>(std::trunc(row->GetRect().height));
    row->SetBlank(false);
    mSeparatorCount = 0;
    mWidestRow = 0;
    for (int32_t i = 0; i < count; ++i)
    {
        const RCPtr<LMenuItemDescriptor> item = GetItem(i);
        const bool separator = item->mSeparator != 0;
        SetItem(i, RCPtr<LTaggableObject>(item), 0.0, item->HasSubmenu(), separator);
        SetItemChecked(i, item->mChecked != 0);
        SetItemBlank(i, separator);
        mSeparatorCount += separator ? 1 : 0;
        if (static_cast<uint32_t>(i) < GetItemControlCount())
        {
            if (const RCPtr<LListBoxItem> control = GetItemControl(i))
            {
                control->UpdateLayout();
            }
        }
        mWidestRow = std::max(mWidestRow, MeasureMenuItemWidth(i));
    }
    const RCPtr<LScrollbar> bar = GetVerticalBar();
    const int32_t barWidth = bar != nullptr ? static_cast<int32_t>(bar->GetRect().width) : 0;
    SetContentWidth(barWidth + mWidestRow);
    UpdateItemControlsFrom(0);
    return 0;
}

int32_t LPopupMenu::MeasureMenuItemWidth(int32_t row) const
{
    const RCPtr<LMenuItemDescriptor> item = GetItem(row);
    if (item == nullptr || GetItemControlCount() == 0)
    {
        return 0;
    }
    const RCPtr<LListBoxItem> control = GetItemControl(static_cast<int32_t>(GetItemControlCount()) - 1);
    const RCPtr<LMeasurementRenderer> renderer = GetMeasurementRenderer();
    float width = 0;
    if (renderer != nullptr && control != nullptr)
    {
        const WString label = item->ToString();
        if (!label.IsEmpty())
        {
            width += renderer->MeasureText(label, ConstRCPtr<LFont>(control->GetFont())).width;
        }
        const RCPtr<LControl> hotKey = control->FindChild(u"hotKeyLabel");
        if (!item->mHotKeyText.IsEmpty())
        {
            const RCPtr<LFont>& font = hotKey != nullptr ? hotKey->GetFont() : control->GetFont();
            width += renderer->MeasureText(item->mHotKeyText, ConstRCPtr<LFont>(font)).width;
        }
    }
    return static_cast<int32_t>(std::round(width)) + std::max(mPadding, 0);
}

int32_t LPopupMenu::GetContentHeight() const
{
    const auto rows = static_cast<int32_t>(GetItemCount());
    return mSeparatorCount * mSeparatorHeight + (rows - mSeparatorCount) * GetRowHeight();
}

bool LPopupMenu::IsItemSelectable(int32_t index) const
{
    const RCPtr<LMenuItemDescriptor> item = GetItem(index);
    return item != nullptr && item->mEnabled != 0 && item->mSeparator == 0;
}

ZQRESULT LPopupMenu::SwapItems(int32_t /*a*/, int32_t /*b*/)
{
    return E_NOTIMPL;
}

ZQRESULT LPopupMenu::CreateItemControl()
{
    const ZQRESULT result = LCheckedListBox::CreateItemControl();
    if (result >= 0 && mPopupHandler != nullptr && GetItemControlCount() > 0)
    {
        const RCPtr<LListBoxItem> row = GetItemControl(static_cast<int32_t>(GetItemControlCount()) - 1);
        if (row != nullptr)
        {
            mPopupHandler->AddCallback(&LPopupMenu::OnRowHoverChanged, RCPtr<LNotificationDistributor>(row),
                                       kNidHoverConditionChange);
        }
    }
    return result;
}

ZQRESULT LPopupMenu::UpdateItemControl(int32_t index, int32_t& slot)
{
    const ZQRESULT result = LCheckedListBox::UpdateItemControl(index, slot);
    if (result < 0 || slot < 0)
    {
        return result;
    }
    const RCPtr<LCheckedListBoxItem> row = GetCheckedItemControl(slot);
    if (row == nullptr)
    {
        return result;
    }
    const RCPtr<LControl> hotKey = row->FindChild(u"hotKeyLabel");
    const RCPtr<LMenuItemDescriptor> item = GetItem(index);
    if (item != nullptr)
    {
        if (hotKey != nullptr)
        {
            hotKey->SetLabel(item->mHotKeyText);
        }
        row->SetBlank(item->mSeparator != 0);
        row->SetEnabled(item->mEnabled != 0);
        const bool hover = (row->GetConditions() & kConditionHoverOrHighlight) != 0;
        row->SelectCheckBoxLook(item->mChecked == 0 ? 0 : (hover ? kCheckedHoverLook : kCheckedLook), false);
    }
    else
    {
        if (hotKey != nullptr)
        {
            hotKey->SetLabel(WString());
        }
        row->SetEnabled(false);
        row->SelectLook(0);
        row->SelectCheckBoxLook(0, false);
    }
    // The shortcut takes the colour of the row's label (white on the selected row, say).
    const RCPtr<LLook> rowLook = row->GetLook(-1);
    if (hotKey != nullptr && rowLook != nullptr && rowLook->GetTextForegroundPart() != nullptr)
    {
        hotKey->SetLookTextForegroundPart(
            -1 == hotKey->GetFirstVisibleLookIndex() ? 0 : hotKey->GetFirstVisibleLookIndex(),
            rowLook->GetTextForegroundPart());
    }
    return result;
}

ZQRESULT LPopupMenu::OnRowHoverChanged(const RCPtr<LNotificationDistributor>& source,
                                       const RCPtr<LNotification>& notification)
{
    const RCPtr<LConditionsParam> conditions(notification != nullptr ? notification->GetParam() : nullptr);
    const StatusTextSink sink = InstalledStatusTextSink();
    if (conditions == nullptr || sink == nullptr)
    {
        return 0;
    }
    const bool was = (conditions->mPrevious & kConditionHoverOrHighlight) != 0;
    const bool is = (conditions->mCurrent & kConditionHoverOrHighlight) != 0;
    if (is && !was)
    {
        const RCPtr<LControl> row(source);
        const RCPtr<LMenuItemDescriptor> item =
            row != nullptr ? GetItem(GetItemIndexOfControl(row.Get())) : nullptr;
        if (item != nullptr && !item->mStatusText.IsEmpty())
        {
            sink(&item->mStatusText);
        }
    }
    else if (was && !is)
    {
        sink(nullptr);
    }
    return 0;
}

// --- Item states ---

ZQRESULT LPopupMenu::UpdateItemStates()
{
    const RCPtr<LMenuItemUpdater> updater = GetMenuItemUpdaterOfOwner();
    if (updater == nullptr || mMenuDescriptor == nullptr)
    {
        return 0;
    }
    DeselectAll();
    for (auto row = static_cast<int32_t>(mMenuDescriptor->GetItemCount()) - 1; row >= 0; --row)
    {
        const RCPtr<LMenuItemDescriptor> item = GetItem(row);
        if (item == nullptr || item->HasSubmenu() || item->mSeparator != 0)
        {
            continue;
        }
        MenuItemState state;
        mMenuDescriptor->GetItemState(static_cast<uint32_t>(row), state);
        // The command travels as the item: the control reads it from the menu at the row.
        if (const RCPtr<LControl>& control = updater->GetControl(); control != nullptr)
        {
            control->UpdateMenuItemState(mMenuDescriptor, row, 0, state);
        }
        SetItemState(row, state);
    }
    return 0;
}

ZQRESULT LPopupMenu::SetItemState(int32_t row, const MenuItemState& state)
{
    const RCPtr<LMenuItemDescriptor> item = GetItem(row);
    if (item == nullptr || static_cast<uint32_t>(row) >= GetItemCount())
    {
        return E_INVALIDARG;
    }
    if (item->mEnabled == state.Enabled && item->mChecked == state.Checked && item->mLabel == state.Label)
    {
        return 1;
    }
    if (item->mSeparator == 0)
    {
        item->mEnabled = state.Enabled;
        if (!item->HasSubmenu())
        {
            item->mChecked = state.Checked;
            SetItemChecked(row, state.Checked != 0);
        }
    }
    if (item->mLabel != state.Label)
    {
        item->mLabel = state.Label;
        RebuildItems();
    }
    int32_t slot = -1;
    UpdateItemControl(row, slot);
    return 0;
}

// --- Submenus ---

RCPtr<LPopupMenu> LPopupMenu::GetParentPopup() const
{
    return RCPtr<LPopupMenu>(GetParent());
}

void LPopupMenu::RestartHoverTimer()
{
    mHoverTimerStart = Now();
    if (mHoverTimerArmed == 0)
    {
        mHoverTimerArmed = 1;
        RequestIdle();
    }
}

void LPopupMenu::StopHoverTimer()
{
    if (mHoverTimerArmed != 0)
    {
        mHoverTimerArmed = 0;
        ReleaseIdle();
    }
}

bool LPopupMenu::IsPointerInRow(int32_t row) const
{
    const RCPtr<LRootWindow> window = GetRootWindow();
    const RCPtr<LListBoxItem> control = GetItemControl(GetItemControlSlot(row));
    if (window == nullptr || control == nullptr)
    {
        return false;
    }
    const PointT<int32_t> pointer = window->GetCursorPos();
    const RectT<double> r = control->GetRectInWindow();
    return r.x <= pointer.x && pointer.x < r.x + r.width && r.y <= pointer.y && pointer.y < r.y + r.height;
}

void LPopupMenu::OnSelectionChanged()
{
    LCheckedListBox::OnSelectionChanged();
    const int32_t caret = GetCaretRow();
    const RCPtr<LMenuItemDescriptor> item = GetItem(caret);
    if (item == nullptr)
    {
        return;
    }
    if (const RCPtr<LPopupMenu> parent = GetParentPopup();
        parent != nullptr && parent->mMenuDescriptor != nullptr)
    {
        // Moving into a submenu keeps its entry highlighted in the parent.
        const RCPtr<LMenuItemDescriptor> entry = parent->GetItem(parent->GetCaretRow());
        if (parent->mOpenSubmenuItem != nullptr &&
            entry.Get() !=
                static_cast<LMenuItemDescriptor*>(RCPtr<LMenuItemDescriptor>(parent->mOpenSubmenuItem).Get()))
        {
            for (uint32_t i = 0; i < parent->mMenuDescriptor->GetItemCount(); ++i)
            {
                if (RCPtr<LMenuDescriptor>(parent->mMenuDescriptor->GetItemAt(i)) == parent->mOpenSubmenuItem)
                {
                    parent->SelectRange(static_cast<int32_t>(i), -1, true);
                    break;
                }
            }
            parent->StopHoverTimer();
        }
    }
    const bool isOpen = RCPtr<LMenuDescriptor>(item) == mOpenSubmenuItem;
    if (item->HasSubmenu())
    {
        if (!isOpen && IsPointerInRow(caret))
        {
            RestartHoverTimer();
        }
        else if (isOpen)
        {
            StopHoverTimer();
        }
    }
    else if (mOpenSubmenu != nullptr)
    {
        RestartHoverTimer();
    }
}

void LPopupMenu::OnIdle()
{
    LCheckedListBox::OnIdle();
    if (mHoverTimerArmed == 0 || Now() - mHoverTimerStart <= kHoverDelayMs)
    {
        return;
    }
    const RCPtr<LControl> self = KeepControlAlive(this);
    CloseSubmenu();
    const int32_t caret = GetCaretRow();
    const RCPtr<LMenuItemDescriptor> item = GetItem(caret);
    if (item != nullptr && item->HasSubmenu())
    {
        OpenSubmenu(caret);
    }
}

ZQRESULT LPopupMenu::OpenSubmenu(int32_t row)
{
    const RCPtr<LMenuItemDescriptor> item = GetItem(row);
    const IControlApplication* application = IControlApplication::GetCurrent();
    const RCPtr<LControlFactory> factory =
        application != nullptr ? application->GetControlFactory() : RCPtr<LControlFactory>();
    if (item == nullptr || !item->HasSubmenu())
    {
        return E_INVALIDARG;
    }
    if (factory == nullptr || GetDescriptor() == nullptr)
    {
        return E_FAIL;
    }
    CloseSubmenu();
    const RCPtr<LControlDescriptor> copy = factory->CopyDescriptor(
        ConstRCPtr<LControlDescriptor>(GetDescriptor()), GetDescriptor()->mLayout, u"submenu");
    ProcessPendingRemovals();
    mIgnoreFocusChange = 1;
    const RCPtr<LPopupMenu> submenu(factory->CreateControl(copy, RCPtr<LControl>(this)));
    if (submenu == nullptr)
    {
        return E_FAIL;
    }
    mOpenSubmenu = submenu;
    mOpenSubmenuItem = RCPtr<LMenuDescriptor>(item);
    submenu->ShowSubmenuOf(row);
    submenu->mOwner = mOwner;
    submenu->mAutoClose = mAutoClose;
    PlaceSubmenu(*submenu, row);
    submenu->mItemUpdater = mItemUpdater;
    submenu->SetVisible(true);
    return 0;
}

void LPopupMenu::PlaceSubmenu(LPopupMenu& submenu, int32_t row)
{
    const RectT<double> rowRect = GetItemRect(row);
    const RectT<double> self = GetRectInWindow();
    const RCPtr<LRootWindow> window = GetRootWindow();
    const RectT<int32_t> screen = window != nullptr ? window->GetScreenRect() : RectT<int32_t>{0, 0, 0, 0};
    const double width = submenu.GetRect().width;
    const double height = submenu.GetRect().height;
    double x = std::trunc(rowRect.x + rowRect.width);
    if (width + x + self.x > screen.width)
    {
        x = -width;
        if (self.x + x < 0)
        {
            x = std::trunc(rowRect.x + rowRect.width);
        }
    }
    double y = std::trunc(rowRect.y);
    if (height + y + self.y > screen.height)
    {
        y = screen.height - self.y - height;
    }
    if (self.y + y < 0)
    {
        y = 0;
    }
    const RCPtr<LLayoutDescriptor>& layout = submenu.GetLayout();
    if (layout == nullptr)
    {
        return;
    }
    LLayoutDescriptor::AxisPosition xPosition = layout->mXPosition;
    LLayoutDescriptor::AxisPosition yPosition = layout->mYPosition;
    xPosition.Rel = 0;
    xPosition.Abs = x;
    yPosition.Rel = 0;
    yPosition.Abs = y;
    submenu.SetAxisPlacement(xPosition, layout->mXSize, yPosition, layout->mYSize);
}

ZQRESULT LPopupMenu::ShowSubmenuOf(int32_t row)
{
    const RCPtr<LPopupMenu> parent = GetParentPopup();
    const RCPtr<LMenuItemDescriptor> item = parent != nullptr ? parent->GetItem(row) : nullptr;
    if (item == nullptr || !item->HasSubmenu())
    {
        return E_INVALIDARG;
    }
    CloseSubmenu();
    mMenuDescriptor = RCPtr<LMenuDescriptor>(item);
    FillHotKeyTexts(mMenuDescriptor);
    return RebuildItems();
}

ZQRESULT LPopupMenu::CloseSubmenu()
{
    StopHoverTimer();
    if (mOpenSubmenu != nullptr)
    {
        const RCPtr<LPopupMenu> submenu = mOpenSubmenu;
        mIgnoreFocusChange = 1;
        submenu->CloseSubmenu();
        submenu->SetVisible(false);
        RemoveChildLater(RCPtr<LControl>(submenu));
        mOpenSubmenu = nullptr;
    }
    mOpenSubmenuItem = nullptr;
    return 0;
}

ZQRESULT LPopupMenu::CloseMenu()
{
    mClosing = 1;
    if (const RCPtr<LPopupMenu> parent = GetParentPopup(); parent != nullptr)
    {
        return parent->CloseMenu();
    }
    const RCPtr<LControl> self = KeepControlAlive(this);
    StopHoverTimer();
    CloseSubmenu();
    const RCPtr<LControl> parent = GetParent();
    return parent != nullptr ? parent->RemoveChildLater(RCPtr<LControl>(this)) : 1;
}

// --- Activation ---

void LPopupMenu::OnItemActivated()
{
    const int32_t caret = GetCaretRow();
    const RCPtr<LMenuItemDescriptor> item = GetItem(caret);
    if (item == nullptr)
    {
        return;
    }
    if (item->HasSubmenu())
    {
        if (RCPtr<LMenuDescriptor>(item) != mOpenSubmenuItem && OpenSubmenu(caret) >= 0 &&
            mOpenSubmenu != nullptr)
        {
            mOpenSubmenu->SelectRange(0, -1, true);
        }
        return;
    }
    if (const RCPtr<LPopupMenu> parent = GetParentPopup(); parent != nullptr)
    {
        parent->mIgnoreFocusChange = 1;
    }
    ActivateMenuItem(item);
}

void LPopupMenu::ActivateMenuItem(const RCPtr<LMenuItemDescriptor>& item)
{
    const RCPtr<LControl> self = KeepControlAlive(this);
    for (RCPtr<LControl> walk = GetParent(); walk != nullptr; walk = walk->GetParent())
    {
        if (const RCPtr<LMainMenu> bar(walk); bar != nullptr)
        {
            if (const RCPtr<LControl> back = bar->GetFocusReturnControl(); back != nullptr)
            {
                back->SetFocus(true);
            }
            break;
        }
    }
    const bool closes = mAutoClose != 0 && mClosing == 0;
    if (closes)
    {
        SetVisible(false);
    }
    if (const RCPtr<LNotificationReceiver> owner = GetOwner(); owner != nullptr)
    {
        const int32_t caret = GetCaretRow();
        SendPlain(*this, kNidItemActivated);
        const RCPtr<LMenuActivationParam> param = LMenuActivationParam::Create(mMenuDescriptor.Get(), caret);
        const RCPtr<LNotification> command = LNotification::Create(
            item->mCommand.GetBuffer(), ConstRCPtr<LRefCountedObject>(RCPtr<LRefCountedObject>(param)));
        if (command != nullptr)
        {
            owner->ReceiveNotification(nullptr, command);
        }
    }
    if (closes)
    {
        CloseMenu();
    }
}

// --- Input, focus and visibility ---

ZQRESULT LPopupMenu::HandleKeyPress(const RCPtr<LKeyParam>& param)
{
    if (param == nullptr)
    {
        return 1;
    }
    const RCPtr<LControl> self = KeepControlAlive(this);
    switch (param->mKeyCode.GetCode())
    {
    case kKeyLeft:
        if (const RCPtr<LPopupMenu> parent = GetParentPopup(); parent != nullptr)
        {
            parent->CloseSubmenu();
        }
        return 0;
    case kKeyRight:
    {
        const int32_t caret = GetCaretRow();
        const RCPtr<LMenuItemDescriptor> item = GetItem(caret);
        if (item != nullptr && item->HasSubmenu() && OpenSubmenu(caret) >= 0 && mOpenSubmenu != nullptr)
        {
            mOpenSubmenu->SelectRange(0, -1, true);
        }
        return 0;
    }
    case kKeyEscape:
        if (mAutoClose != 0 && mClosing == 0)
        {
            CloseMenu();
        }
        return 0;
    default:
        return LCheckedListBox::HandleKeyPress(param);
    }
}

ZQRESULT LPopupMenu::RequestFocus(const RCPtr<LControl>& /*child*/)
{
    return 0;
}

ZQRESULT LPopupMenu::SetFocus(bool forward)
{
    if ((IsFocused() || ContainsFocus()) && mIgnoreFocusChange == 0 && mAutoClose != 0 && mClosing == 0)
    {
        CloseMenu();
    }
    mIgnoreFocusChange = 0;
    // A shown menu takes the keyboard focus while it stays out of the tab order and of the press focus
    // (RequestFocus): it is focusable only for the length of this call.
    const bool notFocusable = mNotFocusable;
    mNotFocusable = false;
    const ZQRESULT result = LCheckedListBox::SetFocus(forward);
    mNotFocusable = notFocusable;
    return result;
}

void LPopupMenu::OnConditionsChanged(const RCPtr<LConditionsParam>& conditions)
{
    if (conditions == nullptr)
    {
        return;
    }
    const RCPtr<LControl> self = KeepControlAlive(this);
    const uint32_t changed = conditions->mPrevious ^ conditions->mCurrent;
    const bool topLevel = GetParentPopup() == nullptr;
    constexpr uint32_t kFocusBits = kConditionFocused | kConditionContainsFocus;
    if ((changed & kFocusBits) != 0 && topLevel && (conditions->mCurrent & kFocusBits) == 0 &&
        mLayout != nullptr && mLayout->mVisible && GetRect().width > 0 && GetRect().height > 0 &&
        mAutoClose != 0 && mClosing == 0)
    {
        CloseMenu();
    }
    if ((changed & kConditionVisible) != 0)
    {
        if ((conditions->mCurrent & kConditionVisible) != 0)
        {
            UpdateItemStates();
        }
        else if (topLevel)
        {
            CloseSubmenu();
        }
    }
}

void LPopupMenu::OnMouseMoved(const RCPtr<LPointWithModifiersParam>& param)
{
    LCheckedListBox::OnMouseMoved(param);
    const RCPtr<LRootWindow> window = GetRootWindow();
    if (param == nullptr || window == nullptr || !IsDragging(MouseButton::Left))
    {
        return;
    }
    if (param->mX >= 0 && param->mY >= 0 && param->mX < GetRect().width && param->mY < GetRect().height)
    {
        return;
    }
    const RectT<double> self = GetRectInWindow();
    const PointT<int32_t> point{static_cast<int32_t>(std::lround(self.x + param->mX)),
                                static_cast<int32_t>(std::lround(self.y + param->mY))};
    PointT<int32_t> local;
    const RCPtr<LControl> under = window->GetControlAtPoint(point, local, false);
    if (under == nullptr)
    {
        return;
    }
    if (RCPtr<LDropDownControl>(under) != nullptr)
    {
        under->BeginMouseCapture(static_cast<int32_t>(ButtonBit(MouseButton::Left)), 0, 0);
        return;
    }
    RCPtr<LPopupMenu> popup;
    for (RCPtr<LControl> walk = under; walk != nullptr && popup == nullptr; walk = walk->GetParent())
    {
        popup = RCPtr<LPopupMenu>(walk);
    }
    if (popup == nullptr || popup.Get() == this)
    {
        return;
    }
    // This popup's open submenus, or its popup ancestors.
    bool related = false;
    for (RCPtr<LPopupMenu> walk = mOpenSubmenu; walk != nullptr && !related; walk = walk->mOpenSubmenu)
    {
        related = walk == popup;
    }
    for (RCPtr<LPopupMenu> walk = GetParentPopup(); walk != nullptr && !related;
         walk = walk->GetParentPopup())
    {
        related = walk == popup;
    }
    if (related)
    {
        popup->BeginMouseCapture(static_cast<int32_t>(ButtonBit(MouseButton::Left)), 0, 0);
    }
}

// --- Placement ---

ZQRESULT LPopupMenu::ShowAtCursor()
{
    const RCPtr<LRootWindow> window = GetRootWindow();
    if (window != nullptr && mLayout != nullptr)
    {
        const PointT<int32_t> pointer = window->GetCursorPos();
        const RectT<int32_t> screen = window->GetScreenRect();
        const double wanted[2] = {static_cast<double>(pointer.x), static_cast<double>(pointer.y)};
        const double sizes[2] = {GetRect().width, GetRect().height};
        const double limits[2] = {static_cast<double>(screen.width), static_cast<double>(screen.height)};
        PointT<double> parentOrigin{0, 0};
        if (const RCPtr<LControl>& parent = GetParent(); parent != nullptr)
        {
            // The true inverse of the window position: less the parent's place in the window and its
            // default look's origin, plus its scroll offset.
            const PointT<double> origin = parent->GetWindowOrigin();
            const RectT<double> client = parent->GetLookRect(-1);
            parentOrigin = {origin.x + client.x - parent->GetScrollOffset().x,
                            origin.y + client.y - parent->GetScrollOffset().y};
        }
        const double origins[2] = {parentOrigin.x, parentOrigin.y};
        for (int32_t axis = 0; axis < 2; ++axis)
        {
            double position = wanted[axis];
            if (sizes[axis] + position > limits[axis])
            {
                position = limits[axis] - sizes[axis];
            }
            position = std::max(position, 0.0);
            LLayoutDescriptor::AxisPosition placement = axis == 0 ? mLayout->mXPosition : mLayout->mYPosition;
            const LLayoutDescriptor::AxisSize size = axis == 0 ? mLayout->mXSize : mLayout->mYSize;
            placement.Rel = 0;
            placement.Abs = position - origins[axis];
            placement.Docked = true;
            SetAxisPlacement(axis, placement, size);
        }
    }
    SetVisible(true);
    if (!IsFocused())
    {
        SetFocus(true);
    }
    return 0;
}
} // namespace ZQ
