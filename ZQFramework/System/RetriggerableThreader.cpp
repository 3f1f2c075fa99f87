#include "ZQFramework/System/RetriggerableThreader.h"

#include "ZQFramework/System/Sync/Event.h"

#include <atomic>
#include <mutex>

namespace ZQ
{
// What the threader's thread works on. The slots are handed over without a lock: Trigger fills them only
// while busy is false, the loop empties them before it clears busy, and the wake event orders the rest.
struct RetriggerableThreader::State
{
    Event wake{true};
    std::atomic<bool> busy{false};
    std::atomic<bool> stop{false};
    RCPtr<LThreadWorker> worker;
    RCPtr<LRefCountedObject> parameters;
    RCPtr<LEvent> completion;

    mutable std::mutex nameLock;
    WString name; // guarded by nameLock
};

RetriggerableThreader::RetriggerableThreader(const WString& name) : mState(std::make_shared<State>())
{
    mState->name = name;
    mThread = std::make_unique<Thread>(&RetriggerableThreader::Loop, mState.get(), mState);
    mThread->SetPriorityBoost(false);
    mThread->Start();
}

RetriggerableThreader::~RetriggerableThreader()
{
    Stop(Thread::kEndTimeout);
    // The thread's own wait (and, if need be, abandoning it) follows in the Thread's destructor.
    mThread.reset();
}

uint32_t RetriggerableThreader::Loop(void* data)
{
    State& state = *static_cast<State*>(data);
    while (!state.stop.load())
    {
        (void)state.wake.Wait(kInfinite);
        if (!state.stop.load() && state.worker)
            (void)state.worker->DoWork(state.parameters);
        // Releasing the task may release the threader's owner, and with it the threader: the state
        // stays alive until this thread ends.
        state.parameters = nullptr;
        state.worker = nullptr;
        if (state.completion)
        {
            const RCPtr<LEvent> completion = std::move(state.completion);
            state.completion = nullptr;
            state.busy = false;
            completion->Set();
        }
        else
        {
            state.busy = false;
        }
    }
    return 0;
}

ZQRESULT RetriggerableThreader::Trigger(const RCPtr<LThreadWorker>& worker,
                                        const RCPtr<LRefCountedObject>& parameters,
                                        const RCPtr<LEvent>& completion, int32_t priority)
{
    State& state = *mState;
    if (state.stop.load())
        return E_FAIL;
    if (!IsBusy() && state.busy.load())
        state.busy = false;
    if (state.busy.load())
        return E_FAIL;
    (void)mThread->SetPriority(priority);
    state.worker = worker;
    state.parameters = parameters;
    state.completion = completion;
    if (completion)
        completion->Reset();
    state.busy = true;
    return state.wake.Set() ? S_OK : E_FAIL;
}

bool RetriggerableThreader::IsBusy()
{
    // A thread that has died can never clear the flag itself.
    return mState->busy.load() && !mThread->HasFinished();
}

bool RetriggerableThreader::Stop(uint32_t milliseconds)
{
    mState->stop = true;
    mState->wake.Set();
    if (mThread->IsCurrentThread())
        return false;
    return mThread->Wait(milliseconds);
}

void RetriggerableThreader::SetName(const WString& name)
{
    std::lock_guard guard(mState->nameLock);
    mState->name = name;
}

WString RetriggerableThreader::ToString() const
{
    std::lock_guard guard(mState->nameLock);
    return mState->name;
}
} // namespace ZQ
