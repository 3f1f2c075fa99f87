#include "ZQFramework/Renderer/Renderer.h"

#include "ZQFramework/ObjectBase/Assert.h"
#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/Renderer/D3D9Renderer.h"
#include "ZQFramework/Renderer/FontRenderer/FreetypeFontRenderer.h"
#include "ZQFramework/Renderer/Gdi/GDIRenderer.h"
#include "ZQFramework/Renderer/OpenGL/GLGlyphRenderer.h"
#include "ZQFramework/Renderer/OpenGL/GLRenderer.h"
#include "ZQFramework/Utilities/Graphics/Color.h"

#include <algorithm>
#include <stdexcept>

namespace ZQ
{
namespace
{
// Half away from zero, as a whole number of pixels.
PointT<double> RoundToPixels(const PointT<double>& point)
{
    return PointT<int32_t>(point.RoundToLong()).ToDouble();
}

} // namespace

RCPtr<LRenderer> LRenderer::Create(int32_t type, const RectT<int32_t>& /*clientRect*/, intptr_t window)
{
    if (type == kOpenGL)
    {
        const RCPtr<LGlyphProcessor> glyphs(new LGLGlyphRenderer);
        const RCPtr<LFontRenderer> fonts(new LFreetypeFontRenderer(glyphs));
        return RCPtr<LRenderer>(new LGLRenderer(fonts, window));
    }
    if (type == kGdiplus)
        return RCPtr<LRenderer>(new LGDIRenderer);
    if (type == kDirect3D9)
        return RCPtr<LRenderer>(new LD3D9Renderer);
    throw Exception<std::domain_error>(
        "Domain Error : ZQ::LRenderer::Create : Renderer\\Renderer : Line 129");
}

ZQRESULT LRenderer::SetViewport(const RectT<int32_t>& viewport)
{
    if (!mContexts.empty())
        mContexts.back()->SetViewport(viewport);
    return S_OK;
}

ZQRESULT LRenderer::SetStencil(const RCPtr<LStencil>& stencil)
{
    if (RenderState* state = CurrentState())
        state->stencil = stencil;
    return S_OK;
}

ZQRESULT LRenderer::RenderStart(const RCPtr<LRenderContextInfo>& context)
{
    if (context == nullptr)
        throw Exception<std::runtime_error>(
            "Runtime Error : Render context is NULL : ZQ::LRenderer::RenderStart "
            ": ZQFramework\\Renderer\\Renderer : Line 232");
    if (std::find(mContexts.begin(), mContexts.end(), context) != mContexts.end())
        throw Exception<std::runtime_error>("Runtime Error : Render context reentered. : "
                                            "ZQ::LRenderer::RenderStart : ZQFramework\\Renderer\\Renderer : "
                                            "Line 238");
    mContexts.push_back(context);
    return S_OK;
}

ZQRESULT LRenderer::RenderFinish(const RCPtr<LRenderContextInfo>& context)
{
    if (mContexts.empty() || mContexts.back() != context)
        throw Exception<std::runtime_error>("Runtime Error : RenderFinish context does not match RenderStart "
                                            "context : ZQ::LRenderer::RenderFinish : "
                                            "ZQFramework\\Renderer\\Renderer : Line 251");
    mContexts.pop_back();
    // RenderStart refuses a context already started: none is left started twice.
    ZQ_ASSERT(std::find(mContexts.begin(), mContexts.end(), context) == mContexts.end());
    return S_OK;
}

void LRenderer::FillAndDrawRect(const RectT<int32_t>& rect, const Color& fillColor, const Color& frameColor,
                                float width)
{
    if (fillColor.alpha > 0)
        FillRect(rect, fillColor, true);
    if (frameColor.alpha > 0)
        DrawRect(rect, frameColor, width);
}

void LRenderer::PushClip()
{
    if (!mContexts.empty())
        mContexts.back()->GetSavedStates().push_back(mContexts.back()->GetState());
}

void LRenderer::PushClipOffset(const PointT<double>& offset)
{
    if (mContexts.empty() || mContexts.back()->GetSavedStates().empty())
        return;
    PushClip();
    const PointT<double> rounded = RoundToPixels(offset);
    TranslateOrigin(rounded);
    RectT<double>& clip = CurrentState()->clip;
    clip.x -= rounded.x;
    clip.y -= rounded.y;
}

void LRenderer::PushClipRect(const RectT<double>& bounds, const RectT<double>& clip,
                             const RCPtr<LStencil>& stencil, bool relative)
{
    RenderState* state = CurrentState();
    if (state == nullptr)
        return;
    PointT<double> offset(bounds.x, bounds.y);
    if (!relative)
    {
        offset.x -= state->origin.x;
        offset.y -= state->origin.y;
    }
    offset = RoundToPixels(offset);

    PushClip();
    // Saving copies the current state and leaves it in place: the writes below go to the new top.
    ZQ_ASSERT(CurrentState() == state);
    RectT<double> newClip = relative ? clip.Intersection(bounds).Intersection(state->clip) : clip;
    newClip.NormalizeAndFloor();
    SetClipRect(newClip);
    TranslateOrigin(offset);
    if (relative)
    {
        state->clip.x -= offset.x;
        state->clip.y -= offset.y;
    }

    if (stencil == nullptr)
        return;
    if (state->stencilActive)
    {
        SetStencil(RCPtr<LStencil>(new LStencil(stencil->GetWidth(), stencil->GetHeight())));
    }
    else
    {
        SetStencil(stencil);
        state->stencilActive = true;
    }
}

void LRenderer::PopClip()
{
    if (mContexts.empty() || mContexts.back()->GetSavedStates().empty())
        return;
    std::deque<RenderState>& saved = mContexts.back()->GetSavedStates();
    const RenderState previous = std::move(saved.back());
    saved.pop_back();

    RenderState& state = mContexts.back()->GetState();
    TranslateOrigin({previous.origin.x - state.origin.x, previous.origin.y - state.origin.y});
    // The back end has moved by the difference; the stored origin comes back exactly, free of the
    // rounding of a subtraction and an addition.
    state.origin = previous.origin;
    state.opacity = previous.opacity;
    SetClipRect(previous.clip);
    SetStencil(previous.stencil);
    state.stencilActive = previous.stencilActive;
}

void LRenderer::SetClipRect(const RectT<double>& clip)
{
    if (RenderState* state = CurrentState())
        state->clip = clip;
}

void LRenderer::TranslateOrigin(const PointT<double>& delta)
{
    if (RenderState* state = CurrentState())
    {
        state->origin.x += delta.x;
        state->origin.y += delta.y;
    }
}

PointT<double> LRenderer::GetOrigin() const
{
    const RenderState* state = CurrentState();
    return state != nullptr ? state->origin : RenderState().origin;
}

RectT<double> LRenderer::GetClipRect() const
{
    const RenderState* state = CurrentState();
    return state != nullptr ? state->clip : RenderState().clip;
}

float LRenderer::GetOpacity() const
{
    const RenderState* state = CurrentState();
    return state != nullptr ? state->opacity : RenderState().opacity;
}

void LRenderer::SetOpacity(float opacity)
{
    if (RenderState* state = CurrentState())
        state->opacity = opacity;
}

bool LRenderer::IsStencilActive() const
{
    const RenderState* state = CurrentState();
    return state != nullptr && state->stencilActive;
}

void LRenderer::SetStencilActive(bool active)
{
    if (RenderState* state = CurrentState())
        state->stencilActive = active;
}

RCPtr<LRenderContextInfo> LRenderer::GetCurrentContext() const
{
    return mContexts.empty() ? RCPtr<LRenderContextInfo>() : mContexts.back();
}

RenderState* LRenderer::CurrentState() const
{
    return mContexts.empty() ? nullptr : &mContexts.back()->GetState();
}
} // namespace ZQ
