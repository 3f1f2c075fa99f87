#pragma once

#include "Platform/Window/Messages.h"
#include "ZQFramework/Application/Framework/Forward.h"
#include "ZQFramework/ControlBase/Forward.h"
#include "ZQFramework/ObjectBase/Result.h"

#include <cstdint>
#include <string_view>

namespace Platform::Window
{
struct WindowDesc;
} // namespace Platform::Window

// The main window of a program: the native window that carries the first root window, made from the
// skin's descriptor of the main control. Its class is the program's identity (the single-instance check
// finds it by that name), its title the company name, its client area the descriptor's absolute position
// and size, and a window that the layout does not let grow or shrink is fixed to that size. The placement
// the window kept when it last closed is restored, cut to the desktop and moved back onto it.
namespace ZQ
{
// The styles of a main window, by what its layout allows.
inline constexpr uint32_t kFixedMainWindowStyle = 0x00CA0000;       // caption, system menu, minimise box
inline constexpr uint32_t kSizableMainWindowStyle = 0x00CE0000;     // and a sizing frame
inline constexpr uint32_t kMaximizableMainWindowStyle = 0x00CF0000; // and a maximise box
inline constexpr uint32_t kSizingFrameStyle = 0x00040000;

// The style for a main control's layout: fixed when its minimum and maximum sizes agree (and some
// minimum is set), or when every limit refers to another control; sizable otherwise, and maximizable
// when both maximum sizes are 0 and the control's own.
[[nodiscard]] uint32_t MainWindowStyle(const LLayoutDescriptor& layout);
// The size limits a style gives a client area of width x height: a window without sizing frame keeps
// exactly that size; a sizable one has no limits of its own (the root control's layout limits it).
void ApplyStyleLimits(uint32_t style, int32_t width, int32_t height, Platform::Window::WindowDesc& desc);

// A restored window rectangle cut to the desktop's size, keeping its left and top edges.
[[nodiscard]] Platform::Window::Rect CutToDesktop(const Platform::Window::Rect& rect,
                                                  const Platform::Window::Rect& desktop);
// A window rectangle moved back onto the desktop with its size kept: a left or top edge before 0 goes to
// 0; a right or bottom edge beyond the desktop's meets it (at the window's own size when the desktop is
// smaller).
[[nodiscard]] Platform::Window::Rect MoveOntoDesktop(const Platform::Window::Rect& rect,
                                                     const Platform::Window::Rect& desktop);

// Makes the main window (hidden) for the application's main control: the descriptor's style, title,
// rectangle and the program's icon. Null without a display (a main window needs one) or when the window
// cannot be made. Throws Exception<std::runtime_error> when the current skin has no descriptor of the
// main control's name. identity is the application's identity text.
[[nodiscard]] OSWindow* CreateMainOSWindow(LFrameworkApp& application, std::u16string_view identity);
// The rest of the main window once the application knows it: the renderer of the type (whose root
// window registers with the application), then the saved placement under the identity, restored, cut to
// the desktop, fitted to the root control and moved onto the desktop. The renderer set-up's result.
ZQRESULT FinishMainWindow(OSWindow& window, int32_t rendererType, std::u16string_view identity);
// Gives the window the program's icon, the "ICON" resource "128" (a PNG); nothing without one.
void SetApplicationIcon(Platform::Window::WindowHandle window);
} // namespace ZQ
