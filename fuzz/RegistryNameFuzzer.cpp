#include "Platform/Registry/Registry.h"
#include "Platform/Registry/RegistryStore.h"
#include "Platform/Text/Utf.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>

namespace
{
// A private registry, made on first use and removed at exit.
struct FuzzRegistry
{
    FuzzRegistry()
    {
        char pattern[] = "/tmp/zq-registry-fuzzer-XXXXXX";
        root = ::mkdtemp(pattern);
        ::setenv("ZQ_REGISTRY_ROOT", root.c_str(), 1);
    }
    ~FuzzRegistry()
    {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    std::string root;
};

// The name as the program holds names: UTF-16 code units, two bytes each, lowest first.
std::u16string Units(const uint8_t* data, size_t size)
{
    std::u16string name;
    for (size_t i = 0; i + 1 < size; i += 2)
        name.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
    return name;
}
} // namespace

// Feeds arbitrary names to the registry: as a stored file name (read back from a folder any process may
// have written), as a name that must map to one file and back, and as a key path and value name that the
// registry must create, find under another case, read and delete without leaving its folder.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzRegistry registry;
    using namespace Platform;
    (void)RegistryStore::DecodeName(std::string_view(reinterpret_cast<const char*>(data), size));

    const std::u16string name = Units(data, size);
    const std::string encoded = RegistryStore::EncodeName(name);
    if (!encoded.empty())
    {
        if (encoded.find('/') != std::string::npos || encoded[0] == '.' || encoded.size() >= 255 ||
            RegistryStore::DecodeName(encoded) != Utf8ToUtf16(Utf16ToUtf8(name)))
            __builtin_trap();
    }

    RegKey key = 0;
    const std::u16string path = u"Fuzz\\" + name;
    if (RegistryCreateKey(RegCurrentUser, path, RegKeyAllAccess, &key) == RegSuccess)
    {
        const uint32_t value = 0x11223344;
        if (RegistrySetValue(key, name, RegDword, &value, sizeof value) == RegSuccess)
        {
            uint32_t read = 0;
            uint32_t readSize = sizeof read;
            std::u16string upper = name;
            for (char16_t& unit : upper)
                unit = unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - 32) : unit;
            if (RegistryQueryValue(key, upper, nullptr, &read, &readSize) != RegSuccess || read != value)
                __builtin_trap();
        }
        std::u16string listed;
        (void)RegistryEnumValue(key, 0, &listed);
        RegistryCloseKey(key);
        RegKey again = 0;
        if (RegistryOpenKey(RegCurrentUser, path, RegKeyRead, &again) != RegSuccess)
            __builtin_trap();
        RegistryCloseKey(again);
    }
    std::u16string first;
    RegKey parent = 0;
    if (RegistryOpenKey(RegCurrentUser, u"Fuzz", RegKeyRead, &parent) == RegSuccess)
    {
        (void)RegistryEnumKey(parent, 0, &first);
        RegistryCloseKey(parent);
    }
    RegistryDeleteKey(RegCurrentUser, u"Fuzz");
    // Nothing may have been made outside the registry's own folder.
    for (const auto& entry : std::filesystem::directory_iterator(registry.root))
        if (entry.path().filename() != "HKEY_CURRENT_USER")
            __builtin_trap();
    return 0;
}
