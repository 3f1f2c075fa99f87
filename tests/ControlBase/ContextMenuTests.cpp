#include "Support/FakeControlApplication.h"
#include "Support/FakeWindowServices.h"
#include "Support/SkinFragment.h"
#include "Support/StringPrinting.h"
#include "Support/TestControl.h"

#include "ZQFramework/ControlBase/Control/ContextMenu.h"
#include "ZQFramework/ControlBase/Control/ToolTipControl.h"
#include "ZQFramework/ControlBase/Services/GlobalHotKeyManager.h"
#include "ZQFramework/ControlBase/Skin/ControlDescriptor.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Notification/KeyParam.h"
#include "ZQFramework/Notification/MouseButtonParam.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationReceiver.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace ZQ
{
namespace
{
using TestSupport::Utf8;
using ZQTest::TestControl;

std::vector<std::string> gLog;

// Records the notifications it receives as "name" or "name key" (with a key parameter's key text).
class Recorder : public LNotificationReceiver
{
public:
    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& /*source*/,
                                 const RCPtr<LNotification>& notification) override
    {
        std::string entry = Utf8(WString(notification->GetID()));
        if (const RCPtr<LKeyParam> key(notification->GetParam()); key != nullptr)
        {
            entry += " " + Utf8(key->mKeyCode.ToString());
        }
        gLog.push_back(entry);
        return 0;
    }
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& /*source*/,
                                        NotificationID /*id*/) override
    {
        return 0;
    }
};

// A menu class of the shape the control base expects: items with commands and submenus, built from
// definitions (which it only keeps).
class FakeMenu : public LRefCountedObject
{
public:
    static RCPtr<FakeMenu> CreateFromKeyValuePairs(const MenuDefinitionPairs& pairs)
    {
        RCPtr<FakeMenu> menu(new FakeMenu);
        menu->Pairs = pairs;
        return menu;
    }
    static RCPtr<FakeMenu> Item(const char16_t* command, std::vector<RCPtr<FakeMenu>> submenu = {})
    {
        RCPtr<FakeMenu> item(new FakeMenu);
        item->mCommand = command;
        for (const RCPtr<FakeMenu>& entry : submenu)
        {
            (void)item->mItems.Add(entry);
        }
        return item;
    }

    RCPtrArray<FakeMenu, 1, 0> mItems;
    WString mCommand;
    MenuDefinitionPairs Pairs;
};

// The pop-up of the skin's "contextMenu": logs what the control base asks of it.
class FakePopup : public TestControl, public IContextMenuPopup
{
public:
    FakePopup(const RCPtr<LControl>& parent, const WString& name) : TestControl(parent, name) {}
    ZQRESULT SetContextMenuTree(const RCPtr<LRefCountedObject>& menu) override
    {
        gLog.push_back(std::string("tree ") + (menu == Shown ? "shown" : "other") +
                       (IsVisible(false) ? " visible" : " hidden"));
        return 0;
    }
    void LetOwnerPrepare(LControl& owner) override { gLog.push_back("prepare by " + Utf8(owner.GetName())); }
    ZQRESULT ShowAtCursor() override
    {
        (void)SetVisible(true);
        gLog.push_back("show");
        return 0;
    }
    static inline RCPtr<LRefCountedObject> Shown;
};

// The tool tip of the skin's "toolTip": logs its start with its label.
class FakeToolTip : public TestControl, public IToolTip
{
public:
    FakeToolTip(const RCPtr<LControl>& parent, const WString& name) : TestControl(parent, name) {}
    ZQRESULT Show() override
    {
        gLog.push_back("tip " + Utf8(GetLabel()));
        return 0;
    }
    ZQRESULT Hide() override { return 0; }
};

// "target" carries two menus, named 2 and 1, in its create parameters; "plain" has none; "label" uses
// its parent's tool tip.
constexpr const char* kSkin = R"(
<Skins><Skin Name="default">
  <SubControl Class="Test.Control" Name="main" XSizeAbs="300" YSizeAbs="200">
    <SubControl Class="Test.Control" Name="target" XSizeAbs="100" YSizeAbs="50">
      <CreateParamList>
        <CreateParam ID="CONTEXT_MENU2.0.b">B</CreateParam>
        <CreateParam ID="CONTEXT_MENU1.0.a">A</CreateParam>
        <CreateParam ID="CONTEXT_MENU1.1.-">line</CreateParam>
        <CreateParam ID="OTHER">x</CreateParam>
      </CreateParamList>
      <SubControl Class="Test.Control" Name="label" XSizeAbs="20" YSizeAbs="20">
        <CreateParamList><CreateParam ID="USE_PARENT_TOOLTIP">true</CreateParam></CreateParamList>
      </SubControl>
    </SubControl>
    <SubControl Class="Test.Control" Name="plain" YPositionAbs="60" XSizeAbs="100" YSizeAbs="50"/>
  </SubControl>
  <SubControl Class="Test.Popup" Name="contextMenu" XSizeAbs="80" YSizeAbs="60"/>
  <SubControl Class="Test.ToolTip" Name="toolTip" XSizeAbs="80" YSizeAbs="20"/>
</Skin></Skins>)";

constexpr const char* kStrings = R"(
<StringTable ID="Test.Control|target"><String ID="TOOLTIP"><Locale LCID="0x0009">Target help</Locale></String></StringTable>)";

// The skin's "main" tree shown in a root window over fake services, with the application's hot keys
// handing their notifications to the recorder.
struct MenuBench
{
    explicit MenuBench(const char* skin = kSkin)
        : factory(ZQTest::LoadSkinFragment(skin)), application(factory)
    {
        gLog.clear();
        const ZQTest::TempDocument strings(
            ZQTest::Encode(ZQTest::StringTableDocument(kStrings), ZQTest::Encoding::Utf8));
        (void)factory->LoadStringTables(strings.Path(), u"/nonexistent/framework.xml", 0x0009);
        (void)factory->RegisterControlCreateFunction(u"Test.Control", &TestControl::CreateFromDescriptor);
        (void)factory->RegisterControlCreateFunction(u"Test.Popup",
                                                     &LControl::CreateFromDescriptor<FakePopup>);
        (void)factory->RegisterControlCreateFunction(u"Test.ToolTip",
                                                     &LControl::CreateFromDescriptor<FakeToolTip>);
        application.HotKeys = LGlobalHotKeyManager::Create(RCPtr<LNotificationReceiver>(recorder));
        (void)window->SetRootControl(factory->CreateControlByName(u"main", window));
        for (const char16_t* name : {u"NID_RIGHT_CLICK"})
        {
            (void)Find(u"target")->RegisterClient(recorder, name, 0);
            (void)Find(u"plain")->RegisterClient(recorder, name, 0);
        }
    }
    ~MenuBench()
    {
        FakePopup::Shown = nullptr;
        (void)window->ReleaseInternalReferences();
    }

    [[nodiscard]] RCPtr<LControl> Find(const char16_t* name) const
    {
        const RCPtr<LControl> main = window->GetRootControl();
        return name == std::u16string(u"main")    ? main
               : name == std::u16string(u"label") ? main->FindChild(u"target")->FindChild(u"label")
                                                  : main->FindChild(name);
    }
    static void RightClick(const RCPtr<LControl>& control)
    {
        EXPECT_EQ(control->OnRightClick(LMouseButtonParam::Create(4, 5, 5, 0, 0, 0, 0)), 0);
    }

    RCPtr<LControlFactory> factory;
    ZQTest::FakeControlApplication application;
    ZQTest::FakeWindowServices services;
    RCPtr<LRootWindow> window = LRootWindow::Create(nullptr, &services);
    RCPtr<Recorder> recorder{new Recorder};
};

struct ContextMenuTest : ::testing::Test, MenuBench
{
};

// "name: key=value key=value" per menu, menus separated by " | ".
std::string Describe(const Array<MenuDefinitionPairs>& menus)
{
    std::string text;
    for (uint32_t m = 0; m < menus.GetCount(); ++m)
    {
        text += m > 0 ? " |" : "";
        for (uint32_t i = 0; i < menus.GetAt(m).GetCount(); ++i)
        {
            const auto& pair = menus.GetAt(m).GetAt(i);
            text.append(" ").append(Utf8(pair.first)).append("=").append(Utf8(pair.second));
        }
    }
    return text;
}

TEST(ContextMenuPairsTest, DefinitionsAreGroupedPerMenuWithTheirNamesCut)
{
    struct Case
    {
        const char* name;
        std::vector<std::pair<const char16_t*, const char16_t*>> pairs;
        uint32_t count;
        const char* menus;
    };
    const std::vector<Case> cases{
        {"none", {}, 0, ""},
        {"no menu keys", {{u"LABEL", u"x"}, {u"CONTEXT_MENU", u"no dot"}}, 0, ""},
        {"one unnamed menu wins",
         {{u"CONTEXT_MENU.0.a", u"A"}, {u"CONTEXT_MENU.1.b", u"B"}, {u"CONTEXT_MENU1.0.c", u"C"}},
         1,
         " 0.a=A 1.b=B"},
        {"named menus in ascending order",
         {{u"CONTEXT_MENU2.0.b", u"B"}, {u"CONTEXT_MENU1.0.a", u"A"}, {u"CONTEXT_MENU1.1.c", u"C"}},
         2,
         " 0.a=A 1.c=C | 0.b=B"},
        {"a name takes only its own keys",
         {{u"CONTEXT_MENU1.0.a", u"A"}, {u"CONTEXT_MENU10.0.b", u"B"}},
         2,
         " 0.a=A | 0.b=B"},
        {"prefixes of main-menu trees", {{u"CONTEXT_MENU0.00.NID_X", u"Select"}}, 1, " 00.NID_X=Select"},
    };
    for (const Case& c : cases)
    {
        MenuDefinitionPairs pairs;
        for (const auto& [key, value] : c.pairs)
        {
            (void)pairs.Add({key, value});
        }
        Array<MenuDefinitionPairs> menus;
        EXPECT_EQ(GroupContextMenuPairs(pairs, menus), c.count) << c.name;
        EXPECT_EQ(Describe(menus), c.menus) << c.name;
    }
}

TEST_F(ContextMenuTest, CreateParametersGiveOneMenuPerNameInNameOrder)
{
    RCPtrArray<FakeMenu, 1, 0> menus;
    (void)menus.Add(FakeMenu::Item(u"kept"));
    EXPECT_EQ(Find(u"target")->ReadContextMenuParams(menus), 1);
    ASSERT_EQ(menus.GetCount(), 3u);
    EXPECT_EQ(menus.GetAt(0)->mCommand, u"kept");
    Array<MenuDefinitionPairs> built;
    (void)built.Add(menus.GetAt(1)->Pairs);
    (void)built.Add(menus.GetAt(2)->Pairs);
    EXPECT_EQ(Describe(built), " 0.a=A 1.-=line | 0.b=B");

    RCPtrArray<FakeMenu, 1, 0> none;
    EXPECT_EQ(Find(u"plain")->ReadContextMenuParams(none), 1);
    EXPECT_EQ(TestControl::Create(nullptr, u"loose")->ReadContextMenuParams(none), 1);
    EXPECT_EQ(none.GetCount(), 0u);
}

TEST_F(ContextMenuTest, ARightClickWithoutAMenuOnlySendsItsNotification)
{
    RightClick(Find(u"plain"));
    EXPECT_EQ(gLog, std::vector<std::string>{"NID_RIGHT_CLICK"});
    EXPECT_EQ(Find(u"plain")->FindChild(u"contextMenu"), nullptr);
}

TEST_F(ContextMenuTest, ARightClickOpensTheSkinsPopupWithTheMenuAfterItsNotification)
{
    const RCPtr<LControl> target = Find(u"target");
    const RCPtr<FakeMenu> menu = FakeMenu::Item(u"", {FakeMenu::Item(u"NID_A")});
    FakePopup::Shown = RCPtr<LRefCountedObject>(menu);
    EXPECT_EQ(target->SetContextMenuDescriptor(menu), 0);
    EXPECT_EQ(target->GetContextMenu(), FakePopup::Shown);
    RightClick(target);
    EXPECT_EQ(gLog, (std::vector<std::string>{"NID_RIGHT_CLICK", "tree shown hidden", "prepare by target",
                                              "show"}));
    const RCPtr<LControl> popup = target->FindChild(u"contextMenu");
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(popup->IsVisible(false));

    EXPECT_EQ(target->SetContextMenuDescriptor(nullptr), 0);
    EXPECT_EQ(target->GetContextMenu(), nullptr);
}

TEST(ContextMenuSkinTest, NothingOpensWhenTheSkinsMenuIsNoPopupOrOfAnUnregisteredClass)
{
    for (const char* popupClass : {"Framework.PopupMenu", "Test.Control"})
    {
        SCOPED_TRACE(popupClass);
        std::string skin = kSkin;
        skin.replace(skin.find("Test.Popup"), std::string("Test.Popup").size(), popupClass);
        MenuBench bench(skin.c_str());
        const RCPtr<LControl> target = bench.Find(u"target");
        (void)target->SetContextMenuDescriptor(FakeMenu::Item(u"", {FakeMenu::Item(u"NID_A")}));
        MenuBench::RightClick(target);
        EXPECT_EQ(gLog, std::vector<std::string>{"NID_RIGHT_CLICK"});
        EXPECT_EQ(target->FindChild(u"contextMenu"), nullptr);
    }
}

TEST_F(ContextMenuTest, MenuCommandsWithAHotKeyActAsThatKey)
{
    const KeyCode cut = KeyCode::FromString(u"Ctrl+VKEY_X");
    const KeyCode select = KeyCode::FromString(u"Ctrl+VKEY_O");
    ASSERT_EQ(application.HotKeys->GetKeyBindings().AddBinding(cut, u"NID_EDIT_CUT_REQ"), 0);
    ASSERT_EQ(application.HotKeys->GetKeyBindings().AddBinding(select, u"NID_MENU_FILE_SELECT"), 0);
    ASSERT_EQ(window->GetHotKeyManager()->GetKeyBindings().AddBinding(select, u"NID_MENU_FILE_SELECT"), 0);
    (void)window->RegisterClient(recorder, u"NID_MENU_FILE_SELECT", 0);

    const RCPtr<LControl> target = Find(u"target");
    (void)target->SetContextMenuDescriptor(
        FakeMenu::Item(u"", {FakeMenu::Item(u"NID_EDIT_CUT_REQ"), FakeMenu::Item(u"NID_UNBOUND"),
                             FakeMenu::Item(u"", {FakeMenu::Item(u"NID_MENU_FILE_SELECT")})}));
    ASSERT_EQ(target->GetContextMenuCommands().GetCount(), 2u) << "the bound commands, submenus included";

    // Pressing the key, then choosing the item handed straight to the control, then sent by it.
    (void)application.HotKeys->ProcessKey(cut);
    (void)target->ReceiveNotification(nullptr, LNotification::Create(u"NID_EDIT_CUT_REQ"));
    (void)target->Notify(LNotification::Create(u"NID_EDIT_CUT_REQ"));
    const std::string pressed = std::string("NID_EDIT_CUT_REQ ").append(Utf8(cut.ToString()));
    EXPECT_EQ(gLog, (std::vector<std::string>{pressed, pressed, pressed}));

    // The window's binding comes first: its queue delivers at the next idle pass.
    gLog.clear();
    (void)target->ReceiveNotification(nullptr, LNotification::Create(u"NID_MENU_FILE_SELECT"));
    (void)target->ReceiveNotification(nullptr, LNotification::Create(u"NID_UNBOUND"));
    EXPECT_TRUE(gLog.empty());
    (void)window->ProcessIdle(true);
    EXPECT_EQ(gLog,
              std::vector<std::string>{std::string("NID_MENU_FILE_SELECT ").append(Utf8(select.ToString()))});

    // A new menu takes the old one's commands away.
    gLog.clear();
    (void)target->SetContextMenuDescriptor(FakeMenu::Item(u"", {FakeMenu::Item(u"NID_MENU_FILE_SELECT")}));
    EXPECT_EQ(target->GetContextMenuCommands().GetCount(), 1u);
    (void)target->ReceiveNotification(nullptr, LNotification::Create(u"NID_EDIT_CUT_REQ"));
    (void)target->Notify(LNotification::Create(u"NID_EDIT_CUT_REQ"));
    (void)target->SetContextMenuDescriptor(nullptr);
    (void)target->ReceiveNotification(nullptr, LNotification::Create(u"NID_MENU_FILE_SELECT"));
    (void)window->ProcessIdle(true);
    EXPECT_TRUE(gLog.empty());
    EXPECT_EQ(target->GetContextMenuCommands().GetCount(), 0u);
}

TEST_F(ContextMenuTest, ToolTipsComeFromTheOwnerWithATextOnly)
{
    const RCPtr<LControl> target = Find(u"target");
    const RCPtr<LControl> label = Find(u"label");
    EXPECT_EQ(label->GetToolTipOwner(), target) << "no text of its own, and it uses its parent's";
    EXPECT_EQ(target->GetToolTipOwner(), target);
    EXPECT_EQ(Find(u"plain")->GetToolTipOwner(), Find(u"plain"));

    EXPECT_EQ(Find(u"plain")->CreateToolTip(true), S_FALSE);
    EXPECT_EQ(Find(u"plain")->FindChild(u"toolTip"), nullptr) << "an empty text makes no control";
    EXPECT_EQ(target->CreateToolTip(true), 0);
    EXPECT_NE(target->FindChild(u"toolTip"), nullptr);
    EXPECT_EQ(gLog, std::vector<std::string>{"tip Target help"});
}
} // namespace
} // namespace ZQ
