#include "Program/ProgramTestApplication.h"

#include "Platform/Window/Dialogs.h"
#include "ZQFramework/Application/Framework/FrameworkWinMain.h"
#include "ZQFramework/ControlBase/Skin/StringTable.h"

#include <cairo.h>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace
{
using Platform::Window::DialogScript;
using ZQTest::ProgramTestApplication;
using ZQTest::ProgramTestHost;

constexpr const char16_t* kEnglishText =
    u"The application encountered problems during startup and will now close.";

// A host over documents in a private folder, with the start-up result and exit value to play.
struct StartupTest : ::testing::Test
{
    StartupTest()
    {
        DialogScript::Reset();
        DialogScript::AnswerNextMessageBox(Platform::Window::kIdOk);
        ZQ::ProcessExitValue = 0;
        ProgramTestApplication::StartupResult = 0;
        ProgramTestApplication::StartupExitValue = 0;
    }
    ~StartupTest() override
    {
        std::filesystem::remove_all(folder);
        DialogScript::Reset();
        ZQ::ProcessExitValue = 0;
        ProgramTestApplication::StartupResult = 0;
    }

    int RunProgram(const std::string& skins)
    {
        ZQTest::WriteProgramDocuments(folder, skins);
        ProgramTestHost host(folder);
        const int exitCode = ZQ::FrameworkWinMain(u"/opt/zq/program -SILENT", 1, 0x0409, u"");
        EXPECT_EQ(ZQ::LFrameworkApp::GetInstance(), nullptr) << "the application outlived the program";
        EXPECT_EQ(host.GetControlFactory(), nullptr);
        return exitCode;
    }

    [[nodiscard]] static std::u16string ShownText()
    {
        const auto box = DialogScript::LastMessageBox();
        return box.has_value() ? box->text + u" / " + box->caption : u"(no box)";
    }

    std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                   ("zq-program-" + std::to_string(getpid()) + "-" +
                                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
};

TEST_F(StartupTest, AnOrderlyEndOfTheStartUpEndsWithoutWindowOrBoxWithTheExitValue)
{
    ProgramTestApplication::StartupResult = static_cast<ZQRESULT>(0x8000A020);
    ProgramTestApplication::StartupExitValue = 5;
    EXPECT_EQ(RunProgram(ZQTest::ProgramSkins(ZQTest::kFixedMainControl)), 5);
    EXPECT_FALSE(DialogScript::LastMessageBox().has_value())
        << std::string(ZQ::AString(ShownText().c_str()).GetBuffer());
}

TEST_F(StartupTest, TheCommandLineGoesFromTheEntryThroughTheHostToTheApplication)
{
    ProgramTestApplication::StartedWith().clear();
    ProgramTestApplication::StartupResult = static_cast<ZQRESULT>(0x8000A020);
    (void)RunProgram(ZQTest::ProgramSkins(ZQTest::kFixedMainControl));
    EXPECT_EQ(ProgramTestApplication::StartedWith(), "/opt/zq/program -SILENT");

    // The line belonged to that host: a new host has none until the entry hands it one.
    const ProgramTestHost next(folder);
    EXPECT_TRUE(next.GetCommandLine().IsEmpty());
}

TEST_F(StartupTest, FailuresOfTheStartUpEndInTheStartUpErrorBoxAndAFailedExit)
{
    struct Case
    {
        const char* name;
        ZQRESULT startupResult;
        std::string skins;
        std::u16string shown;
    };
    const std::string fixed = ZQTest::ProgramSkins(ZQTest::kFixedMainControl);
    const Case cases[] = {
        {"the start-up gives E_FAIL", E_FAIL, fixed, u"Startfehler / Fehler"},
        {"the skin has no main control", 0,
         ZQTest::ProgramSkins(R"(<SubControl Class="Framework.Label" Name="other"/>)"),
         u"Startfehler / Fehler"},
        // The string tables are taken only once the skins have loaded: the English texts.
        {"the skin does not load", 0, "<Zorvane_Skin_Definitions><Application",
         std::u16string(kEnglishText) + u" / Error"},
    };
    for (const Case& c : cases)
    {
        DialogScript::Reset();
        DialogScript::AnswerNextMessageBox(Platform::Window::kIdOk);
        ProgramTestApplication::StartupResult = c.startupResult;
        ZQ::ProcessExitValue = 0;
        // A failed start is never taken for success: the failed start's value (the host's default here).
        EXPECT_EQ(RunProgram(c.skins), 1) << c.name;
        EXPECT_EQ(ShownText(), c.shown) << c.name;
        ASSERT_TRUE(DialogScript::LastMessageBox().has_value()) << c.name;
        EXPECT_EQ(DialogScript::LastMessageBox()->flags, Platform::Window::kMbIconError) << c.name;
    }
}

// A splash window that records the bar's positions, and whether it is still there.
struct RecordedSplash
{
    std::mutex Lock;
    std::vector<int32_t> Positions;
    int32_t Width = 0;
    bool Open = false;
};

class RecordingSplashWindow : public ZQ::ISplashWindow
{
public:
    explicit RecordingSplashWindow(RecordedSplash& record) : mRecord(record)
    {
        const std::lock_guard lock(mRecord.Lock);
        mRecord.Open = true;
    }
    ~RecordingSplashWindow() override
    {
        const std::lock_guard lock(mRecord.Lock);
        mRecord.Open = false;
    }
    void SetProgress(int32_t position) override
    {
        const std::lock_guard lock(mRecord.Lock);
        mRecord.Positions.push_back(position);
    }
    void PumpEvents(std::chrono::milliseconds timeout) override { std::this_thread::sleep_for(timeout); }

private:
    RecordedSplash& mRecord;
};

TEST_F(StartupTest, TheSplashImageShowsDuringTheStartUpAndEndsFull)
{
    ZQTest::WriteProgramDocuments(folder, ZQTest::ProgramSkins(ZQTest::kFixedMainControl));
    cairo_surface_t* picture = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 30, 20);
    ASSERT_EQ(cairo_surface_write_to_png(picture, (folder / "Splash.png").c_str()), CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(picture);
    ProgramTestApplication::StartupResult = static_cast<ZQRESULT>(0x8000A020);

    RecordedSplash record;
    {
        ProgramTestHost host(folder);
        host.SetSplashImageName(u"Splash.png");
        EXPECT_EQ(std::string(ZQ::AString(host.GetSplashImageName()).GetBuffer()),
                  (folder / "Splash.png").string());
        host.SetSplashWindowFactory(
            [&](const ZQ::SplashPicture& shown)
            {
                record.Width = shown.Width;
                return std::make_unique<RecordingSplashWindow>(record);
            });
        EXPECT_EQ(ZQ::FrameworkWinMain(u"/opt/zq/program", 1, 0x0409, u"Splash.png"), 0);
        EXPECT_EQ(host.GetSplashScreen(), nullptr);
    }
    const std::lock_guard lock(record.Lock);
    EXPECT_FALSE(record.Open);
    EXPECT_EQ(record.Width, 30);
    ASSERT_FALSE(record.Positions.empty());
    EXPECT_EQ(record.Positions.front(), 0); // the animation's start
    EXPECT_EQ(record.Positions.back(), 100);
}

TEST_F(StartupTest, WithoutTheSplashImageNoSplashIsShown)
{
    ZQTest::WriteProgramDocuments(folder, ZQTest::ProgramSkins(ZQTest::kFixedMainControl));
    ProgramTestHost host(folder);
    host.SetSplashImageName(u"Splash.png");
    EXPECT_TRUE(host.GetSplashImageName().IsEmpty());
    host.SetSplashImageName(u"");
    EXPECT_TRUE(host.GetSplashImageName().IsEmpty());
    host.ShowSplash();
    EXPECT_EQ(host.GetSplashScreen(), nullptr);
}

TEST(StartupErrorText, TheFrameworkTableReplacesEachTextItHas)
{
    EXPECT_EQ(ZQ::GetStartupErrorText(nullptr).Text, kEnglishText);
    EXPECT_EQ(ZQ::GetStartupErrorText(nullptr).Caption, u"Error");
    const ZQ::RCPtr<ZQ::LStringTable> onlyCaption =
        ZQ::LStringTable::Create({{u"STARTUP_ERROR_CAPTION", u"Oops"}});
    EXPECT_EQ(ZQ::GetStartupErrorText(onlyCaption).Text, kEnglishText);
    EXPECT_EQ(ZQ::GetStartupErrorText(onlyCaption).Caption, u"Oops");
}

TEST(OrderlyEndResults, OnlyTheSixResultsEndQuietly)
{
    for (const uint32_t result :
         {0x8000A000u, 0x8000A001u, 0x8000A002u, 0x8000A003u, 0x8000A010u, 0x8000A020u})
        EXPECT_TRUE(ZQ::IsOrderlyEndResult(static_cast<ZQRESULT>(result))) << std::hex << result;
    for (const uint32_t result : {0x80004005u, 0x8000A004u, 0x8000A011u, 0x8000A021u, 0u})
        EXPECT_FALSE(ZQ::IsOrderlyEndResult(static_cast<ZQRESULT>(result))) << std::hex << result;
}

TEST(DebugConsoleOption, IsParsedFromTheUpperCasedCommandLine)
{
    struct Case
    {
        const char* line;
        bool open;
        bool target;
        const char* host;
        int32_t port;
    };
    const Case cases[] = {
        {"PROG -DEBUG_CONSOLE", true, false, "", 0},
        {"PROG -DEBUG_CONSOLE -SILENT", true, false, "", 0},
        {"PROG -DEBUG_CONSOLE:5000:MYHOST -SILENT", false, true, "MYHOST", 5000},
        {"PROG -DEBUG_CONSOLE:5:MYHOST", false, false, "", 0},
        {"PROG -DEBUG_CONSOLE:5000", false, true, "", 5000},
        {"PROG -DEBUG_CONSOLE:5000:", false, true, "", 5000},
        {"PROG -DEBUG_CONSOLE:", false, false, "", 0},
        // The port's text runs to the next colon of the line, wherever it is.
        {"PROG -DEBUG_CONSOLE:5 -A:B", false, true, "", 5},
        {"PROG -DEBUG_CONSOLE:5000 -A:B", false, true, "", 5000},
        {"PROG -SILENT", false, false, "", 0},
    };
    for (const Case& c : cases)
    {
        const ZQ::DebugConsoleOption option = ZQ::ParseDebugConsoleOption(c.line);
        EXPECT_EQ(option.OpenConsole, c.open) << c.line;
        EXPECT_EQ(option.SetTarget, c.target) << c.line;
        EXPECT_EQ(option.Host, c.host) << c.line;
        EXPECT_EQ(option.Port, c.port) << c.line;
    }
}
} // namespace
