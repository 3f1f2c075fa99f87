#include "ListBoxBench.h"

#include "ZQFramework/Controls/Lists/ListBox.h"
#include "ZQFramework/Controls/Lists/ListBoxItem.h"
#include "ZQFramework/Controls/Sliders/ScrollBar.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ZQ
{
namespace
{
using Texts = std::vector<std::string>;
using ZQTest::ListBoxBench;
using ZQTest::ListSkin;
using ZQTest::RowTemplate;

TEST(ListBoxTest, ATemplateOfTwentyPixelsInAHundredGivesFiveRowsWhateverTheItemCount)
{
    for (const int items : {0, 3, 10000})
    {
        ListBoxBench b(ListSkin(RowTemplate(20)));
        ASSERT_NE(b.list, nullptr);
        b.Fill(items);
        (void)b.list->FillItemControls();
        EXPECT_EQ(b.list->GetItemControlCount(), 5u) << items;
        EXPECT_EQ(b.list->GetRowHeight(), 20);
        EXPECT_EQ(b.list->FindChild(u"templateItem"), nullptr);
        for (int n = 1; n <= 5; ++n)
        {
            const RCPtr<LListBoxItem> row =
                b.bench.Find<LListBoxItem>(u"list/ItemControl" + std::u16string(1, u'0' + n));
            ASSERT_NE(row, nullptr) << n;
            EXPECT_EQ(row->GetRect().y, (n - 1) * 20.0) << n;
            EXPECT_EQ(row->IsEnabled(false), n <= items) << n;
        }
        EXPECT_EQ(b.list->FindChild(u"ItemControl6"), nullptr);
        if (items == 3)
        {
            EXPECT_EQ(b.RowTexts(), (Texts{"0", "1", "2", "", ""}));
        }
    }
}
// A list box that logs the records it removes, in order.
class RemovalLog : public LListBox
{
public:
    void RemoveItemRecord(int32_t index) override
    {
        Removed.push_back(index);
        LListBox::RemoveItemRecord(index);
    }
    std::vector<int32_t> Removed;

    RemovalLog(CreateKey key, const RCPtr<LControl>& parent, const WString& name)
        : LListBox(key, parent, name)
    {
    }
};

// The texts of items first, first + 1, ... as the rows show them.
Texts Items(std::initializer_list<int> indexes)
{
    Texts texts;
    for (const int i : indexes)
    {
        texts.push_back(i < 0 ? std::string() : std::to_string(i));
    }
    return texts;
}

TEST(ListBoxTest, HiddenItemsAreSkippedByTheRowsTheContentHeightAndScrolling)
{
    ListBoxBench b(ListSkin(RowTemplate(20)));
    b.Fill(10);
    EXPECT_EQ(b.list->SetItemHidden(2, true), 0);
    EXPECT_EQ(b.list->SetItemHidden(2, true), 1);
    EXPECT_EQ(b.list->SetItemHidden(10, true), E_INVALIDARG);
    (void)b.list->UpdateItemControlsFrom(0);
    EXPECT_EQ(b.RowTexts(), Items({0, 1, 3, 4, 5}));
    EXPECT_EQ(b.list->GetContentHeight(), 9 * 20);
    EXPECT_EQ(b.list->GetItemControlSlot(2), -1);
    EXPECT_EQ(b.list->GetItemControlSlot(3), 2);
    EXPECT_EQ(b.list->GetItemIndexOfControl(b.list->GetItemControl(2).Get()), 3);

    (void)b.list->SetScrollOffset({0, 40}); // row 2
    EXPECT_EQ(b.list->GetTopIndex(), 3u);
    EXPECT_EQ(b.RowTexts(), Items({3, 4, 5, 6, 7}));
    EXPECT_EQ(b.list->RowOfItem(3), 2);
}

// The list's rows checked against a plain model of its hidden flags: every item's row, the slot of every
// index (past the end too), the content height, and the top item after scrolls past the end, to the
// first row, the middle and the last full page, and after EnsureVisible of the last and the first item.
void ExpectRowsMatchTheFlags(ListBoxBench& b, const std::string& step)
{
    LListBox& list = *b.list;
    const auto count = static_cast<int32_t>(list.GetItemCount());
    std::vector<int32_t> shownItems;
    for (int32_t i = 0; i < count; ++i)
    {
        if (!list.GetItemRecord(i).hidden)
        {
            shownItems.push_back(i);
        }
    }
    const auto shown = static_cast<int32_t>(shownItems.size());
    EXPECT_EQ(list.GetContentHeight(), 20 * shown) << step;
    for (int32_t i = 0, row = 0; i <= count; ++i)
    {
        EXPECT_EQ(list.RowOfItem(i), row) << step << ", item " << i;
        row += i < count && !list.GetItemRecord(i).hidden ? 1 : 0;
    }
    if (shown == 0)
    {
        return;
    }
    const auto shownAt = [&](int32_t row)
    { return shownItems[static_cast<size_t>(std::clamp(row, 0, shown - 1))]; };
    // The first scroll moves away from the top, where the previous step left the list: a scroll that does
    // not change the offset leaves the top item alone.
    for (const int32_t row : {shown + 3, 0, shown / 2, shown - 5, shown - 1})
    {
        (void)list.SetScrollOffset({0, 20.0 * row});
        const auto top = static_cast<int32_t>(list.GetScrollOffset().y) / 20;
        EXPECT_EQ(list.GetTopIndex(), static_cast<uint32_t>(shownAt(top))) << step << ", row " << row;
        // Slots: the shown items from the top, then one per index past the end, five in all.
        const auto topIndex = static_cast<int32_t>(list.GetTopIndex());
        int32_t slot = 0;
        for (int32_t i = topIndex; i < count + 6; ++i)
        {
            const bool placed = i >= count || !list.GetItemRecord(i).hidden;
            EXPECT_EQ(list.GetItemControlSlot(i), placed && slot < 5 ? slot : -1) << step << ", index " << i;
            slot += placed ? 1 : 0;
        }
        EXPECT_EQ(list.GetItemControlSlot(topIndex - 1), -1) << step;
    }
    (void)list.EnsureVisible(count - 1);
    EXPECT_EQ(list.GetTopIndex(), static_cast<uint32_t>(shownAt(shown - 5))) << step;
    (void)list.EnsureVisible(0);
    EXPECT_EQ(list.GetTopIndex(), static_cast<uint32_t>(shownAt(0))) << step;
}

TEST(ListBoxTest, RowsOfHiddenItemsStayRightThroughInsertsRemovalsSortsAndScrollsToBothEnds)
{
    ListBoxBench b(ListSkin(RowTemplate(20)));
    b.Fill(40);
    ExpectRowsMatchTheFlags(b, "none hidden");
    for (int32_t i = 0; i < 40; i += 3)
    {
        (void)b.list->SetItemHidden(i, true);
    }
    (void)b.list->SetItemHidden(39, true);
    ExpectRowsMatchTheFlags(b, "every third and the last hidden");

    const struct
    {
        const char* step;
        void (*change)(LListBox& list);
    } steps[] = {
        {"a shown item removed", [](LListBox& list) { (void)list.RemoveItem(4); }},
        {"a hidden item removed", [](LListBox& list) { (void)list.RemoveItem(5); }},
        {"items inserted at the top and in the middle",
         [](LListBox& list)
         {
             (void)list.InsertItem(0, LListBox::MakeTextItem(u"new top"));
             (void)list.InsertItem(20, LListBox::MakeTextItem(u"new middle"));
         }},
        {"items shown again",
         [](LListBox& list)
         {
             (void)list.SetItemHidden(1, false);
             (void)list.SetItemHidden(18, false);
         }},
        {"sorted, the flags moving with their items", [](LListBox& list) { (void)list.SortItems(); }},
        {"a run of items hidden at the end",
         [](LListBox& list)
         {
             for (auto i = static_cast<int32_t>(list.GetItemCount()) - 12;
                  i < static_cast<int32_t>(list.GetItemCount()); ++i)
             {
                 (void)list.SetItemHidden(i, true);
             }
         }},
        {"the top item hidden",
         [](LListBox& list) { (void)list.SetItemHidden(static_cast<int32_t>(list.GetTopIndex()), true); }},
        {"the last items removed",
         [](LListBox& list)
         {
             for (int n = 0; n < 6; ++n)
             {
                 (void)list.RemoveItem(static_cast<int32_t>(list.GetItemCount()) - 1);
             }
         }},
        {"every item hidden but one",
         [](LListBox& list)
         {
             for (int32_t i = 1; i < static_cast<int32_t>(list.GetItemCount()); ++i)
             {
                 (void)list.SetItemHidden(i, true);
             }
             (void)list.SetItemHidden(0, false);
         }},
        {"all removed and filled again",
         [](LListBox& list)
         {
             (void)list.RemoveAllItems();
             for (int32_t i = 0; i < 12; ++i)
             {
                 (void)list.InsertItem(i, LListBox::MakeTextItem(u"again"));
             }
             (void)list.SetItemHidden(11, true);
         }},
    };
    for (const auto& step : steps)
    {
        step.change(*b.list);
        ExpectRowsMatchTheFlags(b, step.step);
    }
}

TEST(ListBoxTest, AnOffsetBecomesRowsByTruncation)
{
    ListBoxBench b(ListSkin(RowTemplate(14)));
    b.Fill(20);
    EXPECT_EQ(b.list->GetRowHeight(), 14);
    (void)b.list->SetScrollOffset({0, 35});
    EXPECT_EQ(b.list->GetTopIndex(), 2u);
}

TEST(ListBoxTest, HidingTheTopItemAtTheTopMakesTheNextShownItemTheTop)
{
    ListBoxBench b(ListSkin(RowTemplate(20)));
    b.Fill(10);
    EXPECT_EQ(b.list->SetItemHidden(0, true), 0);
    EXPECT_EQ(b.list->GetTopIndex(), 1u);
    (void)b.list->UpdateItemControlsFrom(0);
    EXPECT_EQ(b.RowTexts(), Items({1, 2, 3, 4, 5}));
}

TEST(ListBoxTest, ASortThatMovesAHiddenItemToTheTopShowsAndCountsTheRowsFromTheNextShownItem)
{
    ListBoxBench b(ListSkin(RowTemplate(20)));
    b.Fill({u"z", u"a", u"b", u"c", u"d", u"e", u"f"});
    EXPECT_EQ(b.list->SetItemHidden(1, true), 0);
    EXPECT_TRUE(b.list->SortItems());
    ASSERT_EQ(b.list->GetTopIndex(), 0u);
    ASSERT_TRUE(b.list->GetItemRecord(0).hidden) << "the hidden a is now the top item";
    EXPECT_EQ(b.RowTexts(), (Texts{"b", "c", "d", "e", "f"}));
    for (int32_t slot = 0; slot < 5; ++slot)
    {
        const int32_t index = b.list->GetItemIndexOfControl(b.list->GetItemControl(slot).Get());
        EXPECT_EQ(index, slot + 1) << "slot " << slot;
        EXPECT_EQ(b.list->GetItemControlSlot(index), slot) << "slot " << slot;
    }
}

TEST(ListBoxTest, EnsureVisibleScrollsOnlyAsFarAsNeeded)
{
    ListBoxBench b(ListSkin(RowTemplate(20)));
    b.Fill(20); // five rows fully shown
    struct Case
    {
        const char* what;
        int32_t index;
        uint32_t top;
    };
    const std::vector<Case> cases{
        {"already fully shown: no scroll", 3, 0},
        {"below the last full row: it becomes the last full row", 7, 3},
        {"beyond the last full page: the last full page", 19, 15},
        {"above the top: it becomes the top", 1, 1},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(b.list->EnsureVisible(c.index), 0) << c.what;
        EXPECT_EQ(b.list->GetTopIndex(), c.top) << c.what;
        EXPECT_EQ(b.list->GetScrollOffset().y, c.top * 20.0) << c.what;
    }
    EXPECT_EQ(b.list->EnsureVisible(20), E_INVALIDARG);
}

TEST(ListBoxTest, SetItemCountGrowsWithEmptyItemsAndShrinksFromTheEnd)
{
    ListBoxBench b(ListSkin(RowTemplate(20), 100, 100, "Test.RemovalLog"), {},
                   {{u"Test.RemovalLog", &LControl::CreateFromDescriptor<RemovalLog>}});
    const RCPtr<RemovalLog> list(b.list);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->SetItemCount(5), 5);
    EXPECT_EQ(list->GetItemCount(), 5u);
    EXPECT_EQ(b.RowTexts(), Items({-1, -1, -1, -1, -1}));
    EXPECT_TRUE(b.list->GetItemControl(4)->IsEnabled(false));
    EXPECT_EQ(list->SetItemCount(2), 2);
    EXPECT_EQ(list->Removed, (std::vector<int32_t>{4, 3, 2}));
    EXPECT_EQ(list->SetItemCount(2), 2);
    EXPECT_EQ(list->Removed.size(), 3u);
    EXPECT_FALSE(b.list->GetItemControl(2)->IsEnabled(false));
}

TEST(ListBoxTest, ItemKeysOfTheStringTableGiveTheItemsAndOddNumbersAreSkipped)
{
    ListBoxBench b(ListSkin(RowTemplate(20)),
                   R"(<StringTable ID="Test.Panel|list">
                        <String ID="ITEM.0"><Locale LCID="0x0009">Alpha</Locale></String>
                        <String ID="ITEM.2"><Locale LCID="0x0009">Gamma</Locale></String>
                        <String ID="ITEM.-1"><Locale LCID="0x0009">Negative</Locale></String>
                        <String ID="ITEM.70000"><Locale LCID="0x0009">Far</Locale></String>
                        <String ID="item.1"><Locale LCID="0x0009">Lower case</Locale></String>
                      </StringTable>)");
    ASSERT_EQ(b.list->GetItemCount(), 3u);
    EXPECT_EQ(b.list->GetItemText(0), WString(u"Alpha"));
    EXPECT_EQ(b.list->GetItemText(1), WString());
    EXPECT_EQ(b.list->GetItemText(2), WString(u"Gamma"));
    EXPECT_EQ(b.list->LoadItemsFromCreateParams(nullptr), E_INVALIDARG);
}

TEST(ListBoxTest, SearchStartsAfterTheStartAndWrapsRound)
{
    ListBoxBench b(ListSkin(RowTemplate(20)));
    b.Fill({u"a", u"B", u"b"});
    EXPECT_EQ(b.list->FindAndSelectItemByText(u"b", 1, false), 2);
    EXPECT_TRUE(b.list->IsItemSelected(2));
    EXPECT_EQ(b.list->FindAndSelectItemByText(u"b", 2, false), 1);
    EXPECT_TRUE(b.list->IsItemSelected(1));
    EXPECT_FALSE(b.list->IsItemSelected(2));
    EXPECT_EQ(b.list->FindAndSelectItemByText(u"b", 0, true), 2);
    EXPECT_EQ(b.list->FindAndSelectItemByText(u"z", 0, false), -1);
    EXPECT_EQ(b.list->FindLastItemByText(u"A", false), 0);
    EXPECT_EQ(b.list->FindLastItemByText(u"A", true), -1);

    ListBoxBench x(ListSkin(RowTemplate(20)));
    x.Fill({u"X", u"x"});
    EXPECT_EQ(x.list->FindLastItemByText(u"x", false), 1);
}

TEST(ListBoxTest, SortingOrdersWithoutCaseAndTheCaretFollowsItsItem)
{
    struct Case
    {
        int32_t caret;
        int32_t caretAfter;
    };
    for (const Case c : {Case{2, 2}, Case{1, 0}, Case{0, 1}})
    {
        ListBoxBench b(ListSkin(RowTemplate(20)));
        b.Fill({u"b", u"A", u"c"});
        (void)b.list->SelectRange(c.caret, -1, true);
        EXPECT_TRUE(b.list->SortItems());
        EXPECT_EQ(b.RowTexts(), (Texts{"A", "b", "c", "", ""}));
        EXPECT_EQ(b.list->GetCaretIndex(), c.caretAfter) << c.caret;
        EXPECT_EQ(b.list->GetAnchorIndex(), c.caretAfter) << c.caret;
        EXPECT_TRUE(b.list->IsItemSelected(c.caretAfter)) << "the selection moves with its record";
    }
    // A longer range in a scrambled order, sorted in part.
    ListBoxBench many(ListSkin(RowTemplate(20)));
    for (int i = 0; i < 40; ++i)
    {
        (void)many.list->InsertItem(i, LListBox::MakeTextItem(WString::Format(u"%02d", (i * 17) % 40)));
    }
    EXPECT_EQ(many.list->SortItemRange(5, 30), 0);
    for (int i = 6; i < 35; ++i)
    {
        EXPECT_LT(TestSupport::Utf8(many.list->GetItemText(i - 1)),
                  TestSupport::Utf8(many.list->GetItemText(i)));
    }
    EXPECT_EQ(many.list->GetItemText(0), WString(u"00"));
    EXPECT_EQ(many.list->GetItemText(39), WString::Format(u"%02d", (39 * 17) % 40));

    ListBoxBench b(ListSkin(RowTemplate(20)));
    b.Fill({u"b", u"A"});
    EXPECT_EQ(b.list->SortItemRange(0, 0), 1);
    EXPECT_EQ(b.list->SortItemRange(1, 2), E_INVALIDARG);
    EXPECT_EQ(b.list->SortItemRange(-1, 1), E_INVALIDARG);
}

TEST(ListBoxTest, InsertingAndRemovingMoveCaretAndAnchorWithTheirItems)
{
    ListBoxBench b(ListSkin(RowTemplate(20)));
    b.Fill(6);
    EXPECT_EQ(b.list->InsertItem(7, nullptr), E_INVALIDARG);
    EXPECT_EQ(b.list->InsertItem(-1, nullptr), E_INVALIDARG);

    (void)b.list->SelectRange(2, 4, true); // anchor 2, caret 4
    EXPECT_EQ(b.list->InsertItem(0, ZQ::LListBox::MakeTextItem(u"new")), 0);
    EXPECT_EQ(b.list->GetAnchorIndex(), 3);
    EXPECT_EQ(b.list->GetCaretIndex(), 5);
    EXPECT_EQ(b.list->GetItemText(b.list->GetCaretIndex()), WString(u"4"));

    EXPECT_EQ(b.list->RemoveItem(0), 6);
    EXPECT_EQ(b.list->GetAnchorIndex(), 2);
    EXPECT_EQ(b.list->GetCaretIndex(), 4);
    EXPECT_EQ(b.list->RemoveItem(3), 5) << "between anchor and caret";
    EXPECT_EQ(b.list->GetAnchorIndex(), -1);
    EXPECT_EQ(b.list->GetCaretIndex(), -1);
    EXPECT_EQ(b.list->GetSelectedCount(), 2);
    EXPECT_EQ(b.list->RemoveItem(5), E_INVALIDARG);
    EXPECT_EQ(b.list->RemoveAllItems(), 0);
    EXPECT_EQ(b.list->GetSelectedCount(), 0);
    EXPECT_EQ(b.list->RemoveAllItems(), 1);
}

TEST(ListBoxTest, AChildLeavingAfterThePoolGrewLeavesEverySlotOnItsOwnRow)
{
    ListBoxBench b(ListSkin(RowTemplate(20)));
    b.Fill(30);
    // A child that is not a row, as a tool tip would be, then more rows behind it.
    const RCPtr<LControlDescriptor> descriptor =
        LControlDescriptor::Create(u"Test.Panel", u"toolTip", nullptr);
    const RCPtr<LControl> tip = LControl::CreateFromDescriptor<LControl>(RCPtr<LControl>(b.list), descriptor);
    ASSERT_NE(tip, nullptr);
    LLayoutDescriptor::AxisPosition position;
    LLayoutDescriptor::AxisSize size;
    (void)b.list->GetLayout()->GetAxis(1, position, size);
    size.Abs = 140;
    (void)b.list->SetAxisPlacement(1, position, size);
    (void)b.list->FillItemControls();
    ASSERT_EQ(b.list->GetItemControlCount(), 7u);

    EXPECT_EQ(b.list->RemoveChildLater(tip), 0);
    b.bench.IdleAfter(0.1);
    ASSERT_EQ(tip->GetParent(), nullptr);
    ASSERT_EQ(b.list->GetItemControlCount(), 7u);
    (void)b.list->SetScrollOffset({0, 60});
    EXPECT_EQ(b.RowTexts(), Items({3, 4, 5, 6, 7, 8, 9}));
    for (int32_t slot = 0; slot < 7; ++slot)
    {
        EXPECT_EQ(b.list->GetItemControl(slot)->GetName(), WString::Format(u"ItemControl%d", slot + 1));
    }
}

TEST(ListBoxTest, FixedRowsAreTheItemsAndScrollByTheirMeasuredHeight)
{
    ListBoxBench b(
        ListSkin(R"(
      <SubControl Class="Framework.ListBoxItem" Name="item1" YPositionAbs="0" XSizeAbs="80" YSizeAbs="25"/>
      <SubControl Class="Framework.ListBoxItem" Name="item2" YPositionAbs="25" XSizeAbs="80" YSizeAbs="25"/>
      <SubControl Class="Framework.ListBoxItem" Name="item3" YPositionAbs="50" XSizeAbs="80" YSizeAbs="25"/>)"),
        R"(<StringTable ID="Framework.ListBox|item1"><String ID="LABEL"><Locale LCID="0x0009">One</Locale></String></StringTable>
                      <StringTable ID="Framework.ListBox|item2"><String ID="LABEL"><Locale LCID="0x0009">Two</Locale></String></StringTable>
                      <StringTable ID="Framework.ListBox|item3"><String ID="LABEL"><Locale LCID="0x0009">Three</Locale></String></StringTable>)");
    ASSERT_EQ(b.list->GetItemCount(), 3u);
    EXPECT_EQ(b.list->GetItemControlCount(), 3u);
    EXPECT_EQ(b.list->GetRowHeight(), 25);
    EXPECT_EQ(b.RowTexts(), (Texts{"One", "Two", "Three"}));
    EXPECT_EQ(b.list->GetItemText(2), WString(u"Three"));
    (void)b.list->SelectRange(1, -1, true);
    EXPECT_EQ(b.bench.Find<LListBoxItem>(u"list/item2")->GetValue(), 1.0);
    b.list->ScrollBufferedContent({0, 0}, {0, 30});
    EXPECT_EQ(b.list->GetTopIndex(), 1u) << "30 pixels of 25-pixel rows: one row";
}
} // namespace
} // namespace ZQ
namespace ZQ
{
namespace
{
TEST(ListBoxSkinChange, ReapplyingTheSkinKeepsThePoolAndTheItems)
{
    ZQTest::ListBoxBench b(ZQTest::ListSkin(ZQTest::RowTemplate(20)));
    b.Fill(8);
    (void)b.list->FillItemControls();
    EXPECT_EQ(b.bench.Factory->ApplySkinToControl(b.bench.Window->GetRootControl()), 0);
    EXPECT_EQ(b.list->GetItemControlCount(), 5u);
    EXPECT_EQ(b.list->FindChild(u"templateItem"), nullptr);
    EXPECT_EQ(b.list->GetItemCount(), 8u);
    (void)b.list->SetScrollOffset({0, 20});
    EXPECT_EQ(b.RowTexts(), (std::vector<std::string>{"1", "2", "3", "4", "5"}));
}
} // namespace
} // namespace ZQ
