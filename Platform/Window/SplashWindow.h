#pragma once

#include "Platform/Window/Messages.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>

// The splash picture on screen: a borderless window on an X connection of its own, so that a thread other
// than the UI thread can own it (the UI thread's Display is that thread's alone). The picture is composed
// over opaque black and centred in the work area; a progress bar may be shown over its lower edge.
//
// Everything runs on the thread that opened it; the connection's fd is polled there and ProcessEvents
// repaints what the server asks for.
namespace Platform::Window
{
class SplashWindow
{
public:
    // Opens $DISPLAY and shows the picture (rows of straight 0xAARRGGBB pixels) without taking the focus;
    // null without a display or for a picture that is empty or does not match its size.
    [[nodiscard]] static std::unique_ptr<SplashWindow> Open(int32_t width, int32_t height,
                                                            std::span<const uint32_t> pixels);
    // Takes the window away and closes the connection.
    ~SplashWindow();
    SplashWindow(const SplashWindow&) = delete;
    SplashWindow& operator=(const SplashWindow&) = delete;

    // Shows the bar (from the first call on) filled to position, 0 to 100 (clamped): inset by a 25th of
    // the width on both sides, 16 pixels high, 20 pixels above the bottom edge.
    void SetProgress(int32_t position);
    // The connection's fd, readable when events are queued.
    [[nodiscard]] int ConnectionFd() const;
    // Waits up to timeout for events of the connection; whether some came.
    bool WaitForEvents(std::chrono::milliseconds timeout);
    // Handles the queued events.
    void ProcessEvents();
    // The window's rectangle on screen.
    [[nodiscard]] Rect GetRect() const;
    [[nodiscard]] WindowHandle GetHandle() const;

    struct Impl;

private:
    explicit SplashWindow(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> mImpl;
};

// The rectangle of a picture centred in an area: left = (area left + area right - width) / 2 rounded down
// (likewise top), its size the picture's.
[[nodiscard]] Rect CenteredRect(const Rect& area, int32_t width, int32_t height);
// The bar's rectangle inside a splash window of that size.
[[nodiscard]] Rect SplashBarRect(int32_t width, int32_t height);
} // namespace Platform::Window
