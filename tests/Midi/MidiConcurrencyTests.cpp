#include "MidiTestFixture.h"

#include <atomic>
#include <thread>

namespace
{
using namespace MidiTest;
using namespace std::chrono_literals;

using MidiConcurrency = MidiFixture;

TEST_F(MidiConcurrency, TwoSendersOnOnePortEachGetTheirLongMessagesThroughWhole)
{
    const auto output = mPeer.PublishOutput(u"Splen");
    const auto port = OpenRender(u"Splen");
    mPeer.SetDoneMode(output, Platform::MidiPeerDoneMode::Delayed, std::chrono::milliseconds(1));
    constexpr int kPerSender = 20;
    std::atomic<int> failures{0};
    auto sender = [&](uint8_t tag)
    {
        for (int i = 0; i < kPerSender; ++i)
        {
            Bytes message = SysEx(300 + i);
            message[1] = tag;
            if (Send(port, message) != static_cast<int32_t>(message.size()))
                ++failures;
            if (Send(port, {0x90, tag, 0x40}) != 3)
                ++failures;
        }
    };
    std::thread a(sender, 0x11);
    std::thread b(sender, 0x22);
    a.join();
    b.join();
    EXPECT_EQ(failures.load(), 0);

    int perTag[2] = {0, 0};
    for (int i = 0; i < 4 * kPerSender; ++i)
    {
        const auto received = mPeer.Receive(output, 10s);
        ASSERT_TRUE(received.has_value());
        if (!received->sysEx)
            continue;
        const int tag = received->bytes[1] == 0x11 ? 0 : 1;
        EXPECT_EQ(received->bytes.size(), 300u + perTag[tag]) << "messages of one sender stay in order";
        EXPECT_EQ(received->bytes.back(), 0xF7);
        ++perTag[tag];
    }
    EXPECT_EQ(perTag[0], kPerSender);
    EXPECT_EQ(perTag[1], kPerSender);
}

TEST_F(MidiConcurrency, MessagesAreDeliveredOneAtATimeInArrivalOrder)
{
    const auto client = AddCollector();
    const auto input = mPeer.PublishInput(u"Splen");
    const auto port = OpenCapture(u"Splen");
    ASSERT_TRUE(mPeer.WaitForConnections(input, 1, 10s));
    constexpr int kCount = 300;
    for (int i = 0; i < kCount; ++i)
    {
        if (i % 10 == 0)
            mPeer.SendSysEx(input, SysEx(20 + i));
        else
            mPeer.SendShort(input, Bytes{0x90, static_cast<uint8_t>(i % 128), 0x40});
    }
    ASSERT_TRUE(client->WaitForCount(kCount));
    const auto received = client->Received();
    for (int i = 0; i < kCount; ++i)
    {
        if (i % 10 == 0)
            EXPECT_EQ(received[i].bytes.size(), static_cast<size_t>(20 + i));
        else
            EXPECT_EQ(received[i].bytes[1], i % 128);
    }
}

// A client that lets go of the MIDI object while it handles a message.
class LastHolder : public ZQ::LNotificationClient
{
public:
    ZQRESULT ReceiveNotification(const ZQ::RCPtr<ZQ::LNotificationDistributor>&,
                                 const ZQ::RCPtr<ZQ::LNotification>&) override
    {
        (void)UnregisterFromAllDistributors();
        port = nullptr;
        midi = nullptr;
        done = true;
        return S_OK;
    }
    ZQ::RCPtr<ZQ::LMidiCommInterface> midi;
    ZQ::RCPtr<ZQ::LRefCountedObject> port;
    std::atomic<bool> done{false};
};

TEST_F(MidiConcurrency, DroppingTheLastReferenceDuringDeliveryEndsCleanly)
{
    const ZQ::RCPtr<LastHolder> holder(new LastHolder);
    holder->midi = ZQ::LMidiCommInterface::Create();
    ASSERT_NE(holder->RegisterWithDistributor(ZQ::RCPtr<ZQ::LNotificationDistributor>(holder->midi),
                                              ZQ::kMidiDataCapturedNotificationName, 0),
              nullptr);
    const auto input = mPeer.PublishInput(u"Splen");
    ASSERT_EQ(holder->midi->OpenCapturePort(ZQ::WString(u"Splen"), holder->port), S_OK);
    ASSERT_TRUE(mPeer.WaitForConnections(input, 1, 10s));
    mPeer.SendShort(input, Bytes{0x90, 0x3C, 0x64});
    // The handler drops the port and the MIDI object: the last reference goes on the delivery worker.
    ASSERT_TRUE(TestSupport::WaitFor([&] { return holder->done.load(); }));
    EXPECT_TRUE(TestSupport::WaitFor([&] { return mPeer.ConnectionCount(input) == 0; }));
}

TEST_F(MidiConcurrency, OpeningAndReleasingFromSeveralThreads)
{
    const auto input = mPeer.PublishInput(u"Splen");
    (void)mPeer.PublishOutput(u"Splen");
    std::atomic<int> failures{0};
    auto worker = [&]
    {
        for (int i = 0; i < 30; ++i)
        {
            ZQ::RCPtr<ZQ::LRefCountedObject> capture;
            ZQ::RCPtr<ZQ::LRefCountedObject> render;
            if (mMidi->OpenCapturePort(ZQ::WString(u"Splen"), capture) != S_OK)
                ++failures;
            if (mMidi->OpenRenderPort(ZQ::WString(u"Splen"), render) != S_OK)
                ++failures;
            if (Send(render, {0xF8}) != 1)
                ++failures;
        }
    };
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i)
        threads.emplace_back(worker);
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_TRUE(TestSupport::WaitFor([&] { return mPeer.ConnectionCount(input) == 0; }));
}
} // namespace
