#include "ListBoxBench.h"

#include "ZQFramework/Controls/Buttons/Button.h"
#include "ZQFramework/Controls/Lists/ListBox.h"
#include "ZQFramework/Controls/Lists/ListBoxItem.h"
#include "ZQFramework/Controls/Lists/MultiColumnListBox.h"
#include "ZQFramework/Utilities/Storage/WideCRT.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ZQ
{
namespace
{
using ZQTest::RowTemplate;

// A header button over each numbered column: 100 x 20 at x = 100 (n - 1).
std::string Header(int n)
{
    return R"(<SubControl Class="Framework.Button" Name="buttonColumnHeader)" + std::to_string(n) +
           R"(" XPositionAbs=")" + std::to_string(100 * (n - 1)) +
           R"(" XSizeAbs="100" YSizeAbs="20"><Skin Name="header" LookList="looks14"/></SubControl>)";
}

// A column of rows 20 high: 100 x 80 at (100 (slot), 20).
std::string Column(int n, int slot)
{
    return R"(<SubControl Class="Framework.listboxNoScroll" Name="listboxNoScroll)" + std::to_string(n) +
           R"(" XPositionAbs=")" + std::to_string(100 * slot) +
           R"(" YPositionAbs="20" XSizeAbs="100" YSizeAbs="80"><Skin Name="column" LookList="one"/>)" +
           RowTemplate(20) + "</SubControl>";
}

// "table" at (10, 20) in "main", 320 x 100.
std::string TableSkin(const std::string& children)
{
    return R"(<SubControl Class="Test.Panel" Name="main" XSizeAbs="400" YSizeAbs="300"><Skin Name="main" LookList="one"/>
      <SubControl Class="Framework.listbox2ColumnSortable" Name="table" XPositionAbs="10" YPositionAbs="20" XSizeAbs="320" YSizeAbs="100"><Skin Name="table" LookList="one"/>)" +
           children + "</SubControl></SubControl>";
}

const std::string kThreeColumns =
    Header(1) + Header(2) + Header(3) + Column(1, 0) + Column(2, 1) + Column(3, 2);

struct TableBench : ZQTest::ListBoxBench
{
    explicit TableBench(const std::string& children)
        : ListBoxBench(
              TableSkin(children), {},
              {{u"Framework.listboxNoScroll", &LControl::CreateFromDescriptor<LListBox>},
               {u"Framework.listbox2ColumnSortable", &LControl::CreateFromDescriptor<LMultiColumnListBox>}})
    {
        table = bench.Find<LMultiColumnListBox>(u"table");
    }

    // Fills a column with the texts given.
    void FillColumn(int32_t column, const std::vector<const char16_t*>& texts) const
    {
        const RCPtr<LListBox> list = table->GetColumn(column);
        for (const char16_t* text : texts)
        {
            (void)list->InsertItem(static_cast<int32_t>(list->GetItemCount()), LListBox::MakeTextItem(text));
        }
    }

    [[nodiscard]] std::vector<std::string> ColumnTexts(int32_t column) const
    {
        std::vector<std::string> texts;
        for (uint32_t r = 0; r < table->GetRowCount(); ++r)
        {
            texts.push_back(TestSupport::Utf8(table->GetCellText(column, static_cast<int32_t>(r))));
        }
        return texts;
    }

    [[nodiscard]] std::vector<uint32_t> Selected(int32_t column) const
    {
        return table->GetColumn(column)->GetSelectedIndexes();
    }

    void ClickAt(const PointT<int32_t>& point)
    {
        bench.MoveTo(point);
        bench.Press();
        bench.Release();
    }

    // The middle of header n, and of row r of column slot (columns start at window y 40).
    static PointT<int32_t> OnHeader(int n) { return {10 + 100 * (n - 1) + 50, 30}; }
    static PointT<int32_t> OnRow(int slot, int r) { return {10 + 100 * slot + 50, 50 + 20 * r}; }

    RCPtr<LMultiColumnListBox> table;
};

struct MultiColumnListBoxTest : ::testing::Test
{
    MultiColumnListBoxTest()
    {
        b.FillColumn(0, {u"b", u"A", u"c"});
        b.FillColumn(1, {u"row b", u"row A", u"row c"});
        b.FillColumn(2, {u"3", u"1", u"2"});
        log = b.bench.Listen(RCPtr<LControl>(b.table), {u"NID_SELECTION_CHANGE"});
    }

    TableBench b{kThreeColumns};
    RCPtr<ZQTest::NotificationLog> log;
};

TEST_F(MultiColumnListBoxTest, FindsColumnsAndHeadersAndLeavesTheFocusToTheFirstColumn)
{
    ASSERT_NE(b.table, nullptr);
    EXPECT_EQ(b.table->GetColumnCount(), 3u);
    EXPECT_EQ(b.table->GetHeaderCount(), 3u);
    EXPECT_EQ(b.table->GetRowCount(), 3u);
    EXPECT_FALSE(b.table->GetColumn(0)->IsNotFocusable());
    EXPECT_TRUE(b.table->GetColumn(1)->IsNotFocusable());
    EXPECT_TRUE(b.table->GetColumn(2)->IsNotFocusable());
    EXPECT_EQ(TestSupport::Utf8(b.table->GetCellText(3, 0)), "");
    EXPECT_EQ(TestSupport::Utf8(b.table->GetCellText(0, 3)), "");
    EXPECT_EQ(TestSupport::Utf8(b.table->GetCellText(0, -1)), "");
}

TEST_F(MultiColumnListBoxTest, HeaderClicksSortUpThenDownWithRowsSelectionAndStripesFollowing)
{
    (void)b.table->GetColumn(0)->SetItemAltLook(0, true); // the row of "b"
    (void)b.table->GetColumn(0)->SelectRange(0, 0, true);
    (void)b.table->GetColumn(1)->SelectRange(0, 0, true);
    (void)b.table->GetColumn(2)->SelectRange(0, 0, true);
    log->Entries.clear();
    const RCPtr<LTaggableObject> itemOfB = b.table->GetColumn(1)->GetItemOrEmpty(0).data;

    b.ClickAt(TableBench::OnHeader(1));
    EXPECT_EQ(b.ColumnTexts(0), (std::vector<std::string>{"A", "b", "c"}));
    EXPECT_EQ(b.ColumnTexts(1), (std::vector<std::string>{"row A", "row b", "row c"}));
    EXPECT_EQ(b.ColumnTexts(2), (std::vector<std::string>{"1", "3", "2"}));
    EXPECT_EQ(b.table->GetColumn(1)->GetItemOrEmpty(1).data, itemOfB) << "items move, none is copied";
    EXPECT_EQ(TestSupport::Utf8(b.table->GetColumn(1)->GetItemControl(0)->GetLabel()), "row A")
        << "the shown rows follow";
    for (int32_t c = 0; c < 3; ++c)
    {
        EXPECT_EQ(b.Selected(c), (std::vector<uint32_t>{1})) << "column " << c;
        EXPECT_TRUE(b.table->GetColumn(c)->GetItemAltLook(1)) << "column " << c;
        EXPECT_FALSE(b.table->GetColumn(c)->GetItemAltLook(0)) << "column " << c;
    }
    EXPECT_TRUE(log->Entries.empty()) << "sorting sends nothing";
    EXPECT_FALSE(b.table->IsNextSortAscending(0));
    EXPECT_TRUE(b.table->IsNextSortAscending(2));

    b.ClickAt(TableBench::OnHeader(1));
    EXPECT_EQ(b.ColumnTexts(0), (std::vector<std::string>{"c", "b", "A"}));
    EXPECT_EQ(b.ColumnTexts(2), (std::vector<std::string>{"2", "3", "1"}));
    EXPECT_EQ(b.Selected(2), (std::vector<uint32_t>{1}));

    // Another column starts ascending on its own.
    b.ClickAt(TableBench::OnHeader(3));
    EXPECT_EQ(b.ColumnTexts(2), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(b.ColumnTexts(0), (std::vector<std::string>{"A", "c", "b"}));
    EXPECT_EQ(b.Selected(0), (std::vector<uint32_t>{2}));
}

TEST(MultiColumnListBoxSortTest, ManyRowsWithEqualTextsSortAsWholeRowsWithTheirSelectionAndStripes)
{
    // 60 rows whose sort texts repeat in either case; the second column names the row it started in.
    TableBench b{kThreeColumns};
    std::vector<std::u16string> keys;
    std::vector<std::u16string> ids;
    std::vector<std::u16string> thirds;
    for (int r = 0; r < 60; ++r)
    {
        const int key = (r * 7) % 9;
        keys.push_back((r % 2 == 0 ? u"Key " : u"key ") +
                       std::u16string(1, static_cast<char16_t>(u'0' + key)));
        ids.push_back(u"id " + std::u16string{static_cast<char16_t>(u'0' + r / 10),
                                              static_cast<char16_t>(u'0' + r % 10)});
        thirds.push_back(ids.back() + u" third");
    }
    for (int32_t c = 0; c < 3; ++c)
    {
        const std::vector<std::u16string>& texts = c == 0 ? keys : c == 1 ? ids : thirds;
        for (const std::u16string& text : texts)
        {
            const RCPtr<LListBox> list = b.table->GetColumn(c);
            (void)list->InsertItem(static_cast<int32_t>(list->GetItemCount()),
                                   LListBox::MakeTextItem(text.c_str()));
        }
    }
    const auto striped = [](int id) { return id % 3 == 0; };
    const auto selected = [](int id) { return id == 4 || id == 17 || id == 59; };
    for (int32_t r = 0; r < 60; ++r)
    {
        (void)b.table->GetColumn(0)->SetItemAltLook(r, striped(r));
        if (selected(r))
        {
            (void)b.table->GetColumn(0)->SelectRange(r, r, false);
        }
    }

    for (const bool ascending : {true, false})
    {
        b.table->PerformSort(0);
        const std::vector<std::string> sorted = b.ColumnTexts(0);
        const std::vector<std::string> rowIds = b.ColumnTexts(1);
        const std::vector<std::string> rowThirds = b.ColumnTexts(2);
        std::vector<bool> seen(60);
        for (int32_t r = 0; r < 60; ++r)
        {
            const int id = std::stoi(rowIds[static_cast<size_t>(r)].substr(3));
            ASSERT_FALSE(seen[static_cast<size_t>(id)]) << "row " << r;
            seen[static_cast<size_t>(id)] = true;
            EXPECT_EQ(sorted[static_cast<size_t>(r)],
                      TestSupport::Utf8(keys[static_cast<size_t>(id)].c_str()))
                << r;
            EXPECT_EQ(rowThirds[static_cast<size_t>(r)], rowIds[static_cast<size_t>(r)] + " third") << r;
            for (int32_t c = 0; c < 3; ++c)
            {
                EXPECT_EQ(b.table->GetColumn(c)->GetItemAltLook(r), striped(id))
                    << "row " << r << ", column " << c;
                EXPECT_EQ(b.table->GetColumn(c)->IsItemSelected(r), selected(id))
                    << "row " << r << ", column " << c;
            }
            if (r > 0)
            {
                const int order =
                    CRT::CompareNoCase(WString(sorted[static_cast<size_t>(r - 1)].c_str()).GetBuffer(),
                                       WString(sorted[static_cast<size_t>(r)].c_str()).GetBuffer());
                EXPECT_TRUE(ascending ? order <= 0 : order >= 0) << "rows " << r - 1 << " and " << r;
            }
        }
        for (int32_t c = 0; c < 3; ++c)
        {
            EXPECT_EQ(b.Selected(c).size(), 3u) << "column " << c;
        }
    }
}

TEST_F(MultiColumnListBoxTest, AClickOnARowOfAnyColumnSelectsTheRowEverywhereAndReportsOnce)
{
    b.ClickAt(TableBench::OnRow(1, 2));
    for (int32_t c = 0; c < 3; ++c)
    {
        EXPECT_EQ(b.Selected(c), (std::vector<uint32_t>{2})) << "column " << c;
    }
    EXPECT_EQ(log->Entries.size(), 1u);

    log->Entries.clear();
    b.ClickAt(TableBench::OnRow(0, 0));
    for (int32_t c = 0; c < 3; ++c)
    {
        EXPECT_EQ(b.Selected(c), (std::vector<uint32_t>{0})) << "column " << c;
    }
    EXPECT_EQ(log->Entries.size(), 1u);
}

TEST_F(MultiColumnListBoxTest, HoveringARowHighlightsItInEveryColumnUntilThePointerLeaves)
{
    const auto highlighted = [this](int32_t column, int32_t slot)
    {
        return (b.table->GetColumn(column)->GetItemControl(slot)->GetConditions() &
                LControl::kConditionHoverOrHighlight) != 0;
    };
    b.bench.MoveTo(TableBench::OnRow(1, 1));
    EXPECT_TRUE(highlighted(0, 1));
    EXPECT_TRUE(highlighted(1, 1));
    EXPECT_TRUE(highlighted(2, 1));
    EXPECT_FALSE(highlighted(0, 0));

    b.bench.MoveTo({390, 290});
    for (int32_t c = 0; c < 3; ++c)
    {
        EXPECT_FALSE(highlighted(c, 1)) << "column " << c;
    }
}

TEST_F(MultiColumnListBoxTest, ScrollingTheTableScrollsEveryColumn)
{
    b.FillColumn(0, {u"d", u"e", u"f", u"g"});
    b.FillColumn(1, {u"d", u"e", u"f", u"g"});
    b.FillColumn(2, {u"d", u"e", u"f", u"g"});
    (void)b.table->SetScrollOffset({0, 40});
    for (int32_t c = 0; c < 3; ++c)
    {
        EXPECT_EQ(b.table->GetColumn(c)->GetScrollOffset().y, 40) << "column " << c;
        EXPECT_EQ(b.table->GetColumn(c)->GetTopIndex(), 2u) << "column " << c;
    }
    EXPECT_EQ(b.table->GetClientExtent().y, b.table->GetColumn(0)->GetClientExtent().y);

    // The first column scrolled on its own (its keys, its wheel) takes the table and the others along.
    (void)b.table->GetColumn(0)->SetScrollOffset({0, 20});
    EXPECT_EQ(b.table->GetScrollOffset().y, 20);
    EXPECT_EQ(b.table->GetColumn(2)->GetTopIndex(), 1u);
}

TEST(MultiColumnListBoxSkinTest, ColumnsStopAtTheFirstMissingNumberAndHeadersMayBeFewer)
{
    TableBench b(Header(1) + Column(1, 0) + Column(2, 1) + Column(4, 2));
    ASSERT_NE(b.table, nullptr);
    EXPECT_EQ(b.table->GetColumnCount(), 2u);
    EXPECT_EQ(b.table->GetHeaderCount(), 1u);
    b.FillColumn(0, {u"b", u"a"});
    b.FillColumn(1, {u"2", u"1"});
    // No header over the second column: a click there sorts nothing; the first header still sorts.
    b.ClickAt(TableBench::OnHeader(2));
    EXPECT_EQ(b.ColumnTexts(0), (std::vector<std::string>{"b", "a"}));
    b.ClickAt(TableBench::OnHeader(1));
    EXPECT_EQ(b.ColumnTexts(0), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(b.ColumnTexts(1), (std::vector<std::string>{"1", "2"}));
    b.table->PerformSort(5); // past the last column: nothing
    EXPECT_EQ(b.ColumnTexts(0), (std::vector<std::string>{"a", "b"}));
}

TEST(MultiColumnListBoxSkinTest, SortingByAShortColumnGivesTheMissingCellsEmptyTexts)
{
    TableBench b(Column(1, 0) + Column(2, 1));
    b.FillColumn(0, {u"r0", u"r1", u"r2"});
    b.FillColumn(1, {u"z", u"y"});
    b.table->PerformSort(1);
    EXPECT_EQ(b.ColumnTexts(0), (std::vector<std::string>{"r2", "r1", "r0"}));
    EXPECT_EQ(b.table->GetColumn(1)->GetItemCount(), 2u);
    EXPECT_EQ(b.ColumnTexts(1), (std::vector<std::string>{"", "y", ""}))
        << "the short column keeps its two rows, now the items of rows 2 and 1";
}

TEST(MultiColumnListBoxSkinTest, WithoutColumnsTheClientAreaIsEmptyAndNothingSorts)
{
    TableBench b(Header(1));
    ASSERT_NE(b.table, nullptr);
    RectT<double> rect{1, 1, 1, 1};
    (void)b.table->GetClientRect(rect);
    EXPECT_EQ(rect, RectT<double>());
    b.ClickAt(TableBench::OnHeader(1));
    EXPECT_EQ(b.table->GetRowCount(), 0u);
}
} // namespace
} // namespace ZQ
