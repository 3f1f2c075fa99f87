#include "Platform/Text/Utf.h"

#include <gtest/gtest.h>

namespace
{
TEST(TextUtf, ConversionRoundTripsAndReplacesMalformedInput)
{
    const std::u16string text = u"A\u00e9\u4e2d\U0001F3B9";
    EXPECT_EQ(Platform::Utf8ToUtf16(Platform::Utf16ToUtf8(text)), text);
    EXPECT_EQ(Platform::Utf8ToUtf16("\xC3"), u"\uFFFD");
    EXPECT_EQ(Platform::Utf8ToUtf16("a\xFF"
                                    "b"),
              u"a\uFFFDb");
    EXPECT_EQ(Platform::Utf16ToUtf8(u"\xD800"), "\xEF\xBF\xBD");
}
} // namespace
