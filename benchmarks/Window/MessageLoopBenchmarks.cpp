#include "Platform/Window/Display.h"
#include "Platform/Window/MessageLoop.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>
#include <semaphore>
#include <thread>

namespace
{
using namespace Platform::Window;
using namespace std::chrono_literals;

double ProcessCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The loop idling as the program's does: one window (an X window when a display is open) with the 33 ms
// timer that brings an idle pass. Reports the share of one core the process used.
void BM_IdleLoopCpu(benchmark::State& state)
{
    MessageLoop loop;
    const auto display = Display::Open(loop);
    WindowHandle window = 0;
    const WindowProc proc = [](const Message&) { return LResult{0}; };
    if (display)
    {
        window = display->CreateWindow({"ZQBenchmark", u"Idle", {0, 0, 320, 240}}, proc);
        display->ShowWindow(window, kSwShowNormal);
    }
    else
        window = loop.CreateMessageWindow(proc);
    loop.SetTimer(window, 1, 33ms);
    loop.SetTimer(window, 2, 1000ms, true);
    const WindowHandle stopper = loop.CreateMessageWindow(
        [&](const Message& m)
        {
            if (m.message == kWmTimer)
                loop.PostQuitMessage(0);
            return LResult{0};
        });
    double cpu = 0;
    double wall = 0;
    for (auto _ : state)
    {
        loop.SetTimer(stopper, 1, 1000ms);
        const double cpuStart = ProcessCpuSeconds();
        const auto wallStart = std::chrono::steady_clock::now();
        loop.Run([](int32_t count) { return count < 2; });
        cpu += ProcessCpuSeconds() - cpuStart;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
        loop.KillTimer(stopper, 1);
    }
    state.counters["cpu_percent"] = 100.0 * cpu / wall;
    if (display)
        display->DestroyWindow(window);
}
BENCHMARK(BM_IdleLoopCpu)->Iterations(3)->Unit(benchmark::kMillisecond);

// From a post on another thread (woken by a semaphore) to its delivery on the loop.
void BM_PostLatencyFromAnotherThread(benchmark::State& state)
{
    MessageLoop loop;
    const WindowHandle window = loop.CreateMessageWindow(
        [&](const Message& m)
        {
            if (m.message == 0x400)
                loop.PostQuitMessage(0);
            return LResult{0};
        });
    std::counting_semaphore<> go(0);
    std::atomic<bool> stop{false};
    std::jthread poster(
        [&]
        {
            for (;;)
            {
                go.acquire();
                if (stop)
                    return;
                loop.PostMessage({window, 0x400, 0, 0});
            }
        });
    for (auto _ : state)
    {
        go.release();
        loop.Run();
    }
    stop = true;
    go.release();
}
BENCHMARK(BM_PostLatencyFromAnotherThread)->Unit(benchmark::kMicrosecond);
} // namespace
