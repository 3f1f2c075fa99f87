#include "Program/ChildProcess.h"
#include "Program/PrivateFolders.h"
#include "Support/SimulatorProcess.h"

#include <fstream>
#include <gtest/gtest.h>

// The updater program as a process against zq-simulator as another: its unattended status query ends
// without a window, with the device's status as the exit code.
namespace
{
using namespace std::chrono_literals;
using TestSupport::ChildProcess;
using TestSupport::PrivateFolders;

constexpr const char* kUpdater = "q3300-splen-updater";

TEST(UpdaterProgram, TheStatusQueryExitsWithTheDevicesStatusWithoutADisplay)
{
    const std::string simulatorProgram = TestSupport::SimulatorProcess::ProgramNextToThisTest();
    if (ChildProcess::NextToThisTest(kUpdater).empty() || simulatorProgram.empty())
        GTEST_SKIP() << "the updater program or zq-simulator is not built next to this test";
    // Private folders for the simulated device and the program's settings, for both processes.
    const PrivateFolders folders;
    const std::string path = folders.root + "/image.syx";
    std::ofstream(path, std::ios::binary) << "\xF0\x11\x22\x33\xF7";

    struct Case
    {
        const char* name;
        std::vector<std::string> options;
        int exitCode;
    };
    const Case cases[] = {
        {"normal mode, old version", {"--version", "1.1.5.7"}, 5},
        {"unplugged", {"--unplugged"}, 1},
    };
    for (const Case& c : cases)
    {
        TestSupport::SimulatorProcess simulator(simulatorProgram, c.options);
        ASSERT_TRUE(simulator.IsReady()) << c.name;
        ChildProcess updater(kUpdater, {"-RETURN_UPDATE_MODE_STATUS", "-ABSOLUTE_FIRMWARE_FILE_PATH=" + path},
                             true);
        EXPECT_EQ(updater.WaitForExit(120s), std::optional<int>(c.exitCode)) << c.name;
        EXPECT_EQ(simulator.Ask("quit"), "OK quit") << c.name;
    }
}
} // namespace
