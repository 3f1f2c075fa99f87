#include "ZQFramework/Utilities/Storage/StringConversion.h"

namespace ZQ
{
namespace
{
constexpr char32_t kHighSurrogateFirst = 0xD800;
constexpr char32_t kHighSurrogateLast = 0xDBFF;
constexpr char32_t kLowSurrogateFirst = 0xDC00;
constexpr char32_t kLowSurrogateLast = 0xDFFF;
constexpr char32_t kMaxBmp = 0xFFFF;
constexpr char32_t kMaxCodePoint = 0x10FFFF;
constexpr char16_t kReplacementCharacter = 0xFFFD;

// Number of bytes that follow a lead byte, by the lead byte alone (5- and 6-byte forms included, so
// that they are recognised as sequences and then refused as ill-formed).
int TrailingBytes(uint8_t lead)
{
    if (lead < 0xC0)
        return 0;
    if (lead < 0xE0)
        return 1;
    if (lead < 0xF0)
        return 2;
    if (lead < 0xF8)
        return 3;
    if (lead < 0xFC)
        return 4;
    return 5;
}

int Utf8Length(char32_t codePoint)
{
    if (codePoint < 0x80)
        return 1;
    if (codePoint < 0x800)
        return 2;
    if (codePoint < 0x10000)
        return 3;
    return 4;
}

void WriteUtf8(char32_t codePoint, int length, char* target)
{
    static constexpr uint8_t kLeadMarker[5] = {0x00, 0x00, 0xC0, 0xE0, 0xF0};
    for (int i = length - 1; i > 0; --i)
    {
        target[i] = static_cast<char>(0x80 | (codePoint & 0x3F));
        codePoint >>= 6;
    }
    target[0] = static_cast<char>(kLeadMarker[length] | codePoint);
}
} // namespace

bool IsLegalUtf8(const uint8_t* bytes, int length)
{
    if (length < 1 || length > 4)
        return false;
    const uint8_t lead = bytes[0];
    if (length == 1)
        return lead < 0x80;
    if (lead < 0xC2 || lead > 0xF4)
        return false;
    for (int i = 1; i < length; ++i)
    {
        if (bytes[i] < 0x80 || bytes[i] > 0xBF)
            return false;
    }
    const uint8_t second = bytes[1];
    switch (lead)
    {
    case 0xE0:
        return second >= 0xA0;
    case 0xED:
        return second <= 0x9F;
    case 0xF0:
        return second >= 0x90;
    case 0xF4:
        return second <= 0x8F;
    default:
        return true;
    }
}

ConversionResult Utf16ToUtf8(const char16_t*& sourceStart, const char16_t* sourceEnd, char*& targetStart,
                             const char* targetEnd, ConversionMode mode)
{
    ConversionResult result = ConversionResult::Ok;
    const char16_t* source = sourceStart;
    char* target = targetStart;
    while (source < sourceEnd)
    {
        const char16_t* characterStart = source;
        char32_t codePoint = *source++;
        if (codePoint >= kHighSurrogateFirst && codePoint <= kHighSurrogateLast)
        {
            if (source >= sourceEnd)
            {
                source = characterStart;
                result = ConversionResult::SourceExhausted;
                break;
            }
            const char32_t next = *source;
            if (next >= kLowSurrogateFirst && next <= kLowSurrogateLast)
            {
                codePoint = 0x10000 + (codePoint - kHighSurrogateFirst) * 0x400 + (next - kLowSurrogateFirst);
                ++source;
            }
            else if (mode == ConversionMode::Strict)
            {
                source = characterStart;
                result = ConversionResult::SourceIllegal;
                break;
            }
        }
        else if (mode == ConversionMode::Strict && codePoint >= kLowSurrogateFirst &&
                 codePoint <= kLowSurrogateLast)
        {
            source = characterStart;
            result = ConversionResult::SourceIllegal;
            break;
        }

        const int length = Utf8Length(codePoint);
        if (targetEnd - target < length)
        {
            source = characterStart;
            result = ConversionResult::TargetExhausted;
            break;
        }
        WriteUtf8(codePoint, length, target);
        target += length;
    }
    sourceStart = source;
    targetStart = target;
    return result;
}

ConversionResult Utf8ToUtf16(const char*& sourceStart, const char* sourceEnd, char16_t*& targetStart,
                             const char16_t* targetEnd, ConversionMode mode)
{
    ConversionResult result = ConversionResult::Ok;
    const char* source = sourceStart;
    char16_t* target = targetStart;
    while (source < sourceEnd)
    {
        const auto* bytes = reinterpret_cast<const uint8_t*>(source);
        if (bytes[0] < 0x80)
        {
            // ASCII, by far the most common case, needs none of the checks below.
            if (target >= targetEnd)
            {
                result = ConversionResult::TargetExhausted;
                break;
            }
            *target++ = bytes[0];
            ++source;
            continue;
        }
        const int trailing = TrailingBytes(bytes[0]);
        if (sourceEnd - source <= trailing)
        {
            result = ConversionResult::SourceExhausted;
            break;
        }
        if (!IsLegalUtf8(bytes, trailing + 1))
        {
            result = ConversionResult::SourceIllegal;
            break;
        }
        char32_t codePoint = trailing == 0 ? bytes[0] : (bytes[0] & (0x3F >> trailing));
        for (int i = 1; i <= trailing; ++i)
            codePoint = (codePoint << 6) | (bytes[i] & 0x3F);

        if (target >= targetEnd)
        {
            result = ConversionResult::TargetExhausted;
            break;
        }
        const bool surrogateValue = codePoint >= kHighSurrogateFirst && codePoint <= kLowSurrogateLast;
        if (surrogateValue || codePoint > kMaxCodePoint)
        {
            if (mode == ConversionMode::Strict)
            {
                result = ConversionResult::SourceIllegal;
                break;
            }
            *target++ = kReplacementCharacter;
        }
        else if (codePoint <= kMaxBmp)
        {
            *target++ = static_cast<char16_t>(codePoint);
        }
        else
        {
            if (targetEnd - target < 2)
            {
                result = ConversionResult::TargetExhausted;
                break;
            }
            const char32_t offset = codePoint - 0x10000;
            *target++ = static_cast<char16_t>(kHighSurrogateFirst + offset / 0x400);
            *target++ = static_cast<char16_t>(kLowSurrogateFirst + offset % 0x400);
        }
        source += trailing + 1;
    }
    sourceStart = source;
    targetStart = target;
    return result;
}
} // namespace ZQ
