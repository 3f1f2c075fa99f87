#include "Support/MidiFixture.h"

#include "ZQFramework/Midi/MidiCapturePort.h"
#include "ZQFramework/Midi/MidiComm.h"
#include "ZQFramework/System/Sync/MutexLocker.h"

namespace
{
using namespace TestSupport;
using namespace std::chrono_literals;

using MidiPorts = MidiFixture;

TEST_F(MidiPorts, NumberedDuplicatesSelectTheirDevice)
{
    const auto first = mPeer.PublishInput(u"Keys");
    const auto second = mPeer.PublishInput(u"Keys");
    ASSERT_NE(first, 0u);
    ASSERT_NE(second, 0u);

    ZQ::RCPtr<ZQ::LRefCountedObject> port;
    EXPECT_EQ(mMidi->OpenCapturePort(ZQ::WString(u"Keys"), port), E_INVALIDARG);
    EXPECT_TRUE(port.IsNull());

    const auto two = OpenCapture(u"Keys (2)");
    ASSERT_TRUE(mPeer.WaitForConnections(second, 1, 10s));
    EXPECT_EQ(mPeer.ConnectionCount(first), 0u);

    const auto one = OpenCapture(u"keys (1)");
    ASSERT_TRUE(mPeer.WaitForConnections(first, 1, 10s));
    EXPECT_NE(one.Get(), two.Get());
}

TEST_F(MidiPorts, ExactNameWinsAndPartialNamesMustEndTheDeviceName)
{
    const auto keys = mPeer.PublishOutput(u"Keys MIDI");
    (void)mPeer.PublishOutput(u"Keys MIDI Out");

    const auto port = OpenRender(u"Keys MIDI");
    ASSERT_FALSE(port.IsNull());
    EXPECT_TRUE(mPeer.WaitForConnections(keys, 1, 10s));

    ZQ::RCPtr<ZQ::LRefCountedObject> other;
    EXPECT_EQ(mMidi->OpenRenderPort(ZQ::WString(u"keys"), other), E_INVALIDARG);
    EXPECT_EQ(mMidi->OpenRenderPort(ZQ::WString(u"MIDI Out"), other), S_OK); // ends the name
    EXPECT_FALSE(other.IsNull());
    EXPECT_EQ(mMidi->OpenRenderPort(ZQ::WString(u"Keys MIDI O"), other), E_FAIL); // inside, not the end
    EXPECT_LT(mMidi->OpenRenderPort(ZQ::WString(u""), other), 0); // an empty name opens nothing
    EXPECT_EQ(mMidi->OpenCapturePort(ZQ::WString(u"Keys MIDI"), other), E_FAIL); // no such input
    EXPECT_TRUE(other.IsNull());
}

TEST_F(MidiPorts, AnOpenNameIsSharedUntilItsLastHolderLetsGo)
{
    const auto input = mPeer.PublishInput(u"Pad");
    const auto output = mPeer.PublishOutput(u"Pad");

    auto capture = OpenCapture(u"Pad");
    auto again = OpenCapture(u"pad");
    EXPECT_EQ(capture.Get(), again.Get());
    auto render = OpenRender(u"Pad");
    auto renderAgain = OpenRender(u"Pad");
    EXPECT_EQ(render.Get(), renderAgain.Get());
    ASSERT_TRUE(mPeer.WaitForConnections(input, 1, 10s));
    EXPECT_EQ(mPeer.ConnectionCount(input), 1u);
    EXPECT_EQ(mPeer.ConnectionCount(output), 1u);

    capture = nullptr;
    again = nullptr;
    render = nullptr;
    renderAgain = nullptr;
    EXPECT_TRUE(TestSupport::WaitFor([&] { return mPeer.ConnectionCount(input) == 0; }));
    EXPECT_TRUE(TestSupport::WaitFor([&] { return mPeer.ConnectionCount(output) == 0; }));

    // Opened anew after the release.
    const auto reopened = OpenCapture(u"Pad");
    EXPECT_TRUE(mPeer.WaitForConnections(input, 1, 10s));
}

TEST_F(MidiPorts, PortsKeepTheMidiObjectAlive)
{
    (void)mPeer.PublishInput(u"Pad");
    auto port = OpenCapture(u"Pad");
    const auto client = AddCollector();
    mClients.clear();
    (void)client->UnregisterFromAllDistributors();
    ZQ::LMidiCommInterface* raw = mMidi.Get();
    const int32_t before = raw->GetRefCount();
    EXPECT_GE(before, 2); // ours and the port's
    mMidi = nullptr;
    EXPECT_EQ(raw->GetRefCount(), before - 1);
    port = nullptr; // the last reference: the object goes with its port
}

TEST_F(MidiPorts, UnpluggedCapturePortIsReopenedAndCapturesAgain)
{
    const auto client = AddCollector();
    auto [input, port] = CaptureFromPeer();
    const Bytes noteOn{0x90, 0x3C, 0x64};
    mPeer.SendShort(input, noteOn);
    ASSERT_TRUE(client->WaitForCount(1));

    mPeer.Unpublish(input);
    ZQ::RCPtr<ZQ::LRefCountedObject> during;
    EXPECT_EQ(mMidi->OpenCapturePort(ZQ::WString(u"Splen"), during), E_FAIL);
    EXPECT_TRUE(during.IsNull());

    (void)mPeer.PublishInput(u"Other"); // the device comes back under another id
    input = mPeer.PublishInput(u"Splen");
    const auto after = OpenCapture(u"Splen");
    EXPECT_EQ(after.Get(), port.Get());
    ASSERT_TRUE(mPeer.WaitForConnections(input, 1, 10s));
    mPeer.SendShort(input, noteOn);
    ASSERT_TRUE(client->WaitForCount(2));
    EXPECT_EQ(client->Received()[1].bytes, noteOn);
}

TEST_F(MidiPorts, ShortMessagesArriveWithTheirLengthPortAndTimeStamp)
{
    const auto client = AddCollector();
    const auto [input, port] = CaptureFromPeer();

    const std::vector<Bytes> messages{{0x90, 0x3C, 0x64}, {0xC0, 0x05}, {0xF8}, {0xE0, 0x00, 0x40}};
    for (const Bytes& message : messages)
        mPeer.SendShort(input, message);
    ASSERT_TRUE(client->WaitForCount(messages.size()));
    const auto received = client->Received();
    for (size_t i = 0; i < messages.size(); ++i)
    {
        EXPECT_EQ(received[i].bytes, messages[i]);
        EXPECT_EQ(received[i].portName, u"Splen");
        EXPECT_EQ(received[i].source, port.Get());
    }
}

TEST_F(MidiPorts, LongSysExArrivesOnceAndWhole)
{
    const auto client = AddCollector();
    const auto [input, port] = CaptureFromPeer();

    const Bytes big = SysEx(600);
    const Bytes exact = SysEx(256); // its F7 ends the first buffer
    const Bytes reply = SysEx(37);
    mPeer.SendSysEx(input, big);
    mPeer.SendSysEx(input, exact);
    mPeer.SendSysEx(input, reply);
    ASSERT_TRUE(client->WaitForCount(3));
    const auto received = client->Received();
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[0].bytes, big);
    EXPECT_EQ(received[1].bytes, exact);
    EXPECT_EQ(received[2].bytes, reply);
    EXPECT_EQ(received[0].timeStamp, 0u);
}

// Chunks as the platform hands back buffers, fed straight into the port's assembly.
TEST_F(MidiPorts, SysExAssemblyNeverJoinsTwoMessages)
{
    const auto client = AddCollector();
    const auto port = CaptureFromPeer().port;
    auto* capture = dynamic_cast<ZQ::LMidiCapturePort*>(port.Get());
    ASSERT_NE(capture, nullptr);

    const Bytes head = SysEx(256); // F0 ... (full buffer, no end yet)
    Bytes partHead = head;
    partHead.back() = 0x11;
    const Bytes tail{0x22, 0x33, 0xF7};
    const Bytes stray{0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
    const Bytes whole{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};

    auto feed = [&](const Bytes& chunk, bool complete)
    { capture->AddSysExChunk(chunk.data(), static_cast<int32_t>(chunk.size()), complete); };

    feed(stray, true);     // no start byte, nothing pending: dropped
    feed(partHead, false); // pending
    feed(partHead, false); // a new F0: the first part is dropped, not joined
    feed(tail, true);      // completes the second
    feed({}, true);        // nothing
    feed(partHead, false); // pending again...
    capture->HandleMessage(Platform::kMidiInLongError, 0, 0); // ...broken: dropped
    feed(whole, true);

    ASSERT_TRUE(client->WaitForCount(2));
    const auto received = client->Received();
    Bytes joined = partHead;
    joined.insert(joined.end(), tail.begin(), tail.end());
    EXPECT_EQ(received[0].bytes, joined);
    EXPECT_EQ(received[1].bytes, whole);
    EXPECT_FALSE(client->WaitForCount(3, 100ms));
}

// Stop and reset hand back a partly filled buffer while the port closes; short as it is, it is the head
// of an unfinished message and must not reach clients as one.
TEST_F(MidiPorts, BufferHandedBackWhileClosingDeliversNothing)
{
    const auto client = AddCollector();
    const auto port = CaptureFromPeer().port;
    auto* capture = dynamic_cast<ZQ::LMidiCapturePort*>(port.Get());
    auto* midi = dynamic_cast<ZQ::LMidiComm*>(mMidi.Get());
    ASSERT_NE(capture, nullptr);
    ASSERT_NE(midi, nullptr);
    {
        ZQ::MutexLocker guard(midi->GetPortLock());
        capture->Close();
    }
    Bytes head = SysEx(40);
    head.back() = 0x11;
    Platform::MidiHeader header;
    header.data = head.data();
    header.bufferLength = 256;
    header.bytesRecorded = static_cast<uint32_t>(head.size());
    capture->HandleMessage(Platform::kMidiInLongData, reinterpret_cast<uintptr_t>(&header), 0);

    // A message that is whole still goes through once the port captures again.
    const Bytes whole{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
    capture->AddSysExChunk(whole.data(), static_cast<int32_t>(whole.size()), true);
    ASSERT_TRUE(client->WaitForCount(1));
    EXPECT_EQ(client->Received()[0].bytes, whole);
}

TEST_F(MidiPorts, IdentityRequestOutAndReplyInReachTheFilteredClientsLastRegisteredFirst)
{
    std::vector<int> order;
    std::mutex orderLock;
    const auto identity = AddCollector(1, &order, &orderLock);
    const auto notes = AddCollector(2, &order, &orderLock);
    const auto everything = AddCollector(3, &order, &orderLock);
    EXPECT_EQ(
        mMidi->SetFilter(identity->Key(), ZQ::ConstRCPtr<ZQ::LIMidiFilter>(new PrefixFilter({0xF0, 0x7E}))),
        S_OK);
    EXPECT_EQ(mMidi->SetFilter(notes->Key(), ZQ::ConstRCPtr<ZQ::LIMidiFilter>(new PrefixFilter({0x90}))),
              S_OK);
    EXPECT_FALSE(mMidi->GetFilter(identity->Key()).IsNull());
    EXPECT_TRUE(mMidi->GetFilter(everything->Key()).IsNull());

    const auto input = mPeer.PublishInput(u"Splen");
    const auto output = mPeer.PublishOutput(u"Splen");
    Bytes reply = SysEx(37);
    reply[1] = 0x7E;
    mPeer.SetHandler(output,
                     [&](const Platform::MidiPeerMessage& message)
                     {
                         if (message.sysEx && message.bytes.size() == 6 && message.bytes[3] == 0x06)
                             mPeer.SendSysEx(input, reply);
                     });
    const auto capture = OpenCapture(u"Splen");
    const auto render = OpenRender(u"Splen");
    ASSERT_TRUE(mPeer.WaitForConnections(input, 1, 10s));

    EXPECT_EQ(Send(render, {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}), 6);
    ASSERT_TRUE(identity->WaitForCount(1));
    ASSERT_TRUE(everything->WaitForCount(1));
    EXPECT_EQ(identity->Received()[0].bytes, reply);
    EXPECT_EQ(notes->Received().size(), 0u);
    {
        const std::lock_guard guard(orderLock);
        EXPECT_EQ(order, (std::vector<int>{3, 1}));
    }

    // Removing a filter lets everything through again.
    EXPECT_EQ(mMidi->SetFilter(notes->Key(), nullptr), S_OK);
    EXPECT_TRUE(mMidi->GetFilter(notes->Key()).IsNull());
    mPeer.SendShort(input, Bytes{0xB0, 0x07, 0x10});
    EXPECT_TRUE(notes->WaitForCount(1));
}

TEST_F(MidiPorts, DeliveryWithoutClientsReportsNobody)
{
    EXPECT_EQ(mMidi->DeliverCapturedData(nullptr), S_FALSE);
    const auto client = AddCollector();
    EXPECT_EQ(mMidi->DeliverCapturedData(nullptr), S_OK);
}
} // namespace
