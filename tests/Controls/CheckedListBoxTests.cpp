#include "ListBoxBench.h"

#include "ZQFramework/ControlBase/Control/Look.h"
#include "ZQFramework/ControlBase/Control/VisualPart.h"
#include "ZQFramework/Controls/Buttons/Button.h"
#include "ZQFramework/Controls/Lists/CheckedListBox.h"
#include "ZQFramework/Controls/Lists/CheckedListBoxItem.h"
#include "ZQFramework/Notification/IndexedDataWithValueParam.h"
#include "ZQFramework/Notification/Notification.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace ZQ
{
namespace
{
using ZQTest::ListBoxBench;
using ZQTest::ListSkin;
using ZQTest::RowTemplate;

// Rows of 20 pixels whose check box is 10 x 10 at (0, 5).
const std::string kCheckedRow = RowTemplate(
    20, "Framework.CheckedListBoxItem",
    R"(<SubControl Class="Framework.Button" Name="checkBox" YPositionAbs="5" XSizeAbs="10" YSizeAbs="10"><Skin Name="box" LookList="looks14"/></SubControl>)");

// A class derived from the checked list box, as the popup menu and the tree view are.
class DerivedList : public LCheckedListBox
{
public:
    DerivedList(CreateKey key, const RCPtr<LControl>& parent, const WString& name)
        : LCheckedListBox(key, parent, name)
    {
    }
};

struct CheckedBench : ListBoxBench
{
    explicit CheckedBench(const std::string& skin, int32_t skinIndex = 0)
        : ListBoxBench(
              skin, {},
              {{u"Framework.CheckedListBox", &LControl::CreateFromDescriptor<LCheckedListBox>},
               {u"Framework.ListBoxWithIcons", &LControl::CreateFromDescriptor<LCheckedListBox>},
               {u"Framework.CheckedListBoxItem", &LControl::CreateFromDescriptor<LCheckedListBoxItem>},
               {u"Test.DerivedList", &LControl::CreateFromDescriptor<DerivedList>}},
              skinIndex)
    {
        checked = RCPtr<LCheckedListBox>(list);
    }

    [[nodiscard]] RCPtr<LButton> Box(int32_t slot) const
    {
        return checked->GetCheckedItemControl(slot)->GetCheckBox();
    }

    RCPtr<LCheckedListBox> checked;
};

// The window point on the check box of a slot: the list's rows start at (10, 20).
PointT<int32_t> OnBox(int32_t slot)
{
    return {15, 30 + 20 * slot};
}

struct CheckedListBoxTest : ::testing::Test
{
    CheckedListBoxTest()
    {
        b.Fill(10);
        (void)b.list->FillItemControls();
        log = b.bench.Listen(RCPtr<LControl>(b.list), {u"NID_ITEM_CHECK_CHANGE", u"NID_SELECTION_CHANGE"});
    }

    CheckedBench b{ListSkin(kCheckedRow, 100, 100, "Framework.CheckedListBox")};
    RCPtr<ZQTest::NotificationLog> log;
};

TEST_F(CheckedListBoxTest, AClickOnACheckBoxChecksCountsSelectsAloneAndReports)
{
    ASSERT_NE(b.checked, nullptr);
    ASSERT_EQ(b.checked->GetItemControlCount(), 5u);
    EXPECT_TRUE(b.Box(0)->IsNotFocusable());
    RCPtr<LIndexedDataWithValueParam> reported;
    struct Catch : LNotificationReceiver
    {
        RCPtr<LIndexedDataWithValueParam>* out;
        ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>&,
                                     const RCPtr<LNotification>& n) override
        {
            *out = RCPtr<LIndexedDataWithValueParam>(n->GetParam());
            return 0;
        }
        ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>&, NotificationID) override
        {
            return 0;
        }
    };
    const RCPtr<Catch> catcher(new Catch());
    catcher->out = &reported;
    (void)b.list->RegisterClient(RCPtr<LNotificationReceiver>(catcher), u"NID_ITEM_CHECK_CHANGE", 0);

    (void)b.list->SelectRange(0, 3, true);
    log->Entries.clear();
    b.bench.MoveTo(OnBox(2));
    b.bench.Press();
    b.bench.Release();
    EXPECT_TRUE(b.checked->IsItemChecked(2));
    EXPECT_EQ(b.checked->GetCheckedCount(), 1);
    EXPECT_EQ(b.list->GetSelectedIndexes(), (std::vector<uint32_t>{2}));
    ASSERT_EQ(log->Entries.size(), 2u);
    EXPECT_EQ(log->Entries[0].first, "NID_SELECTION_CHANGE");
    EXPECT_EQ(log->Entries[1].first, "NID_ITEM_CHECK_CHANGE");
    ASSERT_NE(reported, nullptr);
    EXPECT_EQ(reported->mIndex, 2);
    EXPECT_EQ(reported->mValue, 1.0);

    // Again: unchecked, counted down, already the only selected item.
    log->Entries.clear();
    b.bench.Press();
    b.bench.Release();
    EXPECT_FALSE(b.checked->IsItemChecked(2));
    EXPECT_EQ(b.checked->GetCheckedCount(), 0);
    ASSERT_EQ(log->Entries.size(), 1u);
    EXPECT_EQ(reported->mValue, 0.0);
}

TEST_F(CheckedListBoxTest, ShowingItemsSetsTheBoxesWithoutCountingAChecks)
{
    b.checked->SetItemChecked(0, true);
    b.checked->SetItemChecked(0, true);
    b.checked->SetItemChecked(10, true);
    EXPECT_EQ(b.checked->GetCheckedCount(), 1);
    EXPECT_EQ(b.Box(0)->GetValue(), 1.0);
    (void)b.list->SetScrollOffset({0, 20});
    EXPECT_EQ(b.list->GetTopIndex(), 1u);
    EXPECT_EQ(b.Box(0)->GetValue(), 0.0) << "slot 0 shows item 1 now";
    (void)b.list->SetScrollOffset({0, 0});
    EXPECT_EQ(b.Box(0)->GetValue(), 1.0);
    EXPECT_TRUE(log->Entries.empty());
    EXPECT_EQ(b.checked->GetCheckedCount(), 1);
}

TEST_F(CheckedListBoxTest, RowsPastTheEndHideTheirBoxAndRemovalsKeepTheCount)
{
    (void)b.list->SetItemCount(3);
    for (int32_t slot = 0; slot < 5; ++slot)
    {
        EXPECT_EQ(b.Box(slot)->IsVisible(false), slot < 3) << slot;
    }
    b.checked->SetItemChecked(0, true);
    b.checked->SetItemChecked(2, true);
    EXPECT_EQ(b.list->RemoveItem(0), 2);
    EXPECT_EQ(b.checked->GetCheckedCount(), 1);
    EXPECT_TRUE(b.checked->IsItemChecked(1));
    EXPECT_EQ(b.list->RemoveAllItems(), 0);
    EXPECT_EQ(b.checked->GetCheckedCount(), 0);
}

TEST_F(CheckedListBoxTest, WithoutAutoValueAClickReportsAndLeavesTheMark)
{
    b.checked->SetCheckBoxAutoValue(false);
    const auto clicks = b.bench.Listen(RCPtr<LControl>(b.list), {u"NID_ITEM_CHECKBOX_CLICKED"});
    b.bench.MoveTo(OnBox(1));
    b.bench.Press();
    b.bench.Release();
    EXPECT_EQ(clicks->Entries.size(), 1u);
    EXPECT_FALSE(b.checked->IsItemChecked(1));
    EXPECT_EQ(b.checked->GetCheckedCount(), 0);
    EXPECT_EQ(b.list->GetSelectedIndexes(), (std::vector<uint32_t>{1}));
}

// A 3 x 1 PNG: red, green, blue.
constexpr unsigned char kIconsPng[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44,
    0x52, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00, 0x1b,
    0xe0, 0x14, 0xb4, 0x00, 0x00, 0x00, 0x12, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9c, 0x63, 0xf8,
    0xcf, 0xc0, 0xf0, 0x1f, 0x0c, 0x19, 0xfe, 0xff, 0x07, 0x00, 0x23, 0xe9, 0x05, 0xfb, 0x70,
    0x95, 0x9d, 0x62, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};

// The icons file, named in lower case as the skin reader reads image names.
struct IconsFile
{
    IconsFile()
    {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(kIconsPng), sizeof(kIconsPng));
    }
    ~IconsFile() { std::filesystem::remove(path); }
    IconsFile(const IconsFile&) = delete;
    IconsFile& operator=(const IconsFile&) = delete;

    std::string path = "/tmp/zq-checked-list-icons-" + std::to_string(getpid()) + ".png";
};

// A list class whose look list has a fourth look with the three pixels of the icons file as parts. The
// definitions stand between two skins (a document reads looks outside skins only): the list is in the
// second skin.
std::string IconListSkin(const std::string& file, const std::string& listClass)
{
    std::string parts = "<Parts>";
    std::string nonClient;
    for (int i = 0; i < 3; ++i)
    {
        const std::string name = "icon" + std::to_string(i);
        parts += R"(<Part Name=")" + name + R"(" ImageFile=")" + file + R"(" ImageLocX=")" +
                 std::to_string(i) + R"(" ImageLocY="0" Width="1" Height="1" ResizeType="Stretch"/>)";
        nonClient +=
            R"(<NonClientPart Name=")" + name + R"(" OffsetLeft="0" OffsetTop="0" Width="1" Height="1"/>)";
    }
    parts += "</Parts>";
    const std::string looks =
        R"(<Looks><Look Name="icons"><ClientPart Name="fill" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/><NonClientParts>)" +
        nonClient + R"(</NonClientParts></Look></Looks>
        <LookLists><LookList Name="withIcons" NumLooks="4"><Look Index="0" Name="plain"/><Look Index="1" Name="plain"/>
          <Look Index="2" Name="plain"/><Look Index="3" Name="icons"/></LookList></LookLists>)";
    std::string list = ListSkin(kCheckedRow, 100, 100, listClass);
    const std::string oneLooks = R"(<Skin Name="list" LookList="one"/>)";
    list.replace(list.find(oneLooks), oneLooks.size(), R"(<Skin Name="list" LookList="withIcons"/>)");
    return "</Skin></Skins>" + parts + looks + R"(<Skins><Skin Name="icons">)" + list;
}

TEST(CheckedListBoxIcons, APlainCheckedListTakesTheFourthLooksPicturesAsIconsAndMakesItsBoxesPassive)
{
    const IconsFile icons;
    CheckedBench b(IconListSkin(icons.path, "Framework.ListBoxWithIcons"), 1);
    ASSERT_NE(b.checked, nullptr);
    ASSERT_EQ(b.checked->GetIconCount(), 3u);
    b.Fill(6);
    const std::vector<ConstRCPtr<LBitmap>> expected{b.checked->GetItemIcon(0), b.checked->GetItemIcon(1),
                                                    b.checked->GetItemIcon(2)};
    EXPECT_NE(expected[0], expected[1]);
    EXPECT_NE(expected[1], expected[2]);
    for (int32_t i = 0; i < 6; ++i)
    {
        EXPECT_EQ(b.checked->GetItemIcon(i), expected[static_cast<size_t>(i % 3)]) << i;
    }
    EXPECT_EQ(b.checked->GetItemIcon(6), nullptr);
    (void)b.list->FillItemControls();
    for (int32_t slot = 0; slot < 5; ++slot)
    {
        const RCPtr<LButton> box = b.Box(slot);
        EXPECT_TRUE(box->IsPassive()) << slot;
        const RCPtr<LLook> look = box->GetLook(0);
        ASSERT_NE(look, nullptr);
        ASSERT_NE(look->GetOverlay(), nullptr) << slot;
        EXPECT_EQ(look->GetOverlay()->GetPicture(), expected[static_cast<size_t>(slot % 3)]) << slot;
    }

    CheckedBench derived(IconListSkin(icons.path, "Test.DerivedList"), 1);
    ASSERT_NE(derived.checked, nullptr);
    EXPECT_EQ(derived.checked->GetIconCount(), 0u) << "only a plain checked list box takes the icon list";
    EXPECT_FALSE(derived.checked->AreCheckBoxesPassive());
}
} // namespace
} // namespace ZQ
