#include "ControlsBench.h"
#include "MenuBench.h"
#include "Support/StringPrinting.h"

#include "ZQFramework/ControlBase/Skin/StringTable.h"
#include "ZQFramework/Controls/Menus/MainMenu.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ZQ
{
namespace
{
using TestSupport::Utf8;

TEST(MainMenuDefinitionsTest, TitlesAndTreesComeFromTheStringTable)
{
    struct Case
    {
        const char* name;
        LStringTable::Map entries;
        std::vector<std::string> titles; // the first three
        uint32_t titleCount;
        uint32_t trees;
        bool match;
    };
    const std::vector<Case> cases{
        {"nothing", {}, {}, 0, 0, true},
        {"titles 00 and 02 with three trees",
         {{u"MENU_LABEL.00", u"File"},
          {u"MENU_LABEL.02", u"Help"},
          {u"CONTEXT_MENU0.00.NID_MENU_FILE_SELECT", u"Select Firmware File"},
          {u"CONTEXT_MENU1.00.NID_MENU_OPTIONS_ALLOW_DOWNGRADE", u"Allow downgrade"},
          {u"CONTEXT_MENU2.00.NID_MENU_HELP_ABOUT", u"About"}},
         {"File", "", "Help"},
         3,
         3,
         true},
        {"two titles and one tree",
         {{u"MENU_LABEL.00", u"File"}, {u"MENU_LABEL.01", u"Options"}, {u"CONTEXT_MENU0.00.NID_X", u"X"}},
         {"File", "Options"},
         2,
         1,
         false},
        {"numbers out of range are passed over",
         {{u"MENU_LABEL.-1", u"Minus"},
          {u"MENU_LABEL.256", u"Far"},
          {u"MENU_LABEL.255", u"Last"},
          {u"MENU_LABEL.x", u"Zero"}},
         {"Zero", "", ""},
         256,
         0,
         false},
    };
    for (const Case& c : cases)
    {
        MainMenuDefinitions definitions;
        (void)definitions.Titles.Add(u"stale");
        ReadMainMenuDefinitions(*LStringTable::Create(c.entries), definitions);
        std::vector<std::string> titles;
        for (uint32_t i = 0; i < definitions.Titles.GetCount() && i < 3; ++i)
        {
            titles.push_back(Utf8(definitions.Titles.GetAt(i)));
        }
        EXPECT_EQ(titles, c.titles) << c.name;
        EXPECT_EQ(definitions.Titles.GetCount(), c.titleCount) << c.name;
        EXPECT_EQ(definitions.Trees.GetCount(), c.trees) << c.name;
        EXPECT_EQ(definitions.Match(), c.match) << c.name;
        if (c.titleCount == 256)
        {
            EXPECT_EQ(Utf8(definitions.Titles.GetAt(255)), "Last");
        }
    }
}

TEST(MainMenuDefinitionsTest, EachTreeHoldsItsOwnMenusItems)
{
    MainMenuDefinitions definitions;
    ReadMainMenuDefinitions(*LStringTable::Create({{u"MENU_LABEL.00", u"File"},
                                                   {u"CONTEXT_MENU0.00.NID_MENU_FILE_SELECT", u"Select"},
                                                   {u"CONTEXT_MENU0.01.-", u""},
                                                   {u"CONTEXT_MENU0.02.NID_APP_EXIT_REQ", u"Exit"}}),
                            definitions);
    ASSERT_TRUE(definitions.Match());
    ASSERT_EQ(definitions.Trees.GetCount(), 1u);
    const LMenuDescriptor& file = *definitions.Trees.GetAt(0);
    ASSERT_EQ(file.GetItemCount(), 3u);
    EXPECT_EQ(Utf8(file.GetItemAt(0)->mCommand), "NID_MENU_FILE_SELECT");
    EXPECT_EQ(file.GetItemAt(1)->mSeparator, 1);
    EXPECT_EQ(Utf8(file.GetItemAt(2)->mLabel), "Exit");
}
// "bar" and "text" side by side under "main".
struct FocusReturnTest : ::testing::Test
{
    ZQTest::ControlsBench bench{R"(
<SubControl Class="Test.Panel" Name="main" XSizeAbs="200" YSizeAbs="100">
  <SubControl Class="Test.Panel" Name="bar" XSizeAbs="200" YSizeAbs="20"/>
  <SubControl Class="Test.Panel" Name="text" YPositionAbs="30" XSizeAbs="200" YSizeAbs="20"/>
</SubControl>)"};
    RCPtr<LControl> main = bench.Show();
    RCPtr<LControl> bar = bench.Find(u"bar");
    RCPtr<LControl> text = bench.Find(u"text");
    FocusReturnLink link;
};

TEST_F(FocusReturnTest, AnotherControlIsKeptUntilItLeavesTheWindow)
{
    EXPECT_EQ(link.Get(*bar), nullptr);
    link.Set(*bar, text);
    EXPECT_EQ(link.Get(*bar), text);
    (void)text->Detach();
    EXPECT_EQ(link.Get(*bar), nullptr);
    (void)bench.Window->GetRootControl()->AddChildControl(text, text->GetDescriptor());
    EXPECT_EQ(link.Get(*bar), nullptr) << "forgotten once it had left";
}

TEST_F(FocusReturnTest, AnAncestorIsFoundWithoutBeingOwned)
{
    const int32_t references = main->GetRefCount();
    link.Set(*bar, main);
    EXPECT_EQ(main->GetRefCount(), references) << "the link holds no reference to the bar's ancestor";
    EXPECT_EQ(link.Get(*bar), main);
    (void)bar->Detach();
    EXPECT_EQ(link.Get(*bar), nullptr) << "no longer the bar's ancestor";
}

// --- The menu bar ---

using ZQTest::MenuBench;

// A panel that answers the bar's item-state questions: "Allow downgrade" is checked while Allow is set.
class MenuOwner : public LControl
{
public:
    MenuOwner(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}

    ZQRESULT UpdateMenuItemState(const RCPtr<LMenuDescriptor>& menu, int32_t itemIndex, int32_t /*command*/,
                                 MenuItemState& state) override
    {
        ++Asked;
        if (menu->GetItemAt(static_cast<uint32_t>(itemIndex))->mCommand ==
            u"NID_MENU_OPTIONS_ALLOW_DOWNGRADE")
        {
            state.Checked = Allow ? 1 : 0;
        }
        return 0;
    }

    bool Allow = false;
    int Asked = 0;
};

std::vector<std::string> Labels(const LMainMenu& bar)
{
    std::vector<std::string> labels;
    for (int32_t i = 0; i < bar.GetMenuCount(); ++i)
    {
        labels.push_back(Utf8(bar.GetMenuAt(i)->GetLabel()));
    }
    return labels;
}

struct MainMenuTest : ::testing::Test
{
    MenuBench b{ZQTest::MenuBarSkin(), ZQTest::MenuBarStrings()};
};

TEST_F(MainMenuTest, TitlesAreBuiltFromTheStringTableSideBySide)
{
    const RCPtr<LMainMenu> bar = b.Bar();
    EXPECT_EQ(Labels(*bar), (std::vector<std::string>{"File", "Options"}));
    EXPECT_EQ(bar->GetFixedMenuCount(), 0);
    EXPECT_EQ(bar->FindChild(u"templateMenu"), nullptr);
    EXPECT_EQ(b.Title(0)->GetRect().x, 0);
    EXPECT_EQ(b.Title(1)->GetRect().x, 60);
    EXPECT_EQ(bar->FindMenuIndex(u"Options"), 1);
    EXPECT_EQ(bar->GetMenuLabel(2), u"");
    const RCPtr<LMenuDescriptor> file = LMainMenu::GetMenuDescriptor(RCPtr<LControl>(b.Title(0)));
    ASSERT_EQ(file->GetItemCount(), 3u);
    EXPECT_EQ(file->GetItemAt(0)->mCommand, u"NID_MENU_FILE_SELECT");
    EXPECT_EQ(file->GetItemAt(0)->mStatusText, u"Pick an image");
    EXPECT_EQ(file->GetItemAt(1)->mSeparator, 1);
    EXPECT_EQ(bar->InsertMenu(-1, u"x", u"X", file), E_INVALIDARG);
    EXPECT_EQ(bar->InsertMenu(3, u"x", u"X", file), E_INVALIDARG);
}

TEST(MainMenuBuildTest, TitleAndTreeCountsDecideWhatIsBuilt)
{
    using ZQTest::Entry;
    const std::string threeTrees = R"(<StringTable ID="Test.Panel|bar">)" + Entry("MENU_LABEL.00", "File") +
                                   Entry("MENU_LABEL.02", "Help") + Entry("CONTEXT_MENU0.00.NID_A", "A") +
                                   Entry("CONTEXT_MENU1.00.NID_B", "B") +
                                   Entry("CONTEXT_MENU2.00.NID_C", "C") + "</StringTable>";
    MenuBench three{ZQTest::MenuBarSkin(), threeTrees};
    EXPECT_EQ(Labels(*three.Bar()), (std::vector<std::string>{"File", "", "Help"}));
    EXPECT_EQ(LMainMenu::GetMenuDescriptor(RCPtr<LControl>(three.Title(2)))->GetItemAt(0)->mCommand,
              u"NID_C");

    const std::string oneTree = R"(<StringTable ID="Test.Panel|bar">)" + Entry("MENU_LABEL.00", "File") +
                                Entry("MENU_LABEL.01", "Help") + Entry("CONTEXT_MENU0.00.NID_A", "A") +
                                "</StringTable>";
    MenuBench none{ZQTest::MenuBarSkin(), oneTree};
    EXPECT_EQ(none.Bar()->GetMenuCount(), 0);
}

TEST_F(MainMenuTest, InsertingBeforeTheFirstBuiltMenuMovesContentsNotTitles)
{
    const RCPtr<LMainMenu> bar = b.Bar();
    const RCPtr<LMenuDescriptor> tree = LMenuDescriptor::Create();
    (void)tree->InsertItem(0, u"About", u"NID_HELP_ABOUT", true, false);
    EXPECT_EQ(bar->InsertMenuBefore(u"File", u"Help", u"Help", tree), 0);
    EXPECT_EQ(Labels(*bar), (std::vector<std::string>{"Help", "File", "Options"}));
    EXPECT_EQ(bar->FindMenuIndex(u"Help"), 0);
    EXPECT_EQ(b.Title(0)->GetName(), u"Help");
    EXPECT_EQ(b.Title(1)->GetName(), u"File");
    EXPECT_EQ(b.Title(2)->GetRect().x, 120);
    EXPECT_EQ(LMainMenu::GetMenuDescriptor(RCPtr<LControl>(b.Title(0)))->GetItemAt(0)->mCommand,
              u"NID_HELP_ABOUT");
    EXPECT_EQ(LMainMenu::GetMenuDescriptor(RCPtr<LControl>(b.Title(1)))->GetItemAt(0)->mCommand,
              u"NID_MENU_FILE_SELECT");
    EXPECT_EQ(bar->InsertMenuBefore(u"Nowhere", u"n", u"N", tree), E_INVALIDARG);
    EXPECT_EQ(bar->AddMenu(u"Help"), E_INVALIDARG);
}

TEST_F(MainMenuTest, AChosenItemReachesTheRootWindowAtTheNextIdlePass)
{
    const auto log = ZQTest::ListenTo(b.bench, *b.bench.Window, {u"NID_MENU_FILE_SELECT"});
    b.ClickAt({20, 10});
    ASSERT_TRUE(b.Title(0)->IsDropDownOpen());
    b.ClickAt({20, 30});
    EXPECT_FALSE(b.Title(0)->IsDropDownOpen());
    EXPECT_TRUE(log->Entries.empty());
    b.bench.IdleAfter(0.01);
    EXPECT_EQ(log->TimesOf("NID_MENU_FILE_SELECT").size(), 1u);
}

TEST_F(MainMenuTest, PressDragAndReleaseOverAnItemChoosesIt)
{
    const auto log = ZQTest::ListenTo(b.bench, *b.bench.Window, {u"NID_MENU_FILE_EXIT"});
    b.bench.MoveTo({20, 10});
    b.bench.Press();
    ASSERT_TRUE(b.Title(0)->IsDropDownOpen());
    b.bench.MoveTo({20, 40});
    b.bench.MoveTo({20, 70});
    b.bench.Release();
    b.bench.IdleAfter(0.01);
    EXPECT_EQ(log->TimesOf("NID_MENU_FILE_EXIT").size(), 1u);
    EXPECT_FALSE(b.Title(0)->IsDropDownOpen());
}

TEST_F(MainMenuTest, HoveringAnotherTitleMovesTheOpenMenuAndOnlyThen)
{
    b.bench.MoveTo({80, 10});
    EXPECT_EQ(b.Title(1)->GetFirstVisibleLookIndex(), LComboMenu::kLookHover);
    EXPECT_FALSE(b.Title(1)->IsDropDownOpen());
    b.ClickAt({20, 10});
    b.bench.MoveTo({80, 10});
    EXPECT_FALSE(b.Title(0)->IsDropDownOpen());
    EXPECT_TRUE(b.Title(1)->IsDropDownOpen());
    EXPECT_EQ(b.Title(0)->GetFirstVisibleLookIndex(), LComboMenu::kLookClosed);
}

TEST(MainMenuPlacementTest, TheLastTitlesPopupIsPushedLeftButNeverPastTheLeftEdge)
{
    MenuBench wide{ZQTest::MenuBarSkin(380), ZQTest::MenuBarStrings()};
    wide.ClickAt({80, 10});
    EXPECT_EQ(wide.PopupOf(1)->GetRectInWindow().x, 20);
    MenuBench wider{ZQTest::MenuBarSkin(450), ZQTest::MenuBarStrings()};
    wider.ClickAt({80, 10});
    EXPECT_EQ(wider.PopupOf(1)->GetRectInWindow().x, 0);
}

TEST_F(MainMenuTest, TheOwnersAnswerChecksTheItemEachTimeTheMenuOpens)
{
    const RCPtr<MenuOwner> owner(new MenuOwner(nullptr, u"owner"));
    EXPECT_EQ(b.Bar()->SetMenuItemUpdater(owner->GetMenuItemUpdater()), 0);
    EXPECT_EQ(b.Bar()->SetMenuItemUpdater(owner->GetMenuItemUpdater()), 1);
    owner->Allow = true;
    b.ClickAt({80, 10});
    ASSERT_TRUE(b.Title(1)->IsDropDownOpen());
    EXPECT_TRUE(b.PopupOf(1)->IsItemChecked(0));
    EXPECT_EQ(b.PopupOf(1)->GetMenuDescriptor()->GetItemAt(0)->mChecked, 1);
    b.ClickAt({80, 10});
    owner->Allow = false;
    b.ClickAt({80, 10});
    EXPECT_FALSE(b.PopupOf(1)->IsItemChecked(0));
    EXPECT_EQ(owner->Asked, 2);
    (void)owner->ReleaseInternalReferences();
}

TEST_F(MainMenuTest, TheFocusGoesBackAfterACommandAndBuiltMenusSurviveANewSkin)
{
    const RCPtr<LControl> other = b.bench.Find(u"other");
    (void)other->SetNotFocusable(false);
    (void)other->SetFocus(true);
    b.ClickAt({20, 10});
    EXPECT_TRUE(b.PopupOf(0)->IsFocused());
    EXPECT_EQ(b.Bar()->GetFocusReturnControl(), other);
    b.ClickAt({20, 30});
    EXPECT_TRUE(other->IsFocused());

    const RCPtr<LMainMenu> bar = b.Bar();
    (void)bar->ApplyDescriptor(bar->GetDescriptor());
    EXPECT_EQ(Labels(*bar), (std::vector<std::string>{"File", "Options"}));
    EXPECT_EQ(LMainMenu::GetMenuDescriptor(RCPtr<LControl>(b.Title(1)))->GetItemAt(0)->mCommand,
              u"NID_MENU_OPTIONS_ALLOW_DOWNGRADE");
    EXPECT_EQ(b.Title(1)->GetRect().x, 60);
}
// A control that edit commands act on, as a text box is.
class EditPanel : public LControl
{
public:
    EditPanel(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}
    [[nodiscard]] bool IsEditTarget() const override { return true; }
};

TEST(MainMenuEditTest, TheControlFocusedBeforeTheBarStaysTheTargetOfItsEditCommands)
{
    MenuBench b{ZQTest::MenuBarSkin(120, "Test.Edit"),
                ZQTest::MenuBarStrings(),
                {{u"Test.Edit", &LControl::CreateFromDescriptor<EditPanel>}}};
    const RCPtr<LControl> other = b.bench.Find(u"other");
    EXPECT_EQ(b.Bar()->GetEditTarget(), nullptr);
    (void)other->SetNotFocusable(false);
    (void)other->SetFocus(true);
    b.ClickAt({20, 10});
    ASSERT_TRUE(b.PopupOf(0)->IsFocused());
    EXPECT_EQ(b.Bar()->GetEditTarget(), other);
}
} // namespace
} // namespace ZQ
