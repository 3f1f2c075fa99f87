#include "LocaleScope.h"
#include "PartBuilders.h"
#include "Support/FakeControlApplication.h"
#include "Support/FakeMeasurer.h"
#include "Support/FakeWindowServices.h"
#include "Support/MeasurementRendererScope.h"
#include "Support/SkinFragment.h"
#include "Support/TestControl.h"

#include "ZQFramework/ControlBase/Control/Look.h"
#include "ZQFramework/ControlBase/Control/VisualPart.h"
#include "ZQFramework/ControlBase/Skin/ControlDescriptor.h"
#include "ZQFramework/ControlBase/Skin/LookDescriptor.h"
#include "ZQFramework/ControlBase/Skin/StringTable.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationCenterManager.h"
#include "ZQFramework/Notification/SiblingKeyParam.h"
#include "ZQFramework/Renderer/Font.h"
#include "ZQFramework/Renderer/FontText.h"
#include "ZQFramework/Utilities/Graphics/Bitmap.h"
#include "ZQFramework/Utilities/Graphics/Color.h"
#include "ZQFramework/Utilities/Graphics/Region.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace ZQ
{
namespace
{
using ZQTest::FakeControlApplication;
using ZQTest::FakeWindowServices;
using ZQTest::TestControl;

// A test control that records what the creation sequence and re-application call on it.
class Probe : public TestControl
{
public:
    static RCPtr<LControl> Create(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
    {
        return LControl::CreateFromDescriptor<Probe>(parent, descriptor);
    }

    ZQRESULT ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor) override
    {
        Steps.emplace_back("ApplyDescriptor");
        return TestControl::ApplyDescriptor(descriptor);
    }
    ZQRESULT CreateChildControls(const RCPtr<LControlDescriptor>& descriptor) override
    {
        Steps.emplace_back("CreateChildControls");
        return TestControl::CreateChildControls(descriptor);
    }
    ZQRESULT Initialize() override
    {
        Steps.emplace_back("Initialize");
        return TestControl::Initialize();
    }
    ZQRESULT OnCreated() override
    {
        Steps.emplace_back(IsCreated() ? "OnCreated again" : "OnCreated");
        return TestControl::OnCreated();
    }
    double SetValue(double value) override
    {
        Values.push_back(value);
        return TestControl::SetValue(value);
    }
    bool SetVisible(bool visible) override
    {
        Visibility.push_back(visible);
        return TestControl::SetVisible(visible);
    }
    ZQRESULT Invalidate(const RectT<double>& rect, bool clip) override
    {
        ++Invalidations;
        return TestControl::Invalidate(rect, clip);
    }

    std::vector<std::string> Steps;
    std::vector<double> Values;
    std::vector<bool> Visibility;
    int Invalidations = 0;

    using TestControl::TestControl;
};

// A control whose initialisation fails.
class Thrower : public TestControl
{
public:
    ZQRESULT Initialize() override { throw std::runtime_error("refused"); }

    using TestControl::TestControl;
};

// "main" holds "panel", whose skin has three look entries, the second empty; "panel" holds two children
// and one whose creation is deferred.
constexpr const char* kDefinitions = R"(
<Colorizers><Colorizer Name="red" ColorType="SolidFill" Color="0xFFFF0000"/></Colorizers>
<Parts><Part Name="fill" Width="4" Height="4" ResizeType="Stretch" ColorizerName="red"/></Parts>
<Looks>
  <Look Name="normal">
    <ClientPart Name="fill" OffsetLeft="2" OffsetTop="3" OffsetRight="-2" OffsetBottom="-3"/>
    <TextProperties TextLeftRel="0" TextLeftAbs="4" TextRightRel="1" TextRightAbs="-4" TextHAlign="0"
                    TextTopRel="0" TextTopAbs="0" TextBottomRel="1" TextBottomAbs="0" TextVAlign="0"
                    TextForegroundPart="fill"/>
  </Look>
  <Look Name="pressed"><ClientPart Name="fill" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
</Looks>
<LookLists>
  <LookList Name="threeLooks" NumLooks="3"><Look Index="0" Name="normal"/><Look Index="2" Name="pressed"/></LookList>
</LookLists>)";

constexpr const char* kSkin = R"(
<Skins><Skin Name="default">
  <SubControl Class="Test.Control" Name="main">
    <SubControl Class="Test.Probe" Name="panel" XSizeAbs="200" YSizeAbs="100">
      <Skin Name="panel" LookList="threeLooks"/>
      <SubControl Class="Test.Control" Name="first" LayoutOrder="0"/>
      <SubControl Class="Test.Probe" Name="second" LayoutOrder="1"/>
      <SubControl Class="Test.Control" Name="later" LayoutOrder="2">
        <CreateParamList><CreateParam ID="DEFER_CREATE"> True </CreateParam></CreateParamList>
      </SubControl>
    </SubControl>
  </SubControl>
</Skin></Skins>)";

// The same window with a skin that keeps only "second", now hidden, and names a child that does not exist.
constexpr const char* kSubsetSkin = R"(
<Skins><Skin Name="subset">
  <SubControl Class="Test.Control" Name="main">
    <SubControl Class="Test.Probe" Name="panel" XSizeAbs="200" YSizeAbs="100">
      <Skin Name="panel" LookList="threeLooks"/>
      <SubControl Class="Test.Probe" Name="second" IsVisible="False"/>
      <SubControl Class="Test.Control" Name="newcomer"/>
    </SubControl>
  </SubControl>
</Skin></Skins>)";

constexpr const char* kStrings = R"(
<StringTable ID="Test.Probe|first">
  <String ID="LABEL"><Locale LCID="0x0009">First</Locale></String>
  <String ID="TOOLTIP"><Locale LCID="0x0009">The first one</Locale></String>
  <String ID="LHK.NID_FIRST_ACTION"><Locale LCID="0x0009">Ctrl+VKEY_F5</Locale></String>
</StringTable>
<StringTable ID="Test.Control|panel"><String ID="LABEL"><Locale LCID="0x0009">Panel</Locale></String></StringTable>)";

struct CreationTest : ::testing::Test
{
    CreationTest()
    {
        const ZQTest::TempDocument strings(
            ZQTest::Encode(ZQTest::StringTableDocument(kStrings), ZQTest::Encoding::Utf8));
        (void)factory->LoadStringTables(strings.Path(), u"/nonexistent/framework.xml", 0x0009);
        const ZQTest::TempDocument skin(ZQTest::SkinDocument(std::string(kDefinitions) + kSkin));
        (void)factory->LoadSkins(skin.Path());
        (void)factory->RegisterControlCreateFunction(u"Test.Control", &TestControl::CreateFromDescriptor);
        (void)factory->RegisterControlCreateFunction(u"Test.Probe", &Probe::Create);
    }
    ~CreationTest() override { (void)window->ReleaseInternalReferences(); }

    // "main" shown in the window, filling it.
    RCPtr<LControl> ShowMain()
    {
        const RCPtr<LControl> main = factory->CreateControlByName(u"main", window);
        (void)window->SetRootControl(main);
        return main;
    }

    // Makes the subset skin current; the earlier skins stay loaded.
    void SwitchToSubsetSkin()
    {
        const ZQTest::TempDocument skin(ZQTest::SkinDocument(std::string(kDefinitions) + kSubsetSkin));
        ASSERT_EQ(factory->LoadSkins(skin.Path()), S_OK);
        factory->SetCurrentSkinIndex(1);
    }

    RCPtr<LControlFactory> factory = LControlFactory::Create(ZQTest::kTestApplication);
    FakeControlApplication application{factory};
    FakeWindowServices services;
    RCPtr<LRootWindow> window = LRootWindow::Create(nullptr, &services);
};

std::vector<std::string> ChildNames(LControl& control)
{
    std::vector<std::string> names;
    for (uint32_t i = 0; i < control.GetChildren().GetCount(); ++i)
    {
        const WString& name = control.GetChildren().GetAt(i, 0)->GetName();
        names.emplace_back(name.ToNarrow().GetBuffer());
    }
    return names;
}

TEST_F(CreationTest, CreationRunsTheStepsInOrderAndLeavesDeferredChildrenOut)
{
    const RCPtr<LControl> main = factory->CreateControl(factory->FindSkinDescriptor(u"main"), nullptr);
    ASSERT_NE(main, nullptr);
    const RCPtr<Probe> panel(main->FindChild(u"panel"));
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->Steps, (std::vector<std::string>{"ApplyDescriptor", "CreateChildControls", "Initialize",
                                                      "OnCreated"}));
    EXPECT_EQ(ChildNames(*panel), (std::vector<std::string>{"first", "second"}));
    for (const RCPtr<LControl>& control : {main, RCPtr<LControl>(panel), panel->FindChild(u"second")})
    {
        EXPECT_TRUE(control->IsCreated());
        EXPECT_EQ(RCPtr<TestControl>(control)->GetNotificationCenter(), GetDefaultNotificationCenter());
    }
    EXPECT_EQ(panel->GetLabel(), u"Panel");
    EXPECT_EQ(panel->GetRect(), (RectT<double>{0, 0, 200, 100}));
}

TEST_F(CreationTest, AChildThatCannotBeMadeStopsNeitherItsSiblingsNorStaysInTheTree)
{
    (void)factory->RegisterControlCreateFunction(u"Test.Thrower", &LControl::CreateFromDescriptor<Thrower>);
    const RCPtr<LControlDescriptor> parent = LControlDescriptor::Create(u"Test.Control", u"parent", nullptr);
    parent->mLayout = LLayoutDescriptor::Create();
    for (const auto& [className, name] :
         {std::pair{u"Test.Control", u"a"}, std::pair{u"Test.Unregistered", u"b"},
          std::pair{u"Test.Thrower", u"c"}, std::pair{u"Test.Control", u"d"}})
    {
        const RCPtr<LControlDescriptor> child = LControlDescriptor::Create(className, name, parent);
        child->mLayout = LLayoutDescriptor::Create();
        parent->AddChild(child);
    }
    const RCPtr<LControl> control = factory->CreateControl(parent, nullptr);
    EXPECT_EQ(ChildNames(*control), (std::vector<std::string>{"a", "d"}));
    EXPECT_TRUE(control->IsCreated());
    parent->DetachChildren();
}

TEST_F(CreationTest, LooksFollowTheLookListWithEmptyEntriesAndTheFirstIsSelected)
{
    const RCPtr<LControl> main = factory->CreateControl(factory->FindSkinDescriptor(u"main"), nullptr);
    const RCPtr<TestControl> panel(main->FindChild(u"panel"));
    ASSERT_NE(panel, nullptr);

    ASSERT_EQ(panel->GetLookOpacities().GetCount(), 3u);
    EXPECT_EQ((std::vector<float>{panel->GetLookOpacities().GetAt(0), panel->GetLookOpacities().GetAt(1),
                                  panel->GetLookOpacities().GetAt(2)}),
              (std::vector<float>{1, 0, 0}));
    ASSERT_NE(panel->GetLook(0), nullptr);
    EXPECT_EQ(panel->GetLook(1), nullptr);
    ASSERT_NE(panel->GetLook(2), nullptr);
    EXPECT_EQ(panel->GetLook(0)->GetDescriptor(), factory->FindLook(u"normal"));
    EXPECT_EQ(panel->GetLook(-1), panel->GetLook(0));
    EXPECT_EQ(panel->GetFirstVisibleLookIndex(), 0);
    EXPECT_EQ(panel->GetLookRect(-1), (RectT<double>{2, 3, 196, 94})); // the looks have the control's size
    EXPECT_EQ(panel->GetLook(0)->GetTextLayout()->GetText(), u"Panel");

    // A control whose skin has no look list has no looks, and its look rectangle is its own area.
    const RCPtr<LControl> first = panel->FindChild(u"first");
    EXPECT_EQ(first->GetLook(-1), nullptr);
    EXPECT_EQ(first->GetLookRect(-1), (RectT<double>{0, 0, 16, 40}));
}

TEST_F(CreationTest, ADescriptorWithoutSkinGivesNoLooksAndTheInheritedFont)
{
    // The bench's fixture skin: a top control without a skin of its own.
    ASSERT_EQ(factory->LoadSkins(u"::Test Skin.xml"), S_OK);
    factory->SetCurrentSkinIndex(1);
    (void)factory->RegisterControlCreateFunction(u"FirmwareUpdater.MainControl",
                                                 &TestControl::CreateFromDescriptor);
    const RCPtr<TestControl> main(factory->CreateControlByName(u"mainControl", window));
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(main->IsCreated());
    EXPECT_EQ(main->GetLook(-1), nullptr);
    EXPECT_EQ(main->GetLookOpacities().GetCount(), 0u);
    EXPECT_TRUE(main->InheritsFont());
    EXPECT_EQ(main->GetRootWindow(), window);
}

// A descriptor built in code with a tab stop and create parameters.
RCPtr<LControlDescriptor> DescriptorWith(int32_t tabStop, const LStringTable::Map& params)
{
    const RCPtr<LControlDescriptor> descriptor = LControlDescriptor::Create(u"Test.Probe", u"probe", nullptr);
    descriptor->mLayout = LLayoutDescriptor::Create();
    descriptor->mLayout->mTabStop = tabStop;
    if (!params.empty())
    {
        descriptor->mCreateParams = LStringTable::Create(params);
    }
    return descriptor;
}

TEST_F(CreationTest, CreateParametersSetFocusabilityTabAndToolTipFlags)
{
    struct Case
    {
        const char* name;
        int32_t tabStop;
        LStringTable::Map params;
        bool notFocusable, wantsTab, usesParentToolTip;
    };
    const Case cases[] = {
        {"true among blanks", 0, {{u"NOT_FOCUSABLE", u" True "}}, true, false, false},
        {"yes is not true", -1, {{u"NOT_FOCUSABLE", u"yes"}}, false, false, false},
        {"negative tab stop", -1, {}, true, false, false},
        {"tab stop 0", 0, {}, false, false, false},
        {"other parameters only",
         -2,
         {{u"WANTS_TAB", u"TRUE"}, {u"USE_PARENT_TOOLTIP", u"\ttrue\n"}},
         true,
         true,
         true},
        {"false flags", 3, {{u"WANTS_TAB", u"false"}, {u"USE_PARENT_TOOLTIP", u"1"}}, false, false, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const RCPtr<Probe> probe(Probe::Create(nullptr, DescriptorWith(c.tabStop, c.params)));
        EXPECT_EQ(probe->IsNotFocusable(), c.notFocusable);
        EXPECT_EQ(probe->WantsTab(), c.wantsTab);
        EXPECT_EQ(probe->UsesParentToolTip(), c.usesParentToolTip);
        EXPECT_TRUE(probe->Values.empty());
    }
}

class InitialValue : public LocaleTest
{
};

TEST_P(InitialValue, IsReadAsANumberInTheCLocale)
{
    FakeControlApplication application;
    struct Case
    {
        const char16_t* text;
        double value;
    };
    for (const Case& c : {Case{u"0.25", 0.25}, Case{u" 0.5x", 0.5}, Case{u"half", 0.0}})
    {
        const RCPtr<Probe> probe(Probe::Create(nullptr, DescriptorWith(0, {{u"INITIAL_VALUE", c.text}})));
        EXPECT_EQ(probe->Values, std::vector<double>{c.value}) << WString(c.text).ToNarrow().GetBuffer();
    }
}

ZQ_INSTANTIATE_LOCALES(InitialValue);

TEST_F(CreationTest, SetLabelReportsAChangeAndTheTopControlTitlesItsWindow)
{
    const RCPtr<Probe> probe(Probe::Create(nullptr, DescriptorWith(0, {})));
    probe->Invalidations = 0;
    EXPECT_EQ(probe->SetLabel(u""), S_FALSE);
    EXPECT_EQ(probe->Invalidations, 0);
    EXPECT_EQ(probe->SetLabel(u"Exit"), S_OK);
    EXPECT_EQ(probe->GetLabel(), u"Exit");
    EXPECT_EQ(probe->Invalidations, 1);
    EXPECT_EQ(probe->SetLabel(u"Exit"), S_FALSE);
    EXPECT_EQ(probe->Invalidations, 1);
    EXPECT_EQ(services.Count("SetTitle"), 0);

    (void)window->SetRootControl(probe);
    EXPECT_EQ(probe->SetLabel(u"Updater"), S_OK);
    EXPECT_EQ(services.Title, u"Updater");
    EXPECT_EQ(window->GetTitle(), u"Updater");
}

TEST_F(CreationTest, AddChildControlMovesTheControlAndAppliesTheDescriptorUnlessRefused)
{
    const RCPtr<TestControl> parent = TestControl::Create(nullptr, u"parent");
    const RCPtr<TestControl> control = TestControl::Create(nullptr, u"child");
    const RCPtr<LControlDescriptor> descriptor = DescriptorWith(5, {});
    EXPECT_EQ(parent->AddChildControl(nullptr, descriptor), E_FAIL);
    EXPECT_EQ(parent->AddChildControl(control, nullptr), E_FAIL);

    EXPECT_EQ(parent->AddChildControl(control, descriptor), 0);
    EXPECT_EQ(control->GetParent(), parent);
    EXPECT_EQ(control->GetDescriptor(), descriptor);
    EXPECT_EQ(parent->AddChildControl(control, DescriptorWith(6, {})), 1); // already its parent: applied
    EXPECT_EQ(control->GetLayout()->mTabStop, 6);

    const RCPtr<TestControl> twin = TestControl::Create(nullptr, u"child");
    EXPECT_EQ(parent->AddChildControl(twin, descriptor), E_FAIL); // the name is taken
    EXPECT_EQ(twin->GetParent(), nullptr);
    EXPECT_EQ(twin->GetDescriptor(), nullptr);
}

TEST_F(CreationTest, LocalKeyBindingsClaimSiblingKeysOnlyWhileShownAndEnabled)
{
    // "first" has bindings: Test.Probe's table applies when it is made under a Test.Probe parent.
    const RCPtr<LControlDescriptor> panelDescriptor = DescriptorWith(0, {});
    panelDescriptor->mLayout->mXSize.Abs = 100;
    const RCPtr<Probe> panel(Probe::Create(nullptr, panelDescriptor));
    (void)window->SetRootControl(panel);
    const RCPtr<LControlDescriptor> firstDescriptor =
        LControlDescriptor::Create(u"Test.Control", u"first", panelDescriptor);
    firstDescriptor->mLayout = LLayoutDescriptor::Create();
    const RCPtr<TestControl> first(TestControl::CreateFromDescriptor(panel, firstDescriptor));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetToolTipText(), u"The first one");
    EXPECT_EQ(first->GetLabel(), u"First");
    const KeyCode key = KeyCode::FromString(u"Ctrl+VKEY_F5");
    EXPECT_EQ(first->GetKeyForAction(u"NID_FIRST_ACTION"), key);
    EXPECT_TRUE(first->IsKeyBound(key));
    EXPECT_EQ(first->GetKeyForAction(u"NID_OTHER").GetCode(), 0x80000000u);
    (void)first->Handler()->AddDirectCallback(
        static_cast<LNotificationHandler<LControl>::Callback>(&TestControl::CountNotification),
        u"NID_FIRST_ACTION");

    const auto offer = [&](const KeyCode& code, bool direct)
    {
        const RCPtr<LSiblingKeyParam> param = LSiblingKeyParam::Create(code, panel.Get());
        const RCPtr<LNotification> notification = LNotification::Create(u"NID_SIBLING_KEY", param);
        if (direct)
        {
            (void)first->ReceiveNotification(nullptr, notification);
        }
        else
        {
            (void)panel->Notify(notification);
        }
        return param->mPending;
    };
    EXPECT_EQ(offer(key, false), 0); // from the parent
    EXPECT_EQ(offer(key, true), 0);  // handed to the control itself
    EXPECT_EQ(first->NotificationsReceived, 2);
    EXPECT_EQ(offer(KeyCode::FromString(u"Ctrl+VKEY_F6"), false), -1);

    first->ChangeLayout([](LLayoutDescriptor& layout) { layout.mEnabled = false; });
    EXPECT_EQ(offer(key, false), -1);
    first->ChangeLayout([](LLayoutDescriptor& layout) { layout.mEnabled = true; });
    panel->ChangeLayout([](LLayoutDescriptor& layout) { layout.mEnabled = false; });
    EXPECT_EQ(offer(key, true), -1);
    EXPECT_EQ(first->NotificationsReceived, 2);
}

// A top control that moves and resizes its window whenever a descriptor is applied to it.
class Placer : public TestControl
{
public:
    int32_t AdjustWindowPlacement(RectT<int32_t>& rect) override
    {
        Placements.push_back(rect);
        rect = {10, 20, 320, 240};
        return 1;
    }

    std::vector<RectT<int32_t>> Placements;

    using TestControl::TestControl;
};

TEST_F(CreationTest, ReapplyingToAShownTopControlKeepsItsWindowWhereItIs)
{
    const RCPtr<LControl> main = ShowMain();
    ASSERT_EQ(main->GetRect(), (RectT<double>{0, 0, 400, 300}));
    services.Calls.clear();
    EXPECT_EQ(factory->ApplySkinToControl(main), 0);
    EXPECT_EQ(services.Count("SetWindowRect"), 0);
    EXPECT_EQ(services.ScreenRect, (RectT<int32_t>{100, 50, 400, 300}));
    EXPECT_EQ(main->GetRect(), (RectT<double>{0, 0, 400, 300})) << "pinned at the window's own place";
    EXPECT_TRUE(main->GetLayout()->mVisible);

    // A control that asks for another placement gets it, and keeps that one.
    const RCPtr<LControlDescriptor> descriptor = DescriptorWith(0, {});
    const RCPtr<Placer> placer(LControl::CreateFromDescriptor<Placer>(nullptr, descriptor));
    (void)window->SetRootControl(placer);
    EXPECT_TRUE(placer->Placements.empty()); // only a created top control in a window is placed
    EXPECT_EQ(placer->ApplyDescriptor(descriptor), 0);
    EXPECT_EQ(placer->Placements, (std::vector<RectT<int32_t>>{{100, 50, 400, 300}}));
    EXPECT_EQ(services.Count("SetWindowRect"), 1);
    EXPECT_EQ(services.ScreenRect, (RectT<int32_t>{10, 20, 320, 240}));
    EXPECT_EQ(placer->GetRect(), (RectT<double>{0, 0, 320, 240}));
}

TEST_F(CreationTest, ReapplyingASubsetKeepsTheNamedChildrenAndLetsTheOthersGo)
{
    const RCPtr<LControl> main = ShowMain();
    const RCPtr<Probe> panel(main->FindChild(u"panel"));
    const RCPtr<Probe> second(panel->FindChild(u"second"));
    ASSERT_NE(second, nullptr);
    std::vector<WString> destroyed;
    const LControl* dropped = nullptr;
    {
        const RCPtr<TestControl> first(panel->FindChild(u"first"));
        dropped = first.Get();
        first->DestroyedLog = &destroyed;
        window->OnControlFocused(first);
        EXPECT_EQ(first->RequestIdle(), 0);
    }
    EXPECT_EQ(window->GetRegistrationCount(), 1);                          // "first" asks for "NID_IDLE"
    EXPECT_EQ(panel->LNotificationDistributor::GetRegistrationCount(), 1); // and listens for sibling keys
    second->ChangeLayout([](LLayoutDescriptor& layout) { layout.mEnabled = false; });
    second->Steps.clear();

    SwitchToSubsetSkin();
    ASSERT_EQ(factory->ApplySkinToControl(main), 0);

    EXPECT_EQ(ChildNames(*panel), std::vector<std::string>{"second"});
    EXPECT_EQ(panel->FindChild(u"second"), second);
    EXPECT_EQ(second->GetDescriptor(),
              factory->FindSkinDescriptor(u"main")->mChildren.GetAt(0)->mChildren.GetAt(0));
    EXPECT_EQ(second->Steps, (std::vector<std::string>{"ApplyDescriptor", "OnCreated again"}));
    EXPECT_EQ(second->Visibility, std::vector<bool>{false}); // the skin's change goes through the setter
    EXPECT_FALSE(second->GetLayout()->mEnabled);             // the skin carries no enabled state
    EXPECT_EQ(panel->GetLook(0)->GetTextLayout()->GetText(), u"Panel"); // the new looks show the label

    EXPECT_EQ(destroyed, std::vector<WString>{u"first"});
    EXPECT_NE(window->GetFocusControl().Get(), dropped); // the focus may move on, but not to a dropped child
    EXPECT_EQ(window->GetRegistrationCount(), 0);
    EXPECT_EQ(panel->LNotificationDistributor::GetRegistrationCount(), 0);
    (void)window->ProcessIdle(true);
}

TEST_F(CreationTest, TheWindowForgetsAControlAndItsDescendants)
{
    const RCPtr<LControl> main = ShowMain();
    const RCPtr<LControl> panel = main->FindChild(u"panel");
    const RCPtr<LControl> first = panel->FindChild(u"first");
    window->OnControlFocused(first);
    window->OnControlUnfocused(); // "first" is now the last focus control
    window->OnControlFocused(main);

    window->ForgetControl(*panel);
    EXPECT_EQ(window->GetLastFocusControl(), nullptr);
    EXPECT_EQ(window->GetFocusControl(), main);
    window->ForgetControl(*main);
    EXPECT_EQ(window->GetFocusControl(), nullptr);
}

// A look showing the label in a text area 8 narrower than the control, coloured by a white fill.
RCPtr<LLook> LabelLook()
{
    const RCPtr<LLookDescriptor> descriptor = LLookDescriptor::Create(u"label");
    LLookDescriptor::TextProperties text;
    text.LeftAbs = 4;
    text.RightRel = 1;
    text.RightAbs = -4;
    text.BottomRel = 1;
    descriptor->SetTextProperties(text,
                                  PartBuilders::FillPart(PartBuilders::Solid(PartBuilders::kWhite), 1, 1));
    return LLook::Create(descriptor, false);
}

RCPtr<LLook> PlainLook()
{
    return LLook::Create(LLookDescriptor::Create(u"plain"), false);
}

TEST(ControlLabel, TruncatedWhenTheDefaultLooksTextAreaIsNarrowerThanTheLabel)
{
    FakeControlApplication application;
    const RCPtr<TestSupport::FakeMeasurer> measurer{new TestSupport::FakeMeasurer}; // 6 per character
    const TestSupport::MeasurementRendererScope scope{measurer};
    const auto top = TestControl::Create(nullptr, u"top");
    const auto label = TestControl::Create(top, u"label", [](LLayoutDescriptor& l) { l.mXSize.Abs = 40; });
    const auto plain = TestControl::Create(top, u"plain");
    const auto bare = TestControl::Create(top, u"bare");
    const RCPtr<LLook> look = LabelLook();
    (void)label->AddLook(look);
    (void)look->SetFont(LFont::GetFont(u"CreationTest", 9, 0));
    (void)plain->AddLook(PlainLook());
    for (const auto& control : {label, plain, bare})
    {
        (void)control->UpdateLayout();
    }

    struct Case
    {
        const RCPtr<TestControl>* control;
        const char16_t* text;
        bool truncated;
    };
    const Case cases[] = {
        {&label, u"", false},      {&label, u"Hello", false}, // 30 in an area of 32
        {&label, u"Hellos", true}, {&plain, u"", false},      // no text layout: any text counts
        {&plain, u"x", true},      {&bare, u"", false},       {&bare, u"x", true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(WString(c.text).ToNarrow().GetBuffer());
        (void)(*c.control)->SetLabel(c.text);
        EXPECT_EQ((*c.control)->IsLabelTruncated(), c.truncated);
    }
}

TEST_F(CreationTest, LookSettersNeedTheLookAndInvalidateWhatTheyChange)
{
    const auto parent = TestControl::Create(nullptr, u"parent");
    const RCPtr<Probe> probe(Probe::Create(parent, DescriptorWith(0, {}))); // 16 x 40
    (void)probe->AddLook(LabelLook());
    (void)probe->AddLook(nullptr);
    (void)probe->AddLook(PlainLook());
    probe->Invalidations = 0;
    Region corner;
    corner.AddRect(0, 0, 8, 8);

    EXPECT_EQ(probe->SetLookRegion(1, corner), E_INVALIDARG);
    EXPECT_EQ(probe->SetLookRegion(3, corner), E_INVALIDARG);
    EXPECT_EQ(probe->SetLookRegionExcluding(2, 1), E_INVALIDARG);
    EXPECT_EQ(probe->SetLookBitmap(1, nullptr), E_FAIL);
    EXPECT_EQ(probe->SetLookTextForegroundPart(-1, nullptr), E_FAIL);
    EXPECT_EQ(probe->SetLookTextForegroundPart(0, nullptr), E_INVALIDARG);
    EXPECT_EQ(probe->Invalidations, 0);

    EXPECT_EQ(probe->SetLookRegion(0, corner), 0);
    EXPECT_EQ(probe->GetLook(0)->GetRegion().GetRectCount(), 1u);
    EXPECT_EQ(probe->SetLookRegionExcluding(2, 0), 0);
    const Region& rest = probe->GetLook(2)->GetRegion();
    Region::Edges bounds{};
    ASSERT_TRUE(rest.GetBounds(bounds));
    EXPECT_EQ(bounds, (Region::Edges{0, 0, 16, 40}));
    EXPECT_FALSE(rest.IntersectsRect(0, 0, 8, 8));
    EXPECT_TRUE(rest.IntersectsRect(8, 0, 16, 8));
    EXPECT_EQ(probe->Invalidations, 2);
    probe->ClearLookRegion(0);
    EXPECT_TRUE(probe->GetLook(0)->GetRegion().IsEmpty());
    probe->ClearLookRegions();
    EXPECT_TRUE(probe->GetLook(2)->GetRegion().IsEmpty());

    // The overlay of a look that is not shown changes nothing on the screen.
    const RCPtr<LBitmap> bitmap = LBitmap::CreateFilledBitmap(2, 2, Color(PartBuilders::kRed));
    EXPECT_EQ(probe->GetLook(-1), probe->GetLook(0));
    EXPECT_EQ(probe->SetLookBitmap(2, bitmap, LVisualPartDescriptor::kTile, true), 0);
    ASSERT_NE(probe->GetLook(2)->GetOverlay(), nullptr);
    EXPECT_EQ(probe->GetLook(2)->GetOverlay()->GetResizeType(), LVisualPartDescriptor::kTile);
    EXPECT_EQ(probe->Invalidations, 2);
    EXPECT_EQ(probe->SetLookBitmap(0, bitmap), 0);
    EXPECT_EQ(probe->Invalidations, 3);

    const ConstRCPtr<LVisualPart> part = LControl::CreateVisualPart(PartBuilders::FillPart(
        PartBuilders::Solid(PartBuilders::kBlue), 7, 5, LVisualPartDescriptor::kCenter, 0.5f));
    EXPECT_EQ(LControl::CreateVisualPart(nullptr), nullptr);
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part->GetNaturalWidth(), 7);
    EXPECT_EQ(part->GetNaturalHeight(), 5);
    EXPECT_EQ(part->GetResizeType(), LVisualPartDescriptor::kCenter);
    EXPECT_EQ(part->GetAlphaFactor(), 0.5f);
    EXPECT_EQ(probe->SetLookTextForegroundPart(0, part), 0);
    EXPECT_EQ(probe->GetLook(0)->GetTextForegroundPart(), part);
    EXPECT_EQ(probe->SetLookTextForegroundPart(0, part), 0);
}
} // namespace
} // namespace ZQ
