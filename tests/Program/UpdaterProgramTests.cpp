#include "Program/ChildProcess.h"
#include "Support/LoadedObjects.h"
#include "Support/PrivateFolders.h"
#include "Support/SimulatorProcess.h"

#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <sys/file.h>
#include <unistd.h>

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

// Holds the single-instance lock that an earlier run left in the runtime folder, as a running instance
// does; holds nothing when there is no such file.
class HeldInstanceLock
{
public:
    explicit HeldInstanceLock(const std::filesystem::path& runtimeFolder)
    {
        for (const auto& entry : std::filesystem::directory_iterator(runtimeFolder))
        {
            if (entry.path().extension() == ".lock")
                mFd = ::open(entry.path().c_str(), O_RDWR | O_CLOEXEC);
        }
        if (mFd >= 0 && ::flock(mFd, LOCK_EX | LOCK_NB) != 0)
        {
            ::close(mFd);
            mFd = -1;
        }
    }
    ~HeldInstanceLock()
    {
        if (mFd >= 0)
            ::close(mFd);
    }
    HeldInstanceLock(const HeldInstanceLock&) = delete;
    HeldInstanceLock& operator=(const HeldInstanceLock&) = delete;

    [[nodiscard]] bool IsHeld() const { return mFd >= 0; }

private:
    int mFd = -1;
};

TEST(UpdaterProgram, RunsWithoutADisplayMapNoWindowDialogDrawingFontOrGLLibrary)
{
    const std::string simulatorProgram = TestSupport::SimulatorProcess::ProgramNextToThisTest();
    if (ChildProcess::NextToThisTest(kUpdater).empty() || simulatorProgram.empty())
        GTEST_SKIP() << "the updater program or zq-simulator is not built next to this test";
    const TestSupport::PrivateFolders folders("zq-updater");
    const std::string image = "-ABSOLUTE_FIRMWARE_FILE_PATH=" + folders.root + "/image.syx";
    std::ofstream(folders.root + "/image.syx", std::ios::binary) << "\xF0\x11\x22\x33\xF7";
    TestSupport::SimulatorProcess simulator(simulatorProgram, {"--version", "1.1.5.7"});
    ASSERT_TRUE(simulator.IsReady());

    struct Case
    {
        const char* name;
        std::vector<std::string> options;
        std::optional<int> exitCode; // none: any, as long as the program ends
        bool besideRunningInstance;  // the lock of the first case's run is held meanwhile
    };
    const Case cases[] = {
        {"status query", {"-RETURN_UPDATE_MODE_STATUS", image}, 5, false},
        {"status query beside a running instance", {"-RETURN_UPDATE_MODE_STATUS", image}, 5, true},
        {"the window, which cannot open", {image}, std::nullopt, false},
    };
    static constexpr const char* kDesktopLibraries[] = {
        "libgtk-3.", "libgdk-3.",  "libgobject-2.0.", "libX11.",      "libxcb.", "libXfixes.",
        "libcairo.", "libpango",   "libfontconfig.",  "libfreetype.", "libpng",  "libGL.",
        "libGLX.",   "libOpenGL.", "libGLU.",         "libEGL."};
    for (const Case& c : cases)
    {
        const std::optional<HeldInstanceLock> lock =
            c.besideRunningInstance ? std::make_optional<HeldInstanceLock>(folders.root + "/XDG_RUNTIME_DIR")
                                    : std::nullopt;
        ASSERT_TRUE(!lock.has_value() || lock->IsHeld()) << c.name;
        const std::string prefix = folders.root + "/loader-" + std::to_string(&c - cases);
        ::setenv("LD_DEBUG", "files", 1);
        ::setenv("LD_DEBUG_OUTPUT", prefix.c_str(), 1);
        ChildProcess updater(kUpdater, c.options, true);
        ::unsetenv("LD_DEBUG");
        ::unsetenv("LD_DEBUG_OUTPUT");
        const std::optional<int> exitCode = updater.WaitForExit(120s);
        ASSERT_TRUE(exitCode.has_value()) << c.name;
        if (c.exitCode.has_value())
        {
            EXPECT_EQ(exitCode, c.exitCode) << c.name;
        }

        const std::set<std::string> loaded = TestSupport::LoadedObjects(prefix);
        ASSERT_TRUE(loaded.contains("libc.so.6")) << c.name << ": the loader wrote nothing";
        for (const std::string& name : loaded)
        {
            for (const char* desktop : kDesktopLibraries)
                EXPECT_NE(name.rfind(desktop, 0), 0u) << c.name << ": " << name << " is loaded";
        }
    }
    EXPECT_EQ(simulator.Ask("quit"), "OK quit");
}
} // namespace
