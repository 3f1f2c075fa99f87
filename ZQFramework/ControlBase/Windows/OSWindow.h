#pragma once

#include "Platform/Window/Messages.h"
#include "ZQFramework/ControlBase/Forward.h"
#include "ZQFramework/ControlBase/Windows/WindowOSServices.h"
#include "ZQFramework/Notification/MouseButtonParam.h"
#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/Renderer/Forward.h"

#include <cstdint>

namespace Platform::Window
{
class Display;
class MessageLoop;
struct WindowDesc;
} // namespace Platform::Window

namespace ZQ
{
// The native window of one root window: it makes the renderer and its window context, turns the window's
// messages into root-window calls (paint, mouse, keyboard, focus, size, close), runs its modal loops,
// keeps idle processing alive with a 33 ms timer and saves the main window's placement. It implements the
// services through which the root window and its controls ask for window operations.
//
// With a display open the window is an X window of the display; without one it is a message-only window
// of the loop, whose geometry is the rectangle it was created with or last moved to, and whose focus and
// capture are kept here, so that it takes the same messages and gives the same answers headless.
//
// The object owns itself: it is made on the heap by Create and deletes itself on WM_CLOSE, at the end of
// its modal loop, and on EndModal outside a modal loop; an owner that never let it run may delete it. The
// application object (IControlApplication) keeps its root window in the list of root windows. Everything
// runs on the UI thread, except InvalidateRect, which only queues the area with the loop.
class OSWindow : public IWindowOSServices
{
public:
    static constexpr uintptr_t kIdleTimerId = 1;
    static constexpr int32_t kIdleTimerMilliseconds = 33;
    // The identifier of WM_COPYDATA that carries another instance's command line.
    static constexpr uintptr_t kCommandLineCopyDataId = 0x465;
    // Clicks on a frame, which only a window manager's frame would give.
    static constexpr uint32_t kWmNcLButtonDown = 0x00A1;
    static constexpr uint32_t kWmNcRButtonDown = 0x00A4;
    static constexpr uint32_t kWmNcMButtonDown = 0x00A7;

    // Makes the window, hidden, on the current message loop; the class name is the application's window
    // class name when desc has none. Null without a message loop.
    [[nodiscard]] static OSWindow* Create(const Platform::Window::WindowDesc& desc);
    // Unregisters the root window from the application and makes it forget these services, releases the
    // context, renderer and root window, and takes the window away when it is still there.
    virtual ~OSWindow();
    OSWindow(const OSWindow&) = delete;
    OSWindow& operator=(const OSWindow&) = delete;

    // --- The window's own operations ---

    // Shows or hides the window.
    virtual void SetVisible(bool visible);
    // Keeps renderer, makes its context for the client area, and makes the root window over it and these
    // services, registered with the application (in place of one made before). 0.
    virtual ZQRESULT SetRenderer(const RCPtr<LRenderer>& renderer);
    // The renderer of the type for this window, the idle timer, then SetRenderer; its result.
    virtual ZQRESULT CreateRenderer(int32_t type);
    // Fits a proposed window rectangle to the sizes the root control's layout allows, keeping its left and
    // top edges.
    void ConstrainWindowRect(Platform::Window::Rect& rect);
    // Saves the main window's placement (a window of the display: a message-only window has no place to
    // keep), then destroys the window; the object stays. False when the window is gone already.
    bool DestroyWindow();
    [[nodiscard]] const RCPtr<LRootWindow>& GetRootWindow() const { return mRootWindow; }
    [[nodiscard]] const RCPtr<LRenderContextInfo>& GetRenderContext() const { return mContext; }
    [[nodiscard]] Platform::Window::WindowHandle GetHandle() const { return mHandle; }

    // The message procedure.
    Platform::Window::LResult OnMessage(const Platform::Window::Message& message);

    // --- IWindowOSServices ---

    ZQRESULT SetTitle(const WString& text) override;
    ZQRESULT InvalidateAll() override;
    ZQRESULT InvalidateRect(const RectT<int32_t>& rect) override;
    ZQRESULT GetClientRect(RectT<int32_t>& rect) override;
    ZQRESULT ScreenToClient(PointT<int32_t>& out, const PointT<int32_t>& point) override;
    ZQRESULT ClientToScreen(PointT<int32_t>& out, const PointT<int32_t>& point) override;
    ZQRESULT SetWindowRect(const RectT<int32_t>& rect) override;
    bool Show(int32_t command) override;
    ZQRESULT RedrawNow() override;
    ZQRESULT BringToTop() override;
    ZQRESULT SetTopMost(bool topMost) override;
    // During this window's modal loop, ends it with result; otherwise destroys the window and deletes
    // this object. 0.
    ZQRESULT EndModal(int32_t result) override;
    // Runs the modal loop (the parent disabled meanwhile); at its end the window is destroyed and this
    // object deleted. The result EndModal gave, or -1 when WM_QUIT ended the loop.
    int32_t RunModalLoop() override;
    [[nodiscard]] bool IsModal() override { return mModal; }
    [[nodiscard]] bool IsActive() override;
    [[nodiscard]] bool HasFocus() override;
    ZQRESULT SetFocus() override;
    // Sets the one cursor of every native window when it differs from the current one; the one before.
    intptr_t SetCursor(intptr_t cursor) override;
    ZQRESULT GetCursorPos(PointT<int32_t>& point) override;
    [[nodiscard]] uint32_t GetMouseButtons() override;
    [[nodiscard]] uintptr_t GetNativeHandle() override { return mHandle; }
    ZQRESULT SetTextInput(int32_t mode, const WString& value) override;

private:
    using Message = Platform::Window::Message;
    using LResult = Platform::Window::LResult;

    OSWindow(Platform::Window::MessageLoop& loop, Platform::Window::Display* display);

    [[nodiscard]] bool Exists() const { return mHandle != 0 && !mDestroyed; }
    [[nodiscard]] bool IsMainRootWindow() const;
    [[nodiscard]] Platform::Window::Rect GetWindowRect() const;
    [[nodiscard]] RectT<int32_t> GetClientArea();
    // Destroys the window and deletes this object; during this window's modal loop only ends the loop,
    // which then deletes it.
    void DestroyAndDelete(int32_t result);
    // Takes the window away from the display or the loop (WM_DESTROY first).
    void DestroyNativeWindow();
    void ReleaseRootWindow();

    // The system's input state: the display's when one is open, else what the application reports.
    [[nodiscard]] bool IsKeyDown(uint8_t virtualKey) const;
    [[nodiscard]] Platform::Window::Point GetPointerScreenPosition() const;
    void TakeCapture();
    void ReleaseCapture();
    // Whether window is the active window: the display's, or among message-only windows the one with the
    // focus.
    [[nodiscard]] bool IsSystemActive(Platform::Window::WindowHandle window) const;

    // Message handlers.
    void OnPaint();
    void OnKey(const Message& message, bool down);
    void OnChar(const Message& message);
    void OnButtonDown(const Message& message, MouseButton button, bool doubleClick);
    void OnButtonUp(const Message& message, MouseButton button);
    void OnSize(const Message& message);
    void OnMove();
    void OnMouseMove(const Message& message);
    void OnWheel(const Message& message, bool horizontal);
    void OnCaptureChanged(const Message& message);
    [[nodiscard]] LResult OnKickIdle(int32_t count);
    void OnSetFocus();
    void OnKillFocus();
    void OnSysCommand(const Message& message);
    void OnCopyData(const Message& message);
    void OnDestroyClipboard();
    [[nodiscard]] LResult OnPowerBroadcast(const Message& message);
    void InvalidateClientArea();
    [[nodiscard]] uint32_t MouseModifiers(Platform::Window::WParam keys) const;
    [[nodiscard]] uint32_t KeyModifiers(bool alt) const;
    // Whether a point in client coordinates lies outside this window.
    [[nodiscard]] bool IsOutside(const Platform::Window::Point& point);

    Platform::Window::MessageLoop& mLoop;
    Platform::Window::Display* mDisplay;
    Platform::Window::WindowHandle mHandle = 0;
    Platform::Window::WindowHandle mParent = 0;
    bool mDestroyed = false;
    // The geometry of a message-only window: its client area in screen coordinates, and whether shown.
    Platform::Window::Rect mRect;
    bool mVisible = false;

    RCPtr<LRootWindow> mRootWindow;
    RCPtr<LRenderer> mRenderer;
    RCPtr<LRenderContextInfo> mContext;

    Platform::Window::Point mLastMouse;
    uint32_t mPressedButtons = 0; // 1 left, 2 middle, 4 right
    int32_t mPressCount = 0;
    int32_t mWheelRemainder[2] = {}; // vertical, horizontal
    bool mCaptured = false;
    bool mOutsideWorkArea = false;
    bool mModal = false;
    // While RunModalLoop runs: it deletes the object at its end.
    bool mInModalLoop = false;
    bool mShowWhenIdle = false;
};

// The application's cursor for a "UI_CURSOR_" name; 0 without an application or for an unknown name.
[[nodiscard]] intptr_t GetUICursor(const WString& name);
} // namespace ZQ
