#pragma once

#include "ZQFramework/Controls/Containers/Panel.h"
#include "ZQFramework/Notification/NotificationHandler.h"

namespace ZQ
{
class LButton;
class LTextBox;

// A number field ("Framework.NumericUpDown"): a panel holding a text box ("textBox") in which the user
// types a whole number and two buttons ("buttonUp", "buttonDown") that step it by one while pressed, with
// auto-repeat; Up and Down pressed in the text box click them. The number is the control base's value
// mapped into its range, and the text box always shows it formatted as a whole number: typed text
// becomes a value when the text box validates it (Return, the focus moving away, a click into the
// focused field), and text that is not a number of an accepted shape is replaced by the current number.
// The up-down forwards the text box's "NID_TEXTBOX_VALIDATING" (before parsing, so its own listeners
// may reject or change the text) and "NID_TEXTBOX_VALIDATED" from its own distributor, and sends
// "NID_VALUE_CHANGE" through the control base. The skin must provide the three children. Owned by its
// parent; UI thread only.
class LNumericUpDown : public LPanel
{
public:
    // Made by the control base's creation sequence, the only holder of a CreateKey.
    LNumericUpDown(CreateKey key, const RCPtr<LControl>& parent, const WString& name);
    ~LNumericUpDown() override;

    // The number that step adds or subtracts, in range units.
    [[nodiscard]] double GetStep() const { return mStep; }
    [[nodiscard]] const RCPtr<LTextBox>& GetTextBox() const { return mTextBox; }
    // The value shown as text: the scaled value formatted "%0.0f".
    [[nodiscard]] WString GetNumberText() const;

    // --- Control base operations ---

    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification) override;
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                        NotificationID id) override;
    // The text read as a number, which becomes the value (clamped into the range). 0.
    ZQRESULT SetLabel(const WString& text) override;
    // The text box shows the new number and validates it.
    void OnValueChanged() override;
    // The control base's rules; an accepted range rebuilds the filter and shows the number again (the
    // normalised value is kept, nothing is sent).
    ZQRESULT SetRange(double minimum, double maximum, int32_t taper) override;
    // Up and Down without modifiers click the matching button; any other key goes to the panel.
    ZQRESULT ProcessHotKey(const RCPtr<LKeyParam>& param) override;
    // Finds the children, makes the buttons repeat, sets the text box's filter and binds the handlers;
    // the panel's result.
    ZQRESULT Initialize() override;
    // The up-down passes the focus to its text box; the buttons never take it. 0.
    ZQRESULT OnCreated() override;

private:
    // "NID_TEXTBOX_VALIDATING" from the text box: the up-down's listeners first, then the text is checked
    // and becomes the value or is replaced by the number. 1.
    ZQRESULT OnTextValidating(const RCPtr<LNotificationDistributor>& source,
                              const RCPtr<LNotification>& notification);
    // "NID_TEXTBOX_VALIDATED" from the text box, sent on from the up-down. 1.
    ZQRESULT OnTextValidated(const RCPtr<LNotificationDistributor>& source,
                             const RCPtr<LNotification>& notification);
    // "NID_BUTTON_AUTOREPEAT" from either button: one step up or down. 1.
    ZQRESULT OnButtonRepeat(const RCPtr<LNotificationDistributor>& source,
                            const RCPtr<LNotification>& notification);
    // "0123456789", with "-" while the range reaches below 0; only these characters can be typed.
    void UpdateCharacterFilter();
    // The text box takes the number as its text (caret at 0).
    void ShowNumber();

    RCPtr<LNotificationHandler<LNumericUpDown>> mUpDownHandler;
    RCPtr<LTextBox> mTextBox;
    RCPtr<LButton> mButtonUp;
    RCPtr<LButton> mButtonDown;
    double mStep = 1.0;
};
} // namespace ZQ
