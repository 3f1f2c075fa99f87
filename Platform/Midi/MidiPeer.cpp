#include "Platform/Midi/MidiPeer.h"

#include "Platform/Io/UnixSocket.h"
#include "Platform/Midi/MidiPorts.h"
#include "Platform/Midi/MidiWire.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <ctime>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace Platform
{
namespace
{
constexpr int kSendTimeoutSeconds = 5;
// How often the peer's thread looks at delayed confirmations while some are due.
constexpr int kDelayedDonePollMs = 2;

uint64_t MonotonicNanoseconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000000000ull + static_cast<uint64_t>(now.tv_nsec);
}

bool SendFrame(int fd, const std::vector<uint8_t>& frame)
{
    for (;;)
    {
        if (::send(fd, frame.data(), frame.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(frame.size()))
            return true;
        if (errno != EINTR)
            return false;
    }
}
} // namespace

struct MidiPeer::Connection
{
    explicit Connection(Io::UniqueFd descriptor) : socket(std::move(descriptor)), fd(socket.Get()) {}
    // Shut down first: the peer's thread may be polling the descriptor, which keeps the socket open past
    // the close until its poll returns; the program must see the hang-up when Unpublish returns.
    ~Connection() { ::shutdown(fd, SHUT_RDWR); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    const Io::UniqueFd socket;
    const int fd;
    std::vector<uint8_t> longBytes;                      // the long message being received
    std::vector<uint32_t> withheld;                      // confirmations held back
    std::vector<std::pair<TimePoint, uint32_t>> delayed; // confirmations due at a time
};

struct MidiPeer::Port
{
    PortId id = 0;
    bool input = false;
    std::string path;
    Io::UniqueFd listenFd;
    std::vector<std::unique_ptr<Connection>> connections;
    Handler handler;
    MidiPeerDoneMode doneMode = MidiPeerDoneMode::Immediate;
    Duration doneDelay{};
    size_t longCount = 0;

    ~Port()
    {
        if (!path.empty())
            MidiWire::RemovePortFiles(path);
    }
};

MidiPeer::MidiPeer(std::string folder) : mFolder(folder.empty() ? MidiPortFolder() : std::move(folder))
{
    (void)MidiWire::MakeFolder(mFolder);
    (void)mLoop.Start([this](std::vector<pollfd>& watched) { return PrepareWait(watched); },
                      [this](std::span<const pollfd> watched) { OnReady(watched); });
}

MidiPeer::~MidiPeer()
{
    mLoop.Stop();
    mPorts.clear();
}

MidiPeer::PortId MidiPeer::PublishInput(const std::u16string& name)
{
    std::error_code ignored;
    return Publish(true, name, ignored);
}
MidiPeer::PortId MidiPeer::PublishOutput(const std::u16string& name)
{
    std::error_code ignored;
    return Publish(false, name, ignored);
}
MidiPeer::PortId MidiPeer::PublishInput(const std::u16string& name, std::error_code& error)
{
    return Publish(true, name, error);
}
MidiPeer::PortId MidiPeer::PublishOutput(const std::u16string& name, std::error_code& error)
{
    return Publish(false, name, error);
}

MidiPeer::PortId MidiPeer::Publish(bool input, const std::u16string& name, std::error_code& error)
{
    static std::atomic<uint32_t> counter{0};
    error.clear();
    // Checked first, so that a folder too long for any port leaves no name file behind.
    if (!MidiWire::FolderHoldsPorts(mFolder))
    {
        error = Io::SocketError::PathTooLong;
        return 0;
    }
    errno = 0;
    if (!MidiWire::MakeFolder(mFolder))
    {
        error = errno != 0 ? std::error_code(errno, std::system_category())
                           : std::make_error_code(std::errc::not_a_directory);
        return 0;
    }
    RemoveStalePorts(input, name);
    auto port = std::make_unique<Port>();
    port->input = input;
    const std::string path = mFolder + "/" +
                             MidiWire::PortFileName(input, MonotonicNanoseconds(),
                                                    static_cast<uint32_t>(::getpid()), counter.fetch_add(1));
    // The name is in place before the socket appears, so that a listed socket always has its name.
    if (!MidiWire::WriteNameFile(path, name, error))
        return 0;
    port->listenFd = Io::ListenUnix(path, Io::SocketType::SeqPacket, error);
    if (!port->listenFd)
    {
        ::unlink(MidiWire::NameFilePath(path).c_str());
        return 0;
    }
    port->path = path;
    PortId id = 0;
    {
        const std::lock_guard lock(mLock);
        id = mNextId++;
        port->id = id;
        mPorts.emplace(id, std::move(port));
    }
    Wake();
    return id;
}

// A device whose peer died leaves its files behind; beside a new port of the same name they would make
// the name ambiguous for the program.
void MidiPeer::RemoveStalePorts(bool input, const std::u16string& name) const
{
    const std::u16string cut = MidiWire::CutName(name);
    for (const MidiWire::PortFile& file : MidiWire::ListPorts(mFolder, input))
        if (file.name == cut && Io::RemoveStaleSocket(file.path))
            ::unlink(MidiWire::NameFilePath(file.path).c_str());
}

void MidiPeer::Unpublish(PortId port)
{
    std::unique_ptr<Port> removed;
    {
        const std::lock_guard lock(mLock);
        const auto found = mPorts.find(port);
        if (found == mPorts.end())
            return;
        // No new connection after the file is gone; one still waiting in the backlog is taken, so that it
        // is hung up below like the others rather than when the listening socket is finally released.
        ::unlink(found->second->path.c_str());
        AcceptPendingLocked(*found->second);
        removed = std::move(found->second);
        mPorts.erase(found);
    }
    removed.reset(); // every connection hung up and closed
    Wake();
}

void MidiPeer::AcceptPendingLocked(Port& port)
{
    bool accepted = false;
    while (Io::UniqueFd fd = Io::AcceptUnix(port.listenFd.Get()))
    {
        timeval timeout{kSendTimeoutSeconds, 0};
        ::setsockopt(fd.Get(), SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof(timeout));
        port.connections.push_back(std::make_unique<Connection>(std::move(fd)));
        accepted = true;
    }
    // Callers other than the peer's thread accept too (counting, sending). That thread may sit in poll
    // without the new connection, and the listening socket's readiness it was woken for is gone once
    // taken here: it must look again, or it never reads the connection nor sees it close.
    if (accepted)
        Wake();
}

size_t MidiPeer::ConnectionCount(PortId port)
{
    const std::lock_guard lock(mLock);
    const auto found = mPorts.find(port);
    if (found == mPorts.end())
        return 0;
    AcceptPendingLocked(*found->second);
    return found->second->connections.size();
}

bool MidiPeer::WaitForConnections(PortId port, size_t count, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (ConnectionCount(port) < count)
    {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

size_t MidiPeer::SendFrames(PortId input, const std::vector<std::vector<uint8_t>>& frames)
{
    const std::lock_guard lock(mLock);
    const auto found = mPorts.find(input);
    if (found == mPorts.end() || !found->second->input)
        return 0;
    Port& port = *found->second;
    AcceptPendingLocked(port);
    size_t reached = 0;
    for (const auto& connection : port.connections)
    {
        bool sent = true;
        for (const auto& frame : frames)
            sent = sent && SendFrame(connection->fd, frame);
        reached += sent ? 1 : 0;
    }
    return reached;
}

size_t MidiPeer::SendShort(PortId input, std::span<const uint8_t> bytes)
{
    if (bytes.empty() || bytes.size() > 3)
        return 0;
    return SendFrames(input, {MidiWire::ShortFrame(bytes)});
}

size_t MidiPeer::SendSysEx(PortId input, std::span<const uint8_t> bytes)
{
    return SendFrames(input, MidiWire::LongFrames(0, bytes));
}

size_t MidiPeer::SendLongError(PortId input)
{
    return SendFrames(input, {{MidiWire::kFrameLongError}});
}

void MidiPeer::SetHandler(PortId output, Handler handler)
{
    const std::lock_guard lock(mLock);
    if (const auto found = mPorts.find(output); found != mPorts.end())
        found->second->handler = std::move(handler);
}

std::optional<MidiPeerMessage> MidiPeer::Receive(PortId output, std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mLock);
    std::optional<MidiPeerMessage> message;
    mReceived.wait_for(lock, timeout,
                       [&]
                       {
                           const auto found = std::find_if(mQueue.begin(), mQueue.end(),
                                                           [output](const MidiPeerMessage& queued)
                                                           { return output == 0 || queued.port == output; });
                           if (found == mQueue.end())
                               return false;
                           message = std::move(*found);
                           mQueue.erase(found);
                           return true;
                       });
    return message;
}

void MidiPeer::SetDoneMode(PortId output, MidiPeerDoneMode mode, Duration delay)
{
    const std::lock_guard lock(mLock);
    const auto found = mPorts.find(output);
    if (found == mPorts.end())
        return;
    Port& port = *found->second;
    port.doneMode = mode;
    port.doneDelay = delay;
    if (mode == MidiPeerDoneMode::Withhold)
        return;
    for (const auto& connection : port.connections)
    {
        for (const uint32_t sequence : connection->withheld)
        {
            if (mode == MidiPeerDoneMode::Delayed)
                connection->delayed.emplace_back(Now() + delay, sequence);
            else
                SendDoneLocked(*connection, sequence);
        }
        connection->withheld.clear();
    }
    Wake();
}

void MidiPeer::ReleaseWithheldDones(PortId output)
{
    const std::lock_guard lock(mLock);
    const auto found = mPorts.find(output);
    if (found == mPorts.end())
        return;
    for (const auto& connection : found->second->connections)
    {
        for (const uint32_t sequence : connection->withheld)
            SendDoneLocked(*connection, sequence);
        connection->withheld.clear();
    }
}

size_t MidiPeer::LongMessageCount(PortId output)
{
    const std::lock_guard lock(mLock);
    const auto found = mPorts.find(output);
    return found == mPorts.end() ? 0 : found->second->longCount;
}

void MidiPeer::Wake()
{
    mLoop.Wake();
}

void MidiPeer::SendDoneLocked(Connection& connection, uint32_t sequence)
{
    (void)SendFrame(connection.fd, MidiWire::DoneFrame(sequence));
}

void MidiPeer::FlushDueDonesLocked()
{
    const TimePoint now = Now();
    for (auto& [id, port] : mPorts)
    {
        for (const auto& connection : port->connections)
        {
            auto& delayed = connection->delayed;
            // Confirmations go out in the order the messages arrived.
            while (!delayed.empty() && delayed.front().first <= now)
            {
                SendDoneLocked(*connection, delayed.front().second);
                delayed.erase(delayed.begin());
            }
        }
    }
}

// Reads every frame waiting on `connection`; false once the program closed it.
bool MidiPeer::ReadConnection(Port& port, Connection& connection, std::vector<MidiPeerMessage>& received)
{
    const auto hand = [&](MidiPeerMessage&& message)
    {
        if (port.handler)
        {
            received.push_back(std::move(message));
            return;
        }
        mQueue.push_back(std::move(message));
        mReceived.notify_all();
    };
    std::vector<uint8_t> frame(MidiWire::kMaxFrame);
    for (;;)
    {
        const ssize_t got = ::recv(connection.fd, frame.data(), frame.size(), MSG_DONTWAIT);
        if (got < 0 && errno == EINTR)
            continue;
        if (got == 0)
            return false;
        if (got < 0)
            return errno == EAGAIN || errno == EWOULDBLOCK;
        if (port.input)
            continue; // the program sends nothing on input ports
        const auto read = MidiWire::ReadFrame(std::span(frame.data(), static_cast<size_t>(got)));
        if (read && read->type == MidiWire::kFrameShort)
        {
            MidiPeerMessage message;
            message.port = port.id;
            message.bytes.assign(read->bytes.begin(), read->bytes.end());
            hand(std::move(message));
            continue;
        }
        if (!read || read->type != MidiWire::kFrameLong)
            continue;
        connection.longBytes.insert(connection.longBytes.end(), read->bytes.begin(), read->bytes.end());
        if (!read->last)
            continue;
        const uint32_t sequence = read->sequence;
        MidiPeerMessage message;
        message.port = port.id;
        message.sysEx = true;
        message.bytes.swap(connection.longBytes);
        ++port.longCount;
        // The message is queued before its confirmation leaves, so a sender that saw "done" finds it.
        hand(std::move(message));
        switch (port.doneMode)
        {
        case MidiPeerDoneMode::Immediate:
            SendDoneLocked(connection, sequence);
            break;
        case MidiPeerDoneMode::Delayed:
            connection.delayed.emplace_back(Now() + port.doneDelay, sequence);
            break;
        case MidiPeerDoneMode::Withhold:
            connection.withheld.push_back(sequence);
            break;
        }
    }
}

int MidiPeer::PrepareWait(std::vector<pollfd>& watched)
{
    mWatched.clear();
    bool delayedDue = false;
    const std::lock_guard lock(mLock);
    for (const auto& [id, port] : mPorts)
    {
        watched.push_back(pollfd{port->listenFd.Get(), POLLIN, 0});
        mWatched.push_back({id, port->listenFd.Get(), true});
        for (const auto& connection : port->connections)
        {
            watched.push_back(pollfd{connection->fd, POLLIN, 0});
            mWatched.push_back({id, connection->fd, false});
            delayedDue = delayedDue || !connection->delayed.empty();
        }
    }
    return delayedDue ? kDelayedDonePollMs : -1;
}

void MidiPeer::OnReady(std::span<const pollfd> watched)
{
    std::vector<MidiPeerMessage> received;
    {
        const std::lock_guard lock(mLock);
        for (size_t i = 0; i < watched.size(); ++i)
        {
            if (watched[i].revents == 0)
                continue;
            const auto found = mPorts.find(mWatched[i].port);
            if (found == mPorts.end())
                continue;
            Port& port = *found->second;
            if (mWatched[i].listening)
            {
                AcceptPendingLocked(port);
                continue;
            }
            auto& connections = port.connections;
            const auto connection =
                std::find_if(connections.begin(), connections.end(),
                             [fd = mWatched[i].fd](const auto& candidate) { return candidate->fd == fd; });
            if (connection == connections.end())
                continue;
            if (!ReadConnection(port, **connection, received))
                connections.erase(connection);
        }
        FlushDueDonesLocked();
    }
    Dispatch(received);
}

void MidiPeer::Dispatch(std::vector<MidiPeerMessage>& received)
{
    for (auto& message : received)
    {
        Handler handler;
        {
            const std::lock_guard lock(mLock);
            const auto found = mPorts.find(message.port);
            if (found != mPorts.end())
                handler = found->second->handler;
        }
        if (handler)
            handler(message);
        else
        {
            const std::lock_guard lock(mLock);
            mQueue.push_back(std::move(message));
            mReceived.notify_all();
        }
    }
}
} // namespace Platform
