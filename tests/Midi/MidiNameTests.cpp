#include "ZQFramework/Midi/MidiComm.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
using ZQ::LMidiComm;
using ZQ::WString;
using ZQ::WStringArray;

WStringArray Names(const std::vector<std::u16string>& names)
{
    WStringArray array;
    for (const auto& name : names)
        (void)array.Add(WString(name.c_str()));
    return array;
}

std::vector<std::u16string> Texts(const WStringArray& array)
{
    std::vector<std::u16string> texts;
    for (uint32_t i = 0; i < array.GetCount(); ++i)
        texts.emplace_back(array.GetAt(i).GetBuffer());
    return texts;
}

TEST(MidiNames, DuplicatesAreNumberedTogetherInOrderOfFirstOccurrence)
{
    const WStringArray unique =
        LMidiComm::MakeUniqueNames(Names({u"Keys", u"Pad", u"Keys", u"keys", u"Pad", u"Keys"}));
    const std::vector<std::u16string> expected{u"Keys (1)", u"Keys (2)", u"Keys (3)",
                                               u"Pad (1)",  u"Pad (2)",  u"keys"};
    EXPECT_EQ(Texts(unique), expected);
    EXPECT_EQ(Texts(LMidiComm::MakeUniqueNames(Names({}))), std::vector<std::u16string>{});
}

TEST(MidiNames, MatchingPrefersAnExactNameAndCountsPartialOnes)
{
    struct Case
    {
        const char16_t* request;
        std::vector<std::u16string> names;
        int32_t count;
        int32_t position;
    };
    const Case cases[] = {
        {u"Keys MIDI", {u"Keys MIDI Out", u"Keys MIDI"}, 1, 1}, // exact wins wherever it stands
        {u"keys midi", {u"Keys MIDI Out", u"Keys MIDI"}, 1, 1}, // case-insensitive
        {u"keys", {u"Keys MIDI", u"Keys MIDI Out"}, 2, 0},      // ambiguous
        {u"Keys", {u"Keys (1)", u"Keys (2)"}, 2, 0},
        {u"Keys (2)", {u"Keys (1)", u"Keys (2)"}, 1, 1},
        {u"Pad", {u"Keys MIDI"}, 0, -1},
        {u"Keys", {u"Pad", u"Keys MIDI"}, 1, 1}, // one partial match
    };
    for (const Case& c : cases)
    {
        const LMidiComm::NameMatch match = LMidiComm::MatchName(WString(c.request), Names(c.names));
        EXPECT_EQ(match.count, c.count)
            << std::string(c.request, c.request + std::u16string(c.request).size());
        EXPECT_EQ(match.position, c.position);
    }
}

TEST(MidiNames, OrdinalSuffixSplitsOffOneOrTwoDigits)
{
    struct Case
    {
        const char16_t* request;
        const char16_t* base;
        int32_t ordinal;
    };
    const Case cases[] = {
        {u"Keys MIDI (2)", u"Keys MIDI", 1}, {u"keys (1)", u"keys", 0}, {u"Keys (0)", u"Keys", -1},
        {u"Keys (12)", u"Keys", 11},         {u"Keys", u"Keys", 0},     {u"Keys(2)", u"Keys(2)", 0},
        {u"Keys (x)", u"Keys", -1},          {u" (3)", u"", 2},         {u"", u"", 0},
    };
    for (const Case& c : cases)
    {
        WString base;
        int32_t ordinal = 99;
        LMidiComm::SplitOrdinal(WString(c.request), base, ordinal);
        EXPECT_EQ(std::u16string(base.GetBuffer()), std::u16string(c.base));
        EXPECT_EQ(ordinal, c.ordinal) << std::u16string(c.request).size();
    }
}
} // namespace
