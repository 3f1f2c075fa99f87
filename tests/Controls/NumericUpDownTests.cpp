#include "TextBoxBench.h"

#include "ZQFramework/Controls/Buttons/Button.h"
#include "ZQFramework/Controls/Text/NumericUpDown.h"
#include "ZQFramework/Controls/Text/TextBox.h"
#include "ZQFramework/Notification/KeyCode.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ZQ
{
namespace
{
using ZQTest::TextBench;

// "number" at (10, 10): its text box 80 x 20, the up button (90, 0) and the down button (90, 10), each
// 10 x 10; "other" can take the focus.
const std::string kUpDown = R"(
<SubControl Class="Test.Panel" Name="main">
  <Skin Name="main" LookList="one"/>
  <SubControl Class="Framework.NumericUpDown" Name="number" XPositionAbs="10" YPositionAbs="10" XSizeAbs="100" YSizeAbs="20">
    <Skin Name="number" LookList="one"/>
    <SubControl Class="Framework.TextBox" Name="textBox" XSizeAbs="80" YSizeAbs="20"><Skin Name="textBox" LookList="textLooks"/></SubControl>
    <SubControl Class="Framework.Button" Name="buttonUp" XPositionAbs="90" XSizeAbs="10" YSizeAbs="10"><Skin Name="up" LookList="looks14"/></SubControl>
    <SubControl Class="Framework.Button" Name="buttonDown" XPositionAbs="90" YPositionAbs="10" XSizeAbs="10" YSizeAbs="10"><Skin Name="down" LookList="looks14"/></SubControl>
  </SubControl>
  <SubControl Class="Test.Panel" Name="other" XPositionAbs="10" YPositionAbs="100" XSizeAbs="50" YSizeAbs="50">
    <Skin Name="other" LookList="one"/>
  </SubControl>
</SubControl>)";

constexpr uint8_t kVkReturn = 0x0D;
constexpr uint8_t kVkUp = 0x26;
constexpr uint8_t kVkDown = 0x28;

struct NumericUpDownTest : ::testing::Test
{
    NumericUpDownTest()
    {
        text.Bench.Register(u"Framework.NumericUpDown", &LControl::CreateFromDescriptor<LNumericUpDown>);
        (void)text.Bench.Show();
        number = text.Bench.Find<LNumericUpDown>(u"number");
        field = text.Bench.Find<LTextBox>(u"number/textBox");
    }

    // The range, then the value in range units.
    void Set(double minimum, double maximum, double value)
    {
        EXPECT_EQ(number->SetRange(minimum, maximum, 0), 0);
        (void)number->SetValue(number->UnscaleValue(value));
    }
    // The field's text after it took text and validated it.
    [[nodiscard]] std::u16string Enter(const char16_t* typed)
    {
        (void)field->SetText(typed, true);
        (void)field->Validate();
        return Shown();
    }
    [[nodiscard]] std::u16string Shown() const { return field->GetLabel().GetBuffer(); }
    [[nodiscard]] double Number() const { return number->ScaleValue(number->GetValue()); }

    TextBench text{kUpDown};
    RCPtr<LNumericUpDown> number;
    RCPtr<LTextBox> field;
};

TEST_F(NumericUpDownTest, TypedNumbersAreClampedIntoTheRangeAndTheMinusSignOnlyTypedBelowZero)
{
    ASSERT_NE(field, nullptr);
    Set(0, 10, 5);
    EXPECT_EQ(Shown(), u"5");
    EXPECT_EQ(field->GetCharacterFilter(), WString(u"0123456789"));
    EXPECT_TRUE(field->GetFilterAllows());

    (void)field->SetFocus(true);
    (void)field->SetText(u"", true);
    text.Type(u"-12");
    EXPECT_EQ(Shown(), u"12") << "no minus sign while the range stays at or above 0";
    text.Bench.Window->DeliverKey(TextBench::Key(kVkReturn));
    EXPECT_EQ(Shown(), u"10");
    EXPECT_DOUBLE_EQ(Number(), 10);

    EXPECT_EQ(Enter(u"-3"), u"0") << "pasted past the filter";
    EXPECT_DOUBLE_EQ(Number(), 0);

    EXPECT_EQ(number->SetRange(-10, 10, 0), 0);
    EXPECT_EQ(field->GetCharacterFilter(), WString(u"0123456789-"));
}

TEST_F(NumericUpDownTest, TextOfNoAcceptedShapeIsReplacedByTheNumberAndAnEqualNumberKeepsItsForm)
{
    Set(-10, 10, 7);
    struct Case
    {
        const char16_t* typed;
        const char16_t* shown;
    };
    const Case cases[] = {
        {u"1-2", u"7"}, {u"-", u"7"},     {u"", u"7"},      {u".", u"7"},   {u"1.2.3", u"7"}, {u"nan", u"7"},
        {u"inf", u"7"}, {u"007", u"007"}, {u"7.0", u"7.0"}, {u"-4", u"-4"}, {u"abc", u"0"},   {u"99", u"10"},
    };
    for (const Case& c : cases)
    {
        Set(-10, 10, 7);
        EXPECT_EQ(Enter(c.typed), std::u16string(c.shown)) << TestSupport::Utf8(WString(c.typed));
    }
    Set(-10, 10, 10);
    EXPECT_EQ(Enter(u"010"), u"10") << "a bound shows in its own form";
}

TEST_F(NumericUpDownTest, UpAndDownInTheFieldStepOnceEachWhenTheSimulatedPressEnds)
{
    Set(0, 10, 5);
    text.Bench.MoveTo({20, 15});
    text.Bench.Press();
    text.Bench.Release();
    ASSERT_TRUE(field->IsFocused());
    const RCPtr<ZQTest::NotificationLog> log = text.Bench.Listen(number, {u"NID_VALUE_CHANGE"});

    text.Bench.Window->DeliverKey(TextBench::Key(kVkUp));
    EXPECT_DOUBLE_EQ(Number(), 5) << "not before the press has shown";
    text.Bench.IdleAfter(0.15);
    EXPECT_DOUBLE_EQ(Number(), 6);
    EXPECT_EQ(Shown(), u"6");

    text.Bench.Window->DeliverKey(TextBench::Key(kVkDown));
    text.Bench.IdleAfter(0.15);
    EXPECT_DOUBLE_EQ(Number(), 5);
    EXPECT_EQ(log->Entries.size(), 2u);
    EXPECT_TRUE(field->IsFocused()) << "the buttons never take the focus";

    text.Bench.Window->DeliverKey(TextBench::Key(kVkUp, KeyCode::kCtrl));
    text.Bench.IdleAfter(0.15);
    EXPECT_DOUBLE_EQ(Number(), 5) << "Ctrl+Up is no step";
}

TEST_F(NumericUpDownTest, AHeldButtonStepsAtThePressAndStopsAtTheMaximumWithoutAnotherChange)
{
    Set(0, 10, 9);
    const RCPtr<ZQTest::NotificationLog> log = text.Bench.Listen(number, {u"NID_VALUE_CHANGE"});
    text.Bench.MoveTo({105, 15}); // on buttonUp
    text.Bench.Press();
    EXPECT_DOUBLE_EQ(Number(), 10);
    text.Bench.IdleAfter(0.35);
    text.Bench.IdleAfter(0.1);
    EXPECT_DOUBLE_EQ(Number(), 10);
    EXPECT_EQ(log->Entries.size(), 1u);
    text.Bench.Release();

    text.Bench.MoveTo({105, 25}); // on buttonDown
    text.Bench.Press();
    text.Bench.Release();
    EXPECT_DOUBLE_EQ(Number(), 9);
    EXPECT_EQ(Shown(), u"9");
}

TEST_F(NumericUpDownTest, TheRangeAcceptsALogarithmicTaperOnlyAboveZero)
{
    Set(0, 10, 5);
    EXPECT_EQ(number->SetRange(1, 1000, 1), 0);
    EXPECT_EQ(Shown(), u"32") << "the normalised value is kept: 1000^0.5";
    EXPECT_EQ(number->SetRange(0, 1000, 1), E_INVALIDARG);
    EXPECT_EQ(number->SetRange(1, 10, 2), E_INVALIDARG);
    EXPECT_EQ(Shown(), u"32");

    EXPECT_EQ(number->SetLabel(u"100"), 0);
    EXPECT_NEAR(Number(), 100, 1e-9);
    EXPECT_EQ(Shown(), u"100");
}

TEST_F(NumericUpDownTest, TheUpDownsListenersSeeTheTextFirstAndMayKeepTheFocusInTheField)
{
    Set(0, 10, 5);
    const RCPtr<ZQTest::NotificationProbe> probe =
        text.Probe(number, {u"NID_TEXTBOX_VALIDATING", u"NID_TEXTBOX_VALIDATED"});
    text.Bench.MoveTo({20, 15});
    text.Bench.Press();
    text.Bench.Release();
    probe->Names.clear();
    probe->OnValidating = [](LTextValidationParams& params) { params.mValid = 0; };
    (void)field->SetText(u"8", true);
    text.Bench.MoveTo({20, 120});
    text.Bench.Press();
    text.Bench.Release();
    EXPECT_TRUE(field->IsFocused());
    EXPECT_EQ(Shown(), u"8") << "not parsed";
    EXPECT_DOUBLE_EQ(Number(), 5);
    EXPECT_EQ(probe->Names, std::vector<std::string>{"NID_TEXTBOX_VALIDATING"});

    probe->OnValidating = nullptr;
    probe->Names.clear();
    text.Bench.Press();
    text.Bench.Release();
    EXPECT_FALSE(field->IsFocused());
    EXPECT_DOUBLE_EQ(Number(), 8);
    ASSERT_FALSE(probe->Names.empty());
    EXPECT_EQ(probe->Names.back(), "NID_TEXTBOX_VALIDATED");
}
} // namespace
} // namespace ZQ
