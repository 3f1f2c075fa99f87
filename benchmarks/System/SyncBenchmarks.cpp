#include "ZQFramework/System/Sync/Event.h"
#include "ZQFramework/System/Sync/EventLock.h"
#include "ZQFramework/System/Sync/Mutex.h"
#include "ZQFramework/System/ThreadPool.h"

#include <benchmark/benchmark.h>
#include <mutex>

namespace
{
template <typename Lock>
void LockUnlock(benchmark::State& state)
{
    static Lock lock;
    for (auto _ : state)
    {
        if constexpr (std::is_same_v<Lock, std::mutex>)
        {
            lock.lock();
            lock.unlock();
        }
        else
        {
            lock.Lock();
            lock.Unlock();
        }
    }
}
BENCHMARK(LockUnlock<ZQ::EventLock>)->ThreadRange(1, 4);
BENCHMARK(LockUnlock<ZQ::Mutex>)->ThreadRange(1, 4);
BENCHMARK(LockUnlock<std::mutex>)->ThreadRange(1, 4);

// Sets an event that the bench thread waits for: one hand-over through the pool per item.
class SignallingWorker : public ZQ::LThreadWorker
{
public:
    ZQ::Event mDone{true};
    ZQRESULT DoWork(ZQ::RCPtr<ZQ::LRefCountedObject>&) override
    {
        mDone.Set();
        return S_OK;
    }
};

void PoolRoundTrip(benchmark::State& state)
{
    auto pool = ZQ::LThreadPool::Create(1, 2);
    ZQ::RCPtr<SignallingWorker> worker(new SignallingWorker());
    for (auto _ : state)
    {
        pool->QueueWorkItem(worker, nullptr, 0);
        (void)worker->mDone.Wait(ZQ::kInfinite);
    }
}
BENCHMARK(PoolRoundTrip);

void PoolBurstOf64(benchmark::State& state)
{
    auto pool = ZQ::LThreadPool::Create(1, 2);
    ZQ::RCPtr<SignallingWorker> worker(new SignallingWorker());
    for (auto _ : state)
    {
        for (int i = 0; i < 64; ++i)
            pool->QueueWorkItem(worker, nullptr, 0);
        // The last item's signal may merge with earlier ones; wait until the pool has drained.
        while (worker->GetRefCount() > 1)
            (void)worker->mDone.Wait(1);
    }
}
BENCHMARK(PoolBurstOf64);
} // namespace
