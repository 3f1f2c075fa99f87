#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <span>

// The window messages, with the numbers the framework above switches on, and the small types they carry.
// A window handle is the X window id of a native window, or a number of the loop's own for a window
// without X (a message-only window); 0 is no window.
namespace Platform::Window
{
using WindowHandle = uintptr_t;
using WParam = uintptr_t;
using LParam = intptr_t;
using LResult = intptr_t;

struct Message
{
    WindowHandle window = 0;
    uint32_t message = 0;
    WParam wParam = 0;
    LParam lParam = 0;
};

// Handles the messages of one window; its result answers a sent message.
using WindowProc = std::function<LResult(const Message&)>;

struct Point
{
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// Left, top, right, bottom, as the original's rectangles. Width and height are exact whenever they fit in
// 32 bits and stop at the 32-bit limits otherwise, whatever the corners.
struct Rect
{
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    [[nodiscard]] int32_t Width() const { return Span(left, right); }
    [[nodiscard]] int32_t Height() const { return Span(top, bottom); }
    [[nodiscard]] bool IsEmpty() const { return right <= left || bottom <= top; }
    friend bool operator==(const Rect&, const Rect&) = default;

private:
    [[nodiscard]] static constexpr int32_t Span(int32_t from, int32_t to)
    {
        const int64_t span = int64_t{to} - int64_t{from};
        return static_cast<int32_t>(std::clamp<int64_t>(span, INT32_MIN, INT32_MAX));
    }
};

// What WM_COPYDATA's lParam points to while the message is handled: the sender's identifier and bytes.
// The bytes are exactly what was sent; nothing promises a terminator.
struct CopyData
{
    uintptr_t id = 0;
    std::span<const uint8_t> bytes;
};

inline constexpr uint32_t kWmNull = 0x0000;
inline constexpr uint32_t kWmCreate = 0x0001;
inline constexpr uint32_t kWmDestroy = 0x0002;
inline constexpr uint32_t kWmMove = 0x0003;
inline constexpr uint32_t kWmSize = 0x0005;
inline constexpr uint32_t kWmActivate = 0x0006;
inline constexpr uint32_t kWmSetFocus = 0x0007;
inline constexpr uint32_t kWmKillFocus = 0x0008;
inline constexpr uint32_t kWmEnable = 0x000A;
inline constexpr uint32_t kWmPaint = 0x000F;
inline constexpr uint32_t kWmClose = 0x0010;
inline constexpr uint32_t kWmQuit = 0x0012;
inline constexpr uint32_t kWmShowWindow = 0x0018;
inline constexpr uint32_t kWmCopyData = 0x004A;
inline constexpr uint32_t kWmDisplayChange = 0x007E;
inline constexpr uint32_t kWmKeyDown = 0x0100;
inline constexpr uint32_t kWmKeyUp = 0x0101;
inline constexpr uint32_t kWmChar = 0x0102;
inline constexpr uint32_t kWmSysKeyDown = 0x0104;
inline constexpr uint32_t kWmSysKeyUp = 0x0105;
inline constexpr uint32_t kWmSysChar = 0x0106;
inline constexpr uint32_t kWmSysCommand = 0x0112;
inline constexpr uint32_t kWmTimer = 0x0113;
inline constexpr uint32_t kWmSysTimer = 0x0118;
inline constexpr uint32_t kWmEnterIdle = 0x0121;
inline constexpr uint32_t kWmMouseMove = 0x0200;
inline constexpr uint32_t kWmLButtonDown = 0x0201;
inline constexpr uint32_t kWmLButtonUp = 0x0202;
inline constexpr uint32_t kWmLButtonDblClk = 0x0203;
inline constexpr uint32_t kWmRButtonDown = 0x0204;
inline constexpr uint32_t kWmRButtonUp = 0x0205;
inline constexpr uint32_t kWmRButtonDblClk = 0x0206;
inline constexpr uint32_t kWmMButtonDown = 0x0207;
inline constexpr uint32_t kWmMButtonUp = 0x0208;
inline constexpr uint32_t kWmMButtonDblClk = 0x0209;
inline constexpr uint32_t kWmMouseWheel = 0x020A;
inline constexpr uint32_t kWmMouseHWheel = 0x020E;
inline constexpr uint32_t kWmSizing = 0x0214;
inline constexpr uint32_t kWmCaptureChanged = 0x0215;
inline constexpr uint32_t kWmPowerBroadcast = 0x0218;
inline constexpr uint32_t kWmRenderFormat = 0x0305;
inline constexpr uint32_t kWmRenderAllFormats = 0x0306;
inline constexpr uint32_t kWmDestroyClipboard = 0x0307;
inline constexpr uint32_t kWmKickIdle = 0x036A;

// WM_SYSCOMMAND commands, WM_SIZE kinds.
inline constexpr WParam kScClose = 0xF060;
inline constexpr WParam kSizeRestored = 0;
inline constexpr WParam kSizeMinimized = 1;
inline constexpr WParam kSizeMaximized = 2;

// The key and button word of mouse messages (wParam's low word).
inline constexpr uint32_t kMkLButton = 0x0001;
inline constexpr uint32_t kMkRButton = 0x0002;
inline constexpr uint32_t kMkShift = 0x0004;
inline constexpr uint32_t kMkControl = 0x0008;
inline constexpr uint32_t kMkMButton = 0x0010;

// One notch of a wheel.
inline constexpr int32_t kWheelDelta = 120;

// Show commands.
inline constexpr int32_t kSwHide = 0;
inline constexpr int32_t kSwShowNormal = 1;
inline constexpr int32_t kSwShowMinimized = 2;
inline constexpr int32_t kSwShowMaximized = 3;
inline constexpr int32_t kSwShowNoActivate = 4;
inline constexpr int32_t kSwShow = 5;
inline constexpr int32_t kSwMinimize = 6;
inline constexpr int32_t kSwRestore = 9;

// Mouse coordinates packed as the original packs them into lParam: x in the low, y in the high signed word.
[[nodiscard]] constexpr LParam MakePointParam(int32_t x, int32_t y)
{
    return static_cast<LParam>(static_cast<uint32_t>(static_cast<uint16_t>(x)) |
                               static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16);
}
[[nodiscard]] constexpr Point PointFromParam(LParam lParam)
{
    return {static_cast<int16_t>(lParam & 0xFFFF), static_cast<int16_t>((lParam >> 16) & 0xFFFF)};
}
[[nodiscard]] constexpr LParam MakeSizeParam(int32_t width, int32_t height)
{
    return MakePointParam(width, height);
}
} // namespace Platform::Window
