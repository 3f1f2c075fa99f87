#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace TestSupport
{
// A UDP listener on the loopback address, as the debug output's target: it receives whole datagrams and
// waits up to 10 s for each.
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

    // The next datagram, or "<nothing>" when none came in 10 s.
    std::string Receive()
    {
        std::vector<char> buffer(65536);
        const ssize_t n = ::recv(mSocket, buffer.data(), buffer.size(), 0);
        return n < 0 ? std::string("<nothing>") : std::string(buffer.data(), static_cast<size_t>(n));
    }

    // The datagrams received until one holds text (that one included); stops when none came in 10 s.
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
} // namespace TestSupport
