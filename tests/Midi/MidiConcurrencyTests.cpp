#include "Support/MidiFixture.h"

#include <atomic>
#include <memory>
#include <thread>

namespace
{
using namespace TestSupport;
using namespace std::chrono_literals;

using MidiConcurrency = MidiFixture;

TEST_F(MidiConcurrency, TwoSendersOnOnePortEachGetTheirLongMessagesThroughWhole)
{
    const auto [output, port] = RenderToPeer();
    mPeer.SetDoneMode(output, Platform::MidiPeerDoneMode::Delayed, std::chrono::milliseconds(1));
    constexpr int kPerSender = 20;
    std::atomic<int> failures{0};
    auto sender = [&, port = port](uint8_t tag)
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
    const auto [input, port] = CaptureFromPeer();
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

// Counts the copies of it that are destroyed: the MIDI object's filter table holds one until the object
// has been destroyed, so the count shows that its destruction ran to the end.
class DestructionWitness : public ZQ::LIMidiFilter
{
public:
    explicit DestructionWitness(std::shared_ptr<std::atomic<int>> destroyed)
        : mDestroyed(std::move(destroyed))
    {
    }
    ~DestructionWitness() override { ++*mDestroyed; }
    bool Accept(const signed char*, int32_t) const override { return true; }
    ZQ::ConstRCPtr<ZQ::LRefCountedObject> CreateCopy() const override
    {
        return ZQ::ConstRCPtr<ZQ::LRefCountedObject>(new DestructionWitness(mDestroyed));
    }

private:
    std::shared_ptr<std::atomic<int>> mDestroyed;
};

// The handler drops the port and the MIDI object while more messages wait in the delivery queue. Those
// keep the object alive; the last reference then goes on the pool's worker or on its queue thread,
// whichever lets go of the last work item, and neither may wait for itself.
TEST_F(MidiConcurrency, DroppingTheLastReferenceDuringDeliveryEndsCleanly)
{
    const auto input = mPeer.PublishInput(u"Splen");
    for (int round = 0; round < 20; ++round)
    {
        const ZQ::RCPtr<LastHolder> holder(new LastHolder);
        holder->midi = ZQ::LMidiCommInterface::Create();
        auto destroyed = std::make_shared<std::atomic<int>>(0);
        {
            const ZQ::ConstRCPtr<ZQ::LIMidiFilter> witness(new DestructionWitness(destroyed));
            (void)holder->midi->SetFilter(0, witness);
        }
        ASSERT_EQ(destroyed->load(), 1); // the original; the table holds its copy
        ASSERT_NE(holder->RegisterWithDistributor(ZQ::RCPtr<ZQ::LNotificationDistributor>(holder->midi),
                                                  ZQ::kMidiDataCapturedNotificationName, 0),
                  nullptr);
        ASSERT_EQ(holder->midi->OpenCapturePort(ZQ::WString(u"Splen"), holder->port), S_OK);
        ASSERT_TRUE(mPeer.WaitForConnections(input, 1, 10s));
        for (int i = 0; i < 1 + round % 4; ++i)
            mPeer.SendShort(input, Bytes{0x90, static_cast<uint8_t>(i), 0x64});

        ASSERT_TRUE(TestSupport::WaitFor([&] { return holder->done.load(); })) << "round " << round;
        EXPECT_TRUE(TestSupport::WaitFor([&] { return destroyed->load() == 2; })) << "round " << round;
        EXPECT_TRUE(TestSupport::WaitFor([&] { return mPeer.ConnectionCount(input) == 0; }));
    }
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
