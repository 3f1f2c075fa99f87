#include "Platform/Driver/DriverWire.h"

#include "Platform/Io/UnixSocket.h"
#include "Platform/Text/Utf.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sys/socket.h>
#include <unistd.h>

namespace Platform::DriverWire
{
std::optional<ProgramMessage> ReadProgramMessage(std::span<const uint8_t> packet)
{
    Reader reader(packet);
    ProgramMessage message;
    message.type = reader.U32();
    switch (message.type)
    {
    case Hello:
        break;
    case Request:
    {
        message.seq = reader.U32();
        message.ioControlCode = reader.U32();
        const uint32_t inSize = reader.U32();
        const uint32_t outSize = reader.U32();
        message.input = reader.Bytes(inSize);
        message.output = reader.Bytes(outSize);
        break;
    }
    case WriteData:
        message.writeId = reader.U32();
        message.offset = reader.U32();
        message.last = reader.U32() != 0;
        message.bytes = reader.Rest();
        break;
    default:
        return std::nullopt;
    }
    if (reader.Failed())
        return std::nullopt;
    return message;
}

std::optional<DeviceMessage> ReadDeviceMessage(std::span<const uint8_t> packet)
{
    Reader reader(packet);
    DeviceMessage message;
    message.type = reader.U32();
    switch (message.type)
    {
    case HelloReply:
        message.accepted = reader.U32() != 0;
        break;
    case Reply:
        message.seq = reader.U32();
        message.ok = reader.U32() != 0;
        message.bytesReturned = reader.U32();
        message.flags = reader.U32();
        message.writeId = reader.U32();
        message.output = reader.Bytes(reader.U32());
        message.readData = reader.Rest();
        break;
    case Release:
        message.writeId = reader.U32();
        break;
    case Signal:
        message.eventHandle = reader.U64();
        break;
    default:
        return std::nullopt;
    }
    if (reader.Failed())
        return std::nullopt;
    return message;
}

bool SendAll(int socket, const std::vector<uint8_t>& packet)
{
    for (;;)
    {
        const ssize_t sent = ::send(socket, packet.data(), packet.size(), MSG_NOSIGNAL);
        if (sent == static_cast<ssize_t>(packet.size()))
            return true;
        if (sent < 0 && errno == EINTR)
            continue;
        return false;
    }
}

std::string SocketFolder()
{
    if (const char* folder = std::getenv("ZQ_DRIVER_DIR"); folder && *folder)
        return folder;
    if (const char* folder = std::getenv("ZQ_MIDI_DIR"); folder && *folder)
        return folder;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return std::string(runtime) + "/zq-midi";
    return "/tmp/zq-midi-" + std::to_string(getuid());
}

namespace
{
bool IsSafe(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-';
}

uint64_t Fnv1a(const std::string& text)
{
    uint64_t hash = 0xcbf29ce484222325ull;
    for (unsigned char c : text)
    {
        hash ^= c;
        hash *= 0x100000001b3ull;
    }
    return hash;
}
} // namespace

std::string SocketPathFor(const std::u16string& devicePath, const std::string& folder)
{
    const std::string utf8 = Platform::Utf16ToUtf8(devicePath);
    // A leading '.' would make a hidden file or name the folder itself.
    std::string name = utf8.empty() || utf8[0] == '.' ? "_" : "";
    for (unsigned char c : utf8)
    {
        if (IsSafe(c))
        {
            name += static_cast<char>(c);
        }
        else
        {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            name += escaped;
        }
    }
    const std::string suffix = ".drv";
    const size_t limit = Io::kMaxSocketPathLength;
    std::string path = folder + "/" + name + suffix;
    if (path.size() <= limit)
        return path;

    char hash[24];
    std::snprintf(hash, sizeof hash, "~%016llx", static_cast<unsigned long long>(Fnv1a(utf8)));
    const size_t fixed = folder.size() + 1 + std::string(hash).size() + suffix.size();
    const size_t keep = fixed < limit ? limit - fixed : 0;
    return folder + "/" + name.substr(0, keep) + hash + suffix;
}

std::string SocketPathFor(const std::u16string& devicePath)
{
    return SocketPathFor(devicePath, SocketFolder());
}
} // namespace Platform::DriverWire
