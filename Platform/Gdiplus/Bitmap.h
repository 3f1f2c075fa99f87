#pragma once

#include "Platform/Gdiplus/Types.h"

#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

struct _cairo_surface;

// A bitmap in memory, 32 bits a pixel, owned by whoever made it.
//
// Bitmaps loaded from PNG or made with Create hold straight alpha (Argb32): a pixel set and read back, or
// written and read through LockBits, is unchanged at any alpha. Bitmaps made for a graphics (back buffers)
// are premultiplied (Pargb32); reading them gives straight alpha, rounded. Drawing into a straight bitmap
// through a Graphics goes through premultiplied pixels, as blending needs.
//
// Width and height are 1 to 32767. Coordinates and areas outside the image are InvalidParameter. While the
// bitmap is locked, everything but UnlockBits is WrongState; so is drawing the bitmap or into it.
// A bitmap is used by one thread at a time and outlives the graphics and brushes made on it.
namespace Platform::Gdiplus
{
class Graphics;

enum class LockMode
{
    Read = 1,
    Write = 2,
    ReadWrite = 3,
};

// Pixels of a locked area: row y starts at scan0 + y * stride; one pixel is a native-endian 0xAARRGGBB word
// in the format asked for.
struct LockedBits
{
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;
    PixelFormat format = PixelFormat::Argb32;
    uint8_t* scan0 = nullptr;
};

class Bitmap
{
public:
    // A bitmap of transparent black pixels.
    [[nodiscard]] static std::unique_ptr<Bitmap>
    Create(int32_t width, int32_t height, PixelFormat format = PixelFormat::Argb32, Status* status = nullptr);
    // A premultiplied bitmap at the graphics' DPI, to draw into and then onto that graphics.
    [[nodiscard]] static std::unique_ptr<Bitmap> CreateFor(const Graphics* graphics, int32_t width,
                                                           int32_t height, Status* status = nullptr);
    // Decodes PNG bytes (any PNG colour type) to straight ARGB. Not a PNG: UnknownImageFormat.
    [[nodiscard]] static std::unique_ptr<Bitmap> FromPng(std::span<const uint8_t> bytes,
                                                         Status* status = nullptr);
    // Reads a PNG file; a file that cannot be read is FileNotFound.
    [[nodiscard]] static std::unique_ptr<Bitmap> FromFile(std::u16string_view path, Status* status = nullptr);

    ~Bitmap();
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    [[nodiscard]] int32_t Width() const { return mWidth; }
    [[nodiscard]] int32_t Height() const { return mHeight; }
    [[nodiscard]] PixelFormat Format() const { return mFormat; }
    [[nodiscard]] float DpiX() const { return mDpiX; }
    [[nodiscard]] float DpiY() const { return mDpiY; }

    // A new bitmap holding a copy of the area, in the format given.
    [[nodiscard]] std::unique_ptr<Bitmap> CloneArea(const RectI& area, PixelFormat format,
                                                    Status* status = nullptr) const;

    Status GetPixel(int32_t x, int32_t y, Argb& color) const;
    Status SetPixel(int32_t x, int32_t y, Argb color);

    // Gives the area's pixels in the format asked for, until UnlockBits with the same record; one lock at a
    // time. A write lock stores the pixels back at unlock.
    Status LockBits(const RectI& area, LockMode mode, PixelFormat format, LockedBits& locked);
    Status UnlockBits(const LockedBits& locked);

private:
    friend class Graphics;
    friend class Brush;
    friend class CachedBitmap;

    // Which copy holds the latest pixels of a straight bitmap.
    enum class Current
    {
        Both,
        Straight,
        Surface,
    };

    struct Lock
    {
        RectI area;
        LockMode mode;
        PixelFormat format;
        std::vector<uint32_t> copy; // empty when the caller works on the pixels in place
        uint8_t* scan0;
    };

    Bitmap(int32_t width, int32_t height, PixelFormat format, float dpiX, float dpiY,
           _cairo_surface* surface);
    static std::unique_ptr<Bitmap> Make(int32_t width, int32_t height, PixelFormat format, float dpiX,
                                        float dpiY, Status* status);

    [[nodiscard]] bool Contains(const RectI& area) const;
    void SyncStraight() const;
    void SyncSurface() const;
    uint32_t* SurfaceRow(int32_t y) const;
    // Makes the stored form of the pixels current for direct access (the straight copy of a straight
    // bitmap, cairo's surface otherwise) and says whether it is the straight one.
    bool PrepareStoredPixels() const;
    [[nodiscard]] uint32_t* StoredPixel(bool straight, int32_t x, int32_t y) const;
    // Copies the area out of or into the bitmap, converting to or from the format given.
    void ReadArea(const RectI& area, PixelFormat format, uint32_t* pixels, int32_t strideWords) const;
    void WriteArea(const RectI& area, PixelFormat format, const uint32_t* pixels, int32_t strideWords);

    // For Graphics, Brush and CachedBitmap: premultiplied pixels to draw from or into, and the note that a
    // graphics drew into them.
    [[nodiscard]] _cairo_surface* Surface() const;
    // A new premultiplied surface holding a copy of the area (null when cairo cannot make one).
    [[nodiscard]] _cairo_surface* CopyToSurface(const RectI& area) const;
    void SurfaceDrawn();
    [[nodiscard]] bool IsLocked() const { return mLock.has_value(); }

    int32_t mWidth;
    int32_t mHeight;
    PixelFormat mFormat;
    float mDpiX;
    float mDpiY;
    _cairo_surface* mSurface;
    mutable std::vector<uint32_t> mStraight; // straight bitmaps only
    mutable Current mCurrent = Current::Both;
    std::optional<Lock> mLock;
};
} // namespace Platform::Gdiplus
