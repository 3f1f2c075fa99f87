#pragma once

#include "Platform/Window/NamedLock.h"
#include "ZQFramework/Application/Framework/FrameworkApp.h"
#include "ZQFramework/Application/Framework/Splash.h"
#include "ZQFramework/Application/FrameworkServices.h"
#include "ZQFramework/ControlBase/Skin/ControlFactory.h"
#include "ZQFramework/ControlBase/Skin/StringTable.h"
#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace Platform::Window
{
class Display;
class MessageLoop;
} // namespace Platform::Window

namespace ZQ
{
// What "-DEBUG_CONSOLE" asks for on an upper-cased command line: alone, the debug console; followed by
// ":PORT" or ":PORT:HOST" (the port at least two characters), a UDP target and no console. A port of one
// character asks for nothing. The port's text runs to the next colon on the whole line (the end of the
// option when there is none) and is read as far as it is a number; the host is what lies between that
// colon and the option's end.
struct DebugConsoleOption
{
    bool OpenConsole = false;
    bool SetTarget = false;
    std::string Host; // empty: none
    int32_t Port = 0;
};
[[nodiscard]] DebugConsoleOption ParseDebugConsoleOption(std::string_view upperCommandLine);

// The text of the start-up error box: the framework string table's "STARTUP_ERROR" and
// "STARTUP_ERROR_CAPTION" where the table has them, else the English texts.
struct StartupErrorText
{
    WString Text;
    WString Caption;
};
[[nodiscard]] StartupErrorText GetStartupErrorText(const RCPtr<LStringTable>& frameworkStringTable);

// The results of an application's start-up that end the program quietly: no window, no box.
[[nodiscard]] bool IsOrderlyEndResult(ZQRESULT result);

// The process's host of the application: the one object that exists before any framework object and does
// the process-level work around it, in this order: splash, control factory, string tables and skins, the
// single-instance check (InitApplication); the debug console option (InitInstance); then the application
// object made, started, given its main window and run, and everything torn down (Run). FrameworkWinMain
// drives it. A program instantiates MFCFrameworkApp<T> once as a global object; its construction makes it
// the current host.
//
// UI thread (the process's main thread) only; the splash has a thread of its own. The display is opened
// only when the main window is made, so modes that never show a window run without one.
class CFrameworkWinApp : public MFCFrameworkAppBase
{
public:
    static constexpr const char* kStartupError =
        "The application encountered problems during startup and will now close.";

    CFrameworkWinApp();
    virtual ~CFrameworkWinApp();
    CFrameworkWinApp(const CFrameworkWinApp&) = delete;
    CFrameworkWinApp& operator=(const CFrameworkWinApp&) = delete;

    // The host of the process, or null.
    [[nodiscard]] static CFrameworkWinApp* Current();
    // The whole command line the process was started with (program path first), as FrameworkWinMain
    // handed it over; the application is made with it.
    [[nodiscard]] const WString& GetCommandLine() const { return mCommandLine; }

    // Everything before the application object: TRUE to go on; FALSE when another instance took the
    // command line or start-up failed (after the start-up error box).
    virtual bool InitApplication();
    // The debug console option. TRUE.
    virtual bool InitInstance();
    // The application object's life: made, started, its main window shown, its loop run, shut down and
    // released. 1. Throws the "Failed Result" and "Invalid Control Name" errors of a start-up that fails.
    virtual int32_t Run();
    // Whether another idle pass is wanted (three passes at most per idle period).
    virtual bool OnIdle(int32_t count);
    virtual int32_t ExitInstance();

    // The splash image's name under the resource folder, empty when there is no such image.
    [[nodiscard]] virtual WString GetSplashImageName() const;
    virtual void ShowSplash();
    virtual void HideSplash();

    // What FrameworkWinMain hands over before InitApplication.
    void SetCommandLine(const WString& commandLine) { mCommandLine = commandLine; }
    void SetLocale(int32_t lcid) { mLocale = lcid; }
    [[nodiscard]] int32_t GetLocale() const { return mLocale; }
    void SetSplashImageName(const char16_t* name) { mSplashImageName = name; }
    // The start-up error box (owner-less) with the framework string table's texts when it has them.
    void ShowStartupError() const;
    // The exit value of a start that ends in the start-up error while the application has set none (1
    // unless the program names its own), so that a script never takes a failed start for success.
    void SetFailedStartExitValue(int32_t value) { mFailedStartExitValue = value; }
    // Sets that value as the process exit value unless one is set.
    void MarkFailedStart() const;

    [[nodiscard]] bool IsFirstInstance() const { return mFirstInstance; }
    [[nodiscard]] bool IsHosted() const { return mHosted; }
    [[nodiscard]] const RCPtr<LControlFactory>& GetControlFactory() const { return mControlFactory; }
    [[nodiscard]] const RCPtr<LStringTable>& GetFrameworkStringTable() const { return mFrameworkStringTable; }
    [[nodiscard]] CSplashScreen* GetSplashScreen() const { return mSplashScreen.get(); }
    // The living application object, or null outside Run.
    [[nodiscard]] const RCPtr<LFrameworkApp>& GetApplication() const { return mApplication; }
    // The splash's window maker (tests put their own in place); null for the display's.
    void SetSplashWindowFactory(CSplashScreen::WindowFactory factory)
    {
        mSplashWindowFactory = std::move(factory);
    }

    // The end of the process: the splash stopped, the factory and the framework string table released.
    void ReleaseProcessObjects();

protected:
    // The application class's part: its object made with the factory, the framework string table and the
    // command line, and its identity text.
    [[nodiscard]] virtual RCPtr<LFrameworkApp>
    CreateApplication(const RCPtr<LControlFactory>& factory, const RCPtr<LStringTable>& frameworkStringTable,
                      const WString& commandLine) = 0;
    [[nodiscard]] virtual const char16_t* GetIdentityString() const = 0;
    // Opens the display for the main window unless one is open; false when none can be opened.
    virtual bool OpenDisplay();
    // The folder that the string tables, the skins and the splash image are read from: the program's
    // resources ("::").
    [[nodiscard]] virtual WString GetResourceFolder() const { return GetFolder(kResourceFolder); }

private:
    void LoadStartupResources();
    // The single-instance check; false when the command line went to the running instance.
    bool CheckSingleInstance();
    void StartApplicationWindow(const RCPtr<LFrameworkApp>& application);

    bool mHosted = true;
    RCPtr<LControlFactory> mControlFactory;
    RCPtr<LStringTable> mFrameworkStringTable;
    std::unique_ptr<CSplashScreen> mSplashScreen;
    CSplashScreen::WindowFactory mSplashWindowFactory;
    bool mFirstInstance = true;
    WString mCommandLine;
    int32_t mLocale = 0;
    int32_t mFailedStartExitValue = 1;
    const char16_t* mSplashImageName = u"";
    std::unique_ptr<Platform::Window::NamedLock> mInstanceLock; // held until the process ends
    std::unique_ptr<Platform::Window::Display> mDisplay;        // opened for the main window
    RCPtr<LFrameworkApp> mApplication;
};

// The host for the application class T, which derives from LApplicationBase<T>, supplies the static
// GetIdentityString and can be made by this class with (factory, framework string table, wide command
// line).
template <class T>
class MFCFrameworkApp : public CFrameworkWinApp
{
protected:
    RCPtr<LFrameworkApp> CreateApplication(const RCPtr<LControlFactory>& factory,
                                           const RCPtr<LStringTable>& frameworkStringTable,
                                           const WString& commandLine) override
    {
        return RCPtr<LFrameworkApp>(new T(factory, frameworkStringTable, commandLine));
    }
    [[nodiscard]] const char16_t* GetIdentityString() const override { return T::GetIdentityString(); }
};

// The program's entry: runs the current host from its start-up to its end with the command line (program
// path first), the locale (-1: the user's) and the splash image's name, and returns the process exit
// value. An error out of the start-up ends in the start-up error box and an exit with the failed start's
// value (unless the application set one); without a display the box's text goes to standard error.
int FrameworkWinMain(const WString& commandLine, int32_t showCommand, int32_t localeId,
                     const char16_t* splashImageName);
} // namespace ZQ
