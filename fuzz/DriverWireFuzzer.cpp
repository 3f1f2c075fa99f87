#include "Platform/Driver/DriverWire.h"
#include "Platform/Io/UnixSocket.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace
{
bool Within(std::span<const uint8_t> part, std::span<const uint8_t> whole)
{
    return part.empty() ||
           (part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size());
}
} // namespace

// Feeds arbitrary bytes to the readers of the driver's wire, both ways (either end may be something else
// listening on or connecting to the socket), and as a device path (the registry's "LastPath", which any
// process of the user may write) to the rule that names the device's socket. A message read lies within
// the packet; a socket path fits a socket address and stays in its folder.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace Platform::DriverWire;
    // A copy of exactly the given size, so that the sanitizer sees any read past its end.
    const std::vector<uint8_t> bytes(data, data + size);
    const std::span<const uint8_t> packet(bytes);

    if (const auto message = ReadProgramMessage(packet))
        if (!Within(message->input, packet) || !Within(message->output, packet) ||
            !Within(message->bytes, packet))
            __builtin_trap();
    if (const auto message = ReadDeviceMessage(packet))
        if (!Within(message->output, packet) || !Within(message->readData, packet))
            __builtin_trap();

    std::u16string devicePath;
    for (size_t i = 0; i + 1 < size; i += 2)
        devicePath.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
    const std::string folder = "/run/user/1000/zq-midi";
    const std::string path = SocketPathFor(devicePath, folder);
    if (path.size() > Platform::Io::kMaxSocketPathLength ||
        path.compare(0, folder.size() + 1, folder + "/") != 0 ||
        path.find('/', folder.size() + 1) != std::string::npos || path[folder.size() + 1] == '.')
        __builtin_trap();
    return 0;
}
