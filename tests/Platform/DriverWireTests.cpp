#include "Platform/Driver/DriverWire.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

// The readers of the driver's wire: each message is read field by field within its packet, and a packet
// too short for its type, or of the other direction's or no known type, is no message at all.

using namespace Platform::DriverWire;

namespace
{
std::vector<uint8_t> Packet(std::initializer_list<uint32_t> fields, std::vector<uint8_t> tail = {})
{
    std::vector<uint8_t> packet;
    for (const uint32_t field : fields)
        PutU32(packet, field);
    packet.insert(packet.end(), tail.begin(), tail.end());
    return packet;
}

std::vector<uint8_t> Bytes(std::span<const uint8_t> span)
{
    return {span.begin(), span.end()};
}
} // namespace

TEST(DriverWire, ProgramMessagesAreReadWithinTheirPacket)
{
    struct Case
    {
        const char* what;
        std::vector<uint8_t> packet;
        bool read;
    };
    const Case cases[] = {
        {"hello", Packet({Hello}), true},
        {"request", Packet({Request, 7, 0x222004, 2, 1}, {0xA1, 0xA2, 0xB1}), true},
        {"request short of its output", Packet({Request, 7, 0x222004, 2, 1}, {0xA1, 0xA2}), false},
        {"request sizes past the packet", Packet({Request, 7, 0x222004, 0xFFFFFFFF, 0xFFFFFFFF}), false},
        {"write data", Packet({WriteData, 5, 64, 1}, {1, 2, 3}), true},
        {"write data without its last flag", Packet({WriteData, 5, 64}), false},
        {"a device message", Packet({HelloReply, 1}), false},
        {"three bytes", {1, 0, 0}, false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        const auto message = ReadProgramMessage(c.packet);
        ASSERT_EQ(message.has_value(), c.read);
    }
    const auto request = ReadProgramMessage(cases[1].packet);
    EXPECT_EQ(request->seq, 7u);
    EXPECT_EQ(request->ioControlCode, 0x222004u);
    EXPECT_EQ(Bytes(request->input), (std::vector<uint8_t>{0xA1, 0xA2}));
    EXPECT_EQ(Bytes(request->output), (std::vector<uint8_t>{0xB1}));
    const auto write = ReadProgramMessage(cases[4].packet);
    EXPECT_EQ(write->writeId, 5u);
    EXPECT_EQ(write->offset, 64u);
    EXPECT_TRUE(write->last);
    EXPECT_EQ(Bytes(write->bytes), (std::vector<uint8_t>{1, 2, 3}));
}

TEST(DriverWire, DeviceMessagesAreReadWithinTheirPacket)
{
    struct Case
    {
        const char* what;
        std::vector<uint8_t> packet;
        bool read;
    };
    std::vector<uint8_t> signal = Packet({Signal});
    PutU64(signal, 0x1122334455667788ull);
    const Case cases[] = {
        {"hello reply", Packet({HelloReply, 1}), true},
        {"hello reply without its answer", Packet({HelloReply}), false},
        {"reply", Packet({Reply, 3, 1, 4, ReadData, 9, 2}, {0xC1, 0xC2, 0xD1}), true},
        {"reply short of its output", Packet({Reply, 3, 1, 4, ReadData, 9, 2}, {0xC1}), false},
        {"release", Packet({Release, 9}), true},
        {"signal", signal, true},
        {"signal cut short", std::vector<uint8_t>(signal.begin(), signal.end() - 1), false},
        {"a program message", Packet({Request, 1, 2, 0, 0}), false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        const auto message = ReadDeviceMessage(c.packet);
        ASSERT_EQ(message.has_value(), c.read);
    }
    EXPECT_TRUE(ReadDeviceMessage(cases[0].packet)->accepted);
    const auto reply = ReadDeviceMessage(cases[2].packet);
    EXPECT_EQ(reply->seq, 3u);
    EXPECT_TRUE(reply->ok);
    EXPECT_EQ(reply->bytesReturned, 4u);
    EXPECT_EQ(reply->flags, static_cast<uint32_t>(ReadData));
    EXPECT_EQ(reply->writeId, 9u);
    EXPECT_EQ(Bytes(reply->output), (std::vector<uint8_t>{0xC1, 0xC2}));
    EXPECT_EQ(Bytes(reply->readData), (std::vector<uint8_t>{0xD1}));
    EXPECT_EQ(ReadDeviceMessage(cases[4].packet)->writeId, 9u);
    EXPECT_EQ(ReadDeviceMessage(signal)->eventHandle, 0x1122334455667788ull);
}
