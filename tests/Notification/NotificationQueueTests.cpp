#include "Recorder.h"

#include "ZQFramework/Notification/NotificationCenter.h"
#include "ZQFramework/Notification/NotificationCenterManager.h"
#include "ZQFramework/Notification/NotificationQueue.h"
#include "ZQFramework/Notification/ValueParam.h"

#include <gtest/gtest.h>
#include <stdexcept>

using namespace ZQ;
using ZQTest::MakeRecorder;
using ZQTest::Recorder;

namespace
{
class QueueTest : public ::testing::Test
{
public:
    RCPtr<LNotificationCenter> mCenter = LNotificationCenter::Create(u"queue test");
    Recorder::Log mLog;

    RCPtr<Recorder> Add(const std::string& label, const char16_t* name, uint32_t flags = 0)
    {
        RCPtr<Recorder> r = MakeRecorder(label, &mLog);
        r->RegisterWithDistributor(mCenter, name, flags);
        return r;
    }
    RCPtr<LNotification> Post(const char16_t* name)
    {
        RCPtr<LNotification> n = LNotification::Create(name);
        EXPECT_EQ(mCenter->PostNotification(n), S_OK);
        return n;
    }
};
} // namespace

TEST_F(QueueTest, DrainDeliversInPostOrderAndLatestOnlyGetsTheLastOfABurst)
{
    const auto all = Add("all", u"NID_STATUS");
    const auto latest = Add("latest", u"NID_STATUS", LNotificationDistributor::kLatestOnly);
    const auto other = Add("all", u"NID_OTHER");
    Post(u"NID_STATUS");
    Post(u"NID_OTHER");
    Post(u"NID_STATUS");
    const auto third = Post(u"NID_STATUS");
    EXPECT_TRUE(third->IsQueued());
    EXPECT_FALSE(mCenter->ProcessNotifications(false));
    EXPECT_EQ(mLog, (Recorder::Log{"all:NID_STATUS", "all:NID_OTHER", "all:NID_STATUS", "latest:NID_STATUS",
                                   "all:NID_STATUS"}));
    EXPECT_FALSE(third->IsQueued());
}

TEST_F(QueueTest, PostingRefusesNullQueuedAndTargetlessNotifications)
{
    EXPECT_EQ(mCenter->PostNotification(nullptr), E_INVALIDARG);
    const auto n = Post(u"NID_PING");
    EXPECT_EQ(mCenter->PostNotification(n), E_INVALIDARG);
    EXPECT_EQ(mCenter->GetCount(), 1u);

    const RCPtr<LNotificationQueue> bare(new LNotificationQueue);
    EXPECT_EQ(bare->PostNotification(LNotification::Create(u"NID_PING")), E_FAIL);
    EXPECT_FALSE(bare->ProcessNotifications(true)); // no target: nothing to deliver "NID_IDLE" through
    EXPECT_EQ(bare->SetTarget(mCenter), S_OK);
    EXPECT_EQ(bare->SetTarget(RCPtr<LNotificationDistributor>(new LNotificationDistributor)), E_FAIL);
    EXPECT_EQ(bare->GetTarget().Get(), static_cast<LNotificationDistributor*>(mCenter.Get()));
}

TEST_F(QueueTest, PostsMadeDuringADrainWaitForTheNextOne)
{
    const auto r = Add("r", u"NID_PING");
    r->mHook = [&](auto&, const RCPtr<LNotification>& n)
    {
        EXPECT_EQ(mCenter->PostNotification(n), E_INVALIDARG); // the one being delivered is still queued
        if (mLog.size() == 1)
            Post(u"NID_PING");
    };
    Post(u"NID_PING");
    EXPECT_TRUE(mCenter->ProcessNotifications(false));
    EXPECT_EQ(mLog.size(), 1u);
    EXPECT_FALSE(mCenter->ProcessNotifications(false));
    EXPECT_EQ(mLog.size(), 2u);
}

TEST_F(QueueTest, NestedDrainOnlySendsIdle)
{
    const auto idle = Add("idle", u"NID_IDLE");
    const auto r = Add("r", u"NID_PING");
    std::vector<bool> remained;
    r->mHook = [&](auto&, auto&) { remained.push_back(mCenter->ProcessNotifications(true)); };
    Post(u"NID_PING");
    Post(u"NID_PING");
    mCenter->ProcessNotifications(false);
    // The nested drains delivered nothing: the second entry was still queued during the first call only.
    EXPECT_EQ(remained, (std::vector<bool>{true, false}));
    EXPECT_EQ(mLog, (Recorder::Log{"r:NID_PING", "idle:NID_IDLE", "r:NID_PING", "idle:NID_IDLE"}));
}

TEST_F(QueueTest, RingGrowsByOneSlotWhenFullAndKeepsOrder)
{
    std::vector<int> seen;
    const auto r = Add("r", u"NID_VALUE");
    r->mHook = [&](auto&, const RCPtr<LNotification>& n)
    { seen.push_back(static_cast<int>(RCPtr<LValueParam>(n->GetParam())->mScaled)); };
    // Wrap the ring first so that growth happens with the entries split around its end.
    for (int i = 0; i < 100; ++i)
        mCenter->PostNotification(LNotification::Create(u"NID_VALUE", LValueParam::Create(0, -1)));
    mCenter->ProcessNotifications(false);
    seen.clear();
    for (int i = 0; i < 256; ++i)
        mCenter->PostNotification(LNotification::Create(u"NID_VALUE", LValueParam::Create(0, i)));
    EXPECT_EQ(mCenter->GetRingSize(), 257u);
    EXPECT_FALSE(mCenter->ProcessNotifications(false));
    ASSERT_EQ(seen.size(), 256u);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(seen[i], i);
}

TEST_F(QueueTest, ThrowingReceiverLeavesTheQueueUsableAndTheNotificationUnmarked)
{
    const ZQTest::PoolingScope pooling;
    const auto r = Add("r", u"NID_PING");
    r->mHook = [&](auto&, auto&) { throw std::runtime_error("receiver failed"); };
    LNotification* raw = nullptr;
    {
        const auto n = Post(u"NID_PING");
        raw = n.Get();
        Post(u"NID_PING");
    }
    EXPECT_THROW(mCenter->ProcessNotifications(false), std::runtime_error);
    EXPECT_EQ(LNotification::Create(u"NID_REUSED").Get(), raw); // back in the pool, renamed on reuse
    r->mHook = nullptr;
    EXPECT_FALSE(mCenter->ProcessNotifications(false)); // not stuck busy: the second one is delivered
    EXPECT_EQ(r->Calls(), 2);
}

TEST_F(QueueTest, AfterAThrowingReceiverTheUndeliveredComeNextInPostOrder)
{
    std::vector<int> seen;
    const auto r = Add("r", u"NID_VALUE");
    r->mHook = [&](auto&, const RCPtr<LNotification>& n)
    {
        const int value = static_cast<int>(RCPtr<LValueParam>(n->GetParam())->mScaled);
        seen.push_back(value);
        if (value == 0)
        {
            // Posted during the drain: it waits behind the entries the failed drain did not reach.
            mCenter->PostNotification(LNotification::Create(u"NID_VALUE", LValueParam::Create(0, 3)));
            throw std::runtime_error("receiver failed");
        }
    };
    for (int i = 0; i < 3; ++i)
        mCenter->PostNotification(LNotification::Create(u"NID_VALUE", LValueParam::Create(0, i)));
    EXPECT_THROW(mCenter->ProcessNotifications(false), std::runtime_error);
    EXPECT_EQ(mCenter->GetCount(), 3u);
    EXPECT_FALSE(mCenter->ProcessNotifications(false));
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 3}));
}

TEST_F(QueueTest, FlushFromAReceiverEndsTheDrainAndFreesTheRest)
{
    std::vector<RCPtr<LNotification>> posted;
    const auto r = Add("r", u"NID_PING");
    r->mHook = [&](auto&, auto&)
    {
        EXPECT_FALSE(mCenter->Flush());
        EXPECT_EQ(mCenter->GetCount(), 0u);
        // The entries the drain had not reached yet are unmarked at once and can be posted again.
        EXPECT_FALSE(posted[1]->IsQueued());
        EXPECT_EQ(mCenter->PostNotification(posted[2]), S_OK);
    };
    for (int i = 0; i < 3; ++i)
        posted.push_back(Post(u"NID_PING"));
    EXPECT_TRUE(mCenter->ProcessNotifications(false));
    EXPECT_EQ(r->Calls(), 1);
    r->mHook = nullptr;
    EXPECT_FALSE(mCenter->ProcessNotifications(false));
    EXPECT_EQ(r->Calls(), 2);
    for (const auto& n : posted)
        EXPECT_FALSE(n->IsQueued());
}

TEST_F(QueueTest, PostingReceiverQueuesCopiesUntilShutdown)
{
    const auto r = Add("r", u"NID_CLICK");
    const RCPtr<LNotificationDistributor> button(new LNotificationDistributor);
    const auto receiver = mCenter->GetPostingReceiver();
    EXPECT_EQ(button->RegisterClient(receiver, u"NID_CLICK", 0), S_OK);
    const RCPtr<LValueParam> param = LValueParam::Create(1, 2);
    const auto click = LNotification::Create(u"NID_CLICK", param);
    button->Notify(click);
    EXPECT_FALSE(click->IsQueued()); // a copy went into the queue
    ASSERT_EQ(mCenter->GetCount(), 1u);
    std::vector<const LRefCountedObject*> params;
    r->mHook = [&](auto&, const RCPtr<LNotification>& n) { params.push_back(n->GetParam().Get()); };
    mCenter->ProcessNotifications(false);
    EXPECT_EQ(params, (std::vector<const LRefCountedObject*>{param.Get()}));

    mCenter->Shutdown();
    button->Notify(click);
    EXPECT_EQ(mCenter->GetCount(), 0u);
    EXPECT_EQ(mCenter->PostNotification(LNotification::Create(u"NID_CLICK")), E_FAIL);
    EXPECT_EQ(button->UnregisterClient(receiver, u"NID_CLICK"), S_OK);
}

TEST_F(QueueTest, ADistributorLetsItsPostingReceiverGoWhenItGoes)
{
    struct Button : LNotificationDistributor
    {
        explicit Button(bool* gone) : mGone(gone) {}
        ~Button() override { *mGone = true; }
        bool* mGone;
    };
    const auto receiver = mCenter->GetPostingReceiver();
    const int32_t references = receiver->GetRefCount();
    bool gone = false;
    {
        const RCPtr<LNotificationDistributor> button(new Button(&gone));
        ASSERT_EQ(button->RegisterClient(receiver, u"NID_CLICK", 0), S_OK);
        ASSERT_EQ(button->RegisterClient(receiver, u"NID_HOVER", 0), S_OK);
    }
    EXPECT_TRUE(gone);
    EXPECT_EQ(receiver->GetRefCount(), references);
}

TEST(NotificationCenterManager, FindsCentersByExactNameAndDrainsThemAll)
{
    auto& manager = LNotificationCenterManager::GetInstance();
    EXPECT_TRUE(manager.GetCenter(u"").IsNull());
    const auto app = GetDefaultNotificationCenter();
    EXPECT_EQ(app->GetName(), u"application");
    EXPECT_EQ(manager.GetCenter(u"application").Get(), app.Get());
    EXPECT_EQ(manager.FindCenter(u"application").Get(), app.Get());
    EXPECT_TRUE(manager.FindCenter(u"Application").IsNull());

    Recorder::Log log;
    const auto r = MakeRecorder("r", &log);
    r->RegisterWithDistributor(app, u"NID_EXIT", 0);
    r->RegisterWithDistributor(app, u"NID_IDLE", 0);
    app->PostNotification(LNotification::Create(u"NID_EXIT"));
    EXPECT_FALSE(manager.ProcessNotifications(true));
    EXPECT_EQ(log, (Recorder::Log{"r:NID_EXIT", "r:NID_IDLE"}));
    r->UnregisterFromAllDistributors();
}

TEST(NotificationQueue, GoingAwayClearsTheMarksOfWhatItHeld)
{
    const RCPtr<LNotificationDistributor> target(new LNotificationDistributor);
    const auto n = LNotification::Create(u"NID_PING");
    {
        const RCPtr<LNotificationQueue> queue(new LNotificationQueue);
        ASSERT_EQ(queue->SetTarget(target), S_OK);
        ASSERT_EQ(queue->PostNotification(n), S_OK);
        EXPECT_TRUE(n->IsQueued());
    }
    EXPECT_FALSE(n->IsQueued());
    EXPECT_EQ(n->GetRefCount(), 1); // the ring's reference went with the queue
}

TEST(NotificationCenter, LastOutsideReleaseUnregistersAndShutsDown)
{
    Recorder::Log log;
    const auto r = MakeRecorder("r", &log);
    {
        const auto center = LNotificationCenter::Create(u"short lived");
        r->RegisterWithDistributor(center, u"NID_PING", 0);
        center->PostNotification(LNotification::Create(u"NID_PING"));
    }
    EXPECT_EQ(r->GetRegistrationCount(), 0); // and ASan sees no leaked center
}
