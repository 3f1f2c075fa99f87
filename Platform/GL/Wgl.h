#pragma once

#include "Platform/GL/Forward.h"

#include <cstdint>
#include <string>
#include <string_view>

// OpenGL contexts on native windows, in the shape the framework's OpenGL renderer expects of the
// original platform (pixel formats, contexts, make current, swap, the extension list), over GLX on the
// program's X display (Platform/Window's Display::Current). OpenGL and GLU themselves are Mesa's and are
// called directly.
//
// Pixel formats are the display's GLX frame-buffer configurations that can draw to windows in RGBA,
// numbered from 1 in the server's order. A window's format is the configuration its context draws with;
// it must have the window's visual. A format keeps the back buffer over a swap when its configuration
// offers the copy swap method (GLX_OML_swap_method); the other formats leave the back buffer undefined.
//
// UI thread only, the thread that owns the display. Without a display every call fails (0, false or an
// empty text). Failures leave an error code and text for LastError.
namespace Platform::GL
{
// Descriptor flags, as the original numbers them.
inline constexpr uint32_t kPfdDoubleBuffer = 0x1;
inline constexpr uint32_t kPfdDrawToWindow = 0x4;
inline constexpr uint32_t kPfdSupportOpenGL = 0x20;
inline constexpr uint32_t kPfdGenericFormat = 0x40;
inline constexpr uint32_t kPfdSwapCopy = 0x400;
inline constexpr uint32_t kPfdSupportComposition = 0x8000;
inline constexpr uint8_t kPfdTypeRgba = 0;

struct PixelFormatDescriptor
{
    uint16_t size = 40;
    uint16_t version = 1;
    uint32_t flags = 0;
    uint8_t pixelType = kPfdTypeRgba;
    uint8_t colorBits = 0;
    uint8_t redBits = 0;
    uint8_t greenBits = 0;
    uint8_t blueBits = 0;
    uint8_t alphaBits = 0;
    uint8_t depthBits = 0;
    uint8_t stencilBits = 0;
};

// The format that best matches the request for the window: RGBA, drawing to the window's visual, double
// buffered when asked, 8 bits per channel preferred (alpha too), swap-copy preferred when asked; 0 when
// none fits or the window is unknown.
[[nodiscard]] int32_t ChoosePixelFormat(WindowHandle window, const PixelFormatDescriptor& request);
// The first double-buffered RGBA format of the window's visual whose swap keeps the back buffer; 0 when
// the display offers none.
[[nodiscard]] int32_t ChooseSwapCopyPixelFormat(WindowHandle window);
// Makes the format the window's; false for an unknown format or window, or a format of another visual.
bool SetPixelFormat(WindowHandle window, int32_t format);
// The window's format, 0 when none was set.
[[nodiscard]] int32_t GetPixelFormat(WindowHandle window);
// Describes a format; false for one the display does not have.
bool DescribePixelFormat(int32_t format, PixelFormatDescriptor& descriptor);

// A context for the window's format; 0 when the window has no format or GLX refuses.
[[nodiscard]] ContextHandle CreateContext(WindowHandle window);
void DeleteContext(ContextHandle context);
// Makes the context current on the window; MakeCurrent(0, 0) releases the current one. False when GLX
// refuses (a window of another format) or the window is gone.
bool MakeCurrent(WindowHandle window, ContextHandle context);
// Shows the back buffer of a double-buffered window; false for an unknown window.
bool SwapBuffers(WindowHandle window);

// The display's GLX extensions, blank-separated; empty without a display.
[[nodiscard]] std::string GetExtensionsString();
// Whether name occurs in the list as a whole blank-separated word; an empty name or one with a blank is
// never found.
[[nodiscard]] bool HasExtension(std::string_view list, std::string_view name);

// A hidden 1 x 1 window of the display's default visual; 0 without a display.
[[nodiscard]] WindowHandle CreateDummyWindow();
void DestroyDummyWindow(WindowHandle window);

struct Error
{
    int32_t code = 0;
    std::u16string text;
};
// The code and text of the last failure on this thread.
[[nodiscard]] Error LastError();
} // namespace Platform::GL
