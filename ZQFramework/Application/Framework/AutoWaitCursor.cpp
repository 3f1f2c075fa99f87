#include "ZQFramework/Application/Framework/AutoWaitCursor.h"

#include "ZQFramework/Application/Framework/FrameworkApp.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"

namespace ZQ
{
CAutoWaitCursor::CAutoWaitCursor(const WString& text)
{
    LFrameworkApp* application = LFrameworkApp::GetInstance();
    if (application == nullptr)
        return;
    mWindow = application->FindActiveRootWindow();
    if (mWindow == nullptr)
        mWindow = RCPtr<LRootWindow>(application->GetFirstRootWindow());
    if (mWindow != nullptr)
    {
        mPreviousCursor = mWindow->SetCursor(application->GetCursor(u"UI_CURSOR_WAIT"));
        (void)application->SetStatusText(text, true);
    }
    (void)application->ProcessPendingNotifications(true);
}

CAutoWaitCursor::~CAutoWaitCursor()
{
    if (mWindow == nullptr)
        return;
    (void)mWindow->SetCursor(mPreviousCursor);
    if (LFrameworkApp* application = LFrameworkApp::GetInstance(); application != nullptr)
        (void)application->RestoreStatusText(false);
}
} // namespace ZQ
