// Dragging a control or its content, drop targets and the automatic scrolling that follows the pointer.
#include "ZQFramework/ControlBase/Control.h"

namespace ZQ
{
ZQRESULT LControl::SetDragMode(int32_t mode, uint32_t flags)
{
    mDragMode = mode;
    mDragFlags = flags;
    return 0;
}

ZQRESULT LControl::BeginDrag()
{
    return 1;
}

ZQRESULT LControl::UpdateDragOrigin()
{
    return 1;
}

ZQRESULT LControl::DragMove(const RCPtr<LPointWithModifiersParam>& /*param*/)
{
    return 1;
}

void LControl::OnDragMoved(const RCPtr<LPointWithModifiersParam>& /*param*/)
{
}

ZQRESULT LControl::EndDrag()
{
    return 1;
}

ZQRESULT LControl::FindDropTarget(RCPtr<LControl>& target, const RCPtr<LControl>& /*dragged*/,
                                  const PointT<int32_t>& /*windowPoint*/)
{
    target = nullptr;
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
    constexpr double kUnbounded = 4503599627370496.0; // 2^52
    range = {0, 0, kUnbounded, kUnbounded};
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

ZQRESULT LControl::StartAutoScroll(int32_t /*axis*/, double /*speed*/, double /*maximum*/, double /*minimum*/,
                                   const RCPtr<LControl>& /*carried*/)
{
    return 0;
}

ZQRESULT LControl::StopAutoScroll(int32_t /*axis*/)
{
    return 1;
}

void LControl::StartKineticScroll()
{
}
} // namespace ZQ
