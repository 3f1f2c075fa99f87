#include "Platform/Window/Display.h"
#include "Platform/Window/MessageLoop.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <vector>

// Xlib after GoogleTest, whose headers its None macro would break.
// clang-format off
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
// clang-format on
#include "Support/X11TestSupport.h"

namespace
{
using namespace Platform::Window;

// Two shown windows, the second one focused; each records its messages. No window manager is assumed.
class WindowFocusX11 : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mDisplay = TestSupport::OpenDisplay(mLoop);
        if (!mDisplay)
            GTEST_SKIP() << "no X display";
        mX = static_cast<::Display*>(mDisplay->NativeDisplay());
        mFirst = Open("ZQFocusTestFirst", {100, 100, 300, 250}, mFirstReceived);
        mSecond = Open("ZQFocusTestSecond", {400, 100, 600, 250}, mSecondReceived);
        ASSERT_TRUE(TestSupport::PumpUntil(
            mLoop, [&] { return mDisplay->IsOnScreen(mFirst) && mDisplay->IsOnScreen(mSecond); }));
        mDisplay->SetFocus(mSecond);
        ASSERT_TRUE(TestSupport::PumpUntil(mLoop, [&] { return mDisplay->IsActive(mSecond); }));
    }

    void TearDown() override
    {
        if (mDisplay)
        {
            mDisplay->DestroyWindow(mFirst);
            mDisplay->DestroyWindow(mSecond);
        }
    }

    WindowHandle Open(const char* className, const Rect& rect, std::vector<uint32_t>& received)
    {
        const WindowHandle window =
            mDisplay->CreateWindow({className, u"Focus test", rect},
                                   [this, &received](const Message& m)
                                   {
                                       received.push_back(m.message);
                                       if (m.message == kWmLButtonDown && mOnFirstPress)
                                           mOnFirstPress(m);
                                       return LResult{0};
                                   });
        mDisplay->ShowWindow(window, kSwShowNormal);
        return window;
    }

    [[nodiscard]] static size_t Count(const std::vector<uint32_t>& received, uint32_t message)
    {
        return static_cast<size_t>(std::count(received.begin(), received.end(), message));
    }

    MessageLoop mLoop;
    std::unique_ptr<Platform::Window::Display> mDisplay;
    ::Display* mX = nullptr;
    WindowHandle mFirst = 0;
    WindowHandle mSecond = 0;
    std::vector<uint32_t> mFirstReceived;
    std::vector<uint32_t> mSecondReceived;
    std::function<void(const Message&)> mOnFirstPress;
};

// A press on a window that is not active activates it and is then handled as by an active window: the
// window is active as soon as it has asked for the focus, not only once the server has answered.
TEST_F(WindowFocusX11, APressThatFocusesItsWindowFindsItActiveAtOnce)
{
    std::optional<bool> activeAtPress;
    mOnFirstPress = [&](const Message& m)
    {
        mDisplay->SetFocus(m.window);
        activeAtPress = mDisplay->IsActive(m.window);
    };
    XTestFakeMotionEvent(mX, DefaultScreen(mX), 200, 175, 0);
    XTestFakeButtonEvent(mX, 1, True, 0);
    XTestFakeButtonEvent(mX, 1, False, 0);
    XFlush(mX);
    ASSERT_TRUE(TestSupport::PumpUntil(mLoop, [&] { return Count(mFirstReceived, kWmLButtonUp) == 1; }));
    EXPECT_EQ(activeAtPress, std::optional<bool>(true));
    EXPECT_FALSE(mDisplay->IsActive(mSecond));

    // The server's own focus events come after and change nothing: one focus gained, one lost.
    XSync(mX, False);
    const auto settled = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    while (std::chrono::steady_clock::now() < settled)
        (void)mLoop.DispatchOnce(std::chrono::milliseconds(20));
    EXPECT_TRUE(mDisplay->IsActive(mFirst));
    EXPECT_EQ(Count(mFirstReceived, kWmSetFocus), 1u);
    EXPECT_EQ(Count(mSecondReceived, kWmKillFocus), 1u);
}
} // namespace
