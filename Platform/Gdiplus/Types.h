#pragma once

#include <cstdint>

// The value types shared by the GDI+ stand-in: statuses, colours, points and rectangles, modes.
namespace Platform::Gdiplus
{
// GDI+'s statuses, with GDI+'s numbers. Every operation that can fail returns one; a failed operation
// changes nothing.
enum class Status
{
    Ok = 0,
    GenericError = 1,
    InvalidParameter = 2, // a null object, a bad size, a pixel or area outside the image, a bad number
    OutOfMemory = 3,
    WrongState = 8, // the bitmap is locked (or, for UnlockBits, not locked that way)
    FileNotFound = 10,
    UnknownImageFormat = 13,
    FontFamilyNotFound = 14,
};

// A colour packed as 0xAARRGGBB, straight (not premultiplied) alpha.
using Argb = uint32_t;

[[nodiscard]] constexpr Argb MakeArgb(uint8_t a, uint8_t r, uint8_t g, uint8_t b)
{
    return (uint32_t(a) << 24) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}
[[nodiscard]] constexpr uint8_t AlphaOf(Argb c)
{
    return uint8_t(c >> 24);
}
[[nodiscard]] constexpr uint8_t RedOf(Argb c)
{
    return uint8_t(c >> 16);
}
[[nodiscard]] constexpr uint8_t GreenOf(Argb c)
{
    return uint8_t(c >> 8);
}
[[nodiscard]] constexpr uint8_t BlueOf(Argb c)
{
    return uint8_t(c);
}

// The handle of a native window, as Platform/Window gives it; 0 is no window.
using WindowHandle = intptr_t;

struct PointF
{
    float x = 0;
    float y = 0;
};

struct RectF
{
    float x = 0;
    float y = 0;
    float width = 0;
    float height = 0;
};

struct RectI
{
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// The two 32-bit layouts, one pixel a native-endian 0xAARRGGBB word (bytes B, G, R, A in memory).
enum class PixelFormat
{
    Argb32,  // straight alpha: what bitmaps loaded or made in memory hold
    Pargb32, // premultiplied alpha: back buffers made for a graphics
};

// How pixels are written. SourceOver blends by alpha; SourceCopy replaces, alpha included.
enum class CompositingMode
{
    SourceOver = 0,
    SourceCopy = 1,
};

// Whether a transform is applied after (Append) or before (Prepend) the existing one.
enum class MatrixOrder
{
    Prepend = 0,
    Append = 1,
};

// Font style bits, combined with |.
enum FontStyle : int32_t
{
    FontStyleRegular = 0,
    FontStyleBold = 1,
    FontStyleItalic = 2,
    FontStyleUnderline = 4,
    FontStyleStrikeout = 8,
};

// The unit of a font's size: device pixels, or points (1/72 inch) at the graphics' DPI.
enum class Unit
{
    Pixel = 2,
    Point = 3,
};

// A pen: a colour and a width in world units; a width of 0 draws one device pixel wide.
struct Pen
{
    Argb color = 0xFF000000;
    float width = 1;
};
} // namespace Platform::Gdiplus
