#pragma once

#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/Renderer/Forward.h"
#include "ZQFramework/Renderer/Stencil.h"
#include "ZQFramework/Utilities/Graphics/Point.h"
#include "ZQFramework/Utilities/Graphics/Rect.h"

namespace ZQ
{
// The drawing state of a render context: where the origin is, what is clipped, how opaque drawing is
// and which stencil masks it. The clip is in the coordinates of the origin. A copy shares the stencil.
class RenderState
{
public:
    // The clip of a new state stands for "unbounded": the single-precision values -5e15 and 1e16,
    // widened.
    static constexpr double kUnboundedClipOrigin = static_cast<double>(-5e15f);
    static constexpr double kUnboundedClipSize = static_cast<double>(1e16f);

    RenderState() = default;
    RenderState(const RenderState&) = default;
    RenderState& operator=(const RenderState&) = default;
    virtual ~RenderState() = default;

    PointT<double> origin;
    RectT<double> clip{kUnboundedClipOrigin, kUnboundedClipOrigin, kUnboundedClipSize, kUnboundedClipSize};
    float opacity = 1.0f;
    bool stencilActive = false;
    RCPtr<LStencil> stencil;
};

static_assert(RenderState::kUnboundedClipOrigin == -5000000136282112.0);
static_assert(RenderState::kUnboundedClipSize == 10000000272564224.0);
} // namespace ZQ
