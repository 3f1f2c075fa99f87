#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The registry: hives of keys holding typed values, shared by every process of the user.
//
// Keys are folders and values are files below one root folder (ZQ_REGISTRY_ROOT, else
// $XDG_STATE_HOME/zq-registry, else ~/.local/state/zq-registry). Names are stored as given and found
// without regard to case (of Latin, Greek and Cyrillic letters). A value is replaced as a whole (written
// aside, then renamed into place), so a reader in any process sees either the old or the new value, never
// part of one.
//
// The calls follow the manner of the classic registry API: results are its error numbers (0 success), an
// opened key is a handle that must be closed, a value is queried for its type and size first and then read.
// A handle keeps referring to the key it opened: once that key is deleted, every read through the handle
// fails with RegKeyDeleted, also when a key of the same name is made again.
namespace Platform
{
using RegKey = intptr_t;

// The predefined roots, numbered as the original's (sign-extended, as a 64-bit handle holds them).
inline constexpr RegKey RegClassesRoot = static_cast<int32_t>(0x80000000u);
inline constexpr RegKey RegCurrentUser = static_cast<int32_t>(0x80000001u);
inline constexpr RegKey RegLocalMachine = static_cast<int32_t>(0x80000002u);
inline constexpr RegKey RegUsers = static_cast<int32_t>(0x80000003u);

// Value types, with the original's numbers.
enum RegType : uint32_t
{
    RegNone = 0,
    RegSz = 1,
    RegExpandSz = 2,
    RegBinary = 3,
    RegDword = 4,
    RegDwordBigEndian = 5,
    RegLink = 6,
    RegMultiSz = 7,
    RegQword = 11,
};

// Results, with the original's error numbers.
enum RegResult : int32_t
{
    RegSuccess = 0,
    RegFileNotFound = 2,
    RegAccessDenied = 5,
    RegInvalidHandle = 6,
    RegOutOfMemory = 14,
    RegInvalidParameter = 87,
    RegMoreData = 234,
    RegNoMoreItems = 259,
    RegCantRead = 1012,
    RegCantWrite = 1013,
    RegKeyDeleted = 1018,
};

// Access rights and view flags as the original numbers them. Every handle may read and write; the views
// are one and the same here, so the WOW64 flags are accepted and ignored.
inline constexpr uint32_t RegKeyRead = 0x20019;
inline constexpr uint32_t RegKeyWrite = 0x20006;
inline constexpr uint32_t RegKeyAllAccess = 0xF003F;
inline constexpr uint32_t RegWow64_64Key = 0x0100;
inline constexpr uint32_t RegWow64_32Key = 0x0200;

// What a change watch reports (see RegistryWatch).
inline constexpr uint32_t RegNotifyName = 0x1;    // a subkey was added or removed
inline constexpr uint32_t RegNotifyLastSet = 0x4; // a value was set or removed

// The root folder the registry lives in, as the environment names it now (read at each call).
[[nodiscard]] std::string RegistryRootFolder();

// Opens the existing key subKey below parent (a root or an open key); subKey parts are separated by '\',
// empty parts are skipped, an empty subKey opens parent itself again. RegFileNotFound when it is missing.
[[nodiscard]] int32_t RegistryOpenKey(RegKey parent, std::u16string_view subKey, uint32_t access,
                                      RegKey* result);

// Opens subKey below parent, creating every missing part; created (optional) tells whether the last part
// was made by this call.
[[nodiscard]] int32_t RegistryCreateKey(RegKey parent, std::u16string_view subKey, uint32_t access,
                                        RegKey* result, bool* created = nullptr);

// Closes a handle from RegistryOpenKey or RegistryCreateKey; closing a root is a no-op.
int32_t RegistryCloseKey(RegKey key);

// Reads a value (name empty: the key's default value). type and size may be null. With data null only the
// type and the size in bytes are reported. With data given, *size is its capacity: RegMoreData (and the
// size needed in *size) when it is too small, else the bytes are copied and *size set to their count.
[[nodiscard]] int32_t RegistryQueryValue(RegKey key, std::u16string_view name, uint32_t* type, void* data,
                                         uint32_t* size);

// Replaces (or makes) a value. A value found under another case keeps its stored name.
[[nodiscard]] int32_t RegistrySetValue(RegKey key, std::u16string_view name, uint32_t type, const void* data,
                                       uint32_t size);

int32_t RegistryDeleteValue(RegKey key, std::u16string_view name);

// Deletes subKey below parent with all its values and subkeys. subKey must name a key (not be empty).
int32_t RegistryDeleteKey(RegKey parent, std::u16string_view subKey);

// The index-th subkey or value name, in case-insensitive name order; RegNoMoreItems past the last.
[[nodiscard]] int32_t RegistryEnumKey(RegKey key, uint32_t index, std::u16string* name);
[[nodiscard]] int32_t RegistryEnumValue(RegKey key, uint32_t index, std::u16string* name,
                                        uint32_t* type = nullptr);
} // namespace Platform
