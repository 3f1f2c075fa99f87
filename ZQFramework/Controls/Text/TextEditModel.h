#pragma once

#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>

namespace ZQ
{
// One line of text being edited: the text, the caret, the selection with its anchor, the word steps and
// the filter on typed characters. A plain value with no control behind it: it draws nothing, announces
// nothing and knows no clipboard. The text box holds one, runs each key and mouse step on it and shows
// what the step changed; an edit of the text is worked out on a copy, which the text box then puts into
// effect through its SetText (see LTextBox).
//
// Positions are indexes of UTF-16 units from 0 to the text's length; the caret is a position, the
// selection the units [start, start + length). Length 0 means nothing is selected. The anchor is the fixed
// end of a selection being extended; while nothing is selected, every placement of the caret moves the
// anchor with it. Clearing the selection puts start, length and anchor at 0 (the anchor then waits for
// the caret's next placement). Requests with positions outside the text are ignored.
class TextEditModel
{
public:
    // What one step changed: a changed selection (its start or length) must be shown again, and so must
    // a caret that moved.
    struct Change
    {
        bool Selection = false;
        bool Caret = false;

        Change& operator|=(const Change& other);
    };

    // --- The text ---

    [[nodiscard]] const WString& GetText() const { return mText; }
    [[nodiscard]] int32_t GetLength() const { return mText.GetLength(); }
    // Replaces the text and nothing else: the caret and the selection stay where they are, even past a
    // shortened text, until the owner settles them (the text box clears the selection and puts the caret
    // back within the text).
    void SetText(const WString& text) { mText = text; }
    // From 0 to the length.
    [[nodiscard]] bool IsPosition(int32_t position) const;

    // --- The caret ---

    [[nodiscard]] int32_t GetCaret() const { return mCaret; }
    // The caret goes to position, the selection stays; the anchor follows while nothing is selected,
    // also when the caret is already there. Nothing for a position outside the text.
    [[nodiscard]] Change PlaceCaret(int32_t position);
    // Without extend: the selection is cleared, then the caret placed at to (a position outside the text
    // leaves it where it is, as at either end of the text). With extend: the units between the anchor
    // and to become the selection, the anchor stays, and the caret goes to to.
    [[nodiscard]] Change MoveCaret(int32_t to, bool extend);
    // Shift with the arrow keys, one unit from the caret towards the start or the end (nothing at that
    // end). With a selection, it loses the unit at the caret's side when the caret is on the far side of
    // the anchor, else it gains the unit beyond; without one, the unit passed over is selected and the
    // anchor set where the caret was.
    [[nodiscard]] Change ExtendLeftByOne();
    [[nodiscard]] Change ExtendRightByOne();
    // Shift with Home and End: the selection runs from the anchor to that end of the text, and the caret
    // goes there. Nothing when the caret is there already.
    [[nodiscard]] Change ExtendToStart();
    [[nodiscard]] Change ExtendToEnd();
    // The word at the caret without the blanks after it becomes the selection, the caret at its end.
    [[nodiscard]] Change SelectWord();

    // --- Word steps ---

    // Words are separated by white space. From the caret: over blanks, over the word, over the blanks
    // after it; the caret itself when it is at the end.
    [[nodiscard]] int32_t NextWordStart() const;
    // The start of the word before the caret (or of the word it is in), over any blanks before the caret;
    // 0 from the text's start.
    [[nodiscard]] int32_t PreviousWordStart() const;

    // --- The selection ---

    [[nodiscard]] bool HasSelection() const { return mSelectionLength > 0; }
    [[nodiscard]] int32_t GetSelectionStart() const { return mSelectionStart; }
    [[nodiscard]] int32_t GetSelectionLength() const { return mSelectionLength; }
    [[nodiscard]] int32_t GetSelectionAnchor() const { return mSelectionAnchor; }
    [[nodiscard]] WString GetSelectedText() const { return mText.Mid(mSelectionStart, mSelectionLength); }
    // (0, -1) selects everything and first -1 clears the selection; otherwise both indexes of units
    // select the units between them, both included and in either order, with the anchor at the start.
    // Other indexes are ignored. The caret stays.
    [[nodiscard]] Change SelectRange(int32_t first, int32_t last);
    // length units from start (none when length is 0 or less: the selection collapses at start), then
    // the anchor. The caret stays.
    [[nodiscard]] Change SetSelection(int32_t start, int32_t length, int32_t anchor);
    [[nodiscard]] Change ClearSelection();

    // --- Editing ---
    // Each step works on this model's text, leaves nothing selected and puts the caret where the step
    // says; it reports whether there was anything to do.

    // Typing one unit: a selection gives way to it, the caret first going to the selection's start; the
    // unit goes in at the caret and the caret after it. When the text comes out unchanged (a unit typed
    // over itself), the caret stays at the selection's start.
    void TypeCharacter(char16_t character);
    // Removes [position, position + count) when it lies within the text; the caret goes to position.
    bool DeleteRange(int32_t position, int32_t count);
    bool DeleteSelection();
    // Backspace: the selection, else the unit before the caret.
    bool DeleteBackward();
    // Delete: the selection, else the unit at the caret.
    bool DeleteForward();
    // Ctrl+Delete: the selection, else everything from the caret to the end.
    bool DeleteToEnd();
    // The selection gives way to text, the caret after it: false without a selection. The anchor ends
    // at 0.
    bool ReplaceSelection(const WString& text);
    // text goes in at the caret, the caret after it: false when nothing went in (an empty text, or a
    // caret past the end).
    bool InsertText(const WString& text);

    // --- The filter on typed units ---

    // The units a user may type (filter allows) or may not type. An empty filter lets every unit through.
    [[nodiscard]] const WString& GetCharacterFilter() const { return mCharacterFilter; }
    [[nodiscard]] bool GetFilterAllows() const { return mFilterAllows; }
    void SetCharacterFilter(const WString& filter) { mCharacterFilter = filter; }
    void SetFilterAllows(bool allows) { mFilterAllows = allows; }
    [[nodiscard]] bool PassesFilter(char16_t character) const;

private:
    // The selection set directly, kept within the text; a change when start or length changed.
    [[nodiscard]] Change StoreSelection(int32_t start, int32_t length);
    // The units between the anchor and position; the anchor stays.
    [[nodiscard]] Change SelectFromAnchor(int32_t position);
    // Replaces the text by an edited one; the selection goes, and the caret is placed at caret.
    void TakeEditedText(const WString& text, int32_t caret);

    WString mCharacterFilter;
    bool mFilterAllows = true;
    int32_t mCaret = 0;
    int32_t mSelectionStart = 0;
    int32_t mSelectionLength = 0;
    int32_t mSelectionAnchor = 0;
    WString mText;
};
} // namespace ZQ
