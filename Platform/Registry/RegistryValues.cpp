#include "Platform/Registry/RegistryValues.h"

#include "Platform/Bytes/LittleEndian.h"
#include "Platform/Registry/RegistryStore.h"

namespace Platform
{
namespace
{
// Closes a handle when it goes out of scope.
class ScopedKey
{
public:
    ScopedKey() = default;
    ~ScopedKey()
    {
        if (mKey != 0)
            RegistryCloseKey(mKey);
    }
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;

    RegKey* Out() { return &mKey; }
    [[nodiscard]] RegKey Get() const { return mKey; }

private:
    RegKey mKey = 0;
};

int32_t Write(RegKey root, std::u16string_view keyPath, std::u16string_view name, uint32_t type,
              const void* data, size_t size)
{
    if (size > UINT32_MAX)
        return RegInvalidParameter;
    ScopedKey key;
    const int32_t error = RegistryCreateKey(root, keyPath, RegKeyAllAccess, key.Out());
    if (error != RegSuccess)
        return error;
    return RegistrySetValue(key.Get(), name, type, data, static_cast<uint32_t>(size));
}

int32_t Read(RegKey root, std::u16string_view keyPath, std::u16string_view name, uint32_t expectedType,
             std::vector<uint8_t>* bytes)
{
    ScopedKey key;
    int32_t error = RegistryOpenKey(root, keyPath, RegKeyRead, key.Out());
    if (error != RegSuccess)
        return error;
    uint32_t type = RegNone;
    error = RegistryReadValue(key.Get(), name, &type, bytes);
    if (error != RegSuccess)
        return error;
    return type == expectedType ? RegSuccess : RegCantRead;
}
} // namespace

int32_t RegistryWriteString(RegKey root, std::u16string_view keyPath, std::u16string_view name,
                            std::u16string_view text)
{
    const std::vector<uint8_t> bytes = RegistryStringBytes(text);
    return Write(root, keyPath, name, RegSz, bytes.data(), bytes.size());
}

int32_t RegistryWriteDword(RegKey root, std::u16string_view keyPath, std::u16string_view name, uint32_t value)
{
    uint8_t bytes[4];
    LittleEndian::StoreU32(bytes, value);
    return Write(root, keyPath, name, RegDword, bytes, sizeof bytes);
}

int32_t RegistryWriteBinary(RegKey root, std::u16string_view keyPath, std::u16string_view name,
                            const void* data, size_t size)
{
    return Write(root, keyPath, name, RegBinary, data, size);
}

int32_t RegistryReadString(RegKey root, std::u16string_view keyPath, std::u16string_view name,
                           std::u16string* text)
{
    std::vector<uint8_t> bytes;
    const int32_t error = Read(root, keyPath, name, RegSz, &bytes);
    if (error == RegSuccess)
        *text = RegistryStringFromBytes(bytes.data(), bytes.size());
    return error;
}

int32_t RegistryReadDword(RegKey root, std::u16string_view keyPath, std::u16string_view name, uint32_t* value)
{
    std::vector<uint8_t> bytes;
    const int32_t error = Read(root, keyPath, name, RegDword, &bytes);
    if (error != RegSuccess)
        return error;
    if (bytes.size() != 4)
        return RegCantRead;
    *value = LittleEndian::GetU32(bytes.data());
    return RegSuccess;
}

int32_t RegistryReadBinary(RegKey root, std::u16string_view keyPath, std::u16string_view name,
                           std::vector<uint8_t>* bytes)
{
    return Read(root, keyPath, name, RegBinary, bytes);
}

int32_t RegistryReadValue(RegKey key, std::u16string_view name, uint32_t* type, std::vector<uint8_t>* bytes)
{
    // The value may grow between asking for its size and reading it; ask again then, a few times.
    for (int attempt = 0;; ++attempt)
    {
        uint32_t size = 0;
        int32_t error = RegistryQueryValue(key, name, type, nullptr, &size);
        if (error != RegSuccess)
            return error;
        bytes->resize(size);
        error = RegistryQueryValue(key, name, type, bytes->data(), &size);
        if (error == RegMoreData && attempt < 8)
            continue;
        if (error == RegSuccess)
            bytes->resize(size);
        return error;
    }
}

std::vector<uint8_t> RegistryStringBytes(std::u16string_view text)
{
    std::vector<uint8_t> bytes;
    bytes.reserve((text.size() + 1) * 2);
    for (const char16_t unit : text)
        LittleEndian::PutU16(bytes, unit);
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

std::u16string RegistryStringFromBytes(const uint8_t* data, size_t size)
{
    std::u16string text;
    for (size_t i = 0; i + 1 < size; i += 2)
    {
        const auto unit = static_cast<char16_t>(LittleEndian::GetU16(data + i));
        if (unit == 0)
            break;
        text.push_back(unit);
    }
    return text;
}
} // namespace Platform
