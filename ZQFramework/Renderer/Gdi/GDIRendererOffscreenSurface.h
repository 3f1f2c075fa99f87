#pragma once

#include "Platform/Gdiplus/Forward.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/Renderer/RenderContextInfo.h"
#include "ZQFramework/Utilities/Graphics/Point.h"
#include "ZQFramework/Utilities/Graphics/Rect.h"

#include <cstdint>
#include <memory>

namespace ZQ
{
// One back buffer of a GDI+ render context: a bitmap made compatible with its window's graphics, and a
// graphics drawing into it. Owned by its context; UI thread only.
class LGDIRendererOffscreenSurface : public LRefCountedObject
{
public:
    // A surface for the window (0 for none), sized at once.
    [[nodiscard]] static RCPtr<LGDIRendererOffscreenSurface> Create(int32_t width, int32_t height,
                                                                    intptr_t window);
    ~LGDIRendererOffscreenSurface() override;

    // A fresh, transparent bitmap of the size (a width or height below 1 taken as 1) and its graphics.
    // Where the window has no graphics, the surface is left without a bitmap. 0.
    ZQRESULT Resize(int32_t width, int32_t height);
    // The bitmap's size; 0 x 0 without a bitmap.
    [[nodiscard]] LRenderContextInfo::SurfaceSize GetSize() const;
    [[nodiscard]] Platform::Gdiplus::Bitmap* GetBitmap() const { return mBitmap.get(); }
    [[nodiscard]] Platform::Gdiplus::Graphics* GetGraphics() const { return mGraphics.get(); }
    // Draws the source rectangle of the bitmap unscaled at the position (in the graphics' world
    // coordinates); the GDI+ status.
    Platform::Gdiplus::Status DrawTo(Platform::Gdiplus::Graphics& graphics, const PointT<int32_t>& position,
                                     const RectT<int32_t>& sourceRect) const;

private:
    explicit LGDIRendererOffscreenSurface(intptr_t window);

    intptr_t mWindow;
    std::unique_ptr<Platform::Gdiplus::Bitmap> mBitmap;
    std::unique_ptr<Platform::Gdiplus::Graphics> mGraphics; // declared after the bitmap it draws into
};
} // namespace ZQ
