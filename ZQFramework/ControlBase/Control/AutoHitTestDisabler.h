#pragma once

#include "ZQFramework/ControlBase/Forward.h"
#include "ZQFramework/ObjectBase/RCPtr.h"

#include <memory>
#include <vector>

namespace ZQ
{
// Makes the hit test pass over one control for the life of a scope: sets the control's SkipInHitTest on
// construction and clears it on destruction. Only the control's own test is skipped; its children are
// still asked. Holds the control meanwhile; a null control is left alone. UI thread only.
class CAutoHitTestDisabler
{
public:
    explicit CAutoHitTestDisabler(const RCPtr<LControl>& control);
    ~CAutoHitTestDisabler();
    CAutoHitTestDisabler(const CAutoHitTestDisabler&) = delete;
    CAutoHitTestDisabler& operator=(const CAutoHitTestDisabler&) = delete;

private:
    RCPtr<LControl> mControl;
};

// Makes the hit test pass over several controls for the life of a scope, each through its own
// CAutoHitTestDisabler. A control already passed over is left to whoever set its flag, so the flags that
// were set before are still set afterwards. UI thread only.
class CAutoHitTestDisablers
{
public:
    CAutoHitTestDisablers() = default;
    CAutoHitTestDisablers(const CAutoHitTestDisablers&) = delete;
    CAutoHitTestDisablers& operator=(const CAutoHitTestDisablers&) = delete;

    void Add(const RCPtr<LControl>& control);
    // control and every control below it.
    void AddSubtree(const RCPtr<LControl>& control);

private:
    std::vector<std::unique_ptr<CAutoHitTestDisabler>> mDisablers;
};
} // namespace ZQ
