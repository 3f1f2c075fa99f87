#include "Platform/Clock/Clock.h"
#include "Platform/Window/MessageLoop.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace
{
using namespace Platform::Window;
using namespace std::chrono_literals;

// A loop with one message-only window that records what it gets.
class WindowMessageLoop : public ::testing::Test
{
protected:
    WindowHandle NewWindow()
    {
        return mLoop.CreateMessageWindow(
            [this](const Message& message)
            {
                mReceived.push_back(message);
                if (mOnMessage)
                    mOnMessage(message);
                return LResult{0};
            });
    }

    std::vector<uint32_t> ReceivedMessages() const
    {
        std::vector<uint32_t> messages;
        for (const auto& m : mReceived)
            messages.push_back(m.message);
        return messages;
    }

    MessageLoop mLoop;
    std::vector<Message> mReceived;
    std::function<void(const Message&)> mOnMessage;
};

TEST_F(WindowMessageLoop, PostedMessagesArriveInOrderAndQuitEndsTheRun)
{
    const WindowHandle window = NewWindow();
    mLoop.PostMessage({window, 0x400, 1, 0});
    mLoop.PostMessage({window + 99, 0x400, 2, 0});
    mLoop.PostMessage({window, 0x401, 3, 0});
    mLoop.PostQuitMessage(5);
    mLoop.PostMessage({window, 0x402, 4, 0});
    EXPECT_EQ(mLoop.Run(), 5);
    EXPECT_EQ(ReceivedMessages(), (std::vector<uint32_t>{0x400, 0x401}));
    EXPECT_EQ(mLoop.Run(
                  [this](int32_t)
                  {
                      mLoop.PostQuitMessage(0);
                      return false;
                  }),
              0);
    EXPECT_EQ(ReceivedMessages().back(), 0x402u) << "what followed the quit waits for the next run";
}

TEST_F(WindowMessageLoop, IdlePassesCountUntilRefusedAndRestartAfterAMessage)
{
    const WindowHandle window = NewWindow();
    std::vector<int32_t> counts;
    int rounds = 0;
    mLoop.Run(
        [&](int32_t count)
        {
            counts.push_back(count);
            if (count == 2 && rounds++ == 0)
                mLoop.PostMessage({window, kWmTimer, 1, 0});
            else if (count == 2)
                mLoop.PostQuitMessage(0);
            return count < 2;
        });
    EXPECT_EQ(counts, (std::vector<int32_t>{0, 1, 2, 0, 1, 2}));
}

TEST_F(WindowMessageLoop, PaintsSystemTimersAndStillMousePositionsDoNotRestartIdle)
{
    // The idle handler always wants more, so a message that does not restart the count lets it go on.
    struct Case
    {
        const char* what;
        std::function<void(MessageLoop&, WindowHandle)> cause;
        std::vector<int32_t> counts;
    };
    const Case cases[] = {
        {"paint",
         [](MessageLoop& loop, WindowHandle w) {
             loop.InvalidateRect(w, {0, 0, 5, 5});
         },
         {0, 1, 2, 3, 4}},
        {"system timer",
         [](MessageLoop& loop, WindowHandle w) {
             loop.PostMessage({w, kWmSysTimer, 1, 0});
         },
         {0, 1, 2, 3, 4}},
        {"mouse move to the same place",
         [](MessageLoop& loop, WindowHandle w) {
             loop.PostMessage({w, kWmMouseMove, 0, MakePointParam(7, 7)});
         },
         {0, 1, 2, 3, 4}},
        {"mouse move elsewhere",
         [](MessageLoop& loop, WindowHandle w) {
             loop.PostMessage({w, kWmMouseMove, 0, MakePointParam(8, 7)});
         },
         {0, 1, 0, 1, 2}},
        {"timer",
         [](MessageLoop& loop, WindowHandle w) {
             loop.PostMessage({w, kWmTimer, 1, 0});
         },
         {0, 1, 0, 1, 2}},
    };
    for (const auto& c : cases)
    {
        MessageLoop loop;
        std::vector<int32_t> counts;
        const WindowHandle window = loop.CreateMessageWindow([](const Message&) { return LResult{0}; });
        // The first move sets the position a still one repeats.
        loop.DispatchMessage({window, kWmMouseMove, 0, MakePointParam(7, 7)});
        loop.Run(
            [&](int32_t count)
            {
                counts.push_back(count);
                if (counts.size() == 2)
                    c.cause(loop, window);
                if (counts.size() < 5)
                    return true;
                loop.PostQuitMessage(0);
                return false;
            });
        EXPECT_EQ(counts, c.counts) << c.what;
    }
}

TEST_F(WindowMessageLoop, TimersFollowTheReplaceableClock)
{
    Platform::ManualClock clock;
    Platform::SetClock(&clock);
    const WindowHandle window = NewWindow();
    mLoop.SetTimer(window, 1, 33ms);
    mLoop.DispatchPending();
    clock.Advance(32ms);
    mLoop.DispatchPending();
    EXPECT_TRUE(mReceived.empty());
    clock.Advance(1ms);
    mLoop.DispatchPending();
    ASSERT_EQ(mReceived.size(), 1u);
    EXPECT_EQ(mReceived[0].message, kWmTimer);
    EXPECT_EQ(mReceived[0].wParam, 1u);

    clock.Advance(200ms);
    mLoop.DispatchPending();
    EXPECT_EQ(mReceived.size(), 2u) << "a timer that fell behind fires once";

    mLoop.SetTimer(window, 2, 10ms, true);
    mLoop.KillTimer(window, 1);
    clock.Advance(40ms);
    mLoop.DispatchPending();
    ASSERT_EQ(mReceived.size(), 3u);
    EXPECT_EQ(mReceived[2].message, kWmSysTimer);
    mLoop.RemoveWindow(window);
    clock.Advance(40ms);
    mLoop.DispatchPending();
    EXPECT_EQ(mReceived.size(), 3u);
    Platform::SetClock(nullptr);
}

TEST_F(WindowMessageLoop, InvalidRectanglesGatherIntoOnePaintAfterOtherMessages)
{
    const WindowHandle window = NewWindow();
    std::vector<Rect> painted;
    mOnMessage = [&](const Message& m)
    {
        if (m.message == kWmPaint)
            painted = mLoop.GetUpdateRects(window);
    };
    mLoop.InvalidateRect(window, {0, 0, 10, 10});
    mLoop.PostMessage({window, 0x400, 0, 0});
    mLoop.InvalidateRect(window, {5, 5, 20, 20});
    EXPECT_EQ(mLoop.GetUpdateRect(window), (Rect{0, 0, 20, 20}));
    mLoop.DispatchPending();
    EXPECT_EQ(ReceivedMessages(), (std::vector<uint32_t>{0x400, kWmPaint}));
    EXPECT_EQ(painted.size(), 3u) << "the union, as bands";
    EXPECT_TRUE(mLoop.GetUpdateRects(window).empty());

    mLoop.InvalidateRect(window, {1, 1, 2, 2});
    mLoop.PaintNow(window);
    EXPECT_EQ(painted, (std::vector<Rect>{{1, 1, 2, 2}}));
    mLoop.PaintNow(window);
    EXPECT_EQ(mReceived.size(), 3u) << "nothing invalid, no paint";
}

TEST_F(WindowMessageLoop, ModalLoopDisablesItsOwnerForInputButPaintsIt)
{
    const WindowHandle owner = NewWindow();
    int32_t result = 0;
    mOnMessage = [&](const Message& m)
    {
        if (m.message == 0x400)
            mLoop.EndModalLoop(7);
    };
    const WindowHandle dialog = mLoop.CreateMessageWindow(
        [&](const Message& m)
        {
            if (m.message == kWmTimer)
            {
                mLoop.PostMessage({owner, kWmLButtonDown, 0, 0});
                mLoop.PostMessage({owner, kWmCopyData, 0, 0});
                mLoop.InvalidateRect(owner, {0, 0, 1, 1});
                mLoop.PostMessage({owner, 0x400, 0, 0});
            }
            return LResult{0};
        });
    mLoop.PostMessage({dialog, kWmTimer, 0, 0});
    result = mLoop.RunModalLoop(owner);
    EXPECT_EQ(result, 7);
    EXPECT_EQ(ReceivedMessages(), (std::vector<uint32_t>{0x400})) << "ended before the paint came";
    EXPECT_TRUE(mLoop.IsWindowEnabled(owner));
    EXPECT_FALSE(mLoop.IsInModalLoop());
    mLoop.DispatchPending();
    EXPECT_EQ(ReceivedMessages(), (std::vector<uint32_t>{0x400, kWmPaint}));
}

TEST_F(WindowMessageLoop, QuitEndsTheModalLoopAndIsPostedAgainForTheOuterOne)
{
    const WindowHandle window = NewWindow();
    int32_t modalResult = 0;
    mOnMessage = [&](const Message& m)
    {
        if (m.message != 0x400)
            return;
        mLoop.PostQuitMessage(3);
        modalResult = mLoop.RunModalLoop(window);
    };
    mLoop.PostMessage({window, 0x400, 0, 0});
    EXPECT_EQ(mLoop.Run(), 3);
    EXPECT_EQ(modalResult, -1);
    EXPECT_TRUE(mLoop.IsWindowEnabled(window));
}

TEST(WindowMessageLoopConcurrency, PostsFromOtherThreadsWakeTheLoopAndKeepTheirOrder)
{
    MessageLoop loop;
    constexpr int kThreads = 4;
    constexpr int kEach = 500;
    std::vector<int> next(kThreads, 0);
    int outOfOrder = 0;
    int total = 0;
    const WindowHandle window = loop.CreateMessageWindow(
        [&](const Message& m)
        {
            const auto thread = static_cast<size_t>(m.wParam);
            if (m.lParam != next[thread]++)
                ++outOfOrder;
            if (++total == kThreads * kEach)
                loop.PostQuitMessage(0);
            return LResult{0};
        });
    std::vector<std::jthread> posters;
    for (int t = 0; t < kThreads; ++t)
        posters.emplace_back(
            [&loop, window, t]
            {
                for (int i = 0; i < kEach; ++i)
                    loop.PostMessage({window, 0x400, static_cast<WParam>(t), i});
            });
    EXPECT_EQ(loop.Run(), 0);
    EXPECT_EQ(total, kThreads * kEach);
    EXPECT_EQ(outOfOrder, 0);
}

TEST(WindowMessageLoopConcurrency, InvalidationFromAnotherThreadWakesAPaint)
{
    MessageLoop loop;
    const WindowHandle window = loop.CreateMessageWindow(
        [&](const Message& m)
        {
            if (m.message == kWmPaint)
                loop.PostQuitMessage(static_cast<int32_t>(loop.GetUpdateRect(m.window).right));
            return LResult{0};
        });
    std::jthread other([&] { loop.InvalidateRect(window, {0, 0, 42, 1}); });
    EXPECT_EQ(loop.Run(), 42);
}
} // namespace
