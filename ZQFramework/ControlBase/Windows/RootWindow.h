#pragma once

#include "ZQFramework/ControlBase/Forward.h"
#include "ZQFramework/Notification/KeyParam.h"
#include "ZQFramework/Notification/MouseButtonParam.h"
#include "ZQFramework/Notification/NotificationDistributor.h"
#include "ZQFramework/Notification/NotificationQueue.h"
#include "ZQFramework/Renderer/Renderer.h"
#include "ZQFramework/System/Sync/Mutex.h"
#include "ZQFramework/Utilities/Graphics/Point.h"
#include "ZQFramework/Utilities/Graphics/Rect.h"
#include "ZQFramework/Utilities/Graphics/Region.h"
#include "ZQFramework/Utilities/Storage/RCPtrQueue.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>

namespace ZQ
{
class IWindowOSServices;

// The bridge between one native window and one tree of controls. It holds the tree's root control,
// collects what controls invalidate into a dirty region that the native window takes when it paints,
// keeps the window's focus, hover, tool-tip and capture controls, owns the window's notification queue
// (drained at idle, and the target of the window's hot keys) and ends the window's modal loop.
//
// Controls reach the native window only through the root window and its IWindowOSServices, a plain
// pointer that the native window gives at construction and takes back when it goes; every operation that
// needs it does nothing (or returns what it says) without it. The tree's reference to the window and the
// queue's reference to its own target are internal references of the window; ReleaseInternalReferences,
// when the last outside reference goes, dismantles the tree and the queue.
//
// UI thread only, except InvalidateRect: the dirty region, the client size it is cut to and the services
// pointer are guarded by the render lock.
class LRootWindow : public LNotificationDistributor, public LNotificationQueue
{
public:
    static constexpr int32_t kPointerCount = 10;

    // A window over renderer and services, made the target of its own notification queue.
    [[nodiscard]] static RCPtr<LRootWindow> Create(const RCPtr<LRenderer>& renderer,
                                                   IWindowOSServices* services);
    ~LRootWindow() override;
    LRootWindow(const LRootWindow&) = delete;
    LRootWindow& operator=(const LRootWindow&) = delete;

    // Unregisters every client, forgets the services, drops the root control and shuts the queue down.
    // 0 when afterwards no internal reference remains and the caller's is the only one, else E_FAIL.
    ZQRESULT ReleaseInternalReferences() override;

    // The control under point (window coordinates) and the point in its coordinates, asked of the root
    // control; setHover moves the hover to it. Null without a root control.
    virtual RCPtr<LControl> GetControlAtPoint(const PointT<int32_t>& point, PointT<int32_t>& localPoint,
                                              bool setHover);

    // --- The tree ---

    // Makes control the root control (null: none), filling the window. Drops the focus, last focus,
    // hover and capture controls first. 0.
    ZQRESULT SetRootControl(const RCPtr<LControl>& control);
    // Makes the control whose skin descriptor has name through the application's control factory and
    // sets it as the root control; an empty name (or one the factory cannot make) leaves none. 0.
    ZQRESULT SetRootControlByName(const WString& name);
    [[nodiscard]] const RCPtr<LControl>& GetRootControl() const { return mRootControl; }
    // The window's close box: a dialog shown here is closed with 2, any other window ends its modal loop
    // with 0.
    void RequestClose();
    [[nodiscard]] const RCPtr<LRenderer>& GetRenderer() const { return mRenderer; }
    [[nodiscard]] IWindowOSServices* GetServices() const { return mServices; }
    // The native window is going: from now on every operation acts as without services. The native
    // window calls it before it goes, so that a root window still held elsewhere never calls into it.
    void ForgetServices();
    [[nodiscard]] const RCPtr<LGlobalHotKeyManager>& GetHotKeyManager() const { return mHotKeyManager; }

    // --- Painting ---

    // Adds rect (window coordinates) to the dirty region and the native window's invalid area, cut to the
    // client area; nothing when that leaves nothing. Any thread: the services' InvalidateRect is called
    // under the render lock and must only queue the area.
    void InvalidateRect(const RectT<int32_t>& rect);
    // The whole client area, painted at once.
    void InvalidateAllAndRedraw();
    // Moves the dirty region out into region (after invalidating everything when a full repaint is due).
    // Any thread.
    void TakeDirtyRegion(Region& region);
    // Paints the tree where region says, the unclipped controls last by their Z order. A paint that
    // finds one in progress invalidates the whole window instead.
    void PaintRegion(const Region& region);
    // Raised by the native window after a resize or a return into the work area.
    void SetFullRepaint(bool fullRepaint) { mFullRepaint = fullRepaint; }
    [[nodiscard]] bool IsFullRepaintPending() const { return mFullRepaint; }

    // --- Placement ---

    // {screen x, screen y, client width, client height}: read from the services when there are any, and
    // kept; else the kept value (initially 0, 0, 1024, 768).
    [[nodiscard]] RectT<int32_t> GetScreenRect();
    // Moves the window's client area onto rect (screen coordinates) when it differs from the kept one, then
    // invalidates the root control whole.
    void SetWindowRect(const RectT<int32_t>& rect);
    // Sets the native window's title and keeps it. E_FAIL without services.
    ZQRESULT SetTitle(const WString& title);
    [[nodiscard]] const WString& GetTitle() const { return mTitle; }

    // --- Focus, hover and capture ---

    [[nodiscard]] const RCPtr<LControl>& GetFocusControl() const { return mFocusControl; }
    [[nodiscard]] const RCPtr<LControl>& GetLastFocusControl() const { return mLastFocusControl; }
    [[nodiscard]] const RCPtr<LControl>& GetHoverControl() const { return mHoverControl; }
    [[nodiscard]] const RCPtr<LControl>& GetCaptureControl() const { return mCaptureControl; }
    [[nodiscard]] const RCPtr<LControl>& GetToolTipOwner() const { return mToolTipOwner; }
    // control becomes the focus control (a control's SetFocus tells it).
    void OnControlFocused(const RCPtr<LControl>& control);
    // The focus control becomes the last focus control and none has the focus (a control's KillFocus).
    void OnControlUnfocused();
    // Drops the focus, last focus, hover, tool-tip owner and capture references to control and its
    // descendants: a control taken out of the tree must not keep receiving the window's input.
    void ForgetControl(const LControl& control);
    // The pointer in client coordinates: from the services while the window is active, else the
    // application's pointer converted by the services; (0, 0) without services.
    [[nodiscard]] PointT<int32_t> GetCursorPos() const;

    // --- Input routing ---

    // Moves the hover (and the tool tip that goes with it) to control; while a control holds the capture,
    // only it can be the hover control.
    void SetHoverControl(const RCPtr<LControl>& control);
    // Mouse input in client coordinates; each does nothing without services or while the window is not
    // active. direction: 0 and 1 vertical, 2 and 3 horizontal.
    void OnMouseMove(const PointT<int32_t>& point, uint32_t modifiers, int32_t pointerIndex);
    void OnMouseButton(MouseAction action, MouseButton button, uint32_t modifiers,
                       const PointT<int32_t>& point, int32_t pointerIndex);
    // The same with the action and the button as their numbers (0 down, 1 up, 2 double click; 1 left,
    // 2 middle, 4 right), as a recorded or scripted input gives them.
    void OnMouseButton(int32_t action, uint32_t button, uint32_t modifiers, const PointT<int32_t>& point,
                       int32_t pointerIndex)
    {
        OnMouseButton(static_cast<MouseAction>(action), static_cast<MouseButton>(button), modifiers, point,
                      pointerIndex);
    }
    void OnMouseWheel(const PointT<int32_t>& point, uint32_t modifiers, uint32_t direction);
    // E_INVALIDARG for null; otherwise the current capture control's capture ends and control takes it. 0.
    ZQRESULT SetCaptureControl(const RCPtr<LControl>& control);
    // Forgets the capture control. 0.
    ZQRESULT ReleaseCaptureControl();
    // The native window lost the system's capture: the capture control's capture ends.
    void OnCaptureLost();
    // Hands key to the focus control, after hiding the tool tip; nothing without a focus control.
    void DeliverKey(const RCPtr<LKeyParam>& key);
    // The native window lost the keyboard focus: no hover, and the tree gives the focus up.
    void ResetFocus();
    // The native window got the keyboard focus back: the last focus control (when it is still in this
    // window), else the root control, takes it.
    void RestoreFocus();
    void OnSize(int32_t width, int32_t height);
    // Tab left the first or last control: the focus moves to the next (Shift: previous) root window of the
    // application, or round the only one.
    void TabToNextWindow(const RCPtr<LKeyParam>& key);
    // Ctrl 0x1, Shift 0x8, Alt 0x40, from the application's key state.
    [[nodiscard]] uint32_t GetModifierKeys() const;
    // From the services while the window is active, else from the application; 0 without services.
    [[nodiscard]] uint32_t GetMouseButtons() const;
    // The size the root control's layout allows for width and height (each at least 1); true when it
    // changed them.
    bool ConstrainClientSize(int32_t& width, int32_t& height);
    // Text input on (for control, when a control has the focus) or off.
    void SetTextInput(bool active, const RCPtr<LControl>& control, const WString& value);

    // --- Cursor, modal loop and idle ---

    // The native window's cursor becomes cursor (0: the application's arrow). The previous cursor; 0
    // without services.
    intptr_t SetCursor(intptr_t cursor);
    // E_FAIL without services; otherwise the modal loop ends with result at the next idle pass. 0.
    ZQRESULT EndModal(int32_t result);
    [[nodiscard]] bool IsEndModalPending() const { return mEndModalPending; }
    // Keys queued for the focus control, then the window's notification queue (firstPass sends
    // "NID_IDLE"), then a pending modal end. True when notifications remain queued.
    bool ProcessIdle(bool firstPass);
    // Queues a key for the focus control; ProcessIdle hands it over. 0; E_INVALIDARG for null.
    ZQRESULT QueueKey(const RCPtr<LKeyParam>& key);

protected:
    LRootWindow(const RCPtr<LRenderer>& renderer, IWindowOSServices* services);

    // The client area at the window's origin: (0, 0, client width, client height).
    [[nodiscard]] RectT<int32_t> GetClientArea();

private:
    void ClearControlReferences();
    // Whether mouse input is taken now: services exist and the window is active.
    [[nodiscard]] bool TakesMouseInput() const;
    // The capture control (point made relative to it) or the control under point (hover moved).
    RCPtr<LControl> FindMouseTarget(const PointT<int32_t>& point, PointT<int32_t>& local);
    void HideToolTip();
    // point relative to control's position in the window, rounded half away from zero.
    [[nodiscard]] static PointT<int32_t> RelativeTo(const LControl& control, const PointT<int32_t>& point);
    // Places control over the whole client area on both axes.
    static void FillWindow(LControl& control);
    // The tree's reference to this window, counted as internal while a root control is set.
    void CountTreeReference(int32_t n);

    RCPtr<LRenderer> mRenderer;
    // Written under mRenderLock (ForgetServices), read without it on the UI thread and under it elsewhere.
    IWindowOSServices* mServices;
    RectT<int32_t> mScreenRect{0, 0, 1024, 768};
    RectT<int32_t> mClientArea{0, 0, 1024, 768}; // guarded by mRenderLock; kept by GetScreenRect
    WString mTitle;
    RCPtr<LControl> mRootControl;
    Mutex mRenderLock;
    Region mDirtyRegion; // guarded by mRenderLock
    bool mFullRepaint = false;
    uint32_t mDoubleClickButtons = 0;
    uint32_t mPressedButtons[kPointerCount] = {};
    RCPtr<LGlobalHotKeyManager> mHotKeyManager;
    RCPtr<LControl> mFocusControl;
    RCPtr<LControl> mLastFocusControl;
    RCPtr<LControl> mHoverControl;
    RCPtr<LControl> mToolTipOwner;
    RCPtr<LControl> mCaptureControl;
    bool mEndModalPending = false;
    int32_t mModalResult = 0;
    Mutex mKeyLock;
    RCPtrQueue<LKeyParam, 256, Mutex> mKeys; // guarded by mKeyLock
};
} // namespace ZQ
