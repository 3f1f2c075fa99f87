#include "ZQFramework/Renderer/FontRenderer/FontRenderer.h"

#include "ZQFramework/Renderer/Font.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace ZQ
{
namespace
{
// Passes a string's glyphs on to a processor and keeps the processor's bounds when the string begins and
// after each glyph it places, with the index of the character the glyph stands for.
class LPrefixBoundsRecorder : public LGlyphProcessor
{
public:
    explicit LPrefixBoundsRecorder(const RCPtr<LGlyphProcessor>& inner) : mInner(inner) {}

    void BeginString(const ConstRCPtr<LFont>& font, int32_t flags) override
    {
        mInner->BeginString(font, flags);
        mStart = mInner->GetBounds();
    }
    void EndString() override { mInner->EndString(); }
    [[nodiscard]] int32_t FindGlyph(GlyphRecord& record) override { return mInner->FindGlyph(record); }
    void PlaceGlyph(const GlyphRecord& record) override
    {
        mInner->PlaceGlyph(record);
        mPlaced.emplace_back(record.index, mInner->GetBounds());
    }
    [[nodiscard]] GlyphBounds GetBounds() const override { return mInner->GetBounds(); }

    GlyphBounds mStart;
    std::vector<std::pair<int32_t, GlyphBounds>> mPlaced;

private:
    RCPtr<LGlyphProcessor> mInner;
};

float WidthOf(const GlyphBounds& bounds)
{
    return bounds.right + 1 - bounds.left;
}
} // namespace

RectT<float> LFontRenderer::MeasureText(const WString& text, const ConstRCPtr<LFont>& font)
{
    RenderString(text, font, mProcessor, 0, 0, LGlyphProcessor::kMeasuring);
    const GlyphBounds bounds = GetRenderedBounds();
    const float ascent = static_cast<float>(font->GetAscent());
    const float descent = static_cast<float>(font->GetDescent());
    const float top = std::min(bounds.top, ascent);
    return {bounds.left, top, WidthOf(bounds), std::max(bounds.bottom, descent) - top};
}

void LFontRenderer::MeasurePrefixWidths(const WString& text, const ConstRCPtr<LFont>& font,
                                        std::vector<float>& widths)
{
    if (!mProcessor)
    {
        LMeasurementRenderer::MeasurePrefixWidths(text, font, widths);
        return;
    }
    // A glyph's place depends only on the glyphs before it, so the bounds after the last glyph of a prefix
    // are the bounds of that prefix laid out alone.
    const RCPtr<LPrefixBoundsRecorder> recorder(new LPrefixBoundsRecorder(mProcessor));
    RenderString(text, font, RCPtr<LGlyphProcessor>(recorder), 0, 0, LGlyphProcessor::kMeasuring);
    widths.assign(static_cast<size_t>(text.GetLength()) + 1, 0.0f);
    GlyphBounds bounds = recorder->mStart;
    auto placed = recorder->mPlaced.cbegin();
    for (int32_t count = 1; count <= text.GetLength(); ++count)
    {
        for (; placed != recorder->mPlaced.cend() && placed->first < count; ++placed)
            bounds = placed->second;
        widths[static_cast<size_t>(count)] = WidthOf(bounds);
    }
}

GlyphBounds LFontRenderer::GetRenderedBounds() const
{
    return mProcessor ? mProcessor->GetBounds() : GlyphBounds{};
}
} // namespace ZQ
