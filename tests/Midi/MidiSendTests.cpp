#include "Support/MidiFixture.h"

#include "ZQFramework/Midi/MidiRenderPort.h"

#include <atomic>
#include <thread>

namespace
{
using namespace TestSupport;
using namespace std::chrono_literals;

using MidiSend = MidiFixture;

TEST_F(MidiSend, ShortAndLongMessagesReturnTheirLengthAndReachThePeer)
{
    const auto [output, port] = RenderToPeer();
    struct Case
    {
        Bytes bytes;
        int32_t result;
        bool sysEx;
    };
    const std::vector<Case> cases{
        {{0x90, 0x3C, 0x64}, 3, false},
        {{0xC0, 0x05}, 2, false},
        {{0xF8}, 1, false},
        {{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}, 6, true},
        {{0x10, 0x20}, 2, true}, // a data byte first goes out long
        {SysEx(1000), 1000, true},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(Send(port, c.bytes), c.result);
        const auto received = mPeer.Receive(output, 10s);
        ASSERT_TRUE(received.has_value());
        EXPECT_EQ(received->sysEx, c.sysEx);
        EXPECT_EQ(received->bytes, c.bytes);
    }

    // The buffer form sends the same way.
    const ZQ::ConstRCPtr<ZQ::LIBuffer> buffer = ZQ::LBufferT<1, 0, 8, char*>::Create(3, 0, true);
    auto* data = static_cast<uint8_t*>(buffer->GetData());
    data[0] = 0xB0;
    data[1] = 0x07;
    data[2] = 0x7F;
    EXPECT_EQ(mMidi->Send(port, buffer), 3);
}

TEST(MidiSendLength, ShortMessageLengthByStatusByte)
{
    struct Case
    {
        uint8_t status;
        int32_t length;
    };
    const Case cases[] = {{0x00, 1}, {0x7F, 1}, {0x80, 3}, {0xBF, 3}, {0xC0, 2}, {0xDF, 2},
                          {0xE0, 3}, {0xEF, 3}, {0xF0, 0}, {0xF1, 2}, {0xF2, 3}, {0xF3, 2},
                          {0xF5, 2}, {0xF6, 1}, {0xF7, 0}, {0xF8, 1}, {0xFF, 1}};
    for (const Case& c : cases)
        EXPECT_EQ(ZQ::LMidiRenderPort::ShortMessageLength(c.status), c.length) << int(c.status);
}

TEST_F(MidiSend, RefusesWhatIsNotARenderPortOrNothing)
{
    (void)mPeer.PublishInput(u"Splen");
    (void)mPeer.PublishOutput(u"Splen");
    const auto capture = OpenCapture(u"Splen");
    const auto render = OpenRender(u"Splen");
    EXPECT_EQ(Send(capture, {0x90, 0x3C, 0x64}), E_INVALIDARG);
    EXPECT_EQ(Send(nullptr, {0x90, 0x3C, 0x64}), E_INVALIDARG);
    EXPECT_EQ(Send(render, {}), E_INVALIDARG);
    EXPECT_EQ(mMidi->Send(render, ZQ::ConstRCPtr<ZQ::LIBuffer>()), E_INVALIDARG);
}

TEST_F(MidiSend, UnpluggedDeviceFailsUntilItIsReopened)
{
    auto [output, port] = RenderToPeer();
    mPeer.Unpublish(output);
    // The port knows of the unplug as soon as the peer has gone: sends fail, and the next open of the name
    // finds the device gone and opens the one that came back instead of handing out the dead handle.
    EXPECT_EQ(Send(port, {0x90, 0x3C, 0x64}), E_FAIL);
    EXPECT_EQ(Send(port, SysEx(8)), E_FAIL);

    output = mPeer.PublishOutput(u"Splen");
    EXPECT_EQ(OpenRender(u"Splen").Get(), port.Get());
    EXPECT_EQ(Send(port, SysEx(8)), 8);
    EXPECT_TRUE(mPeer.Receive(output, 10s).has_value());
}

// Waits the real completion limit.
using MidiSendSlow = MidiFixture;

TEST_F(MidiSendSlow, MissingDoneFailsAfterTheLimitAndLeavesThePortUsable)
{
    const auto [output, port] = RenderToPeer();
    mPeer.SetDoneMode(output, Platform::MidiPeerDoneMode::Withhold);
    EXPECT_EQ(Send(port, SysEx(40)), E_FAIL);

    // The late done refers to a message the port still owns; the next long message waits for its own.
    mPeer.ReleaseWithheldDones(output);
    mPeer.SetDoneMode(output, Platform::MidiPeerDoneMode::Immediate);
    EXPECT_EQ(Send(port, SysEx(41)), 41);
    EXPECT_EQ(mPeer.LongMessageCount(output), 2u);
}

TEST_F(MidiSendSlow, ShortMessageWaitsForTheLongMessageInFlight)
{
    const auto output = mPeer.PublishOutput(u"Splen");
    const auto port = OpenRender(u"Splen");
    mPeer.SetDoneMode(output, Platform::MidiPeerDoneMode::Withhold);
    std::atomic<int> finished{0};
    int longOrder = 0;
    int shortOrder = 0;
    std::thread longSender(
        [&]
        {
            EXPECT_EQ(Send(port, SysEx(20)), E_FAIL); // never confirmed
            longOrder = ++finished;
        });
    ASSERT_TRUE(TestSupport::WaitFor([&] { return mPeer.LongMessageCount(output) == 1; }));
    std::thread shortSender(
        [&]
        {
            EXPECT_EQ(Send(port, {0x90, 0x3C, 0x64}), 3);
            shortOrder = ++finished;
        });
    longSender.join();
    shortSender.join();
    EXPECT_EQ(longOrder, 1);
    EXPECT_EQ(shortOrder, 2); // held back until the long message gave up
}

TEST_F(MidiSendSlow, PortClosedWithAnUnconfirmedMessage)
{
    auto [output, port] = RenderToPeer();
    mPeer.SetDoneMode(output, Platform::MidiPeerDoneMode::Withhold);
    EXPECT_EQ(Send(port, SysEx(300)), E_FAIL);
    port = nullptr; // closes with the message still unconfirmed
    mPeer.ReleaseWithheldDones(output);
    EXPECT_TRUE(TestSupport::WaitFor([&] { return mPeer.ConnectionCount(output) == 0; }));
}
} // namespace
