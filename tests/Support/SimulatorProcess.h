#pragma once

#include "Support/ProgramPath.h"

#include "Platform/Io/UniqueFd.h"
#include "Platform/Io/UnixSocket.h"

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <poll.h>
#include <string>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace TestSupport
{
// The zq-simulator program run as a child process with this process's environment, driven through the
// control socket it announces on its first output line. Owned by one test. Every wait is bounded: a
// watchdog kills the child once its lifetime is over, so that nothing waiting on the device can hang, and
// the destructor kills and reaps a child that is still running. The child is also killed when this
// process dies, so that no simulator outlives a test program that was itself killed.
class SimulatorProcess
{
public:
    using Milliseconds = std::chrono::milliseconds;

    // The program built next to the running test program, or empty when there is none.
    [[nodiscard]] static std::string ProgramNextToThisTest() { return ProgramBesideThisOne("zq-simulator"); }

    SimulatorProcess(const std::string& program, const std::vector<std::string>& options,
                     Milliseconds lifetime = std::chrono::seconds(120))
    {
        if (!Spawn(program, options))
            return;
        mWatchdog = std::thread([this, lifetime] { Watch(lifetime); });
        const std::string announced = ReadLine(mOutput, std::chrono::seconds(30));
        const std::string prefix = "control socket: ";
        if (announced.rfind(prefix, 0) == 0)
            Connect(announced.substr(prefix.size()));
    }

    ~SimulatorProcess()
    {
        if (mControl >= 0)
            ::close(mControl);
        if (!IsReaped())
        {
            Signal(SIGKILL);
            (void)WaitForExit(std::chrono::seconds(30));
        }
        StopWatchdog();
        if (mOutput >= 0)
            ::close(mOutput);
    }

    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // True once the child announced its control socket and this process is connected to it.
    [[nodiscard]] bool IsReady() const { return mControl >= 0; }
    [[nodiscard]] const std::string& SocketPath() const { return mSocketPath; }

    // Sends one command and returns the reply line; empty when the child did not answer in time.
    [[nodiscard]] std::string Ask(const std::string& command,
                                  Milliseconds deadline = std::chrono::seconds(30))
    {
        if (mControl < 0)
            return {};
        const std::string line = command + "\n";
        if (::send(mControl, line.data(), line.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(line.size()))
            return {};
        return ReadLine(mControl, deadline);
    }

    // The next line the child prints; empty when none came in time.
    [[nodiscard]] std::string ReadOutputLine(Milliseconds deadline = std::chrono::seconds(30))
    {
        return ReadLine(mOutput, deadline);
    }

    // Waits for the child to end and reaps it; false when it still runs at the deadline.
    [[nodiscard]] bool WaitForExit(Milliseconds deadline)
    {
        const auto end = std::chrono::steady_clock::now() + deadline;
        for (;;)
        {
            {
                const std::lock_guard lock(mLock);
                if (mPid <= 0)
                    return true;
                int status = 0;
                if (::waitpid(mPid, &status, WNOHANG) == mPid)
                {
                    mPid = 0;
                    mExitStatus = status;
                    return true;
                }
            }
            if (std::chrono::steady_clock::now() >= end)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    // The wait status of a reaped child (see waitpid), -1 before.
    [[nodiscard]] int ExitStatus() const
    {
        const std::lock_guard lock(mLock);
        return mExitStatus;
    }

    // True when the child ended by returning this code from main.
    [[nodiscard]] bool ExitedWith(int code) const
    {
        const int status = ExitStatus();
        return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == code;
    }

private:
    bool Spawn(const std::string& program, const std::vector<std::string>& options)
    {
        int output[2] = {-1, -1};
        if (::pipe2(output, O_CLOEXEC) != 0)
            return false;
        // Everything the child needs is made before fork: after it, only async-signal-safe calls.
        std::vector<std::string> arguments{program};
        arguments.insert(arguments.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (auto& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        const pid_t parent = ::getpid();

        const pid_t child = ::fork();
        if (child == 0)
        {
            ::dup2(output[1], STDOUT_FILENO);
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (::getppid() != parent)
                ::_exit(127);
            ::execve(program.c_str(), argv.data(), environ);
            ::_exit(127);
        }
        ::close(output[1]);
        mOutput = output[0];
        const std::lock_guard lock(mLock);
        mPid = child > 0 ? child : 0;
        return child > 0;
    }

    void Connect(const std::string& path)
    {
        mSocketPath = path;
        std::error_code error;
        Platform::Io::UniqueFd control =
            Platform::Io::ConnectUnix(path, Platform::Io::SocketType::Stream, error);
        if (!error)
            mControl = control.Release();
    }

    // Reads up to a newline, which is not returned. Reads byte by byte so that nothing after the line
    // is taken from the descriptor.
    static std::string ReadLine(int descriptor, Milliseconds deadline)
    {
        std::string line;
        if (descriptor < 0)
            return line;
        const auto end = std::chrono::steady_clock::now() + deadline;
        for (;;)
        {
            const auto left =
                std::chrono::duration_cast<Milliseconds>(end - std::chrono::steady_clock::now());
            pollfd entry{descriptor, POLLIN, 0};
            char c = 0;
            if (left.count() <= 0 || ::poll(&entry, 1, static_cast<int>(left.count())) != 1 ||
                ::read(descriptor, &c, 1) != 1 || c == '\n')
                return line;
            line += c;
        }
    }

    void Watch(Milliseconds lifetime)
    {
        std::unique_lock lock(mLock);
        if (!mWatchdogStop.wait_for(lock, lifetime, [this] { return mStopWatching; }) && mPid > 0)
            ::kill(mPid, SIGKILL);
    }

    void StopWatchdog()
    {
        {
            const std::lock_guard lock(mLock);
            mStopWatching = true;
        }
        mWatchdogStop.notify_all();
        if (mWatchdog.joinable())
            mWatchdog.join();
    }

    [[nodiscard]] bool IsReaped() const
    {
        const std::lock_guard lock(mLock);
        return mPid <= 0;
    }

    void Signal(int signal)
    {
        // Under the lock: a reaped child's number may already belong to another process.
        const std::lock_guard lock(mLock);
        if (mPid > 0)
            ::kill(mPid, signal);
    }

    int mOutput = -1;  // the read end of the child's standard output
    int mControl = -1; // the connected control socket
    std::string mSocketPath;

    mutable std::mutex mLock; // guards the fields below; held while the child is signalled or reaped
    pid_t mPid = 0;           // 0 once reaped
    int mExitStatus = -1;
    bool mStopWatching = false;
    std::condition_variable mWatchdogStop;
    std::thread mWatchdog;
};
} // namespace TestSupport
