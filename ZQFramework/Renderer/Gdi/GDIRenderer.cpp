#include "ZQFramework/Renderer/Gdi/GDIRenderer.h"

#include "Platform/Clock/Clock.h"
#include "Platform/Gdiplus/Bitmap.h"
#include "Platform/Gdiplus/Brush.h"
#include "Platform/Gdiplus/CachedBitmap.h"
#include "Platform/Gdiplus/Font.h"
#include "Platform/Gdiplus/Graphics.h"
#include "Platform/Gdiplus/Matrix.h"
#include "Platform/Gdiplus/Path.h"
#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/Renderer/ColorRectList.h"
#include "ZQFramework/Renderer/Font.h"
#include "ZQFramework/Renderer/Gdi/GDIRenderContextInfo.h"
#include "ZQFramework/Utilities/Graphics/Color.h"
#include "ZQFramework/Utilities/Graphics/GeometryConversions.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace ZQ
{
namespace Gdiplus = Platform::Gdiplus;

namespace
{
constexpr float kScaleTolerance = 1.1920929e-6f;

std::u16string_view View(const WString& text)
{
    return {text.GetBuffer(), static_cast<size_t>(text.GetLength())};
}

// The family of the font's name; the generic sans-serif family where the name finds none.
std::unique_ptr<Gdiplus::FontFamily> MakeFamily(const LFont& font)
{
    auto family = Gdiplus::FontFamily::FromName(View(font.GetName()));
    return family ? std::move(family) : Gdiplus::FontFamily::GenericSansSerif();
}

std::unique_ptr<Gdiplus::Font> MakeFont(const LFont& font, float size, Gdiplus::Unit unit)
{
    const auto family = MakeFamily(font);
    return family ? Gdiplus::Font::Create(family.get(), size, font.GetStyle(), unit) : nullptr;
}

Gdiplus::Pen MakePen(const Color& color, float width)
{
    return {color.ToARGB(), width};
}

Gdiplus::RectF ToRectF(const RectT<int32_t>& rect)
{
    return {static_cast<float>(rect.x), static_cast<float>(rect.y), static_cast<float>(rect.width),
            static_cast<float>(rect.height)};
}

Gdiplus::PointF ToPointF(const PointT<float>& point)
{
    return {point.x, point.y};
}

// Rounded half away from zero and clamped to the 32-bit range; not a number gives 0.
int32_t RoundClamped(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double kLow = std::numeric_limits<int32_t>::min();
    constexpr double kHigh = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::clamp(std::round(value), kLow, kHigh));
}

// The source rectangle of a bitmap drawn unscaled with its corner at (x, y).
Gdiplus::Status DrawUnscaled(Gdiplus::Graphics& graphics, const Gdiplus::Bitmap* image, float x, float y,
                             const Gdiplus::RectF& source)
{
    return graphics.DrawImage(image, Gdiplus::PointF{x, y}, source);
}

// Repeats the source over the whole target from its corner: image by image for a few repeats, through a
// texture for many.
void Tile(Gdiplus::Graphics& graphics, const Gdiplus::Bitmap* image, const RectT<int32_t>& source,
          int32_t width, int32_t height)
{
    const Gdiplus::RectF sourceF = ToRectF(source);
    if (width < 3 * source.width && height < 3 * source.height)
    {
        for (int32_t x = 0; x < width; x += source.width)
            for (int32_t y = 0; y < height; y += source.height)
                (void)DrawUnscaled(graphics, image, static_cast<float>(x), static_cast<float>(y), sourceF);
        return;
    }
    const auto brush = Gdiplus::Brush::Texture(image, {source.x, source.y, source.width, source.height});
    const auto tiled = Gdiplus::Bitmap::Create(width, height, Gdiplus::PixelFormat::Argb32);
    if (!tiled)
        return;
    if (const auto tiledGraphics = Gdiplus::Graphics::FromBitmap(tiled.get()))
        (void)tiledGraphics->FillRectangle(brush.get(),
                                           {0, 0, static_cast<float>(width), static_cast<float>(height)});
    (void)graphics.DrawImage(tiled.get(), Gdiplus::PointF{0, 0});
}

// The pixel width of a text whose box MeasureString gave: its right edge scaled from the screen's DPI
// to 96, rounded up, plus 3 for a text that takes any room.
float TextBoxWidth(const Gdiplus::RectF& bounds, int32_t screenDpi)
{
    double right = static_cast<double>(bounds.x) + bounds.width;
    if (screenDpi != 96)
        right = 9600.0 / screenDpi * right / 100.0;
    int32_t width = static_cast<int32_t>(right + 0.9999);
    if (width > 0)
        width += 3;
    return static_cast<float>(width);
}
} // namespace

LGDIRenderer::LCachedBitmap::LCachedBitmap(std::unique_ptr<Gdiplus::CachedBitmap> bitmap)
    : mBitmap(std::move(bitmap))
{
}

LGDIRenderer::LCachedBitmap::~LCachedBitmap() = default;

LGDIRenderer::LGraphicsPath::LGraphicsPath() : mPath(std::make_unique<Gdiplus::Path>())
{
}

LGDIRenderer::LGraphicsPath::~LGraphicsPath() = default;

void LGDIRenderer::LGraphicsPath::Fill(Gdiplus::Graphics& graphics, const Gdiplus::Brush& brush,
                                       const Gdiplus::Matrix* matrix) const
{
    if (matrix == nullptr)
    {
        (void)graphics.FillPath(&brush, mPath.get());
        return;
    }
    Gdiplus::Path transformed = *mPath;
    transformed.Transform(*matrix);
    (void)graphics.FillPath(&brush, &transformed);
}

void LGDIRenderer::LGraphicsPath::Draw(Gdiplus::Graphics& graphics, const Gdiplus::Pen& pen,
                                       const Gdiplus::Matrix* matrix) const
{
    if (matrix == nullptr)
    {
        (void)graphics.DrawPath(pen, mPath.get());
        return;
    }
    Gdiplus::Path transformed = *mPath;
    transformed.Transform(*matrix);
    (void)graphics.DrawPath(pen, &transformed);
}

LGDIRenderer::LGDIRenderer()
    : mMeasuringBitmap(Gdiplus::Bitmap::Create(1, 1, Gdiplus::PixelFormat::Argb32)),
      mMeasuringGraphics(Gdiplus::Graphics::FromBitmap(mMeasuringBitmap.get())),
      mLastPurge(Platform::GetTickCount())
{
    // The screen's graphics stands in for the screen's device context.
    if (const auto screen = Gdiplus::Graphics::FromWindow(0))
        mScreenDpi = static_cast<int32_t>(screen->DpiX());
}

LGDIRenderer::~LGDIRenderer()
{
    mMeasuringGraphics.reset();
    mMeasuringBitmap.reset();
}

ZQRESULT LGDIRenderer::GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& ascent,
                                      int32_t& descent)
{
    const auto family = MakeFamily(*font);
    const float size = font->GetSize();
    const auto pixelFont =
        family ? Gdiplus::Font::Create(family.get(), size, font->GetStyle(), Gdiplus::Unit::Pixel) : nullptr;
    if (!pixelFont)
        return S_OK;
    const Gdiplus::FontMetrics metrics = family->Metrics(font->GetStyle());
    const double em = metrics.emHeight * 72.0;
    height = RoundToLong(pixelFont->GetHeight(72) * 96.0 / 72.0 + 0.499);
    ascent = RoundToLong(metrics.cellAscent * static_cast<double>(size) * -96.0 / em - 0.499);
    descent = RoundToLong(metrics.cellDescent * static_cast<double>(size) * 96.0 / em + 0.499);
    return S_OK;
}

RectT<float> LGDIRenderer::MeasureText(const WString& text, const ConstRCPtr<LFont>& font)
{
    if (text.IsEmpty())
        return {};
    const auto pointFont = MakeFont(*font, font->GetSize(), Gdiplus::Unit::Point);
    int32_t height = 0;
    int32_t ascent = 0;
    int32_t descent = 0;
    (void)GetFontMetrics(font, height, ascent, descent);
    Gdiplus::RectF bounds;
    if (mMeasuringGraphics)
        (void)mMeasuringGraphics->MeasureString(View(text), pointFont.get(), {0, 0}, bounds);
    return {0, static_cast<float>(ascent), TextBoxWidth(bounds, mScreenDpi), static_cast<float>(height)};
}

void LGDIRenderer::MeasurePrefixWidths(const WString& text, const ConstRCPtr<LFont>& font,
                                       std::vector<float>& widths)
{
    widths.assign(static_cast<size_t>(text.GetLength()) + 1, 0.0f);
    if (text.IsEmpty() || !mMeasuringGraphics)
        return;
    const auto pointFont = MakeFont(*font, font->GetSize(), Gdiplus::Unit::Point);
    (void)mMeasuringGraphics->MeasureStringPrefixWidths(View(text), pointFont.get(), widths);
    // The empty prefix measures as nothing, like the empty text.
    for (size_t count = 1; count < widths.size(); ++count)
        widths[count] = TextBoxWidth({0, 0, widths[count], 0}, mScreenDpi);
}

int32_t LGDIRenderer::GetRendererType() const
{
    return kGdiplus;
}

ZQRESULT LGDIRenderer::InitRenderContextInfo(const RectT<int32_t>& viewport, intptr_t window, bool offscreen,
                                             RCPtr<LRenderContextInfo>& context)
{
    context = RCPtr<LRenderContextInfo>(new LGDIRenderContextInfo(viewport, window, offscreen));
    return context ? S_OK : E_FAIL;
}

ZQRESULT LGDIRenderer::RenderStart(const RCPtr<LRenderContextInfo>& context)
{
    (void)LRenderer::RenderStart(context);
    ++mStartedContexts;
    mCurrent = RCPtr<LGDIRenderContextInfo>(context);
    if (!mCurrent)
        return S_OK;
    mCurrent->BeginFrame();
    Gdiplus::Graphics* graphics = mCurrent->GetGraphics();
    if (graphics == nullptr)
        return S_OK;
    mDpiScale = 96.0f / graphics->DpiX();
    (void)graphics->SetCompositingMode(Gdiplus::CompositingMode::SourceOver);
    const PointT<double>& origin = mCurrent->GetState().origin;
    if (mStartedContexts == 1)
    {
        // The graphics keeps the previous frame's transform, which already holds the origin.
        graphics->ResetTransform();
        if (origin.x != 0 || origin.y != 0)
            (void)graphics->TranslateTransform(static_cast<float>(origin.x), static_cast<float>(origin.y),
                                               Gdiplus::MatrixOrder::Append);
    }
    return S_OK;
}

ZQRESULT LGDIRenderer::RenderFinish(const RCPtr<LRenderContextInfo>& context)
{
    if (context != GetCurrentContext())
        return LRenderer::RenderFinish(context); // throws, changing nothing
    if (mCurrent)
        mCurrent->EndFrame();
    mCurrent = nullptr;
    (void)LRenderer::RenderFinish(context);
    --mStartedContexts;
    mCurrent = RCPtr<LGDIRenderContextInfo>(GetCurrentContext());
    PurgeWhenDue();
    return S_OK;
}

void LGDIRenderer::PurgeWhenDue()
{
    const uint32_t now = Platform::GetTickCount();
    if (now - mLastPurge <= kPurgeIntervalMs)
        return;
    (void)mBitmapCache.Purge(mBitmapCache.GetMark());
    mBitmapCache.SetMark(static_cast<int32_t>(mBitmapCache.GetClock()));
    mLastPurge = now;
}

Gdiplus::Graphics* LGDIRenderer::CurrentGraphics() const
{
    return mCurrent ? mCurrent->GetGraphics() : nullptr;
}

void LGDIRenderer::DrawText(const WString& text, const ConstRCPtr<LFont>& font,
                            const PointT<int32_t>& position, const Color& color)
{
    Gdiplus::Graphics* graphics = CurrentGraphics();
    if (graphics == nullptr)
        return;
    const auto pointFont = MakeFont(*font, font->GetSize() * mDpiScale, Gdiplus::Unit::Point);
    const auto brush = Gdiplus::Brush::Solid(color.ToARGB());
    (void)graphics->DrawString(View(text), pointFont.get(),
                               {static_cast<float>(position.x), static_cast<float>(position.y) - 1},
                               brush.get());
}

void LGDIRenderer::DrawRect(const RectT<int32_t>& rect, const Color& color, float width)
{
    if (Gdiplus::Graphics* graphics = CurrentGraphics())
        (void)graphics->DrawRectangle(MakePen(color, width), ToRectF(rect));
}

void LGDIRenderer::FillRect(const RectT<int32_t>& rect, const Color& color, bool blend)
{
    Gdiplus::Graphics* graphics = CurrentGraphics();
    if (graphics == nullptr)
        return;
    if (blend)
    {
        const auto brush = Gdiplus::Brush::Solid(color.ToARGB());
        (void)graphics->FillRectangle(brush.get(), ToRectF(rect));
        return;
    }
    // Pixel by pixel into the back buffer, as setting each pixel would: the part of the rectangle inside
    // the bitmap, in one lock.
    Gdiplus::Bitmap* bitmap = mCurrent->GetCurrentSurface()->GetBitmap();
    const int64_t left = std::max<int64_t>(rect.x, 0);
    const int64_t top = std::max<int64_t>(rect.y, 0);
    const int64_t right = std::min<int64_t>(int64_t{rect.x} + rect.width, bitmap->Width());
    const int64_t bottom = std::min<int64_t>(int64_t{rect.y} + rect.height, bitmap->Height());
    if (left >= right || top >= bottom)
        return;
    const Gdiplus::RectI area{static_cast<int32_t>(left), static_cast<int32_t>(top),
                              static_cast<int32_t>(right - left), static_cast<int32_t>(bottom - top)};
    Gdiplus::LockedBits locked;
    if (bitmap->LockBits(area, Gdiplus::LockMode::Write, Gdiplus::PixelFormat::Argb32, locked) !=
        Gdiplus::Status::Ok)
        return;
    const uint32_t argb = color.ToARGB();
    for (int32_t row = 0; row < locked.height; ++row)
    {
        auto* pixels =
            reinterpret_cast<uint32_t*>(locked.scan0 + static_cast<ptrdiff_t>(row) * locked.stride);
        std::fill(pixels, pixels + locked.width, argb);
    }
    (void)bitmap->UnlockBits(locked);
}

void LGDIRenderer::DrawColorRectList(const ColorRectListT<float>& list, const PointT<double>& offset)
{
    TranslateOrigin(offset);
    const double scaleX = list.GetHorizontalScale();
    const double scaleY = list.GetVerticalScale();
    for (uint32_t i = list.GetCount(); i-- > 0;)
    {
        const ColorRectListT<float>::Entry& entry = list.GetAt(i);
        const RectT<int32_t> rect(RoundClamped(entry.rect.x * scaleX), RoundClamped(entry.rect.y * scaleY),
                                  RoundClamped(entry.rect.width * scaleX),
                                  RoundClamped(entry.rect.height * scaleY));
        FillRect(rect, Color(entry.color), true);
    }
    TranslateOrigin({-offset.x, -offset.y});
}

void LGDIRenderer::DrawLine(const PointT<float>& from, const PointT<float>& to, const Color& color,
                            float width)
{
    if (Gdiplus::Graphics* graphics = CurrentGraphics())
        (void)graphics->DrawLine(MakePen(color, width), ToPointF(from), ToPointF(to));
}

void LGDIRenderer::DrawLineSegments(const PolylineT<float>& polyline, const Color& color,
                                    const PointT<double>& offset, const PointT<float>& scale, bool keepCached)
{
    DrawPath(polyline, PathKind::Segments, false, color, offset, scale, keepCached);
}

void LGDIRenderer::DrawPolyline(const PolylineT<float>& polyline, const Color& color,
                                const PointT<double>& offset, const PointT<float>& scale, bool keepCached)
{
    DrawPath(polyline, PathKind::Polyline, false, color, offset, scale, keepCached);
}

void LGDIRenderer::DrawPolygon(const PolylineT<float>& polyline, const Color& color,
                               const PointT<double>& offset, const PointT<float>& scale, bool keepCached)
{
    DrawPath(polyline, PathKind::Polygon, false, color, offset, scale, keepCached);
}

void LGDIRenderer::FillPolygon(const PolylineT<float>& polyline, const Color& color,
                               const PointT<double>& offset, const PointT<float>& scale, bool keepCached)
{
    DrawPath(polyline, PathKind::Polygon, true, color, offset, scale, keepCached);
}

void LGDIRenderer::DrawPath(const PolylineT<float>& polyline, PathKind kind, bool fill, const Color& color,
                            const PointT<double>& offset, const PointT<float>& scale, bool keepCached)
{
    Gdiplus::Graphics* graphics = CurrentGraphics();
    if (graphics == nullptr)
        return;
    RCPtr<LGraphicsPath>& cached = mPathCache.GetEntry(polyline, false);
    if (polyline.IsChanged())
    {
        // The flag is the polyline's note to its renderers; reading it here consumes it.
        const_cast<PolylineT<float>&>(polyline).SetChanged(false);
        cached = nullptr;
    }
    if (!cached)
    {
        cached = RCPtr<LGraphicsPath>(new LGraphicsPath);
        Gdiplus::Path& path = cached->GetPath();
        std::vector<Gdiplus::PointF> points;
        points.reserve(polyline.GetPointCount());
        for (const PointT<float>& point : polyline.GetPoints())
            points.push_back(ToPointF(point));
        if (kind == PathKind::Segments)
        {
            for (size_t i = 0; i + 1 < points.size(); i += 2)
            {
                path.StartFigure();
                (void)path.AddLine(points[i], points[i + 1]);
            }
        }
        else if (kind == PathKind::Polyline)
        {
            (void)path.AddLines(points);
        }
        else
        {
            (void)path.AddPolygon(points);
        }
    }

    TranslateOrigin(offset);
    const bool scaled =
        std::fabs(scale.x - 1.0f) > kScaleTolerance || std::fabs(scale.y - 1.0f) > kScaleTolerance;
    Gdiplus::Matrix matrix;
    matrix.Scale(scale.x, scale.y);
    const Gdiplus::Matrix* transform = scaled ? &matrix : nullptr;
    if (fill)
    {
        const auto brush = Gdiplus::Brush::Solid(color.ToARGB());
        cached->Fill(*graphics, *brush, transform);
    }
    else
    {
        cached->Draw(*graphics, MakePen(color, polyline.GetLineWidth()), transform);
    }
    TranslateOrigin({-offset.x, -offset.y});
    if (!keepCached)
        cached = nullptr;
}

void LGDIRenderer::DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const RectT<int32_t>& destination,
                              int32_t resizeType)
{
    Gdiplus::Graphics* graphics = CurrentGraphics();
    if (!mCurrent)
        throw Exception<std::runtime_error>(
            "Runtime Error : ZQ::LGDIRenderer::DrawBitmap : Renderer\\Gdi\\GDIRenderer : Line 568");
    if (graphics == nullptr || !bitmap)
        return;
    // A bitmap already of the destination's size is drawn as it is, whatever the resize type.
    if (bitmap->GetWidth() == destination.width && bitmap->GetHeight() == destination.height)
        resizeType = kResizeStretch;
    RCPtr<LCachedBitmap>& cached = mBitmapCache.GetEntry(
        BitmapDescriptor(bitmap, destination.width, destination.height, resizeType), false);
    if (!cached)
        cached = PrepareBitmap(*bitmap, destination, resizeType);
    if (cached)
        (void)graphics->DrawCachedBitmap(cached->Get(), destination.x, destination.y);
}

RCPtr<LGDIRenderer::LCachedBitmap> LGDIRenderer::PrepareBitmap(const LBitmap& bitmap,
                                                               const RectT<int32_t>& destination,
                                                               int32_t resizeType) const
{
    if (resizeType != kResizeStretch && resizeType != kResizeTile && resizeType != kResizeCenter)
        throw Exception<std::invalid_argument>(
            "Invalid Argument : Invalid ResizeType passed to DrawBitmap. : "
            "ZQ::LGDIRenderer::DrawBitmap : Renderer\\Gdi\\GDIRenderer : "
            "Line 559");
    Gdiplus::Graphics* graphics = CurrentGraphics();
    const auto prepared = Gdiplus::Bitmap::CreateFor(graphics, destination.width, destination.height);
    const auto preparedGraphics = Gdiplus::Graphics::FromBitmap(prepared.get());
    if (!preparedGraphics)
        return nullptr;
    const Gdiplus::Bitmap* image = bitmap.GetGdiplusBitmap();
    const RectT<int32_t>& source = bitmap.GetRect();
    if (resizeType == kResizeStretch)
    {
        (void)preparedGraphics->DrawImage(image, ToRectF({0, 0, destination.width, destination.height}),
                                          ToRectF(source));
    }
    else if (resizeType == kResizeCenter)
    {
        (void)DrawUnscaled(*preparedGraphics, image,
                           static_cast<float>(destination.width - source.width) * 0.5f,
                           static_cast<float>(destination.height - source.height) * 0.5f, ToRectF(source));
    }
    else
    {
        Tile(*preparedGraphics, image, source, destination.width, destination.height);
    }
    auto cachedBitmap = Gdiplus::CachedBitmap::Create(prepared.get(), graphics);
    if (!cachedBitmap)
        return nullptr;
    return RCPtr<LCachedBitmap>(new LCachedBitmap(std::move(cachedBitmap)));
}

ZQRESULT LGDIRenderer::DrawOffscreenContext(const RCPtr<LRenderContextInfo>& context,
                                            const PointT<int32_t>& position, const RectT<int32_t>& sourceRect)
{
    const RCPtr<LGDIRenderContextInfo> source(context);
    if (!source || !source->IsOffscreen())
        return E_INVALIDARG;
    Gdiplus::Graphics* graphics = CurrentGraphics();
    if (graphics == nullptr)
        return E_FAIL;
    return source->GetCurrentSurface()->DrawTo(*graphics, position, sourceRect) == Gdiplus::Status::Ok
               ? S_OK
               : E_FAIL;
}

ZQRESULT LGDIRenderer::ScrollOffscreenContext(const RCPtr<LRenderContextInfo>& context,
                                              const PointT<int32_t>& offset)
{
    const RCPtr<LGDIRenderContextInfo> target(context);
    if (!target || !target->IsOffscreen())
        return E_INVALIDARG;
    const RCPtr<LGDIRendererOffscreenSurface> previous = target->GetCurrentSurface();
    target->SwapSurfaces();
    Gdiplus::Graphics* graphics = target->GetGraphics();
    if (graphics == nullptr || graphics->Clear(0) != Gdiplus::Status::Ok)
        return E_FAIL;
    // The offset is in device pixels; the buffer's graphics may still hold an origin from its last frame.
    const Gdiplus::Matrix transform = graphics->GetTransform();
    graphics->ResetTransform();
    const Gdiplus::Status status = graphics->DrawImage(
        previous->GetBitmap(), Gdiplus::PointF{static_cast<float>(offset.x), static_cast<float>(offset.y)});
    (void)graphics->SetTransform(transform);
    return status == Gdiplus::Status::Ok ? S_OK : E_FAIL;
}

void LGDIRenderer::SetClipRect(const RectT<double>& clip)
{
    LRenderer::SetClipRect(clip);
    if (Gdiplus::Graphics* graphics = CurrentGraphics())
    {
        const RectT<double> stored = GetClipRect();
        (void)graphics->SetClip({static_cast<float>(stored.x), static_cast<float>(stored.y),
                                 static_cast<float>(stored.width), static_cast<float>(stored.height)});
    }
}

void LGDIRenderer::TranslateOrigin(const PointT<double>& delta)
{
    LRenderer::TranslateOrigin(delta);
    if (Gdiplus::Graphics* graphics = CurrentGraphics())
    {
        const PointT<double> origin = GetOrigin();
        graphics->ResetTransform();
        (void)graphics->TranslateTransform(static_cast<float>(origin.x), static_cast<float>(origin.y));
    }
}
} // namespace ZQ
