// Keyboard focus: taking, passing, requesting and releasing it.
//
// The focus lives in one control of a tree (focused flag); every ancestor of it carries the
// contains-focus flag, and the root window names it as its focus control. The operations below keep the
// three in step.
#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"

#include <climits>

namespace ZQ
{
namespace
{
// Keeps control alive for the call: a focus change may drop the tree's references to it. A control that
// nobody holds yet (one under construction) gets no guard, as releasing it would delete it.
RCPtr<LControl> KeepAlive(LControl* control)
{
    return control->GetRefCount() > 0 ? RCPtr<LControl>(control) : RCPtr<LControl>();
}
} // namespace

bool LControl::CanTakeFocus() const
{
    return !mNotFocusable && TakesInput();
}

bool LControl::IsNotFocusableUpToScope() const
{
    for (const LControl* control = this; control != nullptr; control = control->mParent.Get())
    {
        if (control->mNotFocusable)
        {
            return true;
        }
        if (control->mFocusScope)
        {
            return false;
        }
    }
    return false;
}

RCPtr<LControl> LControl::FindFocusedChild(const LControl* except) const
{
    for (uint32_t i = mChildren.GetCount(); i-- > 0;)
    {
        const RCPtr<LControl>& child = mChildren.GetAt(i, ChildControlList::kStorageOrder);
        if (child.Get() != except && (child->mConditionFlags.Focused || child->mConditionFlags.ContainsFocus))
        {
            return child;
        }
    }
    return nullptr;
}

RCPtr<LControl> LControl::FindFocusableChild(bool forward) const
{
    const uint32_t count = mChildren.GetCount();
    for (uint32_t step = 0; step < count; ++step)
    {
        const uint32_t index = forward ? step : count - 1 - step;
        // A focus change below may reshape the list; GetAt throws rather than read past its end.
        const RCPtr<LControl>& child = mChildren.GetAt(index, ChildControlList::kTabOrder);
        if (child->TakesInput() && (child->CanTakeFocus() || child->HasFocusableDescendant()))
        {
            return child;
        }
    }
    return nullptr;
}

bool LControl::CanReleaseFocus()
{
    return true;
}

bool LControl::HasFocusableDescendant() const
{
    for (uint32_t i = 0; i < mChildren.GetCount(); ++i)
    {
        const RCPtr<LControl>& child = mChildren.GetAt(i, ChildControlList::kStorageOrder);
        if (child->CanTakeFocus() || child->HasFocusableDescendant())
        {
            return true;
        }
    }
    return false;
}

ZQRESULT LControl::SetFocus(bool forward)
{
    // The window and the parents keep references to the focus control; one that nobody holds yet would be
    // deleted when they let go.
    if (GetRefCount() == 0)
    {
        return E_FAIL;
    }
    const RCPtr<LControl> self(this);
    const RCPtr<LRootWindow> window = GetRootWindow();
    if (!mConditionFlags.Focused && window != nullptr)
    {
        const RCPtr<LControl> current = window->GetFocusControl();
        if (current != nullptr && !current->CanReleaseFocus())
        {
            return E_FAIL;
        }
    }
    const bool canTake = CanTakeFocus();
    if (mConditionFlags.Focused && canTake)
    {
        return 0;
    }
    if (HasFocusableDescendant())
    {
        return PassFocusToChild(forward);
    }
    if (canTake)
    {
        return TakeFocus(window);
    }
    return PassFocusToRoot();
}

ZQRESULT LControl::PassFocusToChild(bool forward)
{
    RCPtr<LControl> target;
    if (mConditionFlags.ContainsFocus)
    {
        target = FindFocusedChild(nullptr);
        if (target == nullptr)
        {
            return E_FAIL;
        }
        if (!target->CanTakeFocus() && !target->HasFocusableDescendant())
        {
            target = FindFocusableChild(forward);
        }
    }
    else
    {
        target = FindFocusableChild(forward);
    }
    return target != nullptr ? target->SetFocus(forward) : E_FAIL;
}

ZQRESULT LControl::TakeFocus(const RCPtr<LRootWindow>& window)
{
    const RCPtr<LControl> self(this);
    ZQRESULT result = 0;
    mConditionFlags.Focused = true;
    if (mConditionFlags.ContainsFocus)
    {
        mConditionFlags.ContainsFocus = false;
        const RCPtr<LControl> focusedChild = FindFocusedChild(nullptr);
        result = focusedChild != nullptr ? focusedChild->KillFocus() : E_FAIL;
    }
    else if (mParent != nullptr)
    {
        result = RCPtr<LControl>(mParent)->ChildFocused(self);
    }
    // Recorded after the old focus control has let go, which cleared the window's focus control.
    if (window != nullptr)
    {
        window->OnControlFocused(self);
    }
    UpdateConditions();
    return result;
}

ZQRESULT LControl::PassFocusToRoot()
{
    if (mConditionFlags.Focused)
    {
        return E_FAIL;
    }
    const RCPtr<LControl> root = GetRootControl();
    // The top control asking itself again would never end: it can take the focus no better the second
    // time.
    if (root == nullptr || root.Get() == this)
    {
        return root == nullptr ? E_FAIL : 1;
    }
    if (root->mConditionFlags.Focused || root->mConditionFlags.ContainsFocus)
    {
        return root->SetFocus(true);
    }
    return 1;
}

ZQRESULT LControl::ChildFocused(const RCPtr<LControl>& child)
{
    const RCPtr<LControl> self = KeepAlive(this);
    if (mConditionFlags.ContainsFocus)
    {
        const RCPtr<LControl> previous = FindFocusedChild(child.Get());
        if (previous == nullptr)
        {
            return 0;
        }
        const ZQRESULT result = previous->KillFocus();
        return result >= 0 ? 1 : result;
    }
    mConditionFlags.ContainsFocus = true;
    if (mConditionFlags.Focused)
    {
        mConditionFlags.Focused = false;
        UpdateConditions();
        return 1;
    }
    const ZQRESULT result = mParent != nullptr ? RCPtr<LControl>(mParent)->ChildFocused(self) : 0;
    UpdateConditions();
    return result >= 0 ? 1 : result;
}

ZQRESULT LControl::RequestFocus(const RCPtr<LControl>& /*child*/)
{
    const RCPtr<LControl> self = KeepAlive(this);
    if (!mNotFocusable && (mParent == nullptr || mFocusScope || !mParent->IsNotFocusableUpToScope()))
    {
        return SetFocus(true);
    }
    if (mParent == nullptr)
    {
        return 1;
    }
    return RCPtr<LControl>(mParent)->RequestFocus(self);
}

ZQRESULT LControl::SetNotFocusable(bool notFocusable)
{
    const bool tabStopSaysNotFocusable = mLayout != nullptr && mLayout->mTabStop < 0;
    const bool tabStopAgrees = mLayout == nullptr || tabStopSaysNotFocusable == notFocusable;
    if (mNotFocusable == notFocusable && tabStopAgrees)
    {
        return 1;
    }
    const RCPtr<LControl> self = KeepAlive(this);
    mNotFocusable = notFocusable;
    if (!tabStopAgrees)
    {
        int32_t& tabStop = mLayout->mTabStop;
        // INT_MIN has no positive counterpart; the far end keeps its place in the tab order.
        tabStop = tabStop == 0 ? -1 : (tabStop == INT_MIN ? INT_MAX : -tabStop);
    }
    if (mParent == nullptr)
    {
        return 0;
    }
    const RCPtr<LControl> parent = mParent;
    parent->mChildren.IncrementChangeCount();
    if ((CanTakeFocus() || HasFocusableDescendant()) && parent->mConditionFlags.Focused)
    {
        SetFocus(true);
    }
    else if (notFocusable && mConditionFlags.Focused)
    {
        parent->SetFocus(true);
    }
    return 0;
}

ZQRESULT LControl::KillFocus()
{
    const RCPtr<LControl> self = KeepAlive(this);
    if (mConditionFlags.Focused)
    {
        mConditionFlags.Focused = false;
        UpdateConditions();
        if (const RCPtr<LRootWindow> window = GetRootWindow(); window != nullptr)
        {
            window->OnControlUnfocused();
        }
        return 1;
    }
    mConditionFlags.ContainsFocus = false;
    const RCPtr<LControl> focusedChild = FindFocusedChild(nullptr);
    const ZQRESULT result = focusedChild != nullptr ? focusedChild->KillFocus() : E_FAIL;
    UpdateConditions();
    return result >= 0 ? 1 : result;
}
} // namespace ZQ
