#include "ZQFramework/ControlBase/Control/ContextMenu.h"

#include <algorithm>
#include <vector>

namespace ZQ
{
namespace
{
constexpr const char16_t* kMenuPrefix = u"CONTEXT_MENU";
constexpr const char16_t* kSingleMenuPrefix = u"CONTEXT_MENU.";

bool BeginsWith(const WString& text, const WString& prefix)
{
    return text.GetLength() >= prefix.GetLength() && text.Left(prefix.GetLength()) == prefix;
}

// The pairs whose keys begin with prefix, the prefix cut off.
MenuDefinitionPairs PairsUnder(const MenuDefinitionPairs& pairs, const WString& prefix)
{
    MenuDefinitionPairs menu;
    for (uint32_t i = 0; i < pairs.GetCount(); ++i)
    {
        const Pair<WString, WString>& pair = pairs.GetAt(i);
        if (BeginsWith(pair.first, prefix))
        {
            menu.Add({pair.first.Mid(prefix.GetLength()), pair.second});
        }
    }
    return menu;
}

// The distinct texts before the first dot of the "CONTEXT_MENU" keys, ascending.
std::vector<WString> MenuNames(const MenuDefinitionPairs& pairs)
{
    const WString prefix(kMenuPrefix);
    std::vector<WString> names;
    for (uint32_t i = 0; i < pairs.GetCount(); ++i)
    {
        const WString& key = pairs.GetAt(i).first;
        const int dot = key.Find('.', 0);
        if (BeginsWith(key, prefix) && dot >= 0 && dot < key.GetLength())
        {
            names.push_back(key.Left(dot));
        }
    }
    std::stable_sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}
} // namespace

uint32_t GroupContextMenuPairs(const MenuDefinitionPairs& pairs, Array<MenuDefinitionPairs>& menus)
{
    const MenuDefinitionPairs single = PairsUnder(pairs, kSingleMenuPrefix);
    if (single.GetCount() > 0)
    {
        menus.Add(single);
        return 1;
    }
    const std::vector<WString> names = MenuNames(pairs);
    for (const WString& name : names)
    {
        menus.Add(PairsUnder(pairs, name + WString(u".")));
    }
    return static_cast<uint32_t>(names.size());
}
} // namespace ZQ
