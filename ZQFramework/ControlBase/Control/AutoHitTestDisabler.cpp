#include "ZQFramework/ControlBase/Control/AutoHitTestDisabler.h"

#include "ZQFramework/ControlBase/Control/Control.h"

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

void CAutoHitTestDisablers::Add(const RCPtr<LControl>& control)
{
    if (control != nullptr && !control->IsSkipInHitTest())
        mDisablers.push_back(std::make_unique<CAutoHitTestDisabler>(control));
}

void CAutoHitTestDisablers::AddSubtree(const RCPtr<LControl>& control)
{
    if (control == nullptr)
        return;
    RCPtrArray<LControl, 1, 0> descendants;
    control->GetAllDescendants(descendants);
    Add(control);
    for (uint32_t i = 0; i < descendants.GetCount(); ++i)
        Add(descendants.GetAt(i));
}
} // namespace ZQ
