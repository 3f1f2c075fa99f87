// A control's context menu: its definitions in the create parameters, the pop-up that a right click
// opens, and its commands acting as the hot keys that bind them.
#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/ControlBase/Services/GlobalHotKeyManager.h"
#include "ZQFramework/ControlBase/Skin/ControlDescriptor.h"
#include "ZQFramework/ControlBase/Skin/ControlFactory.h"
#include "ZQFramework/ControlBase/Skin/StringTable.h"
#include "ZQFramework/ControlBase/Windows/ControlApplication.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationHandler.h"

#include <exception>

namespace ZQ
{
namespace
{
bool Contains(const Array<WString>& texts, const WString& text)
{
    for (uint32_t i = 0; i < texts.GetCount(); ++i)
    {
        if (texts.GetAt(i) == text)
        {
            return true;
        }
    }
    return false;
}

bool Binds(const RCPtr<LGlobalHotKeyManager>& hotKeys, const WString& command)
{
    return hotKeys != nullptr && hotKeys->GetKeyBindings().HasBinding(command);
}
} // namespace

void LControl::ReadContextMenuDefinitions(Array<MenuDefinitionPairs>& menus) const
{
    if (mDescriptor == nullptr || mDescriptor->mCreateParams == nullptr)
    {
        return;
    }
    MenuDefinitionPairs pairs;
    mDescriptor->mCreateParams->GetPairsWithPrefix(u"CONTEXT_MENU", pairs);
    GroupContextMenuPairs(pairs, menus);
}

ZQRESULT LControl::ReplaceContextMenu(const RCPtr<LRefCountedObject>& menu, const Array<WString>& commands)
{
    UnbindContextMenuCommands();
    mContextMenu = menu;
    BindContextMenuCommands(commands);
    return 0;
}

void LControl::BindContextMenuCommands(const Array<WString>& commands)
{
    if (mHandler == nullptr)
    {
        mHandler = LNotificationHandler<LControl>::Create(this);
    }
    const RCPtr<LNotificationDistributor> self(this);
    for (uint32_t i = 0; i < commands.GetCount(); ++i)
    {
        const WString& command = commands.GetAt(i);
        // A command that the control handles already keeps its own handler.
        if (FindHotKeysFor(command) == nullptr || Contains(mContextMenuCommands, command) ||
            mHandler->HasCallback(self.Get(), command.GetBuffer()) ||
            mHandler->HasCallback(nullptr, command.GetBuffer()))
        {
            continue;
        }
        if (mHandler->AddCallback(&LControl::OnContextMenuCommand, self, command.GetBuffer()) == 0)
        {
            mHandler->AddDirectCallback(&LControl::OnContextMenuCommand, command.GetBuffer());
            mContextMenuCommands.Add(command);
        }
    }
}

void LControl::UnbindContextMenuCommands()
{
    if (mContextMenuCommands.GetCount() == 0)
    {
        return;
    }
    const RCPtr<LNotificationDistributor> self(this);
    for (uint32_t i = 0; i < mContextMenuCommands.GetCount(); ++i)
    {
        const NotificationID id = LNotification::GetIDFromName(mContextMenuCommands.GetAt(i).GetBuffer());
        mHandler->RemoveCallback(nullptr, id);
        RemoveNotificationCallback(self, id);
    }
    mContextMenuCommands.RemoveAll();
}

RCPtr<LGlobalHotKeyManager> LControl::FindHotKeysFor(const WString& command) const
{
    if (const RCPtr<LRootWindow> window = GetRootWindow(); window != nullptr)
    {
        if (Binds(window->GetHotKeyManager(), command))
        {
            return window->GetHotKeyManager();
        }
    }
    const IControlApplication* application = IControlApplication::GetCurrent();
    const RCPtr<LGlobalHotKeyManager> hotKeys =
        application != nullptr ? application->GetHotKeyManager() : RCPtr<LGlobalHotKeyManager>();
    return Binds(hotKeys, command) ? hotKeys : nullptr;
}

ZQRESULT LControl::OnContextMenuCommand(const RCPtr<LNotificationDistributor>& /*source*/,
                                        const RCPtr<LNotification>& notification)
{
    const WString command(notification->GetID());
    if (const RCPtr<LGlobalHotKeyManager> hotKeys = FindHotKeysFor(command); hotKeys != nullptr)
    {
        hotKeys->ProcessKey(hotKeys->GetKeyBindings().GetFirstKeyForAction(command));
    }
    return 1;
}

void LControl::ShowContextMenu()
{
    const RCPtr<LRefCountedObject> menu = GetContextMenu();
    const IControlApplication* application = IControlApplication::GetCurrent();
    const RCPtr<LControlFactory> factory =
        application != nullptr ? application->GetControlFactory() : RCPtr<LControlFactory>();
    if (menu == nullptr || factory == nullptr)
    {
        return;
    }
    const RCPtr<LControlDescriptor> descriptor = factory->FindSkinDescriptor(u"contextMenu");
    if (descriptor == nullptr)
    {
        return;
    }
    RCPtr<LControl> made;
    try
    {
        made = factory->CreateControl(descriptor, RCPtr<LControl>(this));
    }
    catch (const std::exception&)
    {
        return; // the skin's menu is of a class nobody registered: no menu
    }
    auto* const popup = dynamic_cast<IContextMenuPopup*>(made.Get());
    if (popup == nullptr)
    {
        // Not a pop-up menu: it is taken out again rather than left behind as a stray child.
        if (made != nullptr)
        {
            made->Detach();
        }
        return;
    }
    made->SetVisible(false);
    popup->SetContextMenuTree(menu);
    popup->LetOwnerPrepare(*this);
    popup->ShowAtCursor();
}
} // namespace ZQ
