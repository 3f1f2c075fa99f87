#include "Support/WaitFor.h"

#include "ZQFramework/Application/Framework/Splash.h"

#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

namespace
{
using namespace std::chrono_literals;
using ZQ::SplashProgress;

// The positions a splash bar is shown at, seen from the test through a shared record that outlives the
// window.
struct ShownPositions
{
    std::mutex Lock;
    std::vector<int32_t> Positions;
    std::atomic<int> WindowsMade{0};
    std::atomic<int> WindowsGone{0};
    std::chrono::milliseconds SlowEnd{0};
};

class FakeSplashWindow : public ZQ::ISplashWindow
{
public:
    explicit FakeSplashWindow(std::shared_ptr<ShownPositions> shown) : mShown(std::move(shown))
    {
        ++mShown->WindowsMade;
    }
    ~FakeSplashWindow() override
    {
        std::this_thread::sleep_for(mShown->SlowEnd);
        ++mShown->WindowsGone;
    }
    void SetProgress(int32_t position) override
    {
        const std::lock_guard lock(mShown->Lock);
        mShown->Positions.push_back(position);
    }
    void PumpEvents(std::chrono::milliseconds timeout) override { std::this_thread::sleep_for(timeout); }

private:
    std::shared_ptr<ShownPositions> mShown;
};

ZQ::CSplashScreen::WindowFactory FakeFactory(const std::shared_ptr<ShownPositions>& shown)
{
    return [shown](const ZQ::SplashPicture&) { return std::make_unique<FakeSplashWindow>(shown); };
}

ZQ::SplashPicture SmallPicture(uint32_t pixel = 0xFF102030)
{
    return {2, 2, {pixel, pixel, pixel, pixel}};
}

std::vector<int32_t> AnimatedPositions(int32_t from, int32_t to, int32_t seconds)
{
    SplashProgress progress;
    progress.Animate(from, to, seconds);
    std::vector<int32_t> positions;
    for (int guard = 0; progress.IsAnimating() && guard < 1000; ++guard)
    {
        (void)progress.Tick();
        positions.push_back(progress.GetPosition());
    }
    return positions;
}

TEST(SplashProgress, StepsFourTimesASecondByTheWholeStep)
{
    struct Case
    {
        const char* name;
        int32_t from, to, seconds;
        size_t steps;
        int32_t step;
        int32_t last;
    };
    const Case cases[] = {
        {"0 to 100 over 8 s", 0, 100, 8, 32, 3, 96},
        {"0 to 100 over 1 s", 0, 100, 1, 4, 25, 100},
        {"50 to 60 over 5 s: steps of 0", 50, 60, 5, 20, 0, 50},
        {"100 down to 0 over 2 s", 100, 0, 2, 8, -12, 4},
        // Below a second counts as one second, rather than a division by zero.
        {"0 seconds", 0, 100, 0, 4, 25, 100},
        {"-3 seconds", 0, 100, -3, 4, 25, 100},
    };
    for (const Case& c : cases)
    {
        const std::vector<int32_t> positions = AnimatedPositions(c.from, c.to, c.seconds);
        ASSERT_EQ(positions.size(), c.steps) << c.name;
        EXPECT_EQ(positions.front(), c.from + c.step) << c.name;
        EXPECT_EQ(positions.back(), c.last) << c.name;
    }
}

TEST(SplashProgress, APositionDuringAnAnimationDoesNotStopIt)
{
    SplashProgress progress;
    progress.Animate(0, 100, 8);
    (void)progress.Tick();
    progress.SetPosition(50);
    EXPECT_TRUE(progress.Tick());
    EXPECT_EQ(progress.GetPosition(), 53);
    progress.SetPosition(140);
    EXPECT_EQ(progress.GetPosition(), 100);
}

TEST(SplashScreenConcurrency, ShowsThePictureAndTheBarOnItsOwnThread)
{
    const auto shown = std::make_shared<ShownPositions>();
    {
        ZQ::CSplashScreen splash(FakeFactory(shown));
        splash.SetPicture(SmallPicture());
        splash.Start();
        ASSERT_TRUE(splash.IsRunning());
        EXPECT_EQ(shown->WindowsMade, 1);
        splash.Start(); // running already: nothing
        EXPECT_EQ(shown->WindowsMade, 1);
        splash.SetProgress(40);
        splash.AnimateProgress(0, 100, 1);
        splash.SetProgress(100);
        ASSERT_TRUE(TestSupport::WaitFor(
            [&]
            {
                const std::lock_guard lock(shown->Lock);
                return shown->Positions.size() >= 7;
            }));
        splash.Stop();
        EXPECT_FALSE(splash.IsRunning());
        EXPECT_TRUE(splash.GetTitle().IsEmpty());
    }
    EXPECT_EQ(shown->WindowsGone, 1);
    const std::lock_guard lock(shown->Lock);
    // 40, the animation's start at 0, the full bar, then the animation's steps on from 100 (clamped).
    EXPECT_EQ((std::vector<int32_t>(shown->Positions.begin(), shown->Positions.begin() + 3)),
              (std::vector<int32_t>{40, 0, 100}));
    EXPECT_EQ(shown->Positions.back(), 100);
}

TEST(SplashScreenConcurrency, WithoutAPictureOrAWindowTheThreadEndsAndStartDoesNotWait)
{
    const auto shown = std::make_shared<ShownPositions>();
    ZQ::CSplashScreen withoutPicture(FakeFactory(shown));
    const auto started = std::chrono::steady_clock::now();
    withoutPicture.Start();
    ZQ::CSplashScreen withoutWindow([](const ZQ::SplashPicture&) { return nullptr; });
    withoutWindow.SetPicture(SmallPicture());
    withoutWindow.Start();
    EXPECT_LT(std::chrono::steady_clock::now() - started, ZQ::CSplashScreen::kStartTimeout);
    EXPECT_EQ(shown->WindowsMade, 0);
    withoutPicture.SetProgress(10); // to a thread that has ended: nothing
    withoutPicture.Stop();
    withoutWindow.Stop();
}

TEST(SplashScreenConcurrency, KeepsTheFirstPicture)
{
    std::atomic<uint32_t> seenPixel{0};
    ZQ::CSplashScreen splash(
        [&](const ZQ::SplashPicture& picture) -> std::unique_ptr<ZQ::ISplashWindow>
        {
            seenPixel = picture.Pixels.front();
            return nullptr;
        });
    splash.SetPicture(SmallPicture(0xFF000001));
    splash.SetPicture(SmallPicture(0xFF000002));
    splash.Start();
    splash.Stop();
    EXPECT_EQ(seenPixel, 0xFF000001u);
}

TEST(SplashScreenConcurrency, StopLeavesASlowThreadToEndWithItsOwnState)
{
    const auto shown = std::make_shared<ShownPositions>();
    shown->SlowEnd = ZQ::CSplashScreen::kStopTimeout + 500ms;
    {
        ZQ::CSplashScreen splash(FakeFactory(shown));
        splash.SetPicture(SmallPicture());
        splash.Start();
        splash.AnimateProgress(0, 100, 8);
        const auto stopping = std::chrono::steady_clock::now();
        splash.Stop();
        EXPECT_GE(std::chrono::steady_clock::now() - stopping, ZQ::CSplashScreen::kStopTimeout);
        EXPECT_FALSE(splash.IsRunning());
        EXPECT_EQ(shown->WindowsGone, 0);
    }
    // The object is gone; its thread still ends cleanly (AddressSanitizer watches what it touches).
    EXPECT_TRUE(TestSupport::WaitFor([&] { return shown->WindowsGone == 1; }));
}
} // namespace
