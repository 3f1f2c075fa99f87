#pragma once

#include "ZQFramework/Renderer/RenderContextInfo.h"
#include "ZQFramework/Renderer/Renderer.h"

namespace ZQ
{
// The context of the empty back end: it holds what it was made with and can draw nothing.
class LD3D9RenderContextInfo : public LRenderContextInfo
{
public:
    using LRenderContextInfo::LRenderContextInfo;

    // 0 x 0.
    [[nodiscard]] SurfaceSize GetMaxSurfaceSize() const override;
};

// The empty back end (renderer type 2): it measures every text as zero, leaves font metrics unwritten,
// draws nothing, and its RenderStart and RenderFinish leave the context stack alone, so no context is
// ever current in it and the base's state operations are not to be called on it.
class LD3D9Renderer : public LRenderer
{
public:
    ZQRESULT GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& ascent,
                            int32_t& descent) override;
    [[nodiscard]] RectT<float> MeasureText(const WString& text, const ConstRCPtr<LFont>& font) override;
    [[nodiscard]] int32_t GetRendererType() const override;
    ZQRESULT InitRenderContextInfo(const RectT<int32_t>& viewport, intptr_t window, bool offscreen,
                                   RCPtr<LRenderContextInfo>& context) override;
    ZQRESULT RenderStart(const RCPtr<LRenderContextInfo>& context) override;
    ZQRESULT RenderFinish(const RCPtr<LRenderContextInfo>& context) override;
    void DrawText(const WString& text, const ConstRCPtr<LFont>& font, const PointT<int32_t>& position,
                  const Color& color) override;
    void DrawRect(const RectT<int32_t>& rect, const Color& color, float width) override;
    void FillRect(const RectT<int32_t>& rect, const Color& color, bool blend) override;
    void DrawColorRectList(const ColorRectListT<float>& list, const PointT<double>& offset) override;
    void DrawLine(const PointT<float>& from, const PointT<float>& to, const Color& color,
                  float width) override;
    void DrawLineSegments(const PolylineT<float>& polyline, const Color& color, const PointT<double>& offset,
                          const PointT<float>& scale, bool keepCached) override;
    void DrawPolyline(const PolylineT<float>& polyline, const Color& color, const PointT<double>& offset,
                      const PointT<float>& scale, bool keepCached) override;
    void DrawPolygon(const PolylineT<float>& polyline, const Color& color, const PointT<double>& offset,
                     const PointT<float>& scale, bool keepCached) override;
    void FillPolygon(const PolylineT<float>& polyline, const Color& color, const PointT<double>& offset,
                     const PointT<float>& scale, bool keepCached) override;
    void DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const RectT<int32_t>& destination,
                    int32_t resizeType) override;
    // E_NOTIMPL.
    ZQRESULT DrawOffscreenContext(const RCPtr<LRenderContextInfo>& context, const PointT<int32_t>& position,
                                  const RectT<int32_t>& sourceRect) override;
    // E_NOTIMPL.
    ZQRESULT ScrollOffscreenContext(const RCPtr<LRenderContextInfo>& context,
                                    const PointT<int32_t>& offset) override;
};
} // namespace ZQ
