#include "Platform/Registry/Registry.h"

#include "Platform/Bytes/LittleEndian.h"
#include "Platform/Registry/RegistryStore.h"
#include "Platform/Registry/TemporaryFiles.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace Platform
{
namespace
{
using namespace RegistryStore;

// A value file: the magic "ZQRV", the type as 32-bit little-endian, then the value's bytes.
constexpr char kMagic[4] = {'Z', 'Q', 'R', 'V'};
constexpr size_t kHeaderSize = 8;

// Prefixes of the names that a value being written and a key being deleted have meanwhile.
constexpr std::string_view kValueTemporaryPrefix = ".tmp.";
constexpr std::string_view kDeletedKeyPrefix = ".del.";

std::atomic<uint32_t> gTempCounter{0};

std::string TempName(std::string_view prefix)
{
    return TemporaryNamePrefix(prefix) + std::to_string(++gTempCounter);
}

int OpenFolderAt(int dirFd, const char* name)
{
    return ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
}

// Serialises changes of one key folder between threads and processes, so that two writers never make two
// entries whose names differ only in case. Each lock opens the folder afresh: flock excludes open file
// descriptions, not processes.
class FolderLock
{
public:
    explicit FolderLock(int dirFd) : mFd(OpenFolderAt(dirFd, "."))
    {
        if (mFd >= 0)
            while (::flock(mFd, LOCK_EX) != 0 && errno == EINTR)
            {
            }
    }
    ~FolderLock()
    {
        if (mFd >= 0)
            ::close(mFd);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    const int mFd;
};

// The stored file name of the subkey (key true) or value file matching fileName, or empty.
std::string FindEntry(int dirFd, const std::string& fileName, bool key)
{
    struct stat st
    {
    };
    if (::fstatat(dirFd, fileName.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode) == key)
        return fileName;
    return FindEntryNamed(dirFd, fileName, key);
}

int32_t Missing(const KeyFolder& folder)
{
    return folder.IsDeleted() ? RegKeyDeleted : RegFileNotFound;
}

// Splits a key path at '\' into encoded file names; false when a part cannot be a file name.
bool SplitKeyPath(std::u16string_view path, std::vector<std::string>* parts)
{
    size_t start = 0;
    while (start <= path.size())
    {
        size_t end = path.find(u'\\', start);
        if (end == std::u16string_view::npos)
            end = path.size();
        if (end > start)
        {
            std::string encoded = EncodeName(path.substr(start, end - start));
            if (encoded.empty())
                return false;
            parts->push_back(std::move(encoded));
        }
        start = end + 1;
    }
    return true;
}

// Opens (or with create, makes) one subkey folder of parent.
int32_t StepInto(const KeyFolder& parent, const std::string& part, bool create, bool* created, int* fd)
{
    *created = false;
    if (!create)
    {
        const std::string stored = FindEntry(parent.Fd(), part, true);
        if (stored.empty())
            return Missing(parent);
        *fd = OpenFolderAt(parent.Fd(), stored.c_str());
        return *fd >= 0 ? RegSuccess : ResultFromErrno(errno, parent.Fd());
    }
    FolderLock lock(parent.Fd());
    if (parent.IsDeleted())
        return RegKeyDeleted;
    std::string stored = FindEntry(parent.Fd(), part, true);
    if (stored.empty())
    {
        if (::mkdirat(parent.Fd(), part.c_str(), 0700) != 0)
            return ResultFromErrno(errno, parent.Fd());
        stored = part;
        *created = true;
    }
    *fd = OpenFolderAt(parent.Fd(), stored.c_str());
    return *fd >= 0 ? RegSuccess : ResultFromErrno(errno, parent.Fd());
}

int32_t OpenPath(RegKey parentKey, std::u16string_view subKey, bool create,
                 std::shared_ptr<KeyFolder>* result, bool* created)
{
    int32_t error = RegSuccess;
    std::shared_ptr<KeyFolder> current = Resolve(parentKey, &error);
    if (!current)
        return error;
    if (current->IsDeleted())
        return RegKeyDeleted;
    std::vector<std::string> parts;
    if (!SplitKeyPath(subKey, &parts))
        return RegInvalidParameter;
    bool made = false;
    if (parts.empty())
    {
        const int fd = OpenFolderAt(current->Fd(), ".");
        if (fd < 0)
            return ResultFromErrno(errno, current->Fd());
        current = std::make_shared<KeyFolder>(fd);
    }
    for (const std::string& part : parts)
    {
        int fd = -1;
        error = StepInto(*current, part, create, &made, &fd);
        if (error != RegSuccess)
            return error;
        current = std::make_shared<KeyFolder>(fd);
    }
    *result = std::move(current);
    if (created != nullptr)
        *created = made;
    return RegSuccess;
}

// Opens (or with create, makes) subKey below parentKey and gives a new handle on it.
int32_t OpenHandle(RegKey parentKey, std::u16string_view subKey, bool create, RegKey* result, bool* created)
{
    if (result == nullptr)
        return RegInvalidParameter;
    std::shared_ptr<KeyFolder> folder;
    const int32_t error = OpenPath(parentKey, subKey, create, &folder, created);
    if (error != RegSuccess)
        return error;
    *result = AddHandle(std::move(folder));
    return RegSuccess;
}

// Reads a regular file whole; false for anything else (a FIFO, a device, a socket) or a failed read.
bool ReadAll(int fd, std::vector<uint8_t>* bytes)
{
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    bytes->resize(static_cast<size_t>(st.st_size));
    size_t done = 0;
    while (done < bytes->size())
    {
        const ssize_t n = ::read(fd, bytes->data() + done, bytes->size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool WriteAll(int fd, const uint8_t* data, size_t size)
{
    while (size > 0)
    {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Reads a value file whole: its type and bytes. RegCantRead when the file is not a value.
int32_t ReadValueFile(const KeyFolder& folder, const std::string& stored, uint32_t* type,
                      std::vector<uint8_t>* bytes)
{
    // Opened without waiting, so that a FIFO or a device in a value's place is refused at once instead of
    // blocking until another process opens its other end.
    const int fd = ::openat(folder.Fd(), stored.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return ResultFromErrno(errno, folder.Fd());
    std::vector<uint8_t> file;
    const bool read = ReadAll(fd, &file);
    ::close(fd);
    if (!read || file.size() < kHeaderSize || std::memcmp(file.data(), kMagic, sizeof kMagic) != 0)
        return RegCantRead;
    *type = LittleEndian::GetU32(file.data() + 4);
    bytes->assign(file.begin() + kHeaderSize, file.end());
    return RegSuccess;
}

// The folder of key and the file name of its value name; invalidName when the name cannot be one.
int32_t ValueFile(RegKey key, std::u16string_view name, int32_t invalidName,
                  std::shared_ptr<KeyFolder>* folder, std::string* fileName)
{
    int32_t error = RegSuccess;
    *folder = Resolve(key, &error);
    if (!*folder)
        return error;
    const std::string encoded = EncodeName(name);
    if (encoded.empty() && !name.empty())
        return invalidName;
    *fileName = kValuePrefix + encoded;
    return RegSuccess;
}

// The index-th subkey (keys true) or value file of the key, in case-insensitive order, with its folder.
int32_t EntryAt(RegKey key, uint32_t index, bool keys, std::shared_ptr<KeyFolder>* folder, std::string* entry)
{
    int32_t error = RegSuccess;
    *folder = Resolve(key, &error);
    if (!*folder)
        return error;
    if ((*folder)->IsDeleted())
        return RegKeyDeleted;
    std::vector<std::string> entries = ListEntries((*folder)->Fd(), keys);
    if (index >= entries.size())
        return RegNoMoreItems;
    *entry = std::move(entries[index]);
    return RegSuccess;
}

// Marks the folder name below dirFd and every folder below it as deleted.
void MarkTree(int dirFd, const std::string& name)
{
    const int fd = OpenFolderAt(dirFd, name.c_str());
    if (fd < 0)
        return;
    const int marker = ::openat(fd, kDeletedMarker, O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (marker >= 0)
        ::close(marker);
    for (const std::string& entry : ListEntries(fd, true))
        MarkTree(fd, entry);
    ::close(fd);
}

void RemoveTree(int dirFd, const std::string& name)
{
    const int fd = OpenFolderAt(dirFd, name.c_str());
    if (fd < 0)
        return;
    // A writer still holding a handle on the key may drop a file in while we work; a few passes clear it.
    for (int pass = 0; pass < 5; ++pass)
    {
        std::vector<std::string> entries;
        ForEachEntry(fd, [&](int, const dirent& entry) { entries.emplace_back(entry.d_name); });
        for (const std::string& entry : entries)
            if (::unlinkat(fd, entry.c_str(), 0) != 0 && errno == EISDIR)
                RemoveTree(fd, entry);
        if (::unlinkat(dirFd, name.c_str(), AT_REMOVEDIR) == 0 || errno != ENOTEMPTY)
            break;
    }
    ::close(fd);
}
} // namespace

int32_t RegistryOpenKey(RegKey parent, std::u16string_view subKey, uint32_t /*access*/, RegKey* result)
{
    return OpenHandle(parent, subKey, false, result, nullptr);
}

int32_t RegistryCreateKey(RegKey parent, std::u16string_view subKey, uint32_t /*access*/, RegKey* result,
                          bool* created)
{
    return OpenHandle(parent, subKey, true, result, created);
}

int32_t RegistryCloseKey(RegKey key)
{
    if (key == RegClassesRoot || key == RegCurrentUser || key == RegLocalMachine || key == RegUsers)
        return RegSuccess;
    return RemoveHandle(key) ? RegSuccess : RegInvalidHandle;
}

int32_t RegistryQueryValue(RegKey key, std::u16string_view name, uint32_t* type, void* data, uint32_t* size)
{
    if (data != nullptr && size == nullptr)
        return RegInvalidParameter;
    std::shared_ptr<KeyFolder> folder;
    std::string fileName;
    int32_t error = ValueFile(key, name, RegFileNotFound, &folder, &fileName);
    if (error != RegSuccess)
        return error;
    const std::string stored = FindEntry(folder->Fd(), fileName, false);
    if (stored.empty())
        return Missing(*folder);
    uint32_t storedType = RegNone;
    std::vector<uint8_t> bytes;
    error = ReadValueFile(*folder, stored, &storedType, &bytes);
    if (error != RegSuccess)
        return error;
    if (bytes.size() > UINT32_MAX)
        return RegCantRead;
    const auto needed = static_cast<uint32_t>(bytes.size());
    if (type != nullptr)
        *type = storedType;
    if (data != nullptr)
    {
        if (*size < needed)
        {
            *size = needed;
            return RegMoreData;
        }
        if (needed > 0)
            std::memcpy(data, bytes.data(), needed);
    }
    if (size != nullptr)
        *size = needed;
    return RegSuccess;
}

int32_t RegistrySetValue(RegKey key, std::u16string_view name, uint32_t type, const void* data, uint32_t size)
{
    if (data == nullptr && size > 0)
        return RegInvalidParameter;
    std::shared_ptr<KeyFolder> folder;
    std::string fileName;
    int32_t error = ValueFile(key, name, RegInvalidParameter, &folder, &fileName);
    if (error != RegSuccess)
        return error;

    std::vector<uint8_t> file(kHeaderSize + size);
    std::memcpy(file.data(), kMagic, sizeof kMagic);
    LittleEndian::StoreU32(file.data() + 4, type);
    if (size > 0)
        std::memcpy(file.data() + kHeaderSize, data, size);

    FolderLock lock(folder->Fd());
    if (folder->IsDeleted())
        return RegKeyDeleted;
    // Writes of this folder hold its lock, but a writer killed half-way left its temporary file behind.
    RemoveStaleTemporaries(folder->Fd(), kValueTemporaryPrefix);
    std::string stored = FindEntry(folder->Fd(), fileName, false);
    if (stored.empty())
        stored = fileName;
    const std::string temp = TempName(kValueTemporaryPrefix);
    const int fd = ::openat(folder->Fd(), temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return ResultFromErrno(errno, folder->Fd());
    const bool written = WriteAll(fd, file.data(), file.size()) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::renameat(folder->Fd(), temp.c_str(), folder->Fd(), stored.c_str()) != 0)
    {
        const int saved = errno;
        ::unlinkat(folder->Fd(), temp.c_str(), 0);
        return folder->IsDeleted() ? RegKeyDeleted
                                   : (saved == ENOSPC ? RegCantWrite : ResultFromErrno(saved, -1));
    }
    // The value is in place; a folder that cannot be flushed only risks the rename at a power cut.
    (void)SyncFolder(folder->Fd());
    return RegSuccess;
}

int32_t RegistryDeleteValue(RegKey key, std::u16string_view name)
{
    std::shared_ptr<KeyFolder> folder;
    std::string fileName;
    int32_t error = ValueFile(key, name, RegFileNotFound, &folder, &fileName);
    if (error != RegSuccess)
        return error;
    FolderLock lock(folder->Fd());
    const std::string stored = FindEntry(folder->Fd(), fileName, false);
    if (stored.empty())
        return Missing(*folder);
    if (::unlinkat(folder->Fd(), stored.c_str(), 0) != 0)
        return ResultFromErrno(errno, folder->Fd());
    return RegSuccess;
}

int32_t RegistryDeleteKey(RegKey parent, std::u16string_view subKey)
{
    std::vector<std::string> parts;
    if (!SplitKeyPath(subKey, &parts) || parts.empty())
        return RegInvalidParameter;
    const size_t lastSeparator = subKey.find_last_of(u'\\', subKey.find_last_not_of(u'\\'));
    const std::u16string_view parentPath =
        lastSeparator == std::u16string_view::npos ? std::u16string_view{} : subKey.substr(0, lastSeparator);
    std::shared_ptr<KeyFolder> folder;
    const int32_t error = OpenPath(parent, parentPath, false, &folder, nullptr);
    if (error != RegSuccess)
        return error;
    // The key leaves its place in one rename, so nobody finds it half deleted; then every folder of it is
    // marked, which ends the handles and watches still on it, and it is emptied.
    const std::string doomed = TempName(kDeletedKeyPrefix);
    {
        FolderLock lock(folder->Fd());
        const std::string stored = FindEntry(folder->Fd(), parts.back(), true);
        if (stored.empty())
            return Missing(*folder);
        if (::renameat(folder->Fd(), stored.c_str(), folder->Fd(), doomed.c_str()) != 0)
            return ResultFromErrno(errno, folder->Fd());
    }
    MarkTree(folder->Fd(), doomed);
    RemoveTree(folder->Fd(), doomed);
    return RegSuccess;
}

int32_t RegistryEnumKey(RegKey key, uint32_t index, std::u16string* name)
{
    if (name == nullptr)
        return RegInvalidParameter;
    std::shared_ptr<KeyFolder> folder;
    std::string entry;
    const int32_t error = EntryAt(key, index, true, &folder, &entry);
    if (error == RegSuccess)
        *name = DecodeName(entry);
    return error;
}

int32_t RegistryEnumValue(RegKey key, uint32_t index, std::u16string* name, uint32_t* type)
{
    if (name == nullptr)
        return RegInvalidParameter;
    std::shared_ptr<KeyFolder> folder;
    std::string entry;
    int32_t error = EntryAt(key, index, false, &folder, &entry);
    if (error != RegSuccess)
        return error;
    *name = DecodeName(std::string_view(entry).substr(1));
    if (type != nullptr)
    {
        std::vector<uint8_t> bytes;
        error = ReadValueFile(*folder, entry, type, &bytes);
    }
    return error;
}
} // namespace Platform
