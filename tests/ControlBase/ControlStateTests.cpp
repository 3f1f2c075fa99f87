#include "Support/FakeControlApplication.h"
#include "Support/FakeWindowServices.h"

#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Notification/ConditionsParam.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationClient.h"
#include "ZQFramework/Notification/ValueParam.h"
#include "ZQFramework/Renderer/Font.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace ZQ
{
namespace
{
using ZQTest::FakeControlApplication;
using ZQTest::FakeWindowServices;
using Log = std::vector<std::string>;

std::string Text(const char16_t* text)
{
    std::string narrow;
    for (; *text != 0; ++text)
    {
        narrow += static_cast<char>(*text);
    }
    return narrow;
}

// A control built in code whose mouse and focus flags a test sets directly, logging the hooks that the
// state changes call into a shared log.
class StateControl : public LControl
{
public:
    // Under parent with a default layout (16 x 40 at the client origin); a top control is 200 x 100.
    static RCPtr<StateControl> Create(const RCPtr<LControl>& parent, const WString& name, Log* log = nullptr)
    {
        RCPtr<StateControl> control(new StateControl(parent, name));
        control->mLog = log;
        control->SetLayoutCopy(*LLayoutDescriptor::Create());
        control->SetCreated(true);
        if (parent != nullptr)
        {
            (void)control->UpdateLayout();
        }
        else
        {
            (void)control->SetRect({0, 0, 200, 100});
        }
        return control;
    }

    // Sets the focus, hover, capture, button-down and drag flags from condition bits.
    void SetFlags(uint32_t bits)
    {
        mConditionFlags.Focused = (bits & kConditionFocused) != 0;
        mConditionFlags.ContainsFocus = (bits & kConditionContainsFocus) != 0;
        mConditionFlags.Hover = (bits & kConditionHover) != 0;
        mConditionFlags.Capture = (bits & kConditionCapture) != 0;
        mConditionFlags.LeftButtonDown = (bits & kConditionLeftDown) != 0;
        mConditionFlags.MiddleButtonDown = (bits & kConditionMiddleDown) != 0;
        mConditionFlags.RightButtonDown = (bits & kConditionRightDown) != 0;
        mConditionFlags.LeftDrag = (bits & kConditionLeftDrag) != 0;
        mConditionFlags.MiddleDrag = (bits & kConditionMiddleDrag) != 0;
        mConditionFlags.RightDrag = (bits & kConditionRightDrag) != 0;
    }
    void SetFlagsAndUpdate(uint32_t bits)
    {
        SetFlags(bits);
        UpdateConditions();
    }
    // What ApplyDescriptor sets from the skin before it sets the font.
    void SetFontFlags(bool inherited, bool relative)
    {
        mFontInherited = inherited;
        mFontRelativeSize = relative;
    }
    void SetLayoutFlags(bool visible, bool enabled)
    {
        mLayout->mVisible = visible;
        mLayout->mEnabled = enabled;
    }

    void MakeFocusable() { mNotFocusable = false; }

    ZQRESULT SetFocus(bool /*forward*/) override { return Record("SetFocus"); }
    ZQRESULT BeginDrag() override { return Record("BeginDrag"); }
    ZQRESULT EndDrag() override { return Record("EndDrag"); }
    void OnConditionsChanged(const RCPtr<LConditionsParam>& /*conditions*/) override
    {
        (void)Record("OnConditionsChanged");
    }
    void OnValueChanged() override { (void)Record("OnValueChanged"); }
    void OnFontChanged() override { ++FontChanges; }
    void OnIdle() override
    {
        (void)Record("OnIdle");
        ChildrenAtIdle = GetChildren().GetCount();
    }

    int32_t FontChanges = 0;
    uint32_t ChildrenAtIdle = 0;

private:
    StateControl(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}

    ZQRESULT Record(const char* hook)
    {
        if (mLog != nullptr)
        {
            mLog->push_back(Text(GetName().GetBuffer()) + ":" + hook);
        }
        return 0;
    }

    Log* mLog = nullptr;
};

// Logs "<control>:<notification>" for every notification a control sends that a test listens to, and
// keeps the last conditions record and value seen.
class Listener : public LNotificationClient
{
public:
    static RCPtr<Listener> Listen(const RCPtr<LControl>& control, Log* log)
    {
        RCPtr<Listener> listener(new Listener(Text(control->GetName().GetBuffer()), log));
        for (const char16_t* name : kNames)
        {
            (void)listener->RegisterWithDistributor(control, name, 0);
        }
        return listener;
    }

    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& /*source*/,
                                 const RCPtr<LNotification>& notification) override
    {
        mLog->push_back(mLabel + ":" + Text(notification->GetID()));
        if (const RCPtr<LConditionsParam> conditions(notification->GetParam()); conditions != nullptr)
        {
            Previous = conditions->mPrevious;
            Current = conditions->mCurrent;
        }
        if (const RCPtr<LValueParam> value(notification->GetParam()); value != nullptr)
        {
            Normalized = value->mNormalized;
            Scaled = value->mScaled;
        }
        return 0;
    }

    uint32_t Previous = 0;
    uint32_t Current = 0;
    double Normalized = -1;
    double Scaled = -1;

private:
    static constexpr const char16_t* kNames[] = {
        u"NID_CONDITION_CHANGE",
        u"NID_HAS_FOCUS_CONDITION_CHANGE",
        u"NID_CONTAINS_FOCUS_CONDITION_CHANGE",
        u"NID_HOVER_CONDITION_CHANGE",
        u"NID_CAPTURE_CONDITION_CHANGE",
        u"NID_LEFT_DRAG_CONDITION_CHANGE",
        u"NID_MIDDLE_DRAG_CONDITION_CHANGE",
        u"NID_RIGHT_DRAG_CONDITION_CHANGE",
        u"NID_ENABLED_CONDITION_CHANGE",
        u"NID_VISIBLITY_CONDITION_CHANGE",
        u"NID_VALUE_CHANGE",
        u"NID_SCROLL_OFFSET_CHANGE",
    };

    Listener(std::string label, Log* log) : mLabel(std::move(label)), mLog(log) {}

    std::string mLabel;
    Log* mLog;
};

// A root window that records its hit tests instead of doing them.
class HitTestWindow : public LRootWindow
{
public:
    static RCPtr<HitTestWindow> Create(IWindowOSServices* services)
    {
        return RCPtr<HitTestWindow>(new HitTestWindow(services));
    }

    RCPtr<LControl> GetControlAtPoint(const PointT<int32_t>& point, PointT<int32_t>& /*localPoint*/,
                                      bool setHover) override
    {
        HitTests.push_back(std::to_string(point.x) + " " + std::to_string(point.y) +
                           (setHover ? " hover" : ""));
        return {};
    }

    Log HitTests;

private:
    explicit HitTestWindow(IWindowOSServices* services) : LRootWindow(nullptr, services) {}
};

constexpr uint32_t kShown = LControl::kConditionEnabled | LControl::kConditionVisible;

struct StateTest : ::testing::Test
{
    ~StateTest() override { (void)top->ReleaseInternalReferences(); }

    FakeControlApplication application;
    Log log;
    RCPtr<StateControl> top = StateControl::Create(nullptr, u"top", &log);
};

// --- Value and range ---

TEST_F(StateTest, ValueIsClampedAndSentOnlyWhenItChanges)
{
    ASSERT_EQ(top->SetRange(0, 10, 0), 0);
    const RCPtr<Listener> listener = Listener::Listen(top, &log);

    EXPECT_EQ(top->SetValue(1.5), 1.0);
    EXPECT_EQ(log, (Log{"top:OnValueChanged", "top:NID_VALUE_CHANGE"}));
    EXPECT_EQ(listener->Normalized, 1.0);
    EXPECT_EQ(listener->Scaled, 10.0);

    log.clear();
    EXPECT_EQ(top->SetValue(2), 1.0);
    EXPECT_EQ(top->SetValue(std::numeric_limits<double>::quiet_NaN()), 1.0);
    EXPECT_TRUE(log.empty());

    // A new range is not sent; the next change reports values in it.
    ASSERT_EQ(top->SetRange(20, 20000, 1), 0);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(top->SetValue(-3), 0.0);
    EXPECT_EQ(listener->Scaled, 20.0);
}

TEST_F(StateTest, ScaleAndUnscaleAreInversesForBothTapers)
{
    struct Case
    {
        double minimum, maximum;
        int32_t taper;
        double value, scaled;
    };
    const Case cases[] = {
        {20, 20000, 1, 0.5, 632.45553203367586}, // 20 x sqrt(1000)
        {20, 20000, 1, 0.0, 20},
        {20, 20000, 1, 1.0, 20000},
        {0, 10, 0, 0.25, 2.5},
        {10, -10, 0, 0.25, 5}, // a range may run downward
        {1000, 10, 1, 0.5, 100},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.minimum << ".." << c.maximum << " taper " << c.taper);
        ASSERT_EQ(top->SetRange(c.minimum, c.maximum, c.taper), 0);
        EXPECT_NEAR(top->ScaleValue(c.value), c.scaled, 1e-9);
        EXPECT_NEAR(top->UnscaleValue(c.scaled), c.value, 1e-12);
    }

    ASSERT_EQ(top->SetRange(0, 10, 0), 0);
    EXPECT_EQ(top->UnscaleValue(15), 1.0);
    EXPECT_EQ(top->UnscaleValue(-5), 0.0);
    ASSERT_EQ(top->SetRange(10, -10, 0), 0);
    EXPECT_EQ(top->UnscaleValue(-50), 1.0);
    ASSERT_EQ(top->SetRange(5, 5, 1), 0);
    EXPECT_EQ(top->UnscaleValue(5), 0.0);
}

TEST_F(StateTest, SetRangeRefusesWhatTheTaperCannotScale)
{
    ASSERT_EQ(top->SetRange(0, 10, 0), 0);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    struct Case
    {
        double minimum, maximum;
        int32_t taper;
    };
    const Case refused[] = {
        {0, 100, 1}, {-1, 100, 1}, {10, 0, 1},  {10, -5, 1},
        {1, 10, 2},  {1, 10, -1},  {nan, 1, 0}, {0, infinity, 0},
    };
    for (const Case& c : refused)
    {
        SCOPED_TRACE(testing::Message() << c.minimum << ".." << c.maximum << " taper " << c.taper);
        EXPECT_EQ(top->SetRange(c.minimum, c.maximum, c.taper), E_INVALIDARG);
        EXPECT_EQ(top->ScaleValue(0.5), 5.0); // the range stayed as it was
    }
}

// --- Conditions ---

TEST_F(StateTest, MaskCountsAncestorsForEnabledAndVisible)
{
    const RCPtr<StateControl> child = StateControl::Create(top, u"child");
    EXPECT_EQ(child->GetConditions(), kShown);
    child->SetFlags(LControl::kConditionHover | LControl::kConditionRightDrag);
    child->SetHighlight(true);
    EXPECT_EQ(child->GetConditions(), kShown | 0x4 | 0x200 | 0x1000);
    child->SetFlags(0);
    EXPECT_EQ(child->GetConditions(), kShown | 0x1000); // the highlight alone sets 0x1000

    top->SetLayoutFlags(false, false);
    EXPECT_EQ(child->GetConditions(), 0x1000u);
}

TEST_F(StateTest, CaptureAndDragNotifyInOrderAndDriveTheDragHooks)
{
    top->UpdateConditions();
    ASSERT_EQ(top->GetConditionsRecord()->mCurrent, kShown);
    const RCPtr<Listener> listener = Listener::Listen(top, &log);
    ASSERT_EQ(top->SetDragMode(2, 0x3), 0);
    log.clear();

    // A left press takes the capture.
    top->SetFlagsAndUpdate(LControl::kConditionCapture | LControl::kConditionLeftDown);
    EXPECT_EQ(log, (Log{"top:OnConditionsChanged", "top:NID_CONDITION_CHANGE",
                        "top:NID_CAPTURE_CONDITION_CHANGE", "top:NID_LEFT_DRAG_CONDITION_CHANGE"}));
    EXPECT_EQ(listener->Previous, kShown);
    EXPECT_EQ(listener->Current, kShown | 0x18);

    // The drag starts: BeginDrag follows the notifications.
    log.clear();
    top->SetFlagsAndUpdate(LControl::kConditionCapture | LControl::kConditionLeftDrag);
    EXPECT_EQ(log, (Log{"top:OnConditionsChanged", "top:NID_CONDITION_CHANGE",
                        "top:NID_LEFT_DRAG_CONDITION_CHANGE", "top:BeginDrag"}));
    EXPECT_EQ(listener->Current, kShown | 0x88);

    // Nothing changed, nothing sent.
    log.clear();
    top->UpdateConditions();
    EXPECT_TRUE(log.empty());

    // The release: EndDrag comes before everything else.
    top->SetFlagsAndUpdate(0);
    EXPECT_EQ(log, (Log{"top:EndDrag", "top:OnConditionsChanged", "top:NID_CONDITION_CHANGE",
                        "top:NID_CAPTURE_CONDITION_CHANGE", "top:NID_LEFT_DRAG_CONDITION_CHANGE"}));

    // Without a drag mode the drag hooks stay out of it.
    ASSERT_EQ(top->SetDragMode(0, 0), 0);
    log.clear();
    top->SetFlagsAndUpdate(LControl::kConditionCapture | LControl::kConditionLeftDrag);
    top->SetFlagsAndUpdate(0);
    EXPECT_EQ(std::count(log.begin(), log.end(), "top:BeginDrag"), 0);
    EXPECT_EQ(std::count(log.begin(), log.end(), "top:EndDrag"), 0);
}

TEST_F(StateTest, EveryChangedGroupIsSentOnceInItsPlace)
{
    top->SetLayoutFlags(false, false);
    top->UpdateConditions();
    const RCPtr<Listener> listener = Listener::Listen(top, &log);
    log.clear();

    top->SetLayoutFlags(true, true);
    top->SetFlagsAndUpdate(0x1 | 0x2 | 0x4 | 0x8 | 0x20 | 0x200);
    EXPECT_EQ(log, (Log{"top:OnConditionsChanged", "top:NID_CONDITION_CHANGE",
                        "top:NID_HAS_FOCUS_CONDITION_CHANGE", "top:NID_CONTAINS_FOCUS_CONDITION_CHANGE",
                        "top:NID_HOVER_CONDITION_CHANGE", "top:NID_CAPTURE_CONDITION_CHANGE",
                        "top:NID_MIDDLE_DRAG_CONDITION_CHANGE", "top:NID_RIGHT_DRAG_CONDITION_CHANGE",
                        "top:NID_ENABLED_CONDITION_CHANGE", "top:NID_VISIBLITY_CONDITION_CHANGE"}));
    EXPECT_EQ(listener->Current, 0x1000u | 0xC00 | 0x22F);
}

TEST_F(StateTest, HidingOrDisablingAParentUpdatesEachChildAfterIt)
{
    const RCPtr<StateControl> first = StateControl::Create(top, u"first");
    const RCPtr<StateControl> second = StateControl::Create(top, u"second");
    for (const RCPtr<StateControl>& control : {top, first, second})
    {
        control->UpdateConditions();
    }
    const RCPtr<Listener> listeners[] = {Listener::Listen(top, &log), Listener::Listen(first, &log),
                                         Listener::Listen(second, &log)};
    log.clear();
    const auto expected = [](const std::string& group)
    {
        Log lines{"top:OnConditionsChanged"};
        for (const char* control : {"top", "second", "first"}) // the children from the last
        {
            lines.push_back(std::string(control) + ":NID_CONDITION_CHANGE");
            lines.push_back(std::string(control) + ":NID_" + group + "_CONDITION_CHANGE");
        }
        return lines;
    };

    EXPECT_FALSE(top->SetVisible(false));
    EXPECT_EQ(log, expected("VISIBLITY"));
    log.clear();
    EXPECT_FALSE(top->SetVisible(false)); // no change, nothing sent
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(top->SetVisible(true));
    EXPECT_EQ(log, expected("VISIBLITY"));
    EXPECT_EQ(first->GetConditionsRecord()->mCurrent, kShown);

    log.clear();
    EXPECT_EQ(top->SetEnabled(false), 0);
    EXPECT_EQ(log, expected("ENABLED"));
    log.clear();
    EXPECT_EQ(top->SetEnabled(false), 1);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(second->GetConditions(), LControl::kConditionVisible);

    // A hidden child stays hidden under a parent shown again.
    EXPECT_FALSE(first->SetVisible(false));
    EXPECT_EQ(top->SetEnabled(true), 0);
    EXPECT_EQ(first->GetConditionsRecord()->mCurrent, LControl::kConditionEnabled);
}

TEST_F(StateTest, HidingOrDisablingHandsTheFocusToTheParentAndShowingTakesIt)
{
    const RCPtr<StateControl> child = StateControl::Create(top, u"child", &log);
    child->MakeFocusable();
    const RCPtr<StateControl> passive = StateControl::Create(top, u"passive", &log); // not focusable
    struct Step
    {
        const char* what;
        uint32_t topFlags, childFlags;
        std::function<void()> change;
        Log expected;
    };
    const Step steps[] = {
        {"hiding the focus",
         0x2,
         0x1,
         [&] { (void)child->SetVisible(false); },
         {"top:SetFocus", "child:OnConditionsChanged"}},
        {"showing under the focus",
         0x1,
         0,
         [&] { (void)child->SetVisible(true); },
         {"child:SetFocus", "child:OnConditionsChanged"}},
        {"disabling what contains it",
         0x2,
         0x2,
         [&] { (void)child->SetEnabled(false); },
         {"top:SetFocus", "child:OnConditionsChanged"}},
        {"enabling under the focus",
         0x1,
         0,
         [&] { (void)child->SetEnabled(true); },
         {"child:SetFocus", "child:OnConditionsChanged"}},
        {"hiding and showing elsewhere",
         0,
         0,
         [&]
         {
             (void)child->SetVisible(false);
             (void)child->SetVisible(true);
         },
         {"child:OnConditionsChanged", "child:OnConditionsChanged"}},
        {"showing what cannot take it",
         0x1,
         0,
         [&]
         {
             (void)passive->SetVisible(false);
             (void)passive->SetVisible(true);
         },
         {"passive:OnConditionsChanged", "passive:OnConditionsChanged"}},
    };
    for (const Step& step : steps)
    {
        SCOPED_TRACE(step.what);
        top->SetFlags(step.topFlags);
        child->SetFlags(step.childFlags);
        log.clear();
        step.change();
        EXPECT_EQ(log, step.expected);
    }
}

// --- Hover cursor and the pointer's re-hit ---

struct WindowTest : StateTest
{
    WindowTest()
    {
        services.Cursor = 1;
        (void)window->SetRootControl(top);
        child->SetFlagsAndUpdate(0);
    }
    ~WindowTest() override { (void)window->ReleaseInternalReferences(); }

    Log CursorCalls() const
    {
        Log calls;
        for (const std::string& call : services.Calls)
        {
            if (call.rfind("SetCursor", 0) == 0)
            {
                calls.push_back(call);
            }
        }
        return calls;
    }

    FakeWindowServices services;
    RCPtr<LRootWindow> window = LRootWindow::Create(nullptr, &services);
    RCPtr<StateControl> child = StateControl::Create(top, u"child", &log);
};

TEST_F(WindowTest, HoverShowsTheControlsCursorAndLeavingRestoresThePreviousOne)
{
    child->SetCursor(7);
    EXPECT_TRUE(CursorCalls().empty()); // not hovered: nothing shown yet

    child->SetFlagsAndUpdate(LControl::kConditionHover);
    child->SetFlagsAndUpdate(0);
    EXPECT_EQ(CursorCalls(), (Log{"SetCursor 7", "SetCursor 1"}));

    // Held by the capture, the cursor stays until the capture ends away from the control.
    services.Calls.clear();
    child->SetFlagsAndUpdate(LControl::kConditionHover);
    child->SetFlagsAndUpdate(LControl::kConditionHover | LControl::kConditionCapture);
    child->SetFlagsAndUpdate(LControl::kConditionCapture);
    EXPECT_EQ(CursorCalls(), (Log{"SetCursor 7"}));
    child->SetFlagsAndUpdate(0);
    EXPECT_EQ(CursorCalls(), (Log{"SetCursor 7", "SetCursor 1"}));

    // Released over the control, the cursor stays; the hover's end restores it.
    services.Calls.clear();
    child->SetFlagsAndUpdate(LControl::kConditionHover | LControl::kConditionCapture);
    child->SetFlagsAndUpdate(LControl::kConditionHover);
    EXPECT_TRUE(CursorCalls().empty());
    child->SetFlagsAndUpdate(0);
    EXPECT_EQ(CursorCalls(), (Log{"SetCursor 1"}));
}

TEST_F(WindowTest, CursorSetWhileHoveredAppliesAtOnce)
{
    child->SetFlagsAndUpdate(LControl::kConditionHover);
    child->SetCursor(7); // the window's cursor before it is the one to restore
    child->SetCursor(8);
    child->SetCursor(8);
    child->SetFlagsAndUpdate(0);
    EXPECT_EQ(CursorCalls(), (Log{"SetCursor 7", "SetCursor 8", "SetCursor 1"}));

    services.Calls.clear();
    child->SetFlagsAndUpdate(LControl::kConditionHover);
    child->SetCursor(0); // no cursor of its own: the arrow
    child->SetFlagsAndUpdate(0);
    EXPECT_EQ(CursorCalls(), (Log{"SetCursor 8", "SetCursor 1"}));
}

TEST(ControlRehit, HiddenOrReleasedAwayTheHoverMovesToWhatIsUnderThePointer)
{
    FakeControlApplication application;
    FakeWindowServices services;
    services.CursorPos = {12, 34};
    const RCPtr<HitTestWindow> window = HitTestWindow::Create(&services);
    const RCPtr<StateControl> top = StateControl::Create(nullptr, u"top");
    ASSERT_EQ(top->AttachToRootWindow(window), 0);
    const RCPtr<StateControl> child = StateControl::Create(top, u"child");
    child->SetFlagsAndUpdate(LControl::kConditionHover);

    EXPECT_FALSE(child->SetVisible(false));
    EXPECT_EQ(window->HitTests, (Log{"12 34 hover"}));

    // Hidden while it holds the capture, the hover stays until the capture ends.
    window->HitTests.clear();
    EXPECT_TRUE(child->SetVisible(true));
    child->SetFlagsAndUpdate(LControl::kConditionHover | LControl::kConditionCapture);
    EXPECT_FALSE(child->SetVisible(false));
    EXPECT_TRUE(window->HitTests.empty());
    child->SetFlagsAndUpdate(LControl::kConditionCapture);
    EXPECT_TRUE(window->HitTests.empty()); // losing the hover alone re-hits nothing
    child->SetFlagsAndUpdate(0);
    EXPECT_EQ(window->HitTests, (Log{"12 34 hover"}));

    // A capture released over the control leaves the hover where it is.
    window->HitTests.clear();
    child->SetFlagsAndUpdate(LControl::kConditionHover | LControl::kConditionCapture);
    child->SetFlagsAndUpdate(LControl::kConditionHover);
    EXPECT_TRUE(window->HitTests.empty());

    (void)top->Detach();
    (void)top->ReleaseInternalReferences();
}

// --- Scroll offset ---

TEST_F(StateTest, ScrollOffsetIsRoundedAndMovesDockedChildren)
{
    const RCPtr<StateControl> docked = StateControl::Create(top, u"docked");
    LLayoutDescriptor::AxisPosition x;
    x.ToControl = LLayoutDescriptor::kPositionClient;
    x.Abs = 5;
    x.Docked = true;
    LLayoutDescriptor::AxisSize width;
    width.Abs = 16;
    (void)docked->SetAxisPlacement(0, x, width);
    const RCPtr<StateControl> plain = StateControl::Create(top, u"plain");
    ASSERT_EQ(docked->GetRect().x, 5);
    const RCPtr<Listener> listener = Listener::Listen(top, &log);

    EXPECT_EQ(top->SetScrollOffset({10.4, -2.5}), 0);
    EXPECT_EQ(top->GetScrollOffset(), (PointT<double>{10, -3}));
    EXPECT_EQ(log, (Log{"top:NID_SCROLL_OFFSET_CHANGE"}));
    EXPECT_EQ(docked->GetRect().x, 15); // stays where it is seen: its stored place includes the offset
    EXPECT_EQ(plain->GetRect().x, 0);

    EXPECT_EQ(top->SetScrollOffset({9.5, -3.4}), 1);
    EXPECT_EQ(top->SetScrollOffset({std::nan(""), 0}), E_INVALIDARG);
    EXPECT_EQ(log.size(), 1u);
}

// --- Fonts ---

TEST_F(StateTest, FontsComeFromTheParentOrTheDefaultAndFollowTheParent)
{
    // The application's default font is Arial 9, regular.
    ASSERT_EQ(top->SetFontSpec(u"Verdana", 12, LFont::kBold, false), 0);
    struct Case
    {
        const char16_t* child;
        bool inherits, relative;
        const char16_t* name;
        float size;
        int32_t style;
        const char16_t* expectedName;
        float expectedSize;
        int32_t expectedStyle;
        // After the parent's font becomes Tahoma 10, regular:
        const char16_t* laterName;
        float laterSize;
        int32_t laterStyle;
    };
    const Case cases[] = {
        {u"default", false, false, u"", 0, -1, u"Arial", 9, 0, u"Arial", 9, 0},
        {u"whole", true, false, u"", 0, -1, u"Verdana", 12, 1, u"Tahoma", 10, 0},
        {u"ownName", true, false, u"Courier New", 0, -1, u"Courier New", 12, 1, u"Courier New", 10, 0},
        {u"ownSizeAndStyle", true, false, u"", 10, 2, u"Verdana", 10, 2, u"Tahoma", 10, 2},
        {u"relative", true, true, u"", 1.5f, -1, u"Verdana", 18, 1, u"Tahoma", 15, 0},
        {u"relativeToDefault", false, true, u"", 2, -1, u"Arial", 18, 0, u"Arial", 18, 0},
        {u"own", true, false, u"Georgia", 11, 0, u"Georgia", 11, 0, u"Georgia", 11, 0},
    };
    std::vector<RCPtr<StateControl>> children;
    for (const Case& c : cases)
    {
        const RCPtr<StateControl> child = StateControl::Create(top, c.child);
        child->SetFontFlags(c.inherits, c.relative);
        ASSERT_EQ(child->SetFontSpec(c.name, c.size, c.style, c.relative), 0);
        children.push_back(child);
    }
    // A grandchild that inherits everything follows through its parent.
    const RCPtr<StateControl> grandchild = StateControl::Create(children[4], u"grandchild");
    grandchild->SetFontFlags(true, false);
    ASSERT_EQ(grandchild->SetFontSpec(u"", 0, -1, false), 0);
    EXPECT_EQ(grandchild->GetFont(), children[4]->GetFont());

    const auto check = [](const LControl& control, const char16_t* name, float size, int32_t style)
    {
        SCOPED_TRACE(Text(control.GetName().GetBuffer()));
        ASSERT_NE(control.GetFont(), nullptr);
        EXPECT_EQ(control.GetFont()->GetName(), name);
        EXPECT_EQ(control.GetFont()->GetSize(), size);
        EXPECT_EQ(control.GetFont()->GetStyle(), style);
    };
    for (size_t i = 0; i < children.size(); ++i)
    {
        check(*children[i], cases[i].expectedName, cases[i].expectedSize, cases[i].expectedStyle);
    }

    ASSERT_EQ(top->SetFont(LFont::GetFont(u"Tahoma", 10, 0)), 0);
    for (size_t i = 0; i < children.size(); ++i)
    {
        check(*children[i], cases[i].laterName, cases[i].laterSize, cases[i].laterStyle);
    }
    check(*grandchild, u"Tahoma", 15, 0);
}

TEST_F(StateTest, SetFontRefusesNullAndReportsAnUnchangedFont)
{
    const RCPtr<LFont> font = LFont::GetFont(u"Tahoma", 10, 0);
    EXPECT_EQ(top->SetFont(nullptr), E_INVALIDARG);
    EXPECT_EQ(top->SetFont(font), 0);
    EXPECT_EQ(top->SetFont(font), 1);
    EXPECT_EQ(top->FontChanges, 1);
    // The same description gives the same shared font: nothing changes.
    EXPECT_EQ(top->SetFontSpec(u"TAHOMA", 10, 0, false), 1);
    EXPECT_EQ(top->FontChanges, 1);
    EXPECT_EQ(top->UpdateFont(), 1); // inherits nothing
}

TEST(ControlFonts, WithoutADefaultFontOnlyAFullDescriptionMakesAFont)
{
    const RCPtr<StateControl> control = StateControl::Create(nullptr, u"alone");
    EXPECT_EQ(control->SetFontSpec(u"", 10, 0, false), E_FAIL);
    EXPECT_EQ(control->SetFontSpec(u"Arial", 0, 0, false), E_FAIL);
    EXPECT_EQ(control->GetFont(), nullptr);
    EXPECT_EQ(control->SetFontSpec(u"Arial", 10, 0, false), 0);
    EXPECT_EQ(control->GetFont()->GetSize(), 10.0f);
}

// --- Idle requests ---

TEST_F(WindowTest, IdleRequestsAreCountedAndTheHandlerRunsRemovalsBeforeOnIdle)
{
    log.clear();
    (void)child->RequestIdle();
    (void)child->RequestIdle();
    EXPECT_EQ(child->ReleaseIdle(), 0);
    (void)window->ProcessIdle(true);
    EXPECT_EQ(log, (Log{"child:OnIdle"}));

    EXPECT_EQ(child->ReleaseIdle(), 0);
    (void)window->ProcessIdle(true);
    EXPECT_EQ(log.size(), 1u);

    // A release with no request out changes nothing: the next request registers again.
    EXPECT_EQ(child->ReleaseIdle(), 0);
    EXPECT_EQ(child->GetIdleRequests(), 0);
    (void)child->RequestIdle();
    (void)window->ProcessIdle(true);
    EXPECT_EQ(log, (Log{"child:OnIdle", "child:OnIdle"}));
    EXPECT_EQ(child->ReleaseIdle(), 0);

    // The top control's pending removal is done by the time its OnIdle runs.
    ASSERT_EQ(top->RemoveChildLater(child), 0);
    log.clear();
    (void)window->ProcessIdle(true);
    EXPECT_EQ(log, (Log{"top:OnIdle"}));
    EXPECT_EQ(top->ChildrenAtIdle, 0u);
    EXPECT_EQ(child->GetParent(), nullptr);
}
} // namespace
} // namespace ZQ
