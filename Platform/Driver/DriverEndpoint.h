#pragma once

#include "Platform/Driver/Forward.h"
#include "Platform/Io/PollLoop.h"
#include "Platform/Io/UniqueFd.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <vector>

namespace Platform
{
// The device side of the driver wire: listens on a device socket, accepts the program's handles and
// passes their requests and write data to an IDriverDevice; sends releases and signals back. Owned by
// the simulated driver (or a test); one endpoint serves one device path at a time.
class DriverEndpoint
{
public:
    explicit DriverEndpoint(IDriverDevice& device);
    ~DriverEndpoint();
    DriverEndpoint(const DriverEndpoint&) = delete;
    DriverEndpoint& operator=(const DriverEndpoint&) = delete;

    // Starts listening at socketPath (its folder is created when missing; a stale socket file there, left
    // by an endpoint whose process died, is replaced). False when already listening or the socket cannot
    // be made: a live socket at the path (another endpoint serves it) is left alone and refuses with
    // EADDRINUSE, a path longer than a socket address holds with Io::SocketError::PathTooLong.
    bool Listen(const std::string& socketPath);
    bool Listen(const std::string& socketPath, std::error_code& error);
    // Stops listening: every handle is disconnected (the device gets OnClose for each) and the socket
    // file removed. Must not be called from within an IDriverDevice callback.
    void Stop();
    [[nodiscard]] bool IsListening() const { return mListening.load(); }

    // Tells the program that the device has taken a write's bytes. False when the handle is gone.
    bool Release(DriverConnectionId connection, uint32_t writeId);
    // Asks the program to signal the wake event it registered under eventHandle.
    bool Signal(DriverConnectionId connection, intptr_t eventHandle);
    // Ends one handle as if the device went away; the device gets OnClose.
    void Disconnect(DriverConnectionId connection);

private:
    struct Connection;

    int PrepareWait(std::vector<pollfd>& watched);
    void OnReady(std::span<const pollfd> watched);
    void Accept();
    void Receive(const std::shared_ptr<Connection>& connection, std::vector<uint8_t>& buffer);
    void Drop(DriverConnectionId id);
    std::shared_ptr<Connection> Find(DriverConnectionId id);

    IDriverDevice& mDevice;
    Io::UniqueFd mListenSocket;
    std::string mSocketPath;
    std::atomic<bool> mListening{false};

    std::mutex mLock; // guards mConnections (changed on the endpoint's thread only, and by Stop after it)
    std::map<DriverConnectionId, std::shared_ptr<Connection>> mConnections;
    // Used by the endpoint's thread only.
    std::vector<std::shared_ptr<Connection>> mWatched; // what the last wait watched
    std::vector<uint8_t> mBuffer;                      // a received packet
    Io::PollLoop mLoop;                                // the endpoint's thread, from Listen to Stop
};
} // namespace Platform
