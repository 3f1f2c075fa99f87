#include "Platform/Window/NamedLock.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace Platform::Window
{
std::string NamedLock::PathFor(std::string_view name)
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const char* temporary = std::getenv("TMPDIR");
    std::string folder = runtime && *runtime ? runtime : (temporary && *temporary ? temporary : "/tmp");
    std::string file(name);
    std::replace(file.begin(), file.end(), '/', '_');
    return folder + "/" + file + ".lock";
}

NamedLock::NamedLock(std::string_view name)
{
    Io::UniqueFd fd(::open(PathFor(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!fd)
        return;
    int result = 0;
    do
        result = ::flock(fd.Get(), LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result != 0)
    {
        mExisted = errno == EWOULDBLOCK;
        return;
    }
    mFd = std::move(fd);
}
} // namespace Platform::Window
