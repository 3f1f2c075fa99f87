// Dragging a control or its content, drop targets and the automatic scrolling that follows the pointer.
#include "ZQFramework/ControlBase/AutoHitTestDisabler.h"
#include "ZQFramework/ControlBase/Control.h"
#include "ZQFramework/ControlBase/ControlApplication.h"
#include "ZQFramework/ControlBase/RootWindow.h"
#include "ZQFramework/Notification/PointWithModifiersParam.h"
#include "ZQFramework/Utilities/Graphics/GeometryConversions.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace ZQ
{
namespace
{
constexpr int32_t kModeDragDrop = 1;
constexpr int32_t kModeMoveScrolling = 3;
constexpr int32_t kModeResize = 4;
constexpr int32_t kModeResizeScrolling = 5;
constexpr int32_t kModePan = 6;

constexpr uint32_t kMoveX = 0x1;
constexpr uint32_t kMoveY = 0x2;
constexpr uint32_t kRightEdge = 0x4;
constexpr uint32_t kLeftEdge = 0x8;
constexpr uint32_t kTopEdge = 0x10;
constexpr uint32_t kBottomEdge = 0x20;
// The flags that let a drag scroll the parent along each axis.
constexpr uint32_t kAxisFlags[2] = {kMoveX | kRightEdge | kLeftEdge, kMoveY | kTopEdge | kBottomEdge};

constexpr double kCoordinateLimit = 4503599627370496.0; // 2^52
constexpr double kEdgeMargin = 30.0;
constexpr double kEdgeSpeedPerPixel = 15.0;
constexpr uint32_t kKineticReleaseWindow = 100; // ms from the last move to the release
constexpr double kKineticMinimumSpeed = 1000.0;
constexpr uint32_t kKineticCoastTime = 1000; // ms at full speed after the release

double Seconds()
{
    IControlApplication* application = IControlApplication::GetCurrent();
    return application != nullptr ? application->GetElapsedSeconds() : 0;
}

intptr_t CursorNamed(const char16_t* name)
{
    IControlApplication* application = IControlApplication::GetCurrent();
    return application != nullptr ? application->GetCursor(name) : 0;
}

double StartOn(const RectT<double>& rect, int32_t axis)
{
    return axis == 0 ? rect.x : rect.y;
}

double LengthOn(const RectT<double>& rect, int32_t axis)
{
    return axis == 0 ? rect.width : rect.height;
}

// A scroll range rectangle spans [x, x + width] and [y, y + height].
double MinimumOn(const RectT<double>& range, int32_t axis)
{
    return StartOn(range, axis);
}

double MaximumOn(const RectT<double>& range, int32_t axis)
{
    return StartOn(range, axis) + LengthOn(range, axis);
}

// Never throws for an empty range (lower above upper): the lower bound wins.
double ClampTo(double value, double lower, double upper)
{
    return std::max(lower, std::min(value, upper));
}

bool IsValidAxis(int32_t axis)
{
    return axis == 0 || axis == 1;
}

// Both axes' placement rules, each position with its axis's docked flag (the layout keeps that flag
// apart from the position rule).
struct Placement
{
    LLayoutDescriptor::AxisPosition XPosition;
    LLayoutDescriptor::AxisSize XSize;
    LLayoutDescriptor::AxisPosition YPosition;
    LLayoutDescriptor::AxisSize YSize;
};

Placement CurrentPlacement(const LLayoutDescriptor& layout)
{
    Placement placement;
    (void)layout.GetAxis(0, placement.XPosition, placement.XSize);
    (void)layout.GetAxis(1, placement.YPosition, placement.YSize);
    return placement;
}

void Apply(LControl& control, const Placement& placement)
{
    (void)control.SetAxisPlacement(placement.XPosition, placement.XSize, placement.YPosition,
                                   placement.YSize);
}

} // namespace

ZQRESULT LControl::SetDragMode(int32_t mode, uint32_t flags)
{
    mDragMode = mode;
    mDragFlags = flags;
    return 0;
}

// --- Drag lifecycle ---

void LControl::RecordDragStart()
{
    mDragStart.Size = {mRect.width, mRect.height};
    mDragStart.ParentScrollOffset = mParent != nullptr ? mParent->GetScrollOffset() : PointT<double>{};
    mDragStart.XPositionAbs = mLayout->mXPosition.Abs;
    mDragStart.YPositionAbs = mLayout->mYPosition.Abs;
    mDragStart.XSizeAbs = mLayout->mXSize.Abs;
    mDragStart.YSizeAbs = mLayout->mYSize.Abs;
}

ZQRESULT LControl::BeginDrag()
{
    if (!mLeftDrag || mLayout == nullptr)
    {
        return 1;
    }
    const RCPtr<LControl> self(this);
    if (mDragMode == kModeDragDrop)
    {
        // The control floats over the whole window while it is carried, and stays where the drag puts it
        // while the parent scrolls under it.
        const PointT<double> scroll = mParent != nullptr ? mParent->GetScrollOffset() : PointT<double>{};
        mDragDrop.Target = nullptr;
        mDragDrop.WasClipped = mLayout->mClipToParent;
        (void)SetClipToParent(false);
        Placement placement = CurrentPlacement(*mLayout);
        mDragDrop.XUndocked = !placement.XPosition.Docked;
        mDragDrop.YUndocked = !placement.YPosition.Docked;
        if (mDragDrop.XUndocked)
        {
            placement.XPosition.Docked = true;
            placement.XPosition.Abs -= scroll.x;
        }
        if (mDragDrop.YUndocked)
        {
            placement.YPosition.Docked = true;
            placement.YPosition.Abs -= scroll.y;
        }
        if (mDragDrop.XUndocked || mDragDrop.YUndocked)
        {
            Apply(*this, placement);
        }
    }
    RecordDragStart();
    return 0;
}

ZQRESULT LControl::UpdateDragOrigin()
{
    if (mLayout == nullptr)
    {
        return 1;
    }
    // The pointer stays where it is; the drag now measures from there.
    mPressPoint = {mPressPoint.x + mDragDisplacement.x, mPressPoint.y + mDragDisplacement.y};
    mDragDisplacement = {};
    RecordDragStart();
    return 0;
}

ZQRESULT LControl::EndDrag()
{
    const RCPtr<LControl> self(this);
    if (mDragMode != kModeDragDrop)
    {
        if (mParent != nullptr)
        {
            (void)mParent->StopAutoScroll(0);
            (void)mParent->StopAutoScroll(1);
        }
        return 0;
    }
    if (const RCPtr<LRootWindow> window = GetRootWindow(); window != nullptr)
    {
        (void)window->SetCursor(CursorNamed(u"UI_CURSOR_ARROW"));
    }
    if (mLayout != nullptr)
    {
        if (mDragDrop.WasClipped)
        {
            (void)SetClipToParent(true);
        }
        const PointT<double> scroll = mParent != nullptr ? mParent->GetScrollOffset() : PointT<double>{};
        Placement placement = CurrentPlacement(*mLayout);
        if (mDragDrop.XUndocked)
        {
            placement.XPosition.Docked = false;
            placement.XPosition.Abs += scroll.x;
        }
        if (mDragDrop.YUndocked)
        {
            placement.YPosition.Docked = false;
            placement.YPosition.Abs += scroll.y;
        }
        if (mDragDrop.XUndocked || mDragDrop.YUndocked)
        {
            Apply(*this, placement);
        }
    }
    mDragDrop.XUndocked = mDragDrop.YUndocked = false;
    const RCPtr<LControl> target = mDragDrop.Target;
    mDragDrop.Target = nullptr;
    if (target != nullptr)
    {
        (void)target->StopAutoScroll(0);
        (void)target->StopAutoScroll(1);
        // A refused drop leaves the control where the drag put it.
        (void)target->OnDrop(self);
        target->OnDragLeave(self);
    }
    return 0;
}

// --- Moving ---

ZQRESULT LControl::DragMove(const RCPtr<LPointWithModifiersParam>& param)
{
    if (param == nullptr)
    {
        return E_INVALIDARG;
    }
    if (mDragMode < kModeDragDrop || mDragMode > kModePan || mLayout == nullptr)
    {
        return 1;
    }
    const RCPtr<LControl> self(this);
    // Taken before the control moves: the pointer's place in the window does not change with it.
    const PointT<double> windowOrigin = GetWindowOrigin();
    const PointT<int32_t> windowPoint{RoundToLong(windowOrigin.x + param->mX),
                                      RoundToLong(windowOrigin.y + param->mY)};
    const PointT<double> pointer{ClampTo(mRect.x + param->mX, -kCoordinateLimit, kCoordinateLimit),
                                 ClampTo(mRect.y + param->mY, -kCoordinateLimit, kCoordinateLimit)};
    PointT<double> displacement{pointer.x - mPressPoint.x, pointer.y - mPressPoint.y};
    double depth[2] = {-1, -1};
    bool towardStart[2] = {false, false};
    if (mDragMode != kModeDragDrop && mParent != nullptr)
    {
        LimitDragDisplacement(displacement, depth, towardStart);
    }
    if (mDragMode == kModePan)
    {
        PanContent(displacement);
    }
    else
    {
        mDragDisplacement = displacement;
        ApplyDragPlacement();
    }
    if (mDragMode == kModeDragDrop)
    {
        TrackDropTarget(windowPoint);
    }
    else if ((mDragMode == kModeMoveScrolling || mDragMode == kModeResizeScrolling) && mParent != nullptr)
    {
        const RCPtr<LControl> parent = mParent;
        DriveEdgeScroll(parent, 0, depth[0], towardStart[0]);
        DriveEdgeScroll(parent, 1, depth[1], towardStart[1]);
    }
    OnDragMoved(param);
    return 0;
}

void LControl::LimitDragDisplacement(PointT<double>& displacement, double depth[2], bool towardStart[2])
{
    RectT<double> visible;
    (void)mParent->GetClientRect(visible);
    visible.x += mParent->GetScrollOffset().x;
    visible.y += mParent->GetScrollOffset().y;
    RectT<double> limits = visible;
    GetDragLimits(limits);
    if (mDragMode >= kModePan)
    {
        return;
    }
    const bool resizing = mDragMode == kModeResize || mDragMode == kModeResizeScrolling;
    const bool edgeScrolling = mDragMode == kModeMoveScrolling || mDragMode == kModeResizeScrolling;
    for (int32_t axis = 0; axis < 2; ++axis)
    {
        const double press = mPressPoint.OnAxis(axis);
        const double limitStart = StartOn(limits, axis);
        const double limitEnd = limitStart + LengthOn(limits, axis);
        double lower = limitStart - press;
        double upper = limitEnd - press;
        if (resizing)
        {
            // The control keeps at least one pixel.
            const double startSize = mDragStart.Size.OnAxis(axis);
            if ((mDragFlags & (axis == 0 ? kRightEdge : kBottomEdge)) != 0)
            {
                lower = std::max(lower, 1 - startSize);
            }
            if ((mDragFlags & (axis == 0 ? kLeftEdge : kTopEdge)) != 0)
            {
                upper = std::min(upper, startSize - 1);
            }
        }
        double& moved = displacement.OnAxis(axis);
        moved = ClampTo(moved, lower, upper);
        if (!edgeScrolling || (mDragFlags & kAxisFlags[axis]) == 0)
        {
            continue;
        }
        // The half of the visible area the pointer is in picks the edge. Where the limits reach beyond
        // the visible area, the margin shrinks by that much, so the deepest point stays 30 pixels in.
        const double visibleStart = StartOn(visible, axis);
        const double visibleEnd = visibleStart + LengthOn(visible, axis);
        const double at = press + moved;
        if (at >= (visibleStart + visibleEnd) / 2)
        {
            const double inner = visibleEnd - std::max(0.0, kEdgeMargin - (limitEnd - visibleEnd));
            if (at >= inner)
            {
                depth[axis] = at - inner;
            }
        }
        else
        {
            const double inner = visibleStart + std::max(0.0, kEdgeMargin - (visibleStart - limitStart));
            if (at <= inner)
            {
                depth[axis] = inner - at;
                towardStart[axis] = true;
            }
        }
    }
}

void LControl::ApplyDragPlacement()
{
    const PointT<double> scroll = mParent != nullptr ? mParent->GetScrollOffset() : PointT<double>{};
    // A docked position already follows the parent's scroll offset; only the pointer's move is added.
    const PointT<double> scrollChange{scroll.x - mDragStart.ParentScrollOffset.x,
                                      scroll.y - mDragStart.ParentScrollOffset.y};
    Placement placement = CurrentPlacement(*mLayout);
    LLayoutDescriptor::AxisPosition& xPosition = placement.XPosition;
    LLayoutDescriptor::AxisPosition& yPosition = placement.YPosition;
    LLayoutDescriptor::AxisSize& xSize = placement.XSize;
    LLayoutDescriptor::AxisSize& ySize = placement.YSize;
    const double dx = mDragDisplacement.x;
    const double dy = mDragDisplacement.y;
    const auto moveX = [&]
    { xPosition.Abs = mDragStart.XPositionAbs + dx - (xPosition.Docked ? scrollChange.x : 0); };
    const auto moveY = [&]
    { yPosition.Abs = mDragStart.YPositionAbs + dy - (yPosition.Docked ? scrollChange.y : 0); };
    if (mDragMode < kModeResize)
    {
        if ((mDragFlags & kMoveX) != 0)
        {
            moveX();
        }
        if ((mDragFlags & kMoveY) != 0)
        {
            moveY();
        }
    }
    else
    {
        if ((mDragFlags & kRightEdge) != 0)
        {
            xSize.Abs = mDragStart.XSizeAbs + dx;
        }
        if ((mDragFlags & kLeftEdge) != 0)
        {
            moveX();
            xSize.Abs = mDragStart.XSizeAbs - dx;
        }
        if ((mDragFlags & kBottomEdge) != 0)
        {
            ySize.Abs = mDragStart.YSizeAbs + dy;
        }
        if ((mDragFlags & kTopEdge) != 0)
        {
            moveY();
            ySize.Abs = mDragStart.YSizeAbs - dy;
        }
    }
    Apply(*this, placement);
}

void LControl::PanContent(const PointT<double>& displacement)
{
    const uint32_t elapsedTicks = mLastMoveTime - mPreviousMoveTime; // ticks wrap: unsigned difference
    const double elapsed = elapsedTicks / 1000.0;
    RectT<double> range;
    (void)GetMaxScrollOffset(range, RCPtr<LControl>(this));
    PointT<double> offset = mScrollOffset;
    bool scrolled = false;
    for (int32_t axis = 0; axis < 2; ++axis)
    {
        // Moving the pointer left or up shows content further right or down.
        const double delta = mDragDisplacement.OnAxis(axis) - displacement.OnAxis(axis);
        // A move in the same millisecond as the last one still moves the content; only its speed
        // cannot be measured.
        if (elapsed > 0)
        {
            double& speed = mDragSpeed.OnAxis(axis);
            const double measured = delta / elapsed;
            speed = speed != 0 && elapsed < 0.2 ? 0.5 * measured + 0.5 * speed : measured;
        }
        if ((mDragFlags & static_cast<uint32_t>(axis + 1)) != 0 && delta != 0)
        {
            offset.OnAxis(axis) =
                ClampTo(offset.OnAxis(axis) + delta, MinimumOn(range, axis), MaximumOn(range, axis));
            scrolled = true;
        }
    }
    mDragDisplacement = displacement;
    if (scrolled)
    {
        (void)SetScrollOffset(offset);
    }
}

void LControl::OnDragMoved(const RCPtr<LPointWithModifiersParam>& /*param*/)
{
}

// --- Drop targets ---

void LControl::TrackDropTarget(const PointT<int32_t>& windowPoint)
{
    const RCPtr<LRootWindow> window = GetRootWindow();
    if (window == nullptr)
    {
        return;
    }
    const RCPtr<LControl> self(this);
    RCPtr<LControl> target;
    PointT<int32_t> local{};
    {
        // The carried control lies under the pointer: look beneath it.
        CAutoHitTestDisablers skipDragged;
        skipDragged.AddSubtree(self);
        const RCPtr<LControl> hit = window->GetControlAtPoint(windowPoint, local, false);
        if (hit != nullptr)
        {
            (void)hit->FindDropTarget(target, self, windowPoint);
        }
        if (target != nullptr && target != hit)
        {
            const PointT<double> origin = target->GetWindowOrigin();
            local = {RoundToLong(windowPoint.x - origin.x), RoundToLong(windowPoint.y - origin.y)};
        }
    }

    bool entered = false;
    if (target != mDragDrop.Target)
    {
        const RCPtr<LControl> previous = mDragDrop.Target;
        mDragDrop.Target = target;
        if (previous != nullptr)
        {
            (void)previous->StopAutoScroll(0);
            (void)previous->StopAutoScroll(1);
            previous->OnDragLeave(self);
        }
        entered = target != nullptr;
    }
    if (target == nullptr)
    {
        (void)window->SetCursor(CursorNamed(u"UI_CURSOR_NO_DROP"));
        return;
    }
    if (entered)
    {
        (void)window->SetCursor(CursorNamed(u"UI_CURSOR_DROP_MOVE"));
        target->OnDragEnter(self);
    }
    target->OnDragOver(self, windowPoint);

    const uint32_t edges = target->GetDragScrollEdges(self);
    const RectT<double> area = target->GetRectInWindow();
    const PointT<double> at{windowPoint.x - area.x, windowPoint.y - area.y};
    const uint32_t endEdges[2] = {kRightEdge, kBottomEdge};
    const uint32_t startEdges[2] = {kLeftEdge, kTopEdge};
    for (int32_t axis = 0; axis < 2; ++axis)
    {
        const double position = at.OnAxis(axis);
        const double innerEnd = LengthOn(area, axis) - kEdgeMargin;
        double depth = -1;
        bool towardStart = false;
        if ((edges & endEdges[axis]) != 0 && position > innerEnd)
        {
            depth = position - innerEnd;
        }
        else if ((edges & startEdges[axis]) != 0 && position < kEdgeMargin)
        {
            depth = kEdgeMargin - position;
            towardStart = true;
        }
        DriveEdgeScroll(target, axis, depth, towardStart);
    }
}

ZQRESULT LControl::FindDropTarget(RCPtr<LControl>& target, const RCPtr<LControl>& dragged,
                                  const PointT<int32_t>& windowPoint)
{
    target = nullptr;
    std::vector<const LControl*> visited;
    // Floating controls passed over stay out of the hit tests that look beneath them.
    CAutoHitTestDisablers passed;
    RCPtr<LControl> control(this);
    while (control != nullptr)
    {
        if (std::find(visited.begin(), visited.end(), control.Get()) != visited.end())
        {
            return 1;
        }
        visited.push_back(control.Get());
        if (control->AcceptsDrop(dragged))
        {
            target = control;
            return 0;
        }
        if (!control->IsFloating())
        {
            control = control->mParent;
            continue;
        }
        const RCPtr<LRootWindow> window = control->GetRootWindow();
        if (window == nullptr)
        {
            return 1;
        }
        passed.Add(control);
        PointT<int32_t> local{};
        control = window->GetControlAtPoint(windowPoint, local, false);
    }
    return 1;
}

bool LControl::AcceptsDrop(const RCPtr<LControl>& /*dragged*/)
{
    return false;
}

uint32_t LControl::GetDragScrollEdges(const RCPtr<LControl>& /*dragged*/)
{
    return 0;
}

ZQRESULT LControl::GetMaxScrollOffset(RectT<double>& range, const RCPtr<LControl>& /*child*/)
{
    range = {0, 0, kCoordinateLimit, kCoordinateLimit};
    return 0;
}

void LControl::GetDragLimits(RectT<double>& /*limits*/)
{
}

void LControl::OnDragEnter(const RCPtr<LControl>& /*dragged*/)
{
}

void LControl::OnDragOver(const RCPtr<LControl>& /*dragged*/, const PointT<int32_t>& /*point*/)
{
}

void LControl::OnDragLeave(const RCPtr<LControl>& /*dragged*/)
{
}

ZQRESULT LControl::OnDrop(const RCPtr<LControl>& /*dragged*/)
{
    return E_FAIL;
}

// --- Automatic scrolling ---

void LControl::DriveEdgeScroll(const RCPtr<LControl>& scroller, int32_t axis, double depth, bool towardStart)
{
    if (depth < 0)
    {
        (void)scroller->StopAutoScroll(axis);
        return;
    }
    RectT<double> range;
    (void)scroller->GetMaxScrollOffset(range, RCPtr<LControl>(this));
    const double speed = (depth + 1) * kEdgeSpeedPerPixel;
    (void)scroller->StartAutoScroll(axis, towardStart ? -speed : speed, MaximumOn(range, axis),
                                    MinimumOn(range, axis), RCPtr<LControl>(this));
}

ZQRESULT LControl::StartAutoScroll(int32_t axis, double speed, double maximum, double minimum,
                                   const RCPtr<LControl>& carried)
{
    if (!IsValidAxis(axis))
    {
        return E_INVALIDARG;
    }
    AutoScrollAxis& scroll = mAutoScroll[axis];
    scroll.Speed = speed;
    scroll.Maximum = maximum;
    scroll.Minimum = minimum;
    scroll.Carried = carried;
    if (!scroll.Running)
    {
        scroll.Running = true;
        scroll.LastTick = Seconds();
        (void)RequestIdle();
    }
    return 0;
}

ZQRESULT LControl::StopAutoScroll(int32_t axis)
{
    if (!IsValidAxis(axis))
    {
        return E_INVALIDARG;
    }
    AutoScrollAxis& scroll = mAutoScroll[axis];
    scroll.Carried = nullptr;
    if (!scroll.Running)
    {
        return 1;
    }
    scroll.Running = false;
    scroll.Decelerating = false;
    (void)ReleaseIdle();
    return 0;
}

void LControl::StartKineticScroll()
{
    const uint32_t now = IControlApplication::CurrentMilliseconds();
    mReleaseTime = now;
    if (static_cast<uint32_t>(now - mLastMoveTime) >= kKineticReleaseWindow)
    {
        return;
    }
    RectT<double> range;
    (void)GetMaxScrollOffset(range, RCPtr<LControl>(this));
    for (int32_t axis = 0; axis < 2; ++axis)
    {
        const double speed = mDragSpeed.OnAxis(axis);
        if ((mDragFlags & static_cast<uint32_t>(axis + 1)) != 0 && std::fabs(speed) >= kKineticMinimumSpeed)
        {
            (void)StartAutoScroll(axis, speed, MaximumOn(range, axis), MinimumOn(range, axis), nullptr);
            mAutoScroll[axis].Decelerating = true;
        }
    }
}

void LControl::AdvanceAutoScroll()
{
    const RCPtr<LControl> self(this);
    const uint32_t nowTicks = IControlApplication::CurrentMilliseconds();
    for (int32_t axis = 0; axis < 2; ++axis)
    {
        if (mAutoScroll[axis].Running)
        {
            AdvanceAutoScrollAxis(axis, nowTicks);
        }
    }
}

void LControl::AdvanceAutoScrollAxis(int32_t axis, uint32_t nowTicks)
{
    AutoScrollAxis& scroll = mAutoScroll[axis];
    const double now = Seconds();
    const double elapsed = now - scroll.LastTick;
    const double step = std::round(scroll.Speed * elapsed);
    if (step == 0)
    {
        // The time carries over until a whole pixel is due, so that slow speeds move at all.
        return;
    }
    scroll.LastTick = now;
    PointT<double> offset = mScrollOffset;
    offset.OnAxis(axis) = ClampTo(offset.OnAxis(axis) + step, scroll.Minimum, scroll.Maximum);
    (void)SetScrollOffset(offset);
    if (const RCPtr<LControl> carried = scroll.Carried; carried != nullptr)
    {
        // The carried control follows the resting pointer over the moved content.
        if (const RCPtr<LRootWindow> window = carried->GetRootWindow(); window != nullptr)
        {
            const PointT<int32_t> pointer = window->GetCursorPos();
            const PointT<double> origin = carried->GetWindowOrigin();
            (void)carried->DragMove(LPointWithModifiersParam::Create(RoundToLong(pointer.x - origin.x),
                                                                     RoundToLong(pointer.y - origin.y),
                                                                     window->GetModifierKeys(), 0));
        }
    }
    if (!scroll.Running || !scroll.Decelerating ||
        static_cast<uint32_t>(nowTicks - mReleaseTime) <= kKineticCoastTime)
    {
        return;
    }
    const double decrement = std::round(mAutoScrollDeceleration * elapsed);
    if (scroll.Speed > decrement)
    {
        scroll.Speed -= decrement;
    }
    else if (scroll.Speed < -decrement)
    {
        scroll.Speed += decrement;
    }
    else
    {
        (void)StopAutoScroll(axis);
    }
}
} // namespace ZQ
