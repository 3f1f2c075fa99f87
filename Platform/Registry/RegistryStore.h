#pragma once

#include "Platform/Registry/Registry.h"

#include <dirent.h>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Internals shared by the registry's sources: how names map to files, and what a handle refers to.
// Not for use outside Platform/Registry.
namespace Platform::RegistryStore
{
// An open key: a descriptor of its folder. The descriptor follows the folder itself, not its path, so a
// handle stays on its key when the key is deleted.
class KeyFolder
{
public:
    explicit KeyFolder(int fd) : mFd(fd) {}
    ~KeyFolder();
    KeyFolder(const KeyFolder&) = delete;
    KeyFolder& operator=(const KeyFolder&) = delete;

    [[nodiscard]] int Fd() const { return mFd; }
    // True once the folder has been removed from the store.
    [[nodiscard]] bool IsDeleted() const;

private:
    const int mFd;
};

// The folder of a root or of an open handle; null with *error set when the handle is unknown.
[[nodiscard]] std::shared_ptr<KeyFolder> Resolve(RegKey key, int32_t* error);

// Registers an open key and gives its new handle; RemoveHandle forgets it (false when it is unknown).
[[nodiscard]] RegKey AddHandle(std::shared_ptr<KeyFolder> folder);
bool RemoveHandle(RegKey key);

// A deleted key's folder holds this file from the moment it is deleted until it is gone: handles that
// still refer to the folder fail from then on, and watches on it learn of the deletion by its creation.
inline constexpr char kDeletedMarker[] = ".deleted";

// True when the folder dirFd was deleted (or is being deleted).
[[nodiscard]] bool IsDeletedFolder(int dirFd);

// A value file's name starts with this character; a subkey folder's name never does.
inline constexpr char kValuePrefix = '@';

// File name of a key or value name: the UTF-8 text with '%', '/', '\', control bytes and a leading '.' or
// '@' written as %XX (upper-case digits). Empty when the result would be too long for a file name.
[[nodiscard]] std::string EncodeName(std::u16string_view name);
[[nodiscard]] std::u16string DecodeName(std::string_view fileName);

// The stored file name of the subkey folder (keys true) or value file whose name matches fileName, or
// empty. Names match when their upper-case forms do (letters of Latin, Greek and Cyrillic script and
// full-width Latin pair up; other characters match only themselves).
[[nodiscard]] std::string FindEntryNamed(int dirFd, std::string_view fileName, bool keys);

// Calls visit with a descriptor of the folder and each of its entries but "." and "..".
void ForEachEntry(int dirFd, const std::function<void(int, const dirent&)>& visit);

// The file names of the subkey folders (keys true) or value files (keys false) in a key folder, in
// case-insensitive order.
[[nodiscard]] std::vector<std::string> ListEntries(int dirFd, bool keys);

// A result number for an errno of a call on the folder dirFd.
[[nodiscard]] int32_t ResultFromErrno(int error, int dirFd);
} // namespace Platform::RegistryStore
