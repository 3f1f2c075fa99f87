#include "ControlsBench.h"

#include "ZQFramework/ControlBase/Skin/ControlDescriptor.h"
#include "ZQFramework/Controls/Text/ToolTip.h"

#include <gtest/gtest.h>
#include <vector>

namespace ZQ
{
namespace
{
using ZQTest::ControlsBench;

// "host" stands at (50, 40) in the 400 x 300 window; tips are 100 x 20, "wideTip" asks for 500.
constexpr const char* kSkin = R"(
<SubControl Class="Test.Panel" Name="main">
  <Skin Name="main" LookList="one"/>
  <SubControl Class="Test.Panel" Name="host" XPositionAbs="50" YPositionAbs="40" XSizeAbs="200" YSizeAbs="100">
    <Skin Name="host" LookList="one"/>
  </SubControl>
  <SubControl Class="Test.Tipped" Name="tipped" XPositionAbs="300" XSizeAbs="50" YSizeAbs="50">
    <Skin Name="tipped" LookList="one"/>
  </SubControl>
  <SubControl Class="Test.Panel" Name="silent" XPositionAbs="300" YPositionAbs="60" XSizeAbs="50" YSizeAbs="50">
    <Skin Name="silent" LookList="one"/>
  </SubControl>
</SubControl>
<SubControl Class="Framework.ToolTip" Name="toolTip" XSizeAbs="100" YSizeAbs="20">
  <Skin Name="toolTip" LookList="one"/>
</SubControl>
<SubControl Class="Framework.ToolTip" Name="wideTip" XSizeAbs="500" YSizeAbs="20">
  <Skin Name="wideTip" LookList="one"/>
</SubControl>)";

// A control whose string table would give it a tool-tip text.
class Tipped : public LControl
{
public:
    Tipped(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}
    [[nodiscard]] WString GetToolTipText() const override { return u"Some help"; }
};

// Tool tips share the time of the last hiding, so each test runs its clock in a range of its own.
struct ToolTipTest : ::testing::Test
{
    // A tool tip made under "host" as the control base makes one, shown at tick.
    RCPtr<LToolTip> ShowTip(uint32_t tick, const char16_t* skinName = u"toolTip")
    {
        bench.Application.Milliseconds = tick;
        const RCPtr<LToolTip> tip(LControl::CreateFromDescriptor<LToolTip>(
            bench.Find(u"host"), bench.Factory->FindSkinDescriptor(skinName)));
        (void)tip->SetLabel(u"Tip");
        EXPECT_EQ(tip->Show(), 0);
        return tip;
    }
    [[nodiscard]] static bool Showing(const RCPtr<LToolTip>& tip) { return tip->IsVisible(false); }
    [[nodiscard]] bool InTree(const RCPtr<LToolTip>& tip) const
    {
        return tip->GetParent() == bench.Find(u"host");
    }

    ControlsBench bench{kSkin};
    RCPtr<LControl> main = Show();

    RCPtr<LControl> Show()
    {
        bench.Register(u"Test.Tipped", &LControl::CreateFromDescriptor<Tipped>);
        return bench.Show();
    }
};

TEST_F(ToolTipTest, AControlMakesItsTipFromTheSkinWithItsTextAndHidesItAgain)
{
    constexpr uint32_t kStart = 3'000'000;
    bench.Application.Milliseconds = kStart;
    const RCPtr<LControl> host = bench.Find(u"tipped");
    EXPECT_EQ(host->CreateToolTip(false), S_FALSE) << "no tip to hide";
    EXPECT_EQ(bench.Find(u"silent")->CreateToolTip(true), S_FALSE) << "no text, no tip";
    EXPECT_EQ(bench.Find(u"silent")->FindChild(u"toolTip"), nullptr);

    ASSERT_EQ(host->CreateToolTip(true), S_OK);
    const RCPtr<LToolTip> tip(host->FindChild(u"toolTip"));
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->GetLabel(), WString(u"Some help"));
    EXPECT_EQ(tip->GetState(), 1);

    EXPECT_EQ(host->CreateToolTip(false), S_OK);
    EXPECT_EQ(tip->GetState(), 0);
    bench.IdleAtTick(kStart + 1);
    EXPECT_EQ(host->FindChild(u"toolTip"), nullptr) << "removed at the parent's next idle pass";
}

TEST_F(ToolTipTest, ATipShowsAfterMoreThanHalfASecondAndGoesAfterMoreThanFiveSeconds)
{
    constexpr uint32_t kStart = 1'000'000;
    const RCPtr<LToolTip> tip = ShowTip(kStart);
    EXPECT_FALSE(Showing(tip));
    EXPECT_TRUE(tip->IsNotFocusable());
    EXPECT_FALSE(tip->IsTransparentAtPoint({0, 0}));

    bench.IdleAtTick(kStart + 500);
    EXPECT_FALSE(Showing(tip));
    bench.IdleAtTick(kStart + 501);
    EXPECT_TRUE(Showing(tip));
    EXPECT_EQ(tip->GetState(), 2);

    bench.IdleAtTick(kStart + 501 + 5000);
    EXPECT_TRUE(Showing(tip));
    bench.IdleAtTick(kStart + 501 + 5001);
    EXPECT_FALSE(Showing(tip));
    EXPECT_EQ(tip->GetState(), 0);
    EXPECT_EQ(tip->GetIdleRequests(), 0);
    EXPECT_EQ(LToolTip::GetLastHideTime(), kStart + 501 + 5001);
    bench.IdleAtTick(kStart + 501 + 5002);
    EXPECT_FALSE(InTree(tip)) << "removed at the parent's next idle pass";
}

TEST_F(ToolTipTest, ATipShowsAtOnceWithinFiftyMillisecondsOfAShowingTipsHiding)
{
    struct Case
    {
        uint32_t hiddenAt; // the first tip, showing, is hidden here
        uint32_t nextAt;   // the next tip's Show
        bool atOnce;
    };
    const std::vector<Case> cases{
        {2'000'000, 2'000'049, true},        {2'100'000, 2'100'050, false}, {2'200'000, 2'200'000, true},
        {0xFFFF'FFF0u, 0x0000'0010u, true}, // across the wrap of the clock: 32 ms
        {0xFFFF'FF00u, 0x0000'0010u, false},
    };
    for (const Case& c : cases)
    {
        const RCPtr<LToolTip> first = ShowTip(c.hiddenAt - 1000);
        bench.IdleAtTick(c.hiddenAt - 400);
        ASSERT_TRUE(Showing(first));
        bench.Application.Milliseconds = c.hiddenAt;
        EXPECT_EQ(first->Hide(), 0);

        const RCPtr<LToolTip> next = ShowTip(c.nextAt);
        EXPECT_EQ(Showing(next), c.atOnce) << c.hiddenAt << " -> " << c.nextAt;
        EXPECT_EQ(next->GetState(), c.atOnce ? 2 : 1);
        (void)next->Hide();
        bench.IdleAtTick(c.nextAt);
    }
}

TEST_F(ToolTipTest, ATipHiddenWhileWaitingDoesNotHurryTheNextOne)
{
    constexpr uint32_t kStart = 3'000'000;
    const RCPtr<LToolTip> waiting = ShowTip(kStart);
    bench.IdleAtTick(kStart + 100);
    EXPECT_EQ(waiting->Hide(), 0);
    EXPECT_NE(LToolTip::GetLastHideTime(), kStart + 100);
    EXPECT_EQ(waiting->GetIdleRequests(), 0);

    const RCPtr<LToolTip> next = ShowTip(kStart + 110);
    EXPECT_FALSE(Showing(next));
    (void)next->Hide();
}

TEST_F(ToolTipTest, TheShowDelayCountsAcrossTheWrapOfTheClock)
{
    constexpr uint32_t kStart = 0xFFFF'FF80u;
    const RCPtr<LToolTip> tip = ShowTip(kStart);
    bench.IdleAtTick(kStart + 400);
    EXPECT_FALSE(Showing(tip));
    bench.IdleAtTick(kStart + 501); // wrapped to 0x175
    EXPECT_TRUE(Showing(tip));
    (void)tip->Hide();
}

TEST_F(ToolTipTest, ATipSitsBelowThePointerInsideTheWindowAndIsNoWiderThanTheWindow)
{
    struct Case
    {
        PointT<int32_t> pointer;
        const char16_t* tip;
        RectT<double> expected; // in the window
    };
    const std::vector<Case> cases{
        {{60, 50}, u"toolTip", {60, 70, 100, 20}},
        {{380, 50}, u"toolTip", {300, 70, 100, 20}}, // moved left to end at the right edge
        {{60, 290}, u"toolTip", {60, 280, 100, 20}}, // moved up to end at the bottom edge
        {{-5, -40}, u"toolTip", {0, 0, 100, 20}},    // never beyond the top-left corner
        {{100, 50}, u"wideTip", {8, 70, 392, 20}},   // limited to the window's width less 8
    };
    uint32_t tick = 4'000'000;
    for (const Case& c : cases)
    {
        bench.Services.CursorPos = c.pointer;
        const RCPtr<LToolTip> tip = ShowTip(tick, c.tip);
        bench.IdleAtTick(tick + 501);
        ASSERT_TRUE(Showing(tip));
        EXPECT_EQ(tip->GetRectInWindow(), c.expected) << c.pointer.x << ", " << c.pointer.y;
        EXPECT_EQ(tip->GetLayout()->mXPosition.ToControl, LLayoutDescriptor::kPositionParent);
        (void)tip->Hide();
        tick += 10'000;
    }
}
} // namespace
} // namespace ZQ
