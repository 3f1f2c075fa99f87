#pragma once

#include "ZQFramework/Renderer/FontRenderer/FontRenderer.h"

namespace ZQ
{
// The font renderer on FreeType and its cache subsystem: fonts are found through the font catalogue,
// faces and sizes are kept by one process-wide cache manager (8 faces, 16 sizes, 4 MB), and glyphs are
// loaded and rasterised only when the processor does not know them yet. Constructing it builds the
// catalogue and the FreeType objects, destroying it releases them, so one exists at a time. UI thread only.
class LFreetypeFontRenderer : public LFontRenderer
{
public:
    explicit LFreetypeFontRenderer(const RCPtr<LGlyphProcessor>& processor);
    ~LFreetypeFontRenderer() override;
    LFreetypeFontRenderer(const LFreetypeFontRenderer&) = delete;
    LFreetypeFontRenderer& operator=(const LFreetypeFontRenderer&) = delete;

    // Height, ascent (negative) and descent in pixels at 96 dpi; E_FAIL, outputs untouched, when the
    // font's face or size cannot be had.
    ZQRESULT GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& ascent,
                            int32_t& descent) override;
    int32_t RenderString(const WString& text, const ConstRCPtr<LFont>& font,
                         const RCPtr<LGlyphProcessor>& processor, int32_t firstIndex, int32_t limit,
                         int32_t flags) override;
};
} // namespace ZQ
