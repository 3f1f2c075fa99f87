#pragma once

#include "Panel/Engine/UpdateEngineInterface.h"

#include <cstdint>

// The Tavrin DJ Q3300 Splen as the updater knows it: the names of its MIDI ports (the same in normal and
// in update mode), how its driver names it, and the firmware file that ships beside the program.
namespace DeviceSpecificInfo
{
inline constexpr const char16_t* kPortName = u"Tavrin DJ Q3300 Splen";
inline constexpr const char16_t* kDriverName = u"{d58471f8-2a4c-4860-a699-48bfb73a6313}";
inline constexpr int32_t kVendorId = 0x15E4;
inline constexpr int32_t kProductId = 0x8007;
inline constexpr const char16_t* kDefaultFirmwareFileName = u"QD51DSP_FULL.syx";

// The definition the engine finds the device by.
[[nodiscard]] LUpdateEngineInterface::DeviceDefinition MakeDeviceDefinition();
} // namespace DeviceSpecificInfo
