#include "Controls/ListBoxBench.h"

#include "ZQFramework/Controls/Lists/ListBox.h"

#include <array>
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <memory>
#include <string>
#include <vector>

// A template-mode list box on the headless bench: 20-pixel rows in 100 pixels with a vertical bar, filled
// with n items. Fill time and the heap bytes per item; the time of a scroll by one row and by one page at
// the top, the middle and the end, with no item hidden and with every tenth hidden; the row controls.
// Beside each, its anchor: the same work done on standard containers (a vector of records holding shared
// texts; a scroll that finds the top item of a row and copies the five shown texts).
using namespace ZQ;

namespace
{
std::unique_ptr<ZQTest::ListBoxBench> MakeList()
{
    return std::make_unique<ZQTest::ListBoxBench>(
        ZQTest::ListSkin(ZQTest::RowTemplate(20) + ZQTest::ScrollBarSkin("vBar", true)));
}

size_t HeapInUse()
{
    return mallinfo2().uordblks;
}

// Every size of a fill is timed on a heap that already holds the memory it needs: the allocator keeps
// what a fill frees (instead of handing it back to the kernel) and each benchmark fills once untimed
// first. Otherwise a size that runs many iterations reuses its pages while one that runs once pays the
// kernel's first touch of every new page, and the sizes stop being comparable.
void KeepFreedMemory()
{
    static const bool kept = []
    {
        (void)mallopt(M_TRIM_THRESHOLD, 1 << 30);
        (void)mallopt(M_MMAP_THRESHOLD, 64 << 20);
        return true;
    }();
    (void)kept;
}

void FillBySetItemCount(LListBox& list, int32_t n)
{
    (void)list.SetItemCount(n);
    for (int32_t i = 0; i < n; ++i)
    {
        (void)list.SetItemData(i, LListBox::MakeTextItem(u"Item text"));
    }
}

void FillByInsertAtEnd(LListBox& list, int32_t n)
{
    for (int32_t i = 0; i < n; ++i)
    {
        (void)list.InsertItem(i, LListBox::MakeTextItem(u"Item text"));
    }
}

template <void (*Fill)(LListBox&, int32_t)>
void BM_Fill(benchmark::State& state)
{
    const auto n = static_cast<int32_t>(state.range(0));
    KeepFreedMemory();
    Fill(*MakeList()->list, n);
    double bytes = 0;
    uint32_t rows = 0;
    for (auto _ : state)
    {
        state.PauseTiming();
        auto bench = MakeList();
        const size_t before = HeapInUse();
        state.ResumeTiming();
        Fill(*bench->list, n);
        state.PauseTiming();
        bytes = static_cast<double>(HeapInUse() - before) / n;
        rows = bench->list->GetItemControlCount();
        bench.reset();
        state.ResumeTiming();
    }
    state.counters["bytes_per_item"] = bytes;
    state.counters["row_controls"] = rows;
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_Fill<FillBySetItemCount>)
    ->Name("FillBySetItemCountAndData")
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fill<FillByInsertAtEnd>)
    ->Name("FillByInsertAtEnd")
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);

// The anchor of a fill: n records, each with its own counted text, appended to a std::vector.
struct AnchorRecord
{
    std::shared_ptr<const std::u16string> text;
    double selection = 0.0;
    bool altLook = false;
    bool blank = false;
    bool hidden = false;
};

std::vector<AnchorRecord> FillAnchor(size_t n)
{
    std::vector<AnchorRecord> records;
    for (size_t i = 0; i < n; ++i)
    {
        records.push_back({std::make_shared<const std::u16string>(u"Item text")});
    }
    return records;
}

void BM_FillAnchor(benchmark::State& state)
{
    const auto n = static_cast<size_t>(state.range(0));
    KeepFreedMemory();
    (void)FillAnchor(n);
    for (auto _ : state)
    {
        std::vector<AnchorRecord> records = FillAnchor(n);
        benchmark::DoNotOptimize(records.data());
        state.PauseTiming();
        records = {};
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(n));
}
BENCHMARK(BM_FillAnchor)
    ->Name("FillAnchorStdVector")
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);

// Args: item count, where (0 top, 1 middle, 2 end), step (1 row, 5 a page), every tenth item hidden.
void BM_Scroll(benchmark::State& state)
{
    const auto n = static_cast<int32_t>(state.range(0));
    const auto where = static_cast<int32_t>(state.range(1));
    const auto step = static_cast<double>(state.range(2)) * 20;
    const bool hidden = state.range(3) != 0;
    auto bench = MakeList();
    FillBySetItemCount(*bench->list, n);
    if (hidden)
    {
        for (int32_t i = 0; i < n; i += 10)
        {
            (void)bench->list->SetItemHidden(i, true);
        }
    }
    const double last = bench->list->GetContentHeight() - 100.0 - step;
    const double at = where == 0   ? 0.0
                      : where == 1 ? static_cast<double>(bench->list->GetContentHeight() / 40 * 20)
                                   : last;
    (void)bench->list->SetScrollOffset({0, at});
    bool forward = true;
    for (auto _ : state)
    {
        (void)bench->list->SetScrollOffset({0, forward ? at + step : at});
        forward = !forward;
    }
    state.counters["row_controls"] = bench->list->GetItemControlCount();
}
BENCHMARK(BM_Scroll)
    ->ArgsProduct({{10000, 100000, 1000000}, {0, 1, 2}, {1, 5}, {0, 1}})
    ->ArgNames({"items", "where", "rows", "hidden"})
    ->Unit(benchmark::kMicrosecond);

// The anchor of a scroll, same arguments: the top item of the new row found in a std::vector (the item
// looked up in the list of the shown items' indexes), and the texts of the five
// rows from there copied into the rows.
void BM_ScrollAnchor(benchmark::State& state)
{
    const auto n = static_cast<int32_t>(state.range(0));
    const auto where = static_cast<int32_t>(state.range(1));
    const auto step = static_cast<int32_t>(state.range(2));
    const bool hidden = state.range(3) != 0;
    std::vector<AnchorRecord> records(static_cast<size_t>(n));
    std::vector<int32_t> shown;
    for (int32_t i = 0; i < n; ++i)
    {
        records[static_cast<size_t>(i)].text = std::make_shared<const std::u16string>(u"Item text");
        records[static_cast<size_t>(i)].hidden = hidden && i % 10 == 0;
        if (!records[static_cast<size_t>(i)].hidden)
        {
            shown.push_back(i);
        }
    }
    const auto rows = static_cast<int32_t>(shown.size());
    const int32_t last = rows - 5 - step;
    const int32_t at = where == 0 ? 0 : where == 1 ? rows / 2 : last;
    std::array<std::u16string, 5> labels;
    bool forward = true;
    for (auto _ : state)
    {
        const int32_t row = forward ? at + step : at;
        forward = !forward;
        // The shown item at row, looked up in the list of shown indexes.
        int32_t top = shown[static_cast<size_t>(row)];
        for (size_t slot = 0; slot < labels.size(); ++slot)
        {
            while (records[static_cast<size_t>(top)].hidden)
            {
                ++top;
            }
            labels[slot] = *records[static_cast<size_t>(top)].text;
            ++top;
        }
        benchmark::DoNotOptimize(labels.data());
    }
}
BENCHMARK(BM_ScrollAnchor)
    ->Name("ScrollAnchorStdVector")
    ->ArgsProduct({{10000, 100000, 1000000}, {0, 1, 2}, {1, 5}, {0, 1}})
    ->ArgNames({"items", "where", "rows", "hidden"})
    ->Unit(benchmark::kMicrosecond);
} // namespace
