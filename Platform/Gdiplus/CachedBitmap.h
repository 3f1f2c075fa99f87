#pragma once

#include "Platform/Gdiplus/Types.h"

#include <memory>

struct _cairo_surface;

// A bitmap prepared for drawing onto a graphics at whole pixel positions, unscaled: the fastest way to draw
// an image again and again. It holds its own copy of the pixels, premultiplied.
namespace Platform::Gdiplus
{
class Bitmap;
class Graphics;

class CachedBitmap
{
public:
    [[nodiscard]] static std::unique_ptr<CachedBitmap> Create(const Bitmap* bitmap, const Graphics* graphics,
                                                              Status* status = nullptr);
    ~CachedBitmap();
    CachedBitmap(const CachedBitmap&) = delete;
    CachedBitmap& operator=(const CachedBitmap&) = delete;

    [[nodiscard]] int32_t Width() const { return mWidth; }
    [[nodiscard]] int32_t Height() const { return mHeight; }

private:
    friend class Graphics;
    CachedBitmap(int32_t width, int32_t height, _cairo_surface* surface);

    int32_t mWidth;
    int32_t mHeight;
    _cairo_surface* mSurface;
};
} // namespace Platform::Gdiplus
