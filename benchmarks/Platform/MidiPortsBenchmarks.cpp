#include "Support/MidiPortsFixture.h"

#include "Platform/Midi/MidiPeer.h"
#include "Platform/Midi/MidiPorts.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <condition_variable>
#include <mutex>

using namespace Platform;

namespace
{
// A peer that echoes every message back on its input port, and the program's two handles on it.
class EchoLoop
{
public:
    EchoLoop()
    {
        mIn = mPeer.PublishInput(u"Echo");
        mOut = mPeer.PublishOutput(u"Echo");
        mPeer.SetHandler(mOut,
                         [this](const MidiPeerMessage& message)
                         {
                             if (message.sysEx)
                                 (void)mPeer.SendSysEx(mIn, message.bytes);
                             else
                                 (void)mPeer.SendShort(mIn, message.bytes);
                         });
        (void)MidiInOpen(mInHandle, *TestSupport::FindMidiDevice(true, u"Echo"), &EchoLoop::OnInput,
                         reinterpret_cast<uintptr_t>(this), kMidiCallbackFunction);
        (void)mBuffers.Queue(mInHandle);
        (void)MidiInStart(mInHandle);
        (void)MidiOutOpen(mOutHandle, *TestSupport::FindMidiDevice(false, u"Echo"), nullptr, 0,
                          kMidiCallbackNull);
        (void)mPeer.WaitForConnections(mIn, 1, std::chrono::seconds(10));
    }

    ~EchoLoop()
    {
        mRequeue = false;
        (void)MidiInReset(mInHandle);
        for (auto& header : mBuffers.headers)
            (void)MidiInUnprepareHeader(mInHandle, &header);
        (void)MidiInClose(mInHandle);
        (void)MidiOutReset(mOutHandle);
        (void)MidiOutClose(mOutHandle);
    }

    MidiOutHandle Out() const { return mOutHandle; }

    void WaitForEcho()
    {
        std::unique_lock lock(mLock);
        mEchoed.wait(lock, [this] { return mEchoes > 0; });
        --mEchoes;
    }

private:
    static void OnInput(MidiInHandle handle, uint32_t message, uintptr_t instance, uintptr_t param1,
                        uintptr_t)
    {
        auto& self = *reinterpret_cast<EchoLoop*>(instance);
        if (message != kMidiInData && message != kMidiInLongData)
            return;
        if (message == kMidiInLongData && self.mRequeue.load())
            (void)MidiInAddBuffer(handle, reinterpret_cast<MidiHeader*>(param1));
        const std::lock_guard lock(self.mLock);
        ++self.mEchoes;
        self.mEchoed.notify_one();
    }

    TestSupport::TempMidiFolder mFolder;
    MidiPeer mPeer;
    MidiPeer::PortId mIn = 0;
    MidiPeer::PortId mOut = 0;
    TestSupport::MidiInputBuffers mBuffers;
    MidiInHandle mInHandle{};
    MidiOutHandle mOutHandle{};
    std::atomic<bool> mRequeue{true};
    std::mutex mLock;
    std::condition_variable mEchoed;
    int mEchoes = 0; // guarded by mLock
};

void ShortMessageRoundTrip(benchmark::State& state)
{
    EchoLoop loop;
    for (auto _ : state)
    {
        (void)MidiOutShortMessage(loop.Out(), 0x643C90);
        loop.WaitForEcho();
    }
}
BENCHMARK(ShortMessageRoundTrip)->UseRealTime();

void IdentityReplySizedSysExRoundTrip(benchmark::State& state)
{
    EchoLoop loop;
    std::vector<uint8_t> bytes(37, 0x01);
    bytes.front() = 0xF0;
    bytes.back() = 0xF7;
    MidiHeader header;
    header.data = bytes.data();
    header.bufferLength = static_cast<uint32_t>(bytes.size());
    (void)MidiOutPrepareHeader(loop.Out(), &header);
    for (auto _ : state)
    {
        (void)MidiOutLongMessage(loop.Out(), &header);
        loop.WaitForEcho();
        while ((header.flags.load() & kMidiHeaderDone) == 0)
            std::this_thread::yield();
    }
    (void)MidiOutUnprepareHeader(loop.Out(), &header);
}
BENCHMARK(IdentityReplySizedSysExRoundTrip)->UseRealTime();
} // namespace
