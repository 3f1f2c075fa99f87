#include "Engine/EngineFixture.h"
#include "Support/Fifo.h"

#include "Panel/Engine/UpdateEngineInterface.h"
#include "Platform/Clock/Clock.h"
#include "ZQFramework/Notification/NotificationCenterManager.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <unistd.h>

using namespace EngineTest;
using namespace TestSupport;
using Engine = LUpdateEngineInterface;

namespace
{
// A scripted engine: the found devices are given by the test; the update blocks until released.
class FakeEngine : public LUpdateEngineInterface
{
public:
    struct Device
    {
        bool inUpdateMode = false;
        int32_t reason = 0;
        FirmwareVersion version;
    };

    static ZQ::RCPtr<FakeEngine> Create() { return ZQ::RCPtr<FakeEngine>(new FakeEngine()); }

    std::vector<Device> present; // what a scan finds
    std::vector<Device> found;
    std::atomic<bool> releaseUpdate{true};
    std::atomic<bool> updateStarted{false};
    std::atomic<int32_t> updateReturn{0};
    std::atomic<bool> backToUpdateModeWhileRunning{false};

    ZQRESULT GetFoundDevices(ZQ::Array<DeviceDefinition>& devices) override
    {
        (void)devices.SetCount(static_cast<uint32_t>(found.size()));
        return S_OK;
    }
    ZQRESULT ProbeSelectedDevice() override { return S_OK; }
    ZQRESULT EnterUpdateMode() override
    {
        ++enterCalls;
        return 5;
    }
    ZQRESULT RequestAbort() override { return E_NOTIMPL; }
    ZQRESULT ScanAllDefinitions() override
    {
        found = present;
        return S_OK;
    }
    uint32_t GetFoundDeviceCount() override { return static_cast<uint32_t>(found.size()); }
    bool IsDeviceInUpdateMode(uint32_t index) override
    {
        return index < found.size() && found[index].inUpdateMode;
    }
    ZQRESULT GetDeviceStatus(uint32_t index, int32_t& reason) override
    {
        if (index >= found.size())
            return E_FAIL;
        reason = found[index].reason;
        return S_OK;
    }
    ZQRESULT GetDeviceVersion(uint32_t index, FirmwareVersion& version) override
    {
        if (index >= found.size())
            return E_FAIL;
        version = found[index].version;
        return S_OK;
    }
    ZQRESULT PerformUpdate() override
    {
        SetUpdateResult(kResultRunning);
        updateStarted = true;
        if (backToUpdateModeWhileRunning)
            SetState(kStateUpdateMode);
        TestSupport::WaitFor([&] { return releaseUpdate.load(); });
        SetUpdateResult(updateReturn < 0 ? kResultFailed : kResultDone);
        return updateReturn;
    }

    int enterCalls = 0;
};

LUpdateEngineInterface::FirmwareVersion Version(uint32_t major, uint32_t minor, uint32_t patch,
                                                uint32_t build)
{
    LUpdateEngineInterface::FirmwareVersion version;
    version.mMajor = major;
    version.mMinor = minor;
    version.mPatch = patch;
    version.mBuild = build;
    version.mText = u"x";
    return version;
}

class UpdateEngineInterfaceTests : public ::testing::Test
{
protected:
    void SetUp() override
    {
        (void)ZQ::GetDefaultNotificationCenter()->Flush();
        recorder = NotificationRecorder::Create();
    }
    void TearDown() override
    {
        engine->releaseUpdate = true;
        (void)engine->WaitForTask(10000);
        (void)ZQ::GetDefaultNotificationCenter()->Flush();
        (void)recorder->UnregisterFromAllDistributors();
    }

    // Definitions set, one device found in the given mode, a valid firmware file.
    void BringToState(bool inUpdateMode)
    {
        engine->present = {{inUpdateMode, 0, Version(1, 1, 5, 7)}};
        ASSERT_EQ(engine->SetDeviceDefinitions(MixerDefinitions()), S_OK);
        ASSERT_EQ(engine->ScanForDevices(), S_OK);
        ASSERT_EQ(engine->SetFirmwareFilePath(environment.WriteFile("image.bin", {1, 2, 3}).c_str()), S_OK);
        recorder->Clear();
    }

    TempEnvironment environment;
    ZQ::RCPtr<FakeEngine> engine = FakeEngine::Create();
    ZQ::RCPtr<NotificationRecorder> recorder;
};
} // namespace

TEST_F(UpdateEngineInterfaceTests, DefinitionsTwicePostOneChange)
{
    EXPECT_EQ(engine->SetDeviceDefinitions(MixerDefinitions()), S_OK);
    EXPECT_EQ(engine->SetDeviceDefinitions(MixerDefinitions()), S_OK);
    EXPECT_EQ(engine->GetState(), Engine::kStateNoDevice);
    EXPECT_EQ(recorder->StateChanges(), (std::vector<std::pair<int32_t, int32_t>>{{1, 0}}));
}

TEST_F(UpdateEngineInterfaceTests, ScanOutcomesAndTheirNotifications)
{
    struct Case
    {
        std::vector<FakeEngine::Device> present;
        int32_t state;
        std::vector<std::pair<int32_t, int32_t>> changes; // after the definitions' (1, 0)
    };
    const std::vector<Case> cases = {
        {{}, Engine::kStateNoDevice, {}},
        // One device: 3 is stored silently, so the selection reports 3 as the old state.
        {{{false, 0, {}}}, Engine::kStateNormalMode, {{5, 3}}},
        {{{true, 0, {}}}, Engine::kStateUpdateMode, {{7, 3}}},
        {{{false, 4, {}}}, Engine::kStateError, {{4, 3}}},
        {{{false, 0, {}}, {true, 0, {}}}, Engine::kStateDevicesFound, {{3, 1}}},
    };
    for (size_t i = 0; i < cases.size(); ++i)
    {
        SCOPED_TRACE(i);
        engine = FakeEngine::Create();
        recorder->Clear();
        engine->present = cases[i].present;
        ASSERT_EQ(engine->SetDeviceDefinitions(MixerDefinitions()), S_OK);
        EXPECT_EQ(engine->ScanForDevices(), S_OK);
        EXPECT_EQ(engine->GetState(), cases[i].state);
        auto expected = cases[i].changes;
        expected.insert(expected.begin(), {1, 0});
        EXPECT_EQ(recorder->StateChanges(), expected);
        EXPECT_EQ(engine->GetSelectedDeviceIndex(), cases[i].present.size() == 1 ? 0 : -1);
    }
}

TEST_F(UpdateEngineInterfaceTests, SelectionGuardsAndBadIndex)
{
    EXPECT_EQ(engine->SelectDevice(0), E_FAIL); // no definitions yet
    engine->present = {{false, 0, {}}, {true, 0, {}}};
    ASSERT_EQ(engine->SetDeviceDefinitions(MixerDefinitions()), S_OK);
    ASSERT_EQ(engine->ScanForDevices(), S_OK);

    EXPECT_EQ(engine->SelectDevice(1), S_OK);
    EXPECT_EQ(engine->GetState(), Engine::kStateUpdateMode);
    EXPECT_EQ(engine->SelectDevice(static_cast<uint32_t>(-1)), E_INVALIDARG);
    EXPECT_EQ(engine->GetState(), Engine::kStateDevicesFound);
    EXPECT_EQ(engine->GetSelectedDeviceIndex(), -1);

    int32_t reason = 7;
    EXPECT_EQ(engine->GetCannotUpdateReason(reason), E_FAIL);
    EXPECT_EQ(reason, 0);
    ZQ::WString text;
    EXPECT_EQ(engine->GetDeviceVersionText(text), E_FAIL);
    EXPECT_EQ(text, u"N/A");
}

TEST_F(UpdateEngineInterfaceTests, FirmwareFilePathGivesTheFixedVersion)
{
    ZQ::WString text;
    EXPECT_EQ(engine->GetFirmwareFileVersionText(text), E_FAIL);
    EXPECT_EQ(text, u"N/A");

    const std::string path = environment.WriteFile("anything at all.txt", {0});
    EXPECT_EQ(engine->SetFirmwareFilePath(path.c_str()), S_OK);
    Engine::FirmwareVersion version;
    EXPECT_EQ(engine->GetFirmwareFileVersion(version), S_OK);
    EXPECT_EQ(version.mMajor, 1u);
    EXPECT_EQ(version.mMinor, 2u);
    EXPECT_EQ(version.mPatch, 0u);
    EXPECT_EQ(version.mBuild, 1u);
    EXPECT_EQ(engine->GetFirmwareFileVersionText(text), S_OK);
    EXPECT_EQ(text, u"1.5");

    // A missing file: state 1, the version kept.
    EXPECT_EQ(engine->SetFirmwareFilePath((environment.Root() + "/files/missing.syx").c_str()), E_FAIL);
    EXPECT_EQ(engine->GetFirmwareFileState(), Engine::kFileInvalid);
    EXPECT_EQ(engine->GetFirmwareFileVersion(version), E_FAIL);
    EXPECT_EQ(version.mText, u"1.5");
    const auto files = recorder->Of(kFirmwareFileStateChangeNotificationName);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(std::make_pair(files[0].newValue, files[0].oldValue), std::make_pair(3, 0));
    EXPECT_EQ(std::make_pair(files[1].newValue, files[1].oldValue), std::make_pair(1, 3));
}

TEST_F(UpdateEngineInterfaceTests, OnlyARegularFileWithinTheImageLimitIsValid)
{
    const std::string folder = environment.Root() + "/files/";
    const TestSupport::Fifo fifo(folder + "fifo.syx");
    ASSERT_TRUE(fifo.IsMade());
    ASSERT_TRUE(std::filesystem::create_directory(folder + "folder.syx"));
    // Sparse files: nothing of their size is written to the disk.
    const auto sized = [&](const char* name, off_t size)
    {
        const std::string path = environment.WriteFile(name, {0xF0});
        EXPECT_EQ(::truncate(path.c_str(), size), 0);
        return path;
    };
    struct Case
    {
        std::string path;
        int32_t state;
    };
    const Case cases[] = {
        {sized("largest.syx", Engine::kMaxFirmwareImageSize), Engine::kFileValid},
        {sized("one more.syx", Engine::kMaxFirmwareImageSize + 1), Engine::kFileInvalid},
        {sized("4 GiB and a page.syx", (off_t{1} << 32) + 4096), Engine::kFileInvalid},
        {sized("5 GiB.syx", off_t{5} << 30), Engine::kFileInvalid},
        {fifo.Path(), Engine::kFileInvalid},
        {folder + "folder.syx", Engine::kFileInvalid},
        {"/dev/zero", Engine::kFileInvalid},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.path);
        for (const bool withVersion : {false, true})
        {
            EXPECT_TRUE(fifo.EndsWithoutAWriter(
                [&]
                {
                    (void)(withVersion ? engine->SetFirmwareFile(c.path.c_str(), Engine::FirmwareVersion{})
                                       : engine->SetFirmwareFilePath(c.path.c_str()));
                }));
            EXPECT_EQ(engine->GetFirmwareFileState(), c.state);
        }
    }
}

TEST_F(UpdateEngineInterfaceTests, VersionFromFileName)
{
    struct Case
    {
        const char16_t* name;
        bool parsed;
        uint32_t major, minor, patch;
        const char16_t* text;
    };
    const Case cases[] = {
        {u"FW_V12_34.SYX", true, 12, 3, 4, u"12.3.4"}, {u"fw_v1_05.syx", true, 1, 0, 5, u"1.0.5"},
        {u"fw_V1_5.syx", false, 0, 0, 0, nullptr},     {u"X_V7_8.syx", false, 0, 0, 0, nullptr},
        {u"X_V123_45.syx", false, 0, 0, 0, nullptr},   {u"plain.syx", false, 0, 0, 0, nullptr},
        {u"end_V", false, 0, 0, 0, nullptr},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(ZQ::WString(c.name).ToNarrow().GetBuffer());
        engine = FakeEngine::Create();
        (void)engine->SetFirmwareFile(ZQ::WString(u"C:\\firmware\\") + ZQ::WString(c.name),
                                      Version(9, 9, 9, 9));
        EXPECT_EQ(engine->ParseFirmwareVersionFromFileName(), c.parsed);
        Engine::FirmwareVersion version;
        (void)engine->GetFirmwareFileVersion(version);
        if (c.parsed)
        {
            EXPECT_EQ(version.mMajor, c.major);
            EXPECT_EQ(version.mMinor, c.minor);
            EXPECT_EQ(version.mPatch, c.patch);
            EXPECT_EQ(version.mText, c.text);
        }
        else
        {
            EXPECT_EQ(version.mMajor, 9u);
        }
    }
}

TEST_F(UpdateEngineInterfaceTests, UpdateNeededComparesMajorMinorPatch)
{
    BringToState(false);
    EXPECT_TRUE(engine->IsUpdateNeeded()); // 1.1.5.7 against 1.2.0.1
    engine->found[0].version = Version(1, 2, 0, 0);
    EXPECT_FALSE(engine->IsUpdateNeeded()); // build is not compared here
    engine->found[0].version = Version(0xFFFFFFFF, 0, 0, 0);
    EXPECT_FALSE(engine->IsUpdateNeeded());
}

TEST_F(UpdateEngineInterfaceTests, StartUpdateRefusedOutsideUpdateModeOrWithoutFile)
{
    BringToState(false);
    EXPECT_EQ(engine->StartUpdate(), E_FAIL);
    EXPECT_EQ(engine->GetState(), Engine::kStateNormalMode);

    engine = FakeEngine::Create();
    engine->present = {{true, 0, {}}};
    ASSERT_EQ(engine->SetDeviceDefinitions(MixerDefinitions()), S_OK);
    ASSERT_EQ(engine->ScanForDevices(), S_OK);
    (void)engine->SetFirmwareFilePath(u"/nonexistent/file.syx");
    recorder->Clear();
    EXPECT_EQ(engine->StartUpdate(), E_FAIL);
    EXPECT_EQ(engine->GetState(), Engine::kStateUpdateMode);
    EXPECT_TRUE(recorder->Drain().empty());
}

TEST_F(UpdateEngineInterfaceTests, StartEnterUpdateModeRunsOnTheCaller)
{
    BringToState(false);
    EXPECT_EQ(engine->StartEnterUpdateMode(), 5);
    EXPECT_EQ(engine->enterCalls, 1);
}

TEST_F(UpdateEngineInterfaceTests, WaitForTaskWaitsForAJustStartedUpdate)
{
    BringToState(true);
    engine->releaseUpdate = false;
    ASSERT_EQ(engine->StartUpdate(), S_OK);
    // Marked running before StartUpdate returned, whether or not the worker has begun.
    EXPECT_EQ(engine->GetUpdateResult(true), Engine::kResultRunning);
    EXPECT_EQ(engine->GetUpdateResult(false), Engine::kResultRunning);
    EXPECT_EQ(engine->GetState(), Engine::kStateUpdating);
    EXPECT_EQ(engine->WaitForTask(50), E_FAIL);

    engine->releaseUpdate = true;
    EXPECT_EQ(engine->WaitForTask(10000), S_OK);
    EXPECT_EQ(engine->GetUpdateResult(false), Engine::kResultDone);
    EXPECT_EQ(engine->WaitForTask(0), S_OK); // nothing pending any more

    const auto seen = recorder->Drain();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front().name, kDeviceStateChangeNotificationName);
    EXPECT_EQ(std::make_pair(seen.front().newValue, seen.front().oldValue), std::make_pair(8, 7));
    const auto completed = recorder->Of(kFirmwareUpdateCompletedNotificationName);
    ASSERT_EQ(completed.size(), 1u);
    EXPECT_EQ(completed[0].newValue, 1);
}

TEST_F(UpdateEngineInterfaceTests, FailedUpdateReportsFailureOnceAndResetsItsResult)
{
    BringToState(true);
    engine->updateReturn = E_FAIL;
    ASSERT_EQ(engine->StartUpdate(), S_OK);
    ASSERT_EQ(engine->WaitForTask(10000), S_OK);
    EXPECT_EQ(engine->GetUpdateResult(true), Engine::kResultFailed);
    EXPECT_EQ(engine->GetUpdateResult(true), Engine::kResultNone);
    ASSERT_TRUE(TestSupport::WaitFor(
        [&] { return !recorder->Of(kFirmwareUpdateCompletedNotificationName).empty(); }));
    const auto completed = recorder->Of(kFirmwareUpdateCompletedNotificationName);
    ASSERT_EQ(completed.size(), 1u);
    EXPECT_EQ(completed[0].newValue, 0);
}

TEST_F(UpdateEngineInterfaceTests, RefusedStartLeavesTheEngineRetryable)
{
    BringToState(true);
    // The first task goes back to state 7 while it still holds the worker, so a second start reaches the
    // busy worker.
    engine->releaseUpdate = false;
    engine->backToUpdateModeWhileRunning = true;
    ASSERT_EQ(engine->StartUpdate(), S_OK);
    ASSERT_TRUE(TestSupport::WaitFor([&] { return engine->updateStarted.load(); }));
    ASSERT_EQ(engine->GetState(), Engine::kStateUpdateMode);

    EXPECT_EQ(engine->StartUpdate(), E_FAIL);
    EXPECT_EQ(engine->GetState(), Engine::kStateUpdateMode);

    // The refused start leaves the running task awaited.
    EXPECT_EQ(engine->WaitForTask(50), E_FAIL);
    engine->backToUpdateModeWhileRunning = false;
    engine->releaseUpdate = true;
    ASSERT_EQ(engine->WaitForTask(10000), S_OK);
    EXPECT_EQ(engine->GetUpdateResult(false), Engine::kResultDone);
    engine->SetState(Engine::kStateUpdateMode);
    EXPECT_EQ(engine->StartUpdate(), S_OK);
    EXPECT_EQ(engine->WaitForTask(10000), S_OK);
}

TEST_F(UpdateEngineInterfaceTests, WaitWhileProgressingGivesUpOnlyAfterAStall)
{
    using namespace std::chrono_literals;
    BringToState(true);
    Platform::ManualClock clock;
    Platform::SetClock(&clock);
    struct ClockRestored
    {
        ~ClockRestored() { Platform::SetClock(nullptr); }
    } restored;

    // Twenty minutes of progress, one piece a minute, outlast the ten-minute bound.
    engine->releaseUpdate = false;
    ASSERT_EQ(engine->StartUpdate(), S_OK);
    std::thread pieces(
        [&]
        {
            for (int i = 1; i <= 20; ++i)
            {
                clock.Advance(60s);
                engine->PostProgress(0, i / 20.0, true, -1, false, ZQ::WString());
                std::this_thread::sleep_for(1ms);
            }
            engine->releaseUpdate = true;
        });
    EXPECT_EQ(engine->WaitForTaskWhileProgressing(600000), S_OK);
    pieces.join();
    EXPECT_EQ(engine->GetUpdateResult(false), Engine::kResultDone);

    // A task that shows no progress is given up once ten minutes passed since its start.
    engine->releaseUpdate = false;
    engine->SetState(Engine::kStateUpdateMode);
    const Platform::TimePoint start = clock.Now();
    ASSERT_EQ(engine->StartUpdate(), S_OK);
    std::atomic<bool> waiting{true};
    std::thread time(
        [&]
        {
            while (waiting)
            {
                clock.Advance(10s);
                std::this_thread::sleep_for(1ms);
            }
        });
    EXPECT_EQ(engine->WaitForTaskWhileProgressing(600000), E_FAIL);
    EXPECT_GE(clock.Now() - start, Platform::Duration(600s));
    EXPECT_EQ(engine->GetUpdateResult(false), Engine::kResultRunning);
    waiting = false;
    time.join();
}

TEST(UpdateEngineInterfaceConcurrency, StateWrittenByTheWorkerWhileTheCallerReads)
{
    TempEnvironment environment;
    auto engine = FakeEngine::Create();
    engine->present = {{true, 0, {}}};
    ASSERT_EQ(engine->SetDeviceDefinitions(MixerDefinitions()), S_OK);
    ASSERT_EQ(engine->ScanForDevices(), S_OK);
    ASSERT_EQ(engine->SetFirmwareFilePath(environment.WriteFile("image.bin", {1}).c_str()), S_OK);
    for (int round = 0; round < 20; ++round)
    {
        engine->SetState(Engine::kStateUpdateMode);
        ASSERT_EQ(engine->StartUpdate(), S_OK);
        ZQ::WString path;
        while (engine->GetUpdateResult(false) == Engine::kResultRunning)
        {
            (void)engine->GetState();
            (void)engine->GetFirmwareFilePath(path);
        }
        ASSERT_EQ(engine->WaitForTask(10000), S_OK);
    }
    (void)ZQ::GetDefaultNotificationCenter()->Flush();
}
