#include "ZQFramework/Controls/Text/TextEditModel.h"

#include "ZQFramework/Controls/Text/TextBoxCharacters.h"
#include "ZQFramework/ObjectBase/Assert.h"

#include <algorithm>
#include <cstdlib>

namespace ZQ
{
using TextBoxCharacters::IsSpace;

TextEditModel::Change& TextEditModel::Change::operator|=(const Change& other)
{
    Selection = Selection || other.Selection;
    Caret = Caret || other.Caret;
    return *this;
}

bool TextEditModel::IsPosition(int32_t position) const
{
    return position >= 0 && position <= GetLength();
}

// --- The caret ---

TextEditModel::Change TextEditModel::PlaceCaret(int32_t position)
{
    if (!IsPosition(position))
    {
        return {};
    }
    const bool moved = position != mCaret;
    mCaret = position;
    if (!HasSelection())
    {
        mSelectionAnchor = position;
    }
    return {.Selection = false, .Caret = moved};
}

TextEditModel::Change TextEditModel::MoveCaret(int32_t to, bool extend)
{
    Change change = extend ? SelectFromAnchor(to) : ClearSelection();
    change |= PlaceCaret(to);
    return change;
}

TextEditModel::Change TextEditModel::ExtendLeftByOne()
{
    const int32_t caret = mCaret;
    if (caret <= 0)
    {
        return {};
    }
    Change change;
    if (!HasSelection())
    {
        change = StoreSelection(caret - 1, 1);
        mSelectionAnchor = caret;
    }
    else if (caret > mSelectionAnchor)
    {
        change = StoreSelection(mSelectionStart, mSelectionLength - 1);
    }
    else
    {
        change = StoreSelection(mSelectionStart - 1, mSelectionLength + 1);
    }
    change |= PlaceCaret(caret - 1);
    return change;
}

TextEditModel::Change TextEditModel::ExtendRightByOne()
{
    const int32_t caret = mCaret;
    if (caret >= GetLength())
    {
        return {};
    }
    Change change;
    if (!HasSelection())
    {
        change = StoreSelection(caret, 1);
        mSelectionAnchor = caret;
    }
    else if (caret < mSelectionAnchor)
    {
        change = StoreSelection(mSelectionStart + 1, mSelectionLength - 1);
    }
    else
    {
        change = StoreSelection(mSelectionStart, mSelectionLength + 1);
    }
    change |= PlaceCaret(caret + 1);
    return change;
}

TextEditModel::Change TextEditModel::ExtendToStart()
{
    if (mCaret <= 0)
    {
        return {};
    }
    const int32_t anchor = mSelectionAnchor;
    Change change = SetSelection(0, anchor, anchor);
    change |= PlaceCaret(0);
    return change;
}

TextEditModel::Change TextEditModel::ExtendToEnd()
{
    const int32_t length = GetLength();
    if (mCaret >= length)
    {
        return {};
    }
    const int32_t anchor = mSelectionAnchor;
    Change change = SetSelection(anchor, length - anchor, anchor);
    change |= PlaceCaret(length);
    return change;
}

TextEditModel::Change TextEditModel::SelectWord()
{
    Change change = MoveCaret(PreviousWordStart(), false);
    int32_t end = NextWordStart();
    while (end > 0 && IsSpace(mText.GetAt(end - 1)))
    {
        --end;
    }
    change |= MoveCaret(end, true);
    return change;
}

// --- Word steps ---

int32_t TextEditModel::NextWordStart() const
{
    const int32_t length = GetLength();
    int32_t i = mCaret;
    if (i >= length)
    {
        return mCaret;
    }
    while (i < length && IsSpace(mText.GetAt(i)))
    {
        ++i;
    }
    while (i < length && !IsSpace(mText.GetAt(i)))
    {
        ++i;
    }
    while (i < length && IsSpace(mText.GetAt(i)))
    {
        ++i;
    }
    return i;
}

int32_t TextEditModel::PreviousWordStart() const
{
    const int32_t caret = std::min(mCaret, GetLength());
    if (caret <= 0)
    {
        return 0;
    }
    int32_t i = caret - 1;
    while (i >= 1 && IsSpace(mText.GetAt(i)))
    {
        --i;
    }
    while (i > 0 && !IsSpace(mText.GetAt(i)))
    {
        --i;
    }
    return IsSpace(mText.GetAt(i)) ? i + 1 : i;
}

// --- The selection ---

TextEditModel::Change TextEditModel::StoreSelection(int32_t start, int32_t length)
{
    // The selection never reaches outside the text, whatever a key sequence asks for.
    const int32_t textLength = GetLength();
    start = std::clamp(start, 0, textLength);
    length = std::clamp(length, 0, textLength - start);
    if (start == mSelectionStart && length == mSelectionLength)
    {
        return {};
    }
    mSelectionStart = start;
    mSelectionLength = length;
    return {.Selection = true, .Caret = false};
}

TextEditModel::Change TextEditModel::SelectRange(int32_t first, int32_t last)
{
    const int32_t length = GetLength();
    if (first == 0 && last == -1)
    {
        const Change change = StoreSelection(0, length);
        mSelectionAnchor = 0;
        return change;
    }
    if (first == -1)
    {
        return ClearSelection();
    }
    if (first < 0 || first >= length || last < 0 || last >= length)
    {
        return {};
    }
    const int32_t start = std::min(first, last);
    const Change change = StoreSelection(start, std::max(first, last) - start + 1);
    mSelectionAnchor = start;
    return change;
}

TextEditModel::Change TextEditModel::SetSelection(int32_t start, int32_t length, int32_t anchor)
{
    const Change change = length > 0 ? SelectRange(start, start + length - 1) : StoreSelection(start, 0);
    mSelectionAnchor = anchor;
    return change;
}

TextEditModel::Change TextEditModel::SelectFromAnchor(int32_t position)
{
    const int32_t anchor = mSelectionAnchor;
    const int32_t start = std::min(anchor, position);
    const int32_t count = std::abs(position - anchor);
    const Change change = count > 0 ? SelectRange(start, start + count - 1) : StoreSelection(start, 0);
    mSelectionAnchor = anchor;
    return change;
}

TextEditModel::Change TextEditModel::ClearSelection()
{
    const bool hadSelection = HasSelection();
    mSelectionStart = 0;
    mSelectionLength = 0;
    mSelectionAnchor = 0;
    return {.Selection = hadSelection, .Caret = false};
}

// --- Editing ---

void TextEditModel::TakeEditedText(const WString& text, int32_t caret)
{
    mText = text;
    ZQ_ASSERT(IsPosition(caret));
    mSelectionStart = 0;
    mSelectionLength = 0;
    mCaret = caret;
    mSelectionAnchor = caret;
}

void TextEditModel::TypeCharacter(char16_t character)
{
    WString edited = mText;
    if (HasSelection())
    {
        edited.Remove(mSelectionStart, mSelectionLength);
        (void)PlaceCaret(mSelectionStart);
        (void)ClearSelection();
    }
    const int32_t caret = mCaret;
    // A caret past the end inserts nothing.
    edited.Insert(caret, WString(character));
    if (edited != mText)
    {
        TakeEditedText(edited, caret + 1);
    }
}

bool TextEditModel::DeleteRange(int32_t position, int32_t count)
{
    const int32_t length = GetLength();
    if (position < 0 || count <= 0 || position >= length || count > length - position)
    {
        return false;
    }
    WString edited = mText;
    edited.Remove(position, count);
    TakeEditedText(edited, position);
    return true;
}

bool TextEditModel::DeleteSelection()
{
    return HasSelection() && DeleteRange(mSelectionStart, mSelectionLength);
}

bool TextEditModel::DeleteBackward()
{
    return HasSelection() ? DeleteSelection() : DeleteRange(mCaret - 1, 1);
}

bool TextEditModel::DeleteForward()
{
    return HasSelection() ? DeleteSelection() : DeleteRange(mCaret, 1);
}

bool TextEditModel::DeleteToEnd()
{
    return HasSelection() ? DeleteSelection() : DeleteRange(mCaret, GetLength() - mCaret);
}

bool TextEditModel::ReplaceSelection(const WString& text)
{
    if (!HasSelection())
    {
        return false;
    }
    const int32_t start = mSelectionStart;
    WString edited = mText;
    edited.Remove(start, mSelectionLength);
    edited.Insert(start, text);
    TakeEditedText(edited, start + text.GetLength());
    mSelectionAnchor = 0;
    return true;
}

bool TextEditModel::InsertText(const WString& text)
{
    WString edited = mText;
    if (edited.Insert(mCaret, text) < 0 || edited == mText)
    {
        return false;
    }
    TakeEditedText(edited, mCaret + text.GetLength());
    return true;
}

// --- The filter on typed units ---

bool TextEditModel::PassesFilter(char16_t character) const
{
    if (mCharacterFilter.IsEmpty())
    {
        return true;
    }
    const bool listed = mCharacterFilter.Find(WString(character)) >= 0;
    return listed == mFilterAllows;
}
} // namespace ZQ
