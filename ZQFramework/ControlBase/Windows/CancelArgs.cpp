#include "ZQFramework/ControlBase/Windows/CancelArgs.h"

namespace ZQ
{
RCPtr<LCancelArgs> LCancelArgs::Create()
{
    return RCPtr<LCancelArgs>(new LCancelArgs());
}

LCancelArgs::~LCancelArgs() = default;
} // namespace ZQ
