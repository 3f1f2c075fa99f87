// Mouse and key input of a control as its root window delivers it.
#include "ZQFramework/ControlBase/Control.h"

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
} // namespace ZQ
