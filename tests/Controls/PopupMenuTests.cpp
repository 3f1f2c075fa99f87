#include "MenuBench.h"
#include "Support/StringPrinting.h"
#include "TextBoxBench.h"

#include "ZQFramework/ControlBase/Services/GlobalHotKeyManager.h"
#include "ZQFramework/Notification/KeyCode.h"
#include "ZQFramework/Notification/KeyParam.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ZQ
{
namespace
{
using TestSupport::Utf8;
using ZQTest::MenuBench;

constexpr uint32_t kDown = 0x20280000, kRight = 0x20270000, kEscape = 0x201B0000, kEnter = 0x200d0000;

// "main" (400 x 300) holding the popup "menu", width wide (hidden until shown).
std::string PopupWindowSkin(int width = 120)
{
    return R"(<SubControl Class="Test.Panel" Name="main" XSizeAbs="400" YSizeAbs="300"><Skin Name="main" LookList="one"/>)" +
           ZQTest::PopupSkin("menu", width) + "</SubControl>";
}

RCPtr<LMenuDescriptor> Tree(std::initializer_list<std::pair<const char16_t*, const char16_t*>> entries)
{
    LMenuDescriptor::DefinitionPairs pairs;
    for (const auto& [key, value] : entries)
    {
        (void)pairs.Add(Pair<WString, WString>{WString(key), WString(value)});
    }
    return LMenuDescriptor::CreateFromKeyValuePairs(pairs);
}

// Logs the names it receives in order, and keeps the last menu activation parameter.
class CommandLog : public LNotificationReceiver
{
public:
    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& /*source*/,
                                 const RCPtr<LNotification>& notification) override
    {
        Names.push_back(Utf8(WString(notification->GetID())));
        if (const RCPtr<LMenuActivationParam> param(notification->GetParam()); param != nullptr)
        {
            Param = param;
        }
        return 0;
    }
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& /*source*/,
                                        NotificationID /*id*/) override
    {
        return 0;
    }

    std::vector<std::string> Names;
    RCPtr<LMenuActivationParam> Param;
};

struct PopupMenuTest : ::testing::Test
{
    explicit PopupMenuTest(int width = 120) : b(PopupWindowSkin(width))
    {
        popup = b.bench.Find<LPopupMenu>(u"menu");
    }

    // Shows the popup with its top-left corner at the pointer, at point.
    void ShowAt(const PointT<int32_t>& point)
    {
        b.bench.Services.CursorPos = point;
        (void)popup->ShowAtCursor();
    }

    ZQRESULT Key(uint32_t code, const RCPtr<LPopupMenu>& target = nullptr)
    {
        return (target != nullptr ? target : popup)
            ->HandleKeyPress(LKeyParam::Create(KeyCode(code, 0, 0), 0));
    }

    MenuBench b;
    RCPtr<LPopupMenu> popup;
    // Entry 0 opens the submenu "sub"; entry 1 is a plain item.
    RCPtr<LMenuDescriptor> nested =
        Tree({{u"0.sub.", u"More"}, {u"1.NID_Y", u"Yes"}, {u"sub.0.NID_X", u"X"}});
};

TEST_F(PopupMenuTest, AMenuOfSeparatorsOnlyHasNothingToSelect)
{
    ASSERT_EQ(popup->SetMenuDescriptor(Tree({{u"0.-", u""}, {u"1.-", u""}, {u"2.-", u""}})), 0);
    ShowAt({10, 10});
    for (int32_t row = 0; row < 3; ++row)
    {
        EXPECT_FALSE(popup->IsItemSelectable(row));
    }
    (void)Key(kDown);
    EXPECT_EQ(popup->GetCaretIndex(), -1);
    EXPECT_EQ(popup->GetContentHeight(), 3 * popup->GetSeparatorHeight());
    EXPECT_EQ(popup->SetMenuDescriptor(nullptr), E_INVALIDARG);
}

TEST_F(PopupMenuTest, ASubmenuOpensOnlyOnceTheHoverHasLastedLongerThan250Ms)
{
    ASSERT_GE(popup->SetMenuDescriptor(nested), 0);
    ShowAt({10, 10});
    b.bench.Application.Milliseconds = 1000;
    b.bench.Services.CursorPos = {20, 20};
    (void)popup->SelectRange(0, -1, true);
    ASSERT_TRUE(popup->IsHoverTimerArmed());
    b.bench.IdleAtTick(1250);
    EXPECT_EQ(popup->GetOpenSubmenu(), nullptr);
    b.bench.IdleAtTick(1251);
    ASSERT_NE(popup->GetOpenSubmenu(), nullptr);
    EXPECT_EQ(popup->GetOpenSubmenu()->GetMenuDescriptor()->GetItemAt(0)->mCommand, u"NID_X");
    EXPECT_FALSE(popup->IsHoverTimerArmed());
    // Resting on the plain entry as long closes the submenu again.
    b.bench.Services.CursorPos = {20, 40};
    (void)popup->SelectRange(1, -1, true);
    b.bench.IdleAtTick(1600);
    EXPECT_EQ(popup->GetOpenSubmenu(), nullptr);
}

TEST_F(PopupMenuTest, ASubmenuOpensLeftOfAPopupNearTheRightEdge)
{
    ASSERT_GE(popup->SetMenuDescriptor(nested), 0);
    ShowAt({390, 10});
    EXPECT_EQ(popup->GetRectInWindow().x, 280) << "moved left to fit";
    (void)popup->SelectRange(0, -1, true);
    ASSERT_EQ(Key(kRight), 0);
    ASSERT_NE(popup->GetOpenSubmenu(), nullptr);
    EXPECT_EQ(popup->GetOpenSubmenu()->GetRectInWindow().x, 160);
    EXPECT_EQ(popup->GetOpenSubmenu()->GetCaretIndex(), 0);
}

struct WidePopupMenuTest : PopupMenuTest
{
    WidePopupMenuTest() : PopupMenuTest(250) {}
};

TEST_F(WidePopupMenuTest, ASubmenuWithNoRoomOnTheLeftOpensRightAfterAll)
{
    ASSERT_GE(popup->SetMenuDescriptor(nested), 0);
    ShowAt({100, 10});
    (void)popup->SelectRange(0, -1, true);
    ASSERT_EQ(Key(kRight), 0);
    ASSERT_NE(popup->GetOpenSubmenu(), nullptr);
    EXPECT_EQ(popup->GetOpenSubmenu()->GetRectInWindow().x, 350);
}

TEST_F(PopupMenuTest, EscapeClosesTheWholeChainOnlyWhenTheMenuClosesItself)
{
    ASSERT_GE(popup->SetMenuDescriptor(nested), 0);
    ShowAt({10, 10});
    popup->SetAutoClose(false);
    (void)Key(kEscape);
    EXPECT_TRUE(popup->IsVisible(false));
    popup->SetAutoClose(true);
    (void)popup->SelectRange(0, -1, true);
    (void)Key(kRight);
    const RCPtr<LPopupMenu> submenu = popup->GetOpenSubmenu();
    ASSERT_NE(submenu, nullptr);
    (void)Key(kEscape, submenu);
    EXPECT_FALSE(popup->IsVisible(false));
    b.bench.IdleAfter(0.01);
    EXPECT_EQ(popup->GetParent(), nullptr);
    EXPECT_FALSE(submenu->IsVisible(false));
}

TEST_F(PopupMenuTest, AnUnchangedStateIsLeftAloneAndANewLabelIsShown)
{
    ASSERT_GE(popup->SetMenuDescriptor(nested), 0);
    MenuItemState state;
    (void)popup->GetMenuDescriptor()->GetItemState(1, state);
    EXPECT_EQ(popup->SetItemState(1, state), 1);
    state.Label = u"Yes, please";
    state.Checked = 1;
    EXPECT_EQ(popup->SetItemState(1, state), 0);
    EXPECT_EQ(popup->GetItemText(1), u"Yes, please");
    EXPECT_TRUE(popup->IsItemChecked(1));
    EXPECT_EQ(popup->SetItemState(2, state), E_INVALIDARG);
    EXPECT_EQ(nested->GetItemAt(1)->mLabel, u"Yes") << "the given tree is never changed";
}

TEST_F(PopupMenuTest, AnActivatedItemReachesTheOwnerBetweenTwoActivationNotices)
{
    ASSERT_GE(popup->SetMenuDescriptor(nested), 0);
    const RCPtr<CommandLog> log(new CommandLog());
    EXPECT_EQ(popup->SetOwner(RCPtr<LNotificationReceiver>()), E_INVALIDARG);
    ASSERT_EQ(popup->SetOwner(RCPtr<LNotificationReceiver>(log)), 0);
    EXPECT_EQ(popup->SetOwner(RCPtr<LNotificationReceiver>(log)), E_FAIL);
    (void)popup->RegisterClient(RCPtr<LNotificationReceiver>(log), u"NID_ITEM_ACTIVATED", 0);
    ShowAt({10, 10});
    (void)popup->SelectRange(1, -1, true);
    (void)Key(kEnter);
    EXPECT_EQ(log->Names, (std::vector<std::string>{"NID_ITEM_ACTIVATED", "NID_Y", "NID_ITEM_ACTIVATED"}));
    ASSERT_NE(log->Param, nullptr);
    EXPECT_EQ(log->Param->mItemIndex, 1);
    EXPECT_EQ(log->Param->GetMenu().Get(), popup->GetMenuDescriptor().Get());
    EXPECT_NE(log->Param->GetMenu().Get(), nested.Get());
    EXPECT_FALSE(popup->IsVisible(false));
}

TEST_F(PopupMenuTest, HotKeyTextsGoIntoThePopupsCopyOnlyAndNeverReplaceAGivenOne)
{
    ASSERT_EQ(b.bench.Window->GetHotKeyManager()->GetKeyBindings().AddBinding(
                  KeyCode::FromString(u"Ctrl+VKEY_Y"), u"NID_Y"),
              0);
    (void)b.bench.Window->GetHotKeyManager()->GetKeyBindings().AddBinding(KeyCode::FromString(u"Ctrl+VKEY_X"),
                                                                          u"NID_X");
    nested->GetItemAt(0)->mItems.GetAt(0)->mHotKeyText = u"F9";
    ASSERT_GE(popup->SetMenuDescriptor(nested), 0);
    const WString shown = popup->GetMenuDescriptor()->GetItemAt(1)->mHotKeyText;
    EXPECT_FALSE(shown.IsEmpty());
    EXPECT_EQ(shown, KeyCode::FromString(u"Ctrl+VKEY_Y").ToDisplayString());
    EXPECT_EQ(popup->GetMenuDescriptor()->GetItemAt(0)->mItems.GetAt(0)->mHotKeyText, u"F9");
    EXPECT_TRUE(nested->GetItemAt(1)->mHotKeyText.IsEmpty());
    EXPECT_GT(popup->MeasureMenuItemWidth(1), popup->MeasureMenuItemWidth(0) - 6 * 4);
}

std::vector<std::string>& StatusTexts()
{
    static std::vector<std::string> texts;
    return texts;
}

void RecordStatusText(const WString* text)
{
    StatusTexts().push_back(text != nullptr ? Utf8(*text) : "<default>");
}

TEST_F(PopupMenuTest, HoveringAnItemShowsItsStatusTextAndLeavingRestoresTheDefault)
{
    StatusTexts().clear();
    const LPopupMenu::StatusTextSink previous = LPopupMenu::SetStatusTextSink(&RecordStatusText);
    ASSERT_GE(popup->SetMenuDescriptor(Tree({{u"0.NID_A", u"A|About A"}, {u"1.NID_B", u"B"}})), 0);
    ShowAt({10, 10});
    b.bench.MoveTo({20, 20});
    b.bench.MoveTo({20, 40});
    b.bench.MoveTo({300, 250});
    (void)LPopupMenu::SetStatusTextSink(previous);
    EXPECT_EQ(StatusTexts(), (std::vector<std::string>{"About A", "<default>", "<default>"}));
}

TEST(PopupMenuContextTest, ARightClickOnATextBoxOpensItsEditMenu)
{
    const std::string controls = R"(
<SubControl Class="Test.Panel" Name="main" XSizeAbs="400" YSizeAbs="300"><Skin Name="main" LookList="one"/>
  <SubControl Class="Framework.TextBox" Name="field" XPositionAbs="10" YPositionAbs="10" XSizeAbs="200" YSizeAbs="20">
    <Skin Name="field" LookList="textLooks"/>
  </SubControl>
</SubControl>)" + ZQTest::PopupSkin("contextMenu");
    ZQTest::TextBench text(controls);
    TestSupport::MeasurementRendererScope measuring{
        RCPtr<LMeasurementRenderer>(new TestSupport::FakeMeasurer())};
    ZQTest::RegisterMenus(text.Bench);
    (void)text.Bench.Show();
    const RCPtr<LControl> field = text.Bench.Find(u"field");
    const PointT<int32_t> at{30, 20};
    text.Bench.MoveTo(at);
    text.Bench.Services.MouseButtons = 4;
    text.Bench.Window->OnMouseButton(0, 4, 0, at, 0);
    text.Bench.Services.MouseButtons = 0;
    text.Bench.Window->OnMouseButton(1, 4, 0, at, 0);
    const RCPtr<LPopupMenu> menu = RCPtr<LPopupMenu>(field->FindChild(u"contextMenu"));
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->IsVisible(true));
    EXPECT_EQ(menu->GetItemCount(), 4u);
    EXPECT_EQ(menu->GetRectInWindow().x, 30);
    EXPECT_EQ(menu->GetRectInWindow().y, 20);
    EXPECT_TRUE(menu->IsFocused());
}
} // namespace
} // namespace ZQ
