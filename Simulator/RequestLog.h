#pragma once

#include "Platform/Clock/Clock.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace Simulator
{
// One thing the simulated device or driver was asked or did, with the time it happened.
struct LogEntry
{
    Platform::TimePoint time; // Platform::Now() when it happened
    std::string kind;   // "open", "close", "request", "data", "release", "identity", "reply", "plug", ...
    uint32_t code = 0;  // the driver request code for requests, else 0
    bool ok = true;     // whether it was granted
    std::string detail; // e.g. "port=0 count=128"

    // "<ms since start> kind[ code] ok|fail[ detail]"
    [[nodiscard]] std::string ToString(Platform::TimePoint start) const;
};

// The simulator's request log, shared by its threads; read by tests and the control socket.
class RequestLog
{
public:
    RequestLog();

    void Add(std::string kind, uint32_t code, bool ok, std::string detail);
    [[nodiscard]] std::vector<LogEntry> Entries() const;
    [[nodiscard]] size_t Size() const;
    // Entries of one kind (and, when code is not 0, of that request code), in order.
    [[nodiscard]] std::vector<LogEntry> Find(const std::string& kind, uint32_t code = 0) const;
    void Clear();
    [[nodiscard]] Platform::TimePoint Start() const;

private:
    mutable std::mutex mLock; // guards both fields
    Platform::TimePoint mStart;
    std::vector<LogEntry> mEntries;
};
} // namespace Simulator
