#pragma once

#include "Platform/Driver/DriverRequests.h"

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
// reports only success or failure. The vocabulary is the one the driver stand-in and the simulated driver
// speak (Platform/Driver/DriverRequests.h); the engine uses it under these names.
namespace Requests = Platform::DriverRequests;
inline constexpr uint32_t kIoControlCode = Requests::IoControlCode;
inline constexpr uint32_t kRequestHeaderSize = Requests::HeaderSize;

using InterfaceId = Requests::InterfaceId;
inline constexpr InterfaceId kUpdateControlInterface = Requests::UpdateControlInterface;
inline constexpr InterfaceId kPipeInterface = Requests::PipeInterface;

// Request groups.
inline constexpr uint32_t kInputGroup = Requests::InputGroup;
inline constexpr uint32_t kControlGroup = Requests::ControlGroup;

// Request codes, by group. Control group: register and unregister the wake event (the driver signals it
// when input is ready), open an output port, close all ports, write (the slot is released when its first
// byte equals its guard), update control (value 1 on, 0 off). Input group: the ready mask (bit i set when
// input port i has data), read (bytes, their count and an end-of-message flag).
inline constexpr uint32_t kRegisterWakeEvent = Requests::RegisterWakeEvent;
inline constexpr uint32_t kUnregisterWakeEvent = Requests::UnregisterWakeEvent;
inline constexpr uint32_t kOpenOutputPort = Requests::OpenOutputPort;
inline constexpr uint32_t kCloseAllPorts = Requests::CloseAllPorts;
inline constexpr uint32_t kReadyMask = Requests::ReadyMask;
inline constexpr uint32_t kRead = Requests::Read;
inline constexpr uint32_t kWrite = Requests::Write;
inline constexpr uint32_t kUpdateControl = Requests::UpdateControl;

inline constexpr uint32_t kUpdateControlOn = 1;
inline constexpr uint32_t kUpdateControlOff = 0;
} // namespace AudioDriverInterface
