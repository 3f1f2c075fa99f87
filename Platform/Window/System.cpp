#include "Platform/Window/System.h"

#include "Platform/Window/Mouse.h"

#include <X11/cursorfont.h>

namespace Platform::Window
{
namespace
{
uint32_t CursorFontShape(uint32_t id)
{
    switch (id)
    {
    case kIdcIBeam:
        return XC_xterm;
    case kIdcWait:
        return XC_watch;
    case kIdcCross:
        return XC_crosshair;
    case kIdcSizeNwse:
        return XC_bottom_right_corner;
    case kIdcSizeNesw:
        return XC_bottom_left_corner;
    case kIdcSizeWe:
        return XC_sb_h_double_arrow;
    case kIdcSizeNs:
        return XC_sb_v_double_arrow;
    case kIdcSizeAll:
        return XC_fleur;
    case kIdcNo:
        return XC_X_cursor;
    case kIdcHand:
        return XC_hand2;
    default:
        return XC_left_ptr;
    }
}
} // namespace

CursorHandle LoadStandardCursor(uint32_t id)
{
    Display* display = Display::Current();
    return display ? display->LoadStandardCursor(CursorFontShape(id)) : 0;
}

CursorHandle CreateCursorFromImage(int32_t width, int32_t height, Point hotSpot,
                                   std::span<const uint32_t> pixels)
{
    Display* display = Display::Current();
    return display ? display->CreateCursor(width, height, hotSpot, pixels) : 0;
}

CursorHandle SetCursor(CursorHandle cursor)
{
    Display* display = Display::Current();
    return display ? display->SetCursor(cursor) : 0;
}

void ShowCursor(bool show)
{
    if (Display* display = Display::Current())
        display->ShowCursor(show);
}

Point GetCursorPos()
{
    Display* display = Display::Current();
    return display ? display->GetCursorPos() : Point{};
}

void SetCursorPos(Point point)
{
    if (Display* display = Display::Current())
        display->SetCursorPos(point);
}

uint32_t GetMouseButtons()
{
    Display* display = Display::Current();
    return display ? display->GetMouseButtons() : 0;
}

bool IsKeyDown(uint8_t virtualKey)
{
    Display* display = Display::Current();
    return display != nullptr && display->IsKeyDown(virtualKey);
}

bool IsKeyToggled(uint8_t virtualKey)
{
    Display* display = Display::Current();
    return display != nullptr && display->IsKeyToggled(virtualKey);
}

Rect GetWorkArea()
{
    Display* display = Display::Current();
    return display ? display->GetWorkArea() : Rect{};
}

int32_t GetDoubleClickTime()
{
    return static_cast<int32_t>(kDoubleClickTime.count());
}

Point GetDoubleClickSize()
{
    return {kDoubleClickDistance, kDoubleClickDistance};
}

FontSpec GetIconTitleFont()
{
    return {u"Arial", -12};
}
} // namespace Platform::Window
