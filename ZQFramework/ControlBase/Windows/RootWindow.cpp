#include "ZQFramework/ControlBase/Windows/RootWindow.h"

#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/ControlBase/Services/GlobalHotKeyManager.h"
#include "ZQFramework/ControlBase/Skin/ControlFactory.h"
#include "ZQFramework/ControlBase/Skin/StringTable.h"
#include "ZQFramework/ControlBase/Windows/ControlApplication.h"
#include "ZQFramework/ControlBase/Windows/Dialog.h"
#include "ZQFramework/ControlBase/Windows/WindowOSServices.h"
#include "ZQFramework/Notification/MouseButtonParam.h"
#include "ZQFramework/Notification/MouseWheelParam.h"
#include "ZQFramework/Notification/PointWithModifiersParam.h"
#include "ZQFramework/ObjectBase/Assert.h"
#include "ZQFramework/Renderer/Renderer.h"
#include "ZQFramework/System/Sync/MutexLocker.h"
#include "ZQFramework/Utilities/Graphics/GeometryConversions.h"

#include <algorithm>
#include <climits>

namespace ZQ
{
namespace
{
// Rounds each edge of rect by adding 0.5 and truncating, as the dirty region keeps whole pixels.
void AddToRegion(Region& region, const RectT<int32_t>& rect)
{
    region.AddRect(rect.x, rect.y, rect.x + rect.width, rect.y + rect.height);
}

// The intersection of a and b; false when either extent of it is below 1.
bool Intersect(const RectT<int32_t>& a, const RectT<int32_t>& b, RectT<int32_t>& out)
{
    const int32_t left = std::max(a.x, b.x);
    const int32_t top = std::max(a.y, b.y);
    const int64_t right = std::min<int64_t>(int64_t{a.x} + a.width, int64_t{b.x} + b.width);
    const int64_t bottom = std::min<int64_t>(int64_t{a.y} + a.height, int64_t{b.y} + b.height);
    if (right - left < 1 || bottom - top < 1)
    {
        return false;
    }
    out = {left, top, static_cast<int32_t>(right - left), static_cast<int32_t>(bottom - top)};
    return true;
}
} // namespace

LRootWindow::LRootWindow(const RCPtr<LRenderer>& renderer, IWindowOSServices* services)
    : mRenderer(renderer), mServices(services), mKeys(&mKeyLock, 256)
{
    (void)GetScreenRect();
}

LRootWindow::~LRootWindow() = default;

RCPtr<LRootWindow> LRootWindow::Create(const RCPtr<LRenderer>& renderer, IWindowOSServices* services)
{
    RCPtr<LRootWindow> window(new LRootWindow(renderer, services));
    // The queue's reference to its target is the window's own.
    if (window->SetTarget(RCPtr<LNotificationDistributor>(window)) == 0)
    {
        window->AdjustOwnInternalReferences(1);
    }
    window->mHotKeyManager = LGlobalHotKeyManager::Create(window->GetPostingReceiver());
    return window;
}

ZQRESULT LRootWindow::ReleaseInternalReferences()
{
    UnregisterAllClients();
    ForgetServices();
    SetRootControlByName(WString());
    if (GetTarget() != nullptr)
    {
        AdjustOwnInternalReferences(-1);
    }
    Shutdown();
    return LRefCountedObject::ReleaseInternalReferences();
}

void LRootWindow::ClearControlReferences()
{
    mFocusControl = nullptr;
    mLastFocusControl = nullptr;
    mHoverControl = nullptr;
    mCaptureControl = nullptr;
}

void LRootWindow::CountTreeReference(int32_t n)
{
    AdjustOwnInternalReferences(n);
}

ZQRESULT LRootWindow::SetRootControl(const RCPtr<LControl>& control)
{
    ClearControlReferences();
    if (mRootControl != nullptr)
    {
        CountTreeReference(-1);
        const RCPtr<LControl> old = std::move(mRootControl);
        old->Detach();
        mHotKeyManager->GetKeyBindings().RemoveAll();
    }
    if (control == nullptr)
    {
        return 0;
    }
    mRootControl = control;
    if (control->GetDescriptor() != nullptr)
    {
        mHotKeyManager->GetKeyBindings().LoadBindings(ConstRCPtr<LStringTable>(control->GetStringTable()),
                                                      u"GHK");
    }
    if (control->GetRootWindowObject() == nullptr)
    {
        control->AttachToRootWindow(RCPtr<LRootWindow>(this));
    }
    FillWindow(*control);
    if (mFocusControl == nullptr && mServices != nullptr)
    {
        if (mServices->HasFocus())
        {
            control->SetFocus(true);
        }
        else
        {
            mServices->SetFocus();
        }
    }
    CountTreeReference(1);
    InvalidateRect(GetClientArea());
    return 0;
}

ZQRESULT LRootWindow::SetRootControlByName(const WString& name)
{
    RCPtr<LControl> control;
    IControlApplication* application = IControlApplication::GetCurrent();
    if (!name.IsEmpty() && application != nullptr)
    {
        if (const RCPtr<LControlFactory> factory = application->GetControlFactory(); factory != nullptr)
        {
            control = factory->CreateControlByName(name, RCPtr<LRootWindow>(this));
        }
    }
    return SetRootControl(control);
}

void LRootWindow::RequestClose()
{
    if (const RCPtr<LDialog> dialog(mRootControl); dialog != nullptr)
    {
        dialog->Close(2);
    }
    else if (mServices != nullptr)
    {
        EndModal(0);
    }
}

void LRootWindow::FillWindow(LControl& control)
{
    LLayoutDescriptor::AxisPosition position;
    position.ToControl = LLayoutDescriptor::kPositionClient;
    LLayoutDescriptor::AxisSize size;
    size.ToControl = LLayoutDescriptor::kSizeClient;
    size.Rel = 1.0f;
    control.SetAxisPlacement(position, size, position, size);
}

void LRootWindow::InvalidateRect(const RectT<int32_t>& rect)
{
    const MutexLocker lock(mRenderLock);
    RectT<int32_t> visible;
    if (!Intersect(rect, mClientArea, visible))
    {
        return;
    }
    AddToRegion(mDirtyRegion, visible);
    if (mServices != nullptr)
    {
        mServices->InvalidateRect(visible);
    }
}

void LRootWindow::ForgetServices()
{
    const MutexLocker lock(mRenderLock);
    mServices = nullptr;
}

void LRootWindow::InvalidateAllAndRedraw()
{
    InvalidateRect(GetClientArea());
    if (mServices != nullptr)
    {
        mServices->RedrawNow();
    }
}

void LRootWindow::TakeDirtyRegion(Region& region)
{
    if (mFullRepaint)
    {
        InvalidateRect(GetClientArea());
        mFullRepaint = false;
    }
    const MutexLocker lock(mRenderLock);
    region = std::move(mDirtyRegion);
    mDirtyRegion.Clear();
}

RectT<int32_t> LRootWindow::GetClientArea()
{
    const RectT<int32_t> screen = GetScreenRect();
    return {0, 0, screen.width, screen.height};
}

RectT<int32_t> LRootWindow::GetScreenRect()
{
    if (mServices != nullptr)
    {
        RectT<int32_t> client = mScreenRect;
        mServices->GetClientRect(client);
        PointT<int32_t> origin{client.x, client.y};
        mServices->ClientToScreen(origin, origin);
        mScreenRect = {origin.x, origin.y, client.width, client.height};
        const MutexLocker lock(mRenderLock);
        mClientArea = {0, 0, client.width, client.height};
    }
    return mScreenRect;
}

void LRootWindow::SetWindowRect(const RectT<int32_t>& rect)
{
    if (rect == GetScreenRect())
    {
        return;
    }
    if (mServices != nullptr)
    {
        mServices->SetWindowRect(rect);
    }
    if (mRootControl != nullptr)
    {
        const RectT<double>& area = mRootControl->GetRect();
        mRootControl->Invalidate({0, 0, area.width, area.height}, true);
    }
}

ZQRESULT LRootWindow::SetTitle(const WString& title)
{
    mTitle = title;
    return mServices != nullptr ? mServices->SetTitle(title) : E_FAIL;
}

void LRootWindow::OnControlFocused(const RCPtr<LControl>& control)
{
    ZQ_ASSERT(control == nullptr || control->GetRootWindow().Get() == this);
    mFocusControl = control;
}

void LRootWindow::OnControlUnfocused()
{
    if (mFocusControl != nullptr)
    {
        mLastFocusControl = std::move(mFocusControl);
    }
    mFocusControl = nullptr;
}

void LRootWindow::ForgetControl(const LControl& control)
{
    const auto within = [&control](const RCPtr<LControl>& reference)
    {
        for (const LControl* node = reference.Get(); node != nullptr; node = node->GetParent().Get())
        {
            if (node == &control)
            {
                return true;
            }
        }
        return false;
    };
    for (RCPtr<LControl>* reference :
         {&mFocusControl, &mLastFocusControl, &mHoverControl, &mToolTipOwner, &mCaptureControl})
    {
        if (within(*reference))
        {
            *reference = nullptr;
        }
    }
}

PointT<int32_t> LRootWindow::GetCursorPos() const
{
    PointT<int32_t> point{};
    if (mServices == nullptr)
    {
        return point;
    }
    if (mServices->IsActive())
    {
        mServices->GetCursorPos(point);
        return point;
    }
    if (IControlApplication* application = IControlApplication::GetCurrent(); application != nullptr)
    {
        mServices->ScreenToClient(point, application->GetPointerScreenPosition());
    }
    return point;
}

intptr_t LRootWindow::SetCursor(intptr_t cursor)
{
    if (mServices == nullptr)
    {
        return 0;
    }
    if (cursor == 0)
    {
        if (IControlApplication* application = IControlApplication::GetCurrent(); application != nullptr)
        {
            cursor = application->GetCursor(u"UI_CURSOR_ARROW");
        }
    }
    return mServices->SetCursor(cursor);
}

ZQRESULT LRootWindow::EndModal(int32_t result)
{
    if (mServices == nullptr)
    {
        return E_FAIL;
    }
    mModalResult = result;
    mEndModalPending = true;
    return 0;
}

ZQRESULT LRootWindow::QueueKey(const RCPtr<LKeyParam>& key)
{
    if (key == nullptr)
    {
        return E_INVALIDARG;
    }
    return mKeys.Enqueue(RCPtr<LKeyParam>(key));
}

bool LRootWindow::ProcessIdle(bool firstPass)
{
    while (mKeys.GetCount() > 0)
    {
        const RCPtr<LKeyParam> key = mKeys.Dequeue();
        if (mToolTipOwner != nullptr)
        {
            mToolTipOwner->CreateToolTip(false);
        }
        if (mFocusControl != nullptr)
        {
            mFocusControl->OnKeyPress(key);
        }
    }
    const bool remaining = ProcessNotifications(firstPass);
    if (mEndModalPending && mServices != nullptr)
    {
        mEndModalPending = false;
        mServices->EndModal(mModalResult);
    }
    return remaining;
}

// --- Input routing ---

bool LRootWindow::TakesMouseInput() const
{
    return mServices != nullptr && mServices->IsActive();
}

PointT<int32_t> LRootWindow::RelativeTo(const LControl& control, const PointT<int32_t>& point)
{
    const RectT<double> rect = control.GetRectInWindow();
    return {point.x - RoundToLong(rect.x), point.y - RoundToLong(rect.y)};
}

RCPtr<LControl> LRootWindow::GetControlAtPoint(const PointT<int32_t>& point, PointT<int32_t>& localPoint,
                                               bool setHover)
{
    if (mRootControl == nullptr)
    {
        return nullptr;
    }
    const RectT<double>& rect = mRootControl->GetRect();
    int32_t z = INT_MIN;
    const RCPtr<LControl> control = mRootControl->GetControlAtPoint(
        {point.x - RoundToLong(rect.x), point.y - RoundToLong(rect.y)}, true, localPoint, z);
    if (setHover)
    {
        SetHoverControl(control);
    }
    return control;
}

void LRootWindow::SetHoverControl(const RCPtr<LControl>& requested)
{
    const RCPtr<LControl> control =
        mCaptureControl != nullptr && requested != mCaptureControl ? RCPtr<LControl>() : requested;
    if (control == mHoverControl)
    {
        return;
    }
    RCPtr<LControl> owner;
    if (control != nullptr && control != mCaptureControl)
    {
        owner = control->GetToolTipOwner();
        if (owner != nullptr && owner->GetToolTipText().IsEmpty())
        {
            owner = nullptr;
        }
    }
    if (owner != mToolTipOwner)
    {
        HideToolTip();
        mToolTipOwner = owner;
        if (mToolTipOwner != nullptr)
        {
            mToolTipOwner->CreateToolTip(true);
        }
    }
    const RCPtr<LControl> old = std::move(mHoverControl);
    if (old != nullptr && (old->GetParent() != nullptr || old->GetRootWindowObject() != nullptr))
    {
        old->OnMouseLeave();
    }
    ZQ_ASSERT(control == nullptr || control->GetRootWindow().Get() == this);
    mHoverControl = control;
    if (mHoverControl != nullptr)
    {
        mHoverControl->OnMouseEnter();
    }
}

void LRootWindow::HideToolTip()
{
    if (mToolTipOwner != nullptr)
    {
        mToolTipOwner->CreateToolTip(false);
    }
}

RCPtr<LControl> LRootWindow::FindMouseTarget(const PointT<int32_t>& point, PointT<int32_t>& local)
{
    if (mCaptureControl != nullptr)
    {
        local = RelativeTo(*mCaptureControl, point);
        return mCaptureControl;
    }
    return GetControlAtPoint(point, local, true);
}

void LRootWindow::OnMouseMove(const PointT<int32_t>& point, uint32_t modifiers, int32_t pointerIndex)
{
    if (!TakesMouseInput())
    {
        return;
    }
    PointT<int32_t> local{};
    RCPtr<LControl> target;
    if (mCaptureControl != nullptr)
    {
        GetControlAtPoint(point, local, true);
        // The hover update may have ended the capture.
        if (mCaptureControl != nullptr)
        {
            target = mCaptureControl;
            local = RelativeTo(*target, point);
        }
    }
    else
    {
        target = GetControlAtPoint(point, local, true);
    }
    if (target != nullptr)
    {
        target->OnMouseMove(LPointWithModifiersParam::Create(local.x, local.y, modifiers, pointerIndex));
    }
}

void LRootWindow::OnMouseButton(MouseAction action, MouseButton button, uint32_t modifiers,
                                const PointT<int32_t>& point, int32_t pointerIndex)
{
    if (!TakesMouseInput())
    {
        return;
    }
    if (point != GetCursorPos())
    {
        OnMouseMove(point, modifiers, pointerIndex);
    }
    HideToolTip();
    const bool knownPointer = pointerIndex >= 0 && pointerIndex < kPointerCount;
    const uint32_t bit = ButtonBit(button);
    PointT<int32_t> local{};
    if (action == MouseAction::Up)
    {
        if (knownPointer)
        {
            mPressedButtons[pointerIndex] &= ~bit;
        }
        if (mCaptureControl == nullptr)
        {
            return;
        }
        const RCPtr<LControl> target = mCaptureControl;
        local = RelativeTo(*target, point);
        const uint8_t doubleClick = (mDoubleClickButtons & bit) != 0 ? 1 : 0;
        mDoubleClickButtons &= ~bit;
        target->OnMouseUp(LMouseButtonParam::Create(bit, local.x, local.y, modifiers, doubleClick,
                                                    GetMouseButtons(), pointerIndex));
        return;
    }
    if (action == MouseAction::Down && knownPointer)
    {
        mPressedButtons[pointerIndex] |= bit;
    }
    const RCPtr<LControl> target = FindMouseTarget(point, local);
    if (target == nullptr)
    {
        return;
    }
    const bool doubleClick = action == MouseAction::DoubleClick;
    if (doubleClick)
    {
        mDoubleClickButtons |= bit;
    }
    else
    {
        mDoubleClickButtons &= ~bit;
    }
    target->OnMouseDown(LMouseButtonParam::Create(bit, local.x, local.y, modifiers, doubleClick ? 1 : 0,
                                                  GetMouseButtons(), pointerIndex));
}

void LRootWindow::OnMouseWheel(const PointT<int32_t>& point, uint32_t modifiers, uint32_t direction)
{
    if (!TakesMouseInput())
    {
        return;
    }
    HideToolTip();
    PointT<int32_t> local{};
    const RCPtr<LControl> target = FindMouseTarget(point, local);
    if (target == nullptr)
    {
        return;
    }
    const RCPtr<LMouseWheelParam> wheel = LMouseWheelParam::Create(point.x, point.y, modifiers, direction);
    const auto deliver = [&](const RCPtr<LControl>& control)
    { return direction < 2 ? control->OnWindowMouseWheel(wheel) : control->OnWindowMouseHWheel(wheel); };
    if (deliver(target) == 1 && mFocusControl != nullptr)
    {
        deliver(mFocusControl);
    }
}

ZQRESULT LRootWindow::SetCaptureControl(const RCPtr<LControl>& control)
{
    if (control == nullptr)
    {
        return E_INVALIDARG;
    }
    if (mCaptureControl != nullptr)
    {
        const RCPtr<LControl> previous = mCaptureControl;
        previous->EndMouseCapture();
    }
    ZQ_ASSERT(control->GetRootWindow().Get() == this);
    mCaptureControl = control;
    return 0;
}

ZQRESULT LRootWindow::ReleaseCaptureControl()
{
    mCaptureControl = nullptr;
    return 0;
}

void LRootWindow::OnCaptureLost()
{
    if (mCaptureControl != nullptr)
    {
        const RCPtr<LControl> control = mCaptureControl;
        control->EndMouseCapture();
    }
}

void LRootWindow::DeliverKey(const RCPtr<LKeyParam>& key)
{
    HideToolTip();
    if (mFocusControl != nullptr)
    {
        const RCPtr<LControl> control = mFocusControl;
        control->OnKeyPress(key);
    }
}

void LRootWindow::ResetFocus()
{
    SetHoverControl(nullptr);
    if (mRootControl != nullptr)
    {
        const RCPtr<LControl> root = mRootControl;
        root->SetFocus(true);
        root->KillFocus();
    }
}

void LRootWindow::RestoreFocus()
{
    if (mFocusControl == nullptr && mLastFocusControl != nullptr &&
        RCPtr<LRootWindow>(mLastFocusControl->GetRootWindowObject()).Get() == this)
    {
        const RCPtr<LControl> control = mLastFocusControl;
        control->SetFocus(true);
        return;
    }
    if (mRootControl != nullptr)
    {
        const RCPtr<LControl> root = mRootControl;
        root->SetFocus(true);
    }
}

void LRootWindow::OnSize(int32_t width, int32_t height)
{
    (void)GetScreenRect();
    if (mRootControl != nullptr)
    {
        mRootControl->OnSize(width, height);
    }
}

void LRootWindow::TabToNextWindow(const RCPtr<LKeyParam>& key)
{
    if (mServices == nullptr || !mServices->IsActive() || mServices->IsModal())
    {
        return;
    }
    const bool backward = key != nullptr && (key->mKeyCode.GetCode() & KeyCode::kShift) != 0;
    IControlApplication* application = IControlApplication::GetCurrent();
    const int32_t count =
        application != nullptr ? static_cast<int32_t>(application->GetRootWindowCount()) : 0;
    if (count <= 1)
    {
        if (mRootControl != nullptr)
        {
            const RCPtr<LControl> root = mRootControl;
            root->KillFocus();
            root->SetFocus(!backward);
        }
        return;
    }
    int32_t index = count - 1;
    while (index >= 0 && application->GetRootWindowAt(static_cast<uint32_t>(index)).Get() != this)
    {
        --index;
    }
    index = ((backward ? index - 1 : index + 1) + count) % count;
    const RCPtr<LRootWindow> next(application->GetRootWindowAt(static_cast<uint32_t>(index)));
    if (next == nullptr || next->mServices == nullptr || next->mServices->IsActive())
    {
        return;
    }
    next->mServices->SetFocus();
}

uint32_t LRootWindow::GetModifierKeys() const
{
    IControlApplication* application = IControlApplication::GetCurrent();
    if (application == nullptr)
    {
        return 0;
    }
    static constexpr struct
    {
        VKey Key;
        uint32_t Bit;
    } kModifiers[] = {{VKey::Control, KeyCode::kInputCtrl},
                      {VKey::Shift, KeyCode::kInputShift},
                      {VKey::Menu, KeyCode::kInputAlt}};
    uint32_t modifiers = 0;
    for (const auto& modifier : kModifiers)
    {
        bool down = false;
        bool toggled = false;
        if (application->GetKeyState(static_cast<uint32_t>(modifier.Key), down, toggled) == 0 && down)
        {
            modifiers |= modifier.Bit;
        }
    }
    return modifiers;
}

uint32_t LRootWindow::GetMouseButtons() const
{
    if (mServices == nullptr)
    {
        return 0;
    }
    if (mServices->IsActive())
    {
        return mServices->GetMouseButtons();
    }
    IControlApplication* application = IControlApplication::GetCurrent();
    return application != nullptr ? application->GetMouseButtons() : 0;
}

bool LRootWindow::ConstrainClientSize(int32_t& width, int32_t& height)
{
    const int32_t requestedWidth = width;
    const int32_t requestedHeight = height;
    if (mRootControl != nullptr)
    {
        PointT<double> minimum;
        PointT<double> maximum;
        mRootControl->GetLayoutSize(minimum);
        mRootControl->GetMaximumSize(maximum);
        const auto constrain = [](int32_t value, double low, double high)
        {
            if (high > 0 && value > high)
            {
                value = static_cast<int32_t>(std::min<double>(high, INT32_MAX));
            }
            if (value < low)
            {
                value = static_cast<int32_t>(std::min<double>(low, INT32_MAX));
            }
            return value;
        };
        width = constrain(width, minimum.x, maximum.x);
        height = constrain(height, minimum.y, maximum.y);
    }
    width = std::max(width, 1);
    height = std::max(height, 1);
    return width != requestedWidth || height != requestedHeight;
}

void LRootWindow::SetTextInput(bool active, const RCPtr<LControl>& /*control*/, const WString& value)
{
    if (mServices == nullptr)
    {
        return;
    }
    if (!active)
    {
        mServices->SetTextInput(0, value);
    }
    else if (mFocusControl != nullptr)
    {
        mServices->SetTextInput(1, value);
    }
}
} // namespace ZQ
