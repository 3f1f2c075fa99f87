#include "Notification/Recorder.h"
#include "Support/FakeControlApplication.h"
#include "Support/FakeWindowServices.h"

#include "ZQFramework/ControlBase/Windows/CancelArgs.h"
#include "ZQFramework/ControlBase/Windows/Dialog.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/ValueParam.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ZQ
{
namespace
{
using ZQTest::FakeControlApplication;
using ZQTest::FakeWindowServices;
using ZQTest::Recorder;
using Log = std::vector<std::string>;

// A dialog that logs OnClosed, with whether its window's modal end was pending by then.
class LoggingDialog : public LDialog
{
public:
    LoggingDialog(const RCPtr<LControl>& parent, Log* log) : LDialog(parent, u"dialog"), mLog(log) {}

    void OnClosed() override { mLog->push_back("OnClosed"); }

private:
    Log* mLog;
};

// A window (with services unless told otherwise) and a receiver that logs every notification of the
// dialog together with whether the window's modal end is pending at that moment.
struct DialogTest : ::testing::Test
{
    ~DialogTest() override
    {
        if (dialog != nullptr)
            (void)dialog->ReleaseInternalReferences();
        (void)window->ReleaseInternalReferences();
    }

    // Shows dialog as the window's root control and listens to it.
    void Show(const RCPtr<LDialog>& shown)
    {
        dialog = shown;
        (void)window->SetRootControl(dialog);
        Listen();
    }

    void Listen()
    {
        listener->mHook = [this](const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
        { log.back() += window->IsEndModalPending() ? " (modal end pending)" : ""; };
        for (const char16_t* name : {u"NID_DIALOG_CLOSING", u"NID_DIALOG_CLOSED"})
            (void)listener->RegisterWithDistributor(RCPtr<LNotificationDistributor>(dialog), name, 0);
    }

    FakeControlApplication application;
    FakeWindowServices services;
    RCPtr<LRootWindow> window = LRootWindow::Create(nullptr, &services);
    Log log;
    RCPtr<Recorder> listener = ZQTest::MakeRecorder("heard", &log);
    RCPtr<LDialog> dialog;
};

TEST_F(DialogTest, CloseEndsTheModalLoopThenSendsClosedThenCallsOnClosed)
{
    Show(RCPtr<LDialog>(new LoggingDialog(nullptr, &log)));
    dialog->Close(3);

    EXPECT_EQ(log,
              (Log{"heard:NID_DIALOG_CLOSING", "heard:NID_DIALOG_CLOSED (modal end pending)", "OnClosed"}));
    EXPECT_EQ(dialog->GetResult(), 3);
    EXPECT_TRUE(services.ModalResults.empty());
    (void)window->ProcessIdle(true);
    EXPECT_EQ(services.ModalResults, std::vector<int32_t>{3});
}

TEST_F(DialogTest, VetoedCloseKeepsTheDialogOpenButRemembersTheResult)
{
    Show(RCPtr<LDialog>(new LoggingDialog(nullptr, &log)));
    const RCPtr<Recorder> guard = ZQTest::MakeRecorder("guard", &log);
    guard->mHook = [](const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& notification)
    {
        const RCPtr<LCancelArgs> args(notification->GetParam());
        ASSERT_NE(args, nullptr);
        EXPECT_FALSE(args->mCancel);
        args->mCancel = true;
    };
    (void)guard->RegisterWithDistributor(RCPtr<LNotificationDistributor>(dialog), u"NID_DIALOG_CLOSING", 0);

    dialog->Close(7);
    EXPECT_EQ(log, (Log{"guard:NID_DIALOG_CLOSING", "heard:NID_DIALOG_CLOSING"}));
    EXPECT_EQ(dialog->GetResult(), 7);
    EXPECT_FALSE(window->IsEndModalPending());
    (void)window->ProcessIdle(true);
    EXPECT_TRUE(services.ModalResults.empty());
    EXPECT_TRUE(dialog->SendClosingNotification()->mCancel);
}

TEST_F(DialogTest, DialogUnderAParentEndsTheModalLoopOfItsTreesWindow)
{
    const RCPtr<LControl> top(new LControl(nullptr, u"top"));
    (void)window->SetRootControl(top);
    dialog = new LoggingDialog(top, &log);
    Listen();

    dialog->Close(4);
    EXPECT_EQ(log,
              (Log{"heard:NID_DIALOG_CLOSING", "heard:NID_DIALOG_CLOSED (modal end pending)", "OnClosed"}));
    (void)window->ProcessIdle(true);
    EXPECT_EQ(services.ModalResults, std::vector<int32_t>{4});
}

TEST_F(DialogTest, DialogThatNoWindowShowsStillSendsClosed)
{
    dialog = new LoggingDialog(nullptr, &log);
    Listen();
    dialog->Close(2);
    EXPECT_EQ(log, (Log{"heard:NID_DIALOG_CLOSING", "heard:NID_DIALOG_CLOSED", "OnClosed"}));
    EXPECT_EQ(dialog->GetResult(), 2);
}

TEST_F(DialogTest, WindowWithoutServicesCannotEndItsModalLoopButTheDialogStillCloses)
{
    const RCPtr<LRootWindow> bare = LRootWindow::Create(nullptr, nullptr);
    dialog = new LoggingDialog(nullptr, &log);
    (void)bare->SetRootControl(dialog);
    Listen();

    dialog->Close(5);
    EXPECT_EQ(log, (Log{"heard:NID_DIALOG_CLOSING", "heard:NID_DIALOG_CLOSED", "OnClosed"}));
    EXPECT_EQ(bare->EndModal(5), E_FAIL);
    (void)bare->ReleaseInternalReferences();
}

TEST(CancelArgs, CheckedConversionGivesNullForAnotherParameterType)
{
    const RCPtr<LNotification> closing = LNotification::Create(u"NID_DIALOG_CLOSING", LCancelArgs::Create());
    const RCPtr<LNotification> value =
        LNotification::Create(u"NID_VALUE_CHANGE", LValueParam::Create(0.5, 5));
    const RCPtr<LNotification> bare = LNotification::Create(u"NID_DIALOG_CLOSED");

    const ConstRCPtr<LCancelArgs> fromClosing(closing->GetParam());
    ASSERT_NE(fromClosing, nullptr);
    EXPECT_FALSE(fromClosing->mCancel);
    EXPECT_EQ(ConstRCPtr<LCancelArgs>(value->GetParam()), nullptr);
    EXPECT_EQ(ConstRCPtr<LCancelArgs>(bare->GetParam()), nullptr);
}
} // namespace
} // namespace ZQ
