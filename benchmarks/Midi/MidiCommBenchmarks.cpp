#include "Support/MidiPortsFixture.h"

#include "Platform/Midi/MidiPeer.h"
#include "ZQFramework/Midi/MidiCaptureNotificationData.h"
#include "ZQFramework/Midi/MidiCommInterface.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationClient.h"

#include <benchmark/benchmark.h>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace
{
// Counts delivered messages and lets the benchmark wait for the next one.
class Counter : public ZQ::LNotificationClient
{
public:
    ZQRESULT ReceiveNotification(const ZQ::RCPtr<ZQ::LNotificationDistributor>&,
                                 const ZQ::RCPtr<ZQ::LNotification>&) override
    {
        const std::lock_guard guard(mLock);
        ++mCount;
        mChanged.notify_all();
        return S_OK;
    }

    bool WaitFor(uint64_t count)
    {
        std::unique_lock lock(mLock);
        return mChanged.wait_for(lock, std::chrono::seconds(10), [&] { return mCount >= count; });
    }

private:
    std::mutex mLock;
    std::condition_variable mChanged;
    uint64_t mCount = 0;
};

// A peer that echoes what the MIDI object sends back into its capture port.
class EchoThroughMidiObject
{
public:
    EchoThroughMidiObject() : mMidi(ZQ::LMidiCommInterface::Create()), mCounter(new Counter)
    {
        mIn = mPeer.PublishInput(u"Echo");
        mOut = mPeer.PublishOutput(u"Echo");
        mPeer.SetHandler(mOut,
                         [this](const Platform::MidiPeerMessage& message)
                         {
                             if (message.sysEx)
                                 (void)mPeer.SendSysEx(mIn, message.bytes);
                             else
                                 (void)mPeer.SendShort(mIn, message.bytes);
                         });
        (void)mCounter->RegisterWithDistributor(ZQ::RCPtr<ZQ::LNotificationDistributor>(mMidi),
                                                ZQ::kMidiDataCapturedNotificationName, 0);
        (void)mMidi->OpenCapturePort(ZQ::WString(u"Echo"), mCapture);
        (void)mMidi->OpenRenderPort(ZQ::WString(u"Echo"), mRender);
        (void)mPeer.WaitForConnections(mIn, 1, std::chrono::seconds(10));
    }

    ~EchoThroughMidiObject() { (void)mCounter->UnregisterFromAllDistributors(); }

    bool RoundTrip(const ZQ::Array<signed char>& message)
    {
        if (mMidi->Send(mRender, message) < 0)
            return false;
        return mCounter->WaitFor(++mSent);
    }

private:
    TestSupport::TempMidiFolder mFolder;
    Platform::MidiPeer mPeer{mFolder.Path()};
    Platform::MidiPeer::PortId mIn = 0;
    Platform::MidiPeer::PortId mOut = 0;
    ZQ::RCPtr<ZQ::LMidiCommInterface> mMidi;
    ZQ::RCPtr<Counter> mCounter;
    ZQ::RCPtr<ZQ::LRefCountedObject> mCapture;
    ZQ::RCPtr<ZQ::LRefCountedObject> mRender;
    uint64_t mSent = 0;
};

ZQ::Array<signed char> Message(const std::vector<uint8_t>& bytes)
{
    ZQ::Array<signed char> array;
    for (const uint8_t b : bytes)
        (void)array.Add(static_cast<signed char>(b));
    return array;
}

void RunRoundTrip(benchmark::State& state, const std::vector<uint8_t>& bytes)
{
    EchoThroughMidiObject loop;
    const ZQ::Array<signed char> message = Message(bytes);
    for (auto _ : state)
    {
        if (!loop.RoundTrip(message))
        {
            state.SkipWithError("no echo");
            break;
        }
    }
}

void BM_MidiCommRoundTripShortMessage(benchmark::State& state)
{
    RunRoundTrip(state, {0x90, 0x3C, 0x64});
}
BENCHMARK(BM_MidiCommRoundTripShortMessage)->UseRealTime();

void BM_MidiCommRoundTripSysEx37(benchmark::State& state)
{
    std::vector<uint8_t> sysEx(37, 0x11);
    sysEx.front() = 0xF0;
    sysEx.back() = 0xF7;
    RunRoundTrip(state, sysEx);
}
BENCHMARK(BM_MidiCommRoundTripSysEx37)->UseRealTime();
} // namespace
