#include "Canvas.h"

#include "Platform/Gdiplus/WindowSurface.h"

namespace
{
using namespace Platform::Gdiplus;

TEST(GdiplusWindow, WindowGraphicsDrawOntoTheSurfaceTheProviderGives)
{
    cairo_surface_t* window = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 10, 10);
    SetWindowSurfaceProvider(
        [window](WindowHandle handle)
        {
            if (handle != 42)
                return WindowSurface{};
            return WindowSurface{cairo_surface_reference(window), 120, 120};
        });

    Status status = Status::Ok;
    EXPECT_FALSE(Graphics::FromWindow(7, &status));
    EXPECT_EQ(status, Status::InvalidParameter);
    {
        const auto graphics = Graphics::FromWindow(42, &status);
        ASSERT_TRUE(graphics);
        EXPECT_EQ(graphics->DpiX(), 120);
        ASSERT_EQ(graphics->FillRectangle(Brush::Solid(0xFFFF0000).get(), {2, 3, 1, 1}), Status::Ok);
    }
    cairo_surface_flush(window);
    const auto* pixels = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(window));
    const int stride = cairo_image_surface_get_stride(window) / 4;
    EXPECT_EQ(pixels[3 * stride + 2], 0xFFFF0000u);
    EXPECT_EQ(pixels[3 * stride + 3], 0u);

    SetWindowSurfaceProvider(nullptr);
    EXPECT_FALSE(Graphics::FromWindow(42, &status));
    EXPECT_EQ(status, Status::InvalidParameter);
    EXPECT_TRUE(Graphics::FromWindow(0, &status)) << "no window needs no provider";
    cairo_surface_destroy(window);
}
} // namespace
