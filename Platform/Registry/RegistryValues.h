#pragma once

#include "Platform/Registry/Registry.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Typed shortcuts over the registry for tests and the simulator: write or read one value of a key named by
// a root and a path, creating the key path when writing. Strings are stored as the original stores REG_SZ:
// UTF-16LE with a terminating zero; DWORDs as four little-endian bytes.
namespace Platform
{
[[nodiscard]] int32_t RegistryWriteString(RegKey root, std::u16string_view keyPath, std::u16string_view name,
                                          std::u16string_view text);
[[nodiscard]] int32_t RegistryWriteDword(RegKey root, std::u16string_view keyPath, std::u16string_view name,
                                         uint32_t value);
[[nodiscard]] int32_t RegistryWriteBinary(RegKey root, std::u16string_view keyPath, std::u16string_view name,
                                          const void* data, size_t size);

// RegFileNotFound when the key or value is missing; RegCantRead when the value has another type (or, for a
// DWORD, another size). A string is read up to its first zero, or whole when it has none.
[[nodiscard]] int32_t RegistryReadString(RegKey root, std::u16string_view keyPath, std::u16string_view name,
                                         std::u16string* text);
[[nodiscard]] int32_t RegistryReadDword(RegKey root, std::u16string_view keyPath, std::u16string_view name,
                                        uint32_t* value);
[[nodiscard]] int32_t RegistryReadBinary(RegKey root, std::u16string_view keyPath, std::u16string_view name,
                                         std::vector<uint8_t>* bytes);

// Reads any value whole through an open key: its type and bytes (RegMoreData when it kept growing while
// being read).
[[nodiscard]] int32_t RegistryReadValue(RegKey key, std::u16string_view name, uint32_t* type,
                                        std::vector<uint8_t>* bytes);

// The byte forms of a REG_SZ value, and UTF-8 / UTF-16 conversion for callers that hold narrow text.
[[nodiscard]] std::vector<uint8_t> RegistryStringBytes(std::u16string_view text);
[[nodiscard]] std::u16string RegistryStringFromBytes(const uint8_t* data, size_t size);
} // namespace Platform
