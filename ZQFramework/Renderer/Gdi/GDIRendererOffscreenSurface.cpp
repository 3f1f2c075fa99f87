#include "ZQFramework/Renderer/Gdi/GDIRendererOffscreenSurface.h"

#include "Platform/Gdiplus/Bitmap.h"
#include "Platform/Gdiplus/Graphics.h"

#include <algorithm>

namespace ZQ
{
LGDIRendererOffscreenSurface::LGDIRendererOffscreenSurface(intptr_t window) : mWindow(window)
{
}

LGDIRendererOffscreenSurface::~LGDIRendererOffscreenSurface()
{
    mGraphics.reset();
    mBitmap.reset();
}

RCPtr<LGDIRendererOffscreenSurface> LGDIRendererOffscreenSurface::Create(int32_t width, int32_t height,
                                                                         intptr_t window)
{
    RCPtr<LGDIRendererOffscreenSurface> surface(new LGDIRendererOffscreenSurface(window));
    (void)surface->Resize(width, height);
    return surface;
}

ZQRESULT LGDIRendererOffscreenSurface::Resize(int32_t width, int32_t height)
{
    mGraphics.reset();
    mBitmap.reset();
    const auto windowGraphics = Platform::Gdiplus::Graphics::FromWindow(mWindow);
    mBitmap =
        Platform::Gdiplus::Bitmap::CreateFor(windowGraphics.get(), std::max(width, 1), std::max(height, 1));
    if (mBitmap)
        mGraphics = Platform::Gdiplus::Graphics::FromBitmap(mBitmap.get());
    return S_OK;
}

LRenderContextInfo::SurfaceSize LGDIRendererOffscreenSurface::GetSize() const
{
    if (!mBitmap)
        return {};
    return {mBitmap->Width(), mBitmap->Height()};
}

Platform::Gdiplus::Status LGDIRendererOffscreenSurface::DrawTo(Platform::Gdiplus::Graphics& graphics,
                                                               const PointT<int32_t>& position,
                                                               const RectT<int32_t>& sourceRect) const
{
    return graphics.DrawImage(
        mBitmap.get(),
        Platform::Gdiplus::PointF{static_cast<float>(position.x), static_cast<float>(position.y)},
        Platform::Gdiplus::RectF{static_cast<float>(sourceRect.x), static_cast<float>(sourceRect.y),
                                 static_cast<float>(sourceRect.width),
                                 static_cast<float>(sourceRect.height)});
}
} // namespace ZQ
