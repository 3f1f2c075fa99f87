#include "Support/FakeControlApplication.h"
#include "Support/SkinFragment.h"
#include "Support/TestControl.h"

#include "ZQFramework/ControlBase/Skin/ControlDescriptor.h"
#include "ZQFramework/ControlBase/Skin/StringTable.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace ZQ
{
namespace
{
using ZQTest::TestControl;

constexpr const char* kSkin = R"(
<Skins><Skin Name="default">
  <SubControl Class="Test.Control" Name="main" IsVisible="false">
    <SubControl Class="Test.Control" Name="inner"/>
  </SubControl>
</Skin></Skins>)";

constexpr const char* kStrings = R"(
<StringTable ID="Brandole|main"><String ID="LABEL"><Locale LCID="0x0009">Main</Locale></String></StringTable>
<StringTable ID="Test.Control|inner"><String ID="LABEL"><Locale LCID="0x0009">Inner</Locale></String></StringTable>)";

// A root window stand-in with a title.
class TitledWindow : public LRefCountedObject
{
public:
    [[nodiscard]] WString GetTitle() const { return u"Updater"; }
};

struct FactoryControlTest : ::testing::Test
{
    FactoryControlTest()
    {
        const ZQTest::TempDocument strings(
            ZQTest::Encode(ZQTest::StringTableDocument(kStrings), ZQTest::Encoding::Utf8));
        (void)factory->LoadStringTables(strings.Path(), u"/nonexistent/framework.xml", 0x0009);
    }

    RCPtr<LControlFactory> factory = ZQTest::LoadSkinFragment(kSkin);
    ZQTest::FakeControlApplication application{factory};
};

TEST_F(FactoryControlTest, UnregisteredClassThrowsUntilRegistered)
{
    const RCPtr<LControlDescriptor> descriptor = factory->FindSkinDescriptor(u"main");
    ASSERT_NE(descriptor, nullptr);
    try
    {
        (void)factory->CreateControl(descriptor, nullptr);
        ADD_FAILURE() << "no exception";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_STREQ(error.what(), "Runtime Error : ZQ::LControlFactory::GetControlCreateFunction : "
                                   "ControlBase\\ControlFactory : Line 51");
    }
    (void)factory->RegisterControlCreateFunction(u"Test.Control", &TestControl::CreateFromDescriptor);
    const RCPtr<LControl> control = factory->CreateControl(descriptor, nullptr);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->GetDescriptor(), descriptor);
    EXPECT_EQ(descriptor->mCreateFunction, &TestControl::CreateFromDescriptor);
}

TEST_F(FactoryControlTest, CreateControlByNameShowsTheTopControlInItsWindow)
{
    (void)factory->RegisterControlCreateFunction(u"Test.Control", &TestControl::CreateFromDescriptor);
    const RCPtr<TitledWindow> window(new TitledWindow);
    EXPECT_EQ(factory->CreateControlByName(u"nothing", window), nullptr);

    const RCPtr<LControl> control = factory->CreateControlByName(u"main", window);
    ASSERT_NE(control, nullptr);
    EXPECT_TRUE(control->GetLayout()->mVisible);
    EXPECT_EQ(control->GetRootWindow<TitledWindow>(), window);
    EXPECT_EQ(control->GetLabel(), u"Updater");
    EXPECT_EQ(control->GetString(u"LABEL"), u"Main"); // a top control's texts are the application's
}

TEST_F(FactoryControlTest, ApplySkinToControlFindsTheDescriptorByName)
{
    EXPECT_EQ(factory->ApplySkinToControl(nullptr), E_FAIL);
    EXPECT_EQ(factory->ApplySkinToControl(TestControl::Create(nullptr, u"nothing")), E_FAIL);
    const auto control = TestControl::Create(nullptr, u"main");
    EXPECT_EQ(factory->ApplySkinToControl(control), 0);
    EXPECT_EQ(control->GetDescriptor(), factory->FindSkinDescriptor(u"main"));
}

TEST_F(FactoryControlTest, ControlTextsComeFromTheOwnersClass)
{
    const auto owner = TestControl::Create(nullptr, u"main");
    EXPECT_EQ(TestControl::Create(owner, u"inner")->GetStringTable(), nullptr); // owner has no descriptor yet
    EXPECT_EQ(factory->GetControlStringTable(RCPtr<LControl>(owner), u"inner"), nullptr);

    (void)owner->ApplyDescriptor(factory->FindSkinDescriptor(u"main"));
    (void)owner->GetChildren().RemoveAll();
    EXPECT_EQ(TestControl::Create(owner, u"inner")->GetString(u"LABEL"), u"Inner");
    EXPECT_EQ(TestControl::Create(nullptr, u"main")->GetString(u"LABEL"), u"Main");
    EXPECT_EQ(TestControl::Create(nullptr, u"main")->GetString(u"MISSING"), u"");
    (void)owner->ReleaseInternalReferences();
}
} // namespace
} // namespace ZQ
