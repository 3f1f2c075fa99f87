#include "ControlsBench.h"

#include "ZQFramework/Controls/Buttons/Button.h"
#include "ZQFramework/Controls/Buttons/Label.h"
#include "ZQFramework/Controls/ControlPattern.h"
#include "ZQFramework/Notification/KeyCode.h"
#include "ZQFramework/Notification/KeyParam.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ZQ
{
namespace
{
using ZQTest::ControlsBench;

// "decoy" takes the window's first focus, out of the way. "push" toggles on click; "group" holds two radio
// buttons and a toggle, "other" one more radio button. "still" cannot take the focus, so its pressed looks
// show without the focus looks.
constexpr const char* kButtons = R"(
<SubControl Class="Test.Panel" Name="main">
  <Skin Name="main" LookList="one"/>
  <SubControl Class="Framework.Button" Name="decoy" YPositionAbs="280" XSizeAbs="10" YSizeAbs="10"/>
  <SubControl Class="Framework.Button" Name="push" XPositionAbs="10" YPositionAbs="10" XSizeAbs="50" YSizeAbs="20">
    <Skin Name="push" LookList="looks14"/>
    <CreateParamList><CreateParam ID="AUTO_VALUE_SET">true</CreateParam></CreateParamList>
  </SubControl>
  <SubControl Class="Framework.Button" Name="still" XPositionAbs="10" YPositionAbs="40" XSizeAbs="50" YSizeAbs="20">
    <Skin Name="still" LookList="looks14"/>
    <CreateParamList><CreateParam ID="NOT_FOCUSABLE">true</CreateParam></CreateParamList>
  </SubControl>
  <SubControl Class="Test.Panel" Name="group" XPositionAbs="100" XSizeAbs="100" YSizeAbs="100">
    <Skin Name="group" LookList="one"/>
    <SubControl Class="Framework.Button" Name="r1" YPositionAbs="0" XSizeAbs="50" YSizeAbs="20"><Skin Name="r1" LookList="looks14"/>
      <CreateParamList><CreateParam ID="AUTO_VALUE_SET">true</CreateParam><CreateParam ID="IS_RADIO">true</CreateParam></CreateParamList>
    </SubControl>
    <SubControl Class="Framework.Button" Name="r2" YPositionAbs="30" XSizeAbs="50" YSizeAbs="20"><Skin Name="r2" LookList="looks14"/>
      <CreateParamList><CreateParam ID="AUTO_VALUE_SET">true</CreateParam><CreateParam ID="IS_RADIO">true</CreateParam></CreateParamList>
    </SubControl>
    <SubControl Class="Framework.Button" Name="toggle" YPositionAbs="60" XSizeAbs="50" YSizeAbs="20"><Skin Name="toggle" LookList="looks14"/>
      <CreateParamList><CreateParam ID="AUTO_VALUE_SET">true</CreateParam></CreateParamList>
    </SubControl>
  </SubControl>
  <SubControl Class="Test.Panel" Name="other" XPositionAbs="250" XSizeAbs="100" YSizeAbs="100">
    <SubControl Class="Framework.Button" Name="r3" XSizeAbs="50" YSizeAbs="20"><Skin Name="r3" LookList="looks14"/>
      <CreateParamList><CreateParam ID="IS_RADIO">true</CreateParam></CreateParamList>
    </SubControl>
  </SubControl>
</SubControl>)";

constexpr PointT<int32_t> kOnPush{20, 15};
constexpr PointT<int32_t> kOnStill{20, 45};
constexpr PointT<int32_t> kOffButtons{5, 200};

struct ButtonTest : ::testing::Test
{
    ButtonTest() { (void)bench.Show(); }

    RCPtr<LButton> Button(const std::u16string& path) { return bench.Find<LButton>(path); }
    void Click(const PointT<int32_t>& point)
    {
        bench.MoveTo(point);
        bench.Press();
        bench.Release();
    }
    void PressEnter() { bench.Window->DeliverKey(LKeyParam::Create(KeyCode(0x200D0000, 0, 0), 0)); }
    static int32_t ShownLook(const RCPtr<LButton>& button) { return button->GetFirstVisibleLookIndex(); }

    ControlsBench bench{kButtons};
};

// --- Create parameters and named children ---

TEST(ControlPattern, ClassFlagsAreLowerCasedButNotTrimmedWhileTheBaseKeysAreTrimmed)
{
    struct Case
    {
        const char* value;
        bool expected;
    };
    const std::vector<Case> cases{{"true", true},   {"TRUE", true}, {"True", true}, {" true", false},
                                  {"true ", false}, {"yes", false}, {"1", false},   {"", false}};
    std::string controls = R"(<SubControl Class="Test.Panel" Name="main">)";
    for (size_t i = 0; i < cases.size(); ++i)
    {
        const std::string value = cases[i].value;
        controls += "<SubControl Class=\"Framework.Button\" Name=\"b" + std::to_string(i) +
                    "\"><CreateParamList><CreateParam ID=\"AUTO_VALUE_SET\">" + value +
                    "</CreateParam><CreateParam ID=\"IS_RADIO\">" + value +
                    "</CreateParam><CreateParam ID=\"NOT_FOCUSABLE\">" + value +
                    "</CreateParam></CreateParamList></SubControl>";
    }
    controls += R"(<SubControl Class="Framework.Button" Name="plain"/></SubControl>)";
    ControlsBench bench(controls);
    (void)bench.Show();

    for (size_t i = 0; i < cases.size(); ++i)
    {
        const RCPtr<LButton> button = bench.Find<LButton>(u"b" + std::u16string(1, u'0' + i));
        ASSERT_NE(button, nullptr);
        const bool trimmed = WString(cases[i].value).Trim().ToLower() == u"true";
        EXPECT_EQ(button->IsAutoValueSet(), cases[i].expected) << "'" << cases[i].value << "'";
        EXPECT_EQ(button->IsRadio(), cases[i].expected) << "'" << cases[i].value << "'";
        EXPECT_EQ(button->IsNotFocusable(), trimmed) << "the base's key, '" << cases[i].value << "'";
    }
    const RCPtr<LButton> plain = bench.Find<LButton>(u"plain");
    EXPECT_FALSE(plain->IsAutoValueSet());
    EXPECT_FALSE(plain->IsRadio());
    EXPECT_FALSE(plain->IsNotFocusable());
}

TEST_F(ButtonTest, ANamedChildOfAnotherClassIsNullLikeAMissingOne)
{
    const RCPtr<LControl> main = bench.Window->GetRootControl();
    EXPECT_NE(FindTypedChild<LButton>(*main, u"push"), nullptr);
    EXPECT_EQ(FindTypedChild<LLabel>(*main, u"push"), nullptr);
    EXPECT_EQ(FindTypedChild<LButton>(*main, u"group"), nullptr);
    EXPECT_EQ(FindTypedChild<LButton>(*main, u"missing"), nullptr);
}

// --- Clicks and values ---

TEST_F(ButtonTest, AClickTogglesAnAutoValueButtonAndSendsTheClick)
{
    const RCPtr<LButton> push = Button(u"push");
    const auto log = bench.Listen(RCPtr<LControl>(push), {u"NID_LEFT_CLICK"});
    Click(kOnPush);
    EXPECT_TRUE(push->IsChecked());
    Click(kOnPush);
    EXPECT_FALSE(push->IsChecked());
    EXPECT_EQ(log->TimesOf("NID_LEFT_CLICK").size(), 2u);

    // Without auto value set the click leaves the value to the owner.
    const RCPtr<LButton> still = Button(u"still");
    Click(kOnStill);
    EXPECT_FALSE(still->IsChecked());
}

TEST_F(ButtonTest, ARadioButtonSwitchesOffOnlyTheRadioButtonsOfItsParentAndStaysOnWhenClicked)
{
    const RCPtr<LButton> r1 = Button(u"group/r1");
    const RCPtr<LButton> r2 = Button(u"group/r2");
    const RCPtr<LButton> toggle = Button(u"group/toggle");
    const RCPtr<LButton> r3 = Button(u"other/r3");
    (void)toggle->SetChecked(true);
    (void)r3->SetChecked(true);

    Click({120, 10});
    EXPECT_TRUE(r1->IsChecked());
    Click({120, 10});
    EXPECT_TRUE(r1->IsChecked()) << "clicking an on radio button leaves it on";

    Click({120, 40});
    EXPECT_TRUE(r2->IsChecked());
    EXPECT_FALSE(r1->IsChecked());
    EXPECT_TRUE(toggle->IsChecked()) << "not a radio button";
    EXPECT_TRUE(r3->IsChecked()) << "another parent's group";

    EXPECT_TRUE(r1->SetChecked(true));
    EXPECT_FALSE(r2->IsChecked());
    EXPECT_FALSE(r1->SetChecked(false));
    EXPECT_FALSE(r2->IsChecked()) << "switching one off switches no other on";
}

// --- Looks ---

TEST(ButtonLooks, TheLookFollowsValueHoverPressFocusAndEnabledState)
{
    struct Case
    {
        const char* state;
        std::function<void(ControlsBench&, LButton& push, LButton& still)> setUp;
        const char16_t* button;
        int32_t look;
    };
    const std::vector<Case> cases{
        {"off", [](auto&, auto&, auto&) {}, u"push", 0},
        {"hover", [](auto& b, auto&, auto&) { b.MoveTo(kOnPush); }, u"push", 1},
        {"pressed", [](auto& b, auto&, auto&) { b.MoveTo(kOnStill), b.Press(); }, u"still", 2},
        {"pressed, pointer off",
         [](auto& b, auto&, auto&) { b.MoveTo(kOnStill), b.Press(), b.MoveTo(kOffButtons); }, u"still", 1},
        {"pressed, pointer off, pressed look kept",
         [](auto& b, auto&, auto& still)
         {
             still.SetKeepPressedLook(true);
             b.MoveTo(kOnStill), b.Press(), b.MoveTo(kOffButtons);
         },
         u"still", 2},
        {"focused", [](auto&, auto& push, auto&) { (void)push.SetFocus(true); }, u"push", 3},
        {"focused, hover", [](auto& b, auto& push, auto&) { (void)push.SetFocus(true), b.MoveTo(kOnPush); },
         u"push", 4},
        {"pressed, focused", [](auto& b, auto&, auto&) { b.MoveTo(kOnPush), b.Press(); }, u"push", 5},
        {"disabled", [](auto&, auto& push, auto&) { (void)push.SetEnabled(false); }, u"push", 6},
        {"on", [](auto&, auto& push, auto&) { (void)push.SetChecked(true); }, u"push", 7},
        {"value 0.5", [](auto&, auto& push, auto&) { (void)push.SetValue(0.5); }, u"push", 7},
        {"value just below 0.5", [](auto&, auto& push, auto&) { (void)push.SetValue(0.4999); }, u"push", 0},
        {"on, hover", [](auto& b, auto& push, auto&) { (void)push.SetChecked(true), b.MoveTo(kOnPush); },
         u"push", 8},
        {"on, pressed",
         [](auto& b, auto&, auto& still) { (void)still.SetChecked(true), b.MoveTo(kOnStill), b.Press(); },
         u"still", 9},
        {"on, focused",
         [](auto&, auto& push, auto&) { (void)push.SetChecked(true), (void)push.SetFocus(true); }, u"push",
         10},
        {"on, disabled",
         [](auto&, auto& push, auto&) { (void)push.SetChecked(true), (void)push.SetEnabled(false); }, u"push",
         13},
        {"parent disabled", [](auto&, auto& push, auto&) { (void)push.GetParent()->SetEnabled(false); },
         u"push", 6},
    };
    for (const Case& c : cases)
    {
        ControlsBench bench(kButtons);
        (void)bench.Show();
        const RCPtr<LButton> push = bench.Find<LButton>(u"push");
        const RCPtr<LButton> still = bench.Find<LButton>(u"still");
        c.setUp(bench, *push, *still);
        EXPECT_EQ(bench.Find<LButton>(c.button)->GetFirstVisibleLookIndex(), c.look) << c.state;
    }
}

TEST_F(ButtonTest, APassiveButtonIsNeverHitAndKeepsTheLookItsOwnerChose)
{
    const RCPtr<LButton> push = Button(u"push");
    push->SetPassive(true);
    (void)push->SelectLook(11);
    bench.MoveTo(kOnPush);
    bench.Press();
    EXPECT_NE(bench.Window->GetHoverControl(), RCPtr<LControl>(push));
    EXPECT_NE(bench.Window->GetCaptureControl(), RCPtr<LControl>(push));
    (void)push->SetChecked(true);
    (void)push->SetEnabled(false);
    EXPECT_EQ(ShownLook(push), 11);
}

// --- Simulated click ---

TEST_F(ButtonTest, EnterShowsThePressedLookAndClicksAtTheFirstIdlePassAfterTheSimulatedPress)
{
    const RCPtr<LButton> push = Button(u"push");
    const auto log = bench.Listen(RCPtr<LControl>(push), {u"NID_LEFT_CLICK"});
    (void)push->SetFocus(true);
    PressEnter();
    EXPECT_EQ(ShownLook(push), 2) << "the unfocused pressed look";
    EXPECT_EQ(push->GetIdleRequests(), 1);

    bench.IdleAfter(0.125);
    EXPECT_TRUE(log->Entries.empty());
    EXPECT_EQ(ShownLook(push), 2);

    bench.IdleAfter(0.03125);
    EXPECT_EQ(log->TimesOf("NID_LEFT_CLICK"), std::vector<double>{0.15625});
    EXPECT_TRUE(push->IsChecked()) << "auto value set";
    EXPECT_EQ(ShownLook(push), 10) << "on, focused";
    EXPECT_EQ(push->GetIdleRequests(), 0);

    // On a button that is on, the simulated press shows the pressed look of the on states.
    PressEnter();
    EXPECT_EQ(ShownLook(push), 9);
}

TEST_F(ButtonTest, ASecondSimulatedClickCompletesThePendingOneAtOnce)
{
    const RCPtr<LButton> push = Button(u"push");
    const auto log = bench.Listen(RCPtr<LControl>(push), {u"NID_LEFT_CLICK"});
    (void)push->SetFocus(true);
    PressEnter();
    bench.IdleAfter(0.0625);
    PressEnter();
    EXPECT_EQ(log->TimesOf("NID_LEFT_CLICK"), std::vector<double>{0.0625});
    EXPECT_TRUE(push->IsSimulatedClickPending());
    EXPECT_EQ(ShownLook(push), 9) << "the first click switched it on";
    EXPECT_EQ(push->GetIdleRequests(), 1);

    bench.IdleAfter(0.125);
    EXPECT_EQ(log->TimesOf("NID_LEFT_CLICK").size(), 1u);
    bench.IdleAfter(0.03125);
    EXPECT_EQ(log->TimesOf("NID_LEFT_CLICK"), (std::vector<double>{0.0625, 0.21875}));
    EXPECT_FALSE(push->IsChecked());
    EXPECT_EQ(push->GetIdleRequests(), 0);
}

TEST_F(ButtonTest, TheSimulateClickNotificationIsIgnoredByADisabledButtonAndOtherKeysPassOn)
{
    const RCPtr<LButton> push = Button(u"push");
    const RCPtr<LNotification> simulate = LNotification::Create(u"NID_SIMULATE_CLICK");
    (void)push->GetParent()->SetEnabled(false);
    EXPECT_EQ(push->ReceiveNotification(nullptr, simulate), 1);
    EXPECT_FALSE(push->IsSimulatedClickPending());

    (void)push->GetParent()->SetEnabled(true);
    EXPECT_EQ(push->ReceiveNotification(nullptr, simulate), 1);
    EXPECT_TRUE(push->IsSimulatedClickPending());

    EXPECT_EQ(push->HandleKeyPress(LKeyParam::Create(KeyCode::FromString(u"VKEY_SPACE"), 0)), 1);
    EXPECT_EQ(push->HandleKeyPress(LKeyParam::Create(KeyCode::FromString(u"Ctrl+VKEY_RETURN"), 0)), 1);
}

// --- Auto-repeat ---

// Idle passes every 1/32 s, the clock staying exact.
constexpr double kTick = 0.03125;

TEST_F(ButtonTest, AHeldButtonRepeatsAtThePressThenAfterTheDelayThenAtEachInterval)
{
    const RCPtr<LButton> push = Button(u"push");
    push->SetAutoRepeat(true);
    const auto log = bench.Listen(RCPtr<LControl>(push), {u"NID_BUTTON_AUTOREPEAT"});
    bench.MoveTo(kOnPush);
    bench.Press();
    EXPECT_TRUE(push->IsRepeating());
    while (bench.Application.Seconds < 0.45)
    {
        bench.IdleAfter(kTick);
    }
    // Each repeat goes out at the first pass its time has come, and the next countdown starts there.
    EXPECT_EQ(log->TimesOf("NID_BUTTON_AUTOREPEAT"), (std::vector<double>{0, 0.3125, 0.4375}));

    bench.Release();
    EXPECT_FALSE(push->IsRepeating());
    EXPECT_EQ(push->GetIdleRequests(), 0);
    bench.IdleAfter(1);
    EXPECT_EQ(log->TimesOf("NID_BUTTON_AUTOREPEAT").size(), 3u);
}

TEST_F(ButtonTest, TheRepeatCountdownPausesWhileThePointerIsOffTheButton)
{
    const RCPtr<LButton> push = Button(u"push");
    push->SetAutoRepeat(true);
    const auto log = bench.Listen(RCPtr<LControl>(push), {u"NID_BUTTON_AUTOREPEAT"});
    bench.MoveTo(kOnPush);
    bench.Press();
    bench.IdleAfter(0.125);
    bench.MoveTo(kOffButtons);
    while (bench.Application.Seconds < 1)
    {
        bench.IdleAfter(0.125);
    }
    EXPECT_TRUE(push->IsRepeating()) << "still held";
    bench.MoveTo(kOnPush);
    bench.IdleAfter(0.125);
    EXPECT_EQ(log->TimesOf("NID_BUTTON_AUTOREPEAT").size(), 1u) << "0.175 s of the delay were left";
    bench.IdleAfter(0.0625);
    EXPECT_EQ(log->TimesOf("NID_BUTTON_AUTOREPEAT"), (std::vector<double>{0, 1.1875}));
}

TEST_F(ButtonTest, ADisabledOrPlainButtonDoesNotRepeat)
{
    const RCPtr<LButton> push = Button(u"push");
    const auto log = bench.Listen(RCPtr<LControl>(push), {u"NID_BUTTON_AUTOREPEAT"});
    bench.MoveTo(kOnPush);
    bench.Press();
    bench.IdleAfter(1);
    bench.Release();
    EXPECT_TRUE(log->Entries.empty()) << "auto-repeat is off";
    EXPECT_EQ(push->GetIdleRequests(), 0);
}

// --- Tool-tip texts of labels and buttons ---

TEST(LabelAndButton, AlabelThatDoesNotFitIsItsOwnToolTipAndALabelNeverTakesTheFocus)
{
    ControlsBench bench(
        R"(<SubControl Class="Test.Panel" Name="main">
             <SubControl Class="Framework.Label" Name="caption" XSizeAbs="50" YSizeAbs="20">
               <CreateParamList><CreateParam ID="NOT_FOCUSABLE">false</CreateParam></CreateParamList>
             </SubControl>
             <SubControl Class="Framework.Button" Name="ok" XSizeAbs="50" YSizeAbs="20"/>
           </SubControl>)",
        R"(<StringTable ID="Test.Panel|caption"><String ID="TOOLTIP"><Locale LCID="0x0009">Caption tip</Locale></String></StringTable>
           <StringTable ID="Test.Panel|ok"><String ID="TOOLTIP"><Locale LCID="0x0009">OK tip</Locale></String></StringTable>)");
    (void)bench.Show();
    const RCPtr<LLabel> caption = bench.Find<LLabel>(u"caption");
    ASSERT_NE(caption, nullptr);
    EXPECT_TRUE(caption->IsNotFocusable());

    for (const auto& [control, tip] :
         {std::pair{RCPtr<LControl>(caption), "Caption tip"}, std::pair{bench.Find(u"ok"), "OK tip"}})
    {
        // Without a look that gives a text area, any text counts as not fitting.
        (void)control->SetLabel(u"A text too long to show");
        EXPECT_EQ(TestSupport::Utf8(control->GetToolTipText()), "A text too long to show");
        (void)control->SetLabel(u"");
        EXPECT_EQ(TestSupport::Utf8(control->GetToolTipText()), tip);
    }
}
} // namespace
} // namespace ZQ
