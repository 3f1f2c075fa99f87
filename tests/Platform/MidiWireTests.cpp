#include "Platform/Bytes/LittleEndian.h"
#include "Platform/Midi/MidiWire.h"

#include <gtest/gtest.h>

using namespace Platform::MidiWire;

namespace
{
TEST(MidiWire, PortFileNamesKeepTheNameAndSortInPublishingOrder)
{
    const std::u16string names[] = {u"Keys", u"a/b\\c%d", u"Mix\u00e9r \U0001F3B9", u"", u"Tab\there"};
    for (const auto& name : names)
    {
        const std::string file = PortFileName(true, 0x1234, 42, 7, name);
        EXPECT_EQ(file.find('/'), std::string::npos);
        std::u16string parsed;
        ASSERT_TRUE(ParsePortFileName(file, true, parsed)) << file;
        EXPECT_EQ(parsed, name);
        EXPECT_FALSE(ParsePortFileName(file, false, parsed));
    }
    EXPECT_LT(PortFileName(false, 9, 1, 0, u"Z"), PortFileName(false, 10, 1, 0, u"A"));
    std::u16string parsed;
    EXPECT_FALSE(ParsePortFileName("in-12-x", true, parsed));
    EXPECT_FALSE(ParsePortFileName("notes.txt", true, parsed));
}

TEST(MidiWire, NamesAreCutTo31UnitsWithoutSplittingASurrogatePair)
{
    const std::u16string thirty(30, u'x');
    EXPECT_EQ(CutName(thirty + u"yz"), thirty + u"y");
    EXPECT_EQ(CutName(thirty + u"\U0001F3B9"), thirty);
    EXPECT_EQ(CutName(u"short"), u"short");
}

TEST(MidiWire, LongMessagesAreFramedInPartsWithTheLastMarked)
{
    std::vector<uint8_t> bytes(kMaxLongPart + 10, 0x11);
    const auto frames = LongFrames(0x01020304, bytes);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0][0], kFrameLong);
    EXPECT_EQ(Platform::LittleEndian::GetU32(frames[0].data() + 1), 0x01020304u);
    EXPECT_EQ(frames[0][5], 0);
    EXPECT_EQ(frames[1][5], kLongFlagLast);
    EXPECT_EQ(frames[0].size() + frames[1].size(), bytes.size() + 2 * kLongHeaderSize);
    EXPECT_EQ(frames[1][1], 0x04); // little-endian
}
} // namespace
