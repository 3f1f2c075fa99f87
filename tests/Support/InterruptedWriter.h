#pragma once

#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace TestSupport
{
// Runs write in a child process that may not make files larger than a few bytes, so that a write of more
// is interrupted half-way, its temporary file left behind: the child is killed there (and reaped), or with
// stop true it is stopped there, a writer still at work, until Finish kills and reaps it.
class InterruptedWriter
{
public:
    InterruptedWriter(const std::function<void()>& write, bool stop)
    {
        mChild = ::fork();
        if (mChild == 0)
        {
            const rlimit noCore{0, 0};
            ::setrlimit(RLIMIT_CORE, &noCore);
            if (stop)
                std::signal(SIGXFSZ, [](int) { ::raise(SIGSTOP); });
            const rlimit fileSize{64, 64};
            ::setrlimit(RLIMIT_FSIZE, &fileSize);
            write();
            ::_exit(0);
        }
        int status = 0;
        if (mChild < 0 || ::waitpid(mChild, &status, WUNTRACED) != mChild)
            ADD_FAILURE() << "the writer did not run";
        else if (stop ? !WIFSTOPPED(status) : !(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ))
            ADD_FAILURE() << "the writer was not interrupted inside its write";
        // Only a stopped writer is left to finish; any other has been reaped.
        if (!WIFSTOPPED(status))
            mChild = -1;
    }
    ~InterruptedWriter() { Finish(); }
    InterruptedWriter(const InterruptedWriter&) = delete;
    InterruptedWriter& operator=(const InterruptedWriter&) = delete;

    // Kills and reaps a stopped writer, so that no process of its id exists any more.
    void Finish()
    {
        if (mChild <= 0)
            return;
        ::kill(mChild, SIGKILL);
        ::waitpid(mChild, nullptr, 0);
        mChild = -1;
    }

private:
    pid_t mChild = -1;
};
} // namespace TestSupport
