#include "ContainerBench.h"

#include "ZQFramework/ControlBase/Services/GlobalHotKeyManager.h"
#include "ZQFramework/Controls/Buttons/Button.h"
#include "ZQFramework/Controls/Containers/Panel.h"
#include "ZQFramework/Controls/Sliders/ScrollBar.h"
#include "ZQFramework/Notification/KeyCode.h"
#include "ZQFramework/Notification/KeyParam.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ZQ
{
namespace
{
using ZQTest::ControlsBench;
using ZQTest::ScrollBarSkin;

constexpr uint32_t kTab = 0x20090000;
constexpr uint32_t kDown = 0x20280000;
constexpr uint32_t kLeft = 0x20250000;

// A plain control that records the Tab keys handed to it before handling them as the control base does.
class TabRecorder : public LControl
{
public:
    ZQRESULT OnTabKey(const RCPtr<LKeyParam>& param) override
    {
        TabKeys.push_back(param->mKeyCode.GetCode());
        return LControl::OnTabKey(param);
    }
    std::vector<uint32_t> TabKeys;

    TabRecorder(CreateKey /*key*/, const RCPtr<LControl>& parent, const WString& name)
        : LControl(parent, name)
    {
    }
};

std::string Button(const std::string& name, int x, int y)
{
    return "<SubControl Class=\"Framework.Button\" Name=\"" + name + "\" XPositionAbs=\"" +
           std::to_string(x) + "\" YPositionAbs=\"" + std::to_string(y) +
           "\" XSizeAbs=\"40\" YSizeAbs=\"20\"/>";
}

// "main" (of class topClass) holds b1, the panel "inner" (i1, i2), b2, and the panel "outer" whose panel
// "deep" has a vertical scroll bar.
std::string PanelSkin(const std::string& topClass)
{
    return "<SubControl Class=\"" + topClass +
           R"(" Name="main" XSizeAbs="400" YSizeAbs="300"><Skin Name="main" LookList="one"/>)" +
           Button("b1", 0, 0) +
           R"(<SubControl Class="Framework.Panel" Name="inner" XPositionAbs="50" XSizeAbs="100" YSizeAbs="100">)" +
           Button("i1", 0, 0) + Button("i2", 0, 30) + "</SubControl>" + Button("b2", 200, 0) +
           R"(<SubControl Class="Framework.Panel" Name="outer" YPositionAbs="150" XSizeAbs="100" YSizeAbs="100">
                <CreateParamList><CreateParam ID="NOT_FOCUSABLE">true</CreateParam></CreateParamList>
                <SubControl Class="Framework.Panel" Name="deep" XSizeAbs="100" YSizeAbs="100">
                  <CreateParamList><CreateParam ID="NOT_FOCUSABLE">true</CreateParam></CreateParamList>)" +
           ScrollBarSkin("vBar", true) + "</SubControl></SubControl></SubControl>";
}

struct PanelTest : ::testing::Test
{
    explicit PanelTest(const std::string& topClass = "Framework.Panel") : bench(PanelSkin(topClass))
    {
        bench.Register(u"Test.TabRecorder", &LControl::CreateFromDescriptor<TabRecorder>);
        (void)ZQTest::ShowContainers(bench);
    }
    void Press(uint32_t code) { bench.Window->DeliverKey(LKeyParam::Create(KeyCode(code, 0, 0), 0)); }
    [[nodiscard]] RCPtr<LControl> Focus() const { return bench.Window->GetFocusControl(); }
    [[nodiscard]] std::string FocusName() const
    {
        return Focus() != nullptr ? TestSupport::Utf8(Focus()->GetName()) : std::string("(none)");
    }

    ControlsBench bench;
};

TEST_F(PanelTest, TabLeavesANestedPanelBothWaysAndATopLevelPanelWraps)
{
    struct Case
    {
        const char16_t* from;
        uint32_t key;
        const char* to;
    };
    const std::vector<Case> cases{
        {u"inner/i1", kTab, "i2"},
        {u"inner/i2", kTab, "b2"},                   // not back to i1
        {u"inner/i1", kTab | KeyCode::kShift, "b1"}, // not round to i2
        {u"b1", kTab, "i1"},                         // into the panel at its first stop
        {u"b2", kTab | KeyCode::kShift, "i2"},       // ... and at its last one backwards
        {u"b2", kTab, "b1"},                         // the top-level panel wraps round
        {u"b1", kTab | KeyCode::kShift, "b2"},
    };
    for (const Case& c : cases)
    {
        (void)bench.Find(c.from)->SetFocus(true);
        Press(c.key);
        EXPECT_EQ(FocusName(), c.to) << TestSupport::Utf8(WString(c.from)) << " " << std::hex << c.key;
    }

    const RCPtr<LControl> inner = bench.Find(u"inner");
    EXPECT_EQ(inner->GetNextTabStop(bench.Find(u"inner/i2"), false), nullptr);
    EXPECT_EQ(inner->GetNextTabStop(bench.Find(u"inner/i1"), true), nullptr);
    EXPECT_EQ(inner->GetNextTabStop(bench.Find(u"inner/i1"), false), bench.Find(u"inner/i2"));
}

struct PanelUnderPlainControlTest : PanelTest
{
    PanelUnderPlainControlTest() : PanelTest("Test.TabRecorder") {}
};

TEST_F(PanelUnderPlainControlTest, CtrlTabIsNotNavigatedInsideAPanelButPassedToItsParent)
{
    auto& main = dynamic_cast<TabRecorder&>(*bench.Window->GetRootControl());
    (void)bench.Find(u"inner/i1")->SetFocus(true);
    Press(kTab | KeyCode::kCtrl);
    EXPECT_EQ(main.TabKeys, std::vector<uint32_t>{kTab | KeyCode::kCtrl});
    EXPECT_NE(FocusName(), "i2");

    main.TabKeys.clear();
    const RCPtr<LKeyParam> key = LKeyParam::Create(KeyCode(kTab | KeyCode::kCtrl, 0, 0), 0);
    key->AddVisitedControl(bench.Find(u"inner/i1").Get());
    (void)bench.Find(u"inner")->OnTabKey(key);
    EXPECT_TRUE(key->WasVisited(bench.Find(u"inner").Get())) << "the parent starts after the panel";
    EXPECT_EQ(main.TabKeys.size(), 1u);
}

TEST_F(PanelTest, AKeyNobodyTakesClimbsThePanelsToTheApplicationsHotKeysPassingTheWindows)
{
    const RCPtr<ZQTest::NotificationLog> application(new ZQTest::NotificationLog(bench.Application));
    bench.Application.HotKeys = LGlobalHotKeyManager::Create(RCPtr<LNotificationReceiver>(application));
    const KeyCode key = KeyCode::FromString(u"Ctrl+VKEY_F10");
    (void)bench.Application.HotKeys->GetKeyBindings().AddBinding(key, u"NID_APPLICATION_KEY");
    (void)bench.Window->GetHotKeyManager()->GetKeyBindings().AddBinding(key, u"NID_WINDOW_KEY");

    const RCPtr<LKeyParam> param = LKeyParam::Create(key, 0);
    param->AddVisitedControl(bench.Find(u"inner/i1").Get());
    EXPECT_EQ(bench.Find(u"inner")->ProcessHotKey(param), 0);
    EXPECT_TRUE(param->WasVisited(bench.Find(u"inner").Get()));
    ASSERT_EQ(application->Entries.size(), 1u);
    EXPECT_EQ(application->Entries[0].first, "NID_APPLICATION_KEY");
    EXPECT_EQ(bench.Window->GetCount(), 0u) << "a panel at the top does not ask the window's hot keys";
    bench.Application.HotKeys = nullptr;
}

TEST_F(PanelTest, AnArrowTakenByAScrollBarDeepInsideIsConsumedForThePanelsParent)
{
    const RCPtr<LScrollView> deep = bench.Find<LScrollView>(u"outer/deep");
    const RCPtr<LScrollbar> bar = bench.Find<LScrollbar>(u"outer/deep/vBar");
    ASSERT_NE(bar, nullptr);
    (void)deep->SetClientExtent(0, 1000);
    ASSERT_TRUE(deep->IsScrollBarShown(1));
    (void)bench.Find(u"b1")->SetFocus(true);

    Press(kDown);
    EXPECT_GT(bar->GetValue(), 0) << "the key climbed from b1 to main and went down to the bar";
    EXPECT_GT(deep->GetScrollOffset().y, 0);

    const RCPtr<LControl> main = bench.Window->GetRootControl();
    const auto offer = [&](uint32_t code)
    {
        const RCPtr<LKeyParam> key = LKeyParam::Create(KeyCode(code, 0, 0), 0);
        key->AddVisitedControl(bench.Find(u"b1").Get());
        return main->OnSiblingKey(key);
    };
    const double value = bar->GetValue();
    EXPECT_EQ(offer(kDown), 0) << "consumed";
    EXPECT_GT(bar->GetValue(), value);
    EXPECT_EQ(offer(kLeft), 1) << "a vertical bar leaves Left alone";

    // A bar the content does not need is hidden and takes nothing.
    (void)deep->SetClientExtent(0, 50);
    EXPECT_EQ(offer(kDown), 1);
}
} // namespace
} // namespace ZQ
