#include "ZQFramework/Midi/MidiDeviceConnectionStatusChangedNotification.h"

namespace ZQ
{
LMidiDeviceConnectionStatusChangedNotification::LMidiDeviceConnectionStatusChangedNotification(
    const WString& deviceName, int32_t status)
    : mDeviceName(deviceName), mStatus(status)
{
}
} // namespace ZQ
