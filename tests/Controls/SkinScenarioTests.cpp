#include "ContainerBench.h"

#include "ZQFramework/Controls/Buttons/Button.h"
#include "ZQFramework/Controls/Buttons/Label.h"
#include "ZQFramework/Controls/Containers/ScrollView.h"
#include "ZQFramework/Controls/Sliders/ProgressBar.h"
#include "ZQFramework/Controls/Text/StatusBar.h"
#include "ZQFramework/Controls/Text/ToolTip.h"
#include "ZQFramework/Notification/KeyCode.h"
#include "ZQFramework/Notification/KeyParam.h"

#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

// One window of the library's controls working together on the headless bench: the clock is stepped and
// the idle passes are run by hand.
namespace ZQ
{
namespace
{
using TestSupport::Utf8;
using ZQTest::ControlsBench;

// A 400 x 300 window. Left: "ok" (with a tool tip), the radio group "speed" with a plain check box beside
// its radio buttons, "more" (auto-repeat, switched on by its owner) and the progress bar. Right: "list", a
// panel of 100 x 100 whose content is 400 pixels high, with a vertical bar; "deep" is a button near the
// content's bottom. Bottom: the status bar.
std::string Skin()
{
    const std::string button = R"(XSizeAbs="60" YSizeAbs="20"><Skin Name="button" LookList="looks14"/>)";
    const std::string radio =
        button + R"(<CreateParamList><CreateParam ID="AUTO_VALUE_SET">true</CreateParam>)"
                 R"(<CreateParam ID="IS_RADIO">true</CreateParam></CreateParamList></SubControl>)";
    return R"(
<SubControl Class="Test.Panel" Name="main" XSizeAbs="400" YSizeAbs="300"><Skin Name="main" LookList="one"/>
  <SubControl Class="Framework.Button" Name="ok" XPositionAbs="10" YPositionAbs="10" )" +
           button +
           R"(</SubControl>
  <SubControl Class="Test.Panel" Name="speed" XPositionAbs="10" YPositionAbs="40" XSizeAbs="200" YSizeAbs="30">
    <Skin Name="speed" LookList="one"/>
    <SubControl Class="Framework.Button" Name="slow" )" +
           radio + R"(<SubControl Class="Framework.Button" Name="fast" XPositionAbs="70" )" + radio +
           R"(<SubControl Class="Framework.Button" Name="verify" XPositionAbs="140" )" + button +
           R"(<CreateParamList><CreateParam ID="AUTO_VALUE_SET">true</CreateParam></CreateParamList></SubControl>
  </SubControl>
  <SubControl Class="Framework.Button" Name="more" XPositionAbs="10" YPositionAbs="80" )" +
           button + R"(</SubControl>
  <SubControl Class="Framework.ProgressBar" Name="progress" XPositionAbs="10" YPositionAbs="110" XSizeAbs="200" YSizeAbs="20">
    <SubControl Class="Framework.Panel" Name="activeOverlay" YSizeToControl="Parent" YSizeRel="1"/>
    <SubControl Class="Framework.Label" Name="percentCompleteLabel"/>
    <SubControl Class="Framework.Label" Name="timeRemainingLabel"/>
  </SubControl>
  <SubControl Class="Framework.Panel" Name="list" XPositionAbs="250" YPositionAbs="10" XSizeAbs="100" YSizeAbs="100">
    <Skin Name="list" LookList="one"/>
    <CreateParamList><CreateParam ID="AUTO_CLIENT_EXTENT_Y">true</CreateParam></CreateParamList>)" +
           ZQTest::ScrollBarSkin("vBar", true) + R"(
    <SubControl Class="Framework.Panel" Name="content" XSizeAbs="80" YSizeAbs="400"><Skin Name="content" LookList="one"/>
      <SubControl Class="Framework.Button" Name="deep" XPositionAbs="10" YPositionAbs="350" )" +
           button + R"(</SubControl>
    </SubControl>
  </SubControl>
  <SubControl Class="Framework.StatusBar" Name="status" YPositionAbs="280" XSizeAbs="400" YSizeAbs="20">
    <SubControl Class="Test.RecordingLabel" Name="label1" XSizeAbs="400" YSizeAbs="20"/>
  </SubControl>
</SubControl>
<SubControl Class="Framework.ToolTip" Name="toolTip" XSizeAbs="100" YSizeAbs="20"><Skin Name="toolTip" LookList="one"/></SubControl>)";
}

constexpr const char* kStrings = R"(
<StringTable ID="Framework.StatusBar|label1"><String ID="LABEL"><Locale LCID="0x0009">Ready</Locale></String></StringTable>
<StringTable ID="Framework.Panel|deep"><String ID="TOOLTIP"><Locale LCID="0x0009">Further down</Locale></String></StringTable>
<StringTable ID="Test.Panel|ok"><String ID="TOOLTIP"><Locale LCID="0x0009">Start the update</Locale></String></StringTable>)";

constexpr const char* kWords = R"(
<StringTable ID="Framework">
  <String ID="SECONDS_SINGULAR"><Locale LCID="0x0009">Second</Locale></String>
  <String ID="SECONDS_PLURAL"><Locale LCID="0x0009">Seconds</Locale></String>
  <String ID="REMAINING"><Locale LCID="0x0009">Remaining</Locale></String>
</StringTable>)";

// A label that records every text it is given.
class RecordingLabel : public LLabel
{
public:
    ZQRESULT SetLabel(const WString& text) override
    {
        Texts.push_back(Utf8(text));
        return LLabel::SetLabel(text);
    }
    std::vector<std::string> Texts;

    using LLabel::LLabel;
};

// What the window's owner hears from its buttons, as "name:notification", and when "more" repeated. Each
// repeat of "more" moves the progress bar on by a tenth, as an owner driving a long job would.
class Owner : public LNotificationReceiver
{
public:
    Owner(const ZQTest::FakeControlApplication& application, LProgressBar& progress)
        : mApplication(application), mProgress(progress)
    {
    }

    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification) override
    {
        const auto* const control = dynamic_cast<const LControl*>(source.Get());
        const std::string name = control != nullptr ? Utf8(control->GetName()) : "?";
        const std::string id = Utf8(WString(notification->GetID()));
        Heard.push_back(name + ":" + id);
        if (name == "more" && id == "NID_BUTTON_AUTOREPEAT")
        {
            RepeatTimes.push_back(mApplication.Seconds);
            (void)mProgress.SetValue(mProgress.GetValue() + 0.1);
        }
        return 0;
    }
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& /*source*/,
                                        NotificationID /*id*/) override
    {
        return 0;
    }

    std::vector<std::string> Heard;
    std::vector<double> RepeatTimes;

private:
    const ZQTest::FakeControlApplication& mApplication;
    LProgressBar& mProgress;
};

// Idle passes every 1/32 s, the clock staying exact.
constexpr double kTick = 0.03125;
// Tool tips share the time of the last hiding, so the millisecond clock starts in a range of its own.
constexpr uint32_t kStartTick = 9'000'000;

struct SkinScenario : ::testing::Test
{
    SkinScenario()
    {
        for (const char16_t* path :
             {u"ok", u"speed/slow", u"speed/fast", u"speed/verify", u"more", u"list/content/deep"})
        {
            for (const char16_t* id : {u"NID_LEFT_CLICK", u"NID_BUTTON_AUTOREPEAT"})
                (void)bench.Find(path)->RegisterClient(RCPtr<LNotificationReceiver>(owner), id, 0);
        }
        // The owner makes "more" repeat while held.
        bench.Find<LButton>(u"more")->SetAutoRepeat(true);
    }

    static RCPtr<LControl> Show(ControlsBench& bench)
    {
        bench.Register(u"Test.RecordingLabel", &LControl::CreateFromDescriptor<RecordingLabel>);
        bench.Application.Milliseconds = kStartTick;
        return ZQTest::ShowContainers(bench);
    }
    void ClickAt(const PointT<int32_t>& point)
    {
        bench.MoveTo(point);
        bench.Press();
        bench.Release();
    }
    [[nodiscard]] bool Checked(const char16_t* path) const { return bench.Find<LButton>(path)->IsChecked(); }
    [[nodiscard]] std::string LabelOf(const char16_t* path) const
    {
        return Utf8(bench.Find(path)->GetLabel());
    }

    ControlsBench bench{Skin(), kStrings, kWords};
    RCPtr<LControl> main = Show(bench);
    RCPtr<LProgressBar> progress = bench.Find<LProgressBar>(u"progress");
    RCPtr<LScrollView> list = bench.Find<LScrollView>(u"list");
    RCPtr<Owner> owner{new Owner(bench.Application, *progress)};
};

TEST_F(SkinScenario, ClicksReachTheOwnerAndTheRadioGroupKeepsOneButtonOn)
{
    ClickAt({20, 15});  // ok
    ClickAt({20, 45});  // slow
    ClickAt({90, 45});  // fast
    ClickAt({90, 45});  // fast again
    ClickAt({160, 45}); // verify: a check box beside the radio buttons
    ClickAt({20, 200}); // nothing there
    EXPECT_EQ(owner->Heard,
              (std::vector<std::string>{"ok:NID_LEFT_CLICK", "slow:NID_LEFT_CLICK", "fast:NID_LEFT_CLICK",
                                        "fast:NID_LEFT_CLICK", "verify:NID_LEFT_CLICK"}));
    EXPECT_FALSE(Checked(u"ok")) << "a plain button leaves its value to the owner";
    EXPECT_FALSE(Checked(u"speed/slow"));
    EXPECT_TRUE(Checked(u"speed/fast")) << "clicking an on radio button leaves it on";
    EXPECT_TRUE(Checked(u"speed/verify"));

    ClickAt({20, 45});
    EXPECT_TRUE(Checked(u"speed/slow"));
    EXPECT_FALSE(Checked(u"speed/fast"));
    EXPECT_TRUE(Checked(u"speed/verify")) << "not part of the radio group";

    // Enter on the focused "fast": the click reaches the owner at the first idle pass 0.15 s on.
    owner->Heard.clear();
    (void)bench.Find(u"speed/fast")->SetFocus(true);
    bench.Window->DeliverKey(LKeyParam::Create(KeyCode(0x200D0000, 0, 0), 0));
    std::vector<double> clicks;
    while (bench.Application.Seconds < 0.25)
    {
        bench.IdleAfter(kTick);
        if (!owner->Heard.empty() && clicks.empty())
            clicks.push_back(bench.Application.Seconds);
    }
    EXPECT_EQ(owner->Heard, std::vector<std::string>{"fast:NID_LEFT_CLICK"});
    EXPECT_EQ(clicks, std::vector<double>{0.15625});
    EXPECT_TRUE(Checked(u"speed/fast"));
    EXPECT_FALSE(Checked(u"speed/slow"));
}

TEST_F(SkinScenario,
       ToolTipsShowAfterTheDelayOrAtOnceRightAfterAnotherAndFollowThePointerIntoTheScrolledPanel)
{
    bench.MoveTo({20, 15});
    const RCPtr<LToolTip> tip = bench.Find<LToolTip>(u"ok/toolTip");
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(Utf8(tip->GetLabel()), "Start the update");
    while (bench.Application.Milliseconds - kStartTick <= 500)
    {
        EXPECT_FALSE(tip->IsVisible(false)) << bench.Application.Milliseconds - kStartTick;
        bench.IdleAfter(kTick);
    }
    EXPECT_TRUE(tip->IsVisible(false));
    // Placed at the pointer's X and 20 pixels below it, in the button's coordinates.
    EXPECT_EQ(tip->GetRect().x, 10);
    EXPECT_EQ(tip->GetRect().y, 25);

    bench.MoveTo({20, 200});
    bench.IdleAfter(kTick);
    EXPECT_EQ(bench.Find(u"ok/toolTip"), nullptr);

    // "deep", scrolled into the panel's view and hovered 31 ms after that tip went: its tip shows at once,
    // 20 pixels below the pointer in the window, the content's scroll offset taken into account.
    (void)list->SetScrollOffset({0, 300});
    bench.MoveTo({270, 75});
    const RCPtr<LToolTip> deepTip = bench.Find<LToolTip>(u"list/content/deep/toolTip");
    ASSERT_NE(deepTip, nullptr);
    EXPECT_TRUE(deepTip->IsVisible(false));
    EXPECT_EQ(deepTip->GetRectInWindow(), (RectT<double>{270, 95, 100, 20}));
}

TEST_F(SkinScenario, AHeldRepeatButtonDrivesTheProgressBarAtTheRepeatTimes)
{
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->SetAutoEstimate(true), 0);
    bench.MoveTo({20, 85});
    bench.Press();
    while (bench.Application.Seconds < 0.45)
    {
        bench.IdleAfter(kTick);
    }
    bench.Release();
    bench.IdleAfter(1);
    // At the press, 0.3 s later and 0.1 s after that, each at the first idle pass its time had come.
    EXPECT_EQ(owner->RepeatTimes, (std::vector<double>{0, 0.3125, 0.4375}));
    EXPECT_EQ(owner->Heard.back(), "more:NID_LEFT_CLICK") << "the release clicks";

    EXPECT_DOUBLE_EQ(progress->GetValue(), 0.3);
    EXPECT_EQ(bench.Find(u"progress/activeOverlay")->GetRect().width, 60) << "30 % of 200 pixels";
    EXPECT_EQ(LabelOf(u"progress/percentCompleteLabel"), "30");
    // 0.3 in 0.4375 s leaves 0.7 at the same rate: about one second.
    EXPECT_EQ(LabelOf(u"progress/timeRemainingLabel"), "1 Second Remaining");

    // Enter on "more": the simulated press repeats once, just before its click, 0.15 s on.
    owner->Heard.clear();
    (void)bench.Find(u"more")->SetFocus(true);
    const double pressed = bench.Application.Seconds;
    bench.Window->DeliverKey(LKeyParam::Create(KeyCode(0x200D0000, 0, 0), 0));
    while (bench.Application.Seconds < pressed + 0.5)
    {
        bench.IdleAfter(kTick);
    }
    EXPECT_EQ(owner->Heard, (std::vector<std::string>{"more:NID_BUTTON_AUTOREPEAT", "more:NID_LEFT_CLICK"}));
    EXPECT_EQ(owner->RepeatTimes.back() - pressed, 0.15625);
    EXPECT_EQ(bench.Find(u"progress/activeOverlay")->GetRect().width, 80);
    EXPECT_EQ(LabelOf(u"progress/percentCompleteLabel"), "40");
    EXPECT_EQ(LabelOf(u"progress/timeRemainingLabel"), "2 Seconds Remaining");
}

TEST_F(SkinScenario, TheWheelAndTheBarsHeldArrowScrollThePanelToAButtonBelowTheRoom)
{
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(list->IsScrollBarShown(1));
    EXPECT_EQ(list->GetClientExtent().y, 400);
    // 100 of 400 pixels show: a page is 100 / 300 of the range, a line a tenth of that, 10 pixels.
    const PointT<int32_t> overContent{280, 50};
    bench.MoveTo(overContent);
    bench.Window->OnMouseWheel(overContent, 0, 0);
    EXPECT_EQ(list->GetScrollOffset(), (PointT<double>{0, 10})) << "the content passes the wheel on";
    bench.Window->OnMouseWheel(overContent, KeyCode::kInputShift, 0);
    EXPECT_EQ(list->GetScrollOffset(), (PointT<double>{0, 110}));
    bench.Window->OnMouseWheel(overContent, 0, 1);
    EXPECT_EQ(list->GetScrollOffset(), (PointT<double>{0, 100}));

    // The bar's "inc" arrow, at the bottom of the bar, repeats while held: a line at each repeat.
    bench.MoveTo({345, 105});
    bench.Press();
    std::vector<double> offsets;
    while (bench.Application.Seconds < 0.45)
    {
        offsets.push_back(list->GetScrollOffset().y);
        bench.IdleAfter(kTick);
    }
    bench.Release();
    EXPECT_EQ(offsets.front(), 110) << "the press is the first step";
    EXPECT_EQ(offsets.back(), 130);
    EXPECT_EQ(std::count(offsets.begin(), offsets.end(), 110.0), 10) << "0.3 s until the second step";
    EXPECT_EQ(std::count(offsets.begin(), offsets.end(), 120.0), 4) << "then a step each 0.1 s";

    // "deep" lies below the room now (at window Y 230 with the content 130 up): a click there misses it.
    ClickAt({270, 240});
    EXPECT_TRUE(owner->Heard.empty());

    // To the end: "deep", 350 pixels down the content, shows 50 pixels below the panel's top.
    for (int i = 0; i < 3; ++i)
    {
        bench.Window->OnMouseWheel(overContent, KeyCode::kInputShift, 0);
    }
    EXPECT_EQ(list->GetScrollOffset(), (PointT<double>{0, 300})) << "clamped at the end";
    // The thumb, a quarter of the 80-pixel channel, sits at the channel's end.
    EXPECT_EQ(bench.Find(u"list/vBar/channel/thumb")->GetRect(), (RectT<double>{0, 60, 10, 20}));
    ClickAt({270, 75});
    EXPECT_EQ(owner->Heard, (std::vector<std::string>{"deep:NID_LEFT_CLICK"}));
    // A wheel over the button reaches the panel too.
    bench.Window->OnMouseWheel({270, 75}, KeyCode::kInputShift, 1);
    EXPECT_EQ(list->GetScrollOffset(), (PointT<double>{0, 200}));
}

TEST_F(SkinScenario, StatusTextsPostedBeforeAnIdlePassShowOnlyTheLast)
{
    const RCPtr<LStatusBar> status = bench.Find<LStatusBar>(u"status");
    const RCPtr<RecordingLabel> label = bench.Find<RecordingLabel>(u"status/label1");
    EXPECT_EQ(Utf8(label->GetLabel()), "Ready");
    label->Texts.clear();
    // A repeat that took and gave back its idle calls leaves the status bar's own.
    bench.MoveTo({20, 85});
    bench.Press();
    bench.IdleAfter(kTick);
    bench.Release();
    EXPECT_EQ(bench.Find<LButton>(u"more")->GetIdleRequests(), 0);
    std::thread worker(
        [status]
        {
            for (const char16_t* text : {u"Erasing", u"Writing", u"Verifying"})
                EXPECT_EQ(status->PostStatusText(text), 0);
        });
    worker.join();
    EXPECT_TRUE(label->Texts.empty()) << "nothing shows before the idle pass";
    bench.IdleAfter(kTick);
    EXPECT_EQ(label->Texts, (std::vector<std::string>{"Verifying"}));
    bench.IdleAfter(kTick);
    EXPECT_EQ(label->Texts.size(), 1u);
    EXPECT_EQ(Utf8(status->GetDefaultStatusText()), "Ready");
}

// The same window, its status texts posted from another thread.
struct SkinScenarioConcurrency : SkinScenario
{
};

TEST_F(SkinScenarioConcurrency, StatusTextsPostedWhileTheWindowRunsShowInOrderAndEndWithTheLast)
{
    const RCPtr<LStatusBar> status = bench.Find<LStatusBar>(u"status");
    const RCPtr<RecordingLabel> label = bench.Find<RecordingLabel>(u"status/label1");
    label->Texts.clear();

    constexpr int kPosts = 500;
    std::atomic<bool> done{false};
    std::thread worker(
        [status, &done]
        {
            for (int i = 0; i < kPosts; ++i)
            {
                EXPECT_EQ(status->PostStatusText(WString(std::to_string(i).c_str())), 0);
            }
            done = true;
        });
    // The window keeps running meanwhile: repeats, a progress bar and the clock all move on.
    bench.MoveTo({20, 85});
    bench.Press();
    while (!done)
    {
        bench.IdleAfter(kTick);
    }
    worker.join();
    bench.Release();
    bench.IdleAfter(kTick);

    ASSERT_FALSE(label->Texts.empty());
    EXPECT_EQ(label->Texts.back(), std::to_string(kPosts - 1));
    for (size_t i = 1; i < label->Texts.size(); ++i)
    {
        EXPECT_LT(std::stoi(label->Texts[i - 1]), std::stoi(label->Texts[i])) << "an older text came back";
    }
    EXPECT_EQ(status->GetCount(), 0u);
}
} // namespace
} // namespace ZQ
