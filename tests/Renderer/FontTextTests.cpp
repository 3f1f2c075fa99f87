#include "GeometryPrinting.h"
#include "Support/FakeMeasurer.h"
#include "Support/MeasurementRendererScope.h"
#include "Support/StringPrinting.h"

#include "ZQFramework/Renderer/Font.h"
#include "ZQFramework/Renderer/FontText.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

using namespace ZQ;
using TestSupport::FakeMeasurer;
using TestSupport::MeasurementRendererScope;

namespace
{
// Text laid out with the fake measurer: 6 pixels a character unless a case says otherwise, lines 12
// pixels high.
class FontTextTest : public ::testing::Test
{
protected:
    RCPtr<FakeMeasurer> mMeasurer{new FakeMeasurer};
    MeasurementRendererScope mScope{mMeasurer};
    // A font of its own: its metrics are fetched from this test's measurer.
    ConstRCPtr<LFont> mFont = LFont::GetFont(u"FontTextTest", 9, 0);

    std::vector<std::string> Lines(LFontText& layout)
    {
        std::vector<std::string> lines;
        const uint32_t count = layout.GetLineCount();
        for (uint32_t i = 0; i < count; ++i)
            lines.push_back(TestSupport::Utf8(layout.GetLine(i)));
        return lines;
    }

    std::vector<RectT<float>> Rects(LFontText& layout)
    {
        std::vector<RectT<float>> rects;
        const uint32_t count = layout.GetLineCount();
        for (uint32_t i = 0; i < count; ++i)
            rects.push_back(layout.GetLineRect(i));
        return rects;
    }
};

TEST_F(FontTextTest, SplitsAndWrapsLines)
{
    struct Case
    {
        const char* name;
        const char16_t* text;
        bool wrap;
        int32_t boxWidth;
        std::vector<std::string> lines;
        std::map<char16_t, float> widths = {};
    };
    const std::map<char16_t, float> kHalves = {{u'a', 6.5f}, {u'b', 6.5f}, {u'c', 6.5f}, {u'd', 6.5f}};
    const Case cases[] = {
        {"wrap at the last blank that fits", u"one two three", true, 45, {"one two", "three"}},
        {"an overlong word stays whole", u"ab abcdefghij cd", true, 30, {"ab", "abcdefghij", "cd"}},
        {"break after the last hyphen that fits", u"alpha-beta-gamma", true, 66, {"alpha-beta-", "gamma"}},
        {"not even the first hyphen fits", u"alpha-beta-gamma", true, 30, {"alpha-", "beta-", "gamma"}},
        {"a hyphen after the last fitting blank", u"ab cd-ef", true, 36, {"ab cd-", "ef"}},
        {"empty paragraph between line feeds", u"a\n\nb", false, 100, {"a", "", "b"}},
        {"nothing after a final line feed", u"a\n", false, 100, {"a"}},
        {"paragraphs wrap each on its own",
         u"one two\nthree four",
         true,
         30,
         {"one", "two", "three", "four"}},
        {"empty text gives one empty line", u"", true, 30, {""}},
        {"continuation lines drop leading blanks, first lines keep them",
         u"  ab   cd",
         true,
         30,
         {"  ab ", "cd"}},
        {"blanks left after a break make no line", u"ab  ", true, 12, {"ab"}},
        {"unwrapped text stays one line", u"one two three", false, 10, {"one two three"}},
        {"the whole text fits only when strictly narrower", u"abc def", true, 42, {"abc", "def"}},
        {"narrower than the box: one line", u"abc def", true, 43, {"abc def"}},
        {"a prefix fits when exactly as wide", u"abc def", true, 18, {"abc", "def"}},
        {"a fractional prefix exactly as wide fits", u"ab cd", true, 13, {"ab", "cd"}, kHalves},
        {"a fractional whole text exactly as wide does not", u"ab cd", true, 32, {"ab", "cd"}, kHalves},
        {"a fractional whole text narrower fits", u"ab cd", true, 33, {"ab cd"}, kHalves},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        mMeasurer->measurement.widths = c.widths;
        LFontText layout(c.text, mFont);
        layout.SetWordWrap(c.wrap);
        layout.SetBoxSize(c.boxWidth, 100);
        EXPECT_EQ(Lines(layout), c.lines);
    }
}

TEST_F(FontTextTest, PlacesLinesByTheAlignmentFactors)
{
    struct Case
    {
        const char* name;
        const char16_t* text;
        int32_t boxWidth;
        int32_t boxHeight;
        float horizontal;
        float vertical;
        std::vector<RectT<float>> rects;
    };
    const Case cases[] = {
        {"top left", u"ab\nabcd", 40, 30, 0, 0, {{0, 0, 12, 12}, {0, 12, 24, 12}}},
        {"bottom right", u"ab\nabcd", 40, 30, 1, 1, {{28, 6, 12, 12}, {16, 18, 24, 12}}},
        {"centred unwrapped overflow starts left of the box",
         u"abcdefghij",
         40,
         12,
         0.5f,
         0,
         {{-10, 0, 60, 12}}},
        {"centred lines taller than the box overflow both ways",
         u"a\nb\nc",
         10,
         10,
         0,
         0.5f,
         {{0, -13, 6, 12}, {0, -1, 6, 12}, {0, 11, 6, 12}}},
        {"bottom-aligned lines taller than the box overflow above",
         u"a\nb\nc",
         10,
         10,
         0,
         1,
         {{0, -26, 6, 12}, {0, -14, 6, 12}, {0, -2, 6, 12}}},
        {"empty text: the measured height of an empty text", u"", 10, 10, 0, 0, {{0, 0, 0, 0}}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        LFontText layout(c.text, mFont);
        layout.SetBoxSize(c.boxWidth, c.boxHeight);
        layout.SetHorizontalAlignment(c.horizontal);
        layout.SetVerticalAlignment(c.vertical);
        EXPECT_EQ(Rects(layout), c.rects);
    }
}

TEST_F(FontTextTest, MeasuredXWidensTheExtent)
{
    mMeasurer->measurement.measuredX = 2;
    LFontText layout(u"abc def", mFont);
    layout.SetWordWrap(true);
    layout.SetBoxSize(20, 100);
    EXPECT_EQ(Lines(layout), (std::vector<std::string>{"abc", "def"})); // "abc" is 18 + 2 wide
    EXPECT_EQ(layout.GetLineRect(0), (RectT<float>(0, 0, 20, 12)));
    layout.SetBoxSize(19, 100);
    EXPECT_EQ(Lines(layout), (std::vector<std::string>{"abc", "def"})); // overlong words stay whole
    EXPECT_EQ(layout.GetNaturalWidth(), 44);
}

TEST_F(FontTextTest, AlignmentChangeMeasuresNothingAgain)
{
    LFontText layout(u"one two three", mFont);
    layout.SetWordWrap(true);
    layout.SetBoxSize(45, 100);
    ASSERT_EQ(layout.GetLineCount(), 2u);
    const int measured = mMeasurer->measurement.measureCalls;

    EXPECT_TRUE(layout.SetHorizontalAlignment(1));
    EXPECT_FALSE(layout.SetHorizontalAlignment(1));
    EXPECT_TRUE(layout.SetVerticalAlignment(0.5f));
    EXPECT_EQ(layout.GetLineCount(), 2u);
    EXPECT_EQ(layout.GetLineRect(0), (RectT<float>(3, 38, 42, 12)));
    EXPECT_EQ(mMeasurer->measurement.measureCalls, measured);

    EXPECT_TRUE(layout.SetBoxSize(100, 100)); // a new box lays out again
    EXPECT_EQ(layout.GetLineCount(), 1u);
    EXPECT_GT(mMeasurer->measurement.measureCalls, measured);
}

TEST_F(FontTextTest, SettersReportChangesAndEmptyTheLayout)
{
    LFontText layout(u"one two", mFont);
    layout.SetWordWrap(true);
    layout.SetBoxSize(30, 100);
    ASSERT_EQ(layout.GetLineCount(), 2u);

    EXPECT_FALSE(layout.SetText(u"one two"));
    EXPECT_FALSE(layout.SetWordWrap(true));
    EXPECT_FALSE(layout.SetBoxSize(30, 100));
    EXPECT_FALSE(layout.SetFont(LFont::GetFont(u"FONTTEXTTEST", 9, 0))); // the same listed font
    EXPECT_EQ(layout.GetLineCount(), 2u);

    EXPECT_TRUE(layout.SetText(u"one"));
    EXPECT_EQ(layout.GetLineCount(), 1u);
    EXPECT_TRUE(layout.SetText(u"One two"));
    EXPECT_EQ(layout.GetLineCount(), 2u);
    EXPECT_TRUE(layout.SetWordWrap(false));
    EXPECT_EQ(layout.GetLineCount(), 1u);
    EXPECT_TRUE(layout.SetFont(nullptr));
    EXPECT_EQ(layout.GetHeightForWidth(30), 0); // without a font lines are 0 high
    EXPECT_FALSE(layout.SetFont(nullptr));
    EXPECT_TRUE(layout.SetFont(LFont::GetFont(u"FontTextTest", 9, LFont::kBold)));
}

TEST_F(FontTextTest, SizesForTheLayoutEngine)
{
    struct Case
    {
        const char* name;
        const char16_t* text;
        float xWidth;
        int32_t naturalWidth;
    };
    const Case cases[] = {
        {"a fraction rounds up", u"x", 40.2f, 41},
        {"a whole width stays", u"x", 40, 40},
        {"the widest paragraph counts", u"ab\nx\nabc", 40.2f, 41},
        {"empty text", u"", 40, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        mMeasurer->measurement.widths = {{u'x', c.xWidth}};
        EXPECT_EQ(LFontText(c.text, mFont).GetNaturalWidth(), c.naturalWidth);
    }
    mMeasurer->measurement.widths.clear();

    LFontText layout(u"one two three", mFont);
    layout.SetBoxSize(45, 10);
    layout.SetHorizontalAlignment(0.5f);
    EXPECT_EQ(layout.GetHeightForWidth(45), 12);
    layout.SetWordWrap(true);
    EXPECT_EQ(layout.GetHeightForWidth(45), 24);
    EXPECT_EQ(layout.GetHeightForWidth(20), 36);

    int32_t width = 0, height = 0;
    layout.GetTextSize(width, height); // lines at x 1.5 and 7.5, y 0 and 12
    EXPECT_EQ(width, 44);
    EXPECT_EQ(height, 24);
    layout.SetWordWrap(false);
    layout.GetTextSize(width, height); // one line from x -16.5 to 61.5
    EXPECT_EQ(width, 78);
    EXPECT_EQ(height, 12);
}

TEST(FontTextWithoutMeasurerTest, MeasuresZeroAndDereferencesNothing)
{
    LFontText layout(u"one two three", LFont::GetFont(u"FontTextTest unmeasured", 9, 0));
    layout.SetWordWrap(true);
    layout.SetBoxSize(10, 10);
    layout.SetVerticalAlignment(0.5f);
    EXPECT_EQ(layout.GetLineCount(), 1u); // everything fits in nothing
    EXPECT_EQ(layout.GetLineRect(0), (RectT<float>(0, 5, 0, 0)));
    EXPECT_EQ(layout.GetNaturalWidth(), 0);
    EXPECT_EQ(layout.GetHeightForWidth(10), 0);
}
} // namespace
