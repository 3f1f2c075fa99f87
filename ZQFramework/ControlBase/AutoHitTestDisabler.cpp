#include "ZQFramework/ControlBase/AutoHitTestDisabler.h"

#include "ZQFramework/ControlBase/Control.h"

namespace ZQ
{
CAutoHitTestDisabler::CAutoHitTestDisabler(const RCPtr<LControl>& control) : mControl(control)
{
    if (mControl != nullptr)
        mControl->SetSkipInHitTest(true);
}

CAutoHitTestDisabler::~CAutoHitTestDisabler()
{
    if (mControl != nullptr)
        mControl->SetSkipInHitTest(false);
}
} // namespace ZQ
