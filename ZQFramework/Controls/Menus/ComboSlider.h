#pragma once

#include "ZQFramework/Controls/Menus/DropDownControl.h"
#include "ZQFramework/Notification/NotificationHandler.h"

namespace ZQ
{
class LPanel;

// A value control that shows its value as text and drops down a panel holding a slider to change it
// ("Framework.ComboSlider"; the panel is "Framework.ComboSlider.DropDownPanel"). The children are the
// panel "dropDownPanel" and, inside it, the slider "slider"; without the panel nothing drops down. The
// value is the control base's normalised value with its range and taper, and the label shows it scaled
// and rounded to a whole number. Control and slider hold the same value: the control pushes its value to
// the slider, and the slider's changes come back through its "NID_VALUE_CHANGE", one "NID_VALUE_CHANGE"
// from the control for each of the slider's (the end of a drag included).
//
// Looks: 0 to 3 closed by pointer over it (+2) and focus (+1), 4 and 5 open (5 with the pointer over
// it), 6 disabled. Held by its parent; UI thread only.
class LComboSlider : public LDropDownControl
{
public:
    // Made by the control base's creation sequence, the only holder of a CreateKey.
    LComboSlider(CreateKey key, const RCPtr<LControl>& parent, const WString& name);
    ~LComboSlider() override;

    [[nodiscard]] const RCPtr<LPanel>& GetDropDownPanel() const { return mDropDownPanel; }
    // The panel's child "slider" (any control); null without panel or slider.
    [[nodiscard]] RCPtr<LControl> GetSlider() const;

    // --- Drop-down control operations ---

    // The panel is shown with a width and a height above 0.
    [[nodiscard]] bool IsDropDownOpen() const override;
    // Opening keeps the panel inside the root control horizontally; the panel is shown or hidden.
    // E_FAIL without a panel, else 0.
    ZQRESULT ShowDropDown(bool open) override;

    // --- Control base operations ---

    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification) override;
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                        NotificationID id) override;
    // The slider first, then the control base's SetValue, whose result is returned.
    double SetValue(double value) override;
    // The slider follows and the label shows the scaled value.
    void OnValueChanged() override;
    // A fresh press opens or closes the panel, then the look.
    void OnConditionsChanged(const RCPtr<LConditionsParam>& conditions) override;
    // Closed: Down or Enter opens. Open: Escape closes. 0 for those, else 1.
    ZQRESULT HandleKeyPress(const RCPtr<LKeyParam>& param) override;
    // Escape closes the panel; no key goes above the control. 0 for Escape, else 1.
    ZQRESULT ProcessHotKey(const RCPtr<LKeyParam>& param) override;
    // Finds and hides the panel, binds the slider's value changes and has the slider report the end of a
    // drag. E_FAIL when the drop-down control's Initialize fails, else 0 (also without a panel).
    ZQRESULT Initialize() override;

private:
    // The slider's "NID_VALUE_CHANGE": takes a changed value, or repeats an equal one. 1.
    ZQRESULT OnSliderValueChange(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification);
    // The panel's X position that keeps it inside the root control.
    void KeepPanelInsideRoot();

    RCPtr<LNotificationHandler<LComboSlider>> mComboSliderHandler;
    RCPtr<LPanel> mDropDownPanel;
};
} // namespace ZQ
