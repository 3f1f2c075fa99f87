#include "Program/ProgramTestApplication.h"

#include "Platform/Window/MessageLoop.h"
#include "ZQFramework/Application/Framework/MainWindow.h"
#include "ZQFramework/Application/Framework/StringTablesAndSkins.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/ControlBase/Windows/WindowOSServices.h"

#include <gtest/gtest.h>
#include <unistd.h>

// Further root windows, made headless: their native windows are the loop's message-only windows.
namespace
{
using Platform::Window::Rect;
using ZQ::RCPtr;
using ZQTest::ProgramTestApplication;

TEST(RootWindowStyle, AddsTheFramesAndBoxesAskedFor)
{
    struct Case
    {
        bool systemMenu, minimizeBox, maximizeBox, resizable;
        uint32_t style;
    };
    const Case cases[] = {
        {false, false, false, false, 0x80C00000}, {false, false, false, true, 0x80C40000},
        {true, false, false, false, 0x80C80000},  {false, true, false, false, 0x80CA0000},
        {false, false, true, false, 0x80C90000},  {true, true, true, true, 0x80CF0000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ZQ::RootWindowStyle(c.systemMenu, c.minimizeBox, c.maximizeBox, c.resizable), c.style)
            << std::hex << c.style;
}

TEST(RootWindowPlacement, AWindowIsShiftedIntoTheWorkArea)
{
    const ZQ::RectT<int32_t> workArea{100, 50, 800, 600}; // right edge 900, bottom edge 650
    struct Case
    {
        const char* name;
        Rect rect;
        Rect placed;
    };
    const Case cases[] = {
        {"inside", {200, 100, 400, 300}, {200, 100, 400, 300}},
        {"left of it", {0, 100, 200, 300}, {100, 100, 300, 300}},
        {"above it", {200, 0, 400, 200}, {200, 50, 400, 250}},
        {"beyond x + width", {800, 100, 1000, 300}, {700, 100, 900, 300}},
        {"beyond y + height", {200, 600, 400, 700}, {200, 550, 400, 650}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ZQ::MoveIntoWorkArea(c.rect, workArea), c.placed) << c.name;
    EXPECT_EQ(ZQ::MoveIntoWorkArea({-50, -50, 10, 10}, {}), (Rect{-50, -50, 10, 10})) << "no work area";
}

constexpr const char* kTwoControls =
    R"(<SubControl Class="Framework.Label" Name="mainControl" XPositionAbs="100" YPositionAbs="80" XSizeAbs="400"
        YSizeAbs="450" XMinSizeAbs="400" YMinSizeAbs="450" XMaxSizeAbs="400" YMaxSizeAbs="450">
       <CreateParamList><CreateParam ID="LABEL">Main</CreateParam></CreateParamList></SubControl>
       <SubControl Class="Framework.Label" Name="toolWindow" XPositionAbs="20" YPositionAbs="30" XSizeAbs="200"
        YSizeAbs="100"/>)";

// The test application started over a skin with a main control and a tool window, on a loop of its own;
// every window it made goes at the end.
struct RootWindowTest : ::testing::Test
{
    RootWindowTest()
    {
        ZQTest::WriteProgramDocuments(folder, ZQTest::ProgramSkins(kTwoControls));
        const RCPtr<ZQ::LControlFactory> factory = ZQ::LControlFactory::Create(u"Q3300 Splen");
        EXPECT_EQ(ZQ::LoadStringTablesAndSkins(factory, ZQ::WString(folder.string().c_str()), 0x0409), 0);
        application = RCPtr<ProgramTestApplication>(new ProgramTestApplication(factory, nullptr, u"program"));
        EXPECT_EQ(application->RunApplicationStartup(), 0);
    }
    ~RootWindowTest() override
    {
        for (uint32_t count = application->GetRootWindowCount(); count > 0; --count)
            (void)ZQ::GetRootWindowServices(*application, static_cast<int32_t>(count - 1))->EndModal(0);
        (void)application->RunApplicationShutdown();
        application = nullptr;
        std::filesystem::remove_all(folder);
    }

    [[nodiscard]] RCPtr<ZQ::LRootWindow> RootWindowAt(uint32_t index) const
    {
        return RCPtr<ZQ::LRootWindow>(application->GetRootWindowAt(index));
    }

    Platform::Window::MessageLoop loop;
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("zq-root-windows-" + std::to_string(getpid()));
    RCPtr<ProgramTestApplication> application;
};

TEST_F(RootWindowTest, AWindowByNameBecomesTheMainWindowWithItsControl)
{
    ASSERT_EQ(application->CreateRootWindow(nullptr, true, true, true, true, true, u"mainControl"), 0);
    const RCPtr<ZQ::LRootWindow> root = RootWindowAt(0);
    ASSERT_NE(root, nullptr);
    ASSERT_NE(root->GetRootControl(), nullptr);
    EXPECT_EQ(root->GetRootControl()->GetName(), u"mainControl");
    EXPECT_EQ(application->GetMainWindow(), root->GetServices()->GetNativeHandle());
    ZQ::RectT<int32_t> client;
    ASSERT_EQ(root->GetServices()->GetClientRect(client), 0);
    EXPECT_EQ(client.width, 400);
    EXPECT_EQ(client.height, 450);
}

TEST_F(RootWindowTest, AControlGetsAWindowPlacedByTheRootWindowThatExists)
{
    ZQ::RCPtr<ZQ::LControl> control;
    application->CreateControl(control, u"toolWindow");
    ASSERT_NE(control, nullptr);
    // No root window to place it by yet.
    EXPECT_EQ(application->CreateRootWindowForControl(control, true, false, false), E_FAIL);
    EXPECT_EQ(application->GetRootWindowCount(), 0u);

    ASSERT_EQ(application->CreateRootWindow(nullptr, true, true, true, true, true, u"mainControl"), 0);
    ASSERT_EQ(application->CreateRootWindowForControl(control, true, false, false), 1);
    const RCPtr<ZQ::LRootWindow> root = RootWindowAt(1);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetRootControl(), control);
    ZQ::RectT<int32_t> client;
    ASSERT_EQ(root->GetServices()->GetClientRect(client), 0);
    const ZQ::RectT<int32_t> size = control->GetRect().RoundToLong();
    EXPECT_EQ(client.width, size.width);
    EXPECT_EQ(client.height, size.height);
    // The new window shares the first one's renderer.
    EXPECT_EQ(root->GetRenderer(), RootWindowAt(0)->GetRenderer());
}

TEST_F(RootWindowTest, AMissingDescriptorIsAnError)
{
    try
    {
        (void)application->CreateRootWindow(nullptr, true, false, false, false, true, u"noSuchControl");
        ADD_FAILURE() << "no error";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_STREQ(error.what(), "Runtime Error : Null Pointer : Control descriptor is null : "
                                   "ZQ::LApplicationBase<class LApplication>::CreateRootWindow : "
                                   "zqframework\\include\\../Application/ApplicationBaseWin : Line 981");
    }
    EXPECT_EQ(application->GetRootWindowCount(), 0u);
}
} // namespace
