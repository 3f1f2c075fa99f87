#include "ZQFramework/Renderer/D3D9Renderer.h"

namespace ZQ
{
LRenderContextInfo::SurfaceSize LD3D9RenderContextInfo::GetMaxSurfaceSize() const
{
    return {0, 0};
}

ZQRESULT LD3D9Renderer::GetFontMetrics(const ConstRCPtr<LFont>&, int32_t&, int32_t&, int32_t&)
{
    return S_OK;
}

RectT<float> LD3D9Renderer::MeasureText(const WString&, const ConstRCPtr<LFont>&)
{
    return {};
}

int32_t LD3D9Renderer::GetRendererType() const
{
    return kDirect3D9;
}

ZQRESULT LD3D9Renderer::InitRenderContextInfo(const RectT<int32_t>& viewport, intptr_t window, bool offscreen,
                                              RCPtr<LRenderContextInfo>& context)
{
    context = RCPtr<LRenderContextInfo>(new LD3D9RenderContextInfo(viewport, window, offscreen));
    return S_OK;
}

ZQRESULT LD3D9Renderer::RenderStart(const RCPtr<LRenderContextInfo>&)
{
    return S_OK;
}

ZQRESULT LD3D9Renderer::RenderFinish(const RCPtr<LRenderContextInfo>&)
{
    return S_OK;
}

void LD3D9Renderer::DrawText(const WString&, const ConstRCPtr<LFont>&, const PointT<int32_t>&, const Color&)
{
}

void LD3D9Renderer::DrawRect(const RectT<int32_t>&, const Color&, float)
{
}

void LD3D9Renderer::FillRect(const RectT<int32_t>&, const Color&, bool)
{
}

void LD3D9Renderer::DrawColorRectList(const ColorRectListT<float>&, const PointT<double>&)
{
}

void LD3D9Renderer::DrawLine(const PointT<float>&, const PointT<float>&, const Color&, float)
{
}

void LD3D9Renderer::DrawLineSegments(const PolylineT<float>&, const Color&, const PointT<double>&,
                                     const PointT<float>&, bool)
{
}

void LD3D9Renderer::DrawPolyline(const PolylineT<float>&, const Color&, const PointT<double>&,
                                 const PointT<float>&, bool)
{
}

void LD3D9Renderer::DrawPolygon(const PolylineT<float>&, const Color&, const PointT<double>&,
                                const PointT<float>&, bool)
{
}

void LD3D9Renderer::FillPolygon(const PolylineT<float>&, const Color&, const PointT<double>&,
                                const PointT<float>&, bool)
{
}

void LD3D9Renderer::DrawBitmap(const ConstRCPtr<LBitmap>&, const RectT<int32_t>&, int32_t)
{
}

ZQRESULT LD3D9Renderer::DrawOffscreenContext(const RCPtr<LRenderContextInfo>&, const PointT<int32_t>&,
                                             const RectT<int32_t>&)
{
    return E_NOTIMPL;
}

ZQRESULT LD3D9Renderer::ScrollOffscreenContext(const RCPtr<LRenderContextInfo>&, const PointT<int32_t>&)
{
    return E_NOTIMPL;
}
} // namespace ZQ
