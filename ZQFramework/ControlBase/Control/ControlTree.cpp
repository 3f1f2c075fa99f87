// The child control list and the control tree: orders, names, parent and root links, visibility and
// coordinates.
#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationNames.h"
#include "ZQFramework/ObjectBase/Assert.h"
#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/Utilities/Storage/ArrayUtils.h"

#include <algorithm>
#include <climits>
#include <stdexcept>
#include <tuple>

namespace ZQ
{
namespace
{
constexpr const char* kGetAtIndexError =
    "Runtime Error : ZQ::LControl::ChildControlList::GetAt : ControlBase\\Control : Line 3351";
constexpr const char* kGetAtOrderError =
    "Runtime Error : ZQ::LControl::ChildControlList::GetAt : ControlBase\\Control : Line 3371";
constexpr const char* kConstGetAtIndexError =
    "Runtime Error : ZQ::LControl::ChildControlList::GetAt : ControlBase\\Control : Line 3379";
constexpr const char* kConstGetAtOrderError =
    "Runtime Error : ZQ::LControl::ChildControlList::GetAt : ControlBase\\Control : Line 3399";

int32_t DockedAxes(const LControl& control)
{
    const auto& layout = control.GetLayout();
    return layout == nullptr ? 0 : int32_t{layout->mXDocked} + int32_t{layout->mYDocked};
}

int32_t ZOrderOf(const LControl& control)
{
    const auto& layout = control.GetLayout();
    return layout == nullptr ? 0 : layout->mZOrder;
}

int32_t TabStopOf(const LControl& control)
{
    const auto& layout = control.GetLayout();
    return layout == nullptr ? 0 : layout->mTabStop;
}

// What a subtree adds to its ancestors' unclipped counts.
int32_t UnclippedWeight(const LControl& child)
{
    return child.GetUnclippedCount() + (child.IsClippedToParent() ? 0 : 1);
}

void RenameReferences(LLayoutDescriptor& layout, const WString& oldName, const WString& newName)
{
    for (auto* position : {&layout.mXPosition, &layout.mYPosition})
    {
        if (position->ToControl == LLayoutDescriptor::kPositionSibling && position->ReferenceName == oldName)
        {
            position->ReferenceName = newName;
        }
    }
    for (auto* size : {&layout.mXSize, &layout.mYSize})
    {
        if (size->ToControl == LLayoutDescriptor::kSizeSibling && size->ReferenceName == oldName)
        {
            size->ReferenceName = newName;
        }
    }
}
} // namespace

// --- ChildControlList ---

LControl::ChildControlList::ChildControlList(LControl* owner)
    : mZOrderLess{&mStorage}, mTabOrderLess{&mStorage}, mOwner(owner)
{
}

LControl::ChildControlList::~ChildControlList() = default;

bool LControl::ChildControlList::ZOrderLess::operator()(unsigned int a, unsigned int b) const
{
    const LControl& first = *Storage->GetAt(a);
    const LControl& second = *Storage->GetAt(b);
    return std::tuple(!first.IsClippedToParent(), DockedAxes(first), ZOrderOf(first), a) <
           std::tuple(!second.IsClippedToParent(), DockedAxes(second), ZOrderOf(second), b);
}

bool LControl::ChildControlList::TabOrderLess::operator()(unsigned int a, unsigned int b) const
{
    return std::tuple(TabStopOf(*Storage->GetAt(a)), a) < std::tuple(TabStopOf(*Storage->GetAt(b)), b);
}

void LControl::ChildControlList::SortIfChanged() const
{
    if (mSortedAt == mChangeCount)
    {
        return;
    }
    ArrayUtils::SortIndecies(mZOrder, mStorage, 0, mStorage.GetCount(), mZOrderLess);
    ArrayUtils::SortIndecies(mTabOrder, mStorage, 0, mStorage.GetCount(), mTabOrderLess);
    // At reads the storage through these indexes once it has checked an index against the storage.
    ZQ_ASSERT(mZOrder.GetCount() == mStorage.GetCount() && mTabOrder.GetCount() == mStorage.GetCount());
    mSortedAt = mChangeCount;
}

const Array<unsigned int>& LControl::ChildControlList::GetZOrderIndexes() const
{
    SortIfChanged();
    return mZOrder;
}

const Array<unsigned int>& LControl::ChildControlList::GetTabOrderIndexes() const
{
    SortIfChanged();
    return mTabOrder;
}

const RCPtr<LControl>& LControl::ChildControlList::GetAt(uint32_t index, int32_t order)
{
    return At(index, order, kGetAtIndexError, kGetAtOrderError);
}

const RCPtr<LControl>& LControl::ChildControlList::GetAt(uint32_t index, int32_t order) const
{
    return At(index, order, kConstGetAtIndexError, kConstGetAtOrderError);
}

const RCPtr<LControl>& LControl::ChildControlList::At(uint32_t index, int32_t order, const char* indexError,
                                                      const char* orderError) const
{
    if (index >= mStorage.GetCount())
    {
        throw Exception<std::runtime_error>(indexError);
    }
    if (order == kStorageOrder)
    {
        return mStorage.GetAt(index);
    }
    SortIfChanged();
    if (order == kZOrder)
    {
        return mStorage.GetAt(mZOrder.GetAt(index));
    }
    if (order == kTabOrder)
    {
        return mStorage.GetAt(mTabOrder.GetAt(index));
    }
    throw Exception<std::runtime_error>(orderError);
}

int32_t LControl::ChildControlList::FindLast(const LControl* child) const
{
    for (uint32_t i = mStorage.GetCount(); i-- > 0;)
    {
        if (mStorage.GetAt(i).Get() == child)
        {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

int32_t LControl::ChildControlList::FindLastByName(const WString& name) const
{
    for (uint32_t i = mStorage.GetCount(); i-- > 0;)
    {
        if (mStorage.GetAt(i)->mName == name)
        {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

ZQRESULT LControl::ChildControlList::Add(const RCPtr<LControl>& child)
{
    return Add(child.Get());
}

ZQRESULT LControl::ChildControlList::Add(LControl* child)
{
    if (child == nullptr)
    {
        return E_INVALIDARG;
    }
    if (FindLastByName(child->mName) >= 0)
    {
        return E_FAIL;
    }
    mOwner->AdjustUnclippedCount(UnclippedWeight(*child));
    child->mParent = RCPtr<LControl>(mOwner);
    LRefCountedObject::AdjustInternalRefCount(mOwner, 1);
    mStorage.Add(RCPtr<LControl>(child));
    ZQ_ASSERT(FindLast(child) == static_cast<int32_t>(mStorage.GetCount()) - 1);
    ++mChangeCount;
    return 0;
}

int32_t LControl::ChildControlList::Remove(const RCPtr<LControl>& child)
{
    const int32_t index = FindLast(child.Get());
    if (index < 0)
    {
        return -1;
    }
    // The argument may be the storage entry itself, and the child's link may hold the last reference to
    // the owner: keep both alive until the end.
    const RCPtr<LControl> removed = child;
    const RCPtr<LControl> owner(mOwner);
    ZQ_ASSERT(removed->mParent.Get() == mOwner);
    mOwner->AdjustUnclippedCount(-UnclippedWeight(*removed));
    LRefCountedObject::AdjustInternalRefCount(mOwner, -1);
    removed->mParent = nullptr;
    mStorage.RemoveAt(static_cast<uint32_t>(index), 1);
    ++mChangeCount;
    mOwner->OnChildrenChanged(removed, index);
    return index;
}

ZQRESULT LControl::ChildControlList::RemoveAll()
{
    if (mStorage.GetCount() == 0)
    {
        return 1;
    }
    for (uint32_t i = mStorage.GetCount(); i-- > 0;)
    {
        if (i < mStorage.GetCount())
        {
            Remove(RCPtr<LControl>(mStorage.GetAt(i)));
        }
    }
    return 0;
}

ZQRESULT LControl::ChildControlList::RenameChild(const RCPtr<LControl>& child, const WString& newName)
{
    if (child != nullptr && child->mName == newName)
    {
        return 1;
    }
    int32_t index = -1;
    for (uint32_t i = mStorage.GetCount(); i-- > 0;)
    {
        const RCPtr<LControl>& entry = mStorage.GetAt(i);
        if (entry->mName == newName)
        {
            return E_FAIL;
        }
        if (entry == child)
        {
            index = static_cast<int32_t>(i);
        }
    }
    if (index < 0)
    {
        return E_INVALIDARG;
    }
    const WString oldName = child->mName;
    child->mName = newName;
    for (uint32_t i = static_cast<uint32_t>(index) + 1; i < mStorage.GetCount(); ++i)
    {
        const RCPtr<LLayoutDescriptor>& layout = mStorage.GetAt(i)->mLayout;
        if (layout != nullptr)
        {
            RenameReferences(*layout, oldName, newName);
        }
    }
    return 0;
}

// --- Tree members ---

void LControl::AdjustUnclippedCount(int32_t delta)
{
    for (LControl* control = this; control != nullptr; control = control->mParent.Get())
    {
        control->mUnclippedCount += delta;
    }
}

ZQRESULT LControl::SetParent(const RCPtr<LControl>& parent)
{
    if (mParent == parent)
    {
        return 1;
    }
    // The constructor joins the parent before anyone holds the control: no guard there, or releasing it
    // would delete the control under construction.
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : RCPtr<LControl>();
    // The bindings answer the keys of the siblings the control has, never of those it had.
    const bool listened = ListensToSiblingKeys();
    if (mParent != nullptr)
    {
        InvalidateWhole();
        const RCPtr<LControl> oldParent = mParent;
        if (listened)
        {
            RemoveNotificationCallback(RCPtr<LNotificationDistributor>(oldParent),
                                       LNotification::GetIDFromName(kNidSiblingKey));
        }
        oldParent->mChildren.Remove(RCPtr<LControl>(this));
    }
    else
    {
        mRootWindow = nullptr;
    }
    if (parent == nullptr)
    {
        return 0;
    }
    parent->ProcessPendingRemovals();
    // By raw pointer: a refused control must not be released by a temporary reference.
    const ZQRESULT joined = parent->mChildren.Add(this);
    ZQ_ASSERT(joined < 0 || mParent == parent);
    if (joined >= 0 && listened)
    {
        ListenToSiblingKeys();
    }
    return joined;
}

ZQRESULT LControl::AttachToRootWindowObject(const RCPtr<LRefCountedObject>& rootWindow, const WString& title)
{
    if (mParent != nullptr)
    {
        return E_FAIL;
    }
    mRootWindow = rootWindow;
    if (rootWindow != nullptr)
    {
        SetLabel(title);
        ProcessRootWindowAquired();
    }
    return 0;
}

ZQRESULT LControl::RemoveChildLater(const RCPtr<LControl>& child)
{
    if (child == nullptr || child->mParent.Get() != this)
    {
        return E_INVALIDARG;
    }
    if (child->mConditionFlags.Capture)
    {
        child->EndMouseCapture();
    }
    child->SetVisible(false);
    if (mPendingRemovals.Add(child) < 0)
    {
        return E_INVALIDARG;
    }
    if (mPendingRemovals.GetCount() == 1)
    {
        RequestIdle();
    }
    return 0;
}

void LControl::ProcessPendingRemovals()
{
    if (mPendingRemovals.GetCount() == 0)
    {
        return;
    }
    const RCPtr<LControl> self(this);
    while (mPendingRemovals.GetCount() > 0)
    {
        const RCPtr<LControl> child = mPendingRemovals.GetAt(0);
        mPendingRemovals.RemoveAt(0, 1);
        child->Detach();
    }
    ReleaseIdle();
}

RCPtr<LControl> LControl::FindChild(const WString& name) const
{
    const int32_t index = mChildren.FindLastByName(name);
    return index < 0 ? RCPtr<LControl>() : mChildren.GetAt(static_cast<uint32_t>(index), 0);
}

int32_t LControl::IndexOfChild(const RCPtr<LControl>& child, int32_t order) const
{
    for (uint32_t i = mChildren.GetCount(); i-- > 0;)
    {
        if (mChildren.GetAt(i, order) == child)
        {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

RCPtr<LControl> LControl::GetRootControl()
{
    LControl* control = this;
    while (control->mParent != nullptr)
    {
        control = control->mParent.Get();
    }
    return RCPtr<LControl>(control);
}

RCPtr<LRefCountedObject> LControl::GetRootWindowObject() const
{
    const LControl* control = this;
    while (control->mParent != nullptr)
    {
        control = control->mParent.Get();
    }
    return control->mRootWindow;
}

bool LControl::IsVisible(bool recursive) const
{
    for (const LControl* control = this; control != nullptr; control = control->mParent.Get())
    {
        const bool visible = control->mLayout != nullptr && control->mLayout->mVisible &&
                             control->mRect.width > 0 && control->mRect.height > 0;
        if (!visible)
        {
            return false;
        }
        if (!recursive)
        {
            break;
        }
    }
    return true;
}

bool LControl::IsEnabled(bool recursive) const
{
    for (const LControl* control = this; control != nullptr; control = control->mParent.Get())
    {
        if (control->mLayout == nullptr || !control->mLayout->mEnabled)
        {
            return false;
        }
        if (!recursive)
        {
            break;
        }
    }
    return true;
}

RectT<double> LControl::GetChildrenBounds() const
{
    double left = INT_MAX;
    double top = INT_MAX;
    double right = INT_MIN;
    double bottom = INT_MIN;
    for (uint32_t i = 0; i < mChildren.GetCount(); ++i)
    {
        const LControl& child = *mChildren.GetAt(i, 0);
        if (DockedAxes(child) != 0)
        {
            continue;
        }
        const RectT<double>& rect = child.mRect;
        left = std::min(left, rect.x);
        top = std::min(top, rect.y);
        right = std::max(right, rect.x + rect.width);
        bottom = std::max(bottom, rect.y + rect.height);
    }
    return {left, top, right - left, bottom - top};
}

int32_t LControl::GetAllDescendants(RCPtrArray<LControl, 1, 0>& descendants) const
{
    descendants.SetCount(0);
    AppendDescendants(descendants);
    return static_cast<int32_t>(descendants.GetCount());
}

void LControl::AppendDescendants(RCPtrArray<LControl, 1, 0>& descendants) const
{
    for (uint32_t i = 0; i < mChildren.GetCount(); ++i)
    {
        const RCPtr<LControl>& child = mChildren.GetAt(i, 0);
        descendants.Add(child);
        child->AppendDescendants(descendants);
    }
}

int32_t LControl::GetEffectiveZOrder() const
{
    int32_t z = INT_MIN;
    for (const LControl* control = this; control != nullptr; control = control->mParent.Get())
    {
        z = std::max(z, control->IsClippedToParent() ? INT_MIN : ZOrderOf(*control));
    }
    return z;
}

// --- Coordinates ---

PointT<double> LControl::GetOriginInParentClient() const
{
    if (mParent == nullptr)
    {
        return {mRect.x, mRect.y};
    }
    const RectT<double> parentClient = mParent->GetLookRect(-1);
    return {mRect.x - mParent->mScrollOffset.x + parentClient.x,
            mRect.y - mParent->mScrollOffset.y + parentClient.y};
}

PointT<double> LControl::GetWindowOrigin() const
{
    PointT<double> origin = GetOriginInParentClient();
    if (mParent != nullptr)
    {
        const PointT<double> parentOrigin = mParent->GetWindowOrigin();
        origin = {origin.x + parentOrigin.x, origin.y + parentOrigin.y};
    }
    return origin;
}

PointT<double> LControl::GetWindowOriginOffset() const
{
    const PointT<double> origin = GetWindowOrigin();
    return {-origin.x, -origin.y};
}

RectT<double> LControl::GetRectInWindow() const
{
    const PointT<double> origin = GetWindowOrigin();
    return {origin.x, origin.y, mRect.width, mRect.height};
}

PointT<double> LControl::ConvertPointFromControl(const PointT<double>& point, const LControl& other) const
{
    const PointT<double> from = other.GetWindowOrigin();
    const PointT<double> to = GetWindowOrigin();
    return {point.x + from.x - to.x, point.y + from.y - to.y};
}

// --- Virtual tree operations ---

ZQRESULT LControl::Detach()
{
    const RCPtr<LControl> self(this);
    const bool top = mParent == nullptr;
    // A child leaving the tree leaves its window too, with its whole subtree: nothing below it may stay
    // registered there for "NID_IDLE".
    if (top || GetRootWindowObject() != nullptr)
    {
        ProcessRootWindowReleased();
    }
    SetVisible(false);
    SetClipToParent(true);
    if (mConditionFlags.Capture)
    {
        EndMouseCapture();
    }
    while (mIdleRequests > 0)
    {
        ReleaseIdle();
    }
    if (top)
    {
        mRootWindow = nullptr;
        return 0;
    }
    return SetParent(nullptr);
}

void LControl::ProcessRootWindowReleased()
{
    if (mIdleRequests > 0)
    {
        UnregisterFromIdle();
    }
    for (uint32_t i = mChildren.GetCount(); i-- > 0;)
    {
        mChildren.GetAt(i, 0)->ProcessRootWindowReleased();
    }
}

void LControl::ProcessRootWindowAquired()
{
    if (mIdleRequests > 0 && RegisterForIdle() != S_OK)
    {
        mIdleRequests = 0;
    }
    for (uint32_t i = mChildren.GetCount(); i-- > 0;)
    {
        mChildren.GetAt(i, 0)->ProcessRootWindowAquired();
    }
}

void LControl::OnChildrenChanged(const RCPtr<LControl>& /*child*/, int32_t /*index*/)
{
}
} // namespace ZQ
