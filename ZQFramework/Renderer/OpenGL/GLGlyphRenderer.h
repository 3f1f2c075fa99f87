#pragma once

#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/Renderer/FontRenderer/GlyphProcessor.h"
#include "ZQFramework/Renderer/FontRenderer/PixelBuffer.h"
#include "ZQFramework/Renderer/Forward.h"
#include "ZQFramework/Renderer/OpenGL/GLTexture.h"
#include "ZQFramework/Utilities/Storage/HashedList.h"
#include "ZQFramework/Utilities/Storage/PurgeableCache.h"

#include <cstdint>

namespace ZQ
{
// The OpenGL glyph processor: per font, one texture (a glyph atlas, 512 pixels wide, growing downward in
// powers of two up to 16384) holds every glyph rendered so far, so FreeType renders each glyph of a font
// once; glyphs are drawn as textured quads and the bounds of a string are collected for measuring. A glyph
// that does not fit the atlas (wider than 510 pixels, or past its last row) is neither kept nor drawn; its
// advance still counts. Up to 16 fonts are kept, the least recently used going first. Made by
// LRenderer::Create for the OpenGL renderer's font renderer; drawing needs that renderer's context
// current. UI thread only.
class LGLGlyphRenderer : public LGlyphProcessor
{
public:
    static constexpr int32_t kAtlasWidth = 512;
    static constexpr int32_t kFontCacheSize = 16;

    // One glyph of a cached font: its box and advance as the font renderer measured them and the atlas
    // texel of its top-left corner.
    struct CachedGlyph
    {
        int32_t characterCode = 0; // 0: not cached
        int32_t glyphIndex = 0;
        // Full-width values: boxes of large glyphs pass 127 pixels.
        int32_t left = 0;
        int32_t top = 0;
        int32_t right = 0;
        int32_t bottom = 0;
        int32_t advanceX = 0;
        int32_t advanceY = 0;
        uint16_t atlasX = 0;
        uint16_t atlasY = 0;

        [[nodiscard]] static int32_t GetUniqueID(const CachedGlyph& glyph) { return glyph.characterCode; }
    };

    // A font's atlas and glyphs; the texture is the atlas uploaded.
    class LCachedFont : public LGLTexture
    {
    public:
        explicit LCachedFont(const ConstRCPtr<LFont>& font);

        // The glyph of the character code; one with code 0 when not cached.
        [[nodiscard]] const CachedGlyph& FindGlyph(int32_t characterCode) const;
        // Copies the bitmap into the atlas at a new place and keeps the glyph there; false, keeping
        // nothing, when it does not fit.
        bool AddGlyph(CachedGlyph& glyph, const LPixelBuffer<unsigned char>* bitmap);
        // Uploads the atlas when glyphs were added since the last upload.
        void UploadWhenChanged();

        [[nodiscard]] const ConstRCPtr<LFont>& GetFont() const { return mFont; }
        [[nodiscard]] int32_t GetAtlasHeight() const { return mAtlas ? mAtlas->GetRows() : 0; }
        [[nodiscard]] const RCPtr<LPixelBuffer<unsigned char>>& GetAtlas() const { return mAtlas; }
        [[nodiscard]] int32_t GetGlyphCount() const { return mGlyphs.GetCount(); }

    private:
        // The corner of a free place of width x height, growing the atlas as needed; false when the
        // atlas cannot hold it.
        bool RequestSpace(int32_t width, int32_t height, int32_t& x, int32_t& y);
        void GrowAtlas(int32_t rows);

        ConstRCPtr<LFont> mFont;
        int32_t mPackX = 0;
        int32_t mPackY = 0;
        int32_t mRowHeight = 0;
        RCPtr<LPixelBuffer<unsigned char>> mAtlas;
        GLEdges mChanged; // the area changed since the last upload; all 0 when none
        HashedList<CachedGlyph, int32_t, &CachedGlyph::GetUniqueID, 8, &GetBits<8, 0, int32_t>> mGlyphs;
    };

    [[nodiscard]] static int32_t FontID(const ConstRCPtr<LFont>& font);
    using FontCache =
        PurgableObjectCache<LCachedFont, ConstRCPtr<LFont>, int32_t, &FontID, 4, &GetBits<4, 0, int32_t>>;

    LGLGlyphRenderer();
    ~LGLGlyphRenderer() override;

    void BeginString(const ConstRCPtr<LFont>& font, int32_t flags) override;
    void EndString() override;
    [[nodiscard]] int32_t FindGlyph(GlyphRecord& record) override;
    void PlaceGlyph(const GlyphRecord& record) override;
    [[nodiscard]] GlyphBounds GetBounds() const override { return mBounds; }

    // The cached font of the font, null when it is not cached (for tests and diagnostics).
    [[nodiscard]] RCPtr<LCachedFont> FindCachedFont(const ConstRCPtr<LFont>& font) const;

private:
    void AccumulateBounds(const GlyphRecord& record);

    FontCache mFonts{kFontCacheSize};
    RCPtr<LCachedFont> mCurrentFont;
    CachedGlyph mCurrentGlyph;
    int32_t mFlags = 0;
    GlyphBounds mBounds;
};
} // namespace ZQ
