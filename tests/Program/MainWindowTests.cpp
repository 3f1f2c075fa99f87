#include "Platform/Window/Display.h"
#include "ZQFramework/Application/Framework/MainWindow.h"
#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"

#include <gtest/gtest.h>

namespace
{
using Limit = ZQ::LLayoutDescriptor::AxisLimit;
using Platform::Window::Rect;

Limit Own(double abs, float rel = 0)
{
    return Limit{false, {}, rel, abs};
}

Limit Other(double abs)
{
    return Limit{true, u"Children", 0, abs};
}

TEST(MainWindowStyle, FollowsWhatTheLayoutLetsTheWindowDo)
{
    struct Case
    {
        const char* name;
        Limit xMin, yMin, xMax, yMax;
        uint32_t style;
    };
    const Case cases[] = {
        {"minimum = maximum", Own(400), Own(450), Own(400), Own(450), ZQ::kFixedMainWindowStyle},
        {"no minimum, maximum 0 of itself", Own(0), Own(0), Own(0), Own(0), ZQ::kMaximizableMainWindowStyle},
        {"no minimum, a maximum", Own(0), Own(0), Own(800), Own(600), ZQ::kSizableMainWindowStyle},
        {"minimum below maximum", Own(200), Own(200), Own(800), Own(600), ZQ::kSizableMainWindowStyle},
        {"minimum, maximum 0 of itself", Own(200), Own(200), Own(0), Own(0), ZQ::kMaximizableMainWindowStyle},
        {"every limit refers to another control", Other(0), Other(0), Other(0), Other(0),
         ZQ::kFixedMainWindowStyle},
        {"a maximum of 0 refers to another control", Own(0), Own(0), Other(0), Own(0),
         ZQ::kSizableMainWindowStyle},
        {"a relative minimum counts", Own(0, 0.5f), Own(0), Own(0, 0.5f), Own(0), ZQ::kFixedMainWindowStyle},
    };
    for (const Case& c : cases)
    {
        ZQ::LLayoutDescriptor layout;
        layout.mXMinimum = c.xMin;
        layout.mYMinimum = c.yMin;
        layout.mXMaximum = c.xMax;
        layout.mYMaximum = c.yMax;
        EXPECT_EQ(ZQ::MainWindowStyle(layout), c.style) << c.name;
    }
}

TEST(MainWindowStyle, OnlyAWindowWithoutSizingFrameKeepsItsSize)
{
    Platform::Window::WindowDesc desc;
    ZQ::ApplyStyleLimits(ZQ::kFixedMainWindowStyle, 400, 450, desc);
    EXPECT_EQ((std::array{desc.minWidth, desc.minHeight, desc.maxWidth, desc.maxHeight}),
              (std::array{400, 450, 400, 450}));
    for (const uint32_t style : {ZQ::kSizableMainWindowStyle, ZQ::kMaximizableMainWindowStyle})
    {
        ZQ::ApplyStyleLimits(style, 400, 450, desc);
        EXPECT_EQ((std::array{desc.minWidth, desc.minHeight, desc.maxWidth, desc.maxHeight}),
                  (std::array{0, 0, 0, 0}));
    }
}

TEST(MainWindowPlacement, ARestoredRectangleIsCutToTheDesktopAndMovedOntoIt)
{
    const Rect desktop{0, 0, 1280, 1024};
    struct Case
    {
        const char* name;
        Rect saved;
        Rect placed;
    };
    const Case cases[] = {
        {"on the desktop", {100, 80, 500, 530}, {100, 80, 500, 530}},
        {"x = -300", {-300, 80, 100, 530}, {0, 80, 400, 530}},
        {"above the top", {100, -50, 500, 400}, {100, 0, 500, 450}},
        {"left beyond the right edge (a second monitor)", {1500, 80, 1900, 530}, {880, 80, 1280, 530}},
        {"below the bottom", {100, 900, 500, 1350}, {100, 574, 500, 1024}},
        {"larger than the desktop", {-10, -10, 2000, 1500}, {0, 0, 1280, 1024}},
        {"wider and far right", {3000, 0, 5000, 100}, {0, 0, 1280, 100}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ZQ::MoveOntoDesktop(ZQ::CutToDesktop(c.saved, desktop), desktop), c.placed) << c.name;
}

TEST(MainWindowPlacement, AWindowLargerThanAnUncutDesktopKeepsItsSizeAtTheEdge)
{
    // Without the cut, a window wider than the desktop is placed at its own width from the left.
    EXPECT_EQ(ZQ::MoveOntoDesktop({100, 0, 1500, 100}, {0, 0, 1280, 1024}), (Rect{0, 0, 1400, 100}));
}
} // namespace
