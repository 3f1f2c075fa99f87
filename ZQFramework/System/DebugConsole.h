#pragma once

#include "ZQFramework/System/DebugStream.h"

#include <cstdint>
#include <ostream>
#include <string_view>

namespace ZQ
{
// The process-wide home of debug output: the narrow and wide debug streams, the streams framework code
// writes its debug text to (the debug streams, or the terminal once Open was called), and the UDP
// target that replaces the system debug output when its port is above 0. Safe to use during static
// initialisation and until the process exits.
class DebugConsole
{
public:
    DebugConsole() = delete;

    // Turns the current streams to the terminal (standard error); the debug streams keep their own
    // destination.
    static void Open();

    // Stores the host (none keeps the stored one; empty text clears it) and the port.
    static void SetUDPTarget(const char* host, int32_t port);

    // Sends text as one datagram to host:port (the first call makes the socket and announces the
    // sender); every network failure is silent.
    static void SendUDP(const char* host, int32_t port, std::string_view text);

    // The streams to write debug text to. Each comes back in the good state, so a write that a stream
    // could not do (see basic_dostream on the wide streams) costs only the rest of its own statement.
    [[nodiscard]] static std::ostream& Out();
    [[nodiscard]] static std::basic_ostream<char16_t>& WOut();
    [[nodiscard]] static dostream& DebugStream();
    [[nodiscard]] static wdostream& WDebugStream();
};
} // namespace ZQ
