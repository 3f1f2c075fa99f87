#include "Platform/Registry/RegistryStore.h"

#include "Platform/Text/Utf.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <map>
#include <mutex>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Platform::RegistryStore
{
namespace
{
constexpr size_t kMaxFileName = 255;

// The upper-case form of one UTF-16 unit, for the scripts whose letters pair simply: Latin (ASCII,
// Latin-1, Extended-A), Greek, Cyrillic and the full-width Latin letters. Other units stand for themselves.
char16_t UpperUnit(char16_t c)
{
    if ((c >= u'a' && c <= u'z') || (c >= 0x00E0 && c <= 0x00FE && c != 0x00F7) ||
        (c >= 0x03B1 && c <= 0x03CB && c != 0x03C2) || (c >= 0x0430 && c <= 0x044F) ||
        (c >= 0xFF41 && c <= 0xFF5A))
        return static_cast<char16_t>(c - 0x20);
    if (c == 0x00FF)
        return 0x0178;
    if (c == 0x03C2) // final sigma
        return 0x03A3;
    if (c >= 0x0450 && c <= 0x045F)
        return static_cast<char16_t>(c - 0x50);
    // Latin Extended-A pairs an upper-case letter with the next unit; the pairs start on an even unit
    // except from U+0139 to U+0148 and from U+0179 to U+017E.
    if (c >= 0x0100 && c <= 0x017F && c != 0x0130 && c != 0x0131 && c != 0x0138 && c != 0x0149 && c != 0x017F)
    {
        const bool oddPairs = (c >= 0x0139 && c <= 0x0148) || (c >= 0x0179 && c <= 0x017E);
        const bool lower = oddPairs ? (c % 2 == 0) : (c % 2 == 1);
        return lower ? static_cast<char16_t>(c - 1) : c;
    }
    return c;
}

// Whether entry of the folder fd is a subkey folder (keys true) or a value file.
bool IsEntryOfKind(int fd, const dirent& entry, bool keys)
{
    const std::string_view name = entry.d_name;
    if (name[0] == '.' || (name[0] == kValuePrefix) == keys)
        return false;
    bool isDir = entry.d_type == DT_DIR;
    if (entry.d_type == DT_UNKNOWN)
    {
        struct stat st
        {
        };
        isDir = ::fstatat(fd, entry.d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
    }
    return isDir == keys;
}

// The form of a stored name that comparisons and ordering use.
std::u16string FoldedName(std::string_view fileName)
{
    std::u16string name = DecodeName(fileName);
    for (char16_t& unit : name)
        unit = UpperUnit(unit);
    return name;
}

bool NeedsEscape(unsigned char byte, bool first)
{
    return byte < 0x20 || byte == 0x7F || byte == '%' || byte == '/' || byte == '\\' ||
           (first && (byte == '.' || byte == static_cast<unsigned char>(kValuePrefix)));
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool MkdirAll(const std::string& path)
{
    std::string partial;
    size_t pos = 0;
    while (pos <= path.size())
    {
        size_t next = path.find('/', pos);
        if (next == std::string::npos)
            next = path.size();
        partial = path.substr(0, next);
        if (!partial.empty() && ::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        pos = next + 1;
    }
    struct stat st
    {
    };
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The open handles of this process. Handles are never reused.
struct HandleTable
{
    std::mutex mutex;
    RegKey next = 0x1000;                              // guarded by mutex
    std::map<RegKey, std::shared_ptr<KeyFolder>> keys; // guarded by mutex
};

HandleTable& Handles()
{
    // Never destroyed, so that keys may be closed by static objects and threads until the process exits.
    static HandleTable* table = new HandleTable;
    return *table;
}

const char* HiveFolderName(RegKey key)
{
    switch (key)
    {
    case RegClassesRoot:
        return "HKEY_CLASSES_ROOT";
    case RegCurrentUser:
        return "HKEY_CURRENT_USER";
    case RegLocalMachine:
        return "HKEY_LOCAL_MACHINE";
    case RegUsers:
        return "HKEY_USERS";
    default:
        return nullptr;
    }
}
} // namespace

KeyFolder::~KeyFolder()
{
    ::close(mFd);
}

bool KeyFolder::IsDeleted() const
{
    return IsDeletedFolder(mFd);
}

bool IsDeletedFolder(int dirFd)
{
    struct stat st
    {
    };
    if (::fstat(dirFd, &st) != 0 || st.st_nlink == 0)
        return true;
    return ::fstatat(dirFd, kDeletedMarker, &st, AT_SYMLINK_NOFOLLOW) == 0;
}

std::shared_ptr<KeyFolder> Resolve(RegKey key, int32_t* error)
{
    if (const char* hive = HiveFolderName(key))
    {
        const std::string path = RegistryRootFolder() + "/" + hive;
        if (!MkdirAll(path))
        {
            *error = RegAccessDenied;
            return nullptr;
        }
        const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
        {
            *error = RegAccessDenied;
            return nullptr;
        }
        return std::make_shared<KeyFolder>(fd);
    }
    HandleTable& table = Handles();
    std::lock_guard lock(table.mutex);
    const auto found = table.keys.find(key);
    if (found == table.keys.end())
    {
        *error = RegInvalidHandle;
        return nullptr;
    }
    return found->second;
}

RegKey AddHandle(std::shared_ptr<KeyFolder> folder)
{
    HandleTable& table = Handles();
    std::lock_guard lock(table.mutex);
    const RegKey key = table.next;
    table.next += 4;
    table.keys.emplace(key, std::move(folder));
    return key;
}

bool RemoveHandle(RegKey key)
{
    std::shared_ptr<KeyFolder> folder;
    HandleTable& table = Handles();
    std::lock_guard lock(table.mutex);
    const auto found = table.keys.find(key);
    if (found == table.keys.end())
        return false;
    // The folder closes when its last user lets go, possibly outside this lock.
    folder = std::move(found->second);
    table.keys.erase(found);
    return true;
}

std::string EncodeName(std::u16string_view name)
{
    const std::string utf8 = Platform::Utf16ToUtf8(name);
    std::string out;
    out.reserve(utf8.size());
    static const char kHex[] = "0123456789ABCDEF";
    for (size_t i = 0; i < utf8.size(); ++i)
    {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (NeedsEscape(byte, i == 0))
        {
            out.push_back('%');
            out.push_back(kHex[byte >> 4]);
            out.push_back(kHex[byte & 0xF]);
        }
        else
        {
            out.push_back(static_cast<char>(byte));
        }
    }
    // One byte is kept for the value prefix.
    if (out.size() + 1 > kMaxFileName)
        return {};
    return out;
}

std::u16string DecodeName(std::string_view fileName)
{
    std::string bytes;
    bytes.reserve(fileName.size());
    for (size_t i = 0; i < fileName.size(); ++i)
    {
        if (fileName[i] == '%' && i + 2 < fileName.size() && HexDigit(fileName[i + 1]) >= 0 &&
            HexDigit(fileName[i + 2]) >= 0)
        {
            bytes.push_back(static_cast<char>(HexDigit(fileName[i + 1]) * 16 + HexDigit(fileName[i + 2])));
            i += 2;
        }
        else
        {
            bytes.push_back(fileName[i]);
        }
    }
    return Platform::Utf8ToUtf16(bytes);
}

void ForEachEntry(int dirFd, const std::function<void(int, const dirent&)>& visit)
{
    const int fd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr)
    {
        ::close(fd);
        return;
    }
    while (const dirent* entry = ::readdir(dir))
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            visit(fd, *entry);
    ::closedir(dir);
}

std::vector<std::string> ListEntries(int dirFd, bool keys)
{
    std::vector<std::pair<std::u16string, std::string>> sorted;
    ForEachEntry(dirFd,
                 [&](int fd, const dirent& entry)
                 {
                     if (IsEntryOfKind(fd, entry, keys))
                         sorted.emplace_back(FoldedName(entry.d_name), entry.d_name);
                 });
    std::sort(sorted.begin(), sorted.end());
    std::vector<std::string> names;
    names.reserve(sorted.size());
    for (auto& entry : sorted)
        names.push_back(std::move(entry.second));
    return names;
}

std::string FindEntryNamed(int dirFd, std::string_view fileName, bool keys)
{
    const std::u16string wanted = FoldedName(fileName);
    std::string found;
    ForEachEntry(dirFd,
                 [&](int fd, const dirent& entry)
                 {
                     if (found.empty() && IsEntryOfKind(fd, entry, keys) &&
                         FoldedName(entry.d_name) == wanted)
                         found = entry.d_name;
                 });
    return found;
}

int32_t ResultFromErrno(int error, int dirFd)
{
    if (dirFd >= 0 && IsDeletedFolder(dirFd))
        return RegKeyDeleted;
    switch (error)
    {
    case ENOENT:
    case ENOTDIR:
        return RegFileNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
        return RegAccessDenied;
    case ENOMEM:
        return RegOutOfMemory;
    case ENAMETOOLONG:
    case EINVAL:
        return RegInvalidParameter;
    default:
        return RegCantWrite;
    }
}
} // namespace Platform::RegistryStore

namespace Platform
{
std::string RegistryRootFolder()
{
    if (const char* root = std::getenv("ZQ_REGISTRY_ROOT"); root != nullptr && root[0] != '\0')
        return root;
    if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && state[0] == '/')
        return std::string(state) + "/zq-registry";
    std::string home;
    if (const char* env = std::getenv("HOME"); env != nullptr && env[0] != '\0')
    {
        home = env;
    }
    else
    {
        struct passwd pw
        {
        };
        struct passwd* found = nullptr;
        char buffer[4096];
        if (::getpwuid_r(::getuid(), &pw, buffer, sizeof buffer, &found) == 0 && found != nullptr)
            home = found->pw_dir;
        else
            home = "/tmp";
    }
    return home + "/.local/state/zq-registry";
}
} // namespace Platform
