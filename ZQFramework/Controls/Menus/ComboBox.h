#pragma once

#include "ZQFramework/Controls/Menus/DropDownControl.h"
#include "ZQFramework/Notification/NotificationHandler.h"
#include "ZQFramework/ObjectBase/TaggableObject.h"

#include <cstdint>

namespace ZQ
{
class LListBox;
class LTextBox;

// The look index that the drop-down controls of the library choose: 6 disabled (the control or an
// ancestor); open 4, or 5 with the pointer over it; closed 0 to 3 by pointer over it (+2) and focus (+1,
// having or containing it).
[[nodiscard]] int32_t DropDownLookIndex(const LControl& control, bool open);

// The drop-down selection control ("Framework.ComboBox", "Framework.ComboTextBox"): a closed face that
// shows the selected item's text as its label, and the child list box "listBox", which holds the items
// and drops open below or above the face. A child "textBox", when the skin gives one, lets the user type
// an item's text; it is looked up by name whenever it is used.
//
// The selection is kept twice: the combo box's own selected index, and the list box's selection, which
// every operation here keeps in step; opening the list moves only the list box's highlight. The list box
// runs in drop-down mode: hovering selects, a release activates the item and hides the list.
//
// Sends "NID_DROPDOWN_OPENING" at every opening and "NID_SELECTION_CHANGE" when the selected index
// changes; re-sends the text box's "NID_TEXTBOX_VALIDATING", "NID_TEXTBOX_VALIDATED" and
// "NID_TEXTBOX_TEXT_CHANGE" with their parameters. Held by its parent; UI thread only.
class LComboBox : public LDropDownControl
{
public:
    // Made by the control base's creation sequence, the only holder of a CreateKey.
    LComboBox(CreateKey key, const RCPtr<LControl>& parent, const WString& name);
    ~LComboBox() override;

    // --- Operations appended after the drop-down control's, in slot order ---

    // E_FAIL without a list box; else the list box's result. A selection past the new end is cleared,
    // and an open list is placed again for the new count.
    virtual int32_t SetItemCount(int32_t count);
    // Selects index in the combo box and the list box, shows its text as the label and in the text box,
    // and sends "NID_SELECTION_CHANGE" when the index changed. A negative index clears the selection
    // (label untouched, nothing sent); an index past the end gives -1 without a notification. The new
    // selected index.
    virtual int32_t SetSelectedIndex(int32_t index);
    // Selects the look of the current state. 0.
    virtual ZQRESULT UpdateLook();

    // --- Items ---

    [[nodiscard]] RCPtr<LListBox> GetListBox() const;
    [[nodiscard]] RCPtr<LTextBox> GetTextBox() const;
    // A text item at the end; InsertItem's result.
    int32_t AddItem(const WString& text);
    // The index used, E_INVALIDARG for a null item, E_FAIL without a list box, or the list box's error.
    // The selected item stays selected; an item whose text equals the label exactly becomes the selection
    // when nothing is selected.
    int32_t InsertItem(int32_t index, const RCPtr<LTaggableObject>& item);
    // Null past the end or without a list box.
    [[nodiscard]] RCPtr<LTaggableObject> GetItem(int32_t index) const;
    [[nodiscard]] int32_t GetSelectedIndex() const { return mSelectedIndex; }
    [[nodiscard]] int32_t GetInitialSelectedIndex() const { return mInitialSelectedIndex; }

    // --- Drop-down control operations ---

    // The list box is shown with a width and a height above 0.
    [[nodiscard]] bool IsDropDownOpen() const override;
    // Opening sends "NID_DROPDOWN_OPENING", places the list below the face or, when there is more room
    // above, on top of it (5 pixels kept clear at the window's edges), highlights the item whose text is
    // the label, shows the list and gives it the focus (and the capture of a press that opened it).
    // E_FAIL without a list box, else 0.
    ZQRESULT ShowDropDown(bool open) override;

    // --- Control base operations ---

    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification) override;
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                        NotificationID id) override;
    // The new label selects the last item of that text (case ignored), or nothing. 1 when the label was
    // already text, else 0.
    ZQRESULT SetLabel(const WString& text) override;
    // Keeps the press point for the list's capture, lets a fresh press open the list, then the look.
    void OnConditionsChanged(const RCPtr<LConditionsParam>& conditions) override;
    // Closed: Down or Enter opens. Open: Escape closes. 0 for those, else 1.
    ZQRESULT HandleKeyPress(const RCPtr<LKeyParam>& param) override;
    // Escape closes the list; no key goes above the combo box. 0 for Escape, else 1.
    ZQRESULT ProcessHotKey(const RCPtr<LKeyParam>& param) override;
    // Binds the list box and text box, hides the list, loads the "ITEM." entries of the string table and
    // selects the initial item silently. E_FAIL without a list box, else 0.
    ZQRESULT Initialize() override;
    // Reads "INITIAL_SELECTED_INDEX" (0 when absent). The base's result.
    ZQRESULT ProcessCreateParams() override;
    // Hides the list and gives it the face's width and one row's height where the skin left them open.
    // E_FAIL without a list box, else 0.
    ZQRESULT OnCreated() override;
    // The whole label when it shows truncated, else the skin's tool tip.
    [[nodiscard]] WString GetToolTipText() const override;

protected:
    // The look index of UpdateLook's table.
    [[nodiscard]] int32_t StateLookIndex() const;

private:
    ZQRESULT OnListVisibilityChanged(const RCPtr<LNotificationDistributor>& source,
                                     const RCPtr<LNotification>& notification);
    ZQRESULT OnListItemActivated(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification);
    ZQRESULT OnTextBoxValidating(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification);
    ZQRESULT OnTextBoxValidated(const RCPtr<LNotificationDistributor>& source,
                                const RCPtr<LNotification>& notification);
    ZQRESULT OnTextBoxTextChange(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification);
    ZQRESULT OnTextBoxFocusChanged(const RCPtr<LNotificationDistributor>& source,
                                   const RCPtr<LNotification>& notification);
    void Resend(const char16_t* name, const RCPtr<LNotification>& notification);
    // The list box's minimum width and height where the skin gives 0.
    ZQRESULT ApplyDropDownSizeDefaults();
    // The placing steps of an opening (list box and parent present).
    void PlaceDropDown(LListBox& list);
    // Selects and shows the lowest item whose text is the label, else item 0.
    void HighlightLabelItem(LListBox& list);

    RCPtr<LNotificationHandler<LComboBox>> mComboHandler;
    RCPtr<LListBox> mListBox;
    int32_t mSelectedIndex = -1;
    int32_t mInitialSelectedIndex = 0;
    // The last fresh left press, in the list box's coordinates: where the list's capture starts.
    PointT<double> mPressPoint{};
};
} // namespace ZQ
