#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

// The small C-runtime text helpers the strings are built on, for both character widths (char16_t
// holds UTF-16 code units, char holds UTF-8 bytes). They behave as the classic runtime functions named
// beside each one, independent of any C library locale: case mapping touches only the ASCII letters,
// white space is ASCII white space, and number parsing always reads '.' as the decimal point.
namespace ZQ::CRT
{
// wcslen / strlen
template <typename CharT>
[[nodiscard]] size_t Length(const CharT* text)
{
    if constexpr (std::is_same_v<CharT, char>)
        return std::strlen(text);
    const CharT* end = text;
    while (*end != 0)
        ++end;
    return static_cast<size_t>(end - text);
}

// wcsnlen / strnlen: the length, counting at most maxCount characters.
template <typename CharT>
[[nodiscard]] size_t LengthBounded(const CharT* text, size_t maxCount)
{
    if constexpr (std::is_same_v<CharT, char>)
        return strnlen(text, maxCount);
    size_t n = 0;
    while (n < maxCount && text[n] != 0)
        ++n;
    return n;
}

// wcsstr / strstr: the first occurrence of needle in haystack, or null; an empty needle is found at
// the start.
template <typename CharT>
[[nodiscard]] const CharT* FindSubstring(const CharT* haystack, const CharT* needle)
{
    if constexpr (std::is_same_v<CharT, char>)
        return std::strstr(haystack, needle);
    if (*needle == 0)
        return haystack;
    for (; *haystack != 0; ++haystack)
    {
        if (*haystack != *needle)
            continue;
        const CharT* h = haystack;
        const CharT* n = needle;
        while (*n != 0 && *h == *n)
        {
            ++h;
            ++n;
        }
        if (*n == 0)
            return haystack;
    }
    return nullptr;
}

template <typename CharT>
[[nodiscard]] bool Contains(const CharT* set, CharT ch)
{
    for (; *set != 0; ++set)
    {
        if (*set == ch)
            return true;
    }
    return false;
}

// wcsspn: the length of the longest prefix made only of characters of set.
template <typename CharT>
[[nodiscard]] size_t SpanIn(const CharT* text, const CharT* set)
{
    size_t n = 0;
    while (text[n] != 0 && Contains(set, text[n]))
        ++n;
    return n;
}

// wcscspn: the length of the longest prefix holding no character of set.
template <typename CharT>
[[nodiscard]] size_t SpanNotIn(const CharT* text, const CharT* set)
{
    size_t n = 0;
    while (text[n] != 0 && !Contains(set, text[n]))
        ++n;
    return n;
}

// wcsrchr: the last occurrence of ch, or null; ch = 0 finds the terminator.
template <typename CharT>
[[nodiscard]] const CharT* FindLastChar(const CharT* text, CharT ch)
{
    const CharT* found = nullptr;
    for (;; ++text)
    {
        if (*text == ch)
            found = text;
        if (*text == 0)
            return found;
    }
}

// towupper / toupper in the "C" locale: only a to z change.
template <typename CharT>
[[nodiscard]] constexpr CharT ToUpperAscii(CharT ch)
{
    return (ch >= CharT('a') && ch <= CharT('z')) ? static_cast<CharT>(ch - ('a' - 'A')) : ch;
}

// towlower / tolower in the "C" locale: only A to Z change.
template <typename CharT>
[[nodiscard]] constexpr CharT ToLowerAscii(CharT ch)
{
    return (ch >= CharT('A') && ch <= CharT('Z')) ? static_cast<CharT>(ch + ('a' - 'A')) : ch;
}

// _wcsicmp / _stricmp: compares after folding A to Z to lower case; the sign of the result orders
// the texts by their folded code units (unsigned).
template <typename CharT>
[[nodiscard]] int CompareNoCase(const CharT* a, const CharT* b)
{
    using Unit = std::make_unsigned_t<CharT>;
    for (;; ++a, ++b)
    {
        const auto ca = static_cast<Unit>(ToLowerAscii(*a));
        const auto cb = static_cast<Unit>(ToLowerAscii(*b));
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            return 0;
    }
}

// _wtoi / atoi: leading white space, an optional sign, decimal digits up to the first other
// character; 0 without digits; values beyond the range clamp to INT32_MIN / INT32_MAX.
[[nodiscard]] int32_t ParseInt(const char16_t* text);
[[nodiscard]] int32_t ParseInt(const char* text);

// _wtoi64 / _atoi64: as ParseInt, 64-bit.
[[nodiscard]] int64_t ParseInt64(const char16_t* text);
[[nodiscard]] int64_t ParseInt64(const char* text);

// _wtof / atof: leading white space, then a decimal or hexadecimal floating-point number, "inf" or
// "nan" as strtod reads them in the "C" locale; 0 when no number starts the text; overflow gives
// +-HUGE_VAL.
[[nodiscard]] double ParseDouble(const char16_t* text);
[[nodiscard]] double ParseDouble(const char* text);
} // namespace ZQ::CRT
