#include "Engine/EngineFixture.h"

#include "Panel/Engine/UpdateEngine.h"
#include "ZQFramework/Midi/MidiCommInterface.h"

#include <gtest/gtest.h>
#include <optional>
#include <thread>

using namespace EngineTest;
using namespace TestSupport;
using Engine = LUpdateEngineInterface;

namespace
{
class UpdateEngineTests : public EngineTestBase
{
protected:
    // Initialises the engine, sets the mixer's definition and scans.
    void InitializeAndScan()
    {
        ASSERT_EQ(engine->Initialize(u""), S_OK);
        ASSERT_EQ(engine->SetDeviceDefinitions(MixerDefinitions()), S_OK);
        (void)engine->ScanForDevices();
    }

    [[nodiscard]] ZQ::WString DeviceVersionText()
    {
        ZQ::WString text;
        (void)engine->GetDeviceVersionText(text);
        return text;
    }

    ZQ::RCPtr<TestEngine> engine = TestEngine::Create();
};
} // namespace

TEST(UpdateEngineDriverVersion, ComparesNumericComponents)
{
    struct Case
    {
        const char16_t* version;
        bool recentEnough;
    };
    const Case cases[] = {
        {u"1.0.5", true},   {u"1.0.10", true}, {u"1.0.4", false}, {u"2", true},       {u"1", false},
        {u"1.0.5.1", true}, {u"1.1", true},    {u"0.9.9", false}, {u"", false},       {u"abc", false},
        {u" 1.0.6 ", true}, {u"1.0", false},   {u"10.0.0", true}, {u"1.0.5.0", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LUpdateEngine::IsDriverVersionRecentEnough(c.version), c.recentEnough)
            << ZQ::WString(c.version).ToNarrow().GetBuffer();
}

TEST(UpdateEngineIdentityReply, VersionTextTable)
{
    struct Case
    {
        int32_t b11, b12, b13, b14;
        const char16_t* text;
    };
    const Case cases[] = {
        {1, 1, 0, 0, u"1.0"},      {1, 1, 0, 7, u"1.0"},      {1, 1, 0, 8, u"1.1"},
        {1, 1, 0, 127, u"1.1"},    {1, 1, 1, 0, u"1.1"},      {1, 1, 4, 99, u"1.1"},
        {1, 1, 5, 0, u"1.1"},      {1, 1, 5, 4, u"1.1"},      {1, 1, 5, 5, u"1.1.1"},
        {1, 1, 5, 7, u"1.1.1"},    {1, 1, 6, 0, u"1.2"},      {1, 1, 7, 50, u"1.2"},
        {1, 1, 8, 0, u"1.2"},      {1, 1, 8, 1, u"Unknown"},  {1, 1, 9, 1, u"1.3"},
        {1, 1, 9, 3, u"1.3"},      {1, 1, 9, 0, u"Unknown"},  {1, 1, 9, 4, u"Unknown"},
        {1, 2, 0, 1, u"1.5"},      {1, 2, 0, 0, u"Unknown"},  {2, 0, 0, 0, u"Unknown"},
        {1, 1, 10, 0, u"Unknown"}, {1, 1, 0, -1, u"Unknown"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LUpdateEngine::VersionTextFromReply(c.b11, c.b12, c.b13, c.b14), c.text)
            << c.b11 << "." << c.b12 << "." << c.b13 << "." << c.b14;
}

TEST(UpdateEngineIdentityReply, AcceptsOnlyTheReplyForm)
{
    auto reply = Simulator::Mixer::IdentityReply({1, 1, 5, 5});
    const auto decode = [](const std::vector<uint8_t>& bytes) -> std::optional<Engine::FirmwareVersion>
    {
        Engine::FirmwareVersion version;
        if (!LUpdateEngine::DecodeIdentityReply(reinterpret_cast<const signed char*>(bytes.data()),
                                                static_cast<int32_t>(bytes.size()), version))
            return std::nullopt;
        return version;
    };
    const auto version = decode(reply);
    ASSERT_TRUE(version);
    EXPECT_EQ(version->mMajor, 1u);
    EXPECT_EQ(version->mPatch, 5u);
    EXPECT_EQ(version->mBuild, 5u);
    EXPECT_EQ(version->mText, u"1.1.1");

    auto shorter = reply;
    shorter.pop_back();
    auto longer = reply;
    longer.push_back(0xF7);
    auto request = reply;
    request[4] = 0x01;
    auto other = reply;
    other[1] = 0x7F;
    for (const auto& bytes : {shorter, longer, request, other})
        EXPECT_FALSE(decode(bytes));
}

TEST_F(UpdateEngineTests, DriverCurrentOrTooOld)
{
    struct Case
    {
        std::optional<std::u16string> driverVersion;
        bool upToDate;
    };
    const Case cases[] = {{u"1.0.5", true}, {u"1.0.10", true}, {u"1.0.4", false}, {std::nullopt, false}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.driverVersion ? ZQ::WString(c.driverVersion->c_str()).ToNarrow().GetBuffer()
                                     : "missing");
        mixer->SetDriverVersion(c.driverVersion);
        engine = TestEngine::Create();
        recorder->Clear();
        InitializeAndScan();
        int32_t reason = -1;
        if (c.upToDate)
        {
            EXPECT_EQ(engine->GetState(), Engine::kStateNormalMode);
            EXPECT_EQ(engine->GetUpdateResult(false), Engine::kResultNone);
            EXPECT_EQ(engine->GetCannotUpdateReason(reason), E_FAIL);
        }
        else
        {
            // Initialisation reports the old driver; the device found afterwards cannot be updated.
            EXPECT_EQ(engine->GetState(), Engine::kStateError);
            EXPECT_EQ(engine->GetUpdateResult(false), Engine::kResultDone);
            EXPECT_EQ(engine->GetCannotUpdateReason(reason), S_OK);
            EXPECT_EQ(reason, Engine::kReasonDriverTooOld);
            EXPECT_EQ(recorder->StateChanges(),
                      (std::vector<std::pair<int32_t, int32_t>>{{4, 0}, {1, 4}, {4, 3}}));
        }
    }
}

TEST_F(UpdateEngineTests, MissingProductCodeCountsAsTooOld)
{
    mixer->SetProductCode(std::nullopt);
    EXPECT_EQ(engine->Initialize(u""), S_OK);
    EXPECT_EQ(engine->GetState(), Engine::kStateError);
    EXPECT_EQ(engine->GetUpdateResult(false), Engine::kResultDone);
}

TEST_F(UpdateEngineTests, FindsTheDeviceInNormalModeAndDecidesOnTheUpdate)
{
    InitializeAndScan();
    ASSERT_EQ(engine->GetState(), Engine::kStateNormalMode);
    EXPECT_EQ(DeviceVersionText(), u"1.1.1");
    EXPECT_FALSE(engine->IsDeviceInUpdateMode(0));
    ZQ::Array<Engine::DeviceDefinition> found;
    EXPECT_EQ(engine->GetFoundDevices(found), S_OK);
    ASSERT_EQ(found.GetCount(), 1u);
    EXPECT_EQ(found.GetAt(0).mInputPortName, kMixerPortName.c_str());

    EXPECT_FALSE(engine->IsUpdateNeeded()); // no firmware file yet
    ASSERT_EQ(engine->SetFirmwareFilePath(environment.WriteFile("Q3300.syx", {0xF0, 0xF7}).c_str()), S_OK);
    EXPECT_TRUE(engine->IsUpdateNeeded()); // 1.1.5.7 against 1.2.0.1

    // The device already runs the file's version: re-probe after the mixer changed.
    mixer->SetVersion({1, 2, 0, 1});
    EXPECT_EQ(engine->ProbeSelectedDevice(), S_OK);
    EXPECT_EQ(DeviceVersionText(), u"1.5");
    EXPECT_FALSE(engine->IsUpdateNeeded());
    mixer->SetVersion({1, 2, 0, 2});
    EXPECT_EQ(engine->ProbeSelectedDevice(), S_OK);
    EXPECT_FALSE(engine->IsUpdateNeeded()); // newer by build

    // Definitions, then the one device selected with 3 as the old state, then the file.
    const auto seen = recorder->Drain();
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen[0].name, kDeviceStateChangeNotificationName);
    EXPECT_EQ(std::make_pair(seen[0].newValue, seen[0].oldValue), std::make_pair(1, 0));
    EXPECT_EQ(seen[1].name, kDeviceStateChangeNotificationName);
    EXPECT_EQ(std::make_pair(seen[1].newValue, seen[1].oldValue), std::make_pair(5, 3));
    EXPECT_EQ(seen[2].name, kFirmwareFileStateChangeNotificationName);
    EXPECT_EQ(std::make_pair(seen[2].newValue, seen[2].oldValue), std::make_pair(3, 0));
    EXPECT_EQ(seen.size(), 3u); // probes that keep the state post nothing
}

TEST_F(UpdateEngineTests, EveryVersionTextThroughTheDevice)
{
    struct Case
    {
        Simulator::Version version;
        const char16_t* text;
    };
    const Case cases[] = {
        {{1, 1, 0, 3}, u"1.0"},     {{1, 1, 0, 8}, u"1.1"},     {{1, 1, 3, 0}, u"1.1"},
        {{1, 1, 5, 2}, u"1.1"},     {{1, 1, 5, 5}, u"1.1.1"},   {{1, 1, 6, 9}, u"1.2"},
        {{1, 1, 8, 0}, u"1.2"},     {{1, 1, 9, 2}, u"1.3"},     {{1, 2, 0, 1}, u"1.5"},
        {{1, 1, 8, 1}, u"Unknown"}, {{2, 0, 0, 0}, u"Unknown"},
    };
    InitializeAndScan();
    for (const auto& c : cases)
    {
        SCOPED_TRACE(ZQ::WString(c.text).ToNarrow().GetBuffer());
        mixer->SetVersion(c.version);
        EXPECT_EQ(engine->ScanForDevices(), S_OK);
        EXPECT_EQ(engine->GetState(), Engine::kStateNormalMode);
        EXPECT_EQ(DeviceVersionText(), c.text);
        Engine::FirmwareVersion version;
        ASSERT_EQ(engine->GetDeviceVersion(0, version), S_OK);
        EXPECT_EQ(version.mMajor, c.version[0]);
        EXPECT_EQ(version.mMinor, c.version[1]);
        EXPECT_EQ(version.mPatch, c.version[2]);
        EXPECT_EQ(version.mBuild, c.version[3]);
    }
}

TEST_F(UpdateEngineTests, DeviceNotFound)
{
    mixer->Unplug();
    InitializeAndScan();
    EXPECT_EQ(engine->GetState(), Engine::kStateNoDevice);
    EXPECT_EQ(engine->GetFoundDeviceCount(), 0u);
    EXPECT_EQ(engine->ProbeSelectedDevice(), E_FAIL);
}

TEST_F(UpdateEngineTests, EnteringUpdateModeAndLosingTheDevice)
{
    InitializeAndScan();
    ASSERT_EQ(engine->GetState(), Engine::kStateNormalMode);
    EXPECT_EQ(engine->StartEnterUpdateMode(), S_OK);
    EXPECT_EQ(engine->GetState(), Engine::kStateEnteringUpdateMode);
    EXPECT_EQ(engine->ScanForDevices(), E_FAIL);

    mixer->Unplug();
    recorder->Clear();
    EXPECT_EQ(engine->ProbeSelectedDevice(), S_OK);
    EXPECT_EQ(engine->GetState(), Engine::kStateEnteringUpdateMode);
    EXPECT_TRUE(recorder->Drain().empty());

    // Back in normal mode while entering: still entering.
    mixer->Plug();
    EXPECT_EQ(engine->ProbeSelectedDevice(), S_OK);
    EXPECT_EQ(engine->GetState(), Engine::kStateEnteringUpdateMode);
}

TEST_F(UpdateEngineTests, EnterUpdateModeGuards)
{
    InitializeAndScan();
    engine->SetState(Engine::kStateUpdateMode);
    EXPECT_EQ(engine->EnterUpdateMode(), S_FALSE);
    EXPECT_EQ(engine->GetState(), Engine::kStateUpdateMode);
    engine->SetState(Engine::kStateDevicesFound);
    EXPECT_EQ(engine->EnterUpdateMode(), E_FAIL);
    EXPECT_EQ(engine->RequestAbort(), E_FAIL);
}

TEST_F(UpdateEngineTests, FailedProbeOfTheSelectedDeviceIsAnAccessFailure)
{
    InitializeAndScan();
    mixer->Unplug();
    EXPECT_EQ(engine->ProbeSelectedDevice(), S_OK);
    EXPECT_EQ(engine->GetState(), Engine::kStateError);
    int32_t reason = 0;
    EXPECT_EQ(engine->GetCannotUpdateReason(reason), S_OK);
    EXPECT_EQ(reason, Engine::kReasonDeviceAccess);
}

// Waits the real identity time-out: a silent device and malformed replies.
TEST(UpdateEngineIdentitySlow, SilentOrMalformedRepliesMeanUpdateMode)
{
    auto reply = Simulator::Mixer::IdentityReply({1, 2, 0, 1});
    auto shorter = reply;
    shorter.erase(shorter.begin() + 20);
    auto longer = reply;
    longer.insert(longer.begin() + 20, 0x00);
    auto wrongKind = reply;
    wrongKind[4] = 0x01;
    const std::vector<std::optional<std::vector<uint8_t>>> rawReplies = {std::nullopt, shorter, longer,
                                                                         wrongKind};
    for (size_t i = 0; i < rawReplies.size(); ++i)
    {
        SCOPED_TRACE(i);
        TempEnvironment environment;
        Simulator::Mixer mixer;
        mixer.Start();
        if (i == 0)
            mixer.SetMode(Simulator::DeviceMode::Update);
        else
            mixer.SetRawReply(rawReplies[i]);
        auto engine = LUpdateEngine::Create();
        ASSERT_EQ(engine->Initialize(u""), S_OK);
        ASSERT_EQ(engine->SetDeviceDefinitions(MixerDefinitions()), S_OK);
        EXPECT_EQ(engine->ScanForDevices(), S_OK);
        EXPECT_EQ(engine->GetState(), Engine::kStateUpdateMode);
        EXPECT_TRUE(engine->IsDeviceInUpdateMode(0));
        ZQ::WString text;
        EXPECT_EQ(engine->GetDeviceVersionText(text), S_OK);
        EXPECT_EQ(text, u"Unknown");
    }
    (void)ZQ::GetDefaultNotificationCenter()->Flush();
}

TEST(UpdateEngineIdentitySlow, LateReplyDoesNotChangeTheGivenUpRecord)
{
    TempEnvironment environment;
    Simulator::Mixer mixer;
    mixer.Start();
    mixer.SetReplyDelay(std::chrono::milliseconds(2300));
    auto engine = LUpdateEngine::Create();
    ASSERT_EQ(engine->Initialize(u""), S_OK);
    ASSERT_EQ(engine->SetDeviceDefinitions(MixerDefinitions()), S_OK);
    EXPECT_EQ(engine->ScanForDevices(), S_OK);
    EXPECT_EQ(engine->GetState(), Engine::kStateUpdateMode);
    // Let the late reply arrive; the record keeps what the give-up decided.
    ASSERT_TRUE(TestSupport::WaitFor([&] { return !mixer.Log().Find("reply").empty(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    Engine::FirmwareVersion version;
    ASSERT_EQ(engine->GetDeviceVersion(0, version), S_OK);
    EXPECT_EQ(version.mText, u"Unknown");
    EXPECT_EQ(version.mMajor, 0u);
    (void)ZQ::GetDefaultNotificationCenter()->Flush();
}

// A reply that arrives just as the query gives up is either taken whole (normal mode, its version) or not
// at all (update mode, "Unknown"); it never lands in a record the probe has already settled.
TEST(UpdateEngineIdentityConcurrency, ReplyRacingTheTimeOutIsTakenWholeOrNotAtAll)
{
    TempEnvironment environment;
    Simulator::Mixer mixer;
    mixer.Start();
    mixer.SetReplyDelay(std::chrono::milliseconds(LUpdateEngine::kIdentityReplyTimeout));
    auto engine = LUpdateEngine::Create();
    ASSERT_EQ(engine->Initialize(u""), S_OK);
    ASSERT_EQ(engine->SetDeviceDefinitions(MixerDefinitions()), S_OK);
    EXPECT_EQ(engine->ScanForDevices(), S_OK);
    ASSERT_TRUE(TestSupport::WaitFor([&] { return !mixer.Log().Find("reply").empty(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(50)); // let a late reply reach the engine

    Engine::FirmwareVersion version;
    ASSERT_EQ(engine->GetDeviceVersion(0, version), S_OK);
    if (engine->GetState() == Engine::kStateNormalMode)
    {
        EXPECT_FALSE(engine->IsDeviceInUpdateMode(0));
        EXPECT_EQ(version.mText, u"1.1.1");
        EXPECT_EQ(version.mBuild, 7u);
    }
    else
    {
        EXPECT_EQ(engine->GetState(), Engine::kStateUpdateMode);
        EXPECT_EQ(version.mText, u"Unknown");
        EXPECT_EQ(version.mMajor, 0u);
        EXPECT_EQ(version.mBuild, 0u);
    }
    (void)ZQ::GetDefaultNotificationCenter()->Flush();
}
