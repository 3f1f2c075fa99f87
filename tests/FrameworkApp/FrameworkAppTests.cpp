#include "FrameworkApp/TestApplication.h"
#include "Support/RecordingRenderer.h"
#include "Support/SkinFragment.h"

#include "Platform/Window/Dialogs.h"
#include "Platform/Window/MessageLoop.h"
#include "ZQFramework/ControlBase/Skin/StringTable.h"
#include "ZQFramework/Controls/Lists/ListBox.h"
#include "ZQFramework/Controls/Menus/PopupMenu.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationCenter.h"
#include "ZQFramework/Renderer/MeasurementRenderer.h"

#include <chrono>
#include <gtest/gtest.h>

namespace ZQ
{
namespace
{
using ZQTest::NotificationLog;
using ZQTest::RecordingStatusBar;
using ZQTest::TestApplication;
using ZQTest::TestRootWindow;

void Post(LNotificationQueue& queue, const char16_t* name)
{
    ASSERT_EQ(queue.PostNotification(LNotification::Create(name)), 0);
}

TEST(FrameworkApp, WithoutRootWindowsTheServicesAnswerPlainly)
{
    RecordingStatusBar statusBar;
    const RCPtr<TestApplication> application = TestApplication::Create();
    application->StatusBar = &statusBar;

    EXPECT_EQ(LFrameworkApp::GetInstance(), application.Get());
    EXPECT_EQ(IControlApplication::GetCurrent(), application.Get());
    EXPECT_EQ(application->FindActiveRootWindow(), nullptr);
    EXPECT_EQ(application->GetActiveRootWindow(), nullptr);
    EXPECT_EQ(application->GetFirstRootWindow(), nullptr);
    EXPECT_EQ(application->GetRenderer(), nullptr);
    EXPECT_EQ(GetMeasurementRenderer(), nullptr);
    EXPECT_EQ(application->SetStatusText(u"Busy", true), E_FAIL);
    EXPECT_EQ(application->RestoreStatusText(false), E_FAIL);
    EXPECT_TRUE(statusBar.Calls.empty());
    // Without a display the system has the pointer at 0,0 and no button down.
    EXPECT_EQ(application->GetPointerScreenPosition(), (PointT<int32_t>{0, 0}));
    EXPECT_EQ(application->GetMouseButtons(), 0u);
}

TEST(FrameworkApp, GoingAwayLeavesNoApplicationBehind)
{
    {
        const RCPtr<TestApplication> application = TestApplication::Create();
        // The application moves the pointer for list boxes while it lives.
        const LListBox::CursorPositioner positioner = LListBox::SetCursorPositioner(nullptr);
        EXPECT_NE(positioner, nullptr);
        (void)LListBox::SetCursorPositioner(positioner);
        // Menus show their items' status texts in its status bar.
        const LPopupMenu::StatusTextSink sink = LPopupMenu::SetStatusTextSink(nullptr);
        ASSERT_NE(sink, nullptr);
        (void)LPopupMenu::SetStatusTextSink(sink);
        ASSERT_EQ(application->RunApplicationStartup(), 0);
        ASSERT_EQ(application->RunApplicationShutdown(), 0);
        EXPECT_EQ(application->GetControlFactory(), nullptr);
        EXPECT_EQ(application->GetClipboard(), nullptr);
    }
    EXPECT_EQ(LFrameworkApp::GetInstance(), nullptr);
    EXPECT_EQ(IControlApplication::GetCurrent(), nullptr);
    EXPECT_EQ(LListBox::SetCursorPositioner(nullptr), nullptr);
    EXPECT_EQ(LPopupMenu::SetStatusTextSink(nullptr), nullptr);
}

TEST(FrameworkApp, RootWindowsRegisterOnceAndTheFirstOneMeasures)
{
    const RCPtr<TestApplication> application = TestApplication::Create();
    const RCPtr<TestSupport::RecordingRenderer> renderer(new TestSupport::RecordingRenderer());
    TestRootWindow first(false, renderer);
    TestRootWindow second(true);
    RecordingStatusBar statusBar;
    application->StatusBar = &statusBar;

    application->RegisterRootWindow(first.Window);
    application->RegisterRootWindow(second.Window);
    application->RegisterRootWindow(first.Window);
    ASSERT_EQ(application->GetRootWindowCount(), 2u);
    EXPECT_EQ(application->GetRootWindowAt(0), first.Window);
    EXPECT_EQ(application->GetRootWindowAt(1), second.Window);
    EXPECT_EQ(application->FindActiveRootWindow(), second.Window);
    EXPECT_EQ(application->GetRenderer(), renderer);
    EXPECT_EQ(GetMeasurementRenderer(), renderer);

    EXPECT_EQ(application->SetStatusText(u"Busy", true), 0);
    EXPECT_EQ(application->RestoreStatusText(false), 0);
    EXPECT_EQ(statusBar.Calls, (std::vector<std::string>{"now Busy", "post Ready"}));

    // The pointer and the buttons come from the active window, the pointer in screen coordinates.
    second.Services.CursorPos = {5, 7};
    second.Services.MouseButtons = 4;
    EXPECT_EQ(application->GetPointerScreenPosition(), (PointT<int32_t>{105, 57}));
    EXPECT_EQ(application->GetMouseButtons(), 4u);

    application->UnregisterRootWindow(first.Window.Get());
    EXPECT_EQ(application->GetRootWindowCount(), 1u);
    EXPECT_EQ(application->GetRenderer(), nullptr);
}

TEST(FrameworkApp, NotificationCentresDrainBeforeRootWindowsLastToFirst)
{
    const RCPtr<TestApplication> application = TestApplication::Create();
    TestRootWindow first(true);
    TestRootWindow second(true);
    application->RegisterRootWindow(first.Window);
    application->RegisterRootWindow(second.Window);
    std::vector<std::string> log;
    const RCPtr<NotificationLog> centreLog(new NotificationLog(log, "centre"));
    const RCPtr<NotificationLog> firstLog(new NotificationLog(log, "first"));
    const RCPtr<NotificationLog> secondLog(new NotificationLog(log, "second"));
    const RCPtr<LNotificationCenter> centre = GetDefaultNotificationCenter();
    ASSERT_NE(
        centreLog->RegisterWithDistributor(RCPtr<LNotificationDistributor>(centre), u"NID_TEST_PING", 0),
        nullptr);
    ASSERT_NE(
        firstLog->RegisterWithDistributor(RCPtr<LNotificationDistributor>(first.Window), u"NID_TEST_PING", 0),
        nullptr);
    ASSERT_NE(secondLog->RegisterWithDistributor(RCPtr<LNotificationDistributor>(second.Window),
                                                 u"NID_TEST_PING", 0),
              nullptr);

    Post(*first.Window, u"NID_TEST_PING");
    Post(*second.Window, u"NID_TEST_PING");
    Post(*centre, u"NID_TEST_PING");
    EXPECT_FALSE(application->ProcessPendingNotifications(false));

    EXPECT_EQ(log, (std::vector<std::string>{"centre NID_TEST_PING", "second NID_TEST_PING",
                                             "first NID_TEST_PING"}));
    (void)centreLog->UnregisterFromAllDistributors();
    (void)firstLog->UnregisterFromAllDistributors();
    (void)secondLog->UnregisterFromAllDistributors();
}

// Two root windows, the second one active, a main window that counts WM_CLOSE, and the loop running.
struct ExitRequestTest : ::testing::Test
{
    ExitRequestTest()
    {
        EXPECT_EQ(application->RunApplicationStartup(), 0);
        first.Services.Modal = true;
        second.Services.Modal = true;
        application->RegisterRootWindow(first.Window);
        application->RegisterRootWindow(second.Window);
        mainWindow = loop.CreateMessageWindow(
            [this](const Platform::Window::Message& message) -> Platform::Window::LResult
            {
                if (message.message == Platform::Window::kWmClose)
                    ++closes;
                if (message.message == kPostExitRequest)
                    Post(*GetDefaultNotificationCenter(), kExitRequestName);
                if (message.message == Platform::Window::kWmTimer)
                {
                    timedOut = true;
                    loop.PostQuitMessage(1);
                }
                return 0;
            });
        application->SetMainWindow(mainWindow);
    }
    ~ExitRequestTest() override { (void)application->RunApplicationShutdown(); }

    static constexpr uint32_t kPostExitRequest = 0x0400;

    Platform::Window::MessageLoop loop;
    RCPtr<TestApplication> application = TestApplication::Create();
    TestRootWindow first{false};
    TestRootWindow second{true};
    Platform::Window::WindowHandle mainWindow = 0;
    int closes = 0;
    bool timedOut = false;
};

TEST_F(ExitRequestTest, EndsTheSecondaryModalLoopsClosesTheMainWindowAndQuits)
{
    loop.PostMessage({mainWindow, kPostExitRequest, 0, 0});
    loop.SetTimer(mainWindow, 1, std::chrono::seconds(30));

    (void)application->RunApplication();

    ASSERT_FALSE(timedOut);
    // The main window was drawn once before the loop.
    EXPECT_EQ(first.Services.Count("RedrawNow"), 1);
    EXPECT_EQ(second.Services.Count("RedrawNow"), 0);
    EXPECT_TRUE(application->IsExiting());
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(first.Services.Count("EndModal"), 0);
    EXPECT_EQ(second.Services.ModalResults, std::vector<int32_t>{0});
}

TEST_F(ExitRequestTest, IsDroppedWhileExitIsNotAllowed)
{
    application->ExitAllowed = false;
    Post(*GetDefaultNotificationCenter(), kExitRequestName);
    (void)application->ProcessPendingNotifications(true);
    (void)loop.DispatchPending();

    EXPECT_FALSE(application->IsExiting());
    EXPECT_EQ(closes, 0);
    EXPECT_FALSE(second.Window->IsEndModalPending());
    EXPECT_EQ(second.Services.Count("EndModal"), 0);
}

TEST(FrameworkApp, AnErrorOutOfTheLoopShowsTheStartupErrorAndAsksToExit)
{
    struct Case
    {
        LStringTable::Map Strings;
        bool HasTable;
        std::u16string Text;
        std::u16string Caption;
    };
    const Case cases[] = {
        {{{u"STARTUP_ERROR", u"Start failed"}, {u"STARTUP_ERROR_CAPTION", u"Trouble"}},
         true,
         u"Start failed",
         u"Trouble"},
        // No English default here: without the table the box is empty.
        {{}, false, u"", u""},
    };
    for (const Case& c : cases)
    {
        Platform::Window::DialogScript::Reset();
        Platform::Window::DialogScript::AnswerNextMessageBox(Platform::Window::kIdOk);
        const RCPtr<TestApplication> application =
            TestApplication::Create(nullptr, c.HasTable ? LStringTable::Create(c.Strings) : nullptr);
        ASSERT_EQ(application->RunApplicationStartup(), 0);
        application->LoopThrows = true;

        (void)application->RunApplication();

        const auto asked = Platform::Window::DialogScript::LastMessageBox();
        ASSERT_TRUE(asked.has_value());
        EXPECT_EQ(asked->text, c.Text);
        EXPECT_EQ(asked->caption, c.Caption);
        EXPECT_EQ(asked->flags, Platform::Window::kMbIconError);
        EXPECT_TRUE(application->IsExiting());
        (void)application->RunApplicationShutdown();
    }
    Platform::Window::DialogScript::Reset();
}

TEST(FrameworkApp, AltF4AsksToExitUnlessAGlobalBindingTakesIt)
{
    struct Case
    {
        const char* Strings;
        const char* Action;
    };
    const Case cases[] = {
        {R"(<StringTable ID="|Brandole">
              <String ID="GHK.NID_TOGGLE_FULL_SCREEN"><Locale LCID="0x0009">Alt+VKEY_F4</Locale></String>
            </StringTable>)",
         "NID_TOGGLE_FULL_SCREEN"},
        {R"(<StringTable ID="|Brandole">
              <String ID="GHK.NID_TOGGLE_FULL_SCREEN"><Locale LCID="0x0009">Alt+VKEY_F5</Locale></String>
            </StringTable>)",
         "NID_APP_EXIT_REQ"},
    };
    for (const Case& c : cases)
    {
        const RCPtr<TestApplication> application =
            TestApplication::Create(ZQTest::LoadStringTableFragments(c.Strings, "", 0x0409));
        ASSERT_EQ(application->RunApplicationStartup(), 0);
        const WString action = application->GetHotKeyManager()->GetKeyBindings().GetActionForKey(
            KeyCode::FromString(u"Alt+VKEY_F4"));
        EXPECT_EQ(std::string(AString(action).GetBuffer()), c.Action);
        (void)application->RunApplicationShutdown();
    }
}
} // namespace
} // namespace ZQ
