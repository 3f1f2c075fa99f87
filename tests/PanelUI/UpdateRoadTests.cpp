#include "PanelUI/UpdaterBench.h"
#include "Support/ManualClockScope.h"

#include "ZQFramework/ObjectBase/Exception.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace UpdaterTest
{
namespace
{
// The window with a device in normal mode that needs the valid file's version, and a sibling with
// nothing to do.
constexpr std::chrono::milliseconds kProbePause(ZQ::LMainControl::kProbePause);

struct UpdateRoadTest : ::testing::Test
{
    UpdateRoadTest()
    {
        bench.Prepare(Engine::kStateNormalMode, Engine::kFileValid);
        bench.Show();
    }

    [[nodiscard]] std::string ProcessText() const { return bench.Text(u"labelUpdateProcessInformation"); }
    [[nodiscard]] std::string ProcessKey(const char16_t* key) const
    {
        return bench.TextOf(u"labelUpdateProcessInformation", key);
    }
    void PostDeviceState(int32_t state)
    {
        bench.EngineOf->SetState(state);
        bench.Deliver();
    }

    StubSiblingLauncher sibling;
    UpdaterBench bench;
};

TEST_F(UpdateRoadTest, UpdateFirmwareWithoutAValidFileDoesNothing)
{
    bench.EngineOf->SetFirmwareFileState(Engine::kFileInvalid);
    bench.Click(u"buttonUpdateFirmware");
    bench.Deliver();

    EXPECT_EQ(bench.EngineOf->GetState(), Engine::kStateNormalMode);
    EXPECT_FALSE(bench.Main->IsUpdateModeRequested());
}

TEST_F(UpdateRoadTest, TheWholeRoadWithManualSteps)
{
    // UPDATE FIRMWARE: the instructions, NEXT, no exit.
    bench.Click(u"buttonUpdateFirmware");
    bench.Deliver();
    EXPECT_EQ(bench.EngineOf->GetState(), Engine::kStateEnteringUpdateMode);
    EXPECT_TRUE(bench.Main->IsUpdateModeRequested());
    EXPECT_EQ(ProcessText(), ProcessKey(u"LABEL_UPDATE_TRANSITIONING_TO_UPDATE_MODE"));
    EXPECT_TRUE(bench.Visible(u"buttonManualDeviceReadyForUpdateButton"));
    EXPECT_FALSE(bench.Visible(u"buttonExit"));

    // NEXT while the device is still in normal mode: the probe keeps state 6 and nothing starts.
    bench.Click(u"buttonManualDeviceReadyForUpdateButton");
    EXPECT_EQ(bench.EngineOf->probes, 1);
    EXPECT_EQ(bench.EngineOf->GetState(), Engine::kStateEnteringUpdateMode);
    EXPECT_FALSE(bench.Main->IsUpdateRunning());

    // NEXT in update mode: the transfer starts, and ends with the after-update screen.
    bench.EngineOf->probeState = Engine::kStateUpdateMode;
    bench.Click(u"buttonManualDeviceReadyForUpdateButton");
    EXPECT_TRUE(bench.Main->IsUpdateRunning());
    bench.FinishTransfer();
    EXPECT_EQ(bench.EngineOf->GetUpdateResult(false), Engine::kResultDone);
    EXPECT_EQ(ProcessText(), ProcessKey(u"LABEL_UPDATE_TRANSITIONING_AFTER_UPDATE"));
    EXPECT_TRUE(bench.Visible(u"buttonManualDeviceHasUpdatedRescanButton"));
    EXPECT_FALSE(bench.Main->IsUpdateModeRequested());
    // The engine stays at 8 until the next probe: no exit meanwhile.
    EXPECT_FALSE(bench.Application->IsExitAllowed());

    // NEXT after the restart: the device took the version.
    bench.EngineOf->updateNeeded = false;
    bench.EngineOf->probeState = Engine::kStateNormalMode;
    bench.Click(u"buttonManualDeviceHasUpdatedRescanButton");
    bench.Deliver();
    EXPECT_FALSE(bench.Main->IsUpdateRunning());
    EXPECT_EQ(ProcessText(), ProcessKey(u"LABEL_UPDATE_SUCCEEDED"));
    EXPECT_FALSE(bench.Visible(u"buttonReinitialize"));
    EXPECT_TRUE(bench.Application->IsExitAllowed());
}

TEST_F(UpdateRoadTest, AVersionNotTakenOffersTryAgain)
{
    bench.EngineOf->probeState = Engine::kStateUpdateMode;
    bench.Click(u"buttonUpdateFirmware");
    bench.Click(u"buttonManualDeviceReadyForUpdateButton");
    bench.FinishTransfer();
    bench.EngineOf->probeState = Engine::kStateNormalMode;
    bench.Click(u"buttonManualDeviceHasUpdatedRescanButton");
    bench.Deliver();

    EXPECT_EQ(ProcessText(), ProcessKey(u"LABEL_UPDATE_SENT_BUT_NOT_SUCCESSFUL"));
    EXPECT_TRUE(bench.Visible(u"buttonReinitialize"));
}

TEST_F(UpdateRoadTest, InUpdateModeTheTransferStartsAtOnce)
{
    bench.Prepare(Engine::kStateUpdateMode, Engine::kFileValid);
    bench.Click(u"buttonUpdateFirmware");

    EXPECT_TRUE(bench.Main->IsUpdateRunning());
    EXPECT_FALSE(bench.Main->IsUpdateModeRequested());
    EXPECT_EQ(bench.EngineOf->probes, 0);
    bench.FinishTransfer();
    EXPECT_EQ(ProcessText(), ProcessKey(u"LABEL_UPDATE_TRANSITIONING_AFTER_UPDATE"));
}

TEST_F(UpdateRoadTest, AFailedTransferShowsTheReasonAndTryAgain)
{
    bench.EngineOf->transferResult = E_FAIL;
    bench.EngineOf->reason = Engine::kReasonDeviceAccess;
    bench.Prepare(Engine::kStateUpdateMode, Engine::kFileValid);
    bench.Click(u"buttonUpdateFirmware");
    bench.FinishTransfer();

    EXPECT_EQ(bench.EngineOf->GetUpdateResult(false), Engine::kResultFailed);
    EXPECT_FALSE(bench.Main->IsUpdateRunning());
    EXPECT_EQ(bench.Text(u"labelDeviceCannotUpdateError"),
              bench.TextOf(u"labelDeviceCannotUpdateError", u"LABEL_DEVICE_DEVICE_ACCESS_FAILURE"));
    EXPECT_TRUE(bench.Visible(u"buttonReinitialize"));
    EXPECT_TRUE(bench.Visible(u"buttonExit"));
}

TEST_F(UpdateRoadTest, AbortActsOnlyWhileEnteringOrSending)
{
    struct Case
    {
        int32_t state;
        bool asked;
    };
    for (const Case c : {Case{5, false}, Case{6, true}, Case{7, false}, Case{8, true}})
    {
        bench.EngineOf->abortRequested = false;
        bench.Prepare(c.state, Engine::kFileValid);
        bench.Click(u"buttonAbort");
        EXPECT_EQ(bench.EngineOf->abortRequested.load(), c.asked) << c.state;
    }
}

TEST_F(UpdateRoadTest, TryAgainRunsTheStartUpFlowAgainThenScans)
{
    bench.Prepare(Engine::kStateError, Engine::kFileValid, Engine::kResultFailed);
    bench.Click(u"buttonReinitialize");

    // The start-up flow gave the definitions (state 1) and scanned; the button scanned once more.
    EXPECT_EQ(bench.EngineOf->scans, 2);
    EXPECT_EQ(bench.EngineOf->GetState(), Engine::kStateNoDevice);
}

TEST_F(UpdateRoadTest, ScanForDeviceScans)
{
    bench.Prepare(Engine::kStateNoDevice, Engine::kFileValid);
    bench.Main->UpdateControls(Engine::kResultNone, Engine::kStateNoDevice, Engine::kFileValid);
    bench.Click(u"buttonScanForDevice");
    EXPECT_EQ(bench.EngineOf->scans, 1);
}

TEST_F(UpdateRoadTest, SeveralDevicesSelectTheFirstAndEndWithTheLogicError)
{
    bench.EngineOf->SetState(Engine::kStateDevicesFound);
    try
    {
        bench.Deliver();
        FAIL() << "no error";
    }
    catch (const std::logic_error& error)
    {
        EXPECT_STREQ(error.what(),
                     "Logic Error : Multiple devices found. Handling multiple devices is not "
                     "implemented. Only the first connected device will be updated. : "
                     "ZQ::LMainControl::OnDeviceStateChangeNotification : UI\\MainControl : Line 1186");
    }
    EXPECT_EQ(bench.EngineOf->selections, 1);
}

TEST_F(UpdateRoadTest, AStateChangeRefreshesTheScreen)
{
    PostDeviceState(Engine::kStateNoDevice);

    EXPECT_EQ(bench.Text(u"labelDeviceInformation"),
              bench.TextOf(u"labelDeviceInformation", u"LABEL_NO_DEVICE_FOUND"));
    EXPECT_TRUE(bench.Visible(u"buttonScanForDevice"));
    EXPECT_FALSE(bench.Visible(u"buttonUpdateFirmware"));
}

TEST_F(UpdateRoadTest, TheFoundDeviceListChangesNothing)
{
    const std::vector<std::string> before = bench.ShownChildren();
    const std::string text = ProcessText();
    bench.EngineOf->PostFoundDeviceListChange();
    bench.Deliver();
    EXPECT_EQ(bench.ShownChildren(), before);
    EXPECT_EQ(ProcessText(), text);
}

TEST_F(UpdateRoadTest, ProgressSetsTheBarAndItsTimeUnlessTheBarEstimates)
{
    const ZQ::RCPtr<ZQ::LProgressBar> bar(bench.Child(u"progressBar"));
    bench.EngineOf->PostProgress(0, 0.25, false, 61, false, u"Sending");
    bench.Deliver();
    EXPECT_DOUBLE_EQ(bar->GetValue(), 0.25);
    EXPECT_FALSE(bar->IsEstimating());
    const std::string shownTime = TestSupport::Utf8(bar->FindChild(u"timeRemainingLabel")->GetLabel());
    EXPECT_EQ(shownTime, "1 Minute 1 Second Remaining");

    bench.EngineOf->PostProgress(0, 0.5, true, 5, false, u"Sending");
    bench.Deliver();
    EXPECT_DOUBLE_EQ(bar->GetValue(), 0.5);
    EXPECT_TRUE(bar->IsEstimating());
    EXPECT_EQ(TestSupport::Utf8(bar->FindChild(u"timeRemainingLabel")->GetLabel()), shownTime);
}

TEST_F(UpdateRoadTest, ExitRequestsAreDroppedDuringTheTransfer)
{
    bench.Prepare(Engine::kStateUpdating, Engine::kFileValid, Engine::kResultRunning);
    EXPECT_FALSE(bench.Application->IsExitAllowed());
    bench.Prepare(Engine::kStateUpdateMode, Engine::kFileValid);
    EXPECT_TRUE(bench.Application->IsExitAllowed());
}

TEST(UpdateRoadStartTest, ATransferStartedBeforeTheWindowEndsOnTheAfterUpdateScreen)
{
    // "-START_UPDATE_AUTOMATICALLY" with the device in update mode: the transfer runs before the window.
    StubSiblingLauncher sibling;
    UpdaterBench bench;
    bench.Prepare(Engine::kStateUpdateMode, Engine::kFileValid);
    ASSERT_EQ(bench.EngineOf->StartUpdate(), S_OK);
    bench.Show();
    EXPECT_TRUE(bench.Main->IsUpdateRunning());

    bench.FinishTransfer();

    EXPECT_EQ(bench.Text(u"labelUpdateProcessInformation"),
              bench.TextOf(u"labelUpdateProcessInformation", u"LABEL_UPDATE_TRANSITIONING_AFTER_UPDATE"));
    EXPECT_TRUE(bench.Visible(u"buttonManualDeviceHasUpdatedRescanButton"));
}

TEST(UpdateRoadStartTest, ADeviceThatEntersUpdateModeByItselfIsWaitedFor)
{
    const TestSupport::ClockStepper clock(kProbePause);
    StubSiblingLauncher sibling;
    UpdaterBench bench;
    bench.Prepare(Engine::kStateNormalMode, Engine::kFileValid);
    bench.Show();
    bench.EngineOf->transitionMode = 3;
    bench.EngineOf->probeState = Engine::kStateUpdateMode;

    bench.Click(u"buttonUpdateFirmware");

    EXPECT_EQ(bench.EngineOf->probes, 1);
    EXPECT_EQ(clock.Elapsed(), kProbePause); // one pause before the probe
    EXPECT_TRUE(bench.Main->IsUpdateRunning());
    bench.FinishTransfer();
}
TEST(UpdateRoadStartTest, AWaitThatSeesTheDeviceLeaveMarksItNotFound)
{
    const TestSupport::ClockStepper clock(kProbePause);
    StubSiblingLauncher sibling;
    UpdaterBench bench;
    bench.Prepare(Engine::kStateNormalMode, Engine::kFileValid);
    bench.Show();
    bench.EngineOf->transitionMode = 4;
    bench.EngineOf->probeState = Engine::kStateNormalMode;

    bench.Click(u"buttonUpdateFirmware");

    EXPECT_EQ(bench.EngineOf->probes, 1);
    EXPECT_EQ(clock.Elapsed(), kProbePause); // one pause before the probe
    EXPECT_EQ(bench.EngineOf->GetState(), Engine::kStateNoDevice);
    EXPECT_FALSE(bench.Main->IsUpdateRunning());
}

TEST(UpdateRoadStartTest, ADeviceThatRestartsByItselfIsProbedUntilItIsBack)
{
    const TestSupport::ClockStepper clock(kProbePause);
    StubSiblingLauncher sibling;
    UpdaterBench bench;
    bench.Prepare(Engine::kStateUpdateMode, Engine::kFileValid);
    bench.Show();
    bench.EngineOf->transitionMode = 1;
    bench.EngineOf->updateNeeded = false;
    bench.EngineOf->probeState = Engine::kStateNormalMode;

    bench.Click(u"buttonUpdateFirmware");
    bench.FinishTransfer();

    EXPECT_EQ(bench.EngineOf->probes, 1);
    EXPECT_EQ(clock.Elapsed(), kProbePause); // one pause before the probe
    EXPECT_FALSE(bench.Main->IsUpdateRunning());
    EXPECT_EQ(bench.Text(u"labelUpdateProcessInformation"),
              bench.TextOf(u"labelUpdateProcessInformation", u"LABEL_UPDATE_SUCCEEDED"));
}
} // namespace
} // namespace UpdaterTest
