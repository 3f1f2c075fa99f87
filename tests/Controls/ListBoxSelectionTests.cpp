#include "ListBoxBench.h"

#include "ZQFramework/Controls/Lists/ListBox.h"
#include "ZQFramework/Controls/Lists/ListBoxItem.h"
#include "ZQFramework/Controls/Sliders/ScrollBar.h"
#include "ZQFramework/Notification/ItemConditionsParam.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/ObjectBase/Holder.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ZQ
{
namespace
{
using ZQTest::ListBoxBench;
using ZQTest::ListSkin;
using ZQTest::RowTemplate;
using ZQTest::ScrollBarSkin;

// Items 3 and 4 cannot be selected, nor 0 to 4 when all is set.
class PickyList : public LListBox
{
public:
    [[nodiscard]] bool IsItemSelectable(int32_t index) const override
    {
        return AllBlocked ? index > 4 : index != 3 && index != 4;
    }
    bool AllBlocked = false;

    PickyList(CreateKey key, const RCPtr<LControl>& parent, const WString& name) : LListBox(key, parent, name)
    {
    }
};

// Keeps the parameters of what it receives.
class ParamLog : public LNotificationReceiver
{
public:
    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& /*source*/,
                                 const RCPtr<LNotification>& notification) override
    {
        Names.push_back(TestSupport::Utf8(WString(notification->GetID())));
        Params.push_back(notification->GetParam());
        return 0;
    }
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& /*source*/,
                                        NotificationID /*id*/) override
    {
        return 0;
    }
    std::vector<std::string> Names;
    std::vector<RCPtr<LRefCountedObject>> Params;
};

constexpr std::initializer_list<const char16_t*> kListNotifications{
    u"NID_SELECTION_CHANGE", u"NID_ITEM_ACTIVATED", u"NID_ITEM_DOUBLE_CLICKED", u"NID_ITEM_RIGHT_CLICK"};

RCPtr<ParamLog> Listen(const RCPtr<LListBox>& list)
{
    const RCPtr<ParamLog> log(new ParamLog());
    for (const char16_t* name : kListNotifications)
    {
        (void)list->RegisterClient(RCPtr<LNotificationReceiver>(log), name, 0);
    }
    return log;
}

// "list" is a PickyList with a vertical bar, rows of 20 pixels, 100 pixels high (90 when short: the fifth
// row is then partly shown).
struct ListBoxSelectionTest : ::testing::Test
{
    explicit ListBoxSelectionTest(int height = 100)
        : b(ListSkin(RowTemplate(20) + ScrollBarSkin("vBar", true), 100, height, "Test.PickyList"), {},
            {{u"Test.PickyList", &LControl::CreateFromDescriptor<PickyList>}})
    {
        b.Fill(10);
        (void)b.list->FillItemControls();
        log = Listen(b.list);
    }

    [[nodiscard]] std::vector<uint32_t> Selected() { return b.list->GetSelectedIndexes(); }

    ListBoxBench b;
    RCPtr<ParamLog> log;
};

TEST_F(ListBoxSelectionTest, KeysMoveTheCaretOverSelectableItemsAndActivateIt)
{
    constexpr uint32_t kUp = 0x20260000, kDown = 0x20280000, kShiftDown = 0x22280000, kCtrlDown = 0x21280000;
    constexpr uint32_t kEnter = 0x200d0000, kPageDown = 0x20220000;
    auto picky = RCPtr<PickyList>(b.list);
    struct Case
    {
        const char* what;
        int32_t caretBefore; // -1: nothing selected
        bool allBlocked;
        uint32_t key;
        ZQRESULT result;
        int32_t caretAfter;
        std::vector<std::string> sent;
    };
    const std::vector<Case> cases{
        {"Down with no caret selects the first item", -1, false, kDown, 0, 0, {"NID_SELECTION_CHANGE"}},
        {"Shift+Down moves on", 0, false, kShiftDown, 0, 1, {"NID_SELECTION_CHANGE"}},
        {"Up on the first item does nothing", 0, false, kUp, 0, 0, {}},
        {"Up skips unselectable items", 5, false, kUp, 0, 2, {"NID_SELECTION_CHANGE"}},
        {"Up over nothing selectable does nothing", 5, true, kUp, 0, 5, {}},
        {"Down skips unselectable items", 2, false, kDown, 0, 5, {"NID_SELECTION_CHANGE"}},
        {"Down on the last item does nothing", 9, false, kDown, 0, 9, {}},
        {"Enter activates the caret's item", 6, false, kEnter, 0, 6, {"NID_ITEM_ACTIVATED"}},
        {"Enter with no caret does nothing", -1, false, kEnter, 0, -1, {}},
        {"Ctrl+Down is left to the parent", 6, false, kCtrlDown, 1, 6, {}},
        {"another key is left to the parent", 6, false, 0x20410000, 1, 6, {}},
    };
    for (const Case& c : cases)
    {
        picky->AllBlocked = false;
        if (c.caretBefore < 0)
        {
            b.list->DeselectAll();
        }
        else
        {
            (void)b.list->SelectRange(c.caretBefore, -1, true);
        }
        picky->AllBlocked = c.allBlocked;
        log->Names.clear();
        EXPECT_EQ(b.Key(c.key), c.result) << c.what;
        EXPECT_EQ(b.list->GetCaretIndex(), c.caretAfter) << c.what;
        EXPECT_EQ(log->Names, c.sent) << c.what;
    }
    // An unselectable caret item is not activated.
    picky->AllBlocked = false;
    (void)b.list->SelectRange(3, -1, true);
    log->Names.clear();
    EXPECT_EQ(b.Key(kEnter), 0);
    EXPECT_TRUE(log->Names.empty());

    // Paging keys go to the vertical bar, which scrolls the rows.
    (void)b.list->EnsureVisible(0);
    EXPECT_EQ(b.Key(kPageDown), 0);
    EXPECT_GT(b.list->GetScrollOffset().y, 0);
    EXPECT_GT(b.list->GetTopIndex(), 0u);
}

TEST_F(ListBoxSelectionTest, RangesAddOrReplaceAndEndAtTheLastItem)
{
    (void)b.list->SelectRange(7, -1, true);
    EXPECT_EQ(b.list->SelectRange(2, 5, false), 2);
    EXPECT_EQ(Selected(), (std::vector<uint32_t>{2, 3, 4, 5, 7}));
    EXPECT_EQ(b.list->GetAnchorIndex(), 2);
    EXPECT_EQ(b.list->GetCaretIndex(), 5);
    EXPECT_EQ(b.list->SelectRange(2, 5, true), 2);
    EXPECT_EQ(Selected(), (std::vector<uint32_t>{2, 3, 4, 5}));
    EXPECT_EQ(b.list->GetSelectedCount(), 4);

    EXPECT_EQ(b.list->SelectRange(8, 20, true), 8);
    EXPECT_EQ(Selected(), (std::vector<uint32_t>{8, 9}));
    EXPECT_EQ(b.list->GetCaretIndex(), 9) << "the caret names an item";
    EXPECT_EQ(b.list->SelectRange(10, -1, true), E_INVALIDARG);
    EXPECT_EQ(b.list->SelectRange(-1, 2, true), E_INVALIDARG);
    EXPECT_EQ(Selected(), (std::vector<uint32_t>{8, 9}));
}

TEST_F(ListBoxSelectionTest, DeselectingTheCaretMovesItToASelectedNeighbour)
{
    (void)b.list->SelectRange(5, 6, true);
    (void)b.list->SelectRange(4, -1, false); // anchor and caret on 4; 5 and 6 selected
    EXPECT_EQ(b.list->GetCaretIndex(), 4);
    EXPECT_EQ(b.list->GetAnchorIndex(), 4);
    log->Names.clear();
    EXPECT_EQ(b.list->DeselectItem(4), 0);
    EXPECT_EQ(b.list->GetCaretIndex(), 5);
    EXPECT_EQ(b.list->GetAnchorIndex(), 5);
    EXPECT_EQ(log->Names, (std::vector<std::string>{"NID_SELECTION_CHANGE"}));
    EXPECT_EQ(b.list->DeselectItem(4), 1);
    EXPECT_EQ(b.list->DeselectItem(6), 0);
    EXPECT_EQ(b.list->DeselectItem(5), 0);
    EXPECT_EQ(b.list->GetCaretIndex(), -1);
    EXPECT_EQ(b.list->GetAnchorIndex(), -1);
    EXPECT_EQ(b.list->GetSelectedCount(), 0);
}

// Window points: the list's rows start at (10, 20); row k spans y 20 + 20k to 40 + 20k.
PointT<int32_t> OnRow(int32_t slot)
{
    return {50, 30 + 20 * slot};
}

TEST_F(ListBoxSelectionTest, APressSelectsAloneAndARightPressReportsWithoutSelecting)
{
    b.bench.MoveTo(OnRow(1));
    b.bench.Press();
    b.bench.Release();
    EXPECT_EQ(Selected(), (std::vector<uint32_t>{1}));
    EXPECT_EQ(log->Names, (std::vector<std::string>{"NID_SELECTION_CHANGE"}));

    log->Names.clear();
    b.bench.Press();
    b.bench.Release();
    EXPECT_TRUE(log->Names.empty()) << "the sole selected item pressed again";

    b.bench.MoveTo(OnRow(3));
    b.bench.Services.MouseButtons = 4;
    b.bench.Window->OnMouseButton(0, 4, 0, OnRow(3), 0);
    b.bench.Services.MouseButtons = 0;
    b.bench.Window->OnMouseButton(1, 4, 0, OnRow(3), 0);
    log->Params.erase(log->Params.begin());
    ASSERT_EQ(log->Names, (std::vector<std::string>{"NID_ITEM_RIGHT_CLICK"}));
    const RCPtr<LHolder<int>> index(log->Params[0]);
    ASSERT_NE(index, nullptr);
    EXPECT_EQ(*index->mValue, 3);
    EXPECT_EQ(Selected(), (std::vector<uint32_t>{1}));

    log->Names.clear();
    b.bench.MoveTo(OnRow(2));
    b.bench.Services.MouseButtons = 1;
    b.bench.Window->OnMouseButton(2, 1, 0, OnRow(2), 0);
    b.bench.Release();
    EXPECT_EQ(log->Names, (std::vector<std::string>{"NID_SELECTION_CHANGE", "NID_ITEM_DOUBLE_CLICKED"}));
}

std::vector<PointT<int32_t>> gCursorMoves;
ZQRESULT RecordCursorMove(int32_t x, int32_t y)
{
    gCursorMoves.push_back({x, y});
    return 0;
}

struct ShortListTest : ListBoxSelectionTest
{
    ShortListTest() : ListBoxSelectionTest(90) {}
};

TEST_F(ShortListTest, APressOnAPartlyShownRowScrollsItInWithCapturePointerAndFocus)
{
    gCursorMoves.clear();
    const LListBox::CursorPositioner previous = LListBox::SetCursorPositioner(&RecordCursorMove);
    const PointT<int32_t> press{50, 20 + 80 + 5}; // 5 pixels into the fifth row, which shows 10 of 20
    b.bench.MoveTo(press);
    b.bench.Press();
    EXPECT_EQ(Selected(), (std::vector<uint32_t>{4}));
    EXPECT_EQ(b.list->GetTopIndex(), 1u);
    const RCPtr<LControl> fourth = b.list->GetItemControl(3);
    EXPECT_EQ(b.list->GetItemIndexOfControl(fourth.Get()), 4);
    EXPECT_EQ(b.bench.Window->GetCaptureControl(), fourth);
    EXPECT_EQ(b.bench.Window->GetFocusControl(), fourth);
    // Five pixels into the fourth row (window y 80 to 100), through the fake screen at (100, 50).
    ASSERT_EQ(gCursorMoves.size(), 1u);
    EXPECT_EQ(gCursorMoves[0], (PointT<int32_t>{150, 50 + 85}));
    b.bench.Release();
    (void)LListBox::SetCursorPositioner(previous);
}

TEST_F(ListBoxSelectionTest, DropDownModeSelectsByHoverAndActivatesOnRelease)
{
    (void)b.list->SetDropDownMode(true);
    // Hover selects without notifying.
    b.bench.MoveTo(OnRow(2));
    EXPECT_EQ(Selected(), (std::vector<uint32_t>{2}));
    EXPECT_TRUE(log->Names.empty());
    // A press goes to the list box; dragging over another row selects it, out of all rows deselects.
    b.bench.Press();
    EXPECT_EQ(b.bench.Window->GetCaptureControl(), RCPtr<LControl>(b.list));
    b.bench.MoveTo(OnRow(1));
    EXPECT_EQ(Selected(), (std::vector<uint32_t>{1}));
    b.bench.MoveTo(OnRow(3));
    EXPECT_EQ(Selected(), (std::vector<uint32_t>{1})) << "an unselectable row is passed over";
    b.bench.MoveTo({200, 200});
    EXPECT_TRUE(Selected().empty());
    b.bench.MoveTo(OnRow(0));
    EXPECT_EQ(Selected(), (std::vector<uint32_t>{0}));
    // The release over a row activates it and hides the list.
    b.bench.Release();
    EXPECT_EQ(log->Names, (std::vector<std::string>{"NID_ITEM_ACTIVATED"}));
    EXPECT_FALSE(b.list->IsVisible(false));
}
} // namespace
} // namespace ZQ

namespace ZQ
{
namespace
{
// A control that plays a combo box: the list box's drop-down owner.
class FakeComboBox : public LControl
{
public:
    FakeComboBox(CreateKey /*key*/, const RCPtr<LControl>& parent, const WString& name)
        : LControl(parent, name)
    {
    }
};

bool IsFakeComboBox(const LControl& control)
{
    return dynamic_cast<const FakeComboBox*>(&control) != nullptr;
}

TEST(ListBoxDropDownTest, AReleaseOutsideTheOwningComboBoxHidesTheListWithoutActivation)
{
    LListBox::AddDropDownOwnerTest(&IsFakeComboBox);
    for (const bool owned : {true, false})
    {
        const std::string ownerClass = owned ? "Test.FakeComboBox" : "Test.Panel";
        ListBoxBench b(
            R"(<SubControl Class="Test.Panel" Name="main" XSizeAbs="400" YSizeAbs="300"><Skin Name="main" LookList="one"/>
                 <SubControl Class=")" +
                ownerClass +
                R"(" Name="combo" XSizeAbs="200" YSizeAbs="200"><Skin Name="combo" LookList="one"/>
                   <SubControl Class="Framework.ListBox" Name="list" XPositionAbs="10" YPositionAbs="20" XSizeAbs="100" YSizeAbs="60">
                     <Skin Name="list" LookList="one"/>)" +
                RowTemplate(20) + "</SubControl></SubControl></SubControl>",
            {}, {{u"Test.FakeComboBox", &LControl::CreateFromDescriptor<FakeComboBox>}});
        const RCPtr<LListBox> list = b.bench.Find<LListBox>(u"combo/list");
        ASSERT_NE(list, nullptr);
        b.list = list;
        b.Fill(3);
        (void)list->FillItemControls();
        (void)list->SetDropDownMode(true);
        const RCPtr<ParamLog> log = Listen(list);

        // Released on the combo box beside the list: the list stays open.
        b.bench.MoveTo({50, 30});
        b.bench.Press();
        b.bench.MoveTo({150, 150});
        b.bench.Release();
        EXPECT_TRUE(list->IsVisible(false)) << owned;
        // Released outside the combo box: only a combo box's list closes.
        b.bench.MoveTo({50, 30});
        b.bench.Press();
        b.bench.MoveTo({300, 250});
        b.bench.Release();
        EXPECT_EQ(list->IsVisible(false), !owned) << owned;
        EXPECT_TRUE(log->Names.empty()) << owned;
    }
}
} // namespace
} // namespace ZQ
