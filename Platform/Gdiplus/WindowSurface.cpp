#include "Platform/Gdiplus/WindowSurface.h"

#include <mutex>

namespace Platform::Gdiplus
{
namespace
{
std::mutex providerLock;
WindowSurfaceProvider provider; // guarded by providerLock
} // namespace

void SetWindowSurfaceProvider(WindowSurfaceProvider newProvider)
{
    const std::lock_guard guard(providerLock);
    provider = std::move(newProvider);
}

WindowSurface ProvideWindowSurface(WindowHandle window)
{
    WindowSurfaceProvider current;
    {
        const std::lock_guard guard(providerLock);
        current = provider;
    }
    return current ? current(window) : WindowSurface{};
}
} // namespace Platform::Gdiplus
