#include "GLTesting.h"
#include "MeasurementContract.h"
#include "Support/MeasurementRendererScope.h"

#include "ZQFramework/Renderer/Font.h"
#include "ZQFramework/Renderer/FontRenderer/FreetypeFontRenderer.h"
#include "ZQFramework/Renderer/OpenGL/GLGlyphRenderer.h"

#include <set>

namespace
{
using namespace GLTesting;
using ZQ::ConstRCPtr;
using ZQ::LFont;
using ZQ::LGLGlyphRenderer;
using ZQ::LGlyphProcessor;
using ZQ::RCPtr;

ConstRCPtr<LFont> Sans(float size, int32_t style = 0)
{
    return LFont::GetFont(u"Liberation Sans", size, style);
}

// Passes every call to the glyph renderer and counts the glyphs it asked the font renderer to render.
class CountingProcessor : public LGlyphProcessor
{
public:
    explicit CountingProcessor(const RCPtr<LGLGlyphRenderer>& inner) : mInner(inner) {}

    void BeginString(const ConstRCPtr<LFont>& font, int32_t flags) override
    {
        mInner->BeginString(font, flags);
    }
    void EndString() override { mInner->EndString(); }
    int32_t FindGlyph(ZQ::GlyphRecord& record) override
    {
        const int32_t steps = mInner->FindGlyph(record);
        rendered += (steps & kRender) != 0 ? 1 : 0;
        return steps;
    }
    void PlaceGlyph(const ZQ::GlyphRecord& record) override { mInner->PlaceGlyph(record); }
    ZQ::GlyphBounds GetBounds() const override { return mInner->GetBounds(); }

    int32_t rendered = 0;

private:
    RCPtr<LGLGlyphRenderer> mInner;
};

// A glyph renderer under a FreeType font renderer that is the application's measurement renderer.
struct GlyphBench
{
    RCPtr<LGLGlyphRenderer> glyphs{new LGLGlyphRenderer};
    RCPtr<ZQ::LFreetypeFontRenderer> fonts{new ZQ::LFreetypeFontRenderer(glyphs)};
    TestSupport::MeasurementRendererScope scope{fonts};
};

RCPtr<ZQ::LPixelBuffer<unsigned char>> InkBitmap(int32_t width, int32_t rows)
{
    RCPtr<ZQ::LPixelBuffer<unsigned char>> bitmap(new ZQ::LPixelBuffer<unsigned char>(width, rows, width));
    for (int32_t row = 0; row < rows; ++row)
        std::fill_n(bitmap->GetRow(row), width, 255);
    return bitmap;
}

// Places a new glyph of the character with an inked bitmap of the size; returns whether it was kept.
bool PlaceSynthetic(LGLGlyphRenderer& glyphs, int32_t characterCode, int32_t width, int32_t rows)
{
    ZQ::GlyphRecord record;
    record.characterCode = characterCode;
    if (glyphs.FindGlyph(record) == 0)
        return true;
    record.right = width;
    record.bottom = rows;
    record.advanceX = (width + 1) * 64;
    record.glyphIndex = characterCode;
    record.bitmap = InkBitmap(width, rows);
    glyphs.PlaceGlyph(record);
    return glyphs.FindGlyph(record) == 0;
}

TEST(GLGlyphRenderer, A12PointFontStartsWithA512By16Atlas)
{
    LGLGlyphRenderer glyphs;
    glyphs.BeginString(Sans(12), LGlyphProcessor::kMeasuring);
    const auto cached = glyphs.FindCachedFont(Sans(12));
    ASSERT_TRUE(cached);
    EXPECT_EQ(cached->GetAtlas()->GetWidth(), 512);
    EXPECT_EQ(cached->GetAtlasHeight(), 16);
    glyphs.EndString();
}

TEST(GLGlyphRenderer, RowsAreAsTallAsTheirTallestGlyph)
{
    LGLGlyphRenderer glyphs;
    glyphs.BeginString(Sans(12), LGlyphProcessor::kMeasuring);
    ASSERT_TRUE(PlaceSynthetic(glyphs, 'A', 200, 40)); // opens the first row: 202 x 42 with its border
    ASSERT_TRUE(PlaceSynthetic(glyphs, 'B', 200, 5));
    ASSERT_TRUE(PlaceSynthetic(glyphs, 'C', 200, 5)); // would reach x 606: the next row
    const auto cached = glyphs.FindCachedFont(Sans(12));
    const auto& a = cached->FindGlyph('A');
    const auto& b = cached->FindGlyph('B');
    const auto& c = cached->FindGlyph('C');
    EXPECT_EQ(std::make_pair(a.atlasX, a.atlasY), std::make_pair(uint16_t(1), uint16_t(1)));
    EXPECT_EQ(std::make_pair(b.atlasX, b.atlasY), std::make_pair(uint16_t(203), uint16_t(1)));
    EXPECT_EQ(std::make_pair(c.atlasX, c.atlasY), std::make_pair(uint16_t(1), uint16_t(43)));
    EXPECT_EQ(cached->GetAtlasHeight(), 64);
    EXPECT_EQ(cached->GetAtlas()->GetRow(43)[1], 255);
    EXPECT_EQ(cached->GetAtlas()->GetRow(42)[1], 0) << "the border stays empty";
    glyphs.EndString();
}

TEST(GLGlyphRenderer, GlyphsTheAtlasCannotHoldAreNeitherKeptNorDrawnButCount)
{
    LGLGlyphRenderer glyphs;
    glyphs.BeginString(Sans(12), LGlyphProcessor::kMeasuring);
    EXPECT_TRUE(PlaceSynthetic(glyphs, 'a', 510, 2)) << "510 pixels and the border fill the row";
    EXPECT_FALSE(PlaceSynthetic(glyphs, 'b', 511, 2));
    EXPECT_FLOAT_EQ(glyphs.GetBounds().right, 512) << "the refused glyph's advance still counts";
    EXPECT_TRUE(PlaceSynthetic(glyphs, 'c', 400, 16000));
    EXPECT_TRUE(PlaceSynthetic(glyphs, 'd', 400, 10));
    EXPECT_FALSE(PlaceSynthetic(glyphs, 'e', 400, 400)) << "past the last of 16384 rows";
    EXPECT_EQ(glyphs.FindCachedFont(Sans(12))->GetAtlasHeight(), 16384);
    glyphs.EndString();
}

TEST(GLGlyphRenderer, TheSeventeenthFontEvictsTheLeastRecentlyUsed)
{
    LGLGlyphRenderer glyphs;
    for (int32_t i = 0; i <= LGLGlyphRenderer::kFontCacheSize; ++i)
    {
        glyphs.BeginString(Sans(10.0f + float(i)), LGlyphProcessor::kMeasuring);
        glyphs.EndString();
    }
    EXPECT_FALSE(glyphs.FindCachedFont(Sans(10)));
    EXPECT_TRUE(glyphs.FindCachedFont(Sans(11)));
    EXPECT_TRUE(glyphs.FindCachedFont(Sans(26)));
}

TEST(GLGlyphRenderer, AStringMeasuredTwiceIsRasterisedOnce)
{
    GlyphBench bench;
    const RCPtr<CountingProcessor> counting(new CountingProcessor(bench.glyphs));
    bench.fonts->RenderString(u"Hello", Sans(12), counting, 0, 0, LGlyphProcessor::kMeasuring);
    EXPECT_EQ(counting->rendered, 4) << "H, e, l, o";
    bench.fonts->RenderString(u"Hello", Sans(12), counting, 0, 0, LGlyphProcessor::kMeasuring);
    EXPECT_EQ(counting->rendered, 4);
    EXPECT_EQ(bench.glyphs->FindCachedFont(Sans(12))->GetGlyphCount(), 4);
}

TEST(GLGlyphRenderer, SmallSizesAreMonochromeLargerOnesAntiAliased)
{
    GlyphBench bench;
    const auto atlasValues = [&](float size)
    {
        bench.fonts->RenderString(u"Ag&", Sans(size), bench.glyphs, 0, 0, LGlyphProcessor::kMeasuring);
        const auto atlas = bench.glyphs->FindCachedFont(Sans(size))->GetAtlas();
        std::set<int> values;
        for (int32_t row = 0; row < atlas->GetRows(); ++row)
            values.insert(atlas->GetRow(row), atlas->GetRow(row) + atlas->GetWidth());
        return values;
    };
    EXPECT_EQ(atlasValues(7.5f), (std::set<int>{0, 255}));
    EXPECT_GT(atlasValues(8).size(), 2u);
}

TEST(GLGlyphRenderer, MeasuringSkipsUnmappedCharactersAndGivesEmptyTextItsLine)
{
    GlyphBench bench;
    const auto font = Sans(12);
    EXPECT_EQ(bench.fonts->MeasureText(u"A\uE000B", font).width, bench.fonts->MeasureText(u"AB", font).width)
        << "the pen does not move for a character the font lacks";
    const ZQ::RectT<float> empty = bench.fonts->MeasureText(u"", font);
    EXPECT_EQ(empty.width, 1);
    EXPECT_EQ(empty.height, float(font->GetDescent() - font->GetAscent()));
}

TEST(GLGlyphRenderer, PrefixWidthsInOnePassAreEachPrefixMeasuredAlone)
{
    GlyphBench bench;
    for (const float size : {9.0f, 12.0f, 20.0f})
    {
        SCOPED_TRACE(size);
        MeasurementContractTesting::ExpectPrefixWidthsOfEachPrefix(*bench.fonts, Sans(size));
    }
}

TEST(GLGlyphRendererGL, TextIsDrawnBelowItsPositionFromTheAtlas)
{
    GLCanvas canvas;
    ZQ_REQUIRE_GL(canvas);
    const TestSupport::MeasurementRendererScope scope(canvas.renderer);
    const auto font = Sans(12);
    const Pixels pixels = canvas.Frame(
        [&] {
            canvas.renderer->DrawText(u"HH", font, {10, 20}, ZQ::Color(1, 1, 1, 1));
        });
    EXPECT_GT(pixels.CountInk(), 20);
    int32_t top = 64;
    int32_t bottom = 0;
    for (int32_t y = 0; y < 64; ++y)
    {
        if (pixels.Row(y).find('#') == std::string::npos)
            continue;
        top = std::min(top, y);
        bottom = std::max(bottom, y);
        EXPECT_GE(int32_t(pixels.Row(y).find('#')), 10) << y;
    }
    EXPECT_GE(top, 20) << "the cell's top at the position";
    EXPECT_LE(bottom, 20 + font->GetHeight());
    EXPECT_EQ(canvas.GL().MeasureText(u"HH", font).x, 0);
}
} // namespace
