#pragma once

#include "Platform/Window/Dialogs.h"
#include "Platform/Window/MessageLoop.h"
#include "ZQFramework/Application/Framework/ApplicationBase.h"
#include "ZQFramework/Application/Framework/FrameworkWinMain.h"
#include "ZQFramework/Application/FrameworkServices.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// A program for tests of the entry and start-up: an application class with a start-up result to choose,
// that keeps the command lines other instances hand over, and a host that reads its string tables and
// skins from a folder. Shared by the in-process tests and the host program that the x11 tests start.
namespace ZQTest
{
class ProgramTestApplication : public ZQ::LApplicationBase<ProgramTestApplication>
{
public:
    ProgramTestApplication(const ZQ::RCPtr<ZQ::LControlFactory>& factory,
                           const ZQ::RCPtr<ZQ::LStringTable>& frameworkStrings,
                           const ZQ::WString& commandLine)
        : LApplicationBase(factory, frameworkStrings, commandLine)
    {
    }

    [[nodiscard]] static const char16_t* GetIdentityString() { return u"ZQProgramTest"; }
    void GetVersionKey(ZQ::WString& text) const override { text = u"1.0.0"; }
    void GetMainControlName(ZQ::WString& text) const override { text = u"mainControl"; }
    [[nodiscard]] ZQ::IIniFileManager::Handle GetIniFile(int32_t /*kind*/) override { return 0; }
    [[nodiscard]] int32_t GetRendererType() const override { return 1; }
    [[nodiscard]] bool IsExitAllowed() override { return true; }

    // The framework's start-up, then the chosen result with the chosen exit value.
    ZQRESULT RunApplicationStartup() override
    {
        StartedWith() = ZQ::AString(ZQ::WString(GetCommandLine())).GetBuffer();
        if (const ZQRESULT result = LApplicationBase::RunApplicationStartup(); result < 0)
            return result;
        if (StartupResult != 0)
            ZQ::ProcessExitValue = StartupExitValue;
        return StartupResult;
    }

    // Kept, and appended as a line to the file $ZQ_TEST_RECEIVED_FILE names.
    int32_t OnCommandLineFromOtherInstance(const ZQ::WString& commandLine) override
    {
        const std::string line(ZQ::AString(commandLine).GetBuffer());
        Received().push_back(line);
        if (const char* file = std::getenv("ZQ_TEST_RECEIVED_FILE"); file != nullptr)
            std::ofstream(file, std::ios::app) << line << '\n';
        return 0;
    }

    // With $ZQ_TEST_MESSAGE_BOX set, the loop's first message asks that text in a box, as the program asks
    // its questions: owned by the main window, with the loop running inside the box.
    void OnPreMessageLoop() override
    {
        constexpr uint32_t kAsk = 0x0400;
        Platform::Window::MessageLoop* loop = Platform::Window::MessageLoop::Current();
        const char* text = std::getenv("ZQ_TEST_MESSAGE_BOX");
        if (loop == nullptr || text == nullptr)
            return;
        const Platform::Window::WindowHandle asker = loop->CreateMessageWindow(
            [this, question = ZQ::WString(text)](const Platform::Window::Message& message)
            {
                if (message.message == kAsk)
                    (void)ShowMessageBox(question, u"Test", Platform::Window::kMbOkCancel);
                return Platform::Window::LResult{0};
            });
        loop->PostMessage({asker, kAsk, 0, 0});
    }

    // The command line the last application started with.
    static std::string& StartedWith()
    {
        static std::string line;
        return line;
    }

    static std::vector<std::string>& Received()
    {
        static std::vector<std::string> received;
        return received;
    }

    static inline ZQRESULT StartupResult = 0;
    static inline int32_t StartupExitValue = 0;
};

// The host, reading its documents from a folder instead of the program's resources.
class ProgramTestHost : public ZQ::MFCFrameworkApp<ProgramTestApplication>
{
public:
    explicit ProgramTestHost(std::filesystem::path folder) : mFolder(std::move(folder)) {}

protected:
    [[nodiscard]] ZQ::WString GetResourceFolder() const override
    {
        return ZQ::WString(mFolder.string().c_str());
    }

private:
    std::filesystem::path mFolder;
};

// The documents of the test program: a main control of 400 x 450 that cannot change its size at
// 100, 80, and the framework's start-up error texts in German words.
inline constexpr const char* kFixedMainControl =
    R"(<SubControl Class="Framework.Label" Name="mainControl" XPositionAbs="100" YPositionAbs="80"
        XSizeAbs="400" YSizeAbs="450" XMinSizeAbs="400" YMinSizeAbs="450" XMaxSizeAbs="400" YMaxSizeAbs="450"/>)";

inline std::string ProgramSkins(const std::string& mainControl)
{
    return R"(<?xml version="1.0"?>
<Zorvane_Skin_Definitions><Application Name="Q3300 Splen"><Skins>
<Skin Name="default" FontName="Arial" FontSize="9">)" +
           mainControl + R"(</Skin></Skins></Application></Zorvane_Skin_Definitions>
)";
}

inline constexpr const char* kFrameworkStrings = R"(<?xml version="1.0"?>
<Zorvane_StringTable_Definitions><Application Name="Q3300 Splen"><StringTable ID="Framework">
<String ID="STARTUP_ERROR"><Locale LCID="0x0009">Startfehler</Locale></String>
<String ID="STARTUP_ERROR_CAPTION"><Locale LCID="0x0009">Fehler</Locale></String>
</StringTable></Application></Zorvane_StringTable_Definitions>
)";

inline constexpr const char* kApplicationStrings = R"(<?xml version="1.0"?>
<Zorvane_StringTable_Definitions><Application Name="Q3300 Splen"><StringTable ID="|Q3300 Splen">
</StringTable></Application></Zorvane_StringTable_Definitions>
)";

// Writes the three documents into folder (made when missing).
inline void WriteProgramDocuments(const std::filesystem::path& folder, const std::string& skins)
{
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "Skins.xml", std::ios::binary) << skins;
    std::ofstream(folder / "FrameworkStrings.xml", std::ios::binary) << kFrameworkStrings;
    std::ofstream(folder / "StringTables.xml", std::ios::binary) << kApplicationStrings;
}
} // namespace ZQTest
