#include "ZQFramework/Renderer/AutoClip.h"

#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/Renderer/Renderer.h"

#include <stdexcept>

namespace ZQ
{
CAutoClip::CAutoClip(const RCPtr<LRenderer>& renderer) : mRenderer(renderer)
{
    mRenderer->PushClip();
}

CAutoClip::CAutoClip(const RCPtr<LRenderer>& renderer, const RectT<double>& bounds, const RectT<double>& clip,
                     const RCPtr<LStencil>& stencil, bool relative)
    : mRenderer(renderer)
{
    mRenderer->PushClipRect(bounds, clip, stencil, relative);
}

CAutoClip::CAutoClip(const RCPtr<LRenderer>& renderer, const ClipDescription& description)
    : mRenderer(renderer)
{
    switch (description.flavour)
    {
    case ClipDescription::kPlain:
        mRenderer->PushClip();
        break;
    case ClipDescription::kRect:
        mRenderer->PushClipRect(description.bounds, description.clip, description.stencil,
                                description.relative);
        break;
    case ClipDescription::kOffset:
        mRenderer->PushClipOffset(description.offset);
        break;
    default:
        throw Exception<std::runtime_error>(
            "Runtime Error : Unknown PushClip flavor : ZQ::CAutoClip::CAutoClip "
            ": ZQFramework\\Renderer\\Renderer : Line 405");
    }
}

CAutoClip::~CAutoClip()
{
    mRenderer->PopClip();
}
} // namespace ZQ
