#pragma once

#include "FakeMeasurer.h"

#include "ZQFramework/Renderer/RenderContextInfo.h"
#include "ZQFramework/Renderer/Renderer.h"

#include <string>
#include <vector>

namespace TestSupport
{
// A real renderer that draws nothing and writes each draw call as one line of text instead: the
// operation, its arguments, then " | " and the current origin, clip and opacity, e.g.
//   FillRect (1,2,30,40) #FF336699 blend=1 | origin=(10,20) clip=(0,0,100,50) opacity=1
// Numbers are locale-free, floating-point values in their shortest round-trip form, colours packed as
// #AARRGGBB, texts as quoted UTF-8. Contexts, states, clips and origins are the base renderer's own;
// measuring is a FakeMeasurement. It stands in for the GDI+ renderer (its type).
class RecordingRenderer : public FakeMeasuring<ZQ::LRenderer>
{
public:
    [[nodiscard]] const std::vector<std::string>& GetLines() const { return mLines; }
    void ClearLines() { mLines.clear(); }

    [[nodiscard]] int32_t GetRendererType() const override;
    ZQRESULT InitRenderContextInfo(const ZQ::RectT<int32_t>& viewport, intptr_t window, bool offscreen,
                                   ZQ::RCPtr<ZQ::LRenderContextInfo>& context) override;
    void DrawText(const ZQ::WString& text, const ZQ::ConstRCPtr<ZQ::LFont>& font,
                  const ZQ::PointT<int32_t>& position, const ZQ::Color& color) override;
    void DrawRect(const ZQ::RectT<int32_t>& rect, const ZQ::Color& color, float width) override;
    void FillRect(const ZQ::RectT<int32_t>& rect, const ZQ::Color& color, bool blend) override;
    void DrawColorRectList(const ZQ::ColorRectListT<float>& list, const ZQ::PointT<double>& offset) override;
    void DrawLine(const ZQ::PointT<float>& from, const ZQ::PointT<float>& to, const ZQ::Color& color,
                  float width) override;
    void DrawLineSegments(const ZQ::PolylineT<float>& polyline, const ZQ::Color& color,
                          const ZQ::PointT<double>& offset, const ZQ::PointT<float>& scale,
                          bool keepCached) override;
    void DrawPolyline(const ZQ::PolylineT<float>& polyline, const ZQ::Color& color,
                      const ZQ::PointT<double>& offset, const ZQ::PointT<float>& scale,
                      bool keepCached) override;
    void DrawPolygon(const ZQ::PolylineT<float>& polyline, const ZQ::Color& color,
                     const ZQ::PointT<double>& offset, const ZQ::PointT<float>& scale,
                     bool keepCached) override;
    void FillPolygon(const ZQ::PolylineT<float>& polyline, const ZQ::Color& color,
                     const ZQ::PointT<double>& offset, const ZQ::PointT<float>& scale,
                     bool keepCached) override;
    void DrawBitmap(const ZQ::ConstRCPtr<ZQ::LBitmap>& bitmap, const ZQ::RectT<int32_t>& destination,
                    int32_t resizeType) override;
    // Recorded; 0.
    ZQRESULT DrawOffscreenContext(const ZQ::RCPtr<ZQ::LRenderContextInfo>& context,
                                  const ZQ::PointT<int32_t>& position,
                                  const ZQ::RectT<int32_t>& sourceRect) override;
    // Recorded; 0.
    ZQRESULT ScrollOffscreenContext(const ZQ::RCPtr<ZQ::LRenderContextInfo>& context,
                                    const ZQ::PointT<int32_t>& offset) override;

private:
    void Record(const std::string& operation, const std::string& arguments);
    void RecordPolyline(const char* operation, const ZQ::PolylineT<float>& polyline, const ZQ::Color& color,
                        const ZQ::PointT<double>& offset, const ZQ::PointT<float>& scale, bool keepCached);

    std::vector<std::string> mLines;
};

// The recording renderer's context: as large as the GDI+ renderer's surfaces.
class RecordingContext : public ZQ::LRenderContextInfo
{
public:
    using LRenderContextInfo::LRenderContextInfo;

    [[nodiscard]] SurfaceSize GetMaxSurfaceSize() const override { return {4096, 4096}; }
};
} // namespace TestSupport
