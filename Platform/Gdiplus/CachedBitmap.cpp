#include "Platform/Gdiplus/CachedBitmap.h"

#include "Platform/Gdiplus/Bitmap.h"
#include "Platform/Gdiplus/Outcome.h"

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
    if (!bitmap || !graphics)
        return Outcome<CachedBitmap>(status, Status::InvalidParameter);
    if (bitmap->IsLocked())
        return Outcome<CachedBitmap>(status, Status::WrongState);
    _cairo_surface* surface = bitmap->CopyToSurface({0, 0, bitmap->Width(), bitmap->Height()});
    if (!surface)
        return Outcome<CachedBitmap>(status, Status::OutOfMemory);
    return Outcome(
        status, Status::Ok,
        std::unique_ptr<CachedBitmap>(new CachedBitmap(bitmap->Width(), bitmap->Height(), surface)));
}
} // namespace Platform::Gdiplus
