#include "ZQFramework/Application/Framework/FrameworkWinMain.h"

#include "Platform/Resources/Resources.h"
#include "Platform/Text/Utf.h"
#include "Platform/Window/Dialogs.h"
#include "Platform/Window/Display.h"
#include "Platform/Window/MessageLoop.h"
#include "ZQFramework/Application/Framework/StringTablesAndSkins.h"
#include "ZQFramework/Application/Version.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/ControlBase/Windows/WindowOSServices.h"
#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/System/DebugConsole.h"
#include "ZQFramework/Utilities/Graphics/Bitmap.h"
#include "ZQFramework/Utilities/Storage/File.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <vector>

namespace ZQ
{
namespace
{
std::atomic<CFrameworkWinApp*> gHost{nullptr};

constexpr uintptr_t kCommandLineCopyDataId = 0x465;
// How long a second instance waits for the running one to take its command line.
constexpr std::chrono::seconds kHandOverTimeout{10};

constexpr const char* kWhereInitApplication =
    "ZQ::MFCFrameworkApp<class LApplication>::InitApplication : "
    "zqframework\\include\\../Application/ApplicationBaseWin : Line 169";
constexpr const char* kWhereRunStartup = "ZQ::MFCFrameworkApp<class LApplication>::Run : "
                                         "zqframework\\include\\../Application/ApplicationBaseWin : "
                                         "Line 380";
constexpr const char* kWhereRunMainWindow = "ZQ::MFCFrameworkApp<class LApplication>::Run : "
                                            "zqframework\\include\\../Application/ApplicationBaseWin : "
                                            "Line 361";
constexpr const char* kWhereRunRootControl = "ZQ::MFCFrameworkApp<class LApplication>::Run : "
                                             "zqframework\\include\\../Application/ApplicationBaseWin : "
                                             "Line 362";

std::u16string View(const WString& text)
{
    return {text.GetBuffer(), static_cast<size_t>(text.GetLength())};
}

std::string UpperAscii(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
    return text;
}

// The user's language as the locale variables name it (LC_ALL, LC_MESSAGES, LANG, the first set).
int32_t UserDefaultLocale()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
    {
        if (const char* value = std::getenv(name); value != nullptr && *value != '\0')
            return Version::LanguageFromLocaleName(value);
    }
    return Version::LanguageFromLocaleName("");
}

// The root windows' native windows, taken away (the last first).
void DestroyApplicationWindows(LFrameworkApp& application)
{
    for (uint32_t count = application.GetRootWindowCount(); count > 0; --count)
    {
        const RCPtr<LRootWindow> root(application.GetRootWindowAt(count - 1));
        if (root != nullptr && root->GetServices() != nullptr)
            (void)root->GetServices()->EndModal(0);
        else if (root != nullptr)
            application.UnregisterRootWindow(root.Get());
    }
}
} // namespace

// --- Pure pieces ---

DebugConsoleOption ParseDebugConsoleOption(std::string_view upperCommandLine)
{
    DebugConsoleOption option;
    constexpr std::string_view kOption = "-DEBUG_CONSOLE";
    constexpr std::string_view kWithTarget = "-DEBUG_CONSOLE:";
    if (upperCommandLine.find(kOption) == std::string_view::npos)
        return option;
    const size_t position = upperCommandLine.find(kWithTarget);
    if (position == std::string_view::npos)
    {
        option.OpenConsole = true;
        return option;
    }
    const size_t start = position + kWithTarget.size();
    size_t end = upperCommandLine.find(' ', start);
    if (end == std::string_view::npos)
        end = upperCommandLine.size();
    // The next colon anywhere on the line, even past the option's end.
    size_t colon = upperCommandLine.find(':', start);
    if (colon == std::string_view::npos)
        colon = end;
    if (colon <= start + 1)
        return option;
    option.SetTarget = true;
    option.Port = std::atoi(std::string(upperCommandLine.substr(start, colon - start)).c_str());
    if (colon + 1 < end)
        option.Host = std::string(upperCommandLine.substr(colon + 1, end - colon - 1));
    return option;
}

StartupErrorText GetStartupErrorText(const RCPtr<LStringTable>& frameworkStringTable)
{
    StartupErrorText text{WString(CFrameworkWinApp::kStartupError), WString(u"Error")};
    if (frameworkStringTable != nullptr)
    {
        WString entry;
        if (frameworkStringTable->GetString(u"STARTUP_ERROR", entry))
            text.Text = entry;
        entry.Empty();
        if (frameworkStringTable->GetString(u"STARTUP_ERROR_CAPTION", entry))
            text.Caption = entry;
    }
    return text;
}

bool IsOrderlyEndResult(ZQRESULT result)
{
    static constexpr uint32_t kOrderlyEnds[] = {0x8000A000, 0x8000A001, 0x8000A002,
                                                0x8000A003, 0x8000A010, 0x8000A020};
    return std::find(std::begin(kOrderlyEnds), std::end(kOrderlyEnds), static_cast<uint32_t>(result)) !=
           std::end(kOrderlyEnds);
}

// --- CFrameworkWinApp ---

CFrameworkWinApp::CFrameworkWinApp()
{
    gHost.store(this);
}

CFrameworkWinApp::~CFrameworkWinApp()
{
    CFrameworkWinApp* self = this;
    (void)gHost.compare_exchange_strong(self, nullptr);
}

CFrameworkWinApp* CFrameworkWinApp::Current()
{
    return gHost.load();
}

bool CFrameworkWinApp::InitApplication()
{
    try
    {
        mHosted = false;
        ShowSplash();
        LoadStartupResources();
        return CheckSingleInstance();
    }
    catch (...)
    {
        HideSplash();
        ShowStartupError();
        MarkFailedStart();
        return false;
    }
}

void CFrameworkWinApp::LoadStartupResources()
{
    mControlFactory = LControlFactory::Create(Version(nullptr).GetProductName());
    if (const ZQRESULT result = LoadStringTablesAndSkins(mControlFactory, GetResourceFolder(), mLocale);
        result < 0)
        ThrowFailedResult(result, kWhereInitApplication);
    mFrameworkStringTable = mControlFactory->GetFrameworkStringTable();
}

bool CFrameworkWinApp::CheckSingleInstance()
{
    const std::string identity = Platform::Utf16ToUtf8(GetIdentityString());
    mInstanceLock = std::make_unique<Platform::Window::NamedLock>(identity + "Prevent");
    mFirstInstance = !mInstanceLock->AlreadyExisted();
    if (mFirstInstance)
        return true;
    // A running instance that has no window yet cannot take the command line: this one runs in full.
    const Platform::Window::WindowHandle window = Platform::Window::FindTopLevelWindow(identity);
    if (window == 0)
        return true;
    // Its message box or file chooser stays in front of it.
    const Platform::Window::WindowHandle popup = Platform::Window::GetLastActivePopup(window);
    Platform::Window::RestoreAndRaise(window);
    if (popup != window)
        Platform::Window::RestoreAndRaise(popup);
    const std::string text = Platform::Utf16ToUtf8(View(GetCommandLine()));
    if (!text.empty())
    {
        std::vector<uint8_t> bytes(text.begin(), text.end());
        bytes.push_back(0);
        (void)Platform::Window::SendCopyData(window, kCommandLineCopyDataId, bytes, kHandOverTimeout);
    }
    return false;
}

void CFrameworkWinApp::MarkFailedStart() const
{
    int32_t unset = 0;
    (void)ProcessExitValue.compare_exchange_strong(unset, mFailedStartExitValue);
}

void CFrameworkWinApp::ShowStartupError() const
{
    const StartupErrorText text = GetStartupErrorText(mFrameworkStringTable);
    (void)Platform::Window::ShowMessageBox(0, View(text.Text), View(text.Caption),
                                           Platform::Window::kMbIconError);
}

bool CFrameworkWinApp::InitInstance()
{
    const DebugConsoleOption option =
        ParseDebugConsoleOption(UpperAscii(Platform::Utf16ToUtf8(View(GetCommandLine()))));
    if (option.OpenConsole)
        DebugConsole::Open();
    if (option.SetTarget)
        DebugConsole::SetUDPTarget(option.Host.empty() ? nullptr : option.Host.c_str(), option.Port);
    return true;
}

int32_t CFrameworkWinApp::Run()
{
    const RCPtr<LFrameworkApp> application =
        CreateApplication(mControlFactory, mFrameworkStringTable, mCommandLine);
    mApplication = application;
    try
    {
        StartApplicationWindow(application);
    }
    catch (...)
    {
        // The windows go before the application, as after a loop that ended.
        DestroyApplicationWindows(*application);
        (void)application->RunApplicationShutdown();
        mApplication = nullptr;
        throw;
    }
    // A loop ended by a quit alone leaves the windows behind; they go (keeping their placement) while the
    // application and the display are still there.
    DestroyApplicationWindows(*application);
    (void)application->RunApplicationShutdown();
    mApplication = nullptr;
    return 1;
}

void CFrameworkWinApp::StartApplicationWindow(const RCPtr<LFrameworkApp>& application)
{
    const WString& commandLine = GetCommandLine();
    (void)application->OnPreApplicationStartup(commandLine);
    if (const ZQRESULT result = application->RunApplicationStartup(); result < 0)
    {
        if (!IsOrderlyEndResult(result))
            ThrowFailedResult(result, kWhereRunStartup);
        HideSplash();
        return;
    }
    (void)application->OnPostApplicationStartup(commandLine);
    (void)OpenDisplay();
    if (const ZQRESULT result = application->CreateMainWindow(application->GetRendererType()); result < 0)
        ThrowFailedResult(result, kWhereRunMainWindow);
    WString mainControlName;
    application->GetMainControlName(mainControlName);
    const RCPtr<LRootWindow> root(application->GetFirstRootWindow());
    const ZQRESULT rootResult = root != nullptr ? root->SetRootControlByName(mainControlName) : E_FAIL;
    if (rootResult < 0)
        ThrowFailedResult(rootResult, kWhereRunRootControl);
    if (IWindowOSServices* services = root->GetServices(); services != nullptr)
    {
        (void)services->Show(Platform::Window::kSwShow);
        (void)services->RedrawNow();
    }
    HideSplash();
    (void)application->RunApplication();
}

bool CFrameworkWinApp::OpenDisplay()
{
    if (Platform::Window::Display::Current() != nullptr)
        return true;
    Platform::Window::MessageLoop* loop = Platform::Window::MessageLoop::Current();
    if (loop == nullptr)
        return false;
    mDisplay = Platform::Window::Display::Open(*loop);
    return mDisplay != nullptr;
}

bool CFrameworkWinApp::OnIdle(int32_t count)
{
    const RCPtr<LFrameworkApp> application = mApplication;
    if (application == nullptr || application->IsExiting())
        return false;
    const bool more = application->ProcessPendingNotifications(count == 0);
    return more && count < 2;
}

int32_t CFrameworkWinApp::ExitInstance()
{
    return 1;
}

WString CFrameworkWinApp::GetSplashImageName() const
{
    const WString folder = GetResourceFolder();
    const WString imageName(mSplashImageName != nullptr ? mSplashImageName : u"");
    if (imageName.IsEmpty())
        return WString();
    if (View(folder).starts_with(u"::"))
    {
        const WString name = folder + imageName;
        const std::u16string resource = View(name).substr(2);
        return Platform::FindResource(u"GDIPLUS", resource).has_value() ? name : WString();
    }
    const WString path = folder + u"/" + imageName;
    return File::Exists(path) ? path : WString();
}

void CFrameworkWinApp::ShowSplash()
{
    const WString name = GetSplashImageName();
    if (name.IsEmpty())
        return;
    const RCPtr<LBitmap> bitmap = LBitmap::GetNamedBitmap(name);
    if (mSplashScreen != nullptr)
        return;
    mSplashScreen = mSplashWindowFactory ? std::make_unique<CSplashScreen>(mSplashWindowFactory)
                                         : std::make_unique<CSplashScreen>();
    mSplashScreen->SetBitmap(bitmap);
    mSplashScreen->Start();
    mSplashScreen->AnimateProgress(0, 100, 8);
}

void CFrameworkWinApp::HideSplash()
{
    if (mSplashScreen == nullptr)
        return;
    mSplashScreen->SetProgress(100);
    mSplashScreen->Stop();
    mSplashScreen.reset();
}

void CFrameworkWinApp::ReleaseProcessObjects()
{
    if (mSplashScreen != nullptr)
    {
        mSplashScreen->Stop();
        mSplashScreen.reset();
    }
    mApplication = nullptr;
    mDisplay.reset();
    (void)std::exchange(mControlFactory, nullptr);
    (void)std::exchange(mFrameworkStringTable, nullptr);
}

// --- The entry ---

int FrameworkWinMain(const WString& commandLine, int32_t /*showCommand*/, int32_t localeId,
                     const char16_t* splashImageName)
{
    CFrameworkWinApp* host = CFrameworkWinApp::Current();
    if (host == nullptr)
        return ProcessExitValue.load();
    // The process's one loop; windows, dialogs and the application's loop run on it.
    std::unique_ptr<Platform::Window::MessageLoop> loop;
    if (Platform::Window::MessageLoop::Current() == nullptr)
        loop = std::make_unique<Platform::Window::MessageLoop>();
    host->SetCommandLine(commandLine);
    host->SetLocale(localeId == -1 ? (UserDefaultLocale() & 0xFFFF) : localeId);
    host->SetSplashImageName(splashImageName);
    try
    {
        if (host->InitApplication())
        {
            if (host->InitInstance())
                (void)host->Run();
            else
                (void)host->ExitInstance();
        }
    }
    catch (...)
    {
        host->HideSplash();
        host->ShowStartupError();
        host->MarkFailedStart();
    }
    host->ReleaseProcessObjects();
    return ProcessExitValue.load();
}
} // namespace ZQ
