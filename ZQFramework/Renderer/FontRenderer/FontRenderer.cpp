#include "ZQFramework/Renderer/FontRenderer/FontRenderer.h"

#include "ZQFramework/Renderer/Font.h"

#include <algorithm>

namespace ZQ
{
RectT<float> LFontRenderer::MeasureText(const WString& text, const ConstRCPtr<LFont>& font)
{
    RenderString(text, font, mProcessor, 0, 0, LGlyphProcessor::kMeasuring);
    const GlyphBounds bounds = GetRenderedBounds();
    const float ascent = static_cast<float>(font->GetAscent());
    const float descent = static_cast<float>(font->GetDescent());
    const float top = std::min(bounds.top, ascent);
    return {bounds.left, top, bounds.right + 1 - bounds.left, std::max(bounds.bottom, descent) - top};
}

GlyphBounds LFontRenderer::GetRenderedBounds() const
{
    return mProcessor ? mProcessor->GetBounds() : GlyphBounds{};
}
} // namespace ZQ
