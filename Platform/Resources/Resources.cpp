#include "Platform/Resources/Resources.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace Platform
{
namespace
{
struct Registry
{
    std::mutex lock;
    std::vector<std::span<const EmbeddedResource>> tables; // guarded by lock
};

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

bool KeyEquals(std::u16string_view key, const char* registered)
{
    const std::string_view other(registered);
    return std::equal(key.begin(), key.end(), other.begin(), other.end(),
                      [](char16_t a, char b) { return a == static_cast<unsigned char>(b); });
}
} // namespace

ResourceRegistration::ResourceRegistration(const EmbeddedResource* resources, size_t count)
{
    Registry& registry = TheRegistry();
    const std::lock_guard guard(registry.lock);
    registry.tables.emplace_back(resources, count);
}

std::u16string ResourceKey(std::u16string_view name)
{
    std::u16string key(name);
    for (char16_t& c : key)
    {
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - u'a' + u'A');
        else if (c == u'.' || c == u' ')
            c = u'_';
    }
    return key;
}

std::optional<std::span<const uint8_t>> FindResource(std::u16string_view type, std::u16string_view name)
{
    const std::u16string typeKey = ResourceKey(type);
    const std::u16string nameKey = ResourceKey(name);
    Registry& registry = TheRegistry();
    const std::lock_guard guard(registry.lock);
    for (const auto& table : registry.tables)
    {
        for (const EmbeddedResource& resource : table)
        {
            if (KeyEquals(typeKey, resource.type) && KeyEquals(nameKey, resource.name))
                return std::span<const uint8_t>(resource.bytes, resource.size);
        }
    }
    return std::nullopt;
}
} // namespace Platform
