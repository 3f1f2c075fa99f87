#include "ControlBase/LocaleScope.h"
#include "Support/Fifo.h"

#include "ZQFramework/Application/IniFileManager.h"
#include "ZQFramework/ObjectBase/RCPtr.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace
{
using ZQ::WString;
using Handle = ZQ::IIniFileManager::Handle;
namespace fs = std::filesystem;

std::string Narrow(const WString& text)
{
    return text.ToNarrow().GetBuffer();
}

std::optional<std::string> ReadWhole(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// A settings file as the manager writes it: the document's head, the root dictionary given with line
// feeds and tabs, and the end, each line ended by a carriage return and a line feed.
std::string Written(const std::string& dictionary)
{
    const std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                             "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
                             "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                             "<plist version=\"1.0\">\n" +
                             dictionary + "</plist>\n";
    std::string crlf;
    for (const char c : text)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return crlf;
}

// The settings file most cases start from, as a person might have written it.
const std::string kStored = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0">
<dict>
  <key>Application</key><string>Q3300 Splen</string>
  <key>1_0_0</key>
  <dict>
    <key>Name</key><string>seven</string>
    <key>Flag</key><true/>
    <key>Up</key><real>2.9</real>
    <key>Down</key><real>-2.9</real>
    <key>List</key><array><string>a</string><string>b</string><string>c</string></array>
  </dict>
</dict>
</plist>
)";

// The stored file's values as the writer puts them, with the list given.
std::string StoredWithList(const std::string& items)
{
    return "<dict>\n"
           "\t<key>Application</key><string>Q3300 Splen</string>\n"
           "\t<key>1_0_0</key><dict>\n"
           "\t\t<key>Name</key><string>seven</string>\n"
           "\t\t<key>Flag</key><true/>\n"
           "\t\t<key>Up</key><real>2.900000</real>\n"
           "\t\t<key>Down</key><real>-2.900000</real>\n" +
           (items.empty() ? "\t\t<key>List</key><array/>\n"
                          : "\t\t<key>List</key><array>\n" + items + "\t\t</array>\n") +
           "\t</dict>\n"
           "</dict>\n";
}

// A fresh folder with the settings path in it, and the manager the application would hold.
class IniFileFolder
{
public:
    IniFileFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "zqinifilesXXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            ADD_FAILURE() << "no temporary folder";
        mFolder = pattern;
    }
    ~IniFileFolder() { fs::remove_all(mFolder); }
    IniFileFolder(const IniFileFolder&) = delete;
    IniFileFolder& operator=(const IniFileFolder&) = delete;

    [[nodiscard]] std::string Path(const char* name = "UserSettings.ini") const
    {
        return mFolder + "/" + name;
    }
    void Store(const std::string& text) const { std::ofstream(Path(), std::ios::binary) << text; }

    ZQ::RCPtr<ZQ::LIniFileManager> manager{new ZQ::LIniFileManager};

private:
    std::string mFolder;
};

// The cases run in the "C" locale and in German, where the decimal separator is a comma.
class IniFileManagerLocaleTest : public LocaleTest
{
};

TEST_P(IniFileManagerLocaleTest, OperationsLeaveTheWholeFileAsExpected)
{
    struct Case
    {
        const char* name;
        bool stored; // the file starts as kStored, else it is missing
        const char* prefix;
        std::function<void(ZQ::IIniFileManager&, Handle)> act;
        std::optional<std::string> written; // none: the file is as it was (or still missing)
    };
    const Case cases[] = {
        {"a missing file is not made by opening and closing", false, "1_0_0", [](auto&, Handle) {},
         std::nullopt},
        {"a missing file is written whole after one change, the name kept as text", false, "1_0_0",
         [](ZQ::IIniFileManager& m, Handle h) { EXPECT_EQ(m.SetInteger(h, u"CurrentSkinIndex", 2), 0); },
         Written("<dict>\n"
                 "\t<key>Application</key><string>Q3300 &lt;Splen&gt; &amp; Co</string>\n"
                 "\t<key>1_0_0</key><dict>\n"
                 "\t\t<key>CurrentSkinIndex</key><integer>2</integer>\n"
                 "\t</dict>\n"
                 "</dict>\n")},
        {"readers change nothing", true, "1_0_0",
         [](ZQ::IIniFileManager& m, Handle h)
         {
             struct Integer
             {
                 const char16_t* key;
                 int32_t value;
             };
             for (const Integer& i : {Integer{u"Name", 0}, Integer{u"Missing", 5}, Integer{u"Up", 2},
                                      Integer{u"Down", -2}, Integer{u"Flag", 1}, Integer{u"List", 0}})
             {
                 int32_t value = -7;
                 EXPECT_EQ(m.GetInteger(h, i.key, 5, value), 0);
                 EXPECT_EQ(value, i.value) << Narrow(i.key);
             }
             WString text;
             EXPECT_EQ(m.GetString(h, u"Name", u"none", text), 0);
             EXPECT_EQ(text, u"seven");
             EXPECT_EQ(m.GetString(h, u"Up", u"none", text), 0);
             EXPECT_EQ(text, u"");
             EXPECT_EQ(m.GetString(h, u"Missing", u"none", text), 0);
             EXPECT_EQ(text, u"none");
             EXPECT_TRUE(m.KeyExists(h, u"List"));
             EXPECT_FALSE(m.KeyExists(h, u"Missing"));
             int32_t count = -7;
             EXPECT_EQ(m.GetChildCount(h, u"", count), 0);
             EXPECT_EQ(count, 5);
             EXPECT_EQ(m.GetChildCount(h, u"Name", count), 0);
             EXPECT_EQ(count, 0);
             EXPECT_EQ(m.GetChildCount(h, u"Missing", count), -1);
             EXPECT_EQ(m.GetChildName(h, u"", 4, text), 0);
             EXPECT_EQ(text, u"List");
             EXPECT_EQ(m.GetChildName(h, u"", 5, text), -1);
             EXPECT_EQ(m.GetChildName(h, u"Name", 0, text), -1);
             EXPECT_EQ(m.GetArrayCount(h, u"List", count), 0);
             EXPECT_EQ(count, 3);
             EXPECT_EQ(m.GetArrayCount(h, u"Name", count), -1);
             EXPECT_EQ(m.GetArrayString(h, u"List[1]", 0, text), -1);
             EXPECT_EQ(m.GetArrayString(h, u"List", 1, text), 0);
             EXPECT_EQ(text, u"b");
             EXPECT_EQ(m.GetArrayString(h, u"List", 3, text), -1);
             EXPECT_EQ(m.GetArrayString(h, u"List", -1, text), -1);
         },
         std::nullopt},
        {"SetArrayString past the end of a missing key", true, "1_0_0",
         [](ZQ::IIniFileManager& m, Handle h) { EXPECT_EQ(m.SetArrayString(h, u"New", 3, u"d"), 0); },
         Written("<dict>\n"
                 "\t<key>Application</key><string>Q3300 Splen</string>\n"
                 "\t<key>1_0_0</key><dict>\n"
                 "\t\t<key>Name</key><string>seven</string>\n"
                 "\t\t<key>Flag</key><true/>\n"
                 "\t\t<key>Up</key><real>2.900000</real>\n"
                 "\t\t<key>Down</key><real>-2.900000</real>\n"
                 "\t\t<key>List</key><array>\n"
                 "\t\t\t<string>a</string>\n"
                 "\t\t\t<string>b</string>\n"
                 "\t\t\t<string>c</string>\n"
                 "\t\t</array>\n"
                 "\t\t<key>New</key><array>\n"
                 "\t\t\t<string></string>\n"
                 "\t\t\t<string></string>\n"
                 "\t\t\t<string></string>\n"
                 "\t\t\t<string>d</string>\n"
                 "\t\t</array>\n"
                 "\t</dict>\n"
                 "</dict>\n")},
        {"SetArrayCount 1 keeps the first element", true, "1_0_0",
         [](ZQ::IIniFileManager& m, Handle h) { EXPECT_EQ(m.SetArrayCount(h, u"List", 1), 0); },
         Written(StoredWithList("\t\t\t<string>a</string>\n"))},
        {"SetArrayCount 5 adds empty strings", true, "1_0_0",
         [](ZQ::IIniFileManager& m, Handle h)
         {
             EXPECT_EQ(m.SetArrayCount(h, u"List", 5), 0);
             EXPECT_EQ(m.SetArrayCount(h, u"List", -1), -1);
         },
         Written(
             StoredWithList("\t\t\t<string>a</string>\n\t\t\t<string>b</string>\n\t\t\t<string>c</string>\n"
                            "\t\t\t<string></string>\n\t\t\t<string></string>\n"))},
        {"RemoveArrayItem moves the later elements down", true, "1_0_0",
         [](ZQ::IIniFileManager& m, Handle h)
         {
             EXPECT_EQ(m.RemoveArrayItem(h, u"List", 3), -1);
             EXPECT_EQ(m.RemoveArrayItem(h, u"Name", 0), -1);
             EXPECT_EQ(m.RemoveArrayItem(h, u"List", 0), 0);
             EXPECT_EQ(m.RemoveArrayItem(h, u"List", 1), 0);
             EXPECT_EQ(m.RemoveArrayItem(h, u"List", 0), 0);
         },
         Written(StoredWithList(""))},
        {"the prefix 1.0.0 names the key 1_0_0; writers change types and make dictionaries", true, "1.0.0",
         [](ZQ::IIniFileManager& m, Handle h)
         {
             WString text;
             EXPECT_EQ(m.GetString(h, u"Name", u"", text), 0);
             EXPECT_EQ(text, u"seven");
             EXPECT_EQ(m.SetInteger(h, u"Name", 7), 0);
             EXPECT_EQ(m.SetString(h, u"Window.Title", u"Gr\u00FC\u00DFe & <Tsch\u00FCss>"), 0);
             EXPECT_EQ(m.SetString(h, u"List[2]", u"C"), 0);
         },
         Written("<dict>\n"
                 "\t<key>Application</key><string>Q3300 Splen</string>\n"
                 "\t<key>1_0_0</key><dict>\n"
                 "\t\t<key>Name</key><integer>7</integer>\n"
                 "\t\t<key>Flag</key><true/>\n"
                 "\t\t<key>Up</key><real>2.900000</real>\n"
                 "\t\t<key>Down</key><real>-2.900000</real>\n"
                 "\t\t<key>List</key><array>\n"
                 "\t\t\t<string>a</string>\n"
                 "\t\t\t<string>b</string>\n"
                 "\t\t\t<string>C</string>\n"
                 "\t\t</array>\n"
                 "\t\t<key>Window</key><dict>\n"
                 "\t\t\t<key>Title</key><string>Gr\u00FC\u00DFe &amp; &lt;Tsch\u00FCss&gt;</string>\n"
                 "\t\t</dict>\n"
                 "\t</dict>\n"
                 "</dict>\n")},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const IniFileFolder folder;
        if (c.stored)
            folder.Store(kStored);
        Handle handle = 0;
        ASSERT_EQ(folder.manager->Open(WString(folder.Path().c_str()), WString(c.prefix),
                                       u"Q3300 <Splen> & Co", handle),
                  0);
        ASSERT_NE(handle, 0u);
        c.act(*folder.manager, handle);
        EXPECT_EQ(folder.manager->CloseAll(), 0);
        const std::optional<std::string> expected = c.written  ? c.written
                                                    : c.stored ? std::optional(kStored)
                                                               : std::nullopt;
        EXPECT_EQ(ReadWhole(folder.Path()), expected);
    }
}

ZQ_INSTANTIATE_LOCALES(IniFileManagerLocaleTest);

TEST(IniFileManager, OpeningAnOpenPathGivesItsHandle)
{
    const IniFileFolder folder;
    const WString path(folder.Path().c_str());
    Handle first = 0;
    Handle again = 0;
    Handle otherCase = 0;
    ASSERT_EQ(folder.manager->Open(path, u"1_0_0", u"App", first), 0);
    EXPECT_EQ(folder.manager->Open(path, u"2_0_0", u"Other", again), 1);
    EXPECT_EQ(again, first);
    EXPECT_EQ(
        folder.manager->Open(WString(folder.Path("usersettings.INI").c_str()), u"1_0_0", u"App", otherCase),
        0);
    EXPECT_NE(otherCase, first);
    EXPECT_EQ(folder.manager->CloseAll(), 0);
}

TEST(IniFileManager, ClosedHandlesNameNothingEvenWhenAFileIsOpenedAfterwards)
{
    const IniFileFolder folder;
    const WString path(folder.Path().c_str());
    Handle closed = 0;
    ASSERT_EQ(folder.manager->Open(path, u"1_0_0", u"App", closed), 0);
    ASSERT_EQ(folder.manager->SetInteger(closed, u"Value", 1), 0);
    EXPECT_EQ(folder.manager->Close(closed, false), 0);
    Handle reopened = 0;
    ASSERT_EQ(folder.manager->Open(path, u"1_0_0", u"App", reopened), 0);
    EXPECT_NE(reopened, closed);

    ZQ::IIniFileManager& m = *folder.manager;
    WString text;
    int32_t number = 0;
    const std::vector<std::function<ZQRESULT()>> operations = {
        [&] { return m.Save(closed); },
        [&] { return m.Close(closed, true); },
        [&] { return m.GetInteger(closed, u"Value", 0, number); },
        [&] { return m.SetInteger(closed, u"Value", 2); },
        [&] { return m.GetString(closed, u"Value", u"", text); },
        [&] { return m.SetString(closed, u"Value", u"x"); },
        [&] { return m.GetChildCount(closed, u"", number); },
        [&] { return m.GetChildName(closed, u"", 0, text); },
        [&] { return m.GetArrayCount(closed, u"List", number); },
        [&] { return m.SetArrayCount(closed, u"List", 1); },
        [&] { return m.GetArrayString(closed, u"List", 0, text); },
        [&] { return m.SetArrayString(closed, u"List", 0, u"x"); },
        [&] { return m.RemoveArrayItem(closed, u"List", 0); },
    };
    for (size_t i = 0; i < operations.size(); ++i)
        EXPECT_EQ(operations[i](), -3) << "operation " << i;
    EXPECT_FALSE(m.KeyExists(closed, u""));
    EXPECT_EQ(m.GetInteger(reopened, u"Value", -1, number), 0);
    EXPECT_EQ(number, -1); // the closed file's change was dropped
    EXPECT_EQ(m.CloseAll(), 0);
    EXPECT_FALSE(fs::exists(folder.Path()));
}

TEST(IniFileManager, AFailedWriteKeepsTheChangesForTheNextSave)
{
    const IniFileFolder folder;
    const std::string subfolder = folder.Path("later");
    const std::string path = subfolder + "/AppSettings.ini";
    Handle handle = 0;
    ASSERT_EQ(folder.manager->Open(WString(path.c_str()), u"1_0_0", u"App", handle), 0);
    ASSERT_EQ(folder.manager->SetInteger(handle, u"Value", 4), 0);
    EXPECT_EQ(folder.manager->Save(handle), -1);

    fs::create_directory(subfolder);
    EXPECT_EQ(folder.manager->Save(handle), 0);
    const std::string written = Written("<dict>\n"
                                        "\t<key>Application</key><string>App</string>\n"
                                        "\t<key>1_0_0</key><dict>\n"
                                        "\t\t<key>Value</key><integer>4</integer>\n"
                                        "\t</dict>\n"
                                        "</dict>\n");
    EXPECT_EQ(ReadWhole(path), written);

    // Written now: a further save or close leaves the file alone.
    fs::remove(path);
    EXPECT_EQ(folder.manager->Close(handle, true), 0);
    EXPECT_FALSE(fs::exists(path));
}

TEST(IniFileManager, SettingTheValueAlreadyHeldWritesNothing)
{
    const IniFileFolder folder;
    const std::string path = folder.Path();
    Handle handle = 0;
    ASSERT_EQ(folder.manager->Open(WString(path.c_str()), u"1_0_0", u"App", handle), 0);
    ASSERT_EQ(folder.manager->SetInteger(handle, u"Value", 4), 0);
    ASSERT_EQ(folder.manager->SetString(handle, u"Name", u"Splen"), 0);
    ASSERT_EQ(folder.manager->Save(handle), 0);

    // The same values again (as a program sets its settings at every start): the file is not written.
    fs::remove(path);
    EXPECT_EQ(folder.manager->SetInteger(handle, u"Value", 4), 0);
    EXPECT_EQ(folder.manager->SetString(handle, u"Name", u"Splen"), 0);
    EXPECT_EQ(folder.manager->Save(handle), 0);
    EXPECT_FALSE(fs::exists(path));

    // A string that reads as the same number is another value, and so is a new one.
    for (const auto& change :
         std::vector<std::function<ZQRESULT()>>{
             [&] { return folder.manager->SetString(handle, u"Value", u"4"); },
             [&] { return folder.manager->SetInteger(handle, u"Name", 0); },
             [&] { return folder.manager->SetInteger(handle, u"Other", 4); }})
    {
        fs::remove(path);
        EXPECT_EQ(change(), 0);
        EXPECT_EQ(folder.manager->Save(handle), 0);
        EXPECT_TRUE(fs::exists(path));
    }
    EXPECT_EQ(folder.manager->Close(handle, true), 0);
}

TEST(IniFileManager, WhatHeldNoSettingsIsKeptBesideTheNewRegularFile)
{
    const std::string kNotSettings = "[Section]\nkey=value\n";
    const std::string kWritten = Written("<dict>\n"
                                         "\t<key>Application</key><string>App</string>\n"
                                         "\t<key>1_0_0</key><dict>\n"
                                         "\t\t<key>Value</key><integer>4</integer>\n"
                                         "\t</dict>\n"
                                         "</dict>\n");
    struct Case
    {
        const char* what;
        std::function<void(const IniFileFolder&)> place; // puts something at the settings path
        bool kept;                                       // whether it is found beside the file afterwards
    };
    const Case cases[] = {
        {"a file that is no property list",
         [&](const IniFileFolder& folder) { std::ofstream(folder.Path(), std::ios::binary) << kNotSettings; },
         true},
        {"a link to another file that is no property list",
         [&](const IniFileFolder& folder)
         {
             std::ofstream(folder.Path("other.txt"), std::ios::binary) << kNotSettings;
             fs::create_symlink(folder.Path("other.txt"), folder.Path());
         },
         true},
        {"a FIFO", [](const IniFileFolder& folder) { ASSERT_EQ(::mkfifo(folder.Path().c_str(), 0600), 0); },
         true},
        {"an empty file", [](const IniFileFolder& folder) { std::ofstream(folder.Path()).flush(); }, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        const IniFileFolder folder;
        c.place(folder);
        const fs::file_status before = fs::symlink_status(folder.Path());
        Handle handle = 0;
        ZQRESULT opened = -1;
        EXPECT_TRUE(TestSupport::EndsWithoutAWriter(
            folder.Path(), [&]
            { opened = folder.manager->Open(WString(folder.Path().c_str()), u"1_0_0", u"App", handle); }));
        ASSERT_EQ(opened, 0);
        int32_t value = 0;
        EXPECT_EQ(folder.manager->GetInteger(handle, u"Value", -1, value), 0);
        EXPECT_EQ(value, -1) << "the file reads as a new document";
        ASSERT_EQ(folder.manager->SetInteger(handle, u"Value", 4), 0);
        EXPECT_EQ(folder.manager->Save(handle), 0);

        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(folder.Path()))) << "a new regular file";
        EXPECT_EQ(ReadWhole(folder.Path()), kWritten);
        const std::string kept = folder.Path() + ".corrupt";
        const auto expectKept = [&]
        {
            EXPECT_EQ(fs::exists(fs::symlink_status(kept)), c.kept);
            if (!c.kept)
                return;
            EXPECT_EQ(fs::symlink_status(kept).type(), before.type()) << "kept as it was";
            if (fs::is_regular_file(before))
            {
                EXPECT_EQ(ReadWhole(kept), kNotSettings);
            }
        };
        expectKept();
        if (fs::exists(folder.Path("other.txt")))
        {
            EXPECT_EQ(ReadWhole(folder.Path("other.txt")), kNotSettings)
                << "nothing written through the link";
        }

        // Kept once: the next write replaces the settings file only.
        ASSERT_EQ(folder.manager->SetInteger(handle, u"Value", 5), 0);
        EXPECT_EQ(folder.manager->Close(handle, true), 0);
        expectKept();
    }
}

TEST(IniFileManager, CloseWithAFailedSaveStillClosesTheFile)
{
    const IniFileFolder folder;
    const WString path((folder.Path("missing") + "/AppSettings.ini").c_str());
    Handle handle = 0;
    ASSERT_EQ(folder.manager->Open(path, u"1_0_0", u"App", handle), 0);
    ASSERT_EQ(folder.manager->SetString(handle, u"Value", u"x"), 0);
    EXPECT_EQ(folder.manager->Close(handle, true), -1);
    EXPECT_EQ(folder.manager->Save(handle), -3);
}
} // namespace
