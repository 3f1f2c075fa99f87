#include "Controls/ListBoxBench.h"

#include "ZQFramework/Controls/Lists/ListBox.h"
#include "ZQFramework/Controls/Lists/MultiColumnListBox.h"
#include "ZQFramework/Utilities/Storage/WideCRT.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <memory>
#include <string>
#include <vector>

// A three-column sortable table on the headless bench, 1,000 to 100,000 rows of mixed-case texts: the
// time of one header sort, ascending and descending in turn, with a row selected and every other row
// striped. Its anchor sorts the same rows with std::sort and the same comparison, and moves the three
// columns' counted texts into the new order.
using namespace ZQ;

namespace
{
std::string Column(int n)
{
    return R"(<SubControl Class="Framework.listboxNoScroll" Name="listboxNoScroll)" + std::to_string(n) +
           R"(" XPositionAbs=")" + std::to_string(100 * (n - 1)) +
           R"(" YPositionAbs="20" XSizeAbs="100" YSizeAbs="80"><Skin Name="column" LookList="one"/>)" +
           ZQTest::RowTemplate(20) + "</SubControl>";
}

std::unique_ptr<ZQTest::ListBoxBench> MakeTable()
{
    const std::string skin =
        R"(<SubControl Class="Test.Panel" Name="main" XSizeAbs="400" YSizeAbs="300"><Skin Name="main" LookList="one"/>
      <SubControl Class="Framework.listbox2ColumnSortable" Name="table" XSizeAbs="320" YSizeAbs="100"><Skin Name="table" LookList="one"/>)" +
        Column(1) + Column(2) + Column(3) + "</SubControl></SubControl>";
    return std::make_unique<ZQTest::ListBoxBench>(
        skin, std::string_view{},
        std::initializer_list<std::pair<const char16_t*, LControlDescriptor::CreateFunction>>{
            {u"Framework.listboxNoScroll", &LControl::CreateFromDescriptor<LListBox>},
            {u"Framework.listbox2ColumnSortable", &LControl::CreateFromDescriptor<LMultiColumnListBox>}});
}

// Texts in a scrambled order, with upper and lower case mixed.
WString CellText(int32_t column, int32_t row)
{
    const uint32_t key = (static_cast<uint32_t>(row) * 2654435761u + static_cast<uint32_t>(column)) % 100000u;
    return WString::Format(row % 2 == 0 ? u"Item %05u" : u"item %05u", key);
}

void BM_SortThreeColumns(benchmark::State& state)
{
    const auto n = static_cast<int32_t>(state.range(0));
    const auto bench = MakeTable();
    const RCPtr<LMultiColumnListBox> table = bench->bench.Find<LMultiColumnListBox>(u"table");
    for (int32_t c = 0; c < 3; ++c)
    {
        const RCPtr<LListBox> column = table->GetColumn(c);
        (void)column->SetItemCount(n);
        for (int32_t r = 0; r < n; ++r)
        {
            (void)column->SetItemData(r, LListBox::MakeTextItem(CellText(c, r)));
        }
    }
    for (int32_t r = 0; r < n; r += 2)
    {
        (void)table->GetColumn(0)->SetItemAltLook(r, true);
    }
    (void)table->GetColumn(0)->SelectRange(n / 2, n / 2, true);
    for (auto _ : state)
    {
        table->PerformSort(1);
    }
    state.counters["rows"] = static_cast<double>(table->GetRowCount());
}
void BM_SortAnchor(benchmark::State& state)
{
    const auto n = static_cast<int32_t>(state.range(0));
    std::vector<std::vector<std::shared_ptr<const std::u16string>>> columns(3);
    for (int32_t c = 0; c < 3; ++c)
    {
        for (int32_t r = 0; r < n; ++r)
        {
            const WString text = CellText(c, r);
            columns[static_cast<size_t>(c)].push_back(std::make_shared<const std::u16string>(
                text.GetBuffer(), static_cast<size_t>(text.GetLength())));
        }
    }
    struct Row
    {
        int32_t index;
        std::u16string text;
    };
    bool ascending = true;
    for (auto _ : state)
    {
        std::vector<Row> rows;
        rows.reserve(static_cast<size_t>(n));
        for (int32_t r = 0; r < n; ++r)
        {
            rows.push_back({r, *columns[1][static_cast<size_t>(r)]});
        }
        std::sort(rows.begin(), rows.end(),
                  [ascending](const Row& a, const Row& b)
                  {
                      const int order = CRT::CompareNoCase(a.text.c_str(), b.text.c_str());
                      return ascending ? order < 0 : order > 0;
                  });
        ascending = !ascending;
        for (auto& column : columns)
        {
            std::vector<std::shared_ptr<const std::u16string>> moved(static_cast<size_t>(n));
            for (int32_t r = 0; r < n; ++r)
            {
                moved[static_cast<size_t>(r)] =
                    std::move(column[static_cast<size_t>(rows[static_cast<size_t>(r)].index)]);
            }
            column = std::move(moved);
        }
    }
}
} // namespace

BENCHMARK(BM_SortThreeColumns)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortAnchor)
    ->Name("SortAnchorStdSort")
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
