#include "ZQFramework/Renderer/MeasurementRenderer.h"

#include <utility>

namespace ZQ
{
namespace
{
MeasurementRendererProvider gProvider = nullptr; // UI thread only
} // namespace

MeasurementRendererProvider SetMeasurementRendererProvider(MeasurementRendererProvider provider)
{
    return std::exchange(gProvider, provider);
}

RCPtr<LMeasurementRenderer> GetMeasurementRenderer()
{
    return gProvider != nullptr ? gProvider() : RCPtr<LMeasurementRenderer>();
}
} // namespace ZQ
