#pragma once

#include <chrono>
#include <thread>

namespace TestSupport
{
// Polls pred until it holds or the deadline passes; returns the last value of pred. Deadlines are
// generous on purpose: they bound a hang, they never measure speed.
template <typename Pred>
bool WaitFor(Pred&& pred, std::chrono::milliseconds timeout = std::chrono::seconds(10))
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!pred())
    {
        if (std::chrono::steady_clock::now() >= deadline)
            return pred();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}
} // namespace TestSupport
