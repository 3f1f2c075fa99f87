#pragma once

#include <array>
#include <cstdint>

// What passes between the engine and the maker's USB audio driver: the registry entries that the driver
// and its installer write, and the request vocabulary of its device path. Gathered here once; the byte
// layouts of the requests live with their senders (the device wrapper and the private pipe).
namespace AudioDriverInterface
{
// Installation entries, below HKEY_LOCAL_MACHINE (registry root index 2).
inline constexpr const char16_t* kDriversKey = u"Software\\Brevik\\Audio\\Drivers";
inline constexpr const char16_t* kDriverId = u"{d58471f8-2a4c-4860-a699-48bfb73a6313}";
inline constexpr const char16_t* kProductCodeValue = u"ProductCode";
inline constexpr const char16_t* kUninstallKey = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr const char16_t* kDisplayVersionValue = u"DisplayVersion";
// The oldest installed driver the update works with.
inline constexpr const char16_t* kMinimumDriverVersion = u"1.0.5";

// Device instances: below the driver's key, one key per device model holding "Instances" and one key per
// connected instance; an instance holds its device path and the "Attached" flag (REG_BINARY, attached
// when its last byte is not 0).
inline constexpr const char16_t* kInstancesKey = u"Instances";
inline constexpr const char16_t* kLastPathValue = u"LastPath";
inline constexpr const char16_t* kAttachedValue = u"Attached";

// Requests: one I/O control code; the input opens with a 24-byte header (16-byte interface id, request
// code, request group); the output buffer carries the argument or receives the answer. Every request
// reports only success or failure.
inline constexpr uint32_t kIoControlCode = 0x2F0003;
inline constexpr uint32_t kRequestHeaderSize = 24;

using InterfaceId = std::array<uint8_t, 16>;
// {55A8C0F3-67A0-4AF8-9C0D-EC86AE3F6789} and {A0634132-2F7F-4FDA-93BA-EA6D7D1BDD0D}, as stored.
inline constexpr InterfaceId kUpdateControlInterface = {0xF3, 0xC0, 0xA8, 0x55, 0xA0, 0x67, 0xF8, 0x4A,
                                                        0x9C, 0x0D, 0xEC, 0x86, 0xAE, 0x3F, 0x67, 0x89};
inline constexpr InterfaceId kPipeInterface = {0x32, 0x41, 0x63, 0xA0, 0x7F, 0x2F, 0xDA, 0x4F,
                                               0x93, 0xBA, 0xEA, 0x6D, 0x7D, 0x1B, 0xDD, 0x0D};

// Request groups.
inline constexpr uint32_t kInputGroup = 1;
inline constexpr uint32_t kControlGroup = 2;

// Request codes (group in the comment).
inline constexpr uint32_t kRegisterWakeEvent = 2;   // 2: the driver signals the event when input is ready
inline constexpr uint32_t kUnregisterWakeEvent = 3; // 2
inline constexpr uint32_t kOpenOutputPort = 4;      // 2
inline constexpr uint32_t kCloseAllPorts = 8;       // 2
inline constexpr uint32_t kReadyMask = 11;          // 1: bit i set when input port i has data
inline constexpr uint32_t kRead = 12;               // 1: bytes, their count and an end-of-message flag
inline constexpr uint32_t kWrite = 13;         // 2: the slot is released when its first byte equals its guard
inline constexpr uint32_t kUpdateControl = 16; // 2: value 1 on, 0 off

inline constexpr uint32_t kUpdateControlOn = 1;
inline constexpr uint32_t kUpdateControlOff = 0;
} // namespace AudioDriverInterface
