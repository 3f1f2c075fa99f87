// Mouse and key input of a control as its root window delivers it.
#include "ZQFramework/ControlBase/Control.h"
#include "ZQFramework/Notification/KeyParam.h"
#include "ZQFramework/Notification/MouseButtonParam.h"
#include "ZQFramework/Notification/MouseWheelParam.h"
#include "ZQFramework/Notification/PointWithModifiersParam.h"

namespace ZQ
{
RCPtr<LControl> LControl::GetToolTipOwner()
{
    if (GetToolTipText().IsEmpty() && mUseParentToolTip && mParent != nullptr)
    {
        return mParent->GetToolTipOwner();
    }
    return RCPtr<LControl>(this);
}

ZQRESULT LControl::OnMouseEnter()
{
    return 1;
}

ZQRESULT LControl::OnMouseMove(const RCPtr<LPointWithModifiersParam>& /*param*/)
{
    return 1;
}

ZQRESULT LControl::OnMouseDown(const RCPtr<LMouseButtonParam>& /*param*/)
{
    return 1;
}

ZQRESULT LControl::OnMouseUp(const RCPtr<LMouseButtonParam>& /*param*/)
{
    return 1;
}

ZQRESULT LControl::OnMouseLeave()
{
    return 1;
}

ZQRESULT LControl::BeginMouseCapture(int32_t /*button*/, int32_t /*x*/, int32_t /*y*/)
{
    return 1;
}

ZQRESULT LControl::EndMouseCapture()
{
    return 1;
}

ZQRESULT LControl::OnKeyPress(const RCPtr<LKeyParam>& /*param*/)
{
    return 1;
}

ZQRESULT LControl::OnWindowMouseWheel(const RCPtr<LMouseWheelParam>& /*param*/)
{
    return 1;
}

ZQRESULT LControl::OnWindowMouseHWheel(const RCPtr<LMouseWheelParam>& /*param*/)
{
    return 1;
}

void LControl::OnLeftButtonDown(const RCPtr<LMouseButtonParam>& /*param*/)
{
}

void LControl::OnLeftButtonUp(const RCPtr<LMouseButtonParam>& /*param*/)
{
}

void LControl::OnMiddleButtonDown(const RCPtr<LMouseButtonParam>& /*param*/)
{
}

void LControl::OnMiddleButtonUp(const RCPtr<LMouseButtonParam>& /*param*/)
{
}

void LControl::OnRightButtonDown(const RCPtr<LMouseButtonParam>& /*param*/)
{
}

void LControl::OnRightButtonUp(const RCPtr<LMouseButtonParam>& /*param*/)
{
}

void LControl::OnMouseMoved(const RCPtr<LPointWithModifiersParam>& /*param*/)
{
}

ZQRESULT LControl::OnMouseWheel(const RCPtr<LMouseWheelParam>& /*param*/)
{
    return 1;
}

ZQRESULT LControl::OnMouseHWheel(const RCPtr<LMouseWheelParam>& /*param*/)
{
    return 1;
}

ZQRESULT LControl::OnClick(const RCPtr<LMouseButtonParam>& /*param*/)
{
    return 1;
}

ZQRESULT LControl::OnLeftClick(const RCPtr<LMouseButtonParam>& /*param*/)
{
    return 1;
}

ZQRESULT LControl::OnMiddleClick(const RCPtr<LMouseButtonParam>& /*param*/)
{
    return 1;
}

ZQRESULT LControl::OnRightClick(const RCPtr<LMouseButtonParam>& /*param*/)
{
    return 1;
}

void LControl::OnLeftClicked(const RCPtr<LMouseButtonParam>& /*param*/)
{
}

void LControl::OnMiddleClicked(const RCPtr<LMouseButtonParam>& /*param*/)
{
}

void LControl::OnRightClicked(const RCPtr<LMouseButtonParam>& /*param*/)
{
}

RCPtr<LControl> LControl::GetNextTabStop(const RCPtr<LControl>& /*from*/, bool /*backward*/)
{
    return {};
}

ZQRESULT LControl::HandleKeyPress(const RCPtr<LKeyParam>& /*param*/)
{
    return 1;
}

ZQRESULT LControl::OnSiblingKey(const RCPtr<LKeyParam>& /*param*/)
{
    return 1;
}

ZQRESULT LControl::ProcessHotKey(const RCPtr<LKeyParam>& /*param*/)
{
    return 1;
}

ZQRESULT LControl::OnTabKey(const RCPtr<LKeyParam>& /*param*/)
{
    return 1;
}

ZQRESULT LControl::GetSiblingKeyOrder(const KeyCode& /*key*/,
                                      const Array<LNotificationReceiver*>& /*listeners*/,
                                      Array<uint32_t>& /*order*/)
{
    return 1;
}
} // namespace ZQ
