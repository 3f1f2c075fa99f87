#pragma once

#include "ZQFramework/ControlBase/Forward.h"
#include "ZQFramework/ControlBase/Services/ClipboardSelection.h"
#include "ZQFramework/Notification/NotificationClient.h"
#include "ZQFramework/Notification/NotificationHandler.h"
#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/Result.h"

#include <cstdint>
#include <memory>

namespace ZQ
{
// The application's one clipboard service. It turns the edit requests posted to the default notification
// center ("NID_EDIT_CUT_REQ", "NID_EDIT_COPY_REQ", "NID_EDIT_PASTE_REQ", "NID_EDIT_DELETE_REQ") into edit
// operations on the focused control of the active root window, and puts text or the program's own objects
// on the system clipboard, keeping the last object it handled so that the program's own objects are pasted
// without being serialised. UI thread only.
class LClipboard : public LNotificationClient
{
public:
    // Edit codes, as the edit targets take them.
    static constexpr int32_t kEditDelete = 0;
    static constexpr int32_t kEditCut = 1;
    static constexpr int32_t kEditCopy = 2;
    static constexpr int32_t kEditPaste = 3;

    // Over the system's clipboard (the display's when one is open, else one of the process's own).
    [[nodiscard]] static RCPtr<LClipboard> Create();
    // Over the given selection (tests).
    [[nodiscard]] static RCPtr<LClipboard> Create(std::unique_ptr<IClipboardSelection> selection);

    // Binds the four edit requests; 0, or E_FAIL when a binding failed (the requests are then ignored).
    ZQRESULT Initialize();

    // The clipboard object: a text wrapper, the program's own object, or null.
    [[nodiscard]] RCPtr<LRefCountedObject> GetText();
    // 0; E_FAIL when the system clipboard failed; 1 when called while another SetText runs. A null object
    // forgets the clipboard object and leaves the system clipboard alone.
    ZQRESULT SetText(const RCPtr<LRefCountedObject>& object);

    [[nodiscard]] bool CanPerformEditOnFocus(int32_t code);
    // The edit target's result, or 1 when there is nothing to edit.
    ZQRESULT PerformEditOnFocus(int32_t code);

    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification) override;
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                        NotificationID id) override;

private:
    ZQRESULT OnCut(const RCPtr<LNotificationDistributor>& source, const RCPtr<LNotification>& notification);
    ZQRESULT OnCopy(const RCPtr<LNotificationDistributor>& source, const RCPtr<LNotification>& notification);
    ZQRESULT OnPaste(const RCPtr<LNotificationDistributor>& source, const RCPtr<LNotification>& notification);
    ZQRESULT OnDelete(const RCPtr<LNotificationDistributor>& source,
                      const RCPtr<LNotification>& notification);

    explicit LClipboard(std::unique_ptr<IClipboardSelection> selection);

    RCPtr<LNotificationHandler<LClipboard>> mHandler;
    uint32_t mLastSequenceNumber = 0;
    RCPtr<LRefCountedObject> mClipboardObject;
    bool mInitialized = false;
    bool mBusy = false;
    std::unique_ptr<IClipboardSelection> mSelection;
};
} // namespace ZQ
