#include "PanelUI/UpdaterBench.h"

#include <gtest/gtest.h>
#include <sstream>

namespace UpdaterTest
{
namespace
{
// Short names of the children a screen shows, in the order of kChildren.
const std::pair<const char*, const char*> kShortNames[] = {
    {"labelDeviceInformation", "D"},
    {"labelFirmwareFileInformation", "F"},
    {"labelUpdateProcessInformation", "P"},
    {"labelFileFirmwareVersion", "FV"},
    {"labelDeviceFirmwareVersion", "DV"},
    {"labelDeviceCannotUpdateError", "E"},
    {"progressBar", "Bar"},
    {"buttonUpdateFirmware", "Update"},
    {"buttonScanForDevice", "Scan"},
    {"buttonExit", "Exit"},
    {"buttonReinitialize", "Try"},
    {"buttonManualDeviceReadyForUpdateButton", "Ready"},
    {"buttonManualDeviceHasUpdatedRescanButton", "Rescan"},
    {"buttonSelectFirmwareFile", "Select"},
    {"buttonAbort", "Abort"},
};

std::string Abbreviated(const std::vector<std::string>& names)
{
    std::ostringstream text;
    for (const std::string& name : names)
    {
        for (const auto& [full, shortName] : kShortNames)
        {
            if (name == full)
                text << (text.tellp() > 0 ? " " : "") << shortName;
        }
    }
    return text.str();
}

// The pairs of shown controls that take clicks or show the bar and share part of their place, as
// "Try/Rescan"; a person sees only the one drawn last.
std::string Overlapping(const UpdaterBench& bench)
{
    std::vector<std::pair<std::string, ZQ::RectT<double>>> shown;
    for (const char16_t* name : kChildren)
    {
        const std::string text = TestSupport::Utf8(ZQ::WString(name));
        if (bench.Visible(name) && (text.rfind("button", 0) == 0 || text == "progressBar"))
            shown.emplace_back(Abbreviated({text}), bench.Child(name)->GetRectInWindow());
    }
    std::string pairs;
    for (size_t i = 0; i < shown.size(); ++i)
    {
        for (size_t j = i + 1; j < shown.size(); ++j)
        {
            const ZQ::RectT<double>& a = shown[i].second;
            const ZQ::RectT<double>& b = shown[j].second;
            if (a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height)
                pairs += (pairs.empty() ? "" : " ") + shown[i].first + "/" + shown[j].first;
        }
    }
    return pairs;
}

struct Screen
{
    int32_t result;
    int32_t state;
    int32_t file;
    bool needed;         // N
    bool allowDowngrade; // W = allow-downgrade or N
    bool updateRunning;
    int32_t mode;
    int32_t reason;
    const char* shown;
    const char16_t* label; // a label whose text the screen sets ...
    const char16_t* key;   // ... to this key of its table
};

// Every row of the display's tables, with the version rule's modes and the try-again rule.
const Screen kScreens[] = {
    // No file, an invalid one: the file line and the select button.
    {0, 0, 0, false, false, false, 0, 0, "F Exit Select Abort", u"labelFirmwareFileInformation",
     u"LABEL_NO_FILE_DEFINED"},
    {0, 1, 1, false, false, false, 0, 0, "F Exit Select Abort", u"labelFirmwareFileInformation",
     u"LABEL_FIRMARE_FILE_INVALID"},
    {0, 1, 2, false, false, false, 0, 0, "F Exit Select Abort", u"labelFirmwareFileInformation",
     u"LABEL_FIRMARE_FILE_INVALID"},
    // No device with a valid file: the not-found text and the scan button, no update button.
    {0, 1, 3, true, false, false, 0, 0, "D FV Scan Exit Abort", u"labelDeviceInformation",
     u"LABEL_NO_DEVICE_FOUND"},
    {0, 2, 3, true, false, false, 0, 0, "D FV Exit Abort", u"labelDeviceInformation",
     u"LABEL_SCANNING_FOR_DEVICE"},
    // Normal mode: offered when needed or allowed, else the error line says it is not needed.
    {0, 5, 3, true, false, false, 0, 0, "D P FV DV Update Exit Abort", u"labelUpdateProcessInformation",
     u"LABEL_READY_FOR_UPDATE"},
    {0, 5, 3, false, false, false, 0, 0, "FV DV E Exit Abort", u"labelDeviceCannotUpdateError",
     u"LABEL_UPDATE_NOT_NEEDED"},
    {0, 5, 3, false, true, false, 0, 0, "D P FV DV Update Exit Abort", u"labelUpdateProcessInformation",
     u"LABEL_READY_FOR_DOWNGRADE_UPDATE"},
    {0, 5, 0, true, false, false, 0, 0, "F Exit Select Abort", u"labelFirmwareFileInformation",
     u"LABEL_NO_FILE_DEFINED"},
    // A driver too old: its text whether or not an update is wanted, and TRY AGAIN.
    {0, 4, 3, false, false, false, 0, 1, "FV E Exit Try Abort", u"labelDeviceCannotUpdateError",
     u"LABEL_DRIVER_IS_TOO_OLD"},
    {0, 4, 3, false, true, false, 0, 1, "FV E Exit Try Abort", u"labelDeviceCannotUpdateError",
     u"LABEL_DRIVER_IS_TOO_OLD"},
    {0, 4, 1, true, false, false, 0, 2, "E Exit Select Abort", u"labelDeviceCannotUpdateError",
     u"LABEL_CANNOT_UPDATE_SYSTEM_FAILURE"},
    // Entering update mode: the instructions and NEXT, no exit; the device version only in manual mode.
    {0, 6, 3, true, false, false, 0, 0, "D P FV DV Ready Abort", u"labelUpdateProcessInformation",
     u"LABEL_UPDATE_TRANSITIONING_TO_UPDATE_MODE"},
    {0, 6, 3, true, false, false, 3, 0, "D P FV Ready Abort", u"labelUpdateProcessInformation",
     u"LABEL_UPDATE_TRANSITIONING_TO_UPDATE_MODE"},
    // Already in update mode: offered at once.
    {0, 7, 3, true, false, false, 0, 0, "D P FV Update Exit Abort", u"labelDeviceInformation",
     u"LABEL_DEVICE_IN_UPDATE_MODE"},
    // During the transfer: the process line, the versions and the bar, abort but no exit.
    {1, 8, 3, true, false, true, 0, 0, "P FV Bar Abort", u"labelUpdateProcessInformation",
     u"LABEL_UPDATE_IN_PROGRESS"},
    {2, 4, 3, true, false, false, 0, 4, "F FV E Exit Try", u"labelDeviceCannotUpdateError",
     u"LABEL_DEVICE_DEVICE_ACCESS_FAILURE"},
    {3, 7, 3, true, false, false, 0, 0, "P FV Exit Try", u"labelUpdateProcessInformation",
     u"LABEL_UPDATE_ABORTED"},
    // After a transfer: waiting for the restart, not responding, taken, not taken.
    {4, 8, 3, true, false, true, 0, 0, "P FV Exit Rescan", u"labelUpdateProcessInformation",
     u"LABEL_UPDATE_TRANSITIONING_AFTER_UPDATE"},
    {4, 8, 3, true, false, false, 0, 0, "P FV Exit Try Rescan", u"labelUpdateProcessInformation",
     u"LABEL_UPDATE_SUCESS_UNKNOWN"},
    {4, 5, 3, false, false, false, 0, 0, "P FV DV Exit", u"labelUpdateProcessInformation",
     u"LABEL_UPDATE_SUCCEEDED"},
    {4, 5, 3, true, false, false, 0, 0, "P FV DV Exit Try", u"labelUpdateProcessInformation",
     u"LABEL_UPDATE_SENT_BUT_NOT_SUCCESSFUL"},
};

// The engine and the main control as one row of a table puts them, then the refresh.
void ShowScreen(UpdaterBench& bench, const Screen& screen)
{
    // A transfer found running when the window opens counts as this window's.
    bench.Prepare(screen.updateRunning ? Engine::kStateUpdating : Engine::kStateNoDevice, Engine::kFileNone);
    bench.Show();
    ASSERT_EQ(bench.Main->IsUpdateRunning(), screen.updateRunning)
        << "result " << screen.result << " state " << screen.state;
    bench.Prepare(screen.state, screen.file, screen.result);
    bench.EngineOf->updateNeeded = screen.needed;
    bench.EngineOf->transitionMode = screen.mode;
    bench.EngineOf->reason = screen.reason;
    (void)bench.Processor->SetAlwaysUpdate(screen.allowDowngrade);
    bench.Main->UpdateControls(screen.result, screen.state, screen.file);
}

TEST(StatusDisplayTests, EachScreenShowsItsChildrenAndTexts)
{
    for (const Screen& screen : kScreens)
    {
        std::ostringstream where;
        where << "result " << screen.result << " state " << screen.state << " file " << screen.file << " N "
              << screen.needed << " allow " << screen.allowDowngrade << " running " << screen.updateRunning
              << " mode " << screen.mode << " reason " << screen.reason;
        UpdaterBench bench;
        ShowScreen(bench, screen);

        EXPECT_EQ(Abbreviated(bench.ShownChildren()), screen.shown) << where.str();
        ASSERT_FALSE(bench.TextOf(screen.label, screen.key).empty()) << where.str();
        EXPECT_EQ(bench.Text(screen.label), bench.TextOf(screen.label, screen.key)) << where.str();
    }
}

TEST(StatusDisplayTests, NoScreenShowsTwoButtonsInOnePlace)
{
    for (const Screen& screen : kScreens)
    {
        UpdaterBench bench;
        ShowScreen(bench, screen);
        EXPECT_EQ(Overlapping(bench), "") << "result " << screen.result << " state " << screen.state
                                          << " file " << screen.file << " shown " << screen.shown;
    }
}

TEST(StatusDisplayTests, AfterATransferTryAgainShowsUnlessItsEndIsAwaitedOrTheDeviceTookTheVersion)
{
    // Every device state after a done transfer, with and without its end still awaited and with and
    // without the device still needing the update. TRY AGAIN hides only while the end is awaited, or at
    // normal mode when the device took the version; NEXT asks again for the device until it is back in
    // normal mode. Each shows in a place of its own.
    for (int32_t state = Engine::kStateNoDefinitions; state <= Engine::kStateUpdating; ++state)
    {
        for (const bool running : {false, true})
        {
            for (const bool needed : {false, true})
            {
                const bool tryAgain = !running && !(state == Engine::kStateNormalMode && !needed);
                const bool rescan = state != Engine::kStateNormalMode;
                const Screen screen{Engine::kResultDone,
                                    state,
                                    Engine::kFileValid,
                                    needed,
                                    false,
                                    running,
                                    0,
                                    0,
                                    "",
                                    nullptr,
                                    nullptr};
                std::ostringstream where;
                where << "state " << state << " running " << running << " N " << needed;
                UpdaterBench bench;
                ShowScreen(bench, screen);

                EXPECT_EQ(bench.Visible(u"buttonReinitialize"), tryAgain) << where.str();
                EXPECT_EQ(bench.Visible(u"buttonManualDeviceHasUpdatedRescanButton"), rescan) << where.str();
                EXPECT_TRUE(bench.Visible(u"buttonExit")) << where.str();
                EXPECT_EQ(Overlapping(bench), "") << where.str();
            }
        }
    }
}

TEST(StatusDisplayTests, VersionLinesAreFormattedFromTheirLabelTexts)
{
    UpdaterBench bench;
    bench.Prepare(Engine::kStateNormalMode, Engine::kFileValid);
    bench.Show();

    EXPECT_EQ(bench.Text(u"labelDeviceFirmwareVersion"), "Device's current firmware version: 1.1.5");
    EXPECT_EQ(bench.Text(u"labelFileFirmwareVersion"), "Update to firmware version: 1.2.0");
    EXPECT_EQ(bench.Text(u"updaterVersionLabel"), "Updater: 1.1.9");
}

TEST(StatusDisplayTests, AKeyMissingFromTheTableEmptiesTheLabel)
{
    UpdaterBench bench;
    bench.Prepare(Engine::kStateNormalMode, Engine::kFileValid);
    bench.Show();
    bench.Main->UpdateControls(Engine::kResultNone, Engine::kStateNoDevice, Engine::kFileValid);
    ASSERT_FALSE(bench.Text(u"labelDeviceInformation").empty());

    bench.Main->UpdateControls(Engine::kResultNone, Engine::kStateNoDefinitions, Engine::kFileValid);

    EXPECT_EQ(bench.Text(u"labelDeviceInformation"), "");
}

TEST(StatusDisplayTests, AllowDowngradeTogglesTheOfferOfTheSameVersion)
{
    UpdaterBench bench;
    bench.EngineOf->updateNeeded = false;
    bench.Prepare(Engine::kStateNormalMode, Engine::kFileValid);
    bench.Show();
    ASSERT_FALSE(bench.Visible(u"buttonUpdateFirmware"));

    (void)bench.Main->ToggleAllowDowngrade(nullptr, nullptr);
    EXPECT_TRUE(bench.Visible(u"buttonUpdateFirmware"));
    EXPECT_EQ(bench.Text(u"labelUpdateProcessInformation"),
              bench.TextOf(u"labelUpdateProcessInformation", u"LABEL_READY_FOR_DOWNGRADE_UPDATE"));

    (void)bench.Main->ToggleAllowDowngrade(nullptr, nullptr);
    EXPECT_FALSE(bench.Processor->GetAlwaysUpdate());
    EXPECT_FALSE(bench.Visible(u"buttonUpdateFirmware"));
}
} // namespace
} // namespace UpdaterTest
