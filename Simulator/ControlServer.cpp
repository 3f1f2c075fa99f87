#include "Simulator/ControlServer.h"

#include "Platform/Io/UnixSocket.h"
#include "Platform/Midi/MidiPorts.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <sys/socket.h>
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

bool ControlServer::Start(const std::string& socketPath, std::error_code& error)
{
    error.clear();
    if (mLoop.IsStarted())
    {
        error = std::make_error_code(std::errc::device_or_resource_busy);
        return false;
    }
    const auto folder = std::filesystem::path(socketPath).parent_path();
    if (!folder.empty())
        std::filesystem::create_directories(folder, error);
    mListen = Platform::Io::ListenUnix(socketPath, Platform::Io::SocketType::Stream, error);
    if (!mListen)
        return false;
    mPath = socketPath;
    if (!mLoop.Start([this](std::vector<pollfd>& watched) { return PrepareWait(watched); },
                     [this](std::span<const pollfd> watched) { OnReady(watched); }))
    {
        error = std::make_error_code(std::errc::too_many_files_open);
        mListen.Reset();
        ::unlink(mPath.c_str());
        return false;
    }
    return true;
}

void ControlServer::Stop()
{
    if (!mLoop.IsStarted())
        return;
    mLoop.Stop();
    CloseClients();
    mListen.Reset();
    ::unlink(mPath.c_str());
}

bool ControlServer::WaitForQuit(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mLock);
    return mQuitChanged.wait_for(lock, timeout, [this] { return mQuit; });
}

int ControlServer::PrepareWait(std::vector<pollfd>& watched)
{
    watched.push_back({mListen.Get(), POLLIN, 0});
    for (const auto& [socket, pending] : mClients)
        watched.push_back({socket, POLLIN, 0});
    return -1;
}

void ControlServer::OnReady(std::span<const pollfd> watched)
{
    for (const pollfd& entry : watched.subspan(1))
        if (entry.revents & (POLLIN | POLLHUP | POLLERR))
            Serve(entry.fd);
    if (watched[0].revents & POLLIN)
    {
        Platform::Io::UniqueFd socket = Platform::Io::AcceptUnix(mListen.Get());
        if (socket)
            mClients.emplace(socket.Release(), std::string());
    }
}

// Answers the lines a client sent; closes it once it hung up.
void ControlServer::Serve(int socket)
{
    char buffer[4096];
    const ssize_t size = ::recv(socket, buffer, sizeof buffer, 0);
    if (size <= 0)
    {
        ::close(socket);
        mClients.erase(socket);
        return;
    }
    std::string& pending = mClients[socket];
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

void ControlServer::CloseClients()
{
    for (const auto& [socket, pending] : mClients)
        ::close(socket);
    mClients.clear();
}
} // namespace Simulator
