#pragma once

#include <string>
#include <string_view>

// Whole-text conversion between UTF-8 and UTF-16 for the platform stand-ins (socket names, registry
// names and values, wire formats). Lenient: an unpaired surrogate or an ill-formed UTF-8 sequence becomes
// U+FFFD, so a conversion never fails and never reads past its input.
namespace Platform
{
[[nodiscard]] std::string Utf16ToUtf8(std::u16string_view text);
[[nodiscard]] std::u16string Utf8ToUtf16(std::string_view text);
} // namespace Platform
