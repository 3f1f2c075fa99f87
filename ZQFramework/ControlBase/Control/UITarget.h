#pragma once

#include "ZQFramework/Notification/Forward.h"
#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/Result.h"

#include <cstdint>

namespace ZQ
{
// What a root window delivers to a control: pointer, keyboard, size and focus events. Every control
// implements it once, in the control base, for all control classes; the root window is the only caller.
// UI thread only.
class UITarget
{
public:
    virtual ~UITarget() = default;

    virtual ZQRESULT OnMouseEnter() = 0;
    // The point is in the control's own coordinates.
    virtual ZQRESULT OnMouseMove(const RCPtr<LPointWithModifiersParam>& param) = 0;
    virtual ZQRESULT OnMouseDown(const RCPtr<LMouseButtonParam>& param) = 0;
    virtual ZQRESULT OnMouseUp(const RCPtr<LMouseButtonParam>& param) = 0;
    virtual ZQRESULT OnMouseLeave() = 0;
    // 0 when the capture is taken (ended), 1 when refused.
    virtual ZQRESULT BeginMouseCapture(int32_t button, int32_t x, int32_t y) = 0;
    virtual ZQRESULT EndMouseCapture() = 0;
    virtual ZQRESULT OnKeyPress(const RCPtr<LKeyParam>& param) = 0;
    // The wheel's point is in window coordinates. Both share one routing body, which hands the wheel to
    // the control's own vertical or horizontal wheel hook by the parameter's wheel type.
    virtual ZQRESULT OnWindowMouseWheel(const RCPtr<LMouseWheelParam>& param) = 0;
    virtual ZQRESULT OnWindowMouseHWheel(const RCPtr<LMouseWheelParam>& param) = 0;
    // The new size in whole pixels, sent by the parent (or the native window) after a resize.
    virtual ZQRESULT OnSize(int32_t width, int32_t height) = 0;
    // Asked before the focus moves away; false keeps it.
    [[nodiscard]] virtual bool CanReleaseFocus() = 0;
    virtual ZQRESULT KillFocus() = 0;
};
} // namespace ZQ
