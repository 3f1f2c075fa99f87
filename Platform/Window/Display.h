#pragma once

#include "Platform/Window/Forward.h"
#include "Platform/Window/Messages.h"
#include "Platform/Window/Placement.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct _cairo_surface;

// The X display of the program: its native windows and the input, focus and capture they get, turned
// into the original's messages on the loop.
//
// Made by the UI thread after the loop (Display::Open adds the connection to the loop as a source) and
// used only by that thread. With no display to open, Open gives null and the program runs without
// windows; the system services (System.h) then answer plainly.
//
// There may be no window manager (as under Xvfb): the window rectangle is the client rectangle, a window
// is active while it holds the input focus, and the placement is what the program asked for. Nothing here
// waits for the window manager.
namespace Platform::Window
{
// Whether the environment names an X display ($DISPLAY set and not empty). Without one no connection can
// be made, and nothing of the X library is loaded to learn that.
[[nodiscard]] bool IsDisplayNamed();

struct WindowDesc
{
    std::string className;
    std::u16string title;
    // The client area in screen coordinates (relative to the parent for a child window).
    Rect rect{0, 0, 640, 480};
    WindowHandle parent = 0;
    // Size limits of the client area; 0 for none.
    int32_t minWidth = 0;
    int32_t minHeight = 0;
    int32_t maxWidth = 0;
    int32_t maxHeight = 0;
};

class Display
{
public:
    // Opens $DISPLAY for the loop; null when it cannot be opened.
    [[nodiscard]] static std::unique_ptr<Display> Open(MessageLoop& loop);
    // The open display of the process, or null.
    [[nodiscard]] static Display* Current();
    ~Display();
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    // --- Windows ---
    // Creates the window hidden and hands its messages to proc (WM_CLASS = className).
    [[nodiscard]] WindowHandle CreateWindow(const WindowDesc& desc, WindowProc proc);
    // Sends WM_DESTROY and forgets the window.
    void DestroyWindow(WindowHandle window);
    void SetTitle(WindowHandle window, std::u16string_view title);
    // The icon as rows of 0xAARRGGBB pixels.
    void SetIcon(WindowHandle window, int32_t width, int32_t height, std::span<const uint32_t> pixels);
    void SetSizeLimits(WindowHandle window, int32_t minWidth, int32_t minHeight, int32_t maxWidth,
                       int32_t maxHeight);
    // kSwHide, kSwShowMinimized / kSwMinimize (iconify) or any other command (show, raised); returns
    // whether the window was visible before.
    bool ShowWindow(WindowHandle window, int32_t command);
    [[nodiscard]] bool IsVisible(WindowHandle window) const;
    // Whether the X server has mapped it (shown and its parent shown).
    [[nodiscard]] bool IsOnScreen(WindowHandle window) const;
    // Moves and sizes the client area (screen coordinates; relative to the parent for a child).
    void MoveWindow(WindowHandle window, const Rect& rect);
    [[nodiscard]] Rect GetClientRect(WindowHandle window) const;
    // The window rectangle in screen coordinates; the same as the client area's, the frame being the
    // window manager's.
    [[nodiscard]] Rect GetWindowRect(WindowHandle window) const;
    [[nodiscard]] Point ClientToScreen(WindowHandle window, Point point) const;
    [[nodiscard]] Point ScreenToClient(WindowHandle window, Point point) const;
    // The placement as the original reports it: the show command (normal, minimised or hidden), no
    // minimised or maximised position (-1, -1), the window rectangle as the normal position.
    [[nodiscard]] WindowPlacement GetPlacement(WindowHandle window) const;
    // Moves the window to the normal position and shows it by the show command.
    void SetPlacement(WindowHandle window, const WindowPlacement& placement);
    void Raise(WindowHandle window);
    void SetTopMost(WindowHandle window, bool topMost);
    // Gives the window the input focus; it must be viewable. The window is active when this returns: the
    // window that loses the focus and the one that gets it are sent their messages first.
    void SetFocus(WindowHandle window);
    [[nodiscard]] WindowHandle GetFocus() const;
    // With no window manager, the active window is the one holding the focus.
    [[nodiscard]] bool IsActive(WindowHandle window) const;
    // Capture: a pointer grab while a button is held, otherwise a state (leaving the window then gives a
    // move outside). Releasing or losing it sends WM_CAPTURECHANGED.
    void SetCapture(WindowHandle window);
    void ReleaseCapture();
    [[nodiscard]] WindowHandle GetCapture() const;

    // A cairo surface drawing onto the window (a new reference), for the graphics layer; null for a
    // window this display does not know.
    [[nodiscard]] _cairo_surface* CreateSurface(WindowHandle window) const;
    // Sends what was drawn or asked to the server.
    void Flush();

    // --- System (see System.h) ---
    [[nodiscard]] CursorHandle LoadStandardCursor(uint32_t shape);
    [[nodiscard]] CursorHandle CreateCursor(int32_t width, int32_t height, Point hotSpot,
                                            std::span<const uint32_t> pixels);
    // Makes the cursor current for every window of the program; returns the one before.
    CursorHandle SetCursor(CursorHandle cursor);
    void ShowCursor(bool show);
    [[nodiscard]] Point GetCursorPos() const;
    void SetCursorPos(Point point);
    // MK_LBUTTON, MK_MBUTTON, MK_RBUTTON of the buttons held now.
    [[nodiscard]] uint32_t GetMouseButtons() const;
    [[nodiscard]] bool IsKeyDown(uint8_t virtualKey) const;
    // Whether a lock key is on, as the keyboard's indicator shows it.
    [[nodiscard]] bool IsKeyToggled(uint8_t virtualKey) const;
    [[nodiscard]] Rect GetWorkArea() const;
    [[nodiscard]] Point ScreenSize() const;

    // --- The CLIPBOARD selection ---
    // The owner (a window of this display, or 0 for a hidden one of its own) takes the selection. With
    // text (UTF-8) it serves TARGETS and UTF8_STRING; without, only a private target that is never
    // rendered (what the program puts there for itself). False when the server gave it to no one.
    bool SetClipboard(WindowHandle owner, std::optional<std::string> text);
    [[nodiscard]] bool OwnsClipboard() const;
    // The clipboard's text: ours when we own it, else asked of the owner and waited for up to timeout,
    // serving requests for our own selection meanwhile. Nothing when there is no text or no answer.
    [[nodiscard]] std::optional<std::string> GetClipboardText(std::chrono::milliseconds timeout);
    // Counts our writes, our losses of the selection and other clients' taking it.
    [[nodiscard]] uint32_t ClipboardSequenceNumber() const;
    // The private target's number, with which the program marks what it put there for itself.
    static constexpr uint32_t kPrivateClipboardFormat = 0x200;

    // The Xlib display, for GL contexts over GLX.
    [[nodiscard]] void* NativeDisplay() const;

    struct Impl;

private:
    explicit Display(std::unique_ptr<Impl> impl);

    std::unique_ptr<Impl> mImpl;
};

// --- Other processes' windows, on a connection of their own (usable before any Display exists) ---

// The first top-level window (a child of the root) whose WM_CLASS class is className; 0 for none.
[[nodiscard]] WindowHandle FindTopLevelWindow(std::string_view className);
// The window's last active pop-up: of the shown top-level windows marked as belonging to it
// (WM_TRANSIENT_FOR, as its message boxes and file chooser are), the topmost; the window itself when it
// has none.
[[nodiscard]] WindowHandle GetLastActivePopup(WindowHandle window);
// Shows, restores and raises another program's window and gives it the focus.
void RestoreAndRaise(WindowHandle window);
// Sends WM_COPYDATA to a window of another process and waits for its acknowledgement up to timeout;
// false without a display, for a window that is gone, or when no acknowledgement came in time.
bool SendCopyData(WindowHandle target, uintptr_t id, std::span<const uint8_t> bytes,
                  std::chrono::milliseconds timeout);
} // namespace Platform::Window
