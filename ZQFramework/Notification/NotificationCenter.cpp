#include "ZQFramework/Notification/NotificationCenter.h"

namespace ZQ
{
LNotificationCenter::LNotificationCenter(const char16_t* name) : mName(name)
{
}

LNotificationCenter::~LNotificationCenter() = default;

RCPtr<LNotificationCenter> LNotificationCenter::Create(const char16_t* name)
{
    RCPtr<LNotificationCenter> center(new LNotificationCenter(name));
    // The queue delivers to the center itself; that reference is one of the center's internal ones.
    if (center->GetTarget().IsNull() && !center->GetPostingReceiver().IsNull() &&
        center->SetTarget(RCPtr<LNotificationDistributor>(center)) == S_OK)
        center->AdjustOwnInternalReferences(1);
    return center;
}

ZQRESULT LNotificationCenter::ReleaseInternalReferences()
{
    UnregisterAllClients();
    // Held across Shutdown so that the target's release is not the one that counts; uncounted before it
    // is released.
    RCPtr<LNotificationDistributor> target = GetTarget();
    LNotificationQueue::Shutdown();
    if (target.Get() == static_cast<LNotificationDistributor*>(this))
        AdjustOwnInternalReferences(-1);
    target = nullptr;
    return LRefCountedObject::ReleaseInternalReferences();
}
} // namespace ZQ
