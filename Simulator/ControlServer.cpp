#include "Simulator/ControlServer.h"

#include "Platform/Midi/MidiPorts.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace Simulator
{
namespace
{
// A line longer than this is cut off: the client gets an error for it.
constexpr size_t MaxLine = 64 * 1024;

void WriteAll(int socket, const std::string& text)
{
    size_t done = 0;
    while (done < text.size())
    {
        const ssize_t sent = ::send(socket, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return;
        done += static_cast<size_t>(sent);
    }
}
// True when a server accepts connections at the address (a socket file left by a program that ended
// refuses them).
bool IsAnswering(const sockaddr_un& address)
{
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0)
        return false;
    const bool answering = ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(probe);
    return answering;
}
} // namespace

ControlServer::ControlServer(Mixer& mixer) : mInterpreter(mixer)
{
}

ControlServer::~ControlServer()
{
    Stop();
}

std::string ControlServer::DefaultSocketPath()
{
    if (const char* path = std::getenv("ZQ_SIMULATOR_SOCKET"); path && *path)
        return path;
    return Platform::MidiPortFolder() + "/zq-simulator.sock";
}

bool ControlServer::Start(const std::string& socketPath)
{
    sockaddr_un address{};
    if (mThread.joinable() || socketPath.empty() || socketPath.size() >= sizeof address.sun_path)
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    if (IsAnswering(address))
        return false;
    std::error_code ignored;
    const auto folder = std::filesystem::path(socketPath).parent_path();
    if (!folder.empty())
        std::filesystem::create_directories(folder, ignored);
    ::unlink(socketPath.c_str());

    mListen = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    mWake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (mListen < 0 || mWake < 0 ||
        ::bind(mListen, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(mListen, 8) != 0)
    {
        if (mListen >= 0)
            ::close(mListen);
        if (mWake >= 0)
            ::close(mWake);
        mListen = mWake = -1;
        return false;
    }
    mPath = socketPath;
    mThread = std::thread([this] { Run(); });
    return true;
}

void ControlServer::Stop()
{
    if (!mThread.joinable())
        return;
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(mWake, &one, sizeof one);
    mThread.join();
    ::close(mListen);
    ::close(mWake);
    mListen = mWake = -1;
    ::unlink(mPath.c_str());
}

bool ControlServer::WaitForQuit(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mLock);
    return mQuitChanged.wait_for(lock, timeout, [this] { return mQuit; });
}

void ControlServer::Run()
{
    std::map<int, std::string> clients; // socket -> unfinished line
    for (;;)
    {
        std::vector<pollfd> entries = {{mListen, POLLIN, 0}, {mWake, POLLIN, 0}};
        for (const auto& [socket, pending] : clients)
            entries.push_back({socket, POLLIN, 0});
        if (::poll(entries.data(), entries.size(), -1) < 0 && errno != EINTR)
            break;
        if (entries[1].revents & POLLIN)
            break;
        for (size_t i = 2; i < entries.size(); ++i)
        {
            if (!(entries[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const int socket = entries[i].fd;
            char buffer[4096];
            const ssize_t size = ::recv(socket, buffer, sizeof buffer, 0);
            if (size <= 0)
            {
                ::close(socket);
                clients.erase(socket);
                continue;
            }
            std::string& pending = clients[socket];
            pending.append(buffer, static_cast<size_t>(size));
            for (auto end = pending.find('\n'); end != std::string::npos; end = pending.find('\n'))
            {
                const std::string line = pending.substr(0, end);
                pending.erase(0, end + 1);
                WriteAll(socket, mInterpreter.Execute(line) + "\n");
            }
            if (pending.size() > MaxLine)
            {
                pending.clear();
                WriteAll(socket, "ERR line too long\n");
            }
            if (mInterpreter.QuitRequested())
            {
                std::lock_guard lock(mLock);
                mQuit = true;
                mQuitChanged.notify_all();
            }
        }
        if (entries[0].revents & POLLIN)
        {
            const int socket = ::accept4(mListen, nullptr, nullptr, SOCK_CLOEXEC);
            if (socket >= 0)
                clients.emplace(socket, std::string());
        }
    }
    for (const auto& [socket, pending] : clients)
        ::close(socket);
}
} // namespace Simulator
