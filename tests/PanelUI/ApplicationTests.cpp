#include "PanelUI/UpdaterBench.h"

#include "ZQFramework/Application/Framework/ApplicationServices.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace UpdaterTest
{
namespace
{
// The user's folders inside a temporary folder for the length of a test.
class TemporaryHome
{
public:
    TemporaryHome()
        : mRoot(std::filesystem::temp_directory_path() / ("zq-updater-home-" + std::to_string(getpid())))
    {
        std::filesystem::create_directories(mRoot);
        Keep("XDG_CONFIG_HOME");
        Keep("XDG_DATA_HOME");
        setenv("XDG_CONFIG_HOME", (mRoot / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (mRoot / "data").c_str(), 1);
    }
    ~TemporaryHome()
    {
        for (const auto& [name, value] : mKept)
        {
            if (value.has_value())
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        std::filesystem::remove_all(mRoot);
    }
    TemporaryHome(const TemporaryHome&) = delete;
    TemporaryHome& operator=(const TemporaryHome&) = delete;

    [[nodiscard]] size_t FileCount() const
    {
        size_t count = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(mRoot))
            count += entry.is_regular_file() ? 1 : 0;
        return count;
    }

private:
    void Keep(const char* name)
    {
        const char* value = std::getenv(name);
        mKept.emplace_back(name, value != nullptr ? std::optional<std::string>(value) : std::nullopt);
    }

    std::filesystem::path mRoot;
    std::vector<std::pair<std::string, std::optional<std::string>>> mKept;
};

TEST(ApplicationTests, NamesItsIdentityVersionKeyMainControlAndRenderer)
{
    UpdaterBench bench;
    EXPECT_EQ(TestSupport::Utf8(LApplication::GetIdentityString()),
              "Tavrin DJ_DEVICE_FAMILY_NAME_String_FirmwareUpdater");
    EXPECT_EQ(LApplication::GetIdentityString(), LApplication::GetIdentityString());
    ZQ::WString text;
    bench.Application->GetVersionKey(text);
    EXPECT_EQ(TestSupport::Utf8(text), "1_0_0");
    bench.Application->GetMainControlName(text);
    EXPECT_EQ(TestSupport::Utf8(text), "mainControl");
    EXPECT_EQ(bench.Application->GetRendererType(), 1);
    EXPECT_EQ(LApplication::GetInstance(), bench.Application.Get());
}

TEST(ApplicationTests, SettingsFilesOpenOnceAndOnlyForTheirTwoKinds)
{
    TemporaryHome home;
    UpdaterBench bench;

    EXPECT_EQ(bench.Application->GetIniFile(2), 0u);
    EXPECT_EQ(bench.Application->GetIniFile(-1), 0u);
    const ZQ::IIniFileManager::Handle user = bench.Application->GetIniFile(1);
    ASSERT_NE(user, 0u);
    EXPECT_EQ(bench.Application->GetIniFile(1), user);
    const ZQ::IIniFileManager::Handle shared = bench.Application->GetIniFile(0);
    ASSERT_NE(shared, 0u);
    EXPECT_NE(shared, user);
    // Opening writes nothing.
    EXPECT_EQ(home.FileCount(), 0u);
}

TEST(ApplicationTests, CursorsOfItsOwnNoneOrTheSystems)
{
    UpdaterBench bench;
    for (const char16_t* name : {ZQ::kCursorRotate, ZQ::kCursorSplitH, ZQ::kCursorSplitV, ZQ::kCursorMag,
                                 ZQ::kCursorMagPlus, ZQ::kCursorMagMinus})
        EXPECT_EQ(bench.Application->GetCursor(name), 0) << TestSupport::Utf8(ZQ::WString(name));
    EXPECT_EQ(bench.Application->GetCursor(ZQ::kCursorWait), ZQ::LoadSystemCursor(ZQ::kCursorWait));

    // The program's own two are pictures of the cursor size.
    for (const int32_t id : {LApplication::kDropMoveCursorId, LApplication::kDropCopyCursorId})
    {
        std::vector<uint32_t> pixels;
        ASSERT_TRUE(ReadCursorPicture(id, pixels)) << id;
        ASSERT_EQ(pixels.size(), 32u * 32u);
        EXPECT_EQ(pixels[0] >> 24, 0xFFu) << "the hot spot is on the arrow's tip";
    }
    std::vector<uint32_t> pixels;
    EXPECT_FALSE(ReadCursorPicture(104, pixels));
}

TEST(ApplicationTests, TheSkinHasNoStatusBar)
{
    UpdaterBench bench;
    EXPECT_EQ(bench.Application->GetStatusBar(), nullptr);
    bench.Prepare(Engine::kStateNormalMode, Engine::kFileValid);
    bench.Show();
    EXPECT_EQ(bench.Application->GetStatusBar(), nullptr);
}

TEST(ApplicationTests, ExitIsRefusedOnlyWhileSending)
{
    UpdaterBench bench;
    // Before the main window exists.
    bench.Prepare(Engine::kStateUpdating, Engine::kFileValid);
    EXPECT_TRUE(bench.Application->IsExitAllowed());
    bench.Show();
    for (int32_t state = 0; state <= Engine::kStateUpdating; ++state)
    {
        bench.Prepare(state, Engine::kFileValid);
        EXPECT_EQ(bench.Application->IsExitAllowed(), state != Engine::kStateUpdating) << state;
    }
}
} // namespace
} // namespace UpdaterTest
