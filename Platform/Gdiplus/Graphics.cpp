#include "Platform/Gdiplus/Graphics.h"

#include "Platform/Gdiplus/Bitmap.h"
#include "Platform/Gdiplus/Brush.h"
#include "Platform/Gdiplus/CachedBitmap.h"
#include "Platform/Gdiplus/Font.h"
#include "Platform/Gdiplus/FontFace.h"
#include "Platform/Gdiplus/Outcome.h"
#include "Platform/Gdiplus/Path.h"
#include "Platform/Gdiplus/WindowSurface.h"
#include "Platform/Text/Utf.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace Platform::Gdiplus
{
namespace
{
constexpr float MemoryDpi = 96;

bool Finite(PointF point)
{
    return std::isfinite(point.x) && std::isfinite(point.y);
}

bool Finite(const RectF& rect)
{
    return std::isfinite(rect.x) && std::isfinite(rect.y) && std::isfinite(rect.width) &&
           std::isfinite(rect.height);
}

bool Empty(const RectF& rect)
{
    return !(rect.width > 0 && rect.height > 0);
}

bool ValidPen(const Pen& pen)
{
    return std::isfinite(pen.width) && pen.width >= 0;
}

std::vector<std::u16string_view> SplitLines(std::u16string_view text)
{
    std::vector<std::u16string_view> lines;
    for (;;)
    {
        const size_t end = text.find(u'\n');
        std::u16string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == u'\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::u16string_view::npos)
            return lines;
        text.remove_prefix(end + 1);
    }
}

// Grayscale glyphs and unhinted outlines and advances, so text measures the same at every position.
void SetTextOptions(cairo_font_options_t* options)
{
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
}

void SetColor(cairo_t* context, Argb color)
{
    cairo_set_source_rgba(context, RedOf(color) / 255.0, GreenOf(color) / 255.0, BlueOf(color) / 255.0,
                          AlphaOf(color) / 255.0);
}

double Advance(cairo_scaled_font_t* font, std::u16string_view line)
{
    const std::string text = Utf16ToUtf8(line);
    cairo_text_extents_t extents{};
    cairo_scaled_font_text_extents(font, text.c_str(), &extents);
    return extents.x_advance;
}

// The advance cairo adds after the glyph when it lays glyphs out one after another.
double GlyphAdvance(cairo_scaled_font_t* font, unsigned long index)
{
    const cairo_glyph_t glyph{index, 0, 0};
    cairo_text_extents_t extents{};
    cairo_scaled_font_glyph_extents(font, &glyph, 1, &extents);
    return extents.x_advance;
}

// The advance of the replacement character, which a high surrogate without its low half becomes.
double ReplacementAdvance(cairo_scaled_font_t* font)
{
    return Advance(font, u"\uFFFD");
}

bool IsSurrogatePair(std::u16string_view text, size_t at)
{
    return text[at] >= 0xD800 && text[at] <= 0xDBFF && at + 1 < text.size() && text[at + 1] >= 0xDC00 &&
           text[at + 1] <= 0xDFFF;
}

// Lays the line's glyphs out once and reads Advance of each prefix off their positions: advances[i] is
// what Advance gives the line's first i units. Glyphs follow each other by their advances, one glyph to a
// code point, so a prefix ends where the next code point's glyph starts; a prefix that splits a surrogate
// pair ends with the replacement character. Nothing after a NUL is measured, as in Advance. False when the
// glyphs cannot be laid out one to a code point.
bool LayPrefixAdvances(cairo_scaled_font_t* font, std::u16string_view line, std::vector<double>& advances)
{
    const size_t measured = std::min(line.find(u'\0'), line.size());
    const std::string text = Utf16ToUtf8(line.substr(0, measured));
    cairo_glyph_t* glyphs = nullptr;
    int count = 0;
    if (cairo_scaled_font_text_to_glyphs(font, 0, 0, text.data(), int(text.size()), &glyphs, &count, nullptr,
                                         nullptr, nullptr) != CAIRO_STATUS_SUCCESS)
        return false;
    const double end = count > 0 ? glyphs[count - 1].x + GlyphAdvance(font, glyphs[count - 1].index) : 0;
    const auto startOf = [&](int glyph) { return glyph < count ? glyphs[glyph].x : end; };
    size_t unit = 0;
    int glyph = 0;
    for (; unit < measured && glyph < count; ++unit, ++glyph)
    {
        if (IsSurrogatePair(line, unit))
            advances[++unit] = startOf(glyph) + ReplacementAdvance(font);
        advances[unit + 1] = startOf(glyph + 1);
    }
    cairo_glyph_free(glyphs);
    std::fill(advances.begin() + std::ptrdiff_t(measured) + 1, advances.end(), advances[measured]);
    return unit == measured && glyph == count;
}

// advances[i] is what Advance gives the line's first i units, for every i from 0 to the line's length.
std::vector<double> PrefixAdvances(cairo_scaled_font_t* font, std::u16string_view line)
{
    std::vector<double> advances(line.size() + 1, 0.0);
    if (!LayPrefixAdvances(font, line, advances))
    {
        for (size_t count = 1; count <= line.size(); ++count)
            advances[count] = Advance(font, line.substr(0, count));
    }
    return advances;
}

// The advance of the line's first count units as the line it makes on its own: a '\r' ending it is dropped.
double LineAdvance(std::u16string_view line, const std::vector<double>& advances, size_t count)
{
    return count > 0 && line[count - 1] == u'\r' ? advances[count - 1] : advances[count];
}

using ScaledFont = std::unique_ptr<cairo_scaled_font_t, decltype(&cairo_scaled_font_destroy)>;

// The scaled font text is measured with, at the em size and without a device transform.
ScaledFont CreateMeasuringFont(const FontFace& face, double em)
{
    cairo_matrix_t fontMatrix;
    cairo_matrix_init_scale(&fontMatrix, em, em);
    cairo_matrix_t identity;
    cairo_matrix_init_identity(&identity);
    cairo_font_options_t* options = cairo_font_options_create();
    SetTextOptions(options);
    ScaledFont scaled(cairo_scaled_font_create(face.cairoFace, &fontMatrix, &identity, options),
                      &cairo_scaled_font_destroy);
    cairo_font_options_destroy(options);
    return scaled;
}

// Sizes of a font's text at a DPI, in world units.
struct TextScale
{
    TextScale(const Font& font, const FontFace& face, float dpi)
        : em(font.EmPixels(dpi)), perUnit(double(em) / face.metrics.emHeight),
          ascent(face.metrics.cellAscent * perUnit), lineHeight(face.metrics.lineSpacing * perUnit)
    {
    }

    double em;
    double perUnit;
    double ascent;
    double lineHeight;
};
} // namespace

Graphics::Graphics(_cairo_surface* surface, Bitmap* target, float dpiX, float dpiY)
    : mContext(cairo_create(surface)), mSurface(surface), mTarget(target), mDpiX(dpiX), mDpiY(dpiY)
{
    cairo_set_antialias(mContext, CAIRO_ANTIALIAS_NONE);
}

Graphics::~Graphics()
{
    cairo_destroy(mContext);
    cairo_surface_flush(mSurface);
    cairo_surface_destroy(mSurface);
}

std::unique_ptr<Graphics> Graphics::FromBitmap(Bitmap* bitmap, Status* status)
{
    if (!bitmap)
        return Outcome<Graphics>(status, Status::InvalidParameter);
    if (bitmap->IsLocked())
        return Outcome<Graphics>(status, Status::WrongState);
    return Outcome(status, Status::Ok,
                   std::unique_ptr<Graphics>(new Graphics(cairo_surface_reference(bitmap->mSurface), bitmap,
                                                          bitmap->DpiX(), bitmap->DpiY())));
}

std::unique_ptr<Graphics> Graphics::FromWindow(WindowHandle window, Status* status)
{
    WindowSurface target;
    if (window == 0)
        target = {cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1), MemoryDpi, MemoryDpi};
    else
        target = ProvideWindowSurface(window);
    Status result = Status::Ok;
    if (!target.surface || !(target.dpiX > 0 && target.dpiY > 0))
        result = Status::InvalidParameter;
    else if (cairo_surface_status(target.surface) != CAIRO_STATUS_SUCCESS)
        result = Status::OutOfMemory;
    if (result != Status::Ok)
    {
        cairo_surface_destroy(target.surface);
        return Outcome<Graphics>(status, result);
    }
    return Outcome(
        status, Status::Ok,
        std::unique_ptr<Graphics>(new Graphics(target.surface, nullptr, target.dpiX, target.dpiY)));
}

Status Graphics::SetCompositingMode(CompositingMode mode)
{
    if (mode != CompositingMode::SourceOver && mode != CompositingMode::SourceCopy)
        return Status::InvalidParameter;
    mCompositing = mode;
    cairo_set_operator(mContext,
                       mode == CompositingMode::SourceCopy ? CAIRO_OPERATOR_SOURCE : CAIRO_OPERATOR_OVER);
    return Status::Ok;
}

Status Graphics::SetTransform(const Matrix& transform)
{
    if (!transform.IsInvertible())
        return Status::InvalidParameter;
    mTransform = transform;
    return Status::Ok;
}

void Graphics::ResetTransform()
{
    mTransform = Matrix();
}

Status Graphics::TranslateTransform(float dx, float dy, MatrixOrder order)
{
    Matrix transform = mTransform;
    transform.Translate(dx, dy, order);
    return SetTransform(transform);
}

Status Graphics::ScaleTransform(float sx, float sy, MatrixOrder order)
{
    Matrix transform = mTransform;
    transform.Scale(sx, sy, order);
    return SetTransform(transform);
}

Status Graphics::SetClip(const RectF& rect)
{
    if (!Finite(rect))
        return Status::InvalidParameter;
    cairo_reset_clip(mContext);
    UseSpace(Space::Shapes);
    if (Empty(rect))
        cairo_rectangle(mContext, 0, 0, 0, 0);
    else
        cairo_rectangle(mContext, rect.x, rect.y, rect.width, rect.height);
    cairo_clip(mContext);
    cairo_identity_matrix(mContext);
    return Status::Ok;
}

void Graphics::ResetClip()
{
    cairo_reset_clip(mContext);
}

void Graphics::UseSpace(Space space)
{
    const double shift = space == Space::Shapes ? 0.5 : 0;
    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, mTransform.m11, mTransform.m12, mTransform.m21, mTransform.m22,
                      mTransform.dx + shift, mTransform.dy + shift);
    cairo_set_matrix(mContext, &matrix);
}

void Graphics::UseBrush(const Brush& brush, Space space)
{
    if (!brush.mTexture)
    {
        SetColor(mContext, brush.mColor);
        return;
    }
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(brush.mTexture);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
    // The texture's pixels start at the world origin's pixel, whichever space the shape is drawn in.
    if (space == Space::Shapes)
    {
        cairo_matrix_t matrix;
        cairo_matrix_init_translate(&matrix, 0.5, 0.5);
        cairo_pattern_set_matrix(pattern, &matrix);
    }
    cairo_set_source(mContext, pattern);
    cairo_pattern_destroy(pattern);
}

void Graphics::UsePen(const Pen& pen)
{
    double x = 1;
    double y = 0;
    cairo_device_to_user_distance(mContext, &x, &y);
    cairo_set_line_width(mContext, std::max(double(pen.width), std::hypot(x, y)));
    SetColor(mContext, pen.color);
}

template <typename Draw>
Status Graphics::Paint(Draw&& draw)
{
    if (mTarget)
    {
        if (mTarget->IsLocked())
            return Status::WrongState;
        mTarget->SyncSurface();
    }
    cairo_save(mContext);
    draw();
    cairo_restore(mContext);
    if (mTarget)
        mTarget->SurfaceDrawn();
    return cairo_status(mContext) == CAIRO_STATUS_SUCCESS ? Status::Ok : Status::GenericError;
}

Status Graphics::Clear(Argb color)
{
    return Paint(
        [&]
        {
            cairo_set_operator(mContext, CAIRO_OPERATOR_SOURCE);
            SetColor(mContext, color);
            cairo_paint(mContext);
        });
}

Status Graphics::FillRectangle(const Brush* brush, const RectF& rect)
{
    if (!brush || !Finite(rect))
        return Status::InvalidParameter;
    if (Empty(rect))
        return Status::Ok;
    return Paint(
        [&]
        {
            UseSpace(Space::Shapes);
            UseBrush(*brush, Space::Shapes);
            cairo_rectangle(mContext, rect.x, rect.y, rect.width, rect.height);
            cairo_fill(mContext);
        });
}

Status Graphics::DrawRectangle(const Pen& pen, const RectF& rect)
{
    if (!ValidPen(pen) || !Finite(rect))
        return Status::InvalidParameter;
    if (rect.width < 0 || rect.height < 0)
        return Status::Ok;
    return Paint(
        [&]
        {
            UseSpace(Space::Shapes);
            UsePen(pen);
            cairo_rectangle(mContext, rect.x, rect.y, rect.width, rect.height);
            cairo_stroke(mContext);
        });
}

Status Graphics::DrawLine(const Pen& pen, PointF from, PointF to)
{
    if (!ValidPen(pen) || !Finite(from) || !Finite(to))
        return Status::InvalidParameter;
    return Paint(
        [&]
        {
            UseSpace(Space::Shapes);
            UsePen(pen);
            cairo_move_to(mContext, from.x, from.y);
            cairo_line_to(mContext, to.x, to.y);
            cairo_stroke(mContext);
        });
}

namespace
{
void AddFigures(cairo_t* context, const Path& path)
{
    for (const Path::Figure& figure : path.Figures())
    {
        if (figure.points.empty())
            continue;
        cairo_move_to(context, figure.points.front().x, figure.points.front().y);
        for (size_t i = 1; i < figure.points.size(); ++i)
            cairo_line_to(context, figure.points[i].x, figure.points[i].y);
        if (figure.closed)
            cairo_close_path(context);
    }
}
} // namespace

Status Graphics::FillPath(const Brush* brush, const Path* path)
{
    if (!brush || !path)
        return Status::InvalidParameter;
    return Paint(
        [&]
        {
            UseSpace(Space::Shapes);
            UseBrush(*brush, Space::Shapes);
            cairo_set_fill_rule(mContext, CAIRO_FILL_RULE_EVEN_ODD);
            AddFigures(mContext, *path);
            cairo_fill(mContext);
        });
}

Status Graphics::DrawPath(const Pen& pen, const Path* path)
{
    if (!ValidPen(pen) || !path)
        return Status::InvalidParameter;
    return Paint(
        [&]
        {
            UseSpace(Space::Shapes);
            UsePen(pen);
            AddFigures(mContext, *path);
            cairo_stroke(mContext);
        });
}

Status Graphics::DrawImage(const Bitmap* image, PointF at)
{
    if (!image)
        return Status::InvalidParameter;
    const auto width = float(image->Width());
    const auto height = float(image->Height());
    return DrawImageArea(image, {at.x, at.y, width, height}, {0, 0, width, height});
}

Status Graphics::DrawImage(const Bitmap* image, PointF at, const RectF& source)
{
    return DrawImageArea(image, {at.x, at.y, source.width, source.height}, source);
}

Status Graphics::DrawImage(const Bitmap* image, const RectF& destination, const RectF& source)
{
    return DrawImageArea(image, destination, source);
}

Status Graphics::DrawImageArea(const Bitmap* image, const RectF& destination, const RectF& source)
{
    if (!image || !Finite(destination) || !Finite(source))
        return Status::InvalidParameter;
    if (image->IsLocked())
        return Status::WrongState;
    if (Empty(destination) || Empty(source))
        return Status::Ok;
    return Paint(
        [&]
        {
            UseSpace(Space::Images);
            cairo_pattern_t* pattern = cairo_pattern_create_for_surface(image->Surface());
            cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
            cairo_matrix_t matrix;
            cairo_matrix_init_translate(&matrix, source.x, source.y);
            cairo_matrix_scale(&matrix, source.width / destination.width, source.height / destination.height);
            cairo_matrix_translate(&matrix, -destination.x, -destination.y);
            cairo_pattern_set_matrix(pattern, &matrix);
            cairo_set_source(mContext, pattern);
            cairo_pattern_destroy(pattern);
            cairo_rectangle(mContext, destination.x, destination.y, destination.width, destination.height);
            cairo_fill(mContext);
        });
}

Status Graphics::DrawCachedBitmap(const CachedBitmap* bitmap, int32_t x, int32_t y)
{
    if (!bitmap)
        return Status::InvalidParameter;
    return Paint(
        [&]
        {
            const double left = std::round(x + double(mTransform.dx));
            const double top = std::round(y + double(mTransform.dy));
            cairo_identity_matrix(mContext);
            cairo_set_source_surface(mContext, bitmap->mSurface, left, top);
            cairo_rectangle(mContext, left, top, bitmap->Width(), bitmap->Height());
            cairo_fill(mContext);
        });
}

Status Graphics::MeasureString(std::u16string_view text, const Font* font, PointF origin, RectF& bounds) const
{
    if (!font || !Finite(origin))
        return Status::InvalidParameter;
    bounds = {origin.x, origin.y, 0, 0};
    if (text.empty())
        return Status::Ok;
    const TextScale scale(*font, *font->mFace, mDpiY);
    const ScaledFont scaled = CreateMeasuringFont(*font->mFace, scale.em);
    const auto lines = SplitLines(text);
    double width = 0;
    for (std::u16string_view line : lines)
        width = std::max(width, Advance(scaled.get(), line));
    if (cairo_scaled_font_status(scaled.get()) != CAIRO_STATUS_SUCCESS)
        return Status::GenericError;
    bounds.width = float(width);
    bounds.height = float(scale.lineHeight * double(lines.size()));
    return Status::Ok;
}

Status Graphics::MeasureStringPrefixWidths(std::u16string_view text, const Font* font,
                                           std::vector<float>& widths) const
{
    widths.assign(text.size() + 1, 0.0f);
    if (!font)
        return Status::InvalidParameter;
    if (text.empty())
        return Status::Ok;
    const ScaledFont scaled = CreateMeasuringFont(*font->mFace, TextScale(*font, *font->mFace, mDpiY).em);
    // The widest of the lines before the one a prefix ends in; each line is measured as SplitLines cuts it.
    double widest = 0;
    for (size_t start = 0;;)
    {
        const size_t end = std::min(text.find(u'\n', start), text.size());
        const std::u16string_view line = text.substr(start, end - start);
        const std::vector<double> advances = PrefixAdvances(scaled.get(), line);
        for (size_t count = 1; count <= line.size(); ++count)
            widths[start + count] = float(std::max(widest, LineAdvance(line, advances, count)));
        if (end == text.size())
            break;
        widest = std::max(widest, LineAdvance(line, advances, line.size()));
        widths[end + 1] = float(widest);
        start = end + 1;
    }
    if (cairo_scaled_font_status(scaled.get()) != CAIRO_STATUS_SUCCESS)
    {
        widths.assign(text.size() + 1, 0.0f);
        return Status::GenericError;
    }
    return Status::Ok;
}

Status Graphics::DrawString(std::u16string_view text, const Font* font, PointF origin, const Brush* brush)
{
    if (!font || !brush || !Finite(origin))
        return Status::InvalidParameter;
    if (text.empty())
        return Status::Ok;
    const FontFace& face = *font->mFace;
    const TextScale scale(*font, face, mDpiY);
    return Paint(
        [&]
        {
            UseSpace(Space::Images);
            UseBrush(*brush, Space::Images);
            cairo_set_font_face(mContext, face.cairoFace);
            cairo_set_font_size(mContext, scale.em);
            cairo_font_options_t* options = cairo_font_options_create();
            SetTextOptions(options);
            cairo_set_font_options(mContext, options);
            cairo_font_options_destroy(options);
            cairo_scaled_font_t* scaled = cairo_get_scaled_font(mContext);
            double baseline = origin.y + scale.ascent;
            for (std::u16string_view line : SplitLines(text))
            {
                const std::string utf8 = Utf16ToUtf8(line);
                cairo_glyph_t* glyphs = nullptr;
                int count = 0;
                if (cairo_scaled_font_text_to_glyphs(scaled, origin.x, baseline, utf8.data(),
                                                     int(utf8.size()), &glyphs, &count, nullptr, nullptr,
                                                     nullptr) == CAIRO_STATUS_SUCCESS)
                {
                    cairo_show_glyphs(mContext, glyphs, count);
                    cairo_glyph_free(glyphs);
                }
                const double width = Advance(scaled, line);
                const auto rule = [&](int32_t top, int32_t thickness)
                {
                    const double height = std::max(1.0, thickness * scale.perUnit);
                    cairo_rectangle(mContext, origin.x, baseline - top * scale.perUnit, width, height);
                    cairo_fill(mContext);
                };
                if (font->Style() & FontStyleUnderline)
                    rule(face.underlinePosition + face.underlineThickness / 2, face.underlineThickness);
                if (font->Style() & FontStyleStrikeout)
                    rule(face.strikeoutPosition, face.strikeoutThickness);
                baseline += scale.lineHeight;
            }
        });
}

Status Graphics::Flush()
{
    cairo_surface_flush(mSurface);
    return Status::Ok;
}
} // namespace Platform::Gdiplus
