#pragma once

#include "Platform/Io/UniqueFd.h"

namespace Platform::Io
{
// An eventfd that wakes a thread waiting in poll (or a GLib source) on Fd(): Wake makes it readable,
// Drain makes it unreadable again. Wakes before a Drain fold into one. Wake and Drain may be called
// from any thread; Wake is also safe in a signal handler. Owned by whoever runs the waiting loop.
class WakeFd
{
public:
    WakeFd();
    WakeFd(const WakeFd&) = delete;
    WakeFd& operator=(const WakeFd&) = delete;

    // False when no eventfd could be made (out of descriptors); Wake and Drain then do nothing.
    [[nodiscard]] bool IsOpen() const { return mFd.IsOpen(); }
    [[nodiscard]] int Fd() const { return mFd.Get(); }
    void Wake();
    void Drain();
    // Whether a Wake is pending (Fd() is readable); does not drain.
    [[nodiscard]] bool IsWoken() const;

private:
    UniqueFd mFd;
};
} // namespace Platform::Io
