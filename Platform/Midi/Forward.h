#pragma once

#include <cstdint>

// Forward declarations of the MIDI port stand-in: the port services (MidiPorts.h) and the socket peer
// that tests and the simulator publish ports with (MidiPeer.h).
namespace Platform
{
enum class MidiInHandle : uintptr_t;
enum class MidiOutHandle : uintptr_t;
struct MidiHeader;
struct MidiInCaps;
struct MidiOutCaps;
struct MidiPeerMessage;
enum class MidiPeerDoneMode;
class MidiPeer;
} // namespace Platform
