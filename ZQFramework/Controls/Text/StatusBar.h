#pragma once

#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/ControlBase/Windows/StatusBarText.h"
#include "ZQFramework/Controls/Buttons/Label.h"
#include "ZQFramework/Notification/NotificationHandler.h"
#include "ZQFramework/Notification/NotificationQueue.h"

namespace ZQ
{
// One line of status text in its child label "label1" ("Framework.StatusBar"), with that label's skin text
// as the default to restore. The status bar is also a notification queue of its own: texts posted from any
// thread wait there and are applied on the UI thread at the next idle pass, where only the latest of
// several posted texts reaches the label. The queue's reference to its target (the status bar's own
// distributor) counts as an internal reference, so releasing the last outside reference frees the bar.
//
// PostStatusText runs on any thread (the queue's ring is guarded by the notification queues' shared
// mutex); everything else runs on the UI thread.
class LStatusBar : public LControl, public LNotificationQueue, public IStatusBarText
{
public:
    // Made by the control base's creation sequence, the only holder of a CreateKey.
    LStatusBar(CreateKey key, const RCPtr<LControl>& parent, const WString& name);
    ~LStatusBar() override;

    // --- The application's status text ---

    // Delivers what was posted before, then shows text and has the window repaint everything at once. 0.
    ZQRESULT SetStatusTextNow(const WString& text) override;
    // Queues text for the next idle pass. 0; E_FAIL before Initialize or after the bar's release.
    ZQRESULT PostStatusText(const WString& text) override;
    [[nodiscard]] WString GetDefaultStatusText() const override;

    // --- Control base and queue operations ---

    // Shuts the queue down and gives back its reference to the bar, then the control base's release.
    ZQRESULT ReleaseInternalReferences() override;
    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification) override;
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                        NotificationID id) override;
    // Listens to its own "NID_SET_STATUS_TEXT" (latest only), becomes its queue's target, keeps an idle
    // request for good and reads label1's default text. The base's result.
    ZQRESULT Initialize() override;
    // The base's parameters, then not focusable whatever they say.
    ZQRESULT ProcessCreateParams() override;
    // Delivers the posted texts.
    void OnIdle() override;

private:
    // "NID_SET_STATUS_TEXT": the wrapped text becomes label1's label. 1.
    ZQRESULT OnSetStatusText(const RCPtr<LNotificationDistributor>& source,
                             const RCPtr<LNotification>& notification);

    RCPtr<LNotificationHandler<LStatusBar>> mStatusHandler;
    RCPtr<LLabel> mTextLabel;
    WString mDefaultStatusText;
};
} // namespace ZQ
