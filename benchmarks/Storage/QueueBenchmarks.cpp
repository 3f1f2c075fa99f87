// The counted-pointer queue beside a std::deque under a std::mutex: producers enqueue counted pointers
// to ready-made items while one consumer drains them, as notification posting does.
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
    bool Pop(ZQ::RCPtr<Item>& out)
    {
        if (queue.GetCount() == 0)
        {
            return false;
        }
        out = queue.Dequeue();
        return true;
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
    bool Pop(ZQ::RCPtr<Item>& out)
    {
        std::lock_guard<std::mutex> guard(lock);
        if (queue.empty())
        {
            return false;
        }
        out = std::move(queue.front());
        queue.pop_front();
        return true;
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
        ZQ::RCPtr<Item> out;
        for (int received = 0; received < producers * kItemsPerProducer;)
        {
            if (queue.Pop(out))
            {
                ++received;
            }
        }
        for (auto& t : threads)
        {
            t.join();
        }
    }
    state.SetItemsProcessed(state.iterations() * producers * kItemsPerProducer);
}

} // namespace

BENCHMARK_TEMPLATE(ProducersAndOneConsumer, FrameworkQueue)->Arg(1)->Arg(4)->UseRealTime();
BENCHMARK_TEMPLATE(ProducersAndOneConsumer, StdQueue)->Arg(1)->Arg(4)->UseRealTime();
