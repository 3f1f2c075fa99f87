#pragma once

#include "Platform/Gdiplus/Forward.h"
#include "ZQFramework/Renderer/Gdi/GDIRendererOffscreenSurface.h"
#include "ZQFramework/Renderer/RenderContextInfo.h"

namespace ZQ
{
// The GDI+ renderer's context: two back buffers, the current one drawn into and the spare one that
// scrolling an offscreen context draws from. The buffers survive between frames, so a frame redraws
// only what changed; at the end of a frame a window context copies exactly its invalid rectangles from
// the current buffer to the window, and an offscreen context copies nothing anywhere. Made by
// LGDIRenderer::InitRenderContextInfo and drawn into by that renderer only; UI thread only.
class LGDIRenderContextInfo : public LRenderContextInfo
{
public:
    // Both buffers made at the viewport's size for the window (0 for none).
    LGDIRenderContextInfo(const RectT<int32_t>& viewport, intptr_t window, bool offscreen);
    ~LGDIRenderContextInfo() override;

    // 4096 x 4096.
    [[nodiscard]] SurfaceSize GetMaxSurfaceSize() const override;

    // The current buffer's graphics, null where the buffer has no bitmap.
    [[nodiscard]] Platform::Gdiplus::Graphics* GetGraphics() const;
    [[nodiscard]] const RCPtr<LGDIRendererOffscreenSurface>& GetCurrentSurface() const { return mCurrent; }

    // Keeps the buffers, unless their size differs from the viewport's or the invalid region is exactly
    // the whole viewport: then both are made anew at the viewport's size, cleared.
    void BeginFrame();
    // Flushes the current buffer's drawing; a window context then copies each invalid rectangle from it
    // to the same place in the window.
    void EndFrame();
    void SwapSurfaces();

private:
    [[nodiscard]] bool IsWholeViewportInvalid();

    RCPtr<LGDIRendererOffscreenSurface> mCurrent;
    RCPtr<LGDIRendererOffscreenSurface> mSpare;
};
} // namespace ZQ
