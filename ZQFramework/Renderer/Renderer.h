#pragma once

#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/Renderer/Forward.h"
#include "ZQFramework/Renderer/MeasurementRenderer.h"
#include "ZQFramework/Renderer/RenderContextInfo.h"
#include "ZQFramework/Renderer/RenderState.h"
#include "ZQFramework/Utilities/Graphics/Forward.h"
#include "ZQFramework/Utilities/Graphics/Point.h"
#include "ZQFramework/Utilities/Graphics/Rect.h"
#include "ZQFramework/Utilities/Storage/Forward.h"

#include <cstdint>
#include <vector>

namespace ZQ
{
// The drawing interface every picture of the framework goes through, in immediate mode. A frame is
// RenderStart(context), balanced pushes, draws and pops, then RenderFinish(the same context); frames
// nest (a control drawing into its offscreen context inside the window's frame). The base keeps the
// stack of started contexts and, in the current one, the state stack with its clip and origin
// bookkeeping; back ends draw and override clip and origin setting where their device needs it.
//
// The state operations act on the current context; outside a frame there is none and they do nothing
// (reads give a new state's values). Renderers run on the UI thread only.
class LRenderer : public LMeasurementRenderer
{
public:
    static constexpr int32_t kOpenGL = 0;
    static constexpr int32_t kGdiplus = 1;
    static constexpr int32_t kDirect3D9 = 2;

    static constexpr int32_t kResizeStretch = 0;
    static constexpr int32_t kResizeTile = 1;
    static constexpr int32_t kResizeCenter = 2;

    // The renderer of the given type for a window (an opaque handle, 0 for none). The client rectangle
    // is not used. Throws a domain error for a type that is not built.
    [[nodiscard]] static RCPtr<LRenderer> Create(int32_t type, const RectT<int32_t>& clientRect,
                                                 intptr_t window);

    ZQRESULT GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& ascent,
                            int32_t& descent) override = 0;
    [[nodiscard]] RectT<float> MeasureText(const WString& text, const ConstRCPtr<LFont>& font) override = 0;
    // kOpenGL, kGdiplus or kDirect3D9.
    [[nodiscard]] virtual int32_t GetRendererType() const = 0;
    // Makes this back end's context for a window (0 for none); 0, or E_FAIL when none could be made.
    virtual ZQRESULT InitRenderContextInfo(const RectT<int32_t>& viewport, intptr_t window, bool offscreen,
                                           RCPtr<LRenderContextInfo>& context) = 0;
    // Stores the viewport in the current context; 0.
    virtual ZQRESULT SetViewport(const RectT<int32_t>& viewport);
    // Replaces the current state's stencil; 0.
    virtual ZQRESULT SetStencil(const RCPtr<LStencil>& stencil);
    // Makes the context current. Throws for a null context and for one already started.
    virtual ZQRESULT RenderStart(const RCPtr<LRenderContextInfo>& context);
    // Ends the current context. Throws, changing nothing, unless the context is the current one.
    virtual ZQRESULT RenderFinish(const RCPtr<LRenderContextInfo>& context);
    virtual void DrawText(const WString& text, const ConstRCPtr<LFont>& font, const PointT<int32_t>& position,
                          const Color& color) = 0;
    virtual void DrawRect(const RectT<int32_t>& rect, const Color& color, float width) = 0;
    // With blend false the pixels are replaced rather than blended.
    virtual void FillRect(const RectT<int32_t>& rect, const Color& color, bool blend) = 0;
    // FillRect (blended) when the fill colour's alpha is above 0, then DrawRect when the frame colour's
    // is.
    virtual void FillAndDrawRect(const RectT<int32_t>& rect, const Color& fillColor, const Color& frameColor,
                                 float width);
    virtual void DrawColorRectList(const ColorRectListT<float>& list, const PointT<double>& offset) = 0;
    virtual void DrawLine(const PointT<float>& from, const PointT<float>& to, const Color& color,
                          float width) = 0;
    // The points taken in pairs, each pair one segment. keepCached false drops what the back end built
    // from the polyline after drawing.
    virtual void DrawLineSegments(const PolylineT<float>& polyline, const Color& color,
                                  const PointT<double>& offset, const PointT<float>& scale,
                                  bool keepCached) = 0;
    // The points joined in order, open.
    virtual void DrawPolyline(const PolylineT<float>& polyline, const Color& color,
                              const PointT<double>& offset, const PointT<float>& scale, bool keepCached) = 0;
    // The points joined and closed.
    virtual void DrawPolygon(const PolylineT<float>& polyline, const Color& color,
                             const PointT<double>& offset, const PointT<float>& scale, bool keepCached) = 0;
    virtual void FillPolygon(const PolylineT<float>& polyline, const Color& color,
                             const PointT<double>& offset, const PointT<float>& scale, bool keepCached) = 0;
    // resizeType: kResizeStretch, kResizeTile or kResizeCenter.
    virtual void DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const RectT<int32_t>& destination,
                            int32_t resizeType) = 0;
    // Copies a rectangle of an offscreen context's picture to a position in the current context; 0,
    // E_FAIL, E_INVALIDARG (not an offscreen context of this back end) or E_NOTIMPL.
    virtual ZQRESULT DrawOffscreenContext(const RCPtr<LRenderContextInfo>& context,
                                          const PointT<int32_t>& position,
                                          const RectT<int32_t>& sourceRect) = 0;
    // Shifts the picture of an offscreen context; results as DrawOffscreenContext.
    virtual ZQRESULT ScrollOffscreenContext(const RCPtr<LRenderContextInfo>& context,
                                            const PointT<int32_t>& offset) = 0;
    // Saves the state and moves the origin by the offset rounded to whole pixels, the clip staying where
    // it is. Does nothing at all while no state is saved (and the matching PopClip then pops nothing).
    virtual void PushClipOffset(const PointT<double>& offset);
    // Saves the state, then clips to clip and moves the origin to bounds' corner. relative: bounds and
    // clip are in the current coordinates and the clip is cut to bounds and to the current clip;
    // otherwise bounds are window coordinates and the clip is taken as given. A stencil is carried (a
    // fresh one of the same size when a stencil is already active).
    virtual void PushClipRect(const RectT<double>& bounds, const RectT<double>& clip,
                              const RCPtr<LStencil>& stencil, bool relative);
    // Saves a copy of the current state.
    virtual void PushClip();
    // Restores the last saved state, if any, through SetClipRect, TranslateOrigin and SetStencil.
    virtual void PopClip();
    // Stores the clip (in the current coordinates); back ends also apply it to the device.
    virtual void SetClipRect(const RectT<double>& clip);
    // Moves the origin; back ends also apply it to the device.
    virtual void TranslateOrigin(const PointT<double>& delta);

    [[nodiscard]] PointT<double> GetOrigin() const;
    [[nodiscard]] RectT<double> GetClipRect() const;
    // The opacity the control base multiplies by each control's own while descending the tree.
    [[nodiscard]] float GetOpacity() const;
    void SetOpacity(float opacity);
    [[nodiscard]] bool IsStencilActive() const;
    void SetStencilActive(bool active);
    // The last started context not yet finished; null outside a frame.
    [[nodiscard]] RCPtr<LRenderContextInfo> GetCurrentContext() const;

private:
    [[nodiscard]] RenderState* CurrentState() const;

    std::vector<RCPtr<LRenderContextInfo>> mContexts; // started, not yet finished; the last is current
};
} // namespace ZQ
