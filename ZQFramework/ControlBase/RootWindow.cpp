#include "ZQFramework/ControlBase/RootWindow.h"

#include "ZQFramework/ControlBase/Control.h"
#include "ZQFramework/ControlBase/ControlApplication.h"
#include "ZQFramework/ControlBase/GlobalHotKeyManager.h"
#include "ZQFramework/ControlBase/StringTable.h"
#include "ZQFramework/ControlBase/WindowOSServices.h"
#include "ZQFramework/Renderer/Renderer.h"
#include "ZQFramework/System/Sync/MutexLocker.h"

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
    (void)UnregisterAllClients();
    mServices = nullptr;
    (void)SetRootControl(nullptr);
    if (GetTarget() != nullptr)
    {
        AdjustOwnInternalReferences(-1);
    }
    Shutdown();
    return LRefCountedObject::ReleaseInternalReferences();
}

RCPtr<LControl> LRootWindow::GetControlAtPoint(const PointT<int32_t>& /*point*/,
                                               PointT<int32_t>& /*localPoint*/, bool /*setHover*/)
{
    return nullptr;
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
        (void)old->Detach();
        mHotKeyManager->GetKeyBindings().RemoveAll();
    }
    if (control == nullptr)
    {
        return 0;
    }
    mRootControl = control;
    if (control->GetDescriptor() != nullptr)
    {
        (void)mHotKeyManager->GetKeyBindings().LoadBindings(
            ConstRCPtr<LStringTable>(control->GetStringTable()), u"GHK");
    }
    if (control->GetRootWindowObject() == nullptr)
    {
        (void)control->AttachToRootWindow(RCPtr<LRootWindow>(this));
    }
    FillWindow(*control);
    if (mFocusControl == nullptr && mServices != nullptr)
    {
        if (mServices->HasFocus())
        {
            (void)control->SetFocus(true);
        }
        else
        {
            (void)mServices->SetFocus();
        }
    }
    CountTreeReference(1);
    InvalidateRect(GetClientArea());
    return 0;
}

void LRootWindow::FillWindow(LControl& control)
{
    LLayoutDescriptor::AxisPosition position;
    position.ToControl = LLayoutDescriptor::kPositionClient;
    LLayoutDescriptor::AxisSize size;
    size.ToControl = LLayoutDescriptor::kSizeClient;
    size.Rel = 1.0f;
    (void)control.SetAxisPlacement(position, size, position, size);
}

void LRootWindow::InvalidateRect(const RectT<int32_t>& rect)
{
    RectT<int32_t> visible;
    if (!Intersect(rect, GetClientArea(), visible))
    {
        return;
    }
    {
        const MutexLocker lock(mRenderLock);
        AddToRegion(mDirtyRegion, visible);
    }
    if (IWindowOSServices* services = mServices; services != nullptr)
    {
        (void)services->InvalidateRect(visible);
    }
}

void LRootWindow::InvalidateAllAndRedraw()
{
    InvalidateRect(GetClientArea());
    if (mServices != nullptr)
    {
        (void)mServices->RedrawNow();
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
        (void)mServices->GetClientRect(client);
        PointT<int32_t> origin{client.x, client.y};
        (void)mServices->ClientToScreen(origin, origin);
        mScreenRect = {origin.x, origin.y, client.width, client.height};
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
        (void)mServices->SetWindowRect(rect);
    }
    if (mRootControl != nullptr)
    {
        const RectT<double>& area = mRootControl->GetRect();
        (void)mRootControl->Invalidate({0, 0, area.width, area.height}, true);
    }
}

ZQRESULT LRootWindow::SetTitle(const WString& title)
{
    mTitle = title;
    return mServices != nullptr ? mServices->SetTitle(title) : E_FAIL;
}

void LRootWindow::OnControlFocused(const RCPtr<LControl>& control)
{
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
    if (mServices != nullptr)
    {
        (void)mServices->GetCursorPos(point);
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
            (void)mToolTipOwner->CreateToolTip(false);
        }
        if (mFocusControl != nullptr)
        {
            (void)mFocusControl->OnKeyPress(key);
        }
    }
    const bool remaining = ProcessNotifications(firstPass);
    if (mEndModalPending && mServices != nullptr)
    {
        mEndModalPending = false;
        (void)mServices->EndModal(mModalResult);
    }
    return remaining;
}
} // namespace ZQ
