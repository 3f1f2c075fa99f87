#include "ZQFramework/Utilities/Graphics/Point.h"
#include "ZQFramework/Utilities/Graphics/Region.h"

#include <gtest/gtest.h>
#include <random>
#include <thread>
#include <vector>

namespace
{
using ZQ::Region;
using Edges = Region::Edges;

// The least an array must offer to receive a region's rectangles.
struct RectList
{
    std::vector<ZQ::RectT<int32_t>> items;
    void RemoveAll() { items.clear(); }
    void Add(const ZQ::RectT<int32_t>& rect) { items.push_back(rect); }
};

constexpr int GridSize = 24;

// How many of the region's rectangles cover each pixel of a small grid; a value above 1 is an overlap.
std::vector<int> Coverage(const Region& region)
{
    RectList list;
    region.ToArray(list);
    std::vector<int> grid(GridSize * GridSize, 0);
    for (const auto& r : list.items)
    {
        EXPECT_GT(r.width, 0);
        EXPECT_GT(r.height, 0);
        for (int y = r.y; y < r.y + r.height; ++y)
            for (int x = r.x; x < r.x + r.width; ++x)
                ++grid[y * GridSize + x];
    }
    return grid;
}

std::vector<int> Pixels(const std::vector<Edges>& rects)
{
    std::vector<int> grid(GridSize * GridSize, 0);
    for (const Edges& r : rects)
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                grid[y * GridSize + x] = 1;
    return grid;
}

TEST(Region, AddKeepsRectanglesApartAndCoversTheUnion)
{
    Region region;
    region.AddRect(2, 2, 6, 6);
    region.AddRect(0, 0, 10, 10);
    EXPECT_EQ(region.GetRectCount(), 1u);

    Region overlapping;
    overlapping.AddRect(0, 0, 6, 6);
    overlapping.AddRect(3, 3, 9, 9);
    overlapping.AddRect(5, 0, 7, 12);
    overlapping.AddRect(4, 4, 4, 9); // empty: ignored
    EXPECT_EQ(Coverage(overlapping), Pixels({{0, 0, 6, 6}, {3, 3, 9, 9}, {5, 0, 7, 12}}));
}

TEST(Region, SubtractFromTheMiddleLeavesFourPiecesAndHandsOverTheOverlap)
{
    Region region;
    region.AddRect(0, 0, 10, 10);
    Region removed;
    region.SubtractRect(3, 4, 6, 8, &removed);
    RectList list;
    region.ToArray(list);
    // Pieces are pushed at the head in the order above, below, left, right.
    const std::vector<ZQ::RectT<int32_t>> expected = {
        {6, 4, 4, 4}, {0, 4, 3, 4}, {0, 8, 10, 2}, {0, 0, 10, 4}};
    EXPECT_EQ(list.items, expected);
    removed.ToArray(list);
    EXPECT_EQ(list.items, (std::vector<ZQ::RectT<int32_t>>{{3, 4, 3, 4}}));

    region.SubtractRect(20, 20, 30, 30); // no overlap: nothing changes
    EXPECT_EQ(region.GetRectCount(), 4u);
}

TEST(Region, IntersectKeepsTheCommonArea)
{
    Region a;
    a.AddRect(0, 0, 8, 8);
    a.AddRect(10, 10, 14, 14);
    Region b;
    b.AddRect(4, 4, 12, 12);
    a.Intersect(b);
    EXPECT_EQ(Coverage(a), Pixels({{4, 4, 8, 8}, {10, 10, 12, 12}}));

    a.Intersect(a);
    EXPECT_EQ(Coverage(a), Pixels({{4, 4, 8, 8}, {10, 10, 12, 12}}));

    Region other;
    other.AddRect(1, 1, 3, 3);
    other.SubtractRegion(other);
    EXPECT_TRUE(other.IsEmpty());
}

TEST(Region, BoundsOffsetAndIntersectionTests)
{
    Region region;
    Edges bounds{1, 2, 3, 4};
    EXPECT_FALSE(region.GetBounds(bounds));
    EXPECT_EQ(bounds, Edges{});

    region.AddRect(2, 3, 5, 6);
    region.AddRect(8, 1, 9, 4);
    region.Offset(0, 0);
    ASSERT_TRUE(region.GetBounds(bounds));
    EXPECT_EQ(bounds, (Edges{2, 1, 9, 6}));
    region.Offset(-2, 10);
    ASSERT_TRUE(region.GetBounds(bounds));
    EXPECT_EQ(bounds, (Edges{0, 11, 7, 16}));

    EXPECT_TRUE(region.IntersectsRect(6, 11, 7, 12));
    EXPECT_FALSE(region.IntersectsRect(3, 11, 6, 13)); // touches the edges only
    // Shifted by the point and rounded half away from zero: 5.6..6.5 becomes 6..7, which overlaps.
    EXPECT_TRUE(region.IntersectsRect(ZQ::RectT<double>(0.6, 0, 0.9, 2), ZQ::PointT<double>(5, 11)));
    EXPECT_FALSE(region.IntersectsRect(ZQ::RectT<double>(0, 0, 1e-17, 100), ZQ::PointT<double>(0, 0)));
    EXPECT_FALSE(region.IntersectsRect(ZQ::RectT<double>(-50, 0, 40, 100), ZQ::PointT<double>(0, 0)));
}

TEST(Region, OptimizeJoinsNeighboursAndKeepsThePixels)
{
    Region sideBySide;
    sideBySide.AddRect(0, 0, 4, 5);
    sideBySide.AddRect(4, 0, 9, 5);
    sideBySide.Optimize();
    EXPECT_EQ(sideBySide.GetRectCount(), 1u);

    Region stacked;
    stacked.AddRect(2, 0, 6, 3);
    stacked.AddRect(2, 3, 6, 8);
    stacked.Optimize();
    RectList list;
    stacked.ToArray(list);
    EXPECT_EQ(list.items, (std::vector<ZQ::RectT<int32_t>>{{2, 0, 4, 8}}));

    std::mt19937 random(7);
    for (int round = 0; round < 50; ++round)
    {
        Region region;
        std::vector<Edges> added;
        for (int i = 0; i < 6; ++i)
        {
            const int left = static_cast<int>(random() % 20), top = static_cast<int>(random() % 20);
            const Edges e{left, top, left + 1 + static_cast<int>(random() % 4),
                          top + 1 + static_cast<int>(random() % 4)};
            region.AddRect(e.left, e.top, e.right, e.bottom);
            added.push_back(e);
        }
        region.Optimize();
        EXPECT_EQ(Coverage(region), Pixels(added)) << "round " << round;
    }
}

TEST(Region, CopiesAreIndependentAndNodesBeyondThePoolComeFromTheHeap)
{
    const uint32_t baseline = Region::GetNodesInUse();
    {
        Region many;
        for (int i = 0; i < 700; ++i)
            many.AddRect(i * 2, 0, i * 2 + 1, 1);
        EXPECT_EQ(many.GetRectCount(), 700u);
        EXPECT_EQ(Region::GetNodesInUse(), baseline + 700);

        Region copy(many);
        copy.Offset(1, 0);
        many.Clear();
        EXPECT_EQ(copy.GetRectCount(), 700u);
        EXPECT_TRUE(copy.IntersectsRect(1, 0, 2, 1));
        Region moved(std::move(copy));
        EXPECT_EQ(moved.GetRectCount(), 700u);
    }
    EXPECT_EQ(Region::GetNodesInUse(), baseline);
}

TEST(RegionConcurrency, ThreadsShareTheNodePoolWithoutLosingNodes)
{
    const uint32_t baseline = Region::GetNodesInUse();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
    {
        threads.emplace_back(
            [t]
            {
                for (int round = 0; round < 200; ++round)
                {
                    Region region;
                    for (int i = 0; i < 200; ++i)
                        region.AddRect(i, t, i + 2, t + 2); // overlapping: nodes are split and returned
                    region.Optimize();
                    EXPECT_EQ(region.GetRectCount(), 1u);
                }
            });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(Region::GetNodesInUse(), baseline);
}
} // namespace
