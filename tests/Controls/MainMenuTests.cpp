#include "ControlsBench.h"
#include "Support/StringPrinting.h"

#include "ZQFramework/ControlBase/StringTable.h"
#include "ZQFramework/Controls/MainMenu.h"

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
} // namespace
} // namespace ZQ
