#include "Platform/Window/Display.h"
#include "Platform/Window/Keys.h"
#include "Platform/Window/MessageLoop.h"
#include "Platform/Window/System.h"
#include "ZQFramework/ControlBase/Windows/ControlApplication.h"
#include "ZQFramework/ControlBase/Windows/OSWindow.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Notification/KeyCode.h"
#include "ZQFramework/Notification/KeyParam.h"

#include <utility>

// The native window's mouse and keyboard: key messages become key records for the focused control,
// buttons and moves go to the root window with the system capture taken and given back around them,
// and wheel deltas are gathered into whole notches.
namespace ZQ
{
namespace
{
using namespace Platform::Window;

// The capture among message-only windows, which have no display to keep it.
WindowHandle gHeadlessCapture = 0;

constexpr uint32_t kMouseButtonKeys = kMkLButton | kMkMButton | kMkRButton;

PointT<int32_t> ToPoint(const Point& point)
{
    return {point.x, point.y};
}
} // namespace

// --- The system's input state ---

bool OSWindow::IsKeyDown(uint8_t virtualKey) const
{
    if (mDisplay != nullptr)
    {
        return Platform::Window::IsKeyDown(virtualKey);
    }
    bool down = false;
    bool toggled = false;
    if (IControlApplication* application = IControlApplication::GetCurrent(); application != nullptr)
    {
        application->GetKeyState(virtualKey, down, toggled);
    }
    return down;
}

Point OSWindow::GetPointerScreenPosition() const
{
    if (mDisplay != nullptr)
    {
        return Platform::Window::GetCursorPos();
    }
    // Without a display the pointer is where the last mouse message put it. (Asking the application would
    // come back here: its pointer is the active root window's.)
    return {mLastMouse.x + mRect.left, mLastMouse.y + mRect.top};
}

void OSWindow::TakeCapture()
{
    if (mDisplay != nullptr)
    {
        mDisplay->SetCapture(mHandle);
        return;
    }
    const WindowHandle previous = std::exchange(gHeadlessCapture, mHandle);
    if (previous != 0 && previous != mHandle)
    {
        mLoop.SendMessage({previous, kWmCaptureChanged, 0, static_cast<LParam>(mHandle)});
    }
}

void OSWindow::ReleaseCapture()
{
    if (mDisplay != nullptr)
    {
        if (mDisplay->GetCapture() == mHandle)
        {
            mDisplay->ReleaseCapture();
        }
        return;
    }
    if (gHeadlessCapture == mHandle)
    {
        gHeadlessCapture = 0;
        mLoop.SendMessage({mHandle, kWmCaptureChanged, 0, 0});
    }
}

bool OSWindow::IsOutside(const Point& point)
{
    const RectT<int32_t> client = GetClientArea();
    return point.x < 0 || point.y < 0 || point.x >= client.width || point.y >= client.height;
}

uint32_t OSWindow::MouseModifiers(WParam keys) const
{
    uint32_t modifiers = 0;
    if ((keys & kMkControl) != 0)
    {
        modifiers |= KeyCode::kInputCtrl;
    }
    if ((keys & kMkShift) != 0)
    {
        modifiers |= KeyCode::kInputShift;
    }
    if (IsKeyDown(kVkMenu))
    {
        modifiers |= KeyCode::kInputAlt;
    }
    return modifiers;
}

uint32_t OSWindow::KeyModifiers(bool alt) const
{
    struct Modifier
    {
        uint8_t key;
        uint8_t left;
        uint8_t right;
        uint32_t flag;
        uint32_t leftFlag;
        uint32_t rightFlag;
    };
    static constexpr Modifier kShift{kVkShift,
                                     kVkLShift,
                                     kVkRShift,
                                     KeyCode::kInputShift,
                                     KeyCode::kInputLeftShift,
                                     KeyCode::kInputRightShift};
    static constexpr Modifier kCtrl{kVkControl,
                                    kVkLControl,
                                    kVkRControl,
                                    KeyCode::kInputCtrl,
                                    KeyCode::kInputLeftCtrl,
                                    KeyCode::kInputRightCtrl};
    static constexpr Modifier kAlt{
        kVkMenu, kVkLMenu, kVkRMenu, KeyCode::kInputAlt, KeyCode::kInputLeftAlt, KeyCode::kInputRightAlt};
    const auto held = [this](const Modifier& modifier)
    {
        if (!IsKeyDown(modifier.key))
        {
            return 0u;
        }
        return modifier.flag | (IsKeyDown(modifier.left) ? modifier.leftFlag : 0u) |
               (IsKeyDown(modifier.right) ? modifier.rightFlag : 0u);
    };
    uint32_t modifiers = held(kShift) | held(kCtrl);
    if (IsKeyDown(kVkLWin))
    {
        modifiers |= KeyCode::kInputWin | KeyCode::kInputLeftWin;
    }
    if (IsKeyDown(kVkRWin))
    {
        modifiers |= KeyCode::kInputWin | KeyCode::kInputRightWin;
    }
    // Alt counts as the message says it was held, which is what the system judged by.
    if (alt)
    {
        modifiers |= KeyCode::kInputAlt | (IsKeyDown(kAlt.left) ? kAlt.leftFlag : 0u) |
                     (IsKeyDown(kAlt.right) ? kAlt.rightFlag : 0u);
    }
    return modifiers;
}

// --- Keys ---

void OSWindow::OnKey(const Message& message, bool down)
{
    if (mRootWindow == nullptr)
    {
        return;
    }
    const uint32_t modifiers = KeyModifiers((message.lParam & kKeyContextBit) != 0);
    const auto virtualKey = static_cast<uint8_t>(message.wParam & 0xFF);
    if (virtualKey == 0)
    {
        // A key the system cannot name still counts as a chord of Ctrl and Alt, or as a system key.
        const bool systemKey = message.message == kWmSysKeyDown || message.message == kWmSysKeyUp;
        const uint32_t ctrlAndAlt = KeyCode::kInputCtrl | KeyCode::kInputAlt;
        if (!systemKey && (modifiers & ctrlAndAlt) != ctrlAndAlt)
        {
            return;
        }
    }
    const uint8_t wasDown = !down || (message.lParam & kKeyPreviousBit) != 0 ? 1 : 0;
    mRootWindow->DeliverKey(LKeyParam::Create(KeyCode(virtualKey, down, wasDown, modifiers), 0));
}

void OSWindow::OnChar(const Message& message)
{
    if (mRootWindow == nullptr || IsKeyDown(kVkLWin) || IsKeyDown(kVkRWin))
    {
        return;
    }
    uint32_t modifiers = 0;
    if (IsKeyDown(kVkShift))
    {
        modifiers |= KeyCode::kInputShift;
    }
    if (IsKeyDown(kVkControl))
    {
        modifiers |= KeyCode::kInputCtrl;
    }
    if ((message.lParam & kKeyContextBit) != 0)
    {
        modifiers |= KeyCode::kInputAlt;
    }
    mRootWindow->DeliverKey(LKeyParam::Create(KeyCode(static_cast<char16_t>(message.wParam), modifiers), 0));
}

// --- Buttons and moves ---

void OSWindow::OnButtonDown(const Message& message, MouseButton button, bool doubleClick)
{
    const Point at = PointFromParam(message.lParam);
    mLastMouse = at;
    if (mRootWindow == nullptr || mRootWindow->GetFocusControl() == nullptr)
    {
        SetFocus();
    }
    mPressedButtons |= ButtonBit(button);
    if (mRootWindow == nullptr)
    {
        return;
    }
    // The first press takes the capture, so that the release reaches this window wherever it happens.
    if (++mPressCount == 1 && !mCaptured)
    {
        TakeCapture();
        mCaptured = true;
    }
    mRootWindow->OnMouseButton(doubleClick ? MouseAction::DoubleClick : MouseAction::Down, button,
                               MouseModifiers(message.wParam), ToPoint(at), 0);
}

void OSWindow::OnButtonUp(const Message& message, MouseButton button)
{
    mPressedButtons &= ~ButtonBit(button);
    const Point at = PointFromParam(message.lParam);
    mLastMouse = at;
    if (mRootWindow == nullptr)
    {
        return;
    }
    const uint32_t modifiers = MouseModifiers(message.wParam);
    if (IsOutside(at) && mPressedButtons == 0 && mPressCount > 0)
    {
        // The last button came up over another window: the capture goes back after the up is delivered.
        mPressCount = 0;
        mCaptured = false;
        mRootWindow->OnMouseButton(MouseAction::Up, button, modifiers, ToPoint(at), 0);
        ReleaseCapture();
        return;
    }
    mRootWindow->OnMouseButton(MouseAction::Up, button, modifiers, ToPoint(at), 0);
}

void OSWindow::OnMouseMove(const Message& message)
{
    const Point at = PointFromParam(message.lParam);
    // The capture is held while the pointer is over the window too, so that its leaving is seen.
    if (mCaptured)
    {
        if ((message.wParam & kMouseButtonKeys) == 0 && IsOutside(at))
        {
            mCaptured = false;
            ReleaseCapture();
        }
    }
    else if ((mParent != 0 && IsSystemActive(mParent)) || (IsSystemActive(mHandle) && !IsOutside(at)))
    {
        TakeCapture();
        mCaptured = true;
    }
    mLastMouse = at;
    if (mRootWindow != nullptr)
    {
        mRootWindow->OnMouseMove(ToPoint(at), MouseModifiers(message.wParam), 0);
    }
}

void OSWindow::OnCaptureChanged(const Message& message)
{
    if (static_cast<WindowHandle>(message.lParam) == mHandle)
    {
        return;
    }
    mPressCount = 0;
    mCaptured = false;
    if (mRootWindow != nullptr)
    {
        mRootWindow->OnCaptureLost();
    }
}

// --- Wheels ---

void OSWindow::OnWheel(const Message& message, bool horizontal)
{
    const auto delta = static_cast<int16_t>((message.wParam >> 16) & 0xFFFF);
    int32_t& remainder = mWheelRemainder[horizontal ? 1 : 0];
    remainder += delta;
    uint32_t direction = 0;
    if (remainder >= kWheelDelta)
    {
        direction = horizontal ? 3 : 1;
    }
    else if (remainder <= -kWheelDelta)
    {
        direction = horizontal ? 2 : 0;
    }
    else
    {
        return;
    }
    // One event per message however many notches; what is left over waits for the next message.
    remainder %= kWheelDelta;
    const Point screen = PointFromParam(message.lParam);
    PointT<int32_t> client;
    ScreenToClient(client, {screen.x, screen.y});
    mLastMouse = {client.x, client.y};
    if (mRootWindow != nullptr)
    {
        mRootWindow->OnMouseWheel(client, MouseModifiers(message.wParam), direction);
    }
}
} // namespace ZQ
