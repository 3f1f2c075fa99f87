#include "ContainerBench.h"

#include "ZQFramework/Controls/Containers/Panel.h"
#include "ZQFramework/Controls/Menus/ComboSlider.h"
#include "ZQFramework/Controls/Sliders/Slider.h"
#include "ZQFramework/Notification/KeyCode.h"
#include "ZQFramework/Notification/KeyParam.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/ValueParam.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ZQ
{
namespace
{
using TestSupport::Utf8;
using ZQTest::ControlsBench;

constexpr uint32_t kDownKey = 0x20280000, kEscapeKey = 0x201b0000;

// "main" 400 x 300 with "combo" 100 x 20 at the origin; its panel stands at (panelX, 20), panelWidth x
// 40, and holds a slider 120 x 20 whose thumb (10 x 20) travels from x 0 to x 100. Without a panel
// (panelX < 0) the combo has no drop-down.
std::string ComboSliderSkin(int panelX = 0, int panelWidth = 150, const std::string& create = "")
{
    const std::string marker =
        R"( XSizeAbs="10" YSizeAbs="20"><Skin Name="thumb" LookList="looks14"/></SubControl>)";
    const std::string panel =
        R"(<SubControl Class="Framework.ComboSlider.DropDownPanel" Name="dropDownPanel" XPositionAbs=")" +
        std::to_string(panelX) + R"(" YPositionAbs="20" XSizeAbs=")" + std::to_string(panelWidth) +
        R"(" YSizeAbs="40" ClipToParent="false"><Skin Name="panel" LookList="one"/>
          <SubControl Class="Framework.Slider" Name="slider" XSizeAbs="120" YSizeAbs="20"><Skin Name="slider" LookList="looks14"/>
            <SubControl Class="Framework.Button" Name="thumbStart")" +
        marker + R"(<SubControl Class="Framework.Button" Name="thumbEnd" XPositionAbs="100")" + marker +
        "</SubControl></SubControl>";
    return R"(<SubControl Class="Test.Panel" Name="main" XSizeAbs="400" YSizeAbs="300"><Skin Name="main" LookList="one"/>
      <SubControl Class="Framework.ComboSlider" Name="combo" XSizeAbs="100" YSizeAbs="20"><Skin Name="combo" LookList="looks14"/>)" +
           create + (panelX >= 0 ? panel : "") + "</SubControl></SubControl>";
}

// The normalised values of the "NID_VALUE_CHANGE" notifications received.
class ValueLog : public LNotificationReceiver
{
public:
    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& /*source*/,
                                 const RCPtr<LNotification>& notification) override
    {
        const RCPtr<LValueParam> param(notification->GetParam());
        Values.push_back(param != nullptr ? param->mNormalized : -1.0);
        return 0;
    }
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& /*source*/,
                                        NotificationID /*id*/) override
    {
        return 0;
    }

    std::vector<double> Values;
};

struct ComboSliderBench
{
    explicit ComboSliderBench(const std::string& skin) : bench(skin)
    {
        bench.Register(u"Framework.ComboSlider", &LControl::CreateFromDescriptor<LComboSlider>);
        bench.Register(u"Framework.ComboSlider.DropDownPanel", &LControl::CreateFromDescriptor<LPanel>);
        bench.Register(u"Framework.Slider", &LControl::CreateFromDescriptor<LSlider>);
        (void)ZQTest::ShowContainers(bench);
        combo = bench.Find<LComboSlider>(u"combo");
        slider = RCPtr<LSlider>(combo != nullptr ? combo->GetSlider() : nullptr);
    }

    RCPtr<ValueLog> Listen(const RCPtr<LControl>& control) const
    {
        const RCPtr<ValueLog> log(new ValueLog);
        (void)control->RegisterClient(RCPtr<LNotificationReceiver>(log), u"NID_VALUE_CHANGE", 0);
        return log;
    }

    ZQRESULT Key(uint32_t code) const
    {
        return combo->HandleKeyPress(LKeyParam::Create(KeyCode(code, 0, 0), 0));
    }

    ControlsBench bench;
    RCPtr<LComboSlider> combo;
    RCPtr<LSlider> slider;
};

TEST(ComboSliderTest, TheLabelShowsTheScaledValueWithoutDecimalsAndTheSliderFollows)
{
    ComboSliderBench b(ComboSliderSkin());
    ASSERT_NE(b.combo, nullptr);
    ASSERT_NE(b.slider, nullptr);
    ASSERT_EQ(b.combo->SetRange(0, 100, 0), 0);
    const RCPtr<ValueLog> log = b.Listen(RCPtr<LControl>(b.combo));
    struct Case
    {
        double value;
        const char* label;
    };
    for (const Case& c : {Case{0.5, "50"}, Case{0.126, "13"}, Case{1.0, "100"}})
    {
        EXPECT_EQ(b.combo->SetValue(c.value), c.value);
        EXPECT_EQ(Utf8(b.combo->GetLabel()), c.label);
        EXPECT_EQ(b.slider->GetValue(), c.value);
    }
    EXPECT_EQ(log->Values, (std::vector<double>{0.5, 0.126, 1.0})) << "one notification per change";
}

TEST(ComboSliderTest, TheInitialValueReachesTheSlider)
{
    ComboSliderBench b(ComboSliderSkin(
        0, 150, R"(<CreateParamList><CreateParam ID="INITIAL_VALUE">0.25</CreateParam></CreateParamList>)"));
    ASSERT_NE(b.slider, nullptr);
    EXPECT_EQ(b.combo->GetValue(), 0.25);
    EXPECT_EQ(b.slider->GetValue(), 0.25);
}

TEST(ComboSliderTest, ADraggedThumbGivesOneNotificationPerSliderChangeAndOneAtTheDrop)
{
    ComboSliderBench b(ComboSliderSkin());
    ASSERT_EQ(b.combo->SetRange(0, 100, 0), 0);
    const RCPtr<ValueLog> fromCombo = b.Listen(RCPtr<LControl>(b.combo));
    const RCPtr<ValueLog> fromSlider = b.Listen(RCPtr<LControl>(b.slider));
    b.bench.MoveTo({50, 10});
    b.bench.Press();
    b.bench.Release();
    ASSERT_TRUE(b.combo->IsDropDownOpen());
    // The slider stands at window (0, 20); its thumb at value 0 covers x 0..10.
    b.bench.MoveTo({5, 30});
    b.bench.Press();
    b.bench.MoveTo({25, 30});
    b.bench.MoveTo({45, 30});
    b.bench.Release();
    EXPECT_EQ(b.combo->GetValue(), 0.4);
    EXPECT_EQ(fromSlider->Values, (std::vector<double>{0.2, 0.4, 0.4}));
    EXPECT_EQ(fromCombo->Values, fromSlider->Values);
    EXPECT_EQ(Utf8(b.combo->GetLabel()), "40");
}

TEST(ComboSliderTest, ThePanelOpensInsideTheRootControl)
{
    struct Case
    {
        int skinX;
        int width;
        double openedX;
    };
    for (const Case& c : {Case{300, 200, 200}, Case{300, 500, 0}, Case{100, 200, 100}})
    {
        ComboSliderBench b(ComboSliderSkin(c.skinX, c.width));
        ASSERT_EQ(b.combo->ShowDropDown(true), 0);
        EXPECT_EQ(b.combo->GetDropDownPanel()->GetRect().x, c.openedX) << c.skinX << " " << c.width;
        EXPECT_EQ(b.combo->GetDropDownPanel()->GetRect().y, 20);
        EXPECT_TRUE(b.combo->IsDropDownOpen());
    }
}

TEST(ComboSliderTest, KeysOpenAndCloseAndEscapeGoesNoFurther)
{
    ComboSliderBench b(ComboSliderSkin());
    EXPECT_EQ(b.Key(kEscapeKey), 1);
    EXPECT_EQ(b.Key(kDownKey), 0);
    EXPECT_TRUE(b.combo->IsDropDownOpen());
    EXPECT_EQ(b.Key(kDownKey), 1);
    EXPECT_EQ(b.Key(kEscapeKey), 0);
    EXPECT_FALSE(b.combo->IsDropDownOpen());

    (void)b.combo->ShowDropDown(true);
    (void)b.slider->SetFocus(true);
    ASSERT_TRUE(b.combo->IsDropDownOpen()) << "the focus moved inside the control";
    b.bench.Window->DeliverKey(LKeyParam::Create(KeyCode(kEscapeKey, 0, 0), 0));
    EXPECT_FALSE(b.combo->IsDropDownOpen());
    EXPECT_EQ(b.combo->ProcessHotKey(LKeyParam::Create(KeyCode(0x20410000, 0, 0), 0)), 1);
}

TEST(ComboSliderTest, WithoutAPanelNothingDropsDownAndTheValueStillWorks)
{
    ComboSliderBench b(ComboSliderSkin(-1));
    ASSERT_NE(b.combo, nullptr);
    EXPECT_EQ(b.combo->GetDropDownPanel(), nullptr);
    EXPECT_EQ(b.combo->ShowDropDown(true), E_FAIL);
    EXPECT_FALSE(b.combo->IsDropDownOpen());
    (void)b.combo->SetRange(0, 10, 0);
    EXPECT_EQ(b.combo->SetValue(0.5), 0.5);
    EXPECT_EQ(Utf8(b.combo->GetLabel()), "5");
}
} // namespace
} // namespace ZQ
