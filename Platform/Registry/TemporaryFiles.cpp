#include "Platform/Registry/TemporaryFiles.h"

#include "Platform/Registry/RegistryStore.h"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <sys/types.h>
#include <unistd.h>
#include <vector>

namespace Platform
{
namespace
{
// The process id a temporary name of this prefix carries, or 0 when name is not one.
pid_t WriterOf(std::string_view name, std::string_view prefix)
{
    if (name.substr(0, prefix.size()) != prefix)
        return 0;
    const char* digits = name.data() + prefix.size();
    const char* end = name.data() + name.size();
    pid_t pid = 0;
    const auto [next, error] = std::from_chars(digits, end, pid);
    if (error != std::errc() || next == digits || *digits == '0' || next == end || *next != '.')
        return 0;
    return pid;
}

bool ProcessIsGone(pid_t pid)
{
    // EPERM means the process exists under another user.
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}
} // namespace

std::string TemporaryNamePrefix(std::string_view prefix)
{
    return std::string(prefix) + std::to_string(::getpid()) + ".";
}

void RemoveStaleTemporaries(int dirFd, std::string_view prefix)
{
    std::vector<std::string> stale;
    RegistryStore::ForEachEntry(dirFd,
                                [&](int, const dirent& entry)
                                {
                                    const pid_t writer = WriterOf(entry.d_name, prefix);
                                    if (writer > 0 && ProcessIsGone(writer))
                                        stale.emplace_back(entry.d_name);
                                });
    for (const std::string& name : stale)
        ::unlinkat(dirFd, name.c_str(), 0);
}

bool SyncFolder(int dirFd)
{
    return ::fsync(dirFd) == 0;
}
} // namespace Platform
