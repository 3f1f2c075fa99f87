#include "Support/FakeControlApplication.h"
#include "Support/FakeWindowServices.h"
#include "Support/StringPrinting.h"

#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Notification/MouseButtonParam.h"
#include "ZQFramework/Notification/MouseWheelParam.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationHandler.h"
#include "ZQFramework/Notification/PointWithModifiersParam.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ZQ
{
namespace
{
using ZQTest::FakeControlApplication;
using ZQTest::FakeWindowServices;

// A created control at (x, y, 40, 20) in its parent that logs its mouse hooks and the notifications it
// sends itself.
class MouseProbe : public LControl
{
public:
    static RCPtr<MouseProbe> Create(const RCPtr<LControl>& parent, const WString& name,
                                    std::vector<std::string>& log, double x = 0, double y = 0)
    {
        RCPtr<MouseProbe> probe(new MouseProbe(parent, name, log));
        const RCPtr<LLayoutDescriptor> layout = LLayoutDescriptor::Create();
        probe->SetLayoutCopy(*layout);
        (void)probe->SetRect({x, y, 40, 20});
        probe->mNotFocusable = false;
        probe->mHandler = LNotificationHandler<LControl>::Create(probe.Get());
        for (const char16_t* name :
             {u"NID_MOUSE_DOWN", u"NID_MOUSE_MOVE", u"NID_MOUSE_UP", u"NID_LEFT_CLICK", u"NID_RIGHT_CLICK"})
        {
            (void)probe->mHandler->AddCallback(static_cast<Callback>(&MouseProbe::Heard),
                                               RCPtr<LNotificationDistributor>(probe), name);
        }
        probe->SetCreated(true);
        return probe;
    }

    void OnLeftButtonDown(const RCPtr<LMouseButtonParam>& /*p*/) override { Log("left down hook"); }
    void OnLeftButtonUp(const RCPtr<LMouseButtonParam>& /*p*/) override { Log("left up hook"); }
    void OnLeftClicked(const RCPtr<LMouseButtonParam>& /*p*/) override { Log("left clicked hook"); }
    void OnRightClicked(const RCPtr<LMouseButtonParam>& /*p*/) override { Log("right clicked hook"); }
    RCPtr<LRefCountedObject> GetContextMenu() override
    {
        Log("context menu asked");
        return nullptr;
    }
    void OnMouseMoved(const RCPtr<LPointWithModifiersParam>& p) override
    {
        Log("moved " + std::to_string(p->mX) + " " + std::to_string(p->mY));
    }
    ZQRESULT OnMouseWheel(const RCPtr<LMouseWheelParam>& /*p*/) override
    {
        Log("wheel");
        return WheelResult;
    }
    ZQRESULT Heard(const RCPtr<LNotificationDistributor>& /*source*/,
                   const RCPtr<LNotification>& notification)
    {
        Log(TestSupport::Utf8(WString(notification->GetID())));
        return 0;
    }
    void SetClip(bool clip) { mLayout->mClipToParent = clip; }
    [[nodiscard]] bool HasCapture() const { return LControl::HasCapture(); }
    [[nodiscard]] bool LeftDrag() const { return IsDragging(MouseButton::Left); }

    ZQRESULT WheelResult = 1;

private:
    using Callback = ZQRESULT (LControl::*)(const RCPtr<LNotificationDistributor>&,
                                            const RCPtr<LNotification>&);
    MouseProbe(const RCPtr<LControl>& parent, const WString& name, std::vector<std::string>& log)
        : LControl(parent, name), mLog(&log)
    {
    }
    void Log(const std::string& what) { mLog->push_back(TestSupport::Utf8(GetName()) + " " + what); }
    std::vector<std::string>* mLog;
};

// A window whose hit test answers with a chosen control.
class HitWindow : public LRootWindow
{
public:
    explicit HitWindow(IWindowOSServices* services) : LRootWindow(nullptr, services) {}
    RCPtr<LControl> GetControlAtPoint(const PointT<int32_t>& /*point*/, PointT<int32_t>& /*local*/,
                                      bool /*setHover*/) override
    {
        ++HitTests;
        return Hit;
    }
    RCPtr<LControl> Hit;
    int HitTests = 0;
};

struct MouseTest : ::testing::Test
{
    MouseTest()
    {
        (void)top->AttachToRootWindow(RCPtr<LRootWindow>(window));
        services.MouseButtons = 1;
    }
    ~MouseTest() override
    {
        (void)top->ReleaseInternalReferences();
        (void)window->ReleaseInternalReferences();
    }

    RCPtr<LMouseButtonParam> Press(uint32_t button, int32_t x, int32_t y, uint32_t held)
    {
        return LMouseButtonParam::Create(button, x, y, 0, 0, held, 0);
    }

    FakeControlApplication application;
    FakeWindowServices services;
    RCPtr<HitWindow> window{new HitWindow(&services)};
    std::vector<std::string> log;
    RCPtr<MouseProbe> top = MouseProbe::Create(nullptr, u"top", log);
    RCPtr<MouseProbe> button = MouseProbe::Create(top, u"b", log, 10, 5);
};

TEST_F(MouseTest, APressAndReleaseOverTheControlClicksAfterDownAndUp)
{
    (void)button->OnMouseEnter();
    EXPECT_EQ(button->OnMouseDown(Press(1, 3, 3, 1)), 0);
    EXPECT_TRUE(button->HasCapture());
    EXPECT_EQ(window->GetCaptureControl(), button);
    EXPECT_EQ(button->OnMouseUp(Press(1, 3, 3, 0)), 0);
    EXPECT_EQ(log, (std::vector<std::string>{"b left down hook", "b NID_MOUSE_DOWN", "b left up hook",
                                             "b NID_MOUSE_UP", "b left clicked hook", "b NID_LEFT_CLICK"}));
    EXPECT_FALSE(button->HasCapture());
    EXPECT_EQ(window->GetCaptureControl(), nullptr);

    log.clear();
    (void)button->OnMouseDown(Press(1, 3, 3, 1));
    (void)button->OnMouseLeave();
    (void)button->OnMouseUp(Press(1, 60, 3, 0));
    EXPECT_EQ(log, (std::vector<std::string>{"b left down hook", "b NID_MOUSE_DOWN", "b left up hook",
                                             "b NID_MOUSE_UP"}))
        << "released outside: no click";
}

TEST_F(MouseTest, ARightClickAsksForTheContextMenuAfterItsNotification)
{
    services.MouseButtons = 4;
    (void)button->OnMouseEnter();
    (void)button->OnMouseDown(Press(4, 3, 3, 4));
    log.clear();
    (void)button->OnMouseUp(Press(4, 3, 3, 0));
    EXPECT_EQ(log, (std::vector<std::string>{"b NID_MOUSE_UP", "b right clicked hook", "b NID_RIGHT_CLICK",
                                             "b context menu asked"}));
    EXPECT_EQ(button->OnRightClick(nullptr), E_INVALIDARG);
}

TEST_F(MouseTest, TheDragStartsAtTheThresholdWithASyntheticMoveAtThePressPointFirst)
{
    (void)button->OnMouseDown(Press(1, 3, 3, 1));
    log.clear();
    (void)button->OnMouseMove(LPointWithModifiersParam::Create(4, 3, 0, 0));
    EXPECT_TRUE(button->LeftDrag());
    EXPECT_EQ(log, (std::vector<std::string>{"b moved 3 3", "b NID_MOUSE_MOVE", "b moved 4 3",
                                             "b NID_MOUSE_MOVE"}));
    (void)button->OnMouseUp(Press(1, 4, 3, 0));

    log.clear();
    EXPECT_EQ(button->SetDragThreshold(-1), E_INVALIDARG);
    ASSERT_EQ(button->SetDragThreshold(0), 0);
    (void)button->OnMouseDown(Press(1, 3, 3, 1));
    EXPECT_TRUE(button->LeftDrag()) << "threshold 0 starts the drag with the capture";
    EXPECT_EQ(log, (std::vector<std::string>{"b left down hook", "b NID_MOUSE_DOWN"})) << "no synthetic move";
}

TEST_F(MouseTest, ASecondButtonKeepsTheCaptureUntilItIsReleasedToo)
{
    services.MouseButtons = 1 | 4;
    (void)button->OnMouseDown(Press(1, 3, 3, 1));
    const RCPtr<LControl> focusBefore = window->GetFocusControl();
    EXPECT_EQ(button->OnMouseDown(Press(4, 3, 3, 1 | 4)), 0);
    EXPECT_EQ(window->GetFocusControl(), focusBefore);
    (void)button->OnMouseUp(Press(1, 3, 3, 4));
    EXPECT_TRUE(button->HasCapture()) << "the right button is still held";
    (void)button->OnMouseUp(Press(4, 3, 3, 0));
    EXPECT_FALSE(button->HasCapture());
}

TEST_F(MouseTest, BadButtonsAndHiddenControlsAreRefused)
{
    EXPECT_EQ(button->OnMouseDown(nullptr), E_INVALIDARG);
    EXPECT_EQ(button->OnMouseDown(Press(3, 0, 0, 1)), E_INVALIDARG);
    EXPECT_EQ(button->OnMouseUp(Press(8, 0, 0, 0)), E_INVALIDARG);
    button->GetLayout()->mVisible = false;
    EXPECT_EQ(button->OnMouseDown(Press(1, 0, 0, 1)), 1);
    EXPECT_EQ(button->BeginMouseCapture(1, 0, 0), 1);
    EXPECT_TRUE(log.empty());
}

TEST_F(MouseTest, AWheelNobodyTakesAnswersOneAndAFloatingControlPassesItToTheControlBelow)
{
    EXPECT_EQ(button->RouteMouseWheel(LMouseWheelParam::Create(5, 5, 0, 1)), 1);
    EXPECT_EQ(log, (std::vector<std::string>{"b wheel", "top wheel"}));
    EXPECT_EQ(button->RouteMouseWheel(nullptr), -1);

    log.clear();
    const RCPtr<MouseProbe> dropDown = MouseProbe::Create(button, u"drop", log, 0, 15);
    dropDown->SetClip(false);
    const RCPtr<MouseProbe> below = MouseProbe::Create(top, u"below", log, 10, 30);
    below->WheelResult = 0;
    window->Hit = below;
    EXPECT_EQ(dropDown->RouteMouseWheel(LMouseWheelParam::Create(15, 40, 0, 0)), 0);
    EXPECT_EQ(log, (std::vector<std::string>{"drop wheel", "below wheel"}))
        << "not the drop-down's own parent";
}
} // namespace
} // namespace ZQ
