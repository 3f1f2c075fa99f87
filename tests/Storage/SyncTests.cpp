#include "Support/WaitFor.h"

#include "ZQFramework/System/Sync/Event.h"
#include "ZQFramework/System/Sync/EventLock.h"
#include "ZQFramework/System/Sync/Mutex.h"
#include "ZQFramework/System/Sync/MutexLocker.h"
#include "ZQFramework/System/Sync/TrafficLight.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using TestSupport::WaitFor;

namespace
{
TEST(SyncEvent, NewEventIsNotSignalledAndTimesOut)
{
    for (bool autoReset : {true, false})
    {
        ZQ::Event event(autoReset);
        EXPECT_EQ(event.Wait(0), ZQ::kWaitTimeout);
        EXPECT_EQ(event.Wait(20), ZQ::kWaitTimeout);
        EXPECT_FALSE(event.IsSignalled());
    }
}

TEST(SyncEvent, AutoResetConsumesSignalManualResetKeepsIt)
{
    ZQ::Event autoEvent(true);
    ASSERT_TRUE(autoEvent.Set());
    EXPECT_TRUE(autoEvent.IsSignalled());
    EXPECT_FALSE(autoEvent.IsSignalled());

    ZQ::TrafficLight light;
    ASSERT_TRUE(light.Set());
    EXPECT_TRUE(light.IsSignalled());
    EXPECT_EQ(light.Wait(ZQ::kInfinite), ZQ::kWaitSignalled);
    EXPECT_TRUE(light.IsSignalled());
    ASSERT_TRUE(light.Reset());
    EXPECT_FALSE(light.IsSignalled());
}

TEST(SyncEvent, WaitForAnyReportsLowestSignalledIndexAndConsumesIt)
{
    std::vector<std::unique_ptr<ZQ::Event>> events;
    std::vector<ZQ::EventHandle> handles;
    for (int i = 0; i < 4; ++i)
    {
        events.push_back(std::make_unique<ZQ::Event>(true));
        handles.push_back(events.back()->GetHandle());
    }
    EXPECT_EQ(ZQ::EventCore::WaitForAny(handles.data(), handles.size(), 0), ZQ::kWaitTimeout);

    events[2]->Set();
    EXPECT_EQ(ZQ::EventCore::WaitForAny(handles.data(), handles.size(), 0), 2u);
    EXPECT_EQ(ZQ::EventCore::WaitForAny(handles.data(), handles.size(), 0), ZQ::kWaitTimeout);

    events[3]->Set();
    events[1]->Set();
    EXPECT_EQ(ZQ::EventCore::WaitForAny(handles.data(), handles.size(), 0), 1u);
    EXPECT_EQ(ZQ::EventCore::WaitForAny(handles.data(), handles.size(), 0), 3u);
}

TEST(SyncEvent, WaitForAnyFailsWithoutUsableEvents)
{
    ZQ::EventHandle handles[] = {nullptr};
    EXPECT_EQ(ZQ::EventCore::WaitForAny(handles, 1, 0), ZQ::kWaitFailed);
    EXPECT_EQ(ZQ::EventCore::WaitForAny(handles, 0, 0), ZQ::kWaitFailed);
}

TEST(SyncMutex, IsRecursiveAndFreeAfterAsManyUnlocks)
{
    ZQ::Mutex mutex;
    mutex.Lock();
    {
        ZQ::MutexLocker nested(mutex);
    }
    mutex.Unlock();

    std::atomic<bool> taken{false};
    std::thread other(
        [&]
        {
            ZQ::MutexLocker guard(&mutex);
            taken = true;
        });
    other.join();
    EXPECT_TRUE(taken);
}

TEST(SyncMutex, LockerReleasesWhenAnExceptionLeavesTheScope)
{
    ZQ::Mutex mutex;
    try
    {
        ZQ::MutexLocker guard(mutex);
        throw 1;
    }
    catch (int)
    {
    }
    std::thread other(
        [&]
        {
            mutex.Lock();
            mutex.Unlock();
        });
    other.join();
}

TEST(SyncConcurrency, AutoResetSetReleasesOneWaiterManualResetReleasesAll)
{
    for (bool autoReset : {true, false})
    {
        SCOPED_TRACE(autoReset ? "auto-reset" : "manual-reset");
        ZQ::Event event(autoReset);
        std::atomic<int> woken{0};
        std::vector<std::thread> waiters;
        for (int i = 0; i < 3; ++i)
            waiters.emplace_back(
                [&]
                {
                    if (event.Wait(ZQ::kInfinite) == ZQ::kWaitSignalled)
                        ++woken;
                });

        event.Set();
        if (autoReset)
        {
            ASSERT_TRUE(WaitFor([&] { return woken == 1; }));
            // The one signal was consumed by the waiter it released; no other waiter can be running.
            EXPECT_FALSE(event.IsSignalled());
            EXPECT_EQ(woken, 1);
            event.Set();
            ASSERT_TRUE(WaitFor([&] { return woken == 2; }));
            event.Set();
        }
        EXPECT_TRUE(WaitFor([&] { return woken == 3; }));
        for (auto& waiter : waiters)
            waiter.join();
    }
}

TEST(SyncConcurrency, WaitForAnyWakesWhenAnotherThreadSets)
{
    ZQ::Event first(true), second(true), third(true);
    ZQ::EventHandle handles[] = {first.GetHandle(), second.GetHandle(), third.GetHandle()};
    std::atomic<uint32_t> result{ZQ::kWaitFailed};
    std::thread waiter([&] { result = ZQ::EventCore::WaitForAny(handles, 3, ZQ::kInfinite); });
    second.Set();
    waiter.join();
    EXPECT_EQ(result, 1u);
    EXPECT_FALSE(second.IsSignalled());
}

TEST(SyncConcurrency, TimedWaitReturnsSignalWhenSetBeforeDeadline)
{
    ZQ::Event event(true);
    std::atomic<uint32_t> result{ZQ::kWaitFailed};
    std::thread waiter([&] { result = event.Wait(30000); });
    event.Set();
    waiter.join();
    EXPECT_EQ(result, ZQ::kWaitSignalled);
}

template <typename Lock>
void ExpectMutualExclusion(Lock& lock)
{
    constexpr int kThreads = 4;
    constexpr int kRounds = 20000;
    int counter = 0; // guarded by lock
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back(
            [&]
            {
                for (int i = 0; i < kRounds; ++i)
                {
                    lock.Lock();
                    ++counter;
                    lock.Unlock();
                }
            });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(counter, kThreads * kRounds);
}

TEST(SyncConcurrency, EventLockAndMutexExcludeEachOther)
{
    ZQ::EventLock eventLock;
    ExpectMutualExclusion(eventLock);
    ZQ::Mutex mutex;
    ExpectMutualExclusion(mutex);
}

TEST(SyncConcurrency, EventLockWaiterRunsAfterHolderUnlocks)
{
    ZQ::EventLock lock;
    std::atomic<bool> inside{false};
    lock.Lock();
    std::thread second(
        [&]
        {
            lock.Lock();
            inside = true;
            lock.Unlock();
        });
    EXPECT_FALSE(inside);
    lock.Unlock();
    second.join();
    EXPECT_TRUE(inside);
}
} // namespace
