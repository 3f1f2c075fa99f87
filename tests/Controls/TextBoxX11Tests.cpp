#include "TextBoxBench.h"

#include "Platform/Clock/Clock.h"
#include "ZQFramework/ControlBase/Services/Clipboard.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Controls/Text/TextBox.h"

#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>

// Xlib after GoogleTest, whose headers its None macro would break.
// clang-format off
#include <X11/Xlib.h>
#include <X11/keysym.h>
// clang-format on
#include "Support/X11ControlWindow.h"

namespace ZQ
{
namespace
{
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
class TextBoxX11 : public TestSupport::X11ControlWindowTest
{
protected:
    TextBoxX11() : X11ControlWindowTest({100, 100, 156, 128}, u"Text box test") {}

    void SetUp() override
    {
        X11ControlWindowTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        MeasureWithTheWindowsRenderer();
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
        CloseWindow();
        mField = nullptr;
        if (mClipboard != nullptr)
            (void)mClipboard->ReleaseInternalReferences();
        X11ControlWindowTest::TearDown();
    }

    // Declared first among the fixture's own: the fake application that the window and the controls ask.
    ZQTest::TextBench mText{kField};
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
    EXPECT_TRUE(Shoot().Save("TextBoxTyped.png"));
}
} // namespace
} // namespace ZQ
