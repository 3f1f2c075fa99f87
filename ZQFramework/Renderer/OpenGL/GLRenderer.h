#pragma once

#include "ZQFramework/Renderer/ColorRectList.h"
#include "ZQFramework/Renderer/FontRenderer/FontRenderer.h"
#include "ZQFramework/Renderer/OpenGL/Forward.h"
#include "ZQFramework/Renderer/OpenGL/GLDisplayList.h"
#include "ZQFramework/Renderer/OpenGL/GLTexture.h"
#include "ZQFramework/Renderer/Polyline.h"
#include "ZQFramework/Renderer/Renderer.h"
#include "ZQFramework/Utilities/Graphics/Bitmap.h"
#include "ZQFramework/Utilities/Storage/PurgeableCache.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>

namespace ZQ
{
// The renderer of type 0: draws a window's client area with OpenGL 1.x immediate mode, display lists and
// textures over a context of the platform's GL stand-in, and text with FreeType glyphs kept in per-font
// glyph textures (LGLGlyphRenderer through the font renderer). Polylines, polygons and colour-rectangle
// lists are compiled into display lists once and replayed until they change; bitmaps become textures
// once; cache entries unused since the previous purge are dropped at the end of an outermost frame, at
// most every five minutes of Platform/Clock.
//
// One GL context serves every render context of the renderer: it is made current on the context's window
// in RenderStart and released in RenderFinish (an enclosing frame's context becomes current again). An
// offscreen context keeps its picture in a texture (LGLRenderContextInfo).
//
// Construction fails with a warning box (caption and texts from the framework strings) and a runtime
// error when no pixel format or context can be had for the window. UI thread only.
class LGLRenderer : public LRenderer
{
public:
    using ShapeCache = PurgableObjectCache<LGLDisplayList, PolylineT<float>, intptr_t,
                                           &PolylineT<float>::GetHandle, 8, &GetBits<8, 4, intptr_t>>;
    using RectListCache = PurgableObjectCache<LGLDisplayList, ColorRectListT<float>, intptr_t,
                                              &ColorRectListT<float>::GetHandle, 8, &GetBits<8, 4, intptr_t>>;
    using TextureCache = PurgableObjectCache<LGLTexture, ConstRCPtr<LBitmap>, intptr_t, &LBitmap::GetHandle,
                                             6, &GetBits<6, 4, intptr_t>>;

    static constexpr uint32_t kPurgeIntervalMs = 300000;

    // Answers a key of the framework's string table ("GL_ERROR_CAPTION", ...): true with the text, false
    // when the table has none. The application framework installs it at start-up; without one, or for a
    // key it does not know, the English texts are used.
    using FrameworkStringProvider = bool (*)(const WString& key, WString& text);
    // Installs the provider (null removes it) and returns the one installed before.
    static FrameworkStringProvider SetFrameworkStringProvider(FrameworkStringProvider provider);
    // The framework string of the key, else its English text (empty for an unknown key).
    [[nodiscard]] static WString GetFrameworkString(const WString& key);

    // window: the native window the renderer draws (0 for none, which fails). Throws as above.
    LGLRenderer(const RCPtr<LFontRenderer>& fontRenderer, intptr_t window);
    ~LGLRenderer() override;
    LGLRenderer(const LGLRenderer&) = delete;
    LGLRenderer& operator=(const LGLRenderer&) = delete;

    // From the font renderer; without one E_FAIL and an all-zero rectangle.
    ZQRESULT GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& ascent,
                            int32_t& descent) override;
    [[nodiscard]] RectT<float> MeasureText(const WString& text, const ConstRCPtr<LFont>& font) override;
    void MeasurePrefixWidths(const WString& text, const ConstRCPtr<LFont>& font,
                             std::vector<float>& widths) override;
    [[nodiscard]] int32_t GetRendererType() const override;
    // Gives the window the renderer's pixel format and sets the fixed GL state. Throws (after the box)
    // when the format cannot be set.
    ZQRESULT InitRenderContextInfo(const RectT<int32_t>& viewport, intptr_t window, bool offscreen,
                                   RCPtr<LRenderContextInfo>& context) override;
    // Applies the viewport with a projection of y growing downward.
    ZQRESULT SetViewport(const RectT<int32_t>& viewport) override;
    ZQRESULT RenderStart(const RCPtr<LRenderContextInfo>& context) override;
    ZQRESULT RenderFinish(const RCPtr<LRenderContextInfo>& context) override;
    // The top of the font's cell at the position.
    void DrawText(const WString& text, const ConstRCPtr<LFont>& font, const PointT<int32_t>& position,
                  const Color& color) override;
    void DrawRect(const RectT<int32_t>& rect, const Color& color, float width) override;
    // With blend false the rectangle (moved by the origin, not clipped) is cleared to the colour.
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
    // Throws for a null bitmap and for another resize type.
    void DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const RectT<int32_t>& destination,
                    int32_t resizeType) override;
    // E_INVALIDARG unless the context is an offscreen context of an OpenGL renderer.
    ZQRESULT DrawOffscreenContext(const RCPtr<LRenderContextInfo>& context, const PointT<int32_t>& position,
                                  const RectT<int32_t>& sourceRect) override;
    ZQRESULT ScrollOffscreenContext(const RCPtr<LRenderContextInfo>& context,
                                    const PointT<int32_t>& offset) override;
    // Stores the clip and scissors to it.
    void SetClipRect(const RectT<double>& clip) override;
    void TranslateOrigin(const PointT<double>& delta) override;

    [[nodiscard]] bool IsDoubleBuffered() const { return mDoubleBuffered; }
    [[nodiscard]] bool KeepsBackBuffer() const { return mKeepsBackBuffer; }
    [[nodiscard]] int32_t GetPixelFormat() const { return mPixelFormat; }
    [[nodiscard]] const RCPtr<LFontRenderer>& GetFontRenderer() const { return mFontRenderer; }
    [[nodiscard]] const ShapeCache& GetFillCache() const { return mFillCache; }
    [[nodiscard]] const ShapeCache& GetOutlineCache() const { return mOutlineCache; }
    [[nodiscard]] const ShapeCache& GetSegmentsCache() const { return mSegmentsCache; }
    [[nodiscard]] const ShapeCache& GetPolylineCache() const { return mPolylineCache; }
    [[nodiscard]] const RectListCache& GetColorRectCache() const { return mColorRectCache; }
    [[nodiscard]] const TextureCache& GetTextureCache() const { return mTextureCache; }

private:
    enum class Shape
    {
        Segments,
        Polyline,
        Outline,
        Fill,
    };

    void ChoosePixelFormat();
    // Makes the GL context current on the context's window (the renderer's when it has none).
    void MakeCurrent(const LRenderContextInfo& context);
    void SetFixedState() const;
    // The scissor of a rectangle in window coordinates; a rectangle off the window's top or left side
    // gives a 1 x 1 scissor outside the viewport.
    void ApplyScissor(const RectT<double>& rect) const;
    void PresentWindow(const LGLRenderContextInfo& context) const;
    void CopyBackToFront(const RectT<int32_t>& viewport) const;
    void PurgeWhenDue();
    void DrawShape(Shape shape, const PolylineT<float>& polyline, const Color& color,
                   const PointT<double>& offset, const PointT<float>& scale, bool useList);
    void EmitShape(Shape shape, const PolylineT<float>& polyline) const;
    [[nodiscard]] ShapeCache& CacheOf(Shape shape);
    [[nodiscard]] intptr_t DrawableOf(const LRenderContextInfo& context) const;
    // Shows the warning box with the step's message followed by the update-driver text.
    void ShowErrorBox(const WString& message) const;

    RCPtr<LFontRenderer> mFontRenderer;
    intptr_t mWindow;
    bool mDoubleBuffered = true;
    bool mKeepsBackBuffer = true;
    uint32_t mLastPurge;
    ShapeCache mFillCache{256};
    ShapeCache mOutlineCache{256};
    ShapeCache mSegmentsCache{256};
    ShapeCache mPolylineCache{256};
    RectListCache mColorRectCache{256};
    TextureCache mTextureCache{64};
    uintptr_t mContext = 0; // the GL context of the platform's stand-in
    int32_t mPixelFormat = 0;
    bool mMakeCurrentFailureShown = false;
    WString mCaption;
    WString mUpdateDriverText;
};
} // namespace ZQ
