#include "Platform/Io/PollLoop.h"

#include <algorithm>
#include <cerrno>

namespace Platform::Io
{
PollLoop::~PollLoop()
{
    Stop();
    // Destroyed on its own thread (its owner's last reference went there): the thread leaves alone.
    if (mThread.joinable())
        mThread.detach();
}

bool PollLoop::Start(Prepare prepare, Ready ready, std::shared_ptr<void> keepAlive)
{
    if (mThread.joinable() || !mWake.IsOpen())
        return false;
    mStopping = false;
    mWake.Drain();
    mThread = std::thread(
        [this, prepare = std::move(prepare), ready = std::move(ready), keepAlive = std::move(keepAlive)]
        {
            mLoopThread = std::this_thread::get_id();
            Run(prepare, ready);
            // Nothing here touches the loop: releasing keepAlive may destroy it.
        });
    return true;
}

void PollLoop::Stop()
{
    mStopping = true;
    mWake.Wake();
    if (!IsLoopThread() && mThread.joinable())
        mThread.join();
}

void PollLoop::Run(const Prepare& prepare, const Ready& ready)
{
    std::vector<pollfd> watched;
    std::vector<pollfd> polled;
    while (!mStopping.load())
    {
        watched.clear();
        const int timeoutMs = prepare(watched);
        polled.assign(1, pollfd{mWake.Fd(), POLLIN, 0});
        polled.insert(polled.end(), watched.begin(), watched.end());
        if (::poll(polled.data(), polled.size(), timeoutMs) < 0)
        {
            if (errno == EINTR)
                continue;
            return; // the descriptors cannot be watched (too many, out of memory): nothing to wait for
        }
        if (polled[0].revents != 0)
            mWake.Drain();
        if (mStopping.load())
            return;
        std::transform(polled.begin() + 1, polled.end(), watched.begin(), watched.begin(),
                       [](const pollfd& result, pollfd entry)
                       {
                           entry.revents = result.revents;
                           return entry;
                       });
        ready(watched);
    }
}
} // namespace Platform::Io
