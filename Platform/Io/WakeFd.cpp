#include "Platform/Io/WakeFd.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace Platform::Io
{
WakeFd::WakeFd() : mFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
}

void WakeFd::Wake()
{
    const uint64_t one = 1;
    // EAGAIN means the counter is full: it is readable already.
    while (::write(mFd.Get(), &one, sizeof one) < 0 && errno == EINTR)
    {
    }
}

void WakeFd::Drain()
{
    // One read of a (non-semaphore) eventfd resets its counter to zero.
    uint64_t count = 0;
    while (::read(mFd.Get(), &count, sizeof count) < 0 && errno == EINTR)
    {
    }
}

bool WakeFd::IsWoken() const
{
    pollfd entry{mFd.Get(), POLLIN, 0};
    return ::poll(&entry, 1, 0) > 0 && (entry.revents & POLLIN) != 0;
}
} // namespace Platform::Io
