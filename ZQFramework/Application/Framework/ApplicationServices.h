#pragma once

#include "ZQFramework/Application/Framework/FrameworkApp.h"
#include "ZQFramework/ObjectBase/Result.h"
#include "ZQFramework/Utilities/Graphics/Rect.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>

// The platform's answers behind LApplicationBase<T>'s services, kept out of the template.
namespace ZQ
{
// The cursor names that controls ask the application for.
inline constexpr const char16_t* kCursorArrow = u"UI_CURSOR_ARROW";
inline constexpr const char16_t* kCursorIBeam = u"UI_CURSOR_IBEAM";
inline constexpr const char16_t* kCursorWait = u"UI_CURSOR_WAIT";
inline constexpr const char16_t* kCursorCross = u"UI_CURSOR_CROSS";
inline constexpr const char16_t* kCursorUpArrow = u"UI_CURSOR_UP_ARROW";
inline constexpr const char16_t* kCursorSizeAll = u"UI_CURSOR_SIZE_ALL";
inline constexpr const char16_t* kCursorSizeNwse = u"UI_CURSOR_SIZE_NWSE";
inline constexpr const char16_t* kCursorSizeNesw = u"UI_CURSOR_SIZE_NESW";
inline constexpr const char16_t* kCursorSizeWe = u"UI_CURSOR_SIZE_WE";
inline constexpr const char16_t* kCursorSizeNs = u"UI_CURSOR_SIZE_NS";
inline constexpr const char16_t* kCursorNoDrop = u"UI_CURSOR_NO_DROP";
inline constexpr const char16_t* kCursorHand = u"UI_CURSOR_HAND";
inline constexpr const char16_t* kCursorAppStarting = u"UI_CURSOR_APP_STARTING";
inline constexpr const char16_t* kCursorHelp = u"UI_CURSOR_HELP";
// Names an application may give cursors of its own; the system answers them with the arrow.
inline constexpr const char16_t* kCursorDropMove = u"UI_CURSOR_DROP_MOVE";
inline constexpr const char16_t* kCursorDropCopy = u"UI_CURSOR_DROP_COPY";
inline constexpr const char16_t* kCursorSplitH = u"UI_CURSOR_SPLIT_H";
inline constexpr const char16_t* kCursorSplitV = u"UI_CURSOR_SPLIT_V";
inline constexpr const char16_t* kCursorRotate = u"UI_CURSOR_ROTATE";
inline constexpr const char16_t* kCursorMag = u"UI_CURSOR_MAG";
inline constexpr const char16_t* kCursorMagPlus = u"UI_CURSOR_MAG_PLUS";
inline constexpr const char16_t* kCursorMagMinus = u"UI_CURSOR_MAG_MINUS";

// The system's standard cursor id for a cursor name, compared as a whole text; the arrow for any name
// that is not one of the system's.
[[nodiscard]] uint32_t SystemCursorIdForName(const WString& name);
// The system cursor for a name; 0 without a display.
[[nodiscard]] intptr_t LoadSystemCursor(const WString& name);

// A font height in pixels (negative for a character height) as a size in points at 96 pixels per inch.
[[nodiscard]] float PointsFromFontHeight(int32_t height);
// The icon-title font: face, size in points, no style bits. E_FAIL when the system gives no font.
ZQRESULT ReadSystemDefaultFont(WString& name, float& size, int32_t& style);
// The desktop's work area.
[[nodiscard]] RectT<int32_t> ReadSystemWorkArea();
// The system's local time now.
void ReadSystemLocalTime(LocalTime& time);
// Whether the key is held, and for a lock key (Caps, Num, Scroll Lock) whether it is on.
void ReadSystemKeyState(uint32_t virtualKey, bool& down, bool& toggled);

// Seconds accumulated from a 32-bit millisecond tick (the platform clock's). Each reading adds the signed
// difference to the tick of the reading before, so the count keeps growing across the tick's wrap as long
// as readings come less than 2^31 ms apart.
class ElapsedSecondsCounter
{
public:
    // Starts counting now.
    ElapsedSecondsCounter();
    [[nodiscard]] double Read();

private:
    uint32_t mTimeBase;
    double mSeconds = 0.0;
};

// The native window of the application's active root window, else of its first; 0 when there is none or
// it has no native window.
[[nodiscard]] uintptr_t FindMessageBoxOwner(const LFrameworkApp& application);
} // namespace ZQ
