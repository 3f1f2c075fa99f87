#include "Platform/Clock/Clock.h"
#include "Platform/Gdiplus/Brush.h"
#include "Platform/Gdiplus/Graphics.h"
#include "Platform/Window/CopyData.h"
#include "Platform/Window/Display.h"
#include "Platform/Window/Keys.h"
#include "Platform/Window/MessageLoop.h"
#include "Platform/Window/System.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace
{
// Paints a blue window with a red rectangle through the GDI+ stand-in, which reaches the window through the
// surface the display provides. (Defined before Xlib, whose Status macro would hide the stand-in's.)
bool PaintThroughGdiplus(Platform::Window::WindowHandle window)
{
    namespace Gdiplus = Platform::Gdiplus;
    const auto graphics = Gdiplus::Graphics::FromWindow(static_cast<Gdiplus::WindowHandle>(window));
    if (graphics == nullptr || graphics->Clear(0xFF2040A0) != Gdiplus::Status::Ok)
        return false;
    const auto red = Gdiplus::Brush::Solid(0xFFFF0000);
    const bool filled = graphics->FillRectangle(red.get(), {20, 20, 60, 40}) == Gdiplus::Status::Ok;
    return graphics->Flush() == Gdiplus::Status::Ok && filled;
}
} // namespace

// Xlib after GoogleTest, whose headers its None macro would break.
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
// clang-format on
#include "Support/X11TestSupport.h"

namespace
{
using namespace Platform::Window;
using namespace std::chrono_literals;

constexpr Rect kWindowRect{100, 100, 300, 250};

// One shown, focused window on the display, recording its messages. No window manager is assumed.
class WindowDisplayX11 : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mDisplay = TestSupport::OpenDisplay(mLoop);
        if (!mDisplay)
            GTEST_SKIP() << "no X display";
        mX = static_cast<::Display*>(mDisplay->NativeDisplay());
        mWindow = mDisplay->CreateWindow({"ZQWindowTest", u"Window test", kWindowRect},
                                         [this](const Message& m)
                                         {
                                             mReceived.push_back(m);
                                             if (mOnMessage)
                                                 mOnMessage(m);
                                             return LResult{0};
                                         });
        mDisplay->ShowWindow(mWindow, kSwShowNormal);
        ASSERT_TRUE(Pump([&] { return mDisplay->IsOnScreen(mWindow); }));
        mDisplay->SetFocus(mWindow);
        ASSERT_TRUE(Pump([&] { return mDisplay->IsActive(mWindow); }));
    }

    void TearDown() override
    {
        Platform::SetClock(nullptr);
        if (mDisplay)
            mDisplay->DestroyWindow(mWindow);
    }

    // Runs the loop until pred holds; false when it did not within a generous deadline.
    template <typename Pred>
    bool Pump(Pred pred)
    {
        return TestSupport::PumpUntil(mLoop, pred);
    }

    const Message* Find(uint32_t message, size_t from = 0) const
    {
        for (size_t i = from; i < mReceived.size(); ++i)
            if (mReceived[i].message == message)
                return &mReceived[i];
        return nullptr;
    }

    void FakeButton(unsigned button)
    {
        XTestFakeButtonEvent(mX, button, True, 0);
        XTestFakeButtonEvent(mX, button, False, 0);
        XFlush(mX);
    }

    void FakeKey(KeySym keysym, bool down)
    {
        XTestFakeKeyEvent(mX, XKeysymToKeycode(mX, keysym), down ? True : False, 0);
        XFlush(mX);
    }

    MessageLoop mLoop;
    std::unique_ptr<Platform::Window::Display> mDisplay;
    ::Display* mX = nullptr;
    WindowHandle mWindow = 0;
    std::vector<Message> mReceived;
    std::function<void(const Message&)> mOnMessage;
};

TEST_F(WindowDisplayX11, FocusedWindowIsActiveAndClientEqualsWindowRectangle)
{
    EXPECT_TRUE(Find(kWmSetFocus));
    EXPECT_EQ(mDisplay->GetClientRect(mWindow), (Rect{0, 0, 200, 150}));
    EXPECT_EQ(mDisplay->GetWindowRect(mWindow), kWindowRect);
    EXPECT_EQ(FindTopLevelWindow("ZQWindowTest"), mWindow);
    EXPECT_EQ(GetWorkArea(), (Rect{0, 0, 1280, 1024}));
}

TEST_F(WindowDisplayX11, ClicksAndADoubleClickBecomeButtonMessages)
{
    // The double click is judged on the manual clock, which does not move between the two clicks.
    Platform::ManualClock clock;
    Platform::SetClock(&clock);
    XTestFakeMotionEvent(mX, -1, 150, 160, 0);
    FakeButton(1);
    FakeButton(1);
    ASSERT_TRUE(Pump([&] { return Find(kWmLButtonDblClk) && Find(kWmLButtonUp, mReceived.size() - 1); }));
    std::vector<uint32_t> buttons;
    for (const auto& m : mReceived)
        if (m.message >= kWmLButtonDown && m.message <= kWmLButtonDblClk)
            buttons.push_back(m.message);
    EXPECT_EQ(buttons, (std::vector<uint32_t>{kWmLButtonDown, kWmLButtonUp, kWmLButtonDblClk, kWmLButtonUp}));
    const Message* down = Find(kWmLButtonDown);
    EXPECT_EQ(PointFromParam(down->lParam), (Point{50, 60}));
    EXPECT_EQ(down->wParam, kMkLButton);
}

TEST_F(WindowDisplayX11, KeyWithRightShiftKnowsItsSide)
{
    bool rightShiftHeldAtA = false;
    mOnMessage = [&](const Message& m)
    {
        if (m.message == kWmKeyDown && m.wParam == 'A')
            rightShiftHeldAtA = IsKeyDown(kVkRShift) && !IsKeyDown(kVkLShift);
    };
    FakeKey(XK_Shift_R, true);
    FakeKey(XK_a, true);
    FakeKey(XK_a, false);
    FakeKey(XK_Shift_R, false);
    ASSERT_TRUE(Pump(
        [&]
        {
            return !mReceived.empty() && mReceived.back().message == kWmKeyUp &&
                   mReceived.back().wParam == kVkShift;
        }));
    EXPECT_TRUE(rightShiftHeldAtA);
    const Message* typed = Find(kWmChar);
    ASSERT_NE(typed, nullptr);
    EXPECT_EQ(typed->wParam, u'A');
    EXPECT_FALSE(IsKeyDown(kVkShift));
}

TEST_F(WindowDisplayX11, WheelButtonsGiveWheelMessagesAtScreenPositions)
{
    XTestFakeMotionEvent(mX, -1, 120, 130, 0);
    FakeButton(5);
    FakeButton(7);
    ASSERT_TRUE(Pump([&] { return Find(kWmMouseHWheel) != nullptr; }));
    const Message* vertical = Find(kWmMouseWheel);
    ASSERT_NE(vertical, nullptr);
    EXPECT_EQ(static_cast<int16_t>(vertical->wParam >> 16), -120);
    EXPECT_EQ(PointFromParam(vertical->lParam), (Point{120, 130}));
    EXPECT_EQ(static_cast<int16_t>(Find(kWmMouseHWheel)->wParam >> 16), 120);
}

TEST_F(WindowDisplayX11, CloseFromTheWindowManagerIsSysCommandClose)
{
    ::Display* other = XOpenDisplay(nullptr);
    ASSERT_NE(other, nullptr);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = mWindow;
    event.xclient.message_type = XInternAtom(other, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(other, "WM_DELETE_WINDOW", False));
    XSendEvent(other, mWindow, False, NoEventMask, &event);
    XCloseDisplay(other);
    ASSERT_TRUE(Pump([&] { return Find(kWmSysCommand) != nullptr; }));
    EXPECT_EQ(Find(kWmSysCommand)->wParam, kScClose);
    EXPECT_TRUE(mLoop.IsWindow(mWindow)) << "closing is the program's decision";
}

TEST_F(WindowDisplayX11, CopyDataFromASecondProcessArrivesWithoutATerminator)
{
    std::string text;
    uintptr_t id = 0;
    mOnMessage = [&](const Message& m)
    {
        if (m.message != kWmCopyData)
            return;
        const auto* data = reinterpret_cast<const CopyData*>(m.lParam);
        id = data->id;
        text = CopyDataText(data->bytes);
    };
    const pid_t child = ::fork();
    if (child == 0)
    {
        const uint8_t bytes[] = {'-', 'x', '=', '1'};
        const WindowHandle target = FindTopLevelWindow("ZQWindowTest");
        ::_exit(target != 0 && SendCopyData(target, 0x465, bytes, 10s) ? 0 : 1);
    }
    int status = -1;
    ASSERT_TRUE(Pump([&] { return ::waitpid(child, &status, WNOHANG) == child; }));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "acknowledged";
    EXPECT_EQ(id, 0x465u);
    EXPECT_EQ(text, "-x=1");
}

TEST_F(WindowDisplayX11, PaintedWindowIsKeptAsAScreenshot)
{
    bool painted = false;
    mOnMessage = [&](const Message& m)
    {
        if (m.message != kWmPaint)
            return;
        EXPECT_TRUE(PaintThroughGdiplus(mWindow));
        painted = true;
    };
    mLoop.InvalidateRect(mWindow, mDisplay->GetClientRect(mWindow));
    ASSERT_TRUE(Pump([&] { return painted; }));
    const TestSupport::Screenshot shot = TestSupport::TakeScreenshot(mX, mWindow, 200, 150);
    ASSERT_EQ(shot.Pixels.size(), 200u * 150u);
    EXPECT_EQ(shot.At(30, 30), 0xFF0000u);
    EXPECT_EQ(shot.At(150, 100), 0x2040A0u);
    EXPECT_TRUE(shot.Save("WindowPainted.png"));
}
} // namespace

namespace
{
// Reads the text a SelectionNotify left in the requestor's property.
std::string PropertyText(::Display* display, ::Window window, Atom property)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string text;
    if (XGetWindowProperty(display, window, property, 0, 1024, True, AnyPropertyType, &type, &format, &count,
                           &after, &data) == Success &&
        data != nullptr)
        text.assign(reinterpret_cast<const char*>(data), count);
    if (data != nullptr)
        XFree(data);
    return text;
}

TEST_F(WindowDisplayX11, ClipboardRoundTripWithASecondConnectionWhoseTakingEmptiesOurs)
{
    const uint32_t start = mDisplay->ClipboardSequenceNumber();
    ASSERT_TRUE(mDisplay->SetClipboard(mWindow, "Splen \xC3\xBC"));
    EXPECT_EQ(mDisplay->ClipboardSequenceNumber(), start + 1);
    EXPECT_EQ(mDisplay->GetClipboardText(1s), "Splen \xC3\xBC");

    ::Display* other = XOpenDisplay(nullptr);
    ASSERT_NE(other, nullptr);
    const ::Window reader = XCreateSimpleWindow(other, DefaultRootWindow(other), 0, 0, 1, 1, 0, 0, 0);
    const Atom clipboard = XInternAtom(other, "CLIPBOARD", False);
    const Atom utf8 = XInternAtom(other, "UTF8_STRING", False);
    const Atom property = XInternAtom(other, "ZQ_TEST_PROPERTY", False);
    XConvertSelection(other, clipboard, utf8, property, reader, CurrentTime);
    XFlush(other);
    XEvent notify;
    ASSERT_TRUE(
        Pump([&] { return XCheckTypedWindowEvent(other, reader, SelectionNotify, &notify) != False; }));
    EXPECT_EQ(PropertyText(other, reader, property), "Splen \xC3\xBC");

    XSetSelectionOwner(other, clipboard, reader, CurrentTime);
    XFlush(other);
    ASSERT_TRUE(Pump([&] { return Find(kWmDestroyClipboard) != nullptr; }));
    EXPECT_FALSE(mDisplay->OwnsClipboard());
    EXPECT_GT(mDisplay->ClipboardSequenceNumber(), start + 1);
    {
        std::jthread owner([other]
                           { TestSupport::ServeOneSelectionRequest(other, "from the other client"); });
        EXPECT_EQ(mDisplay->GetClipboardText(10s), "from the other client");
    }
    XCloseDisplay(other);
}
} // namespace

namespace
{
TEST_F(WindowDisplayX11, PlacementIsKeptAcrossASaveAndARestore)
{
    char root[] = "/tmp/zq-registry-test-XXXXXX";
    ASSERT_NE(::mkdtemp(root), nullptr);
    ::setenv("ZQ_REGISTRY_ROOT", root, 1);

    const Rect moved{200, 150, 520, 390};
    mDisplay->MoveWindow(mWindow, moved);
    ASSERT_TRUE(Pump([&] { return mDisplay->GetClientRect(mWindow) == Rect{0, 0, 320, 240}; }));
    const WindowPlacement placement = mDisplay->GetPlacement(mWindow);
    EXPECT_EQ(placement.showCommand, static_cast<uint32_t>(kSwShowNormal));
    EXPECT_EQ(placement.normalPosition, moved);
    ASSERT_TRUE(SavePlacement(u"ZQWindowTest", placement));

    const WindowHandle next = mDisplay->CreateWindow({"ZQWindowTest2", u"Next run", kWindowRect},
                                                     [](const Message&) { return LResult{0}; });
    const auto loaded = LoadPlacement(u"ZQWindowTest");
    ASSERT_TRUE(loaded);
    mDisplay->SetPlacement(next, *loaded);
    ASSERT_TRUE(Pump([&] { return mDisplay->IsOnScreen(next) && mDisplay->GetWindowRect(next) == moved; }));
    mDisplay->DestroyWindow(next);

    ::unsetenv("ZQ_REGISTRY_ROOT");
    std::filesystem::remove_all(root);
}
} // namespace

namespace
{
TEST_F(WindowDisplayX11, ASizeOutsideTheLimitsIsResizedBack)
{
    mDisplay->SetSizeLimits(mWindow, 150, 100, 400, 300);
    mDisplay->MoveWindow(mWindow, {100, 100, 200, 150});
    ASSERT_TRUE(
        Pump([&] { return Find(kWmSize) != nullptr && mDisplay->GetClientRect(mWindow).Width() == 150; }));
    mDisplay->MoveWindow(mWindow, {100, 100, 700, 600});
    ASSERT_TRUE(Pump([&] { return mDisplay->GetClientRect(mWindow) == Rect{0, 0, 400, 300}; }));
}
} // namespace
