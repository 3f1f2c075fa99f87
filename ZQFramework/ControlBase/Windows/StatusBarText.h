#pragma once

#include "ZQFramework/ObjectBase/Result.h"
#include "ZQFramework/Utilities/Storage/String.h"

namespace ZQ
{
// The three operations of a status bar that the application uses. The status bar control implements it;
// the application's GetStatusBar hands it out.
class IStatusBarText
{
public:
    virtual ~IStatusBarText() = default;
    // Shows text at once.
    virtual ZQRESULT SetStatusTextNow(const WString& text) = 0;
    // Queues text; the status bar shows the latest queued text at its next idle pass.
    virtual ZQRESULT PostStatusText(const WString& text) = 0;
    [[nodiscard]] virtual WString GetDefaultStatusText() const = 0;
};
} // namespace ZQ
