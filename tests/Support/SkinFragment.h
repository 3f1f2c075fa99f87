#pragma once

#include "ZQFramework/ControlBase/Skin/ControlFactory.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

// Skin and string-table fragments for tests: a fragment is wrapped into a whole document (a root element
// and "Application") and loaded into a fresh control factory through the factory's own file loading, as
// UTF-8 or as UTF-16 with a byte-order mark. Header-only.
namespace ZQTest
{
enum class Encoding
{
    Utf8,
    Utf16WithBom
};

inline constexpr const char* kTestApplication = "Brandole";

// The document's bytes in the chosen encoding (UTF-16 little-endian after the mark FF FE).
inline std::string Encode(const std::string& utf8, Encoding encoding)
{
    if (encoding == Encoding::Utf8)
        return utf8;
    const ZQ::WString wide(utf8.c_str());
    std::string bytes = "\xFF\xFE";
    for (int i = 0; i < wide.GetLength(); ++i)
    {
        const char16_t unit = wide.GetAt(i);
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

inline std::string SkinDocument(std::string_view fragment)
{
    return "<?xml version=\"1.0\"?>\n<Zorvane_Skin_Definitions>\n<Application Name=\"" +
           std::string(kTestApplication) + "\">\n" + std::string(fragment) +
           "\n</Application>\n</Zorvane_Skin_Definitions>\n";
}

inline std::string StringTableDocument(std::string_view fragment)
{
    return "<?xml version=\"1.0\"?>\n<Zorvane_StringTable_Definitions>\n<Application Name=\"" +
           std::string(kTestApplication) + "\">\n" + std::string(fragment) +
           "\n</Application>\n</Zorvane_StringTable_Definitions>\n";
}

// A file holding bytes for as long as the object lives.
class TempDocument
{
public:
    explicit TempDocument(const std::string& bytes)
    {
        static std::atomic<int> counter{0};
        mPath = std::filesystem::temp_directory_path() /
                ("zq-document-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + ".xml");
        std::ofstream(mPath, std::ios::binary) << bytes;
    }
    ~TempDocument() { std::filesystem::remove(mPath); }
    TempDocument(const TempDocument&) = delete;
    TempDocument& operator=(const TempDocument&) = delete;

    [[nodiscard]] ZQ::WString Path() const { return ZQ::WString(mPath.string().c_str()); }

private:
    std::filesystem::path mPath;
};

// A fresh factory named kTestApplication with the skin fragment loaded; result receives LoadSkins' answer.
inline ZQ::RCPtr<ZQ::LControlFactory> LoadSkinFragment(std::string_view fragment, ZQRESULT* result = nullptr,
                                                       Encoding encoding = Encoding::Utf8)
{
    ZQ::RCPtr<ZQ::LControlFactory> factory = ZQ::LControlFactory::Create(kTestApplication);
    const TempDocument document(Encode(SkinDocument(fragment), encoding));
    const ZQRESULT loaded = factory->LoadSkins(document.Path());
    if (result != nullptr)
        *result = loaded;
    return factory;
}

// A fresh factory with string-table fragments loaded for lcid: the first as the application's document,
// the second (may be empty: no document) as the framework's.
inline ZQ::RCPtr<ZQ::LControlFactory> LoadStringTableFragments(std::string_view application,
                                                               std::string_view framework, int32_t lcid,
                                                               Encoding encoding = Encoding::Utf16WithBom)
{
    ZQ::RCPtr<ZQ::LControlFactory> factory = ZQ::LControlFactory::Create(kTestApplication);
    const TempDocument applicationDocument(Encode(StringTableDocument(application), encoding));
    const TempDocument frameworkDocument(Encode(StringTableDocument(framework), encoding));
    factory->LoadStringTables(
        applicationDocument.Path(),
        framework.empty() ? ZQ::WString(u"/nonexistent/framework.xml") : frameworkDocument.Path(), lcid);
    return factory;
}
} // namespace ZQTest
