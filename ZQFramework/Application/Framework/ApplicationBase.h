#pragma once

#include "Platform/Clock/Clock.h"
#include "Platform/Window/Dialogs.h"
#include "Platform/Window/Display.h"
#include "Platform/Window/MessageLoop.h"
#include "Platform/Window/System.h"
#include "ZQFramework/Application/Framework/ApplicationServices.h"
#include "ZQFramework/Application/Framework/FrameworkApp.h"
#include "ZQFramework/Application/Framework/MainWindow.h"
#include "ZQFramework/Application/FrameworkServices.h"
#include "ZQFramework/Application/IniFileManager.h"
#include "ZQFramework/Application/Version.h"
#include "ZQFramework/ControlBase/Services/GlobalHotKeyManager.h"
#include "ZQFramework/ControlBase/Skin/ControlFactory.h"
#include "ZQFramework/ControlBase/Windows/OSWindow.h"
#include "ZQFramework/ControlBase/Windows/WindowOSServices.h"
#include "ZQFramework/Notification/KeyCode.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationCenterManager.h"

#include <cstdint>
#include <memory>
#include <string_view>

namespace ZQ
{
// The application object of a program: LFrameworkApp with the platform's answers (version strings,
// folders, time, fonts, cursors, message boxes, the message loop) and the exit request turned into the
// end of the program. T is the program's application class, which derives from LApplicationBase<T> and
// supplies the static GetIdentityString (the program's window class name) and the operations left pure
// here: GetVersionKey, GetMainControlName, GetIniFile, GetRendererType and IsExitAllowed.
//
// The main window, when the program has one, is told with SetMainWindow: the exit request closes it and
// message boxes get an owner only while it exists. Without a display nothing here opens a window: the
// services answer plainly (no cursor, empty work area) and message boxes answer their default.
template <class T>
class LApplicationBase : public LFrameworkApp
{
public:
    ~LApplicationBase() override
    {
        if (mSettingsManager != nullptr)
            (void)mSettingsManager->CloseAll();
    }

    // The exit request: dropped while IsExitAllowed is false; otherwise the framework's handling, then
    // WM_CLOSE to the main window and the quit message.
    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification) override
    {
        const bool exitRequest = notification != nullptr &&
                                 notification->GetID() == LNotification::GetIDFromName(kExitRequestName);
        if (exitRequest && !IsExitAllowed())
            return 0;
        (void)LFrameworkApp::ReceiveNotification(source, notification);
        if (exitRequest)
        {
            if (Platform::Window::MessageLoop* loop = Platform::Window::MessageLoop::Current())
            {
                if (mMainWindow != 0)
                    loop->PostMessage({mMainWindow, Platform::Window::kWmClose, 0, 0});
                loop->PostQuitMessage(0);
            }
        }
        return 0;
    }

    // The framework's start-up (any failure becomes E_FAIL), then the exit request registered and bound to
    // Alt+F4 unless a global key binding has that key already.
    ZQRESULT RunApplicationStartup() override
    {
        if (LFrameworkApp::RunApplicationStartup() < 0)
            return E_FAIL;
        (void)RegisterWithDistributor(RCPtr<LNotificationDistributor>(GetDefaultNotificationCenter()),
                                      kExitRequestName, 0);
        if (const RCPtr<LGlobalHotKeyManager> hotKeys = GetHotKeyManager(); hotKeys != nullptr)
        {
            const KeyCode altF4 = KeyCode::FromString(u"Alt+VKEY_F4");
            if (hotKeys->GetKeyBindings().GetActionForKey(altF4).IsEmpty())
                (void)hotKeys->GetKeyBindings().AddBinding(altF4, kExitRequestName);
        }
        return 0;
    }

    // The process's message loop (one is made for the run when none exists) until the quit message. Its
    // idle passes deliver the pending notifications, three passes at most per idle period, until the
    // exit request has been taken.
    int32_t RunMessageLoop() override
    {
        std::unique_ptr<Platform::Window::MessageLoop> ownLoop;
        Platform::Window::MessageLoop* loop = Platform::Window::MessageLoop::Current();
        if (loop == nullptr)
        {
            ownLoop = std::make_unique<Platform::Window::MessageLoop>();
            loop = ownLoop.get();
        }
        return loop->Run([this](int32_t count) { return OnIdle(count); });
    }

    // Whether another idle pass is wanted after pass count (0 is the first of an idle period).
    bool OnIdle(int32_t count)
    {
        if (IsExiting())
            return false;
        const bool more = ProcessPendingNotifications(count == 0);
        return more && count < 2;
    }

    // --- Identity ---
    void GetCompanyName(WString& text) const override { text = Version(nullptr).GetCompanyName(); }
    void GetProductName(WString& text) const override { text = Version(nullptr).GetProductName(); }
    void GetProductVersion(WString& text) const override { text = Version(nullptr).GetProductVersion(); }
    void GetApplicationName(WString& text) const override { GetProductName(text); }
    // The locale the string tables were read in.
    [[nodiscard]] int32_t GetLCID() const override
    {
        const RCPtr<LControlFactory> factory = GetControlFactory();
        return factory != nullptr ? factory->GetCurrentLCID() : 0;
    }
    void GetFolder(WString& text, int32_t id) const override { text = MFCFrameworkAppBase::GetFolder(id); }
    [[nodiscard]] WString GetWindowClassName() const override { return WString(T::GetIdentityString()); }
    [[nodiscard]] RCPtr<LIniFileManager> GetIniFileManager() const override { return mSettingsManager; }
    // False refuses the exit request.
    [[nodiscard]] virtual bool IsExitAllowed() = 0;

    // --- Platform services ---
    [[nodiscard]] intptr_t GetCursor(const WString& name) const override { return LoadSystemCursor(name); }
    ZQRESULT GetDefaultFont(WString& name, float& size, int32_t& style) const override
    {
        return ReadSystemDefaultFont(name, size, style);
    }
    [[nodiscard]] RectT<int32_t> GetWorkArea() const override { return ReadSystemWorkArea(); }
    [[nodiscard]] double GetElapsedSeconds() const override { return mElapsedSeconds.Read(); }
    [[nodiscard]] uint32_t GetMilliseconds() const override { return Platform::GetTickCount(); }
    ZQRESULT GetLocalTime(LocalTime& time) const override
    {
        ReadSystemLocalTime(time);
        return 0;
    }
    ZQRESULT GetVirtualKeyState(uint32_t virtualKey, bool& down, bool& toggled) const override
    {
        ReadSystemKeyState(virtualKey, down, toggled);
        return 0;
    }
    // Owned by the active (else the first) root window's native window while the main window exists.
    int32_t ShowMessageBox(const WString& text, const WString& caption, uint32_t flags) override
    {
        const uintptr_t owner = mMainWindow != 0 ? FindMessageBoxOwner(*this) : 0;
        return Platform::Window::ShowMessageBox(
            owner, std::u16string_view(text.GetBuffer(), text.GetLength()),
            std::u16string_view(caption.GetBuffer(), caption.GetLength()), flags);
    }
    // The pointer shows while the counter is at least 0, as the system's display counter.
    int32_t ShowCursor(bool show) override
    {
        mCursorDisplayCount += show ? 1 : -1;
        Platform::Window::ShowCursor(mCursorDisplayCount >= 0);
        return mCursorDisplayCount;
    }
    // E_FAIL without a display.
    ZQRESULT SetCursorPos(int32_t x, int32_t y) override
    {
        if (Platform::Window::Display::Current() == nullptr)
            return E_FAIL;
        Platform::Window::SetCursorPos({x, y});
        return 0;
    }
    // Power events are always granted.
    intptr_t OnPowerBroadcast(uintptr_t /*window*/, uintptr_t /*event*/) override { return 1; }

    // --- The main window ---
    // The main window for the main control (see MainWindow.h), told to this object once it exists. Throws
    // when the skin has no descriptor of the main control's name.
    ZQRESULT CreateMainWindow(int32_t rendererType) override
    {
        OSWindow* window = CreateMainOSWindow(*this, T::GetIdentityString());
        if (window == nullptr)
            return E_FAIL;
        SetMainWindow(window->GetHandle());
        return FinishMainWindow(*window, rendererType, T::GetIdentityString());
    }
    void CreateControl(RCPtr<LControl>& control, const WString& descriptorName) override
    {
        const RCPtr<LControlFactory> factory = GetControlFactory();
        control =
            factory != nullptr ? factory->CreateControlByName(descriptorName, RCPtr<LRootWindow>()) : nullptr;
    }
    // A further root window (see RootWindowRequest): the index of its root window, or E_FAIL.
    int32_t CreateRootWindow(const RCPtr<LControl>& control, bool modeless, bool systemMenu, bool minimizeBox,
                             bool maximizeBox, bool byName, const WString& name)
    {
        const RootWindowRequest request{control,     modeless, systemMenu, minimizeBox,
                                        maximizeBox, byName,   name};
        return CreateFrameworkRootWindow(
            *this, request, [this](Platform::Window::WindowHandle window) { SetMainWindow(window); });
    }
    int32_t CreateRootWindowForControl(const RCPtr<LControl>& control, bool systemMenu, bool minimizeBox,
                                       bool maximizeBox) override
    {
        return CreateRootWindow(control, true, systemMenu, minimizeBox, maximizeBox, false, WString());
    }
    int32_t RunModalWindow(const RCPtr<LControl>& rootControl, bool systemMenu) override
    {
        const int32_t index =
            CreateRootWindow(rootControl, false, systemMenu, false, false, false, WString());
        IWindowOSServices* services = GetRootWindowServices(*this, index);
        return services != nullptr ? services->RunModalLoop() : E_FAIL;
    }
    void SetMainWindow(Platform::Window::WindowHandle window) { mMainWindow = window; }
    [[nodiscard]] Platform::Window::WindowHandle GetMainWindow() const { return mMainWindow; }

protected:
    // commandLine is the whole wide command line; the framework keeps it as UTF-8.
    LApplicationBase(const RCPtr<LControlFactory>& factory, const RCPtr<LStringTable>& frameworkStringTable,
                     const WString& commandLine)
        : LFrameworkApp(factory, frameworkStringTable, StringT<char, char16_t>(commandLine)),
          mSettingsManager(new LIniFileManager())
    {
    }

private:
    Platform::Window::WindowHandle mMainWindow = 0;
    mutable ElapsedSecondsCounter mElapsedSeconds;
    RCPtr<LIniFileManager> mSettingsManager;
    int32_t mCursorDisplayCount = 0;
};
} // namespace ZQ
