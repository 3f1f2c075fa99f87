#include "FrameworkApp/TestApplication.h"
#include "Support/SkinFragment.h"
#include "Support/StringPrinting.h"
#include "Support/TestControl.h"

#include "ZQFramework/Renderer/Font.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace ZQ
{
namespace
{
using TestSupport::Utf8;
using ZQTest::RecordingStatusBar;
using ZQTest::TestApplication;
using ZQTest::TestRootWindow;

constexpr const char* kTwoSkins = R"(
<Skins>
  <Skin Name="light" FontName="Tahoma" FontSize="8.25"/>
  <Skin Name="dark" FontName="Courier" FontSize="12" FontStyle="1"/>
</Skins>)";

// A user settings file in the temporary folder, removed at the end.
struct SettingsFile
{
    SettingsFile()
        : Path(std::filesystem::temp_directory_path() /
               ("zq-user-settings-" + std::to_string(getpid()) + ".xml"))
    {
        std::filesystem::remove(Path);
    }
    ~SettingsFile() { std::filesystem::remove(Path); }
    SettingsFile(const SettingsFile&) = delete;
    SettingsFile& operator=(const SettingsFile&) = delete;

    [[nodiscard]] WString Name() const { return WString(Path.string().c_str()); }

    std::filesystem::path Path;
};

struct SkinSwitchTest : ::testing::Test
{
    SkinSwitchTest()
    {
        application->StatusBar = &statusBar;
        application->UserSettingsPath = settings.Name();
    }

    [[nodiscard]] int32_t StoredIndex(int32_t missing = -100) const
    {
        int32_t index = missing;
        const RCPtr<LIniFileManager> manager = application->GetIniFileManager();
        (void)manager->GetInteger(application->GetIniFile(1), u"CurrentSkinIndex", missing, index);
        return index;
    }

    SettingsFile settings;
    RCPtr<LControlFactory> factory = ZQTest::LoadSkinFragment(kTwoSkins);
    RCPtr<TestApplication> application = TestApplication::Create(factory);
    RecordingStatusBar statusBar;
};

TEST_F(SkinSwitchTest, RedressesEveryRootWindowAndStoresTheIndex)
{
    TestRootWindow first(false);
    TestRootWindow second(true);
    application->RegisterRootWindow(first.Window);
    application->RegisterRootWindow(second.Window);

    ASSERT_EQ(application->SetSkin(1), 0);

    EXPECT_EQ(factory->GetCurrentSkinIndex(), 1);
    const ConstRCPtr<LFont>& font = application->GetCurrentDefaultFont();
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(Utf8(font->GetName()), "Courier");
    EXPECT_EQ(font->GetSize(), 12.0f);
    EXPECT_EQ(font->GetStyle(), 1);
    // One busy cursor per window, each window invalidated whole.
    EXPECT_EQ(statusBar.Calls, (std::vector<std::string>{"now Loading Skin...", "post Ready",
                                                         "now Loading Skin...", "post Ready"}));
    EXPECT_EQ(first.Services.Count("InvalidateRect 0 0 400 300"), 1);
    EXPECT_EQ(second.Services.Count("InvalidateRect 0 0 400 300"), 1);
    EXPECT_EQ(StoredIndex(), 1);
}

TEST_F(SkinSwitchTest, TheActiveWindowGetsItsFocusControlBack)
{
    TestRootWindow window(true);
    const RCPtr<ZQTest::TestControl> root = ZQTest::TestControl::Create(nullptr, u"root");
    const RCPtr<ZQTest::TestControl> box = ZQTest::TestControl::Create(root, u"box");
    root->MarkCreated();
    box->MarkCreated();
    (void)box->SetNotFocusable(false);
    (void)window.Window->SetRootControl(root);
    application->RegisterRootWindow(window.Window);
    ASSERT_GE(box->SetFocus(true), 0);
    ASSERT_EQ(window.Window->GetFocusControl(), box);
    std::vector<std::string> log;
    const RCPtr<ZQTest::NotificationLog> focusLog(new ZQTest::NotificationLog(log, "box"));
    ASSERT_NE(focusLog->RegisterWithDistributor(RCPtr<LNotificationDistributor>(box),
                                                u"NID_HAS_FOCUS_CONDITION_CHANGE", 0),
              nullptr);

    ASSERT_EQ(application->SetSkin(1), 0);
    // Lost while the skin changed, then given back.
    EXPECT_EQ(log, (std::vector<std::string>{"box NID_HAS_FOCUS_CONDITION_CHANGE",
                                             "box NID_HAS_FOCUS_CONDITION_CHANGE"}));
    EXPECT_EQ(window.Window->GetFocusControl(), box);
    (void)focusLog->UnregisterFromAllDistributors();
    (void)root->ReleaseInternalReferences();
}

TEST_F(SkinSwitchTest, StartupTakesTheStoredIndexWithinTheSkinsThere)
{
    struct Case
    {
        int32_t Stored;
        int32_t Used;
    };
    // Past the last skin the last one is used, below 0 the first; the index used is stored.
    for (const Case c : {Case{1, 1}, Case{2, 1}, Case{-3, 0}})
    {
        const RCPtr<LIniFileManager> manager = application->GetIniFileManager();
        ASSERT_EQ(manager->SetInteger(application->GetIniFile(1), u"CurrentSkinIndex", c.Stored), 0);
        ASSERT_EQ(application->GetCurrentSkinIndex(), c.Stored);

        ASSERT_EQ(application->RunApplicationStartup(), 0);

        EXPECT_EQ(factory->GetCurrentSkinIndex(), c.Used) << c.Stored;
        EXPECT_EQ(StoredIndex(), c.Used) << c.Stored;
    }
}

TEST_F(SkinSwitchTest, RefusesAnIndexPastTheLastSkin)
{
    EXPECT_EQ(application->SetSkin(2), E_INVALIDARG);
    EXPECT_EQ(factory->GetCurrentSkinIndex(), 0);
    EXPECT_EQ(StoredIndex(), -100);
}

TEST(SkinSwitch, WithoutSkinsNothingChangesAndTheStartupStillSucceeds)
{
    const SettingsFile settings;
    const RCPtr<TestApplication> application = TestApplication::Create(LControlFactory::Create(u"Brandole"));
    application->UserSettingsPath = settings.Name();

    EXPECT_EQ(application->SetSkin(0), E_FAIL);
    EXPECT_EQ(application->GetCurrentDefaultFont(), nullptr);
    EXPECT_EQ(application->RunApplicationStartup(), 0);
    int32_t stored = -100;
    (void)application->GetIniFileManager()->GetInteger(application->GetIniFile(1), u"CurrentSkinIndex", -100,
                                                       stored);
    EXPECT_EQ(stored, -100);
    (void)application->RunApplicationShutdown();
}
} // namespace
} // namespace ZQ
