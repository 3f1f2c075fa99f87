#pragma once

#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/ControlBase/Control/ToolTipControl.h"

#include <cstdint>

namespace ZQ
{
// The small text window shown near the pointer over a control that has a tool-tip text
// ("Framework.ToolTip"). The control base creates one as a child of the hovered control, labels it and
// calls Show; it appears at the first idle pass more than 500 ms later (at once when another tool tip
// was hidden less than 50 ms before), stays for 5000 ms and is hidden by its own idle step or by the
// base's Hide, which also asks the parent to remove it. Each tool tip is shown once.
//
// Times are the application's millisecond ticks, compared by unsigned 32-bit difference so that they
// survive the wrap of the clock. UI thread only; the time of the last hiding is shared by all tool tips.
class LToolTip : public LControl, public IToolTip
{
public:
    static constexpr uint32_t kShowDelay = 500;
    static constexpr uint32_t kDisplayTime = 5000;
    static constexpr uint32_t kQuickShowWindow = 50;
    static constexpr int32_t kPointerOffset = 20;
    static constexpr int32_t kWindowMargin = 8;

    // Made by the control base's creation sequence, the only holder of a CreateKey.
    LToolTip(CreateKey key, const RCPtr<LControl>& parent, const WString& name);
    ~LToolTip() override;

    // Limits the width to the window's, then waits to show (or shows at once after a recent hiding). 0.
    ZQRESULT Show() override;
    // Stops waiting or showing and asks the parent to remove the tool tip at its next idle pass. 0;
    // E_FAIL without a parent.
    ZQRESULT Hide() override;

    // 0 idle, 1 waiting to show, 2 showing.
    [[nodiscard]] int32_t GetState() const { return mState; }
    // The tick at which a showing tool tip was last hidden (0 before any).
    [[nodiscard]] static uint32_t GetLastHideTime() { return sLastHideTime; }

    // --- Control base operations ---

    // Makes the tool tip not focusable and reads none of the base's parameters. 0.
    ZQRESULT ProcessCreateParams() override;
    // Hidden until it is shown. 0.
    ZQRESULT OnCreated() override;
    void OnIdle() override;
    [[nodiscard]] bool IsTransparentAtPoint(const PointT<int32_t>& point) const override;

private:
    static constexpr int32_t kIdle = 0;
    static constexpr int32_t kWaiting = 1;
    static constexpr int32_t kShowing = 2;

    // The maximum width: the window's client width less the margin.
    void LimitWidth();
    void ShowNow(uint32_t now);
    // Puts the top-left corner at the pointer, 20 pixels lower, moved back inside the window.
    void Place();
    [[nodiscard]] static uint32_t Now();

    int32_t mState = kIdle;
    uint32_t mStateTime = 0;
    static uint32_t sLastHideTime;
};
} // namespace ZQ
