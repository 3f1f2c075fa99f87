#pragma once

#include "ZQFramework/Notification/Forward.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"

namespace ZQ
{
// The receiving interface that distributors call. Delivery happens on the thread that notifies, with no
// lock of the notification system held, so a receiver may notify, register and unregister freely.
class LNotificationReceiver : public virtual LRefCountedObject
{
public:
    // One notification from source (null for a notification handed over directly). The result is the
    // receiver's own; distributors do not examine it.
    virtual ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                         const RCPtr<LNotification>& notification) = 0;

    // Asked by a distributor that is letting go of all its receivers: drop the binding for (source, id)
    // and unregister from source.
    virtual ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                                NotificationID id) = 0;
};
} // namespace ZQ
