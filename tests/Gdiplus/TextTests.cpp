#include "Canvas.h"

#include "Platform/Gdiplus/Font.h"

#include <cmath>
#include <string>
#include <string_view>
#include <vector>

namespace
{
using namespace Platform::Gdiplus;

std::unique_ptr<Font> MakeFont(std::u16string_view name, float size, int32_t style = FontStyleRegular,
                               Unit unit = Unit::Point)
{
    const auto family = FontFamily::FromName(name);
    EXPECT_TRUE(family);
    return family ? Font::Create(family.get(), size, style, unit) : nullptr;
}

TEST(GdiplusText, ArialIsLiberationSansWithArialsMetrics)
{
    const auto family = FontFamily::FromName(u"Arial");
    ASSERT_TRUE(family);
    EXPECT_EQ(family->Name(), u"Liberation Sans");
    const FontMetrics metrics = family->Metrics(FontStyleRegular);
    EXPECT_EQ(metrics.emHeight, 2048);
    EXPECT_EQ(metrics.cellAscent, 1854);
    EXPECT_EQ(metrics.cellDescent, 434);
    EXPECT_EQ(metrics.lineSpacing, 2355);

    // 9 points at 96 DPI: a cell ascent of 11 pixels, a descent of 3 and a line of 14, rounded up from
    // half a pixel less as GDI+'s callers round.
    const auto font = Font::Create(family.get(), 9, FontStyleRegular, Unit::Point);
    ASSERT_TRUE(font);
    const float em = font->EmPixels(96);
    EXPECT_FLOAT_EQ(em, 12);
    EXPECT_EQ(std::lround(metrics.cellAscent * em / metrics.emHeight + 0.499), 11);
    EXPECT_EQ(std::lround(metrics.cellDescent * em / metrics.emHeight + 0.499), 3);
    EXPECT_EQ(std::lround(font->GetHeight(96) + 0.499), 14);
    const auto pixels = Font::Create(family.get(), 9, FontStyleRegular, Unit::Pixel);
    EXPECT_EQ(std::lround(pixels->GetHeight(72) * 96 / 72 + 0.499), 14);
}

TEST(GdiplusText, UnknownFamiliesFallBackToSansSerif)
{
    const auto unknown = FontFamily::FromName(u"No Such Family Anywhere");
    const auto sans = FontFamily::GenericSansSerif();
    ASSERT_TRUE(unknown && sans);
    EXPECT_EQ(unknown->Name(), sans->Name());
    EXPECT_GT(unknown->Metrics(FontStyleBold).emHeight, 0);
}

TEST(GdiplusText, MeasuringCountsAdvancesTrailingSpacesAndLines)
{
    Canvas canvas;
    const auto font = MakeFont(u"Arial", 9);
    ASSERT_TRUE(font);
    const auto measure = [&](std::u16string_view text)
    {
        RectF bounds{-1, -1, -1, -1};
        EXPECT_EQ(canvas.graphics->MeasureString(text, font.get(), {2, 3}, bounds), Status::Ok);
        return bounds;
    };
    const RectF empty = measure(u"");
    EXPECT_EQ(empty.x, 2);
    EXPECT_EQ(empty.y, 3);
    EXPECT_EQ(empty.width, 0);
    EXPECT_EQ(empty.height, 0);

    const RectF one = measure(u"i");
    EXPECT_GT(one.width, 0);
    EXPECT_FLOAT_EQ(one.height, font->GetHeight(96));
    // Liberation Sans advances 'a' by 1139 units and a space by 569.
    EXPECT_NEAR(measure(u"a").width, 12 * 1139 / 2048.0, 0.01);
    EXPECT_NEAR(measure(u"a  ").width, 12 * (1139 + 2 * 569) / 2048.0, 0.01);
    const RectF twoLines = measure(u"aa\r\na");
    EXPECT_FLOAT_EQ(twoLines.width, measure(u"aa").width);
    EXPECT_FLOAT_EQ(twoLines.height, 2 * font->GetHeight(96));

    const auto bold = MakeFont(u"Arial", 9, FontStyleBold);
    RectF heavy;
    ASSERT_EQ(canvas.graphics->MeasureString(u"Hello", bold.get(), {}, heavy), Status::Ok);
    EXPECT_GT(heavy.width, measure(u"Hello").width);
}

TEST(GdiplusText, PrefixWidthsInOnePassAreEachPrefixMeasuredAlone)
{
    using namespace std::string_view_literals;
    Canvas canvas;
    const std::unique_ptr<Font> fonts[] = {MakeFont(u"Arial", 9), MakeFont(u"Arial", 13.5f, FontStyleBold),
                                           MakeFont(u"Times New Roman", 11, FontStyleItalic),
                                           MakeFont(u"DejaVu Sans", 17, FontStyleRegular, Unit::Pixel)};
    const std::u16string_view texts[] = {
        u"Hello, world! il1 MMM"sv,
        u"na\u00EFve caf\u00E9, cafe\u0301 \u00C5ngstr\u00F6m"sv,
        u"AV AVAVA To Ty WAVE LT"sv,
        u"a\tb\t\tc   d    "sv,
        u"\U0001F600x\U0001D11E\U0001F600"sv,
        u"lone \xD800 and \xDC00 halves, high at the end \xD83D"sv,
        u"two\r\nlines, wider second\n\r\rthird\r"sv,
        u"before\0after"sv,
    };
    for (const auto& font : fonts)
    {
        ASSERT_TRUE(font);
        for (size_t index = 0; index < std::size(texts); ++index)
        {
            SCOPED_TRACE("text " + std::to_string(index));
            const std::u16string_view text = texts[index];
            std::vector<float> widths;
            ASSERT_EQ(canvas.graphics->MeasureStringPrefixWidths(text, font.get(), widths), Status::Ok);
            ASSERT_EQ(widths.size(), text.size() + 1);
            for (size_t count = 0; count <= text.size(); ++count)
            {
                RectF alone;
                ASSERT_EQ(canvas.graphics->MeasureString(text.substr(0, count), font.get(), {}, alone),
                          Status::Ok);
                EXPECT_EQ(widths[count], alone.width) << "prefix " << count;
            }
        }
    }
    std::vector<float> widths{1, 2};
    EXPECT_EQ(canvas.graphics->MeasureStringPrefixWidths(u"", fonts[0].get(), widths), Status::Ok);
    EXPECT_EQ(widths, std::vector<float>{0});
    EXPECT_EQ(canvas.graphics->MeasureStringPrefixWidths(u"ab", nullptr, widths), Status::InvalidParameter);
    EXPECT_EQ(widths, (std::vector<float>{0, 0, 0}));
}

// The rows and columns that hold any ink, as [first, last]; first > last when nothing was drawn.
struct Ink
{
    int32_t left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
};

Ink InkOf(const Canvas& canvas)
{
    Ink ink;
    for (int32_t y = 0; y < canvas.bitmap->Height(); ++y)
    {
        for (int32_t x = 0; x < canvas.bitmap->Width(); ++x)
        {
            if (AlphaOf(canvas.At(x, y)) == 0)
                continue;
            ink = {std::min(ink.left, x), std::min(ink.top, y), std::max(ink.right, x),
                   std::max(ink.bottom, y)};
        }
    }
    return ink;
}

TEST(GdiplusText, DrawnTextLiesInItsMeasuredBoxWithTheCellTopAtThePoint)
{
    for (const char16_t* text : {u"Hello, Wg", u"Wg|", u"Two\nlines"})
    {
        Canvas canvas(120, 50);
        const auto font = MakeFont(u"Arial", 9);
        const PointF origin{5, 6};
        RectF box;
        ASSERT_EQ(canvas.graphics->MeasureString(text, font.get(), origin, box), Status::Ok);
        ASSERT_EQ(canvas.graphics->DrawString(text, font.get(), origin, Brush::Solid(0xFF000000).get()),
                  Status::Ok);
        const Ink ink = InkOf(canvas);
        ASSERT_LE(ink.left, ink.right) << "nothing drawn";
        EXPECT_GE(ink.left, std::floor(box.x));
        EXPECT_GE(ink.top, std::floor(box.y));
        EXPECT_LT(ink.right, std::ceil(box.x + box.width));
        EXPECT_LT(ink.bottom, std::ceil(box.y + box.height));
        // Capitals and ascenders reach up to about two pixels below the cell top at 9 points.
        EXPECT_LE(ink.top, origin.y + 4);
    }
}

TEST(GdiplusText, UnderlineRulesTheWholeLine)
{
    // The gap of the space keeps every row of the plain text from being inked from end to end.
    const std::u16string text = u"- -";
    const auto font = MakeFont(u"Arial", 9);
    const auto underline = MakeFont(u"Arial", 9, FontStyleUnderline);
    const auto black = Brush::Solid(0xFF000000);
    Canvas plain(40, 20);
    Canvas underlined(40, 20);
    ASSERT_EQ(plain.graphics->DrawString(text, font.get(), {0, 0}, black.get()), Status::Ok);
    ASSERT_EQ(underlined.graphics->DrawString(text, underline.get(), {0, 0}, black.get()), Status::Ok);
    RectF box;
    ASSERT_EQ(plain.graphics->MeasureString(text, font.get(), {0, 0}, box), Status::Ok);
    const auto ruledRows = [&](const Canvas& canvas)
    {
        std::vector<int32_t> rows;
        for (int32_t y = 0; y < 20; ++y)
        {
            const std::string row = canvas.Row(y);
            if (row.find('.') >= size_t(std::floor(box.width)))
                rows.push_back(y);
        }
        return rows;
    };
    EXPECT_TRUE(ruledRows(plain).empty());
    const auto rows = ruledRows(underlined);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_GT(rows[0], font->Metrics().cellAscent * 12 / font->Metrics().emHeight);
    EXPECT_LT(rows[0], box.height);
    EXPECT_NEAR(double(underlined.Row(rows[0]).find('.')), box.width, 1);
}
} // namespace
