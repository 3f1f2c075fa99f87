#pragma once

#include "Support/PngArtifact.h"
#include "Support/SimulatorProcess.h"
#include "Support/WaitFor.h"

#include <array>
#include <cairo.h>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

// Xlib last: its macros (None, Status) break headers included after it.
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
// clang-format on

extern char** environ;

// The updater program run as a user runs it: a copy of the built program in a private install folder with
// a stub sibling updater one folder above it, the simulated mixer as another process, private folders for
// ports, driver, registry and settings, and the window driven through the X server with real clicks.
namespace EndToEnd
{
using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr const char* kUpdaterName = "q3300-splen-updater";
constexpr const char* kSiblingName = "Tavrin DJ Q3300 Firmware Updater.exe";
constexpr const char* kStubName = "zq-test-sibling-stub";
constexpr const char* kWindowClass = "Tavrin DJ_DEVICE_FAMILY_NAME_String_FirmwareUpdater";

// A place in the main control's client area, as the skin lays it out.
struct Box
{
    int x;
    int y;
    int width;
    int height;
};
constexpr Box kFirstButton{20, 372, 170, 28}; // UPDATE FIRMWARE, NEXT, TRY AGAIN and SCAN share it
constexpr Box kAbortButton{210, 372, 170, 28};
// The NEXT that asks for the device after a transfer, beside TRY AGAIN: no transfer runs then, so ABORT is
// never in its place.
constexpr Box kRescanButton = kAbortButton;
constexpr Box kSelectFileButton{20, 408, 170, 28};
constexpr Box kExitButton{210, 408, 170, 28};
constexpr Box kProgressBar{20, 330, 360, 36};
constexpr Box kProcessText{20, 156, 360, 168}; // the update-process line and the error line share it
constexpr Box kVersionTexts{20, 108, 360, 38};

[[nodiscard]] inline fs::path NextToThisTest(const std::string& name)
{
    return fs::read_symlink("/proc/self/exe").parent_path() / name;
}

// A copy of the window's pixels (0xRRGGBB).
struct Screenshot
{
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    [[nodiscard]] bool IsEmpty() const { return pixels.empty(); }
    [[nodiscard]] uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
    [[nodiscard]] std::vector<uint32_t> Region(const Box& box) const
    {
        std::vector<uint32_t> region;
        for (int y = box.y; y < box.y + box.height; ++y)
            for (int x = box.x; x < box.x + box.width; ++x)
                region.push_back(At(x, y));
        return region;
    }
    // True when a control is drawn in the box: its inner corner differs clearly from the background
    // just left of it.
    [[nodiscard]] bool Shows(const Box& box) const
    {
        const uint32_t inside = At(box.x + 3, box.y + 3);
        const uint32_t outside = At(box.x - 3, box.y + 3);
        int distance = 0;
        for (int shift : {0, 8, 16})
            distance += std::abs(static_cast<int>((inside >> shift) & 0xFF) -
                                 static_cast<int>((outside >> shift) & 0xFF));
        return distance > 24;
    }
    void Save(const std::string& name) const
    {
        (void)TestSupport::SavePngArtifact(pixels, width, height, name);
    }
};

// The updater as a child process started from its install folder; killed and reaped when the object goes.
class UpdaterProcess
{
public:
    UpdaterProcess(const fs::path& program, const std::vector<std::string>& options)
    {
        std::vector<std::string> arguments{program.string()};
        arguments.insert(arguments.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        // cairo's X11 backend keeps a few bytes per display until the process ends, which the leak
        // checker of a sanitizer build reports as the exit value; the program's own leaks are checked by
        // its unit tests.
        std::vector<std::string> variables;
        for (char** entry = environ; *entry != nullptr; ++entry)
            if (std::strncmp(*entry, "ASAN_OPTIONS=", 13) != 0)
                variables.emplace_back(*entry);
        const char* sanitizer = std::getenv("ASAN_OPTIONS");
        variables.push_back(std::string("ASAN_OPTIONS=") + (sanitizer != nullptr ? sanitizer : "") +
                            (sanitizer != nullptr && *sanitizer != '\0' ? ":" : "") + "detect_leaks=0");
        std::vector<char*> envp;
        for (std::string& variable : variables)
            envp.push_back(variable.data());
        envp.push_back(nullptr);
        if (::posix_spawn(&mPid, program.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0)
            mPid = -1;
    }
    ~UpdaterProcess()
    {
        if (mPid > 0 && !mExit.has_value())
        {
            ::kill(mPid, SIGKILL);
            (void)WaitForExit(10s);
        }
    }
    UpdaterProcess(const UpdaterProcess&) = delete;
    UpdaterProcess& operator=(const UpdaterProcess&) = delete;

    [[nodiscard]] bool IsStarted() const { return mPid > 0; }

    // The exit code once the child ended within the timeout (-1 for a signal); nothing while it runs.
    std::optional<int> WaitForExit(std::chrono::milliseconds timeout)
    {
        (void)TestSupport::WaitFor(
            [&]
            {
                int status = 0;
                if (!mExit.has_value() && mPid > 0 && ::waitpid(mPid, &status, WNOHANG) == mPid)
                    mExit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                return mExit.has_value();
            },
            timeout);
        return mExit;
    }

private:
    pid_t mPid = -1;
    std::optional<int> mExit;
};

// The private world of one test: folders, the installed program with its sibling stub, the firmware image.
class Installation
{
public:
    Installation()
    {
        for (const char* name : kVariables)
        {
            const char* saved = std::getenv(name);
            mSaved.emplace_back(saved != nullptr ? std::optional<std::string>(saved) : std::nullopt);
            const fs::path folder = root / name;
            fs::create_directories(folder);
            fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace);
            ::setenv(name, folder.c_str(), 1);
        }
        ::setenv("ZQ_TEST_SIBLING_LOG", siblingLog.c_str(), 1);
        fs::create_directories(program.parent_path());
        const fs::path built = NextToThisTest(kUpdaterName);
        const fs::path stub = NextToThisTest(kStubName);
        isComplete = fs::exists(built) && fs::exists(stub) && !simulatorProgram.empty();
        if (!isComplete)
            return;
        fs::copy_file(built, program);
        fs::copy_file(stub, sibling);
        WriteImage(4096);
    }
    ~Installation()
    {
        for (size_t i = 0; i < std::size(kVariables); ++i)
        {
            if (mSaved[i].has_value())
                ::setenv(kVariables[i], mSaved[i]->c_str(), 1);
            else
                ::unsetenv(kVariables[i]);
        }
        ::unsetenv("ZQ_TEST_SIBLING_LOG");
        ::unsetenv("ZQ_TEST_SIBLING_STATUS");
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    Installation(const Installation&) = delete;
    Installation& operator=(const Installation&) = delete;

    // One SysEx message of the size (F0, data bytes, F7), as the device takes a complete image.
    void WriteImage(size_t size) const
    {
        std::string bytes(1, '\xF0');
        for (size_t i = 1; i + 1 < size; ++i)
            bytes += static_cast<char>((i * 37 + 11) & 0x7F);
        bytes += '\xF7';
        fs::create_directories(image.parent_path());
        std::ofstream(image, std::ios::binary | std::ios::trunc) << bytes;
    }

    // The sibling stub's exit code for a status query.
    static void SetSiblingStatus(int status)
    {
        ::setenv("ZQ_TEST_SIBLING_STATUS", std::to_string(status).c_str(), 1);
    }

    // The argument lines the sibling stub logged, one per run.
    [[nodiscard]] std::vector<std::string> SiblingRuns() const
    {
        std::vector<std::string> runs;
        std::ifstream file(siblingLog);
        for (std::string line; std::getline(file, line);)
            runs.push_back(line);
        return runs;
    }

    [[nodiscard]] std::string ImageOption() const { return "-ABSOLUTE_FIRMWARE_FILE_PATH=" + image.string(); }

    static constexpr const char* kVariables[] = {"ZQ_MIDI_DIR",     "ZQ_DRIVER_DIR",  "ZQ_REGISTRY_ROOT",
                                                 "XDG_CONFIG_HOME", "XDG_DATA_HOME",  "XDG_STATE_HOME",
                                                 "XDG_CACHE_HOME",  "XDG_RUNTIME_DIR"};
    const fs::path root = fs::temp_directory_path() / ("zq-end-to-end-" + std::to_string(::getpid()));
    // The sibling lives one folder above the program's folder.
    const fs::path program = root / "install" / "Updater" / kUpdaterName;
    const fs::path sibling = root / "install" / kSiblingName;
    const fs::path siblingLog = root / "sibling.log";
    const fs::path image = root / "files" / "Demo Firmware.syx";
    const std::string simulatorProgram = TestSupport::SimulatorProcess::ProgramNextToThisTest();
    bool isComplete = false;

private:
    std::vector<std::optional<std::string>> mSaved;
};

// The X server side: finds the updater's window, reads its pixels and clicks into it through XTest.
class WindowScreen
{
public:
    WindowScreen()
    {
        const char* display = std::getenv("DISPLAY");
        if (display == nullptr || *display == '\0')
            return;
        // A server whose last client just left resets and refuses connections for a moment.
        (void)TestSupport::WaitFor([&] { return (mX = XOpenDisplay(nullptr)) != nullptr; }, 5s);
        if (mX != nullptr)
            PassOverVanishedWindows();
        int event = 0;
        int error = 0;
        int major = 0;
        int minor = 0;
        if (mX != nullptr && !XTestQueryExtension(mX, &event, &error, &major, &minor))
        {
            XCloseDisplay(mX);
            mX = nullptr;
        }
    }
    ~WindowScreen()
    {
        if (mX != nullptr)
            XCloseDisplay(mX);
    }
    WindowScreen(const WindowScreen&) = delete;
    WindowScreen& operator=(const WindowScreen&) = delete;

    [[nodiscard]] bool IsOpen() const { return mX != nullptr; }

    // A window listed by one request can be gone by the next (the updater closes its boxes and windows
    // while the test looks): BadWindow is expected then; every other error stays fatal.
    static void PassOverVanishedWindows()
    {
        (void)XSetErrorHandler([](::Display* display, XErrorEvent* error)
                               { return error->error_code == BadWindow ? 0 : Fatal(display, error); });
    }
    static int Fatal(::Display* display, XErrorEvent* error)
    {
        char text[256] = {};
        XGetErrorText(display, error->error_code, text, sizeof text);
        std::fprintf(stderr, "X error: %s (request %d)\n", text, error->request_code);
        std::abort();
    }

    // The updater's top-level window once it is on screen; 0 when none is.
    [[nodiscard]] ::Window FindWindow() const
    {
        ::Window root = 0;
        ::Window parent = 0;
        ::Window* children = nullptr;
        unsigned count = 0;
        ::Window found = 0;
        if (XQueryTree(mX, DefaultRootWindow(mX), &root, &parent, &children, &count) == 0)
            return 0;
        for (unsigned i = 0; i < count && found == 0; ++i)
        {
            XClassHint hint{};
            if (XGetClassHint(mX, children[i], &hint) == 0)
                continue;
            XWindowAttributes attributes{};
            if (std::string(hint.res_class) == kWindowClass &&
                XGetWindowAttributes(mX, children[i], &attributes) && attributes.map_state == IsViewable)
                found = children[i];
            XFree(hint.res_name);
            XFree(hint.res_class);
        }
        if (children != nullptr)
            XFree(children);
        return found;
    }

    // A viewable top-level window with the title; 0 when none is.
    [[nodiscard]] ::Window FindWindowTitled(const std::string& title) const
    {
        ::Window root = 0;
        ::Window parent = 0;
        ::Window* children = nullptr;
        unsigned count = 0;
        ::Window found = 0;
        if (XQueryTree(mX, DefaultRootWindow(mX), &root, &parent, &children, &count) == 0)
            return 0;
        for (unsigned i = 0; i < count && found == 0; ++i)
        {
            char* name = nullptr;
            XWindowAttributes attributes{};
            if (XFetchName(mX, children[i], &name) != 0 && name != nullptr && title == name &&
                XGetWindowAttributes(mX, children[i], &attributes) && attributes.map_state == IsViewable)
                found = children[i];
            if (name != nullptr)
                XFree(name);
        }
        if (children != nullptr)
            XFree(children);
        return found;
    }

    // Asks a window to close, as a window manager's close button does.
    void Close(::Window window)
    {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(mX, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(mX, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(mX, window, False, NoEventMask, &event);
        XFlush(mX);
    }

    ::Window WaitForWindow(std::chrono::milliseconds timeout = 60s)
    {
        (void)TestSupport::WaitFor([&] { return (mWindow = FindWindow()) != 0; }, timeout);
        return mWindow;
    }

    [[nodiscard]] Screenshot Take() const
    {
        Screenshot shot;
        XWindowAttributes attributes{};
        if (mWindow == 0 || XGetWindowAttributes(mX, mWindow, &attributes) == 0)
            return shot;
        XImage* image = XGetImage(mX, mWindow, 0, 0, static_cast<unsigned>(attributes.width),
                                  static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
        if (image == nullptr)
            return shot;
        shot.width = attributes.width;
        shot.height = attributes.height;
        for (int y = 0; y < shot.height; ++y)
            for (int x = 0; x < shot.width; ++x)
                shot.pixels.push_back(static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF);
        XDestroyImage(image);
        return shot;
    }

    // Waits until a screenshot satisfies the condition and returns it; empty when none did in time.
    template <typename Condition>
    Screenshot WaitForScreen(Condition condition, std::chrono::milliseconds timeout = 20s)
    {
        Screenshot shot;
        const bool found = TestSupport::WaitFor(
            [&]
            {
                shot = Take();
                return !shot.IsEmpty() && condition(shot);
            },
            timeout);
        if (found)
            return shot;
        // What the screen showed instead, for the one who reads the failure.
        if (!shot.IsEmpty())
            shot.Save("Unexpected Screen.png");
        return Screenshot{};
    }

    // A left click in the middle of the box, then the pointer moved off the window so that no control
    // stays in its hover look.
    void Click(const Box& box)
    {
        int left = 0;
        int top = 0;
        ::Window child = 0;
        XTranslateCoordinates(mX, mWindow, DefaultRootWindow(mX), 0, 0, &left, &top, &child);
        // Each step reaches the program before the next, as a hand's would: the control under the
        // pointer is found on motion and takes the press.
        const auto step = [&]
        {
            XSync(mX, False);
            std::this_thread::sleep_for(100ms);
        };
        XTestFakeMotionEvent(mX, DefaultScreen(mX), left + box.x + box.width / 2,
                             top + box.y + box.height / 2, 0);
        step();
        XTestFakeButtonEvent(mX, 1, True, 0);
        step();
        XTestFakeButtonEvent(mX, 1, False, 0);
        step();
        XTestFakeMotionEvent(mX, DefaultScreen(mX), DisplayWidth(mX, DefaultScreen(mX)) - 1,
                             DisplayHeight(mX, DefaultScreen(mX)) - 1, 0);
        step();
    }

    // Clicks the box once and waits for the screen to satisfy the condition; the screen once it does,
    // empty when it never did.
    template <typename Condition>
    Screenshot ClickAndWaitFor(const Box& box, Condition condition)
    {
        Click(box);
        return WaitForScreen(condition);
    }

private:
    ::Display* mX = nullptr;
    ::Window mWindow = 0;
};

// The simulator's status line field, such as "mode" or "version"; empty when absent.
[[nodiscard]] inline std::string StatusField(const std::string& status, const std::string& field)
{
    const size_t at = status.find(" " + field + "=");
    if (at == std::string::npos)
        return {};
    const size_t start = at + field.size() + 2;
    return status.substr(start, status.find(' ', start) - start);
}

// The screen that offers the update: its first button and EXIT, no progress bar.
[[nodiscard]] inline bool IsReadyToUpdate(const Screenshot& shot)
{
    return shot.Shows(kFirstButton) && shot.Shows(kExitButton) && !shot.Shows(kProgressBar);
}

// The screen of a running transfer: the progress bar and ABORT, nothing else.
[[nodiscard]] inline bool IsTransferring(const Screenshot& shot)
{
    return shot.Shows(kProgressBar) && shot.Shows(kAbortButton) && !shot.Shows(kExitButton) &&
           !shot.Shows(kFirstButton);
}

// The fixture of every end-to-end test: a display with XTest and the programs built beside the test, or
// the test is skipped.
struct UpdaterTest : ::testing::Test
{
    void SetUp() override
    {
        if (!screen.IsOpen())
            GTEST_SKIP() << "no X server with the XTest extension";
        if (!installation.isComplete)
            GTEST_SKIP() << "the updater, the sibling stub or zq-simulator is not built next to this test";
    }

    Installation installation;
    WindowScreen screen;
};
} // namespace EndToEnd
