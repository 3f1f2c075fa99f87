#pragma once

#include "Platform/Midi/MidiPorts.h"
#include "ZQFramework/Midi/Forward.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <array>
#include <atomic>
#include <cstdint>

namespace ZQ
{
// One open MIDI input device of an LMidiComm. Its holders keep it open; the owner's capture list holds
// it as an internal reference, dropped when the last holder lets go. What arrives is cut into messages
// on the platform's dispatch thread and queued on the owner for delivery.
//
// Threads: open and close run under the owner's port lock; the callback runs on the dispatch thread. The
// pending system-exclusive record is touched by the callback only, and by close after the device's
// callbacks have ended.
class LMidiCapturePort : public LRefCountedObject
{
public:
    static constexpr uint32_t kBufferSize = 256;
    static constexpr int kSlotCount = 3;

    LMidiCapturePort(const RCPtr<LMidiComm>& owner, const WString& requestedName);
    ~LMidiCapturePort() override;

    [[nodiscard]] const WString& GetRequestedName() const { return mRequestedName; }
    // Guarded by the owner's port lock.
    [[nodiscard]] const WString& GetDeviceName() const { return mDeviceName; }
    [[nodiscard]] bool IsOpen() const { return mHandle.load() != Platform::MidiInHandle{}; }

    // Closes the current device and opens the one the requested name selects. 0, the platform's error,
    // or kMidiErrNoDriver when no device qualifies. Under the owner's port lock.
    Platform::MidiResult OpenDevice();
    // Starts input on the open device.
    Platform::MidiResult Start();
    // Stops input, takes the buffers back and closes the device. Under the owner's port lock.
    void Close();
    // True while the open device is still present.
    [[nodiscard]] bool IsDevicePresent() const;

    // Removes the port from its owner's list when its last outside holder goes.
    ZQRESULT ReleaseInternalReferences() override;

    // Cutting, exposed for the callback and for tests: one message of the platform (data, long data,
    // long error).
    void HandleMessage(uint32_t message, uintptr_t param1, uintptr_t param2);
    void AddSysExChunk(const uint8_t* data, int32_t count, bool complete);

private:
    struct Slot
    {
        Platform::MidiHeader header;
        uint8_t buffer[kBufferSize] = {};
        std::atomic<Platform::MidiInHandle> preparedFor{};
    };

    static void Callback(Platform::MidiInHandle handle, uint32_t message, uintptr_t instance,
                         uintptr_t param1, uintptr_t param2);

    Platform::MidiResult QueueAllBuffers();
    Platform::MidiResult RequeueBuffer(Platform::MidiHeader* header);
    void UnprepareAll();
    void QueueRecord(const RCPtr<LMidiCaptureNotificationData>& record);

    RCPtr<LMidiComm> mOwner;
    const WString mRequestedName;
    WString mDeviceName; // guarded by the owner's port lock
    std::atomic<Platform::MidiInHandle> mHandle{};
    std::atomic<bool> mClosing{true};
    std::array<Slot, kSlotCount> mSlots;
    RCPtr<LMidiCaptureNotificationData> mPendingSysEx; // dispatch thread (see above)
};
} // namespace ZQ
