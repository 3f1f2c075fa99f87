#pragma once

#include "ZQFramework/Application/Framework/Forward.h"
#include "ZQFramework/Application/IniFileManager.h"
#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/ControlBase/Forward.h"
#include "ZQFramework/ControlBase/Services/Clipboard.h"
#include "ZQFramework/ControlBase/Services/GlobalHotKeyManager.h"
#include "ZQFramework/ControlBase/Skin/ControlFactory.h"
#include "ZQFramework/ControlBase/Skin/StringTable.h"
#include "ZQFramework/ControlBase/Windows/ControlApplication.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/ControlBase/Windows/StatusBarText.h"
#include "ZQFramework/Notification/NotificationClient.h"
#include "ZQFramework/Notification/NotificationNames.h"
#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/Renderer/Font.h"
#include "ZQFramework/Renderer/Renderer.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>
#include <vector>

namespace ZQ
{
// The local time, each field widened to 32 bits.
struct LocalTime
{
    int32_t Year = 0;
    int32_t Month = 0;
    int32_t DayOfWeek = 0;
    int32_t Day = 0;
    int32_t Hour = 0;
    int32_t Minute = 0;
    int32_t Second = 0;
    int32_t Millisecond = 0;
};

// The application as the framework sees it: one counted object per process that owns the control
// factory, the root windows, the string tables, the global hot keys and the clipboard. It runs the
// framework's start-up (key bindings, clipboard, start skin), drains the notification centres and the
// root windows at idle, runs the message loop, turns the exit request into the end of the root windows'
// modal loops, and answers the controls' questions (active root window, status text, pointer, buttons).
//
// While it lives it is the process's one application: GetInstance answers it, it is the control base's
// current application (IControlApplication::SetCurrent), fonts and layouts measure text with its first
// root window's renderer, and FormatErrorIdText reads its framework string table. A program derives from
// LApplicationBase<T>, which answers the platform questions. Everything runs on the UI thread; other
// threads only post to the notification centres.
class LFrameworkApp : public LNotificationClient, public IControlApplication
{
public:
    ~LFrameworkApp() override;
    LFrameworkApp(const LFrameworkApp&) = delete;
    LFrameworkApp& operator=(const LFrameworkApp&) = delete;

    // The living application object, or null.
    [[nodiscard]] static LFrameworkApp* GetInstance() noexcept;

    // --- Notifications ---
    // "NID_APP_EXIT_REQ" sets the exiting flag and ends the modal loops of every root window but the
    // first (the last first); every other notification is ignored.
    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification) override;

    // --- Life cycle ---
    virtual int32_t OnPreApplicationStartup(const WString& commandLine);
    virtual int32_t OnPostApplicationStartup(const WString& commandLine);
    // Another instance's command line; ignored. 0.
    virtual int32_t OnCommandLineFromOtherInstance(const WString& commandLine);
    // Pooling on, global key bindings ("GHK"), clipboard, start skin. 0, or E_FAIL when a step threw (the
    // later steps are skipped).
    virtual ZQRESULT RunApplicationStartup();
    // Redraws the first root window, drains once, runs the message loop and drains again; the result of
    // that last drain. An error out of the loop shows the "STARTUP_ERROR" box and posts the exit request.
    virtual bool RunApplication();
    virtual void OnPreMessageLoop();
    virtual int32_t RunMessageLoop() = 0;
    // Lets go of the control factory, the hot keys and the clipboard. 0.
    virtual ZQRESULT RunApplicationShutdown();
    [[nodiscard]] virtual bool IsExiting() const { return mExiting; }

    // --- Identity and settings ---
    virtual void GetCompanyName(WString& text) const = 0;
    virtual void GetProductName(WString& text) const = 0;
    virtual void GetProductVersion(WString& text) const = 0;
    virtual void GetVersionKey(WString& text) const = 0;
    virtual void GetApplicationName(WString& text) const = 0;
    virtual void GetMainControlName(WString& text) const = 0;
    [[nodiscard]] virtual int32_t GetLCID() const = 0;
    // The folder of an id (MFCFrameworkAppBase::GetFolder's ids); throws for an unknown id.
    virtual void GetFolder(WString& text, int32_t id) const = 0;
    [[nodiscard]] virtual RCPtr<LIniFileManager> GetSettingsManager() const { return GetIniFileManager(); }
    [[nodiscard]] virtual RCPtr<LIniFileManager> GetIniFileManager() const = 0;
    // Settings file kind 0 (the application's) or 1 (the user's); 0 when it cannot be had.
    [[nodiscard]] virtual IIniFileManager::Handle GetIniFile(int32_t kind) = 0;
    [[nodiscard]] virtual int32_t GetRendererType() const = 0;
    // Makes the main window for the main control with a renderer of the type; 0 or the renderer set-up's
    // result, E_FAIL when the window cannot be made.
    virtual ZQRESULT CreateMainWindow(int32_t rendererType) = 0;
    // The control of the current skin's descriptor of that name, without parent or root window.
    virtual void CreateControl(RCPtr<LControl>& control, const WString& descriptorName) = 0;
    // A modal window for the control over the active root window; the modal loop's result, or E_FAIL.
    virtual int32_t RunModalWindow(const RCPtr<LControl>& rootControl, bool systemMenu) = 0;
    // A modeless window for the control; the index of its root window, or E_FAIL.
    virtual int32_t CreateRootWindowForControl(const RCPtr<LControl>& control, bool systemMenu,
                                               bool minimizeBox, bool maximizeBox) = 0;

    // --- Skins ---
    // The user settings' "CurrentSkinIndex"; 0 without settings or key.
    [[nodiscard]] virtual int32_t GetCurrentSkinIndex();
    // Makes skin index current (below 0: skin 0), takes its default font, applies it to every root window
    // under a busy cursor and stores the index in the user settings. 0; E_FAIL without any skin;
    // E_INVALIDARG past the last skin. Throws when the system font cannot be read.
    virtual ZQRESULT SetSkin(int32_t index);
    [[nodiscard]] const ConstRCPtr<LFont>& GetCurrentDefaultFont() const { return mDefaultFont; }

    // --- Services of the platform ---
    // The time of the application clock; its first call counts from construction.
    [[nodiscard]] double GetElapsedSeconds() const override = 0;
    [[nodiscard]] uint32_t GetMilliseconds() const override = 0;
    virtual ZQRESULT GetLocalTime(LocalTime& time) const = 0;
    virtual ZQRESULT GetVirtualKeyState(uint32_t virtualKey, bool& down, bool& toggled) const = 0;
    virtual int32_t ShowMessageBox(const WString& text, const WString& caption, uint32_t flags) = 0;
    // The cursor display counter after the change.
    virtual int32_t ShowCursor(bool show) = 0;
    virtual ZQRESULT SetCursorPos(int32_t x, int32_t y) = 0;
    // The pointer in screen pixels: from the active root window, else from the system.
    virtual void GetCursorPos(PointT<int32_t>& point) const;
    // 1 left, 2 middle, 4 right: from the active root window, else from the key states.
    [[nodiscard]] uint32_t GetMouseButtons() const override;

    // --- Root windows ---
    // The last registered root window whose native window is active; null when none is.
    [[nodiscard]] RCPtr<LRootWindow> FindActiveRootWindow() const;
    // The first registered root window's renderer; null without root windows.
    [[nodiscard]] virtual RCPtr<LRenderer> GetRenderer() const;
    // Null: the application has no status bar unless a program supplies one.
    [[nodiscard]] virtual IStatusBarText* GetStatusBar() const { return nullptr; }
    // The text in the status bar, shown at once or posted; E_FAIL without root window or status bar.
    ZQRESULT SetStatusText(const WString& text, bool immediately);
    // The status bar's default text, likewise.
    ZQRESULT RestoreStatusText(bool immediately);
    // The notification centres' queues (last made first), then every root window's idle work from the last
    // registered to the first. True when work is left anywhere.
    bool ProcessPendingNotifications(bool firstPass) override;

    // --- The control base's questions ---
    [[nodiscard]] RCPtr<LControlFactory> GetControlFactory() const override { return mControlFactory; }
    [[nodiscard]] RCPtr<LRefCountedObject> GetActiveRootWindow() const override;
    [[nodiscard]] RCPtr<LRefCountedObject> GetFirstRootWindow() const override;
    [[nodiscard]] PointT<int32_t> GetPointerScreenPosition() const override;
    ZQRESULT GetKeyState(uint32_t virtualKey, bool& down, bool& toggled) const override;
    [[nodiscard]] uint32_t GetRootWindowCount() const override;
    [[nodiscard]] RCPtr<LRefCountedObject> GetRootWindowAt(uint32_t index) const override;
    [[nodiscard]] RCPtr<LGlobalHotKeyManager> GetHotKeyManager() const override { return mHotKeyManager; }
    // Appends the root window unless it is registered already.
    void RegisterRootWindow(const RCPtr<LRootWindow>& rootWindow) override;
    void UnregisterRootWindow(const LRootWindow* rootWindow) override;
    void OnCommandLine(const WString& text) override;
    [[nodiscard]] RCPtr<LClipboard> GetClipboard() const override { return mClipboard; }

    [[nodiscard]] const RCPtr<LStringTable>& GetFrameworkStringTable() const { return mFrameworkStringTable; }
    [[nodiscard]] const RCPtr<LStringTable>& GetApplicationStringTable() const
    {
        return mApplicationStringTable;
    }
    [[nodiscard]] const StringT<char, char16_t>& GetCommandLine() const { return mCommandLine; }

protected:
    // commandLine is UTF-8. The factory and the framework string table may be null.
    LFrameworkApp(const RCPtr<LControlFactory>& factory, const RCPtr<LStringTable>& frameworkStringTable,
                  const StringT<char, char16_t>& commandLine);

    // The modal loops of the root windows from the last down to the second end; the first one's not.
    void EndSecondaryModalLoops();

private:
    // The "STARTUP_ERROR" box for an error out of the message loop, then the exit request.
    void ReportMessageLoopError();
    // One root window redressed in the current skin.
    void ApplySkinToRootWindow(const RCPtr<LRootWindow>& rootWindow);

    RCPtr<LControlFactory> mControlFactory;
    StringT<char, char16_t> mCommandLine;
    std::vector<RCPtr<LRootWindow>> mRootWindows; // in registration order
    RCPtr<LStringTable> mFrameworkStringTable;
    RCPtr<LStringTable> mApplicationStringTable;
    bool mExiting = false;
    ConstRCPtr<LFont> mDefaultFont;
    RCPtr<LGlobalHotKeyManager> mHotKeyManager;
    RCPtr<LClipboard> mClipboard;
};

// The name of the exit request.
inline constexpr const char16_t* kExitRequestName = kNidAppExitReq;
} // namespace ZQ
