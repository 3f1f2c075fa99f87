#include "Simulator/Scheduler.h"

#include <algorithm>
#include <chrono>

namespace Simulator
{
namespace
{
// The longest real wait before the clock is read again; a replaced clock may jump at any time.
constexpr auto LookAgain = std::chrono::milliseconds(2);
} // namespace

Scheduler::Scheduler() : mThread([this] { Run(); })
{
}

Scheduler::~Scheduler()
{
    Stop();
}

void Scheduler::Stop()
{
    {
        std::lock_guard lock(mLock);
        mStopping = true;
        mChanged.notify_all();
    }
    if (mThread.joinable())
    {
        if (IsOwnThread())
            mThread.detach();
        else
            mThread.join();
    }
}

void Scheduler::Post(Platform::TimePoint due, std::function<void()> task)
{
    std::lock_guard lock(mLock);
    mTasks.emplace(std::make_pair(due, mNextSeq++), std::move(task));
    mChanged.notify_all();
}

void Scheduler::PostAfter(Platform::Duration delay, std::function<void()> task)
{
    Post(Platform::Now() + delay, std::move(task));
}

bool Scheduler::IsOwnThread() const
{
    return std::this_thread::get_id() == mThread.get_id();
}

void Scheduler::Drain()
{
    if (IsOwnThread())
        return;
    const auto now = Platform::Now();
    std::unique_lock lock(mLock);
    mChanged.wait(
        lock,
        [&] { return mStopping || (!mRunning && (mTasks.empty() || mTasks.begin()->first.first > now)); });
}

void Scheduler::Run()
{
    std::unique_lock lock(mLock);
    while (!mStopping)
    {
        if (mTasks.empty())
        {
            mChanged.wait(lock);
            continue;
        }
        const auto due = mTasks.begin()->first.first;
        const auto now = Platform::Now();
        if (due > now)
        {
            mChanged.wait_for(lock, std::min<Platform::Duration>(due - now, LookAgain));
            continue;
        }
        auto task = std::move(mTasks.begin()->second);
        mTasks.erase(mTasks.begin());
        mRunning = true;
        lock.unlock();
        task();
        lock.lock();
        mRunning = false;
        mChanged.notify_all();
    }
}
} // namespace Simulator
