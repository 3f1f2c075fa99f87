#pragma once

#include "Platform/Io/UniqueFd.h"

#include <cstddef>
#include <string>
#include <system_error>
#include <type_traits>

// Unix domain sockets named by a path, as the MIDI ports, the driver's device sockets and the
// simulator's control socket use them.
//
// Path length. A socket address holds at most kMaxSocketPathLength bytes of path. A longer path is never
// cut and never reached another way: the call fails with SocketError::PathTooLong, which also compares
// equal to std::errc::filename_too_long.
//
// Stale sockets. A socket file stays behind when the process that listened on it dies without removing
// it (killed, crashed). Such a file refuses every connection (ECONNREFUSED); that refusal, and nothing
// else, marks it stale. A live socket (one that accepts, or whose backlog is merely full) is never
// taken for stale and never removed.
namespace Platform::Io
{
enum class SocketType
{
    Stream,    // byte stream (SOCK_STREAM)
    SeqPacket, // connected packets with boundaries kept (SOCK_SEQPACKET)
};

enum class SocketError
{
    PathTooLong = 1, // the path does not fit a socket address
};

inline constexpr size_t kMaxSocketPathLength = 107; // sizeof(sockaddr_un::sun_path) less the terminator

[[nodiscard]] const std::error_category& SocketCategory();
[[nodiscard]] std::error_code make_error_code(SocketError error);

// A socket listening at `path`: non-blocking (accept returns at once when nothing waits) and
// close-on-exec. A stale socket file at `path` is removed first; when a live one is there the call fails
// with EADDRINUSE and leaves it alone. The folder must exist. Invalid with `error` set on failure.
[[nodiscard]] UniqueFd ListenUnix(const std::string& path, SocketType type, std::error_code& error);
// A blocking, close-on-exec socket connected to `path`. Invalid with `error` set on failure
// (ECONNREFUSED for a stale socket, ENOENT when there is none).
[[nodiscard]] UniqueFd ConnectUnix(const std::string& path, SocketType type, std::error_code& error);
// The next pending connection of a listening socket, blocking and close-on-exec; invalid when none waits.
[[nodiscard]] UniqueFd AcceptUnix(int listenFd);

// Whether `path` is a socket file that refuses connections.
[[nodiscard]] bool IsStaleSocket(const std::string& path);
// Removes `path` when it is a stale socket; true when it was removed.
bool RemoveStaleSocket(const std::string& path);

// Waits until `fd` is readable (or hung up), at most `timeoutMs` (-1: no limit); false on time-out.
[[nodiscard]] bool WaitReadable(int fd, int timeoutMs);
} // namespace Platform::Io

template <>
struct std::is_error_code_enum<Platform::Io::SocketError> : std::true_type
{
};
