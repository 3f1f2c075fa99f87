#include "ControlsBench.h"

#include "ZQFramework/Controls/Menus/DropDownControl.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ZQ
{
namespace
{
using ZQTest::ControlsBench;

// "drop" at (10, 10) and "other" at (10, 60), both 100 x 30 and focusable.
constexpr const char* kSkin = R"(
<SubControl Class="Test.Panel" Name="main" XSizeAbs="300" YSizeAbs="200">
  <Skin Name="main" LookList="one"/>
  <SubControl Class="Test.DropDown" Name="drop" XPositionAbs="10" YPositionAbs="10" XSizeAbs="100" YSizeAbs="30">
    <Skin Name="drop" LookList="one"/>
  </SubControl>
  <SubControl Class="Test.Panel" Name="other" XPositionAbs="10" YPositionAbs="60" XSizeAbs="100" YSizeAbs="30">
    <Skin Name="other" LookList="one"/>
  </SubControl>
</SubControl>)";

// The smallest drop-down: a flag for its part, and a log of the calls that open and close it.
class TestDropDown : public LDropDownControl
{
public:
    TestDropDown(const RCPtr<LControl>& parent, const WString& name) : LDropDownControl(parent, name) {}

    [[nodiscard]] bool IsDropDownOpen() const override { return mOpen; }
    ZQRESULT ShowDropDown(bool open) override
    {
        Calls.push_back(open ? "open" : "close");
        mOpen = open;
        return 0;
    }

    std::vector<std::string> Calls;

private:
    bool mOpen = false;
};

struct DropDownTest : ::testing::Test
{
    RCPtr<LControl> Show()
    {
        bench.Register(u"Test.DropDown", &LControl::CreateFromDescriptor<TestDropDown>);
        return bench.Show();
    }

    // A full press and release of button (1 left, 2 middle, 4 right) at point.
    void Click(const PointT<int32_t>& point, uint32_t button = 1)
    {
        bench.MoveTo(point);
        bench.Services.MouseButtons = button;
        bench.Window->OnMouseButton(0, button, 0, point, 0);
        bench.Services.MouseButtons = 0;
        bench.Window->OnMouseButton(1, button, 0, point, 0);
    }

    ControlsBench bench{kSkin};
    RCPtr<LControl> main = Show();
    RCPtr<TestDropDown> drop = bench.Find<TestDropDown>(u"drop");
    const PointT<int32_t> onDrop{20, 20};
    const PointT<int32_t> onOther{20, 70};
};

TEST_F(DropDownTest, APressOpensAndTheNextPressClosesWithoutReopening)
{
    ASSERT_NE(drop, nullptr);
    Click(onDrop);
    EXPECT_TRUE(drop->IsDropDownOpen());
    EXPECT_TRUE(drop->IsFocused());
    Click(onDrop);
    EXPECT_FALSE(drop->IsDropDownOpen()) << "the second press closes it and leaves it closed";
    Click(onDrop);
    EXPECT_TRUE(drop->IsDropDownOpen()) << "a press on the closed part opens it again";
    EXPECT_EQ(drop->Calls, (std::vector<std::string>{"open", "close", "open"}));
}

TEST_F(DropDownTest, APartClosedByTheDerivedClassOpensAtTheNextPress)
{
    Click(onDrop);
    (void)drop->ShowDropDown(false);
    Click(onDrop);
    EXPECT_TRUE(drop->IsDropDownOpen());
}

TEST_F(DropDownTest, LosingTheFocusClosesTheDropDown)
{
    Click(onDrop);
    ASSERT_TRUE(drop->IsDropDownOpen());
    Click(onOther);
    EXPECT_FALSE(drop->IsDropDownOpen());
    EXPECT_FALSE(drop->IsFocused());

    Click(onDrop);
    ASSERT_TRUE(drop->IsDropDownOpen());
    (void)bench.Find(u"other")->SetFocus(true);
    EXPECT_FALSE(drop->IsDropDownOpen()) << "focus moved by code";
    Click(onDrop);
    EXPECT_TRUE(drop->IsDropDownOpen()) << "the press after focus moved away is not swallowed";
}

TEST_F(DropDownTest, RightAndMiddlePressesNeverOpen)
{
    for (const uint32_t button : {4u, 2u})
    {
        Click(onDrop, button);
        EXPECT_FALSE(drop->IsDropDownOpen()) << button;
    }
    EXPECT_TRUE(drop->IsFocused()) << "the presses did reach the control";
    Click(onDrop);
    ASSERT_TRUE(drop->IsDropDownOpen());
    Click(onDrop, 4);
    EXPECT_FALSE(drop->IsDropDownOpen()) << "a right press on the open part closes it through the focus";
    Click(onDrop);
    EXPECT_TRUE(drop->IsDropDownOpen()) << "and leaves nothing that would swallow the next left press";
}
} // namespace
} // namespace ZQ
