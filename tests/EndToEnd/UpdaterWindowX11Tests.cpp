#include "EndToEnd/UpdaterSession.h"

#include <gtest/gtest.h>

// The updater window against the simulated mixer: each screen is told apart by what it shows (which
// buttons, the progress bar) and by the pixels of its texts, compared between screens that must show the
// same or different texts. Every screen is kept as a screenshot artifact.
namespace
{
using namespace EndToEnd;
using TestSupport::SimulatorProcess;

struct UpdaterWindowX11 : UpdaterTest
{
    // Waits until the simulator reports the mode and version.
    static bool DeviceReports(SimulatorProcess& simulator, const std::string& mode,
                              const std::string& version)
    {
        return TestSupport::WaitFor(
            [&]
            {
                const std::string status = simulator.Ask("status");
                return StatusField(status, "mode") == mode && StatusField(status, "version") == version;
            },
            30s);
    }

    // EXIT ends the program with its exit value 0.
    void ExitThroughTheExitButton(UpdaterProcess& updater)
    {
        screen.Click(kExitButton);
        EXPECT_EQ(updater.WaitForExit(30s), std::optional<int>(0));
    }
};

TEST_F(UpdaterWindowX11, TheRoadTakesAMixerInNormalModeThroughTheUpdateToSuccess)
{
    Installation::SetSiblingStatus(2);
    SimulatorProcess simulator(installation.simulatorProgram,
                               {"--version", "1.1.5.7", "--new-version", "1.2.0.1", "--reboot-delay", "500"});
    ASSERT_TRUE(simulator.IsReady());
    // Long enough for the bar to be seen moving.
    installation.WriteImage(32 * 1024);
    UpdaterProcess updater(installation.program, {installation.ImageOption()});
    ASSERT_TRUE(updater.IsStarted());
    ASSERT_NE(screen.WaitForWindow(), 0u);

    // UPDATE FIRMWARE with the two versions.
    const Screenshot ready = screen.WaitForScreen(IsReadyToUpdate);
    ASSERT_FALSE(ready.IsEmpty()) << "no update screen";
    ready.Save("1 Ready To Update.png");
    // With a valid file there is no file to select; ABORT is offered whenever no update has run.
    EXPECT_FALSE(ready.Shows(kSelectFileButton));
    EXPECT_TRUE(ready.Shows(kAbortButton));

    // The instructions: NEXT in the place of UPDATE FIRMWARE, no exit.
    const Screenshot instructions =
        screen.ClickAndWaitFor(kFirstButton,
                               [&](const Screenshot& shot)
                               {
                                   return shot.Shows(kFirstButton) && !shot.Shows(kExitButton) &&
                                          shot.Region(kFirstButton) != ready.Region(kFirstButton);
                               });
    ASSERT_FALSE(instructions.IsEmpty()) << "no instructions screen";
    instructions.Save("2 Instructions.png");
    EXPECT_NE(instructions.Region(kProcessText), ready.Region(kProcessText));

    // NEXT before the device is in update mode changes nothing.
    screen.Click(kFirstButton);
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(screen.Take().Region(kFirstButton), instructions.Region(kFirstButton));
    EXPECT_TRUE(updater.WaitForExit(0ms) == std::nullopt);

    // The user puts the device into update mode and presses NEXT: the transfer with a moving bar.
    ASSERT_EQ(simulator.Ask("mode update"), "OK mode update");
    const Screenshot transfer = screen.ClickAndWaitFor(kFirstButton, IsTransferring);
    ASSERT_FALSE(transfer.IsEmpty()) << "no transfer screen";
    transfer.Save("3 Transfer.png");
    const Screenshot further = screen.WaitForScreen(
        [&](const Screenshot& shot)
        { return IsTransferring(shot) && shot.Region(kProgressBar) != transfer.Region(kProgressBar); });
    EXPECT_FALSE(further.IsEmpty()) << "the bar did not move";

    // After the transfer: NEXT (the rescan button) with the wait-for-the-reset text; no TRY AGAIN while
    // the device restarts.
    const Screenshot afterUpdate = screen.WaitForScreen(
        [&](const Screenshot& shot) {
            return !shot.Shows(kProgressBar) &&
                   shot.Region(kRescanButton) == instructions.Region(kFirstButton);
        });
    ASSERT_FALSE(afterUpdate.IsEmpty()) << "no after-update screen";
    afterUpdate.Save("4 After Update.png");
    EXPECT_FALSE(afterUpdate.Shows(kFirstButton));
    EXPECT_NE(afterUpdate.Region(kProcessText), instructions.Region(kProcessText));
    const std::string image = std::to_string(fs::file_size(installation.image));
    EXPECT_EQ(simulator.Ask("firmware").substr(0, 3 + image.size() + 1), "OK " + image + " ");

    // The device restarts with the new version; NEXT finds it: success, no TRY AGAIN, the new version.
    ASSERT_TRUE(DeviceReports(simulator, "normal", "1.2.0.1"));
    const Screenshot success =
        screen.ClickAndWaitFor(kRescanButton,
                               [&](const Screenshot& shot)
                               {
                                   return !shot.Shows(kFirstButton) && !shot.Shows(kRescanButton) &&
                                          shot.Shows(kExitButton) && !shot.Shows(kProgressBar);
                               });
    ASSERT_FALSE(success.IsEmpty()) << "no success screen";
    success.Save("5 Updated.png");
    EXPECT_NE(success.Region(kProcessText), afterUpdate.Region(kProcessText));
    EXPECT_NE(success.Region(kVersionTexts), ready.Region(kVersionTexts)) << "the device's version line";
    // The sibling was asked at each arrival in normal mode, at the start and after the update, and had
    // nothing to do: the window stays.
    EXPECT_TRUE(TestSupport::WaitFor([&] { return installation.SiblingRuns().size() == 2; }));
    EXPECT_EQ(installation.SiblingRuns(),
              (std::vector<std::string>{"-RETURN_UPDATE_MODE_STATUS", "-RETURN_UPDATE_MODE_STATUS"}));

    ExitThroughTheExitButton(updater);
}

TEST_F(UpdaterWindowX11, AnAbortedAndAFailedTransferOfferTryAgainWhichStartsOver)
{
    SimulatorProcess simulator(installation.simulatorProgram, {"--update-mode", "--version", "1.1.5.7"});
    ASSERT_TRUE(simulator.IsReady());
    installation.WriteImage(256 * 1024);
    UpdaterProcess updater(installation.program, {installation.ImageOption()});
    ASSERT_TRUE(updater.IsStarted());
    ASSERT_NE(screen.WaitForWindow(), 0u);

    // A device already in update mode: UPDATE FIRMWARE starts the transfer at once.
    const Screenshot ready = screen.WaitForScreen(IsReadyToUpdate);
    ASSERT_FALSE(ready.IsEmpty()) << "no update screen";
    ASSERT_FALSE(screen.ClickAndWaitFor(kFirstButton, IsTransferring).IsEmpty()) << "no transfer";

    // ABORT: "Update aborted." with TRY AGAIN and EXIT.
    const Screenshot aborted =
        screen.ClickAndWaitFor(kAbortButton,
                               [&](const Screenshot& shot)
                               {
                                   return shot.Shows(kFirstButton) && shot.Shows(kExitButton) &&
                                          !shot.Shows(kProgressBar) &&
                                          shot.Region(kFirstButton) != ready.Region(kFirstButton);
                               });
    ASSERT_FALSE(aborted.IsEmpty()) << "no aborted screen";
    aborted.Save("6 Aborted.png");
    EXPECT_NE(aborted.Region(kProcessText), ready.Region(kProcessText));
    EXPECT_FALSE(aborted.Shows(kAbortButton));

    // TRY AGAIN starts over: the device is still in update mode, so UPDATE FIRMWARE is offered again.
    const Screenshot again = screen.ClickAndWaitFor(
        kFirstButton, [&](const Screenshot& shot)
        { return IsReadyToUpdate(shot) && shot.Region(kFirstButton) == ready.Region(kFirstButton); });
    ASSERT_FALSE(again.IsEmpty()) << "TRY AGAIN did not start over";
    again.Save("7 Try Again.png");

    // A transfer the device stops taking fails: the error line, TRY AGAIN and EXIT.
    ASSERT_EQ(simulator.Ask("fail 13 after 20").substr(0, 2), "OK");
    const Screenshot failed =
        screen.ClickAndWaitFor(kFirstButton,
                               [&](const Screenshot& shot)
                               {
                                   return shot.Shows(kExitButton) && !shot.Shows(kProgressBar) &&
                                          shot.Region(kFirstButton) == aborted.Region(kFirstButton);
                               });
    ASSERT_FALSE(failed.IsEmpty()) << "no failed screen";
    failed.Save("8 Failed.png");
    EXPECT_NE(failed.Region(kProcessText), aborted.Region(kProcessText));

    ASSERT_EQ(simulator.Ask("fail clear"), "OK fail clear");
    ExitThroughTheExitButton(updater);
}
} // namespace
