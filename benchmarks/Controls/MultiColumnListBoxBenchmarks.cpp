#include "Controls/ListBoxBench.h"

#include "ZQFramework/Controls/ListBox.h"
#include "ZQFramework/Controls/MultiColumnListBox.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <string>

// A three-column sortable table on the headless bench, 10,000 rows of mixed-case texts: the time of one
// header sort, ascending and descending in turn, with a row selected and every other row striped.
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
} // namespace

BENCHMARK(BM_SortThreeColumns)->Arg(10000)->Unit(benchmark::kMillisecond);
