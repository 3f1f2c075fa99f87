// Keyboard focus: taking, passing, requesting and releasing it.
#include "ZQFramework/ControlBase/Control.h"
#include "ZQFramework/ControlBase/ControlApplication.h"
#include "ZQFramework/ControlBase/RootWindow.h"
#include "ZQFramework/Notification/NotificationHandler.h"
#include "ZQFramework/Renderer/Font.h"

namespace ZQ
{
bool LControl::CanReleaseFocus()
{
    return true;
}

ZQRESULT LControl::KillFocus()
{
    return 1;
}

ZQRESULT LControl::SetFocus(bool /*forward*/)
{
    return 1;
}

ZQRESULT LControl::SetNotFocusable(bool notFocusable)
{
    mNotFocusable = notFocusable;
    return 0;
}

bool LControl::HasFocusableDescendant() const
{
    return false;
}

ZQRESULT LControl::RequestFocus(const RCPtr<LControl>& /*child*/)
{
    return 1;
}

ZQRESULT LControl::ChildFocused(const RCPtr<LControl>& /*child*/)
{
    return 0;
}
} // namespace ZQ
