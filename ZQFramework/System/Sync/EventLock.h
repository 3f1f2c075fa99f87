#pragma once

#include "ZQFramework/System/Sync/Event.h"

#include <atomic>
#include <cstdint>

namespace ZQ
{
// A light, non-recursive lock: one atomic exchange when free, a sleep on an auto-reset event only under
// contention. Guards the hot paths of pooled allocators and a thread's start state.
class EventLock
{
public:
    EventLock() = default;

    EventLock(const EventLock&) = delete;
    EventLock& operator=(const EventLock&) = delete;

    void Lock();
    void Unlock();

private:
    // 0 free, 1 held, 2 held and a thread may be sleeping on mWake.
    std::atomic<int32_t> mState{0};
    Event mWake{true};
};
} // namespace ZQ
