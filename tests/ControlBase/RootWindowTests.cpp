#include "Support/FakeControlApplication.h"
#include "Support/FakeWindowServices.h"
#include "Support/TestControl.h"

#include "ZQFramework/ControlBase/RootWindow.h"
#include "ZQFramework/Utilities/Graphics/Region.h"

#include <gtest/gtest.h>

namespace ZQ
{
namespace
{
using ZQTest::FakeControlApplication;
using ZQTest::FakeWindowServices;
using ZQTest::TestControl;

struct RootWindowTest : ::testing::Test
{
    ~RootWindowTest() override { (void)window->ReleaseInternalReferences(); }

    FakeControlApplication application;
    FakeWindowServices services;
    RCPtr<LRootWindow> window = LRootWindow::Create(nullptr, &services);
};

TEST_F(RootWindowTest, InvalidateRectKeepsOnlyThePartInsideTheClientArea)
{
    window->InvalidateRect({-50, -50, 40, 40});
    window->InvalidateRect({400, 0, 10, 10});
    EXPECT_EQ(services.Count("InvalidateRect"), 0);

    window->InvalidateRect({390, 290, 20, 20});
    ASSERT_EQ(services.Calls, std::vector<std::string>{"InvalidateRect 390 290 10 10"});
    Region dirty;
    window->TakeDirtyRegion(dirty);
    Region::Edges bounds{};
    ASSERT_TRUE(dirty.GetBounds(bounds));
    EXPECT_EQ(bounds, (Region::Edges{390, 290, 400, 300}));
    window->TakeDirtyRegion(dirty);
    EXPECT_TRUE(dirty.IsEmpty());

    window->SetFullRepaint(true);
    window->TakeDirtyRegion(dirty);
    ASSERT_TRUE(dirty.GetBounds(bounds));
    EXPECT_EQ(bounds, (Region::Edges{0, 0, 400, 300}));
    EXPECT_FALSE(window->IsFullRepaintPending());
}

TEST_F(RootWindowTest, EndModalWaitsForTheNextIdlePassAndNeedsServices)
{
    EXPECT_EQ(window->EndModal(3), 0);
    EXPECT_EQ(services.Count("EndModal"), 0);
    (void)window->ProcessIdle(true);
    EXPECT_EQ(services.ModalResults, std::vector<int32_t>{3});

    const RCPtr<LRootWindow> bare = LRootWindow::Create(nullptr, nullptr);
    EXPECT_EQ(bare->EndModal(3), E_FAIL);
    (void)bare->ReleaseInternalReferences();
}

TEST_F(RootWindowTest, SetRootControlFillsTheWindowAndNullDropsEveryReference)
{
    const RCPtr<TestControl> top = TestControl::Create(nullptr, u"top");
    top->MarkCreated();
    ASSERT_EQ(window->SetRootControl(top), 0);
    EXPECT_EQ(top->GetRootWindow(), window);
    EXPECT_EQ(top->GetRect(), (RectT<double>{0, 0, 400, 300}));
    window->OnControlFocused(top);

    ASSERT_EQ(window->SetRootControl(nullptr), 0);
    EXPECT_EQ(window->GetRootControl(), nullptr);
    EXPECT_EQ(window->GetFocusControl(), nullptr);
    EXPECT_EQ(top->GetRootWindowObject(), nullptr);
}
} // namespace
} // namespace ZQ
