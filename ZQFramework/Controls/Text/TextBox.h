#pragma once

#include "ZQFramework/Controls/Containers/ScrollView.h"
#include "ZQFramework/Controls/Text/TextEditModel.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/Utilities/Graphics/Rect.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace ZQ
{
// What a validation of a text box hands its listeners ("NID_TEXTBOX_VALIDATING", then
// "NID_TEXTBOX_VALIDATED" with the same object). A listener rejects the text by clearing mValid, or
// corrects it by storing another mText, which the text box then takes over; mInitialText keeps the
// text that the validation started from.
class LTextValidationParams : public LRefCountedObject
{
public:
    // Both texts are text, and the text is valid.
    [[nodiscard]] static RCPtr<LTextValidationParams> Create(const WString& text);
    ~LTextValidationParams() override;

    WString mText;
    WString mInitialText;
    uint8_t mValid = 1;

private:
    explicit LTextValidationParams(const WString& text);
};

// The library's one-line text entry field ("Framework.TextBox"), a scroll view whose edited text is the
// control's own label: the looks lay it out and draw it, scrolled with the content. The text box adds a
// blinking caret, a selection, editing by keyboard and mouse, cut, copy, paste and delete through the
// application's clipboard service (it is an edit target), a context menu of those four commands, a
// caption shown while the field is empty and unfocused, a filter on the typed characters and a
// validation step through which an owner checks or corrects the text. Every change of the text ends in
// SetText and is announced with "NID_TEXTBOX_TEXT_CHANGE"; all three notifications are sent at once
// through the text box's own distributor.
//
// The text, the caret, the selection and the filter live in a TextEditModel, which says how editing
// works; the text box runs each key and mouse step on it and shows what the step changed, and keeps the
// drawing, the scrolling, the focus, the clipboard and the notifications. Positions are the model's,
// measured along one line with the application's measurement renderer in the control's font.
//
// Looks, by index: 0 normal (it also gives the text area and lays the text out), 1 hot, 2 around the
// caption, 3 focused, 4 focused and hot, 6 disabled, 9 the caption, 10 and 11 the selection highlight
// (not hot, hot).
//
// Owned by its parent like any control; the numeric up-down and the combo box hold one as the child
// "textBox" and set its filter directly. UI thread only; the caret blinks at the window's idle passes
// while the field has the focus.
class LTextBox : public LScrollView
{
public:
    // Made by the control base's creation sequence, the only holder of a CreateKey.
    LTextBox(CreateKey key, const RCPtr<LControl>& parent, const WString& name);
    ~LTextBox() override;

    // --- Operation appended after the scroll view's ---

    // Every change of the text: the new label, the client extent of the laid-out text, no selection, the
    // caret at 0 with resetCaret (else kept, but never past the new end), the caption back on look 9,
    // then "NID_TEXTBOX_TEXT_CHANGE". 0 when the text changed, 1 when it was already equal.
    virtual ZQRESULT SetText(const WString& text, bool resetCaret);

    // --- Own operations ---

    // "NID_TEXTBOX_VALIDATING" with a new record of the current text; a still valid record whose text
    // differs is taken over (the caret keeps its index, within the text); then, when still valid,
    // "NID_TEXTBOX_VALIDATED" with the same record. Returns the record.
    RCPtr<LTextValidationParams> Validate();
    // E_INVALIDARG for a position outside 0 to the length. Unmoved without force: only the anchor
    // follows the caret when there is no selection, 1. Otherwise the caret goes there, shows for 0.5 s
    // and the control is redrawn: 0 when it moved, 1 when forced in place.
    ZQRESULT SetCaretPosition(int32_t position, bool force);
    // (0, -1) selects everything; first -1 clears the selection; otherwise both indexes within the text
    // select the characters between them (in either order) with the anchor at the start. Other indexes
    // are ignored.
    void SelectRange(int32_t first, int32_t last);
    // length characters from start (none when length is 0 or less: the selection collapses at start),
    // then the anchor.
    void SetSelection(int32_t start, int32_t length, int32_t anchor);
    // The characters between the anchor and position become the selection (the anchor stays), and the
    // caret goes to position.
    void ExtendSelectionTo(int32_t position);
    // No selection, anchor 0.
    void ClearSelection();
    // The caret position nearest to point (control coordinates): the point is kept inside the text area
    // and the content's scroll offset added; a point between two characters gives the boundary between
    // them.
    [[nodiscard]] int32_t GetCharIndexAtPoint(const PointT<int32_t>& point);
    // Chooses the looks for the state: disabled, the caption, the selection highlight or the plain state.
    void UpdateLooks();

    // The characters a user may type (filter allows) or may not type; an empty filter lets every
    // printable character through. Set by the owning control.
    void SetCharacterFilter(const WString& filter) { mEdit.SetCharacterFilter(filter); }
    void SetFilterAllows(bool allows) { mEdit.SetFilterAllows(allows); }
    [[nodiscard]] const WString& GetCharacterFilter() const { return mEdit.GetCharacterFilter(); }
    [[nodiscard]] bool GetFilterAllows() const { return mEdit.GetFilterAllows(); }

    [[nodiscard]] const WString& GetCaption() const { return mCaption; }
    [[nodiscard]] int32_t GetCaretPosition() const { return mEdit.GetCaret(); }
    [[nodiscard]] int32_t GetSelectionStart() const { return mEdit.GetSelectionStart(); }
    [[nodiscard]] int32_t GetSelectionLength() const { return mEdit.GetSelectionLength(); }
    [[nodiscard]] int32_t GetSelectionAnchor() const { return mEdit.GetSelectionAnchor(); }
    [[nodiscard]] bool HasSelection() const { return mEdit.HasSelection(); }
    // {x, y, 1, font height} in content coordinates (before scrolling).
    [[nodiscard]] const RectT<float>& GetCaretRect() const { return mCaretRect; }
    [[nodiscard]] bool IsCaretVisible() const { return mCaretVisible; }
    // The text area of look 0 for the control's size; empty when look 0 has no text properties.
    [[nodiscard]] RectT<float> GetTextArea() const;
    // The enabled state of the context menu's edit commands: true when the focused control's edit target
    // can perform the command's edit code now. False, and enabled untouched, for any other command.
    bool GetEditCommandState(const WString& command, bool& enabled) const;

    // --- Control base operations ---

    ZQRESULT SetLabel(const WString& text) override;
    // The scroll view's, except while a call runs already; the selection follows a drag, and automatic
    // scrolling stops at the ends of the text.
    ZQRESULT SetScrollOffset(const PointT<double>& offset) override;
    [[nodiscard]] bool IsEditTarget() const override { return true; }
    // Delete, cut and copy need a selection, paste text on the clipboard.
    [[nodiscard]] bool CanPerformEdit(int32_t command) override;
    // E_FAIL when the command cannot be performed now; else the edit's result.
    ZQRESULT PerformEdit(int32_t command) override;
    // A text box that has the focus validates its text first (a click into it).
    ZQRESULT SetFocus(bool forward) override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& conditions) override;
    // Builds the context menu of the four edit commands from the framework string table.
    void ProcessRootWindowAquired() override;
    // For the item of an edit command: its enabled state (GetEditCommandState), 0. Any other item: 1.
    ZQRESULT UpdateMenuItemState(const RCPtr<LMenuDescriptor>& menu, int32_t itemIndex, int32_t command,
                                 MenuItemState& state) override;
    // The "LABEL" text is the caption, never the text.
    ZQRESULT ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor) override;
    void OnLeftButtonDown(const RCPtr<LMouseButtonParam>& param) override;
    void OnMouseMoved(const RCPtr<LPointWithModifiersParam>& param) override;
    // A double click (or a click with Ctrl) selects the word at the caret.
    void OnLeftClicked(const RCPtr<LMouseButtonParam>& param) override;
    // 0 when the key was consumed, 1 when it goes on to the key bindings and hot keys.
    ZQRESULT HandleKeyPress(const RCPtr<LKeyParam>& param) override;
    // The caret shows for 0.5 s and hides for 0.3 s.
    void OnIdle() override;
    // The caret, while the field has the focus and the caret shows.
    void DrawOverlay(const RCPtr<LRenderer>& renderer) override;
    ZQRESULT Initialize() override;
    // The whole text when it does not fit, else the skin's tool-tip text.
    [[nodiscard]] WString GetToolTipText() const override;
    // Validates the text: false, keeping the focus, when a listener rejected it.
    [[nodiscard]] bool CanReleaseFocus() override;

private:
    // Editing. Each edit is worked out on a copy of the model and put into effect by ApplyEdit.
    void TypeCharacter(char16_t character);
    void DeleteSelection();
    ZQRESULT ReplaceSelection(const WString& text);
    ZQRESULT InsertAtCaret(const WString& text);
    // The edited text through SetText(text, false), so that it is announced; then the caret, forced
    // (shown again even where it is) when the text changed or with forceCaret; then the selection and
    // anchor the edit left. Returns the SetText result.
    ZQRESULT ApplyEdit(const TextEditModel& edited, bool forceCaret);
    // Shows what a step of the model changed: the looks follow a changed selection, and a moved caret
    // shows again (ShowCaret).
    void Show(const TextEditModel::Change& change);
    // After the caret moved: its rectangle, shown for 0.5 s, the control redrawn.
    void ShowCaret();
    // The text of the clipboard service, when it holds text.
    [[nodiscard]] static bool GetClipboardText(WString& text);

    // Keys. Each returns the HandleKeyPress result.
    ZQRESULT HandleVirtualKey(uint32_t code);
    ZQRESULT HandleCharacter(char16_t character);
    // Runs a deletion of the model (DeleteBackward and the like) on a copy and applies it when there
    // was something to delete.
    void Delete(bool (TextEditModel::*deletion)());

    // Geometry. Texts measure with the application's measurement renderer in the control's font; the
    // empty text, and any text without a renderer or a font, measures as nothing.
    [[nodiscard]] RectT<float> Measure(const WString& text) const;
    // The text area's top-left plus the first laid-out line's top-left.
    [[nodiscard]] PointT<float> GetTextOrigin() const;
    [[nodiscard]] RectT<float> GetCharRect(int32_t index) const;
    // The rectangle GetCharRect gives, from the text's origin and the prepared cache.
    [[nodiscard]] RectT<float> GetMeasuredCharRect(const PointT<float>& origin, int32_t index) const;
    // The width of the text's first count units, read from the cache measured for the current text, font
    // and measurement renderer; and the box of the unit at index, from the prepared cache.
    [[nodiscard]] float GetPrefixWidth(int32_t count) const;
    [[nodiscard]] RectT<float> GetUnitBox(int32_t index) const;
    // When the text, the font or the renderer is not the one the cache was measured with: measures the
    // widths of all the text's prefixes in one call and forgets the unit boxes of another font or renderer.
    void PrepareMeasureCache() const;
    [[nodiscard]] RectT<float> GetRangeRect(int32_t first, int32_t last) const;
    void UpdateCaretRect();
    // point inside the text area, in whole pixels.
    [[nodiscard]] PointT<int32_t> ClampToTextArea(const PointT<int32_t>& point) const;
    // The selection's look region (selection look lookIndex, state look stateLook).
    void ShowSelectionLooks(int32_t stateLook, bool hot);
    // The caption's look region (look 9 over the caption, look 2 elsewhere); nothing without look 9's
    // layout.
    void ShowCaptionLooks();
    // The look at index, null when the list has none there (GetLook would give the default look).
    [[nodiscard]] LLook* LookAt(int32_t index) const;
    [[nodiscard]] LFontText* GetLookTextLayout(int32_t index) const;
    // Sends name with param through the text box's own distributor, at once.
    void Announce(const char16_t* name, const RCPtr<LRefCountedObject>& param);
    [[nodiscard]] static double Now();

    // The character filter, its allows flag, the caret, the selection and its anchor, in this order, and
    // a copy of the text: SetText gives the model the text before the label takes it.
    TextEditModel mEdit;
    WString mCaption;
    RectT<float> mCaretRect;
    bool mInScrollOffset = false;
    bool mCaretVisible = true;
    double mNextBlinkTime = 0;

    // What the text measured as, for the hit test and the caret: the widths of the text's first i units,
    // all measured in one pass when the text, font or renderer changes, and the box of each unit measured
    // alone, measured once per distinct unit as they are asked for. The text, font and renderer are held,
    // so that a new one never reuses the address of the one measured.
    mutable std::vector<float> mPrefixWidths;
    mutable std::unordered_map<char16_t, RectT<float>> mUnitBoxes;
    mutable WString mMeasuredText;
    mutable RCPtr<LFont> mMeasuredFont;
    mutable RCPtr<LMeasurementRenderer> mMeasuredRenderer;
};
} // namespace ZQ
