#include "Support/FakeControlApplication.h"
#include "Support/FakeWindowServices.h"
#include "Support/StringPrinting.h"
#include "Support/TestControl.h"

#include "ZQFramework/ControlBase/Skin/ControlDescriptor.h"
#include "ZQFramework/ControlBase/Skin/StringTable.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace ZQ
{
namespace
{
using ZQTest::FakeControlApplication;
using ZQTest::FakeWindowServices;
using ZQTest::TestControl;
using Calls = std::vector<std::string>;

// A layout that places the control at (x, y) in its parent's client area with a fixed size.
TestControl::LayoutSetup Place(double x, double y, double width, double height, bool clip = true)
{
    return [=](LLayoutDescriptor& l)
    {
        l.mXPosition.Abs = x;
        l.mYPosition.Abs = y;
        l.mXSize = {LLayoutDescriptor::kSizeSelf, u"", 0, width};
        l.mYSize = {LLayoutDescriptor::kSizeSelf, u"", 0, height};
        l.mClipToParent = clip;
    };
}

// A 400 x 300 window showing top; top holds a clipped panel at (50, 40) of 100 x 80, and the panel a
// drop-down that is not clipped to it and reaches below it.
struct InvalidationTest : ::testing::Test
{
    InvalidationTest()
    {
        services.Focused = false;
        (void)window->SetRootControl(top);
        Region setUp;
        window->TakeDirtyRegion(setUp);
        services.Calls.clear();
    }
    ~InvalidationTest() override { (void)window->ReleaseInternalReferences(); }

    // A child of the panel at rect, laid out now.
    RCPtr<TestControl> PanelChild(const char16_t* name, const TestControl::LayoutSetup& setup)
    {
        RCPtr<TestControl> child = TestControl::Create(panel, name, setup);
        (void)child->UpdateLayout();
        services.Calls.clear();
        return child;
    }

    FakeControlApplication application;
    FakeWindowServices services;
    RCPtr<LRootWindow> window = LRootWindow::Create(nullptr, &services);
    RCPtr<TestControl> top = TestControl::Create(nullptr, u"top");
    RCPtr<TestControl> panel = TestControl::Create(top, u"panel", Place(50, 40, 100, 80));
    RCPtr<TestControl> dropDown = TestControl::Create(panel, u"dropDown", Place(0, 60, 100, 200, false));
};

TEST_F(InvalidationTest, ChildAreasReachTheWindowClippedByTheirParents)
{
    ASSERT_EQ(dropDown->GetRect(), (RectT<double>{0, 60, 100, 200}));
    struct Case
    {
        const char* what;
        RectT<double> place;
        RectT<double> invalidated; // in the child's coordinates
        ZQRESULT result;
        Calls calls;
    };
    const std::vector<Case> cases = {
        {"inside the panel", {10, 10, 20, 20}, {0, 0, 20, 20}, 0, {"InvalidateRect 60 50 20 20"}},
        {"half outside: only the part inside",
         {90, 70, 20, 20},
         {0, 0, 20, 20},
         0,
         {"InvalidateRect 140 110 10 10"}},
        {"wholly outside the panel", {120, 0, 30, 30}, {0, 0, 30, 30}, 1, {}},
        {"edges rounded half up",
         {10, 10, 20, 20},
         {0.5, 0.4, 10.4, 10.6},
         0,
         {"InvalidateRect 61 50 10 11"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        const RCPtr<TestControl> child =
            PanelChild(u"child", Place(c.place.x, c.place.y, c.place.width, c.place.height));
        EXPECT_EQ(child->Invalidate(c.invalidated, true), c.result);
        EXPECT_EQ(services.Calls, c.calls);
        (void)child->Detach();
    }
}

TEST_F(InvalidationTest, FloatingDropDownAddsItsWholeAreaOutsideItsParent)
{
    // Its clip flag is its own ClipToParent; a clip flag passed in is cleared on the way up as well.
    for (const bool clip : {false, true})
    {
        services.Calls.clear();
        EXPECT_EQ(dropDown->Invalidate({0, 0, 100, 200}, clip), 0);
        EXPECT_EQ(services.Calls, Calls{"InvalidateRect 50 100 100 200"});
    }
    // A clipped child of the drop-down, below the panel: the panel does not cut it off.
    const RCPtr<TestControl> item = TestControl::Create(dropDown, u"item", Place(10, 100, 50, 20));
    (void)item->UpdateLayout();
    services.Calls.clear();
    EXPECT_EQ(item->Invalidate({0, 0, 50, 20}, true), 0);
    EXPECT_EQ(services.Calls, Calls{"InvalidateRect 60 200 50 20"});
}

TEST_F(InvalidationTest, HiddenZeroSizedOrUnshownControlsAddNothing)
{
    struct Case
    {
        const char* what;
        TestControl::LayoutSetup setup;
        ZQRESULT result;
    };
    const std::vector<Case> cases = {
        {"hidden", [](LLayoutDescriptor& l) { Place(10, 10, 20, 20)(l), l.mVisible = false; }, 1},
        {"zero width", Place(10, 10, 0, 20), 1},
        {"zero height", Place(10, 10, 20, 0), 1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        const RCPtr<TestControl> child = PanelChild(u"child", c.setup);
        EXPECT_EQ(child->Invalidate({0, 0, 20, 20}, true), c.result);
        EXPECT_EQ(services.Calls, Calls{});
        (void)child->Detach();
    }

    // A hidden parent hides its children too.
    const RCPtr<TestControl> child = PanelChild(u"child", Place(10, 10, 20, 20));
    panel->ChangeLayout([](LLayoutDescriptor& l) { l.mVisible = false; });
    EXPECT_EQ(child->Invalidate({0, 0, 20, 20}, true), 1);
    EXPECT_EQ(services.Calls, Calls{});

    // A tree that no window shows has nowhere to put the area.
    const RCPtr<TestControl> loose = TestControl::Create(nullptr, u"loose");
    (void)loose->SetRect({0, 0, 50, 50});
    EXPECT_EQ(loose->Invalidate({0, 0, 50, 50}, true), 0);
    EXPECT_EQ(services.Calls, Calls{});
}

TEST_F(InvalidationTest, AreaOutsideTheClientAreaLeavesTheWindowUntouched)
{
    for (const bool clip : {true, false})
    {
        SCOPED_TRACE(clip);
        (void)top->Invalidate({400, 0, 50, 50}, clip);
        (void)top->Invalidate({-60, -60, 50, 50}, clip);
        EXPECT_EQ(services.Calls, Calls{});
        Region dirty;
        window->TakeDirtyRegion(dirty);
        EXPECT_TRUE(dirty.IsEmpty());
    }
    // Straddling the edge: only the part inside.
    EXPECT_EQ(top->Invalidate({390, 290, 20, 20}, true), 0);
    EXPECT_EQ(services.Calls, Calls{"InvalidateRect 390 290 10 10"});
}

TEST_F(InvalidationTest, InvalidateFloatingCoversWhatMayLieOutsideTheParent)
{
    struct Case
    {
        const char* what;
        RCPtr<TestControl> control;
        Calls calls;
    };
    const RCPtr<TestControl> clippedLeaf = PanelChild(u"leaf", Place(10, 10, 20, 20));
    const std::vector<Case> cases = {
        {"a clipped control without floating descendants", clippedLeaf, {}},
        {"a floating control", dropDown, {"InvalidateRect 50 100 100 200"}},
        {"a clipped control above a floating one", panel, {"InvalidateRect 50 100 100 200"}},
        {"the top control, two levels up", top, {"InvalidateRect 50 100 100 200"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        services.Calls.clear();
        c.control->InvalidateFloating();
        EXPECT_EQ(services.Calls, c.calls);
    }
}

// A control whose descriptor is given as it is, without the rest of the creation sequence.
class DescribedControl : public LControl
{
public:
    explicit DescribedControl(const RCPtr<LControlDescriptor>& descriptor) : LControl(nullptr, u"described")
    {
        mDescriptor = descriptor;
    }
};

TEST(DeferredCreate, TrueOnlyForTheTextTrueTrimmedAndInAnyCase)
{
    struct Case
    {
        std::optional<const char16_t*> value; // none: no "DEFER_CREATE" entry
        bool expected;
    };
    const std::vector<Case> cases = {
        {u"true", true}, {u"  TRUE\t", true}, {u"True", true},       {u"yes", false},
        {u"1", false},   {u"", false},        {std::nullopt, false}, {u"true false", false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.value.has_value() ? TestSupport::Utf8(*c.value) : std::string("absent"));
        const RCPtr<LControlDescriptor> descriptor = LControlDescriptor::Create(u"Control", u"d", nullptr);
        const RCPtr<LStringTable> params = LStringTable::Create();
        if (c.value)
        {
            (void)params->SetString(u"DEFER_CREATE", *c.value);
        }
        descriptor->mCreateParams = params;
        const RCPtr<DescribedControl> control(new DescribedControl(descriptor));
        EXPECT_EQ(control->IsDeferredCreate(), c.expected);
    }
    const RCPtr<DescribedControl> withoutParams(
        new DescribedControl(LControlDescriptor::Create(u"Control", u"d", nullptr)));
    EXPECT_FALSE(withoutParams->IsDeferredCreate());
    const RCPtr<DescribedControl> withoutDescriptor(new DescribedControl(nullptr));
    EXPECT_FALSE(withoutDescriptor->IsDeferredCreate());
}
} // namespace
} // namespace ZQ
