#include "Support/FakeControlApplication.h"
#include "Support/FakeWindowServices.h"
#include "Support/StringPrinting.h"
#include "Support/TestControl.h"

#include "ZQFramework/ControlBase/Windows/Dialog.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Notification/KeyParam.h"
#include "ZQFramework/Notification/MouseButtonParam.h"
#include "ZQFramework/Notification/MouseWheelParam.h"
#include "ZQFramework/Notification/PointWithModifiersParam.h"
#include "ZQFramework/Utilities/Graphics/Region.h"

#include <atomic>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace ZQ
{
namespace
{
using ZQTest::FakeControlApplication;
using ZQTest::FakeWindowServices;
using ZQTest::TestControl;

struct RootWindowTest : ::testing::Test
{
    ~RootWindowTest() override { (void)window->ReleaseInternalReferences(); }

    FakeControlApplication application;
    FakeWindowServices services;
    RCPtr<LRootWindow> window = LRootWindow::Create(nullptr, &services);
};

TEST_F(RootWindowTest, InvalidateRectKeepsOnlyThePartInsideTheClientArea)
{
    window->InvalidateRect({-50, -50, 40, 40});
    window->InvalidateRect({400, 0, 10, 10});
    EXPECT_EQ(services.Count("InvalidateRect"), 0);

    window->InvalidateRect({390, 290, 20, 20});
    ASSERT_EQ(services.Calls, std::vector<std::string>{"InvalidateRect 390 290 10 10"});
    Region dirty;
    window->TakeDirtyRegion(dirty);
    Region::Edges bounds{};
    ASSERT_TRUE(dirty.GetBounds(bounds));
    EXPECT_EQ(bounds, (Region::Edges{390, 290, 400, 300}));
    window->TakeDirtyRegion(dirty);
    EXPECT_TRUE(dirty.IsEmpty());

    window->SetFullRepaint(true);
    window->TakeDirtyRegion(dirty);
    ASSERT_TRUE(dirty.GetBounds(bounds));
    EXPECT_EQ(bounds, (Region::Edges{0, 0, 400, 300}));
    EXPECT_FALSE(window->IsFullRepaintPending());
}

TEST_F(RootWindowTest, EndModalWaitsForTheNextIdlePassAndNeedsServices)
{
    EXPECT_EQ(window->EndModal(3), 0);
    EXPECT_EQ(services.Count("EndModal"), 0);
    (void)window->ProcessIdle(true);
    EXPECT_EQ(services.ModalResults, std::vector<int32_t>{3});

    const RCPtr<LRootWindow> bare = LRootWindow::Create(nullptr, nullptr);
    EXPECT_EQ(bare->EndModal(3), E_FAIL);
    (void)bare->ReleaseInternalReferences();
}

TEST_F(RootWindowTest, TheCloseBoxClosesADialogWithTwoAndEndsAnyOtherWindowWithZero)
{
    const RCPtr<LDialog> dialog(new LDialog(nullptr, u"dialog"));
    (void)window->SetRootControl(dialog);
    window->RequestClose();
    EXPECT_EQ(dialog->GetResult(), 2);
    (void)window->ProcessIdle(false);
    (void)window->SetRootControl(nullptr);
    (void)dialog->ReleaseInternalReferences();

    window->RequestClose();
    (void)window->ProcessIdle(false);
    EXPECT_EQ(services.ModalResults, (std::vector<int32_t>{2, 0}));
}

TEST_F(RootWindowTest, ADetachedSubtreeKeepsNoIdleRegistrationWithTheWindow)
{
    const RCPtr<TestControl> top = TestControl::Create(nullptr, u"top");
    const RCPtr<TestControl> panel = TestControl::Create(top, u"panel");
    const RCPtr<TestControl> inner = TestControl::Create(panel, u"inner");
    (void)window->SetRootControl(top);
    ASSERT_EQ(inner->RequestIdle(), 0);
    ASSERT_EQ(window->GetRegistrationCount(), 1);

    ASSERT_EQ(panel->Detach(), 0);
    EXPECT_EQ(window->GetRegistrationCount(), 0) << "the grandchild left the window with its parent";
    EXPECT_EQ(inner->GetIdleRequests(), 1) << "its request waits for the next window";
    (void)window->SetRootControl(nullptr);
    (void)top->ReleaseInternalReferences();
    (void)panel->ReleaseInternalReferences();
}

TEST_F(RootWindowTest, SetRootControlFillsTheWindowAndNullDropsEveryReference)
{
    const RCPtr<TestControl> top = TestControl::Create(nullptr, u"top");
    top->MarkCreated();
    ASSERT_EQ(window->SetRootControl(top), 0);
    EXPECT_EQ(top->GetRootWindow(), window);
    EXPECT_EQ(top->GetRect(), (RectT<double>{0, 0, 400, 300}));
    window->OnControlFocused(top);

    ASSERT_EQ(window->SetRootControl(nullptr), 0);
    EXPECT_EQ(window->GetRootControl(), nullptr);
    EXPECT_EQ(window->GetFocusControl(), nullptr);
    EXPECT_EQ(top->GetRootWindowObject(), nullptr);
}
TEST_F(RootWindowTest, ATopControlSizesItsNativeWindowToWhatItsLimitsMakeIt)
{
    using Limit = LLayoutDescriptor::AxisLimit;
    struct Case
    {
        const char* what;
        Limit minimum;
        Limit maximum;
        std::vector<std::string> resizes;
    };
    // The window's client area is 400 x 300 at (100, 50).
    const std::vector<Case> cases{
        {"a minimum wider than the window", {false, u"", 0, 500}, {}, {"SetWindowRect 100 50 500 300"}},
        {"a maximum narrower than it", {}, {false, u"", 0, 300}, {"SetWindowRect 100 50 300 300"}},
        {"limits the window meets", {false, u"", 0, 200}, {false, u"", 0, 450}, {}},
    };
    const auto resizes = [this]
    {
        std::vector<std::string> calls;
        for (const std::string& call : services.Calls)
            if (call.starts_with("SetWindowRect"))
                calls.push_back(call);
        return calls;
    };
    for (const Case& c : cases)
    {
        services.ScreenRect = {100, 50, 400, 300};
        const RCPtr<TestControl> top = TestControl::Create(nullptr, u"top");
        top->MarkCreated();
        ASSERT_EQ(window->SetRootControl(top), 0);
        services.Calls.clear();
        (void)top->SetAxisLimits(0, c.minimum, c.maximum);
        EXPECT_EQ(resizes(), c.resizes) << c.what;
        EXPECT_EQ(services.ScreenRect.width, top->GetRect().width) << c.what;
        (void)window->SetRootControl(nullptr);
    }

    // A window resized from outside carries the control along and is left as it is.
    const RCPtr<TestControl> top = TestControl::Create(nullptr, u"top");
    top->MarkCreated();
    (void)window->SetRootControl(top);
    services.Calls.clear();
    services.ScreenRect = {100, 50, 600, 200};
    window->OnSize(600, 200);
    EXPECT_EQ(top->GetRect(), (RectT<double>{0, 0, 600, 200}));
    // Measuring lays the control out at trial sizes, which the window does not follow.
    int32_t width = 10;
    int32_t height = 10;
    (void)window->ConstrainClientSize(width, height);
    EXPECT_EQ(top->GetRect(), (RectT<double>{0, 0, 600, 200}));
    EXPECT_EQ(resizes(), std::vector<std::string>{});
    (void)window->SetRootControl(nullptr);
}

} // namespace
} // namespace ZQ

namespace ZQ
{
namespace
{
// A control that records the input its window routes to it, and answers hit tests with a chosen control.
class Probe : public LControl
{
public:
    static RCPtr<Probe> Create(const RCPtr<LControl>& parent, const WString& name,
                               std::vector<std::string>* log)
    {
        RCPtr<Probe> probe(new Probe(parent, name));
        probe->mLog = log;
        return probe;
    }

    ZQRESULT OnMouseEnter() override { return Record("enter"); }
    ZQRESULT OnMouseLeave() override { return Record("leave"); }
    ZQRESULT OnMouseMove(const RCPtr<LPointWithModifiersParam>& p) override
    {
        return Record("move " + std::to_string(p->mX) + " " + std::to_string(p->mY));
    }
    ZQRESULT OnMouseDown(const RCPtr<LMouseButtonParam>& p) override
    {
        return Record("down " + std::to_string(p->mButton) + " double " + std::to_string(p->mDoubleClick));
    }
    ZQRESULT OnMouseUp(const RCPtr<LMouseButtonParam>& p) override
    {
        return Record("up " + std::to_string(p->mButton) + " double " + std::to_string(p->mDoubleClick));
    }
    ZQRESULT OnWindowMouseWheel(const RCPtr<LMouseWheelParam>& /*p*/) override
    {
        (void)Record("wheel");
        return WheelResult;
    }
    ZQRESULT EndMouseCapture() override { return Record("end capture"); }
    RCPtr<LControl> GetControlAtPoint(const PointT<int32_t>& point, bool /*insideClip*/,
                                      PointT<int32_t>& local, int32_t& /*z*/) override
    {
        local = point;
        return Hit;
    }

    RCPtr<LControl> Hit;
    ZQRESULT WheelResult = 1;

private:
    Probe(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}
    ZQRESULT Record(const std::string& what)
    {
        if (mLog != nullptr)
        {
            mLog->push_back(TestSupport::Utf8(GetName()) + " " + what);
        }
        return 0;
    }
    std::vector<std::string>* mLog = nullptr;
};

struct RoutingTest : RootWindowTest
{
    RoutingTest()
    {
        a->Hit = b;
        (void)window->SetRootControl(a);
    }
    ~RoutingTest() override { (void)a->ReleaseInternalReferences(); }

    std::vector<std::string> log;
    RCPtr<Probe> a = Probe::Create(nullptr, u"a", &log);
    RCPtr<Probe> b = Probe::Create(a, u"b", &log);
};

TEST_F(RoutingTest, DoubleClickDeliversDownUpThenDoubleDownAndUp)
{
    services.CursorPos = {5, 5};
    (void)window->SetCaptureControl(b);
    for (const int32_t action : {0, 1, 2, 1})
    {
        window->OnMouseButton(action, 1, 0, {5, 5}, 0);
    }
    EXPECT_EQ(log, (std::vector<std::string>{"b down 1 double 0", "b up 1 double 0", "b down 1 double 1",
                                             "b up 1 double 1"}));
}

TEST_F(RoutingTest, AnUpReachesOnlyTheCaptureControlAndTheCaptureKeepsTheHover)
{
    services.CursorPos = {5, 5};
    window->OnMouseButton(0, 1, 0, {5, 5}, 0);
    window->OnMouseButton(1, 1, 0, {5, 5}, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"b enter", "b down 1 double 0"}))
        << "no capture: the up goes nowhere";

    log.clear();
    (void)window->SetCaptureControl(a);
    window->OnMouseMove({7, 8}, 0, 0);
    EXPECT_EQ(window->GetHoverControl(), nullptr) << "only the capture control can be hovered";
    EXPECT_EQ(log, (std::vector<std::string>{"b leave", "a move 7 8"}));
}

TEST_F(RoutingTest, AnUnhandledWheelReachesTheFocusControlAndAnInactiveWindowTakesNoMouse)
{
    window->OnControlFocused(a);
    window->OnMouseWheel({5, 5}, 0, 1);
    EXPECT_EQ(log, (std::vector<std::string>{"b enter", "b wheel", "a wheel"}));

    log.clear();
    services.Active = false;
    window->OnMouseWheel({5, 5}, 0, 1);
    window->OnMouseMove({1, 1}, 0, 0);
    window->OnMouseButton(0, 1, 0, {1, 1}, 0);
    EXPECT_TRUE(log.empty());
}

TEST(RootWindowCycling, ShiftTabInTheFirstOfThreeWindowsActivatesTheThird)
{
    FakeControlApplication application;
    FakeWindowServices services[3];
    std::vector<RCPtr<LRootWindow>> windows;
    for (FakeWindowServices& s : services)
    {
        s.Active = false;
        windows.push_back(LRootWindow::Create(nullptr, &s));
        application.RootWindows.emplace_back(windows.back());
    }
    services[0].Active = true;
    windows[0]->TabToNextWindow(
        LKeyParam::Create(KeyCode(0x00090000u | KeyCode::kShift | KeyCode::kKeyDown, 0, 0), 0));
    EXPECT_EQ(services[2].Count("SetFocus"), 1);
    EXPECT_EQ(services[1].Count("SetFocus"), 0);
    windows[0]->TabToNextWindow(LKeyParam::Create(KeyCode(0x00090000u | KeyCode::kKeyDown, 0, 0), 0));
    EXPECT_EQ(services[1].Count("SetFocus"), 1);
    application.RootWindows.clear();
    for (const RCPtr<LRootWindow>& w : windows)
    {
        (void)w->ReleaseInternalReferences();
    }
}
} // namespace
} // namespace ZQ

namespace ZQ
{
namespace
{
TEST(RootWindowConcurrency, RectanglesInvalidatedFromFourThreadsAreAllPainted)
{
    FakeControlApplication application;
    FakeWindowServices services;
    services.ScreenRect = {0, 0, 400, 400};
    const RCPtr<LRootWindow> window = LRootWindow::Create(nullptr, &services);
    constexpr int kThreads = 4;
    constexpr int kRectsPerThread = 100;
    std::atomic<int> running{kThreads};
    Region painted;
    {
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t)
        {
            threads.emplace_back(
                [&, t]
                {
                    for (int i = 0; i < kRectsPerThread; ++i)
                    {
                        window->InvalidateRect({t * 100, i * 4, 100, 4});
                    }
                    --running;
                });
        }
        // The UI thread paints meanwhile: whatever it takes is painted.
        while (running > 0)
        {
            Region dirty;
            window->TakeDirtyRegion(dirty);
            painted.AppendCopy(dirty);
        }
        for (std::thread& thread : threads)
        {
            thread.join();
        }
    }
    Region rest;
    window->TakeDirtyRegion(rest);
    painted.AppendCopy(rest);
    Region missing;
    missing.AddRect(0, 0, 400, 400);
    missing.SubtractRegion(painted);
    EXPECT_TRUE(missing.IsEmpty());
    EXPECT_EQ(services.Count("InvalidateRect"), kThreads * kRectsPerThread);
    (void)window->ReleaseInternalReferences();
}

TEST(RootWindowServices, AForgottenNativeWindowIsNeverCalledAgain)
{
    FakeControlApplication application;
    FakeWindowServices services;
    const RCPtr<LRootWindow> window = LRootWindow::Create(nullptr, &services);
    window->ForgetServices();
    services.Calls.clear();
    window->InvalidateRect({0, 0, 10, 10});
    window->InvalidateAllAndRedraw();
    EXPECT_EQ(window->EndModal(1), E_FAIL);
    EXPECT_EQ(window->SetCursor(1), 0);
    EXPECT_EQ(window->SetTitle(u"t"), E_FAIL);
    window->OnMouseButton(0, 1, 0, {1, 1}, 0);
    (void)window->ProcessIdle(true);
    EXPECT_TRUE(services.Calls.empty());
    (void)window->ReleaseInternalReferences();
}
} // namespace
} // namespace ZQ
