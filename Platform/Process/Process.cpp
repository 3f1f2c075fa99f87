#include "Platform/Process/Process.h"

#include <algorithm>
#include <climits>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace Platform
{
std::string ExecutablePath()
{
    std::string path(PATH_MAX, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<size_t>(length) >= path.size())
        return {};
    path.resize(static_cast<size_t>(length));
    return path;
}

ThreadId CurrentThreadId()
{
    return static_cast<ThreadId>(::syscall(SYS_gettid));
}

bool SetThreadPriority(ThreadId thread, int32_t priority)
{
    if (thread == 0)
        return false;
    // Nice values run from 19 (idle) down to -20; on Linux a thread id names one thread here.
    const int nice = std::clamp(-5 * priority, -20, 19);
    return ::setpriority(PRIO_PROCESS, static_cast<id_t>(thread), nice) == 0;
}
} // namespace Platform
