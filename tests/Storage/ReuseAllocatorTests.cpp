#include "ZQFramework/Utilities/Storage/ReuseAllocator.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <set>
#include <thread>
#include <vector>

namespace
{

struct Record
{
    int64_t value;
    double weight;
    void* owner;
};

using Pool = ZQ::ReuseAllocator<Record, 4>;

// A pooled class as the framework writes them: its new and delete go to a process-wide pool.
struct PooledParam
{
    explicit PooledParam(int v) : value(v) {}
    int value;
    static void* operator new(std::size_t size)
    {
        return ZQ::GlobalReuseAllocator<PooledParam, 32, false>().Allocate(size);
    }
    static void operator delete(void* p) { ZQ::GlobalReuseAllocator<PooledParam, 32, false>().Free(p); }
};

struct ThrowingParam
{
    ThrowingParam() { throw std::runtime_error("constructor failed"); }
    static void* operator new(std::size_t size)
    {
        return ZQ::GlobalReuseAllocator<ThrowingParam, 1, false>().Allocate(size);
    }
    static void operator delete(void* p) { ZQ::GlobalReuseAllocator<ThrowingParam, 1, false>().Free(p); }
};

// A pooled class whose pool is first used only after the static that holds one of its objects was made,
// so that static is destroyed after anything the pool's first use registers for exit.
struct LateParam
{
    int value = 7;
    static void* operator new(std::size_t size)
    {
        return ZQ::GlobalReuseAllocator<LateParam, 4, true>().Allocate(size);
    }
    static void operator delete(void* p) { ZQ::GlobalReuseAllocator<LateParam, 4, true>().Free(p); }
};

struct LateParamHolder
{
    LateParam* param = nullptr;
    ~LateParamHolder()
    {
        // Runs during exit: the object and its pool must still be usable.
        const bool intact = param->value == 7;
        delete param;
        if (!intact || ZQ::GlobalReuseAllocator<LateParam, 4, true>().GetFreeCount() != 1)
        {
            std::_Exit(2);
        }
    }
};

} // namespace

TEST(ReuseAllocator, HandsOutAlignedBlocksAndReusesTheLastReleasedFirst)
{
    Pool pool(false);
    void* a = pool.Allocate(sizeof(Record));
    void* b = pool.Allocate(sizeof(Record));
    EXPECT_NE(a, b);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(a) % alignof(std::max_align_t), 0u);
    EXPECT_EQ(pool.GetBlockCount(), 2u);

    pool.Free(a);
    pool.Free(b);
    EXPECT_EQ(pool.GetFreeCount(), 2u);
    EXPECT_EQ(pool.Allocate(sizeof(Record)), b);
    EXPECT_EQ(pool.Allocate(sizeof(Record)), a);
    EXPECT_EQ(pool.GetBlockCount(), 2u);
    EXPECT_EQ(pool.GetFreeCount(), 0u);
}

TEST(ReuseAllocator, ForeignSizesBypassThePool)
{
    Pool pool(false);
    void* kept = pool.Allocate(sizeof(Record));
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, sizeof(Record) + 1, std::size_t{100000}})
    {
        void* p = pool.Allocate(size);
        ASSERT_NE(p, nullptr);
        std::memset(p, 0xEE, size);
        pool.Free(p); // back to the C runtime; ASan reports any mismatch
        EXPECT_EQ(pool.GetBlockCount(), 1u) << size;
        EXPECT_EQ(pool.GetFreeCount(), 0u) << size;
    }
    pool.Free(kept);
    pool.Free(nullptr);
    EXPECT_EQ(pool.GetFreeCount(), 1u);
}

TEST(ReuseAllocator, KeepsAsManyBlocksAsWereAliveAtOnce)
{
    Pool pool(false);
    std::vector<void*> live;
    for (int i = 0; i < 1000; ++i)
    {
        live.push_back(pool.Allocate(sizeof(Record)));
    }
    EXPECT_EQ(std::set<void*>(live.begin(), live.end()).size(), 1000u);
    for (void* p : live)
    {
        pool.Free(p);
    }
    EXPECT_EQ(pool.GetBlockCount(), 1000u);
    EXPECT_EQ(pool.GetFreeCount(), 1000u);

    std::set<void*> again;
    for (int i = 0; i < 1000; ++i)
    {
        again.insert(pool.Allocate(sizeof(Record)));
    }
    EXPECT_EQ(again, std::set<void*>(live.begin(), live.end()));
    EXPECT_EQ(pool.GetBlockCount(), 1000u);
    EXPECT_EQ(pool.GetFreeCount(), 0u);
}

TEST(ReuseAllocator, DestroyingAPoolReleasesBlocksStillHandedOut)
{
    auto pool = std::make_unique<Pool>(true);
    (void)pool->Allocate(sizeof(Record));
    void* p = pool->Allocate(sizeof(Record));
    pool->Free(p);
    pool.reset(); // LeakSanitizer would report a block that was not given back
}

TEST(ReuseAllocator, PooledClassesGoThroughTheirGlobalPool)
{
    auto& pool = ZQ::GlobalReuseAllocator<PooledParam, 32, false>();
    const uint32_t blocksBefore = pool.GetBlockCount();
    auto* first = new PooledParam(1);
    delete first;
    auto* second = new PooledParam(2);
    EXPECT_EQ(second, first);
    EXPECT_EQ(second->value, 2);
    delete second;
    EXPECT_LE(pool.GetBlockCount(), blocksBefore + 1);

    auto& throwingPool = ZQ::GlobalReuseAllocator<ThrowingParam, 1, false>();
    EXPECT_THROW(new ThrowingParam(), std::runtime_error);
    EXPECT_EQ(throwingPool.GetFreeCount(), throwingPool.GetBlockCount()); // the storage came back
}

TEST(ReuseAllocatorDeathTest, ObjectsReleasedDuringExitStillFindTheirPool)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            static LateParamHolder holder;
            holder.param = new LateParam();
            std::exit(0);
        },
        testing::ExitedWithCode(0), "");
}

TEST(ReuseAllocatorConcurrency, LockedPoolReusesBlocksAcrossThreads)
{
    Pool pool(true);
    constexpr int kThreads = 4;
    constexpr int kHeld = 8;
    constexpr int kRounds = 2000;
    std::vector<std::thread> threads;
    std::vector<int> faults(kThreads, 0);
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back(
            [&, t]
            {
                Record* held[kHeld];
                for (int round = 0; round < kRounds; ++round)
                {
                    for (auto& r : held)
                    {
                        r = static_cast<Record*>(pool.Allocate(sizeof(Record)));
                        r->value = round;
                        r->owner = &faults[t];
                    }
                    std::this_thread::yield();
                    for (auto* r : held)
                    {
                        // A block handed to two threads at once would show the other thread's marks.
                        faults[t] += (r->value != round || r->owner != &faults[t]) ? 1 : 0;
                        pool.Free(r);
                    }
                }
            });
    }
    for (auto& th : threads)
    {
        th.join();
    }
    EXPECT_EQ(faults, std::vector<int>(kThreads, 0));
    EXPECT_LE(pool.GetBlockCount(), static_cast<uint32_t>(kThreads * kHeld));
    EXPECT_EQ(pool.GetFreeCount(), pool.GetBlockCount());
}

TEST(ReuseAllocatorConcurrency, BlocksFreedOnAnotherThreadAreReused)
{
    Pool pool(true);
    constexpr int kItems = 20000;
    std::vector<void*> handoff;
    std::mutex handoffLock;
    std::thread producer(
        [&]
        {
            for (int i = 0; i < kItems; ++i)
            {
                void* p = pool.Allocate(sizeof(Record));
                std::lock_guard<std::mutex> lock(handoffLock);
                handoff.push_back(p);
            }
        });
    int freed = 0;
    while (freed < kItems)
    {
        std::vector<void*> batch;
        {
            std::lock_guard<std::mutex> lock(handoffLock);
            batch.swap(handoff);
        }
        for (void* p : batch)
        {
            pool.Free(p);
        }
        freed += static_cast<int>(batch.size());
        std::this_thread::yield();
    }
    producer.join();
    EXPECT_EQ(pool.GetFreeCount(), pool.GetBlockCount());
    EXPECT_LE(pool.GetBlockCount(), static_cast<uint32_t>(kItems));
}
