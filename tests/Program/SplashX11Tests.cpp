#include "Program/ChildProcess.h"
#include "Support/WaitFor.h"

#include "Platform/Window/Display.h"
#include "Platform/Window/SplashWindow.h"
#include "ZQFramework/Application/Framework/Splash.h"

#include <cairo.h>
#include <filesystem>
#include <gtest/gtest.h>

// Xlib last: its macros (None, Status) break headers included after it.
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// clang-format on

namespace
{
constexpr int32_t kWidth = 250;
constexpr int32_t kHeight = 120;

// The filled part of the bar is green.
bool IsBarGreen(unsigned long pixel)
{
    return ((pixel >> 8) & 0xFF) > 0x80 && ((pixel >> 16) & 0xFF) < 0x40;
}

TEST(SplashX11, ThePictureShowsCentredWithItsBarAndIsKeptAsAScreenshot)
{
    ::Display* x = TestSupport::OpenXServer([] { return XOpenDisplay(nullptr); });
    if (x == nullptr)
        GTEST_SKIP() << "no X server";
    // Red, half transparent on the left half: over black that is a darker red.
    ZQ::SplashPicture picture{kWidth, kHeight, {}};
    for (int32_t row = 0; row < kHeight; ++row)
        for (int32_t column = 0; column < kWidth; ++column)
            picture.Pixels.push_back(column < kWidth / 2 ? 0x80FF0000u : 0xFFFF0000u);
    {
        ZQ::CSplashScreen splash;
        splash.SetPicture(picture);
        splash.Start();
        splash.SetProgress(100);
        ::Window window = 0;
        ASSERT_TRUE(TestSupport::WaitFor(
            [&]
            {
                window = static_cast<::Window>(Platform::Window::FindTopLevelWindow("SplashWnd"));
                XWindowAttributes attributes{};
                return window != 0 && XGetWindowAttributes(x, window, &attributes) &&
                       attributes.map_state == IsViewable;
            }));
        XWindowAttributes attributes{};
        XGetWindowAttributes(x, window, &attributes);
        const int screenWidth = DisplayWidth(x, DefaultScreen(x));
        const int screenHeight = DisplayHeight(x, DefaultScreen(x));
        EXPECT_EQ(attributes.x, (screenWidth - kWidth) / 2);
        EXPECT_EQ(attributes.y, (screenHeight - kHeight) / 2);
        EXPECT_EQ(attributes.width, kWidth);
        EXPECT_EQ(attributes.height, kHeight);

        const Platform::Window::Rect bar = Platform::Window::SplashBarRect(kWidth, kHeight);
        XImage* image = nullptr;
        // The picture and the full bar's far end, once painted.
        ASSERT_TRUE(TestSupport::WaitFor(
            [&]
            {
                if (image != nullptr)
                    XDestroyImage(image);
                image = XGetImage(x, window, 0, 0, kWidth, kHeight, AllPlanes, ZPixmap);
                return image != nullptr && (XGetPixel(image, kWidth - 5, 5) & 0xFFFFFF) == 0xFF0000 &&
                       IsBarGreen(XGetPixel(image, bar.right - 3, bar.top + 8));
            }));
        EXPECT_EQ(XGetPixel(image, 5, 5) & 0xFFFFFF, 0x800000u);

        cairo_surface_t* shot = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
        auto* pixels = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(shot));
        const int stride = cairo_image_surface_get_stride(shot) / 4;
        for (int row = 0; row < kHeight; ++row)
            for (int column = 0; column < kWidth; ++column)
                pixels[row * stride + column] =
                    static_cast<uint32_t>(XGetPixel(image, column, row)) & 0xFFFFFF;
        cairo_surface_mark_dirty(shot);
        const auto folder = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "artifacts";
        std::filesystem::create_directories(folder);
        EXPECT_EQ(cairo_surface_write_to_png(shot, (folder / "SplashShown.png").c_str()),
                  CAIRO_STATUS_SUCCESS);
        cairo_surface_destroy(shot);
        XDestroyImage(image);
        splash.Stop();
    }
    EXPECT_TRUE(TestSupport::WaitFor([&] { return Platform::Window::FindTopLevelWindow("SplashWnd") == 0; }));
    XCloseDisplay(x);
}
} // namespace
