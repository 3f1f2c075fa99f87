#include "Support/StringPrinting.h"

#include "ZQFramework/Utilities/Storage/String.h"
#include "ZQFramework/Utilities/Storage/StringConversion.h"

#include <gtest/gtest.h>
#include <string>

namespace
{
using TestSupport::Units;
using ZQ::AString;
using ZQ::ConversionMode;
using ZQ::ConversionResult;
using ZQ::EmptyString;
using ZQ::WString;

std::string Bytes(const AString& s)
{
    return std::string(s.GetBuffer(), static_cast<size_t>(s.GetLength()));
}

TEST(StringConversion, NarrowToWideStopsAtTheFirstIllFormedSequence)
{
    struct Case
    {
        std::string utf8;
        std::u16string expected;
    };
    const Case cases[] = {
        {"a\xC3\xA9", u"a\u00e9"},
        {"\xE2\x82\xAC", u"\u20ac"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},
        {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
        {"a\xFF"
         "b",
         u"a"},
        {"a\xC3", u"a"},
        {"\x80"
         "A",
         u""},
        {"\xC0\x80", u""},
        {"x\xF5\x80\x80\x80", u"x"},
        {"\xED\xA0\x80"
         "A",
         u""},
        {"ab\xE0\x80\x80", u"ab"},
        {"a\xF8\x88\x80\x80\x80", u"a"},
    };
    for (const Case& c : cases)
    {
        const WString constructed(c.utf8.c_str());
        EXPECT_EQ(Units(constructed), c.expected) << c.utf8;
        EXPECT_EQ(constructed.GetStorage()->GetSize(), 2 * (c.expected.size() + 1)) << c.utf8;
        WString assigned(u"old");
        assigned.Assign(c.utf8.c_str());
        EXPECT_EQ(Units(assigned), c.expected) << c.utf8;
        if (c.expected.empty())
        {
            // The constructor keeps a buffer of its own; Assign shares the empty string's.
            EXPECT_NE(constructed.GetBuffer(), EmptyString.GetBuffer());
            EXPECT_EQ(assigned.GetBuffer(), EmptyString.GetBuffer());
        }
    }
}

TEST(StringConversion, LongMixedTextsConvertBothWaysIntoBuffersOfTheirExactSize)
{
    // One, two, three and four bytes a character, repeated past several eight-byte steps and ending off
    // a step's boundary.
    std::string utf8;
    std::u16string utf16;
    for (int i = 0; i < 37; ++i)
    {
        utf8 += "ab\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z";
        utf16 += u"ab\u00e9\u20ac\U0001F600z";
    }
    const WString wide(utf8.c_str());
    EXPECT_EQ(Units(wide), utf16);
    EXPECT_EQ(wide.GetStorage()->GetSize(), 2 * (utf16.size() + 1));
    const AString narrow(wide);
    EXPECT_EQ(Bytes(narrow), utf8);
    EXPECT_EQ(narrow.GetStorage()->GetSize(), utf8.size() + 1);

    // An ill-formed byte deep inside stops the conversion there, as at the start.
    std::string broken = utf8;
    broken[broken.size() / 2] = '\xFF';
    const WString cut(broken.c_str());
    EXPECT_EQ(Units(cut), Units(WString(broken.substr(0, broken.size() / 2).c_str())));
}

TEST(StringConversion, WideToNarrowWritesLoneSurrogatesAsThreeBytes)
{
    struct Case
    {
        std::u16string wide;
        std::string expected;
    };
    const Case cases[] = {
        {u"a\u00e9", "a\xC3\xA9"},
        {u"\u20ac", "\xE2\x82\xAC"},
        {u"\U0001F600", "\xF0\x9F\x98\x80"},
        {u"\U0010FFFF", "\xF4\x8F\xBF\xBF"},
        {std::u16string{char16_t(0xD800), u'A'}, "\xED\xA0\x80"
                                                 "A"},
        {std::u16string{char16_t(0xDC00)}, "\xED\xB0\x80"},
        {std::u16string{u'x', char16_t(0xDBFF)}, "x\xED\xAF\xBF"},
    };
    for (const Case& c : cases)
    {
        const WString wide(c.wide.c_str());
        const AString narrow(wide);
        EXPECT_EQ(Bytes(narrow), c.expected);
        EXPECT_EQ(Bytes(wide.ToNarrow()), c.expected);
        EXPECT_EQ(narrow.GetStorage()->GetSize(), c.expected.size() + 1);
    }
    // The lone surrogate's bytes are ill-formed UTF-8: converting back stops at them.
    const AString lone(WString(std::u16string{char16_t(0xD800), u'A'}.c_str()));
    EXPECT_EQ(Units(WString(lone)), u"");
}

TEST(StringConversion, ConvertFromReportsIllFormedInputAndKeepsTheTextBeforeIt)
{
    struct Case
    {
        const char* utf8;
        int length;
        ZQRESULT result;
        std::u16string expected;
    };
    const Case cases[] = {
        {"a\xC3\xA9", -1, S_OK, u"a\u00e9"},
        {"abc", 2, S_OK, u"ab"},
        {"ab\0cd", 5, S_OK, u"ab"}, // an explicit length may span a zero: the text ends there
        {"a\xFF"
         "b",
         -1, E_FAIL, u"a"},
        {"a\xE2\x82\xAC", 3, E_FAIL, u"a"}, // cut by the length
    };
    for (const Case& c : cases)
    {
        ZQ::ConstRCPtr<ZQ::LIBuffer> target;
        EXPECT_EQ(WString::ConvertFrom(target, c.utf8, c.length), c.result) << c.utf8;
        ASSERT_FALSE(target.IsNull());
        EXPECT_EQ(std::u16string(static_cast<const char16_t*>(target->GetData())), c.expected) << c.utf8;
        EXPECT_EQ(target->GetSize(), 2 * (c.expected.size() + 1)) << c.utf8;
    }

    ZQ::ConstRCPtr<ZQ::LIBuffer> target;
    EXPECT_EQ(WString::ConvertFrom(target, static_cast<const char*>(nullptr), -1), S_OK);
    EXPECT_EQ(target.Get(), EmptyString.GetStorage().Get());

    // A high surrogate as the last unit of the source is a cut pair; before the terminator it is a lone
    // surrogate, carried over as three bytes.
    const char16_t high[] = {char16_t(0xD800), 0};
    EXPECT_EQ(AString::ConvertFrom(target, high, 1), E_FAIL);
    EXPECT_EQ(target->GetSize(), 1u);
    EXPECT_EQ(AString::ConvertFrom(target, high, -1), S_OK);
    EXPECT_STREQ(static_cast<const char*>(target->GetData()), "\xED\xA0\x80");
}

TEST(StringConversion, WellFormedTextRoundTrips)
{
    const std::u16string texts[] = {u"", u"plain ASCII", u"\u00e9t\u00e9 \u20ac \U0001F600 \U0010FFFF \uFFFD",
                                    u"\u0800\uD7FF\uE000\uFFFF"};
    for (const std::u16string& text : texts)
    {
        const WString wide(text.c_str());
        EXPECT_EQ(Units(WString(AString(wide))), text);
    }
    const std::string narrow = "caf\xC3\xA9 \xF0\x9F\x8E\xB5";
    EXPECT_EQ(Bytes(AString(WString(narrow.c_str()))), narrow);
}

TEST(StringConversion, AssignWithMaxLengthDropsACutSequence)
{
    WString s;
    s.Assign("a\xE2\x82\xAC", 2);
    EXPECT_EQ(Units(s), u"a");
    s.Assign("a\xE2\x82\xAC", 4);
    EXPECT_EQ(Units(s), u"a\u20ac");
    s.Assign("abc", 0);
    EXPECT_EQ(s.GetBuffer(), EmptyString.GetBuffer());

    // A locked string converts in place and stays locked.
    WString locked;
    const char16_t* data = locked.Lock(8);
    locked.Assign("\xC3\xA9t\xC3\xA9");
    EXPECT_TRUE(locked.IsLocked());
    EXPECT_EQ(locked.GetBuffer(), data);
    EXPECT_EQ(Units(locked), u"\u00e9t\u00e9");
}

TEST(StringConversion, InsertAndAppendUtf8)
{
    WString s(u"abc");
    EXPECT_EQ(s.Insert(1, "\xC3\xA9xyz", 3), S_OK);
    EXPECT_EQ(Units(s), u"a\u00e9xbc");
    EXPECT_EQ(s.Insert(9, "x", 1), E_INVALIDARG);
    EXPECT_EQ(s.Insert(-1, "x", 1), E_INVALIDARG);
    EXPECT_EQ(s.Insert(0, "zz", -1), S_OK);
    EXPECT_EQ(Units(s), u"zza\u00e9xbc");

    WString t(u"ab");
    t += 'c';
    EXPECT_EQ(Units(t), u"abc");
    t += char(0xC3);
    EXPECT_EQ(Units(t), u"abc");
}

TEST(StringConversion, ComparisonWithTextOfTheOtherWidth)
{
    EXPECT_TRUE(WString(u"a\u00e9") == "a\xC3\xA9");
    EXPECT_FALSE(WString(u"a\u00e9") != "a\xC3\xA9");
    EXPECT_FALSE(WString(u"ae") == "a\xC3\xA9");
    EXPECT_TRUE(WString() == static_cast<const char*>(nullptr));
    EXPECT_TRUE(WString() == "");
    EXPECT_FALSE(WString(u"a") == "");
    EXPECT_TRUE(AString("\xE2\x82\xAC") == u"\u20ac");
    EXPECT_FALSE(AString("x") == u"y");
}

TEST(StringConversion, TranscodersReportWhyTheyStopped)
{
    struct Utf8Case
    {
        std::string source;
        ConversionMode mode;
        size_t targetUnits;
        ConversionResult result;
        size_t consumed;
        std::u16string produced;
    };
    const Utf8Case utf8Cases[] = {
        {"ab", ConversionMode::Strict, 4, ConversionResult::Ok, 2, u"ab"},
        {"a\xE2\x82", ConversionMode::Strict, 4, ConversionResult::SourceExhausted, 1, u"a"},
        {"a\x80"
         "b",
         ConversionMode::Lenient, 4, ConversionResult::SourceIllegal, 1, u"a"},
        // A lead byte announcing more bytes than remain is a cut sequence, whatever its value.
        {"a\xFF", ConversionMode::Lenient, 4, ConversionResult::SourceExhausted, 1, u"a"},
        {"abc", ConversionMode::Strict, 2, ConversionResult::TargetExhausted, 2, u"ab"},
        {"a\xF0\x9F\x98\x80", ConversionMode::Strict, 2, ConversionResult::TargetExhausted, 1, u"a"},
        {"\xF4\x90\x80\x80", ConversionMode::Lenient, 2, ConversionResult::SourceIllegal, 0, u""},
    };
    for (const Utf8Case& c : utf8Cases)
    {
        std::u16string target(c.targetUnits, u'\0');
        const char* source = c.source.data();
        char16_t* out = target.data();
        EXPECT_EQ(ZQ::Utf8ToUtf16(source, c.source.data() + c.source.size(), out,
                                  target.data() + target.size(), c.mode),
                  c.result)
            << c.source;
        EXPECT_EQ(static_cast<size_t>(source - c.source.data()), c.consumed) << c.source;
        EXPECT_EQ(std::u16string(target.data(), out), c.produced) << c.source;
    }

    const char16_t lone[] = {u'a', char16_t(0xDC00)};
    const char16_t* source = lone;
    char bytes[8];
    char* out = bytes;
    EXPECT_EQ(ZQ::Utf16ToUtf8(source, lone + 2, out, bytes + 8, ConversionMode::Strict),
              ConversionResult::SourceIllegal);
    EXPECT_EQ(source, lone + 1);

    const char16_t cutPair[] = {u'a', char16_t(0xD83D)};
    source = cutPair;
    out = bytes;
    EXPECT_EQ(ZQ::Utf16ToUtf8(source, cutPair + 2, out, bytes + 8, ConversionMode::Lenient),
              ConversionResult::SourceExhausted);
    EXPECT_EQ(out - bytes, 1);

    const char16_t euro[] = {u'\u20ac'};
    source = euro;
    out = bytes;
    EXPECT_EQ(ZQ::Utf16ToUtf8(source, euro + 1, out, bytes + 2, ConversionMode::Strict),
              ConversionResult::TargetExhausted);
    EXPECT_EQ(source, euro);
}

TEST(StringConversion, IsLegalUtf8FollowsTheStandard)
{
    struct Case
    {
        std::string bytes;
        bool legal;
    };
    const Case cases[] = {
        {"A", true},
        {"\x80", false},
        {"\xC2\x80", true},
        {"\xC1\xBF", false},
        {"\xC0\x80", false},
        {"\xE0\xA0\x80", true},
        {"\xE0\x9F\xBF", false},
        {"\xED\x9F\xBF", true},
        {"\xED\xA0\x80", false},
        {"\xF0\x90\x80\x80", true},
        {"\xF0\x8F\xBF\xBF", false},
        {"\xF4\x8F\xBF\xBF", true},
        {"\xF4\x90\x80\x80", false},
        {"\xF5\x80\x80\x80", false},
        {"\xC3\x28", false},
        {"\xF8\x88\x80\x80\x80", false},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(ZQ::IsLegalUtf8(reinterpret_cast<const uint8_t*>(c.bytes.data()),
                                  static_cast<int>(c.bytes.size())),
                  c.legal)
            << testing::PrintToString(c.bytes);
    }
}
} // namespace
