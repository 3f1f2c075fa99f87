#pragma once

#include "ZQFramework/ControlBase/Forward.h"
#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/Result.h"
#include "ZQFramework/Utilities/Storage/Array.h"
#include "ZQFramework/Utilities/Storage/Pair.h"
#include "ZQFramework/Utilities/Storage/String.h"

// What the control base knows of menus: the menu definitions that create parameters and string tables
// carry, and the pop-up menu that a right click opens. The menus themselves (LMenuDescriptor, the pop-up
// menu) belong to the control library.
namespace ZQ
{
// (key, value) pairs of menu definitions, in key order.
using MenuDefinitionPairs = Array<Pair<WString, WString>>;

// Sorts "CONTEXT_MENU" definitions into menus, each with the prefix that names it cut from its keys, in
// the menus' order; pairs whose keys do not begin with "CONTEXT_MENU" are passed over.
//  - When keys begin with "CONTEXT_MENU.", they alone make one menu.
//  - Otherwise every key "CONTEXT_MENU<suffix>.<item key>" names a menu "CONTEXT_MENU<suffix>"; the
//    menus come in ascending order of their names (UTF-16 code units), and each takes exactly the keys
//    that begin with its name and a dot ("CONTEXT_MENU1" never takes those of "CONTEXT_MENU10").
// Within a menu the pairs keep their order. Returns the number of menus.
uint32_t GroupContextMenuPairs(const MenuDefinitionPairs& pairs, Array<MenuDefinitionPairs>& menus);

// What the control base asks of the pop-up menu it makes from the skin's "contextMenu" descriptor. The
// control library's pop-up menu implements it. UI thread only.
class IContextMenuPopup
{
public:
    virtual ~IContextMenuPopup() = default;
    // Shows a private copy of menu (an LMenuDescriptor), closing what was open. E_INVALIDARG for null or
    // for an object that is no menu.
    virtual ZQRESULT SetContextMenuTree(const RCPtr<LRefCountedObject>& menu) = 0;
    // Hands the pop-up, as the library's pop-up menu, to owner's PrepareContextMenu.
    virtual void LetOwnerPrepare(LControl& owner) = 0;
    // Places the pop-up at the pointer inside its root window, shows it and gives it the focus. 0.
    virtual ZQRESULT ShowAtCursor() = 0;
};
} // namespace ZQ
