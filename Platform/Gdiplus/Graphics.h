#pragma once

#include "Platform/Gdiplus/Matrix.h"
#include "Platform/Gdiplus/Types.h"

#include <memory>
#include <string_view>
#include <vector>

struct _cairo;
struct _cairo_surface;

// Drawing onto a bitmap or a window, with GDI+'s conventions:
// - world coordinates go through the world transform to device pixels; pixel centres lie on whole
//   coordinates, so FillRectangle {10, 10, 20, 20} fills columns 10 to 29 and its 1-pixel outline covers
//   columns 10 and 30;
// - shapes are not antialiased, images are drawn nearest-neighbour, blending is source-over unless the
//   compositing mode says SourceCopy;
// - the clip is a rectangle given in the world coordinates of the moment it is set; it stays where it fell
//   on the device when the transform changes later;
// - text is drawn in grayscale with unhinted advances, the top of its cell at the point given.
//
// Every object parameter may be null (InvalidParameter); numbers that are not finite are InvalidParameter;
// empty rectangles draw nothing. A graphics is used by one thread at a time, and its bitmap outlives it.
namespace Platform::Gdiplus
{
class Bitmap;
class Brush;
class CachedBitmap;
class Font;
class Path;

class Graphics
{
public:
    [[nodiscard]] static std::unique_ptr<Graphics> FromBitmap(Bitmap* bitmap, Status* status = nullptr);
    // A graphics on the window through the installed WindowSurfaceProvider (InvalidParameter when it gives
    // none). Window 0 gives a memory graphics at 96 DPI whose drawing goes nowhere, for measuring and for
    // making compatible bitmaps without a display.
    [[nodiscard]] static std::unique_ptr<Graphics> FromWindow(WindowHandle window, Status* status = nullptr);

    ~Graphics(); // flushes
    Graphics(const Graphics&) = delete;
    Graphics& operator=(const Graphics&) = delete;

    [[nodiscard]] float DpiX() const { return mDpiX; }
    [[nodiscard]] float DpiY() const { return mDpiY; }

    Status SetCompositingMode(CompositingMode mode);
    [[nodiscard]] CompositingMode GetCompositingMode() const { return mCompositing; }

    // The world transform; a transform that cannot be inverted is InvalidParameter.
    Status SetTransform(const Matrix& transform);
    [[nodiscard]] const Matrix& GetTransform() const { return mTransform; }
    void ResetTransform();
    Status TranslateTransform(float dx, float dy, MatrixOrder order = MatrixOrder::Prepend);
    Status ScaleTransform(float sx, float sy, MatrixOrder order = MatrixOrder::Prepend);

    // Replaces the clip by the rectangle, in current world coordinates.
    Status SetClip(const RectF& rect);
    void ResetClip();

    // Sets every pixel inside the clip to the colour, without blending.
    Status Clear(Argb color);
    Status FillRectangle(const Brush* brush, const RectF& rect);
    Status DrawRectangle(const Pen& pen, const RectF& rect);
    Status DrawLine(const Pen& pen, PointF from, PointF to);
    Status FillPath(const Brush* brush, const Path* path);
    Status DrawPath(const Pen& pen, const Path* path);

    // The image unscaled with its top-left at the point.
    Status DrawImage(const Bitmap* image, PointF at);
    // The source area of the image unscaled with its top-left at the point.
    Status DrawImage(const Bitmap* image, PointF at, const RectF& source);
    // The source area of the image stretched over the destination. Source pixels outside the image are
    // transparent.
    Status DrawImage(const Bitmap* image, const RectF& destination, const RectF& source);
    // The cached bitmap unscaled at the point moved by the transform's translation (any scaling is ignored).
    Status DrawCachedBitmap(const CachedBitmap* bitmap, int32_t x, int32_t y);

    // The box text drawn at the origin takes: the sum of the characters' advances (trailing spaces
    // included) by one line spacing for each line ('\n' breaks lines). Empty text gives a box of size 0.
    Status MeasureString(std::u16string_view text, const Font* font, PointF origin, RectF& bounds) const;
    // The width MeasureString gives each prefix of the text, from one layout of its glyphs: widths gets
    // the text's length + 1 entries, entry i the width of the text's first i UTF-16 units. On failure
    // every entry is 0.
    Status MeasureStringPrefixWidths(std::u16string_view text, const Font* font,
                                     std::vector<float>& widths) const;
    // Draws the text with the top of its first line's cell at the origin.
    Status DrawString(std::u16string_view text, const Font* font, PointF origin, const Brush* brush);

    Status Flush();

private:
    enum class Space
    {
        Shapes, // pixel centres on whole world coordinates
        Images, // pixel corners on whole world coordinates
    };

    Graphics(_cairo_surface* surface, Bitmap* target, float dpiX, float dpiY);

    void UseSpace(Space space);
    void UseBrush(const Brush& brush, Space space);
    void UsePen(const Pen& pen);
    template <typename Draw>
    Status Paint(Draw&& draw);
    Status DrawImageArea(const Bitmap* image, const RectF& destination, const RectF& source);

    _cairo* mContext;
    _cairo_surface* mSurface; // one reference held
    Bitmap* mTarget;          // null for a window or memory graphics
    float mDpiX;
    float mDpiY;
    Matrix mTransform;
    CompositingMode mCompositing = CompositingMode::SourceOver;
};
} // namespace Platform::Gdiplus
