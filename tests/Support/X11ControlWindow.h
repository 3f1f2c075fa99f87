#pragma once

#include "Support/MeasurementRendererScope.h"
#include "Support/TempRegistry.h"

#include "Platform/Window/Display.h"
#include "Platform/Window/MessageLoop.h"
#include "ZQFramework/ControlBase/Windows/OSWindow.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Renderer/Renderer.h"

#include <memory>
#include <string>

// Xlib last: its macros (None, Status) break headers included after it.
// clang-format off
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
// clang-format on
#include "Support/X11TestSupport.h"

namespace TestSupport
{
// The base of the x11 tests of the control base and the controls: one shown, focused native window at a
// rectangle of the screen, painted by the GDI+ renderer, with its root window ready for a root control;
// real input through XTest at positions in the window, its renderer as the measuring one when asked, and its
// pixels read back. The registry is a temporary one: closing a main window writes its placement there.
//
// The window is made in SetUp, after the fixture's own members (its fake application first), and closed
// in TearDown, before they go. Keep windows small: cairo then sends the back buffer without shared memory,
// whose record of its last upload outlives the display and would be reported as a leak.
class X11ControlWindowTest : public TempRegistry
{
protected:
    X11ControlWindowTest(const Platform::Window::Rect& rect, std::u16string title)
        : mRect(rect), mTitle(std::move(title))
    {
    }

    void SetUp() override
    {
        TempRegistry::SetUp();
        mDisplay = OpenDisplay(mLoop);
        if (!mDisplay)
            GTEST_SKIP() << "no X display";
        mX = static_cast<::Display*>(mDisplay->NativeDisplay());
        mWindow = ZQ::OSWindow::Create({"", mTitle, mRect});
        ASSERT_NE(mWindow, nullptr);
        mHandle = mWindow->GetHandle();
        ASSERT_EQ(mWindow->CreateRenderer(ZQ::LRenderer::kGdiplus), 0);
        mRoot = mWindow->GetRootWindow();
        (void)mWindow->Show(Platform::Window::kSwShowNormal);
        ASSERT_TRUE(Pump([&] { return mDisplay->IsOnScreen(mHandle); }));
        (void)mWindow->SetFocus();
        ASSERT_TRUE(Pump([&] { return mWindow->IsActive(); }));
    }

    // Closes the window, then lets go of the measuring renderer, the root window and the display; what the
    // fixture made on them (controls, services) is to go before.
    void TearDown() override
    {
        CloseWindow();
        mMeasuring.reset();
        mRoot = nullptr;
        mDisplay.reset();
        TempRegistry::TearDown();
    }

    // Closes the window when it is still open and takes its root control away.
    void CloseWindow()
    {
        if (mLoop.IsWindow(mHandle))
            (void)mLoop.SendMessage({mHandle, Platform::Window::kWmClose, 0, 0});
        if (mRoot != nullptr)
            (void)mRoot->SetRootControl(nullptr);
    }

    // Makes the window's renderer the one that measures texts, until TearDown.
    void MeasureWithTheWindowsRenderer()
    {
        mMeasuring = std::make_unique<MeasurementRendererScope>(
            ZQ::RCPtr<ZQ::LMeasurementRenderer>(mRoot->GetRenderer()));
    }

    // Runs the loop until pred holds; false when it did not within a generous deadline.
    template <typename Pred>
    bool Pump(Pred pred)
    {
        return PumpUntil(mLoop, pred);
    }

    // The pointer to (x, y) in the window.
    void MoveTo(int x, int y)
    {
        XTestFakeMotionEvent(mX, -1, mRect.left + x, mRect.top + y, 0);
        XFlush(mX);
    }

    void Button(bool down, unsigned button = 1)
    {
        XTestFakeButtonEvent(mX, button, down ? True : False, 0);
        XFlush(mX);
    }

    // A press and release of the button where the pointer is (4 to 7 turn the wheel).
    void ClickButton(unsigned button = 1)
    {
        Button(true, button);
        Button(false, button);
    }

    // A press and release of the left button at (x, y) in the window.
    void Click(int x, int y)
    {
        MoveTo(x, y);
        ClickButton();
    }

    void TypeKey(KeySym keysym)
    {
        const unsigned code = XKeysymToKeycode(mX, keysym);
        XTestFakeKeyEvent(mX, code, True, 0);
        XTestFakeKeyEvent(mX, code, False, 0);
        XFlush(mX);
    }

    // The window's client area as the server shows it.
    [[nodiscard]] Screenshot Shoot() const
    {
        return TakeScreenshot(mX, static_cast<::Window>(mHandle), mRect.Width(), mRect.Height());
    }

    Platform::Window::MessageLoop mLoop;
    std::unique_ptr<Platform::Window::Display> mDisplay;
    ::Display* mX = nullptr;
    ZQ::OSWindow* mWindow = nullptr;
    Platform::Window::WindowHandle mHandle = 0;
    ZQ::RCPtr<ZQ::LRootWindow> mRoot;

private:
    std::unique_ptr<MeasurementRendererScope> mMeasuring;
    Platform::Window::Rect mRect;
    std::u16string mTitle;
};
} // namespace TestSupport
