#include "Platform/Window/Display.h"
#include "Platform/Window/MessageLoop.h"
#include "ZQFramework/ControlBase/Services/Clipboard.h"
#include "ZQFramework/Utilities/Storage/ToString.h"
#include "ZQFramework/Utilities/Storage/WrapperStringable.h"

#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>

// clang-format off
#include <X11/Xlib.h>
#include <X11/Xatom.h>
// clang-format on
#include "Support/X11TestSupport.h"

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
        mDisplay = TestSupport::OpenDisplay(mLoop);
        if (!mDisplay)
            GTEST_SKIP() << "no X display";
        mClipboard = LClipboard::Create();
    }

    void TearDown() override
    {
        if (mClipboard)
            (void)mClipboard->ReleaseInternalReferences();
    }

    Platform::Window::MessageLoop mLoop;
    std::unique_ptr<Platform::Window::Display> mDisplay;
    RCPtr<LClipboard> mClipboard;
};

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
    ASSERT_TRUE(TestSupport::PumpUntil(mLoop, [&] { return !mDisplay->OwnsClipboard(); }));
    {
        std::jthread serve([&] { TestSupport::ServeOneSelectionRequest(other, "from the other client"); });
        const RCPtr<TextWrapper> pasted(mClipboard->GetText());
        ASSERT_FALSE(pasted.IsNull());
        EXPECT_EQ(pasted->GetValue(), WString(u"from the other client"));
    }
    XCloseDisplay(other);
}
} // namespace
} // namespace ZQ
