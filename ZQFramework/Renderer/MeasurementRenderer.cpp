#include "ZQFramework/Renderer/MeasurementRenderer.h"

#include "ZQFramework/Utilities/Storage/String.h"

#include <utility>

namespace ZQ
{
namespace
{
MeasurementRendererProvider gProvider = nullptr; // UI thread only
} // namespace

void LMeasurementRenderer::MeasurePrefixWidths(const WString& text, const ConstRCPtr<LFont>& font,
                                               std::vector<float>& widths)
{
    widths.assign(static_cast<size_t>(text.GetLength()) + 1, 0.0f);
    for (int32_t count = 1; count <= text.GetLength(); ++count)
    {
        widths[static_cast<size_t>(count)] = MeasureText(text.Left(count), font).width;
    }
}

MeasurementRendererProvider SetMeasurementRendererProvider(MeasurementRendererProvider provider)
{
    return std::exchange(gProvider, provider);
}

RCPtr<LMeasurementRenderer> GetMeasurementRenderer()
{
    return gProvider != nullptr ? gProvider() : RCPtr<LMeasurementRenderer>();
}
} // namespace ZQ
