#include "GdiTesting.h"

#include "Platform/Clock/Clock.h"
#include "Platform/Gdiplus/WindowSurface.h"
#include "ZQFramework/Utilities/Graphics/Bitmap.h"

#include <cairo.h>
#include <chrono>

namespace
{
using namespace GdiTesting;
using ZQ::RCPtr;

constexpr Platform::Gdiplus::WindowHandle kWindow = 7;

// Window 7 is a 20 x 20 image surface that records every graphics made on it.
class FakeWindow
{
public:
    FakeWindow() : mSurface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 20, 20))
    {
        Platform::Gdiplus::SetWindowSurfaceProvider(
            [this](Platform::Gdiplus::WindowHandle window)
            {
                if (window != kWindow)
                    return Platform::Gdiplus::WindowSurface{};
                ++graphicsMade;
                return Platform::Gdiplus::WindowSurface{cairo_surface_reference(mSurface)};
            });
    }
    ~FakeWindow()
    {
        Platform::Gdiplus::SetWindowSurfaceProvider({});
        cairo_surface_destroy(mSurface);
    }
    FakeWindow(const FakeWindow&) = delete;
    FakeWindow& operator=(const FakeWindow&) = delete;

    // Premultiplied, which opaque pixels do not show.
    uint32_t At(int32_t x, int32_t y) const
    {
        cairo_surface_flush(mSurface);
        const uint8_t* row =
            cairo_image_surface_get_data(mSurface) + y * cairo_image_surface_get_stride(mSurface);
        return reinterpret_cast<const uint32_t*>(row)[x];
    }

    int graphicsMade = 0;

private:
    cairo_surface_t* mSurface;
};

TEST(GdiContext, AnEmptyClientAreaGetsOnePixelSurfaces)
{
    OffscreenCanvas canvas(0, 0, false);
    canvas.Start();
    canvas.Finish();
    const ZQ::LRenderContextInfo::SurfaceSize size = canvas.Gdi().GetCurrentSurface()->GetSize();
    EXPECT_EQ(size.width, 1);
    EXPECT_EQ(size.height, 1);
    EXPECT_EQ(canvas.context->GetMaxSurfaceSize().width, 4096);
}

TEST(GdiContext, SurfacesAreRemadeOnlyForTheWholeViewportOrANewSize)
{
    OffscreenCanvas canvas(10, 10);
    canvas.Start();
    canvas.renderer->FillRect({0, 0, 10, 10}, ZQ::Color(kRed), true);
    canvas.Finish();

    canvas.context->GetInvalidRegion().AddRect(2, 2, 4, 4);
    canvas.Start();
    canvas.renderer->FillRect({2, 2, 2, 2}, ZQ::Color(kBlue), true);
    canvas.Finish();
    EXPECT_EQ(canvas.At(0, 0), kRed) << "content outside the invalid part is kept";
    EXPECT_EQ(canvas.At(3, 3), kBlue);

    canvas.context->GetInvalidRegion().Clear();
    canvas.context->GetInvalidRegion().AddRect(0, 0, 10, 10);
    canvas.Start();
    canvas.Finish();
    EXPECT_EQ(canvas.At(0, 0), 0u) << "the whole viewport invalid gives fresh surfaces";

    canvas.renderer->FillRect({0, 0, 1, 1}, ZQ::Color(kRed), true); // outside a frame: nothing
    canvas.context->SetViewport({0, 0, 16, 12});
    canvas.Start();
    canvas.Finish();
    EXPECT_EQ(canvas.Gdi().GetCurrentSurface()->GetSize().width, 16);
    EXPECT_EQ(canvas.Gdi().GetCurrentSurface()->GetSize().height, 12);
    EXPECT_EQ(canvas.At(0, 0), 0u);
}

TEST(GdiContext, OnlyInvalidRectanglesReachTheWindowAndNothingFromOffscreen)
{
    FakeWindow window;
    ZQ::LGDIRenderer renderer;
    RCPtr<ZQ::LRenderContextInfo> onWindow;
    RCPtr<ZQ::LRenderContextInfo> offscreen;
    ASSERT_EQ(renderer.InitRenderContextInfo({0, 0, 20, 20}, kWindow, false, onWindow), S_OK);
    ASSERT_EQ(renderer.InitRenderContextInfo({0, 0, 20, 20}, kWindow, true, offscreen), S_OK);

    window.graphicsMade = 0;
    ASSERT_EQ(renderer.RenderStart(offscreen), S_OK);
    renderer.FillRect({0, 0, 20, 20}, ZQ::Color(kGreen), true);
    ASSERT_EQ(renderer.RenderFinish(offscreen), S_OK);
    EXPECT_EQ(window.graphicsMade, 0);
    EXPECT_EQ(window.At(5, 5), 0u);

    onWindow->GetInvalidRegion().AddRect(2, 2, 5, 4);
    onWindow->GetInvalidRegion().AddRect(10, 10, 12, 12);
    ASSERT_EQ(renderer.RenderStart(onWindow), S_OK);
    renderer.FillRect({0, 0, 20, 20}, ZQ::Color(kRed), true);
    ASSERT_EQ(renderer.RenderFinish(onWindow), S_OK);
    EXPECT_EQ(window.graphicsMade, 1);
    for (const auto& [x, y, expected] : {std::tuple{2, 2, kRed},
                                         {4, 3, kRed},
                                         {5, 3, 0u},
                                         {4, 4, 0u},
                                         {11, 11, kRed},
                                         {12, 11, 0u},
                                         {0, 0, 0u},
                                         {19, 19, 0u}})
        EXPECT_EQ(window.At(x, y), expected) << x << ", " << y;
}

TEST(GdiContext, TheContextsOriginMovesEveryFrameOnce)
{
    // The back buffers and their graphics outlive a frame; the next frame starts from the origin alone.
    OffscreenCanvas canvas(20, 20);
    canvas.context->GetState().origin = {5, 5};
    for (const uint32_t color : {kRed, kBlue})
    {
        canvas.Start();
        canvas.renderer->FillRect({0, 0, 2, 2}, ZQ::Color(color), true);
        canvas.Finish();
        EXPECT_EQ(canvas.At(5, 5), color);
        EXPECT_EQ(canvas.At(10, 10), 0u);
    }
}

TEST(GdiContext, OffscreenPicturesAreDrawnAndScrolledOnlyFromOffscreenContexts)
{
    OffscreenCanvas target(20, 20);
    OffscreenCanvas windowContext(20, 20, false);
    RCPtr<ZQ::LRenderContextInfo> picture;
    ASSERT_EQ(target.renderer->InitRenderContextInfo({0, 0, 20, 20}, 0, true, picture), S_OK);

    ASSERT_EQ(target.renderer->RenderStart(picture), S_OK);
    target.renderer->FillRect({0, 0, 20, 20}, ZQ::Color(kRed), true);
    ASSERT_EQ(target.renderer->RenderFinish(picture), S_OK);
    EXPECT_EQ(target.renderer->ScrollOffscreenContext(picture, {0, 10}), S_OK);
    EXPECT_EQ(target.renderer->ScrollOffscreenContext(windowContext.context, {0, 10}), E_INVALIDARG);

    target.Start();
    EXPECT_EQ(target.renderer->DrawOffscreenContext(windowContext.context, {0, 0}, {0, 0, 20, 20}),
              E_INVALIDARG);
    EXPECT_EQ(target.renderer->DrawOffscreenContext(picture, {1, 2}, {0, 8, 20, 4}), S_OK);
    target.Finish();

    // The scroll uncovered rows 0 to 9 as transparent black; rows 8 and 9 land at 2 and 3.
    EXPECT_EQ(target.Row(2, 20), "....................");
    EXPECT_EQ(target.Row(4, 20), ".###################");
    EXPECT_EQ(target.At(5, 5), kRed);
    EXPECT_EQ(target.At(5, 6), 0u);
}

TEST(GdiContext, ScrollingMovesThePictureByTheOffsetAloneWhateverTheOrigin)
{
    OffscreenCanvas canvas(20, 20);
    canvas.context->GetState().origin = {3, 0};
    canvas.Start();
    canvas.renderer->FillRect({0, 0, 20, 10}, ZQ::Color(kRed), true); // columns 3 to 19
    canvas.Finish();
    EXPECT_EQ(canvas.renderer->ScrollOffscreenContext(canvas.context, {0, 10}), S_OK);
    EXPECT_EQ(canvas.Row(12, 20), "...#################");
    EXPECT_EQ(canvas.Row(2, 20), "....................");

    canvas.Start();
    canvas.renderer->FillRect({0, 0, 1, 1}, ZQ::Color(kBlue), true); // the origin still applies
    canvas.Finish();
    EXPECT_EQ(canvas.At(3, 0), kBlue);

    // Back into the buffer that the first frame drew into.
    EXPECT_EQ(canvas.renderer->ScrollOffscreenContext(canvas.context, {0, -10}), S_OK);
    EXPECT_EQ(canvas.Row(2, 20), "...#################");
    EXPECT_EQ(canvas.Row(12, 20), "....................");
}

TEST(GdiContext, CachedBitmapsUnusedSinceThePreviousPurgeGoAfterFiveMinutes)
{
    Platform::ManualClock clock;
    Platform::SetClock(&clock);
    {
        OffscreenCanvas canvas;
        const RCPtr<ZQ::LBitmap> bitmap = ZQ::LBitmap::GetNamedBitmap(u"::Quad Tile.png");
        const auto& cache = canvas.renderer->GetBitmapCache();
        const auto frame = [&](int32_t width)
        {
            canvas.Start();
            canvas.renderer->DrawBitmap(bitmap, {0, 0, width, 4}, ZQ::LRenderer::kResizeStretch);
            clock.Advance(std::chrono::milliseconds(300001));
            canvas.Finish();
        };
        // Each purge marks the cache's clock; the next one drops what was last used before that mark.
        frame(3);
        frame(4);
        EXPECT_FALSE(cache.GetEntryAt(0).IsEmpty()) << "last used right before the previous mark";
        frame(4);
        EXPECT_TRUE(cache.GetEntryAt(0).IsEmpty()) << "unused since the previous purge";
        EXPECT_EQ(cache.GetEntryAt(0).id.width, 3) << "the entry keeps its key";
        EXPECT_FALSE(cache.GetEntryAt(1).IsEmpty());

        canvas.Start();
        canvas.renderer->DrawBitmap(bitmap, {0, 0, 3, 4}, ZQ::LRenderer::kResizeStretch);
        clock.Advance(std::chrono::milliseconds(300000)); // not more than five minutes: no purge
        canvas.Finish();
        EXPECT_FALSE(cache.GetEntryAt(0).IsEmpty());
        EXPECT_EQ(cache.GetIndexedCount(), 2);
    }
    Platform::SetClock(nullptr);
}
} // namespace
