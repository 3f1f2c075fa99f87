#include "Platform/Gdiplus/Brush.h"

#include "Platform/Gdiplus/Bitmap.h"
#include "Platform/Gdiplus/Outcome.h"

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
    if (!image || !image->Contains(area))
        return Outcome<Brush>(status, Status::InvalidParameter);
    if (image->IsLocked())
        return Outcome<Brush>(status, Status::WrongState);
    _cairo_surface* texture = image->CopyToSurface(area);
    if (!texture)
        return Outcome<Brush>(status, Status::OutOfMemory);
    return Outcome(status, Status::Ok, std::unique_ptr<Brush>(new Brush(0, texture)));
}

std::unique_ptr<Brush> Brush::Texture(const Bitmap* image, Status* status)
{
    return Texture(image, image ? RectI{0, 0, image->Width(), image->Height()} : RectI{}, status);
}
} // namespace Platform::Gdiplus
