// Drawing a control with its looks, content, label, children and overlay, and the hit test.
#include "ZQFramework/ControlBase/Control.h"
#include "ZQFramework/Renderer/Renderer.h"

namespace ZQ
{
bool LControl::IsTransparentAtPoint(const PointT<int32_t>& /*point*/) const
{
    return true;
}

uint32_t LControl::GetColorAtPoint(const PointT<int32_t>& /*point*/, int32_t /*lookIndex*/) const
{
    return 0x00FFFFFFu;
}

ZQRESULT LControl::Draw(const RCPtr<LRenderer>& /*renderer*/, const Region& /*dirty*/,
                        RCPtrArray<LControl, 1, 0>& /*deferred*/, bool /*unclippedPass*/)
{
    return 1;
}

RCPtr<LControl> LControl::GetControlAtPoint(const PointT<int32_t>& /*point*/, bool /*insideClip*/,
                                            PointT<int32_t>& /*localPoint*/, int32_t& /*z*/)
{
    return {};
}

bool LControl::ContainsPoint(const PointT<int32_t>& /*point*/) const
{
    return false;
}

void LControl::DrawContent(const RCPtr<LRenderer>& /*renderer*/)
{
}

void LControl::DrawOverlay(const RCPtr<LRenderer>& /*renderer*/)
{
}
} // namespace ZQ
