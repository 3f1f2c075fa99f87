#include "Platform/Midi/MidiWire.h"

#include "Platform/Bytes/LittleEndian.h"
#include "Platform/Io/UniqueFd.h"
#include "Platform/Io/UnixSocket.h"
#include "Platform/Text/Utf.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace Platform::MidiWire
{
namespace
{
bool IsHexField(const std::string& text, size_t pos, size_t length)
{
    if (pos + length > text.size())
        return false;
    for (size_t i = pos; i < pos + length; ++i)
        if (!std::isxdigit(static_cast<unsigned char>(text[i])))
            return false;
    return true;
}

std::error_code LastError()
{
    return {errno, std::system_category()};
}

// Reads a regular file of at most `limit` bytes without blocking on anything else (a FIFO, a device)
// and without following a link; nothing when it is not one or holds more.
std::optional<std::vector<uint8_t>> ReadSmallFile(const std::string& path, size_t limit)
{
    Io::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    struct stat info
    {
    };
    if (!fd || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<uint64_t>(info.st_size) > limit)
        return std::nullopt;
    std::vector<uint8_t> bytes(limit + 1);
    size_t done = 0;
    while (done < bytes.size())
    {
        const ssize_t got = ::read(fd.Get(), bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        done += static_cast<size_t>(got);
    }
    if (done > limit)
        return std::nullopt;
    bytes.resize(done);
    return bytes;
}
} // namespace

std::vector<std::vector<uint8_t>> LongFrames(uint32_t sequence, std::span<const uint8_t> bytes)
{
    std::vector<std::vector<uint8_t>> frames;
    size_t offset = 0;
    do
    {
        const size_t part = std::min(kMaxLongPart, bytes.size() - offset);
        std::vector<uint8_t> frame;
        frame.reserve(kLongHeaderSize + part);
        frame.push_back(kFrameLong);
        LittleEndian::PutU32(frame, sequence);
        frame.push_back(offset + part == bytes.size() ? kLongFlagLast : 0);
        frame.insert(frame.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                     bytes.begin() + static_cast<std::ptrdiff_t>(offset + part));
        frames.push_back(std::move(frame));
        offset += part;
    } while (offset < bytes.size());
    return frames;
}

std::vector<uint8_t> ShortFrame(std::span<const uint8_t> bytes)
{
    std::vector<uint8_t> frame(1 + bytes.size());
    frame[0] = kFrameShort;
    std::copy(bytes.begin(), bytes.end(), frame.begin() + 1);
    return frame;
}

std::vector<uint8_t> DoneFrame(uint32_t sequence)
{
    std::vector<uint8_t> frame{kFrameDone};
    LittleEndian::PutU32(frame, sequence);
    return frame;
}

std::u16string CutName(const std::u16string& name)
{
    if (name.size() <= kMaxNameUnits)
        return name;
    size_t length = kMaxNameUnits;
    if (name[length - 1] >= 0xD800 && name[length - 1] <= 0xDBFF)
        --length;
    return name.substr(0, length);
}

std::optional<Frame> ReadFrame(std::span<const uint8_t> packet)
{
    if (packet.empty())
        return std::nullopt;
    Frame frame;
    frame.type = packet[0];
    switch (frame.type)
    {
    case kFrameShort:
        if (packet.size() < 2 || packet.size() > 4)
            return std::nullopt;
        frame.bytes = packet.subspan(1);
        return frame;
    case kFrameLong:
        if (packet.size() < kLongHeaderSize)
            return std::nullopt;
        frame.sequence = LittleEndian::GetU32(packet.data() + 1);
        frame.last = (packet[5] & kLongFlagLast) != 0;
        frame.bytes = packet.subspan(kLongHeaderSize);
        return frame;
    case kFrameDone:
        if (packet.size() < kDoneSize)
            return std::nullopt;
        frame.sequence = LittleEndian::GetU32(packet.data() + 1);
        return frame;
    case kFrameLongError:
        return frame;
    default:
        return std::nullopt;
    }
}

std::string PortFileName(bool input, uint64_t order, uint32_t pid, uint32_t counter)
{
    char name[kPortFileNameLength + 1];
    std::snprintf(name, sizeof(name), "%s-%016llx-%08x-%08x", input ? "in" : "out",
                  static_cast<unsigned long long>(order), pid, counter);
    return name;
}

bool IsPortFileName(const std::string& fileName, bool input)
{
    const std::string prefix = input ? "in-" : "out-";
    if (fileName.size() != prefix.size() + 16 + 1 + 8 + 1 + 8 ||
        fileName.compare(0, prefix.size(), prefix) != 0)
        return false;
    size_t pos = prefix.size();
    for (const size_t length : {16u, 8u, 8u})
    {
        if (!IsHexField(fileName, pos, length))
            return false;
        pos += length;
        if (pos < fileName.size() && fileName[pos++] != '-')
            return false;
    }
    return true;
}

std::string NameFilePath(const std::string& socketPath)
{
    return socketPath + kNameFileSuffix;
}

std::string NameFileContents(const std::u16string& name)
{
    return Platform::Utf16ToUtf8(CutName(name));
}

std::optional<std::u16string> NameFromContents(std::span<const uint8_t> contents)
{
    if (contents.size() > kMaxNameFileBytes)
        return std::nullopt;
    const std::string_view utf8(reinterpret_cast<const char*>(contents.data()), contents.size());
    return CutName(Platform::Utf8ToUtf16(utf8));
}

bool WriteNameFile(const std::string& socketPath, const std::u16string& name, std::error_code& error)
{
    const std::string path = NameFilePath(socketPath);
    const std::string contents = NameFileContents(name);
    Io::UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd)
    {
        error = LastError();
        return false;
    }
    if (::write(fd.Get(), contents.data(), contents.size()) != static_cast<ssize_t>(contents.size()))
    {
        error = errno != 0 ? LastError() : std::make_error_code(std::errc::io_error);
        fd.Reset();
        ::unlink(path.c_str());
        return false;
    }
    return true;
}

void RemovePortFiles(const std::string& socketPath)
{
    ::unlink(socketPath.c_str());
    ::unlink(NameFilePath(socketPath).c_str());
}

bool FolderHoldsPorts(const std::string& folder)
{
    return folder.size() + 1 + kPortFileNameLength <= Io::kMaxSocketPathLength;
}

std::vector<PortFile> ListPorts(const std::string& folder, bool input, std::vector<std::string>* problems)
{
    std::vector<std::string> found;
    if (DIR* dir = ::opendir(folder.c_str()))
    {
        while (const dirent* entry = ::readdir(dir))
            if (IsPortFileName(entry->d_name, input))
                found.emplace_back(entry->d_name);
        ::closedir(dir);
    }
    std::sort(found.begin(), found.end());
    std::vector<PortFile> ports;
    for (const auto& fileName : found)
    {
        const std::string path = folder + "/" + fileName;
        const auto isSocket = [&path]
        {
            struct stat info
            {
            };
            return ::lstat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
        };
        if (!isSocket())
            continue;
        const auto contents = ReadSmallFile(NameFilePath(path), kMaxNameFileBytes);
        const auto name = contents ? NameFromContents(*contents) : std::nullopt;
        if (name)
            ports.push_back({path, *name});
        // A port unpublished meanwhile takes its name file with it; only one still there is a fault.
        else if (problems && isSocket())
            problems->push_back("MIDI port " + path + " has no readable name file (" + NameFilePath(path) +
                                "); it is not listed");
    }
    return ports;
}

bool MakeFolder(const std::string& folder)
{
    if (folder.empty())
        return false;
    size_t pos = 0;
    while (pos != std::string::npos)
    {
        pos = folder.find('/', pos + 1);
        const std::string part = folder.substr(0, pos);
        if (!part.empty() && ::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    struct stat info
    {
    };
    return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}
} // namespace Platform::MidiWire
