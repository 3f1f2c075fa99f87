#include "Controls/TextBoxBench.h"
#include "Support/MeasurementRendererScope.h"

#include "ZQFramework/Controls/Text/TextBox.h"
#include "ZQFramework/Renderer/Gdi/GDIRenderer.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <optional>
#include <string>
#include <vector>

// A text box showing one line of 20, 2,000 or 20,000 characters: the time of a pointer hit (over and over
// on one text, and the first one after the text changed, with the fake measurer and with the GDI+ renderer
// measuring) and of a caret move. The hit's anchors are the same hit on the 20-character line and a
// std::upper_bound over the line's cumulative advances.
using namespace ZQ;

namespace
{
constexpr int32_t kUnitWidth = 6; // the fake measurer's width of a unit

std::u16string LineOf(int32_t length)
{
    std::u16string line;
    for (int32_t i = 0; i < length; ++i)
        line += i % 7 == 6 ? u' ' : static_cast<char16_t>(u'a' + i % 26);
    return line;
}

// A text box wide enough for its line, showing it.
class LongLine
{
public:
    explicit LongLine(int32_t length) : mText(SkinFor(length))
    {
        (void)mText.Bench.Show();
        Field = mText.Bench.Find<LTextBox>(u"field");
        (void)Field->SetText(LineOf(length).c_str(), true);
    }

    // The fake window records every invalidation; the record is emptied now and then.
    void ForgetWindowCalls() { mText.Bench.Services.Calls.clear(); }

    RCPtr<LTextBox> Field;

private:
    static std::string SkinFor(int32_t length)
    {
        return R"(<SubControl Class="Test.Panel" Name="main"><Skin Name="main" LookList="one"/>
        <SubControl Class="Framework.TextBox" Name="field" XSizeAbs=")" +
               std::to_string(length * kUnitWidth + 10) + R"(" YSizeAbs="20">
          <Skin Name="field" LookList="textLooks"/></SubControl></SubControl>)";
    }

    ZQTest::TextBench mText;
};

// One pointer hit on the line, at points spread over it.
void BM_TextBoxHitTestOnALongLine(benchmark::State& state)
{
    const auto length = static_cast<int32_t>(state.range(0));
    LongLine line(length);
    const int32_t width = length * kUnitWidth;
    int32_t x = 0;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(line.Field->GetCharIndexAtPoint({x, 5}));
        x = (x + 997) % width;
    }
}
BENCHMARK(BM_TextBoxHitTestOnALongLine)->Arg(20)->Arg(2000)->Arg(20000);

// The hit alone takes far less than the text change that is left out of its time: a fixed number of
// them keeps the run short.
constexpr benchmark::IterationCount kHitsAfterChanges = 2000;

enum class Timed
{
    HitOnly,      // the text change is left out of the time
    ChangeAndHit, // laying the new text out and measuring what the caret and the hit need, with the hit
};

// The first hit after each text change: nothing measured for the new text is known yet. With gdi, the
// GDI+ renderer measures (font shaping, not fixed widths) from after the text box is shown.
void HitsAfterTextChanges(benchmark::State& state, Timed timed, bool gdi)
{
    const auto length = static_cast<int32_t>(state.range(0));
    LongLine line(length);
    std::optional<TestSupport::MeasurementRendererScope> renderer;
    if (gdi)
        renderer.emplace(RCPtr<LMeasurementRenderer>(new LGDIRenderer));
    const std::u16string texts[] = {LineOf(length), LineOf(length + 1).substr(1)};
    int64_t hits = 0;
    for (auto _ : state)
    {
        if (timed == Timed::HitOnly)
            state.PauseTiming();
        (void)line.Field->SetText(texts[hits % 2].c_str(), false);
        if (timed == Timed::HitOnly)
            state.ResumeTiming();
        benchmark::DoNotOptimize(line.Field->GetCharIndexAtPoint({length * kUnitWidth / 3, 5}));
        if (++hits % 4096 == 0)
        {
            state.PauseTiming();
            line.ForgetWindowCalls();
            state.ResumeTiming();
        }
    }
}

void BM_TextBoxFirstHitAfterATextChange(benchmark::State& state)
{
    HitsAfterTextChanges(state, Timed::HitOnly, false);
}
BENCHMARK(BM_TextBoxFirstHitAfterATextChange)->Arg(20)->Arg(2000)->Arg(20000)->Iterations(kHitsAfterChanges);

void BM_TextBoxTextChangeAndFirstHit(benchmark::State& state)
{
    HitsAfterTextChanges(state, Timed::ChangeAndHit, false);
}
BENCHMARK(BM_TextBoxTextChangeAndFirstHit)->Arg(20)->Arg(2000)->Arg(20000);

void BM_TextBoxFirstHitAfterATextChangeGdi(benchmark::State& state)
{
    HitsAfterTextChanges(state, Timed::HitOnly, true);
}
BENCHMARK(BM_TextBoxFirstHitAfterATextChangeGdi)
    ->Arg(20)
    ->Arg(2000)
    ->Arg(20000)
    ->Iterations(kHitsAfterChanges);

void BM_TextBoxTextChangeAndFirstHitGdi(benchmark::State& state)
{
    HitsAfterTextChanges(state, Timed::ChangeAndHit, true);
}
BENCHMARK(BM_TextBoxTextChangeAndFirstHitGdi)->Arg(20)->Arg(2000)->Arg(20000);

// The anchor of a hit: the boundary nearest to x found by std::upper_bound over the cumulative advances.
void BM_HitTestAnchorUpperBound(benchmark::State& state)
{
    const auto length = static_cast<int32_t>(state.range(0));
    std::vector<float> advances(static_cast<size_t>(length) + 1);
    for (int32_t i = 0; i <= length; ++i)
        advances[static_cast<size_t>(i)] = static_cast<float>(i * kUnitWidth);
    const int32_t width = length * kUnitWidth;
    int32_t x = 0;
    for (auto _ : state)
    {
        const auto after = std::upper_bound(advances.begin(), advances.end(), static_cast<float>(x));
        benchmark::DoNotOptimize(after - advances.begin());
        x = (x + 997) % width;
    }
}
BENCHMARK(BM_HitTestAnchorUpperBound)->Arg(20)->Arg(2000)->Arg(20000);

// One caret move on the line: the text before the caret measured once, and the control invalidated.
void BM_TextBoxCaretMoveOnALongLine(benchmark::State& state)
{
    const auto length = static_cast<int32_t>(state.range(0));
    LongLine line(length);
    int32_t position = 0;
    int64_t moves = 0;
    for (auto _ : state)
    {
        position = (position + 997) % (length + 1);
        benchmark::DoNotOptimize(line.Field->SetCaretPosition(position, false));
        if (++moves % 4096 == 0)
        {
            state.PauseTiming();
            line.ForgetWindowCalls();
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_TextBoxCaretMoveOnALongLine)->Arg(20)->Arg(2000)->Arg(20000);
} // namespace
