#include "ZQFramework/Application/FormatErrorIdText.h"
#include "ZQFramework/Application/Version.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{
using ZQ::Version;

std::u16string Str(const ZQ::WString& text)
{
    return text.GetBuffer();
}

// A fake system: one program file with the resource a test describes, and the languages it sets.
struct FakeSystem
{
    std::u16string modulePath = u"C:\\Program Files\\Tavrin\\updater.exe";
    std::u16string fileNameAsked;
    std::u16string fileWithResource = u"updater.exe";
    std::vector<Version::Translation> translations;
    bool hasTranslationTable = true;
    std::vector<Version::StringEntry> strings;
    Version::Resource resource{};
    uint16_t userLanguage = 0x0409;
    uint16_t systemLanguage = 0x0409;
};

FakeSystem* gFake = nullptr;

uint32_t FakeModuleFileName(const void*, char16_t* buffer, uint32_t size)
{
    const std::u16string& path = gFake->modulePath;
    if (path.empty() || path.size() >= size)
        return 0;
    path.copy(buffer, path.size());
    buffer[path.size()] = u'\0';
    return static_cast<uint32_t>(path.size());
}

const Version::Resource* FakeFindResource(std::u16string_view fileName)
{
    gFake->fileNameAsked = fileName;
    if (fileName != gFake->fileWithResource)
        return nullptr;
    // A table without entries still has an address.
    static const Version::Translation noEntries{};
    const Version::Translation* table = gFake->translations.empty() ? &noEntries : gFake->translations.data();
    gFake->resource = {gFake->hasTranslationTable ? table : nullptr,
                       static_cast<uint32_t>(gFake->translations.size()), gFake->strings.data(),
                       static_cast<uint32_t>(gFake->strings.size())};
    return &gFake->resource;
}

uint16_t FakeUserLanguage()
{
    return gFake->userLanguage;
}

uint16_t FakeSystemLanguage()
{
    return gFake->systemLanguage;
}

class VersionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        gFake = &mFake;
        Version::SetPlatform(&mPlatform);
    }
    void TearDown() override
    {
        Version::SetPlatform(nullptr);
        gFake = nullptr;
    }

    // Gives every translation a product name that tells which one it is.
    void SetTranslations(std::vector<Version::Translation> translations)
    {
        static const char16_t* const names[] = {u"first", u"second", u"third"};
        mFake.translations = std::move(translations);
        mFake.strings.clear();
        for (size_t i = 0; i < mFake.translations.size(); ++i)
            mFake.strings.push_back(
                {mFake.translations[i].language, mFake.translations[i].codePage, "ProductName", names[i]});
    }

    FakeSystem mFake;
    Version::Platform mPlatform{&FakeModuleFileName, &FakeFindResource, &FakeUserLanguage,
                                &FakeSystemLanguage};
};

TEST_F(VersionTest, ChoosesTheTranslationByPrimaryLanguage)
{
    struct Case
    {
        const char* name;
        std::vector<Version::Translation> table;
        uint16_t user;
        uint16_t system;
        std::u16string chosen;
    };
    const Case cases[] = {
        {"user language, sub-language ignored", {{0x0407, 1252}, {0x0409, 1200}}, 0x0809, 0x0407, u"second"},
        {"system language", {{0x0409, 1252}, {0x0407, 1252}}, 0x0C0A, 0x0407, u"second"},
        {"English", {{0x0407, 1252}, {0x040C, 1252}, {0x0409, 1200}}, 0x0411, 0x0411, u"third"},
        {"first entry", {{0x0407, 1252}, {0x040C, 1252}}, 0x0411, 0x0411, u"first"},
        {"earlier of two alike", {{0x0807, 1252}, {0x0407, 1200}}, 0x0407, 0x0409, u"first"},
    };
    for (const Case& c : cases)
    {
        SetTranslations(c.table);
        mFake.userLanguage = c.user;
        mFake.systemLanguage = c.system;
        const Version version(nullptr);
        EXPECT_EQ(Str(version.GetProductName()), c.chosen) << c.name;
    }
}

TEST_F(VersionTest, AnswersOnlyTheChosenTranslationsStrings)
{
    SetTranslations({{0x0C0A, 0x04E4}, {0x0409, 0x04B0}});
    mFake.strings.push_back({0x0409, 0x04B0, "CompanyName", u"Only in English"});
    mFake.strings.push_back({0x0C0A, 0x04E4, "ProductVersion", u"2.0"});
    mFake.userLanguage = 0x0C0A;
    const Version version(nullptr);
    EXPECT_EQ(Str(version.GetProductName()), u"first");
    EXPECT_EQ(Str(version.GetProductVersion()), u"2.0");
    EXPECT_EQ(Str(version.GetCompanyName()), u"");
    EXPECT_EQ(Str(version.GetString("NoSuchKey")), u"");
}

TEST_F(VersionTest, PassesOnlyTheFileNameToTheVersionFunctions)
{
    SetTranslations({{0x0409, 0x04B0}});
    struct Case
    {
        std::u16string path;
        std::u16string name;
    };
    for (const Case& c :
         {Case{u"C:\\Tools\\updater.exe", u"updater.exe"}, Case{u"/opt/tavrin/updater.exe", u"updater.exe"},
          Case{u"updater.exe", u"updater.exe"}})
    {
        mFake.modulePath = c.path;
        const Version version(nullptr);
        EXPECT_EQ(mFake.fileNameAsked, c.name);
        EXPECT_EQ(Str(version.GetProductName()), u"first");
    }
}

TEST_F(VersionTest, AnEmptyTranslationTableLeavesEveryStringEmpty)
{
    mFake.strings.push_back({0x0409, 0x04B0, "ProductName", u"unreachable"});
    const Version version(nullptr);
    EXPECT_EQ(Str(version.GetProductName()), u"");
}

TEST_F(VersionTest, ConstructionFailuresCarryTheirErrorIds)
{
    struct Case
    {
        const char* name;
        void (*breakIt)(FakeSystem&);
        const char* expected;
    };
    const Case cases[] = {
        {"no module path", [](FakeSystem& f) { f.modulePath.clear(); },
         "Runtime Error : The application encountered problems during startup and will now close.  (Error "
         "code = "
         "903) : ZQ::Version::Version : zqframework\\Application/Version : Line 148"},
        {"no version information", [](FakeSystem& f) { f.fileWithResource = u"other.exe"; },
         "Runtime Error : The application encountered problems during startup and will now close.  (Error "
         "code = "
         "902) : ZQ::Version::Version : zqframework\\Application/Version : Line 143"},
        {"no translation table", [](FakeSystem& f) { f.hasTranslationTable = false; },
         "Runtime Error : The application encountered problems during startup and will now close.  (Error "
         "code = "
         "900) : ZQ::Version::Version : zqframework\\Application/Version : Line 128"},
    };
    for (const Case& c : cases)
    {
        mFake = FakeSystem{};
        c.breakIt(mFake);
        try
        {
            const Version version(nullptr);
            ADD_FAILURE() << c.name << ": no exception";
        }
        catch (const std::runtime_error& error)
        {
            EXPECT_STREQ(error.what(), c.expected) << c.name;
        }
    }
}

TEST_F(VersionTest, ErrorTextComesFromTheInstalledHook)
{
    mFake.modulePath.clear();
    const auto previous = ZQ::SetErrorIdTextHook(
        [](int32_t id) { return ZQ::WString::Format(u"Error ID %d.  Please contact support.", id); });
    try
    {
        const Version version(nullptr);
        ADD_FAILURE() << "no exception";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_STREQ(error.what(),
                     "Runtime Error : Error ID 903.  Please contact support. : ZQ::Version::Version : "
                     "zqframework\\Application/Version : Line 148");
    }
    ZQ::SetErrorIdTextHook(previous);
}

TEST(Version, TheProgramsOwnTableAnswersTheProductStrings)
{
    const Version version(nullptr);
    EXPECT_EQ(Str(version.GetCompanyName()), u"Tavrin DJ");
    EXPECT_EQ(Str(version.GetProductName()), u"Q3300 Splen");
    EXPECT_EQ(Str(version.GetProductVersion()), u"1.1.9");
}

TEST(Version, LanguageComesFromThePosixLocaleName)
{
    struct Case
    {
        const char* locale;
        uint16_t id;
    };
    const Case cases[] = {
        {"de_DE.UTF-8", 0x0407}, {"en_GB", 0x0809}, {"en_US.UTF-8", 0x0409}, {"es_ES@euro", 0x0C0A},
        {"pt_BR.UTF-8", 0x0416}, {"fr", 0x040C},    {"ja_JP.eucJP", 0x0411}, {"C", 0x0409},
        {"POSIX", 0x0409},       {"", 0x0409},      {"C.UTF-8", 0x0409},     {"xx_YY", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Version::LanguageFromLocaleName(c.locale), c.id) << c.locale;
}

TEST_F(VersionTest, UserLanguagePrefersLcAllThenLcMessagesThenLang)
{
    SetTranslations({{0x0409, 0x04B0}, {0x0407, 0x04B0}, {0x040C, 0x04B0}});
    mPlatform.getUserDefaultLangID = nullptr; // the program's own: the locale variables
    struct Case
    {
        const char* all;
        const char* messages;
        const char* lang;
        std::u16string chosen;
    };
    const Case cases[] = {
        {"de_DE.UTF-8", "fr_FR.UTF-8", "fr_FR.UTF-8", u"second"},
        {"", "fr_FR.UTF-8", "de_DE.UTF-8", u"third"},
        {"", "", "de_AT.UTF-8", u"second"},
        {"", "", "", u"first"},
    };
    const char* const names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::vector<std::optional<std::string>> saved;
    for (const char* name : names)
        saved.push_back(std::getenv(name) != nullptr ? std::optional<std::string>(std::getenv(name))
                                                     : std::nullopt);
    for (const Case& c : cases)
    {
        setenv("LC_ALL", c.all, 1);
        setenv("LC_MESSAGES", c.messages, 1);
        setenv("LANG", c.lang, 1);
        mFake.systemLanguage = 0x0411;
        const Version version(nullptr);
        EXPECT_EQ(Str(version.GetProductName()), c.chosen) << c.all << "|" << c.messages << "|" << c.lang;
    }
    // Variables that were not set are removed again, not left set to the empty text.
    for (size_t i = 0; i < saved.size(); ++i)
    {
        if (saved[i])
            setenv(names[i], saved[i]->c_str(), 1);
        else
            unsetenv(names[i]);
    }
}
} // namespace
