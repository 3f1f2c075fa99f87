#include "Platform/Io/UniqueFd.h"

#include <unistd.h>

namespace Platform::Io
{
void UniqueFd::Reset(int fd)
{
    // close is not retried on EINTR: on Linux the descriptor is released either way.
    if (mFd >= 0)
        ::close(mFd);
    mFd = fd;
}
} // namespace Platform::Io
