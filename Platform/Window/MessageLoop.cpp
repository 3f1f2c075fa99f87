#include "Platform/Window/MessageLoop.h"

#include "Platform/Clock/Clock.h"
#include "Platform/Io/WakeFd.h"

#include <algorithm>
#include <atomic>
#include <cairo.h>
#include <climits>
#include <deque>
#include <glib.h>
#include <map>
#include <mutex>
#include <optional>

namespace Platform::Window
{
namespace
{
std::atomic<MessageLoop*> gCurrentLoop{nullptr};

// Handles of message-only windows lie above every X window id.
constexpr WindowHandle kFirstMessageWindow = WindowHandle{1} << 31;

bool IsInputMessage(uint32_t message)
{
    return (message >= kWmKeyDown && message <= kWmSysChar) ||
           (message >= kWmMouseMove && message <= kWmMouseHWheel) || message == kWmCopyData;
}

// An owned cairo region.
struct RegionDeleter
{
    void operator()(cairo_region_t* region) const { cairo_region_destroy(region); }
};
using Region = std::unique_ptr<cairo_region_t, RegionDeleter>;

std::vector<Rect> RectsOf(const cairo_region_t* region)
{
    std::vector<Rect> rects;
    const int count = cairo_region_num_rectangles(region);
    for (int i = 0; i < count; ++i)
    {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(region, i, &r);
        rects.push_back({r.x, r.y, r.x + r.width, r.y + r.height});
    }
    return rects;
}

struct Timer
{
    WindowHandle window = 0;
    uintptr_t id = 0;
    Duration interval{};
    TimePoint due{};
    bool system = false;
};

// A running Run or RunModalLoop.
struct Frame
{
    bool modal = false;
    bool done = false;
    int32_t result = 0;
    bool quit = false;
    int32_t quitCode = 0;
};

struct LoopSource
{
    GSource source;
    MessageLoop::Impl* impl;
};
} // namespace

struct MessageLoop::Impl
{
    GMainContext* context = nullptr;
    Io::WakeFd wake;

    // UI thread only.
    std::map<WindowHandle, WindowProc> windows;
    std::map<WindowHandle, bool> disabled;
    WindowHandle nextMessageWindow = kFirstMessageWindow;
    std::vector<Timer> timers;
    std::vector<Frame*> frames;
    std::optional<int32_t> quitOutsideRun;
    bool idleReset = false;
    std::optional<Point> lastMovePosition;
    WindowHandle paintingWindow = 0;
    std::vector<Rect> paintingRects;
    EventSource events;

    // Guards queue.
    mutable std::mutex queueLock;
    std::deque<Message> queue;

    // Guards regions.
    mutable std::mutex regionLock;
    std::map<WindowHandle, Region> regions;

    GSource* mainSource = nullptr;
    GSource* paintSource = nullptr;
    GSource* eventSource = nullptr;

    bool QueueEmpty() const
    {
        std::lock_guard lock(queueLock);
        return queue.empty();
    }
    std::optional<Message> PopMessage()
    {
        std::lock_guard lock(queueLock);
        if (queue.empty())
            return std::nullopt;
        Message message = queue.front();
        queue.pop_front();
        return message;
    }
    bool AnyRegion() const
    {
        std::lock_guard lock(regionLock);
        return std::any_of(regions.begin(), regions.end(),
                           [](const auto& entry) { return !cairo_region_is_empty(entry.second.get()); });
    }
    Timer* DueTimer()
    {
        const TimePoint now = Platform::Now();
        for (auto& timer : timers)
            if (timer.due <= now)
                return &timer;
        return nullptr;
    }
    int MillisecondsToNextTimer() const
    {
        if (timers.empty())
            return -1;
        const TimePoint now = Platform::Now();
        TimePoint next = timers.front().due;
        for (const auto& timer : timers)
            next = std::min(next, timer.due);
        if (next <= now)
            return 0;
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(next - now).count();
        return static_cast<int>(std::min<int64_t>(ms, INT_MAX));
    }

    void NoteIdleReset(const Message& message)
    {
        if (message.message == kWmPaint || message.message == kWmSysTimer)
            return;
        if (message.message == kWmMouseMove)
        {
            const Point at = PointFromParam(message.lParam);
            const bool samePlace = lastMovePosition && *lastMovePosition == at;
            lastMovePosition = at;
            if (samePlace)
                return;
        }
        idleReset = true;
    }

    LResult Deliver(const Message& message)
    {
        if (message.message == kWmQuit)
        {
            if (frames.empty())
                quitOutsideRun = static_cast<int32_t>(message.wParam);
            else
            {
                Frame& frame = *frames.back();
                frame.quit = true;
                frame.quitCode = static_cast<int32_t>(message.wParam);
                frame.done = true;
            }
            return 0;
        }
        NoteIdleReset(message);
        if (IsInputMessage(message.message) && disabled.contains(message.window))
            return 0;
        return Send(message);
    }

    LResult Send(const Message& message)
    {
        const auto found = windows.find(message.window);
        if (found == windows.end())
            return 0;
        // A copy, so that the procedure may remove its own window.
        const WindowProc proc = found->second;
        return proc(message);
    }

    void FireTimer(Timer& timer)
    {
        timer.due = Platform::Now() + timer.interval;
        const Message message{timer.window, timer.system ? kWmSysTimer : kWmTimer, timer.id, 0};
        Deliver(message);
    }

    std::optional<WindowHandle> WindowToPaint() const
    {
        std::lock_guard lock(regionLock);
        for (const auto& [window, region] : regions)
            if (!cairo_region_is_empty(region.get()))
                return window;
        return std::nullopt;
    }

    void Paint(WindowHandle window)
    {
        {
            std::lock_guard lock(regionLock);
            const auto found = regions.find(window);
            if (found == regions.end() || cairo_region_is_empty(found->second.get()))
                return;
            paintingRects = RectsOf(found->second.get());
            regions.erase(found);
        }
        const WindowHandle outer = std::exchange(paintingWindow, window);
        Deliver({window, kWmPaint, 0, 0});
        paintingWindow = outer;
        paintingRects.clear();
    }
};

namespace
{
MessageLoop::Impl& ImplOf(GSource* source)
{
    return *reinterpret_cast<LoopSource*>(source)->impl;
}

GSource* NewSource(GSourceFuncs* funcs, MessageLoop::Impl* impl, int priority, const char* name)
{
    GSource* source = g_source_new(funcs, sizeof(LoopSource));
    reinterpret_cast<LoopSource*>(source)->impl = impl;
    g_source_set_priority(source, priority);
    g_source_set_name(source, name);
    // Handlers run modal loops (the design's own, GTK's dialogs) that must keep dispatching this source.
    g_source_set_can_recurse(source, TRUE);
    return source;
}

gboolean MainPrepare(GSource* source, gint* timeout)
{
    auto& impl = ImplOf(source);
    *timeout = impl.MillisecondsToNextTimer();
    return !impl.QueueEmpty() || *timeout == 0;
}

gboolean MainCheck(GSource* source)
{
    auto& impl = ImplOf(source);
    if (impl.wake.IsWoken())
        impl.wake.Drain();
    return !impl.QueueEmpty() || impl.DueTimer() != nullptr;
}

gboolean MainDispatch(GSource* source, GSourceFunc, gpointer)
{
    auto& impl = ImplOf(source);
    if (const auto message = impl.PopMessage())
        impl.Deliver(*message);
    else if (Timer* timer = impl.DueTimer())
        impl.FireTimer(*timer);
    return G_SOURCE_CONTINUE;
}

GSourceFuncs gMainFuncs = {MainPrepare, MainCheck, MainDispatch, nullptr, nullptr, nullptr};

gboolean PaintPrepare(GSource* source, gint* timeout)
{
    *timeout = -1;
    return ImplOf(source).AnyRegion();
}

gboolean PaintCheck(GSource* source)
{
    return ImplOf(source).AnyRegion();
}

gboolean PaintDispatch(GSource* source, GSourceFunc, gpointer)
{
    auto& impl = ImplOf(source);
    if (const auto window = impl.WindowToPaint())
        impl.Paint(*window);
    return G_SOURCE_CONTINUE;
}

GSourceFuncs gPaintFuncs = {PaintPrepare, PaintCheck, PaintDispatch, nullptr, nullptr, nullptr};

gboolean EventPrepare(GSource* source, gint* timeout)
{
    *timeout = -1;
    auto& impl = ImplOf(source);
    return impl.events.pending && impl.events.pending();
}

gboolean EventCheck(GSource* source)
{
    auto& impl = ImplOf(source);
    return impl.events.pending && impl.events.pending();
}

gboolean EventDispatch(GSource* source, GSourceFunc, gpointer)
{
    auto& impl = ImplOf(source);
    if (impl.events.dispatch)
        impl.events.dispatch();
    return G_SOURCE_CONTINUE;
}

GSourceFuncs gEventFuncs = {EventPrepare, EventCheck, EventDispatch, nullptr, nullptr, nullptr};

void DestroySource(GSource*& source)
{
    if (source == nullptr)
        return;
    g_source_destroy(source);
    g_source_unref(source);
    source = nullptr;
}
} // namespace

MessageLoop::MessageLoop() : mImpl(std::make_unique<Impl>())
{
    mImpl->context = g_main_context_default();
    mImpl->mainSource = NewSource(&gMainFuncs, mImpl.get(), G_PRIORITY_DEFAULT, "zq-messages");
    if (mImpl->wake.IsOpen())
        g_source_add_unix_fd(mImpl->mainSource, mImpl->wake.Fd(), G_IO_IN);
    g_source_attach(mImpl->mainSource, mImpl->context);
    // Paints come after every other message, as the original's WM_PAINT does; GTK redraws at this priority
    // too.
    mImpl->paintSource = NewSource(&gPaintFuncs, mImpl.get(), G_PRIORITY_HIGH_IDLE + 20, "zq-paint");
    g_source_attach(mImpl->paintSource, mImpl->context);
    gCurrentLoop = this;
}

MessageLoop::~MessageLoop()
{
    MessageLoop* self = this;
    gCurrentLoop.compare_exchange_strong(self, nullptr);
    DestroySource(mImpl->eventSource);
    DestroySource(mImpl->paintSource);
    DestroySource(mImpl->mainSource);
}

MessageLoop* MessageLoop::Current()
{
    return gCurrentLoop;
}

WindowHandle MessageLoop::CreateMessageWindow(WindowProc proc)
{
    const WindowHandle window = mImpl->nextMessageWindow++;
    AddWindow(window, std::move(proc));
    return window;
}

void MessageLoop::AddWindow(WindowHandle window, WindowProc proc)
{
    mImpl->windows[window] = std::move(proc);
}

void MessageLoop::RemoveWindow(WindowHandle window)
{
    mImpl->windows.erase(window);
    mImpl->disabled.erase(window);
    std::erase_if(mImpl->timers, [window](const Timer& timer) { return timer.window == window; });
    {
        std::lock_guard lock(mImpl->queueLock);
        std::erase_if(mImpl->queue, [window](const Message& message) { return message.window == window; });
    }
    std::lock_guard lock(mImpl->regionLock);
    mImpl->regions.erase(window);
}

bool MessageLoop::IsWindow(WindowHandle window) const
{
    return mImpl->windows.contains(window);
}

void MessageLoop::EnableWindow(WindowHandle window, bool enable)
{
    if (enable)
        mImpl->disabled.erase(window);
    else
        mImpl->disabled[window] = true;
}

bool MessageLoop::IsWindowEnabled(WindowHandle window) const
{
    return IsWindow(window) && !mImpl->disabled.contains(window);
}

LResult MessageLoop::SendMessage(const Message& message)
{
    return mImpl->Send(message);
}

LResult MessageLoop::DispatchMessage(const Message& message)
{
    return mImpl->Deliver(message);
}

void MessageLoop::PostMessage(const Message& message)
{
    {
        std::lock_guard lock(mImpl->queueLock);
        mImpl->queue.push_back(message);
    }
    Wake();
}

void MessageLoop::PostQuitMessage(int32_t exitCode)
{
    PostMessage({0, kWmQuit, static_cast<WParam>(exitCode), 0});
}

void MessageLoop::Wake()
{
    mImpl->wake.Wake();
}

void MessageLoop::SetTimer(WindowHandle window, uintptr_t id, std::chrono::milliseconds interval, bool system)
{
    KillTimer(window, id);
    const Duration step = std::max<Duration>(interval, std::chrono::milliseconds(1));
    mImpl->timers.push_back({window, id, step, Platform::Now() + step, system});
}

void MessageLoop::KillTimer(WindowHandle window, uintptr_t id)
{
    std::erase_if(mImpl->timers,
                  [&](const Timer& timer) { return timer.window == window && timer.id == id; });
}

void MessageLoop::InvalidateRect(WindowHandle window, const Rect& rect)
{
    if (rect.IsEmpty())
        return;
    {
        std::lock_guard lock(mImpl->regionLock);
        auto& region = mImpl->regions[window];
        if (!region)
            region.reset(cairo_region_create());
        const cairo_rectangle_int_t r{rect.left, rect.top, rect.Width(), rect.Height()};
        cairo_region_union_rectangle(region.get(), &r);
    }
    Wake();
}

void MessageLoop::ValidateWindow(WindowHandle window)
{
    std::lock_guard lock(mImpl->regionLock);
    mImpl->regions.erase(window);
}

std::vector<Rect> MessageLoop::GetUpdateRects(WindowHandle window) const
{
    if (window == mImpl->paintingWindow && window != 0)
        return mImpl->paintingRects;
    std::lock_guard lock(mImpl->regionLock);
    const auto found = mImpl->regions.find(window);
    return found == mImpl->regions.end() ? std::vector<Rect>{} : RectsOf(found->second.get());
}

Rect MessageLoop::GetUpdateRect(WindowHandle window) const
{
    const auto rects = GetUpdateRects(window);
    if (rects.empty())
        return {};
    Rect bounds = rects.front();
    for (const auto& r : rects)
        bounds = {std::min(bounds.left, r.left), std::min(bounds.top, r.top), std::max(bounds.right, r.right),
                  std::max(bounds.bottom, r.bottom)};
    return bounds;
}

void MessageLoop::PaintNow(WindowHandle window)
{
    mImpl->Paint(window);
}

namespace
{
// Keeps a frame on the loop's stack while it runs.
struct FrameScope
{
    std::vector<Frame*>& frames;
    FrameScope(std::vector<Frame*>& stack, Frame& frame) : frames(stack) { frames.push_back(&frame); }
    ~FrameScope() { frames.pop_back(); }
};

void RunFrame(MessageLoop::Impl& impl, Frame& frame, const MessageLoop::IdleHandler& idle)
{
    FrameScope scope(impl.frames, frame);
    bool idling = true;
    int32_t count = 0;
    while (!frame.done)
    {
        while (idling && !frame.done && !g_main_context_pending(impl.context))
            idling = idle && idle(count++);
        if (frame.done)
            break;
        impl.idleReset = false;
        g_main_context_iteration(impl.context, TRUE);
        if (impl.idleReset)
        {
            idling = true;
            count = 0;
        }
    }
}
} // namespace

int32_t MessageLoop::Run(const IdleHandler& idle)
{
    if (mImpl->quitOutsideRun)
        return *std::exchange(mImpl->quitOutsideRun, std::nullopt);
    Frame frame;
    RunFrame(*mImpl, frame, idle);
    return frame.quitCode;
}

int32_t MessageLoop::RunModalLoop(WindowHandle owner, const IdleHandler& idle)
{
    const bool disableOwner = owner != 0 && IsWindowEnabled(owner);
    if (disableOwner)
        EnableWindow(owner, false);
    Frame frame;
    frame.modal = true;
    if (mImpl->quitOutsideRun)
    {
        frame.quit = true;
        frame.quitCode = *std::exchange(mImpl->quitOutsideRun, std::nullopt);
    }
    else
        RunFrame(*mImpl, frame, idle);
    if (disableOwner)
        EnableWindow(owner, true);
    if (frame.quit)
    {
        PostQuitMessage(frame.quitCode);
        return -1;
    }
    return frame.result;
}

void MessageLoop::EndModalLoop(int32_t result)
{
    for (auto it = mImpl->frames.rbegin(); it != mImpl->frames.rend(); ++it)
        if ((*it)->modal)
        {
            (*it)->result = result;
            (*it)->done = true;
            return;
        }
}

bool MessageLoop::IsInModalLoop() const
{
    return std::any_of(mImpl->frames.begin(), mImpl->frames.end(), [](const Frame* f) { return f->modal; });
}

bool MessageLoop::DispatchPending()
{
    bool any = false;
    while (g_main_context_pending(mImpl->context))
    {
        g_main_context_iteration(mImpl->context, FALSE);
        any = true;
    }
    return any;
}

bool MessageLoop::DispatchOnce(std::chrono::milliseconds timeout)
{
    GSource* timer = g_timeout_source_new(static_cast<guint>(std::max<int64_t>(timeout.count(), 0)));
    g_source_set_callback(
        timer, [](gpointer) -> gboolean { return G_SOURCE_REMOVE; }, nullptr, nullptr);
    g_source_attach(timer, mImpl->context);
    const bool any = g_main_context_iteration(mImpl->context, TRUE);
    g_source_destroy(timer);
    g_source_unref(timer);
    return any;
}

void MessageLoop::SetEventSource(EventSource source)
{
    ClearEventSource();
    mImpl->events = std::move(source);
    mImpl->eventSource = NewSource(&gEventFuncs, mImpl.get(), G_PRIORITY_DEFAULT, "zq-display");
    g_source_add_unix_fd(mImpl->eventSource, mImpl->events.fd, G_IO_IN);
    g_source_attach(mImpl->eventSource, mImpl->context);
}

void MessageLoop::ClearEventSource()
{
    DestroySource(mImpl->eventSource);
    mImpl->events = {};
}
} // namespace Platform::Window
