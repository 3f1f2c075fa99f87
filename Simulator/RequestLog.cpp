#include "Simulator/RequestLog.h"

#include <cstdio>

namespace Simulator
{
std::string LogEntry::ToString(Platform::TimePoint start) const
{
    char text[64];
    const double ms = std::chrono::duration<double, std::milli>(time - start).count();
    std::snprintf(text, sizeof text, "%.3f ", ms);
    std::string line(text);
    line += kind;
    if (code != 0)
    {
        line += ' ';
        line += std::to_string(code);
    }
    line += ok ? " ok" : " fail";
    if (!detail.empty())
    {
        line += ' ';
        line += detail;
    }
    return line;
}

RequestLog::RequestLog() : mStart(Platform::Now())
{
}

void RequestLog::Add(std::string kind, uint32_t code, bool ok, std::string detail)
{
    LogEntry entry{Platform::Now(), std::move(kind), code, ok, std::move(detail)};
    std::lock_guard lock(mLock);
    mEntries.push_back(std::move(entry));
}

std::vector<LogEntry> RequestLog::Entries() const
{
    std::lock_guard lock(mLock);
    return mEntries;
}

size_t RequestLog::Size() const
{
    std::lock_guard lock(mLock);
    return mEntries.size();
}

std::vector<LogEntry> RequestLog::Find(const std::string& kind, uint32_t code) const
{
    std::lock_guard lock(mLock);
    std::vector<LogEntry> found;
    for (const auto& entry : mEntries)
        if (entry.kind == kind && (code == 0 || entry.code == code))
            found.push_back(entry);
    return found;
}

void RequestLog::Clear()
{
    std::lock_guard lock(mLock);
    mEntries.clear();
    mStart = Platform::Now();
}

Platform::TimePoint RequestLog::Start() const
{
    std::lock_guard lock(mLock);
    return mStart;
}
} // namespace Simulator
