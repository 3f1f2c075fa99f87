#include "ControlsBench.h"

#include "ZQFramework/ControlBase/Windows/StatusBarText.h"
#include "ZQFramework/Controls/Buttons/Label.h"
#include "ZQFramework/Controls/Text/StatusBar.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace ZQ
{
namespace
{
using TestSupport::Utf8;
using ZQTest::ControlsBench;

// A label that records every text it is given.
class RecordingLabel : public LLabel
{
public:
    ZQRESULT SetLabel(const WString& text) override
    {
        Texts.push_back(Utf8(text));
        return LLabel::SetLabel(text);
    }
    ~RecordingLabel() override
    {
        if (Freed != nullptr)
            *Freed = true;
    }
    std::vector<std::string> Texts;
    bool* Freed = nullptr;

    using LLabel::LLabel;
};

constexpr const char* kSkin = R"(
<SubControl Class="Test.Panel" Name="main">
  <SubControl Class="Framework.StatusBar" Name="statusBar" YPositionAbs="280" XSizeAbs="400" YSizeAbs="20">
    <CreateParamList><CreateParam ID="NOT_FOCUSABLE">false</CreateParam></CreateParamList>
    <SubControl Class="Test.RecordingLabel" Name="label1" XSizeAbs="400" YSizeAbs="20"/>
  </SubControl>
</SubControl>)";

constexpr const char* kStrings = R"(
<StringTable ID="Framework.StatusBar|label1"><String ID="LABEL"><Locale LCID="0x0009">Ready</Locale></String></StringTable>)";

// Shows "main" with label1 recording its texts.
RCPtr<LControl> ShowRecording(ControlsBench& bench)
{
    bench.Register(u"Test.RecordingLabel", &LControl::CreateFromDescriptor<RecordingLabel>);
    return bench.Show();
}

struct StatusBarTest : ::testing::Test
{
    ControlsBench bench{kSkin, kStrings};
    RCPtr<LControl> main = ShowRecording(bench);
    RCPtr<LStatusBar> bar = bench.Find<LStatusBar>(u"statusBar");
    RCPtr<RecordingLabel> label = bench.Find<RecordingLabel>(u"statusBar/label1");
};

TEST_F(StatusBarTest, ShowsItsDefaultTextAndNeverTakesTheFocus)
{
    ASSERT_NE(bar, nullptr);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(Utf8(label->GetLabel()), "Ready");
    EXPECT_EQ(Utf8(bar->GetDefaultStatusText()), "Ready");
    EXPECT_TRUE(bar->IsNotFocusable());
    EXPECT_EQ(bar->GetIdleRequests(), 1);
}

TEST_F(StatusBarTest, OnlyTheLatestOfSeveralPostsReachesTheLabelAtTheNextIdlePass)
{
    label->Texts.clear();
    for (const char16_t* text : {u"one", u"two", u"three"})
    {
        EXPECT_EQ(bar->PostStatusText(text), 0);
    }
    EXPECT_TRUE(label->Texts.empty()) << "nothing before the idle pass";
    bench.IdleAfter(0.03125);
    EXPECT_EQ(label->Texts, std::vector<std::string>{"three"});
    bench.IdleAfter(0.03125);
    EXPECT_EQ(label->Texts.size(), 1u);
}

TEST_F(StatusBarTest, AnImmediateTextDrainsEarlierPostsFirstAndRepaintsAtOnce)
{
    label->Texts.clear();
    (void)bar->PostStatusText(u"posted");
    bench.Services.Calls.clear();
    EXPECT_EQ(bar->SetStatusTextNow(u"now"), 0);
    EXPECT_EQ(Utf8(label->GetLabel()), "now");
    EXPECT_EQ(bench.Services.Count("RedrawNow"), 1);
    EXPECT_EQ(bar->GetCount(), 0u);
    bench.IdleAfter(0.03125);
    EXPECT_EQ(Utf8(label->GetLabel()), "now") << "the earlier post does not come back";

    // Restoring shows the skin's text again.
    IStatusBarText& status = *bar;
    (void)status.SetStatusTextNow(status.GetDefaultStatusText());
    EXPECT_EQ(Utf8(label->GetLabel()), "Ready");
    EXPECT_EQ(Utf8(bar->GetDefaultStatusText()), "Ready");
}

TEST_F(StatusBarTest, APostAfterTheBarsReleaseFails)
{
    const RCPtr<LControlDescriptor> descriptor = bench.Factory->FindSkinDescriptor(u"main");
    const RCPtr<LStatusBar> bare(LControl::CreateFromDescriptor<LStatusBar>(nullptr, descriptor));
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(bare->PostStatusText(u"created"), 0);
    (void)bare->ReleaseInternalReferences();
    EXPECT_EQ(bare->PostStatusText(u"gone"), E_FAIL);
}

TEST(StatusBarRelease, TheBarWithTextsStillQueuedIsFreedWithTheTreeThatHoldsIt)
{
    bool labelFreed = false;
    ControlsBench bench(kSkin, kStrings);
    (void)ShowRecording(bench);
    bench.Find<RecordingLabel>(u"statusBar/label1")->Freed = &labelFreed;
    (void)bench.Find<LStatusBar>(u"statusBar")->PostStatusText(u"pending");
    (void)bench.Window->SetRootControl(nullptr);
    EXPECT_TRUE(labelFreed) << "the bar let its children go, so it was freed itself";
}

TEST(StatusBarConcurrency, PostsFromSeveralThreadsEndInOneLabelChangeShowingALastPost)
{
    ControlsBench bench(kSkin, kStrings);
    (void)ShowRecording(bench);
    const RCPtr<LStatusBar> bar = bench.Find<LStatusBar>(u"statusBar");
    const RCPtr<RecordingLabel> label = bench.Find<RecordingLabel>(u"statusBar/label1");
    label->Texts.clear();

    constexpr int kThreads = 4;
    constexpr int kPosts = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back(
            [bar, t]
            {
                for (int i = 0; i < kPosts; ++i)
                {
                    // Appended, not concatenated: GCC 12 misreads the concatenation as overlapping copies.
                    std::string text = "t";
                    text.append(std::to_string(t)).append("-").append(std::to_string(i));
                    EXPECT_EQ(bar->PostStatusText(WString(text.c_str())), 0);
                }
            });
    }
    for (std::thread& thread : threads)
    {
        thread.join();
    }
    bench.IdleAfter(0.03125);
    ASSERT_EQ(label->Texts.size(), 1u);
    const std::string shown = label->Texts.front();
    EXPECT_EQ(shown.substr(shown.find('-') + 1), std::to_string(kPosts - 1)) << shown;
    EXPECT_EQ(bar->GetCount(), 0u);
}
} // namespace
} // namespace ZQ
