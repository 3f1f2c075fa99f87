#include "Platform/Io/SignalWatcher.h"

#include "Platform/Io/WakeFd.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <unistd.h>

namespace Platform::Io
{
namespace
{
constexpr int kWatchedSignals[] = {SIGTERM, SIGINT};

std::atomic<bool> gWatcherLives{false};
// Signals caught since the watcher's thread last looked, one bit per signal number.
std::atomic<uint32_t> gPendingSignals{0};

// Made before the first handler is installed and kept until the process ends, so that a signal arriving
// while a watcher goes away never writes to a closed descriptor.
WakeFd& SignalWake()
{
    static WakeFd wake;
    return wake;
}

extern "C" void RecordSignal(int signal)
{
    // Only async-signal-safe work: a lock-free atomic and a write to the eventfd.
    const int savedErrno = errno;
    gPendingSignals.fetch_or(1u << signal);
    SignalWake().Wake();
    errno = savedErrno;
}

bool IsIgnored(const struct sigaction& action)
{
    return (action.sa_flags & SA_SIGINFO) == 0 && action.sa_handler == SIG_IGN;
}
} // namespace

SignalWatcher::SignalWatcher(Handler handler) : mHandler(std::move(handler))
{
    static_assert(SIGTERM < 32 && SIGINT < 32);
    bool expected = false;
    if (!SignalWake().IsOpen() || !gWatcherLives.compare_exchange_strong(expected, true))
        return;
    const bool started = mLoop.Start(
        [](std::vector<pollfd>& watched)
        {
            watched.push_back(pollfd{SignalWake().Fd(), POLLIN, 0});
            return -1;
        },
        [this](std::span<const pollfd> watched)
        {
            if (!watched.empty() && (watched[0].revents & POLLIN) != 0)
                Deliver();
        });
    if (!started)
    {
        gWatcherLives = false;
        return;
    }
    mWatching = true;
    Install();
}

SignalWatcher::~SignalWatcher()
{
    if (!mWatching)
        return;
    Restore();
    mLoop.Stop();
    gPendingSignals = 0;
    SignalWake().Drain();
    gWatcherLives = false;
}

void SignalWatcher::Install()
{
    struct sigaction action
    {
    };
    action.sa_handler = RecordSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int signal : kWatchedSignals)
    {
        struct sigaction& earlier = signal == SIGTERM ? mEarlierTerm : mEarlierInt;
        (void)::sigaction(signal, nullptr, &earlier);
        // A program started to ignore a signal (nohup, a background job) keeps ignoring it.
        if (!IsIgnored(earlier))
            (void)::sigaction(signal, &action, nullptr);
    }
}

void SignalWatcher::Restore()
{
    for (const int signal : kWatchedSignals)
        (void)::sigaction(signal, signal == SIGTERM ? &mEarlierTerm : &mEarlierInt, nullptr);
}

void SignalWatcher::Deliver()
{
    SignalWake().Drain();
    const uint32_t pending = gPendingSignals.exchange(0);
    for (const int signal : kWatchedSignals)
    {
        if ((pending & (1u << signal)) == 0 || mHandler(signal))
            continue;
        // Not taken care of: the signal does what it would have done without the watcher.
        (void)::sigaction(signal, signal == SIGTERM ? &mEarlierTerm : &mEarlierInt, nullptr);
        (void)::kill(::getpid(), signal);
    }
}
} // namespace Platform::Io
