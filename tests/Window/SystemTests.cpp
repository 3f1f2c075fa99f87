#include "Platform/Window/Keys.h"
#include "Platform/Window/System.h"

#include <gtest/gtest.h>

namespace
{
using namespace Platform::Window;

// No Display is opened in headless tests, so every service answers without one.
TEST(WindowSystem, AnswersPlainlyWithoutADisplay)
{
    ASSERT_EQ(Display::Current(), nullptr);
    EXPECT_EQ(LoadStandardCursor(kIdcArrow), 0u);
    EXPECT_EQ(SetCursor(5), 0u);
    ShowCursor(false);
    EXPECT_EQ(GetCursorPos(), (Point{0, 0}));
    EXPECT_EQ(GetMouseButtons(), 0u);
    EXPECT_FALSE(IsKeyDown(kVkShift));
    EXPECT_TRUE(GetWorkArea().IsEmpty());
    EXPECT_EQ(GetDoubleClickTime(), 500);
    EXPECT_EQ(GetDoubleClickSize(), (Point{4, 4}));
    EXPECT_EQ(GetIconTitleFont().face, u"Arial");
    EXPECT_EQ(GetIconTitleFont().height, -12);
}
} // namespace
