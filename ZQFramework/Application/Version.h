#pragma once

#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>
#include <memory>
#include <string_view>

namespace ZQ
{
// Reads the version resource of a program file, picks the translation that best fits the user's
// language and answers the strings of that translation. Each request builds one on the stack, asks it
// one string and drops it, so the resource is read afresh every time; never copied.
class Version
{
public:
    // One entry of a translation table: a language identifier and a code page.
    struct Translation
    {
        uint16_t language;
        uint16_t codePage;
    };

    // One string of a version resource, in the string table of one translation.
    struct StringEntry
    {
        uint16_t language;
        uint16_t codePage;
        const char* key;
        const char16_t* value;
    };

    // A program file's version resource. A null `translations` means the resource has no translation
    // table at all (a table with no entries has a pointer and a count of 0).
    struct Resource
    {
        const Translation* translations;
        uint32_t translationCount;
        const StringEntry* strings;
        uint32_t stringCount;
    };

    // The services of the system that version information rests on. Tests put their own in place; a
    // null member keeps the program's own service.
    struct Platform
    {
        // The module's full path into buffer (at most size characters, terminated); 0 on failure.
        uint32_t (*getModuleFileName)(const void* module, char16_t* buffer, uint32_t size);
        // The version resource of a program file found by its name alone; null when it has none.
        const Resource* (*findResource)(std::u16string_view fileName);
        uint16_t (*getUserDefaultLangID)();
        uint16_t (*getSystemDefaultLangID)();
    };

    // module: the program's instance handle, or null; both mean the program's own file.
    explicit Version(const void* module);
    ~Version();
    Version(const Version&) = delete;
    Version& operator=(const Version&) = delete;

    [[nodiscard]] WString GetCompanyName() const;
    [[nodiscard]] WString GetProductName() const;
    [[nodiscard]] WString GetProductVersion() const;
    // The value of key in the chosen translation's string table; empty when it has none.
    [[nodiscard]] WString GetString(const char* key) const;

    // Installs replacement services; null restores the program's own (its path from /proc/self/exe,
    // the version table compiled into it, the languages of the POSIX locale variables).
    static void SetPlatform(const Platform* platform);
    // The Windows language identifier of a POSIX locale name such as "de_DE.UTF-8"; "C", "POSIX" and the
    // empty name are US English, an unknown language is 0 (neutral).
    [[nodiscard]] static uint16_t LanguageFromLocaleName(std::string_view localeName);

private:
    std::unique_ptr<uint8_t[]> mBlock;
    const uint8_t* mTranslation = nullptr; // the chosen entry of the block's translation table
};
} // namespace ZQ
