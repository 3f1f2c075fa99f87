#include "Platform/Io/UnixSocket.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string>

using namespace Platform::Io;

namespace
{
class UnixSocketTests : public ::testing::Test
{
protected:
    UnixSocketTests()
    {
        char pattern[] = "/tmp/zq-io-test-XXXXXX";
        folder = ::mkdtemp(pattern);
    }
    ~UnixSocketTests() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    // A socket file at `path` that nothing listens on any more, as a killed process leaves it.
    static void LeaveStaleSocket(const std::string& path)
    {
        std::error_code error;
        UniqueFd listener = ListenUnix(path, SocketType::SeqPacket, error);
        ASSERT_TRUE(listener) << error.message();
        listener.Reset();
        ASSERT_TRUE(std::filesystem::is_socket(path));
    }

    std::string folder;
};
} // namespace

TEST_F(UnixSocketTests, PathLongerThanASocketAddressIsRefusedNeverCut)
{
    struct Case
    {
        size_t length;
        bool fits;
    };
    for (const Case c : {Case{kMaxSocketPathLength, true}, Case{kMaxSocketPathLength + 1, false},
                         Case{kMaxSocketPathLength + 40, false}})
    {
        SCOPED_TRACE(c.length);
        const std::string path = folder + "/" + std::string(c.length - folder.size() - 1, 's');
        ASSERT_EQ(path.size(), c.length);
        std::error_code listenError;
        const UniqueFd listener = ListenUnix(path, SocketType::Stream, listenError);
        std::error_code connectError;
        const UniqueFd client = ConnectUnix(path, SocketType::Stream, connectError);
        EXPECT_EQ(listener.IsOpen(), c.fits) << listenError.message();
        EXPECT_EQ(client.IsOpen(), c.fits) << connectError.message();
        if (c.fits)
        {
            std::filesystem::remove(path);
            continue;
        }
        for (const std::error_code& error : {listenError, connectError})
        {
            EXPECT_EQ(error, SocketError::PathTooLong);
            EXPECT_EQ(error, std::errc::filename_too_long);
            EXPECT_NE(error.message().find("at most 107 bytes"), std::string::npos) << error.message();
        }
        // Nothing was made under the path or a cut-off form of it.
        EXPECT_TRUE(std::filesystem::is_empty(folder));
    }
}

TEST_F(UnixSocketTests, StaleSocketIsReplacedAndALiveOneIsLeftAlone)
{
    const std::string path = folder + "/device.sock";
    std::error_code error;
    UniqueFd first = ListenUnix(path, SocketType::SeqPacket, error);
    ASSERT_TRUE(first) << error.message();

    // Live: a second listener is refused and the first still takes connections.
    EXPECT_FALSE(IsStaleSocket(path));
    EXPECT_FALSE(RemoveStaleSocket(path));
    EXPECT_FALSE(ListenUnix(path, SocketType::SeqPacket, error));
    EXPECT_EQ(error, std::errc::address_in_use);
    const UniqueFd client = ConnectUnix(path, SocketType::SeqPacket, error);
    EXPECT_TRUE(client) << error.message();
    EXPECT_TRUE(AcceptUnix(first.Get()));
    // Probing made no connection that the live listener would have to accept.
    EXPECT_FALSE(IsStaleSocket(path));
    EXPECT_FALSE(AcceptUnix(first.Get()));

    // Stale: the listener is gone but its file stays; connections are refused until a new one binds.
    first.Reset();
    ASSERT_TRUE(std::filesystem::is_socket(path));
    EXPECT_TRUE(IsStaleSocket(path));
    EXPECT_FALSE(ConnectUnix(path, SocketType::SeqPacket, error));
    EXPECT_EQ(error, std::errc::connection_refused);
    const UniqueFd second = ListenUnix(path, SocketType::SeqPacket, error);
    ASSERT_TRUE(second) << error.message();
    EXPECT_TRUE(ConnectUnix(path, SocketType::SeqPacket, error)) << error.message();
}

TEST_F(UnixSocketTests, OnlyASocketThatRefusesIsStale)
{
    const std::string stale = folder + "/stale.sock";
    ASSERT_NO_FATAL_FAILURE(LeaveStaleSocket(stale));
    const std::string regular = folder + "/regular";
    std::ofstream(regular) << "not a socket";
    const std::string absent = folder + "/absent.sock";

    EXPECT_FALSE(RemoveStaleSocket(regular));
    EXPECT_TRUE(std::filesystem::exists(regular));
    EXPECT_FALSE(RemoveStaleSocket(absent));
    EXPECT_TRUE(RemoveStaleSocket(stale));
    EXPECT_FALSE(std::filesystem::exists(stale));

    // A regular file in the way is not replaced by a listener either.
    std::error_code error;
    EXPECT_FALSE(ListenUnix(regular, SocketType::Stream, error));
    EXPECT_EQ(error, std::errc::address_in_use);
}
