#include "Platform/Gdiplus/Bitmap.h"

#include "Platform/Gdiplus/Graphics.h"
#include "Platform/Gdiplus/Outcome.h"
#include "Platform/Gdiplus/Pixels.h"
#include "Platform/Text/Utf.h"

#include <algorithm>
#include <bit>
#include <cairo.h>
#include <fstream>
#include <iterator>
#include <png.h>

static_assert(std::endian::native == std::endian::little, "pixels are 0xAARRGGBB words stored as B, G, R, A");

namespace Platform::Gdiplus
{
namespace
{
constexpr int32_t MaxSide = 32767;
constexpr float DefaultDpi = 96;
} // namespace

Bitmap::Bitmap(int32_t width, int32_t height, PixelFormat format, float dpiX, float dpiY,
               _cairo_surface* surface)
    : mWidth(width), mHeight(height), mFormat(format), mDpiX(dpiX), mDpiY(dpiY), mSurface(surface)
{
    if (format == PixelFormat::Argb32)
        mStraight.assign(size_t(width) * size_t(height), 0);
}

Bitmap::~Bitmap()
{
    cairo_surface_destroy(mSurface);
}

std::unique_ptr<Bitmap> Bitmap::Make(int32_t width, int32_t height, PixelFormat format, float dpiX,
                                     float dpiY, Status* status)
{
    if (width < 1 || height < 1 || width > MaxSide || height > MaxSide ||
        (format != PixelFormat::Argb32 && format != PixelFormat::Pargb32))
        return Outcome<Bitmap>(status, Status::InvalidParameter);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS)
    {
        cairo_surface_destroy(surface);
        return Outcome<Bitmap>(status, Status::OutOfMemory);
    }
    return Outcome(status, Status::Ok,
                   std::unique_ptr<Bitmap>(new Bitmap(width, height, format, dpiX, dpiY, surface)));
}

std::unique_ptr<Bitmap> Bitmap::Create(int32_t width, int32_t height, PixelFormat format, Status* status)
{
    return Make(width, height, format, DefaultDpi, DefaultDpi, status);
}

std::unique_ptr<Bitmap> Bitmap::CreateFor(const Graphics* graphics, int32_t width, int32_t height,
                                          Status* status)
{
    if (!graphics)
        return Outcome<Bitmap>(status, Status::InvalidParameter);
    return Make(width, height, PixelFormat::Pargb32, graphics->DpiX(), graphics->DpiY(), status);
}

std::unique_ptr<Bitmap> Bitmap::FromPng(std::span<const uint8_t> bytes, Status* status)
{
    if (bytes.empty())
        return Outcome<Bitmap>(status, Status::InvalidParameter);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        return Outcome<Bitmap>(status, Status::UnknownImageFormat);
    image.format = PNG_FORMAT_BGRA;
    auto bitmap = Make(int32_t(image.width), int32_t(image.height), PixelFormat::Argb32, DefaultDpi,
                       DefaultDpi, status);
    if (!bitmap)
    {
        png_image_free(&image);
        return nullptr;
    }
    if (!png_image_finish_read(&image, nullptr, bitmap->mStraight.data(), 0, nullptr))
    {
        png_image_free(&image);
        return Outcome<Bitmap>(status, Status::UnknownImageFormat);
    }
    bitmap->mCurrent = Current::Straight;
    return bitmap;
}

std::unique_ptr<Bitmap> Bitmap::FromFile(std::u16string_view path, Status* status)
{
    // Skins written for Windows separate folders with backslashes.
    std::string name = Utf16ToUtf8(path);
    std::replace(name.begin(), name.end(), '\\', '/');
    std::ifstream file(name, std::ios::binary);
    if (!file)
        return Outcome<Bitmap>(status, Status::FileNotFound);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (file.bad())
        return Outcome<Bitmap>(status, Status::FileNotFound);
    if (bytes.empty())
        return Outcome<Bitmap>(status, Status::UnknownImageFormat);
    return FromPng(bytes, status);
}

bool Bitmap::Contains(const RectI& area) const
{
    return area.width > 0 && area.height > 0 && area.x >= 0 && area.y >= 0 && area.x <= mWidth - area.width &&
           area.y <= mHeight - area.height;
}

uint32_t* Bitmap::SurfaceRow(int32_t y) const
{
    unsigned char* data = cairo_image_surface_get_data(mSurface);
    return reinterpret_cast<uint32_t*>(data + ptrdiff_t(y) * cairo_image_surface_get_stride(mSurface));
}

void Bitmap::SyncStraight() const
{
    if (mCurrent != Current::Surface)
        return;
    cairo_surface_flush(mSurface);
    for (int32_t y = 0; y < mHeight; ++y)
    {
        const uint32_t* row = SurfaceRow(y);
        for (int32_t x = 0; x < mWidth; ++x)
        {
            // Pixels that no drawing changed keep their exact straight value; premultiplying lost detail.
            uint32_t& straight = mStraight[size_t(y) * mWidth + x];
            if (row[x] != Premultiply(straight))
                straight = Unpremultiply(row[x]);
        }
    }
    mCurrent = Current::Both;
}

void Bitmap::SyncSurface() const
{
    if (mCurrent != Current::Straight)
        return;
    cairo_surface_flush(mSurface);
    for (int32_t y = 0; y < mHeight; ++y)
    {
        uint32_t* row = SurfaceRow(y);
        for (int32_t x = 0; x < mWidth; ++x)
            row[x] = Premultiply(mStraight[size_t(y) * mWidth + x]);
    }
    cairo_surface_mark_dirty(mSurface);
    mCurrent = Current::Both;
}

bool Bitmap::PrepareStoredPixels() const
{
    const bool straight = mFormat == PixelFormat::Argb32;
    if (straight)
        SyncStraight();
    else
        cairo_surface_flush(mSurface);
    return straight;
}

uint32_t* Bitmap::StoredPixel(bool straight, int32_t x, int32_t y) const
{
    return straight ? &mStraight[size_t(y) * mWidth + x] : SurfaceRow(y) + x;
}

void Bitmap::ReadArea(const RectI& area, PixelFormat format, uint32_t* pixels, int32_t strideWords) const
{
    const bool straight = PrepareStoredPixels();
    for (int32_t y = 0; y < area.height; ++y)
    {
        const uint32_t* source = StoredPixel(straight, area.x, area.y + y);
        uint32_t* target = pixels + ptrdiff_t(y) * strideWords;
        for (int32_t x = 0; x < area.width; ++x)
        {
            if (format == mFormat)
                target[x] = source[x];
            else
                target[x] = straight ? Premultiply(source[x]) : Unpremultiply(source[x]);
        }
    }
}

void Bitmap::WriteArea(const RectI& area, PixelFormat format, const uint32_t* pixels, int32_t strideWords)
{
    const bool straight = PrepareStoredPixels();
    for (int32_t y = 0; y < area.height; ++y)
    {
        uint32_t* target = StoredPixel(straight, area.x, area.y + y);
        const uint32_t* source = pixels + ptrdiff_t(y) * strideWords;
        for (int32_t x = 0; x < area.width; ++x)
        {
            if (format == mFormat)
                target[x] = source[x];
            else
                target[x] = straight ? Unpremultiply(source[x]) : Premultiply(source[x]);
        }
    }
    if (straight)
        mCurrent = Current::Straight;
    else
        cairo_surface_mark_dirty_rectangle(mSurface, area.x, area.y, area.width, area.height);
}

std::unique_ptr<Bitmap> Bitmap::CloneArea(const RectI& area, PixelFormat format, Status* status) const
{
    if (!Contains(area))
        return Outcome<Bitmap>(status, Status::InvalidParameter);
    if (IsLocked())
        return Outcome<Bitmap>(status, Status::WrongState);
    auto clone = Make(area.width, area.height, format, mDpiX, mDpiY, status);
    if (!clone)
        return nullptr;
    std::vector<uint32_t> pixels(size_t(area.width) * size_t(area.height));
    ReadArea(area, format, pixels.data(), area.width);
    clone->WriteArea({0, 0, area.width, area.height}, format, pixels.data(), area.width);
    return clone;
}

Status Bitmap::GetPixel(int32_t x, int32_t y, Argb& color) const
{
    if (!Contains({x, y, 1, 1}))
        return Status::InvalidParameter;
    if (IsLocked())
        return Status::WrongState;
    ReadArea({x, y, 1, 1}, PixelFormat::Argb32, &color, 1);
    return Status::Ok;
}

Status Bitmap::SetPixel(int32_t x, int32_t y, Argb color)
{
    if (!Contains({x, y, 1, 1}))
        return Status::InvalidParameter;
    if (IsLocked())
        return Status::WrongState;
    WriteArea({x, y, 1, 1}, PixelFormat::Argb32, &color, 1);
    return Status::Ok;
}

Status Bitmap::LockBits(const RectI& area, LockMode mode, PixelFormat format, LockedBits& locked)
{
    const bool knownMode = mode == LockMode::Read || mode == LockMode::Write || mode == LockMode::ReadWrite;
    const bool knownFormat = format == PixelFormat::Argb32 || format == PixelFormat::Pargb32;
    if (!Contains(area) || !knownMode || !knownFormat)
        return Status::InvalidParameter;
    if (IsLocked())
        return Status::WrongState;

    Lock lock{area, mode, format, {}, nullptr};
    int32_t stride = area.width * 4;
    if (format != mFormat)
    {
        lock.copy.resize(size_t(area.width) * size_t(area.height));
        ReadArea(area, format, lock.copy.data(), area.width);
        lock.scan0 = reinterpret_cast<uint8_t*>(lock.copy.data());
    }
    else
    {
        const bool straight = PrepareStoredPixels();
        lock.scan0 = reinterpret_cast<uint8_t*>(StoredPixel(straight, area.x, area.y));
        stride = straight ? mWidth * 4 : cairo_image_surface_get_stride(mSurface);
    }
    locked = {area.width, area.height, stride, format, lock.scan0};
    mLock = std::move(lock);
    return Status::Ok;
}

Status Bitmap::UnlockBits(const LockedBits& locked)
{
    if (!IsLocked() || locked.scan0 != mLock->scan0)
        return Status::WrongState;
    Lock lock = std::move(*mLock);
    mLock.reset();
    if ((int(lock.mode) & int(LockMode::Write)) == 0)
        return Status::Ok;
    if (!lock.copy.empty())
        WriteArea(lock.area, lock.format, lock.copy.data(), lock.area.width);
    else if (mFormat == PixelFormat::Argb32)
        mCurrent = Current::Straight;
    else
        cairo_surface_mark_dirty_rectangle(mSurface, lock.area.x, lock.area.y, lock.area.width,
                                           lock.area.height);
    return Status::Ok;
}

_cairo_surface* Bitmap::Surface() const
{
    SyncSurface();
    return mSurface;
}

_cairo_surface* Bitmap::CopyToSurface(const RectI& area) const
{
    cairo_surface_t* copy = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, area.width, area.height);
    if (cairo_surface_status(copy) != CAIRO_STATUS_SUCCESS)
    {
        cairo_surface_destroy(copy);
        return nullptr;
    }
    cairo_surface_flush(copy);
    ReadArea(area, PixelFormat::Pargb32, reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(copy)),
             cairo_image_surface_get_stride(copy) / 4);
    cairo_surface_mark_dirty(copy);
    return copy;
}

void Bitmap::SurfaceDrawn()
{
    if (mFormat == PixelFormat::Argb32)
        mCurrent = Current::Surface;
}
} // namespace Platform::Gdiplus
