#include "Support/SkinFragment.h"
#include "Support/StringPrinting.h"

#include "ZQFramework/ControlBase/Skin/ControlFactory.h"
#include "ZQFramework/ControlBase/Skin/SkinDescriptor.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

using namespace ZQ;
using TestSupport::Utf8;
using ZQTest::LoadSkinFragment;

namespace
{
// Create functions are only stored and compared here, never called: two distinct addresses will do
// (the control class they would make is not part of this library).
void First()
{
}
void Second()
{
}
const auto kMakeFirst = reinterpret_cast<LControlFactory::CreateFunction>(&First);
const auto kMakeSecond = reinterpret_cast<LControlFactory::CreateFunction>(&Second);
} // namespace

TEST(ControlFactory, TheFirstRegisteredCreateFunctionStays)
{
    const RCPtr<LControlFactory> factory = LControlFactory::Create(u"Brandole");
    LControlFactory::CreateFunction function = nullptr;
    try
    {
        (void)factory->GetControlCreateFunction(u"Framework.Button", function);
        FAIL() << "an unregistered class must throw";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_STREQ(error.what(), "Runtime Error : ZQ::LControlFactory::GetControlCreateFunction : "
                                   "ControlBase\\ControlFactory : Line 51");
    }
    EXPECT_EQ(factory->RegisterControlCreateFunction(u"Framework.Button", kMakeFirst), S_OK);
    EXPECT_EQ(factory->RegisterControlCreateFunction(u"Framework.Button", kMakeSecond), S_OK);
    EXPECT_EQ(factory->GetControlCreateFunction(u"Framework.Button", function), S_OK);
    EXPECT_EQ(function, kMakeFirst);
}

TEST(ControlFactory, EmbeddedDocumentsLoadByTheirResourceName)
{
    const RCPtr<LControlFactory> factory = LControlFactory::Create(u"Brandole");
    EXPECT_EQ(factory->LoadSkins(u"::test skin.xml"), S_OK); // TEST_SKIN_XML
    ASSERT_TRUE(factory->FindSkinDescriptor(u"mainControl"));
    EXPECT_EQ(factory->LoadSkins(u"::no such skin"), E_FAIL);
    EXPECT_EQ(factory->GetSkins().GetCount(), 1u);

    EXPECT_EQ(factory->LoadStringTables(u"::App Strings.xml", u"::NO_SUCH_STRINGS", 0x0407), S_OK);
    const RCPtr<LStringTable> strings = factory->GetApplicationStringTable();
    ASSERT_TRUE(strings);
    WString text;
    EXPECT_TRUE(strings->GetString(u"SELECT_FIRMWARE_FILE_DIALOG_TITLE", text));
    EXPECT_EQ(Utf8(text), "Firmware-Datei auswählen");
    EXPECT_EQ(factory->LoadStringTables(u"::NO_SUCH_STRINGS", u"::NO_SUCH_STRINGS", 9), S_OK);
}

TEST(ControlFactory, MissingAndEmptyFilesFailWithoutParsing)
{
    const RCPtr<LControlFactory> factory = LControlFactory::Create(u"Brandole");
    factory->SetCurrentSkinIndex(3);
    EXPECT_EQ(factory->LoadSkins(u"/nonexistent/Skins.xml"), E_FAIL);
    const ZQTest::TempDocument empty("");
    EXPECT_EQ(factory->LoadSkins(empty.Path()), E_FAIL);
    EXPECT_EQ(factory->GetCurrentSkinIndex(), 3);
    EXPECT_EQ(factory->GetLastParseErrorLine(), 0);
}

TEST(ControlFactory, AnXmlErrorFailsWithExpatsLineAndKeepsWhatWasRead)
{
    ZQRESULT result = S_OK;
    const RCPtr<LControlFactory> factory = LoadSkinFragment(
        "<Colorizers>\n<Colorizer Name=\"red\" ColorType=\"SolidFill\" Color=\"0xFFFF0000\"/>\n</Parts>",
        &result);
    EXPECT_EQ(result, E_FAIL);
    EXPECT_EQ(Utf8(factory->GetLastParseErrorText()), "mismatched tag");
    EXPECT_EQ(factory->GetLastParseErrorLine(), 6); // the fragment starts on line 4 of the document
    EXPECT_TRUE(factory->FindColorizer(u"red"));
}

TEST(ControlFactory, ASubControlWithoutClassFailsAndKeepsWhatWasRead)
{
    ZQRESULT result = S_OK;
    const RCPtr<LControlFactory> factory = LoadSkinFragment(R"(
<Skins><Skin Name="default">
  <SubControl Class="Framework.Label" Name="before"/>
  <SubControl Name="broken"/>
  <SubControl Class="Framework.Label" Name="after"/>
</Skin></Skins>)",
                                                            &result);
    EXPECT_EQ(result, E_FAIL);
    EXPECT_TRUE(factory->GetLastParseErrorText().IsEmpty()); // the reader's own failure, not Expat's
    EXPECT_TRUE(factory->FindSkinDescriptor(u"before"));
    EXPECT_FALSE(factory->FindSkinDescriptor(u"after"));

    // The handler's exception names its element and stays inside the factory.
    LControlFactory::AttributeMap attributes{{u"Class", u"Framework.Label"}};
    EXPECT_THROW(factory->XMLStartElement(u"SubControl", attributes), std::runtime_error);
}

TEST(ControlFactory, APathologicallyDeepTreeFailsTheParse)
{
    std::string controls;
    for (int i = 0; i < 1100; ++i)
        controls += "<SubControl Class=\"Framework.Panel\" Name=\"p\">";
    for (int i = 0; i < 1100; ++i)
        controls += "</SubControl>";
    ZQRESULT result = S_OK;
    const RCPtr<LControlFactory> factory =
        LoadSkinFragment("<Skins><Skin Name=\"s\">" + controls + "</Skin></Skins>", &result);
    EXPECT_EQ(result, E_FAIL);
    EXPECT_TRUE(factory->FindSkinDescriptor(u"p")); // what was read stays, and goes with the factory
}

TEST(ControlFactory, FindSkinDescriptorSearchesTheTopLevelOfTheCurrentSkin)
{
    const RCPtr<LControlFactory> factory = LControlFactory::Create(u"Brandole");
    EXPECT_FALSE(factory->FindSkinDescriptor(u"window")); // no skin loaded
    WString name;
    float size = 0;
    int32_t style = 0;
    EXPECT_EQ(factory->GetSkinFont(name, size, style), S_FALSE);

    const ZQTest::TempDocument first(ZQTest::SkinDocument(R"(<Skins><Skin Name="one" FontStyle="4">
  <SubControl Class="Framework.Window" Name="window" Z_Order="1"/>
  <SubControl Class="Framework.Window" Name="window" Z_Order="2">
    <SubControl Class="Framework.Label" Name="nested"/>
  </SubControl>
</Skin></Skins>)"));
    const ZQTest::TempDocument second(ZQTest::SkinDocument(R"(<Skins><Skin Name="two">
  <SubControl Class="Framework.Window" Name="other"/>
</Skin></Skins>)"));
    ASSERT_EQ(factory->LoadSkins(first.Path()), S_OK);
    const RCPtr<LControlDescriptor> window = factory->FindSkinDescriptor(u"window");
    ASSERT_TRUE(window);
    EXPECT_EQ(window->mLayout->mZOrder, 2);
    EXPECT_FALSE(factory->FindSkinDescriptor(u"nested"));
    EXPECT_EQ(factory->GetSkinFont(name, size, style), S_OK);
    EXPECT_EQ(style, 4);

    factory->SetCurrentSkinIndex(1);
    ASSERT_EQ(factory->LoadSkins(second.Path()), S_OK);
    EXPECT_EQ(factory->GetSkins().GetCount(), 2u);
    EXPECT_EQ(factory->GetCurrentSkinIndex(), 0);
    EXPECT_FALSE(factory->FindSkinDescriptor(u"other"));
    factory->SetCurrentSkinIndex(1);
    EXPECT_TRUE(factory->FindSkinDescriptor(u"other"));
    factory->SetCurrentSkinIndex(2);
    EXPECT_FALSE(factory->FindSkinDescriptor(u"other"));
    EXPECT_EQ(factory->GetSkinFont(name, size, style), S_FALSE);
}

TEST(ControlFactory, CopyDescriptorRenamesAndRelaysOutAClone)
{
    const RCPtr<LControlFactory> factory =
        LoadSkinFragment(R"(<Skins><Skin Name="s"><SubControl Class="Framework.List" Name="list">
  <SubControl Class="Framework.Label" Name="itemTemplate"/></SubControl></Skin></Skins>)");
    const RCPtr<LControlDescriptor> list = factory->FindSkinDescriptor(u"list");
    ASSERT_TRUE(list);
    const RCPtr<LLayoutDescriptor> layout = LLayoutDescriptor::Create();
    const RCPtr<LControlDescriptor> copy = factory->CopyDescriptor(list, layout, u"list2");
    EXPECT_EQ(Utf8(copy->mName), "list2");
    EXPECT_EQ(copy->mLayout, layout);
    EXPECT_EQ(copy->mParent, list->mParent);
    EXPECT_EQ(copy->mChildren.GetAt(0), list->mChildren.GetAt(0));
    EXPECT_EQ(Utf8(list->mName), "list");
}
