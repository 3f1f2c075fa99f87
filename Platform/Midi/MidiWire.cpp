#include "Platform/Midi/MidiWire.h"

#include "Platform/Bytes/LittleEndian.h"
#include "Platform/Text/Utf.h"

#include <algorithm>
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
bool NeedsEscape(unsigned char c)
{
    return c < 0x20 || c == 0x7F || c == '%' || c == '/' || c == '\\';
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool IsHexField(const std::string& text, size_t pos, size_t length)
{
    if (pos + length > text.size())
        return false;
    for (size_t i = pos; i < pos + length; ++i)
        if (HexValue(text[i]) < 0)
            return false;
    return true;
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

std::string PortFileName(bool input, uint64_t order, uint32_t pid, uint32_t counter,
                         const std::u16string& name)
{
    char prefix[64];
    std::snprintf(prefix, sizeof(prefix), "%s-%016llx-%08x-%08x-", input ? "in" : "out",
                  static_cast<unsigned long long>(order), pid, counter);
    std::string fileName = prefix;
    for (const char c : Platform::Utf16ToUtf8(CutName(name)))
    {
        const auto byte = static_cast<unsigned char>(c);
        if (NeedsEscape(byte))
        {
            char escaped[4];
            std::snprintf(escaped, sizeof(escaped), "%%%02X", byte);
            fileName += escaped;
        }
        else
        {
            fileName.push_back(c);
        }
    }
    return fileName;
}

bool ParsePortFileName(const std::string& fileName, bool input, std::u16string& name)
{
    const std::string prefix = input ? "in-" : "out-";
    if (fileName.compare(0, prefix.size(), prefix) != 0)
        return false;
    size_t pos = prefix.size();
    for (const size_t length : {16u, 8u, 8u})
    {
        if (!IsHexField(fileName, pos, length) || pos + length >= fileName.size() ||
            fileName[pos + length] != '-')
            return false;
        pos += length + 1;
    }
    std::string utf8;
    for (size_t i = pos; i < fileName.size(); ++i)
    {
        if (fileName[i] == '%' && i + 2 < fileName.size() && HexValue(fileName[i + 1]) >= 0 &&
            HexValue(fileName[i + 2]) >= 0)
        {
            utf8.push_back(static_cast<char>(HexValue(fileName[i + 1]) * 16 + HexValue(fileName[i + 2])));
            i += 2;
        }
        else
        {
            utf8.push_back(fileName[i]);
        }
    }
    name = CutName(Platform::Utf8ToUtf16(utf8));
    return true;
}

std::vector<PortFile> ListPorts(const std::string& folder, bool input)
{
    std::vector<std::pair<std::string, std::u16string>> found;
    if (DIR* dir = ::opendir(folder.c_str()))
    {
        while (const dirent* entry = ::readdir(dir))
        {
            std::u16string name;
            if (ParsePortFileName(entry->d_name, input, name))
                found.emplace_back(entry->d_name, std::move(name));
        }
        ::closedir(dir);
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<PortFile> ports;
    for (auto& [fileName, name] : found)
    {
        const std::string path = folder + "/" + fileName;
        struct stat info
        {
        };
        if (::stat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode))
            ports.push_back({path, std::move(name)});
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
