#include "FrameworkApp/TestApplication.h"
#include "Support/StringPrinting.h"

#include "Platform/Clock/Clock.h"
#include "Platform/Window/System.h"
#include "ZQFramework/Application/FormatErrorIdText.h"
#include "ZQFramework/Application/Framework/ApplicationServices.h"
#include "ZQFramework/ControlBase/Skin/StringTable.h"

#include <chrono>
#include <gtest/gtest.h>
#include <string>

namespace ZQ
{
namespace
{
using TestSupport::Utf8;
using ZQTest::TestApplication;

TEST(ApplicationServices, CursorNamesMapToTheSystemCursorsAndOthersToTheArrow)
{
    struct Case
    {
        const char16_t* Name;
        uint32_t Id;
    };
    const Case cases[] = {
        {u"UI_CURSOR_ARROW", Platform::Window::kIdcArrow},
        {u"UI_CURSOR_IBEAM", Platform::Window::kIdcIBeam},
        {u"UI_CURSOR_WAIT", Platform::Window::kIdcWait},
        {u"UI_CURSOR_UP_ARROW", 32516},
        {u"UI_CURSOR_SIZE_NS", Platform::Window::kIdcSizeNs},
        {u"UI_CURSOR_NO_DROP", Platform::Window::kIdcNo},
        {u"UI_CURSOR_HAND", Platform::Window::kIdcHand},
        {u"UI_CURSOR_HELP", 32651},
        {u"UI_CURSOR_DROP_MOVE", Platform::Window::kIdcArrow},
        {u"UI_CURSOR_MAG_PLUS", Platform::Window::kIdcArrow},
        // Whole texts only, in their own case.
        {u"UI_CURSOR_WAITING", Platform::Window::kIdcArrow},
        {u"ui_cursor_wait", Platform::Window::kIdcArrow},
        {u"", Platform::Window::kIdcArrow},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SystemCursorIdForName(c.Name), c.Id) << Utf8(c.Name);
}

TEST(ApplicationServices, FontHeightsBecomePointsAtNinetySixPixelsPerInch)
{
    EXPECT_FLOAT_EQ(PointsFromFontHeight(-12), 9.0f);
    EXPECT_FLOAT_EQ(PointsFromFontHeight(12), 9.0f);
    EXPECT_FLOAT_EQ(PointsFromFontHeight(-13), 9.75f);
    EXPECT_FLOAT_EQ(PointsFromFontHeight(0), 0.0f);

    const RCPtr<TestApplication> application = TestApplication::Create();
    WString name;
    float size = 0;
    int32_t style = -1;
    ASSERT_EQ(application->GetDefaultFont(name, size, style), 0);
    const Platform::Window::FontSpec system = Platform::Window::GetIconTitleFont();
    EXPECT_EQ(Utf8(name), Utf8(WString(system.face.c_str())));
    EXPECT_FLOAT_EQ(size, PointsFromFontHeight(system.height));
    EXPECT_EQ(style, 0);
}

// The application clock on a manual clock, starting at a given tick.
struct ClockScope
{
    explicit ClockScope(uint64_t startMilliseconds)
        : Clock(Platform::TimePoint(std::chrono::milliseconds(startMilliseconds)))
    {
        Platform::SetClock(&Clock);
    }
    ~ClockScope() { Platform::SetClock(nullptr); }
    ClockScope(const ClockScope&) = delete;
    ClockScope& operator=(const ClockScope&) = delete;

    Platform::ManualClock Clock;
};

TEST(ApplicationServices, ElapsedSecondsAccumulateAcrossTheTickWrap)
{
    for (const uint64_t start : {uint64_t{0}, (uint64_t{1} << 32) - 700})
    {
        ClockScope clock(start);
        const RCPtr<TestApplication> application = TestApplication::Create();
        clock.Clock.Advance(std::chrono::milliseconds(1500));
        const double first = application->GetElapsedSeconds();
        clock.Clock.Advance(std::chrono::milliseconds(1500));
        const double second = application->GetElapsedSeconds();

        EXPECT_DOUBLE_EQ(first, 1.5) << start;
        EXPECT_DOUBLE_EQ(second - first, 1.5) << start;
        EXPECT_EQ(application->GetMilliseconds(), static_cast<uint32_t>(start + 3000)) << start;
    }
}

TEST(ApplicationServices, ErrorIdTextComesFromTheFrameworkStringTable)
{
    const std::string english =
        "The application encountered problems during startup and will now close.  (Error code = 901)";
    struct Case
    {
        bool HasTable;
        LStringTable::Map Strings;
        std::string Text;
    };
    const Case cases[] = {
        {true, {{u"EXCEPTION_ID", u"Interner Fehler %d."}}, "Interner Fehler 901."},
        {false, {}, english},
        // A table without the entry formats the empty text.
        {true, {}, ""},
        // An entry the formatter refuses falls back to the English text instead of throwing.
        {true, {{u"EXCEPTION_ID", u"Fehler %s"}}, english},
    };
    for (const Case& c : cases)
    {
        const RCPtr<TestApplication> application =
            TestApplication::Create(nullptr, c.HasTable ? LStringTable::Create(c.Strings) : nullptr);
        EXPECT_EQ(Utf8(FormatErrorIdText(901)), c.Text);
    }
    // Without an application object.
    EXPECT_EQ(Utf8(FormatErrorIdText(901)), english);
}
} // namespace
} // namespace ZQ

// Xlib after GoogleTest, whose headers its None macro would break.
// clang-format off
#include <X11/Xlib.h>
#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
// clang-format on
#include "Support/X11TestSupport.h"

namespace ZQ
{
namespace
{
// Switches a lock key as a user would: Caps and Num Lock by a press and a release of the key. The usual
// keymaps give the Scroll Lock key no lock of its own, so its indicator is switched directly, as
// `xset led named "Scroll Lock"` does.
void SwitchLockKey(::Display* display, KeySym keysym)
{
    if (keysym == XK_Scroll_Lock)
    {
        const Atom indicator = XInternAtom(display, "Scroll Lock", False);
        Bool on = False;
        (void)XkbGetNamedIndicator(display, indicator, nullptr, &on, nullptr, nullptr);
        (void)XkbSetNamedIndicator(display, indicator, True, on ? False : True, False, nullptr);
    }
    else
    {
        const unsigned code = XKeysymToKeycode(display, keysym);
        XTestFakeKeyEvent(display, code, True, 0);
        XTestFakeKeyEvent(display, code, False, 0);
    }
    XSync(display, False);
}

TEST(ApplicationServicesX11, LockKeysReportWhetherTheyAreOn)
{
    Platform::Window::MessageLoop loop;
    const auto display = TestSupport::OpenDisplay(loop);
    if (!display)
        GTEST_SKIP() << "no X display";
    auto* x = static_cast<::Display*>(display->NativeDisplay());
    struct Case
    {
        uint32_t virtualKey;
        KeySym keysym;
    };
    const Case cases[] = {{0x14, XK_Caps_Lock}, {0x90, XK_Num_Lock}, {0x91, XK_Scroll_Lock}};
    for (const Case& c : cases)
    {
        const auto toggled = [&]
        {
            bool down = true;
            bool on = false;
            ReadSystemKeyState(c.virtualKey, down, on);
            EXPECT_FALSE(down) << c.virtualKey;
            return on;
        };
        // Switched twice, so the keyboard is left as it was.
        const bool before = toggled();
        SwitchLockKey(x, c.keysym);
        EXPECT_TRUE(TestSupport::PumpUntil(loop, [&] { return toggled() != before; })) << c.virtualKey;
        SwitchLockKey(x, c.keysym);
        EXPECT_TRUE(TestSupport::PumpUntil(loop, [&] { return toggled() == before; })) << c.virtualKey;
    }
    bool down = true;
    bool on = true;
    ReadSystemKeyState('A', down, on);
    EXPECT_FALSE(on) << "only lock keys are toggled";
}
} // namespace
} // namespace ZQ
