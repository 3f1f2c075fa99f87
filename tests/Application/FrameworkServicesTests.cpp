#include "ZQFramework/Application/FrameworkServices.h"
#include "ZQFramework/Application/Version.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace
{
using ZQ::MFCFrameworkAppBase;
namespace fs = std::filesystem;

std::string Narrow(const ZQ::WString& text)
{
    return text.ToNarrow().GetBuffer();
}

// Sets environment variables (null unsets one) for its lifetime and restores the former values.
class EnvironmentScope
{
public:
    EnvironmentScope(std::initializer_list<std::pair<const char*, const char*>> values)
    {
        for (const auto& [name, value] : values)
        {
            const char* before = std::getenv(name);
            mSaved.emplace_back(name, before != nullptr ? std::optional<std::string>(before) : std::nullopt);
            Put(name, value);
        }
    }
    ~EnvironmentScope()
    {
        for (const auto& [name, value] : mSaved)
            Put(name.c_str(), value ? value->c_str() : nullptr);
    }
    EnvironmentScope(const EnvironmentScope&) = delete;
    EnvironmentScope& operator=(const EnvironmentScope&) = delete;

private:
    static void Put(const char* name, const char* value)
    {
        if (value != nullptr)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }

    std::vector<std::pair<std::string, std::optional<std::string>>> mSaved;
};

// A fresh folder standing in for the user's home, removed afterwards.
class UserFolderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "zqfoldersXXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        mRoot = pattern;
    }
    void TearDown() override { fs::remove_all(mRoot); }

    std::string mRoot;
};

TEST(FrameworkServices, FoldersOfTheProgram)
{
    const fs::path program = fs::read_symlink("/proc/self/exe");
    EXPECT_EQ(Narrow(MFCFrameworkAppBase::GetFolder(MFCFrameworkAppBase::kProgramFolder)),
              program.parent_path().string());
    EXPECT_EQ(MFCFrameworkAppBase::GetFolder(MFCFrameworkAppBase::kResourceFolder), u"::");
}

TEST(FrameworkServices, UnknownFolderIdsThrow)
{
    for (const int32_t id : {5, -1})
    {
        try
        {
            (void)MFCFrameworkAppBase::GetFolder(id);
            ADD_FAILURE() << id << ": no exception";
        }
        catch (const std::out_of_range& error)
        {
            EXPECT_STREQ(error.what(), "Out of Range : Unknown Path ID. : ZQ::MFCFrameworkApp<class "
                                       "LApplication>::GetFolder : zqframework\\include\\../Application/"
                                       "ApplicationBaseWin : Line 582");
        }
    }
}

TEST(FrameworkServices, ExitValueStartsAtZero)
{
    EXPECT_EQ(ZQ::ProcessExitValue.load(), 0);
}

TEST_F(UserFolderTest, ApplicationFoldersAreMadeLevelByLevelBelowTheXdgFolders)
{
    struct Case
    {
        const char* name;
        std::optional<std::string> dataHome;
        std::optional<std::string> configHome;
        std::string expectedData;
        std::string expectedConfig;
    };
    const std::string home = mRoot + "/home";
    const Case cases[] = {
        {"XDG folders not made yet", mRoot + "/data", mRoot + "/config/",
         mRoot + "/data/Tavrin DJ/Q3300 Splen", mRoot + "/config/Tavrin DJ/Q3300 Splen"},
        {"unset", std::nullopt, std::nullopt, home + "/.local/share/Tavrin DJ/Q3300 Splen",
         home + "/.config/Tavrin DJ/Q3300 Splen"},
        {"relative paths are ignored", "data", "config", home + "/.local/share/Tavrin DJ/Q3300 Splen",
         home + "/.config/Tavrin DJ/Q3300 Splen"},
    };
    for (const Case& c : cases)
    {
        const EnvironmentScope environment{
            {"HOME", home.c_str()},
            {"XDG_DATA_HOME", c.dataHome ? c.dataHome->c_str() : nullptr},
            {"XDG_CONFIG_HOME", c.configHome ? c.configHome->c_str() : nullptr}};
        const std::string data =
            Narrow(MFCFrameworkAppBase::GetFolder(MFCFrameworkAppBase::kApplicationDataFolder));
        const std::string config =
            Narrow(MFCFrameworkAppBase::GetFolder(MFCFrameworkAppBase::kLocalApplicationDataFolder));
        EXPECT_EQ(data, c.expectedData) << c.name;
        EXPECT_EQ(config, c.expectedConfig) << c.name;
        EXPECT_TRUE(fs::is_directory(c.expectedData)) << c.name;
        EXPECT_TRUE(fs::is_directory(c.expectedConfig)) << c.name;
        fs::remove_all(mRoot + "/home");
    }
}

TEST_F(UserFolderTest, CompanyAndProductBecomeValidFileNames)
{
    static const ZQ::Version::Translation translation{0x0409, 0x04B0};
    static const ZQ::Version::StringEntry strings[] = {{0x0409, 0x04B0, "CompanyName", u"Tavrin/DJ"},
                                                       {0x0409, 0x04B0, "ProductName", u"Q3300: Splen?"}};
    static const ZQ::Version::Resource resource{&translation, 1, strings, 2};
    const ZQ::Version::Platform platform{nullptr, [](std::u16string_view) { return &resource; }, nullptr,
                                         nullptr};
    ZQ::Version::SetPlatform(&platform);
    const EnvironmentScope environment{{"XDG_DATA_HOME", mRoot.c_str()}};
    const std::string folder =
        Narrow(MFCFrameworkAppBase::GetFolder(MFCFrameworkAppBase::kApplicationDataFolder));
    ZQ::Version::SetPlatform(nullptr);
    EXPECT_EQ(folder, mRoot + "/Tavrin_DJ/Q3300_ Splen_");
    EXPECT_TRUE(fs::is_directory(folder));
}

TEST_F(UserFolderTest, DocumentsFolderComesFromTheUserDirsFileElseHome)
{
    struct Case
    {
        const char* name;
        std::optional<std::string> userDirs; // none: no file
        std::string expected;
    };
    const std::string home = mRoot + "/home";
    const Case cases[] = {
        {"below home", "# written by xdg-user-dirs-update\nXDG_DOCUMENTS_DIR=\"$HOME/My Documents/\"\n",
         home + "/My Documents"},
        {"absolute", "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"" + mRoot + "/docs\"\n",
         mRoot + "/docs"},
        {"another form", "XDG_DOCUMENTS_DIR=Documents\n", home},
        {"no file", std::nullopt, home},
    };
    for (const Case& c : cases)
    {
        const std::string config = mRoot + "/config";
        fs::create_directories(config);
        fs::create_directories(home);
        if (c.userDirs)
            std::ofstream(config + "/user-dirs.dirs") << *c.userDirs;
        const EnvironmentScope environment{{"HOME", home.c_str()}, {"XDG_CONFIG_HOME", config.c_str()}};
        EXPECT_EQ(Narrow(MFCFrameworkAppBase::GetFolder(MFCFrameworkAppBase::kDocumentsFolder)), c.expected)
            << c.name;
        EXPECT_TRUE(fs::is_directory(c.expected)) << c.name;
        fs::remove_all(config);
    }
}
} // namespace
