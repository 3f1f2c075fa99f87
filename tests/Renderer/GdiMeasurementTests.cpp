#include "GdiTesting.h"
#include "MeasurementContract.h"

#include "ZQFramework/Renderer/Font.h"
#include "ZQFramework/Renderer/Renderer.h"

namespace MeasurementContractTesting
{
struct GdiMeasurerFactory
{
    static ZQ::RCPtr<ZQ::LMeasurementRenderer> Create()
    {
        return ZQ::RCPtr<ZQ::LMeasurementRenderer>(new ZQ::LGDIRenderer);
    }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Gdi, MeasurementContract, ::testing::Types<GdiMeasurerFactory>);
} // namespace MeasurementContractTesting

namespace
{
using namespace GdiTesting;
using ZQ::ConstRCPtr;
using ZQ::LFont;

TEST(GdiMeasurement, ArialNineHasArialsMetrics)
{
    // Liberation Sans stands in with Arial's design: em 2048, Windows ascent 1854, descent 434, line gap 67.
    ZQ::LGDIRenderer renderer;
    int32_t height = 0, ascent = 0, descent = 0;
    EXPECT_EQ(renderer.GetFontMetrics(LFont::GetFont(u"Arial", 9, 0), height, ascent, descent), S_OK);
    EXPECT_EQ(height, 14);
    EXPECT_EQ(ascent, -11);
    EXPECT_EQ(descent, 3);
}

TEST(GdiMeasurement, TextBoxesAreRoundedUpPlusThreeAndCarryTheMetrics)
{
    ZQ::LGDIRenderer renderer;
    const ConstRCPtr<LFont> font = LFont::GetFont(u"Arial", 9, 0);
    EXPECT_EQ(renderer.MeasureText(u"", font), (ZQ::RectT<float>()));

    const ZQ::RectT<float> one = renderer.MeasureText(u"i", font);
    EXPECT_GE(one.width, 4);
    EXPECT_EQ(one.x, 0);
    EXPECT_EQ(one.y, -11);
    EXPECT_EQ(one.height, 14);
    EXPECT_EQ(one.width, static_cast<float>(static_cast<int32_t>(one.width)));

    // Trailing blanks are measured; an unknown family falls back to a sans-serif one rather than nothing.
    EXPECT_GT(renderer.MeasureText(u"ab  ", font).width, renderer.MeasureText(u"ab", font).width);
    EXPECT_GT(renderer.MeasureText(u"ab", LFont::GetFont(u"No Such Family Here", 9, 0)).width, 3);
}

TEST(GdiMeasurement, DrawnTextLiesInItsMeasuredBox)
{
    OffscreenCanvas canvas(120, 40);
    const ConstRCPtr<LFont> font = LFont::GetFont(u"Arial", 9, 0);
    const ZQ::WString text(u"Hello, Wg!");
    const ZQ::RectT<float> box = canvas.renderer->MeasureText(text, font);
    const ZQ::PointT<int32_t> at(10, 12);

    canvas.Start();
    canvas.renderer->DrawText(text, font, at, ZQ::Color(0, 0, 0, 1));
    canvas.Finish();

    // The cell's top is one pixel above the position, and the box is one line high.
    const int32_t top = at.y - 1;
    const int32_t bottom = top + static_cast<int32_t>(box.height);
    const int32_t right = at.x + static_cast<int32_t>(box.width);
    int inked = 0;
    for (int32_t y = 0; y < 40; ++y)
    {
        for (int32_t x = 0; x < 120; ++x)
        {
            if ((canvas.At(x, y) >> 24) == 0)
                continue;
            ++inked;
            EXPECT_TRUE(x >= at.x && x < right && y >= top && y < bottom) << x << ", " << y;
        }
    }
    EXPECT_GT(inked, 20);
}
} // namespace
