#include "ZQFramework/Application/Framework/ApplicationServices.h"

#include "Platform/Clock/Clock.h"
#include "Platform/Window/System.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/ControlBase/Windows/WindowOSServices.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace ZQ
{
namespace
{
// The original's ids of the system cursors the platform has no constant for; it answers an id it does not
// know with the arrow.
constexpr uint32_t kIdcUpArrow = 32516;
constexpr uint32_t kIdcAppStarting = 32650;
constexpr uint32_t kIdcHelp = 32651;

struct SystemCursor
{
    const char16_t* Name;
    uint32_t Id;
};

// In the order the names are tried.
constexpr SystemCursor kSystemCursors[] = {
    {kCursorArrow, Platform::Window::kIdcArrow},
    {kCursorIBeam, Platform::Window::kIdcIBeam},
    {kCursorWait, Platform::Window::kIdcWait},
    {kCursorCross, Platform::Window::kIdcCross},
    {kCursorUpArrow, kIdcUpArrow},
    {kCursorSizeAll, Platform::Window::kIdcSizeAll},
    {kCursorSizeNwse, Platform::Window::kIdcSizeNwse},
    {kCursorSizeNesw, Platform::Window::kIdcSizeNesw},
    {kCursorSizeWe, Platform::Window::kIdcSizeWe},
    {kCursorSizeNs, Platform::Window::kIdcSizeNs},
    {kCursorNoDrop, Platform::Window::kIdcNo},
    {kCursorHand, Platform::Window::kIdcHand},
    {kCursorAppStarting, kIdcAppStarting},
    {kCursorHelp, kIdcHelp},
};
} // namespace

uint32_t SystemCursorIdForName(const WString& name)
{
    for (const SystemCursor& cursor : kSystemCursors)
    {
        if (name == cursor.Name)
            return cursor.Id;
    }
    return Platform::Window::kIdcArrow;
}

intptr_t LoadSystemCursor(const WString& name)
{
    return static_cast<intptr_t>(Platform::Window::LoadStandardCursor(SystemCursorIdForName(name)));
}

float PointsFromFontHeight(int32_t height)
{
    return std::fabs(static_cast<float>(height)) * 72.0f / 96.0f;
}

ZQRESULT ReadSystemDefaultFont(WString& name, float& size, int32_t& style)
{
    name.Empty();
    size = 0;
    style = 0;
    const Platform::Window::FontSpec font = Platform::Window::GetIconTitleFont();
    if (font.face.empty())
        return E_FAIL;
    name = WString(font.face.c_str());
    size = PointsFromFontHeight(font.height);
    return 0;
}

RectT<int32_t> ReadSystemWorkArea()
{
    const Platform::Window::Rect area = Platform::Window::GetWorkArea();
    return {area.left, area.top, area.Width(), area.Height()};
}

void ReadSystemLocalTime(LocalTime& time)
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    (void)localtime_r(&seconds, &local);
    const auto sinceSecond = now - std::chrono::system_clock::from_time_t(seconds);
    time.Year = local.tm_year + 1900;
    time.Month = local.tm_mon + 1;
    time.DayOfWeek = local.tm_wday;
    time.Day = local.tm_mday;
    time.Hour = local.tm_hour;
    time.Minute = local.tm_min;
    time.Second = local.tm_sec;
    time.Millisecond = static_cast<int32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceSecond).count() % 1000);
}

void ReadSystemKeyState(uint32_t virtualKey, bool& down, bool& toggled)
{
    down = virtualKey <= 0xFF && Platform::Window::IsKeyDown(static_cast<uint8_t>(virtualKey));
    toggled = virtualKey <= 0xFF && Platform::Window::IsKeyToggled(static_cast<uint8_t>(virtualKey));
}

ElapsedSecondsCounter::ElapsedSecondsCounter() : mTimeBase(Platform::GetTickCount())
{
}

double ElapsedSecondsCounter::Read()
{
    const uint32_t now = Platform::GetTickCount();
    const auto delta = static_cast<int32_t>(now - mTimeBase);
    mTimeBase = now;
    mSeconds += delta / 1000.0;
    return mSeconds;
}

uintptr_t FindMessageBoxOwner(const LFrameworkApp& application)
{
    RCPtr<LRootWindow> owner = application.FindActiveRootWindow();
    if (owner == nullptr)
        owner = RCPtr<LRootWindow>(application.GetFirstRootWindow());
    if (owner == nullptr || owner->GetServices() == nullptr)
        return 0;
    return owner->GetServices()->GetNativeHandle();
}
} // namespace ZQ
