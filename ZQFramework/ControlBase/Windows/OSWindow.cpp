#include "ZQFramework/ControlBase/Windows/OSWindow.h"

#include "Platform/Window/CopyData.h"
#include "Platform/Window/Display.h"
#include "Platform/Window/MessageLoop.h"
#include "Platform/Window/Placement.h"
#include "Platform/Window/System.h"
#include "ZQFramework/ControlBase/Services/Clipboard.h"
#include "ZQFramework/ControlBase/Windows/ControlApplication.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationCenterManager.h"
#include "ZQFramework/Notification/NotificationNames.h"
#include "ZQFramework/Renderer/RenderContextInfo.h"
#include "ZQFramework/Renderer/Renderer.h"
#include "ZQFramework/Utilities/Graphics/Region.h"

#include <chrono>
#include <string>
#include <utility>

namespace ZQ
{
namespace
{
using namespace Platform::Window;

// The keyboard focus among message-only windows, which have no display to keep it.
WindowHandle gHeadlessFocus = 0;
// The one cursor of every native window.
intptr_t gCurrentCursor = 0;

std::u16string_view View(const WString& text)
{
    return {text.GetBuffer(), static_cast<size_t>(text.GetLength())};
}

IControlApplication* Application()
{
    return IControlApplication::GetCurrent();
}

bool Contains(const RectT<int32_t>& outer, const Rect& inner)
{
    return inner.left >= outer.x && inner.top >= outer.y &&
           int64_t{inner.right} <= int64_t{outer.x} + outer.width &&
           int64_t{inner.bottom} <= int64_t{outer.y} + outer.height;
}

Rect ToRect(const RectT<int32_t>& rect)
{
    return {rect.x, rect.y, rect.x + rect.width, rect.y + rect.height};
}

// Moves the focus of message-only windows to target, telling the window that loses it and the one that
// gets it, as the system tells its windows.
void MoveHeadlessFocus(MessageLoop& loop, WindowHandle target)
{
    if (gHeadlessFocus == target)
    {
        return;
    }
    const WindowHandle previous = std::exchange(gHeadlessFocus, target);
    if (previous != 0)
    {
        loop.SendMessage({previous, kWmKillFocus, static_cast<WParam>(target), 0});
    }
    if (target != 0)
    {
        loop.SendMessage({target, kWmSetFocus, static_cast<WParam>(previous), 0});
    }
}
} // namespace

OSWindow::OSWindow(MessageLoop& loop, Display* display) : mLoop(loop), mDisplay(display)
{
}

OSWindow* OSWindow::Create(const WindowDesc& desc)
{
    MessageLoop* loop = MessageLoop::Current();
    if (loop == nullptr)
    {
        return nullptr;
    }
    WindowDesc actual = desc;
    if (actual.className.empty())
    {
        if (IControlApplication* application = Application(); application != nullptr)
        {
            const AString className(application->GetWindowClassName());
            actual.className.assign(className.GetBuffer(), static_cast<size_t>(className.GetLength()));
        }
    }
    auto* window = new OSWindow(*loop, Display::Current());
    window->mParent = desc.parent;
    window->mRect = desc.rect;
    WindowProc proc = [window](const Message& message) { return window->OnMessage(message); };
    window->mHandle = window->mDisplay != nullptr ? window->mDisplay->CreateWindow(actual, std::move(proc))
                                                  : loop->CreateMessageWindow(std::move(proc));
    return window;
}

OSWindow::~OSWindow()
{
    if (Exists())
    {
        DestroyNativeWindow();
    }
    ReleaseRootWindow();
}

void OSWindow::ReleaseRootWindow()
{
    if (mRootWindow != nullptr)
    {
        // No control may reach this window once it is gone, even when the root window lives on.
        mRootWindow->ForgetServices();
        if (IControlApplication* application = Application(); application != nullptr)
        {
            application->UnregisterRootWindow(mRootWindow.Get());
        }
    }
    mContext = nullptr;
    mRenderer = nullptr;
    mRootWindow = nullptr;
}

bool OSWindow::IsMainRootWindow() const
{
    IControlApplication* application = Application();
    if (application == nullptr || mRootWindow == nullptr)
    {
        return false;
    }
    const LRefCountedObject* root = mRootWindow.Get();
    return application->GetFirstRootWindow().Get() == root;
}

// --- Creation and destruction ---

void OSWindow::SetVisible(bool visible)
{
    Show(visible ? kSwShow : kSwHide);
}

ZQRESULT OSWindow::CreateRenderer(int32_t type)
{
    const RectT<int32_t> client = GetClientArea();
    const RCPtr<LRenderer> renderer = LRenderer::Create(type, client, static_cast<intptr_t>(mHandle));
    mLoop.SetTimer(mHandle, kIdleTimerId, std::chrono::milliseconds(kIdleTimerMilliseconds));
    return SetRenderer(renderer);
}

ZQRESULT OSWindow::SetRenderer(const RCPtr<LRenderer>& renderer)
{
    ReleaseRootWindow();
    mRenderer = renderer;
    if (mRenderer != nullptr)
    {
        mRenderer->InitRenderContextInfo(GetClientArea(), static_cast<intptr_t>(mHandle), false, mContext);
    }
    mRootWindow = LRootWindow::Create(mRenderer, this);
    if (IControlApplication* application = Application(); application != nullptr)
    {
        application->RegisterRootWindow(mRootWindow);
    }
    return 0;
}

bool OSWindow::DestroyWindow()
{
    if (!Exists())
    {
        return false;
    }
    // A message-only window has no place on a screen to keep.
    IControlApplication* application = Application();
    if (mDisplay != nullptr && mParent == 0 && IsMainRootWindow())
    {
        SavePlacement(View(application->GetWindowClassName()), mDisplay->GetPlacement(mHandle));
    }
    DestroyNativeWindow();
    return true;
}

void OSWindow::DestroyNativeWindow()
{
    // The context draws onto the window: it goes first.
    mContext = nullptr;
    if (mDisplay != nullptr)
    {
        mDisplay->DestroyWindow(mHandle);
    }
    else
    {
        ReleaseCapture();
        mLoop.SendMessage({mHandle, kWmDestroy, 0, 0});
        mLoop.RemoveWindow(mHandle);
        if (gHeadlessFocus == mHandle)
        {
            gHeadlessFocus = 0;
        }
    }
    mDestroyed = true;
}

void OSWindow::DestroyAndDelete(int32_t result)
{
    DestroyWindow();
    if (mInModalLoop)
    {
        // RunModalLoop is still on the stack: it deletes the object when it returns.
        mModal = false;
        mLoop.EndModalLoop(result);
        return;
    }
    delete this;
}

// --- Geometry ---

Rect OSWindow::GetWindowRect() const
{
    return mDisplay != nullptr ? mDisplay->GetWindowRect(mHandle) : mRect;
}

RectT<int32_t> OSWindow::GetClientArea()
{
    RectT<int32_t> client{0, 0, 0, 0};
    GetClientRect(client);
    return client;
}

ZQRESULT OSWindow::GetClientRect(RectT<int32_t>& rect)
{
    const Rect client =
        mDisplay != nullptr ? mDisplay->GetClientRect(mHandle) : Rect{0, 0, mRect.Width(), mRect.Height()};
    if (client.right >= client.left && client.bottom >= client.top)
    {
        rect = {client.left, client.top, client.Width(), client.Height()};
    }
    return 0;
}

ZQRESULT OSWindow::ScreenToClient(PointT<int32_t>& out, const PointT<int32_t>& point)
{
    const Point client = mDisplay != nullptr ? mDisplay->ScreenToClient(mHandle, {point.x, point.y})
                                             : Point{point.x - mRect.left, point.y - mRect.top};
    out = {client.x, client.y};
    return 0;
}

ZQRESULT OSWindow::ClientToScreen(PointT<int32_t>& out, const PointT<int32_t>& point)
{
    const Point screen = mDisplay != nullptr ? mDisplay->ClientToScreen(mHandle, {point.x, point.y})
                                             : Point{point.x + mRect.left, point.y + mRect.top};
    out = {screen.x, screen.y};
    return 0;
}

ZQRESULT OSWindow::SetWindowRect(const RectT<int32_t>& rect)
{
    Rect target = ToRect(rect);
    if (mDisplay != nullptr)
    {
        if (mParent != 0)
        {
            const Point origin = mDisplay->ScreenToClient(mParent, {target.left, target.top});
            target = {origin.x, origin.y, origin.x + rect.width, origin.y + rect.height};
        }
        mDisplay->MoveWindow(mHandle, target);
        return 0;
    }
    // A message-only window is moved at once, and told so as a moved window would be.
    const Rect before = std::exchange(mRect, target);
    if (before.Width() != target.Width() || before.Height() != target.Height())
    {
        mLoop.SendMessage({mHandle, kWmSize, kSizeRestored, MakeSizeParam(target.Width(), target.Height())});
    }
    if (before.left != target.left || before.top != target.top)
    {
        mLoop.SendMessage({mHandle, kWmMove, 0, MakePointParam(target.left, target.top)});
    }
    return 0;
}

void OSWindow::ConstrainWindowRect(Rect& rect)
{
    if (mRootWindow == nullptr)
    {
        return;
    }
    const Rect window = GetWindowRect();
    const RectT<int32_t> client = GetClientArea();
    const int32_t borderWidth = window.Width() - client.width;
    const int32_t borderHeight = window.Height() - client.height;
    int32_t width = rect.Width() - borderWidth;
    int32_t height = rect.Height() - borderHeight;
    if (mRootWindow->ConstrainClientSize(width, height))
    {
        rect.right = rect.left + width + borderWidth;
        rect.bottom = rect.top + height + borderHeight;
    }
}

// --- Services ---

ZQRESULT OSWindow::SetTitle(const WString& text)
{
    if (!Exists())
    {
        return E_FAIL;
    }
    if (mDisplay != nullptr)
    {
        mDisplay->SetTitle(mHandle, View(text));
        // A child window is titled through the window it sits in.
        if (mParent != 0)
        {
            mDisplay->SetTitle(mParent, View(text));
        }
    }
    return 0;
}

ZQRESULT OSWindow::InvalidateAll()
{
    mLoop.InvalidateRect(mHandle, ToRect(GetClientArea()));
    return 0;
}

ZQRESULT OSWindow::InvalidateRect(const RectT<int32_t>& rect)
{
    mLoop.InvalidateRect(mHandle, ToRect(rect));
    return 0;
}

bool OSWindow::Show(int32_t command)
{
    if (mDisplay != nullptr)
    {
        return mDisplay->ShowWindow(mHandle, command);
    }
    return std::exchange(mVisible, command != kSwHide);
}

ZQRESULT OSWindow::RedrawNow()
{
    if (!Exists())
    {
        return E_FAIL;
    }
    InvalidateAll();
    mLoop.PaintNow(mHandle);
    return 0;
}

ZQRESULT OSWindow::BringToTop()
{
    if (!Exists())
    {
        return E_FAIL;
    }
    if (mDisplay != nullptr)
    {
        mDisplay->Raise(mHandle);
    }
    return 0;
}

ZQRESULT OSWindow::SetTopMost(bool topMost)
{
    if (!Exists())
    {
        return E_FAIL;
    }
    if (mDisplay != nullptr)
    {
        mDisplay->SetTopMost(mHandle, topMost);
    }
    return 0;
}

ZQRESULT OSWindow::EndModal(int32_t result)
{
    if (mModal)
    {
        mLoop.EndModalLoop(result);
        mModal = false;
        return 0;
    }
    DestroyAndDelete(result);
    return 0;
}

int32_t OSWindow::RunModalLoop()
{
    mModal = true;
    mInModalLoop = true;
    mLoop.EnableWindow(mHandle, true);
    const bool wasVisible = mDisplay != nullptr ? mDisplay->IsVisible(mHandle) : mVisible;
    mShowWhenIdle = !wasVisible;
    const WindowHandle owner = mParent;
    const int32_t result = mLoop.RunModalLoop(
        owner,
        [this, owner](int32_t count)
        {
            if (mShowWhenIdle)
            {
                mShowWhenIdle = false;
                Show(kSwShowNormal);
                mLoop.PaintNow(mHandle);
            }
            if (count == 0 && owner != 0)
            {
                mLoop.SendMessage({owner, kWmEnterIdle, 0, static_cast<LParam>(mHandle)});
            }
            return mLoop.SendMessage({mHandle, kWmKickIdle, static_cast<WParam>(count), 0}) != 0;
        });
    mModal = false;
    mInModalLoop = false;
    if (owner != 0 && Exists() && IsActive())
    {
        if (mDisplay != nullptr)
        {
            mDisplay->SetFocus(owner);
        }
        else
        {
            MoveHeadlessFocus(mLoop, owner);
        }
    }
    DestroyWindow();
    delete this;
    return result;
}

bool OSWindow::IsSystemActive(WindowHandle window) const
{
    return mDisplay != nullptr ? mDisplay->IsActive(window) : window != 0 && window == gHeadlessFocus;
}

bool OSWindow::IsActive()
{
    if (!Exists())
    {
        return false;
    }
    return IsSystemActive(mHandle) || (mParent != 0 && IsMainRootWindow() && IsSystemActive(mParent));
}

bool OSWindow::HasFocus()
{
    if (!Exists())
    {
        return false;
    }
    return mDisplay != nullptr ? mDisplay->GetFocus() == mHandle : gHeadlessFocus == mHandle;
}

ZQRESULT OSWindow::SetFocus()
{
    if (!Exists())
    {
        return E_FAIL;
    }
    if (mDisplay != nullptr)
    {
        // Focusing the focused window again would only make the server report a change that is none.
        if (mDisplay->GetFocus() != mHandle)
        {
            mDisplay->SetFocus(mHandle);
        }
        return 0;
    }
    MoveHeadlessFocus(mLoop, mHandle);
    return 0;
}

intptr_t OSWindow::SetCursor(intptr_t cursor)
{
    if (cursor == gCurrentCursor)
    {
        return gCurrentCursor;
    }
    Platform::Window::SetCursor(static_cast<CursorHandle>(cursor));
    return std::exchange(gCurrentCursor, cursor);
}

ZQRESULT OSWindow::GetCursorPos(PointT<int32_t>& point)
{
    if (!mCaptured)
    {
        const Point screen = GetPointerScreenPosition();
        PointT<int32_t> client;
        ScreenToClient(client, {screen.x, screen.y});
        mLastMouse = {client.x, client.y};
    }
    point = {mLastMouse.x, mLastMouse.y};
    return 0;
}

uint32_t OSWindow::GetMouseButtons()
{
    if (mCaptured)
    {
        return mPressedButtons;
    }
    if (mDisplay != nullptr)
    {
        const uint32_t keys = Platform::Window::GetMouseButtons();
        const auto held = [keys](uint32_t key, MouseButton button)
        { return (keys & key) != 0 ? ButtonBit(button) : 0u; };
        return held(kMkLButton, MouseButton::Left) | held(kMkMButton, MouseButton::Middle) |
               held(kMkRButton, MouseButton::Right);
    }
    IControlApplication* application = Application();
    return application != nullptr ? application->GetMouseButtons() : 0;
}

ZQRESULT OSWindow::SetTextInput(int32_t /*mode*/, const WString& /*value*/)
{
    return 0;
}

// --- Messages ---

LResult OSWindow::OnMessage(const Message& message)
{
    // A hidden modal window shows itself at the first sign of life, as at its first idle pass.
    if ((message.message == kWmSysKeyDown || message.message == kWmSysTimer) && mInModalLoop &&
        std::exchange(mShowWhenIdle, false))
    {
        Show(kSwShowNormal);
    }
    switch (message.message)
    {
    case kWmPaint:
        OnPaint();
        return 0;
    case kWmKeyDown:
    case kWmSysKeyDown:
        OnKey(message, true);
        return 0;
    case kWmKeyUp:
    case kWmSysKeyUp:
        OnKey(message, false);
        return 0;
    case kWmChar:
        OnChar(message);
        return 0;
    case kWmLButtonDown:
    case kWmLButtonDblClk:
        OnButtonDown(message, MouseButton::Left, message.message == kWmLButtonDblClk);
        return 0;
    case kWmMButtonDown:
    case kWmMButtonDblClk:
        OnButtonDown(message, MouseButton::Middle, message.message == kWmMButtonDblClk);
        return 0;
    case kWmRButtonDown:
    case kWmRButtonDblClk:
        OnButtonDown(message, MouseButton::Right, message.message == kWmRButtonDblClk);
        return 0;
    case kWmLButtonUp:
        OnButtonUp(message, MouseButton::Left);
        return 0;
    case kWmMButtonUp:
        OnButtonUp(message, MouseButton::Middle);
        return 0;
    case kWmRButtonUp:
        OnButtonUp(message, MouseButton::Right);
        return 0;
    case kWmNcLButtonDown:
    case kWmNcMButtonDown:
    case kWmNcRButtonDown:
        if (mRootWindow != nullptr)
        {
            mRootWindow->RestoreFocus();
        }
        return 0;
    case kWmSizing:
        if (message.lParam != 0)
        {
            ConstrainWindowRect(*reinterpret_cast<Rect*>(message.lParam));
        }
        return 1;
    case kWmSize:
        OnSize(message);
        return 0;
    case kWmMove:
        OnMove();
        return 0;
    case kWmClose:
        DestroyAndDelete(0);
        return 0;
    case kWmMouseMove:
        OnMouseMove(message);
        return 0;
    case kWmMouseWheel:
    case kWmMouseHWheel:
        OnWheel(message, message.message == kWmMouseHWheel);
        return 0;
    case kWmCaptureChanged:
        OnCaptureChanged(message);
        return 0;
    case kWmKickIdle:
        return OnKickIdle(static_cast<int32_t>(message.wParam));
    case kWmSetFocus:
        OnSetFocus();
        return 0;
    case kWmKillFocus:
        OnKillFocus();
        return 0;
    case kWmSysCommand:
        OnSysCommand(message);
        return 0;
    case kWmCopyData:
        OnCopyData(message);
        return 0;
    case kWmDestroyClipboard:
        OnDestroyClipboard();
        return 0;
    case kWmRenderFormat:
    case kWmRenderAllFormats:
        return 0;
    case kWmDisplayChange:
        InvalidateClientArea();
        return 1;
    case kWmPowerBroadcast:
        return OnPowerBroadcast(message);
    default:
        // WM_TIMER (the idle tick) only wakes the loop, whose idle processing then runs again.
        return 0;
    }
}

void OSWindow::OnPaint()
{
    if (mRootWindow == nullptr || mRenderer == nullptr || mContext == nullptr)
    {
        return;
    }
    const Rect update = mLoop.GetUpdateRect(mHandle);
    mLoop.ValidateWindow(mHandle);
    Region dirty;
    mRootWindow->TakeDirtyRegion(dirty);
    Region& invalid = mContext->GetInvalidRegion();
    invalid = dirty;
    invalid.AddRect(update.left, update.top, update.right, update.bottom);

    mRenderer->RenderStart(mContext);
    // The back buffer holds the rest of the window: only what controls invalidated is drawn again,
    // unless the whole window is to be shown anew.
    const RectT<int32_t>& viewport = mContext->GetViewport();
    Region::Edges bounds;
    const bool whole = invalid.GetRectCount() == 1 && invalid.GetBounds(bounds) &&
                       bounds == Region::Edges{viewport.x, viewport.y, viewport.x + viewport.width,
                                               viewport.y + viewport.height};
    mRootWindow->PaintRegion(whole ? invalid : dirty);
    mRenderer->RenderFinish(mContext);
}

void OSWindow::OnSize(const Message& message)
{
    if (mRootWindow == nullptr)
    {
        return;
    }
    const Point size = PointFromParam(message.lParam);
    if (message.wParam == kSizeRestored || message.wParam == kSizeMaximized)
    {
        mRootWindow->OnSize(size.x, size.y);
        mRootWindow->SetFullRepaint(true);
    }
    Rect area{0, 0, size.x, size.y};
    ConstrainWindowRect(area);
    if (mContext != nullptr)
    {
        mContext->SetViewport({0, 0, area.Width(), area.Height()});
    }
}

void OSWindow::OnMove()
{
    if (mRootWindow == nullptr)
    {
        return;
    }
    // Back inside the work area after having been partly outside it: what was outside is drawn anew.
    if (std::exchange(mOutsideWorkArea, false))
    {
        mRootWindow->SetFullRepaint(true);
    }
    if (IControlApplication* application = Application(); application != nullptr)
    {
        mOutsideWorkArea = !Contains(application->GetWorkArea(), GetWindowRect());
    }
}

LResult OSWindow::OnKickIdle(int32_t count)
{
    IControlApplication* application = Application();
    if (application == nullptr)
    {
        return 0;
    }
    const bool moreWork = application->ProcessPendingNotifications(count == 0);
    return moreWork && count < 2 ? 1 : 0;
}

void OSWindow::OnSetFocus()
{
    if (mDisplay == nullptr)
    {
        gHeadlessFocus = mHandle;
    }
    if (mRootWindow != nullptr)
    {
        mRootWindow->RestoreFocus();
    }
}

void OSWindow::OnKillFocus()
{
    if (mDisplay == nullptr && gHeadlessFocus == mHandle)
    {
        gHeadlessFocus = 0;
    }
    if (mCaptured)
    {
        mCaptured = false;
        ReleaseCapture();
    }
    if (mRootWindow != nullptr)
    {
        mRootWindow->ResetFocus();
    }
}

void OSWindow::OnSysCommand(const Message& message)
{
    if ((message.wParam & 0xFFF0) != kScClose || mRootWindow == nullptr)
    {
        return;
    }
    // The main window's close box asks the application to exit; any other window closes itself.
    if (IsMainRootWindow())
    {
        GetDefaultNotificationCenter()->PostNotification(LNotification::Create(kNidAppExitReq));
    }
    else
    {
        mRootWindow->RequestClose();
    }
}

void OSWindow::OnCopyData(const Message& message)
{
    const auto* data = reinterpret_cast<const CopyData*>(message.lParam);
    if (data == nullptr || data->id != kCommandLineCopyDataId || !mLoop.IsWindowEnabled(mHandle))
    {
        return;
    }
    // The sender's bytes need not end in a NUL: the text never runs past them.
    const std::string bytes = CopyDataText(data->bytes);
    WString text;
    text.Assign(bytes.c_str(), static_cast<int>(bytes.size()));
    if (IControlApplication* application = Application(); application != nullptr)
    {
        application->OnCommandLine(text);
    }
}

void OSWindow::OnDestroyClipboard()
{
    IControlApplication* application = Application();
    if (application == nullptr)
    {
        return;
    }
    if (const RCPtr<LClipboard> clipboard = application->GetClipboard(); clipboard != nullptr)
    {
        clipboard->SetText(nullptr);
    }
}

LResult OSWindow::OnPowerBroadcast(const Message& message)
{
    LResult answer = 1;
    if (IsMainRootWindow())
    {
        answer = Application()->OnPowerBroadcast(mHandle, message.wParam);
    }
    InvalidateClientArea();
    return answer;
}

void OSWindow::InvalidateClientArea()
{
    if (mRootWindow != nullptr)
    {
        mRootWindow->InvalidateRect(GetClientArea());
    }
}

intptr_t GetUICursor(const WString& name)
{
    IControlApplication* application = IControlApplication::GetCurrent();
    return application != nullptr ? application->GetCursor(name) : 0;
}
} // namespace ZQ
