#include "Platform/Bytes/LittleEndian.h"

#include <array>
#include <gtest/gtest.h>
#include <vector>

namespace
{
using namespace Platform::LittleEndian;

// The layouts are fixed at compile time as well as at run time.
static_assert(GetU32(std::array<uint8_t, 4>{0x78, 0x56, 0x34, 0x12}.data()) == 0x12345678u);

TEST(LittleEndian, FieldsAreWrittenAndReadLowestByteFirst)
{
    struct Case
    {
        uint64_t value;
        size_t size;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {0x0000, 2, {0x00, 0x00}},
        {0xBEEF, 2, {0xEF, 0xBE}},
        {0xFFFF, 2, {0xFF, 0xFF}},
        {0x12345678, 4, {0x78, 0x56, 0x34, 0x12}},
        {0x80000001, 4, {0x01, 0x00, 0x00, 0x80}},
        {0xFFFFFFFF, 4, {0xFF, 0xFF, 0xFF, 0xFF}},
        {0x0123456789ABCDEF, 8, {0xEF, 0xCD, 0xAB, 0x89, 0x67, 0x45, 0x23, 0x01}},
        {0xFF00000000000000, 8, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << std::hex << c.value << " in " << c.size << " bytes");
        std::vector<uint8_t> put;
        std::vector<uint8_t> stored(c.size, 0xAA);
        uint64_t got = 0;
        switch (c.size)
        {
        case 2:
            PutU16(put, static_cast<uint16_t>(c.value));
            StoreU16(stored.data(), static_cast<uint16_t>(c.value));
            got = GetU16(c.bytes.data());
            break;
        case 4:
            PutU32(put, static_cast<uint32_t>(c.value));
            StoreU32(stored.data(), static_cast<uint32_t>(c.value));
            got = GetU32(c.bytes.data());
            break;
        default:
            PutU64(put, c.value);
            StoreU64(stored.data(), c.value);
            got = GetU64(c.bytes.data());
            break;
        }
        EXPECT_EQ(put, c.bytes);
        EXPECT_EQ(stored, c.bytes);
        EXPECT_EQ(got, c.value);
    }
}

TEST(LittleEndian, ReaderTakesFieldsInOrderAndFailsPastTheEnd)
{
    const std::vector<uint8_t> packet = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09,
                                         0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10, 0x11};
    Reader reader(packet);
    EXPECT_EQ(reader.U16(), 0x0201u);
    EXPECT_EQ(reader.U32(), 0x06050403u);
    EXPECT_EQ(reader.U64(), 0x0E0D0C0B0A090807u);
    EXPECT_EQ(reader.Left(), 3u);
    EXPECT_EQ(reader.Bytes(1).front(), 0x0F);
    EXPECT_FALSE(reader.Failed());

    // Two bytes are left: a 32-bit field does not fit, yields 0, and nothing can be read after it.
    EXPECT_EQ(reader.U32(), 0u);
    EXPECT_TRUE(reader.Failed());
    EXPECT_EQ(reader.U16(), 0u);
    EXPECT_TRUE(reader.Bytes(0).empty());
    EXPECT_TRUE(reader.Rest().empty());
    EXPECT_EQ(reader.Left(), 0u);

    Reader whole(packet);
    (void)whole.U64();
    EXPECT_EQ(whole.Rest().size(), packet.size() - 8);
    EXPECT_EQ(whole.Left(), 0u);
    EXPECT_FALSE(whole.Failed());
}
} // namespace
