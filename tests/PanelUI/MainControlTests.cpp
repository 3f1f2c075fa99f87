#include "PanelUI/UpdaterBench.h"
#include "Support/SkinFragment.h"

#include "Platform/Resources/Resources.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace UpdaterTest
{
namespace
{
// The program's skin as text.
std::string ProgramSkin()
{
    const auto bytes = Platform::FindResource(u"ZQXML", u"APP_SKINS");
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

// The skin without a child called name (the element is renamed).
std::string WithoutChild(std::string skin, const std::string& name)
{
    const std::string attribute = "Name=\"" + name + "\"";
    return skin.replace(skin.find(attribute), attribute.size(), "Name=\"renamed" + name + "\"");
}

// The skin with a progress bar that sweeps while the device enters update mode by itself.
std::string WithTransitioningBar(std::string skin)
{
    const std::string bar =
        R"(<SubControl Class="Framework.ProgressBar" Name="controlTransitioningToUpdateMode"
        XPositionAbs="20" YPositionAbs="300" XSizeAbs="360" YSizeAbs="10">
      <SubControl Class="Framework.Label" Name="activeOverlay"/>
      <SubControl Class="Framework.Label" Name="percentCompleteLabel"/>
      <SubControl Class="Framework.Label" Name="timeRemainingLabel"/>
    </SubControl>)";
    return skin.insert(skin.find("<SubControl Class=\"Framework.Label\" Name=\"updaterVersionLabel\""), bar);
}

TEST(MainControlTests, AMissingRequiredChildFailsItsCreationNamingTheLine)
{
    struct Case
    {
        const char* child;
        const char* text;
    };
    const Case cases[] = {
        {"buttonExit", "Runtime Error : Null Pointer : LMainControl couldn't find buttonExit : "
                       "ZQ::LMainControl::Initialize : UI\\MainControl : Line 75"},
        {"labelFileFirmwareVersion",
         "Runtime Error : Null Pointer : LMainControl couldn't find "
         "labelFileFirmwareVersion : ZQ::LMainControl::Initialize : UI\\MainControl : "
         "Line 125"},
        {"progressBar", "Runtime Error : Null Pointer : LMainControl couldn't find progressBar : "
                        "ZQ::LMainControl::Initialize : UI\\MainControl : Line 134"},
        {"updaterVersionLabel",
         "Runtime Error : Null Pointer : LMainControl couldn't find updaterVersionLabel "
         ": ZQ::LMainControl::Initialize : UI\\MainControl : Line 140"},
    };
    for (const Case& c : cases)
    {
        UpdaterBench bench(WithoutChild(ProgramSkin(), c.child));
        try
        {
            bench.Show();
            ADD_FAILURE() << c.child << ": no error";
        }
        catch (const std::runtime_error& error)
        {
            EXPECT_STREQ(error.what(), c.text);
        }
    }
}

TEST(MainControlTests, OptionalChildrenMayBeMissing)
{
    UpdaterBench bench(WithoutChild(WithoutChild(ProgramSkin(), "buttonAbort"), "buttonScanForDevice"));
    bench.Prepare(Engine::kStateNormalMode, Engine::kFileValid);
    bench.Show();
    EXPECT_TRUE(bench.Main->HasNoScanButton());
    EXPECT_TRUE(bench.Visible(u"buttonUpdateFirmware"));

    // Without a scan button a lost device would be searched for in the background, which the program
    // does not do.
    bench.EngineOf->SetState(Engine::kStateNoDevice);
    EXPECT_THROW(bench.Deliver(), std::logic_error);
}

TEST(MainControlTests, TheSweepHoldsOneIdleRequestWhileTheDeviceEntersUpdateMode)
{
    UpdaterBench bench(WithTransitioningBar(ProgramSkin()));
    bench.Prepare(Engine::kStateEnteringUpdateMode, Engine::kFileValid);
    bench.EngineOf->transitionMode = 3;
    bench.Show();
    const ZQ::RCPtr<ZQ::LProgressBar> bar(bench.Child(u"controlTransitioningToUpdateMode"));
    ASSERT_NE(bar, nullptr);
    EXPECT_FALSE(bench.Visible(u"labelDeviceInformation"));

    // Each refresh of the same screen keeps the one request.
    for (int i = 0; i < 3; ++i)
        bench.Main->UpdateControls(Engine::kResultNone, Engine::kStateEnteringUpdateMode, Engine::kFileValid);
    EXPECT_EQ(bench.Main->GetIdleRequests(), 1);

    (void)bench.Window->ProcessIdle(true);
    (void)bench.Window->ProcessIdle(true);
    EXPECT_NEAR(bar->ScaleValue(bar->GetValue()), 4.0, 1e-9);

    bench.Main->UpdateControls(Engine::kResultRunning, Engine::kStateUpdating, Engine::kFileValid);
    EXPECT_EQ(bench.Main->GetIdleRequests(), 0);
}

TEST(MainControlTests, TheSweepWrapsAndStopsOutsideItsMode)
{
    UpdaterBench bench(WithTransitioningBar(ProgramSkin()));
    bench.Prepare(Engine::kStateEnteringUpdateMode, Engine::kFileValid);
    bench.EngineOf->transitionMode = 4;
    bench.Show();
    const ZQ::RCPtr<ZQ::LProgressBar> bar(bench.Child(u"controlTransitioningToUpdateMode"));
    (void)bar->SetValue(bar->UnscaleValue(99.0));
    bench.Main->OnIdle();
    EXPECT_NEAR(bar->ScaleValue(bar->GetValue()), 0.0, 1e-9);

    bench.EngineOf->transitionMode = 0;
    bench.Main->OnIdle();
    EXPECT_NEAR(bar->ScaleValue(bar->GetValue()), 0.0, 1e-9);
}

TEST(MainControlTests, TheChosenFileGoesToTheEngineAndACancelChangesNothing)
{
    UpdaterBench bench;
    bench.Prepare(Engine::kStateNormalMode, Engine::kFileNone);
    bench.Show();

    Platform::Window::DialogScript::AnswerNextOpenFile({});
    bench.Click(u"buttonSelectFirmwareFile");
    ZQ::WString path;
    (void)bench.EngineOf->GetFirmwareFilePath(path);
    EXPECT_TRUE(path.IsEmpty());
    const auto asked = Platform::Window::DialogScript::LastOpenFile();
    ASSERT_TRUE(asked.has_value());
    EXPECT_TRUE(asked->title == u"Select Firmware File");
    // Both the program's own firmware kinds are offered, then every file.
    using Filters = std::vector<std::pair<std::u16string, std::u16string>>;
    EXPECT_TRUE(asked->filters ==
                (Filters{{u"Firmware Files (*.syx;*.bin)", u"*.syx;*.bin"}, {u"All files (*.*)", u"*.*"}}));
    EXPECT_TRUE(asked->defaultExtension == u"syx");
    EXPECT_FALSE(asked->multiSelect);

    Platform::Window::DialogScript::AnswerNextOpenFile({{u"/firmware/QD51DSP_FULL.syx"}});
    bench.Click(u"buttonSelectFirmwareFile");
    (void)bench.EngineOf->GetFirmwareFilePath(path);
    EXPECT_EQ(TestSupport::Utf8(path), "/firmware/QD51DSP_FULL.syx");
    // The same dialog starts the next time where this choice was made.
    ASSERT_NE(bench.Main->GetFileDialog(), nullptr);
    EXPECT_EQ(TestSupport::Utf8(bench.Main->GetFileDialog()->GetInitialFolder()), "/firmware");
}

TEST(MainControlTests, MenuCommandsReachTheMainControlThroughItsWindow)
{
    UpdaterBench bench;
    bench.Prepare(Engine::kStateNormalMode, Engine::kFileValid);
    bench.Show();
    const ZQ::RCPtr<ZQ::LNotificationDistributor> window(bench.Window);

    (void)window->Notify(ZQ::LNotification::Create(u"NID_MENU_OPTIONS_ALLOW_DOWNGRADE"));
    EXPECT_TRUE(bench.Processor->GetAlwaysUpdate());
    (void)window->Notify(ZQ::LNotification::Create(u"NID_MENU_OPTIONS_ALLOW_DOWNGRADE"));
    EXPECT_FALSE(bench.Processor->GetAlwaysUpdate());

    Platform::Window::DialogScript::AnswerNextOpenFile({});
    (void)window->Notify(ZQ::LNotification::Create(u"NID_MENU_FILE_SELECT"));
    EXPECT_TRUE(Platform::Window::DialogScript::LastOpenFile().has_value());
}
} // namespace
} // namespace UpdaterTest
