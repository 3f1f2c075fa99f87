#include "ListBoxBench.h"

#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/Controls/Menus/ComboBox.h"
#include "ZQFramework/Controls/Text/TextBox.h"
#include "ZQFramework/Notification/KeyCode.h"
#include "ZQFramework/Notification/KeyParam.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ZQ
{
namespace
{
using TestSupport::Utf8;
using ZQTest::ListBoxBench;
using ZQTest::RowTemplate;

constexpr uint32_t kDownKey = 0x20280000, kEscapeKey = 0x201b0000, kUpKey = 0x20260000;

// "main" (400 x windowHeight) holding "combo", 100 x comboHeight at (10, y), whose list box is 100 x 60
// with rows of 20 pixels; create is the combo's create-parameter list, listAttributes extra attributes of
// the list box.
std::string ComboSkin(int y, const std::string& create = "", int comboHeight = 30, int windowHeight = 300,
                      const std::string& listAttributes = "", const std::string& extraChildren = "")
{
    return R"(<SubControl Class="Test.Panel" Name="main" XSizeAbs="400" YSizeAbs=")" +
           std::to_string(windowHeight) + R"("><Skin Name="main" LookList="one"/>
      <SubControl Class="Framework.ComboBox" Name="combo" XPositionAbs="10" YPositionAbs=")" +
           std::to_string(y) + R"(" XSizeAbs="100" YSizeAbs=")" + std::to_string(comboHeight) +
           R"("><Skin Name="combo" LookList="looks14"/>)" + create +
           R"(<SubControl Class="Framework.ListBox" Name="listBox" XSizeAbs="100" YSizeAbs="60" ClipToParent="false" )" +
           listAttributes + R"(><Skin Name="list" LookList="one"/>)" + RowTemplate(20) + "</SubControl>" +
           extraChildren + "</SubControl></SubControl>";
}

// Strings of the combo's own table: its label and its items.
std::string ComboStrings(const std::string& label, const std::vector<std::string>& items)
{
    std::string table = R"(<StringTable ID="Test.Panel|combo">)";
    if (!label.empty())
    {
        table += R"(<String ID="LABEL"><Locale LCID="0x0009">)" + label + "</Locale></String>";
    }
    for (size_t i = 0; i < items.size(); ++i)
    {
        table += R"(<String ID="ITEM.)" + std::to_string(i) + R"("><Locale LCID="0x0009">)" + items[i] +
                 "</Locale></String>";
    }
    return table + "</StringTable>";
}

std::string InitialIndex(const std::string& value)
{
    return R"(<CreateParamList><CreateParam ID="INITIAL_SELECTED_INDEX">)" + value +
           "</CreateParam></CreateParamList>";
}

struct ComboBench : ListBoxBench
{
    explicit ComboBench(const std::string& skin, const std::string& strings = {})
        : ListBoxBench(skin, strings,
                       {{u"Framework.ComboBox", &LControl::CreateFromDescriptor<LComboBox>},
                        {u"Framework.TextBox", &LControl::CreateFromDescriptor<LTextBox>}})
    {
        combo = bench.Find<LComboBox>(u"combo");
        list = combo != nullptr ? combo->GetListBox() : nullptr;
        log = bench.Listen(RCPtr<LControl>(combo), {u"NID_SELECTION_CHANGE", u"NID_DROPDOWN_OPENING"});
    }

    [[nodiscard]] size_t Sent(const std::string& name) const
    {
        size_t count = 0;
        for (const auto& entry : log->Entries)
        {
            count += entry.first == name ? 1 : 0;
        }
        return count;
    }

    void AddItems(const std::vector<const char16_t*>& texts)
    {
        for (const char16_t* text : texts)
        {
            (void)combo->AddItem(text);
        }
    }

    [[nodiscard]] ZQRESULT Key(uint32_t code) const
    {
        return combo->HandleKeyPress(LKeyParam::Create(KeyCode(code, 0, 0), 0));
    }

    RCPtr<LComboBox> combo;
    RCPtr<ZQTest::NotificationLog> log;
};

TEST(ComboBoxTest, TheInitialItemIsSelectedSilentlyWhenItExists)
{
    struct Case
    {
        std::string create;
        int32_t selected;
        std::string label;
    };
    for (const Case& c : std::vector<Case>{{"", 0, "a"},
                                           {InitialIndex("1"), 1, "b"},
                                           {InitialIndex("5"), -1, "pick"},
                                           {InitialIndex("-1"), -1, "pick"}})
    {
        ComboBench b(ComboSkin(20, c.create), ComboStrings("pick", {"a", "b"}));
        ASSERT_NE(b.combo, nullptr);
        EXPECT_EQ(b.combo->GetSelectedIndex(), c.selected) << c.create;
        EXPECT_EQ(Utf8(b.combo->GetLabel()), c.label) << c.create;
        EXPECT_EQ(b.list->GetItemCount(), 2u);
        EXPECT_EQ(b.list->GetSelectedCount(), c.selected >= 0 ? 1 : 0);
        EXPECT_TRUE(b.list->IsDropDownMode());
        EXPECT_FALSE(b.combo->IsDropDownOpen());
    }
}

TEST(ComboBoxTest, SetLabelSelectsTheLastItemOfThatTextIgnoringCase)
{
    ComboBench b(ComboSkin(20), ComboStrings("", {"a", "b", "B"}));
    b.log->Entries.clear();
    EXPECT_EQ(b.combo->SetLabel(u"b"), 0);
    EXPECT_EQ(b.combo->GetSelectedIndex(), 2) << "the last match, case ignored";
    EXPECT_EQ(Utf8(b.combo->GetLabel()), "B") << "the item's own text";
    EXPECT_EQ(b.Sent("NID_SELECTION_CHANGE"), 1u);

    EXPECT_EQ(b.combo->SetLabel(u"B"), 1) << "the current label";
    EXPECT_EQ(b.Sent("NID_SELECTION_CHANGE"), 1u);

    EXPECT_EQ(b.combo->SetLabel(u"A"), 0);
    EXPECT_EQ(b.combo->GetSelectedIndex(), 0);
    EXPECT_EQ(Utf8(b.combo->GetLabel()), "a");

    EXPECT_EQ(b.combo->SetLabel(u"none"), 0);
    EXPECT_EQ(b.combo->GetSelectedIndex(), -1);
    EXPECT_EQ(Utf8(b.combo->GetLabel()), "none") << "a text of no item stays";
    EXPECT_EQ(b.list->GetSelectedCount(), 0);
    EXPECT_EQ(b.Sent("NID_SELECTION_CHANGE"), 2u) << "clearing the selection is silent";
}

TEST(ComboBoxTest, SelectingKeepsBothSelectionsInStepAndNotifiesOnlyChanges)
{
    ComboBench b(ComboSkin(20), ComboStrings("", {"a", "b", "c"}));
    b.log->Entries.clear();
    EXPECT_EQ(b.combo->SetSelectedIndex(2), 2);
    EXPECT_TRUE(b.list->IsItemSelected(2));
    EXPECT_EQ(b.list->GetSelectedCount(), 1);
    EXPECT_EQ(Utf8(b.combo->GetLabel()), "c");
    EXPECT_EQ(b.combo->SetSelectedIndex(2), 2) << "again: refreshed, not sent";
    EXPECT_EQ(b.Sent("NID_SELECTION_CHANGE"), 1u);

    EXPECT_EQ(b.combo->SetSelectedIndex(3), -1) << "past the end";
    EXPECT_EQ(b.combo->GetSelectedIndex(), -1);
    EXPECT_EQ(Utf8(b.combo->GetLabel()), "c");
    EXPECT_EQ(b.Sent("NID_SELECTION_CHANGE"), 1u);

    (void)b.combo->SetSelectedIndex(1);
    EXPECT_EQ(b.combo->SetItemCount(1), 1);
    EXPECT_EQ(b.combo->GetSelectedIndex(), -1) << "the selected item went";
    EXPECT_EQ(Utf8(b.combo->GetLabel()), "b");
    EXPECT_EQ(b.Sent("NID_SELECTION_CHANGE"), 2u);
}

TEST(ComboBoxTest, InsertedItemsKeepTheSelectionAndAnItemMatchingTheLabelIsSelected)
{
    ComboBench b(ComboSkin(20), ComboStrings("", {"a", "b"}));
    ASSERT_EQ(b.combo->SetSelectedIndex(1), 1);
    b.log->Entries.clear();
    EXPECT_EQ(b.combo->InsertItem(0, LListBox::MakeTextItem(u"z")), 0);
    EXPECT_EQ(b.combo->GetSelectedIndex(), 2);
    EXPECT_EQ(Utf8(b.combo->GetItem(2)->ToString()), "b");
    EXPECT_EQ(b.Sent("NID_SELECTION_CHANGE"), 0u);

    (void)b.combo->SetSelectedIndex(-1);
    (void)b.combo->SetLabel(u"new");
    EXPECT_EQ(b.combo->AddItem(u"NEW"), 3);
    EXPECT_EQ(b.combo->GetSelectedIndex(), -1) << "the text must match exactly";
    EXPECT_EQ(b.combo->AddItem(u"new"), 4);
    EXPECT_EQ(b.combo->GetSelectedIndex(), 4);
    EXPECT_EQ(b.Sent("NID_SELECTION_CHANGE"), 1u);

    EXPECT_EQ(b.combo->InsertItem(0, nullptr), E_INVALIDARG);
    EXPECT_EQ(b.combo->InsertItem(9, LListBox::MakeTextItem(u"far")), E_INVALIDARG);
    EXPECT_EQ(b.combo->GetSelectedIndex(), 4);
    EXPECT_EQ(b.combo->GetItem(5), nullptr);
}

TEST(ComboBoxTest, OpeningHighlightsTheFirstItemOfTheLabelWithoutSelectingIt)
{
    ComboBench b(ComboSkin(20), ComboStrings("", {"b", "x", "b"}));
    (void)b.combo->SetSelectedIndex(2);
    b.log->Entries.clear();
    EXPECT_EQ(b.Key(kDownKey), 0);
    EXPECT_TRUE(b.combo->IsDropDownOpen());
    EXPECT_TRUE(b.list->IsItemSelected(0));
    EXPECT_EQ(b.list->GetSelectedCount(), 1);
    EXPECT_EQ(b.combo->GetSelectedIndex(), 2);
    EXPECT_EQ(b.Sent("NID_DROPDOWN_OPENING"), 1u);
    EXPECT_EQ(b.Sent("NID_SELECTION_CHANGE"), 0u);
    EXPECT_TRUE(b.list->IsFocused());

    EXPECT_EQ(b.Key(kUpKey), 1);
    EXPECT_EQ(b.Key(kEscapeKey), 0);
    EXPECT_FALSE(b.combo->IsDropDownOpen());
    EXPECT_EQ(b.Key(kEscapeKey), 1) << "closed: Escape is not the combo's";
}

// The list box's height and placement after an opening.
struct Placement
{
    double height;
    double maximum;
    double top; // in the combo box's coordinates
};

Placement Opened(ComboBench& b)
{
    EXPECT_EQ(b.combo->ShowDropDown(true), 0);
    return {b.list->GetRect().height, b.list->GetLayout()->mYMaximum.Abs, b.list->GetRect().y};
}

TEST(ComboBoxTest, TheListOpensWhereTheRoomIs)
{
    struct Case
    {
        const char* what;
        int y;
        int items;
        Placement expected;
    };
    const std::vector<Case> cases{
        // below 233, above 495, content 800: upwards, 495 rounded down to whole rows.
        {"upwards, limited", 500, 40, {480, 480, -480}},
        // content 60 fits below: downwards, no maximum.
        {"downwards, content", 100, 3, {60, 0, 30}},
        // Within the margin of the bottom edge there is no room below at all: upwards.
        {"at the bottom edge", 735, 3, {60, 0, -60}},
    };
    for (const Case& c : cases)
    {
        ComboBench b(ComboSkin(c.y, "", 30, 768));
        b.bench.Services.ScreenRect = {100, 50, 400, 768};
        for (int i = 0; i < c.items; ++i)
        {
            (void)b.combo->AddItem(WString::Format(u"%d", i));
        }
        const Placement p = Opened(b);
        EXPECT_EQ(p.height, c.expected.height) << c.what;
        EXPECT_EQ(p.maximum, c.expected.maximum) << c.what;
        EXPECT_EQ(p.top, c.expected.top) << c.what;
        EXPECT_TRUE(b.combo->IsDropDownOpen()) << c.what;
    }
}

TEST(ComboBoxTest, ANewItemCountPlacesAnOpenListAgain)
{
    ComboBench b(ComboSkin(20), ComboStrings("", {"a", "b", "c"}));
    ASSERT_EQ(Opened(b).height, 60);
    EXPECT_EQ(b.combo->SetItemCount(1), 1);
    EXPECT_TRUE(b.combo->IsDropDownOpen());
    EXPECT_EQ(b.list->GetRect().height, 20);
    (void)b.combo->ShowDropDown(false);
    EXPECT_EQ(b.combo->SetItemCount(2), 2);
    EXPECT_FALSE(b.combo->IsDropDownOpen()) << "a closed list stays closed";
}

TEST(ComboBoxTest, TheSkinsMaximumHeightChoosesTheSideThatHoldsIt)
{
    // Skin maximum 100: below 233 holds it; the list is limited to it.
    ComboBench b(ComboSkin(500, "", 30, 768, R"(YMaxSizeAbs="100")"));
    b.bench.Services.ScreenRect = {100, 50, 400, 768};
    for (int i = 0; i < 40; ++i)
    {
        (void)b.combo->AddItem(WString::Format(u"%d", i));
    }
    const Placement p = Opened(b);
    EXPECT_EQ(p.top, 30);
    EXPECT_EQ(p.maximum, 100);
    EXPECT_EQ(p.height, 100);
}

TEST(ComboBoxTest, APressOpensTheListAndAReleaseOnARowSelectsItsItem)
{
    ComboBench b(ComboSkin(20), ComboStrings("", {"a", "b", "c"}));
    b.log->Entries.clear();
    b.bench.MoveTo({20, 30});
    b.bench.Press();
    ASSERT_TRUE(b.combo->IsDropDownOpen());
    EXPECT_EQ(b.combo->GetSelectedIndex(), 0);
    // The list hangs below the face at window y 50; its second row is at 70..90.
    b.bench.MoveTo({20, 80});
    b.bench.Release();
    EXPECT_FALSE(b.combo->IsDropDownOpen());
    EXPECT_EQ(b.combo->GetSelectedIndex(), 1);
    EXPECT_EQ(Utf8(b.combo->GetLabel()), "b");
    EXPECT_EQ(b.Sent("NID_SELECTION_CHANGE"), 1u);

    // A release outside face and list closes the list without a choice.
    b.bench.MoveTo({20, 30});
    b.bench.Press();
    ASSERT_TRUE(b.combo->IsDropDownOpen());
    b.bench.MoveTo({300, 250});
    b.bench.Release();
    EXPECT_FALSE(b.combo->IsDropDownOpen());
    EXPECT_EQ(b.combo->GetSelectedIndex(), 1);
}

TEST(ComboBoxTest, TheLookFollowsFocusHoverOpeningAndTheEnabledState)
{
    ComboBench b(ComboSkin(20), ComboStrings("", {"a", "b"}));
    EXPECT_EQ(b.combo->GetFirstVisibleLookIndex(), 1) << "the window gave the combo box the focus";
    b.bench.MoveTo({20, 30});
    EXPECT_EQ(b.combo->GetFirstVisibleLookIndex(), 3);
    (void)b.combo->ShowDropDown(true);
    EXPECT_EQ(b.combo->GetFirstVisibleLookIndex(), 5);
    (void)b.combo->ShowDropDown(false);
    EXPECT_EQ(b.combo->GetFirstVisibleLookIndex(), 3) << "the list handed the focus back";
    b.bench.MoveTo({300, 250});
    EXPECT_EQ(b.combo->GetFirstVisibleLookIndex(), 1);
    (void)b.combo->SetEnabled(false);
    EXPECT_EQ(b.combo->GetFirstVisibleLookIndex(), 6);
}

TEST(ComboBoxTest, EscapeInTheListClosesItAndGoesNoFurther)
{
    ComboBench b(ComboSkin(20), ComboStrings("", {"a", "b"}));
    (void)b.combo->ShowDropDown(true);
    ASSERT_TRUE(b.list->IsFocused());
    EXPECT_EQ(b.combo->ProcessHotKey(LKeyParam::Create(KeyCode(kEscapeKey, 0, 0), 0)), 0);
    EXPECT_FALSE(b.combo->IsDropDownOpen());
    EXPECT_EQ(b.combo->ProcessHotKey(LKeyParam::Create(KeyCode(0x20410000, 0, 0), 0)), 1);
}

TEST(ComboBoxTest, ATypedTextSelectsItsItemOrClearsTheSelection)
{
    const std::string textBox =
        R"(<SubControl Class="Framework.TextBox" Name="textBox" XSizeAbs="80" YSizeAbs="30"><Skin Name="text" LookList="looks14"/></SubControl>)";
    ComboBench b(ComboSkin(20, "", 30, 300, "", textBox), ComboStrings("", {"alpha", "beta"}));
    const RCPtr<LTextBox> text = b.combo->GetTextBox();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(b.combo->GetSelectedIndex(), 0) << "selected silently, the text box untouched";
    (void)b.combo->SetSelectedIndex(1);
    EXPECT_EQ(Utf8(text->GetLabel()), "beta");

    const RCPtr<ZQTest::NotificationLog> validated =
        b.bench.Listen(RCPtr<LControl>(b.combo), {u"NID_TEXTBOX_VALIDATED"});
    const RCPtr<LTextValidationParams> params = LTextValidationParams::Create(u"ALPHA");
    (void)text->Notify(
        LNotification::Create(u"NID_TEXTBOX_VALIDATED", ConstRCPtr<LRefCountedObject>(params)));
    EXPECT_EQ(b.combo->GetSelectedIndex(), 0);
    const RCPtr<LTextValidationParams> other = LTextValidationParams::Create(u"gamma");
    (void)text->Notify(LNotification::Create(u"NID_TEXTBOX_VALIDATED", ConstRCPtr<LRefCountedObject>(other)));
    EXPECT_EQ(b.combo->GetSelectedIndex(), -1);
    EXPECT_EQ(validated->Entries.size(), 2u);

    // The text box taking the focus closes the list.
    (void)b.combo->ShowDropDown(true);
    ASSERT_TRUE(b.combo->IsDropDownOpen());
    (void)text->SetFocus(true);
    EXPECT_FALSE(b.combo->IsDropDownOpen());
}

TEST(ComboBoxTest, WithoutAListBoxTheOperationsFail)
{
    ComboBench b(
        R"(<SubControl Class="Test.Panel" Name="main" XSizeAbs="400" YSizeAbs="300"><Skin Name="main" LookList="one"/>
      <SubControl Class="Framework.ComboBox" Name="combo" XSizeAbs="100" YSizeAbs="30"><Skin Name="combo" LookList="looks14"/></SubControl></SubControl>)");
    ASSERT_NE(b.combo, nullptr);
    EXPECT_EQ(b.combo->Initialize(), E_FAIL);
    EXPECT_EQ(b.combo->ShowDropDown(true), E_FAIL);
    EXPECT_EQ(b.combo->SetItemCount(3), E_FAIL);
    EXPECT_EQ(b.combo->AddItem(u"a"), E_FAIL);
    EXPECT_EQ(b.combo->SetSelectedIndex(0), -1);
    EXPECT_EQ(b.combo->OnCreated(), E_FAIL);
    EXPECT_FALSE(b.combo->IsDropDownOpen());
}
} // namespace
} // namespace ZQ
