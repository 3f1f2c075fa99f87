#include "ControlBase/FilledTree.h"
#include "Support/StringPrinting.h"

#include "ZQFramework/Notification/MouseButtonParam.h"
#include "ZQFramework/Notification/PointWithModifiersParam.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace ZQ
{
namespace
{
using FilledTree::TreeTest;
using Log = std::vector<std::string>;

// A control placed at a rectangle that answers the drag questions from fields and logs the drop-target
// calls it gets.
class DragProbe : public ZQTest::TestControl
{
public:
    static RCPtr<DragProbe> Make(const RCPtr<LControl>& parent, const WString& name,
                                 const RectT<double>& rect, Log* log = nullptr)
    {
        RCPtr<DragProbe> probe(new DragProbe(parent, name));
        probe->ChangeLayout(
            [&](LLayoutDescriptor& layout)
            {
                layout.mXPosition.Abs = rect.x;
                layout.mYPosition.Abs = rect.y;
                layout.mXSize.Abs = rect.width;
                layout.mYSize.Abs = rect.height;
            });
        (void)probe->UpdateLayout();
        (void)probe->Handler();
        probe->MarkCreated();
        probe->mLog = log;
        return probe;
    }

    bool AcceptsDrop(const RCPtr<LControl>& /*dragged*/) override { return Accepts; }
    uint32_t GetDragScrollEdges(const RCPtr<LControl>& /*dragged*/) override { return Edges; }
    ZQRESULT GetMaxScrollOffset(RectT<double>& range, const RCPtr<LControl>& /*child*/) override
    {
        range = Range;
        return 0;
    }
    void GetDragLimits(RectT<double>& limits) override
    {
        if (Limits)
            limits = *Limits;
    }
    void OnDragEnter(const RCPtr<LControl>& /*dragged*/) override { Record("enter"); }
    void OnDragOver(const RCPtr<LControl>& /*dragged*/, const PointT<int32_t>& point) override
    {
        Record("over " + std::to_string(point.x) + " " + std::to_string(point.y));
    }
    void OnDragLeave(const RCPtr<LControl>& /*dragged*/) override { Record("leave"); }
    ZQRESULT OnDrop(const RCPtr<LControl>& /*dragged*/) override
    {
        Record("drop");
        return 0;
    }

    [[nodiscard]] bool ScrollRunning(int32_t axis) const { return mAutoScroll[axis].Running; }
    [[nodiscard]] double ScrollSpeed(int32_t axis) const { return mAutoScroll[axis].Speed; }

    // Window coordinates into this control's, for pointer events.
    [[nodiscard]] PointT<int32_t> Local(int32_t x, int32_t y) const
    {
        const PointT<double> origin = GetWindowOrigin();
        return {RoundToLong(x - origin.x), RoundToLong(y - origin.y)};
    }

    bool Accepts = false;
    uint32_t Edges = 0;
    RectT<double> Range{0, 0, 4503599627370496.0, 4503599627370496.0};
    std::optional<RectT<double>> Limits;

private:
    DragProbe(const RCPtr<LControl>& parent, const WString& name) : TestControl(parent, name) {}
    void Record(const std::string& what)
    {
        if (mLog != nullptr)
            mLog->push_back(TestSupport::Utf8(GetName()) + " " + what);
    }
    Log* mLog = nullptr;
};

struct DragTest : TreeTest
{
    DragTest() { services.MouseButtons = 1; }

    // A press at window point (x, y) that starts a drag of mode and flags with the next move.
    static void Press(const RCPtr<DragProbe>& control, int32_t x, int32_t y, int32_t mode, uint32_t flags)
    {
        const PointT<int32_t> local = control->Local(x, y);
        (void)control->OnMouseDown(LMouseButtonParam::Create(1, local.x, local.y, 0, 0, 1, 0));
        (void)control->SetDragMode(mode, flags);
    }
    void MoveTo(const RCPtr<DragProbe>& control, int32_t x, int32_t y)
    {
        services.CursorPos = {x, y};
        const PointT<int32_t> local = control->Local(x, y);
        (void)control->OnMouseMove(LPointWithModifiersParam::Create(local.x, local.y, 0, 0));
    }
    static void Release(const RCPtr<DragProbe>& control, int32_t x, int32_t y)
    {
        const PointT<int32_t> local = control->Local(x, y);
        (void)control->OnMouseUp(LMouseButtonParam::Create(1, local.x, local.y, 0, 0, 0, 0));
    }
    // Moves both clocks on and runs one idle pass.
    void Idle(uint32_t milliseconds)
    {
        application.Milliseconds += milliseconds;
        application.Seconds += milliseconds / 1000.0;
        (void)window->ProcessIdle(true);
    }
    Log Cursors() const
    {
        Log calls;
        for (const std::string& call : services.Calls)
            if (call.rfind("SetCursor", 0) == 0)
                calls.push_back(call);
        return calls;
    }
};

TEST_F(DragTest, MovingAndResizingFollowThePointerWithinTheLimits)
{
    struct Case
    {
        const char* what;
        int32_t mode;
        uint32_t flags;
        PointT<int32_t> to; // window point; the press is at (60, 50)
        RectT<double> expected;
        std::optional<RectT<double>> limits;
    };
    const Case cases[] = {
        {"move on X only", 2, 0x1, {70, 55}, {60, 40, 60, 30}, {}},
        {"move on both axes", 2, 0x3, {70, 55}, {60, 45, 60, 30}, {}},
        {"pointer kept inside the parent", 2, 0x3, {-500, 900}, {-10, 290, 60, 30}, {}},
        {"pointer kept inside narrowed limits",
         3,
         0x1,
         {300, 50},
         {90, 40, 60, 30},
         RectT<double>{0, 0, 100, 300}},
        {"left edge right by 10", 4, 0x8, {70, 50}, {60, 40, 50, 30}, {}},
        {"top edge down by 5", 4, 0x10, {60, 55}, {50, 45, 60, 25}, {}},
        {"right and bottom edges", 5, 0x4 | 0x20, {70, 55}, {50, 40, 70, 35}, {}},
        {"left edge keeps one pixel", 4, 0x8, {200, 50}, {109, 40, 1, 30}, {}},
        {"right edge keeps one pixel", 4, 0x4, {0, 50}, {50, 40, 1, 30}, {}},
    };
    const auto top = MakeTop();
    for (const Case& c : cases)
    {
        const auto control = DragProbe::Make(top, u"dragged", {50, 40, 60, 30});
        control->Limits = c.limits;
        Press(control, 60, 50, c.mode, c.flags);
        MoveTo(control, c.to.x, c.to.y);
        EXPECT_EQ(control->GetRect(), c.expected) << c.what;
        Release(control, c.to.x, c.to.y);
        EXPECT_EQ(control->GetRect(), c.expected) << c.what << ": the release keeps the place";
        (void)control->Detach();
    }
}

TEST_F(DragTest, EdgeScrollingSpeedsUpIntoTheMarginAndCarriesTheControlUnderThePointer)
{
    const auto top = MakeTop();
    const auto panel = DragProbe::Make(top, u"panel", {0, 0, 200, 100});
    const auto control = DragProbe::Make(panel, u"dragged", {10, 10, 40, 20});
    Press(control, 15, 15, 3, 0x1);

    MoveTo(control, 169, 15);
    EXPECT_FALSE(panel->ScrollRunning(0)) << "one pixel short of the margin";
    MoveTo(control, 170, 15);
    ASSERT_TRUE(panel->ScrollRunning(0));
    EXPECT_EQ(panel->ScrollSpeed(0), 15);
    EXPECT_FALSE(panel->ScrollRunning(1)) << "the flags name X only";
    MoveTo(control, 175, 15);
    EXPECT_EQ(panel->ScrollSpeed(0), 90);

    Idle(1000);
    EXPECT_EQ(panel->GetScrollOffset().x, 90);
    EXPECT_EQ(control->GetRectInWindow().x, 170) << "the press point stays under the pointer";
    EXPECT_EQ(panel->ScrollSpeed(0), 90);

    MoveTo(control, 100, 15);
    EXPECT_FALSE(panel->ScrollRunning(0)) << "leaving the margin stops the scrolling";
    EXPECT_EQ(panel->GetIdleRequests(), 0);

    MoveTo(control, 0, 15);
    EXPECT_EQ(panel->ScrollSpeed(0), -(30 + 1) * 15.0) << "the left edge, 30 pixels deep";
    Idle(33);
    EXPECT_EQ(panel->GetScrollOffset().x, 90 - 15);
    Release(control, 0, 15);
    EXPECT_FALSE(panel->ScrollRunning(0)) << "the drag's end stops the parent";
}

TEST_F(DragTest, SlowScrollingCarriesTimeOverUntilAWholePixelIsDue)
{
    const auto top = MakeTop();
    const auto panel = DragProbe::Make(top, u"panel", {0, 0, 200, 100});
    (void)panel->StartAutoScroll(0, 15, 1000, 0, nullptr);
    for (int i = 0; i < 4; ++i)
        Idle(33); // 0.495 pixels each
    EXPECT_EQ(panel->GetScrollOffset().x, 2) << "15 pixels a second at 33 ms ticks still moves";
}

TEST_F(DragTest, AFastPanReleaseScrollsOnAndDeceleratesToAStop)
{
    struct Case
    {
        const char* what;
        uint32_t moveMs;
        int32_t pixels;
        uint32_t releaseAfterMs;
        bool kinetic;
    };
    const Case cases[] = {
        {"1000 px/s released after 99 ms", 10, 10, 99, true},
        {"released after 100 ms", 10, 10, 100, false},
        {"999 px/s", 1000, 999, 0, false},
        {"1000 px/s measured over a second", 1000, 1000, 0, true},
    };
    const auto top = MakeTop();
    for (const Case& c : cases)
    {
        const auto pan = DragProbe::Make(top, u"pan", {0, 0, 200, 100});
        application.Milliseconds = 0xFFFFFFF0u; // the ticks wrap during the pan
        (void)pan->OnMouseMove(LPointWithModifiersParam::Create(100 + c.pixels, 10, 0, 0));
        Press(pan, 100 + c.pixels, 10, 6, 1);
        application.Milliseconds += c.moveMs;
        MoveTo(pan, 100, 10);
        EXPECT_EQ(pan->GetScrollOffset().x, c.pixels) << c.what;
        application.Milliseconds += c.releaseAfterMs;
        Release(pan, 100, 10);
        EXPECT_EQ(pan->ScrollRunning(0), c.kinetic) << c.what;
        EXPECT_FALSE(pan->ScrollRunning(1)) << c.what << ": the flags name X only";
        (void)pan->StopAutoScroll(0);
        (void)pan->Detach();
    }
}

TEST_F(DragTest, APanMoveInTheSameMillisecondMovesTheContentButLeavesTheSpeed)
{
    const auto top = MakeTop();
    const auto pan = DragProbe::Make(top, u"pan", {0, 0, 200, 100});
    application.Milliseconds = 5000;
    (void)pan->OnMouseMove(LPointWithModifiersParam::Create(120, 30, 0, 0));
    Press(pan, 120, 30, 6, 3);
    application.Milliseconds += 10;
    MoveTo(pan, 110, 30);
    MoveTo(pan, 100, 10); // no time has passed
    EXPECT_EQ(pan->GetScrollOffset(), (PointT<double>{20, 20})) << "the content stays under the pointer";
    Release(pan, 100, 10);
    ASSERT_TRUE(pan->ScrollRunning(0));
    EXPECT_EQ(pan->ScrollSpeed(0), 1000) << "measured by the move that took time";
    EXPECT_FALSE(pan->ScrollRunning(1)) << "no speed was measured on Y";
    (void)pan->StopAutoScroll(0);
}

TEST_F(DragTest, KineticScrollingKeepsItsSpeedForASecondThenSlowsAndStaysClamped)
{
    const auto top = MakeTop();
    const auto pan = DragProbe::Make(top, u"pan", {0, 0, 200, 100});
    pan->Range = {0, 0, 1200, 0};
    application.Milliseconds = 0xFFFFFF00u;
    (void)pan->OnMouseMove(LPointWithModifiersParam::Create(110, 10, 0, 0));
    Press(pan, 110, 10, 6, 3);
    application.Milliseconds += 10;
    MoveTo(pan, 100, 10);
    Release(pan, 100, 10);
    ASSERT_TRUE(pan->ScrollRunning(0));
    EXPECT_EQ(pan->GetIdleRequests(), 1);

    Idle(500);
    EXPECT_EQ(pan->GetScrollOffset().x, 10 + 500);
    EXPECT_EQ(pan->ScrollSpeed(0), 1000) << "full speed for the first second";
    Idle(600);
    EXPECT_EQ(pan->GetScrollOffset().x, 10 + 500 + 600);
    EXPECT_EQ(pan->ScrollSpeed(0), 400) << "then 1000 pixels per second less each second";
    Idle(300);
    EXPECT_EQ(pan->GetScrollOffset().x, 1200) << "clamped at the end of the range";
    EXPECT_EQ(pan->ScrollSpeed(0), 100);
    Idle(200);
    EXPECT_FALSE(pan->ScrollRunning(0)) << "the speed ran out";
    EXPECT_EQ(pan->GetIdleRequests(), 0);
    EXPECT_EQ(pan->StopAutoScroll(0), 1);

    // A new press stops a running kinetic scroll at once.
    application.Milliseconds += 1000;
    (void)pan->OnMouseMove(LPointWithModifiersParam::Create(10, 10, 0, 0));
    Press(pan, 10, 10, 6, 1);
    application.Milliseconds += 10;
    MoveTo(pan, 20, 10);
    Release(pan, 20, 10);
    ASSERT_TRUE(pan->ScrollRunning(0));
    EXPECT_EQ(pan->ScrollSpeed(0), -1000);
    Press(pan, 20, 10, 0, 0);
    EXPECT_FALSE(pan->ScrollRunning(0));
    EXPECT_EQ(pan->GetIdleRequests(), 0);
    Release(pan, 20, 10);
}

TEST_F(DragTest, DragAndDropTellsTargetsInOrderSetsCursorsAndScrollsATargetAtItsEdge)
{
    Log log;
    const auto top = MakeTop();
    const auto first = DragProbe::Make(top, u"first", {0, 0, 100, 100}, &log);
    const auto inner = DragProbe::Make(first, u"inner", {10, 10, 50, 50}, &log);
    const auto second = DragProbe::Make(top, u"second", {200, 0, 100, 100}, &log);
    const auto dragged = DragProbe::Make(top, u"dragged", {120, 120, 20, 20}, &log);
    for (const auto& control : {first, inner, second, dragged})
        (void)AddLook(control, TestSupport::Utf8(control->GetName()), 1);
    // The carried control would take a drop itself; it is never its own target.
    first->Accepts = second->Accepts = dragged->Accepts = true;
    second->Edges = 0x4;

    Press(dragged, 125, 125, 1, 0x3);
    MoveTo(dragged, 50, 50);
    EXPECT_FALSE(dragged->GetLayout()->mClipToParent) << "carried over the whole window";
    EXPECT_EQ(dragged->GetRectInWindow().x, 45);
    EXPECT_EQ(log, (Log{"first enter", "first over 50 50"})) << "inner refuses: its parent takes it";
    MoveTo(dragged, 55, 50);
    MoveTo(dragged, 250, 50);
    MoveTo(dragged, 150, 50);
    MoveTo(dragged, 285, 60);
    EXPECT_EQ(log, (Log{"first enter", "first over 50 50", "first over 55 50", "first leave", "second enter",
                        "second over 250 50", "second leave", "second enter", "second over 285 60"}));
    ASSERT_TRUE(second->ScrollRunning(0)) << "15 pixels from the right edge";
    EXPECT_EQ(second->ScrollSpeed(0), (15 + 1) * 15.0);
    EXPECT_FALSE(second->ScrollRunning(1));
    EXPECT_EQ(Cursors(), (Log{"SetCursor 2", "SetCursor 2", "SetCursor 3", "SetCursor 2"}));

    log.clear();
    services.Calls.clear();
    Release(dragged, 285, 60);
    EXPECT_EQ(log, (Log{"second drop", "second leave"}));
    EXPECT_EQ(Cursors(), (Log{"SetCursor 1"}));
    EXPECT_FALSE(second->ScrollRunning(0));
    EXPECT_TRUE(dragged->GetLayout()->mClipToParent);
    EXPECT_FALSE(dragged->GetLayout()->mXDocked);
    EXPECT_EQ(dragged->GetRect(), (RectT<double>{280, 55, 20, 20})) << "left where the drag put it";
}

TEST_F(DragTest, ADraggedControlStaysPutWhileItsParentScrollsUnderIt)
{
    const auto top = MakeTop();
    const auto dragged = DragProbe::Make(top, u"dragged", {120, 120, 20, 20});
    (void)AddLook(dragged, "dragged", 1);
    (void)top->SetScrollOffset({0, 30});
    Press(dragged, 125, 95, 1, 0x3);
    MoveTo(dragged, 135, 95);
    EXPECT_EQ(dragged->GetRectInWindow().x, 130);
    (void)top->SetScrollOffset({0, 50});
    MoveTo(dragged, 135, 95);
    EXPECT_EQ(dragged->GetRectInWindow().y, 90) << "docked while carried";
    Release(dragged, 135, 95);
    EXPECT_EQ(dragged->GetLayout()->mYPosition.Abs, 140) << "back in content coordinates";
    EXPECT_EQ(dragged->GetRectInWindow().y, 90);
}
TEST_F(DragTest, AFloatingControlThatRefusesPassesTheDropToTheControlBeneathIt)
{
    Log log;
    const auto top = MakeTop();
    const auto target = DragProbe::Make(top, u"target", {200, 0, 100, 100}, &log);
    const auto popup = DragProbe::Make(top, u"popup", {200, 80, 50, 50}, &log);
    popup->GetLayout()->mClipToParent = false;
    const auto dragged = DragProbe::Make(top, u"dragged", {20, 200, 20, 20}, &log);
    for (const auto& control : {target, popup, dragged})
        (void)AddLook(control, TestSupport::Utf8(control->GetName()), 1);
    target->Accepts = true;

    Press(dragged, 25, 205, 1, 0x3);
    MoveTo(dragged, 210, 90);
    EXPECT_EQ(log, (Log{"target enter", "target over 210 90"}));
    EXPECT_FALSE(popup->IsSkipInHitTest()) << "the skip ends with the search";
    EXPECT_FALSE(dragged->IsSkipInHitTest());
    Release(dragged, 210, 90);
}

TEST_F(DragTest, ANewDragOriginContinuesFromThePlacementAsItIsNow)
{
    const auto top = MakeTop();
    const auto dragged = DragProbe::Make(top, u"dragged", {50, 40, 60, 30});
    Press(dragged, 60, 50, 2, 0x1);
    MoveTo(dragged, 70, 50);
    ASSERT_EQ(dragged->GetRect().x, 60);
    LLayoutDescriptor::AxisPosition position = dragged->GetLayout()->mXPosition;
    position.Abs = 0;
    (void)dragged->SetAxisPlacement(0, position, dragged->GetLayout()->mXSize);
    (void)dragged->UpdateDragOrigin();
    MoveTo(dragged, 75, 50);
    EXPECT_EQ(dragged->GetRect().x, 5);
    Release(dragged, 75, 50);
}

TEST_F(DragTest, AnAxisDockedByItsLayoutFlagStaysDockedThroughADrag)
{
    const auto top = MakeTop();
    const auto dragged = DragProbe::Make(top, u"dragged", {120, 120, 20, 20});
    (void)AddLook(dragged, "dragged", 1);
    dragged->GetLayout()->mYDocked = true; // as a skin sets it: the flag alone
    for (const int32_t mode : {1, 2})
    {
        Press(dragged, 125, 125, mode, 0x1);
        MoveTo(dragged, 135, 125);
        Release(dragged, 135, 125);
        EXPECT_TRUE(dragged->GetLayout()->mYDocked) << "mode " << mode;
        EXPECT_FALSE(dragged->GetLayout()->mXDocked) << "mode " << mode;
    }
    EXPECT_EQ(dragged->GetRect().x, 140);
}
} // namespace
} // namespace ZQ
