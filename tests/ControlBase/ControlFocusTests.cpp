#include "Support/FakeControlApplication.h"
#include "Support/FakeWindowServices.h"

#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"

#include <climits>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace ZQ
{
namespace
{
using ZQTest::FakeControlApplication;
using ZQTest::FakeWindowServices;

// A control of a focus tree: placed by a fixed layout, focusable unless told otherwise, and able to
// refuse to let the focus go.
class FocusNode : public LControl
{
public:
    using LayoutSetup = std::function<void(LLayoutDescriptor&)>;

    static RCPtr<FocusNode> Create(const RCPtr<LControl>& parent, const WString& name, bool focusable,
                                   int32_t tabStop = 0, const LayoutSetup& setup = {})
    {
        RCPtr<FocusNode> node(new FocusNode(parent, name));
        node->ChangeLayout(
            [&](LLayoutDescriptor& l)
            {
                l.mXSize = {LLayoutDescriptor::kSizeSelf, u"", 0, 40};
                l.mYSize = {LLayoutDescriptor::kSizeSelf, u"", 0, 40};
                l.mTabStop = tabStop;
                if (setup)
                    setup(l);
            });
        (void)node->SetNotFocusable(!focusable);
        return node;
    }

    void ChangeLayout(const LayoutSetup& setup)
    {
        RCPtr<LLayoutDescriptor> layout;
        if (GetLayout() != nullptr)
            (void)GetLayout()->CopyTo(layout);
        else
            layout = LLayoutDescriptor::Create();
        setup(*layout);
        SetLayoutCopy(*layout);
    }
    void SetFocusScope(bool scope) { mFocusScope = scope; }

    bool CanReleaseFocus() override { return Releases; }

    bool Releases = true;

private:
    FocusNode(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}
};

// A 400 x 300 window whose native window does not hold the keyboard focus, so that no control has the
// focus at the start. The tree is shown once built (Show), which lays it out.
struct FocusTree
{
    FocusTree() { services.Focused = false; }
    ~FocusTree() { (void)window->ReleaseInternalReferences(); }

    void Show() { (void)window->SetRootControl(top); }

    // The focus bits of every control and the window's focus control all name focused (none: null).
    void ExpectFocusOn(const RCPtr<LControl>& focused) const
    {
        EXPECT_EQ(window->GetFocusControl(), focused);
        RCPtrArray<LControl, 1, 0> all;
        (void)top->GetAllDescendants(all);
        (void)all.Add(RCPtr<LControl>(top));
        for (uint32_t i = 0; i < all.GetCount(); ++i)
        {
            const RCPtr<LControl>& control = all.GetAt(i);
            bool isAncestor = false;
            for (LControl* c = focused.Get(); c != nullptr && !isAncestor; c = c->GetParent().Get())
                isAncestor = c->GetParent() == control;
            SCOPED_TRACE(AString(control->GetName()).GetBuffer());
            EXPECT_EQ(control->IsFocused(), control == focused);
            EXPECT_EQ(control->ContainsFocus(), isAncestor);
        }
    }

    FakeControlApplication application;
    FakeWindowServices services;
    RCPtr<LRootWindow> window = LRootWindow::Create(nullptr, &services);
    RCPtr<FocusNode> top = FocusNode::Create(nullptr, u"top", true);
};

// top (focusable)
//   box (not focusable): c0 (tab stop 2), c1 (1), c2 (3)
//   other (tab stop 5): inner
struct BoxTree : FocusTree
{
    BoxTree() { Show(); }

    RCPtr<FocusNode> box = FocusNode::Create(top, u"box", false, 0,
                                             [](LLayoutDescriptor& l)
                                             {
                                                 l.mXSize.Abs = 200;
                                                 l.mYSize.Abs = 200;
                                             });
    RCPtr<FocusNode> c0 = FocusNode::Create(box, u"c0", true, 2);
    RCPtr<FocusNode> c1 = FocusNode::Create(box, u"c1", true, 1);
    RCPtr<FocusNode> c2 = FocusNode::Create(box, u"c2", true, 3);
    RCPtr<FocusNode> other = FocusNode::Create(top, u"other", true, 5,
                                               [](LLayoutDescriptor& l)
                                               {
                                                   l.mXPosition.Abs = 250;
                                                   l.mXSize.Abs = 100;
                                                   l.mYSize.Abs = 100;
                                               });
    RCPtr<FocusNode> inner = FocusNode::Create(other, u"inner", true);
};

TEST(ControlFocus, ContainerPassesTheFocusToItsFirstFocusableChildForwardAndItsLastBackward)
{
    struct Case
    {
        const char* what;
        std::function<void(BoxTree&)> change;
        const char16_t* forward;
        const char16_t* backward;
    };
    const std::vector<Case> cases = {
        {"tab order, not storage order", {}, u"c1", u"c2"},
        {"a hidden child is passed over",
         [](BoxTree& t) { t.c1->ChangeLayout([](LLayoutDescriptor& l) { l.mVisible = false; }); }, u"c0",
         u"c2"},
        {"a disabled child is passed over",
         [](BoxTree& t) { t.c2->ChangeLayout([](LLayoutDescriptor& l) { l.mEnabled = false; }); }, u"c1",
         u"c0"},
        {"a not focusable child is passed over", [](BoxTree& t) { (void)t.c1->SetNotFocusable(true); }, u"c0",
         u"c2"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        BoxTree t;
        if (c.change)
            c.change(t);
        ASSERT_EQ(t.window->GetFocusControl(), nullptr);

        EXPECT_GE(t.box->SetFocus(true), 0);
        t.ExpectFocusOn(t.box->FindChild(c.forward));

        EXPECT_EQ(t.top->KillFocus(), 1);
        t.ExpectFocusOn(nullptr);
        EXPECT_EQ(t.window->GetLastFocusControl(), t.box->FindChild(c.forward));

        EXPECT_GE(t.box->SetFocus(false), 0);
        t.ExpectFocusOn(t.box->FindChild(c.backward));
    }
}

TEST(ControlFocus, FocusMovesAcrossBranchesAndAContainerKeepsItsFocusedChild)
{
    BoxTree t;
    EXPECT_GE(t.c0->SetFocus(true), 0);
    t.ExpectFocusOn(t.c0);
    EXPECT_EQ(t.c0->SetFocus(true), 0); // already there

    EXPECT_GE(t.inner->SetFocus(true), 0);
    t.ExpectFocusOn(t.inner);
    EXPECT_EQ(t.window->GetLastFocusControl(), t.c0);

    // A container that holds the focus keeps it where it is, in either direction.
    EXPECT_EQ(t.top->SetFocus(false), 0);
    t.ExpectFocusOn(t.inner);

    EXPECT_GE(t.c2->SetFocus(true), 0);
    t.ExpectFocusOn(t.c2);
}

TEST(ControlFocus, ControlThatRefusesToReleaseTheFocusKeepsIt)
{
    BoxTree t;
    (void)t.c0->SetFocus(true);
    t.c0->Releases = false;
    EXPECT_EQ(t.inner->SetFocus(true), E_FAIL);
    EXPECT_EQ(t.box->SetFocus(false), E_FAIL);
    t.ExpectFocusOn(t.c0);

    t.c0->Releases = true;
    EXPECT_GE(t.inner->SetFocus(true), 0);
    t.ExpectFocusOn(t.inner);
}

TEST(ControlFocus, ControlThatCanTakeNothingLeavesTheFocusAlone)
{
    BoxTree t;
    const RCPtr<FocusNode> label = FocusNode::Create(t.top, u"label", false);
    (void)label->UpdateLayout();
    EXPECT_EQ(label->SetFocus(true), 1);
    t.ExpectFocusOn(nullptr);

    (void)t.c0->SetFocus(true);
    // With the focus in the tree, the top control is asked, and it keeps the focus where it is.
    EXPECT_EQ(label->SetFocus(true), 0);
    t.ExpectFocusOn(t.c0);
}

TEST(ControlFocus, FocusedControlMadeNotFocusableGivesTheFocusToItsParent)
{
    BoxTree t;
    (void)t.inner->SetFocus(true);
    EXPECT_EQ(t.inner->SetNotFocusable(true), 0);
    t.ExpectFocusOn(t.other);
    EXPECT_EQ(t.window->GetLastFocusControl(), t.inner);

    // Focusable again while its parent has the focus: it takes the focus back.
    EXPECT_EQ(t.inner->SetNotFocusable(false), 0);
    t.ExpectFocusOn(t.inner);

    // A parent that cannot take the focus passes it on to its first focusable child.
    (void)t.c1->SetFocus(true);
    EXPECT_EQ(t.c1->SetNotFocusable(true), 0);
    t.ExpectFocusOn(t.c0);
}

TEST(ControlFocus, NotFocusableTopControlDoesNotAskItselfForeverWhenItsOnlyFocusableChildGoes)
{
    FocusTree t;
    (void)t.top->SetNotFocusable(true);
    const RCPtr<FocusNode> only = FocusNode::Create(t.top, u"only", true);
    t.Show();
    (void)only->SetFocus(true);
    t.ExpectFocusOn(only);

    // Nothing can take the focus over: it stays where it was.
    EXPECT_EQ(only->SetNotFocusable(true), 0);
    EXPECT_EQ(t.top->SetFocus(true), 1);
    t.ExpectFocusOn(only);
}

// A control that makes itself focusable while it is being constructed: only its parent's list holds it.
class EagerControl : public LControl
{
public:
    EagerControl(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name)
    {
        const RCPtr<LLayoutDescriptor> layout = LLayoutDescriptor::Create();
        layout->mXSize = layout->mYSize = {LLayoutDescriptor::kSizeSelf, u"", 0, 40};
        SetLayoutCopy(*layout);
        (void)UpdateLayout();
        (void)SetNotFocusable(false);
    }
};

TEST(ControlFocus, ControlBecomingFocusableUnderItsFocusedParentTakesTheFocusEvenWhileConstructed)
{
    BoxTree t;
    (void)t.other->SetFocus(true); // inner is focusable, so the focus goes down to it
    (void)t.inner->SetNotFocusable(true);
    t.ExpectFocusOn(t.other);

    const RCPtr<EagerControl> eager(new EagerControl(t.other, u"eager"));
    t.ExpectFocusOn(eager);
}

TEST(ControlFocus, SetNotFocusableKeepsTheTabStopSignInStep)
{
    struct Case
    {
        int32_t tabStop;
        bool notFocusable;
        ZQRESULT result;
        int32_t expectedTabStop;
    };
    // A fresh control is marked not focusable.
    const std::vector<Case> cases = {
        {-1, true, 1, -1}, {0, true, 0, -1}, {3, true, 0, -3},
        {-2, false, 0, 2}, {4, false, 0, 4}, {INT_MIN, false, 0, INT_MAX},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.tabStop << " " << c.notFocusable);
        const RCPtr<FocusNode> parent = FocusNode::Create(nullptr, u"parent", false);
        const RCPtr<FocusNode> first = FocusNode::Create(parent, u"first", true, 0);
        const RCPtr<FocusNode> node = FocusNode::Create(parent, u"node", false);
        node->ChangeLayout([&](LLayoutDescriptor& l) { l.mTabStop = c.tabStop; });
        (void)parent->GetChildren().GetAt(0,
                                          LControl::ChildControlList::kTabOrder); // sorted before the change

        EXPECT_EQ(node->SetNotFocusable(c.notFocusable), c.result);
        EXPECT_EQ(node->GetLayout()->mTabStop, c.expectedTabStop);
        EXPECT_EQ(node->IsNotFocusable(), c.notFocusable);
        // The tab order follows the new tab stop.
        const bool nodeFirst = c.expectedTabStop < 0;
        EXPECT_EQ(parent->GetChildren().GetAt(0, LControl::ChildControlList::kTabOrder),
                  nodeFirst ? RCPtr<LControl>(node) : RCPtr<LControl>(first));
        (void)parent->ReleaseInternalReferences();
    }
}

TEST(ControlFocus, RequestFocusClimbsToTheFirstControlThatMayTakeIt)
{
    // top > wrapper (not focusable) > group (focusable) > c0 (tab stop 2), c1 (tab stop 1): the request of
    // c0 stops at c0 only when group is a focus scope; otherwise it climbs to top, which hands the focus
    // down to its first focusable descendant, c1.
    for (const bool scope : {true, false})
    {
        SCOPED_TRACE(scope);
        FocusTree t;
        const RCPtr<FocusNode> wrapper = FocusNode::Create(t.top, u"wrapper", false, 0,
                                                           [](LLayoutDescriptor& l)
                                                           {
                                                               l.mXSize.Abs = 200;
                                                               l.mYSize.Abs = 200;
                                                           });
        const RCPtr<FocusNode> group = FocusNode::Create(wrapper, u"group", true, 0,
                                                         [](LLayoutDescriptor& l)
                                                         {
                                                             l.mXSize.Abs = 100;
                                                             l.mYSize.Abs = 100;
                                                         });
        group->SetFocusScope(scope);
        const RCPtr<FocusNode> c0 = FocusNode::Create(group, u"c0", true, 2);
        const RCPtr<FocusNode> c1 = FocusNode::Create(group, u"c1", true, 1);
        t.Show();

        EXPECT_GE(c0->RequestFocus(nullptr), 0);
        t.ExpectFocusOn(scope ? c0 : c1);

        // A control that may not take the focus hands the request to its parent, which passes the focus to
        // its first focusable child.
        const RCPtr<FocusNode> picture = FocusNode::Create(group, u"picture", false);
        (void)picture->UpdateLayout();
        (void)t.top->KillFocus();
        EXPECT_GE(picture->RequestFocus(nullptr), 0);
        t.ExpectFocusOn(c1);
    }
}

TEST(ControlFocus, HasFocusableDescendantLooksThroughTheWholeVisibleEnabledSubtree)
{
    struct Case
    {
        const char* what;
        LLayoutDescriptor::AxisSize childWidth;
        bool childEnabled;
        bool grandchildFocusable;
        bool expected;
    };
    const LLayoutDescriptor::AxisSize wide{LLayoutDescriptor::kSizeSelf, u"", 0, 40};
    const LLayoutDescriptor::AxisSize empty{LLayoutDescriptor::kSizeSelf, u"", 0, 0};
    const std::vector<Case> cases = {
        {"a focusable grandchild", wide, true, true, true},
        {"no focusable control", wide, true, false, false},
        {"under a zero-width child", empty, true, true, false},
        {"under a disabled child", wide, false, true, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        FocusTree t;
        const RCPtr<FocusNode> child = FocusNode::Create(t.top, u"child", false, 0,
                                                         [&](LLayoutDescriptor& l)
                                                         {
                                                             l.mXSize = c.childWidth;
                                                             l.mEnabled = c.childEnabled;
                                                         });
        (void)FocusNode::Create(child, u"grandchild", c.grandchildFocusable);
        t.Show();
        EXPECT_EQ(t.top->HasFocusableDescendant(), c.expected);
    }
}
} // namespace
} // namespace ZQ
