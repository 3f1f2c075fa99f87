#include "ZQFramework/Utilities/Storage/WideCRT.h"

#include <cstdlib>
#include <limits>
#include <locale.h>
#include <string>

namespace ZQ::CRT
{
namespace
{
template <typename CharT>
bool IsSpace(CharT ch)
{
    return ch == CharT(' ') || (ch >= CharT('\t') && ch <= CharT('\r'));
}

template <typename CharT>
const CharT* SkipSpace(const CharT* text)
{
    while (IsSpace(*text))
        ++text;
    return text;
}

template <typename CharT>
int64_t ParseClamped(const CharT* text, int64_t minimum, int64_t maximum)
{
    text = SkipSpace(text);
    bool negative = false;
    if (*text == CharT('-') || *text == CharT('+'))
    {
        negative = *text == CharT('-');
        ++text;
    }
    // Accumulate the magnitude as unsigned; stop accumulating once it passes the limit so that an
    // arbitrarily long run of digits still clamps.
    const uint64_t limit =
        negative ? static_cast<uint64_t>(-(minimum + 1)) + 1 : static_cast<uint64_t>(maximum);
    uint64_t magnitude = 0;
    bool overflow = false;
    for (; *text >= CharT('0') && *text <= CharT('9'); ++text)
    {
        const auto digit = static_cast<uint64_t>(*text - CharT('0'));
        if (overflow || magnitude > (limit - digit) / 10)
        {
            overflow = true;
            continue;
        }
        magnitude = magnitude * 10 + digit;
    }
    if (overflow)
        return negative ? minimum : maximum;
    return negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
}

locale_t CLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

template <typename CharT>
double ParseDoubleImpl(const CharT* text)
{
    text = SkipSpace(text);
    // strtod reads ASCII only; copy the ASCII run in front (a number never holds anything else).
    std::string ascii;
    for (const CharT* p = text; *p != 0 && static_cast<std::make_unsigned_t<CharT>>(*p) < 0x80; ++p)
        ascii.push_back(static_cast<char>(*p));
    return strtod_l(ascii.c_str(), nullptr, CLocale());
}
} // namespace

int32_t ParseInt(const char16_t* text)
{
    return static_cast<int32_t>(
        ParseClamped(text, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

int32_t ParseInt(const char* text)
{
    return static_cast<int32_t>(
        ParseClamped(text, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

int64_t ParseInt64(const char16_t* text)
{
    return ParseClamped(text, std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max());
}

int64_t ParseInt64(const char* text)
{
    return ParseClamped(text, std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max());
}

double ParseDouble(const char16_t* text)
{
    return ParseDoubleImpl(text);
}

double ParseDouble(const char* text)
{
    return ParseDoubleImpl(text);
}
} // namespace ZQ::CRT
