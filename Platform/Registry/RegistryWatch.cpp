#include "Platform/Registry/RegistryWatch.h"

#include "Platform/Clock/Clock.h"
#include "Platform/Registry/RegistryStore.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace Platform
{
namespace
{
constexpr uint32_t kFolderEvents =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
constexpr uint32_t kEntryEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

std::string JoinRelative(const std::string& folder, const std::string& name)
{
    return folder.empty() ? name : folder + "/" + name;
}

// The number of values in the folder relative to keyFd and below it.
size_t CountValues(int keyFd, const std::string& relative)
{
    const int fd =
        ::openat(keyFd, relative.empty() ? "." : relative.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    size_t count = RegistryStore::ListEntries(fd, false).size();
    for (const std::string& sub : RegistryStore::ListEntries(fd, true))
        count += CountValues(keyFd, JoinRelative(relative, sub));
    ::close(fd);
    return count;
}
} // namespace

std::unique_ptr<RegistryWatch> RegistryWatch::Create(RegKey key, bool subtree, uint32_t filter,
                                                     int32_t* error)
{
    int32_t result = RegSuccess;
    auto fail = [&](int32_t code)
    {
        if (error != nullptr)
            *error = code;
        return nullptr;
    };
    if (filter == 0)
        return fail(RegInvalidParameter);
    const std::shared_ptr<RegistryStore::KeyFolder> folder = RegistryStore::Resolve(key, &result);
    if (!folder)
        return fail(result);
    if (folder->IsDeleted())
        return fail(RegKeyDeleted);

    Io::UniqueFd keyFd(::fcntl(folder->Fd(), F_DUPFD_CLOEXEC, 0));
    Io::UniqueFd inotifyFd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (!keyFd || !inotifyFd)
        return fail(RegOutOfMemory);
    std::unique_ptr<RegistryWatch> watch(
        new RegistryWatch(std::move(keyFd), std::move(inotifyFd), subtree, filter));
    if (!watch->mCancel.IsOpen())
        return fail(RegOutOfMemory);
    if (!watch->AddFolderWatch(""))
        return fail(watch->mDeleted ? RegKeyDeleted : RegAccessDenied);
    if (error != nullptr)
        *error = RegSuccess;
    return watch;
}

RegistryWatch::RegistryWatch(Io::UniqueFd keyFd, Io::UniqueFd inotifyFd, bool subtree, uint32_t filter)
    : mKeyFd(std::move(keyFd)), mInotifyFd(std::move(inotifyFd)), mSubtree(subtree), mFilter(filter)
{
}

bool RegistryWatch::AddFolderWatch(const std::string& relative)
{
    // The descriptor's /proc link leads to the folder itself wherever it is, like the handle does.
    std::string path = "/proc/self/fd/" + std::to_string(mKeyFd.Get());
    if (!relative.empty())
        path += "/" + relative;
    const int wd = ::inotify_add_watch(mInotifyFd.Get(), path.c_str(), kFolderEvents);
    if (wd < 0)
        return false;
    if (relative.empty())
    {
        mTopWatch = wd;
        // Deleted before the watch was in place: no event would ever come.
        if (RegistryStore::IsDeletedFolder(mKeyFd.Get()))
        {
            mDeleted = true;
            return false;
        }
    }
    mFolders[wd] = relative;
    if (mSubtree)
    {
        const int fd = ::openat(mKeyFd.Get(), relative.empty() ? "." : relative.c_str(),
                                O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0)
        {
            for (const std::string& sub : RegistryStore::ListEntries(fd, true))
                AddFolderWatch(JoinRelative(relative, sub));
            ::close(fd);
        }
    }
    return true;
}

bool RegistryWatch::IsSelected(uint32_t mask, const char* name) const
{
    if (name[0] == '\0' || name[0] == '.' || (mask & kEntryEvents) == 0)
        return false;
    if (mask & IN_ISDIR)
        return (mFilter & RegNotifyName) != 0;
    return name[0] == RegistryStore::kValuePrefix && (mFilter & RegNotifyLastSet) != 0;
}

bool RegistryWatch::Drain()
{
    alignas(inotify_event) char buffer[8192];
    for (;;)
    {
        const ssize_t n = ::read(mInotifyFd.Get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return true;
        if (n <= 0)
            return false;
        for (ssize_t offset = 0; offset < n;)
        {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW)
            {
                mPending = true;
                continue;
            }
            const auto folder = mFolders.find(event->wd);
            if (folder == mFolders.end())
                continue;
            if (event->wd == mTopWatch)
            {
                // The folder itself reports its removal only once nobody holds it open, so the deleter's
                // mark is what tells.
                if ((event->mask & (IN_DELETE_SELF | IN_IGNORED)) ||
                    ((event->mask & IN_CREATE) && event->len > 0 &&
                     std::strcmp(event->name, RegistryStore::kDeletedMarker) == 0))
                    mDeleted = true;
                // A key is deleted by first moving it out of its parent's way.
                if (event->mask & IN_MOVE_SELF)
                    mPending = true;
            }
            else if (event->mask & IN_IGNORED)
            {
                mFolders.erase(folder);
                continue;
            }
            if (event->len == 0)
                continue;
            const std::string relative = folder->second;
            if (IsSelected(event->mask, event->name))
                mPending = true;
            if (mSubtree && (event->mask & IN_ISDIR) && (event->mask & (IN_CREATE | IN_MOVED_TO)) &&
                event->name[0] != '.')
            {
                // Values may have been written into the new subkey before its watch existed.
                const std::string added = JoinRelative(relative, event->name);
                AddFolderWatch(added);
                if ((mFilter & RegNotifyLastSet) && CountValues(mKeyFd.Get(), added) > 0)
                    mPending = true;
            }
        }
    }
}

RegistryWatch::Result RegistryWatch::Wait(uint32_t timeoutMs)
{
    const bool infinite = timeoutMs == kInfinite;
    const TimePoint deadline = Now() + std::chrono::milliseconds(infinite ? 0 : timeoutMs);
    for (;;)
    {
        pollfd fds[2] = {{mCancel.Fd(), POLLIN, 0}, {mInotifyFd.Get(), POLLIN, 0}};
        // A first look without blocking, so that cancellation and pending events win over a time-out.
        if (::poll(fds, 2, 0) > 0)
        {
            if (fds[0].revents & POLLIN)
                return Result::Cancelled;
            if ((fds[1].revents & POLLIN) && !Drain())
                return Result::Failed;
        }
        if (mDeleted)
            return Result::KeyDeleted;
        if (mPending)
        {
            mPending = false;
            return Result::Changed;
        }
        int waitMs = -1;
        if (!infinite)
        {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Now()).count();
            if (left <= 0)
                return Result::TimedOut;
            waitMs = static_cast<int>(std::min<int64_t>(left, INT_MAX));
        }
        fds[0].revents = fds[1].revents = 0;
        const int ready = ::poll(fds, 2, waitMs);
        if (ready < 0 && errno != EINTR)
            return Result::Failed;
    }
}

void RegistryWatch::Cancel()
{
    mCancel.Wake();
}
} // namespace Platform
