#pragma once

#include "Support/ProgramPath.h"
#include "Support/WaitFor.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace TestSupport
{
// A program built beside the running test, run as a child with this process's environment (without
// DISPLAY when asked to run headless); killed and reaped when the object goes.
class ChildProcess
{
public:
    [[nodiscard]] static std::string NextToThisTest(const std::string& name)
    {
        return ProgramBesideThisOne(name);
    }

    ChildProcess(const std::string& name, std::vector<std::string> arguments, bool headless = false)
    {
        const std::string program = NextToThisTest(name);
        if (program.empty())
            return;
        arguments.insert(arguments.begin(), program);
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (char** entry = environ; *entry != nullptr; ++entry)
        {
            if (!headless || std::strncmp(*entry, "DISPLAY=", 8) != 0)
                envp.push_back(*entry);
        }
        envp.push_back(nullptr);
        if (::posix_spawn(&mPid, program.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0)
            mPid = -1;
    }
    ~ChildProcess()
    {
        if (mPid > 0 && !mExit.has_value())
        {
            ::kill(mPid, SIGKILL);
            (void)WaitForExit(std::chrono::seconds(10));
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    [[nodiscard]] bool IsStarted() const { return mPid > 0; }
    // Sends the signal to the child while it has not been reaped.
    void Signal(int signal)
    {
        if (mPid > 0 && !mExit.has_value())
            ::kill(mPid, signal);
    }

    // The exit code once the child ended within the timeout (-1 for a signal); nothing while it runs.
    std::optional<int> WaitForExit(std::chrono::milliseconds timeout)
    {
        (void)WaitFor(
            [&]
            {
                int status = 0;
                if (!mExit.has_value() && ::waitpid(mPid, &status, WNOHANG) == mPid)
                    mExit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                return mExit.has_value();
            },
            timeout);
        return mExit;
    }

private:
    pid_t mPid = -1;
    std::optional<int> mExit;
};

// A connection to the X server for a test; null without $DISPLAY. A server whose last client just left
// resets and refuses connections for a moment, so a refusal is tried again for a while.
template <class Open>
auto OpenXServer(Open open) -> decltype(open())
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0')
        return nullptr;
    decltype(open()) connection = nullptr;
    (void)WaitFor([&] { return (connection = open()) != nullptr; }, std::chrono::seconds(5));
    return connection;
}
} // namespace TestSupport
