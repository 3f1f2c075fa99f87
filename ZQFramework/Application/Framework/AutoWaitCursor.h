#pragma once

#include "ZQFramework/Application/Framework/Forward.h"
#include "ZQFramework/ControlBase/Forward.h"
#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>

namespace ZQ
{
// Marks a blocking step on the UI thread for as long as it lives: the application's active root window
// (else its first) shows the "UI_CURSOR_WAIT" cursor and the status bar shows text, and the pending
// notifications are delivered once at construction, so that the cursor, the text and whatever was queued
// before the step take effect before the step blocks. The caller's own handlers may run inside the
// constructor. At the end the window gets back the cursor it had and the status bar's default text is
// posted. Nested busy cursors restore in reverse order. Without an application or a root window it only
// delivers the pending notifications. Made on the stack; UI thread only.
class CAutoWaitCursor
{
public:
    explicit CAutoWaitCursor(const WString& text);
    ~CAutoWaitCursor();
    CAutoWaitCursor(const CAutoWaitCursor&) = delete;
    CAutoWaitCursor& operator=(const CAutoWaitCursor&) = delete;

private:
    intptr_t mPreviousCursor = 0;
    RCPtr<LRootWindow> mWindow;
};
} // namespace ZQ
