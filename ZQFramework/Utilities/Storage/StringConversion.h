#pragma once

#include <cstdint>

// The two Unicode transcoders behind every conversion between the narrow (UTF-8) and the wide (UTF-16)
// string. They convert as far as they can and tell where and why they stopped; the start pointers are
// left just past the last character converted, so a caller can keep the text converted so far.
namespace ZQ
{
enum class ConversionResult : int32_t
{
    Ok = 0,              // the whole source was converted
    SourceExhausted = 1, // the source ends inside a sequence; the incomplete sequence is not consumed
    TargetExhausted = 2, // the next character does not fit into the target; it is not consumed
    SourceIllegal = 3    // an ill-formed sequence; it is not consumed
};

enum class ConversionMode
{
    Strict, // unpaired surrogates and out-of-range code points stop the conversion
    Lenient // they are carried over (UTF-16 to UTF-8) or replaced by U+FFFD (UTF-8 to UTF-16)
};

// True when the length bytes form one well-formed UTF-8 sequence (length 1 to 4; never 5 or 6).
[[nodiscard]] bool IsLegalUtf8(const uint8_t* bytes, int length);

[[nodiscard]] ConversionResult Utf16ToUtf8(const char16_t*& sourceStart, const char16_t* sourceEnd,
                                           char*& targetStart, const char* targetEnd, ConversionMode mode);

[[nodiscard]] ConversionResult Utf8ToUtf16(const char*& sourceStart, const char* sourceEnd,
                                           char16_t*& targetStart, const char16_t* targetEnd,
                                           ConversionMode mode);
} // namespace ZQ
