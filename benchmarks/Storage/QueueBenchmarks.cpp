// The counted-pointer queue beside a std::deque under a std::mutex.
//
// ProducersAndOneConsumer: producers enqueue counted pointers to ready-made items while one consumer
// takes them out, as notification posting does: the framework queue's consumer reads the count once and
// then dequeues that many items (the notification queue's drain), the deque's pops one item per lock.
// The queue lives across iterations, so after the first one its ring no longer widens.
//
// BurstIntoNewQueue: a fresh queue of 256 slots takes a burst while nobody dequeues, so the ring widens
// on every item past the 255th, and is then drained.
//
// GrowingBacklog: a fresh queue whose consumer takes one item for every two that arrive, so the ring is
// full and widens on most items while the oldest ones leave from its other end.
#include "ZQFramework/System/Sync/Mutex.h"
#include "ZQFramework/Utilities/Storage/RCPtrQueue.h"

#include <benchmark/benchmark.h>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace
{

class Item : public ZQ::LRefCountedObject
{
};

constexpr int kItemsPerProducer = 20000;

std::vector<ZQ::RCPtr<Item>> MakeItems()
{
    std::vector<ZQ::RCPtr<Item>> items;
    for (int i = 0; i < 64; ++i)
    {
        items.emplace_back(new Item());
    }
    return items;
}

struct FrameworkQueue
{
    ZQ::Mutex lock;
    ZQ::RCPtrQueue<Item, 256, ZQ::Mutex> queue{&lock, 256};

    void Push(const ZQ::RCPtr<Item>& item) { queue.Enqueue(item); }

    ZQ::RCPtr<Item> TakeOne() { return queue.Dequeue(); }

    // Takes out what is waiting now; the number taken.
    int Drain()
    {
        const uint32_t waiting = queue.GetCount();
        for (uint32_t i = 0; i < waiting; ++i)
        {
            benchmark::DoNotOptimize(queue.Dequeue());
        }
        return static_cast<int>(waiting);
    }
};

struct StdQueue
{
    std::mutex lock;
    std::deque<ZQ::RCPtr<Item>> queue;

    void Push(const ZQ::RCPtr<Item>& item)
    {
        std::lock_guard<std::mutex> guard(lock);
        queue.push_back(item);
    }

    ZQ::RCPtr<Item> TakeOne()
    {
        std::lock_guard<std::mutex> guard(lock);
        ZQ::RCPtr<Item> out = std::move(queue.front());
        queue.pop_front();
        return out;
    }

    int Drain()
    {
        int taken = 0;
        for (;;)
        {
            ZQ::RCPtr<Item> out;
            {
                std::lock_guard<std::mutex> guard(lock);
                if (queue.empty())
                {
                    return taken;
                }
                out = std::move(queue.front());
                queue.pop_front();
            }
            benchmark::DoNotOptimize(out);
            ++taken;
        }
    }
};

template <typename Queue>
void ProducersAndOneConsumer(benchmark::State& state)
{
    const int producers = static_cast<int>(state.range(0));
    const std::vector<ZQ::RCPtr<Item>> items = MakeItems();
    Queue queue;
    for (auto _ : state)
    {
        std::vector<std::thread> threads;
        for (int p = 0; p < producers; ++p)
        {
            threads.emplace_back(
                [&]
                {
                    for (int i = 0; i < kItemsPerProducer; ++i)
                    {
                        queue.Push(items[i % items.size()]);
                    }
                });
        }
        for (int received = 0; received < producers * kItemsPerProducer;)
        {
            received += queue.Drain();
        }
        for (auto& t : threads)
        {
            t.join();
        }
    }
    state.SetItemsProcessed(state.iterations() * producers * kItemsPerProducer);
}

template <typename Queue>
void BurstIntoNewQueue(benchmark::State& state)
{
    const int burst = static_cast<int>(state.range(0));
    const std::vector<ZQ::RCPtr<Item>> items = MakeItems();
    for (auto _ : state)
    {
        Queue queue;
        for (int i = 0; i < burst; ++i)
        {
            queue.Push(items[i % items.size()]);
        }
        benchmark::DoNotOptimize(queue.Drain());
    }
    state.SetItemsProcessed(state.iterations() * burst);
}

template <typename Queue>
void GrowingBacklog(benchmark::State& state)
{
    const int arrivals = static_cast<int>(state.range(0));
    const std::vector<ZQ::RCPtr<Item>> items = MakeItems();
    for (auto _ : state)
    {
        Queue queue;
        for (int i = 0; i < arrivals; ++i)
        {
            queue.Push(items[i % items.size()]);
            if (i % 2 == 1)
            {
                benchmark::DoNotOptimize(queue.TakeOne());
            }
        }
        benchmark::DoNotOptimize(queue.Drain());
    }
    state.SetItemsProcessed(state.iterations() * arrivals);
}

} // namespace

BENCHMARK_TEMPLATE(ProducersAndOneConsumer, FrameworkQueue)->Arg(1)->Arg(4)->UseRealTime();
BENCHMARK_TEMPLATE(ProducersAndOneConsumer, StdQueue)->Arg(1)->Arg(4)->UseRealTime();
BENCHMARK_TEMPLATE(BurstIntoNewQueue, FrameworkQueue)->Arg(1000)->Arg(20000);
BENCHMARK_TEMPLATE(BurstIntoNewQueue, StdQueue)->Arg(1000)->Arg(20000);
BENCHMARK_TEMPLATE(GrowingBacklog, FrameworkQueue)->Arg(1000)->Arg(20000);
BENCHMARK_TEMPLATE(GrowingBacklog, StdQueue)->Arg(1000)->Arg(20000);
