#include "Support/WaitFor.h"

#include "ZQFramework/System/Sync/Mutex.h"
#include "ZQFramework/Utilities/Storage/RCPtrQueue.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <gtest/gtest.h>
#include <random>
#include <stdexcept>
#include <thread>
#include <vector>

namespace QueueTests
{

class Item : public ZQ::LRefCountedObject
{
public:
    Item(int producer, int sequence) : mProducer(producer), mSequence(sequence) {}
    int mProducer;
    int mSequence;
};

using Queue = ZQ::RCPtrQueue<Item, 256, ZQ::Mutex>;

class PointerQueue : public ::testing::Test
{
protected:
    void EnqueueRange(Queue& queue, int from, int to)
    {
        for (int i = from; i < to; ++i)
        {
            queue.Enqueue(ZQ::RCPtr<Item>(new Item(0, i)));
        }
    }

    // Dequeues count items and checks that their sequence numbers run from `from` without gaps.
    void ExpectDrainsInOrder(Queue& queue, int from, int count)
    {
        for (int i = 0; i < count; ++i)
        {
            ASSERT_GT(queue.GetCount(), 0u);
            ZQ::RCPtr<Item> item = queue.Dequeue();
            ASSERT_EQ(item->mSequence, from + i);
        }
    }

    ZQ::Mutex mLock;
};

} // namespace QueueTests

using QueueTests::Item;
using QueueTests::PointerQueue;
using QueueTests::Queue;

TEST_F(PointerQueue, EmptyQueueThrowsOnDequeue)
{
    Queue queue(&mLock, 256);
    EXPECT_EQ(queue.GetCount(), 0u);
    try
    {
        (void)queue.Dequeue();
        FAIL() << "nothing thrown";
    }
    catch (const std::runtime_error& e)
    {
        EXPECT_STREQ(e.what(), "Runtime Error : ZQ::RCPtrQueue<class QueueTests::Item,256,class "
                               "ZQ::Mutex>::Dequeue : zqframework\\utilities\\Storage/RCPtrQueue : Line 110");
    }
    EXPECT_EQ(queue.GetCount(), 0u);
}

TEST_F(PointerQueue, WidensByOneSlotOnlyWhenFull)
{
    Queue queue(&mLock, 256);
    EnqueueRange(queue, 0, 255);
    EXPECT_EQ(queue.GetRingSize(), 256u);
    EXPECT_EQ(queue.GetCount(), 255u);
    EnqueueRange(queue, 255, 256);
    EXPECT_EQ(queue.GetRingSize(), 257u);
    ExpectDrainsInOrder(queue, 0, 256);
    EXPECT_EQ(queue.GetCount(), 0u);
}

TEST_F(PointerQueue, WideningAWrappedRingKeepsTheOrder)
{
    Queue queue(&mLock, 256);
    EnqueueRange(queue, 0, 200);
    ExpectDrainsInOrder(queue, 0, 150);
    EnqueueRange(queue, 200, 405);
    EXPECT_EQ(queue.GetCount(), 255u);
    EXPECT_EQ(queue.GetRingSize(), 256u);
    EnqueueRange(queue, 405, 406);
    EXPECT_EQ(queue.GetRingSize(), 257u);
    ExpectDrainsInOrder(queue, 150, 256);
    EXPECT_EQ(queue.GetCount(), 0u);
}

TEST_F(PointerQueue, CountsAcrossTheWrap)
{
    Queue queue(&mLock, 256);
    EnqueueRange(queue, 0, 250);
    ExpectDrainsInOrder(queue, 0, 250);
    EnqueueRange(queue, 250, 259); // write wraps to slot 3, read stays at 250
    EXPECT_EQ(queue.GetCount(), 9u);
    ExpectDrainsInOrder(queue, 250, 9);
}

TEST_F(PointerQueue, ZeroCapacityStartsWithTwoSlots)
{
    Queue queue(nullptr, 0); // without a lock
    EXPECT_EQ(queue.GetRingSize(), 0u);
    EnqueueRange(queue, 0, 1);
    EXPECT_EQ(queue.GetRingSize(), 2u);
    EnqueueRange(queue, 1, 2);
    EXPECT_EQ(queue.GetRingSize(), 3u);
    ExpectDrainsInOrder(queue, 0, 2);
}

TEST_F(PointerQueue, DequeueHandsOverTheQueuesReference)
{
    Queue queue(&mLock, 256);
    ZQ::RCPtr<Item> item(new Item(0, 7));
    queue.Enqueue(item);
    EXPECT_EQ(item->GetRefCount(), 2);
    {
        ZQ::RCPtr<Item> out = queue.Dequeue();
        EXPECT_EQ(out.Get(), item.Get());
        EXPECT_EQ(item->GetRefCount(), 2);
    }
    EXPECT_EQ(item->GetRefCount(), 1); // the slot no longer holds it

    queue.Enqueue(item);
    queue.Enqueue(item);
    {
        Queue doomed(&mLock, 4);
        doomed.Enqueue(item);
        EXPECT_EQ(item->GetRefCount(), 4);
    }
    EXPECT_EQ(item->GetRefCount(), 3); // a destroyed queue releases what it still held
}

// Random runs of enqueues and dequeues, biased towards growth, against a std::deque: every widening
// (items wrapped or not, the empty slot anywhere) keeps the order, and the ring grows by exactly one slot
// per item beyond its room, so its size is one more than the most items ever waiting.
TEST_F(PointerQueue, WideningAnywhereInTheRingKeepsTheOrder)
{
    struct Case
    {
        uint32_t capacity;
        unsigned seed;
        int enqueuePercent;
    };
    for (const Case& c :
         {Case{256, 1, 60}, Case{256, 2, 75}, Case{0, 3, 55}, Case{2, 4, 65}, Case{16, 5, 52}})
    {
        SCOPED_TRACE(testing::Message() << "capacity " << c.capacity << ", seed " << c.seed);
        Queue queue(&mLock, c.capacity);
        std::deque<int> model;
        std::mt19937 random(c.seed);
        std::uniform_int_distribution<int> percent(0, 99);
        uint32_t peak = 0;
        int next = 0;
        for (int step = 0; step < 6000; ++step)
        {
            if (model.empty() || percent(random) < c.enqueuePercent)
            {
                queue.Enqueue(ZQ::RCPtr<Item>(new Item(0, next)));
                model.push_back(next++);
                peak = std::max(peak, static_cast<uint32_t>(model.size()));
            }
            else
            {
                ASSERT_EQ(queue.Dequeue()->mSequence, model.front());
                model.pop_front();
            }
            ASSERT_EQ(queue.GetCount(), model.size());
            ASSERT_EQ(queue.GetRingSize(), std::max(std::max(c.capacity, 2u), peak + 1));
        }
        ExpectDrainsInOrder(queue, model.front(), static_cast<int>(model.size()));
        EXPECT_EQ(queue.GetCount(), 0u);
    }
}

TEST(PointerQueueConcurrency, ProducersKeepTheirOrderAndNothingIsLost)
{
    ZQ::Mutex lock;
    Queue queue(&lock, 256);
    constexpr int kProducers = 4;
    constexpr int kPerProducer = 20000;
    std::atomic<int> started{0};
    std::vector<std::thread> producers;
    for (int p = 0; p < kProducers; ++p)
    {
        producers.emplace_back(
            [&, p]
            {
                ++started;
                while (started.load() < kProducers)
                {
                    std::this_thread::yield();
                }
                for (int i = 0; i < kPerProducer; ++i)
                {
                    queue.Enqueue(ZQ::RCPtr<Item>(new Item(p, i)));
                }
            });
    }

    // Let a backlog build up first, so the ring widens while the producers are still adding.
    EXPECT_TRUE(TestSupport::WaitFor([&] { return queue.GetCount() >= 1000; }, std::chrono::seconds(60)));
    // A lost item must end the test, not hang it.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    std::vector<int> next(kProducers, 0);
    int received = 0;
    int outOfOrder = 0;
    while (received < kProducers * kPerProducer && std::chrono::steady_clock::now() < deadline)
    {
        if (queue.GetCount() == 0)
        {
            std::this_thread::yield();
            continue;
        }
        ZQ::RCPtr<Item> item = queue.Dequeue();
        outOfOrder += item->mSequence == next[item->mProducer] ? 0 : 1;
        next[item->mProducer] = item->mSequence + 1;
        ++received;
    }
    for (auto& t : producers)
    {
        t.join();
    }
    EXPECT_EQ(outOfOrder, 0);
    EXPECT_EQ(next, std::vector<int>(kProducers, kPerProducer));
    EXPECT_EQ(queue.GetCount(), 0u);
    EXPECT_GT(queue.GetRingSize(), 256u);
}
