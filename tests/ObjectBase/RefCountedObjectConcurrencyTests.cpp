#include "CountedFixtures.h"

#include "ZQFramework/ObjectBase/RCPtr.h"

#include <functional>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace ObjectBaseTests;

namespace
{
// Runs rounds in which every worker releases its own pointer to one shared object at the same moment.
// The workers spin on a start gate rather than sleep, so that their releases really overlap. prepare
// fills the workers' slots for a round; check runs after all of them have released.
void RunReleaseRounds(int workers, int rounds,
                      const std::function<void(std::vector<ZQ::RCPtr<Tracked>>&)>& prepare,
                      const std::function<void(int round)>& check)
{
    std::vector<ZQ::RCPtr<Tracked>> slots(workers);
    std::atomic<int> started{-1};
    std::atomic<int> finished{0};
    std::vector<std::thread> threads;
    for (int w = 0; w < workers; ++w)
        threads.emplace_back(
            [&, w]
            {
                for (int r = 0; r < rounds; ++r)
                {
                    while (started.load(std::memory_order_acquire) != r)
                        std::this_thread::yield();
                    slots[w] = nullptr;
                    finished.fetch_add(1, std::memory_order_acq_rel);
                }
            });
    for (int r = 0; r < rounds; ++r)
    {
        prepare(slots);
        started.store(r, std::memory_order_release);
        while (finished.load(std::memory_order_acquire) != workers * (r + 1))
            std::this_thread::yield();
        check(r);
    }
    for (auto& thread : threads)
        thread.join();
}
} // namespace

TEST(RefCountedObjectConcurrency, RacingReleasesFreeAnObjectExactlyOnce)
{
    constexpr int kRounds = 20000;
    std::atomic<int> destroyed{0};
    RunReleaseRounds(
        4, kRounds,
        [&](std::vector<ZQ::RCPtr<Tracked>>& slots)
        {
            ZQ::RCPtr<Tracked> object(new Tracked(&destroyed));
            for (auto& slot : slots)
                slot = object;
        },
        [&](int round) { EXPECT_EQ(destroyed, round + 1); });
    EXPECT_EQ(destroyed, kRounds);
}

// The last outside references of an object whose parts hold references to it are released by several
// threads at once: exactly one of them must break the cycles, so the object is always freed, once.
TEST(RefCountedObjectConcurrency, RacingLastOutsideReleasesBreakCyclesExactlyOnce)
{
    constexpr int kRounds = 20000;
    std::atomic<int> destroyed{0};
    std::atomic<int> breaks{0};
    RunReleaseRounds(
        2, kRounds,
        [&](std::vector<ZQ::RCPtr<Tracked>>& slots)
        {
            ZQ::RCPtr<SelfHolder> object(new SelfHolder(&destroyed, &breaks));
            object->AddInternalReference();
            object->AddInternalReference();
            for (auto& slot : slots)
                slot = object;
        },
        [](int) {});
    EXPECT_EQ(breaks, kRounds);
    EXPECT_EQ(destroyed, kRounds);
}

TEST(RefCountedObjectConcurrency, CopiesAndReleasesOnManyThreadsKeepTheCountExact)
{
    std::atomic<int> destroyed{0};
    ZQ::RCPtr<Tracked> shared(new Tracked(&destroyed));
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back(
            [&shared]
            {
                for (int i = 0; i < 20000; ++i)
                {
                    ZQ::ConstRCPtr<ZQ::LRefCountedObject> copy = shared;
                    ZQ::RCPtr<Tracked> back(copy);
                }
            });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(shared->GetRefCount(), 1);
    shared = nullptr;
    EXPECT_EQ(destroyed, 1);
}
