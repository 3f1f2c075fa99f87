#include "EndToEnd/UpdaterSession.h"

#include <gtest/gtest.h>
#include <thread>

// The updater as a process: the hand-over to the sibling updater by its answer, and the unattended
// command-line modes, which end without a window.
namespace
{
using namespace EndToEnd;
using TestSupport::SimulatorProcess;

struct UpdaterHandOverX11 : UpdaterTest
{
};

TEST_F(UpdaterHandOverX11, ADeviceInNormalModeHandsOverWhenTheSiblingHasWorkAndThisProgramHasNone)
{
    struct Case
    {
        const char* name;
        const char* deviceVersion;
        int siblingStatus;
        bool handsOver;
    };
    const Case cases[] = {
        {"up to date, the sibling needs normal mode", "1.2.0.1", 5, true},
        {"up to date, the sibling needs update mode", "1.2.0.1", 3, true},
        {"up to date, the sibling has nothing to do", "1.2.0.1", 2, false},
        {"up to date, the sibling in update mode has nothing to do", "1.2.0.1", 4, false},
        {"this program's update comes first", "1.1.5.7", 5, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(installation.siblingLog);
        Installation::SetSiblingStatus(c.siblingStatus);
        SimulatorProcess simulator(installation.simulatorProgram, {"--version", c.deviceVersion});
        ASSERT_TRUE(simulator.IsReady());
        UpdaterProcess updater(installation.program, {installation.ImageOption()});
        ASSERT_TRUE(updater.IsStarted());
        if (c.handsOver)
        {
            // The sibling is started without arguments and this program ends by itself.
            EXPECT_EQ(updater.WaitForExit(60s), std::optional<int>(0));
            EXPECT_TRUE(TestSupport::WaitFor([&] { return installation.SiblingRuns().size() == 2; }));
            EXPECT_EQ(installation.SiblingRuns(),
                      (std::vector<std::string>{"-RETURN_UPDATE_MODE_STATUS", ""}));
            continue;
        }
        // The window stays with its own screen; the sibling was only asked.
        ASSERT_NE(screen.WaitForWindow(), 0u);
        const Screenshot shot =
            screen.WaitForScreen([](const Screenshot& s) { return s.Shows(kExitButton); });
        ASSERT_FALSE(shot.IsEmpty());
        EXPECT_EQ(shot.Shows(kFirstButton), std::string(c.deviceVersion) == "1.1.5.7") << "UPDATE FIRMWARE";
        EXPECT_TRUE(TestSupport::WaitFor([&] { return !installation.SiblingRuns().empty(); }));
        std::this_thread::sleep_for(500ms);
        EXPECT_EQ(installation.SiblingRuns(), std::vector<std::string>{"-RETURN_UPDATE_MODE_STATUS"});
        EXPECT_EQ(updater.WaitForExit(0ms), std::nullopt);
        if (c.siblingStatus == 2)
            shot.Save("9 Up To Date.png");
        screen.Click(kExitButton);
        EXPECT_EQ(updater.WaitForExit(30s), std::optional<int>(0));
        EXPECT_TRUE(TestSupport::WaitFor([&] { return screen.FindWindow() == 0; }));
    }
}

TEST_F(UpdaterHandOverX11, ASiblingThatCannotStartShowsTheErrorBoxAndTheProgramStillEnds)
{
    // The sibling answers that it has work, then is gone when it is to be started.
    Installation::SetSiblingStatus(5);
    ::setenv("ZQ_TEST_SIBLING_VANISH", "1", 1);
    // A complaint of the toolkit about the box ends the program instead of passing unseen.
    ::setenv("G_DEBUG", "fatal-criticals", 1);
    SimulatorProcess simulator(installation.simulatorProgram, {"--version", "1.2.0.1"});
    ASSERT_TRUE(simulator.IsReady());
    UpdaterProcess updater(installation.program, {installation.ImageOption()});
    ::unsetenv("ZQ_TEST_SIBLING_VANISH");
    ::unsetenv("G_DEBUG");
    ASSERT_TRUE(updater.IsStarted());
    ::Window box = 0;
    EXPECT_TRUE(TestSupport::WaitFor(
        [&] { return (box = screen.FindWindowTitled("Error launching XMOS Firmware Updater")) != 0; }, 60s));
    ASSERT_NE(box, 0u) << "no error box";
    EXPECT_FALSE(std::filesystem::exists(installation.sibling));
    EXPECT_EQ(installation.SiblingRuns(), std::vector<std::string>{"-RETURN_UPDATE_MODE_STATUS"});
    EXPECT_EQ(updater.WaitForExit(0ms), std::nullopt) << "the box waits for the user";
    screen.Close(box);
    EXPECT_EQ(updater.WaitForExit(30s), std::optional<int>(0));
}

TEST_F(UpdaterHandOverX11, TheCommandLineModesEndWithoutAWindowWithTheirExitValue)
{
    struct Case
    {
        const char* name;
        std::vector<std::string> device;
        const char* option;
        int exitCode;
    };
    const Case cases[] = {
        {"status, old version in normal mode", {"--version", "1.1.5.7"}, "-RETURN_UPDATE_MODE_STATUS", 5},
        {"status, new version in normal mode", {"--version", "1.2.0.1"}, "-RETURN_UPDATE_MODE_STATUS", 4},
        {"status, old version in update mode",
         {"--update-mode", "--version", "1.1.5.7"},
         "-RETURN_UPDATE_MODE_STATUS",
         3},
        {"status, unplugged", {"--unplugged"}, "-RETURN_UPDATE_MODE_STATUS", 1},
        {"silent when not needed, up to date", {"--version", "1.2.0.1"}, "-SILENT_IF_UPDATE_NOT_NEEDED", 0},
        {"silent update in update mode",
         {"--update-mode", "--version", "1.1.5.7", "--new-version", "1.2.0.1", "--reboot-delay", "200"},
         "-SILENT",
         0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        SimulatorProcess simulator(installation.simulatorProgram, c.device);
        ASSERT_TRUE(simulator.IsReady());
        UpdaterProcess updater(installation.program, {c.option, installation.ImageOption()});
        ASSERT_TRUE(updater.IsStarted());
        bool windowSeen = false;
        std::optional<int> exitCode;
        (void)TestSupport::WaitFor(
            [&]
            {
                windowSeen = windowSeen || screen.FindWindow() != 0;
                exitCode = updater.WaitForExit(0ms);
                return exitCode.has_value();
            },
            120s);
        EXPECT_EQ(exitCode, std::optional<int>(c.exitCode));
        EXPECT_FALSE(windowSeen);
        EXPECT_TRUE(installation.SiblingRuns().empty()) << "the sibling is not asked without a window";
        if (std::string(c.option) == "-SILENT")
        {
            const std::string image = std::to_string(fs::file_size(installation.image));
            EXPECT_EQ(simulator.Ask("firmware").substr(0, 3 + image.size() + 1), "OK " + image + " ");
            EXPECT_TRUE(TestSupport::WaitFor(
                [&] { return StatusField(simulator.Ask("status"), "version") == "1.2.0.1"; }, 30s));
        }
    }
}
} // namespace
