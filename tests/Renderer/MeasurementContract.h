#pragma once

#include "Support/MeasurementRendererScope.h"
#include "Support/StringPrinting.h"

#include "ZQFramework/Renderer/Font.h"
#include "ZQFramework/Renderer/FontText.h"
#include "ZQFramework/Renderer/MeasurementRenderer.h"
#include "ZQFramework/Utilities/Storage/WideCRT.h"

#include <gtest/gtest.h>
#include <vector>

// What text layout relies on from every measurement renderer, as typed tests over measurers. A test
// program instantiates them with a factory type whose static Create() makes the measurer:
//   INSTANTIATE_TYPED_TEST_SUITE_P(Fake, MeasurementContract, ::testing::Types<FakeMeasurerFactory>);
namespace MeasurementContractTesting
{
inline float Extent(const ZQ::RectT<float>& box)
{
    return box.x != 0 ? box.width + box.x : box.width;
}

inline bool IsLayoutBlank(char16_t ch)
{
    return ch == u' ' || ch == u'\t' || ch == u'\r' || ch == u'\n';
}

// The measurer's prefix widths of a few texts (accents, a kerned pair, blank runs, surrogate pairs, a
// character fonts lack) are the widths it measures for each prefix alone, and the empty prefix has none.
inline void ExpectPrefixWidthsOfEachPrefix(ZQ::LMeasurementRenderer& measurer,
                                           const ZQ::ConstRCPtr<ZQ::LFont>& font)
{
    const char16_t* texts[] = {u"",         u"Hello, world! il1", u"caf\u00E9 cafe\u0301 \u00C5ngstr\u00F6m",
                               u"AVAVA To", u"a\tb  \t c    ",    u"\U0001F600x\U0001D11E",
                               u"A\uE000B"};
    for (const char16_t* each : texts)
    {
        const ZQ::WString text(each);
        SCOPED_TRACE(TestSupport::Utf8(text));
        std::vector<float> widths{-1};
        measurer.MeasurePrefixWidths(text, font, widths);
        ASSERT_EQ(widths.size(), static_cast<size_t>(text.GetLength()) + 1);
        EXPECT_EQ(widths[0], 0);
        for (int count = 1; count <= text.GetLength(); ++count)
        {
            EXPECT_EQ(widths[static_cast<size_t>(count)], measurer.MeasureText(text.Left(count), font).width)
                << "prefix " << count;
        }
    }
}

template <class Factory>
class MeasurementContract : public ::testing::Test
{
protected:
    ZQ::RCPtr<ZQ::LMeasurementRenderer> mMeasurer = Factory::Create();
    ZQ::ConstRCPtr<ZQ::LFont> mFont = ZQ::LFont::GetFont(u"Arial", 9, 0);

    float ExtentOf(const ZQ::WString& text) { return Extent(mMeasurer->MeasureText(text, mFont)); }
};

TYPED_TEST_SUITE_P(MeasurementContract);

TYPED_TEST_P(MeasurementContract, EmptyTextMeasuresAllZero)
{
    EXPECT_EQ(this->mMeasurer->MeasureText(u"", this->mFont), (ZQ::RectT<float>()));
}

TYPED_TEST_P(MeasurementContract, ALongerTextIsNeverNarrower)
{
    const ZQ::WString text(u"Wi-Fi il1 MMM, the quick brown fox.");
    float previous = 0;
    for (int length = 1; length <= text.GetLength(); ++length)
    {
        SCOPED_TRACE(length);
        const float extent = this->ExtentOf(text.Left(length));
        EXPECT_GE(extent, previous);
        previous = extent;
    }
    EXPECT_GT(previous, 0);
}

TYPED_TEST_P(MeasurementContract, AscentIsAboveAndDescentBelowTheBaseline)
{
    int32_t height = -1, ascent = 0, descent = 0;
    EXPECT_EQ(this->mMeasurer->GetFontMetrics(this->mFont, height, ascent, descent), S_OK);
    EXPECT_LT(ascent, 0);
    EXPECT_GT(descent, 0);
    EXPECT_GT(height, 0);
}

TYPED_TEST_P(MeasurementContract, WrappedLinesFitAndGiveBackTheParagraph)
{
    const TestSupport::MeasurementRendererScope scope(this->mMeasurer);
    const char16_t* paragraphs[] = {
        u"The quick brown fox jumps over the lazy dog",
        u"alpha-beta-gamma delta-epsilon",
        u"  leading blanks,  double  blanks and a\ttab",
        u"Supercalifragilisticexpialidocious is one long word",
    };
    for (const char16_t* paragraph : paragraphs)
    {
        const ZQ::WString text(paragraph);
        for (const int32_t width : {1, 30, 60, 100, 200, 10000})
        {
            SCOPED_TRACE(TestSupport::Utf8(text) + " at " + std::to_string(width));
            ZQ::LFontText layout(text, this->mFont);
            layout.SetWordWrap(true);
            layout.SetBoxSize(width, 100);
            int position = 0;
            const uint32_t count = layout.GetLineCount();
            for (uint32_t i = 0; i < count; ++i)
            {
                const ZQ::WString& line = layout.GetLine(i);
                while (i > 0 && position < text.GetLength() && IsLayoutBlank(text.GetAt(position)))
                    ++position;
                EXPECT_EQ(text.Mid(position, line.GetLength()), line) << "line " << i;
                position += line.GetLength();

                const ZQ::WString word =
                    line.Mid(static_cast<int>(ZQ::CRT::SpanIn(line.GetBuffer(), u" \t\r\n")));
                if (word.Find(u" ") >= 0)
                {
                    EXPECT_LE(this->ExtentOf(line), static_cast<float>(width)) << "line " << i;
                }
            }
            for (; position < text.GetLength(); ++position)
                EXPECT_TRUE(IsLayoutBlank(text.GetAt(position)));
        }
    }
}

TYPED_TEST_P(MeasurementContract, PrefixWidthsAreTheWidthsOfEachPrefixMeasured)
{
    ExpectPrefixWidthsOfEachPrefix(*this->mMeasurer, this->mFont);
}

REGISTER_TYPED_TEST_SUITE_P(MeasurementContract, EmptyTextMeasuresAllZero, ALongerTextIsNeverNarrower,
                            AscentIsAboveAndDescentBelowTheBaseline, WrappedLinesFitAndGiveBackTheParagraph,
                            PrefixWidthsAreTheWidthsOfEachPrefixMeasured);
} // namespace MeasurementContractTesting
