#pragma once

#include "Simulator/CommandInterpreter.h"
#include "Simulator/Forward.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

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

    // Listens at socketPath (its folder made when missing, a stale socket replaced). False on failure,
    // and when another simulator still answers there: it is left alone.
    bool Start(const std::string& socketPath);
    // Closes every client and removes the socket file.
    void Stop();
    // Waits until a client sent "quit" or the time-out passed; true when quit was asked for.
    bool WaitForQuit(std::chrono::milliseconds timeout);

    // The socket path for the program: $ZQ_SIMULATOR_SOCKET, else "zq-simulator.sock" in the MIDI
    // socket folder.
    [[nodiscard]] static std::string DefaultSocketPath();

private:
    void Run();

    CommandInterpreter mInterpreter;
    std::string mPath;
    int mListen = -1;
    int mWake = -1;
    std::thread mThread;
    std::mutex mLock; // guards mQuit
    std::condition_variable mQuitChanged;
    bool mQuit = false;
};
} // namespace Simulator
