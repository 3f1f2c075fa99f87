#include "Platform/Registry/Registry.h"
#include "Platform/Registry/RegistryValues.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
// A private registry, made on first use and removed at exit, with one key whose value file "v" each
// input replaces.
struct FuzzRegistry
{
    FuzzRegistry()
    {
        char pattern[] = "/tmp/zq-registry-fuzzer-XXXXXX";
        root = ::mkdtemp(pattern);
        ::setenv("ZQ_REGISTRY_ROOT", root.c_str(), 1);
        const uint32_t seed = 0;
        if (Platform::RegistryCreateKey(Platform::RegCurrentUser, u"Fuzz", Platform::RegKeyAllAccess, &key) !=
                Platform::RegSuccess ||
            Platform::RegistrySetValue(key, u"v", Platform::RegDword, &seed, sizeof seed) !=
                Platform::RegSuccess)
            __builtin_trap();
        valueFile = root + "/HKEY_CURRENT_USER/Fuzz/@v";
        if (!std::filesystem::is_regular_file(valueFile))
            __builtin_trap(); // the store's layout changed: the fuzzer must follow it
    }
    ~FuzzRegistry()
    {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }

    std::string root;
    std::string valueFile;
    Platform::RegKey key = 0;
};

void Replace(const std::string& path, const uint8_t* data, size_t size)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        __builtin_trap();
    if (size > 0 && std::fwrite(data, 1, size, file) != size)
        __builtin_trap();
    std::fclose(file);
}
} // namespace

// Feeds arbitrary bytes to the registry as the file of a stored value (another process, an old version
// or a damaged disk may have left anything there) and reads the value every way the program does: a file
// that is no value must be refused, one that is must give back exactly its bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzRegistry registry;
    Replace(registry.valueFile, data, size);
    const bool isValue = size >= 8 && std::memcmp(data, "ZQRV", 4) == 0;

    uint32_t type = 0;
    uint32_t needed = 0;
    const int32_t probed = Platform::RegistryQueryValue(registry.key, u"v", &type, nullptr, &needed);
    if ((probed == Platform::RegSuccess) != isValue)
        __builtin_trap();
    if (!isValue)
        return 0;
    if (needed != size - 8 ||
        type != (data[4] | data[5] << 8 | data[6] << 16 | static_cast<uint32_t>(data[7]) << 24))
        __builtin_trap();

    std::vector<uint8_t> bytes(needed);
    uint32_t capacity = needed;
    if (Platform::RegistryQueryValue(registry.key, u"v", &type, bytes.data(), &capacity) !=
            Platform::RegSuccess ||
        capacity != needed || (needed > 0 && std::memcmp(bytes.data(), data + 8, needed) != 0))
        __builtin_trap();
    if (needed > 0)
    {
        uint32_t small = needed - 1;
        if (Platform::RegistryQueryValue(registry.key, u"v", &type, bytes.data(), &small) !=
                Platform::RegMoreData ||
            small != needed)
            __builtin_trap();
    }

    std::vector<uint8_t> whole;
    if (Platform::RegistryReadValue(registry.key, u"v", &type, &whole) != Platform::RegSuccess ||
        whole != bytes)
        __builtin_trap();
    std::u16string name;
    if (Platform::RegistryEnumValue(registry.key, 0, &name, &type) != Platform::RegSuccess || name != u"v")
        __builtin_trap();
    // Every typed reader the program uses on it.
    (void)Platform::RegistryStringFromBytes(whole.data(), whole.size());
    std::u16string text;
    uint32_t dword = 0;
    (void)Platform::RegistryReadString(Platform::RegCurrentUser, u"Fuzz", u"v", &text);
    (void)Platform::RegistryReadDword(Platform::RegCurrentUser, u"Fuzz", u"v", &dword);
    (void)Platform::RegistryReadBinary(Platform::RegCurrentUser, u"Fuzz", u"v", &whole);
    return 0;
}
