#include "Support/SkinFragment.h"
#include "Support/StringPrinting.h"

#include "ZQFramework/Application/Framework/StringTablesAndSkins.h"
#include "ZQFramework/ControlBase/Skin/ControlFactory.h"
#include "ZQFramework/ControlBase/Skin/StringTable.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace ZQ
{
namespace
{
using TestSupport::Utf8;

// A folder holding the three start-up documents, removed at the end.
struct DocumentFolder
{
    DocumentFolder()
        : Path(std::filesystem::temp_directory_path() / ("zq-startup-documents-" + std::to_string(getpid())))
    {
        std::filesystem::create_directories(Path);
        Write("StringTables.xml", ZQTest::StringTableDocument(R"(<StringTable ID="|Brandole">
            <String ID="TITLE"><Locale LCID="0x0009">Updater</Locale></String></StringTable>)"));
        Write("FrameworkStrings.xml", ZQTest::StringTableDocument(R"(<StringTable ID="Framework">
            <String ID="STARTUP_ERROR"><Locale LCID="0x0009">Broken</Locale></String></StringTable>)"));
        Write("Skins.xml", ZQTest::SkinDocument(R"(<Skins><Skin Name="only"/></Skins>)"));
    }
    ~DocumentFolder() { std::filesystem::remove_all(Path); }
    DocumentFolder(const DocumentFolder&) = delete;
    DocumentFolder& operator=(const DocumentFolder&) = delete;

    void Write(const char* name, const std::string& text) const { std::ofstream(Path / name) << text; }
    [[nodiscard]] WString Name() const { return WString(Path.string().c_str()); }

    std::filesystem::path Path;
};

std::string Text(const RCPtr<LStringTable>& table, const char16_t* key)
{
    WString text = u"<none>";
    if (table != nullptr)
        (void)table->GetString(key, text);
    return Utf8(text);
}

TEST(StringTablesAndSkins, AFolderGivesItsThreeFiles)
{
    const DocumentFolder folder;
    const RCPtr<LControlFactory> factory = LControlFactory::Create(u"Brandole");

    EXPECT_EQ(LoadStringTablesAndSkins(factory, folder.Name(), 0x0409), 0);

    EXPECT_EQ(Utf8(factory->GetBaseFolder()), folder.Path.string() + "/");
    EXPECT_EQ(Text(factory->GetApplicationStringTable(), u"TITLE"), "Updater");
    EXPECT_EQ(Text(factory->GetFrameworkStringTable(), u"STARTUP_ERROR"), "Broken");
    EXPECT_EQ(factory->GetSkins().GetCount(), 1u);
}

TEST(StringTablesAndSkins, OnlyTheExactResourceFolderMeansTheResources)
{
    struct Case
    {
        const char16_t* Folder;
        const char* Base;
    };
    // This test program carries no skin resource and no such folder exists: the skins fail either way.
    for (const Case c : {Case{u"::", "::"}, Case{u"::X", "::X/"}})
    {
        const RCPtr<LControlFactory> factory = LControlFactory::Create(u"Brandole");
        EXPECT_EQ(LoadStringTablesAndSkins(factory, c.Folder, 0x0409), E_FAIL) << c.Base;
        EXPECT_EQ(Utf8(factory->GetBaseFolder()), c.Base);
        EXPECT_EQ(factory->GetSkins().GetCount(), 0u);
    }
}
} // namespace
} // namespace ZQ
