#pragma once

#include <chrono>
#include <fcntl.h>
#include <functional>
#include <future>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace TestSupport
{
// Runs action on a thread of its own; true when it ends within a generous deadline although nobody opens
// the other end of a FIFO at fifoPath. When it does not, the FIFO is opened for writing and closed again
// until the action ends, which releases an open that waits on it, so that a failing test ends instead of
// hanging.
[[nodiscard]] inline bool EndsWithoutAWriter(const std::string& fifoPath, const std::function<void()>& action,
                                             std::chrono::seconds deadline = std::chrono::seconds(20))
{
    std::future<void> done = std::async(std::launch::async, action);
    if (done.wait_for(deadline) == std::future_status::ready)
    {
        done.get();
        return true;
    }
    while (done.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready)
    {
        const int writer = ::open(fifoPath.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (writer >= 0)
            ::close(writer);
    }
    done.get();
    return false;
}

// A FIFO made at a path, for code that must refuse one instead of waiting for a writer.
class Fifo
{
public:
    explicit Fifo(std::string path) : mPath(std::move(path)) { mMade = ::mkfifo(mPath.c_str(), 0600) == 0; }
    ~Fifo() { (void)::unlink(mPath.c_str()); }
    Fifo(const Fifo&) = delete;
    Fifo& operator=(const Fifo&) = delete;

    [[nodiscard]] bool IsMade() const { return mMade; }
    [[nodiscard]] const std::string& Path() const { return mPath; }

    // EndsWithoutAWriter on this FIFO.
    [[nodiscard]] bool EndsWithoutAWriter(const std::function<void()>& action) const
    {
        return TestSupport::EndsWithoutAWriter(mPath, action);
    }

private:
    std::string mPath;
    bool mMade = false;
};
} // namespace TestSupport
