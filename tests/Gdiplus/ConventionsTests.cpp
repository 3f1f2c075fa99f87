#include "Canvas.h"

#include "Platform/Gdiplus/CachedBitmap.h"
#include "Platform/Gdiplus/Path.h"

namespace
{
using namespace Platform::Gdiplus;

constexpr Argb Red = 0xFFFF0000;
constexpr Argb Blue = 0xFF0000FF;

TEST(GdiplusConventions, FillRectangleCoversWholePixelsFromItsLeftToBeforeItsRight)
{
    Canvas canvas;
    canvas.Fill(Red, {10, 10, 20, 20});
    EXPECT_EQ(canvas.Row(15), Span(10, 20, 40));
    EXPECT_EQ(canvas.Column(15), Span(10, 20, 40));
    // A fraction moves an edge only once it passes a pixel's centre.
    Canvas fractional;
    fractional.Fill(Red, {10.4f, 10, 20, 20});
    EXPECT_EQ(fractional.Row(15), Span(11, 20, 40));
    EXPECT_EQ(canvas.At(10, 10), Red);
}

TEST(GdiplusConventions, OnePixelOutlineCoversBothEdgeColumns)
{
    Canvas canvas;
    ASSERT_EQ(canvas.graphics->DrawRectangle({Red, 1}, {10, 10, 20, 20}), Status::Ok);
    EXPECT_EQ(canvas.Row(10), Span(10, 21, 40));
    EXPECT_EQ(canvas.Row(30), Span(10, 21, 40));
    EXPECT_EQ(canvas.Row(20), std::string(10, '.') + "#" + std::string(19, '.') + "#" + std::string(9, '.'));
    // A pen of width 0 still draws one pixel.
    Canvas thin;
    ASSERT_EQ(thin.graphics->DrawLine({Red, 0}, {0, 5}, {40, 5}), Status::Ok);
    EXPECT_EQ(thin.Column(20), Span(5, 1, 40));
}

TEST(GdiplusConventions, ClipIsSetInWorldCoordinatesAndStaysOnTheDevice)
{
    Canvas canvas;
    ASSERT_EQ(canvas.graphics->TranslateTransform(5, 0), Status::Ok);
    ASSERT_EQ(canvas.graphics->SetClip({0, 0, 10.5f, 40}), Status::Ok); // device columns 5 to 15
    canvas.graphics->ResetTransform();
    canvas.Fill(Red, {0, 0, 40, 40});
    EXPECT_EQ(canvas.Row(0), Span(5, 11, 40));

    canvas.graphics->ResetClip();
    ASSERT_EQ(canvas.graphics->SetClip({0, 0, -1, 5}), Status::Ok); // empty: nothing passes
    canvas.Fill(Blue, {0, 0, 40, 40});
    EXPECT_EQ(canvas.At(6, 0), Red);
}

TEST(GdiplusConventions, WorldTransformTranslatesAndScales)
{
    Canvas canvas;
    ASSERT_EQ(canvas.graphics->TranslateTransform(5, 2), Status::Ok);
    canvas.Fill(Red, {10, 10, 20, 20});
    EXPECT_EQ(canvas.Row(15), Span(15, 20, 40));
    EXPECT_EQ(canvas.Column(20), Span(12, 20, 40));

    Canvas scaled;
    ASSERT_EQ(scaled.graphics->ScaleTransform(2, 2), Status::Ok);
    ASSERT_EQ(scaled.graphics->TranslateTransform(1, 0, MatrixOrder::Append), Status::Ok);
    scaled.Fill(Red, {5, 5, 5, 5});
    EXPECT_EQ(scaled.Row(12), Span(11, 10, 40));
}

TEST(GdiplusConventions, SourceOverBlendsAndSourceCopyReplacesAlphaToo)
{
    Canvas canvas;
    canvas.Fill(Blue, {0, 0, 40, 40});
    canvas.Fill(0x80FF0000, {0, 0, 10, 10});
    const Argb blended = canvas.At(5, 5);
    EXPECT_EQ(AlphaOf(blended), 255);
    EXPECT_NEAR(RedOf(blended), 128, 1);
    EXPECT_NEAR(BlueOf(blended), 127, 1);

    // A transparent colour copied over a rectangle partly outside the bitmap clears what lies inside.
    ASSERT_EQ(canvas.graphics->SetCompositingMode(CompositingMode::SourceCopy), Status::Ok);
    canvas.Fill(0x00000000, {30, -5, 20, 10});
    EXPECT_EQ(canvas.At(35, 0), 0u);
    EXPECT_EQ(canvas.At(39, 4), 0u);
    EXPECT_EQ(canvas.At(29, 0), Blue);
    EXPECT_EQ(canvas.At(35, 5), Blue);
}

TEST(GdiplusConventions, ClearReplacesEveryPixelInsideTheClip)
{
    Canvas canvas;
    canvas.Fill(Blue, {0, 0, 40, 40});
    ASSERT_EQ(canvas.graphics->SetClip({0, 0, 20, 40}), Status::Ok);
    ASSERT_EQ(canvas.graphics->Clear(0), Status::Ok);
    EXPECT_EQ(canvas.At(19, 0), 0u);
    EXPECT_EQ(canvas.At(20, 0), Blue);
}

TEST(GdiplusConventions, PathsFillEvenOddAndDrawTheirOutlines)
{
    Path path;
    const PointF outer[] = {{0, 0}, {30, 0}, {30, 30}, {0, 30}};
    const PointF inner[] = {{10, 10}, {20, 10}, {20, 20}, {10, 20}};
    ASSERT_EQ(path.AddPolygon(outer), Status::Ok);
    ASSERT_EQ(path.AddPolygon(inner), Status::Ok);
    Canvas canvas;
    ASSERT_EQ(canvas.graphics->FillPath(Brush::Solid(Red).get(), &path), Status::Ok);
    EXPECT_EQ(canvas.Row(15), Span(0, 10, 40).replace(20, 10, std::string(10, '#')));

    Path lines;
    ASSERT_EQ(lines.AddLine({0, 35}, {10, 35}), Status::Ok);
    ASSERT_EQ(lines.AddLine({10, 35}, {10, 39}), Status::Ok);
    Path moved = lines;
    moved.Transform(Matrix(1, 0, 0, 1, 20, 0));
    ASSERT_EQ(canvas.graphics->DrawPath({Blue, 1}, &moved), Status::Ok);
    EXPECT_EQ(canvas.Row(35).substr(20), Span(0, 11, 20));
    EXPECT_EQ(canvas.Row(35).substr(0, 20), std::string(20, '.'));
}

// A 2 x 2 image of four colours.
std::unique_ptr<Bitmap> Quad()
{
    auto image = Bitmap::Create(2, 2);
    const Argb colors[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x80FFFFFF};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(image->SetPixel(i % 2, i / 2, colors[i]), Status::Ok);
    return image;
}

TEST(GdiplusConventions, ImagesAreDrawnAtPixelCornersNearestNeighbour)
{
    const auto image = Quad();
    Canvas canvas;
    ASSERT_EQ(canvas.graphics->DrawImage(image.get(), PointF{3, 4}), Status::Ok);
    EXPECT_EQ(canvas.At(3, 4), 0xFFFF0000);
    EXPECT_EQ(canvas.At(4, 5), 0x80FFFFFF);
    EXPECT_EQ(canvas.At(2, 4), 0u);

    ASSERT_EQ(canvas.graphics->DrawImage(image.get(), RectF{10, 10, 8, 8}, RectF{0, 0, 2, 2}), Status::Ok);
    EXPECT_EQ(canvas.At(10, 10), 0xFFFF0000);
    EXPECT_EQ(canvas.At(13, 13), 0xFFFF0000);
    EXPECT_EQ(canvas.At(14, 13), 0xFF00FF00);
    EXPECT_EQ(canvas.At(14, 14), 0x80FFFFFF);
    EXPECT_EQ(canvas.At(18, 10), 0u);

    ASSERT_EQ(canvas.graphics->DrawImage(image.get(), PointF{30, 30}, RectF{1, 0, 1, 2}), Status::Ok);
    EXPECT_EQ(canvas.At(30, 30), 0xFF00FF00);
    EXPECT_EQ(canvas.At(31, 30), 0u);
}

TEST(GdiplusConventions, TextureBrushRepeatsFromTheWorldOrigin)
{
    const auto image = Quad();
    Canvas canvas;
    ASSERT_EQ(canvas.graphics->FillRectangle(Brush::Texture(image.get()).get(), {3, 3, 4, 4}), Status::Ok);
    // Pixel (x, y) shows the image's pixel (x mod 2, y mod 2).
    EXPECT_EQ(canvas.At(3, 4), 0xFF00FF00);
    EXPECT_EQ(canvas.At(4, 3), 0xFF0000FF);
    EXPECT_EQ(canvas.At(4, 4), 0xFFFF0000);
    EXPECT_EQ(canvas.At(6, 4), 0xFFFF0000);
    EXPECT_EQ(canvas.At(5, 5), 0x80FFFFFF);
    EXPECT_EQ(canvas.At(7, 7), 0u);
}

TEST(GdiplusConventions, TilingByTextureAndByRepeatedImagesGivesOnePicture)
{
    auto image = Bitmap::Create(3, 2);
    const Argb colors[] = {0xFFFF0000, 0x80336699, 0x030A141E, 0x00000000, 0xFFFFFFFF, 0xFF000080};
    for (int i = 0; i < 6; ++i)
        ASSERT_EQ(image->SetPixel(i % 3, i / 3, colors[i]), Status::Ok);
    Canvas textured(20, 7);
    Canvas repeated(20, 7);
    ASSERT_EQ(textured.graphics->FillRectangle(Brush::Texture(image.get()).get(), {0, 0, 20, 7}), Status::Ok);
    for (int y = 0; y < 7; y += 2)
        for (int x = 0; x < 20; x += 3)
            ASSERT_EQ(repeated.graphics->DrawImage(image.get(), PointF{float(x), float(y)}), Status::Ok);
    for (int32_t y = 0; y < 7; ++y)
        for (int32_t x = 0; x < 20; ++x)
            ASSERT_EQ(textured.At(x, y), repeated.At(x, y)) << x << ", " << y;
}

TEST(GdiplusConventions, CachedBitmapDrawsUnscaledAtTheTranslatedPoint)
{
    const auto image = Quad();
    Canvas canvas;
    const auto cached = CachedBitmap::Create(image.get(), canvas.graphics.get());
    ASSERT_TRUE(cached);
    ASSERT_EQ(canvas.graphics->TranslateTransform(10, 20), Status::Ok);
    ASSERT_EQ(canvas.graphics->DrawCachedBitmap(cached.get(), 1, 2), Status::Ok);
    EXPECT_EQ(canvas.At(11, 22), 0xFFFF0000);
    EXPECT_EQ(canvas.At(12, 23), 0x80FFFFFF);
    EXPECT_EQ(canvas.At(13, 22), 0u);
}
} // namespace
