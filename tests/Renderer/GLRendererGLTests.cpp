#include "GLTesting.h"

#include "Platform/Clock/Clock.h"
#include "Platform/Window/Dialogs.h"
#include "ZQFramework/Renderer/Font.h"
#include "ZQFramework/Renderer/Polyline.h"
#include "ZQFramework/Utilities/Graphics/Bitmap.h"

#include <stdexcept>

namespace
{
using namespace GLTesting;
using ZQ::Color;
using ZQ::LRenderer;
using ZQ::PointT;
using ZQ::RectT;

const Color kRed(1, 0, 0, 1);
const Color kGreen(0, 1, 0, 1);

ZQ::PolylineT<float> Triangle()
{
    ZQ::PolylineT<float> triangle;
    triangle.AddPoint({10, 10});
    triangle.AddPoint({50, 10});
    triangle.AddPoint({50, 50});
    return triangle;
}

// Whether any pixel within one pixel of (x, y) has ink.
bool InkNear(const Pixels& pixels, int32_t x, int32_t y)
{
    for (int32_t dy = -1; dy <= 1; ++dy)
        for (int32_t dx = -1; dx <= 1; ++dx)
            if (pixels.Rgb(x + dx, y + dy) != 0)
                return true;
    return false;
}

TEST(GLRendererGL, CreateMakesTheOpenGLRendererWithItsFontRenderer)
{
    GLCanvas canvas;
    ZQ_REQUIRE_GL(canvas);
    EXPECT_EQ(canvas.renderer->GetRendererType(), LRenderer::kOpenGL);
    EXPECT_TRUE(canvas.GL().GetFontRenderer());
    EXPECT_NE(canvas.GL().GetPixelFormat(), 0);
    EXPECT_TRUE(canvas.GL().IsDoubleBuffered());
    EXPECT_GT(canvas.context->GetMaxSurfaceSize().width, 0);
}

// Under Xvfb the window's visual has no configuration with the copy swap method, so this is the copy from
// the back to the front buffer at the end of the frame.
TEST(GLRendererGL, TheFramesPictureIsShownInTheWindow)
{
    GLCanvas canvas;
    ZQ_REQUIRE_GL(canvas);
    (void)canvas.Frame([&] { canvas.renderer->FillRect({0, 0, 32, 64}, kRed, true); });
    EXPECT_EQ(ShownPixel(canvas.window, 5, 5), 0xFF0000u);
    EXPECT_EQ(ShownPixel(canvas.window, 40, 5), 0u);
}

TEST(GLRendererGL, FillRectReplacesWithoutBlendAndBlendsOtherwise)
{
    GLCanvas canvas;
    ZQ_REQUIRE_GL(canvas);
    const Pixels pixels = canvas.Frame(
        [&]
        {
            canvas.renderer->FillRect({0, 0, 32, 64}, kRed, false);
            // Unblended, even a transparent colour replaces what is there.
            canvas.renderer->FillRect({0, 0, 8, 8}, Color(0, 0, 0, 0), false);
            canvas.renderer->FillRect({32, 0, 32, 64}, Color(0, 1, 0, 0.5f), true);
        });
    EXPECT_EQ(pixels.At(20, 20), 0xFFFF0000u);
    EXPECT_EQ(pixels.Rgb(2, 2), 0u);
    const uint32_t green = (pixels.At(40, 20) >> 8) & 0xFF;
    EXPECT_NEAR(green, 128, 2) << std::hex << pixels.At(40, 20);
    EXPECT_EQ(pixels.At(40, 20) & 0xFF0000, 0u);
}

TEST(GLRendererGL, OriginMovesDrawingAndUnblendedFills)
{
    GLCanvas canvas;
    ZQ_REQUIRE_GL(canvas);
    const Pixels pixels = canvas.Frame(
        [&]
        {
            canvas.renderer->PushClip();
            canvas.renderer->PushClipOffset({20.5, 10});
            canvas.renderer->FillRect({0, 0, 4, 4}, kRed, true);
            canvas.renderer->FillRect({0, 10, 4, 4}, kGreen, false);
            canvas.renderer->PopClip();
            canvas.renderer->PopClip();
        });
    EXPECT_EQ(pixels.Rgb(21, 10), 0xFF0000u) << "2.5 rounds away from zero to 21";
    EXPECT_EQ(pixels.Rgb(20, 10), 0u);
    EXPECT_EQ(pixels.Rgb(22, 21), 0x00FF00u);
}

TEST(GLRendererGL, ClipOffTheWindowsTopOrLeftDrawsNothing)
{
    GLCanvas canvas;
    ZQ_REQUIRE_GL(canvas);
    const RectT<double> clips[] = {{-50, 10, 30, 30}, {10, -50, 30, 30}, {-10, -10, 5, 5}};
    for (const RectT<double>& clip : clips)
    {
        const Pixels pixels = canvas.Frame(
            [&]
            {
                canvas.renderer->SetClipRect(clip);
                canvas.renderer->FillRect({-100, -100, 300, 300}, kRed, true);
                canvas.renderer->SetClipRect(ZQ::RenderState().clip);
            });
        EXPECT_EQ(pixels.CountInk(), 0) << clip.x << ", " << clip.y;
    }
    // A clip that reaches into the window keeps its visible part.
    const Pixels partly = canvas.Frame(
        [&]
        {
            canvas.renderer->SetClipRect({-10, -10, 20, 20});
            canvas.renderer->FillRect({0, 0, 64, 64}, kRed, true);
            canvas.renderer->SetClipRect(ZQ::RenderState().clip);
        });
    EXPECT_EQ(partly.Row(5), "##########......................................................");
    EXPECT_EQ(partly.Rgb(5, 10), 0u);
}

TEST(GLRendererGL, PolygonOutlineIsClosed)
{
    GLCanvas canvas;
    ZQ_REQUIRE_GL(canvas);
    const ZQ::PolylineT<float> triangle = Triangle();
    const Pixels pixels = canvas.Frame(
        [&] {
            canvas.renderer->DrawPolygon(triangle, kRed, {0, 0}, {1, 1}, false);
        });
    EXPECT_TRUE(InkNear(pixels, 30, 10)) << "first edge";
    EXPECT_TRUE(InkNear(pixels, 50, 30)) << "second edge";
    EXPECT_TRUE(InkNear(pixels, 30, 30)) << "the closing edge back to the first point";
    EXPECT_FALSE(InkNear(pixels, 40, 20)) << "inside stays empty";
}

TEST(GLRendererGL, FillPolygonFillsTheInside)
{
    GLCanvas canvas;
    ZQ_REQUIRE_GL(canvas);
    ZQ::PolylineT<float> triangle = Triangle();
    const Pixels pixels = canvas.Frame(
        [&] {
            canvas.renderer->FillPolygon(triangle, kRed, {4, 0}, {1, 1}, true);
        });
    EXPECT_EQ(pixels.Rgb(44, 20), 0xFF0000u);
    EXPECT_EQ(pixels.Rgb(20, 40), 0u) << "the other side of the diagonal";
}

TEST(GLRendererGL, PolygonDrawnTwiceIsCompiledOnceUntilItChanges)
{
    GLCanvas canvas;
    ZQ_REQUIRE_GL(canvas);
    ZQ::PolylineT<float> triangle = Triangle();
    const auto outlineList = [&]
    {
        const auto& cache = canvas.GL().GetOutlineCache();
        for (int32_t i = 0; i < cache.GetCapacity(); ++i)
            if (cache.GetEntryAt(i).id == ZQ::PolylineT<float>::GetHandle(triangle))
                return cache.GetEntryAt(i).object;
        return ZQ::RCPtr<ZQ::LGLDisplayList>();
    };
    const auto draw = [&] {
        canvas.Frame([&] { canvas.renderer->DrawPolygon(triangle, kRed, {0, 0}, {1, 1}, true); });
    };

    draw();
    const auto first = outlineList();
    ASSERT_TRUE(first);
    EXPECT_FALSE(triangle.IsChanged());
    draw();
    EXPECT_EQ(outlineList(), first) << "replayed";
    triangle.SetPoint(0, {12, 10});
    draw();
    EXPECT_NE(outlineList(), first) << "compiled again after the change";
    canvas.Frame([&] { canvas.renderer->DrawPolygon(triangle, kRed, {0, 0}, {1, 1}, false); });
    EXPECT_FALSE(outlineList()) << "drawing without lists keeps nothing";
}

TEST(GLRendererGL, ColorRectListDrawsLastToFirstScaledAndIsReplayed)
{
    GLCanvas canvas;
    ZQ_REQUIRE_GL(canvas);
    ZQ::ColorRectListT<float> list;
    list.AddRect({0, 0, 10, 10}, 0xFFFF0000);
    list.AddRect({0, 0, 5, 20}, 0xFF00FF00); // drawn first, under the red one
    list.SetScale(2, 1);
    const Pixels pixels = canvas.Frame([&] { canvas.renderer->DrawColorRectList(list, {1, 1}); });
    EXPECT_EQ(pixels.Rgb(15, 5), 0xFF0000u);
    EXPECT_EQ(pixels.Rgb(5, 15), 0x00FF00u);
    EXPECT_EQ(pixels.Rgb(25, 5), 0u);
    const Pixels again = canvas.Frame([&] { canvas.renderer->DrawColorRectList(list, {1, 1}); });
    EXPECT_EQ(again.Rgb(15, 5), 0xFF0000u) << "the compiled list replays the same picture";
}

TEST(GLRendererGL, BitmapsStretchTileAndCenter)
{
    GLCanvas canvas;
    ZQ_REQUIRE_GL(canvas);
    const ZQ::RCPtr<ZQ::LBitmap> quad = ZQ::LBitmap::GetNamedBitmap(u"::Quad Tile.png"); // 2 x 2
    ASSERT_TRUE(quad);
    const uint32_t topLeft = quad->GetPixelColor(0, 0).ToARGB() & 0xFFFFFF;
    const uint32_t topRight = quad->GetPixelColor(1, 0).ToARGB() & 0xFFFFFF;
    const Pixels pixels = canvas.Frame(
        [&]
        {
            canvas.renderer->DrawBitmap(quad, {0, 0, 2, 2}, LRenderer::kResizeTile); // own size: once
            canvas.renderer->DrawBitmap(quad, {10, 0, 5, 2}, LRenderer::kResizeTile);
            canvas.renderer->DrawBitmap(quad, {20, 0, 6, 6}, LRenderer::kResizeCenter);
            canvas.renderer->DrawBitmap(quad, {30, 0, 8, 8}, LRenderer::kResizeStretch);
        });
    EXPECT_EQ(pixels.Rgb(0, 0), topLeft);
    EXPECT_EQ(pixels.Rgb(1, 0), topRight);
    EXPECT_EQ(pixels.Rgb(2, 0), 0u);
    for (int32_t x = 10; x < 16; ++x)
        EXPECT_EQ(pixels.Rgb(x, 0), (x - 10) % 2 == 0 ? topLeft : topRight)
            << x << ": tiled, the last copy too";
    EXPECT_EQ(pixels.Rgb(22, 2), topLeft);
    EXPECT_EQ(pixels.Rgb(21, 2), 0u);
    // Stretched with linear filtering: the top left quarter stays mostly red, the top right mostly green.
    ASSERT_EQ(topLeft, 0xFF0000u);
    ASSERT_EQ(topRight, 0x00FF00u);
    const auto red = [&](int32_t x, int32_t y) { return (pixels.At(x, y) >> 16) & 0xFF; };
    const auto green = [&](int32_t x, int32_t y) { return (pixels.At(x, y) >> 8) & 0xFF; };
    EXPECT_GT(red(31, 2), green(31, 2));
    EXPECT_GT(green(36, 2), red(36, 2));
    EXPECT_EQ(canvas.GL().GetTextureCache().GetIndexedCount(), 1) << "one texture for the bitmap";
}

TEST(GLRendererGL, BitmapErrorsThrow)
{
    GLCanvas canvas;
    ZQ_REQUIRE_GL(canvas);
    const ZQ::RCPtr<ZQ::LBitmap> quad = ZQ::LBitmap::GetNamedBitmap(u"::Quad Tile.png");
    ASSERT_EQ(canvas.renderer->RenderStart(canvas.context), S_OK);
    try
    {
        canvas.renderer->DrawBitmap(nullptr, {0, 0, 4, 4}, LRenderer::kResizeStretch);
        ADD_FAILURE() << "a null bitmap throws";
    }
    catch (const ZQ::FailedResultException& error)
    {
        EXPECT_STREQ(error.what(), "Failed Result : ZQRESULT = 80070057 : ZQ::LGLRenderer::DrawBitmap : "
                                   "Renderer\\OpenGL\\GLRenderer : Line 1104");
    }
    EXPECT_THROW(canvas.renderer->DrawBitmap(quad, {0, 0, 4, 4}, 3), std::logic_error);
    EXPECT_EQ(canvas.renderer->RenderFinish(canvas.context), S_OK);
}

TEST(GLRendererGL, OffscreenPictureIsDrawnAndWhatItCoveredComesBack)
{
    GLCanvas canvas;
    ZQ_REQUIRE_GL(canvas);
    ZQ::RCPtr<ZQ::LRenderContextInfo> offscreen;
    ASSERT_EQ(canvas.renderer->InitRenderContextInfo({0, 0, 16, 16}, canvas.window.Handle(), true, offscreen),
              S_OK);
    const Pixels pixels = canvas.Frame(
        [&]
        {
            canvas.renderer->FillRect({0, 0, 64, 64}, kGreen, true);
            ASSERT_EQ(canvas.renderer->RenderStart(offscreen), S_OK);
            canvas.renderer->FillRect({0, 0, 16, 16}, Color(0, 0, 0, 0), false);
            canvas.renderer->FillRect({0, 0, 8, 4}, kRed, true);
            ASSERT_EQ(canvas.renderer->RenderFinish(offscreen), S_OK);
            EXPECT_EQ(canvas.renderer->DrawOffscreenContext(offscreen, {40, 40}, {0, 0, 16, 16}), S_OK);
        });
    EXPECT_EQ(pixels.Rgb(5, 5), 0x00FF00u) << "the window's picture under the offscreen frame is back";
    EXPECT_EQ(pixels.Rgb(41, 41), 0xFF0000u);
    EXPECT_EQ(pixels.Rgb(50, 41), 0x00FF00u) << "transparent parts of the picture let the window show";
    EXPECT_EQ(canvas.renderer->DrawOffscreenContext(canvas.context, {0, 0}, {0, 0, 4, 4}), E_INVALIDARG);

    ASSERT_EQ(canvas.renderer->ScrollOffscreenContext(offscreen, {4, 2}), S_OK);
    const Pixels scrolled = canvas.Frame(
        [&] {
            EXPECT_EQ(canvas.renderer->DrawOffscreenContext(offscreen, {40, 40}, {0, 0, 16, 16}), S_OK);
        });
    EXPECT_EQ(scrolled.Rgb(41, 41), 0u) << "uncovered by the scroll";
    EXPECT_EQ(scrolled.Rgb(45, 43), 0xFF0000u);
}

TEST(GLRendererGL, TextWithoutFontRendererDrawsNothing)
{
    GLWindow window;
    if (!window.IsOpen())
        GTEST_SKIP() << "no X display";
    const ZQ::RCPtr<ZQ::LRenderer> renderer(new ZQ::LGLRenderer(nullptr, window.Handle()));
    ZQ::RCPtr<ZQ::LRenderContextInfo> context;
    ASSERT_EQ(renderer->InitRenderContextInfo({0, 0, 64, 64}, window.Handle(), false, context), S_OK);
    const ZQ::ConstRCPtr<ZQ::LFont> font = ZQ::LFont::GetFont(u"Arial", 12, 0);
    ASSERT_EQ(renderer->RenderStart(context), S_OK);
    renderer->FillRect({0, 0, 64, 64}, Color(0, 0, 0, 1), false);
    renderer->DrawText(u"Text", font, {2, 2}, kRed);
    const Pixels pixels(64, 64);
    ASSERT_EQ(renderer->RenderFinish(context), S_OK);
    EXPECT_EQ(pixels.CountInk(), 0);
    EXPECT_EQ(renderer->MeasureText(u"Text", font), (RectT<float>()));
}

TEST(GLRendererGL, UnusedCachesArePurgedAfterFiveMinutesOfTheClock)
{
    Platform::ManualClock clock;
    Platform::SetClock(&clock);
    {
        GLCanvas canvas;
        if (!canvas.IsReady())
        {
            Platform::SetClock(nullptr);
            GTEST_SKIP() << "no X display";
        }
        ZQ::PolylineT<float> used = Triangle();
        ZQ::PolylineT<float> unused = Triangle();
        const auto cached = [&](const ZQ::PolylineT<float>& polyline)
        {
            const auto& cache = canvas.GL().GetFillCache();
            for (int32_t i = 0; i < cache.GetCapacity(); ++i)
                if (cache.GetEntryAt(i).id == ZQ::PolylineT<float>::GetHandle(polyline))
                    return static_cast<bool>(cache.GetEntryAt(i).object);
            return false;
        };
        const auto frame = [&](bool drawUsed, bool drawUnused)
        {
            canvas.Frame(
                [&]
                {
                    if (drawUsed)
                        canvas.renderer->FillPolygon(used, kRed, {0, 0}, {1, 1}, true);
                    if (drawUnused)
                        canvas.renderer->FillPolygon(unused, kRed, {0, 0}, {1, 1}, true);
                });
        };
        frame(true, true);
        clock.Advance(std::chrono::milliseconds(300000));
        frame(true, false);
        EXPECT_TRUE(cached(unused)) << "not due at exactly five minutes";
        clock.Advance(std::chrono::milliseconds(1));
        frame(true, false);
        EXPECT_TRUE(cached(unused)) << "used since the previous purge (none before)";
        clock.Advance(std::chrono::milliseconds(300001));
        frame(true, false);
        EXPECT_FALSE(cached(unused)) << "unused since the previous purge";
        EXPECT_TRUE(cached(used));
    }
    Platform::SetClock(nullptr);
}

TEST(GLRendererGL, PixelFormatFailureShowsTheBoxAndThrows)
{
    Platform::Window::DialogScript::Reset();
    Platform::Window::DialogScript::AnswerNextMessageBox(Platform::Window::kIdOk);
    try
    {
        (void)LRenderer::Create(LRenderer::kOpenGL, {0, 0, 10, 10}, 0); // no window: no pixel format
        ADD_FAILURE() << "construction throws";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_STREQ(
            error.what(),
            "Runtime Error : ZQ::LGLRenderer::LGLRenderer : Renderer\\OpenGL\\GLRenderer : Line 146");
    }
    const auto box = Platform::Window::DialogScript::LastMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, u"OpenGL Error");
    EXPECT_EQ(box->text, u"ChoosePixelFormat failed.Updating your video card driver, with the latest driver "
                         u"from the manufacturer of your video card, may solve this issue.");
    EXPECT_EQ(box->flags, Platform::Window::kMbIconWarning);
    Platform::Window::DialogScript::Reset();
}
} // namespace

namespace
{
TEST(GLRendererGL, AContextThatCannotBeMadeCurrentShowsItsBoxOnce)
{
    GLTesting::GLCanvas canvas;
    ZQ_REQUIRE_GL(canvas);
    Platform::Window::Display& display = *canvas.window.display;
    const Platform::Window::WindowHandle doomed =
        display.CreateWindow({"ZQGLTest", u"Doomed", {0, 0, 16, 16}},
                             [](const Platform::Window::Message&) { return Platform::Window::LResult{0}; });
    ZQ::RCPtr<ZQ::LRenderContextInfo> context;
    ASSERT_EQ(
        canvas.renderer->InitRenderContextInfo({0, 0, 16, 16}, static_cast<intptr_t>(doomed), false, context),
        S_OK);
    display.DestroyWindow(doomed);
    Platform::Window::DialogScript::Reset();
    Platform::Window::DialogScript::AnswerNextMessageBox(Platform::Window::kIdOk);
    for (int frame = 0; frame < 2; ++frame)
    {
        ASSERT_EQ(canvas.renderer->RenderStart(context), S_OK);
        canvas.renderer->FillRect({0, 0, 16, 16}, ZQ::Color(1, 0, 0, 1), true);
        ASSERT_EQ(canvas.renderer->RenderFinish(context), S_OK);
        if (frame == 0)
        {
            const auto box = Platform::Window::DialogScript::LastMessageBox();
            ASSERT_TRUE(box);
            EXPECT_EQ(box->caption, u"OpenGL Error");
            EXPECT_EQ(box->text.rfind(u"wglMakeCurrent failed with error ", 0), 0u);
            EXPECT_NE(box->text.find(u".Updating your video card driver"), std::u16string::npos);
            Platform::Window::DialogScript::Reset();
        }
    }
    EXPECT_FALSE(Platform::Window::DialogScript::LastMessageBox()) << "shown once, not on every frame";
    // The renderer's own window still draws.
    const GLTesting::Pixels pixels = canvas.Frame(
        [&] {
            canvas.renderer->FillRect({0, 0, 8, 8}, kRed, true);
        });
    EXPECT_EQ(pixels.Rgb(4, 4), 0xFF0000u);
}
} // namespace

namespace
{
TEST(GLRendererGL, SegmentsArePairsAndPolylinesStayOpen)
{
    GLTesting::GLCanvas canvas;
    ZQ_REQUIRE_GL(canvas);
    ZQ::PolylineT<float> points;
    points.AddPoint({10, 10});
    points.AddPoint({50, 10});
    points.AddPoint({50, 50});
    points.AddPoint({10, 50});
    points.SetLineWidth(2);
    struct Case
    {
        const char* name;
        bool segments;
        bool top;
        bool right;
        bool bottom;
    };
    const Case cases[] = {{"segments", true, true, false, true}, {"polyline", false, true, true, true}};
    for (const Case& c : cases)
    {
        for (const bool useList : {true, false})
        {
            const GLTesting::Pixels pixels = canvas.Frame(
                [&]
                {
                    if (c.segments)
                        canvas.renderer->DrawLineSegments(points, kRed, {0, 0}, {1, 1}, useList);
                    else
                        canvas.renderer->DrawPolyline(points, kRed, {0, 0}, {1, 1}, useList);
                });
            EXPECT_EQ(InkNear(pixels, 30, 10), c.top) << c.name << useList;
            EXPECT_EQ(InkNear(pixels, 50, 30), c.right) << c.name << useList;
            EXPECT_EQ(InkNear(pixels, 30, 50), c.bottom) << c.name << useList;
            EXPECT_FALSE(InkNear(pixels, 10, 30)) << c.name << useList << ": open, never closed";
        }
    }
}

TEST(GLRendererGL, AContextForAWindowThatIsGoneShowsTheBoxAndThrows)
{
    GLTesting::GLCanvas canvas;
    ZQ_REQUIRE_GL(canvas);
    Platform::Window::Display& display = *canvas.window.display;
    const Platform::Window::WindowHandle gone =
        display.CreateWindow({"ZQGLTest", u"Gone", {0, 0, 16, 16}},
                             [](const Platform::Window::Message&) { return Platform::Window::LResult{0}; });
    display.DestroyWindow(gone);
    Platform::Window::DialogScript::Reset();
    Platform::Window::DialogScript::AnswerNextMessageBox(Platform::Window::kIdOk);
    ZQ::RCPtr<ZQ::LRenderContextInfo> context;
    try
    {
        (void)canvas.renderer->InitRenderContextInfo({0, 0, 16, 16}, static_cast<intptr_t>(gone), false,
                                                     context);
        ADD_FAILURE() << "throws";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_STREQ(error.what(), "Runtime Error : ZQ::LGLRenderer::InitRenderContextInfo : "
                                   "Renderer\\OpenGL\\GLRenderer : Line 336");
    }
    const auto box = Platform::Window::DialogScript::LastMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text.rfind(u"SetPixelFormat failed.Updating", 0), 0u);
    Platform::Window::DialogScript::Reset();
}
} // namespace
