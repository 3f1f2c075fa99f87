#include "Support/FakeMeasurer.h"
#include "Support/MeasurementRendererScope.h"

#include "ZQFramework/Renderer/Font.h"
#include "ZQFramework/Renderer/FontText.h"
#include "ZQFramework/Renderer/Gdi/GDIRenderer.h"
#include "ZQFramework/Renderer/MeasurementRenderer.h"

#include <benchmark/benchmark.h>
#include <string>

namespace
{
// Passes measurements through to a measurer and counts them.
class CountingMeasurer : public ZQ::LMeasurementRenderer
{
public:
    explicit CountingMeasurer(const ZQ::RCPtr<ZQ::LMeasurementRenderer>& inner) : mInner(inner) {}

    ZQRESULT GetFontMetrics(const ZQ::ConstRCPtr<ZQ::LFont>& font, int32_t& height, int32_t& ascent,
                            int32_t& descent) override
    {
        return mInner->GetFontMetrics(font, height, ascent, descent);
    }

    ZQ::RectT<float> MeasureText(const ZQ::WString& text, const ZQ::ConstRCPtr<ZQ::LFont>& font) override
    {
        ++measures;
        return mInner->MeasureText(text, font);
    }

    int64_t measures = 0;

private:
    ZQ::RCPtr<ZQ::LMeasurementRenderer> mInner;
};

// A paragraph of 2,000 characters of ordinary words, some hyphenated.
ZQ::WString Paragraph()
{
    const std::u16string words[] = {u"lorem",      u"ipsum", u"dolor-sit", u"amet",       u"consectetur",
                                    u"adipiscing", u"elit",  u"sed",       u"do-eiusmod", u"tempor"};
    std::u16string text;
    for (size_t i = 0; text.size() < 2000; ++i)
        text += words[i % std::size(words)] + u" ";
    text.resize(2000);
    return ZQ::WString(text.c_str());
}

// Wraps the paragraph into a box state.range(0) pixels wide, laying it out afresh each time.
template <class Factory>
void WrapParagraph(benchmark::State& state)
{
    const ZQ::RCPtr<CountingMeasurer> measurer(new CountingMeasurer(Factory::Create()));
    const TestSupport::MeasurementRendererScope scope(measurer);
    const ZQ::ConstRCPtr<ZQ::LFont> font = ZQ::LFont::GetFont(u"Arial", 9, 0);
    const ZQ::WString text = Paragraph();
    uint32_t lines = 0;
    for (auto _ : state)
    {
        ZQ::LFontText layout(text, font);
        layout.SetWordWrap(true);
        layout.SetBoxSize(static_cast<int32_t>(state.range(0)), 100000);
        lines = layout.GetLineCount();
        benchmark::DoNotOptimize(lines);
    }
    state.counters["lines"] = lines;
    state.counters["measures_per_line"] =
        static_cast<double>(measurer->measures) / static_cast<double>(state.iterations()) / lines;
}

struct GdiMeasurerFactory
{
    static ZQ::RCPtr<ZQ::LMeasurementRenderer> Create()
    {
        return ZQ::RCPtr<ZQ::LMeasurementRenderer>(new ZQ::LGDIRenderer);
    }
};

BENCHMARK_TEMPLATE(WrapParagraph, TestSupport::FakeMeasurerFactory)->Arg(40)->Arg(80)->Arg(200);
BENCHMARK_TEMPLATE(WrapParagraph, GdiMeasurerFactory)->Arg(40)->Arg(80)->Arg(200);
} // namespace
