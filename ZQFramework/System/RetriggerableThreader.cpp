#include "ZQFramework/System/RetriggerableThreader.h"

#include "ZQFramework/System/Sync/Event.h"
#include "ZQFramework/System/Sync/LEvent.h"

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
    for (;;)
    {
        if (!state.stop.load())
            (void)state.wake.Wait(kInfinite);
        // A stored task was accepted by a Trigger before any stop (Trigger refuses once stop is set), so
        // it runs even when the stop came before this thread woke, or before it first looked.
        if (state.worker)
            (void)state.worker->DoWork(state.parameters);
        EndTask(state);
        // A Trigger may have stored the next task between this task's end and a stop (the completion wakes
        // whoever hands out tasks, and that may stop the threader at once): that task runs before the end.
        if (state.stop.load() && !state.busy.load())
            return 0;
    }
}

void RetriggerableThreader::EndTask(State& state)
{
    // Releasing the task may release the threader's owner, and with it the threader: the state stays
    // alive until this thread ends. Busy is cleared before the completion is set, so that whoever the
    // completion wakes can trigger again at once.
    state.parameters = nullptr;
    state.worker = nullptr;
    const RCPtr<LEvent> completion = std::move(state.completion);
    state.completion = nullptr;
    state.busy = false;
    if (completion)
        completion->Set();
}

ZQRESULT RetriggerableThreader::Trigger(const RCPtr<LThreadWorker>& worker,
                                        const RCPtr<LRefCountedObject>& parameters,
                                        const RCPtr<LEvent>& completion, int32_t priority)
{
    State& state = *mState;
    // A thread that could not be made (or has ended) would never run the task: refuse it rather than
    // report a hand-over that cannot happen.
    if (state.stop.load() || mThread->HasFinished())
        return E_FAIL;
    if (state.busy.load())
        return E_FAIL;
    (void)mThread->SetPriority(priority);
    state.worker = worker;
    state.parameters = parameters;
    state.completion = completion;
    if (completion)
        completion->Reset();
    state.busy = true;
    if (state.wake.Set())
        return S_OK;
    // The thread was not woken, so it never sees the task: take it back, or the threader stays busy.
    state.worker = nullptr;
    state.parameters = nullptr;
    state.completion = nullptr;
    state.busy = false;
    return E_FAIL;
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
