#include "Platform/Driver/DriverEndpoint.h"

#include "Platform/Driver/DriverDevice.h"
#include "Platform/Driver/DriverWire.h"
#include "Platform/Io/UnixSocket.h"

#include <cerrno>
#include <filesystem>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace Platform
{
using namespace DriverWire;

namespace
{
std::atomic<DriverConnectionId> gNextConnection{1};

} // namespace

struct DriverEndpoint::Connection
{
    explicit Connection(Io::UniqueFd fd)
        : descriptor(std::move(fd)), socket(descriptor.Get()), id(gNextConnection.fetch_add(1))
    {
    }

    bool Send(const std::vector<uint8_t>& packet)
    {
        std::lock_guard lock(sendLock);
        return SendAll(socket, packet);
    }

    const Io::UniqueFd descriptor;
    const int socket;
    const DriverConnectionId id;
    std::mutex sendLock;
    // Fields below are touched by the endpoint's thread only.
    bool opened = false;
    std::map<uint32_t, std::vector<uint8_t>> partialWrites;
};

DriverEndpoint::DriverEndpoint(IDriverDevice& device) : mDevice(device)
{
}

DriverEndpoint::~DriverEndpoint()
{
    Stop();
}

bool DriverEndpoint::Listen(const std::string& socketPath)
{
    std::error_code ignored;
    return Listen(socketPath, ignored);
}

bool DriverEndpoint::Listen(const std::string& socketPath, std::error_code& error)
{
    error.clear();
    if (mListening.load() || mLoop.IsStarted())
    {
        error = std::make_error_code(std::errc::device_or_resource_busy);
        return false;
    }
    const auto folder = std::filesystem::path(socketPath).parent_path();
    if (!folder.empty())
        std::filesystem::create_directories(folder, error);
    Io::UniqueFd listenSocket = Io::ListenUnix(socketPath, Io::SocketType::SeqPacket, error);
    if (!listenSocket)
        return false;
    mListenSocket = std::move(listenSocket);
    mSocketPath = socketPath;
    mBuffer.resize(MaxPacket);
    if (!mLoop.Start([this](std::vector<pollfd>& watched) { return PrepareWait(watched); },
                     [this](std::span<const pollfd> watched) { OnReady(watched); }))
    {
        error = std::make_error_code(std::errc::too_many_files_open);
        mListenSocket.Reset();
        ::unlink(socketPath.c_str());
        return false;
    }
    mListening = true;
    return true;
}

void DriverEndpoint::Stop()
{
    if (!mLoop.IsStarted())
        return;
    mLoop.Stop();
    mWatched.clear();
    // The socket file goes first, so no program opens the device while its handles are dropped.
    mListening = false;
    mListenSocket.Reset();
    ::unlink(mSocketPath.c_str());
    std::vector<DriverConnectionId> ids;
    {
        std::lock_guard lock(mLock);
        for (const auto& [id, connection] : mConnections)
            ids.push_back(id);
    }
    for (const auto id : ids)
        Drop(id);
}

bool DriverEndpoint::Release(DriverConnectionId connection, uint32_t writeId)
{
    const auto found = Find(connection);
    if (!found)
        return false;
    std::vector<uint8_t> packet;
    PutU32(packet, DriverWire::Release);
    PutU32(packet, writeId);
    return found->Send(packet);
}

bool DriverEndpoint::Signal(DriverConnectionId connection, intptr_t eventHandle)
{
    const auto found = Find(connection);
    if (!found)
        return false;
    std::vector<uint8_t> packet;
    PutU32(packet, DriverWire::Signal);
    PutU64(packet, static_cast<uint64_t>(eventHandle));
    return found->Send(packet);
}

void DriverEndpoint::Disconnect(DriverConnectionId connection)
{
    // The endpoint's thread sees the hang-up and drops the handle.
    if (const auto found = Find(connection))
        ::shutdown(found->socket, SHUT_RDWR);
}

std::shared_ptr<DriverEndpoint::Connection> DriverEndpoint::Find(DriverConnectionId id)
{
    std::lock_guard lock(mLock);
    const auto found = mConnections.find(id);
    return found == mConnections.end() ? nullptr : found->second;
}

int DriverEndpoint::PrepareWait(std::vector<pollfd>& watched)
{
    watched.push_back({mListenSocket.Get(), POLLIN, 0});
    std::lock_guard lock(mLock);
    mWatched.clear();
    for (const auto& [id, connection] : mConnections)
    {
        watched.push_back({connection->socket, POLLIN, 0});
        mWatched.push_back(connection);
    }
    return -1;
}

void DriverEndpoint::OnReady(std::span<const pollfd> watched)
{
    for (size_t i = 0; i < mWatched.size(); ++i)
        if (watched[i + 1].revents & (POLLIN | POLLHUP | POLLERR))
            Receive(mWatched[i], mBuffer);
    if (watched[0].revents & POLLIN)
        Accept();
}

void DriverEndpoint::Accept()
{
    Io::UniqueFd socket = Io::AcceptUnix(mListenSocket.Get());
    if (!socket)
        return;
    auto connection = std::make_shared<Connection>(std::move(socket));
    std::lock_guard lock(mLock);
    mConnections.emplace(connection->id, std::move(connection));
}

void DriverEndpoint::Drop(DriverConnectionId id)
{
    std::shared_ptr<Connection> connection;
    {
        std::lock_guard lock(mLock);
        const auto found = mConnections.find(id);
        if (found == mConnections.end())
            return;
        connection = std::move(found->second);
        mConnections.erase(found);
    }
    // The device lets the handle go before the program sees the hang-up, so a program whose close
    // has returned finds the device free.
    if (connection->opened)
        mDevice.OnClose(id);
    ::shutdown(connection->socket, SHUT_RDWR);
}

void DriverEndpoint::Receive(const std::shared_ptr<Connection>& connection, std::vector<uint8_t>& buffer)
{
    const ssize_t size = ::recv(connection->socket, buffer.data(), buffer.size(), MSG_DONTWAIT);
    if (size < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
        return;
    if (size <= 0)
    {
        Drop(connection->id);
        return;
    }
    const auto message = ReadProgramMessage({buffer.data(), static_cast<size_t>(size)});
    const uint32_t type = message ? message->type : 0;
    if (type == Hello)
    {
        if (connection->opened)
            return;
        connection->opened = mDevice.OnOpen(connection->id);
        std::vector<uint8_t> reply;
        PutU32(reply, HelloReply);
        PutU32(reply, connection->opened ? 1 : 0);
        connection->Send(reply);
        if (!connection->opened)
            Drop(connection->id);
        return;
    }
    if (!connection->opened)
    {
        Drop(connection->id);
        return;
    }
    if (type == DriverWire::Request)
    {
        DriverRequest request;
        request.ioControlCode = message->ioControlCode;
        request.input.assign(message->input.begin(), message->input.end());
        request.output.assign(message->output.begin(), message->output.end());
        DriverReply answer = mDevice.OnRequest(connection->id, request);
        std::vector<uint8_t> packet;
        PutU32(packet, DriverWire::Reply);
        PutU32(packet, message->seq);
        PutU32(packet, answer.ok ? 1 : 0);
        PutU32(packet, answer.bytesReturned);
        PutU32(packet, answer.flags);
        PutU32(packet, answer.writeId);
        PutU32(packet, static_cast<uint32_t>(answer.output.size()));
        packet.insert(packet.end(), answer.output.begin(), answer.output.end());
        packet.insert(packet.end(), answer.readData.begin(), answer.readData.end());
        connection->Send(packet);
    }
    else if (type == WriteData)
    {
        auto& gathered = connection->partialWrites[message->writeId];
        if (message->offset != gathered.size())
        {
            connection->partialWrites.erase(message->writeId);
            return;
        }
        gathered.insert(gathered.end(), message->bytes.begin(), message->bytes.end());
        if (message->last)
        {
            std::vector<uint8_t> complete = std::move(gathered);
            connection->partialWrites.erase(message->writeId);
            mDevice.OnWriteData(connection->id, message->writeId, std::move(complete));
        }
    }
}
} // namespace Platform
