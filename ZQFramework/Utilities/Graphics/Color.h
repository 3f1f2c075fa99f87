#pragma once

#include <cstdint>

namespace ZQ
{
// The colour value of the whole framework: four single-precision channels, red, green, blue and alpha,
// each nominally 0 to 1 (nothing clamps them on the way in). Packed values are 0xAARRGGBB, the form
// GDI+ and stored tables of colours use.
class Color
{
public:
    float red = 0;
    float green = 0;
    float blue = 0;
    float alpha = 0;

    constexpr Color() = default;
    constexpr Color(float redValue, float greenValue, float blueValue, float alphaValue)
        : red(redValue), green(greenValue), blue(blueValue), alpha(alphaValue)
    {
    }
    // Each byte of the packed value times 1/255.
    explicit Color(uint32_t argb);

    friend constexpr bool operator==(const Color&, const Color&) = default;

    // Reads hexadecimal text, after an optional "0x" or "0X": two digits set alpha only, six set red,
    // green and blue and keep alpha, eight set all four as AARRGGBB. Any other length, and a null text,
    // leave the colour as it is; digits that do not parse read as 0. Returns the colour.
    Color& FromHexString(const char* text);

    // Each channel times 255, rounded half away from zero and clamped to 0..255.
    [[nodiscard]] uint32_t ToARGB() const;
};
} // namespace ZQ
