#include "ZQFramework/Utilities/Graphics/Color.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace ZQ
{
namespace
{
constexpr float kByteScale = 0.003921569f; // 1/255 in single precision

float Channel(uint32_t packed, int shift)
{
    return static_cast<float>((packed >> shift) & 0xFF) * kByteScale;
}

uint32_t PackChannel(float value)
{
    const float scaled = std::round(value * 255.0f);
    if (!(scaled >= 0.0f)) // NaN packs as 0 too
        return 0;
    if (scaled > 255.0f)
        return 255;
    return static_cast<uint32_t>(scaled);
}

// At most eight hexadecimal digits as the runtime's "%08lx" reads them (leading white space, a sign and
// a "0x" are accepted), kept to 32 bits; 0 when nothing parses.
uint32_t ParseHex(const char* digits)
{
    return static_cast<uint32_t>(std::strtoul(digits, nullptr, 16));
}
} // namespace

Color::Color(uint32_t argb)
    : red(Channel(argb, 16)), green(Channel(argb, 8)), blue(Channel(argb, 0)), alpha(Channel(argb, 24))
{
}

Color& Color::FromHexString(const char* text)
{
    if (text == nullptr)
        return *this;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text += 2;
    switch (std::strlen(text))
    {
    case 2:
        alpha = Channel(ParseHex(text), 0);
        break;
    case 6:
    {
        const uint32_t rgb = ParseHex(text);
        red = Channel(rgb, 16);
        green = Channel(rgb, 8);
        blue = Channel(rgb, 0);
        break;
    }
    case 8:
        *this = Color(ParseHex(text));
        break;
    default:
        break;
    }
    return *this;
}

uint32_t Color::ToARGB() const
{
    return PackChannel(alpha) << 24 | PackChannel(red) << 16 | PackChannel(green) << 8 | PackChannel(blue);
}
} // namespace ZQ
