// The updater program as a user meets it, against the simulated mixer under an X server: the time from
// the process start to its first painted frame, its resident memory once the window idles, and the share
// of a core the idle window takes. Skipped without a display, the program or the simulator.
#include "Support/PrivateFolders.h"
#include "Support/ProgramPath.h"
#include "Support/SimulatorProcess.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <signal.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

// Xlib last: its macros (None, Status) break headers included after it.
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// clang-format on

namespace
{
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::set<::Window> TopLevelWindows(::Display* x)
{
    ::Window root = 0;
    ::Window parent = 0;
    ::Window* children = nullptr;
    unsigned count = 0;
    std::set<::Window> windows;
    if (XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count))
        windows.insert(children, children + count);
    if (children != nullptr)
        XFree(children);
    return windows;
}

bool IsSplash(::Display* x, ::Window window)
{
    XClassHint hint{};
    if (!XGetClassHint(x, window, &hint))
        return false;
    const bool splash = hint.res_class != nullptr && std::string(hint.res_class) == "SplashWnd";
    XFree(hint.res_name);
    XFree(hint.res_class);
    return splash;
}

// A new top-level window of the program, on screen (mapped is set then) with something drawn in it; 0
// while there is none.
::Window PaintedWindow(::Display* x, const std::set<::Window>& before, bool& mapped)
{
    for (const ::Window window : TopLevelWindows(x))
    {
        XWindowAttributes attributes{};
        if (before.contains(window) || !XGetWindowAttributes(x, window, &attributes) ||
            attributes.map_state != IsViewable || IsSplash(x, window))
            continue;
        mapped = true;
        XImage* image = XGetImage(x, window, 0, 0, static_cast<unsigned>(attributes.width),
                                  static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
        bool drawn = false;
        for (int row = 0; image != nullptr && row < attributes.height && !drawn; row += 7)
            for (int column = 0; column < attributes.width && !drawn; column += 7)
                drawn = (XGetPixel(image, column, row) & 0xFFFFFF) != 0;
        if (image != nullptr)
            XDestroyImage(image);
        if (drawn)
            return window;
    }
    return 0;
}

// The process's resident memory in bytes and its CPU seconds so far.
double ResidentBytes(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
    {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) * 1024.0;
    }
    return 0;
}

double CpuSeconds(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int index = 3; fields >> field; ++index)
    {
        if (index == 14 || index == 15) // utime, stime
            ticks += std::stod(field);
        if (index == 15)
            break;
    }
    return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

void BM_UpdaterWindow(benchmark::State& state)
{
    const std::string updater = TestSupport::ProgramBesideThisOne("q3300-splen-updater");
    const std::string simulatorProgram = TestSupport::SimulatorProcess::ProgramNextToThisTest();
    ::Display* x = XOpenDisplay(nullptr);
    if (updater.empty() || simulatorProgram.empty() || x == nullptr)
    {
        state.SkipWithError("needs an X server, q3300-splen-updater and zq-simulator");
        if (x != nullptr)
            XCloseDisplay(x);
        return;
    }
    const TestSupport::PrivateFolders folders("zq-bench");
    TestSupport::SimulatorProcess simulator(simulatorProgram, {"--version", "1.1.5.7"});
    double resident = 0;
    double idleCpuShare = 0;
    double mappedSeconds = 0; // the last start's time until its window was on screen
    for (auto _ : state)
    {
        const std::set<::Window> before = TopLevelWindows(x);
        std::vector<char*> argv{const_cast<char*>(updater.c_str()), nullptr};
        pid_t pid = -1;
        const auto started = Clock::now();
        if (::posix_spawn(&pid, updater.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        {
            state.SkipWithError("the program did not start");
            break;
        }
        ::Window window = 0;
        bool mapped = false;
        while (window == 0 && Clock::now() - started < 30s)
        {
            const bool wasMapped = mapped;
            window = PaintedWindow(x, before, mapped);
            if (mapped && !wasMapped)
                mappedSeconds = std::chrono::duration<double>(Clock::now() - started).count();
            if (window == 0)
                std::this_thread::sleep_for(1ms);
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - started).count());
        // Idle: give it a second to settle, then measure over two.
        std::this_thread::sleep_for(1s);
        resident = ResidentBytes(pid);
        const double cpuBefore = CpuSeconds(pid);
        const auto idleStart = Clock::now();
        std::this_thread::sleep_for(2s);
        idleCpuShare =
            (CpuSeconds(pid) - cpuBefore) / std::chrono::duration<double>(Clock::now() - idleStart).count();
        ::kill(pid, SIGTERM);
        int status = 0;
        const auto deadline = Clock::now() + 10s;
        while (::waitpid(pid, &status, WNOHANG) == 0 && Clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        if (::waitpid(pid, &status, WNOHANG) == 0)
        {
            ::kill(pid, SIGKILL);
            (void)::waitpid(pid, &status, 0);
        }
        if (window == 0)
        {
            state.SkipWithError(mapped ? "the window came on screen but nothing was painted in it within 30 s"
                                       : "no window within 30 s");
            break;
        }
    }
    state.counters["mapped_ms"] = mappedSeconds * 1000.0;
    state.counters["resident_MB"] = resident / (1024.0 * 1024.0);
    state.counters["idle_cpu_percent"] = idleCpuShare * 100.0;
    XCloseDisplay(x);
}
BENCHMARK(BM_UpdaterWindow)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
} // namespace
