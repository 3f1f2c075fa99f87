#pragma once

#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/ControlBase/Forward.h"

#include <cstdint>

namespace ZQ
{
// A control shown as the root control of its own root window, which runs a modal loop for it. Closing
// it asks its receivers first ("NID_DIALOG_CLOSING", which they may veto through the LCancelArgs
// parameter); a close that nobody vetoed ends the modal loop with the result, sends "NID_DIALOG_CLOSED"
// and calls OnClosed. UI thread only.
class LDialog : public LControl
{
public:
    LDialog(const RCPtr<LControl>& parent, const WString& name, bool mostDerived = true);
    ~LDialog() override;

    // Stores result, then closes unless a receiver of "NID_DIALOG_CLOSING" vetoes. A dialog that no
    // root window shows skips the end of the modal loop but still sends "NID_DIALOG_CLOSED".
    void Close(int32_t result);
    // Sends "NID_DIALOG_CLOSING" with a new LCancelArgs and returns it with the receivers' answer.
    [[nodiscard]] RCPtr<LCancelArgs> SendClosingNotification();
    // The value the modal loop returns: the result of the last Close, also of a vetoed one.
    [[nodiscard]] int32_t GetResult() const { return mResult; }

    // Called after a close that nobody vetoed; empty in the base.
    virtual void OnClosed();

private:
    int32_t mResult = 0;
};
} // namespace ZQ
