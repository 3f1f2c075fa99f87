#pragma once

#include "Support/MidiPortsFixture.h"
#include "Support/WaitFor.h"

#include "Platform/Midi/MidiPeer.h"
#include "ZQFramework/Midi/IMidiFilter.h"
#include "ZQFramework/Midi/MidiCaptureNotificationData.h"
#include "ZQFramework/Midi/MidiCommInterface.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationClient.h"

#include <chrono>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <vector>

namespace TestSupport
{

// One message as a client received it.
struct Captured
{
    Bytes bytes;
    std::u16string portName;
    uint32_t timeStamp = 0;
    const ZQ::LRefCountedObject* source = nullptr;
};

// A client of "NID_MIDI_DATA_CAPTURED" that records what it receives, and in which order clients got it.
class Collector : public ZQ::LNotificationClient
{
public:
    explicit Collector(int id = 0, std::vector<int>* order = nullptr, std::mutex* orderLock = nullptr)
        : mId(id), mOrder(order), mOrderLock(orderLock)
    {
    }

    ZQRESULT ReceiveNotification(const ZQ::RCPtr<ZQ::LNotificationDistributor>&,
                                 const ZQ::RCPtr<ZQ::LNotification>& notification) override
    {
        const ZQ::RCPtr<ZQ::LMidiCaptureNotificationData> data(notification->GetParam());
        if (data.IsNull())
            return S_OK;
        Captured captured;
        const auto* first = reinterpret_cast<const uint8_t*>(data->GetData());
        captured.bytes.assign(first, first + data->GetCount());
        captured.portName.assign(data->GetPortName().GetBuffer());
        captured.timeStamp = data->GetTimeStamp();
        captured.source = data->GetSource();
        if (mOrder != nullptr)
        {
            const std::lock_guard guard(*mOrderLock);
            mOrder->push_back(mId);
        }
        const std::lock_guard guard(mLock);
        mReceived.push_back(std::move(captured));
        mChanged.notify_all();
        return S_OK;
    }

    bool WaitForCount(size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(10))
    {
        std::unique_lock lock(mLock);
        return mChanged.wait_for(lock, timeout, [&] { return mReceived.size() >= count; });
    }

    std::vector<Captured> Received()
    {
        const std::lock_guard guard(mLock);
        return mReceived;
    }

    [[nodiscard]] ZQ::MidiClientKey Key() const
    {
        return ZQ::LMidiCommInterface::GetClientKey(static_cast<const ZQ::LNotificationReceiver*>(this));
    }

private:
    int mId;
    std::vector<int>* mOrder;
    std::mutex* mOrderLock;
    std::mutex mLock;
    std::condition_variable mChanged;
    std::vector<Captured> mReceived;
};

// Accepts messages whose first bytes equal a prefix.
class PrefixFilter : public ZQ::LIMidiFilter
{
public:
    explicit PrefixFilter(Bytes prefix) : mPrefix(std::move(prefix)) {}

    bool Accept(const signed char* bytes, int32_t count) const override
    {
        if (count < static_cast<int32_t>(mPrefix.size()))
            return false;
        for (size_t i = 0; i < mPrefix.size(); ++i)
            if (static_cast<uint8_t>(bytes[i]) != mPrefix[i])
                return false;
        return true;
    }

    ZQ::ConstRCPtr<ZQ::LRefCountedObject> CreateCopy() const override
    {
        return ZQ::ConstRCPtr<ZQ::LRefCountedObject>(new PrefixFilter(mPrefix));
    }

private:
    Bytes mPrefix;
};

// A private port folder, a peer publishing into it and a MIDI object, with the clients added to it.
class MidiFixture : public ::testing::Test
{
protected:
    MidiFixture() : mPeer(mFolder.Path()), mMidi(ZQ::LMidiCommInterface::Create()) {}

    ~MidiFixture() override
    {
        for (auto& client : mClients)
            (void)client->UnregisterFromAllDistributors();
    }

    ZQ::RCPtr<Collector> AddCollector(int id = 0, std::vector<int>* order = nullptr,
                                      std::mutex* orderLock = nullptr)
    {
        ZQ::RCPtr<Collector> client(new Collector(id, order, orderLock));
        EXPECT_NE(client->RegisterWithDistributor(ZQ::RCPtr<ZQ::LNotificationDistributor>(mMidi),
                                                  ZQ::kMidiDataCapturedNotificationName, 0),
                  nullptr);
        mClients.push_back(client);
        return client;
    }

    ZQ::RCPtr<ZQ::LRefCountedObject> OpenCapture(const char16_t* name)
    {
        ZQ::RCPtr<ZQ::LRefCountedObject> port;
        EXPECT_EQ(mMidi->OpenCapturePort(ZQ::WString(name), port), S_OK) << "capture port";
        return port;
    }

    ZQ::RCPtr<ZQ::LRefCountedObject> OpenRender(const char16_t* name)
    {
        ZQ::RCPtr<ZQ::LRefCountedObject> port;
        EXPECT_EQ(mMidi->OpenRenderPort(ZQ::WString(name), port), S_OK) << "render port";
        return port;
    }

    // A port of the MIDI object on a device that the peer publishes, with the peer's id of that device.
    struct PeerPort
    {
        Platform::MidiPeer::PortId peerPort = 0;
        ZQ::RCPtr<ZQ::LRefCountedObject> port;
    };

    // The peer publishes an input device; a capture port is opened on it and has connected.
    PeerPort CaptureFromPeer(const char16_t* name = u"Splen")
    {
        PeerPort opened{mPeer.PublishInput(name), OpenCapture(name)};
        EXPECT_TRUE(mPeer.WaitForConnections(opened.peerPort, 1, std::chrono::seconds(10))) << "capture port";
        return opened;
    }

    // The peer publishes an output device; a render port is opened on it.
    PeerPort RenderToPeer(const char16_t* name = u"Splen")
    {
        const Platform::MidiPeer::PortId output = mPeer.PublishOutput(name);
        return {output, OpenRender(name)};
    }

    int32_t Send(const ZQ::RCPtr<ZQ::LRefCountedObject>& port, const Bytes& bytes)
    {
        ZQ::Array<signed char> array;
        for (const uint8_t b : bytes)
            (void)array.Add(static_cast<signed char>(b));
        return mMidi->Send(port, array);
    }

    TestSupport::TempMidiFolder mFolder;
    Platform::MidiPeer mPeer;
    ZQ::RCPtr<ZQ::LMidiCommInterface> mMidi;
    std::vector<ZQ::RCPtr<Collector>> mClients;
};

} // namespace TestSupport
