#pragma once

#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/Notification/NotificationHandler.h"

#include <cstdint>

namespace ZQ
{
// The base of the controls that open a drop-down part below themselves (combo box, combo slider, combo
// menu). It decides when the part opens and closes in answer to presses and focus changes: a left press
// on a closed control opens it; a press on an open one closes it without opening it again; losing the
// focus closes it. What the part is, where it goes and how it looks is the derived class's, through
// IsDropDownOpen and ShowDropDown. Registered under no skin class of its own.
//
// A press runs through the control base in this order: SetFocus, the button hook, "NID_MOUSE_DOWN" sent by
// the control itself, the capture, and the condition update. SetFocus notes whether it had to close the
// part; "NID_MOUSE_DOWN" then marks the press as one to swallow, and the new left-button-down condition
// opens the part only when the press is not swallowed.
//
// Derived classes with a handler of their own deliver to it first and then to this class's
// ReceiveNotification, and call this class's OnConditionsChanged after their own handling. UI thread only.
class LDropDownControl : public LControl
{
public:
    ~LDropDownControl() override;

    // --- Operations appended after the control base's, in slot order ---

    // Whether the drop-down part is shown.
    [[nodiscard]] virtual bool IsDropDownOpen() const = 0;
    // Opens (true) or closes (false) the drop-down part.
    virtual ZQRESULT ShowDropDown(bool open) = 0;

    // --- Control base operations ---

    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification) override;
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                        NotificationID id) override;
    // The base's Initialize, whose result is returned; whatever it was, the class then binds the
    // "NID_MOUSE_DOWN" that the control sends itself (a failed binding only means that every press opens).
    ZQRESULT Initialize() override;
    // The base's SetFocus (its result is returned), then closes an open drop-down and remembers whether it
    // did.
    ZQRESULT SetFocus(bool forward) override;
    // A newly pressed left button opens the drop-down, unless the press closed it.
    void OnConditionsChanged(const RCPtr<LConditionsParam>& conditions) override;
    // Closes the drop-down, then the base's KillFocus.
    ZQRESULT KillFocus() override;

protected:
    LDropDownControl(const RCPtr<LControl>& parent, const WString& name);

private:
    // "NID_MOUSE_DOWN" from the control itself: a press is swallowed exactly when its SetFocus closed the
    // drop-down. 0.
    ZQRESULT OnOwnMouseDown(const RCPtr<LNotificationDistributor>& source,
                            const RCPtr<LNotification>& notification);

    RCPtr<LNotificationHandler<LDropDownControl>> mDropDownHandler;
    // The last SetFocus found the drop-down open and closed it.
    uint8_t mClosedByFocus = 0;
    // The current left press must not open the drop-down.
    uint8_t mSwallowPress = 0;
};
} // namespace ZQ
