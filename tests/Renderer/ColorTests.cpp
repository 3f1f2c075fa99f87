#include "ZQFramework/Utilities/Graphics/Color.h"

#include <gtest/gtest.h>

using ZQ::Color;

namespace
{
constexpr float kByte = 0.003921569f;

TEST(ColorTest, FromHexStringSetsTheChannelsItsLengthNames)
{
    struct Case
    {
        const char* name;
        const char* text;
        Color expected;
    };
    const Color start(0.25f, 0.5f, 0.75f, 0.5f);
    const Case cases[] = {
        {"two digits set alpha only", "0x80", Color(0.25f, 0.5f, 0.75f, 128 * kByte)},
        {"six digits keep alpha", "FF0000", Color(1, 0, 0, 0.5f)},
        {"eight digits set all", "0X80FF0000", Color(1, 0, 0, 128 * kByte)},
        {"lower-case digits", "00ff00", Color(0, 1, 0, 0.5f)},
        {"five digits change nothing", "12345", start},
        {"empty text changes nothing", "", start},
        {"digits that do not parse read 0", "zz", Color(0.25f, 0.5f, 0.75f, 0)},
        {"null text changes nothing", nullptr, start},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Color color = start;
        EXPECT_EQ(&color.FromHexString(c.text), &color);
        EXPECT_EQ(color, c.expected);
    }
}

TEST(ColorTest, PackingRoundsHalfAwayFromZeroAndClamps)
{
    struct Case
    {
        float channel;
        uint32_t packed;
    };
    const Case cases[] = {{1.2f, 255}, {-0.1f, 0}, {0.5f, 128}, {0.0f, 0}, {1.0f, 255}, {0.1f, 26}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.channel);
        EXPECT_EQ(Color(c.channel, 0, 0, 0).ToARGB(), c.packed << 16);
        EXPECT_EQ(Color(0, 0, 0, c.channel).ToARGB(), c.packed << 24);
    }
    EXPECT_EQ(Color(0.2f, 0.4f, 0.6f, 0.8f).ToARGB(), 0xCC336699u);
}

TEST(ColorTest, PackedValuesRoundTrip)
{
    for (const uint32_t packed :
         {0x00000000u, 0xFFFFFFFFu, 0x80FF0000u, 0x12345678u, 0xCC336699u, 0x01FE7F80u})
    {
        SCOPED_TRACE(packed);
        const Color color(packed);
        EXPECT_EQ(color.ToARGB(), packed);
    }
    EXPECT_EQ(Color(0x80402010u), Color(0x40 * kByte, 0x20 * kByte, 0x10 * kByte, 0x80 * kByte));
}
} // namespace
