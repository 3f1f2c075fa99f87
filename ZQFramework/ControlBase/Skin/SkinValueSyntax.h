#pragma once

#include "ZQFramework/Utilities/Graphics/Color.h"
#include "ZQFramework/Utilities/Storage/Forward.h"

#include <cstdint>

// How skin and string-table documents write their values. Nothing here depends on the C library's
// locale: numbers are read as the "C" locale reads them.
namespace ZQ::SkinValue
{
// "0x" and at most four hexadecimal digits (a character from '*' to '?' counts with its low four bits,
// 'a' to 'f' in either case 10 to 15, anything else ends the number); otherwise a decimal integer after
// leading blanks and an optional sign, 0 without digits.
[[nodiscard]] int32_t ParseInteger(const WString& text);
// A decimal integer only: "0x10" is 0.
[[nodiscard]] int32_t ParseDecimal(const WString& text);
// A floating-point number, 0 when none starts the text, as a 32-bit float.
[[nodiscard]] float ParseReal(const WString& text);
// True exactly for "True".
[[nodiscard]] bool ParseFlag(const WString& text);
// A hexadecimal colour ("0xFF43E346"), read over all-zero channels.
[[nodiscard]] Color ParseColor(const WString& text);
} // namespace ZQ::SkinValue
