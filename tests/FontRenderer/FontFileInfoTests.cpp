#include "FontRenderer/FontTestFolder.h"

#include "Platform/Fonts/FontFolders.h"
#include "ZQFramework/Renderer/Font.h"
#include "ZQFramework/Renderer/FontRenderer/FontFileInfo.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace ZQ;

namespace
{
std::string Narrow(const WString& text)
{
    return AString(text).GetBuffer();
}

WString gDefaultFamily;

ZQRESULT DefaultFont(WString& name, float& size, int32_t& style)
{
    name = gDefaultFamily;
    size = 9;
    style = 0;
    return S_OK;
}

class FontFileInfoTest : public ::testing::Test
{
protected:
    ~FontFileInfoTest() override
    {
        LFontFileInfo::SetDefaultFontProvider(nullptr);
        LFontFileInfo::EmptyCatalogue();
    }

    static std::string PathOf(const char* family, int32_t style)
    {
        return Narrow(
            LFontFileInfo::GetFilePath(LFontFileInfo::GetFileID(LFont::GetFont(family, 12, style))));
    }

    FontTestFolder mFolder;
};

TEST_F(FontFileInfoTest, FolderListsTtfThenTtcSortedWithSubfoldersAndAnyCase)
{
    for (const char* name : {"b.TTF", "sub/a.ttf", "a.ttc", "c.Ttc", "notes.txt"})
        mFolder.Write(name, {'x'});
    const std::string dir = mFolder.Path().string() + "/";
    const std::vector<std::string> expected{dir + "b.TTF", dir + "sub/a.ttf", dir + "a.ttc", dir + "c.Ttc"};
    EXPECT_EQ(Platform::ListFontFiles(), expected);
}

TEST_F(FontFileInfoTest, WithoutTheVariableTheFoldersAreFontconfigs)
{
    ::unsetenv("ZQ_FONTS_DIR");
    const std::vector<std::string> files = Platform::ListFontFiles();
    ::setenv("ZQ_FONTS_DIR", mFolder.Path().c_str(), 1);
    EXPECT_NE(
        std::ranges::find(files, std::string(FontTestFolder::kInstalled) + "LiberationSans-Regular.ttf"),
        files.end());
}

TEST_F(FontFileInfoTest, BoldOnlyFamilyFillsItsRegularSlotWithTheBoldFile)
{
    const std::string bold = mFolder.Copy("LiberationMono-Bold.ttf", "mono-bold.ttf");
    ASSERT_EQ(LFontFileInfo::BuildCatalogue(), S_OK);
    const int32_t id = LFontFileInfo::GetFileID(LFont::GetFont(u"Liberation Mono", 12, 0));
    EXPECT_EQ(id % 4, 0);
    EXPECT_EQ(Narrow(LFontFileInfo::GetFilePath(id)), bold);
    EXPECT_EQ(PathOf("Liberation Mono", LFont::kItalic), bold);
}

TEST_F(FontFileInfoTest, LaterFileOfTheSameFamilyAndStyleWins)
{
    mFolder.Copy("LiberationSans-Regular.ttf", "a.ttf");
    const std::string later = mFolder.Copy("LiberationSans-Regular.ttf", "b.ttf");
    mFolder.Copy("LiberationSans-Bold.ttf", "c.ttf");
    ASSERT_EQ(LFontFileInfo::BuildCatalogue(), S_OK);
    EXPECT_EQ(PathOf("Liberation Sans", 0), later);
    EXPECT_EQ(PathOf("Liberation Sans", LFont::kBold), mFolder.Path().string() + "/c.ttf");
}

// The font as a collection of one: the collection header before it moves every table by its 16 bytes.
std::vector<char> AsCollection(const std::vector<char>& font)
{
    std::vector<char> collection{'t', 't', 'c', 'f', 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 16};
    collection.insert(collection.end(), font.begin(), font.end());
    const size_t tables = static_cast<uint8_t>(font[4]) << 8 | static_cast<uint8_t>(font[5]);
    for (size_t record = 16 + 12; record < 16 + 12 + tables * 16; record += 16)
    {
        const size_t at = record + 8 + 3; // the low byte of the table's offset
        uint32_t carry = 16;
        for (size_t i = at; carry != 0; --i)
        {
            const uint32_t sum = static_cast<uint8_t>(collection[i]) + carry;
            collection[i] = static_cast<char>(sum);
            carry = sum >> 8;
        }
    }
    return collection;
}

TEST_F(FontFileInfoTest, CollectionsAreReadAfterTheSingleFonts)
{
    mFolder.Write("a.ttc", AsCollection(FontTestFolder::Installed("LiberationSans-Regular.ttf")));
    mFolder.Copy("LiberationSans-Regular.ttf", "b.ttf");
    ASSERT_EQ(LFontFileInfo::BuildCatalogue(), S_OK);
    EXPECT_EQ(PathOf("Liberation Sans", 0), mFolder.Path().string() + "/a.ttc");
}

TEST_F(FontFileInfoTest, UnderlineAndStrikeoutResolveToTheFamilysStyleFile)
{
    const std::string bold = mFolder.Copy("LiberationSans-Bold.ttf", "bold.ttf");
    mFolder.Copy("LiberationSans-Regular.ttf", "regular.ttf");
    mFolder.Copy("LiberationMono-Regular.ttf",
                 "zmono.ttf"); // a family after it, which a style past 3 would reach
    ASSERT_EQ(LFontFileInfo::BuildCatalogue(), S_OK);
    const int32_t id =
        LFontFileInfo::GetFileID(LFont::GetFont(u"Liberation Sans", 12, LFont::kBold | LFont::kUnderline));
    EXPECT_EQ(id, LFontFileInfo::GetFileID(LFont::GetFont(u"Liberation Sans", 12, LFont::kBold)));
    EXPECT_EQ(Narrow(LFontFileInfo::GetFilePath(id)), bold);
    EXPECT_EQ(PathOf("Liberation Sans", LFont::kStrikeout), mFolder.Path().string() + "/regular.ttf");
}

TEST_F(FontFileInfoTest, PathsOfIdsOutsideTheCatalogueAreEmpty)
{
    mFolder.Copy("LiberationSans-Regular.ttf", "sans.ttf");
    ASSERT_EQ(LFontFileInfo::BuildCatalogue(), S_OK);
    EXPECT_TRUE(LFontFileInfo::GetFilePath(-1).IsEmpty());
    EXPECT_TRUE(LFontFileInfo::GetFilePath(4).IsEmpty());
    EXPECT_FALSE(LFontFileInfo::GetFilePath(0).IsEmpty());
}

TEST_F(FontFileInfoTest, UninstalledFamilyUsesTheDefaultFamilyWithItsOwnStyle)
{
    mFolder.Copy("LiberationSerif-Regular.ttf", "serif.ttf");
    const std::string bold = mFolder.Copy("LiberationSerif-Bold.ttf", "serif-bold.ttf");
    ASSERT_EQ(LFontFileInfo::BuildCatalogue(), S_OK);
    gDefaultFamily = u"Liberation Serif";
    LFontFileInfo::SetDefaultFontProvider(&DefaultFont);
    EXPECT_EQ(PathOf("No Such Family", LFont::kBold), bold);
}

TEST_F(FontFileInfoTest, UninstalledDefaultFamilyFallsBackToFontconfigsSubstitute)
{
    const std::string sans = mFolder.Copy("LiberationSans-Regular.ttf", "sans.ttf");
    mFolder.Copy("LiberationSerif-Regular.ttf", "serif.ttf");
    ASSERT_EQ(LFontFileInfo::BuildCatalogue(), S_OK);
    gDefaultFamily = u"Arial";
    LFontFileInfo::SetDefaultFontProvider(&DefaultFont);
    EXPECT_EQ(PathOf("Arial", 0), sans);
}

TEST_F(FontFileInfoTest, NoFittingFamilyThrows)
{
    mFolder.Copy("LiberationSans-Regular.ttf", "sans.ttf");
    ASSERT_EQ(LFontFileInfo::BuildCatalogue(), S_OK);
    gDefaultFamily = u"No Default Either";
    for (bool withDefault : {false, true})
    {
        LFontFileInfo::SetDefaultFontProvider(withDefault ? &DefaultFont : nullptr);
        try
        {
            (void)LFontFileInfo::GetFileID(LFont::GetFont(u"No Such Family", 12, 0));
            ADD_FAILURE() << "no exception";
        }
        catch (const std::runtime_error& error)
        {
            EXPECT_STREQ(error.what(), "Runtime Error : ZQ::LFontFileInfo::GetFileID : "
                                       "Renderer\\FontRenderer\\FontFileInfo : Line 469");
        }
    }
}

void PutU16(std::vector<char>& bytes, size_t at, uint16_t value)
{
    bytes[at] = static_cast<char>(value >> 8);
    bytes[at + 1] = static_cast<char>(value);
}

TEST_F(FontFileInfoTest, MalformedFilesAreSkipped)
{
    const std::vector<char> serif = FontTestFolder::Installed("LiberationSerif-Regular.ttf");
    ASSERT_GT(serif.size(), 4096u);
    mFolder.Write("truncated.ttf", std::vector<char>(serif.begin(), serif.begin() + 4096));
    mFolder.Write("header-only.ttf", std::vector<char>(serif.begin(), serif.begin() + 6));
    std::vector<char> hugeCount = serif;
    PutU16(hugeCount, 4, 0xffff);
    mFolder.Write("huge-table-count.ttf", hugeCount);
    std::vector<char> badCollection{'t', 't', 'c', 'f', 0, 1, 0, 0, 0x7f, -1, -1, -1, 0, 0, 0, 0};
    mFolder.Write("bad-count.ttc", badCollection);
    const std::string sans = mFolder.Copy("LiberationSans-Regular.ttf", "sans.ttf");
    ASSERT_EQ(LFontFileInfo::BuildCatalogue(), S_OK);
    EXPECT_EQ(PathOf("Liberation Sans", 0), sans);
    EXPECT_TRUE(LFontFileInfo::GetFilePath(4).IsEmpty()) << "only the well-formed file is catalogued";
    EXPECT_THROW((void)LFontFileInfo::GetFileID(LFont::GetFont(u"Liberation Serif", 12, 0)),
                 std::runtime_error);
}
} // namespace
