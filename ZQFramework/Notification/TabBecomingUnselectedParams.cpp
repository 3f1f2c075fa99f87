#include "ZQFramework/Notification/TabBecomingUnselectedParams.h"

namespace ZQ
{
RCPtr<LTabBecomingUnselectedParams> LTabBecomingUnselectedParams::Create(int32_t currentTabIndex,
                                                                         int32_t requestedTabIndex)
{
    return RCPtr<LTabBecomingUnselectedParams>(
        new LTabBecomingUnselectedParams(currentTabIndex, requestedTabIndex));
}
} // namespace ZQ
