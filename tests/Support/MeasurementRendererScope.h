#pragma once

#include "ZQFramework/Renderer/MeasurementRenderer.h"

namespace TestSupport
{
// Makes a renderer the application's measurement renderer for the life of a scope, as the application
// framework does at start-up; the one before comes back at the end. Scopes nest.
class MeasurementRendererScope
{
public:
    explicit MeasurementRendererScope(const ZQ::RCPtr<ZQ::LMeasurementRenderer>& renderer);
    ~MeasurementRendererScope();

    MeasurementRendererScope(const MeasurementRendererScope&) = delete;
    MeasurementRendererScope& operator=(const MeasurementRendererScope&) = delete;

private:
    ZQ::MeasurementRendererProvider mPreviousProvider;
    ZQ::RCPtr<ZQ::LMeasurementRenderer> mPreviousRenderer;
};
} // namespace TestSupport
