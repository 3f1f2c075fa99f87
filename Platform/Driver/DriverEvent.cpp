#include "Platform/Driver/DriverEvent.h"

#include "Platform/Driver/Driver.h"

#include <atomic>
#include <chrono>

namespace Platform
{
namespace
{
intptr_t NextEventHandle()
{
    static std::atomic<intptr_t> next{static_cast<intptr_t>(sizeof(void*) == 8 ? 0x5E7000000040ll : 0x40000)};
    return next.fetch_add(4);
}
} // namespace

DriverEvent::DriverEvent() : mHandle(NextEventHandle())
{
    RegisterDriverSignal(mHandle, [this] { Set(); });
}

DriverEvent::~DriverEvent()
{
    UnregisterDriverSignal(mHandle);
}

void DriverEvent::Set()
{
    std::lock_guard lock(mLock);
    mSet = true;
    mChanged.notify_all();
}

void DriverEvent::Reset()
{
    std::lock_guard lock(mLock);
    mSet = false;
}

bool DriverEvent::Wait(uint32_t milliseconds)
{
    std::unique_lock lock(mLock);
    return mChanged.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return mSet; });
}

bool DriverEvent::IsSet()
{
    std::lock_guard lock(mLock);
    return mSet;
}
} // namespace Platform
