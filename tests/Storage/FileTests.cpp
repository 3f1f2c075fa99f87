#include "Support/Fifo.h"

#include "ZQFramework/Utilities/Storage/File.h"
#include "ZQFramework/Utilities/Storage/StringArray.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace
{
using ZQ::File;
using ZQ::WString;

std::string Narrow(const WString& text)
{
    return text.ToNarrow().GetBuffer();
}

// While it lives, files of this process cannot grow (a stand-in for a full disk): a write that would
// grow one fails with EFBIG instead of raising SIGXFSZ.
class FileSizeLimit
{
public:
    FileSizeLimit()
    {
        mSignal = std::signal(SIGXFSZ, SIG_IGN);
        (void)::getrlimit(RLIMIT_FSIZE, &mSaved);
        const rlimit none{0, mSaved.rlim_max};
        (void)::setrlimit(RLIMIT_FSIZE, &none);
    }
    ~FileSizeLimit()
    {
        (void)::setrlimit(RLIMIT_FSIZE, &mSaved);
        (void)std::signal(SIGXFSZ, mSignal);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit mSaved{};
    void (*mSignal)(int) = nullptr;
};

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
    File full(Folder(), WString(u"full.bin"), File::kRead | File::kWrite | File::kCreate);
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
        {"write",
         [&]
         {
             const FileSizeLimit noRoom;
             full.Write(buffer, 4);
         },
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

TEST_F(FileTest, OnlyRegularFilesOpenAndNothingWaitsForAWriter)
{
    const TestSupport::Fifo fifo(mFolder + "/image.syx");
    ASSERT_TRUE(fifo.IsMade());
    ASSERT_EQ(File::CreateFolder(PathOf("folder.syx")), S_OK);
    struct Case
    {
        WString path;
        uint32_t flags;
    };
    const Case cases[] = {
        {PathOf("image.syx"), File::kRead},
        {PathOf("image.syx"), File::kRead | File::kWrite},
        {PathOf("folder.syx"), File::kRead},
        {WString(u"/dev/null"), File::kRead},
        {WString(u"/dev/zero"), File::kRead | File::kWrite | File::kCreate},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(Narrow(c.path) + " flags " + std::to_string(c.flags));
        File file;
        ZQRESULT result = S_OK;
        EXPECT_TRUE(fifo.EndsWithoutAWriter([&] { result = file.Open(c.path, WString(), c.flags); }));
        EXPECT_EQ(result, E_FAIL);
        EXPECT_FALSE(file.IsOpen());
    }
}

TEST_F(FileTest, ASizeBeyondThirtyTwoBitsIsAFailedStatNotACutSize)
{
    // Sparse files: nothing of their size is written to the disk.
    struct Case
    {
        const char* name;
        off_t size;
        bool fits;
    };
    const Case cases[] = {
        {"largest.bin", INT32_MAX, true},
        {"one more.bin", off_t{INT32_MAX} + 1, false},
        {"4 GiB and a page.bin", (off_t{1} << 32) + 4096, false},
        {"5 GiB.bin", off_t{5} << 30, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        MakeFile(c.name);
        ASSERT_EQ(::truncate((mFolder + "/" + c.name).c_str(), c.size), 0);
        File file(Folder(), WString(c.name), File::kRead);
        ASSERT_TRUE(file.IsOpen());
        if (c.fits)
        {
            EXPECT_EQ(file.GetLength(), INT32_MAX);
            continue;
        }
        try
        {
            (void)file.GetLength();
            ADD_FAILURE() << "no exception";
        }
        catch (const ZQ::Exception<std::runtime_error>& e)
        {
            EXPECT_STREQ(
                e.what(),
                "Runtime Error : fstat : ZQ::File::GetLength : Utilities\\Storage\\ZQFile : Line 126");
        }
    }
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
