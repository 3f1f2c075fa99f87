#pragma once

#include "Support/WaitFor.h"

#include "Platform/Clock/Clock.h"
#include "ZQFramework/ObjectBase/Holder.h"
#include "ZQFramework/System/Sync/Event.h"
#include "ZQFramework/System/ThreadWorker.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace SystemTestSupport
{
// A worker that records the number carried by each task's parameter (an LHolder<int>) in the order the
// tasks ran; a task whose number is negative holds at the gate until the test opens it.
class RecordingWorker : public ZQ::LThreadWorker
{
public:
    ZQRESULT DoWork(ZQ::RCPtr<ZQ::LRefCountedObject>& parameters) override
    {
        const ZQ::RCPtr<ZQ::LHolder<int>> holder(parameters);
        const int value = holder ? *holder->mValue : 0;
        ++mStarted;
        if (value < 0)
            (void)mGate.Wait(ZQ::kInfinite);
        std::lock_guard guard(mLock);
        mOrder.push_back(value);
        return S_OK;
    }

    static ZQ::RCPtr<ZQ::LRefCountedObject> Task(int value) { return ZQ::LHolder<int>::Create(value); }

    void OpenGate() { mGate.Set(); }
    [[nodiscard]] int Started() const { return mStarted.load(); }

    [[nodiscard]] std::vector<int> Order()
    {
        std::lock_guard guard(mLock);
        return mOrder;
    }

    bool WaitForFinished(size_t count)
    {
        return TestSupport::WaitFor([&] { return Order().size() >= count; });
    }

private:
    ZQ::Event mGate{false};
    std::atomic<int> mStarted{0};
    std::mutex mLock;
    std::vector<int> mOrder; // guarded by mLock
};
inline ZQ::RCPtr<RecordingWorker> MakeRecordingWorker()
{
    return ZQ::RCPtr<RecordingWorker>(new RecordingWorker());
}

// Runs destroy on another thread while the replaced clock runs ahead by a minute at a time, so that
// every end wait in it runs out; true when destroy returned (the threads it waited for were given up).
template <typename Destroy>
bool DestroyGivingUpOnTheClock(Destroy destroy)
{
    Platform::ManualClock clock(Platform::Now());
    Platform::SetClock(&clock);
    std::atomic<bool> destroyed{false};
    std::thread destroyer(
        [&]
        {
            destroy();
            destroyed = true;
        });
    const bool gaveUp = TestSupport::WaitFor(
        [&]
        {
            clock.Advance(std::chrono::seconds(61));
            return destroyed.load();
        });
    destroyer.join();
    Platform::SetClock(nullptr);
    return gaveUp;
}
} // namespace SystemTestSupport
