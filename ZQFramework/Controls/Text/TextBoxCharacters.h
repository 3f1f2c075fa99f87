#pragma once

// How the text box classifies UTF-16 units: the same answers whatever locale the process runs in, and
// none of the C library's locale tables.
namespace ZQ::TextBoxCharacters
{
// White space as Unicode's White_Space property lists it; words end at it.
[[nodiscard]] constexpr bool IsSpace(char16_t unit)
{
    return (unit >= 0x09 && unit <= 0x0D) || unit == 0x20 || unit == 0x85 || unit == 0xA0 || unit == 0x1680 ||
           (unit >= 0x2000 && unit <= 0x200A) || unit == 0x2028 || unit == 0x2029 || unit == 0x202F ||
           unit == 0x205F || unit == 0x3000;
}

// What can be typed: everything but the control characters (C0, DEL and C1), the line and paragraph
// separators and the two noncharacters at the end of the plane. Surrogate halves count as printable, so
// that a character beyond the first plane can be typed one unit at a time.
[[nodiscard]] constexpr bool IsPrintable(char16_t unit)
{
    const bool control = unit < 0x20 || (unit >= 0x7F && unit <= 0x9F);
    return !control && unit != 0x2028 && unit != 0x2029 && unit != 0xFFFE && unit != 0xFFFF;
}
} // namespace ZQ::TextBoxCharacters
