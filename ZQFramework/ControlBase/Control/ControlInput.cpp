// Mouse and key input of a control as its root window delivers it: hover, capture, presses, clicks and
// the drag start, the wheel's way up the tree, and keys through the control's own bindings, its handler,
// tab navigation and the siblings' bindings to the hot keys.
#include "ZQFramework/ControlBase/Control/AutoHitTestDisabler.h"
#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/ControlBase/Services/GlobalHotKeyManager.h"
#include "ZQFramework/ControlBase/Windows/ControlApplication.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Notification/KeyParam.h"
#include "ZQFramework/Notification/MouseButtonParam.h"
#include "ZQFramework/Notification/MouseWheelParam.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationNames.h"
#include "ZQFramework/Notification/PointWithModifiersParam.h"
#include "ZQFramework/Notification/SiblingKeyParam.h"
#include "ZQFramework/Utilities/Graphics/GeometryConversions.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <utility>
#include <vector>

namespace ZQ
{
namespace
{
// The Tab key going down, any modifiers held.
bool IsTabKey(const KeyCode& key)
{
    const uint32_t code = key.GetCode();
    return (code & KeyCode::kVirtualKeyMask) != 0 && (code & KeyCode::kKeyDown) != 0 &&
           (code & KeyCode::kNoBinding) == 0 && key.GetVKey() == VKey::Tab;
}

RCPtr<LGlobalHotKeyManager> ApplicationHotKeys()
{
    IControlApplication* application = IControlApplication::GetCurrent();
    return application != nullptr ? application->GetHotKeyManager() : nullptr;
}
} // namespace

RCPtr<LControl> LControl::GetToolTipOwner()
{
    if (GetToolTipText().IsEmpty() && mUseParentToolTip && mParent != nullptr)
    {
        return mParent->GetToolTipOwner();
    }
    return RCPtr<LControl>(this);
}

// --- Mouse ---

bool LControl::TakesInput() const
{
    return IsVisible(true) && IsEnabled(true);
}

void LControl::Send(const char16_t* name, const RCPtr<LRefCountedObject>& param)
{
    Notify(LNotification::Create(name, ConstRCPtr<LRefCountedObject>(param)));
}

ZQRESULT LControl::OnMouseEnter()
{
    mConditionFlags.Hover = true;
    UpdateConditions();
    return 0;
}

ZQRESULT LControl::OnMouseLeave()
{
    mConditionFlags.Hover = false;
    UpdateConditions();
    return 0;
}

void LControl::MoveFocusOnPress()
{
    const bool refused =
        mNotFocusable || (!mFocusScope && mParent != nullptr && mParent->IsNotFocusableUpToScope());
    if (!refused)
    {
        SetFocus(true);
    }
    else if (mParent != nullptr)
    {
        mParent->RequestFocus(RCPtr<LControl>(this));
    }
}

ZQRESULT LControl::OnMouseDown(const RCPtr<LMouseButtonParam>& param)
{
    if (param == nullptr || !IsMouseButton(param->mButton))
    {
        return E_INVALIDARG;
    }
    const bool hadCapture = mConditionFlags.Capture;
    if (!hadCapture)
    {
        if (!TakesInput())
        {
            return 1;
        }
        MoveFocusOnPress();
    }
    switch (static_cast<MouseButton>(param->mButton))
    {
    case MouseButton::Left:
        mDrag.SetLastLeftPress(param);
        OnLeftButtonDown(param);
        break;
    case MouseButton::Middle:
        OnMiddleButtonDown(param);
        break;
    case MouseButton::Right:
        OnRightButtonDown(param);
        break;
    }
    Send(kNidMouseDown, RCPtr<LRefCountedObject>(param));
    if (!hadCapture)
    {
        BeginMouseCapture(static_cast<int32_t>(param->mButton), param->mX, param->mY);
    }
    return 0;
}

ZQRESULT LControl::BeginMouseCapture(int32_t button, int32_t x, int32_t y)
{
    if (!TakesInput() || mConditionFlags.Capture)
    {
        return 1;
    }
    const RCPtr<LRootWindow> window = GetRootWindow();
    const auto bit = static_cast<uint32_t>(button);
    if (bit != 0)
    {
        if (window == nullptr || (window->GetMouseButtons() & bit) == 0)
        {
            return 1;
        }
        mDrag.Press({x + mRect.x, y + mRect.y});
    }
    StopAutoScroll(0);
    StopAutoScroll(1);
    mConditionFlags.Capture = true;
    mDrag.BeginMeasure(IControlApplication::CurrentMilliseconds());
    if (window != nullptr)
    {
        window->SetCaptureControl(RCPtr<LControl>(this));
    }
    if (!IsMouseButton(bit))
    {
        UpdateConditions();
        return 0;
    }
    const auto pressed = static_cast<MouseButton>(bit);
    mConditionFlags.SetButtonDown(pressed, true);
    if (pressed == MouseButton::Left)
    {
        mDrag.ClearMode();
    }
    UpdateConditions();
    if (mDrag.GetThreshold() == 0)
    {
        mConditionFlags.SetButtonDown(pressed, false);
        mConditionFlags.SetDragging(pressed, true);
        UpdateConditions();
        if (pressed == MouseButton::Left && mDrag.HasMode())
        {
            DragMove(LPointWithModifiersParam::Create(x, y, 0, 0));
        }
    }
    return 0;
}

ZQRESULT LControl::OnMouseMove(const RCPtr<LPointWithModifiersParam>& param)
{
    if (param == nullptr)
    {
        return E_INVALIDARG;
    }
    mDrag.NoteMove(IControlApplication::CurrentMilliseconds());
    for (const MouseButton button : {MouseButton::Left, MouseButton::Middle, MouseButton::Right})
    {
        if (!mConditionFlags.IsButtonDown(button))
        {
            continue;
        }
        const PointT<double> origin{mRect.x, mRect.y};
        if (mDrag.PassesThreshold(param->mX, param->mY, origin))
        {
            const PointT<int32_t> press = mDrag.PressInControl(origin);
            DeliverMove(
                LPointWithModifiersParam::Create(press.x, press.y, param->mModifiers, param->mPointerIndex));
            mConditionFlags.SetDragging(button, true);
            mConditionFlags.ReleaseButtons();
            UpdateConditions();
        }
        break;
    }
    DeliverMove(param);
    mDrag.FinishMove();
    return 0;
}

void LControl::DeliverMove(const RCPtr<LPointWithModifiersParam>& param)
{
    OnMouseMoved(param);
    Send(kNidMouseMove, RCPtr<LRefCountedObject>(param));
    if (mConditionFlags.LeftDrag && mDrag.HasMode())
    {
        DragMove(param);
    }
}

ZQRESULT LControl::OnMouseUp(const RCPtr<LMouseButtonParam>& param)
{
    if (param == nullptr || !IsMouseButton(param->mButton))
    {
        return E_INVALIDARG;
    }
    if (!mConditionFlags.Capture && !TakesInput())
    {
        return 1;
    }
    const auto button = static_cast<MouseButton>(param->mButton);
    switch (button)
    {
    case MouseButton::Left:
        OnLeftButtonUp(param);
        break;
    case MouseButton::Middle:
        OnMiddleButtonUp(param);
        break;
    case MouseButton::Right:
        OnRightButtonUp(param);
        break;
    }
    const bool clickDue = mConditionFlags.Hover && (mConditionFlags.IsButtonDown(button) ||
                                                    (mConditionFlags.IsDragging(button) && !mDrag.HasMode()));
    if (button == MouseButton::Left && mConditionFlags.LeftDrag && mDrag.Is(DragMode::Pan))
    {
        StartKineticScroll();
    }
    Send(kNidMouseUp, RCPtr<LRefCountedObject>(param));
    if (mConditionFlags.Capture && param->mHeldButtons == 0)
    {
        EndMouseCapture();
    }
    if (clickDue && IsEnabled(true))
    {
        OnClick(param);
    }
    return 0;
}

ZQRESULT LControl::EndMouseCapture()
{
    if (!mConditionFlags.Capture)
    {
        return 1;
    }
    mConditionFlags.Capture = false;
    mConditionFlags.ReleaseButtons();
    mConditionFlags.EndDrags();
    const RCPtr<LRootWindow> window = GetRootWindow();
    const ZQRESULT released = window != nullptr ? window->ReleaseCaptureControl() : 0;
    UpdateConditions();
    mDrag.SetLastLeftPress(nullptr);
    return released;
}

ZQRESULT LControl::SetDragThreshold(int32_t pixels)
{
    return mDrag.SetThreshold(pixels);
}

// --- Clicks ---

ZQRESULT LControl::OnClick(const RCPtr<LMouseButtonParam>& param)
{
    if (param == nullptr)
    {
        return E_INVALIDARG;
    }
    if (param->Is(MouseButton::Left))
    {
        return OnLeftClick(param);
    }
    if (param->Is(MouseButton::Middle))
    {
        return OnMiddleClick(param);
    }
    if (param->Is(MouseButton::Right))
    {
        return OnRightClick(param);
    }
    return E_INVALIDARG;
}

ZQRESULT LControl::DeliverClick(const RCPtr<LMouseButtonParam>& param, ClickedHook clicked,
                                const char16_t* name)
{
    if (param == nullptr)
    {
        return E_INVALIDARG;
    }
    (this->*clicked)(param);
    Send(name, RCPtr<LRefCountedObject>(param));
    return 0;
}

ZQRESULT LControl::OnLeftClick(const RCPtr<LMouseButtonParam>& param)
{
    return DeliverClick(param, &LControl::OnLeftClicked, kNidLeftClick);
}

ZQRESULT LControl::OnMiddleClick(const RCPtr<LMouseButtonParam>& param)
{
    return DeliverClick(param, &LControl::OnMiddleClicked, kNidMiddleClick);
}

ZQRESULT LControl::OnRightClick(const RCPtr<LMouseButtonParam>& param)
{
    const ZQRESULT result = DeliverClick(param, &LControl::OnRightClicked, kNidRightClick);
    if (result == 0)
    {
        ShowContextMenu();
    }
    return result;
}

void LControl::OnLeftButtonDown(const RCPtr<LMouseButtonParam>& /*param*/)
{
}

void LControl::OnLeftButtonUp(const RCPtr<LMouseButtonParam>& /*param*/)
{
}

void LControl::OnMiddleButtonDown(const RCPtr<LMouseButtonParam>& /*param*/)
{
}

void LControl::OnMiddleButtonUp(const RCPtr<LMouseButtonParam>& /*param*/)
{
}

void LControl::OnRightButtonDown(const RCPtr<LMouseButtonParam>& /*param*/)
{
}

void LControl::OnRightButtonUp(const RCPtr<LMouseButtonParam>& /*param*/)
{
}

void LControl::OnMouseMoved(const RCPtr<LPointWithModifiersParam>& /*param*/)
{
}

void LControl::OnLeftClicked(const RCPtr<LMouseButtonParam>& /*param*/)
{
}

void LControl::OnMiddleClicked(const RCPtr<LMouseButtonParam>& /*param*/)
{
}

void LControl::OnRightClicked(const RCPtr<LMouseButtonParam>& /*param*/)
{
}

// --- Wheel ---

ZQRESULT LControl::OnMouseWheel(const RCPtr<LMouseWheelParam>& /*param*/)
{
    return 1;
}

ZQRESULT LControl::OnMouseHWheel(const RCPtr<LMouseWheelParam>& /*param*/)
{
    return 1;
}

ZQRESULT LControl::OnWindowMouseWheel(const RCPtr<LMouseWheelParam>& param)
{
    return RouteMouseWheel(param);
}

ZQRESULT LControl::OnWindowMouseHWheel(const RCPtr<LMouseWheelParam>& param)
{
    return RouteMouseWheel(param);
}

bool LControl::IsFloating() const
{
    for (const LControl* control = this; control != nullptr; control = control->mParent.Get())
    {
        if (control->mLayout != nullptr && !control->mLayout->mClipToParent)
        {
            return true;
        }
    }
    return false;
}

ZQRESULT LControl::RouteMouseWheel(const RCPtr<LMouseWheelParam>& param)
{
    if (param == nullptr)
    {
        return -1;
    }
    const bool horizontal = param->mDirection == 2 || param->mDirection == 3;
    std::vector<RCPtr<LControl>> skipped;
    RCPtr<LControl> control(this);
    ZQRESULT result = 1;
    while (control != nullptr)
    {
        result = horizontal ? control->OnMouseHWheel(param) : control->OnMouseWheel(param);
        if (result != 1)
        {
            break;
        }
        if (!control->IsFloating())
        {
            control = control->mParent;
            continue;
        }
        skipped.push_back(control);
        const RCPtr<LRootWindow> window = control->GetRootWindow();
        if (window == nullptr)
        {
            break;
        }
        RCPtr<LControl> below;
        {
            // Every control passed over is skipped by the hit test while it runs.
            CAutoHitTestDisablers passedOver;
            for (const RCPtr<LControl>& passed : skipped)
            {
                passedOver.Add(passed);
            }
            PointT<int32_t> local{};
            below = window->GetControlAtPoint({param->mX, param->mY}, local, true);
        }
        if (std::find(skipped.begin(), skipped.end(), below) != skipped.end())
        {
            break;
        }
        control = std::move(below);
    }
    return result;
}

// --- Keys ---

ZQRESULT LControl::OnKeyPress(const RCPtr<LKeyParam>& param)
{
    if (param == nullptr || !TakesInput())
    {
        return 1;
    }
    const RCPtr<LSiblingKeyParam> sibling = LSiblingKeyParam::Create(param->mKeyCode, this);
    ReceiveNotification(nullptr,
                        LNotification::Create(kNidSiblingKey, ConstRCPtr<LRefCountedObject>(sibling)));
    if (sibling->mPending == 0)
    {
        return 0;
    }
    if (HandleKeyPress(param) != 1)
    {
        return 0;
    }
    param->AddVisitedControl(this);
    if (IsTabKey(param->mKeyCode))
    {
        if (!mWantsTab)
        {
            PassTabUp(param);
        }
        return 0;
    }
    if (mParent != nullptr)
    {
        return mParent->ProcessHotKey(param);
    }
    return OfferToHotKeyManagers(param);
}

void LControl::PassTabUp(const RCPtr<LKeyParam>& param)
{
    if (mParent != nullptr)
    {
        mParent->OnTabKey(param);
    }
    else if (const RCPtr<LRootWindow> window = GetRootWindow(); window != nullptr)
    {
        window->TabToNextWindow(param);
    }
}

ZQRESULT LControl::OfferToHotKeyManagers(const RCPtr<LKeyParam>& param)
{
    if (const RCPtr<LRootWindow> window = GetRootWindow();
        window != nullptr && window->GetHotKeyManager() != nullptr)
    {
        if (window->GetHotKeyManager()->ProcessKey(param->mKeyCode) != 1)
        {
            return 0;
        }
    }
    const RCPtr<LGlobalHotKeyManager> application = ApplicationHotKeys();
    return application != nullptr ? application->ProcessKey(param->mKeyCode) : 1;
}

ZQRESULT LControl::HandleKeyPress(const RCPtr<LKeyParam>& /*param*/)
{
    return 1;
}

ZQRESULT LControl::ProcessHotKey(const RCPtr<LKeyParam>& param)
{
    if (param == nullptr)
    {
        return 1;
    }
    if (OnSiblingKey(param) != 1)
    {
        return 0;
    }
    return OfferToHotKeyManagers(param);
}

Array<LNotificationReceiver*> LControl::GetSiblingKeyListeners() const
{
    Array<LNotificationReceiver*> listeners;
    const NotificationID id = LNotification::GetIDFromName(kNidSiblingKey);
    if (const RCPtr<LNotificationClientPool> pool = GetClientPool(id); pool != nullptr)
    {
        for (uint32_t i = 0; i < pool->GetCount(); ++i)
        {
            listeners.Add(pool->GetClientAt(i).Get());
        }
    }
    return listeners;
}

ZQRESULT LControl::OnSiblingKey(const RCPtr<LKeyParam>& param)
{
    if (param == nullptr)
    {
        return 1;
    }
    const Array<LNotificationReceiver*> listeners = GetSiblingKeyListeners();
    if (listeners.GetCount() == 0)
    {
        return 1;
    }
    const uint32_t visited = param->mVisitedControls.GetCount();
    const RCPtr<LControl> source =
        visited > 0 ? RCPtr<LControl>(param->mVisitedControls.GetAt(visited - 1)) : RCPtr<LControl>();
    Array<uint32_t> order;
    mSiblingKeySource = source.Get();
    GetSiblingKeyOrder(param->mKeyCode, listeners, order);
    mSiblingKeySource = nullptr;
    const RCPtr<LSiblingKeyParam> sibling = LSiblingKeyParam::Create(param->mKeyCode, source.Get());
    const RCPtr<LNotification> notification =
        LNotification::Create(kNidSiblingKey, ConstRCPtr<LRefCountedObject>(sibling));
    const RCPtr<LNotificationDistributor> self(this);
    for (uint32_t i = order.GetCount(); i-- > 0;)
    {
        LNotificationReceiver* listener = listeners.GetAt(order.GetAt(i));
        if (source != nullptr && listener == static_cast<LNotificationReceiver*>(source.Get()))
        {
            continue;
        }
        RCPtr<LNotificationReceiver>(listener)->ReceiveNotification(self, notification);
        if (sibling->mPending == 0)
        {
            return 0;
        }
    }
    return 1;
}

int32_t LControl::TabPositionOf(const LNotificationReceiver* listener) const
{
    for (uint32_t i = 0; i < mChildren.GetCount(); ++i)
    {
        const RCPtr<LControl>& child = mChildren.GetAt(i, ChildControlList::kStorageOrder);
        if (static_cast<const LNotificationReceiver*>(child.Get()) == listener)
        {
            return IndexOfChild(child, ChildControlList::kTabOrder);
        }
    }
    return -1;
}

ZQRESULT LControl::GetSiblingKeyOrder(const KeyCode& /*key*/, const Array<LNotificationReceiver*>& listeners,
                                      Array<uint32_t>& order)
{
    struct Entry
    {
        int64_t SortKey;
        bool Focusable;
        uint32_t Listener;
    };
    std::vector<Entry> entries;
    int64_t nextOther = INT_MIN;
    for (uint32_t i = 0; i < listeners.GetCount(); ++i)
    {
        const int32_t position = TabPositionOf(listeners.GetAt(i));
        if (position >= 0)
        {
            const RCPtr<LControl>& child =
                mChildren.GetAt(static_cast<uint32_t>(position), ChildControlList::kTabOrder);
            entries.push_back({position, !child->mNotFocusable, i});
        }
        else
        {
            entries.push_back({nextOther++, false, i});
        }
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.SortKey < b.SortKey; });
    const int64_t sourcePosition = mSiblingKeySource != nullptr ? TabPositionOf(mSiblingKeySource) : -1;
    const auto firstFocusable =
        std::find_if(entries.begin(), entries.end(), [](const Entry& e) { return e.Focusable; });
    order.RemoveAll();
    for (auto it = entries.begin(); it != firstFocusable; ++it)
    {
        order.Add(it->Listener);
    }
    for (auto it = firstFocusable; it != entries.end(); ++it)
    {
        if (it->SortKey > sourcePosition)
        {
            order.Add(it->Listener);
        }
    }
    for (auto it = firstFocusable; it != entries.end() && it->SortKey <= sourcePosition; ++it)
    {
        order.Add(it->Listener);
    }
    return 0;
}

RCPtr<LControl> LControl::GetNextTabStop(const RCPtr<LControl>& from, bool backward)
{
    const auto count = static_cast<int32_t>(mChildren.GetCount());
    if (count == 0)
    {
        return nullptr;
    }
    const int32_t fromPosition = from != nullptr ? IndexOfChild(from, ChildControlList::kTabOrder) : -1;
    int32_t position = fromPosition;
    if (position < 0)
    {
        position = backward ? count : -1;
    }
    for (int32_t step = 0; step < count; ++step)
    {
        position = ((backward ? position - 1 : position + 1) % count + count) % count;
        const RCPtr<LControl>& candidate =
            mChildren.GetAt(static_cast<uint32_t>(position), ChildControlList::kTabOrder);
        if (candidate->TakesInput())
        {
            return candidate;
        }
    }
    return nullptr;
}

void LControl::PassTabKeyUp(const RCPtr<LKeyParam>& param, bool backward)
{
    KeyCode tab(uint32_t{u'\t'} | (backward ? KeyCode::kShift : 0u), 0, 0);
    const RCPtr<LKeyParam> up = LKeyParam::Create(tab, param->mStayInside);
    for (uint32_t i = 0; i < param->mVisitedControls.GetCount(); ++i)
    {
        up->mVisitedControls.Add(param->mVisitedControls.GetAt(i));
    }
    up->AddVisitedControl(this);
    PassTabUp(up);
}

ZQRESULT LControl::OnTabKey(const RCPtr<LKeyParam>& param)
{
    if (param == nullptr)
    {
        return 1;
    }
    const uint32_t code = param->mKeyCode.GetCode();
    const bool backward = (code & KeyCode::kShift) != 0;
    if ((code & KeyCode::kCtrl) != 0)
    {
        PassTabKeyUp(param, backward);
        return 0;
    }
    const uint32_t visited = param->mVisitedControls.GetCount();
    RCPtr<LControl> start =
        visited > 0 ? RCPtr<LControl>(param->mVisitedControls.GetAt(visited - 1)) : RCPtr<LControl>();
    RCPtr<LControl> candidate = GetNextTabStop(start, backward);
    while (candidate != nullptr && candidate != start)
    {
        if (param->mStayInside == 0)
        {
            const int32_t startPosition =
                start != nullptr ? IndexOfChild(start, ChildControlList::kTabOrder) : -1;
            const int32_t candidatePosition = IndexOfChild(candidate, ChildControlList::kTabOrder);
            const bool wrapped = startPosition >= 0 && (backward ? candidatePosition >= startPosition
                                                                 : candidatePosition <= startPosition);
            if (wrapped)
            {
                param->AddVisitedControl(this);
                PassTabUp(param);
                return 0;
            }
        }
        if (candidate->CanTakeFocus() || candidate->HasFocusableDescendant())
        {
            candidate->SetFocus(!backward);
            return 0;
        }
        if (start == nullptr || !start->TakesInput())
        {
            start = candidate;
        }
        candidate = GetNextTabStop(candidate, backward);
    }
    if (param->mStayInside == 0)
    {
        param->AddVisitedControl(this);
        PassTabUp(param);
    }
    return 0;
}
} // namespace ZQ
