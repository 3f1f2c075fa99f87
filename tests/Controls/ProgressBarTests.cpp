#include "ContainerBench.h"

#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/Controls/Buttons/Label.h"
#include "ZQFramework/Controls/Sliders/ProgressBar.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ZQ
{
namespace
{
using TestSupport::Utf8;
using ZQTest::ControlsBench;

constexpr const char* kBar = R"(
<SubControl Class="Test.Panel" Name="main">
  <SubControl Class="Framework.ProgressBar" Name="bar" XSizeAbs="360" YSizeAbs="20">
    <SubControl Class="Framework.Panel" Name="activeOverlay" YSizeToControl="Parent" YSizeRel="1"/>
    <SubControl Class="Framework.Label" Name="percentCompleteLabel"/>
    <SubControl Class="Framework.Label" Name="timeRemainingLabel"/>
  </SubControl>
</SubControl>)";

constexpr const char* kWords = R"(
<StringTable ID="Framework">
  <String ID="HOURS_SINGULAR"><Locale LCID="0x0009">Hour</Locale></String>
  <String ID="HOURS_PLURAL"><Locale LCID="0x0009">Hours</Locale></String>
  <String ID="MINUTES_SINGULAR"><Locale LCID="0x0009">Minute</Locale></String>
  <String ID="MINUTES_PLURAL"><Locale LCID="0x0009">Minutes</Locale></String>
  <String ID="SECONDS_SINGULAR"><Locale LCID="0x0009">Second</Locale></String>
  <String ID="SECONDS_PLURAL"><Locale LCID="0x0009">Seconds</Locale></String>
  <String ID="REMAINING"><Locale LCID="0x0009">Remaining</Locale></String>
</StringTable>)";

struct ProgressBarTest : ::testing::Test
{
    [[nodiscard]] std::string TimeText() const
    {
        return Utf8(bench.Find(u"bar/timeRemainingLabel")->GetLabel());
    }
    [[nodiscard]] bool TimeShown() const { return bench.Find(u"bar/timeRemainingLabel")->IsVisible(false); }
    // The value at the given application time.
    void SetValueAt(double seconds, double value)
    {
        bench.Application.Seconds = seconds;
        (void)bar->SetValue(value);
    }

    ControlsBench bench{kBar, "", kWords};
    RCPtr<LControl> main = ZQTest::RegisterContainers(bench).Show();
    RCPtr<LProgressBar> bar = bench.Find<LProgressBar>(u"bar");
    RCPtr<LControl> overlay = bench.Find(u"bar/activeOverlay");
};

TEST_F(ProgressBarTest, StartsEmptyNotFocusableWithTheTimeHidden)
{
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->GetValue(), 0);
    EXPECT_TRUE(bar->IsNotFocusable());
    EXPECT_FALSE(overlay->IsVisible(false));
    EXPECT_EQ(Utf8(bench.Find(u"bar/percentCompleteLabel")->GetLabel()), "0");
    EXPECT_FALSE(TimeShown());
    EXPECT_EQ(bar->ScaleValue(0.5), 50) << "range 0..100";
}

TEST_F(ProgressBarTest, TheOverlayTakesTheValuesShareOfTheBarAndThePercentIsARoundedNumber)
{
    struct Case
    {
        double value;
        bool shown;
        double width;
        const char* percent;
    };
    // On a 360-pixel bar one pixel is 0.28 %.
    const std::vector<Case> cases{{0.426, true, 153, "43"}, {0.001, false, 0, "0"}, {0.0014, true, 1, "0"},
                                  {1, true, 360, "100"},    {0.5, true, 180, "50"}, {0, false, 0, "0"}};
    for (const Case& c : cases)
    {
        (void)bar->SetValue(c.value);
        EXPECT_EQ(overlay->IsVisible(false), c.shown) << c.value;
        if (c.shown)
        {
            EXPECT_EQ(overlay->GetRect().width, c.width) << c.value;
            EXPECT_EQ(overlay->GetLayout()->mXSize.ToControl, LLayoutDescriptor::kSizeSelf);
        }
        EXPECT_EQ(Utf8(bench.Find(u"bar/percentCompleteLabel")->GetLabel()), c.percent) << c.value;
    }
}

TEST_F(ProgressBarTest, TheOverlayFollowsTheBarsWidthAtValueChangesOnly)
{
    (void)bar->SetValue(0.5);
    LLayoutDescriptor::AxisPosition position;
    LLayoutDescriptor::AxisSize size;
    (void)bar->GetLayout()->GetAxis(0, position, size);
    size.Abs = 200;
    (void)bar->SetAxisPlacement(0, position, size);
    EXPECT_EQ(overlay->GetRect().width, 180);
    (void)bar->SetValue(0.25);
    EXPECT_EQ(overlay->GetRect().width, 50);
}

TEST_F(ProgressBarTest, TheTimeTextNamesHoursAndMinutesOnlyWhenNeeded)
{
    struct Case
    {
        int32_t seconds;
        const char* text;
    };
    const std::vector<Case> cases{
        {0, "0 Seconds Remaining"},
        {1, "1 Second Remaining"},
        {59, "59 Seconds Remaining"},
        {60, "1 Minute 0 Seconds Remaining"},
        {61, "1 Minute 1 Second Remaining"},
        {3600, "1 Hour 0 Minutes 0 Seconds Remaining"},
        {3661, "1 Hour 1 Minute 1 Second Remaining"},
        {7322, "2 Hours 2 Minutes 2 Seconds Remaining"},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(bar->SetTimeRemaining(c.seconds), 0);
        EXPECT_EQ(TimeText(), c.text) << c.seconds;
        EXPECT_TRUE(TimeShown());
    }
}

TEST_F(ProgressBarTest, TheEstimateUsesTheAverageRateAndMovesItsReferencePointAtMostOnceASecond)
{
    SetValueAt(0, 0.2);
    (void)bar->SetAutoEstimate(true);
    EXPECT_FALSE(TimeShown()) << "nothing measured yet";

    SetValueAt(10, 0.4); // 0.02 a second; the reference point moves to (10 s, 0.4)
    EXPECT_EQ(TimeText(), "30 Seconds Remaining");
    SetValueAt(10, 0.45);
    EXPECT_EQ(TimeText(), "30 Seconds Remaining") << "no time passed since the reference point";

    SetValueAt(10.5, 0.5); // within the second: the reference point stays
    EXPECT_EQ(TimeText(), "18 Seconds Remaining");
    SetValueAt(10.75, 0.42); // above the kept reference value, so still measured
    EXPECT_EQ(TimeText(), "28 Seconds Remaining");
}

TEST_F(ProgressBarTest, NoEstimateWithoutProgressAndTheEndOfTheBarEndsTheEstimate)
{
    SetValueAt(0, 0.2);
    (void)bar->SetAutoEstimate(true);
    SetValueAt(10, 0.4);
    SetValueAt(12, 0.3);
    EXPECT_EQ(TimeText(), "30 Seconds Remaining") << "the value fell below the reference";

    SetValueAt(20, 1);
    EXPECT_EQ(TimeText(), "0 Seconds Remaining");
    EXPECT_FALSE(bar->IsEstimating());
    SetValueAt(30, 0.5);
    EXPECT_EQ(TimeText(), "0 Seconds Remaining") << "the last text stays";

    // Switching on again measures from new reference points.
    (void)bar->SetAutoEstimate(true);
    SetValueAt(40, 0.75); // 0.025 a second
    EXPECT_EQ(TimeText(), "10 Seconds Remaining");
}
} // namespace
} // namespace ZQ
