#include "Support/MidiPortsFixture.h"
#include "Support/WaitFor.h"

#include "Platform/Clock/Clock.h"
#include "Platform/Midi/MidiPeer.h"
#include "Platform/Midi/MidiPorts.h"

#include <gtest/gtest.h>
#include <numeric>

using namespace Platform;
using TestSupport::FindMidiDevice;
using TestSupport::MidiInputBuffers;
using TestSupport::MidiRecorder;
using TestSupport::SysEx;

namespace
{
constexpr auto kWait = std::chrono::seconds(10);

std::vector<std::u16string> DeviceNames(bool input)
{
    std::vector<std::u16string> names;
    const uint32_t count = input ? MidiInDeviceCount() : MidiOutDeviceCount();
    for (uint32_t id = 0; id < count; ++id)
    {
        if (input)
        {
            MidiInCaps caps;
            EXPECT_EQ(MidiInCapabilities(id, caps), kMidiOk);
            names.emplace_back(caps.name);
        }
        else
        {
            MidiOutCaps caps;
            EXPECT_EQ(MidiOutCapabilities(id, caps), kMidiOk);
            names.emplace_back(caps.name);
        }
    }
    return names;
}

using MidiPorts = TestSupport::MidiPeerTest;

// An input handle opened on the peer's port, started, with three buffers queued.
struct OpenInput
{
    MidiRecorder recorder;
    MidiInputBuffers buffers;
    MidiInHandle handle{};

    OpenInput(MidiPeer& peer, MidiPeer::PortId port, const std::u16string& name)
    {
        const auto id = FindMidiDevice(true, name);
        EXPECT_TRUE(id.has_value());
        EXPECT_EQ(MidiInOpen(handle, id.value_or(0), &MidiRecorder::OnInput, recorder.Instance(),
                             kMidiCallbackFunction | kMidiIoStatus),
                  kMidiOk);
        EXPECT_EQ(buffers.Queue(handle), kMidiOk);
        EXPECT_EQ(MidiInStart(handle), kMidiOk);
        EXPECT_TRUE(peer.WaitForConnections(port, 1, kWait));
    }
    ~OpenInput() { (void)buffers.Close(handle, recorder); }
};

struct OpenOutput
{
    MidiRecorder recorder;
    MidiOutHandle handle{};

    explicit OpenOutput(const std::u16string& name)
    {
        const auto id = FindMidiDevice(false, name);
        EXPECT_TRUE(id.has_value());
        EXPECT_EQ(MidiOutOpen(handle, id.value_or(0), &MidiRecorder::OnOutput, recorder.Instance(),
                              kMidiCallbackFunction),
                  kMidiOk);
    }
    ~OpenOutput()
    {
        (void)MidiOutReset(handle);
        (void)MidiOutClose(handle);
    }
};

TEST_F(MidiPorts, EnumerationListsPortsInPublishingOrderWithDuplicateNames)
{
    const auto keys1 = peer.PublishInput(u"Keys");
    ASSERT_NE(keys1, 0u);
    ASSERT_NE(peer.PublishInput(u"Pads/Ctl 100%"), 0u);
    ASSERT_NE(peer.PublishInput(u"Keys"), 0u);
    ASSERT_NE(peer.PublishOutput(u"Keys MIDI Out"), 0u);
    ASSERT_NE(peer.PublishInput(u"A name much longer than thirty-one characters"), 0u);

    EXPECT_EQ(DeviceNames(true), (std::vector<std::u16string>{u"Keys", u"Pads/Ctl 100%", u"Keys",
                                                              u"A name much longer than thirty-"}));
    EXPECT_EQ(DeviceNames(false), (std::vector<std::u16string>{u"Keys MIDI Out"}));

    peer.Unpublish(keys1);
    EXPECT_EQ(DeviceNames(true).front(), u"Pads/Ctl 100%");

    MidiInCaps caps;
    EXPECT_EQ(MidiInCapabilities(MidiInDeviceCount(), caps), kMidiErrBadDeviceId);
}

TEST_F(MidiPorts, EnumerationFollowsTheFolderNamedInTheEnvironment)
{
    ASSERT_NE(peer.PublishOutput(u"Synth"), 0u);
    EXPECT_EQ(MidiOutDeviceCount(), 1u);

    TestSupport::TempMidiFolder other; // sets ZQ_MIDI_DIR to an empty folder
    EXPECT_EQ(MidiOutDeviceCount(), 0u);
}

TEST_F(MidiPorts, SysExArrivesInBuffersCutAtF7AndAtTheBufferSize)
{
    const auto port = peer.PublishInput(u"Mixer");
    OpenInput input(peer, port, u"Mixer");

    const auto identity = SysEx(37, 1);
    const auto large = SysEx(600, 2);
    ASSERT_EQ(peer.SendSysEx(port, identity), 1u);
    ASSERT_EQ(peer.SendSysEx(port, large), 1u);
    ASSERT_TRUE(input.recorder.WaitFor(kMidiInLongData, 4));

    const auto chunks = input.recorder.Events(kMidiInLongData);
    ASSERT_EQ(chunks.size(), 4u);
    EXPECT_EQ(chunks[0].bytes, identity);
    EXPECT_EQ(chunks[1].bytes.size(), 256u);
    EXPECT_EQ(chunks[2].bytes.size(), 256u);
    EXPECT_EQ(chunks[3].bytes.size(), 88u);
    std::vector<uint8_t> joined;
    for (size_t i = 1; i < 4; ++i)
        joined.insert(joined.end(), chunks[i].bytes.begin(), chunks[i].bytes.end());
    EXPECT_EQ(joined, large);
    for (const auto& chunk : chunks)
        EXPECT_EQ(chunk.headerFlags, kMidiHeaderDone | kMidiHeaderPrepared);
}

TEST_F(MidiPorts, TwoMessagesInOneBufferRunAreSplitAtEachF7)
{
    const auto port = peer.PublishInput(u"Mixer");
    OpenInput input(peer, port, u"Mixer");
    auto both = SysEx(10, 3);
    const auto second = SysEx(5, 4);
    both.insert(both.end(), second.begin(), second.end());
    ASSERT_EQ(peer.SendSysEx(port, both), 1u);
    ASSERT_TRUE(input.recorder.WaitFor(kMidiInLongData, 2));
    const auto chunks = input.recorder.Events(kMidiInLongData);
    EXPECT_EQ(chunks[0].bytes, SysEx(10, 3));
    EXPECT_EQ(chunks[1].bytes, second);
}

TEST_F(MidiPorts, ShortMessagesInCarryBytesAndTimeStampsOnTheLayerThread)
{
    // The fixture's peer thread may still be reading the clock it found after the test puts the real one
    // back, so this clock outlives the test.
    static ManualClock clock;
    SetClock(&clock);
    {
        const auto port = peer.PublishInput(u"Mixer");
        OpenInput input(peer, port, u"Mixer");
        clock.Advance(std::chrono::milliseconds(250));
        const uint8_t noteOn[] = {0x90, 0x3C, 0x64};
        const uint8_t program[] = {0xC0, 0x05};
        const uint8_t clockTick[] = {0xF8};
        const uint8_t stray[] = {0x42};
        for (const auto& bytes : {std::span<const uint8_t>(noteOn), std::span<const uint8_t>(program),
                                  std::span<const uint8_t>(clockTick)})
            ASSERT_EQ(peer.SendShort(port, bytes), 1u);
        ASSERT_EQ(peer.SendShort(port, stray), 1u);
        ASSERT_TRUE(input.recorder.WaitFor(kMidiInData, 3));
        ASSERT_TRUE(input.recorder.WaitFor(kMidiInError, 1));

        const auto data = input.recorder.Events(kMidiInData);
        EXPECT_EQ(data[0].param1, 0x643C90u);
        EXPECT_EQ(data[1].param1, 0x05C0u);
        EXPECT_EQ(data[2].param1, 0xF8u);
        EXPECT_EQ(data[0].param2, 250u);
        EXPECT_EQ(input.recorder.Events(kMidiInError)[0].param1, 0x42u);

        const auto events = input.recorder.All();
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.front().message, kMidiInOpened);
        for (const auto& event : events)
        {
            EXPECT_NE(event.thread, std::this_thread::get_id());
            EXPECT_EQ(event.thread, events.front().thread);
        }
    }
    SetClock(nullptr);
}

TEST_F(MidiPorts, InputWaitingForABufferKeepsItsOrderAndIsNotLost)
{
    const auto port = peer.PublishInput(u"Mixer");
    const auto id = FindMidiDevice(true, u"Mixer");
    ASSERT_TRUE(id);
    MidiRecorder recorder;
    recorder.requeue = false; // the test queues the one buffer itself, so it knows where the buffer is
    MidiInHandle handle{};
    ASSERT_EQ(MidiInOpen(handle, *id, &MidiRecorder::OnInput, recorder.Instance(), kMidiCallbackFunction),
              kMidiOk);
    ASSERT_EQ(MidiInStart(handle), kMidiOk);
    ASSERT_TRUE(peer.WaitForConnections(port, 1, kWait));

    const uint8_t noteOff[] = {0x80, 0x3C, 0x00};
    ASSERT_EQ(peer.SendSysEx(port, SysEx(300)), 1u);
    ASSERT_EQ(peer.SendShort(port, noteOff), 1u);

    // With one buffer, queued again after each return, the 300 bytes come as 256 and 44; the note-off
    // waits behind them.
    std::array<uint8_t, 256> bytes{};
    MidiHeader header;
    header.data = bytes.data();
    header.bufferLength = 256;
    EXPECT_EQ(MidiInAddBuffer(handle, &header), kMidiErrUnprepared);
    ASSERT_EQ(MidiInPrepareHeader(handle, &header), kMidiOk);
    ASSERT_EQ(MidiInAddBuffer(handle, &header), kMidiOk);
    ASSERT_TRUE(recorder.WaitFor(kMidiInLongData, 1));
    EXPECT_EQ(recorder.Count(kMidiInData), 0u);
    ASSERT_EQ(MidiInAddBuffer(handle, &header), kMidiOk);
    ASSERT_TRUE(recorder.WaitFor(kMidiInData, 1));

    std::vector<uint32_t> order;
    std::vector<size_t> sizes;
    for (const auto& event : recorder.All())
    {
        if (event.message == kMidiInLongData || event.message == kMidiInData)
            order.push_back(event.message);
        if (event.message == kMidiInLongData)
            sizes.push_back(event.bytes.size());
    }
    EXPECT_EQ(order, (std::vector<uint32_t>{kMidiInLongData, kMidiInLongData, kMidiInData}));
    EXPECT_EQ(sizes, (std::vector<size_t>{256, 44}));

    // Nothing more arrives, so the buffer stays queued until the reset gives it back.
    ASSERT_EQ(MidiInAddBuffer(handle, &header), kMidiOk);
    EXPECT_EQ(MidiInAddBuffer(handle, &header), kMidiErrStillPlaying);
    EXPECT_EQ(MidiInUnprepareHeader(handle, &header), kMidiErrStillPlaying);
    EXPECT_EQ(MidiInClose(handle), kMidiErrStillPlaying);
    ASSERT_EQ(MidiInReset(handle), kMidiOk);
    EXPECT_EQ(recorder.Events(kMidiInLongData).back().bytes.size(), 0u);
    EXPECT_EQ(MidiInUnprepareHeader(handle, &header), kMidiOk);
    EXPECT_EQ(MidiInClose(handle), kMidiOk);
    EXPECT_EQ(recorder.All().back().message, kMidiInClosed);
}

TEST_F(MidiPorts, LongErrorGivesTheFillingBufferBack)
{
    const auto port = peer.PublishInput(u"Mixer");
    OpenInput input(peer, port, u"Mixer");
    ASSERT_EQ(peer.SendLongError(port), 1u);
    ASSERT_TRUE(input.recorder.WaitFor(kMidiInLongError, 1));
    EXPECT_TRUE(input.recorder.Events(kMidiInLongError)[0].bytes.empty());
}

TEST_F(MidiPorts, ShortMessagesOutArriveWithTheirLength)
{
    const auto port = peer.PublishOutput(u"Synth");
    OpenOutput output(u"Synth");
    struct Case
    {
        uint32_t packed;
        std::vector<uint8_t> expected;
    };
    const Case cases[] = {
        {0x643C90, {0x90, 0x3C, 0x64}}, {0x7705C0, {0xC0, 0x05}}, {0x1234F8, {0xF8}},
        {0x0040F1, {0xF1, 0x40}},       {0x22, {0x22}},
    };
    for (const auto& c : cases)
        ASSERT_EQ(MidiOutShortMessage(output.handle, c.packed), kMidiOk);
    for (const auto& c : cases)
    {
        const auto message = peer.Receive(port, kWait);
        ASSERT_TRUE(message);
        EXPECT_FALSE(message->sysEx);
        EXPECT_EQ(message->bytes, c.expected);
    }
    EXPECT_EQ(MidiOutShortMessage(output.handle, 0xF0), kMidiErrInvalidParam);
    EXPECT_EQ(MidiOutShortMessage(output.handle, 0xF7), kMidiErrInvalidParam);
}

TEST_F(MidiPorts, EveryLongMessageOutIsConfirmedDone)
{
    const auto port = peer.PublishOutput(u"Synth");
    OpenOutput output(u"Synth");
    const std::vector<std::vector<uint8_t>> messages = {SysEx(6), {0x10, 0x20}, SysEx(100000, 5)};
    std::vector<std::vector<uint8_t>> storage = messages;
    std::array<MidiHeader, 3> headers;
    for (size_t i = 0; i < messages.size(); ++i)
    {
        headers[i].data = storage[i].data();
        headers[i].bufferLength = static_cast<uint32_t>(storage[i].size());
        EXPECT_EQ(MidiOutLongMessage(output.handle, &headers[i]), kMidiErrUnprepared);
        ASSERT_EQ(MidiOutPrepareHeader(output.handle, &headers[i]), kMidiOk);
        ASSERT_EQ(MidiOutLongMessage(output.handle, &headers[i]), kMidiOk);
        ASSERT_TRUE(output.recorder.WaitFor(kMidiOutDone, i + 1));
        EXPECT_EQ(output.recorder.Events(kMidiOutDone)[i].param1, reinterpret_cast<uintptr_t>(&headers[i]));
        EXPECT_EQ(headers[i].flags.load() & (kMidiHeaderDone | kMidiHeaderInQueue), kMidiHeaderDone);
        EXPECT_EQ(MidiOutUnprepareHeader(output.handle, &headers[i]), kMidiOk);
    }
    for (const auto& expected : messages)
    {
        const auto message = peer.Receive(port, kWait);
        ASSERT_TRUE(message);
        EXPECT_TRUE(message->sysEx);
        EXPECT_EQ(message->bytes, expected);
    }
    EXPECT_EQ(peer.LongMessageCount(port), 3u);
}

TEST_F(MidiPorts, WithheldDoneKeepsTheHeaderUntilResetAndALateDoneIsIgnored)
{
    const auto port = peer.PublishOutput(u"Synth");
    OpenOutput output(u"Synth");
    peer.SetDoneMode(port, MidiPeerDoneMode::Withhold);
    auto first = SysEx(6);
    auto second = SysEx(8);
    MidiHeader a;
    MidiHeader b;
    a.data = first.data();
    a.bufferLength = 6;
    b.data = second.data();
    b.bufferLength = 8;
    ASSERT_EQ(MidiOutPrepareHeader(output.handle, &a), kMidiOk);
    ASSERT_EQ(MidiOutPrepareHeader(output.handle, &b), kMidiOk);

    ASSERT_EQ(MidiOutLongMessage(output.handle, &a), kMidiOk);
    ASSERT_TRUE(TestSupport::WaitFor([&] { return peer.LongMessageCount(port) == 1; }));
    EXPECT_EQ(output.recorder.Count(kMidiOutDone), 0u);
    EXPECT_EQ(MidiOutLongMessage(output.handle, &a), kMidiErrStillPlaying);
    EXPECT_EQ(MidiOutUnprepareHeader(output.handle, &a), kMidiErrStillPlaying);
    EXPECT_EQ(MidiOutClose(output.handle), kMidiErrStillPlaying);

    ASSERT_EQ(MidiOutReset(output.handle), kMidiOk); // gives `a` back at once
    EXPECT_EQ(output.recorder.Count(kMidiOutDone), 1u);
    EXPECT_EQ(MidiOutUnprepareHeader(output.handle, &a), kMidiOk);

    ASSERT_EQ(MidiOutLongMessage(output.handle, &b), kMidiOk);
    ASSERT_TRUE(TestSupport::WaitFor([&] { return peer.LongMessageCount(port) == 2; }));
    peer.SetDoneMode(port, MidiPeerDoneMode::Delayed, std::chrono::hours(1)); // `a` and `b` due much later
    peer.ReleaseWithheldDones(port);
    ManualClock clock(Now());
    SetClock(&clock);
    clock.Advance(std::chrono::hours(2));
    ASSERT_TRUE(output.recorder.WaitFor(kMidiOutDone, 2));
    SetClock(nullptr);
    // The late confirmation of `a` found nothing to complete; `b` completed once.
    const auto dones = output.recorder.Events(kMidiOutDone);
    EXPECT_EQ(dones.back().param1, reinterpret_cast<uintptr_t>(&b));
    EXPECT_TRUE(TestSupport::WaitFor([&] { return output.recorder.Count(kMidiOutDone) == 2; },
                                     std::chrono::milliseconds(200)));
}

TEST_F(MidiPorts, UnplugLeavesOpenHandlesDeadAndReplugShowsANewDevice)
{
    const auto inPort = peer.PublishInput(u"Mixer");
    const auto outPort = peer.PublishOutput(u"Mixer");
    OpenInput input(peer, inPort, u"Mixer");
    OpenOutput output(u"Mixer");
    ASSERT_TRUE(peer.WaitForConnections(outPort, 1, kWait));
    MidiInCaps inCaps;
    MidiOutCaps outCaps;
    ASSERT_EQ(MidiInCapabilities(input.handle, inCaps), kMidiOk);
    EXPECT_EQ(std::u16string(inCaps.name), u"Mixer");

    peer.Unpublish(inPort);
    peer.Unpublish(outPort);
    // Known at once, not only once the layer's thread has read the connection to its end: whoever asks
    // right after an unplug must not take the dead handle for a live one.
    EXPECT_EQ(MidiInCapabilities(input.handle, inCaps), kMidiErrNoDevice);
    EXPECT_EQ(MidiOutCapabilities(output.handle, outCaps), kMidiErrNoDevice);
    EXPECT_EQ(MidiInStart(input.handle), kMidiErrNoDevice);
    EXPECT_EQ(MidiOutShortMessage(output.handle, 0x90), kMidiErrNoDevice);
    EXPECT_EQ(MidiInDeviceCount(), 0u);
    EXPECT_EQ(MidiOutDeviceCount(), 0u);

    const auto again = peer.PublishInput(u"Mixer");
    OpenInput reopened(peer, again, u"Mixer");
    const uint8_t note[] = {0x90, 0x40, 0x7F};
    ASSERT_EQ(peer.SendShort(again, note), 1u);
    EXPECT_TRUE(reopened.recorder.WaitFor(kMidiInData, 1));
    EXPECT_EQ(input.recorder.Count(kMidiInData), 0u);
}

TEST_F(MidiPorts, BadHandlesFlagsAndArgumentsAreRefused)
{
    ASSERT_NE(peer.PublishOutput(u"Synth"), 0u);
    MidiOutHandle out{};
    EXPECT_EQ(MidiOutOpen(out, 0, nullptr, 0, 0x10000), kMidiErrInvalidFlag);
    EXPECT_EQ(MidiOutOpen(out, 0, nullptr, 0, kMidiCallbackFunction), kMidiErrInvalidParam);
    ASSERT_EQ(MidiOutDeviceCount(), 1u); // ids refer to the list of the latest count
    EXPECT_EQ(MidiOutOpen(out, 7, nullptr, 0, kMidiCallbackNull), kMidiErrBadDeviceId);
    ASSERT_EQ(MidiOutOpen(out, 0, nullptr, 0, kMidiCallbackNull), kMidiOk);
    MidiHeader empty;
    EXPECT_EQ(MidiOutPrepareHeader(out, &empty), kMidiErrInvalidParam);
    EXPECT_EQ(MidiOutPrepareHeader(out, nullptr), kMidiErrInvalidParam);
    EXPECT_EQ(MidiOutClose(out), kMidiOk);

    // A closed handle is dead for good; an input call with an output handle's number is refused too.
    EXPECT_EQ(MidiOutClose(out), kMidiErrInvalidHandle);
    EXPECT_EQ(MidiOutShortMessage(out, 0x90), kMidiErrInvalidHandle);
    EXPECT_EQ(MidiInStart(static_cast<MidiInHandle>(static_cast<uintptr_t>(out))), kMidiErrInvalidHandle);
    MidiInCaps caps;
    EXPECT_EQ(MidiInCapabilities(MidiInHandle{}, caps), kMidiErrInvalidHandle);
}

TEST_F(MidiPorts, ClosedCallbackIsTheLastAndComesBeforeCloseReturns)
{
    const auto port = peer.PublishOutput(u"Synth");
    MidiRecorder recorder;
    MidiOutHandle out{};
    const auto id = FindMidiDevice(false, u"Synth");
    ASSERT_TRUE(id);
    ASSERT_EQ(MidiOutOpen(out, *id, &MidiRecorder::OnOutput, recorder.Instance(), kMidiCallbackFunction),
              kMidiOk);
    EXPECT_EQ(recorder.Count(kMidiOutOpened), 1u);
    ASSERT_TRUE(peer.WaitForConnections(port, 1, kWait));
    ASSERT_EQ(MidiOutClose(out), kMidiOk);
    const auto events = recorder.All();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events.back().message, kMidiOutClosed);
    EXPECT_TRUE(TestSupport::WaitFor([&] { return peer.ConnectionCount(port) == 0; }));
}
} // namespace
