// Dragging a control or its content, drop targets and the automatic scrolling that follows the pointer.
#include "ZQFramework/ControlBase/Control/AutoHitTestDisabler.h"
#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/ControlBase/Windows/ControlApplication.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Notification/PointWithModifiersParam.h"
#include "ZQFramework/Utilities/Graphics/GeometryConversions.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace ZQ
{
namespace
{
constexpr double kCoordinateLimit = 4503599627370496.0; // 2^52

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

using Placement = DragState::Placement;

Placement CurrentPlacement(const LLayoutDescriptor& layout)
{
    Placement placement;
    layout.GetAxis(0, placement.XPosition, placement.XSize);
    layout.GetAxis(1, placement.YPosition, placement.YSize);
    return placement;
}

void Apply(LControl& control, const Placement& placement)
{
    control.SetAxisPlacement(placement.XPosition, placement.XSize, placement.YPosition, placement.YSize);
}

} // namespace

ZQRESULT LControl::SetDragMode(int32_t mode, uint32_t flags)
{
    mDrag.SetMode(mode, flags);
    return 0;
}

// --- Drag lifecycle ---

PointT<double> LControl::GetParentScrollOffset() const
{
    return mParent != nullptr ? mParent->GetScrollOffset() : PointT<double>{};
}

void LControl::RecordDragStart()
{
    mDrag.RecordStart({mRect.width, mRect.height}, GetParentScrollOffset(), CurrentPlacement(*mLayout));
}

ZQRESULT LControl::BeginDrag()
{
    if (!mConditionFlags.LeftDrag || mLayout == nullptr)
    {
        return 1;
    }
    const RCPtr<LControl> self(this);
    if (mDrag.Is(DragMode::DragDrop))
    {
        // The control floats over the whole window while it is carried, and stays where the drag puts it
        // while the parent scrolls under it.
        const PointT<double> scroll = GetParentScrollOffset();
        DragState::Drop& drop = mDrag.GetDrop();
        drop.Target = nullptr;
        drop.WasClipped = mLayout->mClipToParent;
        SetClipToParent(false);
        Placement placement = CurrentPlacement(*mLayout);
        drop.XUndocked = !placement.XPosition.Docked;
        drop.YUndocked = !placement.YPosition.Docked;
        if (drop.XUndocked)
        {
            placement.XPosition.Docked = true;
            placement.XPosition.Abs -= scroll.x;
        }
        if (drop.YUndocked)
        {
            placement.YPosition.Docked = true;
            placement.YPosition.Abs -= scroll.y;
        }
        if (drop.XUndocked || drop.YUndocked)
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
    mDrag.MoveOriginToPointer();
    RecordDragStart();
    return 0;
}

ZQRESULT LControl::EndDrag()
{
    const RCPtr<LControl> self(this);
    if (!mDrag.Is(DragMode::DragDrop))
    {
        if (mParent != nullptr)
        {
            mParent->StopAutoScroll(0);
            mParent->StopAutoScroll(1);
        }
        return 0;
    }
    if (const RCPtr<LRootWindow> window = GetRootWindow(); window != nullptr)
    {
        window->SetCursor(CursorNamed(u"UI_CURSOR_ARROW"));
    }
    DragState::Drop& drop = mDrag.GetDrop();
    if (mLayout != nullptr)
    {
        if (drop.WasClipped)
        {
            SetClipToParent(true);
        }
        const PointT<double> scroll = GetParentScrollOffset();
        Placement placement = CurrentPlacement(*mLayout);
        if (drop.XUndocked)
        {
            placement.XPosition.Docked = false;
            placement.XPosition.Abs += scroll.x;
        }
        if (drop.YUndocked)
        {
            placement.YPosition.Docked = false;
            placement.YPosition.Abs += scroll.y;
        }
        if (drop.XUndocked || drop.YUndocked)
        {
            Apply(*this, placement);
        }
    }
    drop.XUndocked = drop.YUndocked = false;
    const RCPtr<LControl> target = drop.Target;
    drop.Target = nullptr;
    if (target != nullptr)
    {
        target->StopAutoScroll(0);
        target->StopAutoScroll(1);
        // A refused drop leaves the control where the drag put it.
        target->OnDrop(self);
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
    if (!mDrag.IsDragging() || mLayout == nullptr)
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
    PointT<double> displacement = mDrag.DisplacementTo(pointer);
    DragState::EdgeDepth edges;
    if (!mDrag.Is(DragMode::DragDrop) && mParent != nullptr)
    {
        LimitDragDisplacement(displacement, edges);
    }
    if (mDrag.Is(DragMode::Pan))
    {
        PanContent(displacement);
    }
    else
    {
        ApplyDragPlacement(displacement);
    }
    if (mDrag.Is(DragMode::DragDrop))
    {
        TrackDropTarget(windowPoint);
    }
    else if (mDrag.IsEdgeScrolling() && mParent != nullptr)
    {
        const RCPtr<LControl> parent = mParent;
        DriveEdgeScroll(parent, 0, edges.Depth[0], edges.TowardStart[0]);
        DriveEdgeScroll(parent, 1, edges.Depth[1], edges.TowardStart[1]);
    }
    OnDragMoved(param);
    return 0;
}

void LControl::LimitDragDisplacement(PointT<double>& displacement, DragState::EdgeDepth& edges)
{
    RectT<double> visible;
    mParent->GetClientRect(visible);
    visible.x += mParent->GetScrollOffset().x;
    visible.y += mParent->GetScrollOffset().y;
    RectT<double> limits = visible;
    GetDragLimits(limits);
    mDrag.LimitDisplacement(displacement, visible, limits, edges);
}

void LControl::ApplyDragPlacement(const PointT<double>& displacement)
{
    Apply(*this, mDrag.Place(displacement, CurrentPlacement(*mLayout), GetParentScrollOffset()));
}

void LControl::PanContent(const PointT<double>& displacement)
{
    RectT<double> range;
    GetMaxScrollOffset(range, RCPtr<LControl>(this));
    PointT<double> offset = mScrollOffset;
    if (mDrag.Pan(displacement, range, offset))
    {
        SetScrollOffset(offset);
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
            hit->FindDropTarget(target, self, windowPoint);
        }
        if (target != nullptr && target != hit)
        {
            const PointT<double> origin = target->GetWindowOrigin();
            local = {RoundToLong(windowPoint.x - origin.x), RoundToLong(windowPoint.y - origin.y)};
        }
    }

    bool entered = false;
    if (target != mDrag.GetDrop().Target)
    {
        const RCPtr<LControl> previous = mDrag.GetDrop().Target;
        mDrag.GetDrop().Target = target;
        if (previous != nullptr)
        {
            previous->StopAutoScroll(0);
            previous->StopAutoScroll(1);
            previous->OnDragLeave(self);
        }
        entered = target != nullptr;
    }
    if (target == nullptr)
    {
        window->SetCursor(CursorNamed(u"UI_CURSOR_NO_DROP"));
        return;
    }
    if (entered)
    {
        window->SetCursor(CursorNamed(u"UI_CURSOR_DROP_MOVE"));
        target->OnDragEnter(self);
    }
    target->OnDragOver(self, windowPoint);

    const uint32_t edges = target->GetDragScrollEdges(self);
    const RectT<double> area = target->GetRectInWindow();
    const PointT<double> at{windowPoint.x - area.x, windowPoint.y - area.y};
    const uint32_t endEdges[2] = {DragState::kRightEdge, DragState::kBottomEdge};
    const uint32_t startEdges[2] = {DragState::kLeftEdge, DragState::kTopEdge};
    for (int32_t axis = 0; axis < 2; ++axis)
    {
        const double position = at.OnAxis(axis);
        const double innerEnd = LengthOn(area, axis) - DragState::kEdgeMargin;
        double depth = -1;
        bool towardStart = false;
        if ((edges & endEdges[axis]) != 0 && position > innerEnd)
        {
            depth = position - innerEnd;
        }
        else if ((edges & startEdges[axis]) != 0 && position < DragState::kEdgeMargin)
        {
            depth = DragState::kEdgeMargin - position;
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
        scroller->StopAutoScroll(axis);
        return;
    }
    RectT<double> range;
    scroller->GetMaxScrollOffset(range, RCPtr<LControl>(this));
    const double speed = (depth + 1) * DragState::kEdgeSpeedPerPixel;
    scroller->StartAutoScroll(axis, towardStart ? -speed : speed, MaximumOn(range, axis),
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
        RequestIdle();
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
    ReleaseIdle();
    return 0;
}

void LControl::StartKineticScroll()
{
    const PointT<double> speed = mDrag.Release(IControlApplication::CurrentMilliseconds());
    if (speed.x == 0 && speed.y == 0)
    {
        return;
    }
    RectT<double> range;
    GetMaxScrollOffset(range, RCPtr<LControl>(this));
    for (int32_t axis = 0; axis < 2; ++axis)
    {
        if (speed.OnAxis(axis) != 0)
        {
            StartAutoScroll(axis, speed.OnAxis(axis), MaximumOn(range, axis), MinimumOn(range, axis),
                            nullptr);
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
    SetScrollOffset(offset);
    if (const RCPtr<LControl> carried = scroll.Carried; carried != nullptr)
    {
        // The carried control follows the resting pointer over the moved content.
        if (const RCPtr<LRootWindow> window = carried->GetRootWindow(); window != nullptr)
        {
            const PointT<int32_t> pointer = window->GetCursorPos();
            const PointT<double> origin = carried->GetWindowOrigin();
            carried->DragMove(LPointWithModifiersParam::Create(RoundToLong(pointer.x - origin.x),
                                                               RoundToLong(pointer.y - origin.y),
                                                               window->GetModifierKeys(), 0));
        }
    }
    if (!scroll.Running || !scroll.Decelerating || !mDrag.CoastOver(nowTicks))
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
        StopAutoScroll(axis);
    }
}
} // namespace ZQ
