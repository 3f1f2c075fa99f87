#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"

#include <Poco/AutoPtr.h>
#include <Poco/RefCountedObject.h>
#include <benchmark/benchmark.h>
#include <memory>

// Copying and dropping a counted pointer against the standard shared pointer, on one thread and with
// several threads hammering one object's count; making and freeing a counted object against the
// standard shared pointer and Poco's counted object.
namespace
{
class Payload : public virtual ZQ::LRefCountedObject
{
public:
    int mValue = 1;
};

struct PlainPayload
{
    int mValue = 1;
};

class PocoPayload : public Poco::RefCountedObject
{
public:
    int mValue = 1;
};

void RCPtrCopyAndDestroy(benchmark::State& state)
{
    static ZQ::RCPtr<Payload> shared;
    if (state.thread_index() == 0)
        shared = new Payload;
    for (auto _ : state)
    {
        ZQ::RCPtr<Payload> copy = shared;
        benchmark::DoNotOptimize(copy.Get());
    }
    if (state.thread_index() == 0)
        shared = nullptr;
}
BENCHMARK(RCPtrCopyAndDestroy)->ThreadRange(1, 4);

// The same for an object that one of its own parts holds: its releases decide against the internal
// count and decrement with a compare-exchange.
void RCPtrCopyAndDestroyWithInternalReference(benchmark::State& state)
{
    static ZQ::RCPtr<Payload> shared;
    static ZQ::RCPtr<Payload> part;
    if (state.thread_index() == 0)
    {
        shared = new Payload;
        part = shared;
        ZQ::LRefCountedObject::AdjustInternalRefCount(part.Get(), 1);
    }
    for (auto _ : state)
    {
        ZQ::RCPtr<Payload> copy = shared;
        benchmark::DoNotOptimize(copy.Get());
    }
    if (state.thread_index() == 0)
    {
        ZQ::LRefCountedObject::AdjustInternalRefCount(part.Get(), -1);
        part = nullptr;
        shared = nullptr;
    }
}
BENCHMARK(RCPtrCopyAndDestroyWithInternalReference)->ThreadRange(1, 4);

void SharedPtrCopyAndDestroy(benchmark::State& state)
{
    static std::shared_ptr<PlainPayload> shared;
    if (state.thread_index() == 0)
        shared = std::make_shared<PlainPayload>();
    for (auto _ : state)
    {
        std::shared_ptr<PlainPayload> copy = shared;
        benchmark::DoNotOptimize(copy.get());
    }
    if (state.thread_index() == 0)
        shared.reset();
}
BENCHMARK(SharedPtrCopyAndDestroy)->ThreadRange(1, 4);

void RCPtrCreateAndFree(benchmark::State& state)
{
    for (auto _ : state)
    {
        ZQ::RCPtr<Payload> object(new Payload);
        benchmark::DoNotOptimize(object.Get());
    }
}
BENCHMARK(RCPtrCreateAndFree);

void SharedPtrCreateAndFree(benchmark::State& state)
{
    for (auto _ : state)
    {
        auto object = std::make_shared<PlainPayload>();
        benchmark::DoNotOptimize(object.get());
    }
}
BENCHMARK(SharedPtrCreateAndFree);

void PocoAutoPtrCreateAndFree(benchmark::State& state)
{
    for (auto _ : state)
    {
        Poco::AutoPtr<PocoPayload> object(new PocoPayload);
        benchmark::DoNotOptimize(object.get());
    }
}
BENCHMARK(PocoAutoPtrCreateAndFree);
} // namespace
