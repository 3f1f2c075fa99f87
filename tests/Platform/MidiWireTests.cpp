#include "Platform/Bytes/LittleEndian.h"
#include "Platform/Midi/MidiWire.h"

#include <gtest/gtest.h>

using namespace Platform::MidiWire;

namespace
{
TEST(MidiWire, PortFileNamesHaveOneLengthAndSortInPublishingOrder)
{
    struct Case
    {
        bool input;
        uint64_t order;
        uint32_t pid;
        uint32_t counter;
    };
    for (const Case c :
         {Case{true, 0x1234, 42, 7}, Case{false, 0, 0, 0}, Case{false, UINT64_MAX, UINT32_MAX, 1}})
    {
        const std::string file = PortFileName(c.input, c.order, c.pid, c.counter);
        EXPECT_EQ(file.size(), kPortFileNameLength - (c.input ? 1 : 0)) << file;
        EXPECT_TRUE(IsPortFileName(file, c.input)) << file;
        EXPECT_FALSE(IsPortFileName(file, !c.input)) << file;
        EXPECT_FALSE(IsPortFileName(NameFilePath(file), c.input)) << file;
    }
    EXPECT_LT(PortFileName(false, 9, 1, 0), PortFileName(false, 10, 0, 0));
    for (const std::string other :
         {"in-12-x", "notes.txt", "in-0000000000001234-0000002a-0000000", "",
          "in-0000000000001234-0000002a-0000000g", "in-0000000000001234_0000002a-00000007"})
        EXPECT_FALSE(IsPortFileName(other, true)) << other;
}

TEST(MidiWire, NamesTravelInTheirNameFileCutTo31Units)
{
    const std::u16string names[] = {u"Keys",
                                    u"a/b\\c%d",
                                    u"Mix\u00e9r \U0001F3B9",
                                    u"",
                                    u"Tab\there",
                                    u"Tavrin DJ Q3300 Splen",
                                    std::u16string(40, u'\u20AC'),
                                    u"\xD800 lone"};
    for (const auto& name : names)
    {
        const std::string contents = NameFileContents(name);
        EXPECT_LE(contents.size(), kMaxNameFileBytes);
        const auto read =
            NameFromContents(std::span(reinterpret_cast<const uint8_t*>(contents.data()), contents.size()));
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(*read, name[0] == 0xD800 ? u"\uFFFD lone" : CutName(name));
    }
    const std::vector<uint8_t> tooLarge(kMaxNameFileBytes + 1, 'x');
    EXPECT_FALSE(NameFromContents(tooLarge).has_value());
    const std::vector<uint8_t> broken = {'A', 0xC3, 0x28, 0xFF};
    EXPECT_EQ(NameFromContents(broken), u"A\uFFFD(\uFFFD");
}

TEST(MidiWire, PacketsAreReadByTheirTypeAndRefusedWhenTooShort)
{
    struct Case
    {
        std::vector<uint8_t> packet;
        bool read;
        uint32_t sequence;
        bool last;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {{}, false, 0, false, {}},
        {{kFrameShort}, false, 0, false, {}},
        {{kFrameShort, 0x90, 0x3C, 0x7F}, true, 0, false, {0x90, 0x3C, 0x7F}},
        {{kFrameShort, 0x90, 0x3C, 0x7F, 0x00}, false, 0, false, {}},
        {{kFrameLong, 4, 3, 2, 1}, false, 0, false, {}},
        {{kFrameLong, 4, 3, 2, 1, kLongFlagLast}, true, 0x01020304, true, {}},
        {{kFrameLong, 1, 0, 0, 0, 0, 0xF0, 0x7E}, true, 1, false, {0xF0, 0x7E}},
        {{kFrameDone, 9, 0, 0}, false, 0, false, {}},
        {{kFrameDone, 9, 0, 0, 0}, true, 9, false, {}},
        {{kFrameLongError}, true, 0, false, {}},
        {{0x05, 1, 2, 3}, false, 0, false, {}},
    };
    for (const auto& c : cases)
    {
        const auto frame = ReadFrame(c.packet);
        ASSERT_EQ(frame.has_value(), c.read)
            << c.packet.size() << " bytes of type " << (c.packet.empty() ? -1 : c.packet[0]);
        if (!frame)
            continue;
        EXPECT_EQ(frame->type, c.packet[0]);
        EXPECT_EQ(frame->sequence, c.sequence);
        EXPECT_EQ(frame->last, c.last);
        EXPECT_EQ(std::vector<uint8_t>(frame->bytes.begin(), frame->bytes.end()), c.bytes);
    }
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
