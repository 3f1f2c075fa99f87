#pragma once

#include "Platform/Gdiplus/Types.h"

#include <cairo.h>
#include <functional>

// How a graphics reaches a native window. Platform/Window installs a provider at start-up that makes a cairo
// surface drawing onto the window's X drawable (cairo-xlib); tests may give image surfaces instead. Only the
// thread that owns the display makes window graphics. Deleting the graphics flushes cairo's drawing to the
// X connection; flushing that connection is the window layer's.
namespace Platform::Gdiplus
{
struct WindowSurface
{
    // A new reference, which the graphics releases when it is deleted; null for a window the provider does
    // not know.
    cairo_surface_t* surface = nullptr;
    float dpiX = 96;
    float dpiY = 96;
};

using WindowSurfaceProvider = std::function<WindowSurface(WindowHandle window)>;

// Installs the provider (an empty one removes it). Graphics::FromWindow with a window other than 0 asks it.
void SetWindowSurfaceProvider(WindowSurfaceProvider provider);

// The provider's surface for the window; an empty WindowSurface without a provider.
[[nodiscard]] WindowSurface ProvideWindowSurface(WindowHandle window);
} // namespace Platform::Gdiplus
