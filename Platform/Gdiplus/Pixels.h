#pragma once

#include "Platform/Gdiplus/Types.h"

// Conversions between straight and premultiplied 0xAARRGGBB pixels, rounded to nearest.
namespace Platform::Gdiplus
{
[[nodiscard]] inline Argb Premultiply(Argb color)
{
    const uint32_t a = AlphaOf(color);
    if (a == 255)
        return color;
    const auto scale = [a](uint32_t channel) { return uint8_t((channel * a + 127) / 255); };
    return MakeArgb(uint8_t(a), scale(RedOf(color)), scale(GreenOf(color)), scale(BlueOf(color)));
}

[[nodiscard]] inline Argb Unpremultiply(Argb color)
{
    const uint32_t a = AlphaOf(color);
    if (a == 255)
        return color;
    if (a == 0)
        return 0;
    const auto scale = [a](uint32_t channel)
    {
        const uint32_t value = (channel * 255 + a / 2) / a;
        return uint8_t(value > 255 ? 255 : value);
    };
    return MakeArgb(uint8_t(a), scale(RedOf(color)), scale(GreenOf(color)), scale(BlueOf(color)));
}
} // namespace Platform::Gdiplus
