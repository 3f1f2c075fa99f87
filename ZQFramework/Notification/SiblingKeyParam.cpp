#include "ZQFramework/Notification/SiblingKeyParam.h"

namespace ZQ
{
LSiblingKeyParam::LSiblingKeyParam(const KeyCode& keyCode, const RCPtr<LRefCountedObject>& source)
    : mKeyCode(keyCode), mSource(source)
{
}

LSiblingKeyParam::~LSiblingKeyParam() = default;
} // namespace ZQ
