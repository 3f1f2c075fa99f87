#include "Program/ProgramTestApplication.h"

#include "Platform/Window/Dialogs.h"
#include "ZQFramework/Application/Framework/FrameworkWinMain.h"
#include "ZQFramework/ControlBase/StringTable.h"

#include <gtest/gtest.h>
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

TEST_F(StartupTest, FailuresOfTheStartUpEndInTheStartUpErrorBoxAndANormalExit)
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
        EXPECT_EQ(RunProgram(c.skins), 0) << c.name;
        EXPECT_EQ(ShownText(), c.shown) << c.name;
        ASSERT_TRUE(DialogScript::LastMessageBox().has_value()) << c.name;
        EXPECT_EQ(DialogScript::LastMessageBox()->flags, Platform::Window::kMbIconError) << c.name;
    }
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
