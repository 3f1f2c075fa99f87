#include "CountedFixtures.h"

#include "ZQFramework/ObjectBase/RCPtr.h"

#include <functional>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace ObjectBaseTests;

namespace
{
using Batch = std::vector<ZQ::RCPtr<Tracked>>;

// Runs rounds in which every worker holds one outside reference to each object of a batch and then lets
// all of them go. Even workers walk the batch forwards, odd workers backwards, so that a forward and a
// backward worker meet on some object in the middle whatever their start times: there the last outside
// releases of one object really overlap, without relying on the threads starting together. make builds
// one object of a round; check runs after all workers have let go of a round.
void ReleaseFromBothEnds(int workers, int rounds, int batchSize,
                         const std::function<ZQ::RCPtr<Tracked>()>& make,
                         const std::function<void(int round)>& check)
{
    std::vector<Batch> held(workers, Batch(batchSize));
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
                    Batch& mine = held[w];
                    for (int i = 0; i < batchSize; ++i)
                        mine[w % 2 == 0 ? i : batchSize - 1 - i] = nullptr;
                    finished.fetch_add(1, std::memory_order_acq_rel);
                }
            });
    for (int r = 0; r < rounds; ++r)
    {
        for (int i = 0; i < batchSize; ++i)
        {
            const ZQ::RCPtr<Tracked> object = make();
            for (auto& batch : held)
                batch[i] = object;
        }
        started.store(r, std::memory_order_release);
        while (finished.load(std::memory_order_acquire) != workers * (r + 1))
            std::this_thread::yield();
        check(r);
    }
    for (auto& thread : threads)
        thread.join();
}

constexpr int kRounds = 100;
constexpr int kBatch = 500;
constexpr int kObjects = kRounds * kBatch;
} // namespace

TEST(RefCountedObjectConcurrency, RacingReleasesFreeAnObjectExactlyOnce)
{
    for (const int workers : {2, 4})
    {
        std::atomic<int> destroyed{0};
        ReleaseFromBothEnds(
            workers, kRounds, kBatch, [&] { return ZQ::RCPtr<Tracked>(new Tracked(&destroyed)); },
            [&](int round) { ASSERT_EQ(destroyed, (round + 1) * kBatch) << workers << " workers"; });
        EXPECT_EQ(destroyed, kObjects) << workers << " workers";
    }
}

// The last outside references of an object whose parts hold references to it are released by several
// threads at once: exactly one of them must break the cycles, so that every object is freed, once. An
// object whose cycles nobody broke would stay alive, held by its own parts; one broken twice would count
// two breaks.
TEST(RefCountedObjectConcurrency, RacingLastOutsideReleasesBreakCyclesExactlyOnce)
{
    for (const int workers : {2, 4, 8})
    {
        std::atomic<int> destroyed{0};
        std::atomic<int> breaks{0};
        ReleaseFromBothEnds(
            workers, kRounds, kBatch,
            [&]
            {
                ZQ::RCPtr<SelfHolder> object(new SelfHolder(&destroyed, &breaks));
                object->AddInternalReference();
                object->AddInternalReference();
                return object;
            },
            [](int) {});
        EXPECT_EQ(breaks, kObjects) << workers << " workers";
        EXPECT_EQ(destroyed, kObjects) << workers << " workers";
    }
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

// Two parts of the system that keep internal references to one object (say two distributors, each
// under its own lock) may count them at the same moment; no adjustment may be lost.
TEST(RefCountedObjectConcurrency, AdjustingInternalReferencesFromManyThreadsLosesNothing)
{
    constexpr int kThreads = 4;
    constexpr int kSteps = 50000;
    ZQ::RCPtr<Tracked> object(new Tracked);
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back(
            [&, t]
            {
                while (!go.load(std::memory_order_acquire))
                    std::this_thread::yield();
                // Even threads count up by 3 and down by 2, odd ones up by 1: each step adds 1 in all.
                for (int i = 0; i < kSteps; ++i)
                {
                    if (t % 2 == 0)
                    {
                        ZQ::LRefCountedObject::AdjustInternalRefCount(object.Get(), 3);
                        ZQ::LRefCountedObject::AdjustInternalRefCount(object.Get(), -2);
                    }
                    else
                        ZQ::LRefCountedObject::AdjustInternalRefCount(object.Get(), 1);
                }
            });
    go.store(true, std::memory_order_release);
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(object->GetInternalRefCount(), kThreads * kSteps);
    ZQ::LRefCountedObject::AdjustInternalRefCount(object.Get(), -kThreads * kSteps);
    EXPECT_EQ(object->GetInternalRefCount(), 0);
}
