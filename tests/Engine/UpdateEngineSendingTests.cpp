#include "Engine/EngineFixture.h"
#include "Support/ManualClockScope.h"

#include "Panel/Engine/UpdateEngine.h"
#include "ZQFramework/Midi/MidiCommInterface.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace EngineTest;
using namespace TestSupport;
using Engine = LUpdateEngineInterface;

namespace
{
const std::u16string kSinkName = u"Engine Sink";

std::vector<uint8_t> Pattern(size_t count)
{
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<uint8_t>((i * 7) % 0x80); // data bytes only
    return bytes;
}

// A device played by a socket peer: its normal-mode ports are absent and its update-mode ports present,
// so a scan finds it in update mode at once. Collects what the engine sends.
class UpdateEngineSendingTests : public EngineTestBase
{
protected:
    void SetUp() override
    {
        EngineTestBase::SetUp();
        peer = std::make_unique<Platform::MidiPeer>();
        input = peer->PublishInput(kSinkName);
        output = peer->PublishOutput(kSinkName);
        ASSERT_NE(input, 0u);
        ASSERT_NE(output, 0u);
        ZQ::Array<Engine::DeviceDefinition> definitions;
        (void)definitions.Add(Definition(u"Engine Absent", kSinkName));
        ASSERT_EQ(engine->Initialize(u""), S_OK);
        engine->SetChunkDelay(0);
        ASSERT_EQ(engine->SetDeviceDefinitions(definitions), S_OK);
        ASSERT_EQ(engine->ScanForDevices(), S_OK);
        ASSERT_EQ(engine->GetState(), Engine::kStateUpdateMode);
        recorder->Clear();
    }
    void TearDown() override
    {
        (void)engine->WaitForTask(30000);
        engine = nullptr;
        peer.reset();
        EngineTestBase::TearDown();
    }

    // The long messages the peer received, waiting for `count` of them.
    std::vector<std::vector<uint8_t>> Received(size_t count)
    {
        std::vector<std::vector<uint8_t>> messages;
        while (messages.size() < count)
        {
            auto message = peer->Receive(output, std::chrono::seconds(10));
            if (!message)
                break;
            messages.push_back(message->bytes);
        }
        return messages;
    }

    [[nodiscard]] std::vector<double> Progress()
    {
        std::vector<double> values;
        for (const auto& seen : recorder->Of(kFirmwareUpdateProgressNotificationName))
        {
            EXPECT_EQ(seen.newValue, 1);  // estimate
            EXPECT_EQ(seen.oldValue, -1); // remaining seconds unknown
            values.push_back(seen.progress);
        }
        return values;
    }

    ZQ::RCPtr<ZQ::LRefCountedObject> OpenSink()
    {
        ZQ::RCPtr<ZQ::LRefCountedObject> port;
        EXPECT_EQ(engine->GetMidiComm()->OpenRenderPort(kSinkName.c_str(), port), S_OK);
        return port;
    }

    ZQ::RCPtr<TestEngine> engine = TestEngine::Create();
    std::unique_ptr<Platform::MidiPeer> peer;
    Platform::MidiPeer::PortId input = 0;
    Platform::MidiPeer::PortId output = 0;
};
} // namespace

TEST_F(UpdateEngineSendingTests, SysExIsFramed)
{
    const auto port = OpenSink();
    EXPECT_GE(engine->SendSysEx({0x01, 0x02}, port), 0);
    EXPECT_EQ(Received(1), (std::vector<std::vector<uint8_t>>{{0xF0, 0x01, 0x02, 0xF7}}));
    EXPECT_EQ(engine->SendSysEx({0x01}, nullptr), E_FAIL);
}

TEST_F(UpdateEngineSendingTests, ImageGoesOutInPiecesWithProgress)
{
    struct Case
    {
        size_t size;
        std::vector<size_t> pieces;
        std::vector<double> progress;
    };
    const Case cases[] = {
        {256, {128, 128}, {0.5, 1.0}},
        {300, {128, 128, 44}, {128.0 / 300, 256.0 / 300, 1.0}},
        {0, {}, {}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.size);
        recorder->Clear();
        const auto image = Pattern(c.size);
        EXPECT_EQ(engine->SendImageInChunks(image, kSinkName.c_str()), S_OK);
        const auto messages = Received(c.pieces.size());
        ASSERT_EQ(messages.size(), c.pieces.size());
        std::vector<uint8_t> joined;
        for (size_t i = 0; i < messages.size(); ++i)
        {
            EXPECT_EQ(messages[i].size(), c.pieces[i]);
            joined.insert(joined.end(), messages[i].begin(), messages[i].end());
        }
        EXPECT_EQ(joined, image);
        const auto progress = Progress();
        ASSERT_EQ(progress.size(), c.progress.size());
        for (size_t i = 0; i < progress.size(); ++i)
            EXPECT_DOUBLE_EQ(progress[i], c.progress[i]);
    }
    EXPECT_FALSE(peer->Receive(output, std::chrono::milliseconds(50)));
    EXPECT_EQ(engine->SendImageInChunks({1}, u"No Such Port"), E_FAIL);
}

TEST_F(UpdateEngineSendingTests, SyxFileMessageByMessage)
{
    const std::vector<uint8_t> file = {0xF0, 0x41, 0x10, 0xF7, 0xF0, 0x42, 0xF7, 0x43};
    EXPECT_EQ(engine->SendSyxFile(file, kSinkName.c_str()), S_OK);
    EXPECT_EQ(Received(2), (std::vector<std::vector<uint8_t>>{{0xF0, 0x41, 0x10, 0xF7}, {0xF0, 0x42, 0xF7}}));
    const auto progress = Progress();
    ASSERT_EQ(progress.size(), 2u);
    EXPECT_DOUBLE_EQ(progress[0], 3.0 / 8);
    EXPECT_DOUBLE_EQ(progress[1], 6.0 / 8);
    EXPECT_FALSE(peer->Receive(output, std::chrono::milliseconds(50))); // the tail has no terminator

    EXPECT_EQ(engine->SendSyxFile({0xF0, 0xF7}, kSinkName.c_str()), E_FAIL);
}

TEST_F(UpdateEngineSendingTests, UpdateSendsTheFileAndCompletes)
{
    const auto image = Pattern(300);
    ASSERT_EQ(engine->SetFirmwareFilePath(environment.WriteFile("image.syx", image).c_str()), S_OK);
    recorder->Clear();
    ASSERT_EQ(engine->StartUpdate(), S_OK);
    ASSERT_EQ(engine->WaitForTask(30000), S_OK);
    EXPECT_EQ(engine->GetUpdateResult(false), Engine::kResultDone);
    EXPECT_EQ(engine->GetState(), Engine::kStateUpdating);

    std::vector<uint8_t> joined;
    for (const auto& message : Received(3))
        joined.insert(joined.end(), message.begin(), message.end());
    EXPECT_EQ(joined, image);

    // State 8 from the caller, three pieces' progress and one completion, in that order.
    const auto seen = recorder->Drain();
    std::vector<std::u16string> names;
    for (const auto& s : seen)
        names.push_back(s.name);
    EXPECT_EQ(names, (std::vector<std::u16string>{
                         kDeviceStateChangeNotificationName, kFirmwareUpdateProgressNotificationName,
                         kFirmwareUpdateProgressNotificationName, kFirmwareUpdateProgressNotificationName,
                         kFirmwareUpdateCompletedNotificationName}));
    EXPECT_EQ(seen.back().newValue, 1);
}

TEST_F(UpdateEngineSendingTests, ImageWithStatusBytesArrivesUnchanged)
{
    // Data bytes, with runs of short messages where pieces begin: a note-on opening the image, a clock and
    // a pitch bend opening the second piece, and a third piece of clocks whose last message, a note-on,
    // straddles the piece's end and so lengthens it by two bytes.
    std::vector<uint8_t> image = Pattern(400);
    const std::vector<uint8_t> noteOn = {0x90, 0x3C, 0x64};
    std::copy(noteOn.begin(), noteOn.end(), image.begin());
    image[128] = 0xF8;
    image[129] = 0xE0;
    image[200] = 0xB0; // inside a long run: carried as it is
    std::fill(image.begin() + 256, image.begin() + 383, uint8_t{0xF8});
    std::copy(noteOn.begin(), noteOn.end(), image.begin() + 383);

    EXPECT_EQ(engine->SendImageInChunks(image, kSinkName.c_str()), S_OK);
    const auto messages = Received(134);
    ASSERT_EQ(messages.size(), 134u);
    EXPECT_EQ(messages[0], noteOn);
    std::vector<uint8_t> joined;
    for (const auto& message : messages)
        joined.insert(joined.end(), message.begin(), message.end());
    EXPECT_EQ(joined, image);
    EXPECT_FALSE(peer->Receive(output, std::chrono::milliseconds(50)));
    const auto progress = Progress();
    ASSERT_EQ(progress.size(), 4u);
    EXPECT_DOUBLE_EQ(progress[2], 386.0 / 400);
    EXPECT_DOUBLE_EQ(progress[3], 1.0);

    // An image that ends inside a short message cannot go out unchanged: nothing is sent.
    recorder->Clear();
    EXPECT_EQ(engine->SendImageInChunks({0x10, 0x90, 0x3C}, kSinkName.c_str()), S_OK);
    EXPECT_EQ(Received(1), (std::vector<std::vector<uint8_t>>{{0x10, 0x90, 0x3C}}));
    EXPECT_EQ(engine->SendImageInChunks({0xC0}, kSinkName.c_str()), E_FAIL);
    EXPECT_FALSE(peer->Receive(output, std::chrono::milliseconds(50)));
    EXPECT_EQ(Progress().size(), 1u);

    // F4 and F5 are one byte on the wire: the byte after one begins the next message and is not lost.
    EXPECT_EQ(engine->SendImageInChunks({0xF4, 0x01, 0xF5}, kSinkName.c_str()), S_OK);
    EXPECT_EQ(Received(2), (std::vector<std::vector<uint8_t>>{{0xF4}, {0x01, 0xF5}}));
}

TEST_F(UpdateEngineSendingTests, AbortEndsAbortedWithOneCompletion)
{
    // An abort while pieces remain: the device stays in update mode.
    ASSERT_EQ(engine->SetFirmwareFilePath(environment.WriteFile("image.syx", Pattern(1000)).c_str()), S_OK);
    engine->SetChunkDelay(200);
    recorder->Clear();
    ASSERT_EQ(engine->StartUpdate(), S_OK);
    EXPECT_EQ(engine->RequestAbort(), S_OK);
    ASSERT_EQ(engine->WaitForTask(30000), S_OK);
    EXPECT_EQ(engine->GetUpdateResult(false), Engine::kResultAborted);
    EXPECT_EQ(engine->GetState(), Engine::kStateUpdateMode);
    auto completed = recorder->Of(kFirmwareUpdateCompletedNotificationName);
    ASSERT_EQ(completed.size(), 1u);
    EXPECT_EQ(completed[0].newValue, 0);

    // An abort during the pause after the last piece: every byte went out, yet the update ends aborted,
    // with one completion.
    ASSERT_EQ(engine->SetFirmwareFilePath(environment.WriteFile("small.syx", Pattern(100)).c_str()), S_OK);
    engine->SetChunkDelay(3000);
    recorder->Clear();
    TestSupport::ManualClockScope clock;
    ASSERT_EQ(engine->StartUpdate(), S_OK);
    EXPECT_EQ(Received(1), (std::vector<std::vector<uint8_t>>{Pattern(100)}));
    ASSERT_TRUE(clock.WaitForSleeper()); // the engine sleeps in the pause after the last piece
    EXPECT_EQ(engine->RequestAbort(), S_OK);
    clock.Advance(std::chrono::milliseconds(3000));
    // Closing the port afterwards looks for pieces still in flight, pausing on the clock too.
    ASSERT_TRUE(
        clock.StepUntil([&] { return engine->WaitForTask(0) == S_OK; }, std::chrono::milliseconds(10)));
    ASSERT_EQ(engine->WaitForTask(30000), S_OK);
    EXPECT_EQ(engine->GetUpdateResult(false), Engine::kResultAborted);
    EXPECT_EQ(engine->GetState(), Engine::kStateUpdateMode);
    completed = recorder->Of(kFirmwareUpdateCompletedNotificationName);
    ASSERT_EQ(completed.size(), 1u);
    EXPECT_EQ(completed[0].newValue, 0);
}

TEST_F(UpdateEngineSendingTests, UpdateFailures)
{
    int32_t reason = 0;
    // An empty file would leave the device without firmware: a file access failure, nothing sent.
    ASSERT_EQ(engine->SetFirmwareFilePath(environment.WriteFile("empty.syx", {}).c_str()), S_OK);
    ASSERT_EQ(engine->StartUpdate(), S_OK);
    ASSERT_EQ(engine->WaitForTask(30000), S_OK);
    EXPECT_EQ(engine->GetUpdateResult(false), Engine::kResultFailed);
    EXPECT_EQ(engine->GetState(), Engine::kStateError);
    EXPECT_EQ(engine->GetCannotUpdateReason(reason), S_OK);
    EXPECT_EQ(reason, Engine::kReasonFileAccess);
    EXPECT_FALSE(peer->Receive(output, std::chrono::milliseconds(50)));

    // The file vanished after it was chosen: a file access failure.
    const std::string path = environment.WriteFile("gone.syx", Pattern(10));
    ASSERT_EQ(engine->SetFirmwareFilePath(path.c_str()), S_OK);
    std::filesystem::remove(path);
    engine->SetState(Engine::kStateUpdateMode);
    recorder->Clear();
    ASSERT_EQ(engine->StartUpdate(), S_OK);
    ASSERT_EQ(engine->WaitForTask(30000), S_OK);
    EXPECT_EQ(engine->GetUpdateResult(true), Engine::kResultFailed);
    EXPECT_EQ(engine->GetState(), Engine::kStateError);
    EXPECT_EQ(engine->GetCannotUpdateReason(reason), S_OK);
    EXPECT_EQ(reason, Engine::kReasonFileAccess);
    const auto completed = recorder->Of(kFirmwareUpdateCompletedNotificationName);
    ASSERT_EQ(completed.size(), 1u);
    EXPECT_EQ(completed[0].newValue, 0);

    // The device went away: a device access failure.
    ASSERT_EQ(engine->SetFirmwareFilePath(environment.WriteFile("image2.syx", Pattern(10)).c_str()), S_OK);
    peer.reset();
    engine->SetState(Engine::kStateUpdateMode);
    ASSERT_EQ(engine->StartUpdate(), S_OK);
    ASSERT_EQ(engine->WaitForTask(30000), S_OK);
    EXPECT_EQ(engine->GetUpdateResult(false), Engine::kResultFailed);
    EXPECT_EQ(engine->GetCannotUpdateReason(reason), S_OK);
    EXPECT_EQ(reason, Engine::kReasonDeviceAccess);
}
