#pragma once

#include "ZQFramework/ControlBase/Control/Control.h"

namespace ZQ
{
// A drag token ("Framework.Dropper"): a small control that starts moving with the pointer as soon as the
// left button is pressed on it and takes itself out of its parent when the drag ends, at the parent's next
// idle pass. A token serves one drag. It binds no notifications of its own. Held by its parent, which it
// needs: the end of the drag asks the parent to remove it. UI thread only.
class LDropper : public LControl
{
public:
    // Made by the control base's creation sequence, the only holder of a CreateKey.
    LDropper(CreateKey key, const RCPtr<LControl>& parent, const WString& name);
    ~LDropper() override;

    // The base's end of the drag, then the parent removes the token at its next idle pass.
    ZQRESULT EndDrag() override;
    // A new left press makes the next pointer movement carry the token (drag and drop, both axes).
    void OnConditionsChanged(const RCPtr<LConditionsParam>& conditions) override;
    // Shown and not focusable, whatever the skin said. 0.
    ZQRESULT OnCreated() override;
};

// What both drag tokens do, so that the two classes stay alike.
namespace DragToken
{
ZQRESULT EndDrag(LControl& token);
void OnConditionsChanged(LControl& token, const RCPtr<LConditionsParam>& conditions);
ZQRESULT OnCreated(LControl& token);
} // namespace DragToken
} // namespace ZQ
