#pragma once

#include "ZQFramework/System/Sync/LEvent.h"

#include <cstdint>
#include <new>
#include <vector>

namespace ZQ
{
// A fixed set of counted auto-reset events waited on together: event i can be handed to a thread as its
// completion signal, and WaitForAny tells which one fired first. Kept inline like LEvent.
class EventPool
{
public:
    // count events; when they cannot all be made the pool holds none, and WaitForAny reports -1.
    explicit EventPool(int32_t count)
    {
        try
        {
            for (int32_t i = 0; i < count; ++i)
            {
                mEvents.push_back(LEvent::Create(true));
                mHandles.push_back(mEvents.back()->GetHandle());
            }
        }
        catch (const std::bad_alloc&)
        {
            mEvents.clear();
            mHandles.clear();
        }
    }
    virtual ~EventPool() = default;

    EventPool(const EventPool&) = delete;
    EventPool& operator=(const EventPool&) = delete;

    [[nodiscard]] int32_t GetCount() const { return static_cast<int32_t>(mEvents.size()); }

    // Null for an index outside the pool.
    [[nodiscard]] RCPtr<LEvent> GetEvent(int32_t index) const
    {
        if (index < 0 || index >= GetCount())
            return nullptr;
        return mEvents[static_cast<size_t>(index)];
    }

    // The index of the signalled event (its signal consumed), or -1 on a time-out or failure.
    [[nodiscard]] int32_t WaitForAny(uint32_t milliseconds) const
    {
        // The waiter keeps the events alive, so the pool may go while a thread still waits on it.
        const std::vector<RCPtr<LEvent>> events = mEvents;
        const std::vector<EventHandle> handles = mHandles;
        const uint32_t result = EventCore::WaitForAny(handles.data(), handles.size(), milliseconds);
        if (result == kWaitTimeout || result == kWaitFailed)
            return -1;
        return static_cast<int32_t>(result - kWaitSignalled);
    }

private:
    std::vector<RCPtr<LEvent>> mEvents;
    std::vector<EventHandle> mHandles; // the events' handles, in the same order
};
} // namespace ZQ
