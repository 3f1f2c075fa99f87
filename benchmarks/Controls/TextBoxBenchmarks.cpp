#include "Controls/TextBoxBench.h"

#include "ZQFramework/Controls/TextBox.h"

#include <benchmark/benchmark.h>
#include <string>

using namespace ZQ;

namespace
{
constexpr int32_t kLength = 2000;
constexpr int32_t kTextWidth = kLength * 6; // the fake measurer's 6 pixels a unit

// A text box wide enough for a line of 2,000 characters, showing one.
class LongLine
{
public:
    LongLine()
    {
        (void)mText.Bench.Show();
        Field = mText.Bench.Find<LTextBox>(u"field");
        std::u16string line;
        for (int32_t i = 0; i < kLength; ++i)
            line += i % 7 == 6 ? u' ' : static_cast<char16_t>(u'a' + i % 26);
        (void)Field->SetText(line.c_str(), true);
    }

    // The fake window records every invalidation; the record is emptied now and then.
    void ForgetWindowCalls() { mText.Bench.Services.Calls.clear(); }

    RCPtr<LTextBox> Field;

private:
    ZQTest::TextBench mText{R"(<SubControl Class="Test.Panel" Name="main"><Skin Name="main" LookList="one"/>
        <SubControl Class="Framework.TextBox" Name="field" XSizeAbs=")" +
                            std::to_string(kTextWidth + 10) + R"(" YSizeAbs="20">
          <Skin Name="field" LookList="textLooks"/></SubControl></SubControl>)"};
};

// One pointer hit on the line: a binary search that measures about eleven character rectangles.
void BM_TextBoxHitTestOnALongLine(benchmark::State& state)
{
    LongLine line;
    int32_t x = 0;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(line.Field->GetCharIndexAtPoint({x, 5}));
        x = (x + 997) % kTextWidth;
    }
}
BENCHMARK(BM_TextBoxHitTestOnALongLine);

// One caret move on the line: the text before the caret measured once, and the control invalidated.
void BM_TextBoxCaretMoveOnALongLine(benchmark::State& state)
{
    LongLine line;
    int32_t position = 0;
    int64_t moves = 0;
    for (auto _ : state)
    {
        position = (position + 997) % (kLength + 1);
        benchmark::DoNotOptimize(line.Field->SetCaretPosition(position, false));
        if (++moves % 4096 == 0)
        {
            state.PauseTiming();
            line.ForgetWindowCalls();
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_TextBoxCaretMoveOnALongLine);
} // namespace
