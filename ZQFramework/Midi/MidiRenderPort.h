#pragma once

#include "Platform/Midi/MidiPorts.h"
#include "ZQFramework/Midi/Forward.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/System/Sync/TrafficLight.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace ZQ
{
// One open MIDI output device of an LMidiComm, held like a capture port. Long messages are sent one at a
// time; each travels in a header and a copy of its bytes that the port owns until the device confirmed
// it (or the port closed), so a sender that gave up waiting leaves nothing behind that the platform
// still reads.
class LMidiRenderPort : public LRefCountedObject
{
public:
    static constexpr uint32_t kLongMessageTimeout = 10000; // ms

    LMidiRenderPort(const RCPtr<LMidiComm>& owner, const WString& requestedName);
    ~LMidiRenderPort() override;

    [[nodiscard]] const WString& GetRequestedName() const { return mRequestedName; }
    // Guarded by the owner's port lock.
    [[nodiscard]] const WString& GetDeviceName() const { return mDeviceName; }

    // As for capture ports; under the owner's port lock.
    Platform::MidiResult OpenDevice();
    void Close();
    [[nodiscard]] bool IsDevicePresent() const;

    ZQRESULT ReleaseInternalReferences() override;

    // Sends length bytes (length > 0): see LMidiCommInterface::Send.
    int32_t SendBytes(const uint8_t* data, uint32_t length);

    // What sending a short message reports, by its status byte: the standard length, except that F4 and
    // F5 count two bytes; 0 for F0 and F7 (see Platform/Midi/MidiMessageLength.h).
    [[nodiscard]] static int32_t ShortMessageLength(uint8_t status);

private:
    struct LongMessage
    {
        Platform::MidiHeader header;
        std::vector<uint8_t> bytes;
    };

    static void Callback(Platform::MidiOutHandle handle, uint32_t message, uintptr_t instance,
                         uintptr_t param1, uintptr_t param2);

    int32_t SendShort(const uint8_t* data, uint32_t length);
    int32_t SendLong(const uint8_t* data, uint32_t length);
    // Frees the messages the device has confirmed since their senders stopped waiting.
    void CollectConfirmedLocked();

    RCPtr<LMidiComm> mOwner;
    const WString mRequestedName;
    WString mDeviceName; // guarded by the owner's port lock
    std::atomic<Platform::MidiOutHandle> mHandle{};
    TrafficLight mLongMessageSignal; // green between long messages
    // Orders long messages: held by one sender from preparing its header until it is done with it.
    std::mutex mSendLock;
    // The header of the long message whose done ends the current wait; written under mSendLock, read by
    // the callback.
    std::atomic<Platform::MidiHeader*> mCurrentHeader{nullptr};
    std::mutex mMessagesLock;                               // guards mUnconfirmed
    std::vector<std::unique_ptr<LongMessage>> mUnconfirmed; // given up by their senders, still the device's
};
} // namespace ZQ
