#pragma once

#include "Platform/Gdiplus/Bitmap.h"
#include "Platform/Gdiplus/Brush.h"
#include "Platform/Gdiplus/Graphics.h"

#include <gtest/gtest.h>
#include <string>

// A bitmap with a graphics on it, and ways to read its pixels back.
struct Canvas
{
    explicit Canvas(int32_t width = 40, int32_t height = 40,
                    Platform::Gdiplus::PixelFormat format = Platform::Gdiplus::PixelFormat::Argb32)
        : bitmap(Platform::Gdiplus::Bitmap::Create(width, height, format)),
          graphics(Platform::Gdiplus::Graphics::FromBitmap(bitmap.get()))
    {
    }

    Platform::Gdiplus::Argb At(int32_t x, int32_t y) const
    {
        Platform::Gdiplus::Argb color = 0;
        EXPECT_EQ(bitmap->GetPixel(x, y, color), Platform::Gdiplus::Status::Ok) << x << ", " << y;
        return color;
    }

    // One character a pixel of the row from x = 0: '#' where alpha is above 0, '.' elsewhere.
    std::string Row(int32_t y) const
    {
        std::string row;
        for (int32_t x = 0; x < bitmap->Width(); ++x)
            row += Platform::Gdiplus::AlphaOf(At(x, y)) ? '#' : '.';
        return row;
    }

    std::string Column(int32_t x) const
    {
        std::string column;
        for (int32_t y = 0; y < bitmap->Height(); ++y)
            column += Platform::Gdiplus::AlphaOf(At(x, y)) ? '#' : '.';
        return column;
    }

    void Fill(Platform::Gdiplus::Argb color, const Platform::Gdiplus::RectF& rect)
    {
        ASSERT_EQ(graphics->FillRectangle(Platform::Gdiplus::Brush::Solid(color).get(), rect),
                  Platform::Gdiplus::Status::Ok);
    }

    std::unique_ptr<Platform::Gdiplus::Bitmap> bitmap;
    std::unique_ptr<Platform::Gdiplus::Graphics> graphics;
};

// "..###.." style runs: count dots, then hashes, then dots, up to the width.
inline std::string Span(int dotsBefore, int hashes, int width)
{
    std::string run(size_t(dotsBefore), '.');
    run.append(size_t(hashes), '#');
    run.append(size_t(width - dotsBefore - hashes), '.');
    return run;
}
