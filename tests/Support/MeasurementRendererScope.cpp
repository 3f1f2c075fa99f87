#include "MeasurementRendererScope.h"

#include <utility>

namespace TestSupport
{
namespace
{
ZQ::RCPtr<ZQ::LMeasurementRenderer>& Installed()
{
    static ZQ::RCPtr<ZQ::LMeasurementRenderer> renderer;
    return renderer;
}

ZQ::RCPtr<ZQ::LMeasurementRenderer> ProvideInstalled()
{
    return Installed();
}
} // namespace

MeasurementRendererScope::MeasurementRendererScope(const ZQ::RCPtr<ZQ::LMeasurementRenderer>& renderer)
    : mPreviousProvider(ZQ::SetMeasurementRendererProvider(ProvideInstalled)),
      mPreviousRenderer(std::exchange(Installed(), renderer))
{
}

MeasurementRendererScope::~MeasurementRendererScope()
{
    Installed() = mPreviousRenderer;
    ZQ::SetMeasurementRendererProvider(mPreviousProvider);
}
} // namespace TestSupport
