#pragma once

#include "Platform/Midi/MidiPorts.h"

#include <cstdint>
#include <span>
#include <vector>

// One open device as a backend gives it to the port layer. Internal to Platform/Midi.
namespace Platform
{
// One item that a connection read from its device.
struct MidiInputEvent
{
    enum class Kind
    {
        Short,     // bytes: one short message
        LongPart,  // bytes: system-exclusive bytes; last: the message ends here
        LongError, // the system-exclusive message in progress is broken
        Done,      // sequence: a long message the device confirmed
    };
    Kind kind = Kind::Short;
    std::vector<uint8_t> bytes;
    bool last = false;
    uint32_t sequence = 0;
};

// One open device. Read and PollFd are used by the dispatch thread only; the send functions may be
// called from any thread and keep the frames of one message together.
class IMidiConnection
{
public:
    virtual ~IMidiConnection() = default;
    // Readable when Read has something; -1 when there is nothing to wait for.
    [[nodiscard]] virtual int PollFd() const = 0;
    // Appends what can be read without blocking; false once the device has gone away.
    virtual bool Read(std::vector<MidiInputEvent>& events) = 0;
    // True once the device is known to be gone, before the dispatch thread has read to its end. May be
    // called from any thread; a backend that cannot tell answers false and the dispatch thread finds out.
    [[nodiscard]] virtual bool HasHungUp() const { return false; }
    [[nodiscard]] virtual MidiResult SendShort(std::span<const uint8_t> bytes) = 0;
    // `confirmedNow` is set when the device confirms at once (no Done event follows).
    [[nodiscard]] virtual MidiResult SendLong(uint32_t sequence, std::span<const uint8_t> bytes,
                                              bool& confirmedNow) = 0;
};
} // namespace Platform
