#include "ZQFramework/ControlBase/Services/GlobalHotKeyManager.h"

#include "ZQFramework/Notification/KeyParam.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationDistributor.h"
#include "ZQFramework/Notification/NotificationReceiver.h"

namespace ZQ
{
RCPtr<LGlobalHotKeyManager> LGlobalHotKeyManager::Create(const RCPtr<LNotificationReceiver>& receiver)
{
    return RCPtr<LGlobalHotKeyManager>(new LGlobalHotKeyManager(receiver));
}

LGlobalHotKeyManager::LGlobalHotKeyManager(const RCPtr<LNotificationReceiver>& receiver) : mReceiver(receiver)
{
}

LGlobalHotKeyManager::~LGlobalHotKeyManager() = default;

int32_t LGlobalHotKeyManager::ProcessKey(const KeyCode& key)
{
    const WString action = mKeyBindings.GetActionForKey(key);
    if (action.IsEmpty())
        return 1;
    const RCPtr<LNotification> notification =
        LNotification::Create(action.GetBuffer(), LKeyParam::Create(key, 1));
    if (notification && mReceiver)
        mReceiver->ReceiveNotification(nullptr, notification);
    return 0;
}
} // namespace ZQ
