#include "Support/RecordingRenderer.h"
#include "TextBoxBench.h"

#include "ZQFramework/ControlBase/Control/Look.h"
#include "ZQFramework/Controls/Menus/MenuDescriptor.h"
#include "ZQFramework/Controls/Text/TextBox.h"
#include "ZQFramework/Notification/KeyCode.h"
#include "ZQFramework/Notification/MouseButtonParam.h"
#include "ZQFramework/Renderer/Font.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ZQ
{
namespace
{
using ZQTest::TextBench;

// "field" (200 x 20 at 10, 10) and "captioned" (with a caption and look 9) in a panel, beside "other", a
// plain control that can take the focus.
const std::string kFields = R"(
<SubControl Class="Test.Panel" Name="main">
  <Skin Name="main" LookList="one"/>
  <SubControl Class="Framework.TextBox" Name="field" XPositionAbs="10" YPositionAbs="10" XSizeAbs="200" YSizeAbs="20">
    <Skin Name="field" LookList="textLooks"/>
  </SubControl>
  <SubControl Class="Framework.TextBox" Name="captioned" XPositionAbs="10" YPositionAbs="40" XSizeAbs="200" YSizeAbs="20">
    <Skin Name="captioned" LookList="captionLooks"/>
    <CreateParamList><CreateParam ID="LABEL">Search</CreateParam></CreateParamList>
  </SubControl>
  <SubControl Class="Test.Panel" Name="other" XPositionAbs="10" YPositionAbs="100" XSizeAbs="50" YSizeAbs="50">
    <Skin Name="other" LookList="one"/>
  </SubControl>
</SubControl>)";

constexpr uint8_t kVkBack = 0x08;
constexpr uint8_t kVkTab = 0x09;
constexpr uint8_t kVkReturn = 0x0D;
constexpr uint8_t kVkSpace = 0x20;
constexpr uint8_t kVkEnd = 0x23;
constexpr uint8_t kVkHome = 0x24;
constexpr uint8_t kVkLeft = 0x25;
constexpr uint8_t kVkUp = 0x26;
constexpr uint8_t kVkRight = 0x27;
constexpr uint8_t kVkDown = 0x28;
constexpr uint8_t kVkDelete = 0x2E;
constexpr uint8_t kVkA = 0x41;
constexpr uint8_t kVkB = 0x42;
constexpr uint8_t kVkF5 = 0x74;
constexpr uint32_t kCtrl = KeyCode::kCtrl;
constexpr uint32_t kShift = KeyCode::kShift;
constexpr uint32_t kAlt = KeyCode::kAlt;

struct TextBoxTest : ::testing::Test
{
    TextBoxTest()
    {
        (void)text.Bench.Show();
        field = text.Bench.Find<LTextBox>(u"field");
    }

    // The field holds value with the caret at caret and, when length > 0, the selection [start, start +
    // length) anchored at anchor.
    void Prepare(const char16_t* value, int32_t caret, int32_t start = 0, int32_t length = 0,
                 int32_t anchor = 0)
    {
        (void)field->SetText(value, true);
        field->ClearSelection();
        (void)field->SetCaretPosition(caret, true);
        if (length > 0)
            field->SetSelection(start, length, anchor);
    }
    [[nodiscard]] std::u16string Text() const { return field->GetLabel().GetBuffer(); }
    void Click(const PointT<int32_t>& point)
    {
        text.Bench.MoveTo(point);
        text.Bench.Press();
        text.Bench.Release();
    }

    TextBench text{kFields};
    RCPtr<LTextBox> field;
};

TEST_F(TextBoxTest, EachKeyRowMovesTheCaretSelectsOrEditsAsItsExactCodeSays)
{
    struct Case
    {
        const char* name;
        int32_t caret, start, length, anchor;
        RCPtr<LKeyParam> key;
        ZQRESULT result;
        const char16_t* after;
        int32_t caretAfter, startAfter, lengthAfter;
    };
    const Case cases[] = {
        {"left", 3, 0, 0, 0, TextBench::Key(kVkLeft), 0, u"one two", 2, 0, 0},
        {"left at 0", 0, 0, 0, 0, TextBench::Key(kVkLeft), 0, u"one two", 0, 0, 0},
        {"right clears the selection", 3, 0, 3, 0, TextBench::Key(kVkRight), 0, u"one two", 4, 0, 0},
        {"right at the end", 7, 0, 0, 0, TextBench::Key(kVkRight), 0, u"one two", 7, 0, 0},
        {"up", 3, 0, 0, 0, TextBench::Key(kVkUp), 1, u"one two", 3, 0, 0},
        {"ctrl shift down", 3, 0, 0, 0, TextBench::Key(kVkDown, kCtrl | kShift), 1, u"one two", 3, 0, 0},
        {"alt left matches no row", 3, 0, 0, 0, TextBench::Key(kVkLeft, kAlt), 1, u"one two", 3, 0, 0},
        {"shift left selects", 3, 0, 0, 0, TextBench::Key(kVkLeft, kShift), 0, u"one two", 2, 2, 1},
        {"shift left grows leftwards", 2, 2, 1, 3, TextBench::Key(kVkLeft, kShift), 0, u"one two", 1, 1, 2},
        {"shift left shrinks", 4, 2, 2, 2, TextBench::Key(kVkLeft, kShift), 0, u"one two", 3, 2, 1},
        {"shift right selects", 3, 0, 0, 0, TextBench::Key(kVkRight, kShift), 0, u"one two", 4, 3, 1},
        {"shift right never passes the end", 2, 0, 7, 0, TextBench::Key(kVkRight, kShift), 0, u"one two", 3,
         0, 7},
        {"ctrl left", 6, 0, 0, 0, TextBench::Key(kVkLeft, kCtrl), 0, u"one two", 4, 0, 0},
        {"ctrl right", 0, 0, 0, 0, TextBench::Key(kVkRight, kCtrl), 0, u"one two", 4, 0, 0},
        {"ctrl shift right", 0, 0, 0, 0, TextBench::Key(kVkRight, kCtrl | kShift), 0, u"one two", 4, 0, 4},
        {"ctrl shift left", 7, 0, 0, 0, TextBench::Key(kVkLeft, kCtrl | kShift), 0, u"one two", 4, 4, 3},
        {"home", 5, 0, 0, 0, TextBench::Key(kVkHome), 0, u"one two", 0, 0, 0},
        {"end", 1, 0, 0, 0, TextBench::Key(kVkEnd), 0, u"one two", 7, 0, 0},
        {"shift home", 5, 0, 0, 0, TextBench::Key(kVkHome, kShift), 0, u"one two", 0, 0, 5},
        {"shift end", 2, 0, 0, 0, TextBench::Key(kVkEnd, kShift), 0, u"one two", 7, 2, 5},
        {"backspace", 3, 0, 0, 0, TextBench::Key(kVkBack), 0, u"on two", 2, 0, 0},
        {"backspace at 0", 0, 0, 0, 0, TextBench::Key(kVkBack), 0, u"one two", 0, 0, 0},
        {"shift delete deletes backwards", 3, 0, 0, 0, TextBench::Key(kVkDelete, kShift), 0, u"on two", 2, 0,
         0},
        {"delete", 3, 0, 0, 0, TextBench::Key(kVkDelete), 0, u"onetwo", 3, 0, 0},
        {"delete at the end", 7, 0, 0, 0, TextBench::Key(kVkDelete), 0, u"one two", 7, 0, 0},
        {"delete the selection", 3, 1, 2, 1, TextBench::Key(kVkDelete), 0, u"o two", 1, 0, 0},
        {"ctrl delete to the end", 3, 0, 0, 0, TextBench::Key(kVkDelete, kCtrl), 0, u"one", 3, 0, 0},
        {"ctrl a selects all and goes on", 2, 0, 0, 0, TextBench::Key(kVkA, kCtrl), 1, u"one two", 2, 0, 7},
        {"a release", 3, 0, 0, 0, TextBench::Release(kVkLeft), 0, u"one two", 3, 0, 0},
        {"a typing key waits for its character", 3, 0, 0, 0, TextBench::Key(kVkA), 0, u"one two", 3, 0, 0},
        {"space", 3, 0, 0, 0, TextBench::Key(kVkSpace), 0, u"one two", 3, 0, 0},
        {"ctrl b", 3, 0, 0, 0, TextBench::Key(kVkB, kCtrl), 1, u"one two", 3, 0, 0},
        {"f5", 3, 0, 0, 0, TextBench::Key(kVkF5), 1, u"one two", 3, 0, 0},
        {"tab key", 3, 0, 0, 0, TextBench::Key(kVkTab), 1, u"one two", 3, 0, 0},
        {"tab character", 3, 0, 0, 0, TextBench::Char(u'\t'), 1, u"one two", 3, 0, 0},
        {"backspace character", 3, 0, 0, 0, TextBench::Char(u'\b'), 0, u"one two", 3, 0, 0},
        {"control character", 3, 0, 0, 0, TextBench::Char(u'\x7F'), 1, u"one two", 3, 0, 0},
        {"a character", 3, 0, 0, 0, TextBench::Char(u'x'), 0, u"onex two", 4, 0, 0},
        {"a character beyond the first plane, unit by unit", 3, 0, 0, 0, TextBench::Char(u'\xD83D'), 0,
         u"one\xD83D two", 4, 0, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Prepare(u"one two", c.caret, c.start, c.length, c.anchor);
        EXPECT_EQ(field->HandleKeyPress(c.key), c.result);
        EXPECT_EQ(Text(), std::u16string(c.after));
        EXPECT_EQ(field->GetCaretPosition(), c.caretAfter);
        EXPECT_EQ(field->GetSelectionStart(), c.startAfter);
        EXPECT_EQ(field->GetSelectionLength(), c.lengthAfter);
    }
}

TEST_F(TextBoxTest, TypingReplacesTheSelectionAndEveryChangeIsAnnounced)
{
    Prepare(u"hello world", 0, 6, 5, 6);
    const RCPtr<ZQTest::NotificationProbe> probe = text.Probe(field, {u"NID_TEXTBOX_TEXT_CHANGE"});
    (void)field->SetFocus(true);
    text.Type(u"there");
    EXPECT_EQ(Text(), u"hello there");
    EXPECT_EQ(field->GetCaretPosition(), 11);
    EXPECT_FALSE(field->HasSelection());
    EXPECT_EQ(probe->Names.size(), 5u) << "one change per character: the selection went with the first";

    EXPECT_EQ(field->SetText(u"hello there", false), 1) << "an equal text is no change";
    EXPECT_EQ(probe->Names.size(), 5u);
}

TEST_F(TextBoxTest, TheFilterListsTheOnlyCharactersOrTheForbiddenOnes)
{
    (void)field->SetFocus(true);
    field->SetCharacterFilter(u"0123456789");
    text.Type(u"1a2");
    EXPECT_EQ(Text(), u"12") << "a letter is swallowed";
    EXPECT_EQ(field->HandleKeyPress(TextBench::Char(u'b')), 0);

    field->SetFilterAllows(false);
    text.Type(u"3c4");
    EXPECT_EQ(Text(), u"12c");
}

TEST_F(TextBoxTest, ADoubleClickSelectsTheWordWithoutTheBlanksAfterIt)
{
    // Every unit is 6 wide from x = 2 in the field, which stands at (10, 10): "abc" ends at 30, "def"
    // spans 42 to 60 in the window.
    Prepare(u"abc  def", 0);
    auto doubleClick = [&](int32_t x)
    {
        text.Bench.MoveTo({x, 15});
        text.Bench.Press();
        text.Bench.Release();
        text.Bench.Services.MouseButtons = 1;
        text.Bench.Window->OnMouseButton(2, 1, 0, {x, 15}, 0);
        text.Bench.Release();
    };
    doubleClick(51); // inside "e"
    EXPECT_EQ(field->GetSelectionStart(), 5);
    EXPECT_EQ(field->GetSelectionLength(), 3);
    EXPECT_EQ(field->GetCaretPosition(), 8);

    doubleClick(17); // inside "b"
    EXPECT_EQ(field->GetSelectionStart(), 0);
    EXPECT_EQ(field->GetSelectionLength(), 3);
    EXPECT_EQ(field->GetCaretPosition(), 3);

    Click({43, 15}); // left of the middle of "d"
    EXPECT_FALSE(field->HasSelection()) << "a single click only places the caret";
    EXPECT_EQ(field->GetCaretPosition(), 5);
}

TEST_F(TextBoxTest, AHitBetweenFractionalCharacterRectanglesGivesTheBoundaryThere)
{
    // 6.4 pixels a unit: the rectangle of character i spans 2 + 6.4 i to 5.4 further, and leaves a gap of
    // one pixel before the next one.
    text.Measurer->measurement.defaultWidth = 6.4f;
    Prepare(u"abcdefghij", 0);
    struct Case
    {
        int32_t x;
        int32_t index;
    };
    const Case cases[] = {
        {-20, 0}, {4, 0}, {5, 1}, {8, 1}, {13, 2}, {14, 2}, {15, 2}, {65, 10}, {66, 10}, {300, 10},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(field->GetCharIndexAtPoint({c.x, 5}), c.index) << "x = " << c.x;
    }
    Prepare(u"", 0);
    EXPECT_EQ(field->GetCharIndexAtPoint({50, 5}), 0);
}

TEST_F(TextBoxTest, ATextIsMeasuredInOnePassThatHitsAndCaretMovesRead)
{
    TestSupport::FakeMeasurement& measured = text.Measurer->measurement;
    const int passes = measured.prefixCalls;
    Prepare(u"abababababababababababababababab", 0);
    const int calls = measured.measureCalls;
    for (const int32_t x : {5, 47, 90, 133, 180})
    {
        (void)field->GetCharIndexAtPoint({x, 5});
    }
    (void)field->SetCaretPosition(17, false);
    EXPECT_EQ(field->GetCaretRect().x, 2 + 17 * 6 - 1.0f);
    EXPECT_EQ(measured.prefixCalls, passes + 1);
    EXPECT_LE(measured.measureCalls, calls + 2) << "no prefix measured alone; each unit's box once";
}

// Every unit half as wide as the font's size.
class FontSizedMeasurer : public TestSupport::FakeMeasurer
{
public:
    [[nodiscard]] RectT<float> MeasureText(const WString& text, const ConstRCPtr<LFont>& font) override
    {
        RectT<float> box = measurement.Measure(text);
        box.width = static_cast<float>(text.GetLength()) * (font != nullptr ? font->GetSize() / 2 : 0);
        return box;
    }
};

TEST_F(TextBoxTest, HitsMeasureAgainAfterTheTextTheRendererOrTheFontChanged)
{
    // x = 15 lies in the left half of the unit that starts at 14: unit 2 at 6 pixels, unit 1 at 12.
    text.Measurer->measurement.widths[u'W'] = 12;
    Prepare(u"aaaa", 0);
    EXPECT_EQ(field->GetCharIndexAtPoint({15, 5}), 2);
    Prepare(u"WWWW", 0);
    EXPECT_EQ(field->GetCharIndexAtPoint({15, 5}), 1) << "a text of the same length, wider";

    const RCPtr<FontSizedMeasurer> sized(new FontSizedMeasurer);
    const TestSupport::MeasurementRendererScope measuring{RCPtr<LMeasurementRenderer>(sized)};
    ASSERT_EQ(field->SetFontSpec(u"", 12, -1, false), 0);
    EXPECT_EQ(field->GetCharIndexAtPoint({15, 5}), 2) << "another renderer: 6 pixels a unit";
    EXPECT_EQ(field->GetCaretRect().x, 1.0f);
    ASSERT_EQ(field->SetFontSpec(u"", 24, -1, false), 0);
    EXPECT_EQ(field->GetCharIndexAtPoint({15, 5}), 1) << "a larger font: 12 pixels a unit";
    EXPECT_EQ(field->GetCharIndexAtPoint({100, 5}), 4);
    (void)field->SetCaretPosition(3, false);
    EXPECT_EQ(field->GetCaretRect().x, 2 + 36 - 1.0f);
}

TEST_F(TextBoxTest, AShiftPressOrADragExtendsTheSelectionFromTheAnchor)
{
    Prepare(u"abcdefghij", 2);
    field->SetSelection(0, 0, 2);
    const RCPtr<LMouseButtonParam> shiftPress =
        LMouseButtonParam::Create(1, 38, 5, KeyCode::kInputShift, 0, 1, 0);
    field->OnLeftButtonDown(shiftPress);
    EXPECT_EQ(field->GetSelectionStart(), 2);
    EXPECT_EQ(field->GetSelectionLength(), 4);
    EXPECT_EQ(field->GetCaretPosition(), 6);

    // A drag from the start of "b" to inside "e".
    text.Bench.MoveTo({18, 15});
    text.Bench.Press();
    text.Bench.MoveTo({30, 15});
    text.Bench.MoveTo({41, 15});
    EXPECT_EQ(field->GetSelectionStart(), 1);
    EXPECT_EQ(field->GetSelectionLength(), 4);
    text.Bench.Release();
}

TEST_F(TextBoxTest, AValidationThatRejectsTheTextSwallowsReturnAndKeepsTheFocus)
{
    const RCPtr<ZQTest::NotificationProbe> probe =
        text.Probe(field, {u"NID_TEXTBOX_VALIDATING", u"NID_TEXTBOX_VALIDATED"});
    probe->OnValidating = [](LTextValidationParams& params) { params.mValid = 0; };
    Click({20, 15});
    ASSERT_TRUE(field->IsFocused());
    Prepare(u"bad", 3);
    probe->Names.clear();

    EXPECT_EQ(field->HandleKeyPress(TextBench::Key(kVkReturn)), 0);
    EXPECT_EQ(probe->Names, std::vector<std::string>{"NID_TEXTBOX_VALIDATING"});

    Click({20, 120}); // on "other"
    EXPECT_TRUE(field->IsFocused());
    EXPECT_FALSE(text.Bench.Find(u"other")->IsFocused());

    probe->OnValidating = nullptr;
    Click({20, 120});
    EXPECT_FALSE(field->IsFocused()) << "an accepted text lets the focus go";
}

TEST_F(TextBoxTest, AValidationThatCorrectsTheTextShowsItBeforeValidatedWithTheCaretWithinIt)
{
    const RCPtr<ZQTest::NotificationProbe> probe =
        text.Probe(field, {u"NID_TEXTBOX_VALIDATING", u"NID_TEXTBOX_TEXT_CHANGE", u"NID_TEXTBOX_VALIDATED"});
    Prepare(u"abcdef", 6);
    probe->OnValidating = [](LTextValidationParams& params) { params.mText = u"abc"; };
    probe->Names.clear();

    const RCPtr<LTextValidationParams> params = field->Validate();
    EXPECT_EQ(probe->Names, (std::vector<std::string>{"NID_TEXTBOX_VALIDATING", "NID_TEXTBOX_TEXT_CHANGE",
                                                      "NID_TEXTBOX_VALIDATED"}));
    EXPECT_EQ(params->mInitialText, WString(u"abcdef"));
    EXPECT_EQ(Text(), u"abc");
    EXPECT_EQ(field->GetCaretPosition(), 3) << "the caret stops at the new end";
    EXPECT_EQ(field->HandleKeyPress(TextBench::Key(kVkLeft)), 0);
    EXPECT_EQ(field->GetCaretPosition(), 2);

    probe->OnValidating = nullptr;
    (void)field->SetCaretPosition(3, false);
    EXPECT_EQ(field->HandleKeyPress(TextBench::Char(u'x')), 0);
    EXPECT_EQ(Text(), u"abcx");
}

TEST_F(TextBoxTest, CutCopyAndPasteGoThroughTheClipboardService)
{
    const RCPtr<LClipboard> clipboard = text.Bench.Application.Clipboard;
    Click({20, 15});
    Prepare(u"hello world", 0, 0, 6, 0);

    EXPECT_TRUE(clipboard->CanPerformEditOnFocus(LClipboard::kEditCut));
    EXPECT_EQ(clipboard->PerformEditOnFocus(LClipboard::kEditCut), 0);
    EXPECT_EQ(Text(), u"world");
    EXPECT_EQ(text.Selection->GetText(), std::optional<std::string>("hello "));

    EXPECT_FALSE(field->CanPerformEdit(LClipboard::kEditCopy)) << "nothing selected";
    EXPECT_EQ(field->PerformEdit(LClipboard::kEditCopy), E_FAIL);
    EXPECT_EQ(field->PerformEdit(LClipboard::kEditDelete), E_FAIL);

    (void)field->SetCaretPosition(5, false);
    EXPECT_EQ(field->PerformEdit(LClipboard::kEditPaste), 0);
    EXPECT_EQ(Text(), u"worldhello ");
    EXPECT_EQ(field->GetCaretPosition(), 11);

    field->SelectRange(0, 4);
    EXPECT_EQ(field->PerformEdit(LClipboard::kEditCopy), 0);
    EXPECT_EQ(text.Selection->GetText(), std::optional<std::string>("world"));
    text.Selection->SetFromOutside(std::string("planet"));
    EXPECT_EQ(field->PerformEdit(LClipboard::kEditPaste), 0) << "replaces the selection";
    EXPECT_EQ(Text(), u"planethello ");
    EXPECT_EQ(field->GetCaretPosition(), 6);
    EXPECT_FALSE(field->HasSelection());

    field->SelectRange(6, 10);
    EXPECT_EQ(field->PerformEdit(LClipboard::kEditDelete), 0);
    EXPECT_EQ(Text(), u"planet ");

    text.Selection->SetFromOutside(std::nullopt);
    EXPECT_FALSE(field->CanPerformEdit(LClipboard::kEditPaste));
    EXPECT_EQ(field->PerformEdit(LClipboard::kEditPaste), E_FAIL);
    EXPECT_EQ(Text(), u"planet ");
}

TEST_F(TextBoxTest, TheContextMenuOffersTheFourEditsEnabledAsTheyCanBeDone)
{
    const RCPtr<LMenuDescriptor> menu(field->GetContextMenu());
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->GetItemCount(), 4u);
    const char16_t* labels[] = {u"Cut", u"Copy", u"Copy", u"Delete"}; // no "EDIT_PASTE": the label before
    const char16_t* commands[] = {u"NID_EDIT_CUT_REQ", u"NID_EDIT_COPY_REQ", u"NID_EDIT_PASTE_REQ",
                                  u"NID_EDIT_DELETE_REQ"};
    for (uint32_t i = 0; i < 4; ++i)
    {
        EXPECT_EQ(menu->GetItemAt(i)->mLabel, WString(labels[i]));
        EXPECT_EQ(menu->GetItemAt(i)->mCommand, WString(commands[i]));
    }

    Click({20, 15});
    Prepare(u"some text", 0, 0, 4, 0);
    text.Selection->SetFromOutside(std::nullopt);
    const auto enabled = [&](int32_t item)
    {
        MenuItemState state;
        state.Enabled = 1;
        EXPECT_EQ(field->UpdateMenuItemState(menu, item, 0, state), 0);
        return state.Enabled != 0;
    };
    EXPECT_TRUE(enabled(0));
    EXPECT_TRUE(enabled(1));
    EXPECT_FALSE(enabled(2)) << "nothing to paste";
    EXPECT_TRUE(enabled(3));
    field->ClearSelection();
    text.Selection->SetFromOutside(std::string("x"));
    EXPECT_FALSE(enabled(0));
    EXPECT_TRUE(enabled(2));

    const RCPtr<LMenuDescriptor> foreign = LMenuDescriptor::Create();
    (void)foreign->InsertItem(0, u"Open", u"NID_MENU_OPEN", true, false);
    MenuItemState state;
    state.Enabled = 1;
    EXPECT_EQ(field->UpdateMenuItemState(foreign, 0, 0, state), 1);
    EXPECT_EQ(state.Enabled, 1);
}

TEST_F(TextBoxTest, TheCaretShowsHalfASecondAndHidesForThreeTenthsWhileFocused)
{
    Prepare(u"abc", 0);
    Click({20, 15});
    ASSERT_TRUE(field->IsFocused());
    EXPECT_TRUE(field->IsCaretVisible());
    text.Bench.IdleAfter(0.49);
    EXPECT_TRUE(field->IsCaretVisible());
    text.Bench.IdleAfter(0.01);
    EXPECT_FALSE(field->IsCaretVisible());
    text.Bench.IdleAfter(0.29);
    EXPECT_FALSE(field->IsCaretVisible());
    text.Bench.IdleAfter(0.01);
    EXPECT_TRUE(field->IsCaretVisible());
    text.Bench.IdleAfter(0.5);
    EXPECT_FALSE(field->IsCaretVisible());

    EXPECT_EQ(field->HandleKeyPress(TextBench::Key(kVkEnd)), 0);
    EXPECT_TRUE(field->IsCaretVisible()) << "a caret move shows it again";
    text.Bench.IdleAfter(0.49);
    EXPECT_TRUE(field->IsCaretVisible());

    Click({20, 120});
    EXPECT_FALSE(field->IsCaretVisible());
    EXPECT_EQ(field->GetIdleRequests(), 0);
    text.Bench.IdleAfter(1.0);
    EXPECT_FALSE(field->IsCaretVisible());
}

TEST_F(TextBoxTest, TheCaptionShowsOnlyWhileTheFieldIsEmptyAndUnfocused)
{
    const RCPtr<LTextBox> captioned = text.Bench.Find<LTextBox>(u"captioned");
    EXPECT_EQ(captioned->GetCaption(), WString(u"Search"));
    EXPECT_TRUE(captioned->GetLabel().IsEmpty()) << "the LABEL is the caption, never the text";
    EXPECT_EQ(captioned->GetFirstVisibleLookIndex(), 2);
    const RCPtr<LLook> caption = captioned->GetLook(9);
    ASSERT_NE(caption, nullptr);
    Region::Edges bounds;
    ASSERT_TRUE(caption->GetRegion().GetBounds(bounds));
    EXPECT_EQ(bounds.left, 2);
    EXPECT_EQ(bounds.right, 2 + 6 * 6) << "as wide as the caption";

    Click({20, 45});
    text.Bench.MoveTo({300, 250});
    ASSERT_TRUE(captioned->IsFocused());
    EXPECT_EQ(captioned->GetFirstVisibleLookIndex(), 3);
    EXPECT_FALSE(captioned->GetLook(9)->GetRegion().GetBounds(bounds));

    // The focused look is dark: the caret is drawn white; on the light unfocused-hot looks it is black.
    const RCPtr<TestSupport::RecordingRenderer> renderer(new TestSupport::RecordingRenderer);
    captioned->DrawOverlay(RCPtr<LRenderer>(renderer));
    ASSERT_EQ(renderer->GetLines().size(), 1u);
    EXPECT_NE(renderer->GetLines()[0].find("#FFFFFFFF"), std::string::npos) << renderer->GetLines()[0];
}
TEST_F(TextBoxTest, TheSelectionHighlightCoversTheSelectedCharactersAsScrolledAndLosingTheFocusScrollsBack)
{
    Prepare(u"abcdefghijklmnopqrstuvwxyz abcdefghijklmnopqrstuvwxyz", 0);
    Click({20, 15});
    text.Bench.MoveTo({300, 250});
    field->SelectRange(2, 4);
    EXPECT_EQ(field->GetFirstVisibleLookIndex(), 3);
    Region::Edges bounds;
    ASSERT_TRUE(field->GetLook(10)->GetRegion().GetBounds(bounds));
    // "c" starts at 2 + 12; "e" ends at 2 + 30 less the one pixel between rectangles.
    EXPECT_EQ(bounds.left, 14);
    EXPECT_EQ(bounds.right, 31);
    EXPECT_EQ(bounds.bottom, 12);

    EXPECT_EQ(field->SetScrollOffset({10, 0}), 0);
    ASSERT_TRUE(field->GetLook(10)->GetRegion().GetBounds(bounds));
    EXPECT_EQ(bounds.left, 4) << "the highlight follows the scrolled text";
    EXPECT_EQ(bounds.right, 21);
    EXPECT_EQ(field->GetCharIndexAtPoint({4, 5}), 2) << "hits count from the scrolled content";

    EXPECT_EQ(field->SetScrollOffset({100, 0}), 0);
    EXPECT_FALSE(field->GetLook(10)->GetRegion().GetBounds(bounds));
    EXPECT_EQ(field->GetFirstVisibleLookIndex(), 3) << "a selection out of sight highlights nothing";

    Click({20, 120});
    EXPECT_EQ(field->GetScrollOffset(), (PointT<double>{0, 0}));
    EXPECT_EQ(field->GetFirstVisibleLookIndex(), 0) << "the selection shows only with the focus";
}
} // namespace
} // namespace ZQ
