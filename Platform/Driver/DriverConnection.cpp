#include "Platform/Driver/DriverConnection.h"

#include "Platform/Driver/Driver.h"
#include "Platform/Driver/DriverWire.h"
#include "Platform/Io/UnixSocket.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <sys/socket.h>

namespace Platform
{
namespace
{
using namespace DriverWire;

// How long a caller waits for the device to answer one request or the open. Generous: it only bounds
// a hang of a device side that stopped answering.
constexpr auto ReplyLimit = std::chrono::seconds(10);
constexpr int HelloLimitMs = 5000;
// How long a close waits for the device to let the handle go.
constexpr auto CloseLimit = std::chrono::seconds(5);

bool AwaitHello(int socket)
{
    if (!Io::WaitReadable(socket, HelloLimitMs))
        return false;
    uint8_t reply[16];
    const ssize_t size = ::recv(socket, reply, sizeof reply, 0);
    if (size < 0)
        return false;
    const auto message = ReadDeviceMessage({reply, static_cast<size_t>(size)});
    return message && message->type == HelloReply && message->accepted;
}
} // namespace

std::shared_ptr<DriverConnection> DriverConnection::Connect(const std::string& socketPath)
{
    std::error_code error;
    Io::UniqueFd socket = Io::ConnectUnix(socketPath, Io::SocketType::SeqPacket, error);
    if (!socket)
        return nullptr;
    std::vector<uint8_t> hello;
    PutU32(hello, Hello);
    if (!SendAll(socket.Get(), hello) || !AwaitHello(socket.Get()))
        return nullptr;
    std::shared_ptr<DriverConnection> connection(new DriverConnection(std::move(socket)));
    if (!connection->Start())
        return nullptr;
    return connection;
}

DriverConnection::DriverConnection(Io::UniqueFd socket)
    : mSocketFd(std::move(socket)), mSocket(mSocketFd.Get()), mBuffer(MaxPacket)
{
}

DriverConnection::~DriverConnection() = default;

bool DriverConnection::Start()
{
    return mReader.Start(
        [this](std::vector<pollfd>& watched)
        {
            watched.push_back({mSocket, POLLIN, 0});
            return -1;
        },
        [this](std::span<const pollfd> watched) { OnReady(watched[0].revents); }, shared_from_this());
}

bool DriverConnection::SendPacket(const std::vector<uint8_t>& packet)
{
    std::lock_guard sendLock(mSendLock);
    return SendAll(mSocket, packet);
}

bool DriverConnection::Control(uint32_t ioControlCode, const void* input, uint32_t inputSize, void* output,
                               uint32_t outputSize, uint32_t* bytesReturned)
{
    if (bytesReturned)
        *bytesReturned = 0;
    if (inputSize > MaxBufferSize || outputSize > MaxBufferSize || (inputSize && !input) ||
        (outputSize && !output))
        return false;
    const auto* in = static_cast<const uint8_t*>(input);
    auto* out = static_cast<uint8_t*>(output);

    uint32_t seq = 0;
    {
        std::lock_guard lock(mLock);
        if (mClosed || mBroken)
            return false;
        seq = mNextSeq++;
        mReplies.emplace(seq, std::nullopt);
    }

    std::vector<uint8_t> packet;
    packet.reserve(20 + inputSize + outputSize);
    PutU32(packet, Request);
    PutU32(packet, seq);
    PutU32(packet, ioControlCode);
    PutU32(packet, inputSize);
    PutU32(packet, outputSize);
    packet.insert(packet.end(), in, in + inputSize);
    packet.insert(packet.end(), out, out + outputSize);

    std::unique_lock lock(mLock);
    const bool sent = [&]
    {
        lock.unlock();
        const bool ok = SendPacket(packet);
        lock.lock();
        return ok;
    }();
    const auto arrived = [&] { return mReplies[seq].has_value() || mClosed || mBroken; };
    if (!sent)
    {
        // The socket refused the request: the device is gone, though the reader may not have seen the
        // hang-up yet. The caller takes the failure as that and may free its buffers at once, so the
        // pending writes go now, before the reader could read them.
        mReplies.erase(seq);
        BreakLocked();
        return false;
    }
    if (!mReplied.wait_for(lock, ReplyLimit, arrived) || !mReplies[seq].has_value())
    {
        mReplies.erase(seq);
        return false;
    }
    Reply reply = std::move(*mReplies[seq]);
    mReplies.erase(seq);
    if (!reply.ok)
        return false;
    // The device may answer and hang up at once (it reboots after the request that ends an update):
    // the reader can see both before this caller wakes. The answer stands; only a write it accepted
    // fails, because a handle closed or broken meanwhile keeps no buffer of the caller's and its bytes
    // never leave.
    if ((reply.flags & WriteAccepted) && (mClosed || mBroken))
        return false;

    // The write's buffer is named by the request's own output (port, address, count); take it before
    // the answer overwrites that buffer.
    if ((reply.flags & WriteAccepted) && outputSize >= 24)
    {
        const PendingWrite write{static_cast<uintptr_t>(GetU64(out + 8)), GetU64(out + 16)};
        if (write.count > MaxWriteSize || (write.count && !write.address))
            return false;
        mWrites[reply.writeId] = write;
        mUnsent.push_back(reply.writeId);
        mReader.Wake();
    }
    if (reply.flags & DropWrites)
    {
        mWrites.clear();
        mUnsent.clear();
    }
    lock.unlock();

    if ((reply.flags & ReadData) && inputSize >= 48 && !reply.readData.empty())
    {
        auto* buffer = reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(GetU64(in + 32)));
        const uint64_t room = GetU64(in + 40);
        const size_t count = static_cast<size_t>(std::min<uint64_t>(room, reply.readData.size()));
        if (buffer && count)
            std::memcpy(buffer, reply.readData.data(), count);
    }
    std::memcpy(out, reply.output.data(), std::min<size_t>(outputSize, reply.output.size()));
    if (bytesReturned)
        *bytesReturned = reply.bytesReturned;
    return true;
}

void DriverConnection::Close()
{
    const bool onReader = mReader.IsLoopThread();
    {
        std::unique_lock lock(mLock);
        if (mClosed)
            return;
        mClosed = true;
        mWrites.clear();
        mUnsent.clear();
        mReplied.notify_all();
        // A handle closed is closed for the device too by the time this returns, as a closed file
        // handle is: an exclusive device opens again at once. The device sees the end of this
        // handle's stream after everything sent before it, lets the handle go and hangs up.
        if (!onReader && !mBroken && ::shutdown(mSocket, SHUT_WR) == 0)
            mReplied.wait_for(lock, CloseLimit, [this] { return mBroken; });
    }
    ::shutdown(mSocket, SHUT_RDWR);
    mReader.Stop();
}

void DriverConnection::Break()
{
    std::lock_guard lock(mLock);
    BreakLocked();
}

void DriverConnection::BreakLocked()
{
    mBroken = true;
    mWrites.clear();
    mUnsent.clear();
    mReplied.notify_all();
}

void DriverConnection::OnReady(short revents)
{
    SendPendingData();
    if ((revents & (POLLIN | POLLHUP | POLLERR)) == 0)
        return;
    const ssize_t size = ::recv(mSocket, mBuffer.data(), mBuffer.size(), 0);
    if (size < 0 && errno == EINTR)
        return;
    if (size <= 0)
    {
        Break();
        mReader.Stop();
        return;
    }
    HandlePacket(mBuffer.data(), static_cast<size_t>(size));
    // A closed handle is read on until the device hangs up (Close forces that when it must).
}

void DriverConnection::SendPendingData()
{
    for (;;)
    {
        uint32_t writeId = 0;
        std::vector<uint8_t> bytes;
        {
            std::lock_guard lock(mLock);
            if (mClosed || mBroken || mUnsent.empty())
                return;
            writeId = mUnsent.front();
            mUnsent.pop_front();
            const auto found = mWrites.find(writeId);
            if (found == mWrites.end())
                continue;
            const auto* source = reinterpret_cast<const uint8_t*>(found->second.address);
            bytes.assign(source, source + found->second.count);
        }
        // One write's pieces go out back to back; an empty write still sends its one (last) piece.
        std::lock_guard sendLock(mSendLock);
        size_t offset = 0;
        do
        {
            const size_t piece = std::min(MaxDataPiece, bytes.size() - offset);
            std::vector<uint8_t> packet;
            packet.reserve(16 + piece);
            PutU32(packet, WriteData);
            PutU32(packet, writeId);
            PutU32(packet, static_cast<uint32_t>(offset));
            PutU32(packet, offset + piece == bytes.size() ? 1 : 0);
            packet.insert(packet.end(), bytes.begin() + offset, bytes.begin() + offset + piece);
            if (!SendAll(mSocket, packet))
                return;
            offset += piece;
        } while (offset < bytes.size());
    }
}

void DriverConnection::HandlePacket(const uint8_t* bytes, size_t size)
{
    const auto message = ReadDeviceMessage({bytes, size});
    if (!message)
        return;
    switch (message->type)
    {
    case DriverWire::Reply:
    {
        Reply reply;
        reply.ok = message->ok;
        reply.bytesReturned = message->bytesReturned;
        reply.flags = message->flags;
        reply.writeId = message->writeId;
        reply.output.assign(message->output.begin(), message->output.end());
        reply.readData.assign(message->readData.begin(), message->readData.end());
        std::lock_guard lock(mLock);
        const auto waiting = mReplies.find(message->seq);
        if (waiting != mReplies.end())
        {
            waiting->second = std::move(reply);
            mReplied.notify_all();
        }
        return;
    }
    case DriverWire::Release:
    {
        std::lock_guard lock(mLock);
        const auto found = mWrites.find(message->writeId);
        if (found == mWrites.end())
            return;
        // The caller set its guard to the complement of the first byte; making the byte equal to the
        // guard frees the buffer. A write of no bytes still owns a one-byte buffer.
        if (found->second.address)
        {
            std::atomic_ref<uint8_t> first(*reinterpret_cast<uint8_t*>(found->second.address));
            first.store(static_cast<uint8_t>(~first.load(std::memory_order_relaxed)),
                        std::memory_order_release);
        }
        mWrites.erase(found);
        return;
    }
    case DriverWire::Signal:
        SignalDriverEvent(static_cast<intptr_t>(message->eventHandle));
        return;
    default:
        return;
    }
}
} // namespace Platform
