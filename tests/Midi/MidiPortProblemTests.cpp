#include "Support/MidiPortsFixture.h"

#include "Platform/Io/UnixSocket.h"
#include "Platform/Midi/MidiWire.h"
#include "ZQFramework/Midi/MidiComm.h"
#include "ZQFramework/System/DebugConsole.h"

#include <arpa/inet.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

// A MIDI port the program cannot reach is told on its debug output, so that a device missing for a
// reason of the machine's (a MIDI folder too long for the port's socket) can be traced.

namespace
{
// A UDP listener on the loopback address, as the debug output's target.
class UdpListener
{
public:
    UdpListener()
    {
        mSocket = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(mSocket, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        ::getsockname(mSocket, reinterpret_cast<sockaddr*>(&address), &length);
        mPort = ntohs(address.sin_port);
        timeval timeout{10, 0};
        ::setsockopt(mSocket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    }
    ~UdpListener() { ::close(mSocket); }
    UdpListener(const UdpListener&) = delete;
    UdpListener& operator=(const UdpListener&) = delete;

    [[nodiscard]] int Port() const { return mPort; }

    // The datagrams received until one holds `text` (that one included); stops when none came in 10 s.
    std::vector<std::string> ReceiveUntil(const std::string& text)
    {
        std::vector<std::string> received;
        std::vector<char> buffer(65536);
        for (;;)
        {
            const ssize_t n = ::recv(mSocket, buffer.data(), buffer.size(), 0);
            if (n < 0)
                return received;
            received.emplace_back(buffer.data(), static_cast<size_t>(n));
            if (received.back().find(text) != std::string::npos)
                return received;
        }
    }

private:
    int mSocket = -1;
    int mPort = 0;
};
} // namespace

TEST(MidiPortProblems, AFolderTooLongForAnyPortIsToldOnTheDebugOutput)
{
    UdpListener listener;
    ZQ::DebugConsole::SetUDPTarget("127.0.0.1", listener.Port());
    TestSupport::TempMidiFolder base;
    const size_t tooLong = Platform::Io::kMaxSocketPathLength - Platform::MidiWire::kPortFileNameLength;
    const std::string folder = base.Path() + "/" + std::string(tooLong - base.Path().size() - 1, 'f');
    std::filesystem::create_directories(folder);
    ::setenv("ZQ_MIDI_DIR", folder.c_str(), 1);

    const auto midi = ZQ::LMidiComm::Create();
    ZQ::RCPtr<ZQ::LRefCountedObject> port;
    (void)midi->OpenCapturePort(ZQ::WString(u"Tavrin DJ Q3300 Splen"), port);
    EXPECT_TRUE(port.IsNull());
    const auto received = listener.ReceiveUntil(folder);
    ZQ::DebugConsole::SetUDPTarget(nullptr, -1);
    ASSERT_FALSE(received.empty());
    EXPECT_EQ(received.back().rfind("MIDI: the MIDI port folder " + folder + " is too long", 0), 0u)
        << received.back();
}
