#pragma once

#include "Platform/Io/WakeFd.h"

#include <atomic>
#include <functional>
#include <memory>
#include <poll.h>
#include <span>
#include <thread>
#include <vector>

namespace Platform::Io
{
// A thread that waits in poll on a set of descriptors plus its own wake-up fd, for the socket servers and
// clients of the platform layer. Each round, on the loop's thread:
//   1. `prepare` fills the descriptors to watch now (the vector comes empty) and returns the longest wait
//      in milliseconds (-1: no limit, 0: just look);
//   2. the loop waits until one of them is ready, Wake is called or the wait ends;
//   3. `ready` gets the same descriptors with their revents (all zero after a time-out or a wake).
// The owner keeps its state under its own lock; a Wake from any thread makes the loop run a round, so
// that a change to what it watches is seen. A wake-up never gets lost: the wake fd is drained before
// `ready` runs, so a Wake during a round makes the next wait return at once.
//
// Stop ends the loop after the current round. Called from another thread it waits for the thread to end
// (join); called from a callback on the loop's thread it only asks, and the thread ends on its own.
// Stop, Start and the destructor are for one thread at a time (the owner's). An owner whose last
// reference may go from the loop's own thread passes it to Start as `keepAlive`: the loop holds it until
// the thread has left every callback, and the destructor then lets the thread finish alone.
class PollLoop
{
public:
    using Prepare = std::function<int(std::vector<pollfd>& watched)>;
    using Ready = std::function<void(std::span<const pollfd> watched)>;

    PollLoop() = default;
    ~PollLoop(); // Stop()
    PollLoop(const PollLoop&) = delete;
    PollLoop& operator=(const PollLoop&) = delete;

    // Starts the thread; false when it runs already (or has not been joined) or no wake fd could be made.
    [[nodiscard]] bool Start(Prepare prepare, Ready ready, std::shared_ptr<void> keepAlive = nullptr);
    void Wake() { mWake.Wake(); }
    void Stop();

    [[nodiscard]] bool IsStarted() const { return mThread.joinable(); }
    [[nodiscard]] bool IsLoopThread() const { return mLoopThread.load() == std::this_thread::get_id(); }

private:
    void Run(const Prepare& prepare, const Ready& ready);

    WakeFd mWake;
    std::atomic<bool> mStopping{false};
    std::atomic<std::thread::id> mLoopThread{};
    std::thread mThread;
};
} // namespace Platform::Io
