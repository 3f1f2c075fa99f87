#include "MenuBench.h"
#include "Support/MeasurementRendererScope.h"
#include "Support/TempRegistry.h"
#include "TextBoxBench.h"

#include "Platform/Window/Display.h"
#include "Platform/Window/MessageLoop.h"
#include "ZQFramework/ControlBase/GlobalHotKeyManager.h"
#include "ZQFramework/ControlBase/OSWindow.h"
#include "ZQFramework/ControlBase/RootWindow.h"
#include "ZQFramework/Controls/MainMenu.h"
#include "ZQFramework/Notification/KeyCode.h"
#include "ZQFramework/Renderer/Renderer.h"

#include <cairo.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>

// Xlib after GoogleTest, whose headers its None macro would break.
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
// clang-format on
#include "Support/X11TestSupport.h"

namespace ZQ
{
namespace
{
namespace PW = Platform::Window;
using namespace std::chrono_literals;
using ZQTest::Entry;

// A bar 12 pixels high over the whole window, two titles 30 wide, popups of 12-pixel rows with a check box
// and a hot-key label. The window stays small, so that cairo sends the back buffer without shared memory
// (its record of a shared-memory upload outlives the display); each menu holds one item, which fits.
std::string BarSkin()
{
    const std::string row =
        R"(<SubControl Class="Framework.MenuItem" Name="templateItem" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeAbs="12"><Skin Name="row" LookList="looks14"/>
        <SubControl Class="Framework.Button" Name="checkBox" XPositionAbs="1" YPositionAbs="3" XSizeAbs="6" YSizeAbs="6"><Skin Name="box" LookList="looks14"/></SubControl>
        <SubControl Class="Framework.Label" Name="hotKeyLabel" XPlacementAnchor="1" XPositionRel="1" XSizeAbs="20" YSizeAbs="12"><Skin Name="hot" LookList="textLooks"/></SubControl>
      </SubControl>)";
    return ZQTest::TextSkinOf(
        R"(<SubControl Class="Test.Panel" Name="main" XSizeAbs="60" YSizeAbs="26"><Skin Name="main" LookList="one"/>
      <SubControl Class="Framework.MainMenu" Name="bar" XSizeAbs="60" YSizeAbs="12"><Skin Name="bar" LookList="one"/>
        <SubControl Class="Framework.ComboMenu" Name="templateMenu" XSizeAbs="30" YSizeAbs="12"><Skin Name="title" LookList="textLooks"/>
          <SubControl Class="Framework.PopupMenu" Name="popupMenu" YPositionRel="1" XSizeAbs="60" YSizeAbs="12"><Skin Name="popup" LookList="one"/>)" +
        row + R"(</SubControl></SubControl></SubControl></SubControl>)");
}

std::string BarStrings()
{
    return R"(<StringTable ID="Test.Panel|bar">)" + Entry("MENU_LABEL.00", "File") +
           Entry("MENU_LABEL.01", "Options") +
           Entry("CONTEXT_MENU0.00.NID_MENU_FILE_SELECT", "Select Firmware File") +
           Entry("CONTEXT_MENU1.00.NID_MENU_OPTIONS_ALLOW_DOWNGRADE", "Allow downgrade") + "</StringTable>";
}

// Answers the bar's item-state questions: "Allow downgrade" is always checked.
class MenuOwner : public LControl
{
public:
    MenuOwner() : LControl(nullptr, u"owner") {}

    ZQRESULT UpdateMenuItemState(const RCPtr<LMenuDescriptor>& menu, int32_t itemIndex, int32_t /*command*/,
                                 MenuItemState& state) override
    {
        if (menu->GetItemAt(static_cast<uint32_t>(itemIndex))->mCommand ==
            u"NID_MENU_OPTIONS_ALLOW_DOWNGRADE")
            state.Checked = 1;
        return 0;
    }
};

// One shown, focused native window at (100, 100) painted by the GDI+ renderer, which also measures the
// texts, showing the menu bar. The fake application runs no idle passes of its own: the test runs them,
// as the application's loop would once the window has nothing left to do.
class MainMenuX11 : public TestSupport::TempRegistry
{
protected:
    static constexpr PW::Rect kRect{100, 100, 160, 126};
    static constexpr int kWidth = 60;
    static constexpr int kHeight = 26;

    void SetUp() override
    {
        TempRegistry::SetUp();
        mDisplay = TestSupport::OpenDisplay(mLoop);
        if (!mDisplay)
            GTEST_SKIP() << "no X display";
        mX = static_cast<::Display*>(mDisplay->NativeDisplay());
        mWindow = OSWindow::Create({"", u"Menu bar test", kRect});
        ASSERT_NE(mWindow, nullptr);
        mHandle = mWindow->GetHandle();
        ASSERT_EQ(mWindow->CreateRenderer(LRenderer::kGdiplus), 0);
        mRoot = mWindow->GetRootWindow();
        mMeasuring = std::make_unique<TestSupport::MeasurementRendererScope>(
            RCPtr<LMeasurementRenderer>(mRoot->GetRenderer()));
        (void)mWindow->Show(PW::kSwShowNormal);
        ASSERT_TRUE(Pump([&] { return mDisplay->IsOnScreen(mHandle); }));
        (void)mWindow->SetFocus();
        ASSERT_TRUE(Pump([&] { return mWindow->IsActive(); }));

        mBench.Factory->SetCurrentSkinIndex(1);
        ZQTest::RegisterMenus(mBench);
        (void)ZQTest::RegisterContainers(mBench);
        mBench.Application.ActiveRootWindow = RCPtr<LRefCountedObject>(mRoot);
        mBench.Application.FirstRootWindow = RCPtr<LRefCountedObject>(mRoot);
        // Bound before the bar is built: its popups take their hot-key texts when they get their menus.
        ASSERT_EQ(mRoot->GetHotKeyManager()->GetKeyBindings().AddBinding(KeyCode::FromString(u"Ctrl+VKEY_D"),
                                                                         u"NID_MENU_OPTIONS_ALLOW_DOWNGRADE"),
                  0);
        (void)mRoot->SetRootControl(mBench.Factory->CreateControlByName(u"main", mRoot));
        mBar = RCPtr<LMainMenu>(mRoot->GetRootControl()->FindChild(u"bar"));
        ASSERT_NE(mBar, nullptr);
        ASSERT_EQ(mBar->GetMenuCount(), 2);
    }

    void TearDown() override
    {
        if (mLoop.IsWindow(mHandle))
            (void)mLoop.SendMessage({mHandle, PW::kWmClose, 0, 0});
        if (mRoot != nullptr)
            (void)mRoot->SetRootControl(nullptr);
        mBar = nullptr;
        if (mOwner != nullptr)
            (void)mOwner->ReleaseInternalReferences();
        mBench.Application.ActiveRootWindow = nullptr;
        mBench.Application.FirstRootWindow = nullptr;
        mMeasuring.reset();
        TempRegistry::TearDown();
    }

    template <typename Pred>
    bool Pump(Pred pred)
    {
        return TestSupport::PumpUntil(mLoop, pred);
    }

    void MoveTo(int x, int y)
    {
        XTestFakeMotionEvent(mX, -1, kRect.left + x, kRect.top + y, 0);
        XFlush(mX);
    }

    void Button(bool down)
    {
        XTestFakeButtonEvent(mX, 1, down ? True : False, 0);
        XFlush(mX);
    }

    // A press and release of the left button at (x, y) in the window.
    void Click(int x, int y)
    {
        MoveTo(x, y);
        Button(true);
        Button(false);
    }

    // One idle pass of the window, 10 ms after the last on the application's clock.
    void IdlePass()
    {
        mBench.Application.Seconds += 0.01;
        mBench.Application.Milliseconds += 10;
        (void)mRoot->ProcessIdle(true);
    }

    // Runs the loop alone (no idle pass) for a while.
    void LoopFor(std::chrono::milliseconds span)
    {
        const auto end = std::chrono::steady_clock::now() + span;
        while (std::chrono::steady_clock::now() < end)
            (void)mLoop.DispatchOnce(10ms);
    }

    [[nodiscard]] bool IsOpen(int32_t index) const { return mBar->GetMenuAt(index)->IsDropDownOpen(); }

    // The window's pixels, saved as a PNG test artifact.
    void SaveScreenshot(const char* name)
    {
        XSync(mX, False);
        XImage* image = XGetImage(mX, mHandle, 0, 0, kWidth, kHeight, AllPlanes, ZPixmap);
        ASSERT_NE(image, nullptr);
        cairo_surface_t* shot = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
        auto* pixels = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(shot));
        const int stride = cairo_image_surface_get_stride(shot) / 4;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                pixels[y * stride + x] = static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF;
        cairo_surface_mark_dirty(shot);
        const auto folder = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "artifacts";
        std::filesystem::create_directories(folder);
        EXPECT_EQ(cairo_surface_write_to_png(shot, (folder / name).c_str()), CAIRO_STATUS_SUCCESS);
        cairo_surface_destroy(shot);
        XDestroyImage(image);
    }

    // Declared first: the fake application that the window and the controls ask.
    ZQTest::ControlsBench mBench{BarSkin(), BarStrings()};
    PW::MessageLoop mLoop;
    std::unique_ptr<PW::Display> mDisplay;
    std::unique_ptr<TestSupport::MeasurementRendererScope> mMeasuring;
    ::Display* mX = nullptr;
    OSWindow* mWindow = nullptr;
    PW::WindowHandle mHandle = 0;
    RCPtr<LRootWindow> mRoot;
    RCPtr<LMainMenu> mBar;
    RCPtr<MenuOwner> mOwner;
};

TEST_F(MainMenuX11, ClickedAndDraggedItemsReachTheWindowAndTheOpenMenuShowsCheckAndHotKey)
{
    const auto log = ZQTest::ListenTo(mBench, *mRoot, {u"NID_MENU_FILE_SELECT"});
    const auto chosen = [&] { return log->TimesOf("NID_MENU_FILE_SELECT").size(); };

    Click(10, 6);
    ASSERT_TRUE(Pump([&] { return IsOpen(0); }));
    Click(10, 18);
    ASSERT_TRUE(Pump([&] { return !IsOpen(0); }));
    LoopFor(100ms);
    EXPECT_EQ(chosen(), 0u) << "before an idle pass";
    IdlePass();
    EXPECT_EQ(chosen(), 1u);

    MoveTo(10, 6);
    Button(true);
    ASSERT_TRUE(Pump([&] { return IsOpen(0); }));
    MoveTo(12, 14);
    MoveTo(14, 18);
    Button(false);
    ASSERT_TRUE(Pump([&] { return !IsOpen(0); }));
    LoopFor(100ms);
    EXPECT_EQ(chosen(), 1u);
    IdlePass();
    EXPECT_EQ(chosen(), 2u);

    // Options: checked by the owner, its binding's key shown beside it.
    mOwner = RCPtr<MenuOwner>(new MenuOwner());
    EXPECT_EQ(mBar->SetMenuItemUpdater(mOwner->GetMenuItemUpdater()), 0);
    Click(40, 6);
    ASSERT_TRUE(Pump([&] { return IsOpen(1); }));
    const RCPtr<LPopupMenu> popup = mBar->GetMenuAt(1)->GetPopup();
    EXPECT_TRUE(popup->IsItemChecked(0));
    EXPECT_EQ(popup->GetMenuDescriptor()->GetItemAt(0)->mHotKeyText,
              KeyCode::FromString(u"Ctrl+VKEY_D").ToDisplayString());
    mRoot->InvalidateAllAndRedraw();
    (void)mLoop.DispatchOnce(20ms);
    SaveScreenshot("MainMenuOpen.png");
    Click(40, 6);
    ASSERT_TRUE(Pump([&] { return !IsOpen(1); }));
    EXPECT_EQ(chosen(), 2u);
}
} // namespace
} // namespace ZQ
