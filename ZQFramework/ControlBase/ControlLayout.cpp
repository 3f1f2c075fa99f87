// The layout members of the control: placing a control from its layout copy and cascading the result
// through its children, its later siblings and its parent.
#include "ZQFramework/ControlBase/Control.h"

namespace ZQ
{
ZQRESULT LControl::UpdateLayout()
{
    return E_FAIL;
}

ZQRESULT LControl::GetLayoutSize(PointT<double>& size)
{
    size = {};
    return E_FAIL;
}

ZQRESULT LControl::GetMaximumSize(PointT<double>& size)
{
    size = {};
    return 0;
}

bool LControl::SetClipToParent(bool /*clip*/)
{
    return mLayout != nullptr && mLayout->mClipToParent;
}

bool LControl::SetAxisPlacement(int32_t /*axis*/, const LLayoutDescriptor::AxisPosition& /*position*/,
                                const LLayoutDescriptor::AxisSize& /*size*/)
{
    return false;
}

bool LControl::SetAxisPlacement(const LLayoutDescriptor::AxisPosition& /*xPosition*/,
                                const LLayoutDescriptor::AxisSize& /*xSize*/,
                                const LLayoutDescriptor::AxisPosition& /*yPosition*/,
                                const LLayoutDescriptor::AxisSize& /*ySize*/)
{
    return false;
}

bool LControl::SetAxisLimits(int32_t /*axis*/, const LLayoutDescriptor::AxisLimit& /*minimum*/,
                             const LLayoutDescriptor::AxisLimit& /*maximum*/)
{
    return false;
}

bool LControl::SetAxisLimits(const LLayoutDescriptor::AxisLimit& /*xMinimum*/,
                             const LLayoutDescriptor::AxisLimit& /*xMaximum*/,
                             const LLayoutDescriptor::AxisLimit& /*yMinimum*/,
                             const LLayoutDescriptor::AxisLimit& /*yMaximum*/)
{
    return false;
}

ZQRESULT LControl::SetRect(const RectT<double>& rect)
{
    if (rect == mRect)
    {
        return 1;
    }
    mRect = rect;
    return 0;
}

void LControl::OnScrollOffsetChanged()
{
}

ZQRESULT LControl::OnSize(int32_t /*width*/, int32_t /*height*/)
{
    return UpdateLayout();
}

double LControl::GetChildrenExtent(int32_t /*first*/, int32_t /*last*/, int32_t /*axis*/) const
{
    return 0;
}

void LControl::OnChildRectChanged(const RCPtr<LControl>& /*child*/)
{
}
} // namespace ZQ
