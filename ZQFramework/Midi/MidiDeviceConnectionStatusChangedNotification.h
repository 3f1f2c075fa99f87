#pragma once

#include "ZQFramework/Midi/Forward.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>

namespace ZQ
{
inline constexpr const char16_t* kMidiInputDeviceStatusChangedNotificationName =
    u"NID_MIDI_INPUT_DEVICE_CONNECTION_STATUS_CHANGED";
inline constexpr const char16_t* kMidiOutputDeviceStatusChangedNotificationName =
    u"NID_MIDI_OUTPUT_DEVICE_CONNECTION_STATUS_CHANGED";

// The parameter of both status notifications: which device, and whether it came (kConnected) or went
// (kDisconnected). Made by LMidiDeviceStatusChecker, read by the default center's clients.
class LMidiDeviceConnectionStatusChangedNotification : public LRefCountedObject
{
public:
    static constexpr int32_t kConnected = 0;
    static constexpr int32_t kDisconnected = 1;

    LMidiDeviceConnectionStatusChangedNotification(const WString& deviceName, int32_t status);

    [[nodiscard]] const WString& GetDeviceName() const { return mDeviceName; }
    [[nodiscard]] int32_t GetStatus() const { return mStatus; }

private:
    const WString mDeviceName;
    const int32_t mStatus;
};
} // namespace ZQ
