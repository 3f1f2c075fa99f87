#include "ContainerBench.h"

#include "ZQFramework/ControlBase/Control/Look.h"
#include "ZQFramework/Controls/Buttons/Button.h"
#include "ZQFramework/Controls/Sliders/ScrollBar.h"
#include "ZQFramework/Notification/KeyCode.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/SiblingKeyParam.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ZQ
{
namespace
{
using ZQTest::ControlsBench;
using ZQTest::ScrollBarSkin;

// Idle passes every 1/32 s, the clock staying exact.
constexpr double kTick = 0.03125;

// "holder" (10 x 120 at the window's origin) holds the vertical bar "vBar": step buttons at 0..10 and
// 110..120, the channel between them (window y 10..110) and a thumb 10 pixels wide. "short" holds a bar
// whose channel is 6 pixels long, shorter than the square thumb.
constexpr const char* kHolders = R"(
<SubControl Class="Test.Panel" Name="main" XSizeAbs="400" YSizeAbs="300"><Skin Name="main" LookList="one"/>
  <SubControl Class="Test.Panel" Name="holder" XSizeAbs="10" YSizeAbs="120"><Skin Name="holder" LookList="one"/>BAR</SubControl>
  <SubControl Class="Test.Panel" Name="short" XPositionAbs="50" XSizeAbs="10" YSizeAbs="26"><Skin Name="short" LookList="one"/>BAR</SubControl>
</SubControl>)";

std::string HolderSkin()
{
    std::string skin = kHolders;
    const std::string bar = ScrollBarSkin("vBar", true);
    for (size_t at = skin.find("BAR"); at != std::string::npos; at = skin.find("BAR"))
    {
        skin.replace(at, 3, bar);
    }
    return skin;
}

// The bounds of the region that limits look index of control.
Region::Edges LookBounds(const RCPtr<LControl>& control, int32_t index)
{
    Region::Edges edges;
    (void)control->GetLook(index)->GetRegion().GetBounds(edges);
    return edges;
}

// Window y of a point at channel coordinate y.
int32_t OnChannel(int32_t y)
{
    return 10 + y;
}

struct ScrollBarTest : ::testing::Test
{
    ScrollBarTest()
    {
        (void)ZQTest::ShowContainers(bench);
        bar = bench.Find<LScrollbar>(u"holder/vBar");
        // A channel of 100 pixels and a thumb of 20: 80 pixels of travel.
        bar->SetThumbProportion(0.2);
        bar->UpdateThumbLength();
    }
    [[nodiscard]] double ThumbY() const { return bar->GetThumb()->GetRect().y; }
    [[nodiscard]] std::vector<double> ValueChanges(const ZQ::RCPtr<ZQTest::NotificationLog>& log) const
    {
        return log->TimesOf("NID_VALUE_CHANGE");
    }
    void IdleUntil(double seconds)
    {
        while (bench.Application.Seconds < seconds)
        {
            bench.IdleAfter(kTick);
        }
    }

    ControlsBench bench{HolderSkin()};
    RCPtr<LScrollbar> bar;
};

TEST_F(ScrollBarTest, TheThumbSitsAtTheValuesShareOfTheTravelAndNoPartTakesTheFocus)
{
    ASSERT_NE(bar, nullptr);
    ASSERT_NE(bar->GetThumb(), nullptr);
    EXPECT_TRUE(bar->IsVertical());
    EXPECT_DOUBLE_EQ(bar->GetMinThumbLength(), 10) << "square: the thumb's width";
    EXPECT_DOUBLE_EQ(bar->GetChannelEnd(), 100);
    EXPECT_DOUBLE_EQ(bar->GetThumbLength(), 20);
    for (const auto& [value, y] : {std::pair{0.0, 0.0}, {0.5, 40.0}, {0.3, 24.0}, {1.0, 80.0}, {-1.0, 0.0}})
    {
        (void)bar->SetValue(value);
        EXPECT_EQ(ThumbY(), y) << value;
    }
    for (const char16_t* part : {u"holder/vBar", u"holder/vBar/dec", u"holder/vBar/inc",
                                 u"holder/vBar/channel", u"holder/vBar/channel/thumb"})
    {
        EXPECT_TRUE(bench.Find(part)->IsNotFocusable()) << TestSupport::Utf8(WString(part));
    }
}

TEST_F(ScrollBarTest, TheRangeChangeKeepsTheScaledValue)
{
    (void)bar->SetValue(0.5);
    EXPECT_EQ(bar->SetRange(0, 200, 0), 0);
    EXPECT_DOUBLE_EQ(bar->GetValue(), 0.25);
    EXPECT_EQ(ThumbY(), 20);
    EXPECT_EQ(bar->SetRange(0, 200, 1), E_INVALIDARG) << "a logarithmic range from 0";
    EXPECT_EQ(bar->SetRange(0, 200, 2), E_INVALIDARG);
    EXPECT_DOUBLE_EQ(bar->ScaleValue(1), 200) << "unchanged";
    EXPECT_DOUBLE_EQ(bar->GetValue(), 0.25);
}

TEST_F(ScrollBarTest, AHeldPressPagesAtOnceAfterTheDelayThenAtEachIntervalAndStopsUnderTheThumb)
{
    const auto log = bench.Listen(RCPtr<LControl>(bar), {u"NID_VALUE_CHANGE"});
    bench.MoveTo({5, OnChannel(70)});
    bench.Press();
    EXPECT_EQ(bar->GetPagingMode(), 2);
    EXPECT_DOUBLE_EQ(bar->GetValue(), 0.2);
    EXPECT_EQ(bar->GetIdleRequests(), 1);
    // The highlight look covers the channel from the thumb (now 16..36) to the end; the normal look the rest.
    const RCPtr<LControl> channel = bench.Find(u"holder/vBar/channel");
    EXPECT_EQ(LookBounds(channel, 1), (Region::Edges{0, 36, 10, 100}));
    EXPECT_EQ(LookBounds(channel, 0), (Region::Edges{0, 0, 10, 36}));
    IdleUntil(2);
    // Pages at the first pass due: 0.4 s after the press, then 0.2 s after each page. The thumb (48..68
    // after the third page) covers the pointer at 70 after the fourth, and the paging stops.
    EXPECT_EQ(ValueChanges(log), (std::vector<double>{0, 0.40625, 0.625, 0.84375}));
    EXPECT_DOUBLE_EQ(bar->GetValue(), 0.8);

    bench.Release();
    EXPECT_EQ(bar->GetPagingMode(), 0);
    EXPECT_EQ(bar->GetIdleRequests(), 0);
    EXPECT_EQ(bench.Find(u"holder/vBar/channel")->GetFirstVisibleLookIndex(), 0);
    EXPECT_TRUE(channel->GetLook(0)->GetRegion().IsEmpty());
    EXPECT_TRUE(channel->GetLook(1)->GetRegion().IsEmpty());
}

TEST_F(ScrollBarTest, PagingFreezesOffTheChannelWithoutLosingTheCountdown)
{
    (void)bar->SetValue(1);
    const auto log = bench.Listen(RCPtr<LControl>(bar), {u"NID_VALUE_CHANGE"});
    bench.MoveTo({5, OnChannel(10)});
    bench.Press();
    EXPECT_EQ(bar->GetPagingMode(), 1) << "before the thumb: towards the start";
    IdleUntil(0.125);
    bench.MoveTo({200, 200});
    IdleUntil(1);
    EXPECT_EQ(ValueChanges(log).size(), 1u) << "no page while the pointer is off the channel";
    const RCPtr<LControl> channel = bench.Find(u"holder/vBar/channel");
    EXPECT_TRUE(channel->GetLook(1)->GetRegion().IsEmpty()) << "nor a highlight";
    bench.MoveTo({5, OnChannel(10)});
    IdleUntil(1.25);
    EXPECT_EQ(ValueChanges(log).size(), 1u) << "0.275 s of the delay were left";
    IdleUntil(1.3);
    EXPECT_EQ(ValueChanges(log), (std::vector<double>{0, 1.28125}));
    EXPECT_EQ(LookBounds(channel, 1), (Region::Edges{0, 0, 10, 48})) << "from the start to the thumb at 48";
    EXPECT_DOUBLE_EQ(bar->GetValue(), 0.6);
}

TEST_F(ScrollBarTest, ADraggedThumbSetsTheValueAndAValueSetMeanwhileIsAppliedOnTheDrop)
{
    const auto log = bench.Listen(RCPtr<LControl>(bar), {u"NID_VALUE_CHANGE"});
    bench.MoveTo({5, OnChannel(5)});
    bench.Press();
    bench.MoveTo({5, OnChannel(45)});
    EXPECT_TRUE(bar->IsDragging());
    EXPECT_EQ(ThumbY(), 40);
    EXPECT_DOUBLE_EQ(bar->GetValue(), 0.5);
    EXPECT_EQ(log->Entries.size(), 1u) << "the value goes out during the drag";

    EXPECT_DOUBLE_EQ(bar->SetValue(0.9), 0.5) << "kept for the drop";
    EXPECT_DOUBLE_EQ(bar->GetValue(), 0.5);
    bench.MoveTo({5, OnChannel(500)});
    EXPECT_EQ(ThumbY(), 80) << "held at the end of the travel";
    EXPECT_DOUBLE_EQ(bar->GetValue(), 1);

    bench.Release();
    EXPECT_FALSE(bar->IsDragging());
    EXPECT_DOUBLE_EQ(bar->GetValue(), 0.9);
    EXPECT_EQ(ThumbY(), 72);

    // A request outside 0..1 is not applied on the drop.
    bench.MoveTo({5, OnChannel(75)});
    bench.Press();
    bench.MoveTo({5, OnChannel(15)});
    (void)bar->SetValue(1.5);
    bench.Release();
    EXPECT_DOUBLE_EQ(bar->GetValue(), 0.15);
}

TEST_F(ScrollBarTest, AThumbLongerThanAShortChannelIsCappedAndCannotBeDragged)
{
    const RCPtr<LScrollbar> shortBar = bench.Find<LScrollbar>(u"short/vBar");
    EXPECT_DOUBLE_EQ(shortBar->GetChannelEnd(), 6);
    EXPECT_DOUBLE_EQ(shortBar->GetThumbLength(), 6) << "the square minimum of 10 is cut to the channel";
    (void)shortBar->SetValue(0.5);
    EXPECT_EQ(shortBar->GetThumb()->GetRect().y, 0);

    bench.MoveTo({55, 12});
    bench.Press();
    bench.MoveTo({55, 20});
    bench.MoveTo({55, 2});
    EXPECT_TRUE(shortBar->IsDragging());
    bench.Release();
    EXPECT_DOUBLE_EQ(shortBar->GetValue(), 0.5);
    EXPECT_EQ(shortBar->GetThumb()->GetRect().y, 0);
}

TEST_F(ScrollBarTest, TheStepButtonsStepALineAtThePressAndThenRepeat)
{
    const auto log = bench.Listen(RCPtr<LControl>(bar), {u"NID_VALUE_CHANGE"});
    bench.MoveTo({5, 115});
    bench.Press();
    EXPECT_DOUBLE_EQ(bar->GetValue(), 0.02);
    IdleUntil(0.45);
    bench.Release();
    EXPECT_EQ(ValueChanges(log), (std::vector<double>{0, 0.3125, 0.4375}));

    bench.MoveTo({5, 5});
    bench.Press();
    bench.Release();
    EXPECT_DOUBLE_EQ(bar->GetValue(), 0.04);
}

// Offers key to the bar as its parent would; whether the bar took it.
bool Offer(const RCPtr<LScrollbar>& bar, uint32_t code)
{
    const RCPtr<LSiblingKeyParam> key = LSiblingKeyParam::Create<LControl>(KeyCode(code, 0, 0), nullptr);
    (void)bar->ReceiveNotification(
        RCPtr<LNotificationDistributor>(bar->GetParent()),
        LNotification::Create(u"NID_SIBLING_KEY", ConstRCPtr<LRefCountedObject>(key)));
    return key->mPending == 0;
}

TEST(ScrollBarKeys, OnlyTheKeysOfTheBarsOrientationAreConsumed)
{
    ControlsBench bench(R"(<SubControl Class="Test.Panel" Name="main" XSizeAbs="400" YSizeAbs="300">)" +
                        ScrollBarSkin("vBar", true) + ScrollBarSkin("hBar", false) + "</SubControl>");
    (void)ZQTest::ShowContainers(bench);
    const RCPtr<LScrollbar> vBar = bench.Find<LScrollbar>(u"vBar");
    const RCPtr<LScrollbar> hBar = bench.Find<LScrollbar>(u"hBar");
    ASSERT_FALSE(hBar->IsVertical());

    struct Case
    {
        const char* key;
        uint32_t code;
        bool vertical;   // taken by the vertical bar
        bool horizontal; // taken by the horizontal bar
        double value;    // from 0.5
    };
    const std::vector<Case> cases{
        {"Up", 0x20260000, true, false, 0.48},       {"Down", 0x20280000, true, false, 0.52},
        {"Left", 0x20250000, false, true, 0.48},     {"Right", 0x20270000, false, true, 0.52},
        {"Page Up", 0x20210000, true, false, 0.3},   {"Page Down", 0x20220000, true, false, 0.7},
        {"Home", 0x20240000, true, true, 0},         {"End", 0x20230000, true, true, 1},
        {"Shift+Down", 0x22280000, false, false, 0}, {"Down released", 0x00280000, false, false, 0},
    };
    for (const Case& c : cases)
    {
        for (const auto& [bar, taken] : {std::pair{vBar, c.vertical}, std::pair{hBar, c.horizontal}})
        {
            (void)bar->SetValue(0.5);
            EXPECT_EQ(Offer(bar, c.code), taken) << c.key << (bar == vBar ? " vertical" : " horizontal");
            EXPECT_DOUBLE_EQ(bar->GetValue(), taken ? c.value : 0.5) << c.key;
        }
    }

    EXPECT_EQ(vBar->SetSiblingKeys(0x101), E_INVALIDARG);
    EXPECT_EQ(vBar->GetSiblingKeys(), 0x01u);
    EXPECT_FALSE(Offer(vBar, 0x20280000)) << "Down is no longer answered";
    EXPECT_TRUE(Offer(vBar, 0x20260000));
}

TEST(ScrollBarOrientation, IncFurtherRightThanDownMakesAHorizontalBarAndATieIsVertical)
{
    struct Case
    {
        const char* what;
        std::string parts;
        bool vertical;
    };
    const auto part = [](const char* name, int x, int y)
    {
        return std::string("<SubControl Class=\"Framework.Button\" Name=\"") + name + "\" XPositionAbs=\"" +
               std::to_string(x) + "\" YPositionAbs=\"" + std::to_string(y) +
               "\" XSizeAbs=\"8\" YSizeAbs=\"8\"/>";
    };
    const std::string channel =
        R"(<SubControl Class="Framework.ScrollChannel" Name="channel" XSizeAbs="40" YSizeAbs="40">
        <SubControl Class="Framework.Button" Name="thumb" XSizeAbs="6" YSizeAbs="7"/></SubControl>)";
    const std::vector<Case> cases{
        {"right", part("dec", 0, 0) + part("inc", 30, 0), false},
        {"right and a little down", part("dec", 0, 0) + part("inc", 30, 29), false},
        {"a tie", part("dec", 0, 0) + part("inc", 30, 30), true},
        {"down", part("dec", 0, 0) + part("inc", 0, 30), true},
        {"no dec", part("inc", 30, 0), true},
    };
    for (const Case& c : cases)
    {
        ControlsBench bench(R"(<SubControl Class="Test.Panel" Name="main" XSizeAbs="400" YSizeAbs="300">
            <SubControl Class="Framework.ScrollBar" Name="bar" XSizeAbs="40" YSizeAbs="40">)" +
                            c.parts + channel + "</SubControl></SubControl>");
        (void)ZQTest::ShowContainers(bench);
        const RCPtr<LScrollbar> bar = bench.Find<LScrollbar>(u"bar");
        EXPECT_EQ(bar->IsVertical(), c.vertical) << c.what;
        // The shortest thumb is as long as the thumb is thick across the bar.
        EXPECT_DOUBLE_EQ(bar->GetMinThumbLength(), c.vertical ? 6 : 7) << c.what;
    }
}
} // namespace
} // namespace ZQ
