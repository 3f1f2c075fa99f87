#pragma once

#include <cstdint>

// Forward declarations of the control base: skin records, string tables, key bindings and the control
// factory.
namespace ZQ
{
template <class T, uint32_t G, uint32_t S>
class LRCPtrArray;

class LControl;
class LControlDescriptor;
class LSkinDescriptor;
class LLookDescriptor;
class LDockedPart;
class LVisualPartDescriptor;
class LVisualPart;
class LLayoutDescriptor;
class LStringTable;
class KeyBindingTable;
class LGlobalHotKeyManager;
class LControlFactory;
class LLook;
class LMenuItemUpdater;
class LRootWindow;
class LMenuDescriptor;
class LPopupMenu;
struct MenuItemState;
class UITarget;
class IControlApplication;
class LCancelArgs;
class LDialog;
class LClipboard;
class OSWindow;
struct LayoutResult;

// A skin's looks, by index; entries are null until the reader fills them.
using LLookList = LRCPtrArray<LLookDescriptor, 1, 0>;
} // namespace ZQ
