#include "ControlsBench.h"

#include "ZQFramework/Controls/Buttons/Dropper.h"
#include "ZQFramework/Controls/Buttons/FileDropper.h"

#include <gtest/gtest.h>
#include <string>

namespace ZQ
{
namespace
{
using ZQTest::ControlsBench;

// A token of each class on a plain panel; the skin hides both and leaves them focusable.
constexpr const char* kTokens = R"(
<SubControl Class="Test.Panel" Name="main" XSizeAbs="300" YSizeAbs="200">
  <Skin Name="main" LookList="one"/>
  <SubControl Class="Framework.Dropper" Name="token" XPositionAbs="10" YPositionAbs="10" XSizeAbs="20" YSizeAbs="20" IsVisible="false">
    <Skin Name="token" LookList="one"/>
  </SubControl>
  <SubControl Class="Framework.FileDropper" Name="file" XPositionAbs="100" YPositionAbs="10" XSizeAbs="20" YSizeAbs="20" IsVisible="false">
    <Skin Name="file" LookList="one"/>
  </SubControl>
</SubControl>)";

struct DropperTest : ::testing::TestWithParam<const char16_t*>
{
    DropperTest()
    {
        bench.Register(u"Framework.Dropper", &LControl::CreateFromDescriptor<LDropper>);
        bench.Register(u"Framework.FileDropper", &LControl::CreateFromDescriptor<LFileDropper>);
        (void)bench.Show();
        token = bench.Find(GetParam());
    }

    // A press of button (1 left, 2 middle, 4 right) at point, in window coordinates.
    void PressButton(uint32_t button, const PointT<int32_t>& point)
    {
        bench.MoveTo(point);
        bench.Services.MouseButtons = button;
        bench.Window->OnMouseButton(0, button, 0, point, 0);
    }
    void ReleaseButton(uint32_t button)
    {
        bench.Services.MouseButtons = 0;
        bench.Window->OnMouseButton(1, button, 0, bench.Services.CursorPos, 0);
    }
    [[nodiscard]] PointT<int32_t> Inside() const
    {
        return {static_cast<int32_t>(token->GetRect().x) + 5, static_cast<int32_t>(token->GetRect().y) + 5};
    }

    ControlsBench bench{kTokens};
    RCPtr<LControl> token;
};

TEST_P(DropperTest, IsShownAndNotFocusableWhateverTheSkinSaid)
{
    ASSERT_NE(token, nullptr);
    EXPECT_TRUE(token->IsVisible(false));
    EXPECT_TRUE(token->IsNotFocusable());
}

TEST_P(DropperTest, ALeftPressAndAOnePixelMoveCarryTheTokenAndTheReleaseRemovesItAtTheNextIdlePass)
{
    const RectT<double> before = token->GetRect();
    const PointT<int32_t> press = Inside();
    PressButton(1, press);
    bench.MoveTo({press.x + 1, press.y});
    EXPECT_EQ(token->GetRect().x, before.x + 1);
    bench.MoveTo({press.x + 41, press.y + 30});
    EXPECT_EQ(token->GetRect().x, before.x + 41);
    EXPECT_EQ(token->GetRect().y, before.y + 30);

    ReleaseButton(1);
    EXPECT_FALSE(token->IsVisible(false)) << "hidden at once";
    EXPECT_EQ(token->GetParent(), bench.Window->GetRootControl()) << "still in the tree until idle";
    bench.IdleAfter(0.04);
    EXPECT_EQ(token->GetParent(), nullptr);
    EXPECT_EQ(bench.Find(GetParam()), nullptr);
}

TEST_P(DropperTest, MiddleAndRightPressesDoNotStartADrag)
{
    for (const uint32_t button : {2u, 4u})
    {
        const RectT<double> before = token->GetRect();
        const PointT<int32_t> press = Inside();
        PressButton(button, press);
        bench.MoveTo({press.x + 20, press.y + 20});
        ReleaseButton(button);
        bench.IdleAfter(0.04);
        EXPECT_EQ(token->GetRect(), before) << button;
        EXPECT_EQ(token->GetParent(), bench.Window->GetRootControl()) << button;
    }
}

INSTANTIATE_TEST_SUITE_P(BothClasses, DropperTest, ::testing::Values(u"token", u"file"));
} // namespace
} // namespace ZQ
