#pragma once

#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/Renderer/OpenGL/Forward.h"
#include "ZQFramework/Renderer/RenderContextInfo.h"

#include <cstdint>

namespace ZQ
{
// The OpenGL renderer's context for a window (drawn into the window's back buffer and shown at the end
// of the frame) or an offscreen buffer. An offscreen context draws into the frame buffer of its renderer's
// window during its frame and keeps the picture in a texture copied from there when the frame ends; what
// its frame covered of an enclosing frame's picture is put back. Made by LGLRenderer::InitRenderContextInfo
// and used by that renderer only. UI thread only.
class LGLRenderContextInfo : public LRenderContextInfo
{
public:
    LGLRenderContextInfo(const RectT<int32_t>& viewport, intptr_t window, bool offscreen);
    ~LGLRenderContextInfo() override;

    // The largest viewport of the GL implementation, read by ReadMaxViewportSize.
    [[nodiscard]] SurfaceSize GetMaxSurfaceSize() const override;
    // Reads the largest viewport of the current GL context.
    void ReadMaxViewportSize();
    // Shows the window's back buffer (nothing for an offscreen context).
    void SwapLayerBuffers() const;

    // Offscreen pictures. Each needs the renderer's context current.
    // Keeps what the frame buffer holds where this context's frame will draw (before it starts).
    void SaveUnderlay();
    // Copies the viewport's pixels into the picture texture, then puts the kept underlay back.
    void CapturePicture();
    // Whether a picture was captured.
    [[nodiscard]] bool HasPicture() const;
    // Draws the picture's source rectangle (picture pixels, y downward) with its corner at (x, y).
    void DrawPicture(const RectT<int32_t>& source, float x, float y) const;

private:
    // A texture holding the viewport's pixels as the frame buffer has them (bottom row first).
    struct PixelCopy
    {
        uint32_t name = 0;
        int32_t width = 0; // of the texture
        int32_t height = 0;
        int32_t copiedWidth = 0;
        int32_t copiedHeight = 0;

        void CopyFromFrameBuffer(int32_t widthToCopy, int32_t heightToCopy);
        void Draw(const RectT<int32_t>& source, float x, float y) const;
        void Release();
    };

    SurfaceSize mMaxViewport;
    PixelCopy mPicture;
    PixelCopy mUnderlay;
};
} // namespace ZQ
