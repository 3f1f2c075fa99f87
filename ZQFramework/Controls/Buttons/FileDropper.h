#pragma once

#include "ZQFramework/ControlBase/Control/Control.h"

namespace ZQ
{
// The drag token of the skin class "Framework.FileDropper": it behaves exactly as LDropper (see there) and
// differs only in its class name. Held by its parent. UI thread only.
class LFileDropper : public LControl
{
public:
    // Made by the control base's creation sequence, the only holder of a CreateKey.
    LFileDropper(CreateKey key, const RCPtr<LControl>& parent, const WString& name);
    ~LFileDropper() override;

    ZQRESULT EndDrag() override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& conditions) override;
    ZQRESULT OnCreated() override;
};
} // namespace ZQ
