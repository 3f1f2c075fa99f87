#include "ZQFramework/ControlBase/Control/DragState.h"

#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/Notification/MouseButtonParam.h"
#include "ZQFramework/Utilities/Graphics/GeometryConversions.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace ZQ
{
namespace
{
// The flags that let a drag scroll the parent along each axis.
constexpr uint32_t kAxisFlags[2] = {DragState::kMoveX | DragState::kRightEdge | DragState::kLeftEdge,
                                    DragState::kMoveY | DragState::kTopEdge | DragState::kBottomEdge};

constexpr uint32_t kKineticReleaseWindow = 100; // ms from the last move to the release
constexpr double kKineticMinimumSpeed = 1000.0;
constexpr uint32_t kKineticCoastTime = 1000; // ms at full speed after the release

double StartOn(const RectT<double>& rect, int32_t axis)
{
    return axis == 0 ? rect.x : rect.y;
}

double EndOn(const RectT<double>& rect, int32_t axis)
{
    return StartOn(rect, axis) + (axis == 0 ? rect.width : rect.height);
}

// Never throws for an empty range (lower above upper): the lower bound wins.
double ClampTo(double value, double lower, double upper)
{
    return std::max(lower, std::min(value, upper));
}

// The flag that moves or pans along axis.
uint32_t MoveFlag(int32_t axis)
{
    return axis == 0 ? DragState::kMoveX : DragState::kMoveY;
}
} // namespace

DragState::DragState() = default;

DragState::~DragState() = default;

void DragState::SetMode(int32_t mode, uint32_t flags)
{
    mMode = static_cast<DragMode>(mode);
    mFlags = flags;
}

bool DragState::IsDragging() const
{
    return mMode >= DragMode::DragDrop && mMode <= DragMode::Pan;
}

void DragState::Press(const PointT<double>& point)
{
    mPressPoint = point;
    mDisplacement = {};
}

void DragState::SetLastLeftPress(const RCPtr<LMouseButtonParam>& param)
{
    mLastLeftButtonDown = param;
}

ZQRESULT DragState::SetThreshold(int32_t pixels)
{
    if (pixels < 0)
    {
        return E_INVALIDARG;
    }
    mThreshold = pixels;
    return 0;
}

PointT<int32_t> DragState::PressInControl(const PointT<double>& origin) const
{
    return {RoundToLong(mPressPoint.x - origin.x), RoundToLong(mPressPoint.y - origin.y)};
}

bool DragState::PassesThreshold(int32_t x, int32_t y, const PointT<double>& origin) const
{
    const PointT<int32_t> press = PressInControl(origin);
    const int64_t distance = std::max(std::llabs(int64_t{x} - press.x), std::llabs(int64_t{y} - press.y));
    return distance >= mThreshold;
}

PointT<double> DragState::DisplacementTo(const PointT<double>& pointer) const
{
    return {pointer.x - mPressPoint.x, pointer.y - mPressPoint.y};
}

void DragState::MoveOriginToPointer()
{
    mPressPoint = {mPressPoint.x + mDisplacement.x, mPressPoint.y + mDisplacement.y};
    mDisplacement = {};
}

void DragState::RecordStart(const PointT<double>& size, const PointT<double>& parentScrollOffset,
                            const Placement& placement)
{
    mStart.Size = size;
    mStart.ParentScrollOffset = parentScrollOffset;
    mStart.XPositionAbs = placement.XPosition.Abs;
    mStart.YPositionAbs = placement.YPosition.Abs;
    mStart.XSizeAbs = placement.XSize.Abs;
    mStart.YSizeAbs = placement.YSize.Abs;
}

void DragState::LimitDisplacement(PointT<double>& displacement, const RectT<double>& visible,
                                  const RectT<double>& limits, EdgeDepth& edges) const
{
    if (mMode >= DragMode::Pan)
    {
        return;
    }
    for (int32_t axis = 0; axis < 2; ++axis)
    {
        const double press = mPressPoint.OnAxis(axis);
        const double limitStart = StartOn(limits, axis);
        const double limitEnd = EndOn(limits, axis);
        double lower = limitStart - press;
        double upper = limitEnd - press;
        if (IsResizing())
        {
            // The control keeps at least one pixel.
            const double startSize = mStart.Size.OnAxis(axis);
            if ((mFlags & (axis == 0 ? kRightEdge : kBottomEdge)) != 0)
            {
                lower = std::max(lower, 1 - startSize);
            }
            if ((mFlags & (axis == 0 ? kLeftEdge : kTopEdge)) != 0)
            {
                upper = std::min(upper, startSize - 1);
            }
        }
        double& moved = displacement.OnAxis(axis);
        moved = ClampTo(moved, lower, upper);
        if (!IsEdgeScrolling() || (mFlags & kAxisFlags[axis]) == 0)
        {
            continue;
        }
        // The half of the visible area the pointer is in picks the edge. Where the limits reach beyond
        // the visible area, the margin shrinks by that much, so the deepest point stays 30 pixels in.
        const double visibleStart = StartOn(visible, axis);
        const double visibleEnd = EndOn(visible, axis);
        const double at = press + moved;
        if (at >= (visibleStart + visibleEnd) / 2)
        {
            const double inner = visibleEnd - std::max(0.0, kEdgeMargin - (limitEnd - visibleEnd));
            if (at >= inner)
            {
                edges.Depth[axis] = at - inner;
            }
        }
        else
        {
            const double inner = visibleStart + std::max(0.0, kEdgeMargin - (visibleStart - limitStart));
            if (at <= inner)
            {
                edges.Depth[axis] = inner - at;
                edges.TowardStart[axis] = true;
            }
        }
    }
}

DragState::Placement DragState::Place(const PointT<double>& displacement, Placement placement,
                                      const PointT<double>& parentScrollOffset)
{
    mDisplacement = displacement;
    const PointT<double> scrollChange{parentScrollOffset.x - mStart.ParentScrollOffset.x,
                                      parentScrollOffset.y - mStart.ParentScrollOffset.y};
    LLayoutDescriptor::AxisPosition& xPosition = placement.XPosition;
    LLayoutDescriptor::AxisPosition& yPosition = placement.YPosition;
    LLayoutDescriptor::AxisSize& xSize = placement.XSize;
    LLayoutDescriptor::AxisSize& ySize = placement.YSize;
    const double dx = displacement.x;
    const double dy = displacement.y;
    const auto moveX = [&]
    { xPosition.Abs = mStart.XPositionAbs + dx - (xPosition.Docked ? scrollChange.x : 0); };
    const auto moveY = [&]
    { yPosition.Abs = mStart.YPositionAbs + dy - (yPosition.Docked ? scrollChange.y : 0); };
    if (mMode < DragMode::Resize)
    {
        if ((mFlags & kMoveX) != 0)
        {
            moveX();
        }
        if ((mFlags & kMoveY) != 0)
        {
            moveY();
        }
        return placement;
    }
    if ((mFlags & kRightEdge) != 0)
    {
        xSize.Abs = mStart.XSizeAbs + dx;
    }
    if ((mFlags & kLeftEdge) != 0)
    {
        moveX();
        xSize.Abs = mStart.XSizeAbs - dx;
    }
    if ((mFlags & kBottomEdge) != 0)
    {
        ySize.Abs = mStart.YSizeAbs + dy;
    }
    if ((mFlags & kTopEdge) != 0)
    {
        moveY();
        ySize.Abs = mStart.YSizeAbs - dy;
    }
    return placement;
}

bool DragState::Pan(const PointT<double>& displacement, const RectT<double>& range, PointT<double>& offset)
{
    const uint32_t elapsedTicks = mLastMoveTime - mPreviousMoveTime; // ticks wrap: unsigned difference
    const double elapsed = elapsedTicks / 1000.0;
    bool scrolled = false;
    for (int32_t axis = 0; axis < 2; ++axis)
    {
        // Moving the pointer left or up shows content further right or down.
        const double delta = mDisplacement.OnAxis(axis) - displacement.OnAxis(axis);
        // A move in the same millisecond as the last one still moves the content; only its speed
        // cannot be measured.
        if (elapsed > 0)
        {
            double& speed = mSpeed.OnAxis(axis);
            const double measured = delta / elapsed;
            speed = speed != 0 && elapsed < 0.2 ? 0.5 * measured + 0.5 * speed : measured;
        }
        if ((mFlags & MoveFlag(axis)) != 0 && delta != 0)
        {
            offset.OnAxis(axis) =
                ClampTo(offset.OnAxis(axis) + delta, StartOn(range, axis), EndOn(range, axis));
            scrolled = true;
        }
    }
    mDisplacement = displacement;
    return scrolled;
}

void DragState::BeginMeasure(uint32_t now)
{
    mLastMoveTime = now;
    mSpeed = {};
}

PointT<double> DragState::Release(uint32_t now)
{
    mReleaseTime = now;
    PointT<double> kept;
    if (static_cast<uint32_t>(now - mLastMoveTime) >= kKineticReleaseWindow)
    {
        return kept;
    }
    for (int32_t axis = 0; axis < 2; ++axis)
    {
        const double speed = mSpeed.OnAxis(axis);
        if ((mFlags & MoveFlag(axis)) != 0 && std::fabs(speed) >= kKineticMinimumSpeed)
        {
            kept.OnAxis(axis) = speed;
        }
    }
    return kept;
}

bool DragState::CoastOver(uint32_t now) const
{
    return static_cast<uint32_t>(now - mReleaseTime) > kKineticCoastTime;
}
} // namespace ZQ
