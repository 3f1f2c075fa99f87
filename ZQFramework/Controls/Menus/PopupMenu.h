#pragma once

#include "ZQFramework/ControlBase/Control/ContextMenu.h"
#include "ZQFramework/Controls/Lists/CheckedListBox.h"
#include "ZQFramework/Controls/Menus/MenuDescriptor.h"
#include "ZQFramework/Notification/NotificationHandler.h"

#include <cstdint>

namespace ZQ
{
class LNotificationReceiver;

// A menu shown as a vertical list of rows ("Framework.PopupMenu"): one row per item of a menu tree, a
// separator as a thin row, a check mark, the label, the key shortcut at the right edge and the submenu
// looks for entries that open a submenu. Submenus are further popup menus made as children of this one
// from its own descriptor. It serves as a control's context menu and as the drop-down of a menu-bar title.
//
// A top-level popup shows a private copy of the tree it is given, so the caller's tree never changes; a
// submenu shows a node of its parent's copy. Item commands go, as notifications named by the item's
// command with an LMenuActivationParam, to the owner: the receiver given to SetOwner, else the topmost
// ancestor control. Before a menu shows, each item asks the owner's menu item updater for its state.
// Resting on a submenu entry for more than 250 ms (the application clock, polled at idle) opens it.
// UI thread only.
class LPopupMenu : public LCheckedListBox, public IContextMenuPopup
{
public:
    // Where the hovered item's status text goes: the text, or null to restore the default text. The
    // application installs it; without one status texts are not shown.
    using StatusTextSink = void (*)(const WString* text);
    static StatusTextSink SetStatusTextSink(StatusTextSink sink);

    static constexpr uint32_t kHoverDelayMs = 250;

    // Made by the control base's creation sequence, the only holder of a CreateKey.
    LPopupMenu(CreateKey key, const RCPtr<LControl>& parent, const WString& name);
    ~LPopupMenu() override;

    // --- Operation appended after the checked list box's ---

    // The width of a row's text and hot-key text, plus the padding; 0 without a descriptor or past the
    // items.
    [[nodiscard]] virtual int32_t MeasureMenuItemWidth(int32_t row) const;

    // --- Menu ---

    // Closes an open submenu and shows a copy of menu, with the owner's key shortcuts filled in.
    // E_INVALIDARG for null; else RebuildItems's result.
    ZQRESULT SetMenuDescriptor(const RCPtr<LMenuDescriptor>& menu);
    // The tree shown (the popup's own copy, or the node of a submenu).
    [[nodiscard]] RCPtr<LMenuDescriptor> GetMenuDescriptor() const { return mMenuDescriptor; }
    // The receiver of the item commands; it can be set once. E_INVALIDARG for null, E_FAIL when one is set.
    ZQRESULT SetOwner(const RCPtr<LNotificationReceiver>& owner);
    ZQRESULT SetOwner(const RCPtr<LControl>& owner);
    // The receiver of the item commands: the owner, else the topmost ancestor control.
    [[nodiscard]] RCPtr<LNotificationReceiver> GetOwner() const;
    // The updater asked for item states: the one set, else the owner control's (fetched once).
    [[nodiscard]] RCPtr<LMenuItemUpdater> GetMenuItemUpdaterOfOwner();
    void SetItemUpdater(const RCPtr<LMenuItemUpdater>& updater) { mItemUpdater = updater; }
    // Places the popup at the pointer inside its root window, shows it and gives it the focus. 0.
    ZQRESULT ShowAtCursor() override;
    // E_INVALIDARG past the rows; 1 when the state is the item's already; else 0.
    ZQRESULT SetItemState(int32_t row, const MenuItemState& state);
    ZQRESULT UpdateItemStates();
    ZQRESULT OpenSubmenu(int32_t row);
    ZQRESULT ShowSubmenuOf(int32_t row);
    ZQRESULT CloseSubmenu();
    ZQRESULT CloseMenu();
    ZQRESULT RebuildItems();
    ZQRESULT FillHotKeyTexts(const RCPtr<LMenuDescriptor>& node);

    [[nodiscard]] const RCPtr<LPopupMenu>& GetOpenSubmenu() const { return mOpenSubmenu; }
    [[nodiscard]] bool IsAutoClose() const { return mAutoClose != 0; }
    void SetAutoClose(bool autoClose) { mAutoClose = autoClose ? 1 : 0; }
    [[nodiscard]] bool IsHoverTimerArmed() const { return mHoverTimerArmed != 0; }
    [[nodiscard]] int32_t GetSeparatorHeight() const { return mSeparatorHeight; }

    // --- Context menu ---

    ZQRESULT SetContextMenuTree(const RCPtr<LRefCountedObject>& menu) override;
    // The right-clicked control becomes the owner, so that the commands it binds reach it; then its
    // PrepareContextMenu.
    void LetOwnerPrepare(LControl& owner) override;

    // --- List box hooks ---

    void OnSelectionChanged() override;
    void OnItemActivated() override;
    ZQRESULT CreateItemControl() override;
    ZQRESULT UpdateItemControl(int32_t index, int32_t& slot) override;
    [[nodiscard]] int32_t GetContentHeight() const override;
    [[nodiscard]] bool IsItemSelectable(int32_t index) const override;
    // E_NOTIMPL: a menu keeps its order.
    ZQRESULT SwapItems(int32_t a, int32_t b) override;

    // --- Control base operations ---

    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification) override;
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                        NotificationID id) override;
    ZQRESULT SetFocus(bool forward) override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& conditions) override;
    ZQRESULT ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor) override;
    // A press on a row never moves the focus. 0.
    ZQRESULT RequestFocus(const RCPtr<LControl>& child) override;
    void OnMouseMoved(const RCPtr<LPointWithModifiersParam>& param) override;
    ZQRESULT HandleKeyPress(const RCPtr<LKeyParam>& param) override;
    void OnIdle() override;
    ZQRESULT Initialize() override;
    ZQRESULT OnCreated() override;

private:
    [[nodiscard]] static StatusTextSink& InstalledStatusTextSink();
    [[nodiscard]] RCPtr<LPopupMenu> GetParentPopup() const;
    [[nodiscard]] RCPtr<LMenuItemDescriptor> GetItem(int32_t row) const;
    [[nodiscard]] int32_t GetCaretRow() const;
    void ApplyDefaultSizeLimits();
    void RestartHoverTimer();
    void StopHoverTimer();
    void ActivateMenuItem(const RCPtr<LMenuItemDescriptor>& item);
    void PlaceSubmenu(LPopupMenu& submenu, int32_t row);
    [[nodiscard]] bool IsPointerInRow(int32_t row) const;
    ZQRESULT OnRowHoverChanged(const RCPtr<LNotificationDistributor>& source,
                               const RCPtr<LNotification>& notification);

    RCPtr<LNotificationHandler<LPopupMenu>> mPopupHandler;
    RCPtr<LMenuDescriptor> mMenuDescriptor;
    RCPtr<LPopupMenu> mOpenSubmenu;
    RCPtr<LMenuDescriptor> mOpenSubmenuItem;
    RCPtr<LNotificationReceiver> mOwner;
    RCPtr<LMenuItemUpdater> mItemUpdater;
    uint8_t mHoverTimerArmed = 0;
    uint32_t mHoverTimerStart = 0;
    uint8_t mIgnoreFocusChange = 0;
    uint8_t mAutoClose = 1;
    uint8_t mClosing = 0;
    int32_t mSeparatorHeight = 0;
    int32_t mSeparatorCount = 0;
    // The horizontal padding of a row (-1: measured by the next RebuildItems) and the widest row.
    int32_t mPadding = -1;
    int32_t mWidestRow = 0;
};
} // namespace ZQ
