#include "Platform/Window/Dialogs.h"
#include "Platform/Window/Display.h"
#include "Platform/Window/MessageLoop.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

// Xlib after GoogleTest, whose headers its None macro would break.
// clang-format off
#include <X11/Xlib.h>
// clang-format on
#include "Support/X11TestSupport.h"

namespace
{
using namespace Platform::Window;
using namespace std::chrono_literals;

class WindowDialogs : public ::testing::Test
{
protected:
    void TearDown() override { DialogScript::Reset(); }
};

TEST_F(WindowDialogs, FlagsGiveButtonsAndDefault)
{
    struct Case
    {
        uint32_t flags;
        std::vector<int32_t> buttons;
        int32_t defaultAnswer;
    };
    const Case cases[] = {
        {kMbOk | kMbIconError, {kIdOk}, kIdOk},
        {kMbOkCancel | kMbDefButton2, {kIdOk, kIdCancel}, kIdCancel},
        {kMbAbortRetryIgnore | kMbDefButton3, {kIdAbort, kIdRetry, kIdIgnore}, kIdIgnore},
        {kMbYesNoCancel | kMbIconQuestion, {kIdYes, kIdNo, kIdCancel}, kIdYes},
        {kMbYesNo | kMbDefButton3, {kIdYes, kIdNo}, kIdNo},
        {kMbRetryCancel, {kIdRetry, kIdCancel}, kIdRetry},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(MessageBoxButtons(c.flags), c.buttons) << c.flags;
        EXPECT_EQ(MessageBoxDefault(c.flags), c.defaultAnswer) << c.flags;
    }
}

TEST_F(WindowDialogs, FilterPatternsSplitAtSemicolonsAndStarDotStarMatchesAll)
{
    EXPECT_EQ(FilterPatterns(u"*.bin;*.hex"), (std::vector<std::string>{"*.bin", "*.hex"}));
    EXPECT_EQ(FilterPatterns(u"*.*"), (std::vector<std::string>{"*"}));
    EXPECT_EQ(FilterPatterns(u" *.syx ; ;"), (std::vector<std::string>{"*.syx"}));
    EXPECT_TRUE(FilterPatterns(u"").empty());
}

TEST_F(WindowDialogs, ScriptedAnswersComeBackAndTheQuestionIsRecorded)
{
    DialogScript::AnswerNextMessageBox(kIdNo);
    EXPECT_EQ(ShowMessageBox(0, u"Update now?", u"Updater", kMbYesNo), kIdNo);
    ASSERT_TRUE(DialogScript::LastMessageBox());
    EXPECT_EQ(DialogScript::LastMessageBox()->text, u"Update now?");
    EXPECT_EQ(DialogScript::LastMessageBox()->flags, kMbYesNo);

    OpenFileRequest request;
    request.title = u"Open firmware";
    request.filters = {{u"Firmware", u"*.bin"}, {u"All files", u"*.*"}};
    request.multiSelect = true;
    DialogScript::AnswerNextOpenFile({{u"/tmp/a.bin", u"/tmp/b.bin"}});
    DialogScript::AnswerNextOpenFile({});
    EXPECT_EQ(ShowOpenFileDialog(0, request).paths.size(), 2u);
    EXPECT_TRUE(ShowOpenFileDialog(0, request).paths.empty()) << "cancel";
    ASSERT_TRUE(DialogScript::LastOpenFile());
    EXPECT_EQ(DialogScript::LastOpenFile()->title, u"Open firmware");
    EXPECT_TRUE(DialogScript::LastOpenFile()->multiSelect);
}

TEST_F(WindowDialogs, WithoutADisplayAMessageBoxWritesToStderrAndAnswersItsDefault)
{
    const char* display = std::getenv("DISPLAY");
    const std::string saved = display ? display : "";
    ::unsetenv("DISPLAY");
    MessageLoop loop;
    ::testing::internal::CaptureStderr();
    const int32_t answer = ShowMessageBox(0, u"No device", u"Updater", kMbOkCancel | kMbDefButton2);
    const std::string written = ::testing::internal::GetCapturedStderr();
    const OpenFileAnswer file = ShowOpenFileDialog(0, {});
    if (display)
        ::setenv("DISPLAY", saved.c_str(), 1);
    EXPECT_EQ(answer, kIdCancel);
    EXPECT_NE(written.find("Updater: No device"), std::string::npos);
    EXPECT_TRUE(file.paths.empty());
}

// Each real dialog opens and is dismissed by a timer of the program's loop, which keeps running meanwhile.
class WindowDialogsX11 : public WindowDialogs
{
protected:
    void SetUp() override
    {
        if (std::getenv("DISPLAY") == nullptr)
            GTEST_SKIP() << "no X display";
        mTimerWindow = mLoop.CreateMessageWindow(
            [this](const Message& m)
            {
                if (m.message == kWmTimer && ++mTicks == 3)
                    DialogScript::DismissShownDialog();
                return LResult{0};
            });
        mLoop.SetTimer(mTimerWindow, 1, 50ms);
    }

    MessageLoop mLoop;
    WindowHandle mTimerWindow = 0;
    int mTicks = 0;
};

TEST_F(WindowDialogsX11, MessageBoxIsDismissedWhileTimersRun)
{
    EXPECT_EQ(ShowMessageBox(0, u"Dismissed by a timer", u"Updater", kMbYesNoCancel | kMbIconWarning),
              kIdCancel);
    EXPECT_EQ(mTicks, 3);
}

TEST_F(WindowDialogsX11, OpenFileDialogIsDismissedWhileTimersRun)
{
    OpenFileRequest request;
    request.title = u"Open firmware";
    request.filters = {{u"Firmware", u"*.bin;*.hex"}, {u"All files", u"*.*"}};
    request.initialFolder = u"/tmp";
    EXPECT_TRUE(ShowOpenFileDialog(0, request).paths.empty());
    EXPECT_EQ(mTicks, 3);
}

// A shown window owns each dialog; a timer of the program's loop looks for the dialog's window among the
// owner's transients and dismisses the dialog once it is there (or after a generous deadline).
class WindowDialogOwnerX11 : public WindowDialogs
{
protected:
    void SetUp() override
    {
        mDisplay = TestSupport::OpenDisplay(mLoop);
        if (!mDisplay)
            GTEST_SKIP() << "no X display";
        mX = static_cast<::Display*>(mDisplay->NativeDisplay());
        mOwner = mDisplay->CreateWindow({"ZQDialogOwner", u"Owner", {100, 100, 300, 250}},
                                        [](const Message&) { return LResult{0}; });
        mDisplay->ShowWindow(mOwner, kSwShowNormal);
        ASSERT_TRUE(TestSupport::PumpUntil(mLoop, [&] { return mDisplay->IsOnScreen(mOwner); }));
        mTimerWindow = mLoop.CreateMessageWindow(
            [this](const Message& m)
            {
                if (m.message == kWmTimer && !mDismissed)
                    LookForTheDialog();
                return LResult{0};
            });
        mLoop.SetTimer(mTimerWindow, 1, 50ms);
    }

    void TearDown() override
    {
        if (mDisplay)
            mDisplay->DestroyWindow(mOwner);
        WindowDialogs::TearDown();
    }

    void LookForTheDialog()
    {
        mSeen = TestSupport::TransientsOf(mX, static_cast<::Window>(mOwner));
        mPopup = GetLastActivePopup(mOwner);
        if (!mSeen.empty() || ++mTicks == 200)
        {
            mDismissed = true;
            DialogScript::DismissShownDialog();
        }
    }

    // Whether the dialog was seen as the owner's one transient and its last active pop-up, and is gone.
    void ExpectSeenAsTheOwnersPopup()
    {
        ASSERT_EQ(mSeen.size(), 1u) << "the dialog's window names its owner";
        EXPECT_EQ(mPopup, mSeen.front());
        EXPECT_TRUE(TestSupport::PumpUntil(mLoop, [&] { return GetLastActivePopup(mOwner) == mOwner; }));
        mSeen.clear();
        mDismissed = false;
    }

    MessageLoop mLoop;
    std::unique_ptr<Platform::Window::Display> mDisplay;
    ::Display* mX = nullptr;
    WindowHandle mOwner = 0;
    WindowHandle mTimerWindow = 0;
    std::vector<::Window> mSeen;
    WindowHandle mPopup = 0;
    int mTicks = 0;
    bool mDismissed = false;
};

TEST_F(WindowDialogOwnerX11, TheMessageBoxAndTheFileChooserBelongToTheirOwnerWindow)
{
    EXPECT_EQ(GetLastActivePopup(mOwner), mOwner) << "no pop-up yet";
    EXPECT_EQ(ShowMessageBox(mOwner, u"Owned", u"Updater", kMbOkCancel), kIdCancel);
    ExpectSeenAsTheOwnersPopup();

    OpenFileRequest request;
    request.title = u"Open firmware";
    request.filters = {{u"Firmware", u"*.bin"}};
    EXPECT_TRUE(ShowOpenFileDialog(mOwner, request).paths.empty());
    ExpectSeenAsTheOwnersPopup();
}
} // namespace
