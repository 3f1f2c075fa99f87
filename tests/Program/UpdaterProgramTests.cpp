#include "Program/ChildProcess.h"
#include "Support/LoadedObjects.h"
#include "Support/PrivateFolders.h"
#include "Support/SimulatorProcess.h"

#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <string>

// The updater program as a process against zq-simulator as another: its unattended status query ends
// without a window, with the device's status as the exit code.
namespace
{
using namespace std::chrono_literals;
using TestSupport::ChildProcess;

constexpr const char* kUpdater = "q3300-splen-updater";

TEST(UpdaterProgram, TheStatusQueryExitsWithTheDevicesStatusWithoutADisplay)
{
    const std::string simulatorProgram = TestSupport::SimulatorProcess::ProgramNextToThisTest();
    if (ChildProcess::NextToThisTest(kUpdater).empty() || simulatorProgram.empty())
        GTEST_SKIP() << "the updater program or zq-simulator is not built next to this test";
    // Private folders for the simulated device and the program's settings, for both processes.
    const TestSupport::PrivateFolders folders("zq-updater");
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

TEST(UpdaterProgram, TheStatusQueryMapsNoWindowDialogDrawingFontOrGLLibrary)
{
    const std::string simulatorProgram = TestSupport::SimulatorProcess::ProgramNextToThisTest();
    if (ChildProcess::NextToThisTest(kUpdater).empty() || simulatorProgram.empty())
        GTEST_SKIP() << "the updater program or zq-simulator is not built next to this test";
    const TestSupport::PrivateFolders folders("zq-updater");
    const std::string path = folders.root + "/image.syx";
    std::ofstream(path, std::ios::binary) << "\xF0\x11\x22\x33\xF7";
    TestSupport::SimulatorProcess simulator(simulatorProgram, {"--version", "1.1.5.7"});
    ASSERT_TRUE(simulator.IsReady());
    const std::string prefix = folders.root + "/loader";
    ::setenv("LD_DEBUG", "files", 1);
    ::setenv("LD_DEBUG_OUTPUT", prefix.c_str(), 1);
    ChildProcess updater(kUpdater, {"-RETURN_UPDATE_MODE_STATUS", "-ABSOLUTE_FIRMWARE_FILE_PATH=" + path},
                         true);
    ::unsetenv("LD_DEBUG");
    ::unsetenv("LD_DEBUG_OUTPUT");
    ASSERT_EQ(updater.WaitForExit(120s), std::optional<int>(5));

    const std::set<std::string> loaded = TestSupport::LoadedObjects(prefix);
    ASSERT_TRUE(loaded.contains("libc.so.6")) << "the loader wrote nothing";
    static constexpr const char* kDesktopLibraries[] = {
        "libgtk-3.", "libgdk-3.",  "libgobject-2.0.", "libX11.",      "libxcb.", "libXfixes.",
        "libcairo.", "libpango",   "libfontconfig.",  "libfreetype.", "libpng",  "libGL.",
        "libGLX.",   "libOpenGL.", "libGLU.",         "libEGL."};
    for (const std::string& name : loaded)
    {
        for (const char* desktop : kDesktopLibraries)
            EXPECT_NE(name.rfind(desktop, 0), 0u) << name << " is loaded";
    }
    EXPECT_EQ(simulator.Ask("quit"), "OK quit");
}
} // namespace
