#include "ZQFramework/Application/Framework/Splash.h"

#include "Platform/Gdiplus/Bitmap.h"
#include "Platform/Window/SplashWindow.h"
#include "ZQFramework/System/DebugConsole.h"
#include "ZQFramework/Utilities/Graphics/Bitmap.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>

namespace ZQ
{
// --- SplashProgress ---

void SplashProgress::SetPosition(int32_t position)
{
    mPosition = std::clamp(position, 0, 100);
}

void SplashProgress::Animate(int32_t from, int32_t to, int32_t seconds)
{
    // A zero count would divide by zero; a negative one would never end.
    const int32_t ticks = std::max(seconds, 1) * 4;
    SetPosition(from);
    mStep = (to - from) / ticks;
    mRemainingSteps = ticks;
    mAnimating = true;
}

bool SplashProgress::Tick()
{
    if (!mAnimating)
        return false;
    SetPosition(mPosition + mStep);
    if (mRemainingSteps >= 2)
    {
        --mRemainingSteps;
        return true;
    }
    mRemainingSteps = 0;
    mAnimating = false;
    return false;
}

// --- CSplashScreen ---

namespace
{
enum class SplashCommand
{
    SetPosition,
    Animate,
    Quit,
};

struct SplashMessage
{
    SplashCommand Command = SplashCommand::Quit;
    int32_t From = 0; // the position for SetPosition
    int32_t To = 0;
    int32_t Seconds = 0;
};

// The display's splash window.
class XSplashWindow : public ISplashWindow
{
public:
    explicit XSplashWindow(std::unique_ptr<Platform::Window::SplashWindow> window)
        : mWindow(std::move(window))
    {
    }
    void SetProgress(int32_t position) override { mWindow->SetProgress(position); }
    void PumpEvents(std::chrono::milliseconds timeout) override
    {
        if (mWindow->WaitForEvents(timeout))
            mWindow->ProcessEvents();
    }

private:
    std::unique_ptr<Platform::Window::SplashWindow> mWindow;
};

std::unique_ptr<ISplashWindow> MakeDisplaySplashWindow(const SplashPicture& picture)
{
    auto window = Platform::Window::SplashWindow::Open(picture.Width, picture.Height, picture.Pixels);
    if (window == nullptr)
        return nullptr;
    return std::make_unique<XSplashWindow>(std::move(window));
}

// How long the splash thread waits for messages at most between looks at its window.
constexpr std::chrono::milliseconds kEventSlice{25};
} // namespace

struct CSplashScreen::Shared
{
    WindowFactory Factory;
    SplashPicture Picture; // read by the splash thread only once it runs

    std::mutex Lock; // guards the fields below
    std::condition_variable Changed;
    std::deque<SplashMessage> Queue;
    bool Ready = false;
    bool Finished = false;
};

namespace
{
using Clock = std::chrono::steady_clock;

void Post(CSplashScreen::Shared& shared, const SplashMessage& message)
{
    const std::lock_guard lock(shared.Lock);
    // Nothing reads the queue of a thread that has ended.
    if (!shared.Finished)
        shared.Queue.push_back(message);
}

// One message; false for the quit.
bool HandleMessage(const SplashMessage& message, SplashProgress& progress, Clock::time_point& nextTick)
{
    switch (message.Command)
    {
    case SplashCommand::SetPosition:
        progress.SetPosition(message.From);
        return true;
    case SplashCommand::Animate:
        progress.Animate(message.From, message.To, message.Seconds);
        nextTick = Clock::now() + SplashProgress::kTickInterval;
        return true;
    case SplashCommand::Quit:
        return false;
    }
    return false;
}

// Handles the posted messages; false once the quit came.
bool DrainMessages(CSplashScreen::Shared& shared, ISplashWindow& window, SplashProgress& progress,
                   Clock::time_point& nextTick)
{
    std::deque<SplashMessage> messages;
    {
        const std::lock_guard lock(shared.Lock);
        messages.swap(shared.Queue);
    }
    for (const SplashMessage& message : messages)
    {
        if (!HandleMessage(message, progress, nextTick))
            return false;
        window.SetProgress(progress.GetPosition());
    }
    return true;
}

void RunSplashThread(const std::shared_ptr<CSplashScreen::Shared>& shared)
{
    std::unique_ptr<ISplashWindow> window;
    if (!shared->Picture.Pixels.empty())
    {
        window = shared->Factory(shared->Picture);
        if (window == nullptr)
            DebugConsole::DebugStream() << "Unable to create SplashWnd\n";
    }
    if (window != nullptr)
    {
        {
            const std::lock_guard lock(shared->Lock);
            shared->Ready = true;
        }
        shared->Changed.notify_all();
        SplashProgress progress;
        Clock::time_point nextTick;
        while (DrainMessages(*shared, *window, progress, nextTick))
        {
            if (progress.IsAnimating() && Clock::now() >= nextTick)
            {
                (void)progress.Tick();
                window->SetProgress(progress.GetPosition());
                nextTick += SplashProgress::kTickInterval;
            }
            window->PumpEvents(kEventSlice);
        }
        window.reset();
    }
    {
        const std::lock_guard lock(shared->Lock);
        shared->Finished = true;
        shared->Queue.clear();
    }
    shared->Changed.notify_all();
}
} // namespace

CSplashScreen::CSplashScreen() : CSplashScreen(MakeDisplaySplashWindow)
{
}

CSplashScreen::CSplashScreen(WindowFactory factory) : mShared(std::make_shared<Shared>())
{
    mShared->Factory = std::move(factory);
}

CSplashScreen::~CSplashScreen()
{
    Stop();
}

void CSplashScreen::SetBitmap(const RCPtr<LBitmap>& bitmap)
{
    if (!mShared->Picture.Pixels.empty() || bitmap == nullptr || IsRunning())
        return;
    Platform::Gdiplus::Bitmap* image = bitmap->GetGdiplusBitmap();
    if (image == nullptr)
        return;
    SplashPicture picture;
    picture.Width = image->Width();
    picture.Height = image->Height();
    Platform::Gdiplus::LockedBits bits;
    if (image->LockBits({0, 0, picture.Width, picture.Height}, Platform::Gdiplus::LockMode::Read,
                        Platform::Gdiplus::PixelFormat::Argb32, bits) != Platform::Gdiplus::Status::Ok)
        return;
    picture.Pixels.resize(static_cast<size_t>(picture.Width) * static_cast<size_t>(picture.Height));
    for (int32_t y = 0; y < picture.Height; ++y)
        std::memcpy(&picture.Pixels[static_cast<size_t>(y) * static_cast<size_t>(picture.Width)],
                    bits.scan0 + static_cast<ptrdiff_t>(y) * bits.stride,
                    static_cast<size_t>(picture.Width) * 4);
    (void)image->UnlockBits(bits);
    SetPicture(std::move(picture));
}

void CSplashScreen::SetPicture(SplashPicture picture)
{
    if (mShared->Picture.Pixels.empty() && !IsRunning())
        mShared->Picture = std::move(picture);
}

void CSplashScreen::Start()
{
    if (IsRunning())
        return;
    {
        const std::lock_guard lock(mShared->Lock);
        mShared->Ready = false;
        mShared->Finished = false;
        mShared->Queue.clear();
    }
    mThread = std::thread(RunSplashThread, mShared);
    std::unique_lock lock(mShared->Lock);
    if (!mShared->Changed.wait_for(lock, kStartTimeout, [&] { return mShared->Ready || mShared->Finished; }))
        DebugConsole::DebugStream() << "Error starting SplashThread\n";
}

void CSplashScreen::SetProgress(int32_t position)
{
    if (IsRunning())
        Post(*mShared, {SplashCommand::SetPosition, position, 0, 0});
}

void CSplashScreen::AnimateProgress(int32_t from, int32_t to, int32_t seconds)
{
    if (IsRunning())
        Post(*mShared, {SplashCommand::Animate, from, to, seconds});
}

void CSplashScreen::Stop()
{
    if (IsRunning())
    {
        Post(*mShared, {SplashCommand::Quit, 0, 0, 0});
        std::unique_lock lock(mShared->Lock);
        const bool ended = mShared->Changed.wait_for(lock, kStopTimeout, [&] { return mShared->Finished; });
        lock.unlock();
        // A thread still busy keeps its own reference to the shared state and ends by itself.
        if (ended)
            mThread.join();
        else
            mThread.detach();
        // A later Start gets fresh state, whatever an abandoned thread still does with the old one.
        if (!ended)
        {
            auto fresh = std::make_shared<Shared>();
            fresh->Factory = mShared->Factory;
            fresh->Picture = mShared->Picture;
            mShared = std::move(fresh);
        }
    }
    mTitle.Empty();
}
} // namespace ZQ
