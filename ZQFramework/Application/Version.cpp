#include "ZQFramework/Application/Version.h"

#include "Platform/Process/Process.h"
#include "ZQFramework/Application/FormatErrorIdText.h"
#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/Utilities/Storage/StringConversion.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>

namespace ZQ
{
namespace
{
using VersionTranslation = Version::Translation;
using VersionTableString = Version::StringEntry;

#include "Resources/Version/VersionTable.inc"

constexpr uint32_t MaxPath = 260;

// ---- The program's own services ----------------------------------------------------------------------

uint32_t OwnModuleFileName(const void*, char16_t* buffer, uint32_t size)
{
    const std::string path = Platform::ExecutablePath();
    if (path.empty() || size == 0)
        return 0;
    // Only the file name counts for the version lookup: a path too long for the buffer (folders here
    // may nest far deeper than 260 characters) gives up its folders, never the end of its name.
    std::string_view text(path);
    if (text.size() >= size)
        text.remove_prefix(text.find_last_of('/') + 1);
    const char* source = text.data();
    char16_t* target = buffer;
    // The last place keeps the terminator; a name that still does not fit is cut, as the system does.
    (void)Utf8ToUtf16(source, text.data() + text.size(), target, buffer + size - 1, ConversionMode::Lenient);
    *target = u'\0';
    return static_cast<uint32_t>(target - buffer);
}

std::u16string OwnFileName()
{
    char16_t buffer[MaxPath];
    const uint32_t length = OwnModuleFileName(nullptr, buffer, MaxPath);
    std::u16string name(buffer, length);
    const size_t slash = name.find_last_of(u"/\\");
    return slash == std::u16string::npos ? name : name.substr(slash + 1);
}

const Version::Resource* OwnResource(std::u16string_view fileName)
{
    static const Version::Resource resource{kVersionTranslations, std::size(kVersionTranslations),
                                            kVersionStrings, std::size(kVersionStrings)};
    // The system finds the file by name, beginning with the program's own folder: only the program
    // itself carries this table.
    static const std::u16string ownName = OwnFileName();
    return !fileName.empty() && fileName == ownName ? &resource : nullptr;
}

const char* LocaleVariable(std::initializer_list<const char*> names)
{
    for (const char* name : names)
    {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0')
            return value;
    }
    return "";
}

uint16_t UserLanguage()
{
    return Version::LanguageFromLocaleName(LocaleVariable({"LC_ALL", "LC_MESSAGES", "LANG"}));
}

uint16_t SystemLanguage()
{
    return Version::LanguageFromLocaleName(LocaleVariable({"LANG"}));
}

std::atomic<const Version::Platform*> gPlatform{nullptr};

// The installed services, each missing one replaced by the program's own.
Version::Platform CurrentPlatform()
{
    Version::Platform platform{&OwnModuleFileName, &OwnResource, &UserLanguage, &SystemLanguage};
    if (const Version::Platform* installed = gPlatform.load(std::memory_order_acquire))
    {
        if (installed->getModuleFileName != nullptr)
            platform.getModuleFileName = installed->getModuleFileName;
        if (installed->findResource != nullptr)
            platform.findResource = installed->findResource;
        if (installed->getUserDefaultLangID != nullptr)
            platform.getUserDefaultLangID = installed->getUserDefaultLangID;
        if (installed->getSystemDefaultLangID != nullptr)
            platform.getSystemDefaultLangID = installed->getSystemDefaultLangID;
    }
    return platform;
}

// ---- The version block -------------------------------------------------------------------------------
// Little-endian, field by field:
//   u32 total size, u32 1 when a translation table exists, u32 entry count, entries (u16 language,
//   u16 code page), u32 string count, strings (u32 path length, path, u32 value length, value; lengths
//   in UTF-16 units including the terminator; paths read \StringFileInfo\llllcccc\Key).

constexpr std::u16string_view TranslationPath = u"\\VarFileInfo\\Translation";

std::u16string HexWord(uint16_t value)
{
    static constexpr char16_t digits[] = u"0123456789abcdef";
    std::u16string text(4, u'0');
    for (int i = 3; i >= 0; --i, value >>= 4)
        text[static_cast<size_t>(i)] = digits[value & 0xF];
    return text;
}

std::u16string StringPath(uint16_t language, uint16_t codePage, std::string_view key)
{
    std::u16string path = u"\\StringFileInfo\\" + HexWord(language) + HexWord(codePage) + u"\\";
    for (char c : key)
        path += static_cast<char16_t>(static_cast<unsigned char>(c));
    return path;
}

class BlockWriter
{
public:
    explicit BlockWriter(uint8_t* out) : mOut(out) {}
    void U16(uint16_t value)
    {
        if (mOut != nullptr)
        {
            mOut[mSize] = static_cast<uint8_t>(value);
            mOut[mSize + 1] = static_cast<uint8_t>(value >> 8);
        }
        mSize += 2;
    }
    void U32(uint32_t value)
    {
        U16(static_cast<uint16_t>(value));
        U16(static_cast<uint16_t>(value >> 16));
    }
    void Text(std::u16string_view text)
    {
        U32(static_cast<uint32_t>(text.size() + 1));
        for (char16_t c : text)
            U16(c);
        U16(0);
    }
    [[nodiscard]] size_t Size() const { return mSize; }

private:
    uint8_t* mOut;
    size_t mSize = 0;
};

// Writes the block of a resource, or only measures it when out is null; gives its size.
size_t WriteBlock(const Version::Resource& resource, uint8_t* out)
{
    BlockWriter writer(out);
    writer.U32(0); // total size, filled in below
    writer.U32(resource.translations != nullptr ? 1 : 0);
    const uint32_t translationCount = resource.translations != nullptr ? resource.translationCount : 0;
    writer.U32(translationCount);
    for (uint32_t i = 0; i < translationCount; ++i)
    {
        writer.U16(resource.translations[i].language);
        writer.U16(resource.translations[i].codePage);
    }
    writer.U32(resource.strings != nullptr ? resource.stringCount : 0);
    for (uint32_t i = 0; resource.strings != nullptr && i < resource.stringCount; ++i)
    {
        const Version::StringEntry& entry = resource.strings[i];
        writer.Text(StringPath(entry.language, entry.codePage, entry.key));
        writer.Text(entry.value != nullptr ? std::u16string_view(entry.value) : std::u16string_view());
    }
    const size_t size = writer.Size();
    if (out != nullptr)
    {
        for (int i = 0; i < 4; ++i)
            out[i] = static_cast<uint8_t>(size >> (8 * i));
    }
    return size;
}

uint32_t GetFileVersionInfoSize(std::u16string_view fileName)
{
    const Version::Resource* resource = CurrentPlatform().findResource(fileName);
    if (resource == nullptr)
        return 0;
    const size_t size = WriteBlock(*resource, nullptr);
    return size > UINT32_MAX ? 0 : static_cast<uint32_t>(size);
}

bool GetFileVersionInfo(std::u16string_view fileName, uint32_t size, uint8_t* block)
{
    const Version::Resource* resource = CurrentPlatform().findResource(fileName);
    if (resource == nullptr || WriteBlock(*resource, nullptr) > size)
        return false;
    WriteBlock(*resource, block);
    return true;
}

class BlockReader
{
public:
    BlockReader(const uint8_t* block) : mBlock(block), mSize(4)
    {
        mSize = U32();
        mOffset = 4;
    }
    [[nodiscard]] bool Has(size_t bytes) const { return mOffset <= mSize && mSize - mOffset >= bytes; }
    uint32_t U32()
    {
        uint32_t value = 0;
        if (Has(4))
        {
            for (int i = 3; i >= 0; --i)
                value = (value << 8) | mBlock[mOffset + static_cast<size_t>(i)];
        }
        mOffset += 4;
        return value;
    }
    // A text of the block: where it starts and how many UTF-16 units it holds; false past the end.
    bool Text(const uint8_t*& start, uint32_t& length)
    {
        length = U32();
        if (!Has(size_t{length} * 2))
            return false;
        start = mBlock + mOffset;
        mOffset += size_t{length} * 2;
        return true;
    }
    void Skip(size_t bytes) { mOffset += bytes; }
    [[nodiscard]] const uint8_t* Here() const { return mBlock + mOffset; }

private:
    const uint8_t* mBlock;
    size_t mSize;
    size_t mOffset = 0;
};

char16_t LowerAscii(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

// Sub-block names compare without regard to ASCII case.
bool EqualIgnoringCase(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
    {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}

// A text of the block (length in units, terminator included) against a wanted name.
bool SameText(const uint8_t* text, uint32_t length, std::u16string_view wanted)
{
    if (length != wanted.size() + 1)
        return false;
    for (size_t i = 0; i < wanted.size(); ++i)
    {
        const auto c = static_cast<char16_t>(text[2 * i] | (text[2 * i + 1] << 8));
        if (LowerAscii(c) != LowerAscii(wanted[i]))
            return false;
    }
    return true;
}

// Finds a value of the block by its sub-block path: where it lies and its length (bytes for the
// translation table, UTF-16 units for a string).
bool VerQueryValue(const uint8_t* block, std::u16string_view subBlock, const uint8_t*& value,
                   uint32_t& length)
{
    BlockReader reader(block);
    const uint32_t hasTranslations = reader.U32();
    const uint32_t translationCount = reader.U32();
    if (!reader.Has(size_t{translationCount} * 4))
        return false;
    if (EqualIgnoringCase(subBlock, TranslationPath))
    {
        if (hasTranslations == 0)
            return false;
        value = reader.Here();
        length = translationCount * 4;
        return true;
    }
    reader.Skip(size_t{translationCount} * 4);
    const uint32_t stringCount = reader.U32();
    for (uint32_t i = 0; i < stringCount; ++i)
    {
        const uint8_t* path = nullptr;
        const uint8_t* text = nullptr;
        uint32_t pathLength = 0;
        uint32_t textLength = 0;
        if (!reader.Text(path, pathLength) || !reader.Text(text, textLength))
            return false;
        if (SameText(path, pathLength, subBlock))
        {
            value = text;
            length = textLength;
            return true;
        }
    }
    return false;
}

uint16_t ReadU16(const uint8_t* bytes)
{
    return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

const uint8_t* ChooseTranslation(const uint8_t* table, uint32_t count)
{
    constexpr uint16_t PrimaryMask = 0x3FF;
    constexpr uint16_t English = 9;
    const Version::Platform platform = CurrentPlatform();
    const uint16_t wanted[] = {static_cast<uint16_t>(platform.getUserDefaultLangID() & PrimaryMask),
                               static_cast<uint16_t>(platform.getSystemDefaultLangID() & PrimaryMask),
                               English};
    for (uint16_t language : wanted)
    {
        for (uint32_t i = 0; i < count; ++i)
        {
            if ((ReadU16(table + 4 * i) & PrimaryMask) == language)
                return table + 4 * i;
        }
    }
    // With an empty table this still points at the table; the getters then find nothing.
    return table;
}

[[noreturn]] void ThrowVersionError(int32_t errorId, const char* lineText)
{
    std::string text = "Runtime Error : ";
    text += FormatErrorIdText(errorId).ToNarrow().GetBuffer();
    text += " : ZQ::Version::Version : zqframework\\Application/Version : Line ";
    text += lineText;
    throw Exception<std::runtime_error>(text);
}
} // namespace

Version::Version(const void* module)
{
    char16_t path[MaxPath + 1] = {};
    const uint32_t pathLength = CurrentPlatform().getModuleFileName(module, path, MaxPath);
    if (pathLength == 0)
        ThrowVersionError(903, "148");

    std::u16string_view fileName(path, pathLength < MaxPath ? pathLength : MaxPath);
    const size_t slash = fileName.find_last_of(u"/\\");
    if (slash != std::u16string_view::npos)
        fileName.remove_prefix(slash + 1);

    const uint32_t size = GetFileVersionInfoSize(fileName);
    if (size == 0)
        ThrowVersionError(902, "143");
    mBlock.reset(new (std::nothrow) uint8_t[size]);
    if (!mBlock)
        throw Exception<std::bad_alloc>();
    if (!GetFileVersionInfo(fileName, size, mBlock.get()))
        ThrowVersionError(901, "133");

    const uint8_t* table = nullptr;
    uint32_t tableBytes = 0;
    if (!VerQueryValue(mBlock.get(), TranslationPath, table, tableBytes))
        ThrowVersionError(900, "128");
    mTranslation = tableBytes / 4 != 0 ? ChooseTranslation(table, tableBytes / 4) : nullptr;
}

Version::~Version() = default;

WString Version::GetString(const char* key) const
{
    if (!mBlock || mTranslation == nullptr || key == nullptr)
        return WString();
    const std::u16string path = StringPath(ReadU16(mTranslation), ReadU16(mTranslation + 2), key);
    const uint8_t* value = nullptr;
    uint32_t length = 0;
    if (!VerQueryValue(mBlock.get(), path, value, length))
        return WString();
    // The value runs to its terminator; the length only keeps the read inside the block.
    std::u16string text;
    for (uint32_t i = 0; i < length; ++i)
    {
        const char16_t c = ReadU16(value + 2 * i);
        if (c == u'\0')
            break;
        text += c;
    }
    return WString(text.c_str());
}

WString Version::GetCompanyName() const
{
    return GetString("CompanyName");
}

WString Version::GetProductName() const
{
    return GetString("ProductName");
}

WString Version::GetProductVersion() const
{
    return GetString("ProductVersion");
}

void Version::SetPlatform(const Platform* platform)
{
    gPlatform.store(platform, std::memory_order_release);
}

uint16_t Version::LanguageFromLocaleName(std::string_view localeName)
{
    struct Language
    {
        std::string_view name; // language, or language_TERRITORY where the territory changes the id
        uint16_t id;
    };
    static constexpr Language languages[] = {
        {"ar", 0x0401},    {"bg", 0x0402},    {"ca", 0x0403},    {"zh", 0x0804},    {"zh_TW", 0x0404},
        {"zh_HK", 0x0C04}, {"cs", 0x0405},    {"da", 0x0406},    {"de", 0x0407},    {"de_CH", 0x0807},
        {"de_AT", 0x0C07}, {"el", 0x0408},    {"en", 0x0409},    {"en_GB", 0x0809}, {"en_AU", 0x0C09},
        {"en_CA", 0x1009}, {"es", 0x0C0A},    {"es_MX", 0x080A}, {"fi", 0x040B},    {"fr", 0x040C},
        {"fr_BE", 0x080C}, {"fr_CA", 0x0C0C}, {"fr_CH", 0x100C}, {"he", 0x040D},    {"hu", 0x040E},
        {"is", 0x040F},    {"it", 0x0410},    {"it_CH", 0x0810}, {"ja", 0x0411},    {"ko", 0x0412},
        {"nl", 0x0413},    {"nl_BE", 0x0813}, {"nb", 0x0414},    {"no", 0x0414},    {"nn", 0x0814},
        {"pl", 0x0415},    {"pt", 0x0816},    {"pt_BR", 0x0416}, {"ro", 0x0418},    {"ru", 0x0419},
        {"hr", 0x041A},    {"sk", 0x041B},    {"sq", 0x041C},    {"sv", 0x041D},    {"th", 0x041E},
        {"tr", 0x041F},    {"uk", 0x0422},    {"sl", 0x0424},    {"et", 0x0425},    {"lv", 0x0426},
        {"lt", 0x0427},    {"vi", 0x042A},
    };
    // language[_TERRITORY][.codeset][@modifier]
    const size_t end = localeName.find_first_of(".@");
    const std::string_view name = localeName.substr(0, end);
    if (name.empty() || name == "C" || name == "POSIX")
        return 0x0409;
    const std::string_view language = name.substr(0, name.find('_'));
    uint16_t id = 0;
    for (const Language& entry : languages)
    {
        if (entry.name == name)
            return entry.id;
        if (entry.name == language)
            id = entry.id;
    }
    return id;
}
} // namespace ZQ
