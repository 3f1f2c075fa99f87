#include "ControlBase/FilledTree.h"
#include "Support/StringPrinting.h"

#include "ZQFramework/Utilities/Graphics/Color.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ZQ
{
namespace
{
using FilledTree::TreeTest;
using ZQTest::TestControl;
using Layout = LLayoutDescriptor;
using Lines = std::vector<std::string>;

// A control whose own content is a line and whose overlay is a rectangle, so that the recording shows
// when and under which clip each is drawn; it floats above its parent, and its opacity and scroll offset
// can be set.
class Canvas : public LControl
{
public:
    static RCPtr<Canvas> Create(const RCPtr<LControl>& parent, const WString& name, const RectT<double>& rect)
    {
        RCPtr<Canvas> canvas(new Canvas(parent, name));
        const RCPtr<Layout> layout = Layout::Create();
        layout->mXPosition.Abs = rect.x;
        layout->mYPosition.Abs = rect.y;
        layout->mXSize.Abs = rect.width;
        layout->mYSize.Abs = rect.height;
        layout->mClipToParent = false;
        canvas->SetLayoutCopy(*layout);
        (void)canvas->UpdateLayout();
        return canvas;
    }

    void SetOpacity(float opacity) { mOpacity = opacity; }
    void ScrollTo(const PointT<double>& offset) { mScrollOffset = offset; }

    void DrawContent(const RCPtr<LRenderer>& renderer) override
    {
        renderer->DrawLine({0, 0}, {1, 1}, Color(0xFF000000u), 1);
    }
    void DrawOverlay(const RCPtr<LRenderer>& renderer) override
    {
        renderer->DrawRect({0, 0, 1, 1}, Color(0xFF000000u), 1);
    }

private:
    Canvas(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}
};

void Unclipped(Layout& layout)
{
    layout.mClipToParent = false;
}

using ControlDrawingTest = TreeTest;

TEST_F(ControlDrawingTest, ChildrenAreDrawnOnceForEveryLookWithThatLooksOpacityAndClientArea)
{
    const auto top = MakeTop();
    (void)top->SetLookOpacity(0, 0.5f, false);
    AddLook(top, "inset", 0.5f, 10);
    const auto child = Add(top, u"child", {0, 0, 20, 20});
    AddLook(child, "child", 1);
    // Handed back by the child once for each look of the top control, drawn once.
    AddLook(Add(child, u"float", {5, 5, 10, 10}, Unclipped), "float", 1);

    EXPECT_EQ(Paint(), (Lines{
                           "top | origin=(0,0) clip=(0,0,400,300) opacity=0.5",
                           "inset | origin=(10,10) clip=(0,0,380,280) opacity=0.5",
                           "inset.frame | origin=(0,0) clip=(0,0,10,300) opacity=0.5",
                           "child | origin=(0,0) clip=(0,0,20,20) opacity=0.5",
                           "child | origin=(10,10) clip=(0,0,20,20) opacity=0.5",
                           "float | origin=(5,5) clip=(0,0,10,10) opacity=1",
                       }));

    // A look at opacity 0 draws nothing, and nothing of the children either.
    (void)top->SetLookOpacity(0, 0, false);
    (void)top->SetLookOpacity(1, 0, false);
    EXPECT_EQ(Paint(), Lines{});
}

TEST_F(ControlDrawingTest, ClippedChildrenAreCutAtTheClientAreaAndChildrenDockedOnBothAxesCoverTheFrame)
{
    const auto top = TestControl::Create(nullptr, u"top");
    AddLook(top, "top", 1, 10);
    (void)window->SetRootControl(top);
    AddLook(Add(top, u"docked", {-10, -10, 400, 300},
                [](Layout& layout) { layout.mXDocked = layout.mYDocked = true; }),
            "docked", 0.5f);
    AddLook(Add(top, u"cut", {-5, -5, 20, 20}), "cut", 1);
    AddLook(Add(top, u"outside", {-40, 0, 20, 20}), "outside", 1);

    EXPECT_EQ(Paint(), (Lines{
                           "top | origin=(10,10) clip=(0,0,380,280) opacity=1",
                           "top.frame | origin=(0,0) clip=(0,0,10,300) opacity=1",
                           "cut | origin=(5,5) clip=(5,5,15,15) opacity=1",
                           "docked | origin=(0,0) clip=(0,0,400,300) opacity=0.5",
                       }));
}

TEST_F(ControlDrawingTest, UnclippedControlsAreDrawnAfterTheWholeTreeWithTheirOwnOpacity)
{
    const auto top = MakeTop();
    const auto panel = Add(top, u"panel", {0, 0, 100, 100});
    AddLook(panel, "panel", 1, 4);
    const auto floating = Canvas::Create(panel, u"float", {90, 90, 50, 50});
    AddLook(floating, "float", 1);
    floating->SetOpacity(0.5f);
    AddLook(Add(top, u"later", {100, 100, 100, 100}), "later", 1);

    EXPECT_EQ(Paint(), (Lines{
                           "top | origin=(0,0) clip=(0,0,400,300) opacity=1",
                           "panel | origin=(4,4) clip=(0,0,92,92) opacity=1",
                           "panel.frame | origin=(0,0) clip=(0,0,4,100) opacity=1",
                           "later | origin=(100,100) clip=(0,0,100,100) opacity=1",
                           "float | origin=(94,94) clip=(0,0,50,50) opacity=0.5",
                           "DrawLine | origin=(94,94) clip=(0,0,50,50) opacity=0.5",
                           "DrawRect | origin=(94,94) clip=(0,0,50,50) opacity=0.5",
                       }));
}

TEST_F(ControlDrawingTest, ALookRegionLimitsTheChildrenDrawnInThatLook)
{
    const auto top = MakeTop();
    Region limit;
    limit.AddRect(0, 0, 100, 100);
    top->GetLook(0)->SetRegion(limit);
    AddLook(Add(top, u"child", {50, 50, 100, 100}), "child", 1);

    EXPECT_EQ(Paint(), (Lines{
                           "top | origin=(0,0) clip=(0,0,100,100) opacity=1",
                           "child | origin=(50,50) clip=(0,0,50,50) opacity=1",
                       }));
}

TEST_F(ControlDrawingTest, ScrollingMovesTheChildrenInBothWalks)
{
    const auto top = MakeTop();
    const auto scroller = Canvas::Create(top, u"scroller", {0, 0, 100, 100});
    AddLook(scroller, "scroller", 1);
    scroller->ScrollTo({30, 40});
    AddLook(Add(scroller, u"child", {50, 50, 20, 20}), "child", 1);
    AddLook(Add(scroller, u"pinned", {100, 100, 10, 10}, Unclipped), "pinned", 1);

    Lines drawn;
    for (const std::string& line : Paint())
        if (line.rfind("child", 0) == 0 || line.rfind("pinned", 0) == 0)
            drawn.push_back(line);
    EXPECT_EQ(drawn, (Lines{
                         "child | origin=(20,10) clip=(0,0,20,20) opacity=1",
                         "pinned | origin=(70,60) clip=(0,0,10,10) opacity=1",
                     }));

    EXPECT_EQ(HitAt(top, 25, 15).name, WString(u"child"));
    EXPECT_EQ(HitAt(top, 25, 15).local, (PointT<int32_t>{5, 5}));
    EXPECT_EQ(HitAt(top, 75, 65).name, WString(u"pinned"));
    EXPECT_EQ(HitAt(top, 75, 65).local, (PointT<int32_t>{5, 5}));
}

TEST_F(ControlDrawingTest, ControlsOutsideTheDirtyAreaStillHandOverTheirUnclippedDescendants)
{
    const auto top = MakeTop();
    const auto zero = Add(top, u"zero", {200, 0, 0, 50});
    AddLook(zero, "zero", 1);
    AddLook(Add(zero, u"lifted", {0, 0, 30, 30}, Unclipped), "lifted", 1);
    const auto far = Add(top, u"far", {300, 200, 50, 50});
    AddLook(far, "far", 1);
    const auto inner = Add(far, u"inner", {0, 0, 50, 50});
    AddLook(Add(inner, u"reach", {-280, -190, 20, 20}, Unclipped), "reach", 1);
    // Hidden controls, and controls without an area, hand over nothing.
    const auto hidden = Add(top, u"hidden", {0, 0, 50, 50}, [](Layout& layout) { layout.mVisible = false; });
    AddLook(Add(hidden, u"ghost", {0, 0, 20, 20}, Unclipped), "ghost", 1);
    ASSERT_EQ(zero->GetRect().width, 0);

    EXPECT_EQ(Paint(), (Lines{
                           "top | origin=(0,0) clip=(0,0,400,300) opacity=1",
                           "far | origin=(300,200) clip=(0,0,50,50) opacity=1",
                           "reach | origin=(20,10) clip=(0,0,20,20) opacity=1",
                       }));

    // Painting only the top left corner leaves "far" outside the dirty area; what it holds still shows.
    Region corner;
    corner.AddRect(0, 0, 50, 50);
    EXPECT_EQ(Paint(corner), (Lines{
                                 "top | origin=(0,0) clip=(0,0,50,50) opacity=1",
                                 "reach | origin=(20,10) clip=(0,0,20,20) opacity=1",
                             }));
}

TEST_F(ControlDrawingTest, DeferredControlsAreDrawnInStableAscendingZOrder)
{
    struct Case
    {
        int32_t firstZ;
        int32_t secondZ;
        Lines expected;
    };
    const Case cases[] = {
        {5, 5, {"first", "second"}},
        {7, 5, {"second", "first"}},
        {-1, 0, {"first", "second"}},
    };
    for (const Case& c : cases)
    {
        const auto top = MakeTop();
        const auto holder = Add(top, u"holder", {0, 0, 200, 200});
        AddLook(holder, "holder", 1);
        for (const auto& [name, z] : {std::pair{u"first", c.firstZ}, std::pair{u"second", c.secondZ}})
        {
            const auto control = Add(holder, name, {10, 10, 20, 20},
                                     [z = z](Layout& layout)
                                     {
                                         layout.mClipToParent = false;
                                         layout.mZOrder = z;
                                     });
            AddLook(control, std::string(name[0] == u'f' ? "first" : "second"), 1);
        }
        Lines drawn;
        for (const std::string& line : Paint())
            drawn.push_back(line.substr(0, line.find(' ')));
        EXPECT_EQ(drawn, (Lines{"top", "holder", c.expected[0], c.expected[1]}))
            << c.firstZ << " " << c.secondZ;
    }
}

TEST_F(ControlDrawingTest, ContentAndOverlayAreDrawnOncePerDirtyRectangleAroundLabelAndChildren)
{
    const auto top = MakeTop();
    const auto canvas = Canvas::Create(top, u"canvas", {0, 0, 100, 100});
    AddLook(canvas, "canvas", 1);
    AddLook(Add(canvas, u"child", {0, 0, 100, 100}), "child", 1);
    Region dirty;
    dirty.AddRect(10, 10, 20, 20);
    dirty.AddRect(50, 60, 70, 80);
    dirty.AddRect(200, 200, 210, 210); // outside the canvas

    Lines canvasLines;
    for (const std::string& line : Paint(dirty))
        if (line.find("origin=(0,0)") != std::string::npos && line.rfind("top", 0) != 0)
            canvasLines.push_back(line);
    // The dirty rectangles come head first, the last added first.
    EXPECT_EQ(canvasLines, (Lines{
                               "canvas | origin=(0,0) clip=(50,60,20,20) opacity=1",
                               "canvas | origin=(0,0) clip=(10,10,10,10) opacity=1",
                               "DrawLine | origin=(0,0) clip=(50,60,20,20) opacity=1",
                               "DrawLine | origin=(0,0) clip=(10,10,10,10) opacity=1",
                               "child | origin=(0,0) clip=(50,60,20,20) opacity=1",
                               "child | origin=(0,0) clip=(10,10,10,10) opacity=1",
                               "DrawRect | origin=(0,0) clip=(50,60,20,20) opacity=1",
                               "DrawRect | origin=(0,0) clip=(10,10,10,10) opacity=1",
                           }));
}

TEST_F(ControlDrawingTest, DrawRefusesTheOtherPassAndDrawsNothingForHiddenControls)
{
    const auto top = MakeTop();
    const auto floating = Add(top, u"float", {0, 0, 20, 20}, Unclipped);
    AddLook(floating, "float", 1);
    RCPtrArray<LControl, 1, 0> deferred;
    const Region dirty = Whole();
    EXPECT_EQ(top->Draw(frame.renderer, dirty, deferred, true), E_INVALIDARG);
    EXPECT_EQ(floating->Draw(frame.renderer, dirty, deferred, false), E_INVALIDARG);
    EXPECT_EQ(frame.renderer->GetLines(), Lines{});

    top->ChangeLayout([](Layout& layout) { layout.mVisible = false; });
    EXPECT_EQ(top->Draw(frame.renderer, dirty, deferred, false), 0);
    EXPECT_EQ(deferred.GetCount(), 0u);
    EXPECT_EQ(frame.renderer->GetLines(), Lines{});
}

TEST_F(ControlDrawingTest, APaintInsideAnotherRepaintsNothingAndInvalidatesTheWindow)
{
    MakeTop();
    EXPECT_EQ(Paint(Region()), Lines{});

    frame.renderer->PushClip();
    EXPECT_EQ(Paint(), Lines{});
    EXPECT_EQ(services.Calls, Lines{"InvalidateAll"});
    frame.renderer->PopClip();

    EXPECT_EQ(Paint().size(), 1u);
}
} // namespace
} // namespace ZQ
