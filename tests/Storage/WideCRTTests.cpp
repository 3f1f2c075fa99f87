#include "ZQFramework/Utilities/Storage/WideCRT.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <limits>

namespace
{
namespace CRT = ZQ::CRT;

TEST(WideCRT, CompareNoCaseFoldsToLowerCase)
{
    struct Case
    {
        const char16_t* a;
        const char16_t* b;
        int sign;
    };
    // Folding to lower case puts '_' (0x5F) before the letters, as the runtime's case-insensitive
    // comparison does.
    const Case cases[] = {{u"abc", u"ABC", 0}, {u"Abc", u"abd", -1},     {u"_", u"a", -1},
                          {u"_", u"A", -1},    {u"ab", u"AB\u00e9", -1}, {u"\u00e9", u"\u00c9", 1},
                          {u"", u"", 0}};
    for (const Case& c : cases)
    {
        const int result = CRT::CompareNoCase(c.a, c.b);
        EXPECT_EQ((result > 0) - (result < 0), c.sign);
        const int reverse = CRT::CompareNoCase(c.b, c.a);
        EXPECT_EQ((reverse > 0) - (reverse < 0), -c.sign);
    }
}

TEST(WideCRT, SpansSearchesAndLengths)
{
    EXPECT_EQ(CRT::SpanIn(u"  \tx ", u" \t"), 3u);
    EXPECT_EQ(CRT::SpanIn(u"abc", u""), 0u);
    EXPECT_EQ(CRT::SpanNotIn(u"ab,c", u",;"), 2u);
    EXPECT_EQ(CRT::SpanNotIn(u"abc", u",;"), 3u);
    const char16_t* text = u"abcabc";
    EXPECT_EQ(CRT::FindLastChar(text, u'b'), text + 4);
    EXPECT_EQ(CRT::FindLastChar(text, char16_t(0)), text + 6);
    EXPECT_EQ(CRT::FindLastChar(text, u'x'), nullptr);
    EXPECT_EQ(CRT::FindSubstring(text, u"ca"), text + 2);
    EXPECT_EQ(CRT::FindSubstring(text, u"cba"), nullptr);
    EXPECT_EQ(CRT::FindSubstring(text, u""), text);
    EXPECT_EQ(CRT::FindSubstring(u"aab", u"ab"), static_cast<const char16_t*>(u"aab") + 1);
    EXPECT_EQ(CRT::LengthBounded(text, 4), 4u);
    EXPECT_EQ(CRT::LengthBounded(text, 100), 6u);
    EXPECT_EQ(CRT::LengthBounded("abc", 2), 2u);
}

TEST(WideCRT, ParseInt64ClampsAtTheRange)
{
    EXPECT_EQ(CRT::ParseInt64(u" 9223372036854775807"), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(CRT::ParseInt64(u"9223372036854775808"), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(CRT::ParseInt64(u"-9223372036854775808"), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(CRT::ParseInt64("-99999999999999999999"), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(CRT::ParseInt64("0x10"), 0);
    EXPECT_EQ(CRT::ParseInt("-2147483648"), std::numeric_limits<int32_t>::min());
}
} // namespace
