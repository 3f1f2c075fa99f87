#include "FontRenderer/FontTestFolder.h"
#include "Support/MeasurementRendererScope.h"

#include "ZQFramework/Renderer/Font.h"
#include "ZQFramework/Renderer/FontRenderer/FreetypeFontRenderer.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <vector>

using namespace ZQ;

namespace
{
// Keeps the box, advance and glyph index of every glyph it was given, per character, and records each
// placed glyph and the steps it asked for; its bounds are those of the placed boxes.
class FakeGlyphProcessor : public LGlyphProcessor
{
public:
    struct Placed
    {
        GlyphRecord record;
        int32_t needed;
    };

    void BeginString(const ConstRCPtr<LFont>&, int32_t) override
    {
        placed.clear();
        mBounds = {};
    }
    void EndString() override {}
    int32_t FindGlyph(GlyphRecord& record) override
    {
        auto known = mKnown.find(record.characterCode);
        mNeeded = known == mKnown.end() ? kLoad | kMeasure | kRender : 0;
        if (known != mKnown.end())
        {
            const GlyphRecord& cached = known->second;
            record.left = cached.left;
            record.top = cached.top;
            record.right = cached.right;
            record.bottom = cached.bottom;
            record.advanceX = cached.advanceX;
            record.advanceY = cached.advanceY;
            record.glyphIndex = cached.glyphIndex;
        }
        return mNeeded;
    }
    void PlaceGlyph(const GlyphRecord& record) override
    {
        mKnown.emplace(record.characterCode, record);
        placed.push_back({record, mNeeded});
        const bool first = placed.size() == 1;
        mBounds.left = first ? record.penX + record.left : std::min(mBounds.left, record.penX + record.left);
        mBounds.top = first ? record.penY + record.top : std::min(mBounds.top, record.penY + record.top);
        mBounds.right = std::max(mBounds.right, record.penX + record.right);
        mBounds.bottom = std::max(mBounds.bottom, record.penY + record.bottom);
    }
    GlyphBounds GetBounds() const override { return mBounds; }

    std::vector<Placed> placed;

private:
    std::map<int32_t, GlyphRecord> mKnown;
    int32_t mNeeded = 0;
    GlyphBounds mBounds;
};

class FreetypeFontRendererTest : public ::testing::Test
{
protected:
    FreetypeFontRendererTest()
    {
        // The only family, so its regular face has file id 0.
        mFolder.Copy("LiberationSans-Regular.ttf", "sans.ttf");
        mRenderer = RCPtr<LFreetypeFontRenderer>(new LFreetypeFontRenderer(mProcessor));
    }

    int32_t Render(const char16_t* text, float size)
    {
        return mRenderer->RenderString(text, LFont::GetFont(u"Liberation Sans", size, 0), mProcessor, 0, 0,
                                       LGlyphProcessor::kDrawing);
    }

    FontTestFolder mFolder;
    RCPtr<FakeGlyphProcessor> mProcessor{new FakeGlyphProcessor};
    RCPtr<LFreetypeFontRenderer> mRenderer;
};

bool HasGreys(const LPixelBuffer<unsigned char>& bitmap)
{
    for (int32_t row = 0; row < bitmap.GetRows(); ++row)
    {
        const unsigned char* pixels = bitmap.GetRow(row);
        if (std::any_of(pixels, pixels + bitmap.GetWidth(),
                        [](unsigned char p) { return p != 0 && p != 255; }))
            return true;
    }
    return false;
}

TEST_F(FreetypeFontRendererTest, MetricsOfTheFirstFamilysRegularFace)
{
    int32_t height = -1, ascent = 0, descent = 0;
    ASSERT_EQ(mRenderer->GetFontMetrics(LFont::GetFont(u"Liberation Sans", 12, 0), height, ascent, descent),
              S_OK);
    EXPECT_LT(ascent, 0);
    EXPECT_GT(descent, 0);
    EXPECT_GE(height, 16); // 12 pt at 96 dpi
    EXPECT_GE(height, descent - ascent);
}

TEST_F(FreetypeFontRendererTest, GlyphsCarryBitmapAndAdvanceAndAreRasterisedOnce)
{
    ASSERT_EQ(Render(u"HH", 12), 2);
    ASSERT_EQ(mProcessor->placed.size(), 2u);
    const auto& [first, needed] = mProcessor->placed[0];
    EXPECT_EQ(needed, 7);
    EXPECT_EQ(first.characterCode, u'H');
    EXPECT_NE(first.glyphIndex, 0);
    EXPECT_GT(first.advanceX, 0);
    ASSERT_TRUE(first.bitmap);
    EXPECT_EQ(first.bitmap->GetWidth(), first.right - first.left);
    EXPECT_EQ(first.bitmap->GetRows(), first.bottom - first.top);
    const auto& second = mProcessor->placed[1];
    EXPECT_EQ(second.needed, 0);
    EXPECT_FALSE(second.record.bitmap) << "a known glyph is not rasterised again";
    EXPECT_FLOAT_EQ(second.record.penX, first.penX + static_cast<float>(first.advanceX) / 64);
}

TEST_F(FreetypeFontRendererTest, UnmappedCharacterIsSkippedWithoutMovingThePen)
{
    ASSERT_EQ(Render(u"H\uE000I", 12), 3);
    ASSERT_EQ(mProcessor->placed.size(), 2u);
    const GlyphRecord& h = mProcessor->placed[0].record;
    const GlyphRecord& i = mProcessor->placed[1].record;
    EXPECT_EQ(i.characterCode, u'I');
    EXPECT_EQ(i.index, 2);
    EXPECT_FLOAT_EQ(i.penX, h.penX + static_cast<float>(h.advanceX) / 64);
}

TEST_F(FreetypeFontRendererTest, KerningPairsTheGlyphsAroundAnUnmappedCharacter)
{
    std::vector<float> penOfV;
    for (const char16_t* text : {u"AV", u"A\uE000V"})
    {
        Render(text, 24);
        ASSERT_EQ(mProcessor->placed.size(), 2u);
        const GlyphRecord& a = mProcessor->placed[0].record;
        penOfV.push_back(mProcessor->placed[1].record.penX);
        EXPECT_LT(penOfV.back(), a.penX + static_cast<float>(a.advanceX) / 64) << "A and V are kerned closer";
    }
    EXPECT_EQ(penOfV[0], penOfV[1]);
}

TEST_F(FreetypeFontRendererTest, SmallSizesRenderInOneBitExpandedToFullInk)
{
    struct Case
    {
        float size;
        const char16_t* text; // the fake keeps glyphs per character, not per font: one character per size
        bool greys;
    };
    for (const Case& c : {Case{7.5f, u"W", false}, Case{8.0f, u"M", true}})
    {
        Render(c.text, c.size);
        ASSERT_EQ(mProcessor->placed.size(), 1u);
        ASSERT_TRUE(mProcessor->placed[0].record.bitmap);
        const LPixelBuffer<unsigned char>& bitmap = *mProcessor->placed[0].record.bitmap;
        EXPECT_EQ(HasGreys(bitmap), c.greys) << c.size;
        EXPECT_NE(std::find(bitmap.GetRow(0), bitmap.GetRow(bitmap.GetRows()), 255),
                  bitmap.GetRow(bitmap.GetRows()))
            << "full ink at " << c.size;
    }
}

TEST_F(FreetypeFontRendererTest, MeasuringEmptyTextGivesWidthOneAndTheFontsHeight)
{
    TestSupport::MeasurementRendererScope scope(mRenderer);
    const ConstRCPtr<LFont> font = LFont::GetFont(u"Liberation Sans", 13, 0);
    const RectT<float> box = mRenderer->MeasureText(u"", font);
    EXPECT_EQ(box.x, 0);
    EXPECT_EQ(box.width, 1);
    EXPECT_EQ(box.y, static_cast<float>(font->GetAscent()));
    EXPECT_EQ(box.height, static_cast<float>(font->GetDescent() - font->GetAscent()));
}

TEST_F(FreetypeFontRendererTest, UncataloguedFontWithoutDefaultThrows)
{
    EXPECT_THROW(
        (void)mRenderer->RenderString(u"x", LFont::GetFont(u"Nothing Like It", 12, 0), mProcessor, 0, 0, 3),
        std::runtime_error);
}
} // namespace
