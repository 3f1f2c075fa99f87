#include "ZQFramework/ControlBase/Windows/Dialog.h"

#include "ZQFramework/ControlBase/Windows/CancelArgs.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationNames.h"

namespace ZQ
{
LDialog::LDialog(const RCPtr<LControl>& parent, const WString& name, bool mostDerived)
    : LControl(parent, name, mostDerived)
{
}

LDialog::~LDialog() = default;

void LDialog::Close(int32_t result)
{
    // A receiver or OnClosed may let go of the dialog's last outside reference.
    const RCPtr<LDialog> self = GetRefCount() > 0 ? RCPtr<LDialog>(this) : RCPtr<LDialog>();
    mResult = result;
    if (SendClosingNotification()->mCancel)
    {
        return;
    }
    // The top control's window: the same whether the dialog has a parent or is the top control itself.
    if (const RCPtr<LRootWindow> window = GetRootWindow(); window != nullptr)
    {
        window->EndModal(mResult);
    }
    Notify(LNotification::Create(kNidDialogClosed));
    OnClosed();
}

RCPtr<LCancelArgs> LDialog::SendClosingNotification()
{
    RCPtr<LCancelArgs> args = LCancelArgs::Create();
    Notify(LNotification::Create(kNidDialogClosing, args));
    return args;
}

void LDialog::OnClosed()
{
}
} // namespace ZQ
