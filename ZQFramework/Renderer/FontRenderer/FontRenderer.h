#pragma once

#include "ZQFramework/Renderer/FontRenderer/GlyphProcessor.h"
#include "ZQFramework/Renderer/MeasurementRenderer.h"

namespace ZQ
{
// Lays strings out glyph by glyph for a renderer that draws text itself: the glyphs go to a glyph
// processor, which draws them and collects their bounds. Measuring runs the layout through the
// renderer's own processor without drawing. UI thread only.
class LFontRenderer : public LMeasurementRenderer
{
public:
    explicit LFontRenderer(const RCPtr<LGlyphProcessor>& processor) : mProcessor(processor) {}

    // The bounds of the laid-out text against the font's ascent and descent: x the left of the ink,
    // width one more than its extent.
    [[nodiscard]] RectT<float> MeasureText(const WString& text, const ConstRCPtr<LFont>& font) override;
    // MeasureText's widths of all the text's prefixes from one layout of the text.
    void MeasurePrefixWidths(const WString& text, const ConstRCPtr<LFont>& font,
                             std::vector<float>& widths) override;
    // Hands the characters of the text, from first index on, to the processor as glyphs; a positive limit
    // stops before the first glyph whose right edge passes it. Returns the number of characters processed.
    virtual int32_t RenderString(const WString& text, const ConstRCPtr<LFont>& font,
                                 const RCPtr<LGlyphProcessor>& processor, int32_t firstIndex, int32_t limit,
                                 int32_t flags) = 0;
    // The bounds the renderer's processor collected; all zero without one.
    [[nodiscard]] GlyphBounds GetRenderedBounds() const;
    // The renderer's own processor, which drawing renderers hand to RenderString.
    [[nodiscard]] const RCPtr<LGlyphProcessor>& GetProcessor() const { return mProcessor; }

protected:
    RCPtr<LGlyphProcessor> mProcessor;
};
} // namespace ZQ
