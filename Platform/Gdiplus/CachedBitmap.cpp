#include "Platform/Gdiplus/CachedBitmap.h"

#include "Platform/Gdiplus/Bitmap.h"

#include <cairo.h>

namespace Platform::Gdiplus
{
CachedBitmap::CachedBitmap(int32_t width, int32_t height, _cairo_surface* surface)
    : mWidth(width), mHeight(height), mSurface(surface)
{
}

CachedBitmap::~CachedBitmap()
{
    cairo_surface_destroy(mSurface);
}

std::unique_ptr<CachedBitmap> CachedBitmap::Create(const Bitmap* bitmap, const Graphics* graphics,
                                                   Status* status)
{
    Status result = Status::Ok;
    _cairo_surface* surface = nullptr;
    if (!bitmap || !graphics)
        result = Status::InvalidParameter;
    else if (bitmap->IsLocked())
        result = Status::WrongState;
    else if (!(surface = bitmap->CopyToSurface({0, 0, bitmap->Width(), bitmap->Height()})))
        result = Status::OutOfMemory;
    if (status)
        *status = result;
    if (!surface)
        return nullptr;
    return std::unique_ptr<CachedBitmap>(new CachedBitmap(bitmap->Width(), bitmap->Height(), surface));
}
} // namespace Platform::Gdiplus
