#include "Platform/Gdiplus/Brush.h"

#include "Platform/Gdiplus/Bitmap.h"

#include <cairo.h>

namespace Platform::Gdiplus
{
Brush::Brush(Argb color, _cairo_surface* texture) : mColor(color), mTexture(texture)
{
}

Brush::~Brush()
{
    cairo_surface_destroy(mTexture);
}

std::unique_ptr<Brush> Brush::Solid(Argb color)
{
    return std::unique_ptr<Brush>(new Brush(color, nullptr));
}

std::unique_ptr<Brush> Brush::Texture(const Bitmap* image, const RectI& area, Status* status)
{
    Status result = Status::Ok;
    _cairo_surface* texture = nullptr;
    if (!image || !image->Contains(area))
        result = Status::InvalidParameter;
    else if (image->IsLocked())
        result = Status::WrongState;
    else if (!(texture = image->CopyToSurface(area)))
        result = Status::OutOfMemory;
    if (status)
        *status = result;
    return texture ? std::unique_ptr<Brush>(new Brush(0, texture)) : nullptr;
}

std::unique_ptr<Brush> Brush::Texture(const Bitmap* image, Status* status)
{
    return Texture(image, image ? RectI{0, 0, image->Width(), image->Height()} : RectI{}, status);
}
} // namespace Platform::Gdiplus
