#include "Support/WaitFor.h"

#include "Platform/Driver/Driver.h"
#include "Platform/Driver/DriverDevice.h"
#include "Platform/Driver/DriverEndpoint.h"
#include "Platform/Driver/DriverEvent.h"
#include "Platform/Driver/DriverWire.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

using namespace Platform;
using TestSupport::WaitFor;

namespace
{
constexpr uint32_t EchoCode = 1;  // answers with the output reversed and the input's size returned
constexpr uint32_t WriteCode = 2; // accepts a write (output: port, address, count slots)
constexpr uint32_t ReadCode = 3;  // hands back "abc" as read data
constexpr uint32_t DropCode = 4;  // lets go of every pending write
constexpr uint32_t LastCode = 5;  // answers, then runs the device's hang-up hook (as a reboot does)

// A device side that answers by request code and records what it took.
class FakeDevice final : public IDriverDevice
{
public:
    bool OnOpen(DriverConnectionId connection) override
    {
        std::lock_guard lock(mLock);
        if (!acceptOpen)
            return false;
        lastConnection = connection;
        ++opens;
        return true;
    }
    void OnClose(DriverConnectionId) override { ++closes; }
    DriverReply OnRequest(DriverConnectionId, const DriverRequest& request) override
    {
        DriverReply reply;
        reply.ok = true;
        reply.output = request.output;
        switch (request.ioControlCode)
        {
        case EchoCode:
            reply.output.assign(request.output.rbegin(), request.output.rend());
            reply.bytesReturned = static_cast<uint32_t>(request.input.size());
            break;
        case WriteCode:
            reply.flags = DriverWire::WriteAccepted;
            reply.writeId = ++mNextWrite;
            break;
        case ReadCode:
            reply.flags = DriverWire::ReadData;
            reply.readData = {'a', 'b', 'c'};
            break;
        case DropCode:
            reply.flags = DriverWire::DropWrites;
            break;
        case LastCode:
            if (hangUp)
                hangUp();
            break;
        default:
            reply.ok = false;
        }
        return reply;
    }
    void OnWriteData(DriverConnectionId, uint32_t writeId, std::vector<uint8_t> bytes) override
    {
        std::lock_guard lock(mLock);
        writes.emplace_back(writeId, std::move(bytes));
    }

    std::vector<std::pair<uint32_t, std::vector<uint8_t>>> Writes()
    {
        std::lock_guard lock(mLock);
        return writes;
    }

    std::mutex mLock; // guards the fields below
    bool acceptOpen = true;
    DriverConnectionId lastConnection = 0;
    int opens = 0;
    std::vector<std::pair<uint32_t, std::vector<uint8_t>>> writes;
    std::atomic<int> closes{0};
    std::function<void()> hangUp; // set before the request that calls it

private:
    uint32_t mNextWrite = 0;
};

class DriverTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zq-driver-test-XXXXXX";
        mFolder = mkdtemp(pattern);
        setenv("ZQ_DRIVER_DIR", mFolder.c_str(), 1);
        ASSERT_TRUE(endpoint.Listen(DriverWire::SocketPathFor(path)));
    }
    void TearDown() override
    {
        endpoint.Stop();
        unsetenv("ZQ_DRIVER_DIR");
        std::filesystem::remove_all(mFolder);
    }

    // A write request's output: port, buffer address and count, each in a full 8-byte slot.
    static std::vector<uint8_t> WriteArgs(const uint8_t* buffer, uint64_t count)
    {
        std::vector<uint8_t> args;
        DriverWire::PutU64(args, 0);
        DriverWire::PutU64(args, reinterpret_cast<uintptr_t>(buffer));
        DriverWire::PutU64(args, count);
        return args;
    }

    const std::u16string path = u"\\\\?\\usb#vid_15e4&pid_8007#1#{a0634132}";
    FakeDevice device;
    DriverEndpoint endpoint{device};
    std::string mFolder;
};

TEST_F(DriverTest, OpenFailsWhereNoDeviceListensOrTheDeviceRefuses)
{
    EXPECT_EQ(OpenDriverDevice(u"\\\\?\\nothing-here"), InvalidDriverHandle);
    EXPECT_EQ(OpenDriverDevice(u""), InvalidDriverHandle);
    {
        std::lock_guard lock(device.mLock);
        device.acceptOpen = false;
    }
    EXPECT_EQ(OpenDriverDevice(path), InvalidDriverHandle);
    endpoint.Stop();
    EXPECT_FALSE(std::filesystem::exists(DriverWire::SocketPathFor(path)));
    EXPECT_EQ(OpenDriverDevice(path), InvalidDriverHandle);
}

TEST_F(DriverTest, RequestCarriesBothBuffersAndAnswersInPlace)
{
    const DriverHandle handle = OpenDriverDevice(path);
    ASSERT_NE(handle, InvalidDriverHandle);
    const uint8_t input[5] = {1, 2, 3, 4, 5};
    uint8_t output[4] = {9, 8, 7, 6};
    uint32_t returned = 0;
    ASSERT_TRUE(DriverIoControl(handle, EchoCode, input, sizeof input, output, sizeof output, &returned));
    EXPECT_EQ(returned, 5u);
    EXPECT_EQ(std::vector<uint8_t>(output, output + 4), (std::vector<uint8_t>{6, 7, 8, 9}));

    EXPECT_FALSE(DriverIoControl(handle, 99, input, sizeof input, output, sizeof output, &returned));
    std::vector<uint8_t> huge(70000);
    EXPECT_FALSE(DriverIoControl(handle, EchoCode, huge.data(), 70000, output, sizeof output, nullptr));
    EXPECT_TRUE(CloseDriverDevice(handle));
    EXPECT_EQ(device.closes.load(), 1) << "the device has let the handle go when the close returns";
    EXPECT_FALSE(CloseDriverDevice(handle));
    EXPECT_FALSE(DriverIoControl(handle, EchoCode, input, sizeof input, output, sizeof output, &returned));
    EXPECT_TRUE(WaitFor([&] { return device.closes.load() == 1; }));
}

TEST_F(DriverTest, WriteIsTakenAfterTheCallAndReleasedByFlippingTheFirstByte)
{
    const DriverHandle handle = OpenDriverDevice(path);
    ASSERT_NE(handle, InvalidDriverHandle);
    std::vector<uint8_t> block = {0xF0, 0x11, 0x22};
    const uint8_t guard = static_cast<uint8_t>(~block[0]);
    auto args = WriteArgs(block.data(), block.size());
    ASSERT_TRUE(DriverIoControl(handle, WriteCode, nullptr, 0, args.data(), 24, nullptr));

    ASSERT_TRUE(WaitFor([&] { return device.Writes().size() == 1; }));
    const auto [writeId, bytes] = device.Writes()[0];
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0xF0, 0x11, 0x22}));
    EXPECT_NE(std::atomic_ref<uint8_t>(block[0]).load(), guard) << "still in flight until released";

    ASSERT_TRUE(endpoint.Release(device.lastConnection, writeId));
    EXPECT_TRUE(WaitFor([&] { return std::atomic_ref<uint8_t>(block[0]).load() == guard; }));
    EXPECT_EQ(block[1], 0x11);
    CloseDriverDevice(handle);
}

TEST_F(DriverTest, EmptyAndLargeWritesArriveWhole)
{
    const DriverHandle handle = OpenDriverDevice(path);
    ASSERT_NE(handle, InvalidDriverHandle);
    uint8_t one = 0x42;
    std::vector<uint8_t> large(100000);
    for (size_t i = 0; i < large.size(); ++i)
        large[i] = static_cast<uint8_t>(i * 7);
    auto emptyArgs = WriteArgs(&one, 0);
    auto largeArgs = WriteArgs(large.data(), large.size());
    ASSERT_TRUE(DriverIoControl(handle, WriteCode, nullptr, 0, emptyArgs.data(), 24, nullptr));
    ASSERT_TRUE(DriverIoControl(handle, WriteCode, nullptr, 0, largeArgs.data(), 24, nullptr));
    ASSERT_TRUE(WaitFor([&] { return device.Writes().size() == 2; }));
    EXPECT_TRUE(device.Writes()[0].second.empty());
    EXPECT_EQ(device.Writes()[1].second, large);

    endpoint.Release(device.lastConnection, device.Writes()[0].first);
    EXPECT_TRUE(WaitFor([&] { return std::atomic_ref<uint8_t>(one).load() == 0xBD; }));
    CloseDriverDevice(handle);
}

TEST_F(DriverTest, ClosedHandleOrDroppedWritesNeverTouchTheBufferAgain)
{
    for (const bool byClose : {true, false})
    {
        const DriverHandle handle = OpenDriverDevice(path);
        ASSERT_NE(handle, InvalidDriverHandle);
        auto block = std::make_unique<uint8_t[]>(2);
        block[0] = 0x10;
        auto args = WriteArgs(block.get(), 2);
        const size_t before = device.Writes().size();
        ASSERT_TRUE(DriverIoControl(handle, WriteCode, nullptr, 0, args.data(), 24, nullptr));
        ASSERT_TRUE(WaitFor([&] { return device.Writes().size() == before + 1; }));
        if (byClose)
        {
            CloseDriverDevice(handle);
        }
        else
        {
            uint8_t value[4] = {1, 0, 0, 0};
            ASSERT_TRUE(DriverIoControl(handle, DropCode, nullptr, 0, value, 4, nullptr));
        }
        block.reset(); // a late release must not reach the freed block (the address sanitizer watches)
        endpoint.Release(device.lastConnection, device.Writes().back().first);
        uint8_t echo[4] = {};
        if (!byClose)
        {
            EXPECT_TRUE(DriverIoControl(handle, EchoCode, nullptr, 0, echo, 4, nullptr)); // round trip
            CloseDriverDevice(handle);
        }
    }
}

TEST_F(DriverTest, DeviceGoneFailsRequestsAndDropsWrites)
{
    const DriverHandle handle = OpenDriverDevice(path);
    ASSERT_NE(handle, InvalidDriverHandle);
    uint8_t block[1] = {5};
    auto args = WriteArgs(block, 1);
    ASSERT_TRUE(DriverIoControl(handle, WriteCode, nullptr, 0, args.data(), 24, nullptr));
    endpoint.Disconnect(device.lastConnection);
    EXPECT_TRUE(WaitFor(
        [&]
        {
            uint8_t out[4] = {};
            return !DriverIoControl(handle, EchoCode, nullptr, 0, out, 4, nullptr);
        }));
    EXPECT_EQ(block[0], 5);
    EXPECT_TRUE(CloseDriverDevice(handle));
}

TEST_F(DriverTest, AnswerStandsWhenTheDeviceHangsUpRightAfterIt)
{
    // The device stops on another thread while it answers: the answer leaves before the hang-up, and
    // the caller may wake only after its reader has seen both.
    for (int round = 0; round < 20; ++round)
    {
        if (!endpoint.IsListening())
        {
            ASSERT_TRUE(endpoint.Listen(DriverWire::SocketPathFor(path)));
        }
        const DriverHandle handle = OpenDriverDevice(path);
        ASSERT_NE(handle, InvalidDriverHandle);
        std::thread stopper;
        device.hangUp = [&] { stopper = std::thread([&] { endpoint.Stop(); }); };
        uint8_t out[4] = {1, 2, 3, 4};
        EXPECT_TRUE(DriverIoControl(handle, LastCode, nullptr, 0, out, 4, nullptr)) << "round " << round;
        stopper.join();
        device.hangUp = nullptr;
        uint8_t block[1] = {5};
        auto args = WriteArgs(block, 1);
        EXPECT_FALSE(DriverIoControl(handle, WriteCode, nullptr, 0, args.data(), 24, nullptr));
        EXPECT_EQ(block[0], 5);
        CloseDriverDevice(handle);
    }
}

TEST_F(DriverTest, ReadDataLandsInTheBufferTheInputNamesWithinItsRoom)
{
    const DriverHandle handle = OpenDriverDevice(path);
    ASSERT_NE(handle, InvalidDriverHandle);
    uint8_t buffer[4] = {'x', 'x', 'x', 'x'};
    std::vector<uint8_t> input(24, 0);
    DriverWire::PutU64(input, 0);
    DriverWire::PutU64(input, reinterpret_cast<uintptr_t>(buffer));
    DriverWire::PutU64(input, 2); // room for two bytes only
    uint8_t output[16] = {};
    ASSERT_TRUE(DriverIoControl(handle, ReadCode, input.data(), 48, output, 16, nullptr));
    EXPECT_EQ(std::string(buffer, buffer + 4), "abxx");
    CloseDriverDevice(handle);
}

TEST_F(DriverTest, SignalReachesTheEventRegisteredUnderItsFullHandle)
{
    const DriverHandle handle = OpenDriverDevice(path);
    ASSERT_NE(handle, InvalidDriverHandle);
    DriverEvent event;
    if constexpr (sizeof(void*) == 8)
    {
        EXPECT_GT(static_cast<uint64_t>(event.Handle()), 0xFFFFFFFFull);
    }
    EXPECT_FALSE(event.IsSet());
    ASSERT_TRUE(endpoint.Signal(device.lastConnection, event.Handle()));
    EXPECT_TRUE(event.Wait(10000));
    event.Reset();
    EXPECT_FALSE(SignalDriverEvent(event.Handle() + 4));
    CloseDriverDevice(handle);
}

TEST(DriverWireTest, SocketNamesEscapeUnsafeCharactersAndStayWithinTheAddressLimit)
{
    struct Case
    {
        std::u16string path;
        std::string expected; // empty: only checked for length and uniqueness
    };
    const std::vector<Case> cases = {
        {u"\\\\?\\usb#1", "/f/%5C%5C%3F%5Cusb%231.drv"},
        {u"a/b c", "/f/a%2Fb%20c.drv"},
        {u"..", "/f/_...drv"},
        {u"\u00e9", "/f/%C3%A9.drv"},
        {std::u16string(200, u'x'), ""},
        {std::u16string(200, u'x') + u"y", ""},
    };
    std::vector<std::string> made;
    for (const auto& c : cases)
    {
        const std::string socket = DriverWire::SocketPathFor(c.path, "/f");
        if (!c.expected.empty())
        {
            EXPECT_EQ(socket, c.expected);
        }
        EXPECT_LE(socket.size(), 107u);
        made.push_back(socket);
    }
    EXPECT_NE(made[4], made[5]);
}
} // namespace
