#include "Support/FakeControlApplication.h"
#include "Support/FakeWindowServices.h"
#include "Support/SkinFragment.h"
#include "Support/StringPrinting.h"
#include "Support/TestControl.h"

#include "ZQFramework/ControlBase/Services/GlobalHotKeyManager.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Notification/KeyParam.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationHandler.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <vector>

namespace ZQ
{
namespace
{
using ZQTest::FakeControlApplication;
using ZQTest::FakeWindowServices;
using ZQTest::TestControl;

std::vector<std::string>* gLog = nullptr;

// A control that logs HandleKeyPress (answering as told) and the actions its key bindings deliver to it.
class KeyProbe : public TestControl
{
public:
    static RCPtr<LControl> Create(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
    {
        return LControl::CreateFromDescriptor<KeyProbe>(parent, descriptor);
    }
    ZQRESULT Initialize() override
    {
        const ZQRESULT result = TestControl::Initialize();
        for (const char16_t* action : {u"NID_A_ACTION", u"NID_B_ACTION"})
        {
            (void)mHandler->AddDirectCallback(static_cast<Callback>(&KeyProbe::Acted), action);
        }
        return result;
    }
    ZQRESULT HandleKeyPress(const RCPtr<LKeyParam>& /*param*/) override
    {
        Log("handles key");
        return HandleResult;
    }
    ZQRESULT Acted(const RCPtr<LNotificationDistributor>& /*source*/,
                   const RCPtr<LNotification>& notification)
    {
        Log(TestSupport::Utf8(WString(notification->GetID())));
        return 0;
    }

    ZQRESULT HandleResult = 1;

    using TestControl::TestControl;

private:
    using Callback = ZQRESULT (LControl::*)(const RCPtr<LNotificationDistributor>&,
                                            const RCPtr<LNotification>&);
    void Log(const std::string& what)
    {
        if (gLog != nullptr)
        {
            gLog->push_back(TestSupport::Utf8(GetName()) + " " + what);
        }
    }
};

// "main" holds the container "box" (a, b, c in tab order, then "wants", which keeps its Tabs) and after
// it "after"; a and b carry key bindings of their own.
constexpr const char* kSkin = R"(
<Skins><Skin Name="default">
  <SubControl Class="Test.Key" Name="main">
    <SubControl Class="Test.Key" Name="box" TabStop="0" LayoutOrder="0">
      <SubControl Class="Test.Key" Name="a" TabStop="0" LayoutOrder="0"/>
      <SubControl Class="Test.Key" Name="b" TabStop="1" LayoutOrder="1"/>
      <SubControl Class="Test.Key" Name="c" TabStop="2" LayoutOrder="2"/>
      <SubControl Class="Test.Key" Name="wants" TabStop="3" LayoutOrder="3">
        <CreateParamList><CreateParam ID="WANTS_TAB">true</CreateParam></CreateParamList>
      </SubControl>
    </SubControl>
    <SubControl Class="Test.Key" Name="after" TabStop="1" LayoutOrder="1"/>
  </SubControl>
</Skin></Skins>)";

constexpr const char* kStrings = R"(
<StringTable ID="Test.Key|a"><String ID="LHK.NID_A_ACTION"><Locale LCID="0x0009">Ctrl+VKEY_F5</Locale></String></StringTable>
<StringTable ID="Test.Key|b"><String ID="LHK.NID_B_ACTION"><Locale LCID="0x0009">Ctrl+VKEY_F6</Locale></String></StringTable>)";

// Records the names of the notifications handed to it.
class NameRecorder : public LNotificationReceiver
{
public:
    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& /*source*/,
                                 const RCPtr<LNotification>& notification) override
    {
        Names.push_back(TestSupport::Utf8(WString(notification->GetID())));
        return 0;
    }
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& /*source*/,
                                        NotificationID /*id*/) override
    {
        return 0;
    }
    std::vector<std::string> Names;
};

KeyCode Key(const char16_t* text)
{
    return KeyCode::FromString(text);
}

struct KeyTest : ::testing::Test
{
    KeyTest()
    {
        gLog = &log;
        const ZQTest::TempDocument strings(
            ZQTest::Encode(ZQTest::StringTableDocument(kStrings), ZQTest::Encoding::Utf8));
        (void)factory->LoadStringTables(strings.Path(), u"/nonexistent/framework.xml", 0x0009);
        const ZQTest::TempDocument skin(ZQTest::SkinDocument(kSkin));
        (void)factory->LoadSkins(skin.Path());
        (void)factory->RegisterControlCreateFunction(u"Test.Key", &KeyProbe::Create);
        main = factory->CreateControlByName(u"main", window);
        (void)window->SetRootControl(main);
        box = main->FindChild(u"box");
    }
    ~KeyTest() override
    {
        gLog = nullptr;
        (void)window->ReleaseInternalReferences();
    }

    RCPtr<KeyProbe> Child(const char16_t* name) const { return RCPtr<KeyProbe>(box->FindChild(name)); }
    // Presses key at the focus control, as the window delivers it.
    void Press(const KeyCode& key, uint32_t stayInside = 0)
    {
        window->DeliverKey(LKeyParam::Create(key, stayInside));
    }
    [[nodiscard]] std::string FocusName() const
    {
        const RCPtr<LControl>& focus = window->GetFocusControl();
        return focus != nullptr ? TestSupport::Utf8(focus->GetName()) : "none";
    }

    std::vector<std::string> log;
    RCPtr<LControlFactory> factory = LControlFactory::Create(ZQTest::kTestApplication);
    FakeControlApplication application{factory};
    FakeWindowServices services;
    RCPtr<LRootWindow> window = LRootWindow::Create(nullptr, &services);
    RCPtr<LControl> main;
    RCPtr<LControl> box;
};

TEST_F(KeyTest, OwnBindingsComeBeforeTheHandlerAndSiblingBindingsAfterIt)
{
    (void)Child(u"a")->SetFocus(true);
    ASSERT_EQ(FocusName(), "a");
    Press(Key(u"Ctrl+VKEY_F5"));
    EXPECT_EQ(log, std::vector<std::string>{"a NID_A_ACTION"}) << "claimed before HandleKeyPress";

    log.clear();
    Press(Key(u"Ctrl+VKEY_F6"));
    EXPECT_EQ(log, (std::vector<std::string>{"a handles key", "b NID_B_ACTION"}));

    log.clear();
    Child(u"a")->HandleResult = 0;
    Press(Key(u"Ctrl+VKEY_F6"));
    EXPECT_EQ(log, std::vector<std::string>{"a handles key"}) << "a handled key goes no further";
}

TEST_F(KeyTest, AMovedControlAnswersTheKeysOfItsNewSiblingsOnly)
{
    ASSERT_EQ(Child(u"b")->SetParent(main), 0);
    (void)Child(u"c")->SetFocus(true);
    Press(Key(u"Ctrl+VKEY_F6"));
    EXPECT_EQ(log, std::vector<std::string>{"c handles key"}) << "b has left c's container";

    log.clear();
    (void)main->FindChild(u"after")->SetFocus(true);
    Press(Key(u"Ctrl+VKEY_F6"));
    EXPECT_EQ(log, (std::vector<std::string>{"after handles key", "b NID_B_ACTION"}));
}

TEST_F(KeyTest, TabWalksTheContainerAndLeavesItAtEitherEnd)
{
    struct Case
    {
        const char16_t* start;
        const char16_t* key;
        uint32_t stayInside;
        const char* focus;
    };
    const Case cases[] = {
        {u"a", u"VKEY_TAB", 0, "b"},           {u"c", u"VKEY_TAB", 0, "wants"},
        {u"a", u"Shift+VKEY_TAB", 0, "after"}, // wraps backward out of the container, round to "after"
        {u"b", u"Ctrl+VKEY_TAB", 0, "after"},  // Ctrl+Tab always leaves
        {u"wants", u"VKEY_TAB", 0, "wants"},   // keeps an unhandled Tab
        {u"c", u"Shift+VKEY_TAB", 0, "b"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(TestSupport::Utf8(WString(c.start)) + " " + TestSupport::Utf8(WString(c.key)));
        (void)Child(c.start)->SetFocus(true);
        ASSERT_EQ(FocusName(), TestSupport::Utf8(WString(c.start)));
        Press(Key(c.key), c.stayInside);
        EXPECT_EQ(FocusName(), c.focus);
    }
}

TEST_F(KeyTest, TabOnTheLastChildLeavesTheContainerOrWrapsWhenToldToStayInside)
{
    (void)Child(u"wants")->SetNotFocusable(true);
    (void)Child(u"c")->SetFocus(true);
    ASSERT_EQ(FocusName(), "c");
    Press(Key(u"VKEY_TAB"));
    EXPECT_EQ(FocusName(), "after");

    (void)Child(u"c")->SetFocus(true);
    ASSERT_EQ(FocusName(), "c");
    Press(Key(u"VKEY_TAB"), 1);
    EXPECT_EQ(FocusName(), "a");
}
TEST_F(KeyTest, AnUnboundKeyReachesTheWindowsHotKeysThenTheApplications)
{
    const RCPtr<NameRecorder> recorder(new NameRecorder);
    application.HotKeys = LGlobalHotKeyManager::Create(RCPtr<LNotificationReceiver>(recorder));
    (void)application.HotKeys->GetKeyBindings().AddBinding(Key(u"Ctrl+VKEY_F9"), u"NID_APP_ONLY");
    (void)application.HotKeys->GetKeyBindings().AddBinding(Key(u"Ctrl+VKEY_F10"), u"NID_APP_BOTH");
    (void)window->GetHotKeyManager()->GetKeyBindings().AddBinding(Key(u"Ctrl+VKEY_F10"), u"NID_WINDOW_BOTH");
    (void)Child(u"c")->SetFocus(true);

    Press(Key(u"Ctrl+VKEY_F9"));
    EXPECT_EQ(recorder->Names, std::vector<std::string>{"NID_APP_ONLY"});
    EXPECT_EQ(window->GetCount(), 0u);

    Press(Key(u"Ctrl+VKEY_F10"));
    EXPECT_EQ(recorder->Names, std::vector<std::string>{"NID_APP_ONLY"}) << "the window's binding wins";
    EXPECT_EQ(window->GetCount(), 1u) << "posted to the window's own queue";
    application.HotKeys = nullptr;
}
TEST_F(KeyTest, SiblingKeyListenersAreOrderedOthersFirstThenByTabOrder)
{
    const RCPtr<NameRecorder> outsider(new NameRecorder);
    const Array<LNotificationReceiver*> listeners = [&]
    {
        Array<LNotificationReceiver*> list;
        for (LNotificationReceiver* listener : std::initializer_list<LNotificationReceiver*>{
                 Child(u"c").Get(), Child(u"a").Get(), outsider.Get(), Child(u"b").Get()})
        {
            (void)list.Add(listener);
        }
        return list;
    }();
    struct Case
    {
        const char16_t* notFocusable;
        std::vector<uint32_t> order; // listener indexes
    };
    const Case cases[] = {
        {nullptr, {2, 1, 3, 0}}, // the outsider, then a, b, c
        {u"a", {2, 1, 3, 0}},    // a not focusable leads, then b, c
        {u"b", {2, 3, 1, 0}},    // b's tab stop turns negative: first in tab order, ahead of the focusable
    };
    for (const Case& c : cases)
    {
        if (c.notFocusable != nullptr)
        {
            (void)Child(c.notFocusable)->SetNotFocusable(true);
        }
        Array<uint32_t> order;
        ASSERT_EQ(box->GetSiblingKeyOrder(KeyCode(), listeners, order), 0);
        std::vector<uint32_t> got;
        for (uint32_t i = 0; i < order.GetCount(); ++i)
        {
            got.push_back(order.GetAt(i));
        }
        EXPECT_EQ(got, c.order) << (c.notFocusable != nullptr ? TestSupport::Utf8(c.notFocusable)
                                                              : "all focusable");
        if (c.notFocusable != nullptr)
        {
            (void)Child(c.notFocusable)->SetNotFocusable(false);
        }
    }
}
} // namespace
} // namespace ZQ
