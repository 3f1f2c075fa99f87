#pragma once

#include "Platform/Bytes/LittleEndian.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The wire between the program's driver stand-in and the device side (the simulated driver), and the
// rule that turns a device path into the socket file the device side listens on.
//
// Transport: a Unix SOCK_SEQPACKET socket per open handle; every message is one packet. All integers
// are little-endian; every message begins with its 32-bit type.
//
// Program -> device:
//   Hello        {type=1}                                      sent once after connecting (the open)
//   Request      {type=2, seq u32, ioctl u32, inLen u32, outLen u32, in[inLen], out[outLen]}
//   WriteData    {type=3, writeId u32, offset u32, last u32, bytes...}
//                the bytes of an accepted write, read from the caller's buffer after its call returned;
//                split into pieces of at most MaxDataPiece bytes, the last one flagged
// Device -> program:
//   HelloReply   {type=101, accepted u32}                       an open refused is followed by a close
//   Reply        {type=102, seq u32, ok u32, bytesReturned u32, flags u32, writeId u32, outLen u32,
//                 out[outLen], readData...}
//   Release      {type=103, writeId u32}                        the device has taken a write's bytes
//   Signal       {type=104, eventHandle u64}                    signal a registered wake event
//
// Reply flags: WriteAccepted (the request's output names a buffer address and count in its second and
// third 8-byte slots; the program sends its bytes as WriteData under writeId and later flips the
// buffer's first byte when the device releases it), ReadData (the bytes after `out` belong in the
// buffer whose address and room the request's input names in its slots at 32 and 40), DropWrites (the
// device has let go of every pending write of this handle: the program never touches their buffers
// again).
namespace Platform::DriverWire
{
enum MessageType : uint32_t
{
    Hello = 1,
    Request = 2,
    WriteData = 3,
    HelloReply = 101,
    Reply = 102,
    Release = 103,
    Signal = 104,
};

enum ReplyFlags : uint32_t
{
    WriteAccepted = 1,
    ReadData = 2,
    DropWrites = 4,
};

// The largest data piece of one WriteData message, and the largest write the stand-in accepts.
inline constexpr size_t MaxDataPiece = 32 * 1024;
inline constexpr uint64_t MaxWriteSize = 64ull * 1024 * 1024;
// The largest input or output buffer of one request, and the largest packet on the wire.
inline constexpr uint32_t MaxBufferSize = 64 * 1024;
inline constexpr size_t MaxPacket = 3 * MaxBufferSize + 64;

// The messages' integer fields are read and written by the one little-endian helper; a received packet
// is read field by field with its Reader.
using LittleEndian::GetU32;
using LittleEndian::GetU64;
using LittleEndian::PutU32;
using LittleEndian::PutU64;
using LittleEndian::Reader;
using LittleEndian::StoreU32;
using LittleEndian::StoreU64;

// A received packet, read field by field: which fields hold a value depends on the type. The spans view
// the packet's bytes and are valid while the packet is.
struct ProgramMessage // program -> device
{
    uint32_t type = 0;               // Hello, Request or WriteData
    uint32_t seq = 0;                // Request
    uint32_t ioControlCode = 0;      // Request
    std::span<const uint8_t> input;  // Request
    std::span<const uint8_t> output; // Request
    uint32_t writeId = 0;            // WriteData
    uint32_t offset = 0;             // WriteData
    bool last = false;               // WriteData
    std::span<const uint8_t> bytes;  // WriteData
};

struct DeviceMessage // device -> program
{
    uint32_t type = 0;                 // HelloReply, Reply, Release or Signal
    bool accepted = false;             // HelloReply
    uint32_t seq = 0;                  // Reply
    bool ok = false;                   // Reply
    uint32_t bytesReturned = 0;        // Reply
    uint32_t flags = 0;                // Reply
    uint32_t writeId = 0;              // Reply, Release
    std::span<const uint8_t> output;   // Reply
    std::span<const uint8_t> readData; // Reply
    uint64_t eventHandle = 0;          // Signal
};

// Nothing when the packet is of another direction's or an unknown type, or shorter than its type needs
// (bytes after the last field are ignored, except where Rest takes them).
[[nodiscard]] std::optional<ProgramMessage> ReadProgramMessage(std::span<const uint8_t> packet);
[[nodiscard]] std::optional<DeviceMessage> ReadDeviceMessage(std::span<const uint8_t> packet);

// Sends one whole packet on a connected socket (no SIGPIPE); false when the socket refused it.
[[nodiscard]] bool SendAll(int socket, const std::vector<uint8_t>& packet);

// The folder of the device sockets: $ZQ_DRIVER_DIR, else $ZQ_MIDI_DIR, else the MIDI layer's default
// folder ($XDG_RUNTIME_DIR/zq-midi, else /tmp/zq-midi-<uid>). Read at each call.
[[nodiscard]] std::string SocketFolder();

// The socket file for a device path: the path's UTF-8 form with every character outside [A-Za-z0-9._-]
// written as %XX, and ".drv" appended; a name that would not fit a socket address is cut and ends in a
// hash of the whole path instead, so two paths never share a file.
[[nodiscard]] std::string SocketPathFor(const std::u16string& devicePath);
[[nodiscard]] std::string SocketPathFor(const std::u16string& devicePath, const std::string& folder);

} // namespace Platform::DriverWire
