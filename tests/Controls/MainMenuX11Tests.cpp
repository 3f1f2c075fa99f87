#include "MenuBench.h"
#include "TextBoxBench.h"

#include "ZQFramework/ControlBase/Services/GlobalHotKeyManager.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Controls/Menus/MainMenu.h"
#include "ZQFramework/Notification/KeyCode.h"

#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <string>

// Xlib after GoogleTest, whose headers its None macro would break.
// clang-format off
#include <X11/Xlib.h>
// clang-format on
#include "Support/X11ControlWindow.h"

namespace ZQ
{
namespace
{
using namespace std::chrono_literals;
using ZQTest::Entry;

// A bar 12 pixels high over the whole window, two titles 30 wide, popups of 12-pixel rows with a check box
// and a hot-key label. The window stays small, so that cairo sends the back buffer without shared memory
// (its record of a shared-memory upload outlives the display); each menu holds one item, which fits.
std::string BarSkin()
{
    const std::string row =
        R"(<SubControl Class="Framework.MenuItem" Name="templateItem" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeAbs="12"><Skin Name="row" LookList="looks14"/>
        <SubControl Class="Framework.Button" Name="checkBox" XPositionAbs="1" YPositionAbs="3" XSizeAbs="6" YSizeAbs="6"><Skin Name="box" LookList="looks14"/></SubControl>
        <SubControl Class="Framework.Label" Name="hotKeyLabel" XPlacementAnchor="1" XPositionRel="1" XSizeAbs="20" YSizeAbs="12"><Skin Name="hot" LookList="textLooks"/></SubControl>
      </SubControl>)";
    return ZQTest::TextSkinOf(
        R"(<SubControl Class="Test.Panel" Name="main" XSizeAbs="60" YSizeAbs="26"><Skin Name="main" LookList="one"/>
      <SubControl Class="Framework.MainMenu" Name="bar" XSizeAbs="60" YSizeAbs="12"><Skin Name="bar" LookList="one"/>
        <SubControl Class="Framework.ComboMenu" Name="templateMenu" XSizeAbs="30" YSizeAbs="12"><Skin Name="title" LookList="textLooks"/>
          <SubControl Class="Framework.PopupMenu" Name="popupMenu" YPositionRel="1" XSizeAbs="60" YSizeAbs="12"><Skin Name="popup" LookList="one"/>)" +
        row + R"(</SubControl></SubControl></SubControl></SubControl>)");
}

std::string BarStrings()
{
    return R"(<StringTable ID="Test.Panel|bar">)" + Entry("MENU_LABEL.00", "File") +
           Entry("MENU_LABEL.01", "Options") +
           Entry("CONTEXT_MENU0.00.NID_MENU_FILE_SELECT", "Select Firmware File") +
           Entry("CONTEXT_MENU1.00.NID_MENU_OPTIONS_ALLOW_DOWNGRADE", "Allow downgrade") + "</StringTable>";
}

// Answers the bar's item-state questions: "Allow downgrade" is always checked.
class MenuOwner : public LControl
{
public:
    MenuOwner() : LControl(nullptr, u"owner") {}

    ZQRESULT UpdateMenuItemState(const RCPtr<LMenuDescriptor>& menu, int32_t itemIndex, int32_t /*command*/,
                                 MenuItemState& state) override
    {
        if (menu->GetItemAt(static_cast<uint32_t>(itemIndex))->mCommand ==
            u"NID_MENU_OPTIONS_ALLOW_DOWNGRADE")
            state.Checked = 1;
        return 0;
    }
};

// One shown, focused native window at (100, 100) painted by the GDI+ renderer, which also measures the
// texts, showing the menu bar. The fake application runs no idle passes of its own: the test runs them,
// as the application's loop would once the window has nothing left to do.
class MainMenuX11 : public TestSupport::X11ControlWindowTest
{
protected:
    MainMenuX11() : X11ControlWindowTest({100, 100, 160, 126}, u"Menu bar test") {}

    void SetUp() override
    {
        X11ControlWindowTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        MeasureWithTheWindowsRenderer();
        mBench.Factory->SetCurrentSkinIndex(1);
        ZQTest::RegisterMenus(mBench);
        (void)ZQTest::RegisterContainers(mBench);
        mBench.Application.ActiveRootWindow = RCPtr<LRefCountedObject>(mRoot);
        mBench.Application.FirstRootWindow = RCPtr<LRefCountedObject>(mRoot);
        // Bound before the bar is built: its popups take their hot-key texts when they get their menus.
        ASSERT_EQ(mRoot->GetHotKeyManager()->GetKeyBindings().AddBinding(KeyCode::FromString(u"Ctrl+VKEY_D"),
                                                                         u"NID_MENU_OPTIONS_ALLOW_DOWNGRADE"),
                  0);
        (void)mRoot->SetRootControl(mBench.Factory->CreateControlByName(u"main", mRoot));
        mBar = RCPtr<LMainMenu>(mRoot->GetRootControl()->FindChild(u"bar"));
        ASSERT_NE(mBar, nullptr);
        ASSERT_EQ(mBar->GetMenuCount(), 2);
    }

    void TearDown() override
    {
        CloseWindow();
        mBar = nullptr;
        if (mOwner != nullptr)
            (void)mOwner->ReleaseInternalReferences();
        mBench.Application.ActiveRootWindow = nullptr;
        mBench.Application.FirstRootWindow = nullptr;
        X11ControlWindowTest::TearDown();
    }

    // One idle pass of the window, 10 ms after the last on the application's clock.
    void IdlePass()
    {
        mBench.Application.Seconds += 0.01;
        mBench.Application.Milliseconds += 10;
        (void)mRoot->ProcessIdle(true);
    }

    // Runs the loop alone (no idle pass) for a while.
    void LoopFor(std::chrono::milliseconds span)
    {
        const auto end = std::chrono::steady_clock::now() + span;
        while (std::chrono::steady_clock::now() < end)
            (void)mLoop.DispatchOnce(10ms);
    }

    [[nodiscard]] bool IsOpen(int32_t index) const { return mBar->GetMenuAt(index)->IsDropDownOpen(); }

    // Declared first among the fixture's own: the fake application that the window and the controls ask.
    ZQTest::ControlsBench mBench{BarSkin(), BarStrings()};
    RCPtr<LMainMenu> mBar;
    RCPtr<MenuOwner> mOwner;
};

TEST_F(MainMenuX11, ClickedAndDraggedItemsReachTheWindowAndTheOpenMenuShowsCheckAndHotKey)
{
    const auto log = ZQTest::ListenTo(mBench, *mRoot, {u"NID_MENU_FILE_SELECT"});
    const auto chosen = [&] { return log->TimesOf("NID_MENU_FILE_SELECT").size(); };

    Click(10, 6);
    ASSERT_TRUE(Pump([&] { return IsOpen(0); }));
    Click(10, 18);
    ASSERT_TRUE(Pump([&] { return !IsOpen(0); }));
    LoopFor(100ms);
    EXPECT_EQ(chosen(), 0u) << "before an idle pass";
    IdlePass();
    EXPECT_EQ(chosen(), 1u);

    MoveTo(10, 6);
    Button(true);
    ASSERT_TRUE(Pump([&] { return IsOpen(0); }));
    MoveTo(12, 14);
    MoveTo(14, 18);
    Button(false);
    ASSERT_TRUE(Pump([&] { return !IsOpen(0); }));
    LoopFor(100ms);
    EXPECT_EQ(chosen(), 1u);
    IdlePass();
    EXPECT_EQ(chosen(), 2u);

    // Options: checked by the owner, its binding's key shown beside it.
    mOwner = RCPtr<MenuOwner>(new MenuOwner());
    EXPECT_EQ(mBar->SetMenuItemUpdater(mOwner->GetMenuItemUpdater()), 0);
    Click(40, 6);
    ASSERT_TRUE(Pump([&] { return IsOpen(1); }));
    const RCPtr<LPopupMenu> popup = mBar->GetMenuAt(1)->GetPopup();
    EXPECT_TRUE(popup->IsItemChecked(0));
    EXPECT_EQ(popup->GetMenuDescriptor()->GetItemAt(0)->mHotKeyText,
              KeyCode::FromString(u"Ctrl+VKEY_D").ToDisplayString());
    mRoot->InvalidateAllAndRedraw();
    (void)mLoop.DispatchOnce(20ms);
    EXPECT_TRUE(Shoot().Save("MainMenuOpen.png"));
    Click(40, 6);
    ASSERT_TRUE(Pump([&] { return !IsOpen(1); }));
    EXPECT_EQ(chosen(), 2u);
}
} // namespace
} // namespace ZQ
