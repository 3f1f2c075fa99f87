#include "ZQFramework/Controls/Containers/SplitterBase.h"

#include "ZQFramework/ControlBase/Control/LayoutEngine.h"
#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/ControlBase/Windows/OSWindow.h"
#include "ZQFramework/Notification/ConditionsParam.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace ZQ
{
namespace
{
using Position = LLayoutDescriptor::AxisPosition;
using Size = LLayoutDescriptor::AxisSize;

constexpr double kNoMaximum = 4503599627370496.0; // 2^52
// Sizes closer than this are equal: the pane's size rules did not bind.
constexpr double kSizeEpsilon = 2.220446049250313e-15;
constexpr int32_t kDisabledLook = 6;
constexpr int32_t kFocusedLooks = 3;

double OnAxis(const RectT<double>& rect, int32_t axis, bool size)
{
    if (axis == 0)
    {
        return size ? rect.width : rect.x;
    }
    return size ? rect.height : rect.y;
}

void AxisRecords(const LControl& control, int32_t axis, Position& position, Size& size)
{
    if (const RCPtr<LLayoutDescriptor>& layout = control.GetLayout(); layout != nullptr)
    {
        layout->GetAxis(axis, position, size);
    }
}

// The size that the control's minimum rules alone give on axis.
double MinimumSize(LControl& control, int32_t axis)
{
    PointT<double> size;
    control.GetLayoutSize(size);
    return axis == 0 ? size.x : size.y;
}

// 0 when the control has no maximum on axis.
double MaximumSize(LControl& control, int32_t axis)
{
    PointT<double> size;
    control.GetMaximumSize(size);
    return axis == 0 ? size.x : size.y;
}

// The pane's size on axis where its rules would place it now: from its position and size rules alone,
// and after its minimum and maximum rules. False when it cannot be placed.
bool ComputePaneSizes(const LControl& pane, int32_t axis, double& free, double& limited)
{
    if (pane.GetLayout() == nullptr)
    {
        return false;
    }
    const LayoutResult layout = pane.ComputeLayoutRect();
    if (!layout.Placed)
    {
        return false;
    }
    free = OnAxis(layout.Base, axis, true);
    limited = OnAxis(layout.Rect, axis, true);
    return true;
}
} // namespace

LSplitterBase::LSplitterBase(const RCPtr<LControl>& parent, const WString& name, int32_t orientation)
    : LControl(parent, name), mOrientation(orientation)
{
}

LSplitterBase::~LSplitterBase() = default;

// --- Control base operations ---

ZQRESULT LSplitterBase::BeginDrag()
{
    const int32_t axis = Axis();
    const double position = CurrentPosition();
    Range range{0, kNoMaximum};
    mAnchor = FindAnchorSibling();
    if (mAnchor != nullptr)
    {
        // While dragged, the bar stands where the drag puts it rather than after its anchor.
        Position own;
        Size ownSize;
        AxisRecords(*this, axis, own, ownSize);
        mSavedPositionAbs = own.Abs;
        mSavedPositionRel = own.Rel;
        own.ToControl = LLayoutDescriptor::kPositionClient;
        own.ReferenceName = WString();
        own.Rel = 0;
        own.Abs = position;
        SetAxisPlacement(axis, own, ownSize);
        Position anchorPosition;
        Size anchorSize;
        AxisRecords(*mAnchor, axis, anchorPosition, anchorSize);
        mAnchorPositionAbs = anchorPosition.Abs;
        mAnchorSizeAbs = anchorSize.Abs;
        NarrowByAnchor(range, *mAnchor);
    }
    NarrowByDependents(range, false);
    // Panes whose limits contradict each other leave no range: the bar stays where it is.
    if (range.Low > range.High)
    {
        range = {position, position};
    }
    // Into the base's drag coordinates: the pointer's position where the bar's would be.
    const double shift = GetPressPoint().OnAxis(axis) - position;
    mDragMinimum = range.Low + shift;
    mDragMaximum = range.High + shift;
    return LControl::BeginDrag();
}

void LSplitterBase::OnDragMoved(const RCPtr<LPointWithModifiersParam>& /*param*/)
{
    if (mAnchor == nullptr)
    {
        return;
    }
    const int32_t axis = Axis();
    Position position;
    Size size;
    AxisRecords(*mAnchor, axis, position, size);
    size.Abs = mAnchorSizeAbs + GetDragDisplacement().OnAxis(axis);
    const RCPtr<LControl> anchor = mAnchor;
    anchor->SetAxisPlacement(axis, position, size);
}

ZQRESULT LSplitterBase::EndDrag()
{
    if (mAnchor != nullptr)
    {
        const int32_t axis = Axis();
        Position position;
        Size size;
        AxisRecords(*this, axis, position, size);
        position.ToControl = LLayoutDescriptor::kPositionSibling;
        position.ReferenceName = mAnchor->GetName();
        position.Abs = mSavedPositionAbs;
        position.Rel = mSavedPositionRel;
        SetAxisPlacement(axis, position, size);
    }
    return LControl::EndDrag();
}

void LSplitterBase::GetDragLimits(RectT<double>& limits)
{
    if (Axis() == 0)
    {
        limits.x = mDragMinimum;
        limits.width = mDragMaximum - mDragMinimum;
    }
    else
    {
        limits.y = mDragMinimum;
        limits.height = mDragMaximum - mDragMinimum;
    }
}

void LSplitterBase::OnConditionsChanged(const RCPtr<LConditionsParam>& conditions)
{
    if (conditions != nullptr)
    {
        const uint32_t changed = conditions->mPrevious ^ conditions->mCurrent;
        if ((changed & kConditionLeftDrag) != 0)
        {
            if ((conditions->mCurrent & kConditionLeftDrag) != 0)
            {
                SetDragMode(static_cast<int32_t>(DragMode::MoveScrolling),
                            Axis() == 0 ? DragState::kMoveX : DragState::kMoveY);
            }
            else
            {
                mAnchor = nullptr;
            }
        }
    }
    UpdateLook();
}

ZQRESULT LSplitterBase::Initialize()
{
    const ZQRESULT result = LControl::Initialize();
    SetCursor(GetUICursor(mOrientation == 0 ? u"UI_CURSOR_SIZE_NS" : u"UI_CURSOR_SIZE_WE"));
    return result;
}

ZQRESULT LSplitterBase::OnSize(int32_t width, int32_t height)
{
    const ZQRESULT result = LControl::OnSize(width, height);
    KeepInRange();
    return result;
}

// --- Helpers ---

double LSplitterBase::CurrentPosition() const
{
    return OnAxis(GetRect(), Axis(), false);
}

RCPtr<LControl> LSplitterBase::FindAnchorSibling() const
{
    Position position;
    Size size;
    AxisRecords(*this, Axis(), position, size);
    if (position.ToControl != LLayoutDescriptor::kPositionSibling || GetParent() == nullptr)
    {
        return {};
    }
    return GetParent()->FindChild(position.ReferenceName);
}

void LSplitterBase::NarrowByAnchor(Range& range, LControl& anchor) const
{
    const int32_t axis = Axis();
    const double position = CurrentPosition();
    Position anchorPosition;
    Size anchorSize;
    AxisRecords(anchor, axis, anchorPosition, anchorSize);
    const double minimum = MinimumSize(anchor, axis);
    const double maximum = MaximumSize(anchor, axis);
    range.Low = std::max(range.Low, position - (anchorSize.Abs - minimum));
    if (maximum > 0)
    {
        range.High = std::min(range.High, position + (maximum - anchorSize.Abs));
    }
}

void LSplitterBase::NarrowByDependents(Range& range, bool afterResize)
{
    const RCPtr<LControl> parent = GetParent();
    if (parent == nullptr || GetLayout() == nullptr)
    {
        return;
    }
    const int32_t axis = Axis();
    const double position = CurrentPosition();
    const int32_t order = GetLayout()->mLayoutOrder;
    ChildControlList& siblings = parent->GetChildren();
    for (uint32_t i = 0; i < siblings.GetCount(); ++i)
    {
        const RCPtr<LControl> pane = siblings.GetAt(i, ChildControlList::kStorageOrder);
        if (pane.Get() == this || pane->GetLayout() == nullptr || pane->GetLayout()->mLayoutOrder <= order)
        {
            continue;
        }
        Position panePosition;
        Size paneSize;
        AxisRecords(*pane, axis, panePosition, paneSize);
        const bool bySize =
            paneSize.ToControl == LLayoutDescriptor::kSizeSibling && paneSize.ReferenceName == mName;
        const bool byPosition = panePosition.ToControl == LLayoutDescriptor::kPositionSibling &&
                                panePosition.ReferenceName == mName &&
                                paneSize.ToControl != LLayoutDescriptor::kSizeSelf;
        if (!bySize && !byPosition)
        {
            continue;
        }
        double size = OnAxis(pane->GetRect(), axis, true);
        if (afterResize)
        {
            double limited = 0;
            if (!ComputePaneSizes(*pane, axis, size, limited) || std::fabs(size - limited) < kSizeEpsilon)
            {
                continue;
            }
        }
        const double minimum = MinimumSize(*pane, axis);
        const double maximum = MaximumSize(*pane, axis);
        // A pane that ends at the bar (relative part 0) grows as the bar moves on; one that starts after it
        // shrinks.
        const bool growsWithBar = (bySize ? paneSize.Rel : panePosition.Rel) == 0;
        if (growsWithBar)
        {
            range.Low = std::max(range.Low, position - (size - minimum));
            if (maximum > 0)
            {
                range.High = std::min(range.High, position + (maximum - size));
            }
        }
        else
        {
            range.High = std::min(range.High, position + (size - minimum));
            if (maximum > 0)
            {
                range.Low = std::max(range.Low, position - (maximum - size));
            }
        }
    }
}

void LSplitterBase::KeepInRange()
{
    const RCPtr<LControl> anchor = FindAnchorSibling();
    if (anchor == nullptr)
    {
        return;
    }
    const int32_t axis = Axis();
    Range range{0, kNoMaximum};
    NarrowByAnchor(range, *anchor);
    NarrowByDependents(range, true);
    if (range.Low > range.High)
    {
        std::swap(range.Low, range.High);
    }
    const double position = CurrentPosition();
    double difference = 0;
    if (position < range.Low)
    {
        difference = range.Low - position;
    }
    else if (position > range.High)
    {
        difference = range.High - position;
    }
    if (difference == 0)
    {
        return;
    }
    Position anchorPosition;
    Size anchorSize;
    AxisRecords(*anchor, axis, anchorPosition, anchorSize);
    anchorSize.Abs += difference;
    anchor->SetAxisPlacement(axis, anchorPosition, anchorSize);
}

void LSplitterBase::UpdateLook()
{
    if (!IsEnabled(true))
    {
        SelectLook(kDisabledLook);
        return;
    }
    const bool dragging = HasCapture() && IsDragging(MouseButton::Left);
    int32_t look = 0;
    if (dragging && IsHover())
    {
        look = 2;
    }
    else if (dragging || (IsHover() && !HasCapture()))
    {
        look = 1;
    }
    SelectLook(IsFocused() ? look + kFocusedLooks : look);
}
} // namespace ZQ
