#pragma once

#include "Platform/Window/Messages.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// The program's message loop, on GLib's default main context, so that GTK's modal dialogs keep the
// program's windows painting and its timers running while they wait.
//
// One loop per process, made and run by the UI thread; only that thread creates windows, sets timers,
// sends messages and runs the loop. Any thread may post messages, post the quit, invalidate a window or
// wake the loop: these take a lock and wake the loop through an eventfd.
//
// What it runs: posted messages in order; due timers (measured on Platform::Now, so a manual clock steps
// them); the display's events when a display is open (Display adds its connection as a source); and, when
// nothing else is ready, WM_PAINT for windows whose invalid region is not empty. Between messages it
// runs idle passes, counted 0, 1, 2 ... while nothing is ready, until the idle handler answers false; a
// message restarts the count, except WM_PAINT, WM_SYSTIMER and a mouse move to the position of the one
// before. Modal loops nest: while one runs, its owner window is disabled, and messages of input and
// copy-data to a disabled window are dropped (paints and timers still reach it).
namespace Platform::Window
{
class MessageLoop
{
public:
    // Called with the idle count; answers whether it wants another pass.
    using IdleHandler = std::function<bool(int32_t count)>;

    // What the display gives the loop for its connection: the fd to poll, whether events are queued
    // already (read but not handled), and the handling of every queued event.
    struct EventSource
    {
        int fd = -1;
        std::function<bool()> pending;
        std::function<void()> dispatch;
    };

    MessageLoop();
    ~MessageLoop();
    MessageLoop(const MessageLoop&) = delete;
    MessageLoop& operator=(const MessageLoop&) = delete;

    // The live loop of the process, or null.
    [[nodiscard]] static MessageLoop* Current();

    // --- Windows (UI thread) ---
    // A window that exists only for messages (no X window), with a handle of the loop's own.
    [[nodiscard]] WindowHandle CreateMessageWindow(WindowProc proc);
    // Lets the loop deliver to a window the display made.
    void AddWindow(WindowHandle window, WindowProc proc);
    // Forgets the window with its timers, queued messages and invalid region.
    void RemoveWindow(WindowHandle window);
    [[nodiscard]] bool IsWindow(WindowHandle window) const;
    void EnableWindow(WindowHandle window, bool enable);
    [[nodiscard]] bool IsWindowEnabled(WindowHandle window) const;

    // --- Messages ---
    // Calls the window's procedure now (UI thread); 0 for an unknown window.
    LResult SendMessage(const Message& message);
    // Delivers a message as if it had been queued: dropped as input to a disabled window, counted for
    // the idle passes (UI thread; the display delivers its events this way).
    LResult DispatchMessage(const Message& message);
    // Queues a message (any thread). The window is looked up when it is delivered.
    void PostMessage(const Message& message);
    // Queues WM_QUIT (any thread): the innermost loop ends; a modal one posts the quit again.
    void PostQuitMessage(int32_t exitCode);
    // Makes the loop look at its queue and regions again (any thread).
    void Wake();

    // --- Timers (UI thread) ---
    // WM_TIMER (WM_SYSTIMER for a system timer) with wParam = id every interval, from now on; setting
    // an existing id again restarts it. A timer that fell behind fires once, not once per interval.
    void SetTimer(WindowHandle window, uintptr_t id, std::chrono::milliseconds interval, bool system = false);
    void KillTimer(WindowHandle window, uintptr_t id);

    // --- Painting ---
    // Adds the rectangle to the window's invalid region (any thread).
    void InvalidateRect(WindowHandle window, const Rect& rect);
    // Empties the window's invalid region.
    void ValidateWindow(WindowHandle window);
    // The rectangles to paint: during the window's WM_PAINT those it was sent for, else its invalid region.
    [[nodiscard]] std::vector<Rect> GetUpdateRects(WindowHandle window) const;
    // Their bounding rectangle (empty for none).
    [[nodiscard]] Rect GetUpdateRect(WindowHandle window) const;
    // Sends WM_PAINT now when the window's region is not empty (UI thread).
    void PaintNow(WindowHandle window);

    // --- Running (UI thread) ---
    // Runs until WM_QUIT; returns its exit code.
    int32_t Run(const IdleHandler& idle = {});
    // Runs a nested loop until EndModalLoop (its result) or WM_QUIT (-1, and the quit is posted again).
    // The owner, when given, is disabled meanwhile and enabled again after.
    int32_t RunModalLoop(WindowHandle owner, const IdleHandler& idle = {});
    // Ends the innermost modal loop with the result.
    void EndModalLoop(int32_t result);
    [[nodiscard]] bool IsInModalLoop() const;
    // Handles everything ready now without waiting; whether anything ran. For tests and for code that
    // must wait without a loop of its own.
    bool DispatchPending();
    // Handles one batch of ready work, waiting up to the timeout for some; whether anything ran.
    bool DispatchOnce(std::chrono::milliseconds timeout);

    void SetEventSource(EventSource source);
    void ClearEventSource();

    struct Impl;

private:
    std::unique_ptr<Impl> mImpl;
};
} // namespace Platform::Window
