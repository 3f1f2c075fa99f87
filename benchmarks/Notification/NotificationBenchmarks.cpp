#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationCenter.h"
#include "ZQFramework/Notification/NotificationClient.h"
#include "ZQFramework/Notification/NotificationDistributor.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <string>
#include <thread>
#include <vector>

using namespace ZQ;

namespace
{
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

// Notify delivering at once to range(0) receivers.
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
}
BENCHMARK(BM_Notify)->Arg(1)->Arg(16);

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

// range(0) threads post 100 000 pooled notifications in all to a center; this thread drains until all
// are delivered.
void BM_PostAndDrain(benchmark::State& state)
{
    constexpr int64_t kTotal = 100000;
    LNotification::SetPoolingEnabled(true);
    const RCPtr<LNotificationCenter> center = LNotificationCenter::Create(u"bench");
    const RCPtr<CountingClient> client(new CountingClient);
    client->RegisterWithDistributor(center, u"NID_BENCH", 0);
    const NotificationID id = LNotification::GetIDFromName(u"NID_BENCH");
    const auto threads = static_cast<int>(state.range(0));
    for (auto _ : state)
    {
        client->mCount = 0;
        std::vector<std::thread> posters;
        for (int t = 0; t < threads; ++t)
            posters.emplace_back(
                [&]
                {
                    for (int64_t i = 0; i < kTotal / threads; ++i)
                        center->PostNotification(LNotification::Create(id));
                });
        while (client->mCount.load(std::memory_order_relaxed) < kTotal)
            center->ProcessNotifications(false);
        for (auto& p : posters)
            p.join();
    }
    state.SetItemsProcessed(state.iterations() * kTotal);
    client->UnregisterFromAllDistributors();
    LNotification::SetPoolingEnabled(false);
}
BENCHMARK(BM_PostAndDrain)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime();
} // namespace
