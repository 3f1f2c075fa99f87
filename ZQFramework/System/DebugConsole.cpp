#include "ZQFramework/System/DebugConsole.h"

#include <arpa/inet.h>
#include <atomic>
#include <cstring>
#include <iostream>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <syslog.h>
#include <unistd.h>

namespace ZQ
{
namespace
{
// The terminal's wide stream: every write goes out at once, as UTF-8 through std::cerr, so wide and
// narrow console text keep the order in which they were written.
class ConsoleWideBuffer : public std::basic_streambuf<char16_t>
{
protected:
    int_type overflow(int_type c) override
    {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        const char16_t unit = traits_type::to_char_type(c);
        xsputn(&unit, 1);
        return c;
    }

    std::streamsize xsputn(const char16_t* text, std::streamsize count) override
    {
        std::lock_guard guard(mLock);
        const std::string utf8 =
            DebugTextToUtf8(std::u16string_view(text, static_cast<size_t>(count)), &mPendingHigh);
        std::cerr.write(utf8.data(), static_cast<std::streamsize>(utf8.size()));
        std::cerr.flush();
        return count;
    }

private:
    std::mutex mLock;
    char16_t mPendingHigh = 0; // guarded by mLock
};

class ConsoleWideStream : public std::basic_ostream<char16_t>
{
public:
    ConsoleWideStream() : std::basic_ostream<char16_t>(nullptr) { init(&mBuffer); }

private:
    ConsoleWideBuffer mBuffer;
};

struct ConsoleState
{
    dostream narrow;
    wdostream wide;
    ConsoleWideStream terminalWide;
    std::atomic<std::ostream*> current{&narrow};
    std::atomic<std::basic_ostream<char16_t>*> currentWide{&wide};

    std::mutex targetLock;
    std::string host; // guarded by targetLock
    std::atomic<int32_t> port{-1};
};

// Made on first use and never destroyed, so debug text can be written from static destructors too.
ConsoleState& State()
{
    static ConsoleState* state = new ConsoleState;
    return *state;
}

// Sends what the debug streams still hold when the program ends.
struct FlushAtExit
{
    ~FlushAtExit()
    {
        State().narrow.flush();
        State().wide.flush();
    }
} gFlushAtExit;

struct UdpSink
{
    std::mutex lock;
    int socket = -1;     // guarded by lock
    sockaddr_in address; // guarded by lock
};

UdpSink& Sink()
{
    static UdpSink* sink = new UdpSink;
    return *sink;
}

bool ResolveIPv4(const char* name, std::string& addressText)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(name, nullptr, &hints, &found) != 0 || !found)
        return false;
    char text[INET_ADDRSTRLEN] = {};
    const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    const bool ok = ::inet_ntop(AF_INET, &ipv4->sin_addr, text, sizeof text) != nullptr;
    ::freeaddrinfo(found);
    if (ok)
        addressText = text;
    return ok;
}

std::string DestinationAddress(const char* host)
{
    std::string addressText = "127.0.0.1";
    if (host && *host && ResolveIPv4(host, addressText))
        return addressText;
    char ownName[65] = {};
    if (::gethostname(ownName, 64) == 0 && ResolveIPv4(ownName, addressText))
        return addressText;
    return "127.0.0.1";
}

void SendDatagram(const UdpSink& sink, std::string_view text)
{
    (void)::sendto(sink.socket, text.data(), text.size(), 0, reinterpret_cast<const sockaddr*>(&sink.address),
                   sizeof sink.address);
}

void SystemDebugOutput(std::string_view text)
{
    ::syslog(LOG_USER | LOG_DEBUG, "%.*s", static_cast<int>(text.size()), text.data());
}
} // namespace

void EmitDebugText(std::string_view text)
{
    ConsoleState& state = State();
    const int32_t port = state.port.load();
    if (port <= 0)
    {
        SystemDebugOutput(text);
        return;
    }
    std::string host;
    {
        std::lock_guard guard(state.targetLock);
        host = state.host;
    }
    DebugConsole::SendUDP(host.empty() ? nullptr : host.c_str(), port, text);
}

void EmitDebugText(std::u16string_view text)
{
    EmitDebugText(DebugTextToUtf8(text));
}

void DebugConsole::Open()
{
    ConsoleState& state = State();
    state.current = &std::cerr;
    state.currentWide = &state.terminalWide;
}

void DebugConsole::SetUDPTarget(const char* host, int32_t port)
{
    ConsoleState& state = State();
    if (host)
    {
        std::lock_guard guard(state.targetLock);
        state.host = host;
    }
    state.port = port;
}

void DebugConsole::SendUDP(const char* host, int32_t port, std::string_view text)
{
    UdpSink& sink = Sink();
    std::lock_guard guard(sink.lock);
    if (sink.socket < 0)
    {
        const std::string addressText = DestinationAddress(host);
        sink.address = {};
        sink.address.sin_family = AF_INET;
        sink.address.sin_port = htons(static_cast<uint16_t>(port));
        ::inet_pton(AF_INET, addressText.c_str(), &sink.address.sin_addr);
        sink.socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
        if (sink.socket < 0)
            return;
        SendDatagram(sink, "*** APPLICATION Launched on ");
        SendDatagram(sink, addressText);
        SendDatagram(sink, "***\n");
    }
    if (!text.empty())
        SendDatagram(sink, text);
}

namespace
{
// A debug stream that went bad on a write it cannot do would drop every later text: each statement that
// fetches it starts from a good stream again (what it already holds is kept).
template <typename Stream>
Stream& Usable(Stream& stream)
{
    if (!stream.good())
        stream.clear();
    return stream;
}
} // namespace

std::ostream& DebugConsole::Out()
{
    return Usable(*State().current.load());
}

std::basic_ostream<char16_t>& DebugConsole::WOut()
{
    return Usable(*State().currentWide.load());
}

dostream& DebugConsole::DebugStream()
{
    return Usable(State().narrow);
}

wdostream& DebugConsole::WDebugStream()
{
    return Usable(State().wide);
}
} // namespace ZQ
