#include "ZQFramework/ControlBase/Services/Clipboard.h"

#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/ControlBase/Windows/ControlApplication.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/ControlBase/Windows/WindowOSServices.h"
#include "ZQFramework/Notification/NotificationCenterManager.h"
#include "ZQFramework/Notification/NotificationNames.h"
#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/Utilities/Storage/ToString.h"
#include "ZQFramework/Utilities/Storage/WrapperStringable.h"

#include <string>
#include <utility>

namespace ZQ
{
namespace
{
using TextWrapper = LWrapperStringable<WString, &StringToString>;

// The native window of the application's first root window owns what the program puts on the clipboard;
// without one nothing does.
uintptr_t OwnerWindow()
{
    const IControlApplication* const application = IControlApplication::GetCurrent();
    if (application == nullptr)
        return 0;
    const RCPtr<LRootWindow> rootWindow(application->GetFirstRootWindow());
    if (rootWindow.IsNull() || rootWindow->GetServices() == nullptr)
        return 0;
    return rootWindow->GetServices()->GetNativeHandle();
}

// The edit target of the focused control in the active root window, or null.
RCPtr<LControl> FocusedEditTarget()
{
    const IControlApplication* const application = IControlApplication::GetCurrent();
    if (application == nullptr)
        return nullptr;
    const RCPtr<LRootWindow> rootWindow(application->GetActiveRootWindow());
    if (rootWindow.IsNull())
        return nullptr;
    const RCPtr<LControl> focus = rootWindow->GetFocusControl();
    if (focus.IsNull())
        return nullptr;
    RCPtr<LControl> target = focus->GetEditTarget();
    if (target.IsNull() || !target->IsEditTarget())
        return nullptr;
    return target;
}
} // namespace

LClipboard::LClipboard(std::unique_ptr<IClipboardSelection> selection) : mSelection(std::move(selection))
{
}

RCPtr<LClipboard> LClipboard::Create()
{
    return Create(CreateSystemClipboardSelection());
}

RCPtr<LClipboard> LClipboard::Create(std::unique_ptr<IClipboardSelection> selection)
{
    return RCPtr<LClipboard>(new LClipboard(std::move(selection)));
}

ZQRESULT LClipboard::Initialize()
{
    struct Binding
    {
        const char16_t* name;
        LNotificationHandler<LClipboard>::Callback callback;
        int line;
    };
    static constexpr Binding kBindings[] = {
        {kNidEditCutReq, &LClipboard::OnCut, 41},
        {kNidEditCopyReq, &LClipboard::OnCopy, 42},
        {kNidEditPasteReq, &LClipboard::OnPaste, 43},
        {kNidEditDeleteReq, &LClipboard::OnDelete, 44},
    };
    try
    {
        mHandler = LNotificationHandler<LClipboard>::Create(this);
        const RCPtr<LNotificationDistributor> center(GetDefaultNotificationCenter());
        for (const Binding& binding : kBindings)
        {
            const ZQRESULT result = mHandler->AddCallback(binding.callback, center, binding.name, 0);
            if (result < 0)
            {
                ThrowFailedResult(result, "ZQ::LClipboard::Initialize : System\\ClipBoard : Line " +
                                              std::to_string(binding.line));
            }
        }
    }
    catch (...)
    {
        return E_FAIL;
    }
    mInitialized = true;
    return S_OK;
}

ZQRESULT LClipboard::OnCut(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    PerformEditOnFocus(kEditCut);
    return 1;
}

ZQRESULT LClipboard::OnCopy(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    PerformEditOnFocus(kEditCopy);
    return 1;
}

ZQRESULT LClipboard::OnPaste(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    PerformEditOnFocus(kEditPaste);
    return 1;
}

ZQRESULT LClipboard::OnDelete(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    PerformEditOnFocus(kEditDelete);
    return 1;
}

bool LClipboard::CanPerformEditOnFocus(int32_t code)
{
    const RCPtr<LControl> target = FocusedEditTarget();
    return !target.IsNull() && target->CanPerformEdit(code);
}

ZQRESULT LClipboard::PerformEditOnFocus(int32_t code)
{
    const RCPtr<LControl> target = FocusedEditTarget();
    if (target.IsNull() || !target->CanPerformEdit(code))
        return S_FALSE;
    return target->PerformEdit(code);
}

ZQRESULT LClipboard::SetText(const RCPtr<LRefCountedObject>& object)
{
    if (mBusy)
        return S_FALSE;
    mBusy = true;
    mClipboardObject = object;
    ZQRESULT result = S_OK;
    if (!object.IsNull())
    {
        // Text goes out as text; any other object stays here and the clipboard only marks that it is ours.
        const RCPtr<TextWrapper> text(object);
        const std::optional<std::string> utf8 =
            text.IsNull() ? std::nullopt
                          : std::optional<std::string>(text->GetValue().ToNarrow().GetBuffer());
        result = mSelection->Set(OwnerWindow(), utf8) ? S_OK : E_FAIL;
        mLastSequenceNumber = mSelection->GetSequenceNumber();
    }
    mBusy = false;
    return result;
}

RCPtr<LRefCountedObject> LClipboard::GetText()
{
    if (mSelection->GetSequenceNumber() == mLastSequenceNumber || mSelection->HoldsOwnObject())
        return mClipboardObject;
    const std::optional<std::string> text = mSelection->GetText();
    if (!text)
    {
        mClipboardObject = nullptr;
        return nullptr;
    }
    mClipboardObject = TextWrapper::Create(WString(text->c_str()));
    mLastSequenceNumber = mSelection->GetSequenceNumber();
    return mClipboardObject;
}

ZQRESULT LClipboard::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                         const RCPtr<LNotification>& notification)
{
    if (mHandler.IsNull() || !mInitialized)
        return S_OK;
    return mHandler->Dispatch(source, notification);
}

ZQRESULT LClipboard::RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                                NotificationID id)
{
    if (!mHandler.IsNull())
        mHandler->RemoveCallback(source.Get(), id);
    return LNotificationClient::RemoveNotificationCallback(source, id);
}
} // namespace ZQ
