#pragma once

#include <cstdint>

// Forward declarations of the MIDI layer: the communication object and its ports, the capture record,
// client filters and the device status checker.
namespace ZQ
{
// The identity of a notification client as the MIDI object's filter table keys it: the address of the
// client's LNotificationReceiver part (see LMidiCommInterface::GetClientKey).
using MidiClientKey = intptr_t;

class LMidiCommInterface;
class LMidiComm;
class LMidiCapturePort;
class LMidiRenderPort;
class LMidiCaptureNotificationData;
class LIMidiFilter;
class LMidiDeviceStatusChecker;
class LMidiDeviceConnectionStatusChangedNotification;
} // namespace ZQ
