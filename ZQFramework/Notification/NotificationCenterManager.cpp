#include "ZQFramework/Notification/NotificationCenterManager.h"

#include "ZQFramework/System/Sync/MutexLocker.h"

#include <vector>

namespace ZQ
{
LNotificationCenterManager::LNotificationCenterManager() = default;

LNotificationCenterManager::~LNotificationCenterManager() = default;

LNotificationCenterManager& LNotificationCenterManager::GetInstance()
{
    // Made on first use and never destroyed: workers may post to the default center during exit.
    static LNotificationCenterManager* const instance = []
    {
        auto* manager = new LNotificationCenterManager;
        manager->AddRef();
        return manager;
    }();
    return *instance;
}

RCPtr<LNotificationCenter> LNotificationCenterManager::FindCenterLocked(const char16_t* name) const
{
    for (uint32_t i = 0; i < mCenters.GetCount(); ++i)
        if (mCenters.GetAt(i)->GetName() == name)
            return mCenters.GetAt(i);
    return nullptr;
}

RCPtr<LNotificationCenter> LNotificationCenterManager::FindCenter(const char16_t* name) const
{
    if (name == nullptr || name[0] == 0)
        return nullptr;
    const MutexLocker lock(mLock);
    return FindCenterLocked(name);
}

RCPtr<LNotificationCenter> LNotificationCenterManager::GetCenter(const char16_t* name)
{
    if (name == nullptr || name[0] == 0)
        return nullptr;
    const MutexLocker lock(mLock);
    RCPtr<LNotificationCenter> center = FindCenterLocked(name);
    if (center.IsNull())
    {
        center = LNotificationCenter::Create(name);
        mCenters.Add(center);
    }
    return center;
}

bool LNotificationCenterManager::ProcessNotifications(bool sendIdle)
{
    std::vector<RCPtr<LNotificationCenter>> centers;
    {
        const MutexLocker lock(mLock);
        centers.reserve(mCenters.GetCount());
        for (uint32_t i = 0; i < mCenters.GetCount(); ++i)
            centers.push_back(mCenters.GetAt(i));
    }
    bool pending = false;
    for (auto it = centers.rbegin(); it != centers.rend(); ++it)
        pending = (*it)->ProcessNotifications(sendIdle) || pending;
    return pending;
}

RCPtr<LNotificationCenter> GetDefaultNotificationCenter()
{
    return LNotificationCenterManager::GetInstance().GetCenter(kDefaultNotificationCenterName);
}
} // namespace ZQ
