#pragma once

#include "ZQFramework/ControlBase/Forward.h"
#include "ZQFramework/ObjectBase/RCPtr.h"

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
} // namespace ZQ
