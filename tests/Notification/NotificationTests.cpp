#include "Recorder.h"

#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationCenter.h"
#include "ZQFramework/Notification/ValueParam.h"

#include <gtest/gtest.h>
#include <set>
#include <string>
#include <thread>
#include <vector>

using namespace ZQ;

TEST(NotificationID, InterningGivesOneIdentifierPerExactName)
{
    const NotificationID idle = LNotification::GetIDFromName(u"NID_TEST_INTERN");
    ASSERT_NE(idle, nullptr);
    const char16_t copy[] = u"NID_TEST_INTERN";
    EXPECT_EQ(LNotification::GetIDFromName(copy), idle);               // same text, other storage
    EXPECT_EQ(LNotification::GetIDFromName(idle), idle);               // an identifier comes back unchanged
    EXPECT_NE(LNotification::GetIDFromName(u"nid_test_intern"), idle); // case-sensitive
    EXPECT_EQ(std::u16string(idle), u"NID_TEST_INTERN");
    EXPECT_EQ(LNotification::GetIDFromName(nullptr), nullptr);
    EXPECT_EQ(LNotification::GetIDFromName(u""), nullptr);
}

TEST(NotificationID, IdentifiersStayPutAndUniqueAsTheTableGrows)
{
    std::vector<std::u16string> names;
    std::vector<NotificationID> ids;
    for (int i = 0; i < 300; ++i)
    {
        names.push_back(u"NID_TEST_GROWTH_" + std::u16string(1, u'A' + i % 26) +
                        std::u16string(1, u'a' + i / 26));
        ids.push_back(LNotification::GetIDFromName(names.back().c_str()));
    }
    for (size_t i = 0; i < names.size(); ++i)
    {
        const std::u16string copy = names[i];
        EXPECT_EQ(LNotification::GetIDFromName(copy.c_str()), ids[i]);
        EXPECT_EQ(LNotification::GetIDFromName(ids[i]), ids[i]);
        EXPECT_EQ(std::u16string(ids[i]), names[i]);
    }
    EXPECT_EQ(std::set<NotificationID>(ids.begin(), ids.end()).size(), names.size());
}

TEST(Notification, WithoutPoolingEachCreateIsNewAndBadNamesGiveNull)
{
    ASSERT_FALSE(LNotification::IsPoolingEnabled());
    EXPECT_TRUE(LNotification::Create(nullptr).IsNull());
    EXPECT_TRUE(LNotification::Create(u"").IsNull());
    EXPECT_TRUE(LNotification::CreateNew(u"").IsNull());
    const RCPtr<LNotification> n = LNotification::Create(u"NID_TEST_A", LValueParam::Create(0.5, 5));
    ASSERT_FALSE(n.IsNull());
    EXPECT_EQ(n->GetID(), LNotification::GetIDFromName(u"NID_TEST_A"));
    EXPECT_FALSE(RCPtr<LValueParam>(n->GetParam()).IsNull());
    EXPECT_EQ(LNotification::GetPoolCount(), 0u);
}

TEST(Notification, PoolingRecyclesTheLastReleasedObjectWithoutItsParameter)
{
    const ZQTest::PoolingScope pooling;
    const RCPtr<LValueParam> param = LValueParam::Create(0.25, 1);
    LNotification* first = nullptr;
    {
        const RCPtr<LNotification> n = LNotification::Create(u"NID_TEST_A", param);
        first = n.Get();
        EXPECT_EQ(param->GetRefCount(), 2);
    }
    EXPECT_EQ(param->GetRefCount(), 1); // the pooled notification let its parameter go
    EXPECT_EQ(LNotification::GetPoolCount(), 1u);

    const RCPtr<LNotification> again = LNotification::Create(u"NID_TEST_B");
    EXPECT_EQ(again.Get(), first);
    EXPECT_EQ(again->GetID(), LNotification::GetIDFromName(u"NID_TEST_B"));
    EXPECT_TRUE(again->GetParam().IsNull());
    EXPECT_EQ(LNotification::GetPoolCount(), 0u);

    // A bad name takes nothing from the pool.
    {
        const RCPtr<LNotification> spare = LNotification::Create(u"NID_TEST_C");
    }
    EXPECT_TRUE(LNotification::Create(u"").IsNull());
    EXPECT_EQ(LNotification::GetPoolCount(), 1u);
}

TEST(Notification, ReleasedWhileMarkedQueuedComesBackFromThePoolClean)
{
    const ZQTest::PoolingScope pooling;
    const RCPtr<LNotificationCenter> center = LNotificationCenter::Create(u"pool test");
    const RCPtr<LValueParam> param = LValueParam::Create(0.25, 1);
    LNotification* pooled = nullptr;
    {
        const RCPtr<LNotification> n = LNotification::Create(u"NID_TEST_A", param);
        pooled = n.Get();
        n->SetQueued(true); // its last reference goes while it is still marked
    }
    EXPECT_EQ(param->GetRefCount(), 1);
    ASSERT_EQ(LNotification::GetPoolCount(), 1u);

    const RCPtr<LValueParam> other = LValueParam::Create(0.5, 2);
    const RCPtr<LNotification> again = LNotification::Create(u"NID_TEST_B", other);
    ASSERT_EQ(again.Get(), pooled);
    EXPECT_FALSE(again->IsQueued());
    EXPECT_EQ(again->GetID(), LNotification::GetIDFromName(u"NID_TEST_B"));
    EXPECT_EQ(again->GetParam().Get(), static_cast<LRefCountedObject*>(other.Get()));
    EXPECT_EQ(center->PostNotification(again), S_OK);
}

TEST(Notification, AfterPoolingIsSwitchedOffTheLastReleaseDeletes)
{
    {
        const ZQTest::PoolingScope pooling;
        {
            const RCPtr<LNotification> n = LNotification::Create(u"NID_TEST_A");
        }
        EXPECT_EQ(LNotification::GetPoolCount(), 1u);
    }
    EXPECT_EQ(LNotification::GetPoolCount(), 0u);
    {
        const RCPtr<LNotification> n = LNotification::Create(u"NID_TEST_A");
    }
    EXPECT_EQ(LNotification::GetPoolCount(), 0u); // ASan reports a leak if it was not deleted
}

TEST(NotificationPoolConcurrency, ReleasedOnAnotherThreadAreAllReusedAndFreedWhenPoolingStops)
{
    constexpr int kCount = 1000;
    std::set<LNotification*> released;
    {
        const ZQTest::PoolingScope pooling;
        std::vector<RCPtr<LNotification>> made;
        for (int i = 0; i < kCount; ++i)
            made.push_back(LNotification::Create(u"NID_TEST_A", LValueParam::Create(0.5, i)));
        for (const auto& n : made)
            released.insert(n.Get());
        std::thread([&] { made.clear(); }).join();
        EXPECT_EQ(LNotification::GetPoolCount(), static_cast<uint32_t>(kCount));

        std::set<LNotification*> reused;
        for (int i = 0; i < kCount; ++i)
        {
            made.push_back(LNotification::Create(u"NID_TEST_B"));
            EXPECT_TRUE(made.back()->GetParam().IsNull());
            reused.insert(made.back().Get());
        }
        EXPECT_EQ(reused, released);
        EXPECT_EQ(LNotification::GetPoolCount(), 0u);
        made.clear();
        EXPECT_EQ(LNotification::GetPoolCount(), static_cast<uint32_t>(kCount));
    }
    EXPECT_EQ(LNotification::GetPoolCount(), 0u); // ASan reports a leak if they were not deleted
}
