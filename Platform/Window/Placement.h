#pragma once

#include "Platform/Window/Messages.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

// A window's placement as the original keeps it between runs: the "WP" value, 11 little-endian 32-bit
// integers (length 44, flags, show command, minimised point, maximised point, normal rectangle), stored
// as a binary value under HKEY_CURRENT_USER "Software\Tavrin DJ\Q3300 Splen\<section>".
namespace Platform::Window
{
struct WindowPlacement
{
    uint32_t flags = 0;
    uint32_t showCommand = 0;
    Point minPosition;
    Point maxPosition;
    Rect normalPosition;
    friend bool operator==(const WindowPlacement&, const WindowPlacement&) = default;
};

inline constexpr size_t kPlacementBytes = 44;

// The range of a decoded coordinate: X places windows at 16-bit positions, so a stored value beyond it is
// no place on any screen, and within it every sum or difference of two coordinates fits in 32 bits.
inline constexpr int32_t kPlacementCoordinateMin = -32768;
inline constexpr int32_t kPlacementCoordinateMax = 32767;

[[nodiscard]] std::array<uint8_t, kPlacementBytes> EncodePlacement(const WindowPlacement& placement);
// Nothing unless bytes holds exactly 44 bytes that begin with the length 44. Each coordinate is clamped
// into kPlacementCoordinateMin to kPlacementCoordinateMax, so that stored values of any size are safe to
// compute with.
[[nodiscard]] std::optional<WindowPlacement> DecodePlacement(std::span<const uint8_t> bytes);

// Writes the placement as the binary value "WP" of the section's key; false when the registry fails.
bool SavePlacement(std::u16string_view section, const WindowPlacement& placement);
// Reads it back; nothing when the value is missing or not 44 bytes.
[[nodiscard]] std::optional<WindowPlacement> LoadPlacement(std::u16string_view section);
} // namespace Platform::Window
