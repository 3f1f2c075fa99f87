#include "Support/MidiPortsFixture.h"
#include "Support/WaitFor.h"

#include "Platform/Midi/MidiPeer.h"
#include "Platform/Midi/MidiPorts.h"

#include <atomic>
#include <gtest/gtest.h>
#include <set>

using namespace Platform;
using TestSupport::FindMidiDevice;
using TestSupport::MidiInputBuffers;
using TestSupport::MidiRecorder;

namespace
{
constexpr auto kWait = std::chrono::seconds(20);

using MidiPortsConcurrency = TestSupport::MidiPeerTest;

TEST_F(MidiPortsConcurrency, SendersOnOneHandleKeepTheirMessagesWholeAndEachGetsItsDone)
{
    constexpr int kThreads = 4;
    constexpr int kMessages = 40;
    const auto port = peer.PublishOutput(u"Synth");
    const auto id = FindMidiDevice(false, u"Synth");
    ASSERT_TRUE(id);
    MidiRecorder recorder;
    MidiOutHandle out{};
    ASSERT_EQ(MidiOutOpen(out, *id, &MidiRecorder::OnOutput, recorder.Instance(), kMidiCallbackFunction),
              kMidiOk);

    std::atomic<int> failures{0};
    std::vector<std::thread> senders;
    for (int t = 0; t < kThreads; ++t)
    {
        senders.emplace_back(
            [&, t]
            {
                for (int i = 0; i < kMessages; ++i)
                {
                    // Long enough to travel in several frames: a torn message would show.
                    std::vector<uint8_t> bytes(40000 + i, static_cast<uint8_t>(t));
                    bytes.front() = 0xF0;
                    bytes[1] = static_cast<uint8_t>(i);
                    bytes.back() = 0xF7;
                    MidiHeader header;
                    header.data = bytes.data();
                    header.bufferLength = static_cast<uint32_t>(bytes.size());
                    bool ok = MidiOutPrepareHeader(out, &header) == kMidiOk &&
                              MidiOutShortMessage(out, 0x90u | static_cast<uint32_t>(t)) == kMidiOk &&
                              MidiOutLongMessage(out, &header) == kMidiOk;
                    ok = ok && TestSupport::WaitFor(
                                   [&] { return (header.flags.load() & kMidiHeaderDone) != 0; }, kWait);
                    ok = ok && MidiOutUnprepareHeader(out, &header) == kMidiOk;
                    failures += ok ? 0 : 1;
                }
            });
    }
    for (auto& sender : senders)
        sender.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(recorder.Count(kMidiOutDone), static_cast<size_t>(kThreads * kMessages));

    std::set<std::pair<int, int>> seen;
    int shorts = 0;
    for (int received = 0; received < 2 * kThreads * kMessages; ++received)
    {
        const auto message = peer.Receive(port, kWait);
        ASSERT_TRUE(message);
        if (!message->sysEx)
        {
            ++shorts;
            continue;
        }
        const auto& bytes = message->bytes;
        const uint8_t sender = bytes[2];
        const size_t index = bytes[1];
        ASSERT_EQ(bytes.size(), 40000 + index);
        EXPECT_EQ(bytes.back(), 0xF7);
        EXPECT_TRUE(std::all_of(bytes.begin() + 2, bytes.end() - 1, [&](uint8_t b) { return b == sender; }));
        EXPECT_TRUE(seen.emplace(sender, static_cast<int>(index)).second);
    }
    EXPECT_EQ(shorts, kThreads * kMessages);
    EXPECT_EQ(seen.size(), static_cast<size_t>(kThreads * kMessages));
    EXPECT_EQ(MidiOutClose(out), kMidiOk);
}

// Counts callbacks that arrive after close returned for the handle they belong to.
struct CloseWatch
{
    std::atomic<bool> closed{false};
    std::atomic<int> late{0};
    std::atomic<int> received{0};
    std::atomic<bool> requeue{true};

    static void OnInput(MidiInHandle handle, uint32_t message, uintptr_t instance, uintptr_t param1,
                        uintptr_t)
    {
        auto& self = *reinterpret_cast<CloseWatch*>(instance);
        if (self.closed.load())
            ++self.late;
        if (message == kMidiInData || message == kMidiInLongData)
            ++self.received;
        if (message == kMidiInLongData && self.requeue.load())
            (void)MidiInAddBuffer(handle, reinterpret_cast<MidiHeader*>(param1));
    }
};

TEST_F(MidiPortsConcurrency, NoCallbackRunsAfterCloseReturnsWhileInputFloods)
{
    const auto port = peer.PublishInput(u"Mixer");
    std::atomic<bool> flooding{true};
    std::thread flood(
        [&]
        {
            const uint8_t note[] = {0x90, 0x3C, 0x64};
            std::vector<uint8_t> sysEx(300, 0x01);
            sysEx.front() = 0xF0;
            sysEx.back() = 0xF7;
            while (flooding.load())
            {
                (void)peer.SendShort(port, note);
                (void)peer.SendSysEx(port, sysEx);
                std::this_thread::yield();
            }
        });

    for (int round = 0; round < 20; ++round)
    {
        const auto id = FindMidiDevice(true, u"Mixer");
        ASSERT_TRUE(id);
        CloseWatch watch;
        MidiInputBuffers buffers;
        MidiInHandle handle{};
        ASSERT_EQ(MidiInOpen(handle, *id, &CloseWatch::OnInput, reinterpret_cast<uintptr_t>(&watch),
                             kMidiCallbackFunction),
                  kMidiOk);
        ASSERT_EQ(buffers.Queue(handle), kMidiOk);
        ASSERT_EQ(MidiInStart(handle), kMidiOk);
        ASSERT_TRUE(TestSupport::WaitFor([&] { return watch.received.load() > 5; }, kWait));

        watch.requeue = false;
        ASSERT_EQ(MidiInReset(handle), kMidiOk);
        for (auto& header : buffers.headers)
            ASSERT_EQ(MidiInUnprepareHeader(handle, &header), kMidiOk);
        ASSERT_EQ(MidiInClose(handle), kMidiOk);
        watch.closed = true;
        // Let more input pass by the dispatch thread before `watch` goes out of scope.
        const int seenBefore = watch.received.load();
        const uint8_t tick[] = {0xF8};
        (void)peer.SendShort(port, tick);
        EXPECT_EQ(watch.late.load(), 0);
        EXPECT_EQ(watch.received.load(), seenBefore);
    }
    flooding = false;
    flood.join();
}

TEST_F(MidiPortsConcurrency, PeerHandlerAnswersRequestsFromItsOwnThread)
{
    const auto in = peer.PublishInput(u"Device");
    const auto out = peer.PublishOutput(u"Device");
    // Echo every long message back, as a device answering an identity request would.
    peer.SetHandler(out,
                    [&](const MidiPeerMessage& message)
                    {
                        if (message.sysEx)
                            (void)peer.SendSysEx(in, message.bytes);
                    });

    MidiRecorder inRecorder;
    MidiInputBuffers buffers;
    MidiInHandle inHandle{};
    const auto inId = FindMidiDevice(true, u"Device");
    const auto outId = FindMidiDevice(false, u"Device");
    ASSERT_TRUE(inId && outId);
    ASSERT_EQ(
        MidiInOpen(inHandle, *inId, &MidiRecorder::OnInput, inRecorder.Instance(), kMidiCallbackFunction),
        kMidiOk);
    ASSERT_EQ(buffers.Queue(inHandle), kMidiOk);
    ASSERT_EQ(MidiInStart(inHandle), kMidiOk);
    ASSERT_TRUE(peer.WaitForConnections(in, 1, kWait));

    constexpr int kThreads = 3;
    constexpr int kRequests = 30;
    std::vector<std::thread> askers;
    std::atomic<int> failures{0};
    for (int t = 0; t < kThreads; ++t)
    {
        askers.emplace_back(
            [&, t]
            {
                MidiOutHandle outHandle{};
                if (MidiOutOpen(outHandle, *outId, nullptr, 0, kMidiCallbackNull) != kMidiOk)
                {
                    ++failures;
                    return;
                }
                for (int i = 0; i < kRequests; ++i)
                {
                    uint8_t request[] = {0xF0, 0x7E, static_cast<uint8_t>(t), 0x06, static_cast<uint8_t>(i),
                                         0xF7};
                    MidiHeader header;
                    header.data = request;
                    header.bufferLength = sizeof(request);
                    bool ok = MidiOutPrepareHeader(outHandle, &header) == kMidiOk &&
                              MidiOutLongMessage(outHandle, &header) == kMidiOk &&
                              TestSupport::WaitFor(
                                  [&] { return (header.flags.load() & kMidiHeaderDone) != 0; }, kWait);
                    failures += ok ? 0 : 1;
                }
                failures += MidiOutClose(outHandle) == kMidiOk ? 0 : 1;
            });
    }
    for (auto& asker : askers)
        asker.join();
    EXPECT_EQ(failures.load(), 0);
    ASSERT_TRUE(inRecorder.WaitFor(kMidiInLongData, kThreads * kRequests, kWait));
    std::set<std::pair<int, int>> answered;
    for (const auto& reply : inRecorder.Events(kMidiInLongData))
    {
        ASSERT_EQ(reply.bytes.size(), 6u);
        answered.emplace(reply.bytes[2], reply.bytes[4]);
    }
    EXPECT_EQ(answered.size(), static_cast<size_t>(kThreads * kRequests));
    EXPECT_EQ(buffers.Close(inHandle, inRecorder), kMidiOk);
}
TEST_F(MidiPortsConcurrency, PeerReadsAndSeesTheCloseOfConnectionsAcceptedWhileCounting)
{
    // Counting accepts on the test's thread while the peer's own thread waits for traffic: the peer must
    // still read each connection and notice when it closes.
    const auto port = peer.PublishOutput(u"Synth");
    const auto id = FindMidiDevice(false, u"Synth");
    ASSERT_TRUE(id);
    for (int round = 0; round < 200; ++round)
    {
        MidiOutHandle out{};
        ASSERT_EQ(MidiOutOpen(out, *id, nullptr, 0, kMidiCallbackNull), kMidiOk);
        ASSERT_TRUE(peer.WaitForConnections(port, 1, kWait));
        ASSERT_EQ(MidiOutShortMessage(out, 0x90 | ((round & 0x7F) << 8) | (0x40 << 16)), kMidiOk);
        const auto message = peer.Receive(port, kWait);
        ASSERT_TRUE(message) << "round " << round;
        EXPECT_EQ(message->bytes, (std::vector<uint8_t>{0x90, static_cast<uint8_t>(round & 0x7F), 0x40}));
        ASSERT_EQ(MidiOutClose(out), kMidiOk);
        ASSERT_TRUE(TestSupport::WaitFor([&] { return peer.ConnectionCount(port) == 0; }, kWait))
            << "round " << round;
    }
}
} // namespace
