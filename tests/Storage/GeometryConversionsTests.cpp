#include "ZQFramework/Utilities/Graphics/Point.h"
#include "ZQFramework/Utilities/Graphics/Rect.h"
#include "ZQFramework/Utilities/Graphics/Region.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace
{
using ZQ::PointT;
using ZQ::RectT;

TEST(GeometryConversions, RoundToLongRoundsHalvesAwayAndSaturates)
{
    struct Case
    {
        double value;
        int32_t expected;
    };
    const Case cases[] = {
        {2.5, 3},
        {-2.5, -3},
        {2.4, 2},
        {-2.4, -2},
        {0.5, 1},
        {-0.5, -1},
        {0.49999999999999994, 1},
        {-0.0, 0},
        {2147483647.6, 2147483647},
        {-2147483648.6, -2147483647 - 1},
        {1e10, 2147483647},
        {std::numeric_limits<double>::quiet_NaN(), -2147483647 - 1},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(PointT<double>(c.value, 0).RoundToLong().x, c.expected) << c.value;
        EXPECT_EQ(RectT<double>(0, 0, 0, c.value).RoundToLong().height, c.expected) << c.value;
    }
    EXPECT_EQ(PointT<double>(std::nan(""), 1e10).RoundToLong(),
              (PointT<int32_t>(-2147483647 - 1, 2147483647)));
}

TEST(GeometryConversions, TruncateToLongCutsTowardZeroAndSaturates)
{
    struct Case
    {
        double value;
        int32_t expected;
    };
    const Case cases[] = {
        {4.8, 4},
        {-4.8, -4},
        {-0.0, 0},
        {2147483647.9, 2147483647},
        {-2147483648.9, -2147483647 - 1},
        {-1e10, -2147483647 - 1},
        {std::numeric_limits<double>::quiet_NaN(), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ZQ::TruncateToLong(c.value), c.expected) << c.value;
}

TEST(GeometryConversions, RectRoundsSizeOnItsOwnAndWidensExactly)
{
    EXPECT_EQ(RectT<double>(0.5, -2.5, 0.5, 2.4).RoundToLong(), (RectT<int32_t>(1, -3, 1, 2)));
    EXPECT_EQ(RectT<int32_t>(-2147483647 - 1, 2147483647, 3, -4).ToDouble(),
              (RectT<double>(-2147483648.0, 2147483647.0, 3, -4)));
    EXPECT_EQ(PointT<int32_t>(7, -8).ToDouble(), (PointT<double>(7.0, -8.0)));
}

TEST(GeometryConversions, IntegerPointPlusDoublePointRoundsTheOffset)
{
    EXPECT_EQ(PointT<int32_t>(10, 20) + PointT<double>(0.5, -0.5), (PointT<int32_t>(11, 19)));
    EXPECT_EQ(PointT<int32_t>(10, 20) + PointT<double>(-2.4, 2.5), (PointT<int32_t>(8, 23)));
}

TEST(GeometryConversions, TolerantFloorTable)
{
    struct Case
    {
        double value;
        double expected;
    };
    const Case cases[] = {
        {2.5, 2},
        {-2.5, -3},
        {-2.4, -3},
        {3.0, 3},
        {-2.0, -2},
        {2.9999999999999996, 3},
        {2.999999, 2},
        {-2.0000000000000004, -3},
        // Whole numbers stay as they are, also where doubles lie a whole unit apart.
        {4503599627370495.0, 4503599627370495.0},
        {4503599627370496.0, 4503599627370496.0},
        {9007199254740992.0, 9007199254740992.0},
        {-4503599627370496.0, -4503599627370496.0},
        {-9007199254740994.0, -9007199254740994.0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ZQ::TolerantFloor(c.value), c.expected) << c.value;
}

TEST(GeometryConversions, NormalizeAndFloor)
{
    struct Case
    {
        RectT<double> in;
        RectT<double> expected;
    };
    const double big = 2251799813685247.0; // 2^51 - 1
    const Case cases[] = {
        {{1.5, 0, 2.0, 1}, {1, 0, 2, 1}},
        {{3, 0, -2.5, 1}, {0, 0, 3, 1}},
        {{3, 3, -2.5, -2.5}, {0, 0, 3, 3}},
        {{-7, big - 5, 5, 5}, {-7, big - 5, 5, 5}},
        {{4503599627370496.0, 0, 0, 0}, {4503599627370496.0, 0, 0, 0}}, // 2^52 is already whole
    };
    for (const Case& c : cases)
    {
        RectT<double> r = c.in;
        r.NormalizeAndFloor();
        EXPECT_EQ(r, c.expected) << c.in.x << "," << c.in.y << "," << c.in.width << "," << c.in.height;
    }
}

TEST(GeometryConversions, RegionAddRectRoundsByAddingOneHalf)
{
    struct Case
    {
        RectT<double> in;
        ZQ::Region::Edges expected;
    };
    const Case cases[] = {
        {{1.5, 2.5, 3.5, 4.5}, {2, 3, 6, 8}},
        {{-2.5, -2.4, 2.0, 2.0}, {-2, -1, 0, 1}},
        {{-2.0, 0, 1, 1}, {-1, 0, 0, 1}},
    };
    for (const Case& c : cases)
    {
        ZQ::Region region;
        region.AddRect(c.in);
        ZQ::Region::Edges bounds;
        ASSERT_TRUE(region.GetBounds(bounds));
        EXPECT_EQ(bounds, c.expected);
        EXPECT_EQ(region.GetRectCount(), 1u);
    }
    ZQ::Region region;
    region.AddRect(RectT<double>(0.4, 0.6, 9.5, 0.4)); // (0, 1, 10, 1) is empty
    EXPECT_TRUE(region.IsEmpty());
}
} // namespace
