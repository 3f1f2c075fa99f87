#include "ZQFramework/System/Sync/EventCore.h"

#include <algorithm>
#include <chrono>
#include <optional>

namespace ZQ
{
namespace
{
using Deadline = std::optional<std::chrono::steady_clock::time_point>;

Deadline DeadlineAfter(uint32_t milliseconds)
{
    if (milliseconds == kInfinite)
        return std::nullopt;
    return std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
}
} // namespace

// One thread waiting for any of several events; every event it waits on pokes it when set.
struct EventCore::MultiWaiter
{
    std::mutex lock;
    std::condition_variable poked;
    bool wasPoked = false; // guarded by lock

    void Poke()
    {
        std::lock_guard guard(lock);
        wasPoked = true;
        poked.notify_one();
    }
};

EventCore::EventCore(bool autoReset) : mAutoReset(autoReset)
{
}

EventCore::~EventCore() = default;

bool EventCore::Set()
{
    std::lock_guard guard(mLock);
    mSignalled = true;
    if (mAutoReset)
        mChanged.notify_one();
    else
        mChanged.notify_all();
    for (MultiWaiter* waiter : mMultiWaiters)
        waiter->Poke();
    return true;
}

bool EventCore::Reset()
{
    std::lock_guard guard(mLock);
    mSignalled = false;
    return true;
}

uint32_t EventCore::Wait(uint32_t milliseconds)
{
    const Deadline deadline = DeadlineAfter(milliseconds);
    std::unique_lock guard(mLock);
    const auto isSignalled = [this] { return mSignalled; };
    if (!deadline)
        mChanged.wait(guard, isSignalled);
    else if (!mChanged.wait_until(guard, *deadline, isSignalled))
        return kWaitTimeout;
    if (mAutoReset)
        mSignalled = false;
    return kWaitSignalled;
}

bool EventCore::TryConsume()
{
    std::lock_guard guard(mLock);
    if (!mSignalled)
        return false;
    if (mAutoReset)
        mSignalled = false;
    return true;
}

void EventCore::AddWaiter(MultiWaiter* waiter)
{
    std::lock_guard guard(mLock);
    mMultiWaiters.push_back(waiter);
}

void EventCore::RemoveWaiter(MultiWaiter* waiter)
{
    std::lock_guard guard(mLock);
    mMultiWaiters.erase(std::remove(mMultiWaiters.begin(), mMultiWaiters.end(), waiter), mMultiWaiters.end());
}

uint32_t EventCore::WaitForAny(EventCore* const* events, size_t count, uint32_t milliseconds)
{
    if (!events || count == 0 || std::any_of(events, events + count, [](EventCore* e) { return !e; }))
        return kWaitFailed;

    const Deadline deadline = DeadlineAfter(milliseconds);
    MultiWaiter waiter;
    for (size_t i = 0; i < count; ++i)
        events[i]->AddWaiter(&waiter);

    uint32_t result = kWaitTimeout;
    for (;;)
    {
        {
            std::lock_guard guard(waiter.lock);
            waiter.wasPoked = false;
        }
        // A set that lands after this scan pokes the waiter, so the wait below cannot miss it.
        bool found = false;
        for (size_t i = 0; i < count && !found; ++i)
        {
            if (events[i]->TryConsume())
            {
                result = kWaitSignalled + static_cast<uint32_t>(i);
                found = true;
            }
        }
        if (found)
            break;

        std::unique_lock guard(waiter.lock);
        const auto poked = [&waiter] { return waiter.wasPoked; };
        if (!deadline)
            waiter.poked.wait(guard, poked);
        else if (!waiter.poked.wait_until(guard, *deadline, poked))
            break;
    }

    for (size_t i = 0; i < count; ++i)
        events[i]->RemoveWaiter(&waiter);
    return result;
}
} // namespace ZQ
