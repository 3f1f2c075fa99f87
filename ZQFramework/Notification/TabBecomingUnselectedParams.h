#pragma once

#include "ZQFramework/Notification/Forward.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"

#include <cstdint>

namespace ZQ
{
// A tab about to be left. A receiver may change mRequestedTabIndex; the tab control selects what it holds.
class LTabBecomingUnselectedParams : public LRefCountedObject
{
public:
    [[nodiscard]] static RCPtr<LTabBecomingUnselectedParams> Create(int32_t currentTabIndex,
                                                                    int32_t requestedTabIndex);

    LTabBecomingUnselectedParams(int32_t currentTabIndex, int32_t requestedTabIndex)
        : mCurrentTabIndex(currentTabIndex), mRequestedTabIndex(requestedTabIndex)
    {
    }

    int32_t mCurrentTabIndex;
    int32_t mRequestedTabIndex;
};
} // namespace ZQ
