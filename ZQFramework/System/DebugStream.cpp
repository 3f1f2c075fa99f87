#include "ZQFramework/System/DebugStream.h"

#include "ZQFramework/Utilities/Storage/StringConversion.h"

#include <algorithm>

namespace ZQ
{
namespace
{
constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD"; // U+FFFD
} // namespace

std::string DebugTextToUtf8(std::u16string_view text, char16_t* pendingHigh)
{
    std::u16string joined;
    if (pendingHigh && *pendingHigh)
    {
        joined.reserve(text.size() + 1);
        joined.push_back(*pendingHigh);
        joined.append(text);
        text = joined;
        *pendingHigh = 0;
    }
    // Three bytes per unit cover every case: a pair (two units) takes four, U+FFFD three.
    std::string out(text.size() * 3, '\0');
    const char16_t* source = text.data();
    const char16_t* const sourceEnd = source + text.size();
    char* target = out.data();
    for (;;)
    {
        const ConversionResult result =
            Utf16ToUtf8(source, sourceEnd, target, out.data() + out.size(), ConversionMode::Strict);
        if (result == ConversionResult::Ok)
            break;
        if (result == ConversionResult::SourceExhausted && pendingHigh)
        {
            *pendingHigh = *source;
            break;
        }
        // An unpaired surrogate (or one that ends the text, with nowhere to keep it).
        target = std::copy(kReplacementUtf8.begin(), kReplacementUtf8.end(), target);
        ++source;
    }
    out.resize(static_cast<size_t>(target - out.data()));
    return out;
}

} // namespace ZQ
