#include "Platform/Io/UnixSocket.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace Platform::Io
{
namespace
{
static_assert(kMaxSocketPathLength == sizeof(sockaddr_un::sun_path) - 1);

constexpr int kBacklog = 16;

class SocketErrorCategory final : public std::error_category
{
public:
    [[nodiscard]] const char* name() const noexcept override { return "socket"; }
    [[nodiscard]] std::string message(int value) const override
    {
        if (static_cast<SocketError>(value) == SocketError::PathTooLong)
            return "socket path too long (a Unix socket address holds at most " +
                   std::to_string(kMaxSocketPathLength) + " bytes)";
        return "unknown socket error";
    }
    [[nodiscard]] std::error_condition default_error_condition(int value) const noexcept override
    {
        if (static_cast<SocketError>(value) == SocketError::PathTooLong)
            return std::errc::filename_too_long;
        return {value, *this};
    }
};

std::error_code LastError()
{
    return {errno, std::system_category()};
}

int NativeType(SocketType type)
{
    return type == SocketType::Stream ? SOCK_STREAM : SOCK_SEQPACKET;
}

// The address of `path`; false with `error` set when the path is empty or does not fit.
bool MakeAddress(const std::string& path, sockaddr_un& address, std::error_code& error)
{
    if (path.empty())
    {
        error = std::make_error_code(std::errc::invalid_argument);
        return false;
    }
    if (path.size() > kMaxSocketPathLength)
    {
        error = SocketError::PathTooLong;
        return false;
    }
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

const sockaddr* Raw(const sockaddr_un& address)
{
    return reinterpret_cast<const sockaddr*>(&address);
}

int Connect(int fd, const sockaddr_un& address)
{
    int result = 0;
    do
        result = ::connect(fd, Raw(address), sizeof address);
    while (result != 0 && errno == EINTR);
    return result;
}

bool IsSocketFile(const std::string& path)
{
    struct stat info
    {
    };
    return ::lstat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}
} // namespace

const std::error_category& SocketCategory()
{
    static const SocketErrorCategory category;
    return category;
}

std::error_code make_error_code(SocketError error)
{
    return {static_cast<int>(error), SocketCategory()};
}

UniqueFd ListenUnix(const std::string& path, SocketType type, std::error_code& error)
{
    error.clear();
    sockaddr_un address;
    if (!MakeAddress(path, address, error))
        return {};
    UniqueFd fd(::socket(AF_UNIX, NativeType(type) | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd)
    {
        error = LastError();
        return {};
    }
    // Only a refused connection proves a file stale, so the check comes after bind found the path taken.
    if (::bind(fd.Get(), Raw(address), sizeof address) != 0)
    {
        error = LastError();
        if (error != std::errc::address_in_use || !RemoveStaleSocket(path))
            return {};
        if (::bind(fd.Get(), Raw(address), sizeof address) != 0)
        {
            error = LastError();
            return {};
        }
        error.clear();
    }
    if (::listen(fd.Get(), kBacklog) != 0)
    {
        error = LastError();
        return {};
    }
    return fd;
}

UniqueFd ConnectUnix(const std::string& path, SocketType type, std::error_code& error)
{
    error.clear();
    sockaddr_un address;
    if (!MakeAddress(path, address, error))
        return {};
    UniqueFd fd(::socket(AF_UNIX, NativeType(type) | SOCK_CLOEXEC, 0));
    if (!fd || Connect(fd.Get(), address) != 0)
    {
        error = LastError();
        return {};
    }
    return fd;
}

UniqueFd AcceptUnix(int listenFd)
{
    for (;;)
    {
        const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0 || errno != EINTR)
            return UniqueFd(fd);
    }
}

bool IsStaleSocket(const std::string& path)
{
    sockaddr_un address;
    std::error_code ignored;
    if (!IsSocketFile(path) || !MakeAddress(path, address, ignored))
        return false;
    // A datagram probe: a file no socket is bound to refuses it whatever the type, while a stream or
    // packet socket bound there answers EPROTOTYPE, even one that is not listening yet. So the probe
    // never makes a connection that a listener would accept, never waits on a full backlog and never
    // takes a socket that another process is just setting up for stale.
    const UniqueFd probe(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    return probe && Connect(probe.Get(), address) != 0 && errno == ECONNREFUSED;
}

bool RemoveStaleSocket(const std::string& path)
{
    return IsStaleSocket(path) && ::unlink(path.c_str()) == 0;
}

bool WaitReadable(int fd, int timeoutMs)
{
    pollfd entry{fd, POLLIN, 0};
    int ready = 0;
    do
        ready = ::poll(&entry, 1, timeoutMs);
    while (ready < 0 && errno == EINTR);
    return ready > 0;
}
} // namespace Platform::Io
