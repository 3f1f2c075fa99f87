#pragma once

#include "ZQFramework/ControlBase/Control/Control.h"

namespace ZQ
{
// A text shown by the skin ("Framework.Label"); it takes no input of its own and never takes the focus.
// Its text and tool-tip text are the control base's. Held by its parent like any control.
class LLabel : public LControl
{
public:
    // Made by the control base's creation sequence, the only holder of a CreateKey.
    LLabel(CreateKey key, const RCPtr<LControl>& parent, const WString& name);
    ~LLabel() override;

    // Makes the label not focusable. 0.
    ZQRESULT OnCreated() override;
    // The whole label when it is truncated, else the skin's tool-tip text.
    [[nodiscard]] WString GetToolTipText() const override;
};
} // namespace ZQ
