// The unattended status query as an installer or a script runs it: `q3300-splen-updater
// -RETURN_UPDATE_MODE_STATUS` started without a display against the simulated mixer in normal mode, which
// answers, from the process start to its exit with the status; beside it /bin/true, the floor of starting
// any process. Compare the medians. The query's counter shared_objects is what the dynamic loader mapped
// into it (LD_DEBUG=files), the loader itself included. With --benchmark_enable_random_interleaving=true the
// repetitions of the two alternate, which evens out a machine whose load changes. Skipped without the
// program or the simulator.
#include "Support/LoadedObjects.h"
#include "Support/PrivateFolders.h"
#include "Support/ProgramPath.h"
#include "Support/SimulatorProcess.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kRepetitions = 15;
// The status of a device in normal mode with an older version than the image's.
constexpr int kUpdateNeededInNormalMode = 5;

// Runs program with arguments and this process's environment without a display, plus extra variables;
// its exit code, -1 when it did not start or ended by a signal.
int RunToExit(const std::string& program, std::vector<std::string> arguments,
              const std::vector<std::string>& extra = {})
{
    arguments.insert(arguments.begin(), program);
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<std::string> variables(extra);
    for (char** entry = environ; *entry != nullptr; ++entry)
    {
        if (std::strncmp(*entry, "DISPLAY=", 8) != 0 && std::strncmp(*entry, "WAYLAND_DISPLAY=", 16) != 0)
            variables.emplace_back(*entry);
    }
    std::vector<char*> envp;
    for (std::string& variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0)
        return -1;
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Times runs of program until the state is done; false (with the state skipped) when a run does not end
// with the expected exit code.
bool TimeRuns(benchmark::State& state, const std::string& program, const std::vector<std::string>& arguments,
              int expectedExitCode)
{
    for (auto _ : state)
    {
        const auto started = Clock::now();
        const int exitCode = RunToExit(program, arguments);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - started).count());
        if (exitCode != expectedExitCode)
        {
            state.SkipWithError(
                ("exit code " + std::to_string(exitCode) + ", not " + std::to_string(expectedExitCode))
                    .c_str());
            return false;
        }
    }
    return true;
}

void BM_BinTrue(benchmark::State& state)
{
    (void)TimeRuns(state, "/bin/true", {}, 0);
}
BENCHMARK(BM_BinTrue)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true);

void BM_StatusQuery(benchmark::State& state)
{
    const std::string updater = TestSupport::ProgramBesideThisOne("q3300-splen-updater");
    const std::string simulatorProgram = TestSupport::SimulatorProcess::ProgramNextToThisTest();
    if (updater.empty() || simulatorProgram.empty())
    {
        state.SkipWithError("needs q3300-splen-updater and zq-simulator built beside this benchmark");
        return;
    }
    const TestSupport::PrivateFolders folders("zq-bench-status");
    const std::string image = folders.root + "/image.syx";
    std::ofstream(image, std::ios::binary) << "\xF0\x11\x22\x33\xF7";
    TestSupport::SimulatorProcess simulator(simulatorProgram, {"--version", "1.1.5.7"}, 30min);
    if (!simulator.IsReady())
    {
        state.SkipWithError("the simulator did not start");
        return;
    }
    const std::vector<std::string> arguments{"-RETURN_UPDATE_MODE_STATUS",
                                             "-ABSOLUTE_FIRMWARE_FILE_PATH=" + image};

    // One run outside the timing, with the loader telling what it maps.
    const std::string loaderLog = folders.root + "/loader";
    if (RunToExit(updater, arguments, {"LD_DEBUG=files", "LD_DEBUG_OUTPUT=" + loaderLog}) !=
        kUpdateNeededInNormalMode)
    {
        state.SkipWithError("the status query did not report a device that needs the update");
        return;
    }
    const double sharedObjects = static_cast<double>(TestSupport::LoadedObjects(loaderLog).size() + 1);

    if (TimeRuns(state, updater, arguments, kUpdateNeededInNormalMode))
        state.counters["shared_objects"] = sharedObjects;
}
BENCHMARK(BM_StatusQuery)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true);
} // namespace
