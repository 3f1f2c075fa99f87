#include "tests/Support/WaitFor.h"

#include "Platform/Io/PollLoop.h"
#include "Platform/Io/UniqueFd.h"
#include "Platform/Io/WakeFd.h"

#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace Platform::Io;

namespace
{
constexpr auto kWait = std::chrono::seconds(10); // bounds a hang, never measures speed

// Both ends of a connected packet socket pair.
struct SocketPair
{
    SocketPair()
    {
        int fds[2] = {-1, -1};
        EXPECT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds), 0);
        near.Reset(fds[0]);
        far.Reset(fds[1]);
    }
    void Send(const std::string& text) const
    {
        EXPECT_EQ(::send(far.Get(), text.data(), text.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(text.size()));
    }

    UniqueFd near; // watched by the loop
    UniqueFd far;  // written by the test
};

// What a loop read from the descriptors it watched, in order.
class Received
{
public:
    void ReadFrom(std::span<const pollfd> watched)
    {
        for (const pollfd& entry : watched)
        {
            if ((entry.revents & POLLIN) == 0)
                continue;
            char buffer[256];
            const ssize_t size = ::recv(entry.fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (size > 0)
            {
                const std::lock_guard lock(mLock);
                mTexts.emplace_back(buffer, static_cast<size_t>(size));
            }
        }
    }
    [[nodiscard]] std::vector<std::string> Texts()
    {
        const std::lock_guard lock(mLock);
        return mTexts;
    }
    [[nodiscard]] bool WaitForCount(size_t count)
    {
        return TestSupport::WaitFor([&] { return Texts().size() >= count; }, kWait);
    }

private:
    std::mutex mLock; // guards mTexts
    std::vector<std::string> mTexts;
};

} // namespace

TEST(WakeFdTests, WakesFoldIntoOneUntilDrained)
{
    WakeFd wake;
    ASSERT_TRUE(wake.IsOpen());
    EXPECT_FALSE(wake.IsWoken());
    wake.Wake();
    wake.Wake();
    EXPECT_TRUE(wake.IsWoken());
    wake.Drain();
    EXPECT_FALSE(wake.IsWoken());
    wake.Drain(); // draining an idle wake fd neither blocks nor wakes it
    EXPECT_FALSE(wake.IsWoken());
}

TEST(PollLoopConcurrency, WakeEndsAPollWithoutTimeOutOnAnotherThread)
{
    WakeFd wake;
    auto waiter = std::async(std::launch::async,
                             [&]
                             {
                                 pollfd entry{wake.Fd(), POLLIN, 0};
                                 return ::poll(&entry, 1, -1);
                             });
    wake.Wake();
    ASSERT_EQ(waiter.wait_for(kWait), std::future_status::ready);
    EXPECT_EQ(waiter.get(), 1);
}

TEST(PollLoopConcurrency, LoopDeliversReadableDescriptorsAndSeesAWatchAddedAfterAWake)
{
    SocketPair first;
    SocketPair second;
    std::mutex lock; // guards watching
    std::vector<int> watching{first.near.Get()};
    Received received;
    PollLoop loop;
    ASSERT_TRUE(loop.Start(
        [&](std::vector<pollfd>& watched)
        {
            const std::lock_guard guard(lock);
            for (const int fd : watching)
                watched.push_back({fd, POLLIN, 0});
            return -1;
        },
        [&](std::span<const pollfd> watched) { received.ReadFrom(watched); }));
    EXPECT_TRUE(loop.IsStarted());
    EXPECT_FALSE(loop.IsLoopThread());

    first.Send("one");
    first.Send("two");
    ASSERT_TRUE(received.WaitForCount(2));
    {
        const std::lock_guard guard(lock);
        watching.push_back(second.near.Get());
    }
    loop.Wake(); // without it the loop would go on waiting on the first descriptor alone
    second.Send("three");
    ASSERT_TRUE(received.WaitForCount(3));
    EXPECT_EQ(received.Texts(), (std::vector<std::string>{"one", "two", "three"}));
    loop.Stop();
}

TEST(PollLoopConcurrency, StopJoinsTheThreadAndTheLoopStartsAgain)
{
    SocketPair pair;
    Received received;
    std::atomic<int> rounds{0};
    std::atomic<bool> insideAfterStop{false};
    std::atomic<bool> stopped{false};
    const auto prepare = [&](std::vector<pollfd>& watched)
    {
        watched.push_back({pair.near.Get(), POLLIN, 0});
        return -1;
    };
    const auto ready = [&](std::span<const pollfd> watched)
    {
        insideAfterStop = insideAfterStop || stopped;
        ++rounds;
        received.ReadFrom(watched);
    };
    PollLoop loop;
    for (const char* text : {"first run", "second run"})
    {
        SCOPED_TRACE(text);
        stopped = false;
        ASSERT_TRUE(loop.Start(prepare, ready));
        EXPECT_FALSE(loop.Start(prepare, ready)); // one thread at a time
        pair.Send(text);
        ASSERT_TRUE(TestSupport::WaitFor(
            [&] { return !received.Texts().empty() && received.Texts().back() == text; }, kWait));
        loop.Stop();
        stopped = true;
        EXPECT_FALSE(loop.IsStarted());
        // Joined: what arrives now is read by nobody.
        const int roundsAtStop = rounds;
        pair.Send("unread");
        loop.Wake();
        EXPECT_EQ(rounds.load(), roundsAtStop);
        EXPECT_FALSE(insideAfterStop.load());
        char drain[64];
        (void)::recv(pair.near.Get(), drain, sizeof drain, MSG_DONTWAIT);
    }
}

TEST(PollLoopConcurrency, StopFromACallbackEndsTheLoopAndItsOwnerMayGoOnThatThread)
{
    // An owner that the loop keeps alive; its last reference goes when the loop's thread ends.
    struct Owner
    {
        PollLoop loop;
        std::promise<void> destroyed;
        ~Owner() { destroyed.set_value(); }
    };
    SocketPair pair;
    auto owner = std::make_shared<Owner>();
    std::future<void> destroyed = owner->destroyed.get_future();
    PollLoop& loop = owner->loop;
    ASSERT_TRUE(loop.Start(
        [&pair](std::vector<pollfd>& watched)
        {
            watched.push_back({pair.near.Get(), POLLIN, 0});
            return -1;
        },
        [&loop](std::span<const pollfd> watched)
        {
            if (watched[0].revents & POLLIN)
                loop.Stop(); // on the loop's thread: asks, does not join itself
        },
        owner));
    owner.reset();
    EXPECT_EQ(destroyed.wait_for(std::chrono::milliseconds(0)), std::future_status::timeout);
    pair.Send("hang up");
    EXPECT_EQ(destroyed.wait_for(kWait), std::future_status::ready);
}
