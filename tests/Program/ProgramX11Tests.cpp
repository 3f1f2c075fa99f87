#include "Program/ChildProcess.h"
#include "Program/ProgramTestApplication.h"
#include "Support/Fifo.h"
#include "Support/WaitFor.h"

#include "Platform/Window/NamedLock.h"
#include "Platform/Window/Placement.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

// Xlib last: its macros (None, Status) break headers included after it.
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// clang-format on
#include "Support/X11TestSupport.h"

namespace
{
using namespace std::chrono_literals;
using ZQTest::ProgramTestApplication;

constexpr const char* kIdentity = "ZQProgramTest";
constexpr const char* kHost = "zq-test-program-host";
using TestSupport::ChildProcess;

struct ProgramX11 : ::testing::Test
{
    ProgramX11()
    {
        std::filesystem::create_directories(root / "runtime");
        ZQTest::WriteProgramDocuments(root / "documents", ZQTest::ProgramSkins(ZQTest::kFixedMainControl));
        ::setenv("ZQ_TEST_RESOURCE_FOLDER", (root / "documents").c_str(), 1);
        ::setenv("ZQ_REGISTRY_ROOT", (root / "registry").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", (root / "runtime").c_str(), 1);
        ::setenv("ZQ_TEST_RECEIVED_FILE", (root / "received.txt").c_str(), 1);
        x = TestSupport::OpenXServer([] { return XOpenDisplay(nullptr); });
    }
    ~ProgramX11() override
    {
        if (x != nullptr)
            XCloseDisplay(x);
        for (const char* name : {"ZQ_TEST_RESOURCE_FOLDER", "ZQ_REGISTRY_ROOT", "ZQ_TEST_RECEIVED_FILE"})
            ::unsetenv(name);
        ::setenv("XDG_RUNTIME_DIR", savedRuntime.c_str(), 1);
        std::filesystem::remove_all(root);
    }

    // The test program's top-level window once it is on screen; 0 when none came.
    ::Window WaitForMainWindow()
    {
        ::Window found = 0;
        (void)TestSupport::WaitFor(
            [&]
            {
                found = static_cast<::Window>(Platform::Window::FindTopLevelWindow(kIdentity));
                XWindowAttributes attributes{};
                return found != 0 && XGetWindowAttributes(x, found, &attributes) &&
                       attributes.map_state == IsViewable;
            });
        return found;
    }

    // Asks the window to close, as a window manager's close button does.
    void Close(::Window window)
    {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(x, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(x, window, False, NoEventMask, &event);
        XFlush(x);
    }

    [[nodiscard]] Platform::Window::Rect Geometry(::Window window) const
    {
        ::Window child = 0;
        int left = 0;
        int top = 0;
        XWindowAttributes attributes{};
        XGetWindowAttributes(x, window, &attributes);
        XTranslateCoordinates(x, window, DefaultRootWindow(x), 0, 0, &left, &top, &child);
        return {left, top, left + attributes.width, top + attributes.height};
    }

    std::filesystem::path root =
        std::filesystem::temp_directory_path() / ("zq-program-x11-" + std::to_string(getpid()));
    std::string savedRuntime =
        std::getenv("XDG_RUNTIME_DIR") != nullptr ? std::getenv("XDG_RUNTIME_DIR") : "/tmp";
    ::Display* x = nullptr;
};

TEST_F(ProgramX11, TheMainWindowShowsTheMainControlAndKeepsItsPlacementForTheNextStart)
{
    if (x == nullptr)
        GTEST_SKIP() << "no X server";
    {
        ChildProcess program(kHost, {});
        ASSERT_TRUE(program.IsStarted());
        const ::Window window = WaitForMainWindow();
        ASSERT_NE(window, 0u);

        XClassHint hint{};
        ASSERT_TRUE(XGetClassHint(x, window, &hint));
        EXPECT_STREQ(hint.res_class, kIdentity);
        XFree(hint.res_name);
        XFree(hint.res_class);
        char* title = nullptr;
        ASSERT_TRUE(XFetchName(x, window, &title));
        EXPECT_STREQ(title, "Tavrin DJ");
        XFree(title);
        XSizeHints hints{};
        long supplied = 0;
        ASSERT_TRUE(XGetWMNormalHints(x, window, &hints, &supplied));
        EXPECT_TRUE((hints.flags & PMinSize) && (hints.flags & PMaxSize));
        EXPECT_EQ((std::array{hints.min_width, hints.min_height, hints.max_width, hints.max_height}),
                  (std::array{400, 450, 400, 450}));
        EXPECT_EQ(Geometry(window), (Platform::Window::Rect{100, 80, 500, 530}));

        Close(window);
        EXPECT_EQ(program.WaitForExit(20s), std::optional<int>(0));
    }
    const auto kept = Platform::Window::LoadPlacement(u"ZQProgramTest");
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(kept->normalPosition, (Platform::Window::Rect{100, 80, 500, 530}));

    // Kept partly off the desktop: the next start moves it back with its size.
    Platform::Window::WindowPlacement offscreen = *kept;
    offscreen.normalPosition = {-300, 200, 100, 650};
    ASSERT_TRUE(Platform::Window::SavePlacement(u"ZQProgramTest", offscreen));
    ChildProcess again(kHost, {});
    const ::Window window = WaitForMainWindow();
    ASSERT_NE(window, 0u);
    EXPECT_TRUE(TestSupport::WaitFor(
        [&] {
            return Geometry(window) == Platform::Window::Rect{0, 200, 400, 650};
        }))
        << Geometry(window).left << "," << Geometry(window).top;
    Close(window);
    EXPECT_EQ(again.WaitForExit(20s), std::optional<int>(0));

    // Kept minimised: restored before it is shown.
    Platform::Window::WindowPlacement minimised = *kept;
    minimised.showCommand = static_cast<uint32_t>(Platform::Window::kSwShowMinimized);
    ASSERT_TRUE(Platform::Window::SavePlacement(u"ZQProgramTest", minimised));
    ChildProcess restored(kHost, {});
    const ::Window shown = WaitForMainWindow();
    ASSERT_NE(shown, 0u) << "the window did not come on screen";
    EXPECT_EQ(Geometry(shown), (Platform::Window::Rect{100, 80, 500, 530}));
    Close(shown);
    EXPECT_EQ(restored.WaitForExit(20s), std::optional<int>(0));
    const auto keptAgain = Platform::Window::LoadPlacement(u"ZQProgramTest");
    ASSERT_TRUE(keptAgain.has_value());
    EXPECT_NE(keptAgain->showCommand, static_cast<uint32_t>(Platform::Window::kSwShowMinimized));
}

TEST_F(ProgramX11, AStoredPlacementOfAnySizeOrNoneReadableStillShowsTheWindowOnTheDesktop)
{
    if (x == nullptr)
        GTEST_SKIP() << "no X server";
    const std::string valueFile =
        (root / "registry/HKEY_CURRENT_USER/Software/Tavrin DJ/Q3300 Splen" / "ZQProgramTest/@WP").string();
    struct Case
    {
        const char* what;
        std::function<void()> store;
    };
    std::unique_ptr<TestSupport::Fifo> fifo;
    const Case cases[] = {
        {"a corner at the smallest 32-bit value",
         []
         {
             Platform::Window::WindowPlacement extreme;
             extreme.showCommand = static_cast<uint32_t>(Platform::Window::kSwShowNormal);
             extreme.normalPosition = {INT32_MIN, INT32_MIN, 500, 530};
             ASSERT_TRUE(Platform::Window::SavePlacement(u"ZQProgramTest", extreme));
         }},
        {"corners at both 32-bit limits",
         []
         {
             Platform::Window::WindowPlacement extreme;
             extreme.showCommand = static_cast<uint32_t>(Platform::Window::kSwShowNormal);
             extreme.normalPosition = {INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN};
             extreme.minPosition = {INT32_MIN, INT32_MAX};
             ASSERT_TRUE(Platform::Window::SavePlacement(u"ZQProgramTest", extreme));
         }},
        {"a FIFO in the value's place",
         [&]
         {
             ASSERT_EQ(::unlink(valueFile.c_str()), 0);
             fifo = std::make_unique<TestSupport::Fifo>(valueFile);
             ASSERT_TRUE(fifo->IsMade());
         }},
    };
    const Platform::Window::Rect desktop{0, 0, DisplayWidth(x, DefaultScreen(x)),
                                         DisplayHeight(x, DefaultScreen(x))};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        c.store();
        ChildProcess program(kHost, {});
        ASSERT_TRUE(program.IsStarted());
        const ::Window window = WaitForMainWindow();
        ASSERT_NE(window, 0u) << "the window did not come on screen";
        // The program's moves reach the server in their own time: the placement is read once it settles.
        Platform::Window::Rect placed = Geometry(window);
        (void)TestSupport::WaitFor(
            [&]
            {
                placed = Geometry(window);
                return placed.left >= desktop.left && placed.top >= desktop.top &&
                       placed.right <= desktop.right && placed.bottom <= desktop.bottom &&
                       placed.Width() == 400 && placed.Height() == 450;
            });
        EXPECT_GE(placed.left, desktop.left);
        EXPECT_GE(placed.top, desktop.top);
        EXPECT_LE(placed.right, desktop.right);
        EXPECT_LE(placed.bottom, desktop.bottom);
        EXPECT_EQ(placed.Width(), 400) << "the main control's fixed size";
        EXPECT_EQ(placed.Height(), 450);
        Close(window);
        EXPECT_EQ(program.WaitForExit(20s), std::optional<int>(0));
    }
}

TEST_F(ProgramX11, ASecondInstanceHandsItsCommandLineToTheFirstAndEnds)
{
    if (x == nullptr)
        GTEST_SKIP() << "no X server";
    ChildProcess first(kHost, {});
    const ::Window window = WaitForMainWindow();
    ASSERT_NE(window, 0u);

    ChildProcess second(kHost, {"-SILENT", "-FILE=/tmp/new image.syx"});
    EXPECT_EQ(second.WaitForExit(20s), std::optional<int>(0));
    std::string received;
    EXPECT_TRUE(TestSupport::WaitFor(
        [&]
        {
            std::ifstream file(root / "received.txt");
            std::getline(file, received);
            return !received.empty();
        }));
    EXPECT_TRUE(received.ends_with("zq-test-program-host -SILENT -FILE=\"/tmp/new image.syx\"")) << received;
    EXPECT_EQ(received.front(), '/') << "the program's path comes first: " << received;

    Close(window);
    EXPECT_EQ(first.WaitForExit(20s), std::optional<int>(0));
}

// Whether the top-level window upper is stacked above lower.
bool IsAbove(::Display* x, ::Window upper, ::Window lower)
{
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count))
        return false;
    const std::vector<::Window> order(children, children + count); // bottom to top
    XFree(children);
    const auto at = [&](::Window w) { return std::find(order.begin(), order.end(), w) - order.begin(); };
    return at(upper) < static_cast<long>(order.size()) && at(upper) > at(lower);
}

TEST_F(ProgramX11, ASecondInstanceBringsTheFirstInstancesMessageBoxInFrontOfItsWindow)
{
    if (x == nullptr)
        GTEST_SKIP() << "no X server";
    // The first instance opens a real box. GLib is built without frame pointers: its allocations are traced
    // the slow way, so that the leak checker sees GTK below the caches it keeps to the end and lets them be.
    const char* sanitizer = std::getenv("ASAN_OPTIONS");
    const std::string savedSanitizer = sanitizer != nullptr ? sanitizer : "";
    ::setenv("ASAN_OPTIONS", (savedSanitizer + ":fast_unwind_on_malloc=0").c_str(), 1);
    ::setenv("ZQ_TEST_MESSAGE_BOX", "Waiting for an answer", 1);
    ChildProcess first(kHost, {});
    ::unsetenv("ZQ_TEST_MESSAGE_BOX");
    if (sanitizer != nullptr)
        ::setenv("ASAN_OPTIONS", savedSanitizer.c_str(), 1);
    else
        ::unsetenv("ASAN_OPTIONS");
    const ::Window window = WaitForMainWindow();
    ASSERT_NE(window, 0u);
    std::vector<::Window> boxes;
    ASSERT_TRUE(TestSupport::WaitFor(
        [&]
        {
            boxes = TestSupport::TransientsOf(x, window);
            return !boxes.empty();
        }))
        << "the box names the main window as its owner";
    const ::Window box = boxes.front();
    // The box has fallen behind its window.
    XRaiseWindow(x, window);
    XSync(x, False);
    ASSERT_TRUE(IsAbove(x, window, box));

    ChildProcess second(kHost, {"-SILENT"});
    EXPECT_EQ(second.WaitForExit(20s), std::optional<int>(0));
    EXPECT_TRUE(TestSupport::WaitFor([&] { return IsAbove(x, box, window); }));

    // Answered as its close button does, then the window closes.
    Close(box);
    EXPECT_TRUE(TestSupport::WaitFor([&] { return TestSupport::TransientsOf(x, window).empty(); }));
    Close(window);
    EXPECT_EQ(first.WaitForExit(20s), std::optional<int>(0));
}

TEST_F(ProgramX11, AnInstanceStartedBeforeTheFirstHasAWindowRunsInFull)
{
    if (x == nullptr)
        GTEST_SKIP() << "no X server";
    // A first instance that holds the lock but has no window yet.
    const Platform::Window::NamedLock firstInstance(std::string(kIdentity) + "Prevent");
    ASSERT_TRUE(firstInstance.IsHeld());
    ChildProcess program(kHost, {"-SILENT"});
    const ::Window window = WaitForMainWindow();
    ASSERT_NE(window, 0u);
    EXPECT_FALSE(program.WaitForExit(0ms).has_value());
    Close(window);
    EXPECT_EQ(program.WaitForExit(20s), std::optional<int>(0));
}
} // namespace
