#include "ContainerBench.h"
#include "Support/TempRegistry.h"

#include "Platform/Window/Display.h"
#include "Platform/Window/MessageLoop.h"
#include "ZQFramework/ControlBase/Windows/OSWindow.h"
#include "ZQFramework/Controls/Sliders/Slider.h"
#include "ZQFramework/Notification/KeyCode.h"
#include "ZQFramework/Notification/KeyParam.h"
#include "ZQFramework/ObjectBase/Holder.h"
#include "ZQFramework/Renderer/Renderer.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

// Xlib after GoogleTest and the framework, whose headers its macros would break.
// clang-format off
#include <X11/Xlib.h>
#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
// clang-format on
#include "Support/X11TestSupport.h"

namespace ZQ
{
namespace
{
using TestSupport::Utf8;
using ZQTest::ControlsBench;

// A slider named name at (x, y) of the window, size w x h, with markers of mw x mh at the two points
// given (no "thumbEnd" when end is empty) and the extra skin given.
std::string SliderSkin(const std::string& name, int x, int y, int w, int h, int mw, int mh,
                       const std::string& start, const std::string& end, const std::string& extra = "")
{
    const auto marker = [&](const std::string& markerName, const std::string& at)
    {
        return "<SubControl Class=\"Framework.Button\" Name=\"" + markerName + "\" " + at + " XSizeAbs=\"" +
               std::to_string(mw) + "\" YSizeAbs=\"" + std::to_string(mh) +
               R"("><Skin Name="thumb" LookList="looks14"/></SubControl>)";
    };
    return "<SubControl Class=\"Framework.Slider\" Name=\"" + name + "\" XPositionAbs=\"" +
           std::to_string(x) + "\" YPositionAbs=\"" + std::to_string(y) + "\" XSizeAbs=\"" +
           std::to_string(w) + "\" YSizeAbs=\"" + std::to_string(h) +
           R"("><Skin Name="slider" LookList="looks14"/>)" + extra + marker("thumbStart", start) +
           (end.empty() ? "" : marker("thumbEnd", end)) + "</SubControl>";
}

std::string At(int x, int y)
{
    return "XPositionAbs=\"" + std::to_string(x) + "\" YPositionAbs=\"" + std::to_string(y) + "\"";
}

// "h": horizontal, markers 10 x 20 at (0, 0) and (100, 0); "v": vertical at (200, 0), markers 20 x 10 at
// (0, 0) and (0, 100); "s": slanted at (0, 150), markers 10 x 10 at (0, 0) and (100, 50); "same": both
// markers at one place; "open": no "thumbEnd"; "scrolled": horizontal at (250, 150), markers 10 x 20 at
// x 20 and 120, its content scrolled 10 pixels to the left by the test.
const std::string kSliders =
    R"(<SubControl Class="Test.Panel" Name="main" XSizeAbs="400" YSizeAbs="300"><Skin Name="main" LookList="one"/>)" +
    SliderSkin("h", 0, 0, 120, 20, 10, 20, At(0, 0), At(100, 0)) +
    SliderSkin("v", 200, 0, 20, 120, 20, 10, At(0, 0), At(0, 100)) +
    SliderSkin("s", 0, 150, 120, 70, 10, 10, At(0, 0), At(100, 50)) +
    SliderSkin("same", 200, 150, 20, 20, 10, 10, At(5, 5), At(5, 5)) +
    SliderSkin("open", 200, 200, 20, 20, 10, 10, At(0, 0), "") +
    SliderSkin("scrolled", 250, 150, 130, 20, 10, 20, At(20, 0), At(120, 0)) + "</SubControl>";

constexpr uint32_t kLeftKey = 0x20250000;
constexpr uint32_t kRightKey = 0x20270000;
constexpr uint32_t kRightReleased = 0x00270000;

// Records the slider's notifications, with the capture flag where there is one.
class SliderLog : public LNotificationReceiver
{
public:
    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& /*source*/,
                                 const RCPtr<LNotification>& notification) override
    {
        std::string entry = Utf8(WString(notification->GetID()));
        if (const RCPtr<LHolder<bool>> flag(notification->GetParam()); flag != nullptr)
            entry += *flag->mValue ? " true" : " false";
        Entries.push_back(entry);
        return 0;
    }
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& /*source*/,
                                        NotificationID /*id*/) override
    {
        return 0;
    }

    std::vector<std::string> Entries;
};

struct SliderTest : ::testing::Test
{
    SliderTest()
    {
        bench.Register(u"Framework.Slider", &LControl::CreateFromDescriptor<LSlider>);
        (void)ZQTest::ShowContainers(bench);
    }

    RCPtr<LSlider> Slider(const char16_t* name)
    {
        const RCPtr<LSlider> slider = bench.Find<LSlider>(name);
        for (const char16_t* id : {u"NID_VALUE_CHANGE", u"NID_VALUE_CHANGE_CAPTURE",
                                   u"NID_VALUE_CHANGE_KEY_DOWN", u"NID_VALUE_CHANGE_KEY_UP"})
            (void)slider->RegisterClient(RCPtr<LNotificationReceiver>(log), id, 0);
        return slider;
    }
    static PointT<int32_t> ThumbAt(const LSlider& slider)
    {
        return {static_cast<int32_t>(slider.GetThumb()->GetRect().x),
                static_cast<int32_t>(slider.GetThumb()->GetRect().y)};
    }
    void Drag(const PointT<int32_t>& press, const std::vector<PointT<int32_t>>& points, bool hold = false)
    {
        bench.MoveTo(press);
        bench.Press();
        for (const PointT<int32_t>& point : points)
            bench.MoveTo(point);
        if (!hold)
            bench.Release();
    }
    void Key(uint32_t code, uint8_t wasDown = 0)
    {
        bench.Window->DeliverKey(LKeyParam::Create(KeyCode(code, 0, wasDown), 0));
    }
    [[nodiscard]] size_t Count(const std::string& entry) const
    {
        return static_cast<size_t>(std::count(log->Entries.begin(), log->Entries.end(), entry));
    }

    ControlsBench bench{kSliders};
    RCPtr<SliderLog> log{new SliderLog};
};

TEST_F(SliderTest, CreationHidesTheMarkersAndPutsAThumbMadeFromTheStartMarkerAtTheValue)
{
    const RCPtr<LSlider> h = Slider(u"h");
    ASSERT_NE(h->GetThumb(), nullptr);
    EXPECT_FALSE(h->GetThumbStart()->IsVisible(false));
    EXPECT_FALSE(h->GetThumbEnd()->IsVisible(false));
    EXPECT_TRUE(h->GetThumb()->IsVisible(false));
    EXPECT_EQ(h->GetThumb()->GetRect().width, 10);
    EXPECT_EQ(h->GetThumbHotOffset(), (PointT<int32_t>{5, 10}));
    EXPECT_EQ(h->ScaleValue(1), 100) << "a percentage";
    (void)h->SetValue(0.25);
    EXPECT_EQ(ThumbAt(*h), (PointT<int32_t>{25, 0}));
    const RCPtr<LSlider> s = Slider(u"s");
    (void)s->SetValue(0.5);
    EXPECT_EQ(ThumbAt(*s), (PointT<int32_t>{50, 25}));
}

TEST_F(SliderTest, ADraggedThumbStaysOnTheTrackAtTheFootOfThePerpendicular)
{
    struct Case
    {
        const char16_t* slider;
        PointT<int32_t> press;
        PointT<int32_t> to;
        PointT<int32_t> thumb;
        double value;
    };
    (void)bench.Find(u"scrolled")->SetScrollOffset({10, 0});
    const std::vector<Case> cases{
        {u"h", {5, 10}, {35, 17}, {30, 0}, 0.3},             // y ignored
        {u"h", {5, 10}, {300, 10}, {100, 0}, 1.0},           // held at the end
        {u"v", {210, 5}, {250, 45}, {0, 40}, 0.4},           // x ignored
        {u"s", {5, 155}, {65, 155}, {48, 24}, 0.48},         // the foot of the perpendicular
        {u"s", {5, 155}, {-40, 140}, {0, 0}, 0.0},           // held at the start
        {u"s", {5, 155}, {305, 155}, {100, 50}, 1.0},        // held at the end
        {u"scrolled", {265, 160}, {295, 160}, {50, 0}, 0.3}, // the pointer keeps its grip on the thumb
    };
    for (const Case& c : cases)
    {
        const RCPtr<LSlider> slider = Slider(c.slider);
        (void)slider->SetValue(0);
        Drag(c.press, {c.to});
        EXPECT_EQ(ThumbAt(*slider), c.thumb) << Utf8(WString(c.slider)) << " to " << c.to.x << "," << c.to.y;
        EXPECT_NEAR(slider->GetValue(), c.value, 1e-9) << Utf8(WString(c.slider));
    }
}

TEST_F(SliderTest, AValueSetDuringADragWaitsForTheDrop)
{
    const RCPtr<LSlider> h = Slider(u"h");
    Drag({5, 10}, {{25, 10}}, true);
    EXPECT_EQ(h->SetValue(0.8), 0.2) << "the value held";
    EXPECT_EQ(ThumbAt(*h), (PointT<int32_t>{20, 0}));
    bench.Release();
    EXPECT_EQ(h->GetValue(), 0.8);
    EXPECT_EQ(ThumbAt(*h), (PointT<int32_t>{80, 0}));
    EXPECT_EQ(log->Entries.front(), "NID_VALUE_CHANGE_CAPTURE true");
    EXPECT_EQ(Count("NID_VALUE_CHANGE_CAPTURE false"), 1u);

    // Set to tell the value once more at the end of a drag, changed or not.
    h->SetNotifyValueOnRelease(true);
    log->Entries.clear();
    Drag({85, 10}, {{86, 10}, {85, 10}});
    EXPECT_EQ(log->Entries.back(), "NID_VALUE_CHANGE");
    EXPECT_EQ(h->GetValue(), 0.8);
}

TEST_F(SliderTest, AHeldTrackStepsTowardsThePointerAfterADelayOnlyWhileHovered)
{
    const RCPtr<LSlider> h = Slider(u"h");
    bench.MoveTo({35, 10}); // the thumb's hot point there stands for 0.3
    bench.Press();
    struct Step
    {
        double seconds;
        double value;
    };
    // The first step 0.3 s after the press, then every 0.1 s, never past the pointer.
    for (const Step& step :
         {Step{0.2, 0}, Step{0.11, 0.1}, Step{0.05, 0.1}, Step{0.06, 0.2}, Step{0.11, 0.3}, Step{0.11, 0.3}})
    {
        bench.IdleAfter(step.seconds);
        EXPECT_NEAR(h->GetValue(), step.value, 1e-9) << "at " << bench.Application.Seconds;
    }
    bench.MoveTo({115, 50}); // off the slider
    bench.IdleAfter(0.5);
    EXPECT_NEAR(h->GetValue(), 0.3, 1e-9);
    bench.MoveTo({115, 10});
    bench.IdleAfter(0.05);
    EXPECT_NEAR(h->GetValue(), 0.4, 1e-9) << "hovered again";
    bench.Release();
    EXPECT_NEAR(h->GetValue(), 0.5, 1e-9) << "the click's own step";
    EXPECT_EQ(h->GetIdleRequests(), 0);

    bench.MoveTo({15, 10}); // backwards: the hot point there stands for 0.1
    bench.Press();
    bench.Release();
    EXPECT_NEAR(h->GetValue(), 0.4, 1e-9);
}

TEST_F(SliderTest, ArrowsAndTheWheelMoveByOneUnitWithOneKeyDownAndOneKeyUpPerRun)
{
    const RCPtr<LSlider> h = Slider(u"h");
    (void)h->SetFocus(true);
    ASSERT_TRUE(h->ContainsFocus());
    Key(kRightKey);
    Key(kRightKey, 1); // auto-repeat
    Key(kRightKey, 1);
    Key(kRightReleased);
    EXPECT_NEAR(h->ScaleValue(h->GetValue()), 3, 1e-9);
    Key(kLeftKey);
    EXPECT_NEAR(h->ScaleValue(h->GetValue()), 2, 1e-9);
    EXPECT_EQ(Count("NID_VALUE_CHANGE_KEY_DOWN"), 2u);
    EXPECT_EQ(Count("NID_VALUE_CHANGE_KEY_UP"), 1u);
    (void)bench.Find(u"v")->SetFocus(true); // losing the focus ends the run
    EXPECT_EQ(Count("NID_VALUE_CHANGE_KEY_UP"), 2u);

    bench.Window->OnMouseWheel({50, 10}, 0, 1); // away from the user
    bench.Window->OnMouseWheel({50, 10}, 0, 1);
    bench.Window->OnMouseWheel({50, 10}, 0, 0);
    EXPECT_NEAR(h->ScaleValue(h->GetValue()), 3, 1e-9);
}

TEST_F(SliderTest, MarkersAtOnePlaceGiveTheValueZeroAndNoTrackLeavesOnlyTheStoredValue)
{
    const RCPtr<LSlider> same = Slider(u"same");
    EXPECT_EQ(same->ValueFromPoint(30, 40), 0.0);
    (void)same->SetValue(0.7);
    bench.MoveTo({202, 152}); // the track beside the thumb
    bench.Press();
    bench.Release();
    EXPECT_EQ(same->GetValue(), 0.0) << "a number, not NaN";
    Drag({210, 160}, {{230, 170}});
    EXPECT_EQ(ThumbAt(*same), (PointT<int32_t>{5, 5}));
    EXPECT_EQ(same->GetValue(), 0.0);

    const RCPtr<LSlider> open = Slider(u"open");
    EXPECT_EQ(open->GetThumb(), nullptr);
    EXPECT_EQ(open->SetValue(0.6), 0.6);
    (void)open->SetFocus(true);
    Key(kRightKey);
    bench.Window->OnMouseWheel({205, 205}, 0, 1);
    bench.MoveTo({215, 215});
    bench.Press();
    bench.Release();
    EXPECT_EQ(open->GetValue(), 0.6);
}
} // namespace
} // namespace ZQ

namespace ZQ
{
namespace
{
TEST_F(SliderTest, ASkinAppliedAgainKeepsTheThumbOnTheTrack)
{
    const RCPtr<LSlider> h = Slider(u"h");
    (void)h->SetValue(0.4);
    ASSERT_EQ(h->ApplyDescriptor(RCPtr<LControlDescriptor>(h->GetDescriptor())), 0);
    ASSERT_NE(h->GetThumb(), nullptr);
    EXPECT_EQ(h->FindChild(u"thumb"), RCPtr<LControl>(h->GetThumb()));
    EXPECT_TRUE(h->GetThumb()->IsVisible(false));
    EXPECT_FALSE(h->GetThumbStart()->IsVisible(false));
    EXPECT_EQ(ThumbAt(*h), (PointT<int32_t>{40, 0}));
    Drag({45, 10}, {{65, 10}});
    EXPECT_NEAR(h->GetValue(), 0.6, 1e-9);
}

TEST_F(SliderTest, TheLookShowsTheFocusAndTheEnabledState)
{
    const RCPtr<LSlider> h = Slider(u"h");
    (void)h->SetFocus(true);
    EXPECT_EQ(h->GetFirstVisibleLookIndex(), 1) << "focused";
    (void)h->SetEnabled(false);
    EXPECT_EQ(h->GetFirstVisibleLookIndex(), 2) << "disabled";
    (void)h->SetEnabled(true);
    (void)bench.Find(u"v")->SetFocus(true);
    EXPECT_EQ(h->GetFirstVisibleLookIndex(), 0) << "normal";
}
} // namespace
} // namespace ZQ

namespace ZQ
{
namespace
{
namespace PW = Platform::Window;

// One shown, focused native window of 40 x 40 at (100, 100), painted by the GDI+ renderer, whose root
// control holds a horizontal slider with its thumb's track from x 0 to 20. The server repeats a held key
// quickly while the test runs. The window is small enough for cairo to send its back buffer without
// shared memory, whose last upload cairo keeps a record of past the display's closing.
class SliderX11 : public TestSupport::TempRegistry
{
protected:
    void SetUp() override
    {
        TempRegistry::SetUp();
        mDisplay = TestSupport::OpenDisplay(mLoop);
        if (!mDisplay)
            GTEST_SKIP() << "no X display";
        mX = static_cast<::Display*>(mDisplay->NativeDisplay());
        mRepeatSaved = XkbGetAutoRepeatRate(mX, XkbUseCoreKbd, &mRepeatDelay, &mRepeatInterval) != 0;
        XAutoRepeatOn(mX);
        (void)XkbSetAutoRepeatRate(mX, XkbUseCoreKbd, 150, 30);
        mWindow = OSWindow::Create({"", u"Slider test", {100, 100, 140, 140}});
        ASSERT_NE(mWindow, nullptr);
        mHandle = mWindow->GetHandle();
        ASSERT_EQ(mWindow->CreateRenderer(LRenderer::kGdiplus), 0);
        mRoot = mWindow->GetRootWindow();
        mBench.Register(u"Framework.Slider", &LControl::CreateFromDescriptor<LSlider>);
        (void)ZQTest::RegisterContainers(mBench);
        mTop = mBench.Factory->CreateControlByName(u"main", mRoot);
        ASSERT_NE(mTop, nullptr);
        (void)mRoot->SetRootControl(mTop);
        mSlider = RCPtr<LSlider>(mTop->FindChild(u"h"));
        ASSERT_NE(mSlider, nullptr);
        (void)mWindow->Show(PW::kSwShowNormal);
        ASSERT_TRUE(TestSupport::PumpUntil(mLoop, [&] { return mDisplay->IsOnScreen(mHandle); }));
        (void)mWindow->SetFocus();
        ASSERT_TRUE(TestSupport::PumpUntil(mLoop, [&] { return mWindow->IsActive(); }));
        for (const char16_t* id : {u"NID_VALUE_CHANGE_KEY_DOWN", u"NID_VALUE_CHANGE_KEY_UP"})
            (void)mSlider->RegisterClient(RCPtr<LNotificationReceiver>(mLog), id, 0);
    }

    void TearDown() override
    {
        if (mX != nullptr && mRepeatSaved)
            (void)XkbSetAutoRepeatRate(mX, XkbUseCoreKbd, mRepeatDelay, mRepeatInterval);
        if (mWindow != nullptr && mLoop.IsWindow(mHandle))
            (void)mLoop.SendMessage({mHandle, PW::kWmClose, 0, 0});
        if (mRoot != nullptr)
            (void)mRoot->SetRootControl(nullptr);
        if (mTop != nullptr)
            (void)mTop->ReleaseInternalReferences();
        TempRegistry::TearDown();
    }

    [[nodiscard]] size_t Count(const std::string& entry) const
    {
        return static_cast<size_t>(std::count(mLog->Entries.begin(), mLog->Entries.end(), entry));
    }

    PW::MessageLoop mLoop;
    std::unique_ptr<PW::Display> mDisplay;
    ControlsBench mBench{
        R"(<SubControl Class="Test.Panel" Name="main" XSizeAbs="40" YSizeAbs="40"><Skin Name="main" LookList="one"/>)" +
        SliderSkin("h", 0, 0, 30, 20, 10, 20, At(0, 0), At(20, 0)) + "</SubControl>"};
    ::Display* mX = nullptr;
    bool mRepeatSaved = false;
    unsigned int mRepeatDelay = 0;
    unsigned int mRepeatInterval = 0;
    OSWindow* mWindow = nullptr;
    PW::WindowHandle mHandle = 0;
    RCPtr<LRootWindow> mRoot;
    RCPtr<LControl> mTop;
    RCPtr<LSlider> mSlider;
    RCPtr<SliderLog> mLog{new SliderLog};
};

TEST_F(SliderX11, ADraggedThumbAndAHeldArrowMoveTheValue)
{
    // The thumb's middle is at (105, 110) on the screen.
    XTestFakeMotionEvent(mX, -1, 105, 110, 0);
    XTestFakeButtonEvent(mX, 1, True, 0);
    XTestFakeMotionEvent(mX, -1, 108, 110, 0);
    XTestFakeMotionEvent(mX, -1, 111, 112, 0);
    XTestFakeButtonEvent(mX, 1, False, 0);
    XFlush(mX);
    ASSERT_TRUE(
        TestSupport::PumpUntil(mLoop, [&] { return !mSlider->IsDragging() && mSlider->GetValue() > 0; }));
    EXPECT_NEAR(mSlider->GetValue(), 0.3, 1e-9);
    EXPECT_TRUE(mSlider->GetThumb()->IsFocused()) << "the thumb took the focus with the press";

    // Held long enough for the server to repeat it several times.
    const ::KeyCode right = XKeysymToKeycode(mX, XK_Right);
    XTestFakeKeyEvent(mX, right, True, 0);
    XFlush(mX);
    const bool repeated =
        TestSupport::PumpUntil(mLoop, [&] { return mSlider->ScaleValue(mSlider->GetValue()) >= 34 - 1e-9; });
    XTestFakeKeyEvent(mX, right, False, 0);
    XFlush(mX);
    ASSERT_TRUE(repeated) << "the server repeats the held key";
    ASSERT_TRUE(TestSupport::PumpUntil(mLoop, [&] { return Count("NID_VALUE_CHANGE_KEY_UP") > 0; }));
    EXPECT_EQ(Count("NID_VALUE_CHANGE_KEY_DOWN"), 1u);
    EXPECT_EQ(Count("NID_VALUE_CHANGE_KEY_UP"), 1u);
}
} // namespace
} // namespace ZQ
