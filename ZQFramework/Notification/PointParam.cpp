#include "ZQFramework/Notification/PointParam.h"

#include "ZQFramework/Utilities/Storage/String.h"

namespace ZQ
{
WString LPointParam::ToString() const
{
    return WString::Format(u"point(%d, %d)", mX, mY);
}
} // namespace ZQ
