#include "Platform/Driver/Driver.h"
#include "Platform/Driver/DriverDevice.h"
#include "Platform/Driver/DriverEndpoint.h"
#include "Platform/Driver/DriverWire.h"
#include "Platform/Io/UnixSocket.h"

#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string>

// Where an endpoint may listen: in place of a socket file left by a process that died, never in place of
// an endpoint that still serves, never at a path a socket address cannot hold.

using namespace Platform;

namespace
{
class CountingDevice final : public IDriverDevice
{
public:
    bool OnOpen(DriverConnectionId) override
    {
        ++opens;
        return true;
    }
    void OnClose(DriverConnectionId) override {}
    DriverReply OnRequest(DriverConnectionId, const DriverRequest&) override { return {}; }
    void OnWriteData(DriverConnectionId, uint32_t, std::vector<uint8_t>) override {}

    std::atomic<int> opens{0};
};

class DriverEndpointListen : public ::testing::Test
{
protected:
    DriverEndpointListen()
    {
        char pattern[] = "/tmp/zq-driver-listen-XXXXXX";
        mFolder = ::mkdtemp(pattern);
        ::setenv("ZQ_DRIVER_DIR", mFolder.c_str(), 1);
        socketPath = DriverWire::SocketPathFor(devicePath);
    }
    ~DriverEndpointListen() override
    {
        ::unsetenv("ZQ_DRIVER_DIR");
        std::error_code ignored;
        std::filesystem::remove_all(mFolder, ignored);
    }

    // True when a program opens the device now; closes it again.
    bool Opens() const
    {
        const DriverHandle handle = OpenDriverDevice(devicePath);
        if (handle == InvalidDriverHandle)
            return false;
        CloseDriverDevice(handle);
        return true;
    }

    const std::u16string devicePath = u"\\\\?\\usb#vid_15e4&pid_8007#listen#{a0634132}";
    std::string socketPath; // in the test's folder

private:
    std::string mFolder;
};
} // namespace

TEST_F(DriverEndpointListen, SocketLeftByADeadEndpointIsReplaced)
{
    {
        std::error_code error;
        Io::UniqueFd dead = Io::ListenUnix(socketPath, Io::SocketType::SeqPacket, error);
        ASSERT_TRUE(dead) << error.message();
    }
    ASSERT_TRUE(std::filesystem::is_socket(socketPath));
    EXPECT_FALSE(Opens());

    CountingDevice device;
    DriverEndpoint endpoint{device};
    std::error_code error;
    ASSERT_TRUE(endpoint.Listen(socketPath, error)) << error.message();
    EXPECT_TRUE(Opens());
    EXPECT_EQ(device.opens.load(), 1);
}

TEST_F(DriverEndpointListen, LiveEndpointIsLeftAlone)
{
    CountingDevice serving;
    DriverEndpoint first{serving};
    ASSERT_TRUE(first.Listen(socketPath));

    CountingDevice intruder;
    DriverEndpoint second{intruder};
    std::error_code error;
    EXPECT_FALSE(second.Listen(socketPath, error));
    EXPECT_EQ(error, std::errc::address_in_use);
    EXPECT_FALSE(second.IsListening());
    second.Stop();

    EXPECT_TRUE(Opens());
    EXPECT_EQ(serving.opens.load(), 1);
    EXPECT_EQ(intruder.opens.load(), 0);
}

TEST_F(DriverEndpointListen, PathTooLongForASocketAddressIsRefused)
{
    CountingDevice device;
    DriverEndpoint endpoint{device};
    const std::string tooLong = "/tmp/" + std::string(Io::kMaxSocketPathLength, 'd') + ".drv";
    std::error_code error;
    EXPECT_FALSE(endpoint.Listen(tooLong, error));
    EXPECT_EQ(error, Io::SocketError::PathTooLong);
    EXPECT_FALSE(endpoint.IsListening());
}
