#pragma once

#include "ZQFramework/ControlBase/Forward.h"
#include "ZQFramework/Controls/MenuDescriptor.h"
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
} // namespace ZQ
