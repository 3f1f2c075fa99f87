#pragma once

#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/Result.h"
#include "ZQFramework/ObjectBase/TaggableObject.h"
#include "ZQFramework/Utilities/Storage/Array.h"
#include "ZQFramework/Utilities/Storage/Pair.h"
#include "ZQFramework/Utilities/Storage/RCPtrArray.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>
#include <map>

namespace ZQ
{
class LMenuItemDescriptor;

// The state of one menu item as it is read out of a menu and handed to the control that owns the menu,
// which may change it. Plain data.
struct MenuItemState
{
    uint8_t Enabled = 0;
    uint8_t Checked = 0;
    WString Label;
};

// A menu, described apart from any control that shows it: a node owning an ordered list of items, each
// of which is itself a node and may own the items of a submenu. Popup menus show a tree, the main menu
// gives one to each title, and the control base builds one from "CONTEXT_MENU" definitions.
//
// Ownership: a node holds its items by counted references. An item holds its parent by a counted
// reference that counts as an internal reference of the parent, so releasing the last outside reference
// to a root takes the whole tree apart (ReleaseInternalReferences, from the last item to the first); a
// node that someone else still holds survives as the root of its own subtree. Built and read on the UI
// thread; the counts are the object model's.
class LMenuDescriptor : public LTaggableObject
{
public:
    using ItemArray = RCPtrArray<LMenuItemDescriptor, 1, 0>;
    // (key, value) pairs of menu definitions, and the same sorted into lists: the texts of one menu level
    // with their values, and the lists of the named submenus.
    using DefinitionPairs = Array<Pair<WString, WString>>;
    using Definitions = Array<Pair<WString, WString>>;
    using SubmenuDefinitions = std::map<WString, Definitions>;

    // Bounds of a tree built from definitions, far beyond any menu a person would use: levels of items
    // (the root's own items are level 1) and items in the whole tree.
    static constexpr uint32_t kMaxBuiltDepth = 32;
    static constexpr uint32_t kMaxBuiltItems = 10000;

    [[nodiscard]] static RCPtr<LMenuDescriptor> Create();

    ~LMenuDescriptor() override;

    // Inserts item at index and makes this node its parent; returns index. E_INVALIDARG, item left
    // unlinked, for a null item, an index outside 0..count, or an item that is this node or one of its
    // ancestors (the tree would contain itself).
    ZQRESULT InsertItem(int32_t index, const RCPtr<LMenuItemDescriptor>& item);
    // The same with a new item (LMenuItemDescriptor::Create).
    ZQRESULT InsertItem(int32_t index, const WString& label, const WString& command, bool enabled,
                        bool checked);
    ZQRESULT InsertSeparator(int32_t index);
    // Resets state (disabled, unchecked, no label), then copies item index's state into it: 0, or
    // E_INVALIDARG for an index outside the items.
    ZQRESULT GetItemState(int32_t index, MenuItemState& state) const;

    // A deep copy of the items below this node under a new root; the copy shares nothing with this tree.
    [[nodiscard]] RCPtr<LMenuDescriptor> Clone() const;

    // Builds a new tree from definitions whose keys have no "CONTEXT_MENU" prefix left:
    //   n.command   item n of the top level, standing for the notification command
    //   n.-         separator n of the top level
    //   n.name.     item n of the top level opening the submenu of the keys that begin with name
    //   name.n.command, name.n.-, name.n.name2.   the same for item n of the submenu name
    // A value is the label, optionally followed by "|" and the status text. Numbers count from 0 in the
    // order the pairs are given; an entry whose number is not the next one of its list is dropped, as are
    // keys of fewer than two parts and submenu entries naming no list. A submenu that names itself or one
    // of its ancestors is dropped at that point. Since every reference to a submenu builds its own copy, a
    // built tree is bounded: a submenu entry whose items would lie more than kMaxBuiltDepth levels below
    // the root is dropped, and once kMaxBuiltItems items are built every further entry is dropped. Always
    // returns a root, without items when nothing was accepted.
    [[nodiscard]] static RCPtr<LMenuDescriptor> CreateFromKeyValuePairs(const DefinitionPairs& pairs);
    // Fills node (created when null, its items removed otherwise) from the list entries, looking submenus
    // up in submenus, within the bounds above. 0.
    static ZQRESULT FillFromDefinitions(const Definitions& entries, const SubmenuDefinitions& submenus,
                                        RCPtr<LMenuDescriptor>& node);

    // Takes the node apart: each item, last to first, loses its parent and leaves the list; then the node
    // loses its own parent. 0.
    ZQRESULT ReleaseInternalReferences() override;

    // Assigns the parent, moving the internal reference from the old parent to the new one.
    void SetParent(const RCPtr<LMenuDescriptor>& node);

    [[nodiscard]] uint32_t GetItemCount() const { return mItems.GetCount(); }
    [[nodiscard]] const RCPtr<LMenuItemDescriptor>& GetItemAt(uint32_t index) const
    {
        return mItems.GetAt(index);
    }
    [[nodiscard]] const RCPtr<LMenuDescriptor>& GetParent() const { return mParent; }

    // The items in display order; controls read and change the items' fields directly.
    ItemArray mItems;

protected:
    LMenuDescriptor();

    // Appends deep copies of source's items to this node's list.
    void CloneItemsFrom(const LMenuDescriptor& source);

private:
    struct FillState;
    // FillFromDefinitions below the submenus being filled on the way down.
    static void FillNode(const Definitions& entries, const SubmenuDefinitions& submenus,
                         LMenuDescriptor& node, FillState& state);
    [[nodiscard]] bool IsSelfOrAncestor(const LMenuDescriptor* node) const;
    // Each item, last to first, loses its parent and leaves the list.
    void RemoveItems();

    RCPtr<LMenuDescriptor> mParent;
};

// One menu entry: an item standing for a command, a separator, or (when it has items of its own) the
// entry of a submenu.
class LMenuItemDescriptor : public LMenuDescriptor
{
public:
    // enabled and checked as given; no hot-key or status text, no items, no parent.
    [[nodiscard]] static RCPtr<LMenuItemDescriptor> Create(const WString& label, const WString& command,
                                                           bool enabled, bool checked);
    // Enabled, unchecked, without label and command.
    [[nodiscard]] static RCPtr<LMenuItemDescriptor> CreateSeparator();

    ~LMenuItemDescriptor() override;

    // The label.
    [[nodiscard]] WString ToString() const override;
    // A deep copy of the item with its submenu, without parent.
    [[nodiscard]] RCPtr<LMenuItemDescriptor> Clone() const;

    [[nodiscard]] bool HasSubmenu() const { return mItems.GetCount() > 0; }

    WString mLabel;
    // The key shortcut shown at the right, in key-code text; filled in by the popup menu.
    WString mHotKeyText;
    // Shown in the status bar while the item is hovered; empty = none.
    WString mStatusText;
    // The notification the item stands for; empty for a submenu entry and a separator.
    WString mCommand;
    uint8_t mEnabled = 1;
    uint8_t mChecked = 0;
    // A separator is never selectable.
    uint8_t mSeparator = 0;

private:
    LMenuItemDescriptor() = default;
};
} // namespace ZQ
