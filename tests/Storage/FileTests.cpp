#include "ZQFramework/Utilities/Storage/File.h"
#include "ZQFramework/Utilities/Storage/StringArray.h"

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

namespace
{
using ZQ::File;
using ZQ::WString;

std::string Narrow(const WString& text)
{
    return text.ToNarrow().GetBuffer();
}

// A fresh folder for one test, removed with everything in it afterwards.
class FileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zqfileXXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        mFolder = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(mFolder); }

    [[nodiscard]] WString Folder() const { return WString(mFolder.c_str()); }
    [[nodiscard]] WString PathOf(const char* name) const { return WString((mFolder + "/" + name).c_str()); }
    void MakeFile(const char* name) const
    {
        File file(Folder(), WString(name), File::kRead | File::kWrite | File::kCreate);
        ASSERT_TRUE(file.IsOpen());
    }

    std::string mFolder;
};

TEST_F(FileTest, WritesReadsAndSeeksAtOffsets)
{
    File file;
    ASSERT_EQ(file.Open(Folder(), WString(u"image.bin"), File::kRead | File::kWrite | File::kCreate), S_OK);
    EXPECT_EQ(Narrow(file.GetPath()), mFolder + "/image.bin");
    EXPECT_EQ(file.Open(Folder(), WString(u"other.bin"), File::kRead), S_FALSE);

    EXPECT_EQ(file.Write("hello world", 11), 11);
    EXPECT_EQ(file.GetLength(), 11);
    char buffer[16] = {};
    EXPECT_EQ(file.Read(buffer, 5, 0), 5);
    EXPECT_EQ(std::string(buffer, 5), "hello");
    EXPECT_EQ(file.Read(buffer, 16), 6);
    EXPECT_EQ(std::string(buffer, 6), " world");
    EXPECT_EQ(file.Read(buffer, 16), 0);
    EXPECT_EQ(file.Write("W", 1, 6), 1);
    EXPECT_EQ(file.Seek(-5, 2), 6);
    EXPECT_EQ(file.Read(buffer, 5), 5);
    EXPECT_EQ(std::string(buffer, 5), "World");
}

TEST_F(FileTest, WholePathAsFolderOpensReadOnly)
{
    MakeFile("image.bin");
    File file;
    ASSERT_EQ(file.Open(PathOf("image.bin"), WString(), File::kRead), S_OK);
    EXPECT_TRUE(file.GetName().IsEmpty());
    EXPECT_THROW(file.Write("x", 1), std::runtime_error);
    EXPECT_EQ(file.GetLength(), 0);
}

TEST_F(FileTest, BackslashSeparatedFoldersWork)
{
    const WString folder = Folder() + WString(u"\\firmware\\images");
    ASSERT_EQ(File::CreateFolder(folder), S_OK);
    File file(folder, WString(u"QD51DSP_FULL.syx"), File::kRead | File::kWrite | File::kCreate);
    EXPECT_TRUE(file.IsOpen());
    EXPECT_TRUE(File::Exists(WString((mFolder + "/firmware/images/QD51DSP_FULL.syx").c_str())));
}

TEST_F(FileTest, OpenFailuresAreReportedByResult)
{
    MakeFile("present.bin");
    File missing;
    EXPECT_EQ(missing.Open(Folder(), WString(u"absent.bin"), File::kRead), E_FAIL);
    EXPECT_FALSE(missing.IsOpen());
    File exclusive;
    EXPECT_EQ(
        exclusive.Open(Folder(), WString(u"present.bin"), File::kRead | File::kCreate | File::kExclusive),
        E_FAIL);
    File ok;
    EXPECT_EQ(ok.Open(Folder(), WString(u"present.bin"), File::kRead | File::kCreate), S_OK);
}

TEST_F(FileTest, FailuresThrowTheFrameworkTexts)
{
    File readOnly(Folder(), WString(u"r.bin"), File::kRead | File::kCreate);
    File notOpen;
    File writableButNotOpen;
    ASSERT_EQ(writableButNotOpen.Open(Folder(), WString(u"absent.bin"), File::kRead | File::kWrite), E_FAIL);
    File full(WString(u"/dev/full"), WString(), File::kRead | File::kWrite);
    char buffer[4] = {};

    struct Case
    {
        const char* what;
        std::function<void()> action;
        const char* text;
    };
    const Case cases[] = {
        {"empty path", [&] { notOpen.Open(WString(), WString(), File::kRead); },
         "Runtime Error : invalid pathname : ZQ::File::Open : Utilities\\Storage\\ZQFile : Line 318"},
        {"read seek", [&] { notOpen.Read(buffer, 4, 2); },
         "Runtime Error : lseek : ZQ::File::Read : Utilities\\Storage\\ZQFile : Line 472"},
        {"read", [&] { notOpen.Read(buffer, 4); },
         "Runtime Error : read : ZQ::File::Read : Utilities\\Storage\\ZQFile : Line 500"},
        {"read only", [&] { readOnly.Write(buffer, 4); },
         "Runtime Error : file is read only : ZQ::File::Write : Utilities\\Storage\\ZQFile : Line 579"},
        {"write seek", [&] { writableButNotOpen.Write(buffer, 4, 2); },
         "Runtime Error : lseek : ZQ::File::Write : Utilities\\Storage\\ZQFile : Line 588"},
        {"write", [&] { full.Write(buffer, 4); },
         "Runtime Error : write : ZQ::File::Write : Utilities\\Storage\\ZQFile : Line 627"},
    };
    ASSERT_TRUE(readOnly.IsOpen());
    ASSERT_TRUE(full.IsOpen());
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        try
        {
            c.action();
            ADD_FAILURE() << "no exception";
        }
        catch (const ZQ::Exception<std::runtime_error>& e)
        {
            EXPECT_STREQ(e.what(), c.text);
        }
    }
    EXPECT_EQ(std::filesystem::file_size(mFolder + "/r.bin"), 0u);
}

TEST_F(FileTest, TemporaryFileGoesWithItsLastHolder)
{
    const uint32_t flags = File::kRead | File::kWrite | File::kCreate | File::kTemporary;
    auto file = std::make_unique<File>(Folder(), WString(u"scratch.tmp"), flags);
    ASSERT_TRUE(file->IsOpen());
    {
        File copy = *file;
        EXPECT_EQ(copy.Close(), S_OK);
        EXPECT_TRUE(copy.IsOpen()); // still shared: nothing happens
        EXPECT_TRUE(File::Exists(PathOf("scratch.tmp")));
    }
    EXPECT_EQ(file->Close(), S_OK);
    EXPECT_FALSE(file->IsOpen());
    EXPECT_FALSE(File::Exists(PathOf("scratch.tmp")));
}

TEST_F(FileTest, FoldersAreCreatedAndRecognised)
{
    const WString nested = Folder() + WString(u"/a/b/c");
    EXPECT_FALSE(File::DirectoryExists(nested));
    EXPECT_EQ(File::CreateFolder(nested), S_OK);
    EXPECT_TRUE(File::DirectoryExists(nested));
    EXPECT_TRUE(File::DirectoryExists(nested + WString(u"/")));
    EXPECT_TRUE(File::DirectoryExists(WString(u"/")));
    EXPECT_EQ(File::CreateFolder(nested), S_FALSE);
    EXPECT_FALSE(File::Exists(nested));

    MakeFile("blocker");
    EXPECT_EQ(File::CreateFolder(PathOf("blocker")), E_FAIL);
    EXPECT_TRUE(File::Exists(PathOf("blocker")));
    EXPECT_FALSE(File::Exists(PathOf("absent")));
    EXPECT_TRUE(File::GetLongPathName(PathOf("blocker")) == PathOf("blocker"));
    EXPECT_TRUE(File::GetLongPathName(PathOf("absent")).IsEmpty());
}

TEST_F(FileTest, EnumerateFilesListsMatchingFilesOnly)
{
    MakeFile("b.TTF");
    MakeFile("a.ttf");
    MakeFile("c.txt");
    ASSERT_EQ(File::CreateFolder(PathOf("folder.ttf")), S_OK);

    ZQ::WStringArray names;
    names.Add(WString(u"stale"));
    ASSERT_EQ(File::EnumerateFiles(Folder(), WString(u"*.ttf"), names), 2);
    EXPECT_EQ(Narrow(names.GetAt(0)), mFolder + "/a.ttf");
    EXPECT_EQ(Narrow(names.GetAt(1)), mFolder + "/b.TTF");
    EXPECT_EQ(File::EnumerateFiles(Folder(), WString(u"*.ttc"), names), 0);
    EXPECT_EQ(File::EnumerateFiles(PathOf("absent"), WString(u"*"), names), E_NOTIMPL);
    EXPECT_EQ(names.GetCount(), 0u);
}

TEST(FilePaths, SplitAtEitherSeparatorAndCleanNames)
{
    struct Case
    {
        const char16_t* path;
        const char16_t* folder;
        const char16_t* name;
    };
    const Case cases[] = {
        {u"D:\\Data\\image.bin", u"D:\\Data", u"image.bin"},
        {u"D:\\x/y.syx", u"D:\\x", u"y.syx"},
        {u"D:\\x\\", u"D:\\x", u"D:\\x\\"},
        {u"/home/user/QD51DSP_FULL.syx", u"/home/user", u"QD51DSP_FULL.syx"},
        {u"plain.syx", u"plain.syx", u"plain.syx"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(Narrow(WString(c.path)));
        EXPECT_TRUE(File::GetFolderFromPath(WString(c.path)) == c.folder);
        EXPECT_TRUE(File::GetFileNameFromPath(WString(c.path)) == c.name);
    }
    EXPECT_TRUE(File::MakeValidFileName(WString(u"a/b:c (1).txt")) == u"a_b_c _1_.txt");
    EXPECT_TRUE(File::MakeValidFileName(WString(u"\\/:*?\"<>|&;,^()ok")) == u"_______________ok");
}
} // namespace
