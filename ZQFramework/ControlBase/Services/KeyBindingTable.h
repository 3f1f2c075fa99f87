#pragma once

#include "ZQFramework/ControlBase/Forward.h"
#include "ZQFramework/Notification/Forward.h"
#include "ZQFramework/Notification/KeyCode.h"
#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/Utilities/Storage/Array.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <map>

namespace ZQ
{
// Key strokes bound to actions, an action being a notification name: a control's local bindings ("LHK"
// entries of its string table) or a hot-key manager's global ones ("GHK"). A key is bound to at most one
// action of a table (keys compare by KeyCode's equality); an action may have several keys. The owner fills
// and asks it on the UI thread.
class KeyBindingTable
{
public:
    KeyBindingTable();
    ~KeyBindingTable();

    // Binds the entries of table whose keys begin with prefix and "." (in key order): the action is the
    // part after the key's last ".", the key code the entry's text. Refused bindings are skipped.
    // E_INVALIDARG for a null table, else 0.
    ZQRESULT LoadBindings(const ConstRCPtr<LStringTable>& table, const WString& prefix);
    // 0 when bound; E_INVALIDARG for an empty action or a key that already has an action here.
    ZQRESULT AddBinding(const KeyCode& key, const WString& action);
    // The action bound to a key equal to key, or the empty text.
    [[nodiscard]] WString GetActionForKey(const KeyCode& key) const;
    // The action's keys in binding order; empty for an empty or unbound action.
    [[nodiscard]] Array<KeyCode> GetKeysForAction(const WString& action) const;
    [[nodiscard]] bool HasBinding(const WString& action) const;
    // The key bound earliest, or the no-binding code {0x80000000, 0, 0}.
    [[nodiscard]] KeyCode GetFirstKeyForAction(const WString& action) const;
    // Drops every binding.
    void RemoveAll() { mBindings.clear(); }

private:
    // Keyed by the interned name, so ordered by identifier, not by text.
    std::map<NotificationID, Array<KeyCode>> mBindings;
};
} // namespace ZQ
