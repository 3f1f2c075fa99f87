#include "ZQFramework/System/Thread.h"

#include "Platform/Clock/Clock.h"
#include "Platform/Process/Process.h"
#include "ZQFramework/System/DebugStream.h"
#include "ZQFramework/System/Sync/EventLock.h"
#include "ZQFramework/System/Sync/TrafficLight.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <system_error>
#include <thread>

namespace ZQ
{
namespace
{
constexpr int32_t kNotResumed = 0;
constexpr int32_t kResumed = 1;
constexpr int32_t kCreationFailed = 2;
constexpr int32_t kResumedByWait = 3;

// Waits for a signal in short real-time slices while the time-out is measured on the program's clock,
// so a replaced clock decides when a bounded wait gives up.
bool WaitMeasuredByClock(Event& signal, uint32_t milliseconds)
{
    if (milliseconds == kInfinite)
        return signal.Wait(kInfinite) == kWaitSignalled;
    const auto deadline = Platform::Now() + std::chrono::milliseconds(milliseconds);
    for (;;)
    {
        const auto remaining =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Platform::Now()).count();
        const auto slice = static_cast<uint32_t>(std::clamp<int64_t>(remaining, 0, 50));
        if (signal.Wait(slice) == kWaitSignalled)
            return true;
        if (remaining <= 0)
            return false;
    }
}
// A refused change (an unprivileged process may not raise a thread) is not a failure of the thread.
void ApplyPriority(Platform::ThreadId systemId, int32_t priority)
{
    (void)Platform::SetThreadPriority(systemId, priority);
}
} // namespace

struct Thread::Record
{
    Callback callback = nullptr;
    void* userData = nullptr;
    std::shared_ptr<void> keepAlive; // released by the thread when its callback has returned

    EventLock stateLock;
    std::atomic<int32_t> startFlags{kNotResumed}; // changed under stateLock
    std::atomic<int32_t> priority{0};
    std::atomic<bool> started{false};
    TrafficLight done;   // set whenever the callback is not running
    TrafficLight resume; // the gate that holds a new thread back
    std::atomic<Platform::ThreadId> systemId{0};

    std::thread thread;
    std::thread::id id; // written before the thread is resumed, read-only afterwards
};

Thread::Thread(Callback callback, void* userData, std::shared_ptr<void> keepAlive)
    : mRecord(std::make_shared<Record>())
{
    mRecord->callback = callback;
    mRecord->userData = userData;
    mRecord->keepAlive = std::move(keepAlive);
    mRecord->done.Set();
    try
    {
        mRecord->thread = std::thread(&Thread::Routine, mRecord);
        mRecord->id = mRecord->thread.get_id();
    }
    catch (const std::system_error&)
    {
        mRecord->startFlags = kCreationFailed;
        mRecord->keepAlive.reset();
    }
}

Thread::~Thread()
{
    Record& record = *mRecord;
    if (!record.thread.joinable())
        return;
    if (IsCurrentThread())
    {
        // Destroyed by its own callback (or the release at its end): the routine keeps the record.
        record.resume.Set();
        record.thread.detach();
        return;
    }
    if (Wait(kEndTimeout))
    {
        record.thread.join();
        return;
    }
    record.thread.detach();
    dostream report;
    report << "ZQ::Thread::~Thread : thread " << record.systemId.load() << " did not end within "
           << kEndTimeout << " ms and was abandoned" << std::endl;
}

void Thread::Routine(std::shared_ptr<Record> record)
{
    (void)record->resume.Wait(kInfinite);
    record->systemId = Platform::CurrentThreadId();
    ApplyPriority(record->systemId, record->priority);
    record->done.Reset();
    record->started.exchange(true);
    record->callback(record->userData);
    // The system may hand this id to a new thread once this one has gone: no priority change after this.
    record->systemId = 0;
    record->done.Set();
    // Last, as this may release the owner and with it the Thread object.
    record->keepAlive.reset();
}

bool Thread::Start()
{
    // Held locally: once resumed, the callback may destroy this Thread before Start returns.
    const std::shared_ptr<Record> keep = mRecord;
    Record& record = *keep;
    record.stateLock.Lock();
    const bool resumeNow = record.startFlags == kNotResumed;
    if (resumeNow)
    {
        record.startFlags = kResumed;
        record.resume.Set();
    }
    record.stateLock.Unlock();
    return resumeNow;
}

bool Thread::HasFinished()
{
    Record& record = *mRecord;
    record.stateLock.Lock();
    bool finished;
    if (record.started.load())
        finished = record.done.IsSignalled();
    else
        finished = record.startFlags == kCreationFailed;
    record.stateLock.Unlock();
    return finished;
}

bool Thread::Wait(uint32_t milliseconds)
{
    if (HasFinished())
        return true;
    if (IsCurrentThread())
        return false;
    const std::shared_ptr<Record> keep = mRecord;
    Record& record = *keep;
    record.stateLock.Lock();
    if (record.startFlags == kNotResumed)
    {
        record.startFlags = kResumedByWait;
        record.resume.Set();
    }
    while (!record.started.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const bool ended = WaitMeasuredByClock(record.done, milliseconds);
    record.stateLock.Unlock();
    return ended;
}

bool Thread::SetPriority(int32_t priority)
{
    // A thread that has not started yet takes the priority when it does.
    mRecord->priority = priority;
    ApplyPriority(mRecord->systemId, priority);
    return mRecord->startFlags != kCreationFailed;
}

bool Thread::SetPriorityBoost(bool)
{
    return mRecord->startFlags != kCreationFailed;
}

bool Thread::IsCurrentThread() const
{
    return mRecord->id != std::thread::id() && std::this_thread::get_id() == mRecord->id;
}
} // namespace ZQ
