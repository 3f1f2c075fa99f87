#include "ZQFramework/Controls/Lists/TreeRowStore.h"

#include <gtest/gtest.h>
#include <vector>

namespace ZQ
{
namespace
{
// P, Q under P, R under Q, S, T under S.
const std::vector<int32_t> kTree{-1, 0, 1, -1, 3};

void Build(LTreeRowStore& rows, const std::vector<int32_t>& parents)
{
    for (const int32_t parent : parents)
    {
        const auto index = static_cast<int32_t>(rows.GetCount());
        rows.InsertRow(index);
        rows.Get(index).parent = parent;
        rows.Get(index).selection = index; // tags the row with its first index
    }
}

std::vector<int32_t> Parents(const LTreeRowStore& rows)
{
    std::vector<int32_t> parents;
    for (const TreeRow& row : rows)
    {
        parents.push_back(row.parent);
    }
    return parents;
}

std::vector<int32_t> Tags(const LTreeRowStore& rows)
{
    std::vector<int32_t> tags;
    for (const TreeRow& row : rows)
    {
        tags.push_back(static_cast<int32_t>(row.selection));
    }
    return tags;
}

TEST(TreeRowStoreTest, LinksStayOnTheirRowsThroughInsertsRemovalsAndSwaps)
{
    struct Case
    {
        const char* what;
        void (*change)(LTreeRowStore& rows);
        std::vector<int32_t> tags;
        std::vector<int32_t> parents;
    };
    const std::vector<Case> cases{
        {"a top-level row inserted inside P's subtree",
         [](LTreeRowStore& r) { r.InsertRow(1); },
         {0, 0, 1, 2, 3, 4},
         {-1, -1, 0, 2, -1, 4}},
        {"a row inserted at the end",
         [](LTreeRowStore& r) { r.InsertRow(5); },
         {0, 1, 2, 3, 4, 0},
         {-1, 0, 1, -1, 3, -1}},
        {"Q removed with R; T's link lowered by two",
         [](LTreeRowStore& r) { r.RemoveRow(1); },
         {0, 3, 4},
         {-1, -1, 1}},
        {"P removed with its whole subtree", [](LTreeRowStore& r) { r.RemoveRow(0); }, {3, 4}, {-1, 0}},
        {"a leaf removed", [](LTreeRowStore& r) { r.RemoveRow(4); }, {0, 1, 2, 3}, {-1, 0, 1, -1}},
        {"nothing removed past the end", [](LTreeRowStore& r) { r.RemoveRow(5); }, {0, 1, 2, 3, 4}, kTree},
        {"P and S swapped: their children follow",
         [](LTreeRowStore& r) { r.SwapRows(0, 3); },
         {3, 1, 2, 0, 4},
         {-1, 3, 1, -1, 0}},
        {"a parent swapped with its child",
         [](LTreeRowStore& r) { r.SwapRows(1, 2); },
         {0, 2, 1, 3, 4},
         {-1, 2, 0, -1, 3}},
    };
    for (const Case& c : cases)
    {
        LTreeRowStore rows;
        Build(rows, kTree);
        c.change(rows);
        EXPECT_EQ(Tags(rows), c.tags) << c.what;
        EXPECT_EQ(Parents(rows), c.parents) << c.what;
    }
}

TEST(TreeRowStoreTest, WalksFollowTheLinks)
{
    LTreeRowStore rows;
    Build(rows, kTree);
    struct Case
    {
        int32_t row;
        int32_t parent;
        int32_t depth;
        int32_t descendants;
    };
    for (const Case& c : {Case{0, -1, 0, 2}, Case{1, 0, 1, 1}, Case{2, 1, 2, 0}, Case{3, -1, 0, 1},
                          Case{4, 3, 1, 0}, Case{5, -1, 0, 0}, Case{-2, -1, 0, 0}})
    {
        EXPECT_EQ(rows.GetParent(c.row), c.parent) << c.row;
        EXPECT_EQ(rows.GetDepth(c.row), c.depth) << c.row;
        EXPECT_EQ(rows.GetDescendantCount(c.row), c.descendants) << c.row;
    }
    EXPECT_TRUE(rows.IsAncestor(0, 2));
    EXPECT_TRUE(rows.IsAncestor(1, 2));
    EXPECT_FALSE(rows.IsAncestor(2, 2)) << "a row is not its own ancestor";
    EXPECT_FALSE(rows.IsAncestor(2, 0));
    EXPECT_FALSE(rows.IsAncestor(0, 4));
    EXPECT_FALSE(rows.IsAncestor(0, 5));

    rows.Get(0).checked = true;
    EXPECT_TRUE(rows.AncestorsChecked(1));
    EXPECT_FALSE(rows.AncestorsChecked(2)) << "Q is not checked";
    EXPECT_FALSE(rows.AncestorsChecked(4));
    EXPECT_TRUE(rows.AncestorsChecked(3)) << "a top-level row has no ancestor";
}

TEST(TreeRowStoreTest, ABrokenLinkNeverLoops)
{
    LTreeRowStore rows;
    Build(rows, {1, 0, 1});
    EXPECT_EQ(rows.GetDepth(2), 3) << "bounded by the number of rows";
    EXPECT_FALSE(rows.IsAncestor(2, 0));
    EXPECT_FALSE(rows.AncestorsChecked(2));
}
} // namespace
} // namespace ZQ
