#include "Engine/EngineFixture.h"
#include "Support/Fifo.h"
#include "Support/ManualClockScope.h"
#include "Support/WaitFor.h"

#include "Panel/Engine/PrivateMidiPerformUpdateEngine.h"
#include "Platform/Registry/RegistryValues.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <numeric>
#include <unistd.h>

namespace
{
using Engine = LUpdateEngineInterface;

ZQ::WString Wide(const std::string& text)
{
    return ZQ::WString(std::u16string(text.begin(), text.end()).c_str());
}

std::vector<uint8_t> Image(size_t count)
{
    std::vector<uint8_t> bytes(count);
    std::iota(bytes.begin(), bytes.end(), uint8_t{0x10});
    return bytes;
}

// The engine with the simulated device found in update mode and a firmware file of the given bytes. The
// definition names no normal-mode ports, so the scan finds the device in update mode at once instead of
// waiting out the identity request (the silent device's road is the update processor's to test).
class PrivateMidiPerformUpdateEngineFixture : public EngineTest::EngineTestBase
{
protected:
    void Ready(const std::vector<uint8_t>& image)
    {
        mixer->SetMode(Simulator::DeviceMode::Update);
        engine = LPrivateMidiPerformUpdateEngine::Create();
        ASSERT_EQ(engine->Initialize(ZQ::WString()), S_OK);
        ZQ::Array<Engine::DeviceDefinition> definitions;
        (void)definitions.Add(EngineTest::Definition(u"No Normal-Mode Port", TestSupport::kMixerPortName));
        ASSERT_EQ(engine->SetDeviceDefinitions(definitions), S_OK);
        ASSERT_EQ(engine->SetFirmwareFilePath(Wide(environment.WriteFile("image.syx", image))), S_OK);
        (void)engine->ScanForDevices();
        ASSERT_EQ(engine->GetState(), Engine::kStateUpdateMode);
        recorder->Clear();
        mixer->Log().Clear();
        mixer->Driver().ClearFirmware();
    }
    // The state is not checked here: a task refused at once by the driver may already have ended.
    ZQRESULT Start() { return engine->StartUpdate(); }
    void Finish() { EXPECT_EQ(engine->WaitForTask(60000), S_OK); }
    void ExpectFailed(int32_t reason)
    {
        EXPECT_EQ(engine->GetUpdateResult(false), Engine::kResultFailed);
        EXPECT_EQ(engine->GetState(), Engine::kStateError);
        int32_t actual = -1;
        EXPECT_EQ(engine->GetCannotUpdateReason(actual), S_OK);
        EXPECT_EQ(actual, reason);
    }
    // The completion notifications, as their success values.
    std::vector<int32_t> Completions()
    {
        std::vector<int32_t> values;
        for (const auto& seen : recorder->Of(kFirmwareUpdateCompletedNotificationName))
            values.push_back(seen.newValue);
        return values;
    }
    std::vector<EngineTest::Seen> Progress() { return recorder->Of(kFirmwareUpdateProgressNotificationName); }
    [[nodiscard]] bool UpdateControlSwitchedOnAndOff()
    {
        const auto switches = mixer->Log().Find("request", 16);
        return switches.size() == 2 && switches[0].detail == "update control value=1" &&
               switches[1].detail == "update control value=0" && !mixer->Driver().IsUpdateControlOn();
    }

    ZQ::RCPtr<Engine> engine;
};

// The main roads (a whole update, an abort and a detach mid-transfer) also run under ThreadSanitizer.
using PrivateMidiPerformUpdateEngineConcurrency = PrivateMidiPerformUpdateEngineFixture;
using PrivateMidiPerformUpdateEngineTests = PrivateMidiPerformUpdateEngineFixture;
using PrivateMidiPerformUpdateEngineSlow = PrivateMidiPerformUpdateEngineFixture;

TEST_F(PrivateMidiPerformUpdateEngineConcurrency, SendsTheWholeImageInPacedPieces)
{
    mixer->SetRebootDelay(std::chrono::milliseconds(50));
    const auto image = Image(1000);
    Ready(image);
    ASSERT_EQ(Start(), S_OK);
    Finish();

    EXPECT_EQ(engine->GetUpdateResult(false), Engine::kResultDone);
    EXPECT_EQ(engine->GetState(), Engine::kStateUpdating);
    EXPECT_TRUE(UpdateControlSwitchedOnAndOff());
    const auto firmware = mixer->Driver().Firmware();
    EXPECT_EQ(firmware, image);

    const auto writes = mixer->Log().Find("request", 13);
    ASSERT_EQ(writes.size(), 8u);
    for (size_t i = 0; i < writes.size(); ++i)
    {
        EXPECT_EQ(writes[i].detail, i < 7 ? "write port=0 count=128" : "write port=0 count=104");
        if (i > 0)
        {
            EXPECT_GE(writes[i].time - writes[i - 1].time, std::chrono::milliseconds(18)) << i;
        }
    }
    const auto progress = Progress();
    ASSERT_EQ(progress.size(), 8u);
    EXPECT_DOUBLE_EQ(progress[0].progress, 128.0 / 1000.0);
    EXPECT_DOUBLE_EQ(progress.back().progress, 1.0);
    EXPECT_EQ(progress[0].newValue, 1) << "the receiver estimates the time";
    EXPECT_EQ(progress[0].oldValue, -1);
    EXPECT_EQ(Completions(), std::vector<int32_t>{1});
    EXPECT_TRUE(TestSupport::WaitFor([&] { return mixer->Driver().OpenHandleCount() == 0; }))
        << "the pipe is gone";
}

TEST_F(PrivateMidiPerformUpdateEngineTests, NoAttachedDriverInstanceFailsBeforeSending)
{
    Ready(Image(300));
    mixer->SetAttached(Simulator::AttachedMode::Fixed, {1, 0});
    ASSERT_EQ(Start(), S_OK);
    Finish();
    ExpectFailed(Engine::kReasonDeviceAccess);
    EXPECT_TRUE(Progress().empty());
    EXPECT_EQ(Completions(), std::vector<int32_t>{0});
    EXPECT_TRUE(mixer->Log().Find("request", 16).empty());
}

TEST_F(PrivateMidiPerformUpdateEngineTests, RefusedUpdateControlOrUnopenablePathFails)
{
    Ready(Image(300));
    mixer->Driver().FailAfter(16, 0);
    ASSERT_EQ(Start(), S_OK);
    Finish();
    ExpectFailed(Engine::kReasonDeviceAccess);
    EXPECT_TRUE(mixer->Log().Find("request", 13).empty());
    EXPECT_EQ(Completions(), std::vector<int32_t>{0});

    // The same engine again, now with a device path that does not open.
    mixer->Driver().ClearFailures();
    (void)engine->ProbeSelectedDevice();
    ASSERT_EQ(engine->GetState(), Engine::kStateUpdateMode);
    ASSERT_EQ(Platform::RegistryWriteString(Platform::RegLocalMachine, Simulator::Mixer::InstanceKey(0),
                                            u"LastPath", u"/no/such/device"),
              0);
    mixer->Log().Clear();
    ASSERT_EQ(Start(), S_OK);
    Finish();
    ExpectFailed(Engine::kReasonDeviceAccess);
    EXPECT_TRUE(mixer->Log().Find("open").empty());
}

TEST_F(PrivateMidiPerformUpdateEngineTests, WriteFailureAfterSomePiecesFails)
{
    Ready(Image(1280));
    mixer->Driver().FailAfter(13, 3);
    ASSERT_EQ(Start(), S_OK);
    Finish();
    ExpectFailed(Engine::kReasonDeviceAccess);
    EXPECT_EQ(Progress().size(), 3u);
    EXPECT_EQ(Completions(), std::vector<int32_t>{0});
    EXPECT_TRUE(UpdateControlSwitchedOnAndOff());
    ASSERT_TRUE(TestSupport::WaitFor([&] { return mixer->Driver().FirmwareSize() == 3 * 128; }));
}

TEST_F(PrivateMidiPerformUpdateEngineSlow, SlotsNeverReleasedFailTheSeventeenthPiece)
{
    Ready(Image(20 * 128));
    mixer->Driver().SetReleasePolicy(Simulator::ReleasePolicy::Never);
    ASSERT_EQ(Start(), S_OK);
    Finish();
    ExpectFailed(Engine::kReasonDeviceAccess);
    EXPECT_EQ(Progress().size(), 16u);
    EXPECT_EQ(mixer->Log().Find("request", 13).size(), 16u);
    EXPECT_TRUE(UpdateControlSwitchedOnAndOff());
}

TEST_F(PrivateMidiPerformUpdateEngineTests, EmptyImageOrPathWithoutFolderIsAFileFailure)
{
    Ready({});
    ASSERT_EQ(Start(), S_OK);
    Finish();
    ExpectFailed(Engine::kReasonFileAccess);
    EXPECT_TRUE(mixer->Log().Find("request", 13).empty());
    EXPECT_TRUE(UpdateControlSwitchedOnAndOff());
    EXPECT_EQ(Completions(), std::vector<int32_t>{0});

    mixer->Log().Clear();
    (void)engine->SetFirmwareFilePath(u"image.syx");
    EXPECT_EQ(engine->PerformUpdate(), E_FAIL);
    ExpectFailed(Engine::kReasonFileAccess);
    EXPECT_TRUE(UpdateControlSwitchedOnAndOff());
}

TEST_F(PrivateMidiPerformUpdateEngineTests, ImageThatBecameTooLargeOrNoFileIsRefusedBeforeAnythingIsSent)
{
    // What is at the image's path changes after it was found valid; the worker never waits on it.
    struct Case
    {
        const char* what;
        std::function<void(const std::string& path)> change;
    };
    std::unique_ptr<TestSupport::Fifo> fifo;
    const Case cases[] = {
        {"grown past the limit", [](const std::string& path)
         { ASSERT_EQ(::truncate(path.c_str(), Engine::kMaxFirmwareImageSize + 1), 0); }},
        {"grown past 4 GiB",
         [](const std::string& path) { ASSERT_EQ(::truncate(path.c_str(), (off_t{1} << 32) + 300), 0); }},
        {"replaced by a FIFO",
         [&](const std::string& path)
         {
             ASSERT_EQ(::unlink(path.c_str()), 0);
             fifo = std::make_unique<TestSupport::Fifo>(path);
             ASSERT_TRUE(fifo->IsMade());
         }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        Ready(Image(300));
        ZQ::WString path;
        ASSERT_EQ(engine->GetFirmwareFilePath(path), S_OK);
        c.change(path.ToNarrow().GetBuffer());
        ASSERT_EQ(Start(), S_OK);
        if (fifo)
            EXPECT_TRUE(fifo->EndsWithoutAWriter([&] { Finish(); }));
        else
            Finish();
        ExpectFailed(Engine::kReasonFileAccess);
        EXPECT_TRUE(mixer->Log().Find("request", 13).empty()) << "nothing is sent";
        EXPECT_EQ(mixer->Driver().FirmwareSize(), 0u);
        EXPECT_TRUE(UpdateControlSwitchedOnAndOff());
        EXPECT_EQ(Completions(), std::vector<int32_t>{0});
    }
}

TEST_F(PrivateMidiPerformUpdateEngineConcurrency, AbortWhilePiecesRemainEndsAborted)
{
    // Pieces enough that the abort surely comes while some remain; it ends the transfer early.
    Ready(Image(200 * 128));
    ASSERT_EQ(Start(), S_OK);
    ASSERT_TRUE(TestSupport::WaitFor([&] { return mixer->Driver().FirmwareSize() >= 3 * 128; }));
    EXPECT_EQ(engine->RequestAbort(), S_OK);
    Finish();
    EXPECT_EQ(engine->GetUpdateResult(false), Engine::kResultAborted);
    EXPECT_EQ(engine->GetState(), Engine::kStateUpdateMode);
    EXPECT_EQ(Completions(), std::vector<int32_t>{0});
    EXPECT_LT(mixer->Log().Find("request", 13).size(), 200u);
    EXPECT_TRUE(UpdateControlSwitchedOnAndOff());
    EXPECT_EQ(engine->RequestAbort(), E_FAIL) << "nothing left to abort";
}

TEST_F(PrivateMidiPerformUpdateEngineTests, AbortAfterTheLastPiecePostsOneCompletion)
{
    Ready(Image(128));
    dynamic_cast<LUpdateEngine&>(*engine).SetChunkDelay(3000);
    TestSupport::ManualClockScope clock;
    ASSERT_EQ(Start(), S_OK);
    ASSERT_TRUE(TestSupport::WaitFor([&] { return mixer->Driver().FirmwareSize() == 128; }));
    // The abort is asked for while the engine sleeps in the pause after the last piece.
    ASSERT_TRUE(clock.WaitForSleeper());
    EXPECT_EQ(engine->RequestAbort(), S_OK);
    clock.Advance(std::chrono::milliseconds(3000));
    // Closing the port afterwards looks for pieces still in flight, pausing on the clock too.
    ASSERT_TRUE(
        clock.StepUntil([&] { return engine->WaitForTask(0) == S_OK; }, std::chrono::milliseconds(10)));
    Finish();
    EXPECT_EQ(engine->GetUpdateResult(false), Engine::kResultAborted);
    EXPECT_EQ(engine->GetState(), Engine::kStateUpdateMode);
    EXPECT_EQ(Completions(), std::vector<int32_t>{0});
}

TEST_F(PrivateMidiPerformUpdateEngineConcurrency, DetachMidUpdateFailsAndReattachLetsItRunAgain)
{
    // Pieces enough that the detach surely comes while some remain.
    Ready(Image(200 * 128));
    ASSERT_EQ(Start(), S_OK);
    ASSERT_TRUE(TestSupport::WaitFor([&] { return mixer->Driver().FirmwareSize() >= 2 * 128; }));
    mixer->Unplug();
    Finish();
    ExpectFailed(Engine::kReasonDeviceAccess);
    EXPECT_EQ(Completions(), std::vector<int32_t>{0});
    EXPECT_LT(mixer->Log().Find("request", 13).size(), 200u);

    // Attached again, a smaller image goes through whole.
    const auto image = Image(10 * 128);
    ASSERT_EQ(engine->SetFirmwareFilePath(Wide(environment.WriteFile("small.syx", image))), S_OK);
    mixer->Plug();
    mixer->Driver().ClearFirmware();
    recorder->Clear();
    (void)engine->ProbeSelectedDevice();
    ASSERT_EQ(engine->GetState(), Engine::kStateUpdateMode);
    ASSERT_EQ(Start(), S_OK);
    Finish();
    EXPECT_EQ(engine->GetUpdateResult(false), Engine::kResultDone);
    EXPECT_EQ(mixer->Driver().Firmware(), image);
    EXPECT_EQ(Completions(), std::vector<int32_t>{1});
}
} // namespace
