#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <vector>

// The socket ports' wire format and file naming, shared by the port layer and Platform::MidiPeer (whose
// header documents both). Internal to Platform/Midi.
namespace Platform::MidiWire
{
inline constexpr uint8_t kFrameShort = 0x01;
inline constexpr uint8_t kFrameLong = 0x02;
inline constexpr uint8_t kFrameDone = 0x03;
inline constexpr uint8_t kFrameLongError = 0x04;
inline constexpr uint8_t kLongFlagLast = 0x01;
inline constexpr size_t kLongHeaderSize = 6;      // type, u32 sequence, flags
inline constexpr size_t kDoneSize = 5;            // type, u32 sequence
inline constexpr size_t kMaxLongPart = 32 * 1024; // bytes of a message per frame
inline constexpr size_t kMaxFrame = kMaxLongPart + kLongHeaderSize;
inline constexpr size_t kMaxNameUnits = 31;

// The length of an output port socket's file name ("out-" and three hex fields; an input's "in-" is one
// shorter), and the largest name file a port can have (31 code units in UTF-8, at most three bytes each).
inline constexpr size_t kPortFileNameLength = 38;
inline constexpr size_t kMaxNameFileBytes = 3 * kMaxNameUnits;
inline constexpr char kNameFileSuffix[] = ".name";

struct PortFile
{
    std::string path;    // full path of the socket
    std::u16string name; // the port's name
};

// One received packet, read: a view into the packet's bytes, valid while the packet is.
struct Frame
{
    uint8_t type = 0;               // kFrameShort, kFrameLong, kFrameDone or kFrameLongError
    uint32_t sequence = 0;          // long parts and dones
    bool last = false;              // long parts: the message ends with this part
    std::span<const uint8_t> bytes; // short messages: 1 to 3 MIDI bytes; long parts: the part's bytes
};

// The frames of one long message, in order.
[[nodiscard]] std::vector<std::vector<uint8_t>> LongFrames(uint32_t sequence, std::span<const uint8_t> bytes);
[[nodiscard]] std::vector<uint8_t> ShortFrame(std::span<const uint8_t> bytes);
[[nodiscard]] std::vector<uint8_t> DoneFrame(uint32_t sequence);
// Reads one packet; nothing when it is empty, of an unknown type or too short for its type.
[[nodiscard]] std::optional<Frame> ReadFrame(std::span<const uint8_t> packet);

// Cut to at most kMaxNameUnits code units, never between the halves of a surrogate pair.
[[nodiscard]] std::u16string CutName(const std::u16string& name);

// The socket file name for a port (see MidiPeer.h), and whether a file name is one of that direction.
[[nodiscard]] std::string PortFileName(bool input, uint64_t order, uint32_t pid, uint32_t counter);
[[nodiscard]] bool IsPortFileName(const std::string& fileName, bool input);
// The name file beside a port's socket, its contents for a name, and a name read back from them (nothing
// when the contents are larger than any name file).
[[nodiscard]] std::string NameFilePath(const std::string& socketPath);
[[nodiscard]] std::string NameFileContents(const std::u16string& name);
[[nodiscard]] std::optional<std::u16string> NameFromContents(std::span<const uint8_t> contents);
// Writes the name file of a port about to listen at socketPath (a new file, never one that exists).
bool WriteNameFile(const std::string& socketPath, const std::u16string& name, std::error_code& error);
// Removes a port's socket file and its name file.
void RemovePortFiles(const std::string& socketPath);

// Whether a port socket's path in `folder` fits a socket address.
[[nodiscard]] bool FolderHoldsPorts(const std::string& folder);
// The socket ports in `folder`, in publishing order. A socket whose name cannot be read is left out
// and, when `problems` is given, described there.
[[nodiscard]] std::vector<PortFile> ListPorts(const std::string& folder, bool input,
                                              std::vector<std::string>* problems = nullptr);

// Creates the folder and its parents (mode 0700 for new ones).
bool MakeFolder(const std::string& folder);
} // namespace Platform::MidiWire
