#pragma once

#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/Utilities/Graphics/Forward.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace ZQ
{
// The splash bar's movement: a position set at once, or an animation that steps the bar every quarter of
// a second. Animating from 0 to 100 over 8 seconds advances it 32 times by 3, ending at 96: the step is
// the whole part of (to - from) / (seconds x 4). The position stays within 0 to 100. A position set
// during an animation does not stop it; the steps go on from there.
class SplashProgress
{
public:
    static constexpr std::chrono::milliseconds kTickInterval{250};

    void SetPosition(int32_t position);
    // Starts at from; seconds below 1 count as 1.
    void Animate(int32_t from, int32_t to, int32_t seconds);
    // One step of a running animation; whether the animation goes on after it.
    bool Tick();
    [[nodiscard]] int32_t GetPosition() const { return mPosition; }
    [[nodiscard]] bool IsAnimating() const { return mAnimating; }

private:
    int32_t mPosition = 0;
    int32_t mStep = 0;
    int32_t mRemainingSteps = 0;
    bool mAnimating = false;
};

// What the splash thread shows: the picture's window with its bar. Made, used and destroyed on the splash
// thread only.
class ISplashWindow
{
public:
    virtual ~ISplashWindow() = default;
    // Shows the bar at the position (0 to 100).
    virtual void SetProgress(int32_t position) = 0;
    // Waits up to timeout for the window's own events and handles them.
    virtual void PumpEvents(std::chrono::milliseconds timeout) = 0;
};

// The splash picture's pixels: rows of straight 0xAARRGGBB words.
struct SplashPicture
{
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<uint32_t> Pixels;
};

// The splash screen shown while the program starts: the picture and a progress bar on a thread of their
// own, with their own window and loop, so that they stay responsive while the UI thread is busy. The UI
// thread only posts to it (start, a position, an animation, stop).
//
// The splash thread holds the state it shares with this object by a counted reference of its own, so a
// thread that does not end within Stop's second is left to end by itself and nothing it touches goes
// away under it. Made, driven and deleted by the UI thread.
class CSplashScreen
{
public:
    // Makes the splash thread's window for a picture; null when it cannot be shown. Called on the splash
    // thread.
    using WindowFactory = std::function<std::unique_ptr<ISplashWindow>(const SplashPicture&)>;

    static constexpr std::chrono::milliseconds kStartTimeout{5000};
    static constexpr std::chrono::milliseconds kStopTimeout{1000};

    // The window is the display's own splash window.
    CSplashScreen();
    explicit CSplashScreen(WindowFactory factory);
    // Stops the thread.
    ~CSplashScreen();
    CSplashScreen(const CSplashScreen&) = delete;
    CSplashScreen& operator=(const CSplashScreen&) = delete;

    // Takes the first bitmap's picture; later calls and bitmaps without an image are ignored.
    void SetBitmap(const RCPtr<LBitmap>& bitmap);
    void SetPicture(SplashPicture picture);
    // Starts the thread unless it runs, and waits up to 5 s until its window shows (or the thread ends
    // because it cannot show one).
    void Start();
    void SetProgress(int32_t position);
    // Moves the bar from from to to over seconds (below 1: 1 second).
    void AnimateProgress(int32_t from, int32_t to, int32_t seconds);
    // Asks the thread to end and waits up to a second for it.
    void Stop();
    [[nodiscard]] bool IsRunning() const { return mThread.joinable(); }
    [[nodiscard]] const WString& GetTitle() const { return mTitle; }

    struct Shared;

private:
    std::shared_ptr<Shared> mShared;
    std::thread mThread;
    WString mTitle; // stays empty: the splash window has no title
};
} // namespace ZQ
