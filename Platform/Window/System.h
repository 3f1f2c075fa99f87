#pragma once

#include "Platform/Window/Display.h"
#include "Platform/Window/Messages.h"

#include <cstdint>
#include <span>
#include <string>

// The system services the framework asks for, as the original's calls answer them. Each asks the open
// display (Display::Current) and answers plainly without one: no cursor, the pointer at 0,0, every key and
// button up, an empty work area. UI thread only.
namespace Platform::Window
{
// The original's standard cursor ids; each maps to a shape of the X cursor font.
inline constexpr uint32_t kIdcArrow = 32512;
inline constexpr uint32_t kIdcIBeam = 32513;
inline constexpr uint32_t kIdcWait = 32514;
inline constexpr uint32_t kIdcCross = 32515;
inline constexpr uint32_t kIdcSizeNwse = 32642;
inline constexpr uint32_t kIdcSizeNesw = 32643;
inline constexpr uint32_t kIdcSizeWe = 32644;
inline constexpr uint32_t kIdcSizeNs = 32645;
inline constexpr uint32_t kIdcSizeAll = 32646;
inline constexpr uint32_t kIdcNo = 32648;
inline constexpr uint32_t kIdcHand = 32649;

// The cursor for a standard id (an unknown id gives the arrow); 0 without a display.
[[nodiscard]] CursorHandle LoadStandardCursor(uint32_t id);
// A cursor from rows of 0xAARRGGBB pixels; 0 without a display.
[[nodiscard]] CursorHandle CreateCursorFromImage(int32_t width, int32_t height, Point hotSpot,
                                                 std::span<const uint32_t> pixels);
// Makes the cursor the one current cursor of every window; returns the one before.
CursorHandle SetCursor(CursorHandle cursor);
void ShowCursor(bool show);
// The pointer in screen coordinates.
[[nodiscard]] Point GetCursorPos();
void SetCursorPos(Point point);
// MK_LBUTTON, MK_MBUTTON, MK_RBUTTON of the buttons held.
[[nodiscard]] uint32_t GetMouseButtons();
// Whether a key (generic or sided virtual key, or a mouse button's) is held.
[[nodiscard]] bool IsKeyDown(uint8_t virtualKey);
// Whether a lock key (Caps, Num or Scroll Lock) is on; false for any other key.
[[nodiscard]] bool IsKeyToggled(uint8_t virtualKey);
// _NET_WORKAREA of the root window, else the whole screen.
[[nodiscard]] Rect GetWorkArea();
[[nodiscard]] int32_t GetDoubleClickTime();
// The width and height of the rectangle a second click must fall in.
[[nodiscard]] Point GetDoubleClickSize();

struct FontSpec
{
    std::u16string face;
    int32_t height = 0;
};
// The font of icon titles, which the framework's default fonts follow.
[[nodiscard]] FontSpec GetIconTitleFont();
} // namespace Platform::Window
