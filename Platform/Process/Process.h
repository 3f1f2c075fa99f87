#pragma once

#include <cstdint>
#include <string>

// What the running program learns about itself from the system: its own file and its threads.
namespace Platform
{
// The full path of the running program's file (UTF-8), or an empty text when the system does not tell.
[[nodiscard]] std::string ExecutablePath();

// The system's id of a thread: unique among the threads alive in the system, and reused once a thread has
// ended. 0 is never the id of a thread.
using ThreadId = int64_t;

// The id of the calling thread.
[[nodiscard]] ThreadId CurrentThreadId();

// Gives the thread a scheduling priority on the framework's scale: -15 (idle) over 0 (normal) to 15 (time
// critical). Best effort: an unprivileged process may not raise a thread above normal, and a refusal, like
// an id of 0, changes nothing and returns false.
bool SetThreadPriority(ThreadId thread, int32_t priority);
} // namespace Platform
