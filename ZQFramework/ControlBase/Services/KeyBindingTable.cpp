#include "ZQFramework/ControlBase/Services/KeyBindingTable.h"

#include "ZQFramework/ControlBase/Skin/StringTable.h"
#include "ZQFramework/Notification/Notification.h"

namespace ZQ
{
namespace
{
// The identifier of an action name (interned on first use, as every notification name is); null for an
// empty name, which has no binding.
NotificationID FindAction(const WString& action)
{
    return action.IsEmpty() ? nullptr : LNotification::GetIDFromName(action.GetBuffer());
}
} // namespace

KeyBindingTable::KeyBindingTable() = default;
KeyBindingTable::~KeyBindingTable() = default;

ZQRESULT KeyBindingTable::LoadBindings(const ConstRCPtr<LStringTable>& table, const WString& prefix)
{
    if (!table)
        return E_INVALIDARG;
    LStringTable::PairArray pairs;
    table->GetPairsWithPrefix(prefix + u".", pairs);
    for (uint32_t i = 0; i < pairs.GetCount(); ++i)
    {
        const Pair<WString, WString>& entry = pairs.GetAt(i);
        const WString action = entry.first.Mid(entry.first.ReverseFind('.') + 1);
        AddBinding(KeyCode::FromString(entry.second), action);
    }
    return S_OK;
}

ZQRESULT KeyBindingTable::AddBinding(const KeyCode& key, const WString& action)
{
    if (!GetActionForKey(key).IsEmpty() || action.IsEmpty())
        return E_INVALIDARG;
    const NotificationID id = LNotification::GetIDFromName(action.GetBuffer());
    if (id == nullptr)
        return E_INVALIDARG;
    mBindings[id].Add(key);
    return S_OK;
}

WString KeyBindingTable::GetActionForKey(const KeyCode& key) const
{
    for (const auto& [id, keys] : mBindings)
    {
        for (uint32_t i = keys.GetCount(); i-- > 0;)
        {
            if (keys.GetAt(i) == key)
                return WString(id);
        }
    }
    return WString();
}

Array<KeyCode> KeyBindingTable::GetKeysForAction(const WString& action) const
{
    const auto found = mBindings.find(FindAction(action));
    return found == mBindings.end() ? Array<KeyCode>() : found->second;
}

bool KeyBindingTable::HasBinding(const WString& action) const
{
    return mBindings.contains(FindAction(action));
}

KeyCode KeyBindingTable::GetFirstKeyForAction(const WString& action) const
{
    const auto found = mBindings.find(FindAction(action));
    if (found == mBindings.end() || found->second.GetCount() == 0)
        return KeyCode(KeyCode::kNoBinding, 0, 0);
    return found->second.GetAt(0);
}
} // namespace ZQ
