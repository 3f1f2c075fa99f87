#include "ZQFramework/Notification/NotificationClient.h"

#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationDistributor.h"

namespace ZQ
{
namespace
{
// Holds a reference on an object for a scope, unless nobody holds the object yet (a client registering
// in its constructor must not be released to nothing by its own guard).
class SelfReference
{
public:
    explicit SelfReference(LRefCountedObject* object) : mObject(object->GetRefCount() > 0 ? object : nullptr)
    {
        if (mObject != nullptr)
            mObject->AddRef();
    }
    ~SelfReference()
    {
        if (mObject != nullptr)
            mObject->Release();
    }
    SelfReference(const SelfReference&) = delete;
    SelfReference& operator=(const SelfReference&) = delete;

private:
    LRefCountedObject* mObject;
};
} // namespace

LNotificationClient::LNotificationClient() = default;

LNotificationClient::~LNotificationClient() = default;

NotificationID
LNotificationClient::RegisterWithDistributor(const RCPtr<LNotificationDistributor>& distributor,
                                             const char16_t* name, uint32_t flags)
{
    if (distributor.IsNull())
        return nullptr;
    const NotificationID id = LNotification::GetIDFromName(name);
    if (id == nullptr)
        return nullptr;
    const ZQRESULT result = distributor->RegisterClient(this, id, flags);
    if (Failed(result))
        return nullptr;
    if (result == S_OK)
    {
        // The new entry's reference on this client is one of its internal references.
        AdjustInternalRefCount(this, 1);
        ++mRegistrationCount;
    }
    LNotificationDistributor* const raw = distributor.Get();
    bool listed = false;
    for (uint32_t i = 0; i < mDistributors.GetCount() && !listed; ++i)
        listed = mDistributors.GetAt(i) == raw;
    if (!listed)
        mDistributors.Add(raw);
    return id;
}

ZQRESULT LNotificationClient::UnregisterFromDistributor(const RCPtr<LNotificationDistributor>& distributor,
                                                        const char16_t* name)
{
    if (mRegistrationCount == 0)
        return S_FALSE;
    const NotificationID id = LNotification::GetIDFromName(name);
    if (distributor.IsNull() || id == nullptr)
        return E_INVALIDARG;

    // Keeps the entry's release from looking like the last outside one while the count is adjusted.
    const SelfReference self(this);
    const ZQRESULT result = distributor->UnregisterClient(this, id);
    if (result == S_OK)
    {
        AdjustInternalRefCount(this, -1);
        --mRegistrationCount;
        if (!distributor->IsClientRegistered(this))
        {
            for (uint32_t i = mDistributors.GetCount(); i-- > 0;)
            {
                if (mDistributors.GetAt(i) == distributor.Get())
                {
                    mDistributors.RemoveAt(i, 1);
                    break;
                }
            }
        }
    }
    return result;
}

int32_t LNotificationClient::UnregisterFromAllDistributors()
{
    if (mRegistrationCount < 1)
        return 0;
    AdjustInternalRefCount(this, -mRegistrationCount);
    const SelfReference self(this);
    int32_t removed = 0;
    for (uint32_t i = mDistributors.GetCount(); i-- > 0;)
    {
        // The registrations keep the distributor alive until the call has removed them.
        LNotificationDistributor* const distributor = mDistributors.GetAt(i);
        mDistributors.RemoveAt(i, 1);
        const int32_t count = distributor->UnregisterClientFromAll(this);
        if (count > 0)
            removed += count;
    }
    mRegistrationCount = 0;
    return removed;
}

ZQRESULT LNotificationClient::ReceiveNotification(const RCPtr<LNotificationDistributor>&,
                                                  const RCPtr<LNotification>&)
{
    return S_OK;
}

ZQRESULT LNotificationClient::RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                                         NotificationID id)
{
    return UnregisterFromDistributor(source, id);
}

ZQRESULT LNotificationClient::ReleaseInternalReferences()
{
    UnregisterFromAllDistributors();
    return LRefCountedObject::ReleaseInternalReferences();
}
} // namespace ZQ
