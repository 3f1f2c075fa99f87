#include "MenuBench.h"
#include "Support/StringPrinting.h"

#include <gtest/gtest.h>

namespace ZQ
{
namespace
{
using TestSupport::Utf8;
using ZQTest::MenuBench;

struct ComboMenuTest : ::testing::Test
{
    MenuBench b{ZQTest::MenuBarSkin(), ZQTest::MenuBarStrings()};
};

TEST_F(ComboMenuTest, ThePressOpensAndTheNextPressCloses)
{
    b.ClickAt({20, 10});
    ASSERT_TRUE(b.Title(0)->IsDropDownOpen());
    EXPECT_EQ(b.Title(0)->GetFirstVisibleLookIndex(), LComboMenu::kLookOpen);
    EXPECT_TRUE(b.PopupOf(0)->IsFocused());
    b.ClickAt({20, 10});
    EXPECT_FALSE(b.Title(0)->IsDropDownOpen());
    EXPECT_EQ(b.Title(0)->GetFirstVisibleLookIndex(), LComboMenu::kLookHover);
}
} // namespace
} // namespace ZQ
