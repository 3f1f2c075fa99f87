#pragma once

#include "Platform/Window/Messages.h"
#include "ZQFramework/Application/Framework/Forward.h"
#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/ControlBase/Forward.h"
#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/Result.h"
#include "ZQFramework/Utilities/Graphics/Rect.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>
#include <functional>
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
class IWindowOSServices;

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

// --- Further root windows ---

// The styles of a further root window: a pop-up with a caption, a system menu when any of the three is
// asked, the boxes asked for, and a sizing frame when resizable.
inline constexpr uint32_t kPopupCaptionStyle = 0x80C00000;
inline constexpr uint32_t kPopupSystemMenuStyle = 0x80C80000;
inline constexpr uint32_t kMaximizeBoxStyle = 0x00010000;
inline constexpr uint32_t kMinimizeBoxStyle = 0x00020000;
[[nodiscard]] uint32_t RootWindowStyle(bool systemMenu, bool minimizeBox, bool maximizeBox, bool resizable);
// A window rectangle shifted into the work area: right or down when its left or top edge lies before the
// area's, left or up when its right or bottom edge lies beyond the area's (x + width, y + height). An empty
// work area (no display) moves nothing.
[[nodiscard]] Platform::Window::Rect MoveIntoWorkArea(const Platform::Window::Rect& rect,
                                                      const RectT<int32_t>& workArea);

// What a further root window is made for: a control that exists (its own label, rectangle and descriptor,
// the renderer of the active root window), or with byName the skin's descriptor of a name (its "LABEL",
// its absolute rectangle, a renderer of its own), and which frame it gets. A modal window has the active
// root window's native window as its parent.
struct RootWindowRequest
{
    RCPtr<LControl> Control;
    bool Modeless = true;
    bool SystemMenu = false;
    bool MinimizeBox = false;
    bool MaximizeBox = false;
    bool ByName = false;
    WString Name;
};
// Makes the native window and its root window for the request: the index of the new root window, or
// E_FAIL when the window cannot be made or no root window exists to place a control's window by. With
// byName the window becomes the main window (told through setMainWindow) and is shown. Throws
// Exception<std::runtime_error> when the descriptor is missing.
[[nodiscard]] int32_t
CreateFrameworkRootWindow(LFrameworkApp& application, const RootWindowRequest& request,
                          const std::function<void(Platform::Window::WindowHandle)>& setMainWindow);
// The native window of a root window made by CreateFrameworkRootWindow, by its index; null for none.
[[nodiscard]] IWindowOSServices* GetRootWindowServices(const LFrameworkApp& application, int32_t index);
} // namespace ZQ
