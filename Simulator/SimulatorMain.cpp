// zq-simulator: plays the "Tavrin DJ Q3300 Splen" mixer and its USB audio driver beside the updater.
//
// Usage: zq-simulator [options]
//   --socket PATH            control socket (default: $ZQ_SIMULATOR_SOCKET, else
//                            <MIDI socket folder>/zq-simulator.sock)
//   --unplugged              start with the device unplugged (driver installed, device absent)
//   --update-mode            start in update mode (ports present, identity request unanswered)
//   --version A.B.C.D        firmware version the device reports (default 1.1.5.7)
//   --new-version A.B.C.D    version after a complete update and reboot (default 1.2.0.1)
//   --driver-version TEXT    installed driver version, or "none" (default 1.0.5)
//   --reply-delay MS         delay of the identity reply (default 5)
//   --reboot-delay MS        how long the device is gone while it reboots (default 1000)
//   --help                   this text
// Environment: ZQ_MIDI_DIR (MIDI socket folder), ZQ_REGISTRY_ROOT (registry root folder), ZQ_DRIVER_DIR
// (driver device sockets; default: the MIDI socket folder), ZQ_SIMULATOR_SOCKET (control socket).
//
// Sockets that a simulator killed earlier left behind (they refuse connections) are replaced; while
// another simulator still answers on the control socket, this one refuses to start.
//
// It prints "control socket: PATH" once ready, and a line "zq-simulator: ..." for each thing that keeps
// the device from appearing (a MIDI port that could not be published, for one). It runs until SIGINT,
// SIGTERM or the "quit" command, and on the way out removes its sockets and registry entries. The control
// socket takes one command per line and answers one line, "OK ..." or "ERR ..." (send "help" for the list).

#include "Simulator/CommandInterpreter.h"
#include "Simulator/ControlServer.h"
#include "Simulator/Mixer.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>
#include <system_error>
#include <vector>

namespace
{
struct Options
{
    std::string socketPath;
    bool plugged = true;
    std::vector<std::string> commands; // applied through the control language before start
};

// Prints the simulator's problems on its output, holding back those that come before the control
// socket's line until it is out. Called from any thread.
class ProblemPrinter
{
public:
    void Print(const std::string& problem)
    {
        const std::lock_guard lock(mLock);
        if (mAnnounced)
            PrintLine(problem);
        else
            mEarly.push_back(problem);
    }

    void Announced()
    {
        const std::lock_guard lock(mLock);
        mAnnounced = true;
        for (const auto& problem : mEarly)
            PrintLine(problem);
        mEarly.clear();
    }

private:
    static void PrintLine(const std::string& problem)
    {
        std::printf("zq-simulator: %s\n", problem.c_str());
        std::fflush(stdout);
    }

    std::mutex mLock; // guards both fields
    bool mAnnounced = false;
    std::vector<std::string> mEarly;
};

void PrintUsage()
{
    std::puts("usage: zq-simulator [--socket PATH] [--unplugged] [--update-mode] [--version A.B.C.D]\n"
              "                    [--new-version A.B.C.D] [--driver-version TEXT|none] [--reply-delay MS]\n"
              "                    [--reboot-delay MS]");
}

// Returns false (after printing why) when the command line is not understood.
bool ParseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i)
    {
        const std::string option = argv[i];
        const auto value = [&](const char* command)
        {
            if (i + 1 >= argc)
                return false;
            options.commands.push_back(std::string(command) + " " + argv[++i]);
            return true;
        };
        bool ok = true;
        if (option == "--socket" && i + 1 < argc)
            options.socketPath = argv[++i];
        else if (option == "--unplugged")
            options.plugged = false;
        else if (option == "--update-mode")
            options.commands.push_back("mode update");
        else if (option == "--version")
            ok = value("version");
        else if (option == "--new-version")
            ok = value("new-version");
        else if (option == "--driver-version")
            ok = value("driver-version");
        else if (option == "--reply-delay")
            ok = value("reply-delay");
        else if (option == "--reboot-delay")
            ok = value("reboot-delay");
        else
            ok = false;
        if (!ok)
        {
            std::fprintf(stderr, "zq-simulator: bad option %s\n", option.c_str());
            PrintUsage();
            return false;
        }
    }
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--help") == 0)
            return PrintUsage(), 0;
    Options options;
    if (!ParseOptions(argc, argv, options))
        return 2;

    // The signals are taken by sigtimedwait below, never by a handler on some other thread.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    Simulator::Mixer mixer;
    Simulator::CommandInterpreter setup(mixer);
    for (const auto& command : options.commands)
    {
        const std::string reply = setup.Execute(command);
        if (reply.rfind("OK", 0) != 0)
        {
            std::fprintf(stderr, "zq-simulator: %s\n", reply.c_str());
            return 2;
        }
    }
    // The control socket first: a simulator that already runs there keeps its device and entries.
    Simulator::ControlServer server(mixer);
    const std::string socketPath =
        options.socketPath.empty() ? Simulator::ControlServer::DefaultSocketPath() : options.socketPath;
    if (std::error_code error; !server.Start(socketPath, error))
    {
        const bool taken = error == std::errc::address_in_use;
        std::fprintf(stderr, "zq-simulator: cannot listen at %s: %s%s\n", socketPath.c_str(),
                     error.message().c_str(), taken ? " (another simulator is running there)" : "");
        return 1;
    }
    // What keeps the device from appearing is printed as it happens, after the control socket's line
    // (which a client reads first); what starting met waits for that line.
    ProblemPrinter problems;
    mixer.SetProblemHandler([&problems](const std::string& problem) { problems.Print(problem); });
    mixer.Start(options.plugged);
    std::printf("control socket: %s\n", socketPath.c_str());
    std::fflush(stdout);
    problems.Announced();

    const timespec slice{0, 100 * 1000 * 1000};
    for (;;)
    {
        if (sigtimedwait(&stopSignals, nullptr, &slice) > 0)
            break;
        if (server.WaitForQuit(std::chrono::milliseconds(0)))
            break;
    }
    server.Stop();
    mixer.Stop();
    std::puts("zq-simulator: stopped");
    return 0;
}
