#include "ControlsBench.h"

#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/Controls/Buttons/Button.h"
#include "ZQFramework/Controls/Containers/Panel.h"
#include "ZQFramework/Controls/Sliders/LevelMeter.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ZQ
{
namespace
{
using ZQTest::ControlsBench;

// "meter" is horizontal with every child, the clip light on top at its right end; "tall" is vertical
// without a clip light or a peak marker; "primed" starts at 0.5 from the skin; "nohi" lacks "peakHi".
constexpr const char* kMeters = R"(
<SubControl Class="Test.Panel" Name="main" XSizeAbs="400" YSizeAbs="300">
  <Skin Name="main" LookList="one"/>
  <SubControl Class="Framework.LevelMeter" Name="meter" XPositionAbs="0" YPositionAbs="0" XSizeAbs="200" YSizeAbs="20">
    <Skin Name="meter" LookList="one"/>
    <SubControl Class="Framework.Panel" Name="activeOverlay" XSizeAbs="50" YSizeToControl="Parent" YSizeRel="1"/>
    <SubControl Class="Framework.Panel" Name="peakLo" XPositionAbs="0" XSizeAbs="2" YSizeAbs="20"/>
    <SubControl Class="Test.Panel" Name="peakHi" XPositionAbs="190" XSizeAbs="2" YSizeAbs="20"/>
    <SubControl Class="Framework.Button" Name="clipButton" XPositionAbs="180" XSizeAbs="20" YSizeAbs="20">
      <Skin Name="clipButton" LookList="looks14"/>
    </SubControl>
  </SubControl>
  <SubControl Class="Framework.LevelMeter" Name="tall" XPositionAbs="250" XSizeAbs="20" YSizeAbs="100">
    <Skin Name="tall" LookList="one"/>
    <SubControl Class="Framework.Panel" Name="activeOverlay" XSizeToControl="Parent" XSizeRel="1" YSizeAbs="10"/>
  </SubControl>
  <SubControl Class="Framework.LevelMeter" Name="primed" YPositionAbs="100" XSizeAbs="200" YSizeAbs="20">
    <CreateParamList><CreateParam ID="INITIAL_VALUE">0.5</CreateParam></CreateParamList>
    <SubControl Class="Framework.Panel" Name="activeOverlay" XSizeAbs="50" YSizeToControl="Parent" YSizeRel="1"/>
    <SubControl Class="Framework.Button" Name="clipButton" XSizeAbs="20" YSizeAbs="20"/>
  </SubControl>
  <SubControl Class="Framework.LevelMeter" Name="nohi" YPositionAbs="150" XSizeAbs="200" YSizeAbs="20">
    <SubControl Class="Framework.Panel" Name="activeOverlay" XSizeAbs="50" YSizeToControl="Parent" YSizeRel="1"/>
    <SubControl Class="Framework.Panel" Name="peakLo" XSizeAbs="2" YSizeAbs="20"/>
    <SubControl Class="Framework.Button" Name="clipButton" XSizeAbs="20" YSizeAbs="20"/>
  </SubControl>
  <SubControl Class="Framework.LevelMeter" Name="plain" YPositionAbs="200" XSizeAbs="200" YSizeAbs="20">
    <SubControl Class="Test.Panel" Name="activeOverlay" XSizeAbs="50" YSizeToControl="Parent" YSizeRel="1"/>
    <SubControl Class="Test.Panel" Name="peakLo" XSizeAbs="2" YSizeAbs="20"/>
    <SubControl Class="Test.Panel" Name="peakHi" XPositionAbs="190" XSizeAbs="2" YSizeAbs="20"/>
    <SubControl Class="Framework.Button" Name="clipButton" XSizeAbs="20" YSizeAbs="20"/>
  </SubControl>
</SubControl>)";

constexpr PointT<int32_t> kOnClipLight{190, 10};

struct LevelMeterTest : ::testing::Test
{
    LevelMeterTest()
    {
        bench.Register(u"Framework.LevelMeter", &LControl::CreateFromDescriptor<LLevelMeter>);
        bench.Register(u"Framework.Panel", &LControl::CreateFromDescriptor<LPanel>);
        (void)bench.Show();
        meter = Meter(u"meter");
        overlay = bench.Find(u"meter/activeOverlay");
        peak = bench.Find(u"meter/peakLo");
    }

    RCPtr<LLevelMeter> Meter(const char16_t* name) { return bench.Find<LLevelMeter>(name); }
    void ClickClipLight()
    {
        bench.MoveTo(kOnClipLight);
        bench.Press();
        bench.Release();
    }

    ControlsBench bench{kMeters};
    RCPtr<LLevelMeter> meter;
    RCPtr<LControl> overlay;
    RCPtr<LControl> peak;
};

TEST_F(LevelMeterTest, CreationFixesTheAxisHidesTheMarksAndTakesNoFocus)
{
    ASSERT_NE(meter, nullptr);
    EXPECT_EQ(meter->GetAxis(), 0);
    EXPECT_EQ(Meter(u"tall")->GetAxis(), 1);
    EXPECT_TRUE(meter->IsNotFocusable());
    EXPECT_FALSE(overlay->IsVisible(false)) << "level 0";
    EXPECT_FALSE(peak->IsVisible(false));
    EXPECT_FALSE(bench.Find(u"meter/peakHi")->IsVisible(false));
    EXPECT_TRUE(bench.Find(u"meter/clipButton")->IsNotFocusable());
    EXPECT_TRUE(overlay->GetToolTipOwner() == RCPtr<LControl>(meter)) << "the overlay shows the meter's tip";
}

TEST_F(LevelMeterTest, TheOverlayTakesTheLevelsShareRoundedAndHidesBelowOnePixel)
{
    struct Case
    {
        const char16_t* meter;
        double level;
        bool shown;
        double length;
    };
    // Horizontal: the lit part's width; vertical: the unlit part's height from the top.
    const std::vector<Case> cases{{u"meter", 0.5, true, 100},  {u"meter", 0.004, true, 1},
                                  {u"meter", 0.002, false, 0}, {u"meter", 1, true, 200},
                                  {u"tall", 0.25, true, 75},   {u"tall", 1, false, 0}};
    for (const Case& c : cases)
    {
        const RCPtr<LLevelMeter> target = Meter(c.meter);
        const RCPtr<LControl> bar = target->FindChild(u"activeOverlay");
        EXPECT_EQ(target->SetLevels(c.level, 0), 0);
        EXPECT_EQ(target->GetValue(), c.level);
        EXPECT_EQ(bar->IsVisible(false), c.shown) << c.level;
        if (c.shown)
        {
            const int32_t axis = target->GetAxis();
            EXPECT_EQ(axis == 0 ? bar->GetRect().width : bar->GetRect().height, c.length) << c.level;
            EXPECT_EQ((axis == 0 ? bar->GetLayout()->mXSize : bar->GetLayout()->mYSize).ToControl,
                      LLayoutDescriptor::kSizeSelf);
        }
    }
}

TEST_F(LevelMeterTest, APeakMovesTheMarkerTowardPeakHiAndPeakZeroHidesIt)
{
    (void)meter->SetLevels(0.5, 1);
    EXPECT_TRUE(peak->IsVisible(false));
    EXPECT_EQ(peak->GetRect().x, 190);
    (void)meter->SetLevels(0.5, 0.5);
    EXPECT_EQ(peak->GetRect().x, 95);
    (void)meter->SetLevels(0.5, 0);
    EXPECT_FALSE(peak->IsVisible(false));

    // Without "peakHi" there is no marker at all.
    const RCPtr<LControl> lonely = bench.Find(u"nohi/peakLo");
    (void)Meter(u"nohi")->SetLevels(0.5, 1);
    EXPECT_FALSE(lonely->IsVisible(false));
}

TEST_F(LevelMeterTest, WithoutLatchingTheClipLightShowsOnlyAChangeSinceTheLastUpdate)
{
    (void)meter->SetLevelsAndClip(0.5, 0, 1);
    EXPECT_TRUE(meter->IsClipLit());
    EXPECT_EQ(meter->GetClipState(), 1);
    (void)meter->SetLevelsAndClip(0.5, 0, 1);
    EXPECT_FALSE(meter->IsClipLit());
    (void)meter->SetLevelsAndClip(0.5, 0, 2);
    EXPECT_TRUE(meter->IsClipLit());
    (void)meter->SetLevels(0.25, 0);
    EXPECT_FALSE(meter->IsClipLit()) << "the counter is unchanged";

    meter->SetClipState(7);
    EXPECT_EQ(meter->GetClipState(), 7);
    EXPECT_FALSE(meter->IsClipLit()) << "storing the counter does nothing else";
}

TEST_F(LevelMeterTest, ALatchedClipLightStaysLitUntilClickedAndReportsTheClickOnce)
{
    const auto log = bench.Listen(RCPtr<LControl>(meter), {u"NID_CLIPLIGHT_UNLATCHED"});
    EXPECT_EQ(meter->SetClipLatching(true), 0);
    EXPECT_TRUE(meter->IsClipLatching());
    (void)meter->SetLevelsAndClip(0.5, 0, 1);
    (void)meter->SetLevelsAndClip(0.5, 0, 1);
    (void)meter->SetLevels(0.5, 0);
    EXPECT_TRUE(meter->IsClipLit());

    ClickClipLight();
    EXPECT_FALSE(meter->IsClipLit());
    ClickClipLight();
    EXPECT_EQ(log->Entries.size(), 1u);

    // Switching latching off puts the light out and unbinds the click.
    (void)meter->SetLevelsAndClip(0.5, 0, 2);
    EXPECT_EQ(meter->SetClipLatching(false), 0);
    EXPECT_FALSE(meter->IsClipLit());
    (void)bench.Find(u"meter/clipButton")->SetValue(1);
    ClickClipLight();
    EXPECT_TRUE(meter->IsClipLit()) << "no longer put out by a click";
    EXPECT_EQ(log->Entries.size(), 1u);
}

TEST_F(LevelMeterTest, LatchingNeedsAClipLightAndEverySwitchPutsTheLightOut)
{
    EXPECT_EQ(Meter(u"tall")->SetClipLatching(true), E_FAIL);
    EXPECT_EQ(Meter(u"tall")->SetLevelsAndClip(0.5, 0.5, 3), 0) << "the meter works without the light";

    (void)meter->SetLevelsAndClip(0.5, 0, 1);
    EXPECT_EQ(meter->SetClipLatching(false), 0) << "unchanged";
    EXPECT_FALSE(meter->IsClipLit());
}

TEST_F(LevelMeterTest, AnInitialValueFromTheSkinIsShownOnceTheChildrenExist)
{
    const RCPtr<LLevelMeter> primed = Meter(u"primed");
    EXPECT_EQ(primed->GetValue(), 0.5);
    const RCPtr<LControl> bar = primed->FindChild(u"activeOverlay");
    EXPECT_TRUE(bar->IsVisible(false));
    EXPECT_EQ(bar->GetRect().width, 100);

    (void)primed->SetValue(0.25); // from outside: shown as a level with peak 0
    EXPECT_EQ(bar->GetRect().width, 50);
}

TEST_F(LevelMeterTest, ABarOrMarkerThatIsNoPanelIsLeftAlone)
{
    const RCPtr<LLevelMeter> plain = Meter(u"plain");
    const RCPtr<LControl> bar = plain->FindChild(u"activeOverlay");
    const RCPtr<LControl> marker = plain->FindChild(u"peakLo");
    (void)plain->SetLevelsAndClip(0.5, 1, 1);
    EXPECT_TRUE(bar->IsVisible(false));
    EXPECT_EQ(bar->GetRect().width, 50) << "the skin's width";
    EXPECT_TRUE(marker->IsVisible(false));
    EXPECT_EQ(marker->GetRect().x, 0) << "the skin's place";
    EXPECT_TRUE(plain->IsClipLit());
}
} // namespace
} // namespace ZQ
