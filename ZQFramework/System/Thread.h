#pragma once

#include <cstdint>
#include <memory>

namespace ZQ
{
// One thread that is created held back and runs one callback to its end. Start (or the first Wait, or
// the destructor) lets it run. The destructor waits for the callback to return; a thread that does not
// end in time is abandoned (detached and reported in the debug output), never killed: its record stays
// alive until it ends, and whatever the owner handed over as keep-alive is released only then.
class Thread
{
public:
    using Callback = uint32_t (*)(void* userData);

    // How long the destructor waits before it abandons the thread.
    static constexpr uint32_t kEndTimeout = 60000;

    Thread(Callback callback, void* userData, std::shared_ptr<void> keepAlive = {});
    virtual ~Thread();

    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Lets a held-back thread run; false when it already runs or could not be created.
    bool Start();

    // Whether the callback has run to its end (true at once for a thread that could not be created).
    [[nodiscard]] bool HasFinished();

    // Runs a held-back thread, then waits until its callback has returned; false when the time ran out.
    bool Wait(uint32_t milliseconds);

    // Best effort: the system may refuse a raised priority, which is not a failure.
    bool SetPriority(int32_t priority);
    bool SetPriorityBoost(bool enable);

    // Whether the caller runs on this thread (a thread never waits for itself).
    [[nodiscard]] bool IsCurrentThread() const;

private:
    struct Record;
    static void Routine(std::shared_ptr<Record> record);

    std::shared_ptr<Record> mRecord;
};
} // namespace ZQ
