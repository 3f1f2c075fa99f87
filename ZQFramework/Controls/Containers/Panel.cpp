#include "ZQFramework/Controls/Containers/Panel.h"

#include "ZQFramework/ControlBase/Services/GlobalHotKeyManager.h"
#include "ZQFramework/ControlBase/Windows/ControlApplication.h"
#include "ZQFramework/Controls/ControlPattern.h"
#include "ZQFramework/Notification/KeyCode.h"
#include "ZQFramework/Notification/KeyParam.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationNames.h"
#include "ZQFramework/Notification/SiblingKeyParam.h"

namespace ZQ
{
namespace
{
// Visible in the tree, enabled with its parents and not marked not focusable.
bool CanTakeFocusNow(const LControl& control)
{
    return !control.IsNotFocusable() && control.IsVisible(true) && control.IsEnabled(true);
}
} // namespace

LPanel::LPanel(CreateKey key, const RCPtr<LControl>& parent, const WString& name)
    : LScrollView(key, parent, name)
{
}

LPanel::~LPanel() = default;

ZQRESULT LPanel::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                     const RCPtr<LNotification>& notification)
{
    if (IsCreated() && mPanelHandler != nullptr)
    {
        const ZQRESULT handled = mPanelHandler->Dispatch(source, notification);
        if (handled != 0)
        {
            return handled;
        }
    }
    return LScrollView::ReceiveNotification(source, notification);
}

ZQRESULT LPanel::RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source, NotificationID id)
{
    if (mPanelHandler != nullptr)
    {
        mPanelHandler->RemoveCallback(source.Get(), id);
    }
    return LScrollView::RemoveNotificationCallback(source, id);
}

RCPtr<LControl> LPanel::GetNextTabStop(const RCPtr<LControl>& from, bool backward)
{
    RCPtr<LControl> next = LControl::GetNextTabStop(from, backward);
    if (GetParent() == nullptr || next == nullptr || from == nullptr)
    {
        return next;
    }
    const int32_t fromIndex = IndexOfChild(from, ChildControlList::kTabOrder);
    if (fromIndex < 0)
    {
        return next;
    }
    const int32_t nextIndex = IndexOfChild(next, ChildControlList::kTabOrder);
    const bool wrapped = backward ? nextIndex >= fromIndex : nextIndex <= fromIndex;
    return wrapped ? RCPtr<LControl>() : next;
}

ZQRESULT LPanel::HandleKeyPress(const RCPtr<LKeyParam>& /*param*/)
{
    return 1;
}

ZQRESULT LPanel::ProcessHotKey(const RCPtr<LKeyParam>& param)
{
    if (param == nullptr)
    {
        return 1;
    }
    if (OnSiblingKey(param) != 1)
    {
        return 0;
    }
    if (GetParent() == nullptr)
    {
        // At the top only the application's hot keys are asked, not the window's.
        const IControlApplication* application = IControlApplication::GetCurrent();
        const RCPtr<LGlobalHotKeyManager> hotKeys =
            application != nullptr ? application->GetHotKeyManager() : RCPtr<LGlobalHotKeyManager>();
        return hotKeys != nullptr ? hotKeys->ProcessKey(param->mKeyCode) : 1;
    }
    param->AddVisitedControl(this);
    const RCPtr<LControl> parent = GetParent();
    return parent->ProcessHotKey(param);
}

ZQRESULT LPanel::OnTabKey(const RCPtr<LKeyParam>& param)
{
    if (param == nullptr)
    {
        return 1;
    }
    const RCPtr<LControl> self = KeepControlAlive(this);
    const uint32_t code = param->mKeyCode.GetCode();
    const bool backward = (code & KeyCode::kShift) != 0;
    if ((code & KeyCode::kCtrl) == 0)
    {
        const uint32_t visited = param->mVisitedControls.GetCount();
        RCPtr<LControl> start =
            visited > 0 ? RCPtr<LControl>(param->mVisitedControls.GetAt(visited - 1)) : RCPtr<LControl>();
        RCPtr<LControl> next = GetNextTabStop(start, backward);
        // One full turn at most, even when start is none of the children.
        for (uint32_t steps = 0; next != nullptr && next != start && steps <= GetChildren().GetCount();
             ++steps)
        {
            if (CanTakeFocusNow(*next) || next->HasFocusableDescendant())
            {
                next->SetFocus(!backward);
                return 0;
            }
            // A start that is no longer a tab stop cannot end the search: the first candidate does.
            if (start == nullptr || !start->IsVisible(true) || !start->IsEnabled(true))
            {
                start = next;
            }
            next = GetNextTabStop(next, backward);
        }
    }
    param->AddVisitedControl(this);
    const RCPtr<LControl> parent = GetParent();
    return parent != nullptr ? parent->OnTabKey(param) : 1;
}

ZQRESULT LPanel::Initialize()
{
    const ZQRESULT result = LScrollView::Initialize();
    if (result < 0 || GetParent() == nullptr)
    {
        return result;
    }
    mPanelHandler = LNotificationHandler<LPanel>::Create(this);
    const ZQRESULT bound = mPanelHandler->AddCallback(
        &LPanel::OnSiblingKeyFromParent, RCPtr<LNotificationDistributor>(GetParent()), kNidSiblingKey);
    return bound < 0 ? E_FAIL : 0;
}

ZQRESULT LPanel::OnSiblingKeyFromParent(const RCPtr<LNotificationDistributor>& /*source*/,
                                        const RCPtr<LNotification>& notification)
{
    const RCPtr<LSiblingKeyParam> sibling = notification != nullptr
                                                ? RCPtr<LSiblingKeyParam>(notification->GetParam())
                                                : RCPtr<LSiblingKeyParam>();
    if (sibling == nullptr)
    {
        return 1;
    }
    const RCPtr<LKeyParam> key = LKeyParam::Create(sibling->mKeyCode, 1);
    sibling->mPending = OnSiblingKey(key);
    return 1;
}
} // namespace ZQ
