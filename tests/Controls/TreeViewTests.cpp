#include "ListBoxBench.h"

#include "ZQFramework/Controls/Buttons/Button.h"
#include "ZQFramework/Controls/Lists/TreeView.h"
#include "ZQFramework/Controls/Lists/TreeViewItem.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ZQ
{
namespace
{
using ZQTest::ListSkin;
using ZQTest::RowTemplate;

// Rows of 20 pixels whose check box is 10 x 10 at (0, 5) of the row.
const std::string kTreeRow = RowTemplate(
    20, "Framework.TreeViewItem",
    R"(<SubControl Class="Framework.Button" Name="checkBox" YPositionAbs="5" XSizeAbs="10" YSizeAbs="10"><Skin Name="box" LookList="looks14"/></SubControl>)");

struct TreeBench : ZQTest::ListBoxBench
{
    TreeBench()
        : ListBoxBench(ListSkin(kTreeRow, 100, 100, "Framework.TreeView"), {},
                       {{u"Framework.TreeView", &LControl::CreateFromDescriptor<LTreeView>},
                        {u"Framework.TreeViewItem", &LControl::CreateFromDescriptor<LTreeViewItem>}})
    {
        tree = RCPtr<LTreeView>(list);
    }

    // Rows with the texts given, each under the parent given (-1: top level), added in list order.
    void Build(const std::vector<std::pair<const char16_t*, int32_t>>& rows)
    {
        for (const auto& [text, parent] : rows)
        {
            const auto index = static_cast<int32_t>(tree->GetItemCount());
            (void)tree->InsertItem(index, LListBox::MakeTextItem(text));
            if (parent >= 0)
            {
                EXPECT_EQ(tree->SetItemParent(index, parent), index);
            }
        }
    }

    [[nodiscard]] std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (uint32_t i = 0; i < tree->GetItemCount(); ++i)
        {
            texts.push_back(TestSupport::Utf8(tree->GetItemText(static_cast<int32_t>(i))));
        }
        return texts;
    }

    [[nodiscard]] std::vector<int32_t> Parents() const
    {
        std::vector<int32_t> parents;
        for (uint32_t i = 0; i < tree->GetItemCount(); ++i)
        {
            parents.push_back(tree->GetItemParent(static_cast<int32_t>(i)));
        }
        return parents;
    }

    [[nodiscard]] bool Hidden(int32_t row) const { return tree->GetTreeRow(row).hidden; }

    // A click on the check box of a slot, indented by depth: the rows start at window (10, 20).
    void ClickBox(int32_t slot, int32_t depth)
    {
        bench.MoveTo({10 + 10 * depth + 5, 20 + 20 * slot + 10});
        bench.Press();
        bench.Release();
    }

    RCPtr<LTreeView> tree;
};

struct TreeViewTest : ::testing::Test
{
    TreeViewTest() { b.Build({{u"P", -1}, {u"Q", 0}, {u"R", 1}}); }

    TreeBench b;
};

TEST_F(TreeViewTest, GivingParentsExpandsThemAndIndentsTheRowsByDepth)
{
    ASSERT_NE(b.tree, nullptr);
    EXPECT_EQ(b.Parents(), (std::vector<int32_t>{-1, 0, 1}));
    EXPECT_EQ(b.tree->GetItemDepth(2), 2);
    EXPECT_EQ(b.tree->GetDescendantCount(0), 2);
    EXPECT_EQ(b.tree->GetDescendantCount(1), 1);
    EXPECT_EQ(b.tree->GetDescendantCount(2), 0);
    EXPECT_TRUE(b.tree->IsItemChecked(0));
    EXPECT_TRUE(b.tree->IsItemChecked(1));
    EXPECT_FALSE(b.tree->IsItemChecked(2));
    EXPECT_EQ(b.tree->GetCheckedCount(), 2);
    EXPECT_TRUE(b.tree->IsAncestor(0, 2));
    EXPECT_FALSE(b.tree->IsAncestor(2, 2));
    EXPECT_FALSE(b.tree->IsAncestor(0, 3));
    for (int32_t slot = 0; slot < 3; ++slot)
    {
        const RCPtr<LTreeViewItem> item = b.tree->GetTreeItemControl(slot);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->GetRect().x, 10 * slot) << "slot " << slot;
        EXPECT_EQ(item->GetCheckBox()->IsEnabled(false), slot < 2) << "slot " << slot;
    }
}

TEST_F(TreeViewTest, CheckBoxesCollapseAndExpandTheSubtree)
{
    const RCPtr<ZQTest::NotificationLog> log =
        b.bench.Listen(RCPtr<LControl>(b.tree), {u"NID_ITEM_CHECK_CHANGE"});
    b.ClickBox(0, 0);
    EXPECT_FALSE(b.tree->IsItemChecked(0));
    EXPECT_TRUE(b.Hidden(1));
    EXPECT_TRUE(b.Hidden(2));
    EXPECT_EQ(b.tree->GetCheckedCount(), 1);
    EXPECT_EQ(b.tree->GetSelectedIndexes(), (std::vector<uint32_t>{0}));
    EXPECT_EQ(log->Entries.size(), 1u);

    b.ClickBox(0, 0);
    EXPECT_FALSE(b.Hidden(1));
    EXPECT_FALSE(b.Hidden(2)) << "Q is still checked";

    b.ClickBox(1, 1); // collapse Q
    EXPECT_FALSE(b.Hidden(1));
    EXPECT_TRUE(b.Hidden(2));
    b.ClickBox(0, 0); // collapse P
    b.ClickBox(0, 0); // and expand it: R stays hidden under the collapsed Q
    EXPECT_FALSE(b.Hidden(1));
    EXPECT_TRUE(b.Hidden(2));
    EXPECT_EQ(b.tree->GetCheckedCount(), 1);

    // The state lives in the rows: scrolled out and back, the controls show it again.
    (void)b.tree->SetScrollOffset({0, 20});
    (void)b.tree->SetScrollOffset({0, 0});
    EXPECT_EQ(b.tree->GetTreeItemControl(1)->GetCheckBox()->GetValue(), 0.0);
    EXPECT_EQ(b.tree->GetTreeItemControl(0)->GetCheckBox()->GetValue(), 1.0);
}

TEST_F(TreeViewTest, RemovingARowRemovesItsSubtreeWithItsSelection)
{
    b.Build({{u"S", -1}, {u"T", 3}});
    ASSERT_EQ(b.Parents(), (std::vector<int32_t>{-1, 0, 1, -1, 3}));
    (void)b.tree->SelectRange(2, 2, true);
    (void)b.tree->SelectRange(4, 4, false);

    EXPECT_EQ(b.tree->RemoveItem(1), 3);
    EXPECT_EQ(b.Texts(), (std::vector<std::string>{"P", "S", "T"}));
    EXPECT_EQ(b.Parents(), (std::vector<int32_t>{-1, -1, 1}));
    EXPECT_EQ(b.tree->GetSelectedIndexes(), (std::vector<uint32_t>{2}));
    EXPECT_EQ(b.tree->GetSelectedCount(), 1);
    EXPECT_EQ(b.tree->GetCaretIndex(), 2);
    EXPECT_EQ(b.tree->GetCheckedCount(), 2) << "Q's check went with it; P and S stay checked";
    EXPECT_EQ(b.tree->RemoveItem(3), E_INVALIDARG);
}

TEST_F(TreeViewTest, RemovingACollapsedSubtreeLeavesTheRowsAndTheContentHeightOfWhatIsLeft)
{
    b.Build({{u"S", -1}});
    b.ClickBox(1, 1); // collapse Q: R is hidden
    ASSERT_TRUE(b.Hidden(2));
    EXPECT_EQ(b.tree->GetContentHeight(), 3 * 20);

    EXPECT_EQ(b.tree->RemoveItem(1), 2); // Q, and R with it
    EXPECT_EQ(b.Texts(), (std::vector<std::string>{"P", "S"}));
    EXPECT_EQ(b.tree->GetContentHeight(), 2 * 20);
    EXPECT_EQ(b.tree->RowOfItem(1), 1);
    EXPECT_EQ(b.tree->GetItemControlSlot(1), 1);
    EXPECT_EQ(b.RowTexts()[1], "S");
}

struct SetItemParentCase
{
    const char* what;
    std::vector<std::pair<const char16_t*, int32_t>> rows;
    int32_t row;
    int32_t parent;
    int32_t result;
    std::vector<std::string> texts;
    std::vector<int32_t> parents;
};

TEST(TreeViewParentTest, SetItemParentMovesTheRowBelowItsNewParent)
{
    const std::vector<SetItemParentCase> cases = {
        {"in place", {{u"P", -1}, {u"Q", 0}, {u"R", -1}}, 2, 0, 2, {"P", "Q", "R"}, {-1, 0, 0}},
        {"up past unrelated rows",
         {{u"P", -1}, {u"Q", 0}, {u"S", -1}, {u"T", -1}},
         3,
         0,
         2,
         {"P", "Q", "T", "S"},
         {-1, 0, 0, -1}},
        {"up, stopping right below the parent",
         {{u"A", -1}, {u"B", -1}, {u"C", -1}},
         2,
         0,
         1,
         {"A", "C", "B"},
         {-1, 0, -1}},
        {"down to a parent below",
         {{u"P", -1}, {u"Q", -1}, {u"R", -1}, {u"S", -1}},
         1,
         3,
         3,
         {"P", "R", "S", "Q"},
         {-1, -1, -1, 2}},
        {"down with children moving along their links",
         {{u"P", -1}, {u"Q", -1}, {u"R", 1}, {u"S", -1}},
         3,
         0,
         1,
         {"P", "S", "Q", "R"},
         {-1, 0, -1, 2}},
        {"a parent inside the row's own subtree",
         {{u"A", -1}, {u"P", -1}, {u"Q", 1}},
         1,
         2,
         1,
         {"A", "P", "Q"},
         {-1, -1, 1}},
        {"row 0", {{u"A", -1}, {u"B", -1}}, 0, 1, 0, {"A", "B"}, {-1, -1}},
        {"a parent past the rows", {{u"A", -1}, {u"B", -1}}, 1, 5, 1, {"A", "B"}, {-1, -1}},
        {"the same parent", {{u"A", -1}, {u"B", 0}}, 1, 0, 1, {"A", "B"}, {-1, 0}},
    };
    for (const SetItemParentCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        TreeBench b;
        b.Build(c.rows);
        EXPECT_EQ(b.tree->SetItemParent(c.row, c.parent), c.result);
        EXPECT_EQ(b.Texts(), c.texts);
        EXPECT_EQ(b.Parents(), c.parents);
        for (int32_t i = 0; i < static_cast<int32_t>(b.tree->GetItemCount()); ++i)
        {
            EXPECT_LT(b.tree->GetItemDepth(i), static_cast<int32_t>(b.tree->GetItemCount()));
        }
        if (c.result != c.row || c.parent == 0)
        {
            EXPECT_TRUE(b.tree->IsItemChecked(b.tree->GetItemParent(c.result))) << "the parent is expanded";
        }
    }
}

TEST_F(TreeViewTest, WithoutAutoValueExpandRowStillExpandsAndAClickOnlyReports)
{
    b.tree->SetCheckBoxAutoValue(false);
    b.tree->SetItemChecked(0, false);
    b.tree->UpdateSubtreeVisibility(0);
    ASSERT_TRUE(b.Hidden(1));

    b.tree->ExpandRow(0);
    EXPECT_TRUE(b.tree->IsItemChecked(0));
    EXPECT_FALSE(b.Hidden(1));
    EXPECT_FALSE(b.Hidden(2));
    EXPECT_EQ(b.tree->GetTreeItemControl(0)->GetCheckBox()->GetValue(), 1.0);

    const RCPtr<ZQTest::NotificationLog> log =
        b.bench.Listen(RCPtr<LControl>(b.tree), {u"NID_ITEM_CHECKBOX_CLICKED", u"NID_ITEM_CHECK_CHANGE"});
    b.ClickBox(0, 0);
    ASSERT_EQ(log->Entries.size(), 1u);
    EXPECT_EQ(log->Entries[0].first, "NID_ITEM_CHECKBOX_CLICKED");
    EXPECT_TRUE(b.tree->IsItemChecked(0)) << "the box kept its value";
}

TEST_F(TreeViewTest, InsertedRowsAndShorteningKeepLinksAndTheCheckCount)
{
    (void)b.tree->InsertItem(0, LListBox::MakeTextItem(u"X"));
    EXPECT_EQ(b.Texts(), (std::vector<std::string>{"X", "P", "Q", "R"}));
    EXPECT_EQ(b.Parents(), (std::vector<int32_t>{-1, -1, 1, 2}));
    EXPECT_EQ(b.tree->GetItemDepth(3), 2);
    EXPECT_EQ(b.tree->GetTreeItemControl(3)->GetRect().x, 20) << "R is still indented twice";

    EXPECT_EQ(b.tree->SetItemCount(2), 2);
    EXPECT_EQ(b.Texts(), (std::vector<std::string>{"X", "P"}));
    EXPECT_EQ(b.tree->GetCheckedCount(), 1) << "P only";
    EXPECT_EQ(b.tree->GetTreeItemControl(5), nullptr);
}

TEST_F(TreeViewTest, ATreeIsNeverSorted)
{
    b.Build({{u"A", -1}});
    EXPECT_FALSE(b.tree->SortItems());
    EXPECT_EQ(b.Texts(), (std::vector<std::string>{"P", "Q", "R", "A"}));
}
} // namespace
} // namespace ZQ
