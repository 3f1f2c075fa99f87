#include "GdiTesting.h"
#include "Support/WaitFor.h"

#include "Platform/Gdiplus/WindowSurface.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo-xlib.h>
#include <cstdlib>

namespace
{
using namespace GdiTesting;

// A bare Xlib window painted blue by the server, and a window hook of the test's own that gives the
// renderer a cairo surface on it.
class BareWindow
{
public:
    static constexpr int kSize = 40;

    BareWindow() : mDisplay(XOpenDisplay(nullptr))
    {
        if (mDisplay == nullptr)
            return;
        const int screen = DefaultScreen(mDisplay);
        mWindow =
            XCreateSimpleWindow(mDisplay, RootWindow(mDisplay, screen), 0, 0, kSize, kSize, 0, 0, 0x0000FF);
        XSelectInput(mDisplay, mWindow, StructureNotifyMask);
        XMapWindow(mDisplay, mWindow);
        XEvent event;
        mapped = TestSupport::WaitFor(
            [&] { return XCheckTypedWindowEvent(mDisplay, mWindow, MapNotify, &event) != 0; });
        XClearWindow(mDisplay, mWindow);
        XSync(mDisplay, False);

        Platform::Gdiplus::SetWindowSurfaceProvider(
            [this](Platform::Gdiplus::WindowHandle window)
            {
                if (window != static_cast<Platform::Gdiplus::WindowHandle>(mWindow))
                    return Platform::Gdiplus::WindowSurface{};
                const int screenNumber = DefaultScreen(mDisplay);
                return Platform::Gdiplus::WindowSurface{cairo_xlib_surface_create(
                    mDisplay, mWindow, DefaultVisual(mDisplay, screenNumber), kSize, kSize)};
            });
    }

    ~BareWindow()
    {
        Platform::Gdiplus::SetWindowSurfaceProvider({});
        if (mDisplay == nullptr)
            return;
        XDestroyWindow(mDisplay, mWindow);
        XCloseDisplay(mDisplay);
    }

    BareWindow(const BareWindow&) = delete;
    BareWindow& operator=(const BareWindow&) = delete;

    [[nodiscard]] bool IsOpen() const { return mDisplay != nullptr; }
    [[nodiscard]] intptr_t Handle() const { return static_cast<intptr_t>(mWindow); }

    // The window's pixel as 0xRRGGBB, read back from the server.
    uint32_t At(int x, int y) const
    {
        XSync(mDisplay, False);
        XImage* image = XGetImage(mDisplay, mWindow, x, y, 1, 1, AllPlanes, ZPixmap);
        if (image == nullptr)
            return 0xDEADBEEF;
        const auto pixel = static_cast<uint32_t>(XGetPixel(image, 0, 0) & 0xFFFFFF);
        XDestroyImage(image);
        return pixel;
    }

    bool mapped = false;

private:
    Display* mDisplay;
    Window mWindow = 0;
};

TEST(GdiWindowX11, OnlyInvalidRectanglesReachTheWindow)
{
    BareWindow window;
    if (!window.IsOpen())
        GTEST_SKIP() << "no display";
    ASSERT_TRUE(window.mapped);
    ASSERT_EQ(window.At(20, 20), 0x0000FFu);

    ZQ::LGDIRenderer renderer;
    ZQ::RCPtr<ZQ::LRenderContextInfo> context;
    ASSERT_EQ(renderer.InitRenderContextInfo({0, 0, BareWindow::kSize, BareWindow::kSize}, window.Handle(),
                                             false, context),
              S_OK);
    context->GetInvalidRegion().AddRect(5, 5, 15, 10);
    context->GetInvalidRegion().AddRect(30, 30, 35, 35);
    ASSERT_EQ(renderer.RenderStart(context), S_OK);
    renderer.FillRect({0, 0, BareWindow::kSize, BareWindow::kSize}, ZQ::Color(kRed), true);
    ASSERT_EQ(renderer.RenderFinish(context), S_OK);

    for (const auto& [x, y, expected] : {std::tuple{5, 5, 0xFF0000u},
                                         {14, 9, 0xFF0000u},
                                         {15, 9, 0x0000FFu},
                                         {14, 10, 0x0000FFu},
                                         {32, 32, 0xFF0000u},
                                         {20, 20, 0x0000FFu},
                                         {0, 0, 0x0000FFu},
                                         {39, 39, 0x0000FFu}})
        EXPECT_EQ(window.At(x, y), expected) << x << ", " << y;
}
} // namespace
