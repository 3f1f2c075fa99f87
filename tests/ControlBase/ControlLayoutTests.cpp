#include "ControlBase/PartBuilders.h"
#include "Support/FakeControlApplication.h"
#include "Support/FakeMeasurer.h"
#include "Support/MeasurementRendererScope.h"

#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/ControlBase/Control/Look.h"
#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/ControlBase/Skin/LookDescriptor.h"
#include "ZQFramework/Renderer/Font.h"
#include "ZQFramework/Renderer/FontText.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace ZQ;
using Layout = LLayoutDescriptor;

namespace
{
using Log = std::vector<std::u16string>;

// A control built in code with a layout copy, whose scroll offset a test sets, and which logs the
// children whose rectangles changed (the rectangle setter tells the parent) and the size notifications
// it gets.
class Node : public LControl
{
public:
    using Setup = std::function<void(Layout&)>;

    static RCPtr<Node> Create(const RCPtr<LControl>& parent, const WString& name, const Setup& setup = {},
                              bool withLayout = true)
    {
        RCPtr<Node> node(new Node(parent, name));
        if (withLayout)
        {
            const RCPtr<Layout> layout = Layout::Create();
            if (setup)
                setup(*layout);
            node->SetLayoutCopy(*layout);
        }
        return node;
    }

    // The parent's side of a scroll: the offset is stored and every child is told, in storage order.
    void ScrollTo(const PointT<double>& offset)
    {
        mScrollOffset = offset;
        for (uint32_t i = 0; i < GetChildren().GetCount(); ++i)
            GetChildren().GetAt(i, ChildControlList::kStorageOrder)->OnScrollOffsetChanged();
    }

    void GiveFocus() { mConditionFlags.Focused = true; }

    void InvalidateBufferedChild(const RCPtr<LControl>& child) override
    {
        if (ChangedChildren != nullptr)
            ChangedChildren->push_back(Text(child->GetName()));
    }

    ZQRESULT OnSize(int32_t width, int32_t height) override
    {
        if (SizeLog != nullptr)
            SizeLog->push_back(Text(GetName()));
        return LControl::OnSize(width, height);
    }

    ZQRESULT SetFocus(bool forward) override
    {
        FocusTakenForward = forward;
        return 0;
    }

    Log* ChangedChildren = nullptr;
    Log* SizeLog = nullptr;
    bool FocusTakenForward = false;

private:
    Node(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}

    static std::u16string Text(const WString& name) { return std::u16string(name.GetBuffer()); }
};

void Below(Layout& layout, const char16_t* sibling, double gap = 0)
{
    layout.mYPosition = {0, Layout::kPositionSibling, sibling, 1, gap};
}

void Width(Layout& layout, double width)
{
    layout.mXSize.Abs = width;
}

// A top control without a layout, 200 x 100, as the parent of the controls under test.
class ControlLayoutTest : public ::testing::Test
{
public:
    ControlLayoutTest() { (void)top->SetRect({0, 0, 200, 100}); }

    RCPtr<Node> top = Node::Create(nullptr, u"top", {}, false);
};
} // namespace

TEST_F(ControlLayoutTest, UpdateLayoutPlacesAgainstTheParentAndReportsChange)
{
    const auto bare = Node::Create(top, u"bare", {}, false);
    EXPECT_EQ(bare->UpdateLayout(), E_FAIL);
    EXPECT_EQ(bare->GetRect(), (RectT<double>{}));

    const auto child = Node::Create(top, u"child",
                                    [](Layout& l)
                                    {
                                        l.mXPosition.Abs = 10;
                                        l.mXSize = {Layout::kSizeClient, u"", 1, 0};
                                    });
    EXPECT_EQ(child->UpdateLayout(), 0);
    EXPECT_EQ(child->GetRect(), (RectT<double>{10, 0, 190, 40}));
    EXPECT_EQ(child->UpdateLayout(), 1);

    // A new parent size reaches the children through the size pass, in storage order.
    Log sizes;
    bare->SizeLog = child->SizeLog = &sizes;
    (void)top->SetRect({0, 0, 300, 100});
    EXPECT_EQ(sizes, (Log{u"bare", u"child"}));
    EXPECT_EQ(child->GetRect(), (RectT<double>{10, 0, 290, 40}));
}

TEST_F(ControlLayoutTest, CascadeReLaysLaterSiblingsInStorageOrder)
{
    // Storage order: stale (right of d, which comes later), a, c (placed on its own), b below a, d below b.
    const auto stale = Node::Create(top, u"stale",
                                    [](Layout& l) {
                                        l.mXPosition = {0, Layout::kPositionSibling, u"d", 1, 0};
                                    });
    const auto a = Node::Create(top, u"a");
    const auto c = Node::Create(top, u"c", [](Layout& l) { l.mXPosition.Abs = 100; });
    const auto b = Node::Create(top, u"b", [](Layout& l) { Below(l, u"a", 1); });
    const auto d = Node::Create(top, u"d", [](Layout& l) { Below(l, u"b", 2); });
    for (const auto& node : {stale, a, c, b, d})
        (void)node->UpdateLayout();
    ASSERT_EQ(d->GetRect(), (RectT<double>{0, 83, 16, 40}));

    Log changed;
    top->ChangedChildren = &changed;
    Layout::AxisPosition position;
    Layout::AxisSize size;
    (void)a->GetLayout()->GetAxis(1, position, size);
    size.Abs = 50;
    EXPECT_FALSE(a->SetAxisPlacement(1, position, size));

    // c stays and the cascade goes on past it; b continues it to d; each changed child is reported once,
    // innermost first. stale, stored before d, is not revisited.
    EXPECT_EQ(changed, (Log{u"d", u"b", u"a"}));
    EXPECT_EQ(b->GetRect(), (RectT<double>{0, 51, 16, 40}));
    EXPECT_EQ(d->GetRect(), (RectT<double>{0, 93, 16, 40}));
    EXPECT_EQ(c->GetRect(), (RectT<double>{100, 0, 16, 40}));
    EXPECT_EQ(stale->GetRect().x, 0); // d had no rectangle yet when stale was laid out
}

TEST_F(ControlLayoutTest, RenamedSiblingKeepsItsDependants)
{
    const auto a = Node::Create(top, u"a");
    const auto b = Node::Create(top, u"b", [](Layout& l) { Below(l, u"a"); });
    (void)a->UpdateLayout();
    (void)b->UpdateLayout();
    ASSERT_EQ(top->GetChildren().RenameChild(RCPtr<LControl>(a), u"title"), 0);

    Layout::AxisPosition position;
    Layout::AxisSize size;
    (void)a->GetLayout()->GetAxis(1, position, size);
    size.Abs = 25;
    (void)a->SetAxisPlacement(1, position, size);
    EXPECT_EQ(b->GetRect().y, 25);
}

TEST_F(ControlLayoutTest, DockedChildFollowsTheParentsScrollOffset)
{
    const auto panel = Node::Create(top, u"panel",
                                    [](Layout& l) {
                                        l.mXSize = {Layout::kSizeClient, u"", 1, 0};
                                    });
    (void)panel->UpdateLayout();
    const auto header = Node::Create(panel, u"header", [](Layout& l) { l.mYDocked = true; });
    const auto below = Node::Create(panel, u"below", [](Layout& l) { Below(l, u"header"); });
    const auto content = Node::Create(panel, u"content", [](Layout& l) { l.mYPosition.Abs = 60; });
    for (const auto& node : {header, below, content})
        (void)node->UpdateLayout();

    panel->ScrollTo({0, 30});
    // The docked header's stored place includes the offset, so it is drawn where it was; the sibling
    // below it is placed against where it is seen (the cascade from the header's move re-lays it, and it
    // does not change). Undocked content does not move in content coordinates.
    EXPECT_EQ(header->GetRect(), (RectT<double>{0, 30, 16, 40}));
    EXPECT_EQ(below->GetRect(), (RectT<double>{0, 40, 16, 40}));
    EXPECT_EQ(content->GetRect(), (RectT<double>{0, 60, 16, 40}));
}

TEST_F(ControlLayoutTest, ChildrenRulesFollowTheChildren)
{
    const auto panel = Node::Create(top, u"panel",
                                    [](Layout& l)
                                    {
                                        l.mXMinimum = {true, u"Children", 1, 4};
                                        l.mYMaximum = {true, u"inner", 1, 0};
                                        l.mYSize.Abs = 90;
                                    });
    (void)panel->UpdateLayout();
    EXPECT_EQ(panel->GetRect(), (RectT<double>{0, 0, 16, 90})); // without children both rules are skipped

    const auto inner = Node::Create(panel, u"inner", [](Layout& l) { l.mXPosition.Abs = 5; });
    const auto floating = Node::Create(panel, u"floating",
                                       [](Layout& l)
                                       {
                                           l.mClipToParent = false;
                                           Width(l, 500);
                                       });
    (void)floating->UpdateLayout();
    // The new child tells the panel, which grows to the clipped children's extent plus 4 and shrinks to
    // inner's height; the unclipped one does not count for "Children".
    (void)inner->UpdateLayout();
    EXPECT_EQ(panel->GetChildrenExtent(0, 1, 0), 21);
    EXPECT_EQ(panel->GetChildrenExtent(1, 1, 0), 500);
    EXPECT_EQ(panel->GetRect(), (RectT<double>{0, 0, 25, 40}));

    Layout::AxisPosition position;
    Layout::AxisSize size;
    (void)inner->GetLayout()->GetAxis(0, position, size);
    size.Abs = 60;
    (void)inner->SetAxisPlacement(0, position, size);
    EXPECT_EQ(panel->GetRect().width, 69);
}

TEST_F(ControlLayoutTest, LayoutSizeIsWhatTheMinimumsGiveAndTheRuleComesBack)
{
    const auto child = Node::Create(top, u"child",
                                    [](Layout& l)
                                    {
                                        l.mXSize = {Layout::kSizeClient, u"", 1, 0};
                                        l.mXMinimum.Abs = 42;
                                        l.mYMaximum.Abs = 30;
                                    });
    (void)child->UpdateLayout();
    PointT<double> size;
    ASSERT_EQ(child->GetLayoutSize(size), 0);
    EXPECT_EQ(size, (PointT<double>{42, 0}));
    EXPECT_EQ(child->GetLayout()->mXSize.ToControl, Layout::kSizeClient);
    EXPECT_EQ(child->GetRect(), (RectT<double>{0, 0, 200, 30}));

    ASSERT_EQ(child->GetMaximumSize(size), 0);
    EXPECT_EQ(size, (PointT<double>{0, 30}));
    EXPECT_EQ(Node::Create(top, u"bare", {}, false)->GetLayoutSize(size), E_FAIL);
}

TEST_F(ControlLayoutTest, SettersReportStoredValuesAndReorderTheParent)
{
    const auto child = Node::Create(top, u"child");
    const int32_t changes = top->GetChildren().GetChangeCount();

    Layout::AxisPosition position;
    Layout::AxisSize size;
    (void)child->GetLayout()->GetAxis(0, position, size);
    position.Abs = 7;
    EXPECT_FALSE(child->SetAxisPlacement(0, position, size));
    EXPECT_EQ(child->GetRect().x, 7);
    EXPECT_EQ(top->GetChildren().GetChangeCount(), changes); // drawing order unaffected

    position.Docked = true;
    EXPECT_FALSE(child->SetAxisPlacement(0, position, size));
    EXPECT_TRUE(child->GetLayout()->mXDocked);
    EXPECT_EQ(top->GetChildren().GetChangeCount(), changes + 1);
    EXPECT_TRUE(child->SetAxisPlacement(2, position, size));

    const Layout::AxisLimit minimum{false, u"", 0, 30}, none;
    EXPECT_FALSE(child->SetAxisLimits(minimum, none, minimum, none));
    EXPECT_EQ(child->GetRect(), (RectT<double>{7, 0, 30, 40}));

    EXPECT_FALSE(child->SetClipToParent(false));
    EXPECT_EQ(top->GetUnclippedCount(), 1);
    EXPECT_EQ(top->GetChildren().GetChangeCount(), changes + 2);
    EXPECT_FALSE(child->SetClipToParent(false)); // unchanged
    EXPECT_EQ(top->GetUnclippedCount(), 1);
    EXPECT_TRUE(child->SetClipToParent(true));
    EXPECT_EQ(top->GetUnclippedCount(), 0);
}

TEST_F(ControlLayoutTest, ShrinkingAFocusedChildToNothingHandsTheFocusToItsParent)
{
    const auto child = Node::Create(top, u"child");
    (void)child->UpdateLayout();
    child->GiveFocus();
    Layout::AxisPosition position;
    Layout::AxisSize size;
    (void)child->GetLayout()->GetAxis(0, position, size);
    size.Abs = 0;
    (void)child->SetAxisPlacement(0, position, size);
    EXPECT_TRUE(top->FocusTakenForward);
}

TEST(ControlLayoutTop, TopControlNeedsARootWindow)
{
    ZQTest::FakeControlApplication application;
    const auto top = Node::Create(nullptr, u"top",
                                  [](Layout& l)
                                  {
                                      l.mXPosition = {0.5f, Layout::kPositionParent, u"", 0.5f, 0};
                                      l.mYPosition = {0, Layout::kPositionSibling, u"pointer", 0, 3};
                                  });
    EXPECT_EQ(top->UpdateLayout(), E_FAIL); // no root window at all

    // Before it is created, a top control without a root window of its own uses the application's.
    application.FirstRootWindow = Layout::Create(); // any object stands for a root window here
    application.PointerPosition = {300, 400};
    EXPECT_EQ(top->UpdateLayout(), 0);
    EXPECT_EQ(top->GetRect(), (RectT<double>{632, 403, 16, 40})); // centred on the work area; at the pointer
}

TEST_F(ControlLayoutTest, ExpandingLabelWidensTheControlUpToItsMaximumThenWraps)
{
    const RCPtr<TestSupport::FakeMeasurer> measurer{new TestSupport::FakeMeasurer}; // 6 per character
    const TestSupport::MeasurementRendererScope scope{measurer};
    const RCPtr<LLookDescriptor> descriptor = LLookDescriptor::Create(u"label");
    LLookDescriptor::TextProperties text;
    text.LeftAbs = 2;
    text.RightRel = 1;
    text.RightAbs = -2;
    text.BottomRel = 1;
    descriptor->SetTextProperties(text, PartBuilders::FillPart(PartBuilders::Solid(0xFFFFFFFF), 1, 1));

    const auto label =
        Node::Create(top, u"label", [](Layout& l) { l.mTextOverflowX = Layout::kOverflowExpand; });
    const RCPtr<LLook> look = LLook::Create(descriptor, true);
    (void)label->AddLook(look);
    (void)look->SetFont(LFont::GetFont(u"LayoutTest", 9, 0));
    (void)look->SetText(u"Hello"); // 30 wide

    (void)label->UpdateLayout();
    EXPECT_EQ(label->GetRect().width, 34); // the text area of 12 grown by the overflow of 18
    EXPECT_FALSE(look->GetTextLayout()->GetWordWrap());

    EXPECT_FALSE(label->SetAxisLimits(0, {}, {false, u"", 0, 24}));
    EXPECT_EQ(label->GetRect().width, 24);
    EXPECT_TRUE(look->GetTextLayout()->GetWordWrap());
}
