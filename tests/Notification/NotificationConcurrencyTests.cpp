#include "Recorder.h"
#include "tests/Support/WaitFor.h"

#include "ZQFramework/Notification/NotificationCenter.h"
#include "ZQFramework/Notification/NotificationCenterManager.h"
#include "ZQFramework/Notification/ValueParam.h"

#include <atomic>
#include <barrier>
#include <gtest/gtest.h>
#include <map>
#include <thread>
#include <utility>
#include <vector>

using namespace ZQ;
using ZQTest::MakeRecorder;

TEST(NotificationQueueConcurrency, PostsFromSeveralThreadsArriveInOrderPerThreadThenIdle)
{
    const ZQTest::PoolingScope pooling;
    const auto center = GetDefaultNotificationCenter();
    constexpr int kThreads = 4, kPerThread = 2000;
    const auto r = MakeRecorder("r");
    std::map<int, int> next; // thread -> next sequence number expected
    int delivered = 0, outOfOrder = 0, idles = 0;
    r->mHook = [&](auto&, const RCPtr<LNotification>& n)
    {
        if (n->GetID() == LNotification::GetIDFromName(u"NID_IDLE"))
        {
            ++idles;
            return;
        }
        const auto value = RCPtr<LValueParam>(n->GetParam());
        const int thread = static_cast<int>(value->mNormalized), seq = static_cast<int>(value->mScaled);
        outOfOrder += seq != next[thread];
        next[thread] = seq + 1;
        ++delivered;
    };
    r->RegisterWithDistributor(center, u"NID_WORK", 0);
    r->RegisterWithDistributor(center, u"NID_IDLE", 0);

    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t)
        posters.emplace_back(
            [&, t]
            {
                for (int i = 0; i < kPerThread; ++i)
                    center->PostNotification(LNotification::Create(u"NID_WORK", LValueParam::Create(t, i)));
            });
    const bool done = TestSupport::WaitFor(
        [&]
        {
            const int idlesBefore = idles;
            LNotificationCenterManager::GetInstance().ProcessNotifications(true);
            EXPECT_EQ(idles, idlesBefore + 1); // every pass ends with "NID_IDLE" after its deliveries
            return delivered == kThreads * kPerThread;
        });
    for (auto& p : posters)
        p.join();
    EXPECT_TRUE(done);
    EXPECT_EQ(outOfOrder, 0);
    r->UnregisterFromAllDistributors();
}

TEST(NotificationQueueConcurrency, FlushOnAnotherThreadEndsARunningDrain)
{
    const auto center = LNotificationCenter::Create(u"flush during drain");
    const auto r = MakeRecorder("r");
    std::atomic<bool> delivering{false}, flushed{false};
    r->mHook = [&](auto&, auto&)
    {
        delivering = true;
        EXPECT_TRUE(TestSupport::WaitFor([&] { return flushed.load(); }));
    };
    r->RegisterWithDistributor(center, u"NID_PING", 0);
    std::vector<RCPtr<LNotification>> posted;
    for (int i = 0; i < 3; ++i)
    {
        posted.push_back(LNotification::Create(u"NID_PING"));
        ASSERT_EQ(center->PostNotification(posted.back()), S_OK);
    }
    std::thread flusher(
        [&]
        {
            EXPECT_TRUE(TestSupport::WaitFor([&] { return delivering.load(); }));
            center->Flush();
            flushed = true;
        });
    EXPECT_FALSE(center->ProcessNotifications(false));
    flusher.join();
    EXPECT_EQ(r->Calls(), 1);
    for (const auto& n : posted)
        EXPECT_FALSE(n->IsQueued());
    r->UnregisterFromAllDistributors();
}

TEST(NotificationQueueConcurrency, LatestOnlyKeepsTheLastOfABurst)
{
    const auto center = LNotificationCenter::Create(u"burst");
    const auto all = MakeRecorder("all"), latest = MakeRecorder("latest");
    std::vector<double> latestValues;
    latest->mHook = [&](auto&, const RCPtr<LNotification>& n)
    { latestValues.push_back(RCPtr<LValueParam>(n->GetParam())->mScaled); };
    all->RegisterWithDistributor(center, u"NID_STATUS", 0);
    latest->RegisterWithDistributor(center, u"NID_STATUS", LNotificationDistributor::kLatestOnly);
    std::thread poster(
        [&]
        {
            for (int i = 0; i < 500; ++i)
                center->PostNotification(LNotification::Create(u"NID_STATUS", LValueParam::Create(0, i)));
        });
    poster.join();
    center->ProcessNotifications(false);
    EXPECT_EQ(all->Calls(), 500);
    EXPECT_EQ(latestValues, std::vector<double>{499});
}

// Rounds of posts that start together on several threads, drained while they run and once more after
// them: at the end of every round the latest-only receiver has seen, in queue order and once each, a
// subsequence of what the others saw, ending on the notification queued last.
TEST(NotificationQueueConcurrency, LatestOnlyEndsOnTheLastQueuedWhilePostersRaceTheDrain)
{
    const ZQTest::PoolingScope pooling;
    const auto center = LNotificationCenter::Create(u"racing burst");
    const auto all = MakeRecorder("all"), latest = MakeRecorder("latest");
    using Key = std::pair<int, int>; // (thread, sequence)
    std::vector<Key> allSeen, latestSeen;
    const auto keyOf = [](const RCPtr<LNotification>& n)
    {
        const RCPtr<LValueParam> value(n->GetParam());
        return Key{static_cast<int>(value->mNormalized), static_cast<int>(value->mScaled)};
    };
    all->mHook = [&](auto&, const RCPtr<LNotification>& n) { allSeen.push_back(keyOf(n)); };
    latest->mHook = [&](auto&, const RCPtr<LNotification>& n) { latestSeen.push_back(keyOf(n)); };
    all->RegisterWithDistributor(center, u"NID_STATUS", 0);
    latest->RegisterWithDistributor(center, u"NID_STATUS", LNotificationDistributor::kLatestOnly);

    constexpr int kThreads = 4, kRounds = 300, kPerRound = 3;
    std::barrier sync(kThreads + 1);
    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t)
        posters.emplace_back(
            [&, t]
            {
                for (int round = 0; round < kRounds; ++round)
                {
                    sync.arrive_and_wait();
                    for (int i = 0; i < kPerRound; ++i)
                        center->PostNotification(LNotification::Create(
                            u"NID_STATUS", LValueParam::Create(t, round * kPerRound + i)));
                    sync.arrive_and_wait();
                }
            });
    int badRounds = 0, lostRounds = 0;
    for (int round = 0; round < kRounds; ++round)
    {
        allSeen.clear();
        latestSeen.clear();
        sync.arrive_and_wait();
        center->ProcessNotifications(false);
        sync.arrive_and_wait();
        center->ProcessNotifications(false);

        // Counted, not asserted: the posters wait for this thread at the next round.
        size_t matched = 0;
        for (const Key& key : allSeen)
            matched += matched < latestSeen.size() && latestSeen[matched] == key;
        lostRounds += allSeen.size() != static_cast<size_t>(kThreads * kPerRound);
        badRounds += latestSeen.empty() || allSeen.empty() || matched != latestSeen.size() ||
                     latestSeen.back() != allSeen.back();
    }
    for (auto& p : posters)
        p.join();
    EXPECT_EQ(lostRounds, 0);
    EXPECT_EQ(badRounds, 0);
    all->UnregisterFromAllDistributors();
    latest->UnregisterFromAllDistributors();
}

TEST(NotificationDistributorConcurrency, SimultaneousNotifiesReachEveryReceiverOnceEach)
{
    const RCPtr<LNotificationDistributor> source(new LNotificationDistributor);
    constexpr int kReceivers = 8, kThreads = 4, kRounds = 500;
    std::vector<RCPtr<ZQTest::Recorder>> receivers;
    for (int i = 0; i < kReceivers; ++i)
    {
        receivers.push_back(MakeRecorder("r"));
        // Yielding inside deliveries lets the threads' deliveries interleave on the one pool.
        receivers.back()->mHook = [](auto&, auto&) { std::this_thread::yield(); };
        receivers.back()->RegisterWithDistributor(source, u"NID_PING", 0);
    }
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back(
            [&]
            {
                const auto ping = LNotification::Create(u"NID_PING");
                for (int i = 0; i < kRounds; ++i)
                    source->Notify(ping);
            });
    for (auto& t : threads)
        t.join();
    for (auto& r : receivers)
        EXPECT_EQ(r->Calls(), kThreads * kRounds);
}

TEST(NotificationDistributorConcurrency, RegistrationRacesWithDelivery)
{
    const RCPtr<LNotificationDistributor> source(new LNotificationDistributor);
    const auto steady = MakeRecorder("steady");
    steady->RegisterWithDistributor(source, u"NID_PING", 0);
    std::atomic<bool> stop{false};
    std::thread notifier(
        [&]
        {
            const auto ping = LNotification::Create(u"NID_PING");
            while (!stop.load())
                source->Notify(ping);
        });
    // The churn below must overlap deliveries, so it starts once the notifier is running.
    EXPECT_TRUE(TestSupport::WaitFor([&] { return steady->Calls() > 0; }));
    // Clients come and go on this thread (their owner's) while the other thread delivers.
    for (int i = 0; i < 2000; ++i)
    {
        const auto transient = MakeRecorder("transient");
        transient->RegisterWithDistributor(source, u"NID_PING", 0);
        if (i % 2 == 0)
            transient->UnregisterFromDistributor(source, u"NID_PING");
        // odd ones go by their last release
    }
    stop = true;
    notifier.join();
    EXPECT_EQ(source->GetRegistrationCount(), 1);
    EXPECT_EQ(source->GetClientPool(LNotification::GetIDFromName(u"NID_PING"))->GetCount(), 1u);
}
