#pragma once

#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/Result.h"
#include "ZQFramework/ObjectBase/Stringable.h"
#include "ZQFramework/System/Sync/Forward.h"
#include "ZQFramework/System/Thread.h"
#include "ZQFramework/System/ThreadWorker.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>
#include <memory>

namespace ZQ
{
// One thread kept for the owner's whole life that runs tasks one at a time: Trigger hands it a worker,
// its parameters and a completion event, which is set when the task has ended; the thread can then be
// triggered again. Trigger is called by one thread at a time (the owner's lock or thread decides).
//
// The thread works on a state record that it keeps alive itself, so a threader destroyed by its own
// task (or abandoned because a task did not end in time) never pulls anything from under its thread.
class RetriggerableThreader : public IStringable
{
public:
    explicit RetriggerableThreader(const WString& name = WString());
    ~RetriggerableThreader() override;

    RetriggerableThreader(const RetriggerableThreader&) = delete;
    RetriggerableThreader& operator=(const RetriggerableThreader&) = delete;

    // S_OK when the task was handed over: it then runs, even when a stop follows at once. E_FAIL when
    // stopped, still busy with the previous task, without a thread (it could not be made), or when the
    // thread could not be woken; nothing is kept in any of these cases.
    ZQRESULT Trigger(const RCPtr<LThreadWorker>& worker, const RCPtr<LRefCountedObject>& parameters,
                     const RCPtr<LEvent>& completion, int32_t priority);

    // True from a successful Trigger until the task has ended (false once the thread has died).
    [[nodiscard]] bool IsBusy();

    // Sets the stop flag and wakes the thread, then waits up to the time for it to leave its loop; a
    // task already handed over is let finish. Never waits when called on the threader's own thread.
    bool Stop(uint32_t milliseconds);

    [[nodiscard]] bool IsCurrentThread() const { return mThread->IsCurrentThread(); }

    void SetName(const WString& name);
    [[nodiscard]] WString ToString() const override;

private:
    struct State;
    static uint32_t Loop(void* state);
    static void EndTask(State& state);

    std::shared_ptr<State> mState;
    std::unique_ptr<Thread> mThread;
};
} // namespace ZQ
