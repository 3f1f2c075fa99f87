#include "Support/SkinFragment.h"
#include "Support/StringPrinting.h"

#include "ZQFramework/ControlBase/Skin/ControlFactory.h"

#include <gtest/gtest.h>
#include <string>

using namespace ZQ;
using TestSupport::Utf8;
using ZQTest::LoadStringTableFragments;

namespace
{
constexpr const char* kApplication = R"(
<String ID="LOST"><Locale LCID="0x0409">before any table</Locale></String>
<StringTable ID="|Brandole">
  <String ID="TITLE">
    <Locale LCID="0x0009">  Firmware  Updater</Locale>
    <Locale LCID="0x7c04">韌體更新程式</Locale>
    <Locale LCID="0x0011">ファームウェア更新</Locale>
    <Locale>no LCID</Locale>
  </String>
  <String ID="TWICE">
    <Locale LCID="0x0009">one </Locale>
    <Locale LCID="0x0009"> two</Locale>
  </String>
</StringTable>
<StringTable ID="FirmwareUpdater.MainControl|buttonExit">
  <String ID="LABEL"><Locale LCID="0x0009">Exit</Locale></String>
</StringTable>
<StringTable ID="Brandole|mainControl">
  <String ID="LABEL"><Locale LCID="0x0009">Main</Locale></String>
</StringTable>)";

constexpr const char* kApplicationInGerman = R"(
<StringTable ID="|Brandole">
  <String ID="TITLE"><Locale LCID="0x0007">Firmware-Aktualisierung</Locale></String>
</StringTable>)";

constexpr const char* kFramework = R"(
<StringTable ID="Framework">
  <String ID="EDIT_CUT">
    <Locale LCID="0x0009">Cut</Locale>
    <Locale LCID="0x0007">Ausschneiden</Locale>
  </String>
</StringTable>)";

std::string Text(const RCPtr<LStringTable>& table, const char16_t* key)
{
    WString text = u"<none>";
    if (table)
        table->GetString(key, text);
    return Utf8(text);
}
} // namespace

TEST(StringTableLoading, TextsFallBackFromLocaleToLanguageToEnglish)
{
    struct Case
    {
        int32_t lcid;
        const char* application;
        const char* title;
        const char* cut;
        int32_t finalLcid;
    };
    const Case cases[] = {
        {0x0409, kApplication, "  Firmware  Updater", "Cut", 0x0009}, // second pass, 0x09
        {0x0404, kApplication, "韌體更新程式", "Cut", 0x0009},        // 0x7C04, then English
        {0x0C04, kApplication, "韌體更新程式", "Cut", 0x0009},
        {0x0411, kApplication, "ファームウェア更新", "Cut", 0x0009},
        {0x0407, kApplication, "  Firmware  Updater", "Cut", 0x0009}, // no German: English for both
        {0x0407, kApplicationInGerman, "Firmware-Aktualisierung", "Ausschneiden", 0x0007},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.lcid);
        const RCPtr<LControlFactory> factory = LoadStringTableFragments(c.application, kFramework, c.lcid);
        EXPECT_EQ(Text(factory->GetApplicationStringTable(), u"TITLE"), c.title);
        EXPECT_EQ(Text(factory->GetFrameworkStringTable(), u"EDIT_CUT"), c.cut);
        EXPECT_EQ(factory->GetCurrentLCID(), c.finalLcid);
    }
}

TEST(StringTableLoading, MatchingLocalesOfOneStringConcatenate)
{
    const RCPtr<LControlFactory> factory = LoadStringTableFragments(kApplication, "", 0x0009);
    const RCPtr<LStringTable> table = factory->GetApplicationStringTable();
    EXPECT_EQ(Text(table, u"TWICE"), "one  two");
    EXPECT_EQ(Text(table, u"LOST"), "<none>");
    EXPECT_FALSE(factory->GetFrameworkStringTable()); // no framework document
}

TEST(StringTableLoading, ControlTablesAreKeyedByOwnerClassAndHandedOutAsCopies)
{
    const RCPtr<LControlFactory> factory =
        LoadStringTableFragments(kApplication, kFramework, 0x0409, ZQTest::Encoding::Utf8);
    const RCPtr<LControlDescriptor> owner =
        LControlDescriptor::Create(u"FirmwareUpdater.MainControl", u"mainControl", nullptr);

    const RCPtr<LStringTable> copy = factory->GetControlStringTable(owner.Get(), u"buttonExit");
    EXPECT_EQ(Text(copy, u"LABEL"), "Exit");
    EXPECT_EQ(copy->SetString(u"LABEL", u"Changed"), S_FALSE);
    EXPECT_EQ(Text(factory->GetControlStringTable(owner.Get(), u"buttonExit"), u"LABEL"), "Exit");

    EXPECT_EQ(Text(factory->GetControlStringTable(nullptr, u"mainControl"), u"LABEL"), "Main");
    EXPECT_FALSE(factory->GetControlStringTable(owner.Get(), u"noSuchControl"));
}
