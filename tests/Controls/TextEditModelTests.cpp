#include "ZQFramework/Controls/Text/TextEditModel.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <string_view>

using namespace ZQ;

namespace
{
using Model = TextEditModel;

// A model written as its text with the caret as '|' and the selection between '[' and ']' (ASCII only),
// e.g. "ab[cd|]e"; the anchor is given apart.
Model Parse(std::string_view marked, int32_t anchor)
{
    std::u16string text;
    int32_t caret = 0;
    int32_t start = 0;
    int32_t end = 0;
    for (const char c : marked)
    {
        const auto here = static_cast<int32_t>(text.size());
        if (c == '|')
            caret = here;
        else if (c == '[')
            start = here;
        else if (c == ']')
            end = here;
        else
            text += static_cast<char16_t>(c);
    }
    Model model;
    model.SetText(WString(text.c_str()));
    (void)model.PlaceCaret(caret);
    (void)model.SetSelection(start, end - start, anchor);
    return model;
}

// The same notation back, with the anchor: "ab[cd|]e @2".
std::string Describe(const Model& model)
{
    const WString& text = model.GetText();
    const int32_t start = model.GetSelectionStart();
    const int32_t end = start + model.GetSelectionLength();
    std::string out;
    for (int32_t i = 0; i <= text.GetLength(); ++i)
    {
        if (model.HasSelection() && i == start)
            out += '[';
        if (i == model.GetCaret())
            out += '|';
        if (model.HasSelection() && i == end)
            out += ']';
        if (i < text.GetLength())
            out += static_cast<char>(text.GetAt(i));
    }
    return out + " @" + std::to_string(model.GetSelectionAnchor());
}

TEST(TextEditModelTest, ParseAndDescribeRoundTrip)
{
    EXPECT_EQ(Describe(Parse("ab[cd|]e", 2)), "ab[cd|]e @2");
    EXPECT_EQ(Describe(Parse("|", 0)), "| @0");
}

// One caret or selection step: the model before (with its anchor), the step, the model after, and what
// the step reports as changed (which the text box shows: the looks for the selection, the caret).
struct StepCase
{
    const char* name;
    const char* before;
    int32_t anchor;
    std::function<Model::Change(Model&)> step;
    const char* after;
    bool selectionChanged;
    bool caretMoved;
};

TEST(TextEditModelTest, CaretAndSelectionStepsLeaveTheStateAndReportTheChangeAsTheKeysNeedIt)
{
    const StepCase cases[] = {
        {"plain move clears the selection and takes the anchor along", "a[bc|]d", 1,
         [](Model& m) { return m.MoveCaret(1, false); }, "a|bcd @1", true, true},
        {"a move past the end only clears, and the anchor stays at 0", "abc|", 3,
         [](Model& m) { return m.MoveCaret(4, false); }, "abc| @0", false, false},
        {"a move in place reports no caret change", "ab|c", 0, [](Model& m) { return m.MoveCaret(2, false); },
         "ab|c @2", false, false},
        {"an extension selects from the anchor", "a|bcd", 1, [](Model& m) { return m.MoveCaret(3, true); },
         "a[bc|]d @1", true, true},
        {"an extension back over the anchor", "a[bc|]d", 1, [](Model& m) { return m.MoveCaret(0, true); },
         "[|a]bcd @1", true, true},
        {"an extension onto the anchor collapses the selection", "a[bc|]d", 1,
         [](Model& m) { return m.MoveCaret(1, true); }, "a|bcd @1", true, true},
        {"placing the caret keeps the selection and the anchor", "a[bc|]d", 1,
         [](Model& m) { return m.PlaceCaret(0); }, "|a[bc]d @1", false, true},
        {"placing outside the text does nothing", "ab|", 2, [](Model& m) { return m.PlaceCaret(3); },
         "ab| @2", false, false},
        {"shift left without a selection selects the unit before", "ab|c", 2,
         [](Model& m) { return m.ExtendLeftByOne(); }, "a[|b]c @2", true, true},
        {"shift left with the caret right of the anchor shrinks", "a[bc|]d", 1,
         [](Model& m) { return m.ExtendLeftByOne(); }, "a[b|]cd @1", true, true},
        {"shift left after select-all shrinks the end, whatever the caret", "[ab|cde]", 0,
         [](Model& m) { return m.ExtendLeftByOne(); }, "[a|bcd]e @0", true, true},
        {"shift left at the start does nothing", "[|ab]", 2, [](Model& m) { return m.ExtendLeftByOne(); },
         "[|ab] @2", false, false},
        {"shift right with the caret left of the anchor shrinks", "a[|bc]d", 3,
         [](Model& m) { return m.ExtendRightByOne(); }, "ab[|c]d @3", true, true},
        {"shift right at the end does nothing", "ab|", 2, [](Model& m) { return m.ExtendRightByOne(); },
         "ab| @2", false, false},
        {"shift home selects from the anchor to the start", "ab|cd", 2,
         [](Model& m) { return m.ExtendToStart(); }, "[|ab]cd @2", true, true},
        {"shift home after a cleared selection selects nothing", "abc|", 0,
         [](Model& m) { return m.ExtendToStart(); }, "|abc @0", false, true},
        {"shift end selects from the anchor to the end", "a[b|]cd", 1,
         [](Model& m) { return m.ExtendToEnd(); }, "a[bcd|] @1", true, true},
        {"select-all keeps the caret", "ab|c", 2, [](Model& m) { return m.SelectRange(0, -1); }, "[ab|c] @0",
         true, false},
        {"a range in either order, anchored at its start", "|abcd", 0,
         [](Model& m) { return m.SelectRange(2, 1); }, "|a[bc]d @1", true, false},
        {"a range reaching past the text is ignored", "|abcd", 0,
         [](Model& m) { return m.SelectRange(1, 4); }, "|abcd @0", false, false},
        {"first -1 clears", "a[bc|]d", 1, [](Model& m) { return m.SelectRange(-1, 0); }, "abc|d @0", true,
         false},
        {"clearing nothing reports nothing", "ab|", 2, [](Model& m) { return m.ClearSelection(); }, "ab| @0",
         false, false},
        {"a set selection of no length collapses at its start", "a[bc|]d", 1,
         [](Model& m) { return m.SetSelection(2, 0, 3); }, "abc|d @3", true, false},
        {"a word is selected without the blanks after it", "one  t|wo  x", 0,
         [](Model& m) { return m.SelectWord(); }, "one  [two|]  x @5", true, true},
        {"the first word from its middle", "o|ne  two", 0, [](Model& m) { return m.SelectWord(); },
         "[one|]  two @0", true, true},
    };
    for (const StepCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        Model model = Parse(c.before, c.anchor);
        const Model::Change change = c.step(model);
        EXPECT_EQ(Describe(model), c.after);
        EXPECT_EQ(change.Selection, c.selectionChanged);
        EXPECT_EQ(change.Caret, c.caretMoved);
    }
}

// The caret's index in the notation.
int32_t CaretOf(std::string_view marked)
{
    return static_cast<int32_t>(marked.find('|'));
}

TEST(TextEditModelTest, WordStepsSkipBlanksThenTheWordThenTheBlanksAfterIt)
{
    struct Case
    {
        const char* at;
        const char* next;
        const char* previous;
    };
    const Case cases[] = {
        {"|one  two ", "one  |two ", "|one  two "},
        {"o|ne  two ", "one  |two ", "|one  two "},
        {"one | two ", "one  two |", "|one  two "},
        {"one  |two ", "one  two |", "|one  two "},
        {"one  tw|o ", "one  two |", "one  |two "},
        {"one  two |", "one  two |", "one  |two "},
        // Blanks at the start: the step back stops after the first one.
        {"  |one", "  one|", " | one"},
        {" |", " |", " |"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.at);
        const Model model = Parse(c.at, 0);
        EXPECT_EQ(model.NextWordStart(), CaretOf(c.next));
        EXPECT_EQ(model.PreviousWordStart(), CaretOf(c.previous));
    }
}

// One edit: the model before, the edit (false when there was nothing to do) and the model after.
struct EditCase
{
    const char* name;
    const char* before;
    int32_t anchor;
    std::function<bool(Model&)> edit;
    bool done;
    const char* after;
};

TEST(TextEditModelTest, EditsChangeTheTextAndLeaveNoSelectionWithTheCaretWhereTheEditEnds)
{
    const EditCase cases[] = {
        {"typing inserts at the caret", "ab|c", 2,
         [](Model& m)
         {
             m.TypeCharacter(u'x');
             return true;
         },
         true, "abx|c @3"},
        {"typing replaces the selection", "a[bc|]d", 1,
         [](Model& m)
         {
             m.TypeCharacter(u'x');
             return true;
         },
         true, "ax|d @2"},
        {"typing a unit over itself leaves the caret at the selection's start", "a[b|]c", 1,
         [](Model& m)
         {
             m.TypeCharacter(u'b');
             return true;
         },
         true, "a|bc @0"},
        {"backspace deletes the unit before", "ab|c", 2, [](Model& m) { return m.DeleteBackward(); }, true,
         "a|c @1"},
        {"backspace at the start has nothing to do", "|ab", 0, [](Model& m) { return m.DeleteBackward(); },
         false, "|ab @0"},
        {"backspace deletes a selection", "[ab|]c", 0, [](Model& m) { return m.DeleteBackward(); }, true,
         "|c @0"},
        {"delete deletes the unit at the caret", "a|bc", 1, [](Model& m) { return m.DeleteForward(); }, true,
         "a|c @1"},
        {"delete at the end has nothing to do", "ab|", 2, [](Model& m) { return m.DeleteForward(); }, false,
         "ab| @2"},
        {"ctrl+delete deletes to the end", "a|bc", 1, [](Model& m) { return m.DeleteToEnd(); }, true,
         "a| @1"},
        {"ctrl+delete deletes a selection only", "a[b|]cd", 1, [](Model& m) { return m.DeleteToEnd(); }, true,
         "a|cd @1"},
        {"deleting a range past the end does nothing", "a|bc", 1,
         [](Model& m) { return m.DeleteRange(2, 2); }, false, "a|bc @1"},
        {"a replaced selection puts the caret after the new text and the anchor at 0", "a[b|]cd", 1,
         [](Model& m) { return m.ReplaceSelection(u"xyz"); }, true, "axyz|cd @0"},
        {"replacing needs a selection", "ab|", 2, [](Model& m) { return m.ReplaceSelection(u"x"); }, false,
         "ab| @2"},
        {"inserting puts the caret after the text", "a|b", 1, [](Model& m) { return m.InsertText(u"xy"); },
         true, "axy|b @3"},
        {"inserting nothing has nothing to do", "a|b", 1, [](Model& m) { return m.InsertText(u""); }, false,
         "a|b @1"},
    };
    for (const EditCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        Model model = Parse(c.before, c.anchor);
        EXPECT_EQ(c.edit(model), c.done);
        EXPECT_EQ(Describe(model), c.after);
    }
}

TEST(TextEditModelTest, ANewTextLeavesTheCaretForTheOwnerAndNothingGoesInPastTheEnd)
{
    Model model = Parse("abcd|", 4);
    model.SetText(u"ab");
    EXPECT_EQ(model.GetCaret(), 4);
    EXPECT_FALSE(model.InsertText(u"x"));
    model.TypeCharacter(u'x');
    EXPECT_EQ(model.GetText(), u"ab");
    EXPECT_EQ(model.PreviousWordStart(), 0);
    EXPECT_EQ(model.NextWordStart(), 4);
}

TEST(TextEditModelTest, TheFilterListsTheOnlyUnitsOrTheForbiddenOnes)
{
    struct Case
    {
        const char16_t* filter;
        bool allows;
        char16_t unit;
        bool passes;
    };
    const Case cases[] = {
        {u"", true, u'a', true},
        {u"", false, u'a', true},
        {u"0123456789", true, u'7', true},
        {u"0123456789", true, u'a', false},
        {u"0123456789", false, u'7', false},
        {u"0123456789", false, u'a', true},
    };
    for (const Case& c : cases)
    {
        Model model;
        model.SetCharacterFilter(c.filter);
        model.SetFilterAllows(c.allows);
        EXPECT_EQ(model.PassesFilter(c.unit), c.passes)
            << static_cast<char>(c.unit) << " allows " << c.allows;
    }
}
} // namespace
