#include "ZQFramework/ControlBase/Control/LayoutEngine.h"
#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"

#include <climits>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

using namespace ZQ;
using Layout = LLayoutDescriptor;

namespace
{
// A parent of 200 x 100 whose client area starts at (2, 3) and is 180 x 90, with named siblings, a
// children extent per axis and a label measured by plain numbers.
class FakeContext : public ILayoutContext
{
public:
    struct Sibling
    {
        WString name;
        RectT<double> rect;
        bool xDocked = false;
        bool yDocked = false;
    };

    // Each text edge is Rel x size + Abs.
    struct Label
    {
        float leftRel = 0, rightRel = 1, topRel = 0, bottomRel = 1;
        float leftAbs = 4, rightAbs = -4, topAbs = 2, bottomAbs = -2;
        int32_t naturalWidth = 0;
        int32_t lineHeight = 10;
    };

    References references{{-2, -3, 200, 100}, {0, 0, 180, 90}, {0, 0}};
    bool hasReferences = true;
    std::vector<Sibling> siblings;
    bool hasChildren = false;
    double extent[2] = {0, 0};
    bool hasLabel = false;
    Label label;
    bool wrap = false;
    int32_t measuredAtWidth = -1;

    bool GetReferences(References& out) override
    {
        out = references;
        return hasReferences;
    }

    bool FindSibling(const WString& name, RectT<double>& rect, bool& xDocked, bool& yDocked) override
    {
        for (const Sibling& sibling : siblings)
            if (sibling.name == name)
            {
                rect = sibling.rect;
                xDocked = sibling.xDocked;
                yDocked = sibling.yDocked;
                return true;
            }
        return false;
    }

    bool HasChildren() override { return hasChildren; }
    double GetChildrenExtent(const WString&, int32_t axis) override { return extent[axis]; }

    bool GetTextArea(double width, double height, TextArea& area) override
    {
        if (!hasLabel)
            return false;
        const auto w = static_cast<float>(width), h = static_cast<float>(height);
        area.Width = (label.rightAbs + label.rightRel * w) - (label.leftAbs + label.leftRel * w);
        area.Height = (label.bottomAbs + label.bottomRel * h) - (label.topAbs + label.topRel * h);
        area.LeftFactor = label.leftRel;
        area.RightFactor = label.rightRel;
        area.TopFactor = label.topRel;
        area.BottomFactor = label.bottomRel;
        return true;
    }

    int32_t GetTextWidth() override { return label.naturalWidth; }

    int32_t GetTextHeight(int32_t width) override
    {
        measuredAtWidth = width;
        const int32_t lines = wrap && width > 0 ? (label.naturalWidth + width - 1) / width : 1;
        return lines * label.lineHeight;
    }

    void SetTextWrap(bool value) override { wrap = value; }
};

struct Case
{
    const char* name;
    std::function<void(Layout&, FakeContext&)> arrange;
    RectT<double> expected;
    ZQRESULT result = S_OK;
};

void RunCases(const std::vector<Case>& cases)
{
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const RCPtr<Layout> layout = Layout::Create();
        FakeContext context;
        c.arrange(*layout, context);
        const LayoutResult result = ComputeLayout(layout.Get(), context);
        EXPECT_TRUE(result.Placed);
        EXPECT_EQ(result.Result, c.result);
        EXPECT_EQ(result.Rect, c.expected);
    }
}

void PlaceX(Layout& layout, int32_t toControl, float rel, double abs, float anchor = 0)
{
    layout.mXPosition.ToControl = toControl;
    layout.mXPosition.Rel = rel;
    layout.mXPosition.Abs = abs;
    layout.mXPosition.Anchor = anchor;
}

void SizeX(Layout& layout, int32_t toControl, float rel, double abs, const char16_t* name = u"")
{
    layout.mXSize.ToControl = toControl;
    layout.mXSize.Rel = rel;
    layout.mXSize.Abs = abs;
    layout.mXSize.ReferenceName = name;
}
} // namespace

TEST(LayoutEngine, RoundsHalvesAwayFromZeroWithoutNegativeZero)
{
    const struct
    {
        double value, expected;
    } cases[] = {{2.5, 3}, {-2.5, -3}, {2.4999, 2}, {-2.4999, -2}, {-0.4, 0}, {-0.0, 0}, {7, 7}};
    for (const auto& c : cases)
    {
        const double rounded = RoundLayoutValue(c.value);
        EXPECT_EQ(rounded, c.expected) << c.value;
        EXPECT_FALSE(rounded == 0 && std::signbit(rounded)) << c.value;
    }
}

TEST(LayoutEngine, WithoutLayoutOrReferencesNothingIsPlaced)
{
    FakeContext context;
    LayoutResult result = ComputeLayout(nullptr, context);
    EXPECT_EQ(result.Result, E_INVALIDARG);
    EXPECT_FALSE(result.Placed);

    context.hasReferences = false;
    const RCPtr<Layout> layout = Layout::Create();
    result = ComputeLayout(layout.Get(), context);
    EXPECT_EQ(result.Result, E_FAIL);
    EXPECT_FALSE(result.Placed);
}

TEST(LayoutEngine, PositionAndSizeRulesGiveTheBaseRectangle)
{
    RunCases({
        {"a new layout is 16 x 40 at the client origin", [](Layout&, FakeContext&) {}, {0, 0, 16, 40}},
        {"parent position counts from the parent's origin",
         [](Layout& l, FakeContext&) { PlaceX(l, Layout::kPositionParent, 0.5f, 1); },
         {99, 0, 16, 40}},
        {"client size Rel 1 from position 10 ends at the client's right edge",
         [](Layout& l, FakeContext&)
         {
             PlaceX(l, Layout::kPositionClient, 0, 10);
             SizeX(l, Layout::kSizeClient, 1, 0);
         },
         {10, 0, 170, 40}},
        {"anchor 1 at the client's width with the edge at its start fills the client area",
         [](Layout& l, FakeContext&)
         {
             PlaceX(l, Layout::kPositionClient, 0, 180, 1);
             SizeX(l, Layout::kSizeClient, 0, 0);
         },
         {0, 0, 180, 40}},
        {"parent size Rel 1 reaches the parent's far edge",
         [](Layout& l, FakeContext&) { SizeX(l, Layout::kSizeParent, 1, 0); },
         {0, 0, 198, 40}},
        {"an edge on the anchored side gives size 0 at anchor 0",
         [](Layout& l, FakeContext&)
         {
             PlaceX(l, Layout::kPositionClient, 0, 50);
             SizeX(l, Layout::kSizeClient, 0, 0);
         },
         {50, 0, 0, 40}},
        {"an edge past the far side at anchor 1 gives size 0",
         [](Layout& l, FakeContext&)
         {
             PlaceX(l, Layout::kPositionClient, 0, 50, 1);
             SizeX(l, Layout::kSizeClient, 1, 0);
         },
         {50, 0, 0, 40}},
        {"anchor 0.5 centres on the position, the edge at 0.5 of the way",
         [](Layout& l, FakeContext&)
         {
             PlaceX(l, Layout::kPositionClient, 0, 100, 0.5f);
             SizeX(l, Layout::kSizeClient, 0, 140);
         },
         {60, 0, 80, 40}},
        {"a negative Self size gives 0", [](Layout& l, FakeContext&) { l.mXSize.Abs = -5; }, {0, 0, 0, 40}},
        {"half a pixel of a rule rounds away from zero, +2.5",
         [](Layout& l, FakeContext& c)
         {
             c.references.Client.width = 5;
             PlaceX(l, Layout::kPositionClient, 0.5f, 0);
         },
         {3, 0, 16, 40}},
        {"half a pixel of a rule rounds away from zero, -2.5",
         [](Layout& l, FakeContext& c)
         {
             c.references.Client.width = 5;
             PlaceX(l, Layout::kPositionClient, -0.5f, 0);
         },
         {-3, 0, 16, 40}},
        {"edges snap after the anchor: 92.5 to 107.5 gives 93 to 108",
         [](Layout& l, FakeContext&)
         {
             PlaceX(l, Layout::kPositionClient, 0, 100, 0.5f);
             l.mXSize.Abs = 15;
         },
         {93, 0, 15, 40}},
    });
}

TEST(LayoutEngine, SiblingRulesReadTheSiblingAsItIsSeen)
{
    const auto withSibling = [](FakeContext& c, bool docked)
    {
        c.references.Scroll = {0, 30};
        c.siblings.push_back({u"Title", {20, docked ? 35.0 : 5.0, 60, 10}, false, docked});
    };
    RunCases({
        {"below a sibling: Rel 1 of its height from its start",
         [&](Layout& l, FakeContext& c)
         {
             withSibling(c, false);
             l.mYPosition = {0, Layout::kPositionSibling, u"Title", 1, 2};
         },
         {0, 17, 16, 40}},
        {"below a docked sibling: its visible place, not its stored one",
         [&](Layout& l, FakeContext& c)
         {
             withSibling(c, true);
             l.mYPosition = {0, Layout::kPositionSibling, u"Title", 1, 2};
         },
         {0, 17, 16, 40}},
        {"a size edge at a sibling's far edge",
         [&](Layout& l, FakeContext& c)
         {
             withSibling(c, false);
             SizeX(l, Layout::kSizeSibling, 1, 0, u"Title");
         },
         {0, 0, 80, 40}},
        {"an unknown sibling counts as size 0 at 0",
         [](Layout& l, FakeContext&)
         {
             l.mXPosition = {0, Layout::kPositionSibling, u"Missing", 1, 7};
             SizeX(l, Layout::kSizeSibling, 1, 50, u"Missing");
         },
         {7, 0, 43, 40}},
    });
}

TEST(LayoutEngine, DockedAxisKeepsItsPlaceUnderScrolling)
{
    for (const double scroll : {0.0, 30.0, -12.0})
    {
        SCOPED_TRACE(scroll);
        const RCPtr<Layout> layout = Layout::Create();
        layout->mYDocked = true;
        layout->mYPosition.Abs = 5;
        FakeContext context;
        context.references.Scroll = {7, scroll};
        const LayoutResult result = ComputeLayout(layout.Get(), context);
        // Stored in content coordinates: once the scroll offset is taken off, it stands at 5. The
        // undocked X axis does not follow.
        EXPECT_EQ(result.Rect, (RectT<double>{0, 5 + scroll, 16, 40}));
    }
}

TEST(LayoutEngine, SelfLimitsKeepTheAnchorPoint)
{
    RunCases({
        {"minimum 42 at anchor 0.5 grows both ways",
         [](Layout& l, FakeContext&)
         {
             PlaceX(l, Layout::kPositionClient, 0, 100, 0.5f);
             l.mXMinimum.Abs = 42;
         },
         {79, 0, 42, 40}},
        {"minimum 42 at anchor 0.5 from an odd size rounds the move",
         [](Layout& l, FakeContext&)
         {
             PlaceX(l, Layout::kPositionClient, 0, 100, 0.5f);
             l.mXSize.Abs = 15;
             l.mXMinimum.Abs = 42;
         },
         {79, 0, 42, 40}},
        {"a minimum below the size changes nothing",
         [](Layout& l, FakeContext&) { l.mXMinimum.Abs = 10; },
         {0, 0, 16, 40}},
        {"maximum 0 never limits", [](Layout& l, FakeContext&) { l.mXSize.Abs = 5000; }, {0, 0, 5000, 40}},
        {"maximum 100 at anchor 0.5 shrinks towards the middle",
         [](Layout& l, FakeContext&)
         {
             PlaceX(l, Layout::kPositionClient, 0, 150, 0.5f);
             l.mXSize.Abs = 300;
             l.mXMaximum.Abs = 100;
         },
         {100, 0, 100, 40}},
        {"the maximum wins over a larger minimum",
         [](Layout& l, FakeContext&)
         {
             l.mXMinimum.Abs = 90;
             l.mXMaximum.Abs = 60;
         },
         {0, 0, 60, 40}},
    });
}

TEST(LayoutEngine, TheBaseRectangleIsWhereThePositionAndSizeRulesAlonePutTheControl)
{
    struct BaseCase
    {
        const char* name;
        std::function<void(Layout&)> arrange;
        RectT<double> base;
        RectT<double> rect;
    };
    const std::vector<BaseCase> cases{
        {"a minimum grows it",
         [](Layout& l)
         {
             PlaceX(l, Layout::kPositionClient, 0, 100, 0.5f);
             l.mXMinimum.Abs = 42;
         },
         {92, 0, 16, 40},
         {79, 0, 42, 40}},
        {"a maximum shrinks it",
         [](Layout& l)
         {
             l.mXSize.Abs = 300;
             l.mYMaximum.Abs = 30;
         },
         {0, 0, 300, 40},
         {0, 0, 300, 30}},
    };
    for (const BaseCase& c : cases)
    {
        const RCPtr<Layout> layout = Layout::Create();
        c.arrange(*layout);
        FakeContext context;
        const LayoutResult result = ComputeLayout(layout.Get(), context);
        EXPECT_EQ(result.Base, c.base) << c.name;
        EXPECT_EQ(result.Rect, c.rect) << c.name;
    }
}

TEST(LayoutEngine, ChildrenLimitsReachTheExtentOrFail)
{
    const auto children = [](Layout& l, FakeContext& c, double extent, float anchor, float rel, double abs)
    {
        c.hasChildren = true;
        c.extent[0] = extent;
        PlaceX(l, Layout::kPositionClient, 0, 100, anchor);
        l.mXMinimum = {true, u"Children", rel, abs};
    };
    RunCases({
        {"anchor 0 grows to the extent",
         [&](Layout& l, FakeContext& c) { children(l, c, 100, 0, 1, 0); },
         {100, 0, 100, 40}},
        {"anchor 0.5 grows both ways around the anchor point",
         [&](Layout& l, FakeContext& c) { children(l, c, 100, 0.5f, 1, 0); },
         {50, 0, 100, 40}},
        {"Abs moves the edge",
         [&](Layout& l, FakeContext& c) { children(l, c, 100, 0, 1, 6); },
         {100, 0, 106, 40}},
        {"an extent within the control changes nothing",
         [&](Layout& l, FakeContext& c) { children(l, c, 10, 0, 1, 0); },
         {100, 0, 16, 40}},
        {"extent 0 (no clipped child) changes nothing",
         [&](Layout& l, FakeContext& c) { children(l, c, 0, 0, 1, 0); },
         {100, 0, 16, 40}},
        {"without children the rule is skipped",
         [&](Layout& l, FakeContext& c)
         {
             children(l, c, 100, 0, 1, 0);
             c.hasChildren = false;
         },
         {100, 0, 16, 40}},
        {"an edge beyond the end needs an anchor below 1",
         [&](Layout& l, FakeContext& c) { children(l, c, 100, 1, 2, 0); },
         {84, 0, 16, 40},
         E_FAIL},
        {"an edge before the start grows backwards at anchor 0.5",
         [&](Layout& l, FakeContext& c) { children(l, c, 100, 0.5f, 0, -50); },
         {0, 0, 200, 40}},
        {"an edge before the start needs an anchor above 0",
         [&](Layout& l, FakeContext& c) { children(l, c, 100, 0, 0, -150); },
         {100, 0, 16, 40},
         E_FAIL},
        {"a maximum cuts the control back to the extent",
         [](Layout& l, FakeContext& c)
         {
             c.hasChildren = true;
             c.extent[0] = 50;
             l.mXSize.Abs = 200;
             l.mXMaximum = {true, u"Children", 1, 0};
         },
         {0, 0, 50, 40}},
        {"a maximum at anchor 0.5 moves by half the overshoot and ends at the edge",
         [](Layout& l, FakeContext& c)
         {
             c.hasChildren = true;
             c.extent[0] = 50;
             PlaceX(l, Layout::kPositionClient, 0, 100, 0.5f);
             l.mXSize.Abs = 200;
             l.mXMaximum = {true, u"Children", 1, 0};
         },
         {38, 0, 87, 40}}, // the edge at size 50 around the anchor point is 125
    });
}

TEST(LayoutEngine, ExpandingLabelWidensToItsTextThenWraps)
{
    const auto label = [](Layout& l, FakeContext& c, int32_t textWidth)
    {
        c.hasLabel = true;
        c.label.naturalWidth = textWidth;
        c.wrap = true;
        l.mTextOverflowX = Layout::kOverflowExpand;
        l.mXSize.Abs = 20; // text area 12 wide
    };
    struct ExpandCase
    {
        Case layoutCase;
        bool wraps;
    };
    const std::vector<ExpandCase> cases = {
        {{"a fitting text keeps the size",
          [&](Layout& l, FakeContext& c) { label(l, c, 12); },
          {0, 0, 20, 40}},
         false},
        {{"a longer text widens the control so that it fits",
          [&](Layout& l, FakeContext& c) { label(l, c, 50); },
          {0, 0, 58, 40}},
         false},
        {{"half of the growth reaches a text area of factor 0.5",
          [&](Layout& l, FakeContext& c)
          {
              label(l, c, 50);
              c.label.leftRel = 0.25f;
              c.label.rightRel = 0.75f;
              c.label.leftAbs = c.label.rightAbs = 0; // area 10 wide
          },
          {0, 0, 100, 40}},
         false},
        {{"never beyond a positive maximum, and then wraps",
          [&](Layout& l, FakeContext& c)
          {
              label(l, c, 50);
              l.mXMaximum.Abs = 40;
          },
          {0, 0, 40, 40}},
         true},
        {{"a fixed text area cannot widen: the size stays",
          [&](Layout& l, FakeContext& c)
          {
              label(l, c, 50);
              c.label.leftRel = c.label.rightRel = 0;
              c.label.rightAbs = 12;
          },
          {0, 0, 20, 40}},
         false},
        {{"a vanishing factor widens as far as 32 bits go",
          [&](Layout& l, FakeContext& c)
          {
              label(l, c, 50);
              c.label.rightRel = 1e-12f;
              c.label.leftRel = 0;
              c.label.rightAbs = 12;
          },
          {0, 0, 20.0 + INT32_MAX, 40}},
         false},
        {{"Wrap never changes the width",
          [&](Layout& l, FakeContext& c)
          {
              label(l, c, 50);
              l.mTextOverflowX = Layout::kOverflowWrap;
          },
          {0, 0, 20, 40}},
         true},
        {{"Clip ignores the label",
          [&](Layout& l, FakeContext& c)
          {
              label(l, c, 50);
              l.mTextOverflowX = Layout::kOverflowClip;
          },
          {0, 0, 20, 40}},
         true},
    };
    for (const ExpandCase& c : cases)
    {
        SCOPED_TRACE(c.layoutCase.name);
        const RCPtr<Layout> layout = Layout::Create();
        FakeContext context;
        c.layoutCase.arrange(*layout, context);
        const LayoutResult result = ComputeLayout(layout.Get(), context);
        EXPECT_EQ(result.Rect, c.layoutCase.expected);
        EXPECT_EQ(context.wrap, c.wraps);
    }
}

TEST(LayoutEngine, ExpandingLabelGrowsInHeightAtTheWidthItGot)
{
    const RCPtr<Layout> layout = Layout::Create();
    layout->mTextOverflowX = Layout::kOverflowExpand;
    layout->mTextOverflowY = Layout::kOverflowExpand;
    layout->mXSize.Abs = 20;
    layout->mYSize.Abs = 14; // text area 10 high: one line
    layout->mXMaximum.Abs = 40;
    FakeContext context;
    context.hasLabel = true;
    context.label.naturalWidth = 100;

    const LayoutResult result = ComputeLayout(layout.Get(), context);
    // Capped at 40 wide, the text wraps in a 32-wide area to four lines of 10: 30 more pixels of height.
    EXPECT_EQ(context.measuredAtWidth, 32);
    EXPECT_EQ(result.Rect, (RectT<double>{0, 0, 40, 44}));
}

TEST(LayoutEngine, ChildrenExtentCountsClippedChildrenPlusTheFarMargin)
{
    const std::vector<ChildSpan> children = {{10, 30, true}, {50, 20, false}, {0, 45, true}};
    const auto childAt = [&](int32_t index) { return children[index]; };
    const ChildrenExtentFrame frame{2, 5, 3}; // client starts at 2, scrolled by 5, 3 of margin beyond
    const struct
    {
        int32_t first, last;
        double expected;
    } cases[] = {
        {0, 2, 2 + 0 - 5 + 45 + 3.0},  // the unclipped child is left out
        {1, 1, 2 + 50 - 5 + 20 + 3.0}, // a single child counts even unclipped
        {0, 1, 2 + 10 - 5 + 30 + 3.0}, {2, 1, 0}, {-1, 2, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ComputeChildrenExtent(c.first, c.last, frame, childAt), c.expected)
            << c.first << ".." << c.last;

    // Only unclipped children, or children scrolled out of sight: no extent, and no margin either.
    const std::vector<ChildSpan> hidden = {{0, 10, true}, {50, 20, false}};
    EXPECT_EQ(
        ComputeChildrenExtent(0, 1, ChildrenExtentFrame{0, 10, 3}, [&](int32_t i) { return hidden[i]; }), 0);
}
