#include "ListBoxBench.h"

#include "ZQFramework/ControlBase/Control/Look.h"
#include "ZQFramework/ControlBase/Control/VisualPart.h"
#include "ZQFramework/Controls/Buttons/Button.h"
#include "ZQFramework/Controls/Lists/CheckedListBox.h"
#include "ZQFramework/Controls/Lists/CheckedListBoxItem.h"
#include "ZQFramework/Controls/Menus/CheckedComboBox.h"
#include "ZQFramework/Utilities/Graphics/Bitmap.h"
#include "ZQFramework/Utilities/Graphics/Color.h"

#include <gtest/gtest.h>
#include <string>

namespace ZQ
{
namespace
{
using ZQTest::ListBoxBench;
using ZQTest::RowTemplate;

// Rows of 20 pixels whose check box is 10 x 10 at (0, 5).
const std::string kCheckedRow = RowTemplate(
    20, "Framework.CheckedListBoxItem",
    R"(<SubControl Class="Framework.Button" Name="checkBox" YPositionAbs="5" XSizeAbs="10" YSizeAbs="10"><Skin Name="box" LookList="looks14"/></SubControl>)");

// "combo", 100 x 30 at (10, 20), with a face check box and a list of the class given holding "a", "b",
// "c".
std::string CheckedComboSkin(const std::string& listClass)
{
    return R"(<SubControl Class="Test.Panel" Name="main" XSizeAbs="400" YSizeAbs="300"><Skin Name="main" LookList="one"/>
      <SubControl Class="Framework.CheckedComboBox" Name="combo" XPositionAbs="10" YPositionAbs="20" XSizeAbs="100" YSizeAbs="30">
        <Skin Name="combo" LookList="looks14"/>
        <SubControl Class="Framework.Button" Name="checkBox" XSizeAbs="10" YSizeAbs="10"><Skin Name="face" LookList="looks14"/></SubControl>
        <SubControl Class=")" +
           listClass +
           R"(" Name="listBox" XSizeAbs="100" YSizeAbs="60" ClipToParent="false"><Skin Name="list" LookList="one"/>)" +
           (listClass == "Framework.ListBox" ? RowTemplate(20) : kCheckedRow) +
           "</SubControl></SubControl></SubControl>";
}

const std::string kItems = R"(<StringTable ID="Test.Panel|combo">
    <String ID="ITEM.0"><Locale LCID="0x0009">a</Locale></String>
    <String ID="ITEM.1"><Locale LCID="0x0009">b</Locale></String>
    <String ID="ITEM.2"><Locale LCID="0x0009">c</Locale></String></StringTable>)";

struct CheckedComboTest : ::testing::Test
{
    CheckedComboTest()
    {
        combo = b.bench.Find<LCheckedComboBox>(u"combo");
        checked = combo != nullptr ? combo->GetCheckedListBox() : nullptr;
        face = combo != nullptr ? combo->GetCheckBox() : nullptr;
    }

    // The user's check of the item shown in slot, through the row's check box (the list is open).
    void CheckSlot(int32_t slot, bool on) const
    {
        (void)checked->GetCheckedItemControl(slot)->GetCheckBox()->SetValue(on ? 1.0 : 0.0);
    }

    ListBoxBench b{CheckedComboSkin("Framework.CheckedListBox"),
                   kItems,
                   {{u"Framework.CheckedComboBox", &LControl::CreateFromDescriptor<LCheckedComboBox>},
                    {u"Framework.CheckedListBox", &LControl::CreateFromDescriptor<LCheckedListBox>},
                    {u"Framework.CheckedListBoxItem", &LControl::CreateFromDescriptor<LCheckedListBoxItem>}}};
    RCPtr<LCheckedComboBox> combo;
    RCPtr<LCheckedListBox> checked;
    RCPtr<LButton> face;
};

TEST_F(CheckedComboTest, TheLookTellsWhetherAnyItemIsCheckedRefreshedAtCountsZeroAndOne)
{
    ASSERT_NE(combo, nullptr);
    ASSERT_NE(checked, nullptr);
    EXPECT_TRUE(checked->IsDropDownMode());
    const RCPtr<ZQTest::NotificationLog> log =
        b.bench.Listen(RCPtr<LControl>(combo), {u"NID_ITEM_CHECK_CHANGE"});
    (void)combo->ShowDropDown(true);
    ASSERT_EQ(combo->GetFirstVisibleLookIndex(), 4);

    CheckSlot(0, true);
    EXPECT_EQ(combo->GetFirstVisibleLookIndex(), 11) << "open, some item checked";
    (void)combo->SelectLook(4); // a stale look shows which check changes refresh it
    CheckSlot(1, true);
    EXPECT_EQ(combo->GetFirstVisibleLookIndex(), 4) << "a second check does not refresh";
    CheckSlot(1, false);
    EXPECT_EQ(combo->GetFirstVisibleLookIndex(), 11);
    CheckSlot(0, false);
    EXPECT_EQ(combo->GetFirstVisibleLookIndex(), 4);
    EXPECT_EQ(log->Entries.size(), 4u) << "every check change is re-sent";

    (void)combo->ShowDropDown(false);
    CheckSlot(2, true);
    const int32_t closedLook = combo->GetFirstVisibleLookIndex();
    EXPECT_GE(closedLook, 7) << "closed, some item checked";
    EXPECT_LE(closedLook, 10);
}

TEST_F(CheckedComboTest, TheFaceShowsTheSelectedItemsCheckAndIconAndFollowsItsChecks)
{
    ASSERT_NE(face, nullptr);
    const RCPtr<LBitmap> icon = LBitmap::CreateFilledBitmap(2, 2, Color(0xFF0000FFu));
    checked->GetCheckedItemRecord(1).icon = ConstRCPtr<LBitmap>(icon);
    checked->SetItemChecked(1, true);

    EXPECT_EQ(combo->SetSelectedIndex(1), 1);
    EXPECT_EQ(face->GetValue(), 1.0);
    for (const int32_t look : {0, 7, 13})
    {
        ASSERT_NE(face->GetLook(look)->GetOverlay(), nullptr) << look;
        EXPECT_EQ(face->GetLook(look)->GetOverlay()->GetPicture(), ConstRCPtr<LBitmap>(icon)) << look;
    }

    EXPECT_EQ(combo->SetSelectedIndex(-1), -1);
    EXPECT_EQ(face->GetValue(), 1.0) << "the value stays";
    EXPECT_EQ(face->GetLook(0)->GetOverlay(), nullptr) << "the images go";

    (void)combo->SetSelectedIndex(0);
    EXPECT_EQ(face->GetValue(), 0.0);
    // The user checks the selected item in the list: the face follows.
    (void)combo->ShowDropDown(true);
    CheckSlot(0, true);
    EXPECT_EQ(face->GetValue(), 1.0);
    CheckSlot(0, false);
    EXPECT_EQ(face->GetValue(), 0.0);
}

TEST(CheckedComboBoxTest, APlainListBoxIsRefusedAfterTheComboBoxsOwnSetUp)
{
    ListBoxBench b(CheckedComboSkin("Framework.ListBox"), kItems,
                   {{u"Framework.CheckedComboBox", &LControl::CreateFromDescriptor<LCheckedComboBox>}});
    const RCPtr<LCheckedComboBox> combo = b.bench.Find<LCheckedComboBox>(u"combo");
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->Initialize(), E_FAIL);
    EXPECT_EQ(combo->GetCheckedListBox(), nullptr);
    ASSERT_NE(combo->GetListBox(), nullptr);
    EXPECT_TRUE(combo->GetListBox()->IsDropDownMode()) << "the combo box's part ran";
    EXPECT_EQ(combo->GetListBox()->GetItemCount(), 3u);
}
} // namespace
} // namespace ZQ
