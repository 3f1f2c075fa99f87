#pragma once

#include "Platform/Io/PollLoop.h"

#include <csignal>
#include <functional>

namespace Platform::Io
{
// Watches the signals that ask the program to end (SIGTERM, and SIGINT from Ctrl-C) and hands each to the
// owner's handler on a thread of its own, where any work may be done: the signal handler itself only
// records the signal and wakes that thread through an eventfd. The handler answers whether it took care of
// the signal; when it did not, the signal ends the process as it would have without a watcher (its earlier
// disposition is put back and the signal raised again). A signal the process ignored when the watcher was
// made stays ignored.
//
// One watcher at a time per process (a second one watches nothing). Made and destroyed by one thread; the
// destructor stops the thread and puts the earlier dispositions back, so no handler call runs after it.
class SignalWatcher
{
public:
    // Called on the watcher's thread with the signal's number; true when the signal was taken care of.
    using Handler = std::function<bool(int signal)>;

    explicit SignalWatcher(Handler handler);
    ~SignalWatcher();
    SignalWatcher(const SignalWatcher&) = delete;
    SignalWatcher& operator=(const SignalWatcher&) = delete;

    // False when another watcher lives or the thread could not be started.
    [[nodiscard]] bool IsWatching() const { return mWatching; }

private:
    void Deliver();
    void Install();
    void Restore();

    Handler mHandler;
    PollLoop mLoop;
    bool mWatching = false;
    struct sigaction mEarlierTerm
    {
    };
    struct sigaction mEarlierInt
    {
    };
};
} // namespace Platform::Io
