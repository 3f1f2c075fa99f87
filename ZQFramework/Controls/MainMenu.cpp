#include "ZQFramework/Controls/MainMenu.h"

#include "ZQFramework/ControlBase/ContextMenu.h"
#include "ZQFramework/ControlBase/Control.h"
#include "ZQFramework/ControlBase/StringTable.h"

namespace ZQ
{
namespace
{
constexpr const char16_t* kTitlePrefix = u"MENU_LABEL.";

void ReadTitles(const LStringTable& table, Array<WString>& titles)
{
    LStringTable::PairArray entries;
    (void)table.GetPairsWithPrefix(kTitlePrefix, entries);
    const int prefixLength = WString(kTitlePrefix).GetLength();
    for (uint32_t i = 0; i < entries.GetCount(); ++i)
    {
        const int number = entries.GetAt(i).first.Mid(prefixLength).ToInt();
        // A number out of range would index the list far beyond any menu the bar can show.
        if (number < 0 || number > MainMenuDefinitions::kMaxTitleNumber)
        {
            continue;
        }
        const auto index = static_cast<uint32_t>(number);
        if (index >= titles.GetCount())
        {
            (void)titles.SetCount(index + 1);
        }
        titles.GetAt(index) = entries.GetAt(i).second;
    }
}
} // namespace

void FocusReturnLink::Set(const LControl& bar, const RCPtr<LControl>& control)
{
    Clear();
    for (const LControl* walk = bar.GetParent().Get(); walk != nullptr; walk = walk->GetParent().Get())
    {
        if (walk == control.Get())
        {
            mAncestor = walk;
            return;
        }
    }
    mHeld = control;
}

RCPtr<LControl> FocusReturnLink::Get(const LControl& bar)
{
    RCPtr<LControl> control = mHeld;
    if (mAncestor != nullptr)
    {
        // The bar holds its parent, which holds its own: an ancestor found on that chain is alive.
        for (const RCPtr<LControl>* walk = &bar.GetParent(); *walk != nullptr; walk = &(*walk)->GetParent())
        {
            if (walk->Get() == mAncestor)
            {
                control = *walk;
                break;
            }
        }
    }
    const RCPtr<LRefCountedObject> window = bar.GetRootWindowObject();
    if (control == nullptr || window == nullptr || control->GetRootWindowObject() != window)
    {
        Clear();
        return nullptr;
    }
    return control;
}

void FocusReturnLink::Clear()
{
    mHeld = nullptr;
    mAncestor = nullptr;
}

void ReadMainMenuDefinitions(const LStringTable& table, MainMenuDefinitions& definitions)
{
    (void)definitions.Titles.RemoveAll();
    (void)definitions.Trees.RemoveAll();
    ReadTitles(table, definitions.Titles);
    MenuDefinitionPairs pairs;
    (void)table.GetPairsWithPrefix(u"CONTEXT_MENU", pairs);
    Array<MenuDefinitionPairs> menus;
    (void)GroupContextMenuPairs(pairs, menus);
    for (uint32_t i = 0; i < menus.GetCount(); ++i)
    {
        (void)definitions.Trees.Add(LMenuDescriptor::CreateFromKeyValuePairs(menus.GetAt(i)));
    }
}
} // namespace ZQ
