#pragma once

// Forward declarations of the file descriptor and socket helpers, for headers that only name them.
namespace Platform::Io
{
class UniqueFd;
class WakeFd;
class PollLoop;
class SignalWatcher;
enum class SocketType;
enum class SocketError;
} // namespace Platform::Io
