#include "Support/WaitFor.h"

#include "ZQFramework/System/Process.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <initializer_list>
#include <pthread.h>
#include <sstream>
#include <unistd.h>
#include <vector>

using namespace ZQ;

namespace
{
WStringArray Arguments(std::initializer_list<const char*> texts)
{
    WStringArray arguments;
    for (const char* text : texts)
        arguments.Add(WString(text));
    return arguments;
}
// Ids of this process's children that have ended but were not collected.
std::vector<pid_t> ZombieChildren()
{
    std::vector<pid_t> zombies;
    for (const auto& entry : std::filesystem::directory_iterator("/proc"))
    {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line))
            continue;
        // "pid (name) state ppid ...": the name may hold blanks, so read on from its closing parenthesis.
        std::istringstream rest(line.substr(line.rfind(')') + 1));
        char state = 0;
        pid_t parent = 0;
        if (rest >> state >> parent && state == 'Z' && parent == ::getpid())
            zombies.push_back(std::stoi(entry.path().filename().string()));
    }
    return zombies;
}
} // namespace

TEST(ProcessTests, ExitCodeComesBack)
{
    for (const int code : {0, 3, 5, 255})
    {
        SCOPED_TRACE(code);
        int32_t exitCode = 1234;
        const std::string script = "exit " + std::to_string(code);
        EXPECT_EQ(LaunchProcessAndWait(u"/bin/sh", Arguments({"-c", script.c_str()}), exitCode), S_OK);
        EXPECT_EQ(exitCode, code);
    }
    int32_t exitCode = 0;
    EXPECT_EQ(LaunchProcessAndWait(u"/bin/sh", Arguments({"-c", "kill -TERM $$"}), exitCode), S_OK);
    EXPECT_EQ(exitCode, 128 + 15);
}

TEST(ProcessTests, EachArgumentArrivesWholeAndSeparate)
{
    // $0 is "sh"; the script checks that exactly two arguments follow, one of them with a space.
    int32_t exitCode = -1;
    EXPECT_EQ(LaunchProcessAndWait(u"/bin/sh",
                                   Arguments({"-c", "test $# = 2 && test \"$1\" = 'a b' && test \"$2\" = -B",
                                              "sh", "a b", "-B"}),
                                   exitCode),
              S_OK);
    EXPECT_EQ(exitCode, 0);
}

TEST(ProcessTests, ProgramStartsWithDefaultSignalHandling)
{
    // What the caller blocks or ignores is its own business, not the new program's.
    sigset_t usr1;
    sigemptyset(&usr1);
    sigaddset(&usr1, SIGUSR1);
    sigset_t saved;
    ASSERT_EQ(pthread_sigmask(SIG_BLOCK, &usr1, &saved), 0);
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction previous = {};
    ASSERT_EQ(sigaction(SIGUSR2, &ignore, &previous), 0);

    struct Case
    {
        const char* script;
        int32_t exitCode;
    };
    for (const Case& c :
         {Case{"kill -USR1 $$; exit 0", 128 + SIGUSR1}, Case{"kill -USR2 $$; exit 0", 128 + SIGUSR2}})
    {
        SCOPED_TRACE(c.script);
        int32_t exitCode = -1;
        EXPECT_EQ(LaunchProcessAndWait(u"/bin/sh", Arguments({"-c", c.script}), exitCode), S_OK);
        EXPECT_EQ(exitCode, c.exitCode);
    }
    sigaction(SIGUSR2, &previous, nullptr);
    pthread_sigmask(SIG_SETMASK, &saved, nullptr);
}

TEST(ProcessTests, ProgramThatCannotStartGivesEFail)
{
    for (const char16_t* path : {u"/no/such/program", u"", u"/etc/hostname", u"/tmp"})
    {
        int32_t exitCode = 0;
        EXPECT_EQ(LaunchProcessAndWait(path, Arguments({}), exitCode), E_FAIL);
        EXPECT_EQ(exitCode, -1);
        EXPECT_EQ(LaunchProcess(path, Arguments({})), E_FAIL);
    }
}

TEST(ProcessTests, LaunchReturnsWhileTheProgramRuns)
{
    // The program cannot finish before the test lets it: it waits for the file "go".
    char pattern[] = "/tmp/zq-process-XXXXXX";
    const std::string folder = ::mkdtemp(pattern);
    const std::string go = folder + "/go";
    const std::string done = folder + "/done";
    const std::string script = "while [ ! -e '" + go + "' ]; do sleep 0.01; done; echo x > '" + done + "'";
    ASSERT_EQ(LaunchProcess(u"/bin/sh", Arguments({"-c", script.c_str()})), S_OK);
    EXPECT_FALSE(std::filesystem::exists(done));
    {
        std::ofstream(go) << "go";
    }
    EXPECT_TRUE(TestSupport::WaitFor([&] { return std::filesystem::exists(done); }));
    std::filesystem::remove_all(folder);
}

TEST(ProcessTests, StartedProgramsAreCollectedWhenTheyEnd)
{
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(LaunchProcess(u"/bin/true", Arguments({})), S_OK);
    EXPECT_TRUE(TestSupport::WaitFor([] { return ZombieChildren().empty(); }))
        << ZombieChildren().size() << " ended programs linger";
}
