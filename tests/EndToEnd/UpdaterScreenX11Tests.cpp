#include "EndToEnd/UpdaterSession.h"

#include <gtest/gtest.h>
#include <sstream>

// What a person reads on the updater's screens, from the window's pixels: the bar's filled part against
// the bytes the simulated mixer has received, and the buttons of the screen after a transfer when the
// device does not come back. Every screen is kept as a screenshot artifact.
namespace
{
using namespace EndToEnd;
using TestSupport::SimulatorProcess;

// The filled part's colour (the skin's "Progress Fill.png").
bool IsFill(uint32_t pixel)
{
    const int red = static_cast<int>((pixel >> 16) & 0xFF);
    const int green = static_cast<int>((pixel >> 8) & 0xFF);
    const int blue = static_cast<int>(pixel & 0xFF);
    return std::abs(red - 240) + std::abs(green - 196) + std::abs(blue - 64) < 40;
}

// The width of the filled part: the fill-coloured pixels along the middle of the bar's upper half.
int FilledWidth(const Screenshot& shot)
{
    const int y = kProgressBar.y + kProgressBar.height / 4;
    int width = 0;
    for (int x = kProgressBar.x; x < kProgressBar.x + kProgressBar.width; ++x)
        width += IsFill(shot.At(x, y)) ? 1 : 0;
    return width;
}

// The bytes of firmware the simulated device holds ("firmware" answers "OK <size> <crc32>").
size_t ReceivedBytes(SimulatorProcess& simulator)
{
    std::istringstream answer(simulator.Ask("firmware"));
    std::string ok;
    size_t size = 0;
    answer >> ok >> size;
    return ok == "OK" ? size : 0;
}

struct UpdaterScreenX11 : UpdaterTest
{
};

TEST_F(UpdaterScreenX11, TheBarFillsInStepWithTheShareOfTheImageSent)
{
    SimulatorProcess simulator(installation.simulatorProgram, {"--update-mode", "--version", "1.1.5.7"});
    ASSERT_TRUE(simulator.IsReady());
    // About ten seconds of transfer at the device's pace: a piece moves the bar by less than a pixel.
    installation.WriteImage(64 * 1024);
    const double total = static_cast<double>(fs::file_size(installation.image));
    UpdaterProcess updater(installation.program, {installation.ImageOption()});
    ASSERT_TRUE(updater.IsStarted());
    ASSERT_NE(screen.WaitForWindow(), 0u);
    ASSERT_FALSE(screen.WaitForScreen(IsReadyToUpdate).IsEmpty()) << "no update screen";
    ASSERT_FALSE(screen.ClickAndWaitFor(kFirstButton, IsTransferring).IsEmpty()) << "no transfer";

    // A screen of the transfer with at least the share sent, whose filled part is as wide as the share of
    // the bar that the device has received; the screen may lag the device by a few pieces.
    const auto filledInStep = [&](double least, Screenshot& shot)
    {
        return TestSupport::WaitFor(
            [&]
            {
                const double before = static_cast<double>(ReceivedBytes(simulator));
                shot = screen.Take();
                const double after = static_cast<double>(ReceivedBytes(simulator));
                const int width = FilledWidth(shot);
                return before >= least * total && IsTransferring(shot) &&
                       width >= kProgressBar.width * (before - 8 * 128) / total - 1 &&
                       width <= kProgressBar.width * after / total + 1;
            },
            30s);
    };
    Screenshot first;
    ASSERT_TRUE(filledInStep(0.25, first)) << "the fill is " << FilledWidth(first) << " pixels wide";
    first.Save("Bar Filled A Quarter.png");
    Screenshot second;
    ASSERT_TRUE(filledInStep(0.6, second)) << "the fill is " << FilledWidth(second) << " pixels wide";
    second.Save("Bar Filled Three Fifths.png");
    EXPECT_GT(FilledWidth(second), FilledWidth(first) + kProgressBar.width / 5);

    // ABORT ends the transfer; EXIT the program.
    ASSERT_FALSE(screen
                     .ClickAndWaitFor(kAbortButton, [](const Screenshot& shot)
                                      { return shot.Shows(kExitButton) && !shot.Shows(kProgressBar); })
                     .IsEmpty())
        << "no aborted screen";
    screen.Click(kExitButton);
    EXPECT_EQ(updater.WaitForExit(30s), std::optional<int>(0));
}

TEST_F(UpdaterScreenX11, ADeviceThatDoesNotComeBackAfterTheTransferOffersTryAgainBesideNext)
{
    // The device restarts for ten minutes after it took the image: it is gone whenever NEXT asks.
    SimulatorProcess simulator(
        installation.simulatorProgram,
        {"--update-mode", "--version", "1.1.5.7", "--new-version", "1.2.0.1", "--reboot-delay", "600000"});
    ASSERT_TRUE(simulator.IsReady());
    UpdaterProcess updater(installation.program, {installation.ImageOption()});
    ASSERT_TRUE(updater.IsStarted());
    ASSERT_NE(screen.WaitForWindow(), 0u);
    const Screenshot ready = screen.WaitForScreen(IsReadyToUpdate);
    ASSERT_FALSE(ready.IsEmpty()) << "no update screen";

    // After the transfer: NEXT with the wait-for-the-reset text and EXIT; no TRY AGAIN yet.
    const Screenshot afterUpdate =
        screen.ClickAndWaitFor(kFirstButton,
                               [&](const Screenshot& shot)
                               {
                                   return shot.Shows(kRescanButton) && shot.Shows(kExitButton) &&
                                          !shot.Shows(kFirstButton) && !shot.Shows(kProgressBar) &&
                                          shot.Region(kRescanButton) != ready.Region(kRescanButton);
                               });
    ASSERT_FALSE(afterUpdate.IsEmpty()) << "no after-update screen";
    afterUpdate.Save("Device Restarting.png");
    ASSERT_EQ(StatusField(simulator.Ask("status"), "plugged"), "0") << "the device is restarting";

    // NEXT while the device is still gone: the not-responding text tells the user to press TRY AGAIN,
    // and TRY AGAIN is there, beside NEXT and above EXIT.
    const Screenshot notResponding =
        screen.ClickAndWaitFor(kRescanButton,
                               [&](const Screenshot& shot)
                               {
                                   return shot.Shows(kFirstButton) && shot.Shows(kRescanButton) &&
                                          shot.Shows(kExitButton) &&
                                          shot.Region(kProcessText) != afterUpdate.Region(kProcessText);
                               });
    ASSERT_FALSE(notResponding.IsEmpty()) << "no TRY AGAIN beside NEXT";
    notResponding.Save("Device Not Responding.png");
    EXPECT_EQ(notResponding.Region(kRescanButton), afterUpdate.Region(kRescanButton)) << "NEXT stays";
    EXPECT_NE(notResponding.Region(kFirstButton), ready.Region(kFirstButton)) << "TRY AGAIN, not UPDATE";

    // TRY AGAIN starts over: no device, so the after-update buttons go.
    const Screenshot again = screen.ClickAndWaitFor(
        kFirstButton,
        [&](const Screenshot& shot) {
            return shot.Region(kFirstButton) != notResponding.Region(kFirstButton) && shot.Shows(kExitButton);
        });
    ASSERT_FALSE(again.IsEmpty()) << "TRY AGAIN did not start over";
    again.Save("Started Over.png");
    EXPECT_NE(again.Region(kRescanButton), notResponding.Region(kRescanButton));

    screen.Click(kExitButton);
    EXPECT_EQ(updater.WaitForExit(30s), std::optional<int>(0));
}
} // namespace
