#include "Support/WaitFor.h"

#include "Platform/Io/SignalWatcher.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{
using Platform::Io::SignalWatcher;
using SignalHandler = void (*)(int);

std::atomic<int> gEarlierHandlerCalls{0};
extern "C" void EarlierHandler(int)
{
    ++gEarlierHandlerCalls;
}

// Puts a disposition in place for one test and the one before it back afterwards.
class Disposition
{
public:
    Disposition(int signal, SignalHandler handler) : mSignal(signal)
    {
        struct sigaction action
        {
        };
        action.sa_handler = handler;
        sigemptyset(&action.sa_mask);
        (void)::sigaction(signal, &action, &mBefore);
    }
    ~Disposition() { (void)::sigaction(mSignal, &mBefore, nullptr); }
    Disposition(const Disposition&) = delete;
    Disposition& operator=(const Disposition&) = delete;

    [[nodiscard]] static SignalHandler Current(int signal)
    {
        struct sigaction now
        {
        };
        (void)::sigaction(signal, nullptr, &now);
        return now.sa_handler;
    }

private:
    int mSignal;
    struct sigaction mBefore
    {
    };
};

// The signals a watcher handed over and the threads they came on.
struct Received
{
    std::mutex lock;
    std::vector<int> signals;
    std::vector<std::thread::id> threads;

    bool Record(int signal)
    {
        const std::lock_guard guard(lock);
        signals.push_back(signal);
        threads.push_back(std::this_thread::get_id());
        return true;
    }
    size_t Count()
    {
        const std::lock_guard guard(lock);
        return signals.size();
    }
};

TEST(SignalWatcher, HandsTakenSignalsToItsThreadAndPutsTheEarlierHandlersBack)
{
    const Disposition term(SIGTERM, EarlierHandler);
    const Disposition interrupt(SIGINT, EarlierHandler);
    Received received;
    {
        SignalWatcher watcher([&](int signal) { return received.Record(signal); });
        ASSERT_TRUE(watcher.IsWatching());
        SignalWatcher second([](int) { return true; });
        EXPECT_FALSE(second.IsWatching()) << "one watcher at a time";

        ASSERT_EQ(::kill(::getpid(), SIGTERM), 0);
        ASSERT_TRUE(TestSupport::WaitFor([&] { return received.Count() == 1; }));
        ASSERT_EQ(::kill(::getpid(), SIGINT), 0);
        ASSERT_TRUE(TestSupport::WaitFor([&] { return received.Count() == 2; }));
    }
    EXPECT_EQ(received.signals, (std::vector<int>{SIGTERM, SIGINT}));
    EXPECT_NE(received.threads[0], std::this_thread::get_id());
    EXPECT_EQ(gEarlierHandlerCalls.load(), 0);
    EXPECT_EQ(Disposition::Current(SIGTERM), SignalHandler(&EarlierHandler));
    EXPECT_EQ(Disposition::Current(SIGINT), SignalHandler(&EarlierHandler));
}

TEST(SignalWatcher, LeavesAnIgnoredSignalIgnored)
{
    const Disposition ignored(SIGINT, SIG_IGN);
    Received received;
    SignalWatcher watcher([&](int signal) { return received.Record(signal); });
    ASSERT_TRUE(watcher.IsWatching());
    EXPECT_EQ(Disposition::Current(SIGINT), SignalHandler(SIG_IGN));
    ASSERT_EQ(::kill(::getpid(), SIGINT), 0);
    ASSERT_EQ(::kill(::getpid(), SIGTERM), 0);
    ASSERT_TRUE(TestSupport::WaitFor([&] { return received.Count() == 1; }));
    EXPECT_EQ(received.signals, std::vector<int>{SIGTERM});
}

TEST(SignalWatcherDeathTest, ASignalNotTakenEndsTheProcessAsBefore)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            SignalWatcher watcher([](int) { return false; });
            (void)::kill(::getpid(), SIGTERM);
            // Ended by the signal long before this; an end here fails the test.
            std::this_thread::sleep_for(std::chrono::seconds(30));
            std::_Exit(0);
        },
        ::testing::KilledBySignal(SIGTERM), "");
}
} // namespace
