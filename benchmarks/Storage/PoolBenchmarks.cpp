// The reuse pool beside plain new and delete: a burst of small objects made and released, on one thread
// (unlocked and locked pools) and on four threads sharing a locked pool.
#include "ZQFramework/Utilities/Storage/ReuseAllocator.h"

#include <benchmark/benchmark.h>
#include <cstdint>

namespace
{

struct Param
{
    int64_t value;
    int32_t x;
    int32_t y;
    void* source;
};

constexpr int kBurst = 64;

ZQ::ReuseAllocator<Param, 4>& SharedLockedPool()
{
    return ZQ::GlobalReuseAllocator<Param, 4, true>();
}

template <typename Allocate, typename Free>
void Burst(benchmark::State& state, Allocate allocate, Free release)
{
    void* held[kBurst];
    for (auto _ : state)
    {
        for (auto& p : held)
        {
            p = allocate();
            benchmark::DoNotOptimize(p);
        }
        for (void* p : held)
        {
            release(p);
        }
    }
    state.SetItemsProcessed(state.iterations() * kBurst);
}

void PoolUnlocked(benchmark::State& state)
{
    ZQ::ReuseAllocator<Param, 4> pool(false);
    Burst(
        state, [&] { return pool.Allocate(sizeof(Param)); }, [&](void* p) { pool.Free(p); });
}

void PoolLocked(benchmark::State& state)
{
    auto& pool = SharedLockedPool();
    Burst(
        state, [&] { return pool.Allocate(sizeof(Param)); }, [&](void* p) { pool.Free(p); });
}

void NewDelete(benchmark::State& state)
{
    Burst(
        state, [] { return ::operator new(sizeof(Param)); }, [](void* p) { ::operator delete(p); });
}

} // namespace

BENCHMARK(PoolUnlocked);
BENCHMARK(PoolLocked)->Threads(1)->Threads(4)->UseRealTime();
BENCHMARK(NewDelete)->Threads(1)->Threads(4)->UseRealTime();
