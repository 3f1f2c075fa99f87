#pragma once

#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/Renderer/Forward.h"
#include "ZQFramework/Renderer/Stencil.h"
#include "ZQFramework/Utilities/Graphics/Point.h"
#include "ZQFramework/Utilities/Graphics/Rect.h"

#include <cstdint>

namespace ZQ
{
// What a clip guard pushes: kPlain a copy of the current state; kRect bounds, clip, stencil and the
// relative flag (as LRenderer::PushClipRect); kOffset the offset (as LRenderer::PushClipOffset).
struct ClipDescription
{
    static constexpr int32_t kPlain = 0;
    static constexpr int32_t kRect = 1;
    static constexpr int32_t kOffset = 2;

    int32_t flavour = kPlain;
    RectT<double> bounds;
    RectT<double> clip;
    RCPtr<LStencil> stencil;
    bool relative = false;
    PointT<double> offset;
};

// Pushes one clip state of a renderer for the life of a scope and pops it at the end, also when an
// exception passes. Holds the renderer meanwhile. A push that throws leaves nothing to pop.
class CAutoClip
{
public:
    // A copy of the current state.
    explicit CAutoClip(const RCPtr<LRenderer>& renderer);
    // LRenderer::PushClipRect.
    CAutoClip(const RCPtr<LRenderer>& renderer, const RectT<double>& bounds, const RectT<double>& clip,
              const RCPtr<LStencil>& stencil, bool relative = true);
    // Throws for a flavour other than the three of ClipDescription, pushing nothing.
    CAutoClip(const RCPtr<LRenderer>& renderer, const ClipDescription& description);
    ~CAutoClip();

    CAutoClip(const CAutoClip&) = delete;
    CAutoClip& operator=(const CAutoClip&) = delete;

private:
    RCPtr<LRenderer> mRenderer;
};
} // namespace ZQ
