#include "ZQFramework/System/Process.h"

#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <system_error>
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

// The program's argument vector: its path, then each argument whole. False without a path.
bool BuildArgv(const WString& path, const WStringArray& arguments, std::vector<std::string>* texts)
{
    texts->push_back(Utf8(path));
    for (uint32_t i = 0; i < arguments.GetCount(); ++i)
        texts->push_back(Utf8(arguments.GetData()[i]));
    return !texts->front().empty();
}

// A new program starts as a fresh one would: no signal blocked, every signal at its default action, and
// no handle of ours open beyond the standard streams.
pid_t SpawnClean(const std::string& program, char* const* argv)
{
    posix_spawn_file_actions_t actions;
    if (::posix_spawn_file_actions_init(&actions) != 0)
        return -1;
    posix_spawnattr_t attributes;
    if (::posix_spawnattr_init(&attributes) != 0)
    {
        ::posix_spawn_file_actions_destroy(&actions);
        return -1;
    }
    ::posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    sigset_t none;
    sigset_t all;
    ::sigemptyset(&none);
    ::sigfillset(&all);
    ::posix_spawnattr_setsigmask(&attributes, &none);
    ::posix_spawnattr_setsigdefault(&attributes, &all);
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t child = -1;
    const int error = ::posix_spawn(&child, program.c_str(), &actions, &attributes, argv, environ);
    ::posix_spawnattr_destroy(&attributes);
    ::posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? child : -1;
}

// Starts path with arguments; the child's id, or -1 when it could not be started.
pid_t Spawn(const WString& path, const WStringArray& arguments)
{
    std::vector<std::string> texts;
    if (!BuildArgv(path, arguments, &texts))
        return -1;
    std::vector<char*> argv;
    for (std::string& text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);
    return SpawnClean(texts.front(), argv.data());
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
    // Nobody waits for this program; collect its end so that it does not linger as a zombie. Should no
    // thread be left to do so, the program still runs and counts as started.
    try
    {
        std::thread(
            [child]
            {
                int status = 0;
                WaitForExit(child, &status);
            })
            .detach();
    }
    catch (const std::system_error&)
    {
    }
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
