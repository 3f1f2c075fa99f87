#include "ZQFramework/Controls/Text/StatusBar.h"

#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Controls/ControlPattern.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationDistributor.h"
#include "ZQFramework/Notification/NotificationNames.h"
#include "ZQFramework/Utilities/Storage/ToString.h"
#include "ZQFramework/Utilities/Storage/WrapperStringable.h"

namespace ZQ
{
namespace
{
using StatusText = LWrapperStringable<WString, &StringToString>;
} // namespace

LStatusBar::LStatusBar(CreateKey /*key*/, const RCPtr<LControl>& parent, const WString& name)
    : LControl(parent, name)
{
}

LStatusBar::~LStatusBar() = default;

ZQRESULT LStatusBar::SetStatusTextNow(const WString& text)
{
    // Texts posted earlier must not overwrite this one at a later idle pass.
    ProcessNotifications(false);
    if (mTextLabel != nullptr)
    {
        mTextLabel->SetLabel(text);
    }
    if (const RCPtr<LRootWindow> window = GetRootWindow(); window != nullptr)
    {
        window->InvalidateAllAndRedraw();
    }
    return 0;
}

ZQRESULT LStatusBar::PostStatusText(const WString& text)
{
    const RCPtr<StatusText> param = StatusText::Create(text);
    return PostNotification(LNotification::Create(kNidSetStatusText, ConstRCPtr<LRefCountedObject>(param)));
}

WString LStatusBar::GetDefaultStatusText() const
{
    return mDefaultStatusText;
}

ZQRESULT LStatusBar::ReleaseInternalReferences()
{
    // The count goes down before the queue lets its target go, so that this release is not taken for
    // the last outside one.
    if (GetTarget() != nullptr)
    {
        AdjustOwnInternalReferences(-1);
    }
    Shutdown();
    return LControl::ReleaseInternalReferences();
}

ZQRESULT LStatusBar::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                         const RCPtr<LNotification>& notification)
{
    return DispatchClassFirst(*this, mStatusHandler, source, notification);
}

ZQRESULT LStatusBar::RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                                NotificationID id)
{
    return RemoveClassCallback(*this, mStatusHandler, source, id);
}

ZQRESULT LStatusBar::Initialize()
{
    const ZQRESULT result = LControl::Initialize();
    if (result < 0)
    {
        return result;
    }
    mStatusHandler = LNotificationHandler<LStatusBar>::Create(this);
    const RCPtr<LNotificationDistributor> self(this);
    mStatusHandler->AddCallback(&LStatusBar::OnSetStatusText, self, kNidSetStatusText,
                                LNotificationDistributor::kLatestOnly);
    if (SetTarget(self) == 0)
    {
        AdjustOwnInternalReferences(1);
    }
    RequestIdle();
    mTextLabel = FindTypedChild<LLabel>(*this, u"label1");
    if (mTextLabel != nullptr)
    {
        mDefaultStatusText = mTextLabel->GetString(u"LABEL");
    }
    return result;
}

ZQRESULT LStatusBar::ProcessCreateParams()
{
    const ZQRESULT result = LControl::ProcessCreateParams();
    SetNotFocusable(true);
    return result;
}

void LStatusBar::OnIdle()
{
    ProcessNotifications(false);
}

ZQRESULT LStatusBar::OnSetStatusText(const RCPtr<LNotificationDistributor>& /*source*/,
                                     const RCPtr<LNotification>& notification)
{
    const RCPtr<StatusText> text(notification->GetParam());
    if (text != nullptr && mTextLabel != nullptr)
    {
        mTextLabel->SetLabel(text->GetValue());
    }
    return 1;
}
} // namespace ZQ
