#include "Platform/Window/SplashWindow.h"

#include <algorithm>
#include <cairo-xlib.h>
#include <cairo.h>
#include <poll.h>
#include <vector>

// Xlib last: its macros (None, Status) break headers included after it.
// clang-format off
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// clang-format on

namespace Platform::Window
{
namespace
{
// The picture over opaque black, as cairo's native-endian RGB words.
std::vector<uint32_t> ComposeOverBlack(std::span<const uint32_t> pixels)
{
    std::vector<uint32_t> opaque(pixels.size());
    std::transform(pixels.begin(), pixels.end(), opaque.begin(),
                   [](uint32_t pixel)
                   {
                       const uint32_t alpha = pixel >> 24;
                       uint32_t result = 0xFF000000u;
                       for (const int shift : {16, 8, 0})
                           result |= (((pixel >> shift) & 0xFFu) * alpha / 255u) << shift;
                       return result;
                   });
    return opaque;
}

// _NET_WORKAREA's first rectangle, else the whole screen.
Rect ReadWorkArea(::Display* display)
{
    const int screen = DefaultScreen(display);
    Rect area{0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)};
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const Atom workArea = XInternAtom(display, "_NET_WORKAREA", True);
    if (workArea != 0 && XGetWindowProperty(display, DefaultRootWindow(display), workArea, 0, 4, False,
                                            XA_CARDINAL, &type, &format, &count, &after, &data) == Success)
    {
        if (data != nullptr && format == 32 && count >= 4)
        {
            const auto* values = reinterpret_cast<const long*>(data);
            area = {static_cast<int32_t>(values[0]), static_cast<int32_t>(values[1]),
                    static_cast<int32_t>(values[0] + values[2]), static_cast<int32_t>(values[1] + values[3])};
        }
        if (data != nullptr)
            XFree(data);
    }
    return area;
}
} // namespace

struct SplashWindow::Impl
{
    ::Display* display = nullptr;
    ::Window window = 0;
    Rect rect;
    std::vector<uint32_t> picture; // opaque, width x height
    int32_t progress = -1;         // -1 while the bar is not shown

    ~Impl()
    {
        if (display == nullptr)
            return;
        if (window != 0)
            XDestroyWindow(display, window);
        XCloseDisplay(display);
    }

    void Paint() const
    {
        const int32_t width = rect.Width();
        const int32_t height = rect.Height();
        cairo_surface_t* target = cairo_xlib_surface_create(
            display, window, DefaultVisual(display, DefaultScreen(display)), width, height);
        cairo_surface_t* image = cairo_image_surface_create_for_data(
            reinterpret_cast<unsigned char*>(const_cast<uint32_t*>(picture.data())), CAIRO_FORMAT_RGB24,
            width, height, width * 4);
        cairo_t* cr = cairo_create(target);
        cairo_set_source_surface(cr, image, 0, 0);
        cairo_paint(cr);
        if (progress >= 0)
        {
            const Rect bar = SplashBarRect(width, height);
            cairo_set_source_rgb(cr, 0.85, 0.85, 0.85);
            cairo_rectangle(cr, bar.left, bar.top, bar.Width(), bar.Height());
            cairo_fill(cr);
            cairo_set_source_rgb(cr, 0.02, 0.69, 0.14);
            cairo_rectangle(cr, bar.left + 1, bar.top + 1, (bar.Width() - 2) * progress / 100.0,
                            bar.Height() - 2);
            cairo_fill(cr);
        }
        cairo_destroy(cr);
        cairo_surface_destroy(image);
        cairo_surface_destroy(target);
        XFlush(display);
    }
};

Rect CenteredRect(const Rect& area, int32_t width, int32_t height)
{
    const int32_t left = (area.left + area.right - width) >> 1;
    const int32_t top = (area.top + area.bottom - height) >> 1;
    return {left, top, left + width, top + height};
}

Rect SplashBarRect(int32_t width, int32_t height)
{
    const int32_t margin = width / 25;
    return {margin, height - 20, width - margin, height - 4};
}

std::unique_ptr<SplashWindow> SplashWindow::Open(int32_t width, int32_t height,
                                                 std::span<const uint32_t> pixels)
{
    if (width <= 0 || height <= 0 ||
        pixels.size() != static_cast<size_t>(width) * static_cast<size_t>(height))
        return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->display = XOpenDisplay(nullptr);
    if (impl->display == nullptr)
        return nullptr;
    ::Display* display = impl->display;
    impl->rect = CenteredRect(ReadWorkArea(display), width, height);
    impl->picture = ComposeOverBlack(pixels);

    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = BlackPixel(display, DefaultScreen(display));
    attributes.event_mask = ExposureMask;
    impl->window = XCreateWindow(display, DefaultRootWindow(display), impl->rect.left, impl->rect.top,
                                 static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                                 CopyFromParent, InputOutput, CopyFromParent,
                                 CWOverrideRedirect | CWBackPixel | CWEventMask, &attributes);
    XStoreName(display, impl->window, "");
    XClassHint hint{};
    char splashClass[] = "SplashWnd";
    hint.res_name = splashClass;
    hint.res_class = splashClass;
    XSetClassHint(display, impl->window, &hint);
    XMapRaised(display, impl->window);
    XSync(display, False);
    return std::unique_ptr<SplashWindow>(new SplashWindow(std::move(impl)));
}

SplashWindow::SplashWindow(std::unique_ptr<Impl> impl) : mImpl(std::move(impl))
{
}

SplashWindow::~SplashWindow() = default;

void SplashWindow::SetProgress(int32_t position)
{
    mImpl->progress = std::clamp(position, 0, 100);
    mImpl->Paint();
}

int SplashWindow::ConnectionFd() const
{
    return ConnectionNumber(mImpl->display);
}

bool SplashWindow::WaitForEvents(std::chrono::milliseconds timeout)
{
    if (XPending(mImpl->display) > 0)
        return true;
    pollfd fd{ConnectionNumber(mImpl->display), POLLIN, 0};
    return ::poll(&fd, 1, static_cast<int>(timeout.count())) > 0;
}

void SplashWindow::ProcessEvents()
{
    bool exposed = false;
    while (XPending(mImpl->display) > 0)
    {
        XEvent event;
        XNextEvent(mImpl->display, &event);
        exposed = exposed || event.type == Expose;
    }
    if (exposed)
        mImpl->Paint();
}

Rect SplashWindow::GetRect() const
{
    return mImpl->rect;
}

WindowHandle SplashWindow::GetHandle() const
{
    return static_cast<WindowHandle>(mImpl->window);
}
} // namespace Platform::Window
