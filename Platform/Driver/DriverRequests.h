#pragma once

#include <array>
#include <cstdint>

// The request vocabulary of the maker's USB audio driver: the one I/O control code, the interface ids
// that open every request header, the request codes and their groups. Both the program side and the
// simulated driver speak it; the layouts are little-endian, written and read field by field.
namespace Platform::DriverRequests
{
// The I/O control code of every request.
inline constexpr uint32_t IoControlCode = 0x2F0003;

// Size of the header that opens the input of every request: interface id, request code, request group.
inline constexpr uint32_t HeaderSize = 24;
// Size of the read request's input: the header, then port, buffer address and room in 8-byte slots.
inline constexpr uint32_t ReadInputSize = 48;
// Size of the read request's output: an 8-byte value, the byte count, the end-of-message flag.
inline constexpr uint32_t ReadOutputSize = 16;
// Size of the write request's output: port, buffer address and byte count in 8-byte slots.
inline constexpr uint32_t WriteOutputSize = 24;

using InterfaceId = std::array<uint8_t, 16>;

// {55A8C0F3-67A0-4AF8-9C0D-EC86AE3F6789}, as stored.
inline constexpr InterfaceId UpdateControlInterface = {0xF3, 0xC0, 0xA8, 0x55, 0xA0, 0x67, 0xF8, 0x4A,
                                                       0x9C, 0x0D, 0xEC, 0x86, 0xAE, 0x3F, 0x67, 0x89};
// {A0634132-2F7F-4FDA-93BA-EA6D7D1BDD0D}, as stored.
inline constexpr InterfaceId PipeInterface = {0x32, 0x41, 0x63, 0xA0, 0x7F, 0x2F, 0xDA, 0x4F,
                                              0x93, 0xBA, 0xEA, 0x6D, 0x7D, 0x1B, 0xDD, 0x0D};

// Request groups.
inline constexpr uint32_t InputGroup = 1;
inline constexpr uint32_t ControlGroup = 2;

// Request codes of the pipe interface, and the one of the update-control interface.
inline constexpr uint32_t RegisterWakeEvent = 2;
inline constexpr uint32_t UnregisterWakeEvent = 3;
inline constexpr uint32_t OpenOutputPort = 4;
inline constexpr uint32_t CloseAllPorts = 8;
inline constexpr uint32_t ReadyMask = 11;
inline constexpr uint32_t Read = 12;
inline constexpr uint32_t Write = 13;
inline constexpr uint32_t UpdateControl = 16;

inline constexpr uint32_t PortCount = 32;

// The group a request code belongs to (0 for an unknown code).
[[nodiscard]] constexpr uint32_t GroupOf(uint32_t code)
{
    switch (code)
    {
    case ReadyMask:
    case Read:
        return InputGroup;
    case RegisterWakeEvent:
    case UnregisterWakeEvent:
    case OpenOutputPort:
    case CloseAllPorts:
    case Write:
    case UpdateControl:
        return ControlGroup;
    default:
        return 0;
    }
}
} // namespace Platform::DriverRequests
