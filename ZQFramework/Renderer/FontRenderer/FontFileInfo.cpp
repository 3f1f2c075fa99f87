#include "ZQFramework/Renderer/FontRenderer/FontFileInfo.h"

#include "Platform/Fonts/FontFolders.h"
#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/Renderer/Font.h"

#include <fstream>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace ZQ
{
namespace
{
using FamilyList = std::vector<RCPtr<LFontFileInfo>>;
// A font's family, keyed by the font's address; the pair holds the font so the address stays its own.
using FontFamilyMap = std::unordered_map<const LFont*, std::pair<ConstRCPtr<LFont>, RCPtr<LFontFileInfo>>>;

FamilyList& Families()
{
    static FamilyList families;
    return families;
}

FontFamilyMap& FontFamilies()
{
    static FontFamilyMap map;
    return map;
}

LFontFileInfo::DefaultFontProvider gDefaultFontProvider = nullptr;

const WString& EmptyPath()
{
    static const WString empty;
    return empty;
}

RCPtr<LFontFileInfo> FindFamily(const WString& name)
{
    const FamilyList& families = Families();
    for (auto it = families.rbegin(); it != families.rend(); ++it)
    {
        if ((*it)->GetFamilyName() == name)
            return *it;
    }
    return nullptr;
}

std::string Narrow(const WString& text)
{
    return AString(text).GetBuffer();
}

// Bounded big-endian reads from a font file: every read is checked against the file's size, and a read
// that would pass its end, or fails, yields nothing.
class FontFileReader
{
public:
    explicit FontFileReader(const std::string& path) : mStream(path, std::ios::binary | std::ios::ate)
    {
        if (mStream)
            mSize = static_cast<uint64_t>(mStream.tellg());
    }

    [[nodiscard]] bool IsOpen() const { return static_cast<bool>(mStream); }

    [[nodiscard]] std::optional<std::vector<uint8_t>> Read(uint64_t offset, uint64_t length)
    {
        if (offset > mSize || length > mSize - offset)
            return std::nullopt;
        std::vector<uint8_t> bytes(length);
        mStream.seekg(static_cast<std::streamoff>(offset));
        if (!mStream.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(length)))
            return std::nullopt;
        return bytes;
    }

private:
    std::ifstream mStream;
    uint64_t mSize = 0;
};

uint16_t U16(const std::vector<uint8_t>& bytes, size_t at)
{
    return static_cast<uint16_t>(bytes[at] << 8 | bytes[at + 1]);
}

uint32_t U32(const std::vector<uint8_t>& bytes, size_t at)
{
    return uint32_t{U16(bytes, at)} << 16 | U16(bytes, at + 2);
}

struct FamilyName
{
    WString family;
    WString subfamily;
};

constexpr uint32_t kCollectionTag = 0x74746366; // "ttcf"
constexpr uint32_t kNameTag = 0x6e616d65;       // "name"

// A name record's string: Macintosh names as 8-bit text, Windows names as UTF-16 big-endian.
WString DecodeName(const std::vector<uint8_t>& table, size_t at, size_t length, uint16_t platform)
{
    std::u16string text;
    if (platform == 1)
    {
        for (size_t i = 0; i < length; ++i)
            text.push_back(table[at + i]);
    }
    else
    {
        for (size_t i = 0; i + 1 < length; i += 2)
            text.push_back(static_cast<char16_t>(U16(table, at + i)));
    }
    return WString(text.c_str());
}

// The family/subfamily pairs of the "name" table, in record order; nothing when the table is malformed.
std::optional<std::vector<FamilyName>> ReadNameTable(FontFileReader& file, uint32_t offset, uint32_t length)
{
    const auto table = file.Read(offset, length);
    if (!table || length < 6)
        return std::nullopt;
    const uint16_t count = U16(*table, 2);
    const size_t strings = U16(*table, 4);
    if (6 + size_t{count} * 12 > length)
        return std::nullopt;
    std::vector<FamilyName> names;
    WString family;
    WString subfamily;
    for (size_t record = 6; record < 6 + size_t{count} * 12; record += 12)
    {
        const uint16_t platform = U16(*table, record);
        const uint16_t language = U16(*table, record + 4);
        const uint16_t nameID = U16(*table, record + 6);
        const size_t nameLength = U16(*table, record + 8);
        const size_t at = strings + U16(*table, record + 10);
        const bool counts = (platform == 1 && language == 0) || (platform == 3 && language == 0x0409);
        if (!counts || (nameID != 1 && nameID != 2))
            continue;
        if (at + nameLength > length)
            return std::nullopt;
        const WString text = DecodeName(*table, at, nameLength, platform);
        if (nameID == 1 && family.IsEmpty())
            family = text;
        else if (nameID == 2 && subfamily.IsEmpty())
            subfamily = text.ToLower();
        if (!family.IsEmpty() && !subfamily.IsEmpty())
        {
            names.push_back({family, subfamily});
            family.Empty();
            subfamily.Empty();
        }
    }
    return names;
}

// The names of the font whose offset table starts at the offset; nothing when the font is malformed.
std::optional<std::vector<FamilyName>> ReadFont(FontFileReader& file, uint32_t offset)
{
    const auto header = file.Read(offset, 12);
    if (!header)
        return std::nullopt;
    const auto records = file.Read(uint64_t{offset} + 12, uint64_t{U16(*header, 4)} * 16);
    if (!records)
        return std::nullopt;
    for (size_t record = 0; record < records->size(); record += 16)
    {
        if (U32(*records, record) == kNameTag)
            return ReadNameTable(file, U32(*records, record + 8), U32(*records, record + 12));
    }
    return std::vector<FamilyName>{};
}

// The offsets of the fonts in the file: those a collection lists, or the one font at 0.
std::optional<std::vector<uint32_t>> ReadFontOffsets(FontFileReader& file)
{
    const auto header = file.Read(0, 12);
    if (!header)
        return std::nullopt;
    if (U32(*header, 0) != kCollectionTag)
        return std::vector<uint32_t>{0};
    const auto table = file.Read(12, uint64_t{U32(*header, 8)} * 4);
    if (!table)
        return std::nullopt;
    std::vector<uint32_t> offsets;
    for (size_t at = 0; at < table->size(); at += 4)
        offsets.push_back(U32(*table, at));
    return offsets;
}
} // namespace

LFontFileInfo::LFontFileInfo(const WString& familyName, int32_t index)
    : mFamilyName(familyName), mIndex(index)
{
}

LFontFileInfo::DefaultFontProvider LFontFileInfo::SetDefaultFontProvider(DefaultFontProvider provider)
{
    return std::exchange(gDefaultFontProvider, provider);
}

ZQRESULT LFontFileInfo::BuildCatalogue()
{
    EmptyCatalogue();
    for (const std::string& path : Platform::ListFontFiles())
        ReadFontFile(path);
    return S_OK;
}

void LFontFileInfo::EmptyCatalogue()
{
    FontFamilies().clear();
    Families().clear();
}

void LFontFileInfo::ReadFontFile(const std::string& path)
{
    FontFileReader file(path);
    if (!file.IsOpen())
        return;
    const auto offsets = ReadFontOffsets(file);
    if (!offsets)
        return;
    // The whole file is read before any of it is catalogued, so a malformed file leaves no trace.
    std::vector<FamilyName> names;
    for (uint32_t offset : *offsets)
    {
        auto fontNames = ReadFont(file, offset);
        if (!fontNames)
            return;
        names.insert(names.end(), fontNames->begin(), fontNames->end());
    }
    const WString widePath(path.c_str());
    for (const FamilyName& name : names)
        Catalogue(name.family, name.subfamily, widePath);
}

void LFontFileInfo::Catalogue(const WString& family, const WString& subfamily, const WString& path)
{
    RCPtr<LFontFileInfo> info = FindFamily(family);
    if (!info)
        info = AddFamily(family);
    int32_t style = 0;
    if (subfamily == u"bold")
        style = LFont::kBold;
    else if (subfamily == u"italic")
        style = LFont::kItalic;
    else if (subfamily == u"bold italic")
        style = LFont::kBold | LFont::kItalic;
    info->mPaths[style] = path;
}

RCPtr<LFontFileInfo> LFontFileInfo::AddFamily(const WString& familyName)
{
    FamilyList& families = Families();
    RCPtr<LFontFileInfo> info(new LFontFileInfo(familyName, static_cast<int32_t>(families.size())));
    families.push_back(info);
    return info;
}

int32_t LFontFileInfo::GetFileID(const ConstRCPtr<LFont>& font)
{
    FontFamilyMap& map = FontFamilies();
    RCPtr<LFontFileInfo> info;
    if (auto found = map.find(font.Get()); found != map.end())
    {
        info = found->second.second;
    }
    else
    {
        info = FindFamily(font->GetName());
        WString defaultName;
        float defaultSize = 0;
        int32_t defaultStyle = 0;
        if (!info && gDefaultFontProvider != nullptr &&
            gDefaultFontProvider(defaultName, defaultSize, defaultStyle) == S_OK)
        {
            info = FindFamily(defaultName);
            // The default font may name a family that is not installed ("Arial"): take the face that
            // fontconfig draws in its place.
            if (!info)
                info = FindFamily(WString(Platform::GetSubstituteFamily(Narrow(defaultName)).c_str()));
        }
        if (!info)
            throw Exception<std::runtime_error>("Runtime Error : ZQ::LFontFileInfo::GetFileID : "
                                                "Renderer\\FontRenderer\\FontFileInfo : Line 469");
        map.emplace(font.Get(), std::make_pair(font, info));
    }
    // Underline and strike-out are drawn, not separate files: only the bold and italic bits pick a file.
    const int32_t style = font->GetStyle() & 3;
    info->FillStyle(style);
    return info->mIndex * 4 + style;
}

void LFontFileInfo::FillStyle(int32_t style)
{
    static constexpr int32_t kFallbacks[4][3] = {{1, 2, 3}, {3, 0, 2}, {3, 0, 1}, {1, 2, 0}};
    if (!mPaths[style].IsEmpty())
        return;
    for (int32_t other : kFallbacks[style])
    {
        if (!mPaths[other].IsEmpty())
        {
            mPaths[style] = mPaths[other];
            return;
        }
    }
}

const WString& LFontFileInfo::GetFilePath(int32_t id)
{
    const FamilyList& families = Families();
    if (id < 0 || static_cast<size_t>(id / 4) >= families.size())
        return EmptyPath();
    return families[id / 4]->mPaths[id & 3];
}
} // namespace ZQ
