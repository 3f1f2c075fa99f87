// A program linked lazily to the probe library (libzq-lazy-probe.so). With "calls" it tells whether the
// library is mapped before and after its first call and prints what the calls returned, each made twice
// (through the resolving entry, then through the resolved stub); with "threads" eight threads make their
// first calls at once and it prints whether each got its own right result.
#include "ProbeCalls.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <latch>
#include <thread>
#include <vector>

namespace
{
constexpr const char* kProbe = "libzq-lazy-probe.so";

const char* Mapped()
{
    void* handle = ::dlopen(kProbe, RTLD_LAZY | RTLD_NOLOAD);
    if (handle == nullptr)
        return "no";
    (void)::dlclose(handle);
    return "yes";
}

// What Weighted(base) must return.
double Expected(int base)
{
    return 35954 + 5536.0 * base;
}

int Calls()
{
    std::printf("mapped before: %s\n", Mapped());
    for (int round = 0; round < 2; ++round)
    {
        std::printf("format: %s\n", ProbeCalls::Format().c_str());
        std::printf("weighted: %.1f\n", ProbeCalls::Weighted(round));
    }
    std::printf("mapped after: %s\n", Mapped());
    return 0;
}

int Threads()
{
    constexpr int kThreads = 8;
    std::latch start(kThreads);
    std::atomic<int> right{0};
    std::vector<std::thread> threads;
    for (int base = 0; base < kThreads; ++base)
    {
        threads.emplace_back(
            [&, base]
            {
                start.arrive_and_wait();
                if (ProbeCalls::Weighted(base) == Expected(base))
                    right.fetch_add(1);
            });
    }
    for (std::thread& thread : threads)
        thread.join();
    std::printf("right: %d of %d\n", right.load(), kThreads);
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    // Each line out before a failing first call ends the program.
    (void)std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (argc == 2 && std::strcmp(argv[1], "calls") == 0)
        return Calls();
    if (argc == 2 && std::strcmp(argv[1], "threads") == 0)
        return Threads();
    std::fprintf(stderr, "usage: zq-lazy-probe-user calls|threads\n");
    return 2;
}
