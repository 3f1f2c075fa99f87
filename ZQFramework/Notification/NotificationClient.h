#pragma once

#include "ZQFramework/Notification/NotificationReceiver.h"
#include "ZQFramework/Utilities/Storage/Array.h"

#include <cstdint>

namespace ZQ
{
// The usual receiver: registers itself with distributors and remembers where, so that it unregisters
// everywhere when its last outside reference goes. Each registration's reference on the client counts as
// an internal reference of the client. A client has no lock: it registers and unregisters on the thread
// that owns it.
class LNotificationClient : public LNotificationReceiver
{
public:
    LNotificationClient();
    ~LNotificationClient() override;

    // The identifier of name when distributor accepted the registration (new or already present); null
    // when distributor is null, name gives no identifier or the distributor refused.
    NotificationID RegisterWithDistributor(const RCPtr<LNotificationDistributor>& distributor,
                                           const char16_t* name, uint32_t flags);
    // 1 when the client holds no registration at all; E_INVALIDARG for a null distributor or identifier;
    // otherwise the distributor's answer (0 removed, 1 not registered).
    ZQRESULT UnregisterFromDistributor(const RCPtr<LNotificationDistributor>& distributor,
                                       const char16_t* name);
    // The number of registrations removed.
    int32_t UnregisterFromAllDistributors();

    [[nodiscard]] int32_t GetRegistrationCount() const { return mRegistrationCount; }
    // The distributors the client is registered with, each once.
    [[nodiscard]] const Array<LNotificationDistributor*>& GetDistributors() const { return mDistributors; }

    // Does nothing; receiving classes override it.
    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification) override;
    // Unregisters from source for id.
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                        NotificationID id) override;

    // Unregisters everywhere, then answers as the base does.
    ZQRESULT ReleaseInternalReferences() override;

private:
    int32_t mRegistrationCount = 0;
    Array<LNotificationDistributor*> mDistributors; // no references: the registrations keep them alive
};
} // namespace ZQ
