#include "PanelUI/UpdaterBench.h"

#include "ZQFramework/Notification/NotificationClient.h"

#include <gtest/gtest.h>

namespace UpdaterTest
{
namespace
{
// Counts the exit requests posted to the default notification center.
class ExitRequestCounter : public ZQ::LNotificationClient
{
public:
    ZQRESULT ReceiveNotification(const ZQ::RCPtr<ZQ::LNotificationDistributor>& /*source*/,
                                 const ZQ::RCPtr<ZQ::LNotification>& /*notification*/) override
    {
        ++Count;
        return 0;
    }
    int Count = 0;
};

struct HandOverCase
{
    int32_t state;
    int32_t result;
    bool needed;
    bool allowDowngrade;
    int32_t answer; // the sibling's status exit code
    bool startable;
    std::vector<std::string> calls;
    bool exitRequested;
};

const std::string kStatus = "wait Tavrin DJ Q3300 Firmware Updater.exe -RETURN_UPDATE_MODE_STATUS";
const std::string kStart = "start Tavrin DJ Q3300 Firmware Updater.exe";

TEST(HandOverTests, TheSiblingIsAskedAndStartedOnlyWhenItGoesFirst)
{
    const HandOverCase cases[] = {
        // Not in normal mode, or after an abort or a failure: the sibling is not run at all.
        {7, 0, false, false, 3, true, {}, false},
        {5, 2, false, false, 3, true, {}, false},
        {5, 3, false, false, 5, true, {}, false},
        // After this program's update: a sibling with work is started and this program ends.
        {5, 4, false, false, 3, true, {kStatus, kStart}, true},
        {5, 4, true, false, 5, true, {kStatus, kStart}, true},
        {5, 4, false, false, 4, true, {kStatus}, false},
        // No update made yet: the sibling goes first only when this program has nothing to send.
        {5, 0, false, false, 5, true, {kStatus, kStart}, true},
        {5, 0, true, false, 5, true, {kStatus}, false},
        {5, 0, false, true, 3, true, {kStatus}, false},
        {5, 0, false, false, 2, true, {kStatus}, false},
        // A sibling that cannot be started: no status, nothing happens.
        {5, 0, false, false, 5, false, {kStatus}, false},
    };
    for (const HandOverCase& c : cases)
    {
        StubSiblingLauncher sibling;
        sibling.StatusAnswer = c.answer;
        sibling.Startable = c.startable;
        UpdaterBench bench;
        bench.EngineOf->updateNeeded = c.needed;
        (void)bench.Processor->SetAlwaysUpdate(c.allowDowngrade);
        const ZQ::RCPtr<ExitRequestCounter> exits(new ExitRequestCounter());
        (void)exits->RegisterWithDistributor(
            ZQ::RCPtr<ZQ::LNotificationDistributor>(ZQ::GetDefaultNotificationCenter()), ZQ::kExitRequestName,
            0);

        DeviceSpecificDeviceStateChangedProcessing(c.state, c.result, Engine::kFileValid);
        (void)ZQ::GetDefaultNotificationCenter()->ProcessNotifications(false);

        const std::string where = std::string("state ") + std::to_string(c.state) + " result " +
                                  std::to_string(c.result) + " answer " + std::to_string(c.answer);
        EXPECT_EQ(sibling.Calls, c.calls) << where;
        EXPECT_EQ(exits->Count, c.exitRequested ? 1 : 0) << where;
        (void)exits->UnregisterFromAllDistributors();
    }
}

TEST(HandOverTests, ASiblingThatCannotStartShowsTheErrorBoxAndStillEnds)
{
    StubSiblingLauncher sibling;
    UpdaterBench bench;
    LaunchXmosFirmwareUpdater();
    EXPECT_FALSE(Platform::Window::DialogScript::LastMessageBox().has_value());

    sibling.Startable = false;
    // The box is answered by script: under a display the real one would wait for a user.
    Platform::Window::DialogScript::AnswerNextMessageBox(Platform::Window::kIdOk);
    LaunchXmosFirmwareUpdater();

    const auto box = Platform::Window::DialogScript::LastMessageBox();
    ASSERT_TRUE(box.has_value());
    EXPECT_TRUE(box->text ==
                u"The XMOS Updater application can not be launched. Please re-install the application.");
    EXPECT_TRUE(box->caption == u"Error launching XMOS Firmware Updater");
    EXPECT_EQ(box->flags, Platform::Window::kMbIconError);
}

TEST(HandOverTests, TheSiblingLiesOneFolderAboveTheProgram)
{
    const std::string path = TestSupport::Utf8(GetXmosUpdaterPath());
    const std::string folder = TestSupport::Utf8(ZQ::MFCFrameworkAppBase::GetFolder(0));
    EXPECT_EQ(path, folder + "/../Tavrin DJ Q3300 Firmware Updater.exe");
}

TEST(HandOverTests, WithoutAProcessorTheDecisionRaisesItsError)
{
    StubSiblingLauncher sibling;
    sibling.StatusAnswer = 5;
    UpdaterBench bench;
    bench.Application->SetUpdateProcessor(nullptr);
    try
    {
        DeviceSpecificDeviceStateChangedProcessing(5, 0, Engine::kFileValid);
        FAIL() << "no error";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_STREQ(error.what(), "Runtime Error : Null Pointer : can not get the update processsor : "
                                   "DeviceSpecificDeviceStateChangedProcessing : "
                                   "panel\\ui\\../Engine/DeviceSpecificInfo/DeviceSpecificInfo : Line 367");
    }
}

TEST(HandOverTests, TheWindowHandsOverWhenTheDeviceComesBackAfterItsUpdate)
{
    StubSiblingLauncher sibling;
    sibling.StatusAnswer = 3;
    UpdaterBench bench;
    bench.Prepare(Engine::kStateUpdating, Engine::kFileValid, Engine::kResultDone);
    bench.Show();
    bench.EngineOf->updateNeeded = false;
    const ZQ::RCPtr<ExitRequestCounter> exits(new ExitRequestCounter());
    (void)exits->RegisterWithDistributor(
        ZQ::RCPtr<ZQ::LNotificationDistributor>(ZQ::GetDefaultNotificationCenter()), ZQ::kExitRequestName, 0);

    bench.EngineOf->SetState(Engine::kStateNormalMode);
    bench.Deliver();

    EXPECT_EQ(sibling.Calls, (std::vector<std::string>{kStatus, kStart}));
    EXPECT_EQ(exits->Count, 1);
    EXPECT_TRUE(bench.Application->IsExitAllowed());
    (void)exits->UnregisterFromAllDistributors();
}
} // namespace
} // namespace UpdaterTest
