#include "Platform/Midi/MidiMessageLength.h"

#include <gtest/gtest.h>

namespace
{
TEST(MidiMessageLength, EveryFirstByteHasOneRowWithItsThreeLengths)
{
    // The rows follow each other without gap or overlap from 00 to FF.
    unsigned next = 0;
    for (const auto& row : Platform::kShortMessageLengths)
    {
        EXPECT_EQ(row.first, next);
        EXPECT_LE(row.first, row.last);
        next = row.last + 1u;
    }
    EXPECT_EQ(next, 0x100u);

    struct Case
    {
        uint8_t status;
        size_t standard;
        uint8_t sent;
        uint8_t captured;
    };
    const Case cases[] = {
        {0x00, 1, 1, 1}, {0x7F, 1, 1, 1}, {0x80, 3, 3, 3}, {0x90, 3, 3, 3}, {0xBF, 3, 3, 3},
        {0xC0, 2, 2, 2}, {0xDF, 2, 2, 2}, {0xE0, 3, 3, 3}, {0xEF, 3, 3, 3}, {0xF0, 0, 0, 1},
        {0xF1, 2, 2, 1}, {0xF2, 3, 3, 1}, {0xF3, 2, 2, 1}, {0xF4, 1, 2, 1}, {0xF5, 1, 2, 1},
        {0xF6, 1, 1, 1}, {0xF7, 0, 0, 1}, {0xF8, 1, 1, 1}, {0xFE, 1, 1, 1}, {0xFF, 1, 1, 1},
    };
    for (const Case& c : cases)
    {
        const auto& row = Platform::ShortMessageRow(c.status);
        EXPECT_EQ(Platform::ShortMessageLength(c.status), c.standard) << int(c.status);
        EXPECT_EQ(row.sent, c.sent) << int(c.status);
        EXPECT_EQ(row.captured, c.captured) << int(c.status);
    }
}
} // namespace
