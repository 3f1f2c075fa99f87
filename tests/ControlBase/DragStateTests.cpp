#include "ZQFramework/ControlBase/Control/DragState.h"

#include <gtest/gtest.h>

using namespace ZQ;

namespace
{
// A control 40 x 20 whose placement rules are at (100, 50) with a size of 40 x 20, pressed at press in
// the parent's content, under a parent scrolled by parentScroll.
void Start(DragState& drag, DragMode mode, uint32_t flags, PointT<double> press = {110, 60},
           PointT<double> parentScroll = {})
{
    drag.SetMode(static_cast<int32_t>(mode), flags);
    drag.Press(press);
    DragState::Placement placement;
    placement.XPosition.Abs = 100;
    placement.YPosition.Abs = 50;
    placement.XSize.Abs = 40;
    placement.YSize.Abs = 20;
    drag.RecordStart({40, 20}, parentScroll, placement);
}

DragState::Placement Unplaced()
{
    return {};
}

constexpr uint32_t kBoth = DragState::kMoveX | DragState::kMoveY;
} // namespace

TEST(DragStateTests, ModesKeepTheirNumbersAndOnlyDraggingModesDrag)
{
    DragState drag;
    for (const int32_t mode : {0, 7, -1})
    {
        drag.SetMode(mode, 0);
        EXPECT_FALSE(drag.IsDragging()) << mode;
    }
    drag.SetMode(6, 0);
    EXPECT_TRUE(drag.Is(DragMode::Pan));
    EXPECT_TRUE(drag.IsDragging());
    drag.ClearMode();
    EXPECT_FALSE(drag.HasMode());
}

TEST(DragStateTests, ThresholdCountsTheLargerAxisFromThePressInControlCoordinates)
{
    DragState drag;
    drag.Press({110, 60});
    const PointT<double> origin{100, 50};
    EXPECT_EQ(drag.PressInControl(origin), (PointT<int32_t>{10, 10}));
    EXPECT_TRUE(drag.PassesThreshold(11, 10, origin));
    EXPECT_FALSE(drag.PassesThreshold(10, 10, origin));
    ASSERT_EQ(drag.SetThreshold(5), 0);
    EXPECT_FALSE(drag.PassesThreshold(14, 6, origin));
    EXPECT_TRUE(drag.PassesThreshold(10, 15, origin));
    EXPECT_EQ(drag.SetThreshold(-1), E_INVALIDARG);
    EXPECT_EQ(drag.GetThreshold(), 5);
}

TEST(DragStateTests, PlaceMovesOrResizesTheFlaggedRulesFromTheStart)
{
    struct Case
    {
        const char* name;
        DragMode mode;
        uint32_t flags;
        double x, y, width, height;
    };
    const Case cases[] = {
        {"move both", DragMode::Move, kBoth, 107, 47, 0, 0},
        {"move X only", DragMode::MoveScrolling, DragState::kMoveX, 107, 0, 0, 0},
        {"right and bottom edges", DragMode::Resize, DragState::kRightEdge | DragState::kBottomEdge, 0, 0, 47,
         17},
        {"left and top edges", DragMode::ResizeScrolling, DragState::kLeftEdge | DragState::kTopEdge, 107, 47,
         33, 23},
    };
    for (const Case& c : cases)
    {
        DragState drag;
        Start(drag, c.mode, c.flags);
        const DragState::Placement placed = drag.Place({7, -3}, Unplaced(), {});
        EXPECT_EQ(placed.XPosition.Abs, c.x) << c.name;
        EXPECT_EQ(placed.YPosition.Abs, c.y) << c.name;
        EXPECT_EQ(placed.XSize.Abs, c.width) << c.name;
        EXPECT_EQ(placed.YSize.Abs, c.height) << c.name;
        EXPECT_EQ(drag.GetDisplacement(), (PointT<double>{7, -3})) << c.name;
    }
}

TEST(DragStateTests, DockedPositionSubtractsTheParentsScrollSinceTheStart)
{
    DragState drag;
    Start(drag, DragMode::Move, kBoth, {110, 60}, {0, 10});
    DragState::Placement placement;
    placement.YPosition.Docked = true;
    const DragState::Placement placed = drag.Place({0, 5}, placement, {0, 25});
    EXPECT_EQ(placed.XPosition.Abs, 100);
    EXPECT_EQ(placed.YPosition.Abs, 50 + 5 - 15);
}

TEST(DragStateTests, MoveOriginToPointerMeasuresFromWhereThePointerIs)
{
    DragState drag;
    Start(drag, DragMode::Move, kBoth);
    (void)drag.Place({7, -3}, Unplaced(), {});
    drag.MoveOriginToPointer();
    EXPECT_EQ(drag.GetPressPoint(), (PointT<double>{117, 57}));
    EXPECT_EQ(drag.GetDisplacement(), (PointT<double>{}));
    EXPECT_EQ(drag.DisplacementTo({120, 50}), (PointT<double>{3, -7}));
}

TEST(DragStateTests, LimitKeepsThePointerInsideAndAResizeAtOnePixel)
{
    const RectT<double> visible{0, 0, 200, 100};
    DragState move;
    Start(move, DragMode::Move, kBoth);
    PointT<double> displacement{500, -500};
    DragState::EdgeDepth edges;
    move.LimitDisplacement(displacement, visible, visible, edges);
    EXPECT_EQ(displacement, (PointT<double>{90, -60}));
    // Only the edge-scrolling modes measure the margins.
    EXPECT_EQ(edges.Depth[0], -1);
    EXPECT_EQ(edges.Depth[1], -1);

    DragState resize;
    Start(resize, DragMode::Resize, DragState::kRightEdge | DragState::kTopEdge);
    displacement = {-100, 100};
    resize.LimitDisplacement(displacement, visible, visible, edges);
    EXPECT_EQ(displacement, (PointT<double>{-39, 19}));
}

TEST(DragStateTests, EdgeScrollingMeasuresTheDepthIntoTheNearerMargin)
{
    const RectT<double> visible{0, 0, 200, 100};
    DragState drag;
    Start(drag, DragMode::MoveScrolling, kBoth);
    PointT<double> displacement{85, -55}; // the pointer at (195, 5)
    DragState::EdgeDepth edges;
    drag.LimitDisplacement(displacement, visible, visible, edges);
    EXPECT_EQ(edges.Depth[0], 195 - 170);
    EXPECT_FALSE(edges.TowardStart[0]);
    EXPECT_EQ(edges.Depth[1], 30 - 5);
    EXPECT_TRUE(edges.TowardStart[1]);

    // Limits reaching 10 pixels beyond the visible area shrink the margin by as much.
    DragState::EdgeDepth wider;
    displacement = {85, -55};
    drag.LimitDisplacement(displacement, visible, {-10, -10, 220, 120}, wider);
    EXPECT_EQ(wider.Depth[0], 195 - 180);
    EXPECT_EQ(wider.Depth[1], 20 - 5);
}

TEST(DragStateTests, PanMovesTheOffsetAgainstThePointerAndMeasuresItsSpeed)
{
    DragState drag;
    Start(drag, DragMode::Pan, DragState::kMoveY);
    drag.BeginMeasure(1000);
    drag.FinishMove();
    drag.NoteMove(1010);
    PointT<double> offset{5, 50};
    EXPECT_TRUE(drag.Pan({-20, -20}, {0, 0, 100, 60}, offset));
    drag.FinishMove();
    // Only Y is flagged, and the range stops it at 60.
    EXPECT_EQ(offset, (PointT<double>{5, 60}));

    // Released within 100 ms of the last move at 2000 pixels per second: Y keeps that speed.
    const PointT<double> kept = drag.Release(1050);
    EXPECT_EQ(kept.x, 0);
    EXPECT_EQ(kept.y, 2000);
    EXPECT_FALSE(drag.CoastOver(2050));
    EXPECT_TRUE(drag.CoastOver(2051));
}

TEST(DragStateTests, LateOrSlowReleaseKeepsNoSpeed)
{
    DragState drag;
    Start(drag, DragMode::Pan, kBoth);
    drag.BeginMeasure(1000);
    drag.FinishMove();
    drag.NoteMove(1100);
    PointT<double> offset{};
    (void)drag.Pan({-50, -5}, {0, 0, 1000, 1000}, offset);
    drag.FinishMove();
    EXPECT_EQ(offset, (PointT<double>{50, 5}));
    // 500 pixels per second on X, 50 on Y: both below the coasting speed.
    const PointT<double> slow = drag.Release(1110);
    EXPECT_EQ(slow, (PointT<double>{}));
    EXPECT_EQ(drag.Release(1200), (PointT<double>{}));
}
