#pragma once

#include "ZQFramework/ControlBase/Control.h"

namespace ZQ
{
// The drag token of the skin class "Framework.FileDropper": it behaves exactly as LDropper (see there) and
// differs only in its class name. Held by its parent. UI thread only.
class LFileDropper : public LControl
{
public:
    ~LFileDropper() override;

    ZQRESULT EndDrag() override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& conditions) override;
    ZQRESULT OnCreated() override;

protected:
    // The control base's creation sequence constructs it.
    friend class LControl;
    LFileDropper(const RCPtr<LControl>& parent, const WString& name);
};
} // namespace ZQ
