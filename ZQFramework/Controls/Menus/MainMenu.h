#pragma once

#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/ControlBase/Forward.h"
#include "ZQFramework/Controls/Menus/MenuDescriptor.h"
#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/Utilities/Storage/Array.h"
#include "ZQFramework/Utilities/Storage/RCPtrArray.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>

namespace ZQ
{
// The menus that a menu bar builds from its string table, so that their texts stay translatable: the
// titles of the "MENU_LABEL." entries, each at the index its number gives, and one menu tree per
// "CONTEXT_MENU" menu (GroupContextMenuPairs), in the same order. Plain data.
struct MainMenuDefinitions
{
    // The largest number a title may have; entries numbered below 0 or above it are passed over.
    static constexpr int32_t kMaxTitleNumber = 255;

    // Title n at index n; numbers that no entry gives leave an empty title.
    Array<WString> Titles;
    RCPtrArray<LMenuDescriptor, 1, 0> Trees;

    // Whether the bar builds these menus: titles and trees come in equal numbers (title i goes with tree
    // i). A bar whose counts differ builds none of them.
    [[nodiscard]] bool Match() const { return Titles.GetCount() == Trees.GetCount(); }
};

// The control that had the focus before a menu bar took it, so that the bar's commands can act on it and
// the focus can go back to it. Held so that it forms no cycle with the bar: an ancestor of the bar (the
// bar's tree owns the bar) is only pointed to and found again among the bar's current ancestors; any other
// control is held by a counted reference. Either way Get answers only while the control is in the bar's
// root window, and forgets it once it has left. A plain member of its bar; UI thread only.
class FocusReturnLink
{
public:
    void Set(const LControl& bar, const RCPtr<LControl>& control);
    // The control, while it is in bar's root window; else null, and the link is cleared.
    [[nodiscard]] RCPtr<LControl> Get(const LControl& bar);
    void Clear();

private:
    RCPtr<LControl> mHeld;
    const LControl* mAncestor = nullptr; // not owned; compared, never followed
};

// Reads table's "MENU_LABEL." and "CONTEXT_MENU" entries into definitions (emptied first). The number of
// a title is the decimal value at the start of the text after "MENU_LABEL." (0 when there is none), so
// "MENU_LABEL.00" is title 0.
void ReadMainMenuDefinitions(const LStringTable& table, MainMenuDefinitions& definitions);

class LComboMenu;
class LPopupMenu;

// A menu bar ("Framework.MainMenu"): a row of titles, each a combo menu whose popup drops a menu tree.
// The fixed menus are the combo menus the skin writes as children; further menus are built from the
// bar's string table ("MENU_LABEL.<n>" titles, "CONTEXT_MENU<n>" trees) as copies of the template: the
// "templateMenu" child (taken out of the tree), else the first fixed menu. Menus are the combo-menu
// children in storage order; "absolute" indexes count them all, "relative" ones the built menus only.
// The popups ask the bar for item states, which it forwards to the updater its owner hands it; their
// commands go to the root window's notification queue, so they reach its distributor at the next idle
// pass. The bar remembers the control that had the focus before it was entered: edit commands act on it
// and the focus goes back to it after a command. Built menus survive a change of skin. UI thread only.
class LMainMenu : public LControl
{
public:
    // Made by the control base's creation sequence, the only holder of a CreateKey.
    LMainMenu(CreateKey key, const RCPtr<LControl>& parent, const WString& name);
    ~LMainMenu() override;

    // --- Menus ---

    [[nodiscard]] int32_t GetMenuCount() const;
    // Null past the menus.
    [[nodiscard]] RCPtr<LComboMenu> GetMenuAt(int32_t absoluteIndex) const;
    // Empty past the built menus.
    [[nodiscard]] WString GetMenuLabel(int32_t relativeIndex) const;
    // The relative index of the last menu labelled label; -1 when none is, or when it is a fixed menu.
    [[nodiscard]] int32_t FindMenuIndex(const WString& label) const;
    [[nodiscard]] static RCPtr<LPopupMenu> GetPopupMenuOf(const RCPtr<LControl>& control);
    [[nodiscard]] static RCPtr<LMenuDescriptor> GetMenuDescriptor(const RCPtr<LControl>& menu);
    // 1 when it was the stored one already, else 0.
    ZQRESULT SetMenuItemUpdater(const RCPtr<LMenuItemUpdater>& updater);
    static ZQRESULT SetPopupItemUpdater(const RCPtr<LControl>& menu, const RCPtr<LMenuItemUpdater>& updater);
    // Appends a title made from the template. E_INVALIDARG when a child has that name; E_FAIL without a
    // template or when the copy is no combo menu; else 0.
    ZQRESULT AddMenu(const WString& name);
    // A new built menu in the place of the one labelled before (appended for an empty text); its relative
    // index, or E_INVALIDARG when no built menu has that label.
    ZQRESULT InsertMenuBefore(const WString& before, const WString& name, const WString& label,
                              const RCPtr<LMenuDescriptor>& menu);
    // E_INVALIDARG for an index below 0 or past the built menus.
    ZQRESULT InsertMenu(int32_t relativeIndex, const WString& name, const WString& label,
                        const RCPtr<LMenuDescriptor>& menu);
    // Renames a control among its siblings: 1 when unchanged, E_INVALIDARG when a sibling has the name.
    static ZQRESULT Rename(const RCPtr<LControl>& control, const WString& name);

    // The control that had the focus before the bar took it, while it is in the bar's window.
    [[nodiscard]] RCPtr<LControl> GetFocusReturnControl();
    [[nodiscard]] int32_t GetFixedMenuCount() const { return mFixedMenuCount; }

    // --- Control base operations ---

    [[nodiscard]] RCPtr<LControl> GetEditTarget() override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& conditions) override;
    void ProcessRootWindowAquired() override;
    ZQRESULT UpdateMenuItemState(const RCPtr<LMenuDescriptor>& menu, int32_t itemIndex, int32_t command,
                                 MenuItemState& state) override;
    ZQRESULT ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor) override;
    ZQRESULT Initialize() override;
    ZQRESULT AddChildControl(const RCPtr<LControl>& control,
                             const RCPtr<LControlDescriptor>& descriptor) override;

private:
    // A new or fixed title: a focus boundary whose popup asks the bar for item states.
    void AdoptMenu(const RCPtr<LComboMenu>& menu);
    void BuildMenusFromStringTable();

    FocusReturnLink mFocusReturn;
    RCPtr<LControlDescriptor> mTemplateDescriptor;
    // The updater handed in by the owner (the bar's own updater, of the control base, is what the popups
    // ask).
    RCPtr<LMenuItemUpdater> mOwnerMenuItemUpdater;
    int32_t mFixedMenuCount = 0;
    bool mHasTemplateChild = false;
};
} // namespace ZQ
