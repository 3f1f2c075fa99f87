#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"

namespace ZQ
{
bool LLayoutDescriptor::AxisPosition::operator==(const AxisPosition& other) const
{
    return Anchor == other.Anchor && ToControl == other.ToControl && Rel == other.Rel && Abs == other.Abs &&
           Docked == other.Docked && (ToControl != kPositionSibling || ReferenceName == other.ReferenceName);
}

bool LLayoutDescriptor::AxisSize::operator==(const AxisSize& other) const
{
    return ToControl == other.ToControl && Rel == other.Rel && Abs == other.Abs &&
           (ToControl != kSizeSibling || ReferenceName == other.ReferenceName);
}

bool LLayoutDescriptor::AxisLimit::operator==(const AxisLimit& other) const
{
    return ToOther == other.ToOther && Rel == other.Rel && Abs == other.Abs &&
           (!ToOther || ReferenceName == other.ReferenceName);
}

RCPtr<LLayoutDescriptor> LLayoutDescriptor::Create()
{
    return RCPtr<LLayoutDescriptor>(new LLayoutDescriptor());
}

LLayoutDescriptor::LLayoutDescriptor()
{
    mXSize.Abs = 16;
    mYSize.Abs = 40;
}

LLayoutDescriptor::~LLayoutDescriptor() = default;

RCPtr<LLayoutDescriptor>& LLayoutDescriptor::CopyTo(RCPtr<LLayoutDescriptor>& target) const
{
    if (!target)
        target = Create();
    LLayoutDescriptor& copy = *target;
    copy.mClipToParent = mClipToParent;
    copy.mZOrder = mZOrder;
    copy.mTabStop = mTabStop;
    copy.mVisible = mVisible;
    copy.mEnabled = mEnabled;
    copy.mXDocked = mXDocked;
    copy.mYDocked = mYDocked;
    copy.mXPosition = mXPosition;
    copy.mYPosition = mYPosition;
    copy.mXSize = mXSize;
    copy.mYSize = mYSize;
    copy.mXMinimum = mXMinimum;
    copy.mYMinimum = mYMinimum;
    copy.mXMaximum = mXMaximum;
    copy.mYMaximum = mYMaximum;
    copy.mTextDecoration = mTextDecoration;
    copy.mTextOverflowX = mTextOverflowX;
    copy.mTextOverflowY = mTextOverflowY;
    copy.mLayoutOrder = mLayoutOrder;
    return target;
}

ZQRESULT LLayoutDescriptor::GetAxis(int32_t axis, AxisPosition& position, AxisSize& size) const
{
    if (axis != 0 && axis != 1)
        return E_INVALIDARG;
    position = axis == 0 ? mXPosition : mYPosition;
    position.Docked = axis == 0 ? mXDocked : mYDocked;
    size = axis == 0 ? mXSize : mYSize;
    return S_OK;
}

ZQRESULT LLayoutDescriptor::GetAxisLimits(int32_t axis, AxisLimit& minimum, AxisLimit& maximum) const
{
    if (axis != 0 && axis != 1)
        return E_INVALIDARG;
    minimum = axis == 0 ? mXMinimum : mYMinimum;
    maximum = axis == 0 ? mXMaximum : mYMaximum;
    return S_OK;
}
} // namespace ZQ
