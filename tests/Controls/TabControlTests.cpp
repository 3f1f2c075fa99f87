#include "ContainerBench.h"

#include "ZQFramework/Controls/Buttons/Button.h"
#include "ZQFramework/Controls/Containers/TabControl.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ZQ
{
namespace
{
using TestSupport::Utf8;
using ZQTest::ControlsBench;

// A radio button of the tab row at x, with the tab stop given.
std::string TabButton(const std::string& name, int x, int tabStop)
{
    return "<SubControl Class=\"Framework.Button\" Name=\"" + name + "\" XPositionAbs=\"" +
           std::to_string(x) + "\" XSizeAbs=\"50\" YSizeAbs=\"20\" TabStop=\"" + std::to_string(tabStop) +
           R"("><Skin Name="tab" LookList="looks14"/><CreateParamList>
             <CreateParam ID="IS_RADIO">true</CreateParam><CreateParam ID="AUTO_VALUE_SET">true</CreateParam>
           </CreateParamList></SubControl>)";
}

std::string Page(const std::string& name)
{
    return "<SubControl Class=\"Framework.Panel\" Name=\"" + name +
           R"(" XSizeAbs="300" YSizeAbs="180"><Skin Name="page" LookList="one"/></SubControl>)";
}

// A tab control named name with three tabs A, B, C stored in that order but with the tab order B, C, A,
// and only two pages (C has none).
std::string TabsSkin(const std::string& name)
{
    return "<SubControl Class=\"Framework.TabControl\" Name=\"" + name +
           R"(" XSizeAbs="300" YSizeAbs="200"><Skin Name="tabs" LookList="one"/>
    <SubControl Class="Framework.Panel" Name="buttonHolder" XSizeAbs="300" YSizeAbs="20"><Skin Name="row" LookList="one"/>)" +
           TabButton("tabA", 0, 3) + TabButton("tabB", 60, 1) + TabButton("tabC", 120, 2) + R"(</SubControl>
    <SubControl Class="Framework.Panel" Name="pageHolder" YPositionAbs="20" XSizeAbs="300" YSizeAbs="180"><Skin Name="pages" LookList="one"/>)" +
           Page("pageA") + Page("pageB") + "</SubControl></SubControl>";
}

// "tabs" under "main", beside "bare", a tab control without holders; "topTabs" is a top control.
const std::string kTabsSkin =
    R"(<SubControl Class="Test.Panel" Name="main" XSizeAbs="400" YSizeAbs="300"><Skin Name="main" LookList="one"/>)" +
    TabsSkin("tabs") +
    R"(<SubControl Class="Framework.TabControl" Name="bare" YPositionAbs="250" XSizeAbs="100" YSizeAbs="40"/>
</SubControl>)" +
    TabsSkin("topTabs");

// Records the tab control's notifications ("NID_TAB_SELECTED pageB", "NID_TAB_BECOMING_UNSELECTED 1>0")
// and lets a test answer "NID_TAB_BECOMING_UNSELECTED".
class TabLog : public LNotificationReceiver
{
public:
    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& /*source*/,
                                 const RCPtr<LNotification>& notification) override
    {
        std::string entry = Utf8(WString(notification->GetID()));
        const RCPtr<LRefCountedObject> param(notification->GetParam());
        if (const RCPtr<LTabBecomingUnselectedParams> change(param); change != nullptr)
        {
            entry += " " + std::to_string(change->mCurrentIndex) + ">" + std::to_string(change->mNewIndex);
            if (Answer)
                Answer(*change);
        }
        else if (const RCPtr<LControl> control(param); control != nullptr)
        {
            entry += " " + Utf8(control->GetName());
        }
        else if (entry == "NID_TAB_SELECTED")
        {
            entry += " none";
        }
        Entries.push_back(entry);
        return 0;
    }
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& /*source*/,
                                        NotificationID /*id*/) override
    {
        return 0;
    }

    std::function<void(LTabBecomingUnselectedParams&)> Answer;
    std::vector<std::string> Entries;
};

struct TabControlTest : ::testing::Test
{
    TabControlTest()
    {
        bench.Register(u"Framework.TabControl", &LControl::CreateFromDescriptor<LTabControl>);
        (void)ZQTest::ShowContainers(bench);
        tabs = bench.Find<LTabControl>(u"tabs");
        for (const char16_t* name :
             {u"NID_TAB_BUTTON_CLICKED", u"NID_TAB_BECOMING_UNSELECTED", u"NID_TAB_SELECTED"})
            (void)tabs->RegisterClient(RCPtr<LNotificationReceiver>(log), name, 0);
    }

    void Click(const std::string& tab)
    {
        const int x = tab == "tabA" ? 25 : tab == "tabB" ? 85 : 145;
        bench.MoveTo({x, 10});
        bench.Press();
        bench.Release();
    }
    [[nodiscard]] bool Shown(const char16_t* page) const
    {
        return bench.Find(std::u16string(u"tabs/pageHolder/") + page)->IsVisible(false);
    }
    [[nodiscard]] double ButtonValue(const char16_t* tab) const
    {
        return bench.Find(std::u16string(u"tabs/buttonHolder/") + tab)->GetValue();
    }

    ControlsBench bench{kTabsSkin};
    RCPtr<LTabControl> tabs;
    RCPtr<TabLog> log{new TabLog};
};

TEST_F(TabControlTest, CreationSelectsTheFirstTabInTabOrderAndShowsOnlyItsPage)
{
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(Utf8(tabs->GetSelectedTabName()), "tabB");
    EXPECT_EQ(tabs->GetSelectedIndex(), 1) << "storage position";
    EXPECT_EQ(tabs->GetTabCount(), 3);
    EXPECT_TRUE(Shown(u"pageB"));
    EXPECT_FALSE(Shown(u"pageA"));
    EXPECT_EQ(tabs->GetSelectedPage(), tabs->GetPage(u"tabB"));
    EXPECT_EQ(Utf8(tabs->GetButtonAt(2)->GetName()), "tabC");
    EXPECT_EQ(tabs->GetButton(u"tabZ"), nullptr);
}

TEST_F(TabControlTest, AClickedTabIsAnnouncedSelectedAndItsPageTakesTheFocus)
{
    Click("tabA");
    EXPECT_EQ(log->Entries,
              (std::vector<std::string>{"NID_TAB_BUTTON_CLICKED tabA", "NID_TAB_BECOMING_UNSELECTED 1>0",
                                        "NID_TAB_SELECTED pageA"}));
    EXPECT_EQ(Utf8(tabs->GetSelectedTabName()), "tabA");
    EXPECT_TRUE(Shown(u"pageA"));
    EXPECT_FALSE(Shown(u"pageB"));
    EXPECT_TRUE(bench.Find(u"tabs/pageHolder/pageA")->IsFocused());
    EXPECT_EQ(ButtonValue(u"tabA"), 1.0);
    EXPECT_EQ(ButtonValue(u"tabB"), 0.0);
}

TEST_F(TabControlTest, SelectingTheSelectedTabAsksNobodyButShowsAndAnnouncesItAgain)
{
    (void)bench.Find(u"tabs/pageHolder/pageB")->SetVisible(false);
    EXPECT_EQ(tabs->SelectTab(u"tabB"), 0);
    EXPECT_EQ(log->Entries, (std::vector<std::string>{"NID_TAB_SELECTED pageB"}));
    EXPECT_TRUE(Shown(u"pageB"));
}

TEST_F(TabControlTest, AReceiverThatKeepsTheCurrentTabHasItsButtonPressedAgain)
{
    log->Answer = [](LTabBecomingUnselectedParams& change) { change.mNewIndex = change.mCurrentIndex; };
    Click("tabA");
    EXPECT_EQ(Utf8(tabs->GetSelectedTabName()), "tabB");
    EXPECT_TRUE(Shown(u"pageB"));
    EXPECT_FALSE(Shown(u"pageA"));
    EXPECT_EQ(ButtonValue(u"tabB"), 1.0) << "pressed again";
    EXPECT_EQ(ButtonValue(u"tabA"), 0.0) << "the radio group follows";
    EXPECT_EQ(log->Entries.back(), "NID_TAB_SELECTED pageB");
    EXPECT_TRUE(bench.Find(u"tabs/pageHolder/pageB")->IsFocused());
}

TEST_F(TabControlTest, AReceiverRedirectsToTheStoragePositionItNames)
{
    // In tab order position 2 is tabA; the receiver counts as it was told, in storage order.
    log->Answer = [](LTabBecomingUnselectedParams& change)
    {
        if (change.mNewIndex == 0)
            change.mNewIndex = 2;
    };
    Click("tabA");
    EXPECT_EQ(Utf8(tabs->GetSelectedTabName()), "tabC");
    EXPECT_EQ(log->Entries,
              (std::vector<std::string>{"NID_TAB_BUTTON_CLICKED tabA", "NID_TAB_BECOMING_UNSELECTED 1>0",
                                        "NID_TAB_BECOMING_UNSELECTED 1>2", "NID_TAB_SELECTED none"}));
    EXPECT_EQ(ButtonValue(u"tabC"), 1.0);
    EXPECT_EQ(ButtonValue(u"tabA"), 0.0);

    log->Answer = [](LTabBecomingUnselectedParams& change) { change.mNewIndex = 7; };
    EXPECT_EQ(tabs->SelectTab(u"tabA"), E_FAIL) << "no tab there";
    EXPECT_EQ(Utf8(tabs->GetSelectedTabName()), "tabC");
}

TEST_F(TabControlTest, AChangeHandedOnWithoutEndIsRefusedAndTheCurrentTabStays)
{
    // Asked for tabA (0), the receiver wants tabC (2), and asked for tabC it wants tabA.
    log->Answer = [](LTabBecomingUnselectedParams& change) { change.mNewIndex = 2 - change.mNewIndex; };
    Click("tabA");
    EXPECT_EQ(Utf8(tabs->GetSelectedTabName()), "tabB");
    EXPECT_TRUE(Shown(u"pageB"));
    EXPECT_EQ(ButtonValue(u"tabB"), 1.0) << "pressed again";
    EXPECT_EQ(std::count(log->Entries.begin(), log->Entries.end(), "NID_TAB_BECOMING_UNSELECTED 1>0") +
                  std::count(log->Entries.begin(), log->Entries.end(), "NID_TAB_BECOMING_UNSELECTED 1>2"),
              LTabControl::kMaxRedirects + 1);

    // The bound is of one change: the next one is asked afresh.
    log->Answer = nullptr;
    EXPECT_EQ(tabs->SelectTab(u"tabC"), 0);
    EXPECT_EQ(Utf8(tabs->GetSelectedTabName()), "tabC");
}

TEST_F(TabControlTest, ATabWithoutAPageOrANameWithoutATabHidesEveryPage)
{
    struct Case
    {
        const char16_t* name;
        int32_t index;
    };
    for (const Case& c : {Case{u"tabC", 2}, Case{u"nothing", -1}})
    {
        (void)tabs->SelectTab(u"tabB");
        log->Entries.clear();
        EXPECT_EQ(tabs->SelectTab(c.name), 0);
        EXPECT_EQ(tabs->GetSelectedTabName(), WString(c.name));
        EXPECT_EQ(tabs->GetSelectedIndex(), c.index);
        EXPECT_FALSE(Shown(u"pageA"));
        EXPECT_FALSE(Shown(u"pageB"));
        EXPECT_EQ(tabs->GetSelectedPage(), nullptr);
        EXPECT_EQ(log->Entries.back(), "NID_TAB_SELECTED none");
    }
    EXPECT_EQ(tabs->GetPage(u"tabC"), nullptr);
    for (const int32_t index : {-1, 2, 3})
        EXPECT_EQ(tabs->GetPageAt(index), nullptr) << index;
    EXPECT_EQ(tabs->SelectTabAt(3), E_FAIL);
}

TEST_F(TabControlTest, WithoutHoldersNothingCanBeSelected)
{
    const RCPtr<LTabControl> bare = bench.Find<LTabControl>(u"bare");
    ASSERT_NE(bare, nullptr) << "created all the same";
    EXPECT_EQ(bare->SelectTab(u"x"), E_FAIL);
    EXPECT_EQ(bare->SelectTabAt(0), E_FAIL);
    EXPECT_EQ(bare->GetTabCount(), 0);
    EXPECT_EQ(bare->FindTabIndex(u"x"), -1);
    EXPECT_EQ(bare->GetSelectedPage(), nullptr);
    EXPECT_EQ(bare->GetButtonAt(0), nullptr);
}
} // namespace
} // namespace ZQ

namespace ZQ
{
namespace
{
TEST(TabControl, ShownAsTheTopControlOfItsWindowItGivesTheFocusToTheSelectedPage)
{
    ControlsBench bench{kTabsSkin};
    bench.Register(u"Framework.TabControl", &LControl::CreateFromDescriptor<LTabControl>);
    (void)ZQTest::RegisterContainers(bench);
    const RCPtr<LTabControl> tabs(bench.Factory->CreateControlByName(u"topTabs", bench.Window));
    ASSERT_NE(tabs, nullptr);
    (void)bench.Window->SetRootControl(RCPtr<LControl>(tabs));
    (void)tabs->SetVisible(false);
    (void)tabs->SetVisible(true);
    EXPECT_TRUE(tabs->GetSelectedPage()->IsFocused());
}
} // namespace
} // namespace ZQ
