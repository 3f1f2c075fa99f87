#pragma once

#include "Support/PngArtifact.h"

#include "Platform/Window/Display.h"
#include "Platform/Window/MessageLoop.h"

#include <cairo.h>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <poll.h>
#include <string>
#include <vector>

// Xlib last: its macros (None, Status) break headers included after it.
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// clang-format on

// What the tests under Xvfb share: opening the display, running the program's loop until something holds,
// reading a window's pixels back, finding the windows that belong to another, and playing another X client
// that owns the CLIPBOARD selection.
namespace TestSupport
{
// The display for the loop; null without an X server. An X server without clients resets itself, refusing
// connections for a moment, so the first call keeps one connection open for the whole program.
inline std::unique_ptr<Platform::Window::Display> OpenDisplay(Platform::Window::MessageLoop& loop)
{
    static ::Display* const keepServer = XOpenDisplay(nullptr);
    if (keepServer == nullptr)
        return nullptr;
    return Platform::Window::Display::Open(loop);
}

// Runs the loop until pred holds; false when it did not within a generous deadline.
template <typename Pred>
bool PumpUntil(Platform::Window::MessageLoop& loop, Pred pred)
{
    using namespace std::chrono_literals;
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!pred())
    {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        (void)loop.DispatchOnce(20ms);
    }
    return true;
}

// A window's pixels as 0xRRGGBB, read back from the server.
struct Screenshot
{
    int Width = 0;
    int Height = 0;
    std::vector<uint32_t> Pixels; // row by row

    [[nodiscard]] uint32_t At(int x, int y) const { return Pixels[static_cast<size_t>(y * Width + x)]; }

    // Saved as a PNG test artifact in the folder "artifacts" beside the test program.
    [[nodiscard]] bool Save(const std::string& name) const
    {
        return SavePngArtifact(Pixels, Width, Height, name);
    }
};

// The top-left width x height pixels of the window, once the server has drawn what was sent; empty when
// they cannot be read.
inline Screenshot TakeScreenshot(::Display* display, ::Window window, int width, int height)
{
    XSync(display, False);
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (image == nullptr)
        return {};
    Screenshot shot{width, height, {}};
    shot.Pixels.reserve(static_cast<size_t>(width * height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            shot.Pixels.push_back(static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF);
    XDestroyImage(image);
    return shot;
}

// The shown top-level windows that name owner in their WM_TRANSIENT_FOR, bottom to top.
inline std::vector<::Window> TransientsOf(::Display* display, ::Window owner)
{
    std::vector<::Window> found;
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return found;
    for (unsigned i = 0; i < count; ++i)
    {
        ::Window transientFor = 0;
        XWindowAttributes attributes{};
        if (XGetTransientForHint(display, children[i], &transientFor) && transientFor == owner &&
            XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable)
            found.push_back(children[i]);
    }
    XFree(children);
    return found;
}

// Answers the first request for a selection the connection owns with the text, waiting up to a generous
// deadline. Runs on a thread of its own while the program under test reads the selection.
inline void ServeOneSelectionRequest(::Display* display, const std::string& text)
{
    using namespace std::chrono_literals;
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline)
    {
        if (XPending(display) == 0)
        {
            pollfd fd{ConnectionNumber(display), POLLIN, 0};
            ::poll(&fd, 1, 50);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != SelectionRequest)
            continue;
        const XSelectionRequestEvent& request = event.xselectionrequest;
        XChangeProperty(display, request.requestor, request.property, request.target, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
        XEvent reply{};
        reply.xselection.type = SelectionNotify;
        reply.xselection.requestor = request.requestor;
        reply.xselection.selection = request.selection;
        reply.xselection.target = request.target;
        reply.xselection.property = request.property;
        reply.xselection.time = request.time;
        XSendEvent(display, request.requestor, False, NoEventMask, &reply);
        XFlush(display);
        return;
    }
}
} // namespace TestSupport
