#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

// zq-lazy-probe-user is linked to libzq-lazy-probe.so through first-call stubs only: it starts without the
// library, which it opens on its first call, and it finds it through LD_LIBRARY_PATH alone.
namespace
{
struct Outcome
{
    std::string Output; // standard output and error
    int ExitCode = -1;
};

std::string NextToThisTest(const std::string& name)
{
    char self[4096] = {};
    if (::readlink("/proc/self/exe", self, sizeof self - 1) <= 0)
        return {};
    return (std::filesystem::path(self).parent_path() / name).string();
}

Outcome RunProbeUser(const std::string& mode, bool libraryFound)
{
    const std::string environment =
        libraryFound ? "env LD_LIBRARY_PATH='" ZQ_LAZY_PROBE_DIR "' " : "env -u LD_LIBRARY_PATH ";
    const std::string command =
        environment + "'" + NextToThisTest("zq-lazy-probe-user") + "' " + mode + " 2>&1";
    Outcome outcome;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return outcome;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        outcome.Output += buffer;
    const int status = ::pclose(pipe);
    outcome.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

TEST(LazyLink, TheLibraryIsMappedAtTheFirstCallAndEveryArgumentArrives)
{
    const Outcome outcome = RunProbeUser("calls", true);
    EXPECT_EQ(outcome.ExitCode, 0);
    EXPECT_EQ(outcome.Output, "mapped before: no\n"
                              "format: 1 two 3.00 4 5 6.5 7 8 9 10.125\n"
                              "weighted: 35954.0\n"
                              "format: 1 two 3.00 4 5 6.5 7 8 9 10.125\n"
                              "weighted: 41490.0\n"
                              "mapped after: yes\n");
}

TEST(LazyLink, AMissingLibraryEndsTheProgramAtTheFirstCallNamingItWithExitCode127)
{
    const Outcome outcome = RunProbeUser("calls", false);
    EXPECT_EQ(outcome.ExitCode, 127);
    EXPECT_EQ(outcome.Output.rfind(
                  "mapped before: no\n"
                  "zq-lazy-probe-user: cannot load libzq-lazy-probe.so, needed for ZQProbeFormat: ",
                  0),
              0u)
        << outcome.Output;
    EXPECT_NE(outcome.Output.find("cannot open shared object file"), std::string::npos) << outcome.Output;
}

TEST(LazyLinkConcurrency, ThreadsThatMakeTheFirstCallTogetherEachGetTheFunction)
{
    const Outcome outcome = RunProbeUser("threads", true);
    EXPECT_EQ(outcome.ExitCode, 0);
    EXPECT_EQ(outcome.Output, "right: 8 of 8\n");
}
} // namespace
