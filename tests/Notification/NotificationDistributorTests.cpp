#include "Recorder.h"

#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationDistributor.h"

#include <functional>
#include <gtest/gtest.h>
#include <utility>

using namespace ZQ;
using ZQTest::MakeRecorder;
using ZQTest::Recorder;

namespace
{
class DistributorTest : public ::testing::Test
{
public:
    RCPtr<LNotificationDistributor> mSource{new LNotificationDistributor};
    RCPtr<Recorder> mExtra;
    Recorder::Log mLog;
    RCPtr<LNotification> mPing = LNotification::Create(u"NID_PING");

    RCPtr<Recorder> Add(const std::string& label, const char16_t* name = u"NID_PING", uint32_t flags = 0)
    {
        RCPtr<Recorder> r = MakeRecorder(label, &mLog);
        EXPECT_NE(r->RegisterWithDistributor(mSource, name, flags), nullptr);
        return r;
    }
};
} // namespace

TEST_F(DistributorTest, NotifyCallsNewestFirstAndReportsEmptyPools)
{
    EXPECT_EQ(mSource->Notify(mPing), S_FALSE); // no pool
    EXPECT_EQ(mSource->Notify(nullptr), E_INVALIDARG);
    const auto a = Add("a"), b = Add("b"), c = Add("c");
    EXPECT_EQ(mSource->Notify(mPing), S_OK);
    EXPECT_EQ(mLog, (Recorder::Log{"c:NID_PING", "b:NID_PING", "a:NID_PING"}));
    EXPECT_EQ(mSource->Notify(LNotification::Create(u"NID_OTHER")), S_FALSE);

    for (auto* r : {a.Get(), b.Get(), c.Get()})
        EXPECT_EQ(r->UnregisterFromDistributor(mSource, u"NID_PING"), S_OK);
    EXPECT_EQ(mSource->Notify(mPing), S_FALSE); // the pool stays, empty
    EXPECT_EQ(mSource->GetRegistrationCount(), 0);
}

TEST_F(DistributorTest, ChangesDuringDeliveryCauseNoSkipRepeatOrLateCall)
{
    struct Case
    {
        const char* name;
        std::function<void(DistributorTest&, Recorder&, Recorder&, Recorder&)> inC; // runs inside c's call
        Recorder::Log expected;
    };
    const Case cases[] = {
        {"c removes itself",
         [](DistributorTest& t, Recorder&, Recorder&, Recorder& c)
         { c.UnregisterFromDistributor(t.mSource, u"NID_PING"); },
         {"c:NID_PING", "b:NID_PING", "a:NID_PING"}},
        {"c removes b, not yet called",
         [](DistributorTest& t, Recorder&, Recorder& b, Recorder&)
         { b.UnregisterFromDistributor(t.mSource, u"NID_PING"); },
         {"c:NID_PING", "a:NID_PING"}},
        {"c removes itself and a",
         [](DistributorTest& t, Recorder& a, Recorder&, Recorder& c)
         {
             a.UnregisterFromDistributor(t.mSource, u"NID_PING");
             c.UnregisterFromDistributor(t.mSource, u"NID_PING");
         },
         {"c:NID_PING", "b:NID_PING"}},
        {"c registers d",
         [](DistributorTest& t, Recorder&, Recorder&, Recorder&) { t.mExtra = t.Add("d"); },
         {"c:NID_PING", "b:NID_PING", "a:NID_PING"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        mSource = RCPtr<LNotificationDistributor>(new LNotificationDistributor);
        mLog.clear();
        const auto ra = Add("a"), rb = Add("b"), rc = Add("c");
        bool once = true;
        rc->mHook = [&](auto&, auto&)
        {
            if (std::exchange(once, false))
                c.inC(*this, *ra, *rb, *rc);
        };
        mSource->Notify(mPing);
        EXPECT_EQ(mLog, c.expected);
        mExtra = nullptr;
    }
}

TEST_F(DistributorTest, NestedDeliveryOfTheSameIdentifierDoesNotEndTheOuterOne)
{
    const auto a = Add("a"), b = Add("b");
    bool once = true;
    b->mHook = [&](auto&, auto&)
    {
        if (std::exchange(once, false))
            mSource->Notify(mPing);
    };
    mSource->Notify(mPing);
    EXPECT_EQ(mLog, (Recorder::Log{"b:NID_PING", "b:NID_PING", "a:NID_PING", "a:NID_PING"}));
}

TEST_F(DistributorTest, RegisteringTwiceKeepsOneEntryAndReplacesFlags)
{
    const auto a = Add("a");
    EXPECT_EQ(mSource->RegisterClient(a, u"NID_PING", 0), S_FALSE);
    EXPECT_EQ(mSource->RegisterClient(a, u"NID_PING", LNotificationDistributor::kLatestOnly), S_FALSE);
    uint32_t flags = 0;
    EXPECT_EQ(mSource->GetClientFlags(a.Get(), u"NID_PING", flags), S_OK);
    EXPECT_EQ(flags, LNotificationDistributor::kLatestOnly);
    EXPECT_EQ(mSource->GetClientPool(LNotification::GetIDFromName(u"NID_PING"))->GetCount(), 1u);
    EXPECT_EQ(mSource->GetRegistrationCount(), 1);

    EXPECT_EQ(mSource->GetClientFlags(a.Get(), u"NID_OTHER", flags), E_FAIL);
    EXPECT_EQ(mSource->RegisterClient(nullptr, u"NID_PING", 0), E_INVALIDARG);
    EXPECT_EQ(mSource->RegisterClient(a, u"", 0), S_FALSE);
    EXPECT_EQ(mSource->UnregisterClient(a, u""), E_INVALIDARG);
    EXPECT_EQ(mSource->UnregisterClient(a, u"NID_NEVER_USED_HERE"), S_FALSE);
}

TEST_F(DistributorTest, LatestOnlyReceiverGetsOnlyItsRecordedLatestOnce)
{
    const auto plain = Add("plain");
    const auto latest = Add("latest", u"NID_PING", LNotificationDistributor::kLatestOnly);
    mSource->Notify(mPing); // sent directly: never recorded
    EXPECT_EQ(mLog, (Recorder::Log{"plain:NID_PING"}));

    mSource->GetClientPool(mPing->GetID())->RecordLatest(mPing);
    mLog.clear();
    mSource->Notify(mPing);
    mSource->Notify(mPing);
    EXPECT_EQ(mLog, (Recorder::Log{"latest:NID_PING", "plain:NID_PING", "plain:NID_PING"}));
}

TEST_F(DistributorTest, UnregisterFromAllCountsIdentifiersAndNotifyClientAtPastEndCallsNobody)
{
    const auto a = MakeRecorder("a", &mLog);
    for (const char16_t* name : {u"NID_ONE", u"NID_TWO", u"NID_THREE"})
        mSource->RegisterClient(a, name, 0);
    EXPECT_TRUE(mSource->IsClientRegistered(a.Get()));
    EXPECT_EQ(mSource->UnregisterClientFromAll(a), 3);
    EXPECT_FALSE(mSource->IsClientRegistered(a.Get()));
    EXPECT_EQ(mSource->UnregisterClientFromAll(a), 0);
    EXPECT_EQ(mSource->UnregisterClientFromAll(nullptr), E_INVALIDARG);

    const auto b = Add("b"), c = Add("c");
    const auto pool = mSource->GetClientPool(mPing->GetID());
    EXPECT_EQ(pool->NotifyClientAt(mSource, 2, mPing), 2);
    EXPECT_TRUE(mLog.empty());
    EXPECT_EQ(pool->NotifyClientAt(mSource, 1, mPing), 1);
    EXPECT_EQ(mLog, (Recorder::Log{"c:NID_PING"}));
    EXPECT_EQ(pool->GetClientAt(1).Get(), static_cast<LNotificationReceiver*>(c.Get()));
    EXPECT_TRUE(pool->GetClientAt(2).IsNull());
}

TEST_F(DistributorTest, NotifyClientAtReturnsTheIndexLoweredByRemovalsBelowIt)
{
    struct Case
    {
        const char* name;
        std::function<void(Recorder& a, Recorder& b, Recorder& c)> inC; // runs inside c's call
        int32_t expected;
    };
    const Case cases[] = {
        {"nothing removed", [](Recorder&, Recorder&, Recorder&) {}, 2},
        {"c removes itself",
         [this](Recorder&, Recorder&, Recorder& c) { c.UnregisterFromDistributor(mSource, u"NID_PING"); }, 2},
        {"c removes a and b",
         [this](Recorder& a, Recorder& b, Recorder&)
         {
             a.UnregisterFromDistributor(mSource, u"NID_PING");
             b.UnregisterFromDistributor(mSource, u"NID_PING");
         },
         0},
    };
    for (const Case& k : cases)
    {
        SCOPED_TRACE(k.name);
        mSource = RCPtr<LNotificationDistributor>(new LNotificationDistributor);
        const auto a = Add("a"), b = Add("b"), c = Add("c");
        c->mHook = [&](auto&, auto&) { k.inC(*a, *b, *c); };
        const auto pool = mSource->GetClientPool(mPing->GetID());
        EXPECT_EQ(pool->NotifyClientAt(mSource, 2, mPing), k.expected);
    }
}

TEST_F(DistributorTest, DistributorIsActiveExactlyWhileItHoldsRegistrations)
{
    const uint32_t before = LNotificationDistributor::GetActiveDistributorCount();
    {
        const auto a = Add("a"), b = Add("b", u"NID_OTHER");
        EXPECT_EQ(LNotificationDistributor::GetActiveDistributorCount(), before + 1);
        a->UnregisterFromAllDistributors();
        EXPECT_EQ(LNotificationDistributor::GetActiveDistributorCount(), before + 1);
    }
    EXPECT_EQ(LNotificationDistributor::GetActiveDistributorCount(), before);
}

TEST_F(DistributorTest, DroppingTheLastOutsideReferenceLetsReceiversGo)
{
    const auto a = Add("a"), b = Add("b", u"NID_OTHER");
    LNotificationDistributor* raw = mSource.Get();
    EXPECT_EQ(raw->GetInternalRefCount(), 3); // two registrations and the active list
    mSource = nullptr;                        // the distributor asks every receiver to let go
    EXPECT_EQ(a->GetRegistrationCount(), 0);
    EXPECT_EQ(b->GetRegistrationCount(), 0);
    EXPECT_EQ(a->GetDistributors().GetCount(), 0u);
}
