#include "Support/StringPrinting.h"

#include "ZQFramework/Utilities/Storage/String.h"
#include "ZQFramework/Utilities/Storage/TextFormatter.h"

#include <clocale>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <stdexcept>
#include <string>

namespace
{
using TestSupport::Units;
using TestSupport::Utf8;
using ZQ::AString;
using ZQ::WString;

TEST(Format, WideFormatTakesWideStringsWithLowerCaseS)
{
    const WString name(u"caf\u00e9");
    EXPECT_EQ(Units(WString::Format(u"[%s|%S]", u"wide", "narrow")), u"[wide|narrow]");
    EXPECT_EQ(Units(WString::Format(u"%s", name)), u"caf\u00e9");
    EXPECT_EQ(Units(WString::Format(u"%S", "caf\xC3\xA9")), u"caf\u00e9");
    EXPECT_EQ(Units(WString::Format(u"%hs/%ls/%ws", "n", u"w", u"w")), u"n/w/w");
    EXPECT_STREQ(AString::Format("[%s|%S]", "narrow", u"wid\u00e9").GetBuffer(), "[narrow|wid\xC3\xA9]");
    EXPECT_STREQ(AString::Format("%s", AString("str")).GetBuffer(), "str");
    EXPECT_EQ(Units(WString::Format(u"%s", static_cast<const char16_t*>(nullptr))), u"(null)");
    EXPECT_EQ(Units(WString::Format(u"%c%C%c", u'x', 'y', 0x20ac)), u"xy\u20ac");
    EXPECT_STREQ(AString::Format("%c%C", 'a', u'\u00e9').GetBuffer(), "a\xC3\xA9");
    // A zero character ends the text, as in a terminated array.
    EXPECT_EQ(Units(WString::Format(u"ab%cd", 0)), u"ab");
    EXPECT_EQ(WString::Format(u"ab%cd", 0).GetStorage()->GetSize(), 6u);
}

TEST(Format, ConversionsFollowTheRuntimeConventions)
{
    struct Case
    {
        std::u16string expected;
        WString actual;
    };
    const Case cases[] = {
        {u"-42", WString::Format(u"%I32d", int32_t(-42))},
        {u"4294967295", WString::Format(u"%I32u", uint32_t(0xFFFFFFFF))},
        {u"4294967295", WString::Format(u"%u", -1)},
        {u"-1", WString::Format(u"%d", 0xFFFFFFFFu)},
        {u"123456789ABCDEF0", WString::Format(u"%I64X", uint64_t(0x123456789ABCDEF0))},
        {u"-9223372036854775808", WString::Format(u"%I64d", std::numeric_limits<int64_t>::min())},
        {u"18446744073709551615", WString::Format(u"%llu", ~uint64_t{0})},
        {u"7|8", WString::Format(u"%Iu|%zu", size_t{7}, size_t{8})},
        {u"0x1f 0X1F 017 0", WString::Format(u"%#x %#X %#o %#x", 31, 31, 15, 0)},
        {u"  7|7  |007|+7| 7", WString::Format(u"%3d|%-3d|%03d|%+d|% d", 7, 7, 7, 7, 7)},
        {u"-0042|  -42", WString::Format(u"%05d|%5.0d", -42, -42)},
        {u"00042|", WString::Format(u"%.5d|%.0d", 42, 0)},
        {u"   42", WString::Format(u"%*d", 5, 42)},
        {u"42   |", WString::Format(u"%-*d|", 5, 42)},
        {u"-1|255|65535", WString::Format(u"%hhd|%hhu|%hu", 255, -1, -1)},
        {u"0x1a (0x1A)", WString::Format(u"0x%02x (0x%02X)", 26, 26)},
        {u"0000ff00", WString::Format(u"%08lx", 0xff00)},
        {u"%", WString::Format(u"%%")},
        {u"abc  |  abc|ab", WString::Format(u"%-5s|%5s|%.2s", u"abc", u"abc", u"abc")},
        {u"3.141593", WString::Format(u"%f", 3.14159265)},
        {u"3.141593", WString::Format(u"%lf", 3.14159265)},
        {u"3.14", WString::Format(u"%.2lf", 3.14159)},
        {u"1.500000e+00|1.5|1e+20", WString::Format(u"%e|%g|%g", 1.5, 1.5, 1e20)},
        {u"  2.50|2.50  |002.50", WString::Format(u"%6.2f|%-6.2f|%06.2f", 2.5, 2.5, 2.5)},
        {u"(0.5, 2)", WString::Format(u"(%g, %g)", 0.5f, 2.0)},
        {u"1.5E+20|1E-07|  -0.125|inf|-INF",
         WString::Format(u"%.1E|%G|%8.3f|%f|%F", 1.5e20, 1e-7, -0.125,
                         std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity())},
        {u"0.000000|1.00000000000000005551115123125783e-01", WString::Format(u"%f|%.32e", 1e-300, 0.1)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Units(c.actual), c.expected);
}

TEST(Format, ZeroDecimalsRoundTiesToEven)
{
    // Exact binary ties go to the even neighbour; everything else to the nearest.
    struct Case
    {
        double value;
        const char16_t* expected;
    };
    const Case cases[] = {{0.5, u"0"},       {1.5, u"2"},        {2.5, u"2"},    {3.5, u"4"}, {-0.5, u"-0"},
                          {2.5000001, u"3"}, {0.49999999, u"0"}, {99.5, u"100"}, {7.0, u"7"}};
    for (const Case& c : cases)
    {
        // With a flag and without: the two are written by different code.
        EXPECT_EQ(Units(WString::Format(u"%0.0f", c.value)), c.expected) << c.value;
        EXPECT_EQ(Units(WString::Format(u"%.0f", c.value)), c.expected) << c.value;
    }
}

TEST(Format, PointersPrintAsFullWidthUpperCaseHex)
{
    const void* pointer = reinterpret_cast<const void*>(uintptr_t{0xAB12});
    const std::u16string expected = std::u16string(2 * sizeof(void*) - 4, u'0') + u"AB12";
    EXPECT_EQ(Units(WString::Format(u"%p", pointer)), expected);
    EXPECT_EQ(Units(WString::Format(u"%p", reinterpret_cast<const char*>(pointer))), expected);
    EXPECT_EQ(Units(WString::Format(u"%p", reinterpret_cast<const char16_t*>(pointer))), expected);
    EXPECT_EQ(Units(WString::Format(u"%p", nullptr)), std::u16string(2 * sizeof(void*), u'0'));
}

TEST(Format, NumbersIgnoreTheProcessLocale)
{
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous != nullptr ? previous : "C";
    // Any locale with a decimal comma, when the machine has one; the check holds either way.
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr)
        std::setlocale(LC_NUMERIC, "fr_FR.UTF-8");
    EXPECT_EQ(Units(WString::Format(u"%.2f", 1.25)), u"1.25");
    EXPECT_EQ(WString(u"1.5").ToDouble(), 1.5);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(Format, MismatchedOrUnknownConversionsAreRefused)
{
    const auto refused = [](auto&& format)
    {
        try
        {
            format();
        }
        catch (const std::invalid_argument& e)
        {
            return std::string(e.what()).find("ZQ::StringT<wchar_t,char>::Format") != std::string::npos;
        }
        return false;
    };
    EXPECT_TRUE(refused([] { (void)WString::Format(u"%d"); }));             // missing argument
    EXPECT_TRUE(refused([] { (void)WString::Format(u"%d", 1.5); }));        // double for an integer
    EXPECT_TRUE(refused([] { (void)WString::Format(u"%f", 1); }));          // integer for a double
    EXPECT_TRUE(refused([] { (void)WString::Format(u"%d", int64_t(1)); })); // 64-bit without I64
    EXPECT_TRUE(refused([] { (void)WString::Format(u"%s", "narrow"); }));   // narrow for %s
    EXPECT_TRUE(refused([] { (void)WString::Format(u"%S", u"wide"); }));    // wide for %S
    EXPECT_TRUE(refused([] { (void)WString::Format(u"%s", 5); }));          // number for text
    EXPECT_TRUE(refused([] { (void)WString::Format(u"%n", 5); }));          // never supported
    EXPECT_TRUE(refused([] { (void)WString::Format(u"%k", 5); }));          // unknown
    EXPECT_TRUE(refused([] { (void)WString::Format(u"100%"); }));           // cut conversion
    EXPECT_TRUE(refused([] { (void)WString::Format(u"%p", 5); }));          // number for a pointer
    EXPECT_TRUE(refused([] { (void)WString::Format(u"%999999999d", 5); })); // absurd width
    EXPECT_THROW((void)AString::Format("%s", u"wide"), std::invalid_argument);
    // Arguments the format does not use are ignored.
    EXPECT_EQ(Units(WString::Format(u"%d", 1, 2)), u"1");
}

TEST(Format, LongResultsAreNotCut)
{
    const std::u16string padding(20000, u'x');
    const WString big = WString::Format(u"%s|%d", padding.c_str(), 7);
    EXPECT_EQ(big.GetLength(), 20002);
    EXPECT_EQ(Units(big.Right(2)), u"|7");
    EXPECT_EQ(WString::Format(u"%30000d", 1).GetLength(), 30000);
}

TEST(Format, AssignFormatWritesALockedStringInPlace)
{
    WString s(u"old");
    s.AssignFormat(u"%d-%s", 12, u"ab");
    EXPECT_EQ(Units(s), u"12-ab");

    WString locked;
    const char16_t* data = locked.Lock(32);
    locked.AssignFormat(u"n=%d", 5);
    EXPECT_TRUE(locked.IsLocked());
    EXPECT_EQ(locked.GetBuffer(), data);
    EXPECT_EQ(Units(locked), u"n=5");
}

TEST(NumberText, FromIntFromUIntFromDouble)
{
    struct Case
    {
        WString actual;
        const char16_t* expected;
    };
    const Case cases[] = {
        {WString::FromInt(1234, 2), u"12.34"},
        {WString::FromInt(5, 3), u".005"},
        {WString::FromInt(0, 2), u".00"},
        {WString::FromInt(42, 0), u"42"},
        {WString::FromInt(42, -1), u"42"},
        {WString::FromInt(-1234, 2), u"-12.34"},
        {WString::FromInt(-5, 3), u"-.005"},
        {WString::FromInt(std::numeric_limits<int>::min(), -1), u"-2147483648"},
        {WString::FromUInt(4294967295u, -1), u"4294967295"},
        {WString::FromUInt(7, 2), u".07"},
        {WString::FromInt(5, 12), u".000000000005"},
        {WString::FromDouble(2.5, -1), u"2.500000"},
        {WString::FromDouble(3.14159, 2), u"3.14"},
        {WString::FromDouble(7, 0), u"7"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Units(c.actual), c.expected);
    EXPECT_STREQ(AString::FromInt(1234, 2).GetBuffer(), "12.34");
}

TEST(NumberText, ParsingNeverFails)
{
    struct IntCase
    {
        const char16_t* text;
        int expected;
    };
    const IntCase ints[] = {{u"  -42abc", -42},
                            {u"abc", 0},
                            {u"", 0},
                            {u"+17", 17},
                            {u"\t\r\n 8", 8},
                            {u"- 5", 0},
                            {u"2147483647", 2147483647},
                            {u"2147483648", 2147483647},
                            {u"-2147483649", std::numeric_limits<int>::min()},
                            {u"99999999999999999999999", 2147483647}};
    for (const IntCase& c : ints)
        EXPECT_EQ(WString(c.text).ToInt(), c.expected) << Utf8(WString(c.text));

    struct DoubleCase
    {
        const char16_t* text;
        double expected;
    };
    const DoubleCase doubles[] = {{u"3.5e2", 350.0},  {u"  -1.25x", -1.25}, {u"abc", 0.0},
                                  {u".5", 0.5},       {u"1e400", HUGE_VAL}, {u"-1e400", -HUGE_VAL},
                                  {u"12\u00e9", 12.0}};
    for (const DoubleCase& c : doubles)
        EXPECT_EQ(WString(c.text).ToDouble(), c.expected) << Utf8(WString(c.text));
}

TEST(StringCase, OnlyAsciiLettersChange)
{
    EXPECT_EQ(Units(WString(u"abc1").ToUpper()), u"ABC1");
    EXPECT_EQ(Units(WString(u"ABC").ToLower()), u"abc");
    EXPECT_EQ(Units(WString(u"\u00e9z\u00c9Z").ToUpper()), u"\u00e9Z\u00c9Z");
    EXPECT_EQ(Units(WString(u"\u00e9z\u00c9Z").ToLower()), u"\u00e9z\u00c9z");
    EXPECT_STREQ(AString("a\xC3\xA9z").ToUpper().GetBuffer(), "A\xC3\xA9Z");
    EXPECT_EQ(WString().ToUpper().GetBuffer(), ZQ::EmptyString.GetBuffer());
    EXPECT_EQ(WString(char16_t(0)).ToLower().GetBuffer(), ZQ::EmptyString.GetBuffer());
}

TEST(StringTrim, TrimTable)
{
    struct Case
    {
        WString actual;
        const char16_t* expected;
    };
    const Case cases[] = {
        {WString(u"  x ").TrimLeft(), u"x "},
        {WString(u"   ").TrimLeft(), u"   "},
        {WString(u"   ").Trim(), u""},
        {WString(u"x\t\r\n").TrimRight(), u"x"},
        {WString(u"").Trim(), u""},
        {WString(u" \ta b\n").Trim(), u"a b"},
        {WString(u"xbaab").TrimRight(WString(u"ab")), u"x"},
        {WString(u"xbaab").TrimRight(WString()), u"xbaab"},
        {WString(u"abxba").TrimLeft(WString(u"ab")), u"xba"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Units(c.actual), c.expected);
}

TEST(StringReplace, ReplaceCharsOfASet)
{
    WString s(u"a.b c");
    const WString before(s);
    EXPECT_EQ(Units(s.ReplaceChars(u". ", u'_')), u"a_b_c");
    EXPECT_EQ(Units(before), u"a.b c");
    WString unchanged(u"a.b c");
    EXPECT_EQ(Units(unchanged.ReplaceChars(u". ", 0)), u"a.b c");

    WString locked(u"x.y");
    const char16_t* data = locked.Lock(0);
    locked.ReplaceChars(u".", u'-');
    EXPECT_EQ(locked.GetBuffer(), data);
    EXPECT_EQ(Units(locked), u"x-y");
}
} // namespace
