#include "GLTesting.h"

#include <GL/glx.h>
#include <X11/Xutil.h>
#include <cstdlib>

namespace GLTesting
{
bool KeepServer()
{
    static ::Display* const connection = []
    {
        // llvmpipe rasterises on the drawing thread: its worker threads, alive until the process ends,
        // now and then crash LeakSanitizer's stop-the-world at exit.
        ::setenv("LP_NUM_THREADS", "0", 0);
        ::Display* opened = XOpenDisplay(nullptr);
        // Mesa loads its driver per connection and unloads it with the last one; GLX started on a
        // connection that stays open keeps it loaded, so what it allocated stays reachable for the leak
        // checker.
        if (opened != nullptr)
            (void)glXQueryExtensionsString(opened, DefaultScreen(opened));
        return opened;
    }();
    return connection != nullptr;
}

uint32_t ShownPixel(const GLWindow& window, int32_t x, int32_t y)
{
    auto* display = static_cast<::Display*>(window.display->NativeDisplay());
    XImage* image = XGetImage(display, static_cast<::Window>(window.window), x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr)
        return 0xDEADBEEF;
    const auto pixel = static_cast<uint32_t>(XGetPixel(image, 0, 0)) & 0xFFFFFF;
    XDestroyImage(image);
    return pixel;
}
} // namespace GLTesting
