#include "Support/TestControl.h"

#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationClient.h"

#include <climits>
#include <gtest/gtest.h>
#include <stdexcept>
#include <vector>

namespace ZQ
{
namespace
{
using ZQTest::TestControl;
using List = LControl::ChildControlList;

// The storage indexes of the children in the given order.
std::vector<int32_t> Order(const RCPtr<LControl>& parent, int32_t order)
{
    std::vector<int32_t> indexes;
    for (uint32_t i = 0; i < parent->GetChildren().GetCount(); ++i)
    {
        indexes.push_back(parent->IndexOfChild(parent->GetChildren().GetAt(i, order), List::kStorageOrder));
    }
    return indexes;
}

struct TreeTest : ::testing::Test
{
    // Drops the tree's cycles at the end of every test, so that ASan's leak check covers the tree.
    ~TreeTest() override
    {
        if (top != nullptr)
        {
            (void)top->ReleaseInternalReferences();
        }
    }

    RCPtr<TestControl> top = TestControl::Create(nullptr, u"top");
};

TEST_F(TreeTest, ZOrderPutsClippedThenFewerDockedAxesThenZOrderThenStorage)
{
    struct Case
    {
        const char* what;
        TestControl::LayoutSetup changeChild1;
        std::vector<int32_t> expected;
    };
    const std::vector<Case> cases = {
        {"all clipped and undocked", {}, {1, 2, 0}},
        {"child 1 unclipped", [](LLayoutDescriptor& l) { l.mClipToParent = false; }, {2, 0, 1}},
        {"child 1 docked on both axes",
         [](LLayoutDescriptor& l) { l.mXDocked = l.mYDocked = true; },
         {2, 0, 1}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        const auto parent = TestControl::Create(nullptr, u"parent");
        const int32_t zOrders[] = {5, 1, 1};
        const auto children =
            ZQTest::AddChildren(parent, 3, [&](int32_t i, LLayoutDescriptor& l) { l.mZOrder = zOrders[i]; });
        (void)Order(parent, List::kZOrder); // sorted once before the change: the change must re-sort
        if (c.changeChild1)
        {
            children[1]->ChangeLayout(c.changeChild1);
        }
        EXPECT_EQ(Order(parent, List::kZOrder), c.expected);
        (void)parent->ReleaseInternalReferences();
    }
}

TEST_F(TreeTest, TabOrderIsAscendingTabStopThenStorage)
{
    const int32_t tabStops[] = {-1, 0, -1};
    (void)ZQTest::AddChildren(top, 3, [&](int32_t i, LLayoutDescriptor& l) { l.mTabStop = tabStops[i]; });
    EXPECT_EQ(Order(top, List::kTabOrder), (std::vector<int32_t>{0, 2, 1}));
    EXPECT_EQ(Order(top, List::kStorageOrder), (std::vector<int32_t>{0, 1, 2}));
}

TEST_F(TreeTest, GetAtThrowsForIndexPastTheEndAndUnknownOrder)
{
    (void)TestControl::Create(top, u"only");
    List& list = top->GetChildren();
    const List& constList = list;
    struct Case
    {
        const char* what;
        std::function<void()> call;
        const char* text;
    };
    const std::vector<Case> cases = {
        {"index", [&] { (void)list.GetAt(1, 0); },
         "Runtime Error : ZQ::LControl::ChildControlList::GetAt : ControlBase\\Control : Line 3351"},
        {"order", [&] { (void)list.GetAt(0, 3); },
         "Runtime Error : ZQ::LControl::ChildControlList::GetAt : ControlBase\\Control : Line 3371"},
        {"const index", [&] { (void)constList.GetAt(1, 1); },
         "Runtime Error : ZQ::LControl::ChildControlList::GetAt : ControlBase\\Control : Line 3379"},
        {"const order", [&] { (void)constList.GetAt(0, -1); },
         "Runtime Error : ZQ::LControl::ChildControlList::GetAt : ControlBase\\Control : Line 3399"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        try
        {
            c.call();
            ADD_FAILURE() << "no exception";
        }
        catch (const std::runtime_error& error)
        {
            EXPECT_STREQ(error.what(), c.text);
        }
    }
}

TEST_F(TreeTest, DuplicateNameIsRefusedAndLeavesTheControlOutside)
{
    const auto first = TestControl::Create(top, u"same");
    const auto second = TestControl::Create(top, u"same");
    EXPECT_EQ(top->GetChildren().GetCount(), 1u);
    EXPECT_EQ(second->GetParent(), nullptr);
    EXPECT_EQ(top->GetChildren().Add(second), E_FAIL);
    EXPECT_EQ(top->GetChildren().Add(nullptr), E_INVALIDARG);

    const auto other = TestControl::Create(nullptr, u"other");
    EXPECT_EQ(second->SetParent(other), 0);
    EXPECT_EQ(second->SetParent(other), 1);
    EXPECT_EQ(second->SetParent(top), E_FAIL);
    EXPECT_EQ(second->GetParent(), nullptr);
    EXPECT_EQ(other->GetChildren().GetCount(), 0u);
    EXPECT_EQ(top->GetChildren().Remove(second), -1);
    EXPECT_EQ(top->GetChildren().GetCount(), 1u);
}

TEST_F(TreeTest, UnclippedGrandchildCountsUpToTheTopAndLeavesWithItsParent)
{
    const auto parent = TestControl::Create(top, u"parent");
    const auto grandchild = TestControl::Create(parent, u"grandchild");
    EXPECT_EQ(top->GetUnclippedCount(), 0);
    grandchild->ChangeLayout([](LLayoutDescriptor& l) { l.mClipToParent = false; });
    EXPECT_EQ(parent->GetUnclippedCount(), 1);
    EXPECT_EQ(top->GetUnclippedCount(), 1);
    EXPECT_EQ(grandchild->GetEffectiveZOrder(), 0);
    EXPECT_EQ(parent->GetEffectiveZOrder(), INT_MIN);

    EXPECT_EQ(top->GetChildren().Remove(parent), 0);
    EXPECT_EQ(top->GetUnclippedCount(), 0);
    EXPECT_EQ(parent->GetUnclippedCount(), 1);
    EXPECT_EQ(parent->SetParent(top), 0); // the subtree brings its count back
    EXPECT_EQ(top->GetUnclippedCount(), 1);
}

TEST_F(TreeTest, RemoveAllReportsEachChildFromTheLast)
{
    EXPECT_EQ(top->GetChildren().RemoveAll(), 1);
    const auto a = TestControl::Create(top, u"a");
    const auto b = TestControl::Create(top, u"b");
    EXPECT_EQ(top->GetInternalRefCount(), 2);
    EXPECT_EQ(top->GetChildren().RemoveAll(), 0);
    EXPECT_EQ(top->ChildrenChanged, (std::vector<std::pair<WString, int32_t>>{{u"b", 1}, {u"a", 0}}));
    EXPECT_EQ(top->GetInternalRefCount(), 0);
    EXPECT_EQ(a->GetParent(), nullptr);
    EXPECT_EQ(b->GetParent(), nullptr);
}

TEST_F(TreeTest, RenameRewritesReferencesOfLaterSiblingsOnly)
{
    const auto toOld = [](LLayoutDescriptor& l)
    {
        l.mXPosition.ToControl = LLayoutDescriptor::kPositionSibling;
        l.mXPosition.ReferenceName = u"old";
        l.mYSize.ToControl = LLayoutDescriptor::kSizeSibling;
        l.mYSize.ReferenceName = u"old";
    };
    const auto before = TestControl::Create(top, u"before", toOld);
    const auto renamed = TestControl::Create(top, u"old");
    const auto after = TestControl::Create(top, u"after", toOld);
    List& list = top->GetChildren();

    EXPECT_EQ(list.RenameChild(renamed, u"old"), 1);
    EXPECT_EQ(list.RenameChild(renamed, u"after"), E_FAIL);
    EXPECT_EQ(list.RenameChild(TestControl::Create(nullptr, u"stranger"), u"fresh"), E_INVALIDARG);
    EXPECT_EQ(list.RenameChild(renamed, u"new"), 0);

    EXPECT_EQ(renamed->GetName(), u"new");
    EXPECT_EQ(top->FindChild(u"new"), renamed);
    EXPECT_EQ(top->FindChild(u"old"), nullptr);
    EXPECT_EQ(after->GetLayout()->mXPosition.ReferenceName, u"new");
    EXPECT_EQ(after->GetLayout()->mYSize.ReferenceName, u"new");
    EXPECT_EQ(before->GetLayout()->mXPosition.ReferenceName, u"old");
}

TEST_F(TreeTest, VisibleNeedsTheFlagAPositiveSizeAndVisibleAncestors)
{
    const auto child = TestControl::Create(top, u"child");
    for (const auto& control : {RCPtr<TestControl>(top), child})
    {
        (void)control->SetRect({0, 0, 10, 10});
    }
    EXPECT_TRUE(child->IsVisible(true));
    EXPECT_TRUE(child->IsVisible(false));
    (void)top->SetRect({0, 0, 0, 10});
    EXPECT_FALSE(top->IsVisible(false));
    EXPECT_FALSE(child->IsVisible(true));

    top->ChangeLayout([](LLayoutDescriptor& l) { l.mEnabled = false; });
    EXPECT_TRUE(child->IsEnabled(false));
    EXPECT_FALSE(child->IsEnabled(true));
    EXPECT_FALSE(TestControl::Create(nullptr, u"bare", {}, false)->IsVisible(false));
}

TEST_F(TreeTest, DescendantsBoundsAndLookups)
{
    // Without layouts the rectangles stay as set; a control with one would be laid out again.
    const auto a = TestControl::Create(top, u"a", {}, false);
    const auto a1 = TestControl::Create(a, u"a1", {}, false);
    const auto b = TestControl::Create(top, u"b", {}, false);
    const auto docked = TestControl::Create(top, u"docked", [](LLayoutDescriptor& l) { l.mXDocked = true; });
    (void)a->SetRect({10, 20, 30, 40});
    (void)b->SetRect({-5, 50, 10, 10});
    (void)docked->SetRect({-100, -100, 500, 500});

    RCPtrArray<LControl, 1, 0> all;
    (void)all.Add(RCPtr<LControl>(top)); // emptied first
    ASSERT_EQ(top->GetAllDescendants(all), 4);
    EXPECT_EQ(all.GetAt(0), a);
    EXPECT_EQ(all.GetAt(1), a1);
    EXPECT_EQ(all.GetAt(2), b);
    EXPECT_EQ(all.GetAt(3), docked);

    EXPECT_EQ(top->GetChildrenBounds(), (RectT<double>{-5, 20, 45, 40}));
    const RectT<double> empty = a1->GetChildrenBounds();
    EXPECT_EQ(empty.x, INT_MAX);
    EXPECT_EQ(empty.x + empty.width, INT_MIN);

    EXPECT_EQ(a1->GetRootControl(), top);
    EXPECT_EQ(top->IndexOfChild(b, List::kStorageOrder), 1);
    EXPECT_EQ(top->IndexOfChild(a1, List::kStorageOrder), -1);
    EXPECT_EQ(top->FindChild(u"a1"), nullptr);
}

TEST(ControlCoordinates, OriginsAddUpPositionsAcrossTheTree)
{
    // Without layouts the rectangles stay as set.
    const auto top = TestControl::Create(nullptr, u"top", {}, false);
    const auto child = TestControl::Create(top, u"child", {}, false);
    const auto grandchild = TestControl::Create(child, u"grandchild", {}, false);
    (void)top->SetRect({100, 200, 500, 500});
    (void)child->SetRect({10, 20, 100, 100});
    (void)grandchild->SetRect({3, 4, 5, 6});

    EXPECT_EQ(child->GetOriginInParentClient(), (PointT<double>{10, 20}));
    EXPECT_EQ(top->GetOriginInParentClient(), (PointT<double>{100, 200}));
    EXPECT_EQ(grandchild->GetWindowOrigin(), (PointT<double>{113, 224}));
    EXPECT_EQ(grandchild->GetWindowOriginOffset(), (PointT<double>{-113, -224}));
    EXPECT_EQ(grandchild->GetRectInWindow(), (RectT<double>{113, 224, 5, 6}));
    EXPECT_EQ(grandchild->ConvertPointFromControl({1, 1}, *child), (PointT<double>{-2, -3}));
    EXPECT_EQ(top->ConvertPointFromControl({1, 1}, *grandchild), (PointT<double>{14, 25}));
    (void)top->ReleaseInternalReferences();
}

// A root window stand-in: a distributor with a title.
class FakeRootWindow : public LNotificationDistributor
{
public:
    [[nodiscard]] WString GetTitle() const { return u"Window Title"; }
};

TEST_F(TreeTest, AttachToRootWindowLabelsTheTopAndRegistersPendingIdleRequests)
{
    const auto child = TestControl::Create(top, u"child");
    const RCPtr<FakeRootWindow> window(new FakeRootWindow);
    EXPECT_EQ(child->AttachToRootWindow(window), E_FAIL);

    (void)child->RequestIdle();
    (void)child->RequestIdle();
    EXPECT_EQ(top->AttachToRootWindow(window), 0);
    EXPECT_EQ(top->GetLabel(), u"Window Title");
    EXPECT_EQ(child->GetRootWindow<FakeRootWindow>(), window);
    EXPECT_EQ(window->GetRegistrationCount(), 1);

    EXPECT_EQ(child->ReleaseIdle(), 0);
    EXPECT_EQ(window->GetRegistrationCount(), 1); // one request is still out
    EXPECT_EQ(child->ReleaseIdle(), 0);
    EXPECT_EQ(window->GetRegistrationCount(), 0);

    (void)child->RequestIdle(); // registers at once now that the tree is shown
    EXPECT_EQ(window->GetRegistrationCount(), 1);
    EXPECT_EQ(top->Detach(), 0);
    EXPECT_EQ(child->GetRootWindowObject(), nullptr);
    EXPECT_EQ(child->Detach(), 0); // without a root window the request is only counted back
    EXPECT_EQ(child->GetIdleRequests(), 0);
    (void)window->ReleaseInternalReferences();
}

TEST_F(TreeTest, PendingIdleRequestWithoutADistributorIsDropped)
{
    const RCPtr<LRefCountedObject> notADistributor(new LNotificationClient);
    (void)top->RequestIdle();
    (void)top->AttachToRootWindowObject(notADistributor, u"t");
    EXPECT_EQ(top->GetIdleRequests(), 0);
}

TEST_F(TreeTest, RemoveChildLaterDetachesAtTheNextPendingPass)
{
    const auto child = TestControl::Create(top, u"child");
    const auto stranger = TestControl::Create(nullptr, u"stranger");
    EXPECT_EQ(top->RemoveChildLater(stranger), E_INVALIDARG);
    EXPECT_EQ(top->RemoveChildLater(child), 0);
    EXPECT_EQ(top->GetIdleRequests(), 1);
    EXPECT_EQ(child->GetParent(), top);

    // Gaining a child runs the pending removals first.
    const auto newcomer = TestControl::Create(top, u"newcomer");
    EXPECT_EQ(child->GetParent(), nullptr);
    EXPECT_EQ(top->GetChildren().GetCount(), 1u);
    EXPECT_EQ(top->GetIdleRequests(), 0);
    EXPECT_EQ(newcomer->GetParent(), top);

    // Shown and created, the top control detaches it on the window's idle notification.
    const RCPtr<FakeRootWindow> window(new FakeRootWindow);
    (void)top->AttachToRootWindow(window);
    top->MarkCreated();
    EXPECT_EQ(top->RemoveChildLater(newcomer), 0);
    EXPECT_EQ(window->GetRegistrationCount(), 1);
    (void)window->Notify(LNotification::Create(u"NID_IDLE"));
    EXPECT_EQ(newcomer->GetParent(), nullptr);
    EXPECT_EQ(window->GetRegistrationCount(), 0);
}

TEST_F(TreeTest, MovingToAnotherParentLeavesTheOldOne)
{
    const auto first = TestControl::Create(nullptr, u"first");
    const auto child = TestControl::Create(first, u"child");
    EXPECT_EQ(child->SetParent(top), 0);
    EXPECT_EQ(first->GetChildren().GetCount(), 0u);
    EXPECT_EQ(first->GetInternalRefCount(), 0);
    EXPECT_EQ(top->GetChildren().GetAt(0, 0), child);
    EXPECT_EQ(top->GetInternalRefCount(), 1);
    EXPECT_EQ(child->Detach(), 0);
    EXPECT_EQ(child->GetParent(), nullptr);
    EXPECT_EQ(top->GetInternalRefCount(), 0);
}
} // namespace
} // namespace ZQ
