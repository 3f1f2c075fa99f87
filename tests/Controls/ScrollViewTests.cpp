#include "ContainerBench.h"

#include "ZQFramework/Controls/Containers/ScrollView.h"
#include "ZQFramework/Controls/Sliders/ScrollBar.h"
#include "ZQFramework/Notification/KeyCode.h"
#include "ZQFramework/Notification/MouseWheelParam.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ZQ
{
namespace
{
using ZQTest::ControlsBench;
using ZQTest::ScrollBarSkin;

constexpr double kUnbounded = 4503599627370496.0; // 2^52

// A scroll view that scrolls its Y axis in lines, as the list boxes do.
class LineView : public LScrollView
{
public:
    void SetLines(int32_t unit)
    {
        mLineMode[1] = 1;
        mLineUnit[1] = unit;
        UpdateScrollBarRanges();
    }

    LineView(CreateKey key, const RCPtr<LControl>& parent, const WString& name)
        : LScrollView(key, parent, name)
    {
    }
};

// "view", 100 x 100 at the window's origin, with both bars 10 pixels thick; "outer" holds "inner", a
// panel without bars, over its own content.
std::string ViewSkin(const std::string& viewClass = "Framework.Panel")
{
    return R"(<SubControl Class="Test.Panel" Name="main" XSizeAbs="400" YSizeAbs="300"><Skin Name="main" LookList="one"/>
      <SubControl Class=")" +
           viewClass + R"(" Name="view" XSizeAbs="100" YSizeAbs="100"><Skin Name="view" LookList="one"/>)" +
           ScrollBarSkin("hBar", false) + ScrollBarSkin("vBar", true) + R"(</SubControl>
      <SubControl Class="Framework.Panel" Name="outer" XPositionAbs="200" XSizeAbs="100" YSizeAbs="100"><Skin Name="outer" LookList="one"/>)" +
           ScrollBarSkin("vBar", true) +
           R"(<SubControl Class="Framework.Panel" Name="inner" XSizeAbs="50" YSizeAbs="50"><Skin Name="inner" LookList="one"/></SubControl>
      </SubControl>
      <SubControl Class="Framework.Panel" Name="auto" YPositionAbs="150" XSizeAbs="100" YSizeAbs="100">
        <CreateParamList><CreateParam ID="AUTO_CLIENT_EXTENT_X"> True </CreateParam><CreateParam ID="AUTO_CLIENT_EXTENT_Y">yes</CreateParam></CreateParamList>
        <SubControl Class="Test.Panel" Name="child" XPositionAbs="10" YPositionAbs="20" XSizeAbs="30" YSizeAbs="40"/>
      </SubControl>
    </SubControl>)";
}

struct ScrollViewTest : ::testing::Test
{
    explicit ScrollViewTest(const std::string& viewClass = "Framework.Panel") : bench(ViewSkin(viewClass))
    {
        bench.Register(u"Test.LineView", &LControl::CreateFromDescriptor<LineView>);
        (void)ZQTest::ShowContainers(bench);
        view = bench.Find<LScrollView>(u"view");
    }
    [[nodiscard]] RectT<double> Client() const
    {
        RectT<double> client;
        (void)view->GetClientRect(client);
        return client;
    }
    [[nodiscard]] bool Shown(int32_t axis) const { return view->IsScrollBarShown(axis); }

    ControlsBench bench;
    RCPtr<LScrollView> view;
};

TEST_F(ScrollViewTest, ContentExactlyTheRoomShowsNoBarAndOnePixelMoreShowsOneThatMayNeedTheOther)
{
    ASSERT_NE(view, nullptr);
    ASSERT_NE(view->GetHorizontalBar(), nullptr);
    ASSERT_NE(view->GetVerticalBar(), nullptr);
    EXPECT_FALSE(view->GetHorizontalBar()->IsVertical());
    EXPECT_TRUE(view->GetVerticalBar()->IsVertical());
    EXPECT_FALSE(Shown(0));
    EXPECT_FALSE(Shown(1));

    struct Case
    {
        double width;
        double height;
        bool horizontal;
        bool vertical;
    };
    const std::vector<Case> cases{
        {100, 100, false, false}, // exactly the room
        {90, 101, false, true},   // one pixel higher: the vertical bar leaves 90 for the width
        {91, 101, true, true},    // ... which is one too few
        {101, 90, true, false},   // one pixel wider: the horizontal bar leaves 90 for the height
        {101, 91, true, true},    // ... which is one too few
        {100, 100, false, false}, // and back
        {0, 500, false, true},    // an unbounded axis needs no bar
    };
    for (const Case& c : cases)
    {
        (void)view->SetClientExtent(c.width, c.height);
        EXPECT_EQ(Shown(0), c.horizontal) << c.width << " x " << c.height;
        EXPECT_EQ(Shown(1), c.vertical) << c.width << " x " << c.height;
        EXPECT_EQ(Client(), (RectT<double>{0, 0, c.vertical ? 90.0 : 100.0, c.horizontal ? 90.0 : 100.0}))
            << c.width << " x " << c.height;
    }
}

TEST_F(ScrollViewTest, TheBarsDriveTheOffsetAndFollowItWithoutFeedback)
{
    (void)view->SetClientExtent(300, 300);
    const RCPtr<LScrollbar> vBar = view->GetVerticalBar();
    // 90 of 300 pixels show: the thumb is 30 % of the channel, a page 90 / 210 of the range.
    EXPECT_FLOAT_EQ(static_cast<float>(vBar->GetThumbProportion()), 0.3f);
    EXPECT_FLOAT_EQ(static_cast<float>(vBar->GetPageStep()), 90.0f / 210.0f);
    EXPECT_DOUBLE_EQ(vBar->GetLineStep(), vBar->GetPageStep() / 10);

    (void)vBar->SetValue(0.5);
    EXPECT_EQ(view->GetScrollOffset(), (PointT<double>{0, 105}));

    const auto log = bench.Listen(RCPtr<LControl>(view), {u"NID_SCROLL_OFFSET_CHANGE"});
    (void)view->SetScrollOffset({21, 42});
    EXPECT_DOUBLE_EQ(view->GetHorizontalBar()->GetValue(), 0.1);
    EXPECT_DOUBLE_EQ(vBar->GetValue(), 0.2);
    EXPECT_EQ(view->GetScrollOffset(), (PointT<double>{21, 42}));
    EXPECT_EQ(log->Entries.size(), 1u) << "the bars' changes did not come back as offsets";

    // Content that fits: the whole channel for the thumb, page and line steps 1 and 0.1, offset 0.
    (void)view->SetClientExtent(50, 300);
    const RCPtr<LScrollbar> hBar = view->GetHorizontalBar();
    EXPECT_DOUBLE_EQ(hBar->GetThumbProportion(), 1);
    EXPECT_DOUBLE_EQ(hBar->GetPageStep(), 1);
    EXPECT_DOUBLE_EQ(hBar->GetLineStep(), 0.1);
    EXPECT_EQ(view->GetScrollOffset().x, 0);
}

TEST_F(ScrollViewTest, ADescriptorAppliedAgainKeepsTheBarsBoundAndTheAutoExtent)
{
    const RCPtr<LScrollView> outer = bench.Find<LScrollView>(u"outer");
    (void)outer->SetAutoClientExtent(2, 0, 0);
    (void)view->SetClientExtent(300, 300);
    EXPECT_EQ(view->ApplyDescriptor(view->GetDescriptor()), 0);
    EXPECT_EQ(outer->ApplyDescriptor(outer->GetDescriptor()), 0);
    EXPECT_EQ(outer->GetAutoClientExtent(), 2);
    EXPECT_EQ(outer->GetClientExtent().y, 50);
    EXPECT_FALSE(outer->IsScrollBarShown(1));
    (void)outer->SetAutoClientExtent(0, 0, 0);
    (void)outer->SetClientExtent(0, 500);
    EXPECT_EQ(outer->GetVerticalBar()->GetRect().width, 10)
        << "a bar hidden while re-applied keeps its thickness";

    EXPECT_TRUE(Shown(0));
    EXPECT_TRUE(Shown(1));
    (void)view->GetVerticalBar()->SetValue(0.5);
    EXPECT_EQ(view->GetScrollOffset(), (PointT<double>{0, 105}));
    (void)view->SetScrollOffset({0, 42});
    EXPECT_DOUBLE_EQ(view->GetVerticalBar()->GetValue(), 0.2);
}

TEST_F(ScrollViewTest, AnExtentOfZeroLeavesThatAxisUnbounded)
{
    RectT<double> range;
    (void)view->GetMaxScrollOffset(range, nullptr);
    EXPECT_EQ(range, (RectT<double>{0, 0, kUnbounded, kUnbounded}));

    (void)view->SetClientExtent(300, 0);
    (void)view->GetMaxScrollOffset(range, nullptr);
    EXPECT_EQ(range, (RectT<double>{0, 0, 200, kUnbounded}));

    (void)view->SetClientExtent(50, -1);
    (void)view->GetMaxScrollOffset(range, nullptr);
    EXPECT_EQ(range, (RectT<double>{0, 0, 0, kUnbounded}));
}

TEST_F(ScrollViewTest, TheSameExtentTwiceNotifiesOnce)
{
    const auto log = bench.Listen(RCPtr<LControl>(view), {u"NID_CLIENT_EXTENT_CHANGE"});
    EXPECT_EQ(view->SetClientExtent(200, 150), 0);
    EXPECT_EQ(view->SetClientExtent(200, 150), 1);
    EXPECT_EQ(view->SetClientExtent(200 + 1e-15, 150), 1) << "within the tolerance";
    EXPECT_EQ(log->Entries.size(), 1u);
    EXPECT_EQ(view->SetClientExtent(200, 151), 0);
    EXPECT_EQ(log->Entries.size(), 2u);
}

TEST_F(ScrollViewTest, TheWheelScrollsALineAPageWithShiftAndHorizontallyWithAlt)
{
    (void)view->SetClientExtent(300, 300);
    // A line is a tenth of a page of 90 pixels over the 210 that scroll: 9 pixels.
    struct Case
    {
        const char* what;
        uint32_t modifiers;
        uint32_t direction;
        PointT<double> offset;
    };
    const std::vector<Case> cases{
        {"towards the user", 0, 0, {0, 9}},
        {"away", 0, 1, {0, 0}},
        {"Shift: a page", KeyCode::kInputShift, 0, {0, 90}},
        {"Alt: horizontally", KeyCode::kInputAlt, 0, {9, 90}},
        {"horizontal wheel left", 0, 2, {18, 90}},
        {"horizontal wheel right", 0, 3, {9, 90}},
    };
    for (const Case& c : cases)
    {
        bench.Window->OnMouseWheel({50, 50}, c.modifiers, c.direction);
        EXPECT_EQ(view->GetScrollOffset(), c.offset) << c.what;
    }

    // Only the horizontal bar shown: the vertical wheel scrolls it.
    (void)view->SetScrollOffset({0, 0});
    (void)view->SetClientExtent(300, 50);
    bench.Window->OnMouseWheel({50, 50}, 0, 0);
    EXPECT_EQ(view->GetScrollOffset(), (PointT<double>{10, 0})) << "a tenth of the page of 100 over 200";
}

TEST_F(ScrollViewTest, AWheelOverAViewWithoutBarsReachesItsParent)
{
    const RCPtr<LScrollView> outer = bench.Find<LScrollView>(u"outer");
    const RCPtr<LScrollView> inner = bench.Find<LScrollView>(u"outer/inner");
    (void)outer->SetClientExtent(0, 500);
    ASSERT_TRUE(outer->IsScrollBarShown(1));
    EXPECT_EQ(inner->OnMouseWheel(LMouseWheelParam::Create(0, 0, 0, 0)), 1);
    bench.Window->OnMouseWheel({210, 10}, 0, 0);
    EXPECT_GT(outer->GetScrollOffset().y, 0);
}

TEST_F(ScrollViewTest, AutoClientExtentFollowsTheChildrenButNotTheDockedBars)
{
    // From the create parameters, trimmed: the width follows the child, the height does not.
    EXPECT_EQ(bench.Find<LScrollView>(u"auto")->GetAutoClientExtent(), 1);
    EXPECT_EQ(bench.Find<LScrollView>(u"auto")->GetClientExtent(), (PointT<double>{40, 0}));

    const RCPtr<LScrollView> outer = bench.Find<LScrollView>(u"outer");
    (void)outer->SetAutoClientExtent(3, 5, 7);
    EXPECT_EQ(outer->GetClientExtent(), (PointT<double>{55, 57}));
    EXPECT_FALSE(outer->IsScrollBarShown(1));

    const RCPtr<LControl> inner = bench.Find(u"outer/inner");
    LLayoutDescriptor::AxisPosition position;
    LLayoutDescriptor::AxisSize size;
    (void)inner->GetLayout()->GetAxis(1, position, size);
    size.Abs = 150;
    (void)inner->SetAxisPlacement(1, position, size);
    EXPECT_EQ(outer->GetClientExtent(), (PointT<double>{55, 157}));
    EXPECT_TRUE(outer->IsScrollBarShown(1));
}

TEST(ScrollViewCorner, TheCornersSkinSizeIsTheBarsThicknessAndItsCurrentSizeShowsThem)
{
    // The corner at the client's bottom right; each bar ends at the corner and is as thick as it.
    const std::string docked = R"(XIsDocked="True" YIsDocked="True")";
    ControlsBench bench(
        R"(<SubControl Class="Test.Panel" Name="main" XSizeAbs="400" YSizeAbs="300"><Skin Name="main" LookList="one"/>
             <SubControl Class="Framework.Panel" Name="view" XSizeAbs="100" YSizeAbs="100"><Skin Name="view" LookList="one"/>
               <SubControl Class="Test.Panel" Name="corner" XPlacementAnchor="1" XPositionRel="1" YPlacementAnchor="1"
                 YPositionRel="1" XSizeAbs="15" YSizeAbs="15" )" +
        docked + "/>" +
        ScrollBarSkin("hBar", false,
                      R"(YPlacementAnchor="1" YPositionRel="1" XSizeToControl="corner" XSizeAbs="0" )"
                      R"(YSizeToControl="corner" YSizeAbs="0")") +
        ScrollBarSkin("vBar", true,
                      R"(XPlacementAnchor="1" XPositionRel="1" XSizeToControl="corner" XSizeAbs="0" )"
                      R"(YSizeToControl="corner" YSizeAbs="0")") +
        "</SubControl></SubControl>");
    (void)ZQTest::ShowContainers(bench);
    const RCPtr<LScrollView> view = bench.Find<LScrollView>(u"view");
    const RCPtr<LControl> corner = view->GetCorner();
    ASSERT_NE(corner, nullptr);
    EXPECT_EQ(corner->GetRect(), (RectT<double>{100, 100, 0, 0})) << "content that fits: no bar, no corner";

    (void)view->SetClientExtent(50, 200);
    EXPECT_TRUE(view->IsScrollBarShown(1));
    EXPECT_FALSE(view->IsScrollBarShown(0));
    EXPECT_EQ(corner->GetRect().width, 15);
    EXPECT_EQ(view->GetVerticalBar()->GetRect(), (RectT<double>{85, 0, 15, 100}));
    EXPECT_EQ(view->GetScrollBarThickness(), (PointT<double>{15, 0}));
    RectT<double> client;
    (void)view->GetClientRect(client);
    EXPECT_EQ(client, (RectT<double>{0, 0, 85, 100}));

    (void)view->SetClientExtent(200, 200);
    EXPECT_TRUE(view->IsScrollBarShown(0));
    EXPECT_EQ(view->GetHorizontalBar()->GetRect(), (RectT<double>{0, 85, 85, 15}));
    EXPECT_EQ(view->GetVerticalBar()->GetRect(), (RectT<double>{85, 0, 15, 85}));
}

struct LineViewTest : ScrollViewTest
{
    LineViewTest() : ScrollViewTest("Test.LineView") {}
};

TEST_F(LineViewTest, LineModeStepsAreFractionsOfTheLinesThatScroll)
{
    auto* lines = dynamic_cast<LineView*>(view.Get());
    ASSERT_NE(lines, nullptr);
    (void)view->SetClientExtent(50, 1000);
    lines->SetLines(20);
    // 50 lines, 5 of them in the 100 pixels shown: 45 lines scroll.
    const RCPtr<LScrollbar> vBar = view->GetVerticalBar();
    EXPECT_DOUBLE_EQ(vBar->GetLineStep(), 1.0 / 45);
    EXPECT_DOUBLE_EQ(vBar->GetPageStep(), 5.0 / 45);
    EXPECT_DOUBLE_EQ(vBar->GetThumbProportion(), 5.0 / 50);

    (void)vBar->SetValue(vBar->UnscaleValue(3));
    EXPECT_EQ(view->GetScrollOffset().y, 60) << "three lines of 20 pixels";

    // A unit of 0 or less counts as one pixel instead of dividing by it.
    for (const int32_t unit : {0, -5})
    {
        lines->SetLines(unit);
        EXPECT_DOUBLE_EQ(vBar->GetLineStep(), 1.0 / 900) << unit;
        EXPECT_DOUBLE_EQ(vBar->GetThumbProportion(), 100.0 / 1000) << unit;
    }
}
} // namespace
} // namespace ZQ
