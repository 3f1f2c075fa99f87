#include "FakeMeasurer.h"

namespace TestSupport
{
float FakeMeasurement::WidthOf(const ZQ::WString& text) const
{
    float sum = 0;
    for (int i = 0; i < text.GetLength(); ++i)
    {
        const auto found = widths.find(text.GetAt(i));
        sum += found != widths.end() ? found->second : defaultWidth;
    }
    return sum;
}

ZQ::RectT<float> FakeMeasurement::Measure(const ZQ::WString& text)
{
    ++measureCalls;
    if (text.IsEmpty())
        return {};
    return {measuredX, static_cast<float>(ascent), WidthOf(text), static_cast<float>(height)};
}

void FakeMeasurement::Metrics(int32_t& heightOut, int32_t& ascentOut, int32_t& descentOut)
{
    ++metricsCalls;
    heightOut = height;
    ascentOut = ascent;
    descentOut = descent;
}

ZQ::RCPtr<ZQ::LMeasurementRenderer> FakeMeasurerFactory::Create()
{
    return ZQ::RCPtr<ZQ::LMeasurementRenderer>(new FakeMeasurer);
}
} // namespace TestSupport
