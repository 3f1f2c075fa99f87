#include "ZQFramework/System/Process.h"

#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace ZQ
{
namespace
{
std::string Utf8(const WString& text)
{
    const AString narrow = text.ToNarrow();
    return std::string(narrow.GetBuffer(), static_cast<size_t>(narrow.GetLength()));
}

// Starts path with arguments; the child's id, or -1 when it could not be started.
pid_t Spawn(const WString& path, const WStringArray& arguments)
{
    const std::string program = Utf8(path);
    if (program.empty())
        return -1;
    std::vector<std::string> texts{program};
    for (uint32_t i = 0; i < arguments.GetCount(); ++i)
        texts.push_back(Utf8(arguments.GetData()[i]));
    std::vector<char*> argv;
    for (std::string& text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    if (::posix_spawn_file_actions_init(&actions) != 0)
        return -1;
    // The child inherits no handles of ours beyond the standard streams.
    ::posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    pid_t child = -1;
    const int error = ::posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? child : -1;
}

bool WaitForExit(pid_t child, int* status)
{
    for (;;)
    {
        if (::waitpid(child, status, 0) == child)
            return true;
        if (errno != EINTR)
            return false;
    }
}
} // namespace

ZQRESULT LaunchProcess(WString path, WStringArray arguments)
{
    const pid_t child = Spawn(path, arguments);
    if (child < 0)
        return E_FAIL;
    // Nobody waits for this program; collect its end so that it does not linger as a zombie.
    std::thread(
        [child]
        {
            int status = 0;
            WaitForExit(child, &status);
        })
        .detach();
    return S_OK;
}

ZQRESULT LaunchProcessAndWait(WString path, WStringArray arguments, int32_t& exitCode)
{
    exitCode = -1;
    const pid_t child = Spawn(path, arguments);
    if (child < 0)
        return E_FAIL;
    int status = 0;
    if (!WaitForExit(child, &status))
        return E_FAIL;
    if (WIFEXITED(status))
        exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        exitCode = 128 + WTERMSIG(status);
    else
        return E_FAIL;
    return S_OK;
}
} // namespace ZQ
