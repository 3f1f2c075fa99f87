#pragma once

#include "ZQFramework/ControlBase/Forward.h"
#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/Result.h"
#include "ZQFramework/Utilities/Graphics/Point.h"
#include "ZQFramework/Utilities/Graphics/Rect.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>

namespace ZQ
{
// What the control base asks of the application object: its control factory (string tables), the
// desktop work area, its root windows, the pointer position, cursors, the default font, the clock, and
// for the native windows and the clipboard: the root-window list, idle work, the command line of another
// instance, power events, the clipboard service and the window class name. The
// application object implements it and installs itself as the current instance for its lifetime
// (SetCurrent(this), then SetCurrent(nullptr)); with none installed the control base finds no string tables
// and no root windows. Root windows are handed over as counted objects (LRootWindow). UI thread only; the
// current instance itself is read and written atomically.
class IControlApplication
{
public:
    virtual ~IControlApplication() = default;

    [[nodiscard]] virtual RCPtr<LControlFactory> GetControlFactory() const = 0;
    // The desktop's work area in screen coordinates.
    [[nodiscard]] virtual RectT<int32_t> GetWorkArea() const = 0;
    // Null when no root window of the application is active.
    [[nodiscard]] virtual RCPtr<LRefCountedObject> GetActiveRootWindow() const = 0;
    // Null when the application has no root window.
    [[nodiscard]] virtual RCPtr<LRefCountedObject> GetFirstRootWindow() const = 0;
    // The pointer's position in screen coordinates.
    [[nodiscard]] virtual PointT<int32_t> GetPointerScreenPosition() const = 0;
    // The cursor for a "UI_CURSOR_" name; 0 for an unknown name.
    [[nodiscard]] virtual intptr_t GetCursor(const WString& name) const = 0;
    // The system's default user-interface font: face name, size in points, style bits. E_FAIL when the
    // system cannot tell.
    virtual ZQRESULT GetDefaultFont(WString& name, float& size, int32_t& style) const = 0;
    // The state of one virtual key (down: held now; toggled: its toggle state). 0.
    virtual ZQRESULT GetKeyState(uint32_t virtualKey, bool& down, bool& toggled) const = 0;
    // The mouse buttons held now: 1 left, 2 middle, 4 right.
    [[nodiscard]] virtual uint32_t GetMouseButtons() const = 0;
    // The application's root windows in creation order (the first is the main window).
    [[nodiscard]] virtual uint32_t GetRootWindowCount() const = 0;
    [[nodiscard]] virtual RCPtr<LRefCountedObject> GetRootWindowAt(uint32_t index) const = 0;
    // The application's hot keys; null when it has none.
    [[nodiscard]] virtual RCPtr<LGlobalHotKeyManager> GetHotKeyManager() const = 0;
    // A millisecond tick count; it wraps after 2^32 ms, so callers compare ticks by unsigned difference.
    [[nodiscard]] virtual uint32_t GetMilliseconds() const = 0;
    // The application clock in seconds, for motion that moves at a speed (automatic scrolling).
    [[nodiscard]] virtual double GetElapsedSeconds() const = 0;

    // --- What the native windows and the clipboard ask ---
    // Adds a root window to, and removes it from, the list of root windows (kept in creation order).
    virtual void RegisterRootWindow(const RCPtr<LRootWindow>& rootWindow) = 0;
    virtual void UnregisterRootWindow(const LRootWindow* rootWindow) = 0;
    // Delivers the pending notifications and runs the root windows' idle work; whether work is left.
    virtual bool ProcessPendingNotifications(bool firstPass) = 0;
    // The command line another instance of the program handed to the main window.
    virtual void OnCommandLine(const WString& text) = 0;
    // The answer to a power event sent to the main window.
    virtual intptr_t OnPowerBroadcast(uintptr_t window, uintptr_t event) = 0;
    // The application's clipboard service; null when it has none.
    [[nodiscard]] virtual RCPtr<LClipboard> GetClipboard() const = 0;
    // The class name of the application's windows, which also names the profile section that keeps the
    // main window's placement.
    [[nodiscard]] virtual WString GetWindowClassName() const = 0;

    // The installed instance's clock, or 0 without one.
    [[nodiscard]] static uint32_t CurrentMilliseconds();

    // The installed instance, or null.
    [[nodiscard]] static IControlApplication* GetCurrent() noexcept;
    static void SetCurrent(IControlApplication* application) noexcept;
};
} // namespace ZQ
