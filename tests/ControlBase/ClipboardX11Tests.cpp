#include "Platform/Window/Display.h"
#include "Platform/Window/MessageLoop.h"
#include "ZQFramework/ControlBase/Clipboard.h"
#include "ZQFramework/Utilities/Storage/ToString.h"
#include "ZQFramework/Utilities/Storage/WrapperStringable.h"

#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <poll.h>
#include <string>
#include <thread>

// clang-format off
#include <X11/Xlib.h>
#include <X11/Xatom.h>
// clang-format on

namespace ZQ
{
namespace
{
using namespace std::chrono_literals;
using TextWrapper = LWrapperStringable<WString, &StringToString>;

class ClipboardX11 : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // One connection kept for the whole program stops the server from resetting between tests.
        static ::Display* const keepServer = XOpenDisplay(nullptr);
        if (keepServer == nullptr)
            GTEST_SKIP() << "no X display";
        mDisplay = Platform::Window::Display::Open(mLoop);
        if (!mDisplay)
            GTEST_SKIP() << "no X display";
        mClipboard = LClipboard::Create();
    }

    void TearDown() override
    {
        if (mClipboard)
            (void)mClipboard->ReleaseInternalReferences();
    }

    bool Pump(const std::function<bool()>& done)
    {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!done())
        {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            (void)mLoop.DispatchOnce(20ms);
        }
        return true;
    }

    Platform::Window::MessageLoop mLoop;
    std::unique_ptr<Platform::Window::Display> mDisplay;
    RCPtr<LClipboard> mClipboard;
};

// Takes the clipboard on another connection and answers one request for it with the text.
void TakeAndServe(::Display* other, ::Window owner, const std::string& text)
{
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline)
    {
        if (XPending(other) == 0)
        {
            pollfd fd{ConnectionNumber(other), POLLIN, 0};
            ::poll(&fd, 1, 50);
            continue;
        }
        XEvent event;
        XNextEvent(other, &event);
        if (event.type != SelectionRequest || event.xselectionrequest.owner != owner)
            continue;
        const XSelectionRequestEvent& request = event.xselectionrequest;
        XChangeProperty(other, request.requestor, request.property, request.target, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
        XEvent reply{};
        reply.xselection.type = SelectionNotify;
        reply.xselection.requestor = request.requestor;
        reply.xselection.selection = request.selection;
        reply.xselection.target = request.target;
        reply.xselection.property = request.property;
        reply.xselection.time = request.time;
        XSendEvent(other, request.requestor, False, NoEventMask, &reply);
        XFlush(other);
        return;
    }
}

TEST_F(ClipboardX11, TextSharedWithAnotherClientBothWays)
{
    const RCPtr<LRefCountedObject> text = TextWrapper::Create(WString(u"Splen \u00fc"));
    ASSERT_EQ(mClipboard->SetText(text), S_OK);
    EXPECT_TRUE(mDisplay->OwnsClipboard());
    EXPECT_EQ(mDisplay->GetClipboardText(1s), std::optional<std::string>("Splen \xC3\xBC"));
    EXPECT_EQ(mClipboard->GetText(), text);

    ::Display* other = XOpenDisplay(nullptr);
    ASSERT_NE(other, nullptr);
    const ::Window owner = XCreateSimpleWindow(other, DefaultRootWindow(other), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(other, XInternAtom(other, "CLIPBOARD", False), owner, CurrentTime);
    XFlush(other);
    ASSERT_TRUE(Pump([&] { return !mDisplay->OwnsClipboard(); }));
    {
        std::jthread serve([&] { TakeAndServe(other, owner, "from the other client"); });
        const RCPtr<TextWrapper> pasted(mClipboard->GetText());
        ASSERT_FALSE(pasted.IsNull());
        EXPECT_EQ(pasted->GetValue(), WString(u"from the other client"));
    }
    XCloseDisplay(other);
}
} // namespace
} // namespace ZQ
