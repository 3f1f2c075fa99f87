#pragma once

#include <cstdint>

// Forward declarations of the GL context stand-in.
namespace Platform::GL
{
using WindowHandle = uintptr_t;
using ContextHandle = uintptr_t;
struct PixelFormatDescriptor;
} // namespace Platform::GL
