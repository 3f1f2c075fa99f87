#include "Support/MeasurementRendererScope.h"
#include "Support/TempRegistry.h"
#include "TextBoxBench.h"

#include "Platform/Clock/Clock.h"
#include "Platform/Window/Display.h"
#include "Platform/Window/MessageLoop.h"
#include "ZQFramework/ControlBase/Clipboard.h"
#include "ZQFramework/ControlBase/OSWindow.h"
#include "ZQFramework/ControlBase/RootWindow.h"
#include "ZQFramework/Controls/TextBox.h"
#include "ZQFramework/Renderer/Renderer.h"

#include <cairo.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>

// Xlib after GoogleTest, whose headers its None macro would break.
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
// clang-format on
#include "Support/X11TestSupport.h"

namespace ZQ
{
namespace
{
namespace PW = Platform::Window;
using namespace std::chrono_literals;

// The field fills a small window; small, so that cairo sends the back buffer without shared memory (its
// record of a shared-memory upload outlives the display).
const std::string kField = R"(
<SubControl Class="Test.Panel" Name="main">
  <Skin Name="main" LookList="one"/>
  <SubControl Class="Framework.TextBox" Name="field" XPositionAbs="3" YPositionAbs="4" XSizeAbs="50" YSizeAbs="20">
    <Skin Name="field" LookList="textLooks"/>
  </SubControl>
</SubControl>)";

// One shown, focused native window at (100, 100) painted by the GDI+ renderer, which also measures the
// text; the clipboard service works on the display's CLIPBOARD selection.
class TextBoxX11 : public TestSupport::TempRegistry
{
protected:
    static constexpr PW::Rect kRect{100, 100, 156, 128};
    static constexpr int kWidth = 56;
    static constexpr int kHeight = 28;

    void SetUp() override
    {
        TempRegistry::SetUp();
        mDisplay = TestSupport::OpenDisplay(mLoop);
        if (!mDisplay)
            GTEST_SKIP() << "no X display";
        mX = static_cast<::Display*>(mDisplay->NativeDisplay());
        mWindow = OSWindow::Create({"", u"Text box test", kRect});
        ASSERT_NE(mWindow, nullptr);
        mHandle = mWindow->GetHandle();
        ASSERT_EQ(mWindow->CreateRenderer(LRenderer::kGdiplus), 0);
        mRoot = mWindow->GetRootWindow();
        mMeasuring = std::make_unique<TestSupport::MeasurementRendererScope>(
            RCPtr<LMeasurementRenderer>(mRoot->GetRenderer()));
        (void)mWindow->Show(PW::kSwShowNormal);
        ASSERT_TRUE(Pump([&] { return mDisplay->IsOnScreen(mHandle); }));
        (void)mWindow->SetFocus();
        ASSERT_TRUE(Pump([&] { return mWindow->IsActive(); }));

        ZQTest::FakeControlApplication& application = mText.Bench.Application;
        mClipboard = LClipboard::Create();
        application.Clipboard = mClipboard;
        application.ActiveRootWindow = RCPtr<LRefCountedObject>(mRoot);
        (void)mRoot->SetRootControl(mText.Bench.Factory->CreateControlByName(u"main", mRoot));
        mField = RCPtr<LTextBox>(mRoot->GetRootControl()->FindChild(u"field"));
        ASSERT_NE(mField, nullptr);
    }

    void TearDown() override
    {
        Platform::SetClock(nullptr);
        if (mLoop.IsWindow(mHandle))
            (void)mLoop.SendMessage({mHandle, PW::kWmClose, 0, 0});
        if (mRoot != nullptr)
            (void)mRoot->SetRootControl(nullptr);
        mField = nullptr;
        if (mClipboard != nullptr)
            (void)mClipboard->ReleaseInternalReferences();
        mMeasuring.reset();
        TempRegistry::TearDown();
    }

    template <typename Pred>
    bool Pump(Pred pred)
    {
        return TestSupport::PumpUntil(mLoop, pred);
    }

    // A press and release of the left button at (x, y) in the window.
    void Click(int x, int y)
    {
        XTestFakeMotionEvent(mX, -1, kRect.left + x, kRect.top + y, 0);
        XTestFakeButtonEvent(mX, 1, True, 0);
        XTestFakeButtonEvent(mX, 1, False, 0);
        XFlush(mX);
    }

    void TypeKey(KeySym keysym)
    {
        const unsigned int code = XKeysymToKeycode(mX, keysym);
        XTestFakeKeyEvent(mX, code, True, 0);
        XTestFakeKeyEvent(mX, code, False, 0);
        XFlush(mX);
    }

    // The window's pixels, saved as a PNG test artifact.
    void SaveScreenshot(const char* name)
    {
        XSync(mX, False);
        XImage* image = XGetImage(mX, mHandle, 0, 0, kWidth, kHeight, AllPlanes, ZPixmap);
        ASSERT_NE(image, nullptr);
        cairo_surface_t* shot = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
        auto* pixels = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(shot));
        const int stride = cairo_image_surface_get_stride(shot) / 4;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                pixels[y * stride + x] = static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF;
        cairo_surface_mark_dirty(shot);
        const auto folder = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "artifacts";
        std::filesystem::create_directories(folder);
        EXPECT_EQ(cairo_surface_write_to_png(shot, (folder / name).c_str()), CAIRO_STATUS_SUCCESS);
        cairo_surface_destroy(shot);
        XDestroyImage(image);
    }

    // Declared first: the fake application that the window and the controls ask.
    ZQTest::TextBench mText{kField};
    PW::MessageLoop mLoop;
    std::unique_ptr<PW::Display> mDisplay;
    std::unique_ptr<TestSupport::MeasurementRendererScope> mMeasuring;
    ::Display* mX = nullptr;
    OSWindow* mWindow = nullptr;
    PW::WindowHandle mHandle = 0;
    RCPtr<LRootWindow> mRoot;
    RCPtr<LClipboard> mClipboard;
    RCPtr<LTextBox> mField;
};

TEST_F(TextBoxX11, TypedTextADoubleClickedWordAndTheRealClipboardBothWays)
{
    // The double click is judged on the manual clock, which does not move between the two clicks.
    Platform::ManualClock clock;
    Platform::SetClock(&clock);
    Click(8, 14);
    ASSERT_TRUE(Pump([&] { return mField->IsFocused(); }));
    for (KeySym key : {XK_a, XK_b, XK_space, XK_c, XK_d})
        TypeKey(key);
    ASSERT_TRUE(Pump([&] { return mField->GetLabel() == WString(u"ab cd"); }));
    EXPECT_EQ(mField->GetCaretPosition(), 5);

    // Just inside "d", as the window's renderer measures the text.
    int x = 0;
    while (x < 50 && mField->GetCharIndexAtPoint({x, 5}) < 5)
        ++x;
    ASSERT_LT(x, 50);
    Click(3 + x - 2, 14);
    Click(3 + x - 2, 14);
    ASSERT_TRUE(Pump([&] { return mField->GetSelectionLength() > 0; }));
    EXPECT_EQ(mField->GetSelectionStart(), 3);
    EXPECT_EQ(mField->GetSelectionLength(), 2);

    ASSERT_EQ(mClipboard->PerformEditOnFocus(LClipboard::kEditCopy), 0);
    EXPECT_TRUE(mDisplay->OwnsClipboard());
    EXPECT_EQ(mDisplay->GetClipboardText(1s), std::optional<std::string>("cd"));

    // Another client takes the clipboard; its text replaces the selection.
    ::Display* other = XOpenDisplay(nullptr);
    ASSERT_NE(other, nullptr);
    const ::Window owner = XCreateSimpleWindow(other, DefaultRootWindow(other), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(other, XInternAtom(other, "CLIPBOARD", False), owner, CurrentTime);
    XFlush(other);
    ASSERT_TRUE(Pump([&] { return !mDisplay->OwnsClipboard(); }));
    {
        std::jthread serve([&] { TestSupport::ServeOneSelectionRequest(other, "xy"); });
        EXPECT_EQ(mClipboard->PerformEditOnFocus(LClipboard::kEditPaste), 0);
    }
    XCloseDisplay(other);
    EXPECT_EQ(mField->GetLabel(), WString(u"ab xy"));

    mRoot->InvalidateAllAndRedraw();
    (void)mLoop.DispatchOnce(20ms);
    SaveScreenshot("TextBoxTyped.png");
}
} // namespace
} // namespace ZQ
