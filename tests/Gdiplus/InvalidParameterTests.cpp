#include "Canvas.h"

#include "Platform/Gdiplus/CachedBitmap.h"
#include "Platform/Gdiplus/Font.h"
#include "Platform/Gdiplus/Path.h"

#include <functional>
#include <limits>

namespace
{
using namespace Platform::Gdiplus;

template <typename T>
Status StatusOf(std::unique_ptr<T> (*make)(Status*))
{
    Status status = Status::Ok;
    const auto made = make(&status);
    EXPECT_FALSE(made);
    return status;
}

TEST(GdiplusInvalidParameters, AreStatusesThatChangeNothing)
{
    Canvas canvas(8, 8);
    canvas.Fill(0xFF00FF00, {0, 0, 8, 8});
    const auto brush = Brush::Solid(0xFFFF0000);
    const auto family = FontFamily::GenericSansSerif();
    const auto font = Font::Create(family.get(), 10, FontStyleRegular, Unit::Pixel);
    ASSERT_TRUE(font);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const PointF twoPoints[] = {{0, 0}, {1, 1}};
    Bitmap& bitmap = *canvas.bitmap;
    Graphics& graphics = *canvas.graphics;
    Argb color = 0;
    LockedBits locked;
    RectF bounds;
    Path path;

    struct Case
    {
        const char* what;
        std::function<Status()> call;
    };
    const Case cases[] = {
        {"bitmap of width 0",
         [] {
             return StatusOf<Bitmap>([](Status* s) { return Bitmap::Create(0, 5, PixelFormat::Argb32, s); });
         }},
        {"bitmap of negative height",
         [] {
             return StatusOf<Bitmap>([](Status* s) { return Bitmap::Create(5, -1, PixelFormat::Argb32, s); });
         }},
        {"bitmap too wide",
         [] {
             return StatusOf<Bitmap>([](Status* s)
                                     { return Bitmap::Create(40000, 1, PixelFormat::Argb32, s); });
         }},
        {"bitmap for no graphics",
         [] { return StatusOf<Bitmap>([](Status* s) { return Bitmap::CreateFor(nullptr, 1, 1, s); }); }},
        {"graphics on no bitmap",
         [] { return StatusOf<Graphics>([](Status* s) { return Graphics::FromBitmap(nullptr, s); }); }},
        {"texture of no image",
         [] { return StatusOf<Brush>([](Status* s) { return Brush::Texture(nullptr, s); }); }},
        {"cached bitmap of nothing",
         [] {
             return StatusOf<CachedBitmap>([](Status* s)
                                           { return CachedBitmap::Create(nullptr, nullptr, s); });
         }},
        {"family without a name",
         [] { return StatusOf<FontFamily>([](Status* s) { return FontFamily::FromName(u"", s); }); }},
        {"font of no family", []
         { return StatusOf<Font>([](Status* s) { return Font::Create(nullptr, 9, 0, Unit::Point, s); }); }},
        {"font of size 0",
         [&]
         {
             Status s = Status::Ok;
             EXPECT_FALSE(Font::Create(family.get(), 0, 0, Unit::Point, &s));
             return s;
         }},
        {"font of unknown style bits",
         [&]
         {
             Status s = Status::Ok;
             EXPECT_FALSE(Font::Create(family.get(), 9, 16, Unit::Point, &s));
             return s;
         }},
        {"texture area outside",
         [&]
         {
             Status s = Status::Ok;
             EXPECT_FALSE(Brush::Texture(&bitmap, {4, 4, 5, 1}, &s));
             return s;
         }},
        {"clone area outside",
         [&]
         {
             Status s = Status::Ok;
             EXPECT_FALSE(bitmap.CloneArea({-1, 0, 2, 2}, PixelFormat::Argb32, &s));
             return s;
         }},
        {"clone of empty area",
         [&]
         {
             Status s = Status::Ok;
             EXPECT_FALSE(bitmap.CloneArea({0, 0, 0, 2}, PixelFormat::Argb32, &s));
             return s;
         }},
        {"pixel left of the image", [&] { return bitmap.GetPixel(-1, 0, color); }},
        {"pixel below the image", [&] { return bitmap.GetPixel(0, 8, color); }},
        {"setting a pixel right of the image", [&] { return bitmap.SetPixel(8, 0, 0); }},
        {"lock outside",
         [&] {
             return bitmap.LockBits({6, 6, 3, 1}, LockMode::Read, PixelFormat::Argb32, locked);
         }},
        {"lock of unknown format",
         [&] {
             return bitmap.LockBits({0, 0, 1, 1}, LockMode::Read, PixelFormat(7), locked);
         }},
        {"fill with no brush",
         [&] {
             return graphics.FillRectangle(nullptr, {0, 0, 8, 8});
         }},
        {"fill of NaN",
         [&] {
             return graphics.FillRectangle(brush.get(), {nan, 0, 8, 8});
         }},
        {"negative pen",
         [&] {
             return graphics.DrawLine({0xFFFF0000, -1}, {0, 0}, {8, 8});
         }},
        {"no path", [&] { return graphics.FillPath(brush.get(), nullptr); }},
        {"path of one line point", [&] { return path.AddLines(std::span(twoPoints, 1)); }},
        {"polygon of two points", [&] { return path.AddPolygon(twoPoints); }},
        {"no image",
         [&] {
             return graphics.DrawImage(nullptr, PointF{0, 0});
         }},
        {"no cached bitmap", [&] { return graphics.DrawCachedBitmap(nullptr, 0, 0); }},
        {"scale by 0", [&] { return graphics.ScaleTransform(0, 1); }},
        {"clip of NaN",
         [&] {
             return graphics.SetClip({0, 0, nan, 1});
         }},
        {"unknown compositing", [&] { return graphics.SetCompositingMode(CompositingMode(5)); }},
        {"measuring without a font", [&] { return graphics.MeasureString(u"a", nullptr, {}, bounds); }},
        {"drawing text without a brush", [&] { return graphics.DrawString(u"a", font.get(), {}, nullptr); }},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.call(), Status::InvalidParameter) << c.what;

    EXPECT_TRUE(path.Figures().empty());
    EXPECT_TRUE(graphics.GetTransform().IsIdentity());
    for (int32_t y = 0; y < 8; ++y)
        EXPECT_EQ(canvas.Row(y), "########");
    EXPECT_EQ(canvas.At(0, 0), 0xFF00FF00u);
}
} // namespace
