#include "Support/FakeControlApplication.h"
#include "Support/TestControl.h"

#include "Platform/Clock/Clock.h"
#include "Platform/Window/Placement.h"
#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Notification/KeyParam.h"
#include "ZQFramework/Notification/MouseButtonParam.h"
#include "ZQFramework/Notification/MouseWheelParam.h"
#include "ZQFramework/Renderer/Renderer.h"
#include "ZQFramework/Utilities/Graphics/Color.h"

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <vector>

// Xlib after GoogleTest, whose headers its None macro would break.
// clang-format off
#include <X11/Xlib.h>
#include <X11/keysym.h>
// clang-format on
#include "Support/X11ControlWindow.h"

namespace
{
namespace PW = Platform::Window;
using namespace std::chrono_literals;
using ZQ::RCPtr;

constexpr uint32_t kFill = 0xFF2060C0;
constexpr uint32_t kMark = 0xFFFF0000;

// A root control with a default layout that fills itself with one colour, marked by a red rectangle, and
// records the input its window routes to it. It takes the capture on a press and gives it back on the
// release, as a control does.
class Probe : public ZQTest::TestControl
{
public:
    static RCPtr<Probe> Create()
    {
        RCPtr<Probe> probe(new Probe);
        probe->ChangeLayout([](ZQ::LLayoutDescriptor&) {});
        probe->MarkCreated();
        return probe;
    }

    ZQRESULT OnMouseDown(const RCPtr<ZQ::LMouseButtonParam>& p) override
    {
        Log.push_back("down " + std::to_string(p->mButton) + " double " + std::to_string(p->mDoubleClick) +
                      " at " + std::to_string(p->mX) + "," + std::to_string(p->mY));
        (void)GetRootWindow()->SetCaptureControl(RCPtr<ZQ::LControl>(this));
        return 0;
    }
    ZQRESULT OnMouseUp(const RCPtr<ZQ::LMouseButtonParam>& p) override
    {
        Log.push_back("up " + std::to_string(p->mButton) + " double " + std::to_string(p->mDoubleClick));
        (void)GetRootWindow()->ReleaseCaptureControl();
        return 0;
    }
    ZQRESULT EndMouseCapture() override { return GetRootWindow()->ReleaseCaptureControl(); }
    ZQRESULT OnWindowMouseWheel(const RCPtr<ZQ::LMouseWheelParam>& p) override
    {
        Log.push_back("wheel " + std::to_string(p->mDirection) + " at " + std::to_string(p->mX) + "," +
                      std::to_string(p->mY));
        return 0;
    }
    ZQRESULT OnKeyPress(const RCPtr<ZQ::LKeyParam>& p) override
    {
        Keys.push_back(p->mKeyCode);
        return 0;
    }
    RCPtr<ZQ::LControl> GetControlAtPoint(const ZQ::PointT<int32_t>& point, bool, ZQ::PointT<int32_t>& local,
                                          int32_t&) override
    {
        local = point;
        return RCPtr<ZQ::LControl>(this);
    }
    void DrawContent(const RCPtr<ZQ::LRenderer>& renderer) override
    {
        const ZQ::RectT<double>& rect = GetRect();
        renderer->FillRect({0, 0, static_cast<int32_t>(rect.width), static_cast<int32_t>(rect.height)},
                           ZQ::Color(kFill), false);
        renderer->FillRect({10, 10, 15, 10}, ZQ::Color(kMark), true);
        ++Paints;
    }

    std::vector<std::string> Log;
    std::vector<ZQ::KeyCode> Keys;
    int Paints = 0;

private:
    Probe() : TestControl(nullptr, u"probe") {}
};

// One shown, focused native window of 40 x 40 at (100, 100), painted by the GDI+ renderer, with the
// probe as its root control.
class OSWindowX11 : public TestSupport::X11ControlWindowTest
{
protected:
    static constexpr PW::Rect kRect{100, 100, 140, 140};
    static constexpr int kSize = 40;

    OSWindowX11() : X11ControlWindowTest(kRect, u"Native window test") {}

    void SetUp() override
    {
        X11ControlWindowTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        (void)mRoot->SetRootControl(mProbe);
        mRoot->OnControlFocused(mProbe);
    }

    void TearDown() override
    {
        Platform::SetClock(nullptr);
        CloseWindow();
        (void)mProbe->ReleaseInternalReferences();
        X11ControlWindowTest::TearDown();
    }

    bool Logged(const std::string& line) const
    {
        return std::find(mProbe->Log.begin(), mProbe->Log.end(), line) != mProbe->Log.end();
    }

    ZQTest::FakeControlApplication mApplication;
    RCPtr<Probe> mProbe = Probe::Create();
};

TEST_F(OSWindowX11, TheRootControlIsPaintedThroughTheGdiplusRendererAndKeptAsAScreenshot)
{
    ASSERT_TRUE(Pump([&] { return mProbe->Paints > 0; }));
    const TestSupport::Screenshot shot = Shoot();
    ASSERT_EQ(shot.Pixels.size(), static_cast<size_t>(kSize * kSize));
    EXPECT_EQ(shot.At(5, 5), kFill & 0xFFFFFF);
    EXPECT_EQ(shot.At(15, 15), kMark & 0xFFFFFF);
    EXPECT_EQ(shot.At(35, 35), kFill & 0xFFFFFF);
    EXPECT_TRUE(shot.Save("OSWindowPainted.png"));
}

TEST_F(OSWindowX11, ClicksADoubleClickAKeyAndTheWheelReachTheRootControl)
{
    // The double click is judged on the manual clock, which does not move between the two clicks.
    Platform::ManualClock clock;
    Platform::SetClock(&clock);
    MoveTo(20, 25);
    ClickButton();
    ClickButton();
    ASSERT_TRUE(Pump([&] { return Logged("up 1 double 1"); }));
    std::vector<std::string> buttons;
    for (const std::string& line : mProbe->Log)
        if (line.starts_with("down") || line.starts_with("up"))
            buttons.push_back(line);
    EXPECT_EQ(buttons, (std::vector<std::string>{"down 1 double 0 at 20,25", "up 1 double 0",
                                                 "down 1 double 1 at 20,25", "up 1 double 1"}));

    ClickButton(4);
    ASSERT_TRUE(Pump([&] { return Logged("wheel 1 at 20,25"); }));

    TypeKey(XK_a);
    ASSERT_TRUE(Pump([&] { return mProbe->Keys.size() >= 3; }));
    EXPECT_EQ(mProbe->Keys[0].GetCode(), 0x00410000u | ZQ::KeyCode::kKeyDown);
    EXPECT_EQ(mProbe->Keys[1].GetCode(), static_cast<uint32_t>(u'a'));
    EXPECT_EQ(mProbe->Keys[2].GetCode(), 0x00410000u);
}

TEST_F(OSWindowX11, ARootControlWiderThanItsWindowWidensTheWindow)
{
    (void)mProbe->SetAxisLimits(0, {false, u"", 0, 60}, {});
    EXPECT_EQ(mProbe->GetRect(), (ZQ::RectT<double>{0, 0, 60, kSize}));
    ASSERT_TRUE(Pump([&] { return mDisplay->GetWindowRect(mHandle) == PW::Rect{100, 100, 160, 140}; }));
    ASSERT_TRUE(Pump([&] { return mRoot->GetScreenRect().width == 60; }));
    EXPECT_EQ(mProbe->GetRect(), (ZQ::RectT<double>{0, 0, 60, kSize})) << "the control fills it";
}

TEST_F(OSWindowX11, ClosingTheMainWindowKeepsItsPlacementForTheNextRun)
{
    mApplication.FirstRootWindow = mRoot;
    (void)mWindow->SetWindowRect({200, 150, 30, 20});
    ASSERT_TRUE(Pump([&] { return mDisplay->GetWindowRect(mHandle) == PW::Rect{200, 150, 230, 170}; }));
    (void)mLoop.SendMessage({mHandle, PW::kWmClose, 0, 0});
    EXPECT_FALSE(mLoop.IsWindow(mHandle));
    EXPECT_EQ(mRoot->GetServices(), nullptr);

    const auto placement = PW::LoadPlacement(u"ZQTestWindow");
    ASSERT_TRUE(placement);
    EXPECT_EQ(placement->showCommand, static_cast<uint32_t>(PW::kSwShowNormal));
    EXPECT_EQ(placement->normalPosition, (PW::Rect{200, 150, 230, 170}));
}
} // namespace
