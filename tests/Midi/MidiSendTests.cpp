#include "Support/MidiFixture.h"

#include "ZQFramework/Midi/MidiRenderPort.h"

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

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

// Two senders on one port; the device decides when the long message is done.
using MidiSendConcurrency = MidiFixture;

// What the device saw, in order, kept for as long as the peer may still call its handler.
class DeviceLog
{
public:
    void Note(std::string event)
    {
        const std::lock_guard lock(mLock);
        mEvents.push_back(std::move(event));
    }
    [[nodiscard]] std::vector<std::string> Events()
    {
        const std::lock_guard lock(mLock);
        return mEvents;
    }

private:
    std::mutex mLock;
    std::vector<std::string> mEvents; // guarded by mLock
};

TEST_F(MidiSendConcurrency, ShortMessageWaitsForTheLongMessageInFlight)
{
    const auto output = mPeer.PublishOutput(u"Splen");
    const auto port = OpenRender(u"Splen");
    mPeer.SetDoneMode(output, Platform::MidiPeerDoneMode::Withhold);
    const auto log = std::make_shared<DeviceLog>();
    mPeer.SetHandler(output, [log](const Platform::MidiPeerMessage& message)
                     { log->Note(message.sysEx ? "long" : "short"); });
    const auto seen = [&](size_t count) { return log->Events().size() >= count; };

    std::thread longSender([&] { EXPECT_EQ(Send(port, SysEx(20)), 20); });
    EXPECT_TRUE(TestSupport::WaitFor([&] { return seen(1); }));
    std::thread shortSender([&] { EXPECT_EQ(Send(port, {0x90, 0x3C, 0x64}), 3); });
    // The device holds back the long message's done for a while; the short message must not come first.
    EXPECT_FALSE(TestSupport::WaitFor([&] { return seen(2); }, 500ms));
    log->Note("long confirmed");
    mPeer.ReleaseWithheldDones(output);
    longSender.join();
    shortSender.join();

    EXPECT_TRUE(TestSupport::WaitFor([&] { return seen(3); }));
    EXPECT_EQ(log->Events(), (std::vector<std::string>{"long", "long confirmed", "short"}));
}

TEST_F(MidiSendSlow, PortClosedWithAnUnconfirmedMessage)
{
    auto [output, port] = RenderToPeer();
    mPeer.SetDoneMode(output, Platform::MidiPeerDoneMode::Withhold);
    EXPECT_EQ(Send(port, SysEx(300)), E_FAIL);
    port = nullptr; // closes with the message still unconfirmed
    mPeer.ReleaseWithheldDones(output);
    EXPECT_TRUE(TestSupport::WaitFor([&, output = output] { return mPeer.ConnectionCount(output) == 0; }));
}
} // namespace
