#pragma once

#include "ZQFramework/Notification/MouseButtonParam.h"

#include <cstdint>

namespace ZQ
{
// The flags a control keeps about its input state: focus, hover, capture, per mouse button whether it is
// down and whether it drags, the highlight and whether hit tests pass over the control. LControl turns
// them, with its visibility and enabled state, into its condition mask. A plain member of LControl; UI
// thread.
class ConditionFlags
{
public:
    // Whether button is down and has not moved past the drag threshold yet.
    [[nodiscard]] bool IsButtonDown(MouseButton button) const;
    // Whether button is down and has moved past the drag threshold.
    [[nodiscard]] bool IsDragging(MouseButton button) const;
    void SetButtonDown(MouseButton button, bool down);
    void SetDragging(MouseButton button, bool dragging);
    // No button counts as down any more (a drag has begun, or the capture ended).
    void ReleaseButtons() { LeftButtonDown = MiddleButtonDown = RightButtonDown = false; }
    void EndDrags() { LeftDrag = MiddleDrag = RightDrag = false; }

    bool Focused = false;
    bool ContainsFocus = false;
    bool Hover = false;
    bool Capture = false;
    bool LeftButtonDown = false;
    bool MiddleButtonDown = false;
    bool RightButtonDown = false;
    bool LeftDrag = false;
    bool MiddleDrag = false;
    bool RightDrag = false;
    bool Highlight = false;
    bool SkipInHitTest = false;

private:
    // The flag of button; Self is ConditionFlags or const ConditionFlags.
    template <class Self>
    static auto& Down(Self& self, MouseButton button)
    {
        return button == MouseButton::Left     ? self.LeftButtonDown
               : button == MouseButton::Middle ? self.MiddleButtonDown
                                               : self.RightButtonDown;
    }
    template <class Self>
    static auto& Drag(Self& self, MouseButton button)
    {
        return button == MouseButton::Left     ? self.LeftDrag
               : button == MouseButton::Middle ? self.MiddleDrag
                                               : self.RightDrag;
    }
};

inline bool ConditionFlags::IsButtonDown(MouseButton button) const
{
    return Down(*this, button);
}

inline bool ConditionFlags::IsDragging(MouseButton button) const
{
    return Drag(*this, button);
}

inline void ConditionFlags::SetButtonDown(MouseButton button, bool down)
{
    Down(*this, button) = down;
}

inline void ConditionFlags::SetDragging(MouseButton button, bool dragging)
{
    Drag(*this, button) = dragging;
}
} // namespace ZQ
