#include "ZQFramework/Renderer/Gdi/GDIRenderContextInfo.h"

#include "Platform/Gdiplus/Graphics.h"

#include <utility>
#include <vector>

namespace ZQ
{
namespace
{
// The invalid region's rectangles, in the region's order.
struct RectList
{
    void RemoveAll() { rects.clear(); }
    void Add(const RectT<int32_t>& rect) { rects.push_back(rect); }

    std::vector<RectT<int32_t>> rects;
};
} // namespace

LGDIRenderContextInfo::LGDIRenderContextInfo(const RectT<int32_t>& viewport, intptr_t window, bool offscreen)
    : LRenderContextInfo(viewport, window, offscreen),
      mCurrent(LGDIRendererOffscreenSurface::Create(viewport.width, viewport.height, window)),
      mSpare(LGDIRendererOffscreenSurface::Create(viewport.width, viewport.height, window))
{
}

LGDIRenderContextInfo::~LGDIRenderContextInfo()
{
    mCurrent = nullptr;
    mSpare = nullptr;
}

LRenderContextInfo::SurfaceSize LGDIRenderContextInfo::GetMaxSurfaceSize() const
{
    return {4096, 4096};
}

Platform::Gdiplus::Graphics* LGDIRenderContextInfo::GetGraphics() const
{
    return mCurrent->GetGraphics();
}

bool LGDIRenderContextInfo::IsWholeViewportInvalid()
{
    if (GetInvalidRegion().GetRectCount() != 1)
        return false;
    RectList list;
    GetInvalidRegion().ToArray(list);
    return list.rects.front() == GetViewport();
}

void LGDIRenderContextInfo::BeginFrame()
{
    const SurfaceSize size = mCurrent->GetSize();
    const RectT<int32_t>& viewport = GetViewport();
    if (size.width == viewport.width && size.height == viewport.height && !IsWholeViewportInvalid())
        return;
    (void)mCurrent->Resize(viewport.width, viewport.height);
    (void)mSpare->Resize(viewport.width, viewport.height);
}

void LGDIRenderContextInfo::EndFrame()
{
    if (Platform::Gdiplus::Graphics* graphics = GetGraphics())
        (void)graphics->Flush();
    if (IsOffscreen())
        return;
    const auto window = Platform::Gdiplus::Graphics::FromWindow(GetWindow());
    if (!window)
        return;
    RectList list;
    GetInvalidRegion().ToArray(list);
    for (auto rect = list.rects.rbegin(); rect != list.rects.rend(); ++rect)
        (void)mCurrent->DrawTo(*window, {rect->x, rect->y}, *rect);
}

void LGDIRenderContextInfo::SwapSurfaces()
{
    std::swap(mCurrent, mSpare);
}
} // namespace ZQ
