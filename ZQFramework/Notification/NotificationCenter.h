#pragma once

#include "ZQFramework/Notification/NotificationDistributor.h"
#include "ZQFramework/Notification/NotificationQueue.h"
#include "ZQFramework/Utilities/Storage/String.h"

namespace ZQ
{
// A named distributor whose own queue delivers to itself: receivers register with the center, any thread
// posts to it, and the UI thread drains it. The manager owns the centers.
class LNotificationCenter : public LNotificationDistributor, public LNotificationQueue
{
public:
    [[nodiscard]] static RCPtr<LNotificationCenter> Create(const char16_t* name);

    ~LNotificationCenter() override;

    [[nodiscard]] const StringT<char16_t, char>& GetName() const { return mName; }

    // Lets go of every receiver, shuts the queue down and drops the reference the queue held on the center.
    ZQRESULT ReleaseInternalReferences() override;

private:
    explicit LNotificationCenter(const char16_t* name);

    const StringT<char16_t, char> mName;
};
} // namespace ZQ
