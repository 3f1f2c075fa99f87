#include "ZQFramework/Controls/Menus/MainMenu.h"

#include "ZQFramework/ControlBase/Control/ContextMenu.h"
#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/ControlBase/Skin/ControlDescriptor.h"
#include "ZQFramework/ControlBase/Skin/ControlFactory.h"
#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/ControlBase/Skin/StringTable.h"
#include "ZQFramework/ControlBase/Windows/ControlApplication.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Controls/ControlPattern.h"
#include "ZQFramework/Controls/Menus/ComboMenu.h"
#include "ZQFramework/Controls/Menus/PopupMenu.h"
#include "ZQFramework/Notification/ConditionsParam.h"

#include <vector>

namespace ZQ
{
namespace
{
constexpr const char16_t* kTitlePrefix = u"MENU_LABEL.";
constexpr const char16_t* kTemplateName = u"templateMenu";

RCPtr<LControlFactory> Factory()
{
    const IControlApplication* application = IControlApplication::GetCurrent();
    return application != nullptr ? application->GetControlFactory() : RCPtr<LControlFactory>();
}

void ReadTitles(const LStringTable& table, Array<WString>& titles)
{
    LStringTable::PairArray entries;
    table.GetPairsWithPrefix(kTitlePrefix, entries);
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
            titles.SetCount(index + 1);
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
    definitions.Titles.RemoveAll();
    definitions.Trees.RemoveAll();
    ReadTitles(table, definitions.Titles);
    MenuDefinitionPairs pairs;
    table.GetPairsWithPrefix(u"CONTEXT_MENU", pairs);
    Array<MenuDefinitionPairs> menus;
    GroupContextMenuPairs(pairs, menus);
    for (uint32_t i = 0; i < menus.GetCount(); ++i)
    {
        definitions.Trees.Add(LMenuDescriptor::CreateFromKeyValuePairs(menus.GetAt(i)));
    }
}

// --- The menu bar ---

LMainMenu::LMainMenu(CreateKey /*key*/, const RCPtr<LControl>& parent, const WString& name)
    : LControl(parent, name)
{
}

LMainMenu::~LMainMenu() = default;

int32_t LMainMenu::GetMenuCount() const
{
    int32_t count = 0;
    for (uint32_t i = 0; i < GetChildren().GetCount(); ++i)
    {
        count +=
            RCPtr<LComboMenu>(GetChildren().GetAt(i, ChildControlList::kStorageOrder)) != nullptr ? 1 : 0;
    }
    return count;
}

RCPtr<LComboMenu> LMainMenu::GetMenuAt(int32_t absoluteIndex) const
{
    int32_t seen = 0;
    for (uint32_t i = 0; i < GetChildren().GetCount() && absoluteIndex >= 0; ++i)
    {
        const RCPtr<LComboMenu> menu(GetChildren().GetAt(i, ChildControlList::kStorageOrder));
        if (menu != nullptr && seen++ == absoluteIndex)
        {
            return menu;
        }
    }
    return nullptr;
}

WString LMainMenu::GetMenuLabel(int32_t relativeIndex) const
{
    const RCPtr<LComboMenu> menu = relativeIndex >= 0 ? GetMenuAt(mFixedMenuCount + relativeIndex) : nullptr;
    return menu != nullptr ? menu->GetLabel() : WString();
}

int32_t LMainMenu::FindMenuIndex(const WString& label) const
{
    for (int32_t i = GetMenuCount() - 1; i >= 0; --i)
    {
        if (GetMenuAt(i)->GetLabel() == label)
        {
            return i < mFixedMenuCount ? -1 : i - mFixedMenuCount;
        }
    }
    return -1;
}

RCPtr<LPopupMenu> LMainMenu::GetPopupMenuOf(const RCPtr<LControl>& control)
{
    return control != nullptr ? FindTypedChild<LPopupMenu>(*control, u"popupMenu") : nullptr;
}

RCPtr<LMenuDescriptor> LMainMenu::GetMenuDescriptor(const RCPtr<LControl>& menu)
{
    const RCPtr<LPopupMenu> popup = GetPopupMenuOf(menu);
    return popup != nullptr ? popup->GetMenuDescriptor() : nullptr;
}

ZQRESULT LMainMenu::SetMenuItemUpdater(const RCPtr<LMenuItemUpdater>& updater)
{
    if (updater == mOwnerMenuItemUpdater)
    {
        return 1;
    }
    mOwnerMenuItemUpdater = updater;
    return 0;
}

ZQRESULT LMainMenu::SetPopupItemUpdater(const RCPtr<LControl>& menu, const RCPtr<LMenuItemUpdater>& updater)
{
    if (const RCPtr<LPopupMenu> popup = GetPopupMenuOf(menu); popup != nullptr)
    {
        popup->SetItemUpdater(updater);
    }
    return 0;
}

void LMainMenu::AdoptMenu(const RCPtr<LComboMenu>& menu)
{
    menu->SetFocusBoundary(true);
    SetPopupItemUpdater(RCPtr<LControl>(menu), GetMenuItemUpdater());
}

ZQRESULT LMainMenu::AddMenu(const WString& name)
{
    if (FindChild(name) != nullptr)
    {
        return E_INVALIDARG;
    }
    const RCPtr<LControlFactory> factory = Factory();
    if (mTemplateDescriptor == nullptr || mTemplateDescriptor->mLayout == nullptr || factory == nullptr)
    {
        return E_FAIL;
    }
    RCPtr<LLayoutDescriptor> layout;
    mTemplateDescriptor->mLayout->CopyTo(layout);
    const int32_t count = GetMenuCount();
    if ((count > mFixedMenuCount || !mHasTemplateChild) && count > 0)
    {
        // The new title starts at the last title's right edge.
        LLayoutDescriptor::AxisPosition& x = layout->mXPosition;
        x.ToControl = LLayoutDescriptor::kPositionSibling;
        x.ReferenceName = GetMenuAt(count - 1)->GetName();
        x.Anchor = 0;
        x.Rel = 1;
        x.Abs = 0;
    }
    const RCPtr<LControlDescriptor> copy =
        factory->CopyDescriptor(ConstRCPtr<LControlDescriptor>(mTemplateDescriptor), layout, name);
    const RCPtr<LControl> made = factory->CreateControl(copy, RCPtr<LControl>(this));
    const RCPtr<LComboMenu> menu(made);
    if (menu == nullptr)
    {
        if (made != nullptr)
        {
            made->Detach();
        }
        return E_FAIL;
    }
    AdoptMenu(menu);
    if (const RCPtr<LRootWindow> window = GetRootWindow(); window != nullptr)
    {
        if (const RCPtr<LPopupMenu> popup = menu->GetPopup(); popup != nullptr)
        {
            popup->SetOwner(RCPtr<LNotificationReceiver>(window->GetPostingReceiver()));
        }
    }
    return 0;
}

ZQRESULT LMainMenu::Rename(const RCPtr<LControl>& control, const WString& name)
{
    if (control == nullptr || control->GetParent() == nullptr)
    {
        return E_INVALIDARG;
    }
    const ZQRESULT result = control->GetParent()->GetChildren().RenameChild(control, name);
    return result == E_FAIL ? E_INVALIDARG : result;
}

ZQRESULT LMainMenu::InsertMenuBefore(const WString& before, const WString& name, const WString& label,
                                     const RCPtr<LMenuDescriptor>& menu)
{
    int32_t position = GetMenuCount();
    if (!before.IsEmpty())
    {
        const int32_t relative = FindMenuIndex(before);
        if (relative < 0)
        {
            return E_INVALIDARG;
        }
        position = mFixedMenuCount + relative;
    }
    const ZQRESULT added = AddMenu(name);
    if (added < 0)
    {
        return added;
    }
    for (int32_t k = GetMenuCount() - 1; k > position; --k)
    {
        const RCPtr<LComboMenu> current = GetMenuAt(k);
        const RCPtr<LComboMenu> previous = GetMenuAt(k - 1);
        if (const RCPtr<LMenuDescriptor> tree = GetMenuDescriptor(RCPtr<LControl>(previous)); tree != nullptr)
        {
            current->GetPopup()->SetMenuDescriptor(tree);
        }
        current->SetLabel(previous->GetLabel());
        const WString previousName = previous->GetName();
        Rename(RCPtr<LControl>(previous), previousName + u"_");
        Rename(RCPtr<LControl>(current), previousName);
    }
    const RCPtr<LComboMenu> target = GetMenuAt(position);
    target->SetLabel(label);
    if (menu != nullptr)
    {
        target->GetPopup()->SetMenuDescriptor(menu);
    }
    Rename(RCPtr<LControl>(target), name);
    return position - mFixedMenuCount;
}

ZQRESULT LMainMenu::InsertMenu(int32_t relativeIndex, const WString& name, const WString& label,
                               const RCPtr<LMenuDescriptor>& menu)
{
    if (relativeIndex < 0 || relativeIndex > GetMenuCount() - mFixedMenuCount)
    {
        return E_INVALIDARG;
    }
    return InsertMenuBefore(GetMenuLabel(relativeIndex), name, label, menu);
}

RCPtr<LControl> LMainMenu::GetFocusReturnControl()
{
    return mFocusReturn.Get(*this);
}

RCPtr<LControl> LMainMenu::GetEditTarget()
{
    if (const RCPtr<LControl> back = GetFocusReturnControl(); back != nullptr && back->IsEditTarget())
    {
        return back;
    }
    return GetParent() != nullptr ? RCPtr<LControl>(GetParent())->GetEditTarget() : nullptr;
}

void LMainMenu::OnConditionsChanged(const RCPtr<LConditionsParam>& conditions)
{
    LControl::OnConditionsChanged(conditions);
    if (conditions == nullptr || (conditions->mPrevious & kConditionContainsFocus) != 0 ||
        (conditions->mCurrent & kConditionContainsFocus) == 0)
    {
        return;
    }
    if (const RCPtr<LRootWindow> window = GetRootWindow(); window != nullptr)
    {
        mFocusReturn.Set(*this, window->GetLastFocusControl());
    }
}

void LMainMenu::ProcessRootWindowAquired()
{
    if (const RCPtr<LRootWindow> window = GetRootWindow(); window != nullptr)
    {
        const RCPtr<LNotificationReceiver> queue(window->GetPostingReceiver());
        for (int32_t i = GetMenuCount() - 1; i >= 0; --i)
        {
            if (const RCPtr<LPopupMenu> popup = GetMenuAt(i)->GetPopup(); popup != nullptr)
            {
                popup->SetOwner(queue);
            }
        }
    }
    LControl::ProcessRootWindowAquired();
}

ZQRESULT LMainMenu::UpdateMenuItemState(const RCPtr<LMenuDescriptor>& menu, int32_t itemIndex,
                                        int32_t command, MenuItemState& state)
{
    if (mOwnerMenuItemUpdater == nullptr)
    {
        return 1;
    }
    const RCPtr<LControl>& control = mOwnerMenuItemUpdater->GetControl();
    return control != nullptr ? control->UpdateMenuItemState(menu, itemIndex, command, state) : E_FAIL;
}

ZQRESULT LMainMenu::AddChildControl(const RCPtr<LControl>& control,
                                    const RCPtr<LControlDescriptor>& descriptor)
{
    if (control == nullptr)
    {
        if (descriptor != nullptr && descriptor->mName == kTemplateName)
        {
            mTemplateDescriptor = descriptor;
        }
        return 0;
    }
    if (descriptor == nullptr)
    {
        return 0;
    }
    const ZQRESULT result = LControl::AddChildControl(control, descriptor);
    if (mTemplateDescriptor == nullptr && RCPtr<LComboMenu>(control) != nullptr)
    {
        mTemplateDescriptor = descriptor;
    }
    return result;
}

ZQRESULT LMainMenu::ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor)
{
    if (!IsCreated())
    {
        return LControl::ApplyDescriptor(descriptor);
    }
    // Built menus are taken down with the old skin and made again from the new template.
    mTemplateDescriptor = nullptr;
    struct Built
    {
        RCPtr<LMenuDescriptor> Tree;
        WString Label;
        WString Name;
    };
    std::vector<Built> built;
    for (int32_t i = mFixedMenuCount; i < GetMenuCount(); ++i)
    {
        const RCPtr<LComboMenu> menu = GetMenuAt(i);
        built.push_back({GetMenuDescriptor(RCPtr<LControl>(menu)), menu->GetLabel(), menu->GetName()});
    }
    const ZQRESULT result = LControl::ApplyDescriptor(descriptor);
    // The template child left the tree at start-up, so no child brings its new descriptor back: it is
    // taken from the new skin directly.
    for (uint32_t i = 0; descriptor != nullptr && i < descriptor->mChildren.GetCount(); ++i)
    {
        const RCPtr<LControlDescriptor>& child = descriptor->mChildren.GetAt(i);
        if (child != nullptr && child->mName == kTemplateName)
        {
            AddChildControl(nullptr, child);
        }
    }
    for (const Built& menu : built)
    {
        if (AddMenu(menu.Name) < 0)
        {
            continue;
        }
        const RCPtr<LComboMenu> made(FindChild(menu.Name));
        if (made == nullptr)
        {
            continue;
        }
        if (menu.Tree != nullptr)
        {
            made->GetPopup()->SetMenuDescriptor(menu.Tree);
        }
        made->SetLabel(menu.Label);
    }
    return result;
}

ZQRESULT LMainMenu::Initialize()
{
    const ZQRESULT result = LControl::Initialize();
    SetNotFocusable(true);
    for (uint32_t i = GetChildren().GetCount(); i-- > 0;)
    {
        const RCPtr<LComboMenu> menu(GetChildren().GetAt(i, ChildControlList::kStorageOrder));
        if (menu == nullptr)
        {
            continue;
        }
        if (menu->GetName() == kTemplateName)
        {
            mTemplateDescriptor = menu->GetDescriptor();
            menu->Detach();
            mHasTemplateChild = true;
            continue;
        }
        AdoptMenu(menu);
        ++mFixedMenuCount;
        if (mTemplateDescriptor == nullptr)
        {
            mTemplateDescriptor = menu->GetDescriptor();
        }
    }
    BuildMenusFromStringTable();
    return result;
}

void LMainMenu::BuildMenusFromStringTable()
{
    const RCPtr<LStringTable> table = GetStringTable();
    if (table == nullptr)
    {
        return;
    }
    MainMenuDefinitions definitions;
    ReadMainMenuDefinitions(*table, definitions);
    if (!definitions.Match())
    {
        return;
    }
    int32_t failures = 0;
    for (uint32_t i = 0; i < definitions.Titles.GetCount(); ++i)
    {
        const WString& title = definitions.Titles.GetAt(i);
        if (InsertMenu(static_cast<int32_t>(i) - failures, title, title, definitions.Trees.GetAt(i)) < 0)
        {
            ++failures;
        }
    }
}
} // namespace ZQ
