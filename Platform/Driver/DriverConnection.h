#pragma once

#include "Platform/Io/PollLoop.h"
#include "Platform/Io/UniqueFd.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace Platform
{
// One open handle of the driver stand-in: the socket to the device side and the thread that reads it.
// The thread delivers replies to waiting callers, sends the bytes of accepted writes (read from the
// caller's buffers after their calls returned), releases buffers when the device says so and passes
// signals on. Owned by the handle table of Driver.cpp; the thread keeps the object alive while it runs.
class DriverConnection : public std::enable_shared_from_this<DriverConnection>
{
public:
    // Connects and says hello; null when nothing listens at socketPath or the device refuses.
    [[nodiscard]] static std::shared_ptr<DriverConnection> Connect(const std::string& socketPath);

    ~DriverConnection();
    DriverConnection(const DriverConnection&) = delete;
    DriverConnection& operator=(const DriverConnection&) = delete;

    [[nodiscard]] bool Control(uint32_t ioControlCode, const void* input, uint32_t inputSize, void* output,
                               uint32_t outputSize, uint32_t* bytesReturned);

    // Drops pending writes, waits (a bounded time) until the device has let the handle go, disconnects
    // and ends the thread (joins it unless called on it).
    void Close();

private:
    struct Reply
    {
        bool ok = false;
        uint32_t bytesReturned = 0;
        uint32_t flags = 0;
        uint32_t writeId = 0;
        std::vector<uint8_t> output;
        std::vector<uint8_t> readData;
    };
    struct PendingWrite
    {
        uintptr_t address = 0;
        uint64_t count = 0;
    };

    explicit DriverConnection(Io::UniqueFd socket);
    [[nodiscard]] bool Start();
    void OnReady(short revents);
    void SendPendingData();
    void HandlePacket(const uint8_t* bytes, size_t size);
    void Break();
    void BreakLocked();
    bool SendPacket(const std::vector<uint8_t>& packet);

    const Io::UniqueFd mSocketFd;
    const int mSocket; // mSocketFd's descriptor

    // mLock guards every field below and every access to a caller's write buffer.
    std::mutex mLock;
    std::condition_variable mReplied;
    uint32_t mNextSeq = 1;
    std::map<uint32_t, std::optional<Reply>> mReplies;
    std::map<uint32_t, PendingWrite> mWrites;
    std::deque<uint32_t> mUnsent;
    bool mClosed = false;
    bool mBroken = false;

    std::mutex mSendLock;         // keeps the pieces of one write's data together on the socket
    std::vector<uint8_t> mBuffer; // a received packet; the reader thread only
    // The reader thread: woken when a write's data is ready to go, or to end; holds the connection
    // alive while it runs.
    Io::PollLoop mReader;
};
} // namespace Platform
