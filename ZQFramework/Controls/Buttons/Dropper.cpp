#include "ZQFramework/Controls/Buttons/Dropper.h"

#include "ZQFramework/Controls/ControlPattern.h"
#include "ZQFramework/Notification/ConditionsParam.h"

namespace ZQ
{
LDropper::LDropper(CreateKey /*key*/, const RCPtr<LControl>& parent, const WString& name)
    : LControl(parent, name)
{
}

LDropper::~LDropper() = default;

ZQRESULT LDropper::EndDrag()
{
    return DragToken::EndDrag(*this);
}

void LDropper::OnConditionsChanged(const RCPtr<LConditionsParam>& conditions)
{
    DragToken::OnConditionsChanged(*this, conditions);
}

ZQRESULT LDropper::OnCreated()
{
    return DragToken::OnCreated(*this);
}

ZQRESULT DragToken::EndDrag(LControl& token)
{
    const RCPtr<LControl> self = KeepControlAlive(&token);
    const ZQRESULT result = token.LControl::EndDrag();
    // A token made without a parent has nobody to remove it; it simply stays where the drag left it.
    if (const RCPtr<LControl> parent = token.GetParent(); parent != nullptr && self != nullptr)
    {
        parent->RemoveChildLater(self);
    }
    return result;
}

void DragToken::OnConditionsChanged(LControl& token, const RCPtr<LConditionsParam>& conditions)
{
    if (conditions == nullptr)
    {
        return;
    }
    const bool pressed = (conditions->mPrevious & LControl::kConditionLeftDown) == 0 &&
                         (conditions->mCurrent & LControl::kConditionLeftDown) != 0;
    if (pressed)
    {
        token.SetDragMode(static_cast<int32_t>(DragMode::DragDrop), DragState::kMoveX | DragState::kMoveY);
        token.SetDragThreshold(0);
    }
}

ZQRESULT DragToken::OnCreated(LControl& token)
{
    token.SetNotFocusable(true);
    token.SetVisible(true);
    return 0;
}
} // namespace ZQ
