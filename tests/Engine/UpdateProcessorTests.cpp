#include "Engine/EngineFixture.h"

#include "Panel/Engine/PrivateMidiPerformUpdateEngine.h"
#include "Panel/Engine/UpdateProcessor.h"
#include "Platform/Clock/Clock.h"
#include "ZQFramework/Application/FrameworkServices.h"
#include "ZQFramework/ObjectBase/Exception.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <numeric>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{
using Engine = LUpdateEngineInterface;

std::u16string Std(const ZQ::WString& text)
{
    return std::u16string(text.GetBuffer(), static_cast<size_t>(text.GetLength()));
}

std::u16string Wide(const std::string& text)
{
    return std::u16string(text.begin(), text.end());
}

// The ASCII text of the paths these tests make.
std::string Narrow(const std::u16string& text)
{
    return std::string(text.begin(), text.end());
}

TEST(FindOptionTests, MatchesFlagsAndValues)
{
    struct Case
    {
        const char16_t* line;
        const char16_t* option;
        bool found;
        const char16_t* value;
    };
    const Case cases[] = {
        {u"-SILENT", u"-SILENT", true, u""},
        {u"a -silent b", u"-SILENT", true, u""},
        {u"-SILENT_IF_UPDATE_NOT_NEEDED -SILENT", u"-SILENT", false, u""},
        {u"-SILENTLY", u"-SILENT", false, u""},
        {u"-X", u"X", false, u""},
        {u"-", u"-", false, u""},
        {u"-FIRMWARE_IMAGE_NAME=a.syx -SILENT", u"-FIRMWARE_IMAGE_NAME=", true, u"a.syx"},
        {u"-firmware_image_name=A.syx", u"-FIRMWARE_IMAGE_NAME=", true, u"A.syx"},
        {u"-FIRMWARE_IMAGE_NAME= a.syx", u"-FIRMWARE_IMAGE_NAME=", false, u""},
        {u"-FIRMWARE_IMAGE_NAME=", u"-FIRMWARE_IMAGE_NAME=", true, u""},
        {u"-P=\"/a b/c.syx\" -SILENT", u"-P=", true, u"/a b/c.syx"},
        {u"-P=\"/a b/c.syx", u"-P=", true, u"/a b/c.syx"},
        {u"-P=\"\"", u"-P=", true, u""},
        // Only where an argument begins, outside quoted values.
        {u"-P=\"/a -SILENT b/c.syx\"", u"-SILENT", false, u""},
        {u"-P=\"/a -SILENT b/c.syx\" -silent", u"-SILENT", true, u""},
        {u"-P=\"/a -Q=x b\" -Q=y", u"-Q=", true, u"y"},
        {u"x-SILENT", u"-SILENT", false, u""},
        {u"-P=a-SILENT", u"-SILENT", false, u""},
        {u"-P=\"open -SILENT", u"-SILENT", false, u""},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
    {
        const Case& c = cases[i];
        ZQ::WString value(u"stale");
        EXPECT_EQ(FindOption(c.line, c.option, value), c.found) << "case " << i;
        EXPECT_TRUE(Std(value) == c.value) << "case " << i;
    }
}

TEST(BuildCommandLineTests, QuotesValuesOrWholeArgumentsWithSpaces)
{
    struct Case
    {
        std::vector<const char*> arguments;
        const char16_t* line;
    };
    const Case cases[] = {
        {{}, u""},
        {{"-SILENT", "\xC3\xA9"}, u"-SILENT \u00E9"},
        {{"-ABSOLUTE_FIRMWARE_FILE_PATH=/a b/c.syx", "-SILENT"},
         u"-ABSOLUTE_FIRMWARE_FILE_PATH=\"/a b/c.syx\" -SILENT"},
        {{"-FIRMWARE_IMAGE_NAME=my image.syx"}, u"-FIRMWARE_IMAGE_NAME=\"my image.syx\""},
        {{"-X= "}, u"-X=\" \""},
        {{"my file.syx"}, u"\"my file.syx\""},
        {{"x=a b"}, u"\"x=a b\""},
        {{"-=a b"}, u"\"-=a b\""},
        {{"-A B=c"}, u"\"-A B=c\""},
        // Quoted already, as a launcher that quotes as on Windows hands them over.
        {{"-FIRMWARE_IMAGE_NAME=\"my image.syx\""}, u"-FIRMWARE_IMAGE_NAME=\"my image.syx\""},
        {{"\"my file.syx\""}, u"\"my file.syx\""},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
    {
        std::vector<const char*> argv{"/opt/updater/prog"};
        argv.insert(argv.end(), cases[i].arguments.begin(), cases[i].arguments.end());
        EXPECT_EQ(Std(BuildCommandLine(static_cast<int>(argv.size()), argv.data())), cases[i].line)
            << "case " << i;
    }

    // A bad byte never cuts an argument short: "-SILENT" followed by one is no flag.
    const char* bad[] = {"prog", "-SILENT\xFF", "x\xC3", "\xE2\x82"};
    const ZQ::WString line = BuildCommandLine(4, bad);
    EXPECT_EQ(Std(line), u"-SILENT\uFFFD x\uFFFD \uFFFD\uFFFD");
    ZQ::WString value;
    EXPECT_FALSE(FindOption(line, u"-SILENT", value));
}

// The steady clock moved on by hand: time-outs still pass in real time, and a test can make minutes pass
// at once.
class SteppedClock final : public Platform::IClock
{
public:
    [[nodiscard]] Platform::TimePoint Now() const override
    {
        return std::chrono::steady_clock::now() + Platform::Duration(mOffset.load());
    }
    void Advance(std::chrono::seconds step) { mOffset += Platform::Duration(step).count(); }

private:
    std::atomic<int64_t> mOffset{0};
};

// This device's engine, made slow or stalled in clock time: after each piece's progress it moves the clock
// on by a step, and from a given piece on it makes no more progress until it is asked to abort.
class PacedEngine : public LPrivateMidiPerformUpdateEngine
{
public:
    PacedEngine(SteppedClock& clock, std::chrono::seconds step, int stallAfter)
        : mClock(clock), mStep(step), mStallAfter(stallAfter)
    {
    }
    void PostProgress(int32_t value, double progress, bool estimate, int32_t remainingSeconds, bool flag,
                      const ZQ::WString& statusText) override
    {
        LPrivateMidiPerformUpdateEngine::PostProgress(value, progress, estimate, remainingSeconds, flag,
                                                      statusText);
        mClock.Advance(mStep);
        if (++mPieces != mStallAfter)
            return;
        while (!IsAbortRequested())
        {
            mClock.Advance(std::chrono::seconds(10));
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

private:
    SteppedClock& mClock;
    const std::chrono::seconds mStep;
    const int mStallAfter;
    int mPieces = 0;
};

// A processor against the simulated mixer, with a firmware file of 300 bytes.
class UpdateProcessorFixture : public EngineTest::EngineTestBase
{
protected:
    void SetUp() override
    {
        EngineTest::EngineTestBase::SetUp();
        ZQ::ProcessExitValue = 0;
        std::vector<uint8_t> bytes(300);
        std::iota(bytes.begin(), bytes.end(), uint8_t{1});
        image = bytes;
        path = Wide(environment.WriteFile("QD51DSP_FULL.syx", bytes));
        processor = LUpdateProcessor::Create();
    }
    std::u16string WithFile(const std::u16string& options) const
    {
        return options + u" -ABSOLUTE_FIRMWARE_FILE_PATH=" + path;
    }
    ZQRESULT Run(const std::u16string& line) { return processor->Initialize(line.c_str()); }
    [[nodiscard]] int32_t State() const { return processor->GetEngine()->GetState(); }

    std::vector<uint8_t> image;
    std::u16string path;
    ZQ::RCPtr<LUpdateProcessor> processor;
};

using UpdateProcessorTests = UpdateProcessorFixture;
using UpdateProcessorSlow = UpdateProcessorFixture;

TEST_F(UpdateProcessorTests, WithoutOptionsFindsTheDeviceAndStartsNothing)
{
    EXPECT_EQ(Run(WithFile(u"")), S_OK);
    EXPECT_EQ(State(), Engine::kStateNormalMode);
    EXPECT_EQ(processor->GetEngine()->GetFirmwareFileState(), Engine::kFileValid);
    // The window opens; should it fail to, the program ends saying that it needed one.
    EXPECT_EQ(ZQ::ProcessExitValue, LUpdateProcessor::kExitNoWindow);
    EXPECT_TRUE(mixer->Log().Find("request").empty());
}

TEST_F(UpdateProcessorTests, StatusInNormalModeTellsWhetherAnUpdateIsNeeded)
{
    struct Case
    {
        Simulator::Version version;
        int32_t exit;
    };
    for (const Case& c : {Case{{1, 1, 5, 7}, LUpdateProcessor::kExitNormalModeNeeded},
                          Case{{1, 2, 0, 1}, LUpdateProcessor::kExitNormalModeNotNeeded}})
    {
        mixer->SetVersion(c.version);
        ZQ::ProcessExitValue = 0;
        processor = LUpdateProcessor::Create();
        EXPECT_EQ(Run(WithFile(u"-RETURN_UPDATE_MODE_STATUS")), ZQ_E_APP_WORK_DONE);
        EXPECT_EQ(ZQ::ProcessExitValue, c.exit);
    }
}

TEST_F(UpdateProcessorTests, StatusIsOneWithoutDeviceOrWithAnOldDriver)
{
    mixer->Unplug();
    EXPECT_EQ(Run(WithFile(u"-RETURN_UPDATE_MODE_STATUS")), ZQ_E_APP_WORK_DONE);
    EXPECT_EQ(ZQ::ProcessExitValue, LUpdateProcessor::kExitNoDeviceOrDriverTooOld);

    mixer->Plug();
    mixer->SetDriverVersion(u"1.0.4");
    ZQ::ProcessExitValue = 0;
    processor = LUpdateProcessor::Create();
    EXPECT_EQ(Run(WithFile(u"-RETURN_UPDATE_MODE_STATUS")), ZQ_E_APP_WORK_DONE);
    EXPECT_EQ(ZQ::ProcessExitValue, LUpdateProcessor::kExitNoDeviceOrDriverTooOld);
    EXPECT_EQ(State(), Engine::kStateError);

    // Without the option the window shows the error.
    processor = LUpdateProcessor::Create();
    EXPECT_EQ(Run(WithFile(u"")), S_OK);
}

TEST_F(UpdateProcessorTests, StatusIsOneWhenTwoDevicesShareTheName)
{
    // A second device publishing the same port names makes the name ambiguous: no device is found.
    Platform::MidiPeer twin;
    ASSERT_NE(twin.PublishInput(TestSupport::kMixerPortName), 0u);
    ASSERT_NE(twin.PublishOutput(TestSupport::kMixerPortName), 0u);
    EXPECT_EQ(Run(WithFile(u"-RETURN_UPDATE_MODE_STATUS")), ZQ_E_APP_WORK_DONE);
    EXPECT_EQ(ZQ::ProcessExitValue, LUpdateProcessor::kExitNoDeviceOrDriverTooOld);
    EXPECT_EQ(State(), Engine::kStateNoDevice);
}

TEST_F(UpdateProcessorTests, SilentIfNotNeededClosesOnlyWhenNoUpdateIsNeeded)
{
    mixer->SetVersion({1, 2, 0, 1});
    EXPECT_EQ(Run(WithFile(u"-SILENT_IF_UPDATE_NOT_NEEDED")), ZQ_E_APP_WORK_DONE);
    mixer->SetVersion({1, 1, 5, 7});
    processor = LUpdateProcessor::Create();
    EXPECT_EQ(Run(WithFile(u"-SILENT_IF_UPDATE_NOT_NEEDED")), S_OK);
    EXPECT_EQ(State(), Engine::kStateNormalMode);
}

TEST_F(UpdateProcessorTests, SilentInNormalModeOnlyEntersUpdateModeAndSendsNothing)
{
    EXPECT_EQ(Run(WithFile(u"-silent")), ZQ_E_APP_WORK_DONE);
    EXPECT_EQ(State(), Engine::kStateEnteringUpdateMode);
    EXPECT_EQ(ZQ::ProcessExitValue, LUpdateProcessor::kExitUpdateNotStarted);
    EXPECT_TRUE(mixer->Log().Find("request").empty());
}

TEST_F(UpdateProcessorTests, AlwaysUpdateProceedsWithoutNeedAndIsReadOnce)
{
    mixer->SetVersion({1, 2, 0, 1});
    EXPECT_EQ(Run(WithFile(u"-ALWAYS_UPDATE -START_UPDATE_AUTOMATICALLY")), S_OK);
    EXPECT_TRUE(processor->GetAlwaysUpdate());
    EXPECT_EQ(State(), Engine::kStateEnteringUpdateMode);

    EXPECT_EQ(processor->SetAlwaysUpdate(false), S_OK);
    EXPECT_EQ(processor->SetAlwaysUpdate(false), S_FALSE);
    (void)processor->Reinitialize();
    EXPECT_FALSE(processor->GetAlwaysUpdate()) << "the option is read at the first start only";

    processor = LUpdateProcessor::Create();
    EXPECT_EQ(Run(WithFile(u"-START_UPDATE_AUTOMATICALLY")), S_OK);
    EXPECT_EQ(State(), Engine::kStateNormalMode);
}

TEST_F(UpdateProcessorTests, FirmwarePathsQuotedMissingOrByName)
{
    const std::string spaced = environment.Root() + "/files/with space";
    std::filesystem::create_directories(spaced);
    std::filesystem::copy_file(environment.Root() + "/files/QD51DSP_FULL.syx", spaced + "/image.syx");
    EXPECT_EQ(Run(u"-ABSOLUTE_FIRMWARE_FILE_PATH=\"" + Wide(spaced) + u"/image.syx\""), S_OK);
    EXPECT_EQ(processor->GetEngine()->GetFirmwareFileState(), Engine::kFileValid);

    processor = LUpdateProcessor::Create();
    EXPECT_EQ(Run(u"-ABSOLUTE_FIRMWARE_FILE_PATH=" + path + u".missing"), S_OK);
    EXPECT_EQ(processor->GetEngine()->GetFirmwareFileState(), Engine::kFileInvalid);

    // A name is looked for in the program's folder; an empty name means the default one.
    processor = LUpdateProcessor::Create();
    EXPECT_EQ(Run(u"-FIRMWARE_IMAGE_NAME= x"), S_OK);
    ZQ::WString used;
    (void)processor->GetEngine()->GetFirmwareFilePath(used);
    EXPECT_EQ(Std(used), Std(ZQ::MFCFrameworkAppBase::GetFolder(0)) + u"/QD51DSP_FULL.syx");
}

TEST_F(UpdateProcessorTests, PathOptionsWithSpacesFromTheArgumentsFindTheirFile)
{
    // A firmware file under a folder with a space, and one with a space in its name beside the program
    // (where an image name is looked for), removed again at the end.
    const std::string folder = environment.Root() + "/files/with space";
    std::filesystem::create_directories(folder);
    const std::string absolute = folder + "/my image.syx";
    std::filesystem::copy_file(Narrow(path), absolute);
    const std::string name = "zq test image " + std::to_string(::getpid()) + ".syx";
    const std::string besideProgram = Narrow(Std(ZQ::MFCFrameworkAppBase::GetFolder(0))) + "/" + name;
    std::filesystem::copy_file(Narrow(path), besideProgram);
    struct RemovedAtEnd
    {
        const std::string& file;
        ~RemovedAtEnd() { std::filesystem::remove(file); }
    } removedAtEnd{besideProgram};

    struct Case
    {
        std::string argument;
        std::string expectedPath;
    };
    // A folder whose name holds an option: the path is a value, never an option.
    const std::string optionFolder = environment.Root() + "/files/a -RETURN_UPDATE_MODE_STATUS b";
    std::filesystem::create_directories(optionFolder);
    std::filesystem::copy_file(Narrow(path), optionFolder + "/image.syx");
    for (const Case& c :
         {Case{"-ABSOLUTE_FIRMWARE_FILE_PATH=" + absolute, absolute},
          Case{"-FIRMWARE_IMAGE_NAME=" + name, besideProgram},
          Case{"-FIRMWARE_IMAGE_NAME=\"" + name + "\"", besideProgram},
          Case{"-ABSOLUTE_FIRMWARE_FILE_PATH=" + optionFolder + "/image.syx", optionFolder + "/image.syx"}})
    {
        const char* argv[] = {"prog", c.argument.c_str(), "-SILENT_IF_UPDATE_NOT_NEEDED"};
        processor = LUpdateProcessor::Create();
        EXPECT_EQ(processor->Initialize(BuildCommandLine(3, argv)), S_OK) << c.argument;
        ZQ::WString used;
        (void)processor->GetEngine()->GetFirmwareFilePath(used);
        EXPECT_EQ(Narrow(Std(used)), c.expectedPath);
        EXPECT_EQ(processor->GetEngine()->GetFirmwareFileState(), Engine::kFileValid) << c.argument;
    }
}

TEST_F(UpdateProcessorSlow, StatusInUpdateModeTellsWhetherAnUpdateIsNeeded)
{
    mixer->SetMode(Simulator::DeviceMode::Update);
    EXPECT_EQ(Run(WithFile(u"-RETURN_UPDATE_MODE_STATUS")), ZQ_E_APP_WORK_DONE);
    EXPECT_EQ(ZQ::ProcessExitValue, LUpdateProcessor::kExitUpdateModeNeeded);
    // Without a valid file no update is needed.
    ZQ::ProcessExitValue = 0;
    processor = LUpdateProcessor::Create();
    EXPECT_EQ(Run(u"-RETURN_UPDATE_MODE_STATUS -ABSOLUTE_FIRMWARE_FILE_PATH=/no/file.syx"),
              ZQ_E_APP_WORK_DONE);
    EXPECT_EQ(ZQ::ProcessExitValue, LUpdateProcessor::kExitUpdateModeNotNeeded);
}

TEST_F(UpdateProcessorSlow, SilentUpdateDeliversTheWholeImageBeforeReturning)
{
    mixer->SetMode(Simulator::DeviceMode::Update);
    EXPECT_EQ(Run(WithFile(u"-SILENT")), ZQ_E_APP_WORK_DONE);
    EXPECT_EQ(mixer->Driver().Firmware(), image);
    EXPECT_EQ(processor->GetEngine()->GetUpdateResult(false), Engine::kResultDone);
    EXPECT_FALSE(mixer->Driver().IsUpdateControlOn());
    // Progress after each of the three pieces, then one completion.
    const auto progress = recorder->Of(kFirmwareUpdateProgressNotificationName);
    ASSERT_EQ(progress.size(), 3u);
    EXPECT_DOUBLE_EQ(progress.back().progress, 1.0);
    const auto completed = recorder->Of(kFirmwareUpdateCompletedNotificationName);
    ASSERT_EQ(completed.size(), 1u);
    EXPECT_EQ(completed[0].newValue, 1);
    EXPECT_EQ(ZQ::ProcessExitValue, 0);
}

TEST_F(UpdateProcessorSlow, SilentUpdateIsCutOnlyWhenItStalls)
{
    mixer->SetMode(Simulator::DeviceMode::Update);
    std::vector<uint8_t> bytes(640); // five pieces
    std::iota(bytes.begin(), bytes.end(), uint8_t{7});
    const std::u16string fivePieces = Wide(environment.WriteFile("five.syx", bytes));
    SteppedClock clock;
    Platform::SetClock(&clock);
    struct ClockRestored
    {
        ~ClockRestored() { Platform::SetClock(nullptr); }
    } restored;

    struct Case
    {
        const char* name;
        std::chrono::seconds step; // clock time per piece
        int stallAfter;            // 0: never
        int32_t exit;
        int32_t result;
        size_t received;
    };
    // Five pieces of five minutes each outlast the ten-minute wait but never go ten minutes without
    // progress; a transfer silent for ten minutes after its second piece is ended as an abort ends it.
    const Case cases[] = {
        {"slow", std::chrono::seconds(300), 0, 0, Engine::kResultDone, bytes.size()},
        {"stalled", std::chrono::seconds(1), 2, LUpdateProcessor::kExitTransferFailed, Engine::kResultAborted,
         256},
    };
    for (const Case& c : cases)
    {
        mixer->Driver().ClearFirmware();
        ZQ::ProcessExitValue = 0;
        processor = LUpdateProcessor::Create(
            ZQ::RCPtr<LUpdateEngineInterface>(new PacedEngine(clock, c.step, c.stallAfter)));
        EXPECT_EQ(processor->Initialize((u"-SILENT -ABSOLUTE_FIRMWARE_FILE_PATH=" + fivePieces).c_str()),
                  ZQ_E_APP_WORK_DONE)
            << c.name;
        EXPECT_EQ(ZQ::ProcessExitValue, c.exit) << c.name;
        EXPECT_EQ(processor->GetEngine()->GetUpdateResult(false), c.result) << c.name;
        EXPECT_EQ(mixer->Driver().Firmware().size(), c.received) << c.name;
        EXPECT_FALSE(mixer->Driver().IsUpdateControlOn()) << c.name;
    }
}
} // namespace
