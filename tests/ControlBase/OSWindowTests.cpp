#include "Support/FakeControlApplication.h"
#include "Support/RecordingRenderer.h"
#include "Support/TestControl.h"

#include "Platform/Window/CopyData.h"
#include "Platform/Window/Display.h"
#include "Platform/Window/Keys.h"
#include "Platform/Window/MessageLoop.h"
#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/ControlBase/Services/Clipboard.h"
#include "ZQFramework/ControlBase/Windows/OSWindow.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Notification/KeyParam.h"
#include "ZQFramework/Notification/MouseButtonParam.h"
#include "ZQFramework/Notification/MouseWheelParam.h"
#include "ZQFramework/Notification/NotificationCenterManager.h"
#include "ZQFramework/Notification/NotificationHandler.h"
#include "ZQFramework/Utilities/Graphics/Region.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace ZQ
{
namespace
{
namespace PW = Platform::Window;
using ZQTest::FakeControlApplication;

// A root control that records what its window routes to it: buttons, wheels and keys, the capture's end
// and the dirty area of each paint. It takes the capture on a press and gives it back when no button is
// held any more, as a control does.
class Probe : public LControl
{
public:
    static RCPtr<Probe> Create() { return RCPtr<Probe>(new Probe); }

    ZQRESULT OnMouseDown(const RCPtr<LMouseButtonParam>& p) override
    {
        Log.push_back("down " + std::to_string(p->mButton) + " double " + std::to_string(p->mDoubleClick));
        (void)GetRootWindow()->SetCaptureControl(RCPtr<LControl>(this));
        return 0;
    }
    ZQRESULT OnMouseUp(const RCPtr<LMouseButtonParam>& p) override
    {
        Log.push_back("up " + std::to_string(p->mButton));
        if (p->mHeldButtons == 0)
        {
            (void)GetRootWindow()->ReleaseCaptureControl();
        }
        return 0;
    }
    ZQRESULT EndMouseCapture() override
    {
        Log.push_back("end capture");
        (void)GetRootWindow()->ReleaseCaptureControl();
        return 0;
    }
    ZQRESULT OnWindowMouseWheel(const RCPtr<LMouseWheelParam>& p) override { return Wheel(*p); }
    ZQRESULT OnWindowMouseHWheel(const RCPtr<LMouseWheelParam>& p) override { return Wheel(*p); }
    ZQRESULT OnKeyPress(const RCPtr<LKeyParam>& p) override
    {
        Keys.push_back(p->mKeyCode);
        return 0;
    }
    RCPtr<LControl> GetControlAtPoint(const PointT<int32_t>& point, bool, PointT<int32_t>& local,
                                      int32_t&) override
    {
        local = point;
        return RCPtr<LControl>(this);
    }
    ZQRESULT Draw(const RCPtr<LRenderer>& renderer, const Region& dirty, RCPtrArray<LControl, 1, 0>& deferred,
                  bool unclippedPass) override
    {
        Region::Edges bounds;
        (void)dirty.GetBounds(bounds);
        Painted.push_back(bounds);
        return LControl::Draw(renderer, dirty, deferred, unclippedPass);
    }

    std::vector<std::string> Log;
    std::vector<std::string> Wheels; // "direction x,y"
    std::vector<KeyCode> Keys;
    std::vector<Region::Edges> Painted;

private:
    Probe() : LControl(nullptr, u"probe") {}
    ZQRESULT Wheel(const LMouseWheelParam& p)
    {
        Wheels.push_back(std::to_string(p.mDirection) + " " + std::to_string(p.mX) + "," +
                         std::to_string(p.mY));
        return 0;
    }
};

// A focused native window without a display, 400 x 300 at (100, 50), over a recording renderer, with the
// probe as its root control.
struct OSWindowTest : ::testing::Test
{
    OSWindowTest()
    {
        EXPECT_EQ(PW::Display::Current(), nullptr) << "these tests run the window without a display";
        Open();
    }
    void Open()
    {
        window = OSWindow::Create({"", u"test", {100, 50, 500, 350}});
        handle = window->GetHandle();
        (void)window->SetRenderer(RCPtr<LRenderer>(new TestSupport::RecordingRenderer));
        root = window->GetRootWindow();
        (void)root->SetRootControl(probe);
        (void)window->SetFocus();
        root->OnControlFocused(probe);
    }
    ~OSWindowTest() override
    {
        if (loop.IsWindow(handle))
        {
            (void)Send(PW::kWmClose);
        }
        (void)root->SetRootControl(nullptr);
        (void)probe->ReleaseInternalReferences();
    }

    PW::LResult Send(uint32_t message, PW::WParam wParam = 0, PW::LParam lParam = 0)
    {
        return loop.SendMessage({handle, message, wParam, lParam});
    }

    PW::MessageLoop loop;
    FakeControlApplication application;
    OSWindow* window = nullptr;
    PW::WindowHandle handle = 0;
    RCPtr<LRootWindow> root;
    RCPtr<Probe> probe = Probe::Create();
};

TEST_F(OSWindowTest, TheWindowRegistersItsRootWindowAndAnswersItsGeometry)
{
    EXPECT_EQ(application.RootWindows.size(), 1u);
    EXPECT_EQ(root->GetServices(), window);
    EXPECT_TRUE(window->IsActive());
    EXPECT_TRUE(window->HasFocus());
    RectT<int32_t> client;
    ASSERT_EQ(window->GetClientRect(client), 0);
    EXPECT_EQ(client, (RectT<int32_t>{0, 0, 400, 300}));
    PointT<int32_t> screen;
    (void)window->ClientToScreen(screen, {10, 20});
    EXPECT_EQ(screen, (PointT<int32_t>{110, 70}));
    EXPECT_EQ(root->GetScreenRect(), (RectT<int32_t>{100, 50, 400, 300}));
}

TEST_F(OSWindowTest, EveryNativeWindowSharesTheOneCurrentCursor)
{
    const intptr_t before = window->SetCursor(7);
    OSWindow* other = OSWindow::Create({"", u"other", {0, 0, 200, 100}});
    EXPECT_EQ(other->SetCursor(7), 7) << "already current";
    EXPECT_EQ(other->SetCursor(8), 7);
    EXPECT_EQ(window->SetCursor(before), 8);
    EXPECT_EQ(GetUICursor(u"UI_CURSOR_DROP_MOVE"), 2);
    (void)loop.SendMessage({other->GetHandle(), PW::kWmClose, 0, 0});
}

TEST_F(OSWindowTest, ComingBackIntoTheWorkAreaRepaintsTheWholeWindow)
{
    Region dirty;
    root->TakeDirtyRegion(dirty);
    (void)window->SetWindowRect({1100, 900, 400, 300}); // partly below and right of the work area
    EXPECT_FALSE(root->IsFullRepaintPending());
    (void)window->SetWindowRect({100, 100, 400, 300});
    EXPECT_TRUE(root->IsFullRepaintPending());
    EXPECT_EQ(root->GetScreenRect(), (RectT<int32_t>{100, 100, 400, 300}));
}

TEST_F(OSWindowTest, OnlyTheMainWindowAsksTheApplicationAboutPowerEvents)
{
    application.PowerBroadcastAnswer = 7;
    EXPECT_EQ(Send(PW::kWmPowerBroadcast, 4), 1);
    application.FirstRootWindow = root;
    EXPECT_EQ(Send(PW::kWmPowerBroadcast, 4), 7);
}

TEST_F(OSWindowTest, WheelDeltasAreGatheredIntoOneEventPerMessage)
{
    struct Case
    {
        bool horizontal;
        std::vector<int16_t> deltas;
        std::vector<std::string> events;
    };
    const Case cases[] = {
        {false, {240}, {"1 20,30"}},
        {false, {240, 60}, {"1 20,30"}},               // nothing is left over from the two notches
        {false, {60, 60}, {"1 20,30"}},                // the second message completes the notch
        {false, {-130, -110}, {"0 20,30", "0 20,30"}}, // -10 was kept
        {false, {-130, -100}, {"0 20,30"}},
        {true, {120, -240}, {"3 20,30", "2 20,30"}},
    };
    for (const Case& c : cases)
    {
        // A new window starts without remainders.
        (void)Send(PW::kWmClose);
        Open();
        probe->Wheels.clear();
        for (const int16_t delta : c.deltas)
        {
            // The position comes in screen coordinates.
            (void)Send(c.horizontal ? PW::kWmMouseHWheel : PW::kWmMouseWheel,
                       static_cast<PW::WParam>(static_cast<uint16_t>(delta)) << 16,
                       PW::MakePointParam(120, 80));
        }
        EXPECT_EQ(probe->Wheels, c.events) << c.deltas.front() << " and " << c.deltas.size() - 1 << " more";
    }
}

TEST_F(OSWindowTest, KeyMessagesCarryTheHeldModifiersWithTheirSides)
{
    constexpr uint32_t A = 0x00410000u;
    struct Case
    {
        std::vector<uint32_t> held;
        uint32_t message;
        PW::LParam flags;
        uint32_t code;
        uint32_t sides;
        uint8_t wasDown;
    };
    const Case cases[] = {
        {{}, PW::kWmKeyDown, 0, A | KeyCode::kKeyDown, 0, 0},
        {{}, PW::kWmKeyDown, PW::kKeyPreviousBit, A | KeyCode::kKeyDown, 0, 1},
        {{}, PW::kWmKeyUp, PW::kKeyPreviousBit | PW::kKeyTransitionBit, A, 0, 1},
        {{PW::kVkShift, PW::kVkLShift}, PW::kWmKeyDown, 0, A | KeyCode::kKeyDown | KeyCode::kShift, 0x1, 0},
        {{PW::kVkShift, PW::kVkRShift}, PW::kWmKeyDown, 0, A | KeyCode::kKeyDown | KeyCode::kShift, 0x2, 0},
        {{PW::kVkControl, PW::kVkLControl},
         PW::kWmKeyDown,
         0,
         A | KeyCode::kKeyDown | KeyCode::kCtrl,
         0x4,
         0},
        {{PW::kVkControl, PW::kVkRControl},
         PW::kWmKeyDown,
         0,
         A | KeyCode::kKeyDown | KeyCode::kCtrl,
         0x8,
         0},
        {{PW::kVkMenu, PW::kVkLMenu},
         PW::kWmSysKeyDown,
         PW::kKeyContextBit,
         A | KeyCode::kKeyDown | KeyCode::kAlt,
         0x10,
         0},
        {{PW::kVkMenu, PW::kVkRMenu}, PW::kWmSysKeyUp, PW::kKeyContextBit, A | KeyCode::kAlt, 0x20, 1},
        // Alt counts only as the message reports it.
        {{PW::kVkMenu, PW::kVkLMenu}, PW::kWmKeyDown, 0, A | KeyCode::kKeyDown, 0, 0},
        {{PW::kVkLWin}, PW::kWmKeyDown, 0, A | KeyCode::kKeyDown | KeyCode::kWin, 0x40, 0},
        {{PW::kVkRWin}, PW::kWmKeyDown, 0, A | KeyCode::kKeyDown | KeyCode::kWin, 0x80, 0},
        {{PW::kVkShift, PW::kVkLShift, PW::kVkRShift, PW::kVkControl, PW::kVkLControl},
         PW::kWmKeyDown,
         0,
         A | KeyCode::kKeyDown | KeyCode::kShift | KeyCode::kCtrl,
         0x7,
         0},
    };
    for (const Case& c : cases)
    {
        application.KeysDown = c.held;
        probe->Keys.clear();
        (void)Send(c.message, 'A', c.flags);
        ASSERT_EQ(probe->Keys.size(), 1u) << std::hex << c.code;
        EXPECT_EQ(probe->Keys[0].GetCode(), c.code) << std::hex << c.code;
        EXPECT_EQ(probe->Keys[0].GetSides(), c.sides) << std::hex << c.code;
        EXPECT_EQ(probe->Keys[0].GetWasDown(), c.wasDown) << std::hex << c.code;
    }
}

TEST_F(OSWindowTest, AKeyWithoutVirtualKeyCountsOnlyUnderCtrlAndAltOrAsASystemKey)
{
    application.KeysDown = {PW::kVkControl};
    (void)Send(PW::kWmKeyDown, 0, 0);
    EXPECT_TRUE(probe->Keys.empty());

    (void)Send(PW::kWmKeyDown, 0, PW::kKeyContextBit);
    ASSERT_EQ(probe->Keys.size(), 1u);
    EXPECT_EQ(probe->Keys[0].GetCode(), KeyCode::kKeyDown | KeyCode::kCtrl | KeyCode::kAlt);

    application.KeysDown.clear();
    (void)Send(PW::kWmSysKeyUp, 0, 0);
    ASSERT_EQ(probe->Keys.size(), 2u);
    EXPECT_EQ(probe->Keys[1].GetCode(), 0u);
}

TEST_F(OSWindowTest, TypedCharactersCarryShiftCtrlAndAltButNothingWhileAWindowsKeyIsHeld)
{
    application.KeysDown = {PW::kVkShift, PW::kVkControl};
    (void)Send(PW::kWmChar, u'a', PW::kKeyContextBit);
    ASSERT_EQ(probe->Keys.size(), 1u);
    EXPECT_EQ(probe->Keys[0].GetCode(), u'a' | KeyCode::kShift | KeyCode::kCtrl | KeyCode::kAlt);

    application.KeysDown = {PW::kVkLWin};
    (void)Send(PW::kWmChar, u'a', 0);
    EXPECT_EQ(probe->Keys.size(), 1u);
}

// Receives what the default center delivers.
class ExitListener : public LNotificationClient
{
public:
    ExitListener() : mHandler(LNotificationHandler<ExitListener>::Create(this))
    {
        (void)mHandler->AddCallback(&ExitListener::Heard,
                                    RCPtr<LNotificationDistributor>(GetDefaultNotificationCenter()),
                                    u"NID_APP_EXIT_REQ");
    }
    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification) override
    {
        return mHandler->Dispatch(source, notification);
    }
    ZQRESULT Heard(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
    {
        ++Count;
        return 0;
    }
    int Count = 0;

private:
    RCPtr<LNotificationHandler<ExitListener>> mHandler;
};

TEST_F(OSWindowTest, TheMainWindowsCloseBoxAsksTheApplicationToExitAndAnyOtherWindowCloses)
{
    const RCPtr<LNotificationCenter> center = GetDefaultNotificationCenter();
    (void)center->Flush();
    const RCPtr<ExitListener> listener(new ExitListener);
    application.FirstRootWindow = root;
    (void)Send(PW::kWmSysCommand, PW::kScClose);
    (void)center->ProcessNotifications(false);
    EXPECT_EQ(listener->Count, 1);
    EXPECT_TRUE(loop.IsWindow(handle)) << "the main window stays until the application closes it";

    OSWindow* second = OSWindow::Create({"", u"second", {0, 0, 200, 100}});
    (void)second->SetRenderer(RCPtr<LRenderer>(new TestSupport::RecordingRenderer));
    const RCPtr<LRootWindow> secondRoot = second->GetRootWindow();
    const PW::WindowHandle secondHandle = second->GetHandle();
    (void)loop.SendMessage({secondHandle, PW::kWmSysCommand, PW::kScClose, 0});
    (void)secondRoot->ProcessIdle(false);
    (void)center->ProcessNotifications(false);
    EXPECT_EQ(listener->Count, 1);
    EXPECT_FALSE(loop.IsWindow(secondHandle));
    // The native window is gone: its root window no longer reaches it nor is listed.
    EXPECT_EQ(secondRoot->GetServices(), nullptr);
    EXPECT_EQ(application.RootWindows.size(), 1u);
    (void)listener->UnregisterFromAllDistributors();
}

TEST_F(OSWindowTest, TheCloseBoxBeforeARootWindowExistsIsIgnored)
{
    OSWindow* bare = OSWindow::Create({"", u"bare", {0, 0, 200, 100}});
    (void)loop.SendMessage({bare->GetHandle(), PW::kWmSysCommand, PW::kScClose, 0});
    EXPECT_TRUE(loop.IsWindow(bare->GetHandle()));
    (void)loop.SendMessage({bare->GetHandle(), PW::kWmClose, 0, 0});
}

TEST_F(OSWindowTest, AnotherInstancesCommandLineArrivesOnlyWithItsIdentifierAtAnEnabledWindow)
{
    struct Case
    {
        uintptr_t id;
        std::string bytes;
        size_t sent; // the bytes handed over: a prefix of bytes
        bool enabled;
        std::vector<WString> expected;
    };
    const Case cases[] = {
        {0x465, std::string("-update file.bin\0rest", 21), 21, true, {u"-update file.bin"}},
        {0x465, "abcdef", 3, true, {u"abc"}}, // no terminator: the text stops with the bytes
        {0x465,
         "Gr\xC3\xBC\xC3\x9F"
         "e",
         7,
         true,
         {u"Gr\u00FC\u00DFe"}},
        {0x466, "abc", 3, true, {}},
        {0x465, "abc", 3, false, {}},
    };
    for (const Case& c : cases)
    {
        application.CommandLines.clear();
        loop.EnableWindow(handle, c.enabled);
        const PW::CopyData data{c.id, std::span(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.sent)};
        (void)Send(PW::kWmCopyData, 0, reinterpret_cast<PW::LParam>(&data));
        EXPECT_EQ(application.CommandLines, c.expected) << c.bytes;
    }
    loop.EnableWindow(handle, true);
}

TEST_F(OSWindowTest, AfterARestoringResizeTheNextPaintRepaintsTheWholeClientArea)
{
    loop.PaintNow(handle);
    probe->Painted.clear();
    root->InvalidateRect({10, 10, 5, 5});
    loop.PaintNow(handle);
    ASSERT_EQ(probe->Painted.size(), 1u);
    EXPECT_EQ(probe->Painted.back(), (Region::Edges{10, 10, 15, 15})) << "only what was invalidated";

    (void)Send(PW::kWmSize, PW::kSizeRestored, PW::MakeSizeParam(400, 300));
    root->InvalidateRect({10, 10, 5, 5});
    loop.PaintNow(handle);
    ASSERT_EQ(probe->Painted.size(), 2u);
    EXPECT_EQ(probe->Painted.back(), (Region::Edges{0, 0, 400, 300}));
    EXPECT_EQ(window->GetRenderContext()->GetViewport(), (RectT<int32_t>{0, 0, 400, 300}));

    // A minimised window is not repainted whole for it.
    (void)Send(PW::kWmSize, PW::kSizeMinimized, 0);
    root->InvalidateRect({10, 10, 5, 5});
    loop.PaintNow(handle);
    EXPECT_EQ(probe->Painted.back(), (Region::Edges{10, 10, 15, 15}));
}

TEST_F(OSWindowTest, KickIdleKeepsIdlingWhileTheApplicationHasWorkForTwoPasses)
{
    struct Case
    {
        bool work;
        PW::WParam count;
        PW::LResult answer;
    };
    for (const Case& c : {Case{true, 0, 1}, Case{true, 1, 1}, Case{true, 2, 0}, Case{false, 0, 0}})
    {
        application.PendingWork = c.work;
        EXPECT_EQ(Send(PW::kWmKickIdle, c.count), c.answer) << c.work << " " << c.count;
    }
    EXPECT_EQ(application.IdlePasses, 4);
    EXPECT_EQ(application.FirstIdlePasses, 2);
}

// The clipboard selection of the process, without a display.
TEST_F(OSWindowTest, LosingTheClipboardForgetsTheObjectPutThere)
{
    application.Clipboard = LClipboard::Create();
    const RCPtr<LRefCountedObject> object(new LNotificationDistributor);
    ASSERT_EQ(application.Clipboard->SetText(object), 0);
    ASSERT_EQ(application.Clipboard->GetText(), object);
    (void)Send(PW::kWmDestroyClipboard);
    EXPECT_EQ(application.Clipboard->GetText(), nullptr);
}

TEST_F(OSWindowTest, ButtonsHoldTheCaptureUntilTheLastIsReleasedOverAnotherWindow)
{
    application.MouseButtons = 4; // what the system reports once the window holds no capture
    (void)Send(PW::kWmLButtonDown, PW::kMkLButton, PW::MakePointParam(10, 10));
    (void)Send(PW::kWmRButtonDown, PW::kMkLButton | PW::kMkRButton, PW::MakePointParam(10, 10));
    EXPECT_EQ(window->GetMouseButtons(), 5u) << "while captured: the buttons pressed here";

    // Released over the window: the capture stays.
    (void)Send(PW::kWmRButtonUp, PW::kMkLButton, PW::MakePointParam(10, 10));
    EXPECT_EQ(window->GetMouseButtons(), 1u);

    // The last button released over another window: the up still arrives, then the capture goes.
    probe->Log.clear();
    (void)Send(PW::kWmLButtonUp, 0, PW::MakePointParam(-5, 500));
    std::vector<std::string> buttons;
    for (const std::string& line : probe->Log)
    {
        if (line.starts_with("up") || line == "end capture")
        {
            buttons.push_back(line);
        }
    }
    EXPECT_EQ(buttons, (std::vector<std::string>{"up 1", "end capture"}));
    EXPECT_EQ(window->GetMouseButtons(), 4u);
}

TEST_F(OSWindowTest, LeavingTheWindowWithoutButtonsGivesTheCaptureBack)
{
    (void)Send(PW::kWmMouseMove, 0, PW::MakePointParam(10, 10));
    application.MouseButtons = 4;
    EXPECT_EQ(window->GetMouseButtons(), 0u) << "the window took the capture when the pointer came in";
    (void)Send(PW::kWmMouseMove, 0, PW::MakePointParam(400, 10));
    EXPECT_EQ(window->GetMouseButtons(), 4u);
}

TEST_F(OSWindowTest, SizingIsHeldToAtLeastOnePixelOfClientArea)
{
    PW::Rect proposed{10, 20, 5, 20};
    EXPECT_EQ(Send(PW::kWmSizing, 0, reinterpret_cast<PW::LParam>(&proposed)), 1);
    EXPECT_EQ(proposed, (PW::Rect{10, 20, 11, 21}));
}

TEST_F(OSWindowTest, EndModalOutsideAModalLoopClosesTheWindow)
{
    EXPECT_FALSE(window->IsModal());
    EXPECT_EQ(window->EndModal(3), 0);
    EXPECT_FALSE(loop.IsWindow(handle));
    EXPECT_TRUE(application.RootWindows.empty());
}

// An application that runs its root windows' idle work, last to first, and notes whether the owner of a
// modal loop takes input meanwhile.
struct IdlingApplication : FakeControlApplication
{
    bool ProcessPendingNotifications(bool firstPass) override
    {
        OwnerEnabledWhileIdle = PW::MessageLoop::Current()->IsWindowEnabled(Owner);
        for (size_t i = RootWindows.size(); i-- > 0;)
        {
            (void)RCPtr<LRootWindow>(RootWindows[i])->ProcessIdle(firstPass);
        }
        return FakeControlApplication::ProcessPendingNotifications(firstPass);
    }
    PW::WindowHandle Owner = 0;
    bool OwnerEnabledWhileIdle = true;
};

TEST(OSWindowModalLoop, EndsWithTheResultAtTheNextIdlePassThenTheWindowIsGone)
{
    PW::MessageLoop loop;
    IdlingApplication application;
    application.Owner = loop.CreateMessageWindow([](const PW::Message&) { return PW::LResult{0}; });
    enum class End
    {
        EndModal, // the root window's EndModal(3), carried out at the next idle pass
        Quit,     // WM_QUIT (posted again for the loop outside, so it comes last)
        Close,    // WM_CLOSE while the loop runs: the window goes, the loop ends, the object once
    };
    struct Case
    {
        End end;
        int32_t result;
    };
    for (const Case& c : {Case{End::EndModal, 3}, Case{End::Close, 0}, Case{End::Quit, -1}})
    {
        OSWindow* dialog = OSWindow::Create({"", u"dialog", {0, 0, 200, 100}, application.Owner});
        (void)dialog->SetRenderer(RCPtr<LRenderer>(new TestSupport::RecordingRenderer));
        const RCPtr<LRootWindow> dialogRoot = dialog->GetRootWindow();
        const PW::WindowHandle dialogHandle = dialog->GetHandle();
        switch (c.end)
        {
        case End::EndModal:
            (void)dialogRoot->EndModal(3);
            break;
        case End::Quit:
            loop.PostQuitMessage(0);
            break;
        case End::Close:
            loop.PostMessage({dialogHandle, PW::kWmClose, 0, 0});
            break;
        }
        EXPECT_EQ(dialog->RunModalLoop(), c.result);
        EXPECT_FALSE(loop.IsWindow(dialogHandle));
        EXPECT_EQ(dialogRoot->GetServices(), nullptr);
        EXPECT_TRUE(application.RootWindows.empty());
        EXPECT_TRUE(loop.IsWindowEnabled(application.Owner));
    }
    EXPECT_FALSE(application.OwnerEnabledWhileIdle);
    EXPECT_GE(application.FirstIdlePasses, 1);
    loop.RemoveWindow(application.Owner);
}
} // namespace
} // namespace ZQ
