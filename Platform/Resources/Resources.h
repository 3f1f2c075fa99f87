#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// Files compiled into the program, found by type and name. CMake's zq_embed_resources (cmake/Resources.cmake)
// turns files into byte arrays in a generated source of the program that registers them here before main
// runs; nothing is read from disk at run time.
//
// Types and names are keys after one rule: ASCII letters upper-cased, '.' and ' ' replaced by '_'
// ("Background Image.png" is BACKGROUND_IMAGE_PNG). The same name may exist under several types. Lookups
// are safe from any thread once main has started.
namespace Platform
{
// One embedded file, as the generated source lists it: type and name already keys.
struct EmbeddedResource
{
    const char* type;
    const char* name;
    const uint8_t* bytes;
    size_t size;
};

// A static object of the generated source: registers its resources for the lifetime of the program. Where
// two registrations hold the same type and name, the first one found wins (CMake refuses such duplicates
// within one program).
class ResourceRegistration
{
public:
    ResourceRegistration(const EmbeddedResource* resources, size_t count);
};

// The key of a type or name under the lookup rule.
[[nodiscard]] std::u16string ResourceKey(std::u16string_view name);

// The bytes of the resource of that type and name (both taken through the rule), or nothing when none is
// embedded. The bytes live as long as the program.
[[nodiscard]] std::optional<std::span<const uint8_t>> FindResource(std::u16string_view type,
                                                                   std::u16string_view name);
} // namespace Platform
