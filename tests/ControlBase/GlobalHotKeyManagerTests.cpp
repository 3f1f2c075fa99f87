#include "ZQFramework/ControlBase/Services/GlobalHotKeyManager.h"
#include "ZQFramework/Notification/KeyParam.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationCenter.h"
#include "ZQFramework/Notification/NotificationCenterManager.h"
#include "ZQFramework/Notification/NotificationClient.h"

#include <gtest/gtest.h>
#include <vector>

using namespace ZQ;

namespace
{
// Keeps every notification it receives.
class Keeper : public LNotificationClient
{
public:
    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>&,
                                 const RCPtr<LNotification>& notification) override
    {
        mReceived.push_back(notification);
        return S_OK;
    }

    std::vector<RCPtr<LNotification>> mReceived;
};

const KeyCode kAltF4 = KeyCode::FromString(u"Alt+VKEY_F4");

class GlobalHotKeyManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mCenter = LNotificationCenterManager::GetInstance().GetCenter(u"application");
        ASSERT_TRUE(mCenter);
        ASSERT_EQ(mCenter->RegisterClient(mKeeper, u"NID_APP_EXIT_REQ", 0), S_OK);
    }
    void TearDown() override { mCenter->UnregisterClient(mKeeper, u"NID_APP_EXIT_REQ"); }

    RCPtr<LNotificationCenter> mCenter;
    RCPtr<Keeper> mKeeper{new Keeper()};
};
} // namespace

TEST_F(GlobalHotKeyManagerTest, BoundKeyQueuesItsNotificationForTheNextDrain)
{
    const RCPtr<LGlobalHotKeyManager> manager = LGlobalHotKeyManager::Create(mCenter->GetPostingReceiver());
    ASSERT_EQ(manager->GetKeyBindings().AddBinding(kAltF4, u"NID_APP_EXIT_REQ"), S_OK);

    EXPECT_EQ(manager->ProcessKey(kAltF4), 0);
    EXPECT_TRUE(mKeeper->mReceived.empty()); // queued, not delivered inside the key handling

    LNotificationCenterManager::GetInstance().ProcessNotifications(false);
    ASSERT_EQ(mKeeper->mReceived.size(), 1u);
    const RCPtr<LNotification>& received = mKeeper->mReceived[0];
    EXPECT_EQ(received->GetID(), LNotification::GetIDFromName(u"NID_APP_EXIT_REQ"));
    const RCPtr<LKeyParam> param(received->GetParam());
    ASSERT_TRUE(param);
    EXPECT_EQ(param->mKeyCode, kAltF4);
    EXPECT_EQ(param->mKeyCode.GetCode(), kAltF4.GetCode());
    EXPECT_EQ(param->mStayInside, 1u);
}

TEST_F(GlobalHotKeyManagerTest, UnboundKeyIsPassedOnAndQueuesNothing)
{
    const RCPtr<LGlobalHotKeyManager> manager = LGlobalHotKeyManager::Create(mCenter->GetPostingReceiver());
    ASSERT_EQ(manager->GetKeyBindings().AddBinding(kAltF4, u"NID_APP_EXIT_REQ"), S_OK);
    EXPECT_EQ(manager->ProcessKey(KeyCode::FromString(u"Alt+VKEY_F5")), 1);
    LNotificationCenterManager::GetInstance().ProcessNotifications(false);
    EXPECT_TRUE(mKeeper->mReceived.empty());
}

TEST_F(GlobalHotKeyManagerTest, WithoutReceiverABoundKeyIsStillHandled)
{
    const RCPtr<LGlobalHotKeyManager> manager = LGlobalHotKeyManager::Create(nullptr);
    ASSERT_EQ(manager->GetKeyBindings().AddBinding(kAltF4, u"NID_APP_EXIT_REQ"), S_OK);
    EXPECT_EQ(manager->ProcessKey(kAltF4), 0);
    LNotificationCenterManager::GetInstance().ProcessNotifications(false);
    EXPECT_TRUE(mKeeper->mReceived.empty());
}
