#pragma once

#include "ZQFramework/ControlBase/Forward.h"
#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"

namespace ZQ
{
// The parameter of a notification whose receivers may veto what is about to happen ("NID_DIALOG_CLOSING"):
// a receiver sets mCancel to stop it. Made by the sender, which reads it back after the delivery.
class LCancelArgs : public LRefCountedObject
{
public:
    [[nodiscard]] static RCPtr<LCancelArgs> Create();

    LCancelArgs() = default;
    ~LCancelArgs() override;

    bool mCancel = false;
};
} // namespace ZQ
