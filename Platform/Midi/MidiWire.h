#pragma once

#include <cstdint>
#include <span>
#include <string>
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
inline constexpr size_t kMaxLongPart = 32 * 1024; // bytes of a message per frame
inline constexpr size_t kMaxFrame = kMaxLongPart + kLongHeaderSize;
inline constexpr size_t kMaxNameUnits = 31;

struct PortFile
{
    std::string path;    // full path of the socket
    std::u16string name; // the port's name
};

// The frames of one long message, in order.
[[nodiscard]] std::vector<std::vector<uint8_t>> LongFrames(uint32_t sequence, std::span<const uint8_t> bytes);
[[nodiscard]] std::vector<uint8_t> ShortFrame(std::span<const uint8_t> bytes);
[[nodiscard]] std::vector<uint8_t> DoneFrame(uint32_t sequence);

// Cut to at most kMaxNameUnits code units, never between the halves of a surrogate pair.
[[nodiscard]] std::u16string CutName(const std::u16string& name);

// The socket file name for a port (see MidiPeer.h) and the name back from a file name.
[[nodiscard]] std::string PortFileName(bool input, uint64_t order, uint32_t pid, uint32_t counter,
                                       const std::u16string& name);
[[nodiscard]] bool ParsePortFileName(const std::string& fileName, bool input, std::u16string& name);
// The socket ports in `folder`, in publishing order.
[[nodiscard]] std::vector<PortFile> ListPorts(const std::string& folder, bool input);

// Creates the folder and its parents (mode 0700 for new ones).
bool MakeFolder(const std::string& folder);
} // namespace Platform::MidiWire
