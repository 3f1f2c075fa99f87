#include "ControlBase/PartBuilders.h"
#include "ControlsBench.h"
#include "Support/FakeMeasurer.h"
#include "Support/MeasurementRendererScope.h"

#include "ZQFramework/ControlBase/Control/Look.h"
#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/ControlBase/Skin/LookDescriptor.h"
#include "ZQFramework/Controls/Containers/SplitterH.h"
#include "ZQFramework/Controls/Containers/SplitterV.h"
#include "ZQFramework/Renderer/Font.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ZQ
{
namespace
{
using ZQTest::ControlsBench;

// Panes in a 400-pixel box along the splitter's axis ("X" for the vertical splitter, "Y" for the
// horizontal one): "left" (150 pixels, the anchor), the 6-pixel bar after it and "right" from the bar to
// the box's far edge (244 pixels). Each pane spans the box across the axis. The extras add attributes to
// the panes; cap, when not empty, adds a pane from the box's start to the bar with those attributes.
struct Panes
{
    std::string left;
    std::string right;
    std::string cap;
};

std::string SplitterSkin(const char* axis, const Panes& panes)
{
    const std::string a = axis;
    const std::string cross = a == "X" ? "Y" : "X";
    const std::string span =
        " " + cross + "SizeToControl=\"Parent\" " + cross + "SizeRel=\"1\" " + cross + "SizeAbs=\"0\"";
    const std::string splitter = a == "X" ? "Framework.SplitterV" : "Framework.SplitterH";
    std::string skin =
        R"(<SubControl Class="Test.Panel" Name="main" XSizeAbs="500" YSizeAbs="500"><Skin Name="main" LookList="one"/>
  <SubControl Class="Test.Panel" Name="box" XSizeAbs="400" YSizeAbs="400"><Skin Name="box" LookList="one"/>
    <SubControl Class="Test.Panel" Name="left" )" +
        a + "PositionAbs=\"0\" " + a + "SizeAbs=\"150\"" + span + " " + panes.left + R"(/>
    <SubControl Class=")" +
        splitter + R"(" Name="split" LayoutOrder="1" )" + a + "PositionToControl=\"left\" " + a +
        "PositionRel=\"1\" " + a + "SizeAbs=\"6\"" + span +
        R"(><Skin Name="split" LookList="looks14"/></SubControl>
    <SubControl Class="Test.Panel" Name="right" LayoutOrder="2" )" +
        a + "PositionToControl=\"split\" " + a + "PositionRel=\"1\" " + a + "SizeToControl=\"Parent\" " + a +
        "SizeRel=\"1\" " + a + "SizeAbs=\"0\"" + span + " " + panes.right + "/>";
    if (!panes.cap.empty())
    {
        skin += R"(<SubControl Class="Test.Panel" Name="cap" LayoutOrder="3" )" + a + "PositionAbs=\"0\" " +
                a + "SizeToControl=\"split\" " + a + "SizeRel=\"0\" " + a + "SizeAbs=\"0\" " + cross +
                "SizeAbs=\"10\" " + panes.cap + "/>";
    }
    return skin + "</SubControl></SubControl>";
}

struct SplitterBench
{
    SplitterBench(const char* axisName, const Panes& panes)
        : axis(std::string(axisName) == "X" ? 0 : 1), bench(SplitterSkin(axisName, panes))
    {
        bench.Register(u"Framework.SplitterH", &LControl::CreateFromDescriptor<LSplitterH>);
        bench.Register(u"Framework.SplitterV", &LControl::CreateFromDescriptor<LSplitterV>);
        (void)bench.Show();
        box = bench.Find(u"box");
        left = bench.Find(u"box/left");
        splitter = bench.Find<LSplitterBase>(u"box/split");
        right = bench.Find(u"box/right");
    }

    // The window point at along on the axis and 50 across it.
    [[nodiscard]] PointT<int32_t> At(int32_t along) const
    {
        return axis == 0 ? PointT<int32_t>{along, 50} : PointT<int32_t>{50, along};
    }
    [[nodiscard]] double Start(const RCPtr<LControl>& control) const
    {
        return axis == 0 ? control->GetRect().x : control->GetRect().y;
    }
    [[nodiscard]] double Length(const RCPtr<LControl>& control) const
    {
        return axis == 0 ? control->GetRect().width : control->GetRect().height;
    }
    // Presses on the bar two pixels into it and moves the pointer to along.
    void DragBarTo(int32_t along, bool release = true)
    {
        const int32_t press = static_cast<int32_t>(Start(splitter)) + 2;
        bench.MoveTo(At(press));
        bench.Press();
        bench.MoveTo(At(press + (along > press ? 1 : -1)));
        bench.MoveTo(At(along));
        if (release)
            bench.Release();
    }
    // Sets the control's size rule on the axis to length pixels of its own.
    void Resize(const RCPtr<LControl>& control, double length) const
    {
        LLayoutDescriptor::AxisPosition position;
        LLayoutDescriptor::AxisSize size;
        (void)control->GetLayout()->GetAxis(axis, position, size);
        size.ToControl = LLayoutDescriptor::kSizeSelf;
        size.Abs = length;
        (void)control->SetAxisPlacement(axis, position, size);
    }

    int32_t axis;
    ControlsBench bench;
    RCPtr<LControl> box;
    RCPtr<LControl> left;
    RCPtr<LSplitterBase> splitter;
    RCPtr<LControl> right;
};

struct SplitterTest : ::testing::TestWithParam<const char*>
{
    [[nodiscard]] static std::string Attribute(const std::string& name, const std::string& value)
    {
        return std::string(GetParam()) + name + "=\"" + value + "\"";
    }
};

TEST_P(SplitterTest, EachOrientationMovesAlongItsOwnAxis)
{
    SplitterBench s(GetParam(), {});
    ASSERT_NE(s.splitter, nullptr);
    EXPECT_EQ(s.splitter->GetOrientation(), s.axis == 0 ? 1 : 0);
    EXPECT_EQ(s.Start(s.splitter), 150);
    EXPECT_EQ(s.Length(s.right), 244);
    s.DragBarTo(200, false);
    EXPECT_EQ(s.Start(s.splitter), 198);
    EXPECT_EQ(s.Length(s.left), 198);
    EXPECT_EQ(s.Start(s.right), 204);
    EXPECT_EQ(s.Length(s.right), 196);
    const RectT<double> cross = s.splitter->GetRect();
    EXPECT_EQ(s.axis == 0 ? cross.y : cross.x, 0) << "never across the axis";
    s.bench.Release();
}

TEST_P(SplitterTest, TheDragStopsWhereTheAnchorOrADependentPaneReachesItsLimits)
{
    struct Case
    {
        const char* what;
        Panes panes;
        double low;
        double high;
    };
    // The pointer goes to 0 and to 480; the bar is pressed two pixels into it.
    const std::vector<Case> cases{
        {"minimum sizes of the anchor and the pane after the bar",
         {Attribute("MinSizeAbs", "100"), Attribute("MinSizeAbs", "100"), ""},
         100,
         294},
        {"the maximum of the pane after the bar (it shrinks as the bar moves on)",
         {Attribute("MinSizeAbs", "50"), Attribute("MaxSizeAbs", "300"), ""},
         94,
         394},
        {"a pane ending at the bar (it grows as the bar moves on)",
         {"", "", Attribute("MinSizeAbs", "120") + " " + Attribute("MaxSizeAbs", "200")},
         120,
         200},
        {"a maximum of 0 is none: the pane after the bar does not hold the bar back",
         {Attribute("MinSizeAbs", "100"), Attribute("MaxSizeAbs", "0"), ""},
         100,
         394},
    };
    for (const Case& c : cases)
    {
        SplitterBench s(GetParam(), c.panes);
        s.DragBarTo(0);
        EXPECT_EQ(s.Start(s.splitter), c.low) << c.what;
        EXPECT_EQ(s.Length(s.left), c.low) << c.what;
        s.DragBarTo(480);
        EXPECT_EQ(s.Start(s.splitter), c.high) << c.what;
        EXPECT_EQ(s.Length(s.left), c.high) << c.what;
    }
}

TEST_P(SplitterTest, PanesWhoseLimitsConflictKeepTheBarWhereItIs)
{
    // The anchor's own size (150) lies below its minimum (170), which the layout keeps: the range starts
    // at 190, while the pane after the bar (224 pixels, at least 210) ends it at 184.
    SplitterBench s(GetParam(), {Attribute("MinSizeAbs", "170"), Attribute("MinSizeAbs", "210"), ""});
    ASSERT_EQ(s.Start(s.splitter), 170);
    s.DragBarTo(0);
    EXPECT_EQ(s.Start(s.splitter), 170);
    s.DragBarTo(480);
    EXPECT_EQ(s.Start(s.splitter), 170);
}

TEST_P(SplitterTest, AfterADragTheBarFollowsItsAnchorAgain)
{
    SplitterBench s(GetParam(), {});
    s.DragBarTo(200, false);
    EXPECT_EQ(s.splitter->GetAnchor(), s.left);
    s.bench.Release();
    EXPECT_EQ(s.splitter->GetAnchor(), nullptr);
    const LLayoutDescriptor::AxisPosition& position =
        s.axis == 0 ? s.splitter->GetLayout()->mXPosition : s.splitter->GetLayout()->mYPosition;
    EXPECT_EQ(position.ToControl, LLayoutDescriptor::kPositionSibling);
    EXPECT_EQ(position.ReferenceName, u"left");
    EXPECT_EQ(position.Rel, 1);

    s.Resize(s.left, 120);
    EXPECT_EQ(s.Start(s.splitter), 120);
    s.Resize(s.box, 300);
    EXPECT_EQ(s.Start(s.splitter), 120);
    EXPECT_EQ(s.Length(s.right), 174);
}

TEST_P(SplitterTest, ShrinkingTheParentPullsTheBarBackSoThatTheLaterPaneKeepsItsMinimum)
{
    SplitterBench s(GetParam(), {Attribute("MinSizeAbs", "100"), Attribute("MinSizeAbs", "100"), ""});
    s.Resize(s.box, 300); // the pane after the bar still fits: nothing moves
    EXPECT_EQ(s.Start(s.splitter), 150);
    s.Resize(s.box, 250);
    EXPECT_EQ(s.Length(s.left), 144);
    EXPECT_EQ(s.Start(s.splitter), 144);
    EXPECT_EQ(s.Start(s.right), 150);
    EXPECT_EQ(s.Length(s.right), 100);
}

TEST_P(SplitterTest, ShrinkingTheParentPullsTheBarBackSoThatAPaneSizedByItsTextKeepsIt)
{
    // Glyphs 6 wide and lines 12 high; the text area lies 2 pixels inside the pane on every side. Along
    // the axis the text is 120 pixels: one line of 20 glyphs, or 10 lines.
    const TestSupport::MeasurementRendererScope measuring{
        RCPtr<LMeasurementRenderer>(new TestSupport::FakeMeasurer)};
    const std::string axis = GetParam();
    SplitterBench s(GetParam(), {"", "TextOverflow" + axis + "Type=\"Expand\"", ""});
    const RCPtr<LLookDescriptor> descriptor = LLookDescriptor::Create(u"label");
    LLookDescriptor::TextProperties text;
    text.LeftAbs = text.TopAbs = 2;
    text.RightRel = text.BottomRel = 1;
    text.RightAbs = text.BottomAbs = -2;
    descriptor->SetTextProperties(text,
                                  PartBuilders::FillPart(PartBuilders::Solid(PartBuilders::kWhite), 1, 1));
    const RCPtr<LLook> look = LLook::Create(descriptor, true);
    (void)s.right->AddLook(look);
    (void)look->SetFont(LFont::GetFont(u"SplitterTest", 9, 0));
    (void)look->SetText(axis == "X" ? u"WWWWWWWWWWWWWWWWWWWW" : u"W\nW\nW\nW\nW\nW\nW\nW\nW\nW");
    (void)s.right->UpdateLayout();
    ASSERT_EQ(s.Length(s.right), 244);

    s.Resize(s.box, 300); // 144 pixels after the bar: the text still fits
    EXPECT_EQ(s.Start(s.splitter), 150);
    s.Resize(s.box, 250);
    EXPECT_EQ(s.Start(s.splitter), 120);
    EXPECT_EQ(s.Length(s.left), 120);
    EXPECT_EQ(s.Start(s.right), 126);
    EXPECT_EQ(s.Length(s.right), 124) << "the text and its margins";
}

TEST_P(SplitterTest, TheLookShowsHoverDragFocusAndDisabledState)
{
    SplitterBench s(GetParam(), {});
    const auto look = [&s] { return s.splitter->GetFirstVisibleLookIndex(); };
    EXPECT_EQ(look(), 0);
    s.bench.MoveTo(s.At(152));
    EXPECT_EQ(look(), 1) << "hovered";
    s.DragBarTo(200, false); // the press gives the bar the focus
    s.bench.MoveTo(s.At(201));
    EXPECT_EQ(look(), 5) << "dragged under the pointer";
    s.bench.MoveTo(s.At(480));
    s.bench.MoveTo(s.At(479));
    EXPECT_EQ(s.Start(s.splitter), 394) << "the pane after the bar is down to nothing";
    EXPECT_EQ(look(), 4) << "dragged with the pointer off it";
    s.bench.Release();
    EXPECT_EQ(look(), 3) << "released away from it";
    (void)s.splitter->SetEnabled(false);
    EXPECT_EQ(look(), 6);
}

INSTANTIATE_TEST_SUITE_P(Orientations, SplitterTest, ::testing::Values("X", "Y"),
                         [](const ::testing::TestParamInfo<const char*>& info)
                         { return std::string(info.param) == "X" ? "Vertical" : "Horizontal"; });
} // namespace
} // namespace ZQ
