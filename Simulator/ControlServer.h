#pragma once

#include "Platform/Io/PollLoop.h"
#include "Platform/Io/UniqueFd.h"
#include "Simulator/CommandInterpreter.h"
#include "Simulator/Forward.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <system_error>

namespace Simulator
{
// Serves the control language on a Unix stream socket: each connected client sends lines and gets one
// reply line for each. Owned by the program; its thread runs from Start to Stop.
class ControlServer
{
public:
    explicit ControlServer(Mixer& mixer);
    ~ControlServer(); // Stop()
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    // Listens at socketPath (its folder made when missing, a stale socket left by a simulator that died
    // replaced). False on failure with `error` set: EADDRINUSE when another simulator still answers there
    // (it is left alone), Platform::Io::SocketError::PathTooLong for a path a socket address cannot hold.
    bool Start(const std::string& socketPath, std::error_code& error);
    // Closes every client and removes the socket file.
    void Stop();
    // Waits until a client sent "quit" or the time-out passed; true when quit was asked for.
    bool WaitForQuit(std::chrono::milliseconds timeout);

    // The socket path for the program: $ZQ_SIMULATOR_SOCKET, else "zq-simulator.sock" in the MIDI
    // socket folder.
    [[nodiscard]] static std::string DefaultSocketPath();

private:
    int PrepareWait(std::vector<pollfd>& watched);
    void OnReady(std::span<const pollfd> watched);
    void Serve(int socket);
    void CloseClients();

    CommandInterpreter mInterpreter;
    std::string mPath;
    Platform::Io::UniqueFd mListen;
    std::map<int, std::string> mClients; // socket -> unfinished line; the server's thread only
    Platform::Io::PollLoop mLoop;        // the server's thread, from Start to Stop
    std::mutex mLock;                    // guards mQuit
    std::condition_variable mQuitChanged;
    bool mQuit = false;
};
} // namespace Simulator
