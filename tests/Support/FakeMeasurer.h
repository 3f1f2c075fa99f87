#pragma once

#include "ZQFramework/ObjectBase/Result.h"
#include "ZQFramework/Renderer/MeasurementRenderer.h"
#include "ZQFramework/Utilities/Graphics/Rect.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>
#include <map>
#include <unordered_map>
#include <vector>

namespace TestSupport
{
// Text measured by fixed numbers: every UTF-16 unit is defaultWidth wide unless widths names it
// (fractions allowed), the font metrics are fixed, and a non-empty text's box starts at measuredX
// (non-zero to exercise the extent rule). The empty text measures all zero. Counts the calls: a text
// measured whole, and the prefixes of a text measured in one pass.
struct FakeMeasurement
{
    float defaultWidth = 6;
    std::map<char16_t, float> widths;
    int32_t height = 12;
    int32_t ascent = -10;
    int32_t descent = 2;
    float measuredX = 0;

    int metricsCalls = 0;
    int measureCalls = 0;
    int prefixCalls = 0;

    // The sum of the units' widths; counts nothing.
    [[nodiscard]] float WidthOf(const ZQ::WString& text) const;
    [[nodiscard]] ZQ::RectT<float> Measure(const ZQ::WString& text);
    void Metrics(int32_t& heightOut, int32_t& ascentOut, int32_t& descentOut);
};

// The measuring half of a renderer, answered by a FakeMeasurement; Base is LMeasurementRenderer or a
// renderer.
template <class Base>
class FakeMeasuring : public Base
{
public:
    FakeMeasurement measurement;

    ZQRESULT GetFontMetrics(const ZQ::ConstRCPtr<ZQ::LFont>&, int32_t& height, int32_t& ascent,
                            int32_t& descent) override
    {
        measurement.Metrics(height, ascent, descent);
        return S_OK;
    }

    [[nodiscard]] ZQ::RectT<float> MeasureText(const ZQ::WString& text,
                                               const ZQ::ConstRCPtr<ZQ::LFont>&) override
    {
        return measurement.Measure(text);
    }

    // One pass over the text adding up its units' widths, each distinct unit measured once with
    // MeasureText: the widths MeasureText gives every prefix, also for a subclass that measures units its
    // own way, as long as its units' widths add up.
    void MeasurePrefixWidths(const ZQ::WString& text, const ZQ::ConstRCPtr<ZQ::LFont>& font,
                             std::vector<float>& widths) override
    {
        ++measurement.prefixCalls;
        widths.assign(static_cast<size_t>(text.GetLength()) + 1, 0.0f);
        std::unordered_map<char16_t, float> unitWidths;
        for (int i = 0; i < text.GetLength(); ++i)
        {
            const auto [unit, added] = unitWidths.try_emplace(text.GetAt(i), 0.0f);
            if (added)
                unit->second = this->MeasureText(text.Mid(i, 1), font).width;
            widths[static_cast<size_t>(i) + 1] = widths[static_cast<size_t>(i)] + unit->second;
        }
    }
};

// A measurement renderer with fixed glyph widths, for layouts and fonts without a window system.
class FakeMeasurer : public FakeMeasuring<ZQ::LMeasurementRenderer>
{
};

// Makes a fake measurer with the default numbers; the factory that typed tests and benchmarks over
// measurers take.
struct FakeMeasurerFactory
{
    [[nodiscard]] static ZQ::RCPtr<ZQ::LMeasurementRenderer> Create();
};
} // namespace TestSupport
