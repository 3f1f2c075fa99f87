// The notification system beside Poco's NotificationCenter and NotificationQueue, each side doing the
// same work per item: delivering a ready notification at once to its receivers, and making a
// notification, posting it from other threads, draining it and delivering it to one receiver.
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationCenter.h"
#include "ZQFramework/Notification/NotificationClient.h"
#include "ZQFramework/Notification/NotificationDistributor.h"

#include <Poco/NObserver.h>
#include <Poco/Notification.h>
#include <Poco/NotificationCenter.h>
#include <Poco/NotificationQueue.h>
#include <atomic>
#include <benchmark/benchmark.h>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace ZQ;

namespace
{
constexpr int64_t kPostedPerIteration = 100000;

class CountingClient : public LNotificationClient
{
public:
    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) override
    {
        mCount.fetch_add(1, std::memory_order_relaxed);
        return S_OK;
    }
    std::atomic<int64_t> mCount{0};
};

class PocoBenchNotification : public Poco::Notification
{
};

class PocoCountingObserver
{
public:
    void Handle(const Poco::AutoPtr<PocoBenchNotification>&)
    {
        mCount.fetch_add(1, std::memory_order_relaxed);
    }
    std::atomic<int64_t> mCount{0};
};

using PocoObserver = Poco::NObserver<PocoCountingObserver, PocoBenchNotification>;

// Runs post on range(0) threads, kPostedPerIteration in all, while this thread drains with drain()
// until delivered() reaches them all.
template <class Post, class Drain, class Delivered>
void PostFromThreadsAndDrain(benchmark::State& state, Post post, Drain drain, Delivered delivered)
{
    const auto threads = static_cast<int>(state.range(0));
    for (auto _ : state)
    {
        const int64_t target = delivered() + kPostedPerIteration;
        std::vector<std::thread> posters;
        for (int t = 0; t < threads; ++t)
            posters.emplace_back(
                [&]
                {
                    for (int64_t i = 0; i < kPostedPerIteration / threads; ++i)
                        post();
                });
        while (delivered() < target)
            drain();
        for (auto& p : posters)
            p.join();
    }
    state.SetItemsProcessed(state.iterations() * kPostedPerIteration);
}

// ---- delivering at once to range(0) receivers ----

void BM_Notify(benchmark::State& state)
{
    const RCPtr<LNotificationDistributor> source(new LNotificationDistributor);
    std::vector<RCPtr<CountingClient>> clients;
    for (int64_t i = 0; i < state.range(0); ++i)
    {
        clients.emplace_back(new CountingClient);
        clients.back()->RegisterWithDistributor(source, u"NID_BENCH", 0);
    }
    const RCPtr<LNotification> notification = LNotification::Create(u"NID_BENCH");
    for (auto _ : state)
        benchmark::DoNotOptimize(source->Notify(notification));
    state.SetItemsProcessed(state.iterations() * state.range(0));
    for (auto& client : clients)
        client->UnregisterFromAllDistributors();
}
BENCHMARK(BM_Notify)->Arg(1)->Arg(16);

void BM_PocoNotify(benchmark::State& state)
{
    Poco::NotificationCenter center;
    std::vector<std::unique_ptr<PocoCountingObserver>> observers;
    for (int64_t i = 0; i < state.range(0); ++i)
    {
        observers.push_back(std::make_unique<PocoCountingObserver>());
        center.addObserver(PocoObserver(*observers.back(), &PocoCountingObserver::Handle));
    }
    const Poco::Notification::Ptr notification(new PocoBenchNotification);
    for (auto _ : state)
        center.postNotification(notification);
    state.SetItemsProcessed(state.iterations() * state.range(0));
    for (auto& observer : observers)
        center.removeObserver(PocoObserver(*observer, &PocoCountingObserver::Handle));
}
BENCHMARK(BM_PocoNotify)->Arg(1)->Arg(16);

// ---- made, posted from range(0) threads, drained and delivered to one receiver ----

void BM_PostAndDrain(benchmark::State& state)
{
    LNotification::SetPoolingEnabled(true);
    const RCPtr<LNotificationCenter> center = LNotificationCenter::Create(u"bench");
    const RCPtr<CountingClient> client(new CountingClient);
    client->RegisterWithDistributor(center, u"NID_BENCH", 0);
    const NotificationID id = LNotification::GetIDFromName(u"NID_BENCH");
    PostFromThreadsAndDrain(
        state, [&] { center->PostNotification(LNotification::Create(id)); },
        [&] { center->ProcessNotifications(false); },
        [&] { return client->mCount.load(std::memory_order_relaxed); });
    client->UnregisterFromAllDistributors();
    LNotification::SetPoolingEnabled(false);
}
BENCHMARK(BM_PostAndDrain)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PocoPostAndDrain(benchmark::State& state)
{
    Poco::NotificationQueue queue;
    Poco::NotificationCenter center;
    PocoCountingObserver observer;
    center.addObserver(PocoObserver(observer, &PocoCountingObserver::Handle));
    PostFromThreadsAndDrain(
        state, [&] { queue.enqueueNotification(new PocoBenchNotification); },
        [&]
        {
            // What is queued now, delivered outside the queue's lock, as the framework's drain does.
            while (const Poco::Notification::Ptr notification = queue.dequeueNotification())
                center.postNotification(notification);
        },
        [&] { return observer.mCount.load(std::memory_order_relaxed); });
    center.removeObserver(PocoObserver(observer, &PocoCountingObserver::Handle));
}
BENCHMARK(BM_PocoPostAndDrain)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime();

// ---- interning ----

// Interning a name given as text, with range(0) other names registered before it: every notification
// made from a literal name pays this.
void BM_InternName(benchmark::State& state)
{
    static int64_t registered = 0;
    for (; registered < state.range(0); ++registered)
    {
        const std::u16string name = u"NID_BENCH_FILLER_" + std::u16string(1, u'A' + registered % 26) +
                                    std::u16string(1, u'A' + registered / 26 % 26);
        benchmark::DoNotOptimize(LNotification::GetIDFromName(name.c_str()));
    }
    const char16_t name[] = u"NID_BENCH_INTERNED_LAST";
    benchmark::DoNotOptimize(LNotification::GetIDFromName(name));
    for (auto _ : state)
        benchmark::DoNotOptimize(LNotification::GetIDFromName(name));
}
BENCHMARK(BM_InternName)->Arg(16)->Arg(256);
} // namespace
