#include "ZQFramework/Notification/KeyParam.h"

#include "ZQFramework/Utilities/Storage/String.h"

namespace ZQ
{
RCPtr<LKeyParam> LKeyParam::Create(const KeyCode& keyCode, uint32_t stayInside)
{
    return RCPtr<LKeyParam>(new LKeyParam(keyCode, stayInside));
}

LKeyParam::~LKeyParam() = default;

WString LKeyParam::ToString() const
{
    return mKeyCode.ToString();
}
} // namespace ZQ
