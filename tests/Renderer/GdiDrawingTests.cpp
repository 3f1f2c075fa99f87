#include "GdiTesting.h"

#include "ZQFramework/Renderer/AutoClip.h"
#include "ZQFramework/Renderer/ColorRectList.h"
#include "ZQFramework/Renderer/Polyline.h"
#include "ZQFramework/Utilities/Graphics/Bitmap.h"

#include <stdexcept>
#include <string>

namespace
{
using namespace GdiTesting;
using ZQ::LRenderer;
using ZQ::RCPtr;

TEST(GdiDrawing, FillsCoverPixelCentresAndFollowClipAndOrigin)
{
    OffscreenCanvas canvas;
    canvas.Start();
    canvas.renderer->FillRect({10, 10, 20, 20}, ZQ::Color(kRed), true);
    canvas.renderer->DrawRect({30, 34, 4, 4}, ZQ::Color(kBlue), 1);

    canvas.renderer->PushClip();
    canvas.renderer->TranslateOrigin({5, 5});
    canvas.renderer->SetClipRect({0, 0, 3, 40});
    canvas.renderer->FillRect({-5, 30, 30, 2}, ZQ::Color(kGreen), true);
    canvas.renderer->PopClip();
    canvas.renderer->FillRect({38, 0, 2, 2}, ZQ::Color(kRed), true); // unclipped again
    canvas.Finish();

    EXPECT_EQ(canvas.Row(10, 32), "..........####################..");
    EXPECT_EQ(canvas.At(29, 29), kRed);
    EXPECT_EQ(canvas.At(30, 30), 0u);
    // A one-pixel outline of {30, 34, 4, 4} covers columns 30 and 34.
    EXPECT_EQ(canvas.Row(36, 40).substr(28), "..#...#.....");
    // Clipped to columns 5 to 7 of the window, the fill lands at rows 35 and 36.
    EXPECT_EQ(canvas.Row(35, 10), ".....###..");
    EXPECT_EQ(canvas.At(6, 36), kGreen);
    EXPECT_EQ(canvas.At(39, 1), kRed);
}

TEST(GdiDrawing, FillWithoutBlendingWritesTransparencyRegardlessOfOriginAndClip)
{
    OffscreenCanvas canvas(20, 20);
    canvas.Start();
    canvas.renderer->FillRect({0, 0, 20, 20}, ZQ::Color(kWhite), true);
    canvas.renderer->TranslateOrigin({3, 3});
    canvas.renderer->SetClipRect({10, 10, 1, 1});
    // Partly outside the surface: what lies inside is written, nothing else.
    canvas.renderer->FillRect({-5, -5, 10, 10}, ZQ::Color(0.2f, 0.4f, 0.6f, 0), false);
    canvas.renderer->FillRect({15, 15, 10, 10}, ZQ::Color(0x80336699), false);
    canvas.Finish();

    EXPECT_EQ(canvas.At(0, 0), 0u);
    EXPECT_EQ(canvas.At(4, 4), 0u);
    EXPECT_EQ(canvas.At(5, 5), kWhite);
    EXPECT_EQ(canvas.At(19, 19) >> 24, 0x80u);
}

TEST(GdiDrawing, ColorRectListsAreScaledAndFilledFromTheLastToTheFirst)
{
    OffscreenCanvas canvas;
    ZQ::ColorRectListT<float> list;
    list.AddRect({0, 0, 2, 2}, kRed);     // drawn last, on top
    list.AddRect({0, 0, 4.6f, 3}, kBlue); // 9.2 wide at scale 2: 9 pixels
    list.SetScale(2, 1);
    canvas.Start();
    canvas.renderer->DrawColorRectList(list, {1, 1});
    canvas.renderer->FillRect({0, 0, 1, 1}, ZQ::Color(kGreen), true); // the origin is back at (0, 0)
    canvas.Finish();

    EXPECT_EQ(canvas.Row(1, 12), ".#########..");
    EXPECT_EQ(canvas.At(4, 2), kRed);
    EXPECT_EQ(canvas.At(5, 2), kBlue);
    EXPECT_EQ(canvas.At(4, 3), kBlue);
    EXPECT_EQ(canvas.At(0, 0), kGreen);
}

TEST(GdiDrawing, PolylineRebuildsOnceWhenChangedAndClearsTheFlag)
{
    OffscreenCanvas canvas;
    ZQ::PolylineT<float> polyline;
    for (const ZQ::PointT<float> point : {ZQ::PointT<float>(2, 2), {20, 2}, {20, 20}, {2, 20}})
        polyline.AddPoint(point);
    const auto cachedPath = [&] { return canvas.renderer->GetPathCache().GetEntryAt(0).object.Get(); };

    canvas.Start();
    canvas.renderer->FillPolygon(polyline, ZQ::Color(kRed), {1, 1}, {1, 1}, true);
    EXPECT_FALSE(polyline.IsChanged());
    // Held, so that a rebuilt path cannot be given the released one's address.
    const auto built = canvas.renderer->GetPathCache().GetEntryAt(0).object;
    ASSERT_NE(built.Get(), nullptr);
    canvas.renderer->FillPolygon(polyline, ZQ::Color(kRed), {1, 1}, {1, 1}, true);
    EXPECT_EQ(cachedPath(), built.Get());

    polyline.SetPoint(2, {30, 30});
    canvas.renderer->DrawPolygon(polyline, ZQ::Color(kBlue), {0, 0}, {1, 1}, true);
    EXPECT_FALSE(polyline.IsChanged());
    EXPECT_NE(cachedPath(), built.Get());
    EXPECT_EQ(canvas.renderer->GetPathCache().GetIndexedCount(), 1);

    // Not kept: the path goes once drawn, the entry stays indexed.
    canvas.renderer->DrawPolyline(polyline, ZQ::Color(kBlue), {0, 0}, {2, 1}, false);
    EXPECT_EQ(cachedPath(), nullptr);
    canvas.Finish();

    EXPECT_EQ(canvas.At(10, 10), kRed); // filled at the offset (1, 1)
    EXPECT_EQ(canvas.At(3, 3), kRed);
    EXPECT_EQ(canvas.At(30, 2) >> 24, 0xFFu); // the polyline scaled by 2 horizontally reaches x 40 at y 2
}

// The 2 x 2 fixture: red, green / blue, white.
RCPtr<ZQ::LBitmap> Quad()
{
    RCPtr<ZQ::LBitmap> bitmap = ZQ::LBitmap::GetNamedBitmap(u"::Quad Tile.png");
    EXPECT_NE(bitmap, nullptr);
    return bitmap;
}

uint32_t QuadAt(int32_t x, int32_t y)
{
    const uint32_t colors[2][2] = {{kRed, kGreen}, {kBlue, kWhite}};
    return colors[y % 2][x % 2];
}

TEST(GdiDrawing, BitmapsStretchCentreAndTileOneWayForFewAndManyRepeats)
{
    OffscreenCanvas canvas(60, 60);
    const RCPtr<ZQ::LBitmap> quad = Quad();
    canvas.Start();
    canvas.renderer->DrawBitmap(quad, {0, 0, 4, 4}, LRenderer::kResizeStretch);
    canvas.renderer->DrawBitmap(quad, {10, 0, 6, 6}, LRenderer::kResizeCenter);
    canvas.renderer->DrawBitmap(quad, {20, 0, 4, 5}, LRenderer::kResizeTile);    // by the loop
    canvas.renderer->DrawBitmap(quad, {30, 30, 20, 20}, LRenderer::kResizeTile); // by a texture
    canvas.renderer->DrawBitmap(quad, {0, 10, 2, 2}, 7); // its own size: drawn as it is, type unread
    canvas.Finish();

    EXPECT_EQ(canvas.At(1, 1), kRed);
    EXPECT_EQ(canvas.At(2, 1), kGreen);
    EXPECT_EQ(canvas.At(3, 3), kWhite);
    EXPECT_EQ(canvas.Row(2, 18).substr(8), "....##....");
    EXPECT_EQ(canvas.At(12, 2), kRed);
    EXPECT_EQ(canvas.At(13, 3), kWhite);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 4; ++x)
            EXPECT_EQ(canvas.At(20 + x, y), QuadAt(x, y)) << x << ", " << y;
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 20; ++x)
            EXPECT_EQ(canvas.At(30 + x, 30 + y), QuadAt(x, y)) << x << ", " << y;
    EXPECT_EQ(canvas.At(1, 11), kWhite);
}

TEST(GdiDrawing, OneBitmapAtOneSizeStretchedAndTiledShowsTwoPictures)
{
    OffscreenCanvas canvas;
    const RCPtr<ZQ::LBitmap> quad = Quad();
    canvas.Start();
    canvas.renderer->DrawBitmap(quad, {0, 0, 4, 4}, LRenderer::kResizeStretch);
    canvas.renderer->DrawBitmap(quad, {10, 0, 4, 4}, LRenderer::kResizeTile);
    canvas.Finish();
    EXPECT_EQ(canvas.At(1, 0), kRed);
    EXPECT_EQ(canvas.At(11, 0), kGreen);
}

TEST(GdiDrawing, ASecondDrawPreparesNothing)
{
    OffscreenCanvas canvas;
    const RCPtr<ZQ::LBitmap> sub = Quad()->CreateSubBitmap(1, 0, 1, 2);
    const auto& cache = canvas.renderer->GetBitmapCache();
    canvas.Start();
    canvas.renderer->DrawBitmap(sub, {0, 0, 3, 4}, LRenderer::kResizeStretch);
    const auto* prepared = cache.GetEntryAt(0).object.Get();
    canvas.renderer->DrawBitmap(sub, {5, 5, 3, 4}, LRenderer::kResizeStretch);
    canvas.Finish();

    EXPECT_EQ(cache.GetIndexedCount(), 1);
    EXPECT_EQ(cache.GetEntryAt(0).object.Get(), prepared);
    EXPECT_EQ(cache.GetEntryAt(0).uses, 2u);
    // The sub-bitmap's column of its owner: green over white.
    EXPECT_EQ(canvas.At(7, 6), kGreen);
    EXPECT_EQ(canvas.At(7, 8), kWhite);
}

TEST(GdiDrawing, BitmapErrorsAreThrownWithTheirTexts)
{
    OffscreenCanvas canvas;
    const RCPtr<ZQ::LBitmap> quad = Quad();
    const auto message = [&](int32_t resizeType)
    {
        try
        {
            canvas.renderer->DrawBitmap(quad, {0, 0, 5, 5}, resizeType);
        }
        catch (const std::exception& error)
        {
            return std::string(error.what());
        }
        return std::string();
    };
    EXPECT_EQ(message(LRenderer::kResizeStretch),
              "Runtime Error : ZQ::LGDIRenderer::DrawBitmap : Renderer\\Gdi\\GDIRenderer : Line 568");
    canvas.Start();
    EXPECT_EQ(message(3), "Invalid Argument : Invalid ResizeType passed to DrawBitmap. : "
                          "ZQ::LGDIRenderer::DrawBitmap : Renderer\\Gdi\\GDIRenderer : Line 559");
    canvas.Finish();
}
} // namespace
