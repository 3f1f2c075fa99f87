#pragma once

#include "ZQFramework/Notification/NotificationCenter.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/System/Sync/Mutex.h"
#include "ZQFramework/Utilities/Storage/RCPtrArray.h"

namespace ZQ
{
// The process-wide owner of the notification centers: finds them by name (case-sensitive) and drains them
// all at idle. Made on first use and kept until the process ends.
class LNotificationCenterManager : public virtual LRefCountedObject
{
public:
    [[nodiscard]] static LNotificationCenterManager& GetInstance();

    // The center of that name, made and kept when there is none; null for an empty name.
    [[nodiscard]] RCPtr<LNotificationCenter> GetCenter(const char16_t* name);
    // The center of that name or null.
    [[nodiscard]] RCPtr<LNotificationCenter> FindCenter(const char16_t* name) const;

    // Drains every center from the last made to the first; true when any still holds entries.
    bool ProcessNotifications(bool sendIdle);

    LNotificationCenterManager();
    ~LNotificationCenterManager() override;

private:
    RCPtr<LNotificationCenter> FindCenterLocked(const char16_t* name) const;

    mutable Mutex mLock;                            // guards mCenters
    RCPtrArray<LNotificationCenter, 1, 0> mCenters; // in order of creation
};

// The name of the application's default center.
inline constexpr const char16_t* kDefaultNotificationCenterName = u"application";

// The default center "application", which work on other threads posts to.
[[nodiscard]] RCPtr<LNotificationCenter> GetDefaultNotificationCenter();
} // namespace ZQ
