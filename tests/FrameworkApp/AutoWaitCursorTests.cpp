#include "FrameworkApp/TestApplication.h"

#include "ZQFramework/Application/Framework/AutoWaitCursor.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationCenter.h"

#include <gtest/gtest.h>

namespace ZQ
{
namespace
{
using ZQTest::NotificationLog;
using ZQTest::RecordingStatusBar;
using ZQTest::TestApplication;
using ZQTest::TestRootWindow;

struct AutoWaitCursorTest : ::testing::Test
{
    AutoWaitCursorTest()
    {
        application->StatusBar = &statusBar;
        window.Services.Cursor = 7;
    }

    RCPtr<TestApplication> application = TestApplication::Create();
    RecordingStatusBar statusBar;
    TestRootWindow window{false};
};

TEST_F(AutoWaitCursorTest, ShowsTheWaitCursorAndTheTextThenRestoresBoth)
{
    application->RegisterRootWindow(window.Window);
    {
        const CAutoWaitCursor busy(u"");
        EXPECT_EQ(window.Services.Cursor, TestApplication::kWaitCursor);
        EXPECT_EQ(statusBar.Calls, std::vector<std::string>{"now "});
    }
    EXPECT_EQ(window.Services.Cursor, 7);
    EXPECT_EQ(statusBar.Calls, (std::vector<std::string>{"now ", "post Ready"}));
}

TEST_F(AutoWaitCursorTest, NestedBusyCursorsRestoreInReverseOrder)
{
    TestRootWindow active(true);
    active.Services.Cursor = 3;
    application->RegisterRootWindow(window.Window);
    application->RegisterRootWindow(active.Window);
    {
        const CAutoWaitCursor outer(u"Loading");
        {
            const CAutoWaitCursor inner(u"Saving");
        }
        EXPECT_EQ(active.Services.Cursor, TestApplication::kWaitCursor);
    }
    // The active window carried both; the first one was left alone.
    EXPECT_EQ(active.Services.Calls,
              (std::vector<std::string>{"SetCursor 100", "SetCursor 100", "SetCursor 100", "SetCursor 3"}));
    EXPECT_EQ(window.Services.Count("SetCursor"), 0);
    EXPECT_EQ(statusBar.Calls,
              (std::vector<std::string>{"now Loading", "now Saving", "post Ready", "post Ready"}));
}

TEST_F(AutoWaitCursorTest, DeliversWhatWasQueuedBeforeTheStep)
{
    std::vector<std::string> log;
    const RCPtr<NotificationLog> receiver(new NotificationLog(log, "centre"));
    const RCPtr<LNotificationCenter> centre = GetDefaultNotificationCenter();
    ASSERT_NE(
        receiver->RegisterWithDistributor(RCPtr<LNotificationDistributor>(centre), u"NID_TEST_QUEUED", 0),
        nullptr);
    ASSERT_EQ(centre->PostNotification(LNotification::Create(u"NID_TEST_QUEUED")), 0);

    for (const bool withWindow : {false, true})
    {
        if (withWindow)
        {
            application->RegisterRootWindow(window.Window);
            ASSERT_EQ(centre->PostNotification(LNotification::Create(u"NID_TEST_QUEUED")), 0);
        }
        log.clear();
        const CAutoWaitCursor busy(u"Working");
        EXPECT_EQ(log, std::vector<std::string>{"centre NID_TEST_QUEUED"}) << withWindow;
    }
    (void)receiver->UnregisterFromAllDistributors();
}
} // namespace
} // namespace ZQ
