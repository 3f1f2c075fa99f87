#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// MIDI ports of the machine, listed by device id and opened with a callback, the way the framework's MIDI
// layer expects them: numbered input and output devices with names of at most 31 characters, short
// messages, long (system-exclusive) messages in caller-prepared headers, and every notification delivered
// on a thread of this layer.
//
// Devices come from two places, listed in this order:
//  - socket ports: Unix sockets that a peer (the simulator, or a test through Platform::MidiPeer) publishes
//    in the folder MidiPortFolder() names. Ports appear and vanish with their socket files;
//  - the ALSA sequencer, where /dev/snd/seq exists (silently absent otherwise).
// The device list is read anew by MidiInDeviceCount() / MidiOutDeviceCount(); the capabilities and open
// calls by device id use the list of the latest count (a count is taken first when there was none).
//
// Threads and callbacks:
//  - Every callback (opened, closed, data, long data, error, done) runs on the layer's one dispatch
//    thread, never on the thread that called into this API, and callbacks never run concurrently.
//  - MidiInClose / MidiOutClose deliver the "closed" callback and return only after it ran; after they
//    return, no callback for that handle runs again. MidiInStop, MidiInReset and MidiOutReset likewise
//    return after the buffers they give back have been passed to the callback.
//  - Inside a callback, every function of this API may be called (prepare, add buffer, send, even close);
//    such calls do their work at once on the dispatch thread, and a buffer added there is filled only after
//    the callback returns.
//  - A device that goes away (its socket unpublished, its peer gone) leaves the handle open but dead:
//    capabilities by handle, start and sends fail with kMidiErrNoDevice, for a socket port from the moment
//    its peer unpublished it (what the device sent before still arrives). Close still has to be called;
//    reset still gives back the queued buffers.
namespace Platform
{
using MidiResult = uint32_t;

// Results; the numbers are those the original multimedia system used, the MIDI layer relies on some.
inline constexpr MidiResult kMidiOk = 0;
inline constexpr MidiResult kMidiErrError = 1;         // unspecified error
inline constexpr MidiResult kMidiErrBadDeviceId = 2;   // device id beyond the current list
inline constexpr MidiResult kMidiErrInvalidHandle = 5; // handle not open (or already closed)
inline constexpr MidiResult kMidiErrNoDriver = 6;      // no such device
inline constexpr MidiResult kMidiErrInvalidFlag = 10;  // unknown open flags
inline constexpr MidiResult kMidiErrInvalidParam = 11; // null pointer, empty buffer, bad message
inline constexpr MidiResult kMidiErrHandleBusy = 12;
inline constexpr MidiResult kMidiErrUnprepared = 64;   // header not prepared
inline constexpr MidiResult kMidiErrStillPlaying = 65; // header still queued / buffers still queued
inline constexpr MidiResult kMidiErrNotReady = 67;     // the port does not take data now
inline constexpr MidiResult kMidiErrNoDevice = 68;     // the device went away

// Open flags (the original's values; other bits are refused with kMidiErrInvalidFlag).
inline constexpr uint32_t kMidiCallbackNull = 0x00000;
inline constexpr uint32_t kMidiCallbackFunction = 0x30000;
inline constexpr uint32_t kMidiIoStatus = 0x00020; // accepted; short messages arrive as kMidiInData

// Callback messages (the original's values).
inline constexpr uint32_t kMidiInOpened = 0x3C1;
inline constexpr uint32_t kMidiInClosed = 0x3C2;
inline constexpr uint32_t kMidiInData = 0x3C3; // param1: message bytes, first lowest; param2: ms since start
inline constexpr uint32_t kMidiInLongData = 0x3C4;  // param1: MidiHeader*; param2: ms since start
inline constexpr uint32_t kMidiInError = 0x3C5;     // param1: message bytes of an invalid short message
inline constexpr uint32_t kMidiInLongError = 0x3C6; // param1: MidiHeader* of a broken system-exclusive buffer
inline constexpr uint32_t kMidiInMoreData = 0x3CC;  // never sent by this layer, listed for completeness
inline constexpr uint32_t kMidiOutOpened = 0x3C7;
inline constexpr uint32_t kMidiOutClosed = 0x3C8;
inline constexpr uint32_t kMidiOutDone = 0x3C9; // param1: MidiHeader* of the long message now done

// Header flags.
inline constexpr uint32_t kMidiHeaderDone = 0x1;
inline constexpr uint32_t kMidiHeaderPrepared = 0x2;
inline constexpr uint32_t kMidiHeaderInQueue = 0x4;

inline constexpr size_t kMidiDeviceNameLength = 32; // 31 characters and a terminating zero

// Handles; the zero value is the null handle. A closed handle is never given out again.
enum class MidiInHandle : uintptr_t
{
};
enum class MidiOutHandle : uintptr_t
{
};

// Describes one long-message buffer. The caller owns the header and its bytes.
// Input: `data` and `bufferLength` give the room to fill; the layer sets `bytesRecorded` when it gives the
// buffer back. Output: `data` and `bufferLength` give the message; the bytes are copied when
// MidiOutLongMessage is called, but the header itself belongs to the layer until its done callback (or
// until MidiOutReset / MidiOutClose returned), because the layer writes its flags.
// `flags` is written by the layer's thread and may be read by any thread.
struct MidiHeader
{
    uint8_t* data = nullptr;
    uint32_t bufferLength = 0;
    uint32_t bytesRecorded = 0;
    uintptr_t user = 0;
    std::atomic<uint32_t> flags{0};
};

struct MidiInCaps
{
    uint16_t manufacturerId = 0;
    uint16_t productId = 0;
    uint32_t driverVersion = 0;
    char16_t name[kMidiDeviceNameLength] = {}; // zero-terminated
    uint32_t support = 0;
};

struct MidiOutCaps
{
    uint16_t manufacturerId = 0;
    uint16_t productId = 0;
    uint32_t driverVersion = 0;
    char16_t name[kMidiDeviceNameLength] = {}; // zero-terminated
    uint16_t technology = 1;                   // a hardware port
    uint16_t voices = 0;
    uint16_t notes = 0;
    uint16_t channelMask = 0xFFFF;
    uint32_t support = 0;
};

// (handle, message, instance given to open, param1, param2)
using MidiInCallback = void (*)(MidiInHandle, uint32_t, uintptr_t, uintptr_t, uintptr_t);
using MidiOutCallback = void (*)(MidiOutHandle, uint32_t, uintptr_t, uintptr_t, uintptr_t);

// The folder of the socket ports: $ZQ_MIDI_DIR, else $XDG_RUNTIME_DIR/zq-midi, else /tmp/zq-midi-<uid>.
// Read from the environment at each call.
[[nodiscard]] std::string MidiPortFolder();

// What kept devices from the list since the last call: a port folder too long for a port's socket, a
// port whose name cannot be read. Each distinct problem is given once per process, so that a caller can
// report them as they come without repeating itself at every count.
[[nodiscard]] std::vector<std::string> TakeMidiPortProblems();

// Counting re-reads the device list; ids run from 0 to the count minus 1.
[[nodiscard]] uint32_t MidiInDeviceCount();
[[nodiscard]] uint32_t MidiOutDeviceCount();

[[nodiscard]] MidiResult MidiInCapabilities(uint32_t deviceId, MidiInCaps& caps);
[[nodiscard]] MidiResult MidiOutCapabilities(uint32_t deviceId, MidiOutCaps& caps);
// By open handle: fails with kMidiErrNoDevice once the device went away.
[[nodiscard]] MidiResult MidiInCapabilities(MidiInHandle handle, MidiInCaps& caps);
[[nodiscard]] MidiResult MidiOutCapabilities(MidiOutHandle handle, MidiOutCaps& caps);

// Opens device `deviceId` of the latest list. On success `handle` is set and the "opened" callback follows
// on the dispatch thread. `callback` may be null (flags kMidiCallbackNull): nothing is reported then.
[[nodiscard]] MidiResult MidiInOpen(MidiInHandle& handle, uint32_t deviceId, MidiInCallback callback,
                                    uintptr_t instance, uint32_t flags);
// Refused with kMidiErrStillPlaying while buffers are queued (reset first).
[[nodiscard]] MidiResult MidiInClose(MidiInHandle handle);
// Input is delivered only between start and stop; what arrives while stopped is discarded.
// Time stamps count milliseconds from the start.
[[nodiscard]] MidiResult MidiInStart(MidiInHandle handle);
// Stops input; a partly filled buffer comes back (long data), empty queued buffers stay queued.
[[nodiscard]] MidiResult MidiInStop(MidiInHandle handle);
// Stops input and gives back every queued buffer (long data, done flag set).
[[nodiscard]] MidiResult MidiInReset(MidiInHandle handle);
[[nodiscard]] MidiResult MidiInPrepareHeader(MidiInHandle handle, MidiHeader* header);
// Refused with kMidiErrStillPlaying while the header is queued.
[[nodiscard]] MidiResult MidiInUnprepareHeader(MidiInHandle handle, MidiHeader* header);
// Queues a prepared buffer. A system-exclusive message fills queued buffers in order; a buffer comes back
// through the callback (long data) when it is full, when the byte F7 ended the message in it, or when the
// message ended without F7. Bytes that find no queued buffer wait for one (up to 1 MiB, then dropped).
[[nodiscard]] MidiResult MidiInAddBuffer(MidiInHandle handle, MidiHeader* header);

[[nodiscard]] MidiResult MidiOutOpen(MidiOutHandle& handle, uint32_t deviceId, MidiOutCallback callback,
                                     uintptr_t instance, uint32_t flags);
// Refused with kMidiErrStillPlaying while long messages wait for their done (reset first).
[[nodiscard]] MidiResult MidiOutClose(MidiOutHandle handle);
// Gives back every long message still waiting for its done (done callback for each).
[[nodiscard]] MidiResult MidiOutReset(MidiOutHandle handle);
// Sends one short message packed first byte lowest; its length follows from the status byte (a data byte
// first sends that single byte). Status bytes F0 and F7 are refused with kMidiErrInvalidParam.
[[nodiscard]] MidiResult MidiOutShortMessage(MidiOutHandle handle, uint32_t message);
[[nodiscard]] MidiResult MidiOutPrepareHeader(MidiOutHandle handle, MidiHeader* header);
// Refused with kMidiErrStillPlaying while the header waits for its done.
[[nodiscard]] MidiResult MidiOutUnprepareHeader(MidiOutHandle handle, MidiHeader* header);
// Sends header->bufferLength bytes of header->data as one long message. Returns once the bytes are handed
// to the device; the done callback follows when the device confirmed them (a socket peer confirms each
// long message it received, unless told to withhold).
[[nodiscard]] MidiResult MidiOutLongMessage(MidiOutHandle handle, MidiHeader* header);
} // namespace Platform
