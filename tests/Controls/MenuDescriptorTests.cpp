#include "ControlsBench.h"
#include "Support/StringPrinting.h"
#include "Support/TrackedObject.h"

#include "ZQFramework/Controls/Menus/MenuDescriptor.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace ZQ
{
namespace
{
using TestSupport::Utf8;

using PairList = std::vector<std::pair<const char16_t*, const char16_t*>>;

LMenuDescriptor::DefinitionPairs PairsOf(const PairList& list)
{
    LMenuDescriptor::DefinitionPairs pairs;
    for (const auto& [key, value] : list)
    {
        (void)pairs.Add({key, value});
    }
    return pairs;
}

// A tree as text: items separated by ", "; a separator is "-"; an item is its label, "=command" when it
// has one, "|status" when it has one, and its submenu in braces.
std::string Dump(const LMenuDescriptor& node)
{
    std::string text;
    for (uint32_t i = 0; i < node.GetItemCount(); ++i)
    {
        const LMenuItemDescriptor& item = *node.GetItemAt(i);
        text += i > 0 ? ", " : "";
        if (item.mSeparator != 0)
        {
            text += "-";
            continue;
        }
        text += Utf8(item.mLabel);
        text += item.mCommand.IsEmpty() ? "" : "=" + Utf8(item.mCommand);
        text += item.mStatusText.IsEmpty() ? "" : "|" + Utf8(item.mStatusText);
        text += item.HasSubmenu() ? "{" + Dump(item) + "}" : "";
    }
    return text;
}

// Every node below node has node's item list as its parent's list.
void ExpectLinked(const LMenuDescriptor& node)
{
    for (uint32_t i = 0; i < node.GetItemCount(); ++i)
    {
        EXPECT_EQ(node.GetItemAt(i)->GetParent().Get(), &node);
        ExpectLinked(*node.GetItemAt(i));
    }
}

TEST(MenuDescriptorTest, DefinitionsBuildTheTreeTheGrammarDescribes)
{
    struct Case
    {
        const char* name;
        PairList pairs;
        const char* tree;
    };
    const std::vector<Case> cases{
        {"no pairs", {}, ""},
        {"ill-formed keys only", {{u"a", u"A"}, {u".x", u"X"}, {u"", u"E"}, {u"0.", u"Z"}}, ""},
        {"numbers must follow the order given", {{u"0.a", u"A"}, {u"2.c", u"C"}, {u"1.b", u"B"}}, "A=a, B=b"},
        {"a first entry numbered 1", {{u"1.a", u"A"}, {u"2.b", u"B"}}, ""},
        {"numbers of equal width", {{u"00.NID_X", u"Select"}, {u"01.-", u"ignored"}}, "Select=NID_X, -"},
        {"submenu with label and status",
         {{u"0.sub.", u"Sub|Opens it"}, {u"sub.0.cmd", u"Item"}},
         "Sub|Opens it{Item=cmd}"},
        {"submenu naming no list", {{u"0.sub.", u"Sub"}, {u"1.a", u"A"}}, "A=a"},
        {"status keeps further bars", {{u"0.a", u"a|b|c"}}, "a=a|b|c"},
        {"submenu key of two parts", {{u"0.sub.", u"S"}, {u"sub.0", u"E"}}, "S{E}"},
        {"surplus parts ignored", {{u"0.cmd.more", u"X"}}, "X=cmd"},
        {"every reference builds its own copy",
         {{u"0.s.", u"One"}, {u"1.s.", u"Two"}, {u"s.0.x", u"X"}},
         "One{X=x}, Two{X=x}"},
        {"a refused entry still makes its list", {{u"s.1.x", u"X"}, {u"0.s.", u"S"}}, "S"},
        {"a submenu naming itself",
         {{u"0.loop.", u"L"}, {u"loop.0.loop.", u"Again"}, {u"loop.1.c", u"C"}},
         "L{C=c}"},
        {"submenus naming each other", {{u"0.a.", u"A"}, {u"a.0.b.", u"B"}, {u"b.0.a.", u"Back"}}, "A{B}"},
        {"nested levels",
         {{u"0.f.", u"File"}, {u"f.0.r.", u"Recent"}, {u"r.0.open", u"Open"}},
         "File{Recent{Open=open}}"},
    };
    for (const Case& c : cases)
    {
        const RCPtr<LMenuDescriptor> root = LMenuDescriptor::CreateFromKeyValuePairs(PairsOf(c.pairs));
        ASSERT_NE(root, nullptr) << c.name;
        EXPECT_EQ(Dump(*root), c.tree) << c.name;
        EXPECT_EQ(root->GetParent(), nullptr) << c.name;
        ExpectLinked(*root);
    }
}

TEST(MenuDescriptorTest, BuiltEntriesCarryTheDefaultState)
{
    const RCPtr<LMenuDescriptor> root = LMenuDescriptor::CreateFromKeyValuePairs(
        PairsOf({{u"0.-", u"Ignored"}, {u"1.s.", u"Sub"}, {u"2.cmd", u"Item"}, {u"s.0.x", u"X"}}));
    ASSERT_EQ(root->GetItemCount(), 3u);
    const LMenuItemDescriptor& separator = *root->GetItemAt(0);
    EXPECT_EQ(separator.mSeparator, 1);
    EXPECT_EQ(separator.mEnabled, 1);
    EXPECT_EQ(separator.mChecked, 0);
    EXPECT_TRUE(separator.mLabel.IsEmpty());
    EXPECT_TRUE(separator.mCommand.IsEmpty());
    const LMenuItemDescriptor& submenu = *root->GetItemAt(1);
    EXPECT_TRUE(submenu.mCommand.IsEmpty());
    EXPECT_EQ(submenu.mEnabled, 1);
    const LMenuItemDescriptor& item = *root->GetItemAt(2);
    EXPECT_EQ(item.mSeparator, 0);
    EXPECT_EQ(item.mEnabled, 1);
    EXPECT_EQ(item.mChecked, 0);
    EXPECT_TRUE(item.mHotKeyText.IsEmpty());
    EXPECT_EQ(Utf8(item.ToString()), "Item");
    // Each reference to a submenu builds nodes of its own.
    const RCPtr<LMenuDescriptor> twice = LMenuDescriptor::CreateFromKeyValuePairs(
        PairsOf({{u"0.s.", u"One"}, {u"1.s.", u"Two"}, {u"s.0.x", u"X"}}));
    EXPECT_NE(twice->GetItemAt(0)->GetItemAt(0), twice->GetItemAt(1)->GetItemAt(0));
}

TEST(MenuDescriptorTest, FillingAGivenNodeReplacesItsItems)
{
    RCPtr<LMenuDescriptor> node = LMenuDescriptor::CreateFromKeyValuePairs(PairsOf({{u"0.old", u"Old"}}));
    const RCPtr<LMenuItemDescriptor> old = node->GetItemAt(0);
    LMenuDescriptor::Definitions entries;
    (void)entries.Add({u"new", u"New"});
    EXPECT_EQ(LMenuDescriptor::FillFromDefinitions(entries, {}, node), 0);
    EXPECT_EQ(Dump(*node), "New=new");
    EXPECT_EQ(old->GetParent(), nullptr);
}

// Each node of a tree tagged with an object that logs its release, so that the test sees which nodes
// are gone.
struct TreeLifetimeTest : ::testing::Test
{
    static void Tag(LMenuDescriptor& node, const std::string& name, std::vector<std::string>& log)
    {
        node.SetTag(ConstRCPtr<LRefCountedObject>(new TestSupport::TrackedObject(name, &log)));
        for (uint32_t i = 0; i < node.GetItemCount(); ++i)
        {
            Tag(*node.GetItemAt(i), name + "." + std::to_string(i), log);
        }
    }

    RCPtr<LMenuDescriptor> MakeTree()
    {
        RCPtr<LMenuDescriptor> root =
            LMenuDescriptor::CreateFromKeyValuePairs(PairsOf({{u"0.f.", u"File"},
                                                              {u"1.x", u"X"},
                                                              {u"f.0.r.", u"Recent"},
                                                              {u"f.1.-", u""},
                                                              {u"r.0.a", u"A"},
                                                              {u"r.1.b", u"B"}}));
        Tag(*root, "root", released);
        return root;
    }

    std::vector<std::string> released;
};

TEST_F(TreeLifetimeTest, ReleasingTheRootFreesEveryNode)
{
    RCPtr<LMenuDescriptor> root = MakeTree();
    EXPECT_EQ(Dump(*root), "File{Recent{A=a, B=b}, -}, X=x");
    root = nullptr;
    EXPECT_EQ(released.size(), 7u) << "root, File, Recent, A, B, the separator and X";
}

TEST_F(TreeLifetimeTest, ANodeKeptOutsideOutlivesTheTreeAndALetGoNodeStaysInIt)
{
    RCPtr<LMenuDescriptor> root = MakeTree();
    {
        // Letting go of a node that the tree still lists leaves the tree whole.
        const RCPtr<LMenuItemDescriptor> file = root->GetItemAt(0);
        const RCPtr<LMenuItemDescriptor> recent = file->GetItemAt(0);
    }
    EXPECT_TRUE(released.empty());
    EXPECT_EQ(Dump(*root), "File{Recent{A=a, B=b}, -}, X=x");

    RCPtr<LMenuItemDescriptor> recent = root->GetItemAt(0)->GetItemAt(0);
    root = nullptr;
    EXPECT_EQ(released.size(), 4u) << "root, File, the separator and X; Recent keeps its items";
    EXPECT_EQ(recent->GetParent(), nullptr);
    EXPECT_EQ(Dump(*recent), "A=a, B=b");
    recent = nullptr;
    EXPECT_EQ(released.size(), 7u);
}

TEST_F(TreeLifetimeTest, ACloneEqualsItsSourceAndSharesNothing)
{
    const RCPtr<LMenuDescriptor> source = MakeTree();
    source->GetItemAt(1)->mHotKeyText = u"Ctrl+X";
    source->GetItemAt(1)->mChecked = 1;
    source->GetItemAt(1)->mEnabled = 0;
    const RCPtr<LMenuDescriptor> copy = source->Clone();
    EXPECT_EQ(Dump(*copy), Dump(*source));
    EXPECT_EQ(copy->GetParent(), nullptr);
    EXPECT_EQ(copy->GetTag(), nullptr) << "the tag is not copied";
    ExpectLinked(*copy);
    const LMenuItemDescriptor& item = *copy->GetItemAt(1);
    EXPECT_EQ(Utf8(item.mHotKeyText), "Ctrl+X");
    EXPECT_EQ(item.mChecked, 1);
    EXPECT_EQ(item.mEnabled, 0);
    EXPECT_EQ(copy->GetItemAt(0)->GetItemAt(1)->mSeparator, 1);
    EXPECT_NE(copy->GetItemAt(0), source->GetItemAt(0));

    copy->GetItemAt(0)->GetItemAt(0)->GetItemAt(0)->mLabel = u"Changed";
    copy->GetItemAt(1)->mChecked = 0;
    EXPECT_EQ(Dump(*source), "File{Recent{A=a, B=b}, -}, X=x");
    EXPECT_EQ(source->GetItemAt(1)->mChecked, 1);

    // An item's clone is a detached copy of the item with its submenu.
    const RCPtr<LMenuItemDescriptor> file = source->GetItemAt(0)->Clone();
    EXPECT_EQ(file->GetParent(), nullptr);
    EXPECT_EQ(Utf8(file->mLabel), "File");
    EXPECT_EQ(Dump(*file), "Recent{A=a, B=b}, -");
}

TEST(MenuDescriptorTest, InsertingLinksTheItemOrRefusesWithTheItemUnlinked)
{
    const RCPtr<LMenuDescriptor> menu = LMenuDescriptor::Create();
    EXPECT_EQ(menu->InsertItem(0, u"Cut", u"NID_EDIT_CUT_REQ", true, false), 0);
    EXPECT_EQ(menu->InsertItem(1, u"Paste", u"NID_EDIT_PASTE_REQ", false, true), 1);
    EXPECT_EQ(menu->InsertSeparator(1), 1);
    EXPECT_EQ(Dump(*menu), "Cut=NID_EDIT_CUT_REQ, -, Paste=NID_EDIT_PASTE_REQ");
    ExpectLinked(*menu);

    const RCPtr<LMenuItemDescriptor> loose = LMenuItemDescriptor::Create(u"L", u"c", true, false);
    EXPECT_LT(menu->InsertItem(4, loose), 0) << "past the end";
    EXPECT_EQ(menu->InsertItem(-1, loose), E_INVALIDARG);
    EXPECT_EQ(menu->InsertItem(0, RCPtr<LMenuItemDescriptor>()), E_INVALIDARG);
    EXPECT_EQ(loose->GetParent(), nullptr);
    EXPECT_EQ(menu->GetItemCount(), 3u);

    // A tree never contains itself.
    const RCPtr<LMenuItemDescriptor> inner = LMenuItemDescriptor::Create(u"I", u"i", true, false);
    EXPECT_EQ(loose->InsertItem(0, inner), 0);
    EXPECT_EQ(loose->InsertItem(0, loose), E_INVALIDARG);
    EXPECT_EQ(inner->InsertItem(0, loose), E_INVALIDARG);
    EXPECT_EQ(Dump(*loose), "I=i");
}

// The items of the tree below node, and the levels of items below it.
uint32_t CountItems(const LMenuDescriptor& node)
{
    uint32_t count = node.GetItemCount();
    for (uint32_t i = 0; i < node.GetItemCount(); ++i)
    {
        count += CountItems(*node.GetItemAt(i));
    }
    return count;
}

uint32_t Depth(const LMenuDescriptor& node)
{
    uint32_t deepest = 0;
    for (uint32_t i = 0; i < node.GetItemCount(); ++i)
    {
        deepest = std::max(deepest, Depth(*node.GetItemAt(i)));
    }
    return node.GetItemCount() > 0 ? deepest + 1 : 0;
}

TEST(MenuDescriptorTest, BuiltTreesStayWithinTheirBoundsWhateverTheDefinitionsAsk)
{
    // Level i names level i + 1 (distinct names, so no cycle) once or twice; the last level has one item.
    const auto levels = [](int count, int references)
    {
        LMenuDescriptor::DefinitionPairs pairs;
        const auto add = [&pairs](const std::string& key)
        {
            const std::u16string units(key.begin(), key.end());
            (void)pairs.Add({WString(units.c_str()), WString(u"Item")});
        };
        for (int level = 0; level < count; ++level)
        {
            const std::string prefix = level == 0 ? "" : "l" + std::to_string(level) + ".";
            for (int r = 0; r < references; ++r)
            {
                add(prefix + std::to_string(r) + ".l" + std::to_string(level + 1) + ".");
            }
        }
        add("l" + std::to_string(count) + ".0.leaf");
        return pairs;
    };
    struct Case
    {
        const char* name;
        int count;
        int references;
        uint32_t items;
        uint32_t depth;
    };
    // Where every item opens a submenu, the deepest level is one short of the bound: a submenu entry on
    // the last level would open items past it.
    constexpr uint32_t deepestSubmenu = LMenuDescriptor::kMaxBuiltDepth - 1;
    const std::vector<Case> cases{
        {"a real menu's nesting is built whole", 3, 2, 2 + 4 + 8 + 8, 4},
        {"a chain deeper than the bound", 100, 1, deepestSubmenu, deepestSubmenu},
        {"each level naming the next twice (2^40 items unbounded)", 40, 2, LMenuDescriptor::kMaxBuiltItems,
         deepestSubmenu},
    };
    for (const Case& c : cases)
    {
        const RCPtr<LMenuDescriptor> root =
            LMenuDescriptor::CreateFromKeyValuePairs(levels(c.count, c.references));
        EXPECT_EQ(CountItems(*root), c.items) << c.name;
        EXPECT_EQ(Depth(*root), c.depth) << c.name;
    }
}

TEST(MenuDescriptorTest, ItemStateIsReadOrResetForABadIndex)
{
    const RCPtr<LMenuDescriptor> menu = LMenuDescriptor::Create();
    (void)menu->InsertItem(0, u"Allow downgrade", u"NID_MENU_OPTIONS_ALLOW_DOWNGRADE", true, true);
    MenuItemState state;
    EXPECT_EQ(menu->GetItemState(0, state), 0);
    EXPECT_EQ(state.Enabled, 1);
    EXPECT_EQ(state.Checked, 1);
    EXPECT_EQ(Utf8(state.Label), "Allow downgrade");
    for (const int32_t index : {1, -1})
    {
        state = {1, 1, u"stale"};
        EXPECT_EQ(menu->GetItemState(index, state), E_INVALIDARG) << index;
        EXPECT_EQ(state.Enabled, 0);
        EXPECT_EQ(state.Checked, 0);
        EXPECT_TRUE(state.Label.IsEmpty());
    }
}
TEST(MenuDescriptorTest, AControlBuildsItsContextMenusFromItsCreateParameters)
{
    ZQTest::ControlsBench bench(R"(
<SubControl Class="Test.Panel" Name="main" XSizeAbs="100" YSizeAbs="100">
  <CreateParamList>
    <CreateParam ID="CONTEXT_MENU1.0.edit.">Edit|Changes the text</CreateParam>
    <CreateParam ID="CONTEXT_MENU1.1.NID_APP_EXIT_REQ">Exit</CreateParam>
    <CreateParam ID="CONTEXT_MENU1.edit.0.NID_EDIT_CUT_REQ">Cut</CreateParam>
    <CreateParam ID="CONTEXT_MENU10.0.NID_OTHER">Other</CreateParam>
  </CreateParamList>
</SubControl>)");
    const RCPtr<LControl> main = bench.Show();
    RCPtrArray<LMenuDescriptor, 1, 0> menus;
    EXPECT_EQ(main->ReadContextMenuParams(menus), 1);
    ASSERT_EQ(menus.GetCount(), 2u);
    EXPECT_EQ(Dump(*menus.GetAt(0)), "Edit|Changes the text{Cut=NID_EDIT_CUT_REQ}, Exit=NID_APP_EXIT_REQ");
    EXPECT_EQ(Dump(*menus.GetAt(1)), "Other=NID_OTHER");

    bench.Application.HotKeys = LGlobalHotKeyManager::Create(nullptr);
    (void)bench.Application.HotKeys->GetKeyBindings().AddBinding(KeyCode::FromString(u"Ctrl+VKEY_X"),
                                                                 u"NID_EDIT_CUT_REQ");
    EXPECT_EQ(main->SetContextMenuDescriptor(menus.GetAt(0)), 0);
    EXPECT_EQ(main->GetContextMenu(), RCPtr<LRefCountedObject>(menus.GetAt(0)));
    ASSERT_EQ(main->GetContextMenuCommands().GetCount(), 1u) << "the submenu's bound command";
    EXPECT_EQ(Utf8(main->GetContextMenuCommands().GetAt(0)), "NID_EDIT_CUT_REQ");
}
} // namespace
} // namespace ZQ
