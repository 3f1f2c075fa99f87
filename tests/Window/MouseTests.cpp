#include "Platform/Window/Mouse.h"

#include <gtest/gtest.h>

namespace
{
using namespace Platform::Window;
using namespace std::chrono_literals;

// Installs a manual clock for one test.
class WindowMouse : public ::testing::Test
{
protected:
    void SetUp() override { Platform::SetClock(&mClock); }
    void TearDown() override { Platform::SetClock(nullptr); }
    Platform::ManualClock mClock;
};

TEST_F(WindowMouse, SecondPressWithinTimeAndDistanceIsADoubleClick)
{
    struct Case
    {
        const char* what;
        std::chrono::milliseconds after;
        Point second;
        unsigned secondButton;
        bool isDouble;
    };
    const Case cases[] = {
        {"same place at once", 0ms, {10, 10}, kButtonLeft, true},
        {"at the time limit", 500ms, {10, 10}, kButtonLeft, true},
        {"too late", 501ms, {10, 10}, kButtonLeft, false},
        {"four pixels away", 100ms, {14, 6}, kButtonLeft, true},
        {"five pixels away", 100ms, {15, 10}, kButtonLeft, false},
        {"another button", 100ms, {10, 10}, kButtonRight, false},
    };
    for (const auto& c : cases)
    {
        DoubleClickDetector detector;
        EXPECT_FALSE(detector.Press(kButtonLeft, {10, 10})) << c.what;
        mClock.Advance(c.after);
        EXPECT_EQ(detector.Press(c.secondButton, c.second), c.isDouble) << c.what;
    }
}

TEST_F(WindowMouse, ThirdPressIsPlainAndAFourthIsDoubleAgain)
{
    DoubleClickDetector detector;
    EXPECT_FALSE(detector.Press(kButtonLeft, {0, 0}));
    mClock.Advance(100ms);
    EXPECT_TRUE(detector.Press(kButtonLeft, {0, 0}));
    mClock.Advance(100ms);
    EXPECT_FALSE(detector.Press(kButtonLeft, {0, 0}));
    mClock.Advance(100ms);
    EXPECT_TRUE(detector.Press(kButtonLeft, {0, 0}));
}

TEST_F(WindowMouse, WheelButtonsAreNotchesOf120)
{
    EXPECT_EQ(WheelStepForButton(4), (WheelStep{false, 120}));
    EXPECT_EQ(WheelStepForButton(5), (WheelStep{false, -120}));
    EXPECT_EQ(WheelStepForButton(6), (WheelStep{true, -120}));
    EXPECT_EQ(WheelStepForButton(7), (WheelStep{true, 120}));
    EXPECT_FALSE(WheelStepForButton(1));
    EXPECT_FALSE(WheelStepForButton(8));
}

TEST_F(WindowMouse, ButtonsMapToTheirMessagesAndKeyBits)
{
    EXPECT_EQ(ButtonMessage(kButtonLeft, ButtonAction::Down), kWmLButtonDown);
    EXPECT_EQ(ButtonMessage(kButtonRight, ButtonAction::Up), kWmRButtonUp);
    EXPECT_EQ(ButtonMessage(kButtonMiddle, ButtonAction::DoubleClick), kWmMButtonDblClk);
    EXPECT_EQ(ButtonMessage(4, ButtonAction::Down), 0u);
    EXPECT_EQ(ButtonKeyBit(kButtonMiddle), kMkMButton);
    EXPECT_EQ(PointFromParam(MakePointParam(-3, 700)), (Point{-3, 700}));
}
} // namespace
