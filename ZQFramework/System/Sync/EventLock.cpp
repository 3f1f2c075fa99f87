#include "ZQFramework/System/Sync/EventLock.h"

namespace ZQ
{
void EventLock::Lock()
{
    if (mState.exchange(1, std::memory_order_acquire) == 0)
        return;
    // Marking the state 2 before sleeping makes the holder's Unlock set the event, so no wake-up is lost.
    while (mState.exchange(2, std::memory_order_acquire) != 0)
        (void)mWake.Wait(kInfinite);
}

void EventLock::Unlock()
{
    if (mState.exchange(0, std::memory_order_release) == 2)
        mWake.Set();
}
} // namespace ZQ
